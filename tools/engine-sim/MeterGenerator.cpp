#include "MeterGenerator.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <numbers>
#include <sstream>
#include <utility>
#include <vector>

namespace quillmark::sim {

namespace {

constexpr int kMaxMeterIndex = 127;
constexpr double kPeakEverySeconds = 5.0;
constexpr double kPeakStaggerSeconds = 0.7;

std::optional<long long> parseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::size_t start = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start == text.size() || text.size() - start > 18) return std::nullopt;
    for (std::size_t i = start; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    return std::stoll(text);
}

std::string upper(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Channels of an immersive mode such as 7.1.4: the bed labels, the heights, and filler channels
// up to main + lfe + height.
std::optional<int> immersiveCount(const std::string& mode) {
    std::vector<long long> numbers;
    std::stringstream stream(mode);
    std::string field;
    while (std::getline(stream, field, '.')) {
        if (field.empty()) continue;
        const auto number = parseInteger(field);
        if (!number) return std::nullopt;
        numbers.push_back(*number);
    }
    if (numbers.size() < 2 || numbers.size() > 3) return std::nullopt;
    const long long main = numbers[0];
    const long long lfe = numbers[1];
    const long long height = numbers.size() == 3 ? numbers[2] : 0;
    if (main < 1 || lfe < 0 || height < 0 || main + lfe + height < 2 || main + lfe + height > kMaxMeterIndex + 1)
        return std::nullopt;
    const long long bed = 2 + (main >= 3) + (lfe > 0) + 2 * (main >= 5) + 2 * (main >= 7) + 2 * (main >= 9);
    return static_cast<int>(std::max(bed + height, main + lfe + height));
}

}  // namespace

MeterGenerator::MeterGenerator(double framesPerSecond) : framesPerSecond_(framesPerSecond) {}

double MeterGenerator::level(int meterIndex, std::uint64_t frame) const {
    const auto peakPeriod =
        std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::llround(kPeakEverySeconds * framesPerSecond_)));
    const auto stagger = static_cast<std::uint64_t>(std::llround(kPeakStaggerSeconds * framesPerSecond_));
    if ((frame + static_cast<std::uint64_t>(meterIndex) * stagger) % peakPeriod == 0) return 0.0;
    const double t = static_cast<double>(frame) / framesPerSecond_;
    const double phase = 1.3 * meterIndex;
    const double swell = 7.0 * std::sin(2.0 * std::numbers::pi * 0.11 * t + phase);
    const double beat = 5.0 * std::sin(2.0 * std::numbers::pi * 1.9 * t + 2.0 * phase);
    const double flutter = 2.0 * std::sin(2.0 * std::numbers::pi * 7.3 * t + 3.0 * phase);
    return std::clamp(-20.0 + swell + beat + flutter, -96.0, 0.0);
}

int MeterGenerator::channelCount(const std::string& surroundMode) {
    static const std::array<std::pair<const char*, int>, 8> fixed{{
        {"STEREO", 2},
        {"2.1", 3},
        {"LCR", 3},
        {"LCRS", 4},
        {"QUAD", 4},
        {"5.1", 6},
        {"6.1", 7},
        {"7.1", 8},
    }};
    const std::string mode = upper(surroundMode);
    for (const auto& [text, count] : fixed)
        if (mode == text) return count;
    return immersiveCount(mode).value_or(2);
}

std::optional<MeterGenerator::MeterPath> MeterGenerator::parseMeterPath(const std::string& path) {
    const std::string marker = "/meters/";
    const std::string suffix = "/MeterLevel";
    const auto at = path.rfind(marker);
    if (at == std::string::npos || at == 0 || path.size() < suffix.size() ||
        path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::size_t numberStart = at + marker.size();
    if (path.size() < numberStart + suffix.size()) return std::nullopt;
    const std::string number = path.substr(numberStart, path.size() - suffix.size() - numberStart);
    const auto index = parseInteger(number);
    if (!index || number[0] == '+' || number[0] == '-' || *index > kMaxMeterIndex) return std::nullopt;
    return MeterPath{path.substr(0, at), static_cast<int>(*index)};
}

}  // namespace quillmark::sim
