#pragma once

#include "core/MeterChannelDefinition.h"
#include "core/MeterFloor.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace quillmark {

// One metered channel as the meter window draws it; levels in dB.
struct MeterChannel {
    std::string label;
    std::int64_t meterIndex = 0;
    double level = MeterFloor::dB;  // last reported level, unclamped
    double peak = MeterFloor::dB;   // held, then falling peak
    bool clip = false;

    friend bool operator==(const MeterChannel&, const MeterChannel&) = default;
};

std::ostream& operator<<(std::ostream& stream, const MeterChannel& channel);

}  // namespace quillmark
