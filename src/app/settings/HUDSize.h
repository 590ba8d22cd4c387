#pragma once

#include <optional>
#include <string_view>

namespace quillmark {

// The scale of the HUD; stored as its raw value.
enum class HUDSize {
    small,   // "small"
    medium,  // "medium"
    large,   // "large"
};

std::string_view rawValue(HUDSize size) noexcept;
// Exactly "small", "medium" or "large" (case-sensitive); nothing otherwise.
std::optional<HUDSize> hudSizeFromRawValue(std::string_view rawValue) noexcept;

}  // namespace quillmark
