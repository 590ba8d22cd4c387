#pragma once

#include "core/MeterChannelDefinition.h"
#include "core/MeterChannelOrder.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quillmark {

// Which channels to meter, in display order, for a surround monitor mode text ("STEREO", "5.1",
// "7.1.4", ...). Never empty: an unknown mode meters stereo.
class ChannelLayout {
public:
    ChannelLayout() = delete;

    static std::vector<MeterChannelDefinition> channels(std::optional<std::string_view> surroundMode,
                                                        MeterChannelOrder order);

private:
    static std::vector<MeterChannelDefinition> immersive(std::int64_t main, std::int64_t lfe, std::int64_t height,
                                                         MeterChannelOrder order);
};

}  // namespace quillmark
