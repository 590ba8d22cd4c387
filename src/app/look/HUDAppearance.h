#pragma once

#include <optional>
#include <string_view>

namespace quillmark {

// The appearance of the HUD and of the application's windows; stored as its raw value.
enum class HUDAppearance {
    system,  // "system": no forced appearance, follow the desktop
    light,   // "light"
    dark,    // "dark"
};

std::string_view rawValue(HUDAppearance appearance) noexcept;
// Exactly "system", "light" or "dark" (case-sensitive); nothing otherwise.
std::optional<HUDAppearance> hudAppearanceFromRawValue(std::string_view rawValue) noexcept;

}  // namespace quillmark
