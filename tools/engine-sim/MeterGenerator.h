#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillmark::sim {

// The synthetic programme the stand-in engine meters: per meter a level in dB that swells and
// moves like music, with a 0 dB peak every few seconds (staggered between meters).
class MeterGenerator {
public:
    // A meter subscription path: <output path>/meters/<n>/MeterLevel.
    struct MeterPath {
        std::string outputPath;
        int meterIndex = 0;
    };

    explicit MeterGenerator(double framesPerSecond);

    // Level of meter `meterIndex` at frame number `frame` (frames are 1 / framesPerSecond apart).
    double level(int meterIndex, std::uint64_t frame) const;

    // How many meters carry signal in a surround monitor mode: the layouts' channel counts
    // (STEREO 2, 2.1 3, LCR 3, LCRS 4, QUAD 4, 5.1 6, 6.1 7, 7.1 8, immersive "m.l[.h]"), 2 otherwise.
    static int channelCount(const std::string& surroundMode);
    // Splits a meter subscription path; nothing when `path` is not one (meter numbers 0 ... 127).
    static std::optional<MeterPath> parseMeterPath(const std::string& path);

private:
    double framesPerSecond_;
};

}  // namespace quillmark::sim
