#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace quillmark {

// One channel of a meter layout: its label ("L", "Ls", ...) and the engine's meter number feeding it.
struct MeterChannelDefinition {
    std::string label;
    std::int64_t meterIndex = 0;

    friend bool operator==(const MeterChannelDefinition&, const MeterChannelDefinition&) = default;
};

std::ostream& operator<<(std::ostream& stream, const MeterChannelDefinition& definition);

}  // namespace quillmark

template <>
struct std::hash<quillmark::MeterChannelDefinition> {
    std::size_t operator()(const quillmark::MeterChannelDefinition& definition) const noexcept {
        return std::hash<std::string>{}(definition.label) ^ (std::hash<std::int64_t>{}(definition.meterIndex) * 31u);
    }
};
