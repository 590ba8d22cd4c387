#pragma once

namespace quillmark {

// The lowest level a peak falls to, and the level taken for meter data that is not a number or Boolean.
struct MeterFloor {
    static constexpr double dB = -77.0;
};

}  // namespace quillmark
