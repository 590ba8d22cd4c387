#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quillmark {

// The order in which the meter window shows a layout's channels. Stored as its raw value.
enum class MeterChannelOrder {
    music,  // "music": the engine's order, L R C LFE surrounds
    film,   // "film": L C R, surrounds, LFE last
};

inline constexpr std::array<MeterChannelOrder, 2> allMeterChannelOrders{MeterChannelOrder::music,
                                                                        MeterChannelOrder::film};

// "music" or "film".
std::string_view rawValue(MeterChannelOrder order) noexcept;
// Exactly "music" or "film" (case-sensitive); nothing for any other text.
std::optional<MeterChannelOrder> meterChannelOrderFromRawValue(std::string_view rawValue) noexcept;
// The label of the channel-order picker: "SMPTE (L R …)" or "Film (L C R …)".
std::string_view displayName(MeterChannelOrder order) noexcept;

}  // namespace quillmark
