#include "app/settings/UserDefaultsText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace quillmark {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<double> UserDefaultsText::number(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    // "nan" and "inf" are no numeric text: a NaN volume step would slam the level to the floor.
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

bool UserDefaultsText::boolean(std::string_view text) {
    std::string lower(trimmed(text));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "true" || lower == "yes") return true;
    const auto value = number(lower);
    return value && *value != 0;
}

}  // namespace quillmark
