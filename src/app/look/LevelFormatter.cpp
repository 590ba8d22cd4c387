#include "app/look/LevelFormatter.h"

#include <charconv>
#include <cmath>

namespace quillmark {

namespace {

constexpr std::string_view kMinus = "\u2212";

// printf's "%.Nf" as in the C locale, whatever the process locale: a full stop, no grouping.
std::string fixed(double value, int decimals) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string withTrueMinus(std::string text) {
    std::string result;
    for (char c : text) {
        if (c == '-') result += kMinus;
        else result += c;
    }
    return result;
}

}  // namespace

std::string LevelFormatter::signedDB(double levelDB) {
    if (levelDB <= -96) return std::string(kMinus) + "\u221E dB";
    const std::string sign = levelDB < 0 ? std::string(kMinus) : levelDB > 0 ? "+" : "";
    return sign + fixed(std::fabs(levelDB), 1) + " dB";
}

std::string LevelFormatter::savedLevel(double levelDB, double splReference) {
    if (splReference > 0) return fixed(levelDB + splReference, 0) + " dB SPL";
    const double rounded = std::round(levelDB * 10) / 10;  // halves away from zero
    const int decimals = std::fmod(rounded, 1.0) == 0 ? 0 : 1;
    return withTrueMinus(fixed(rounded, decimals)) + " dB";
}

}  // namespace quillmark
