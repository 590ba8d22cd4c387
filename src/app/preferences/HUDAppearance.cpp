#include "app/preferences/HUDAppearance.h"

namespace quillmark {

std::string_view rawValue(HUDAppearance appearance) noexcept {
    switch (appearance) {
    case HUDAppearance::light: return "light";
    case HUDAppearance::dark: return "dark";
    case HUDAppearance::system: break;
    }
    return "system";
}

std::optional<HUDAppearance> hudAppearanceFromRawValue(std::string_view rawValue) noexcept {
    for (HUDAppearance candidate : {HUDAppearance::system, HUDAppearance::light, HUDAppearance::dark})
        if (quillmark::rawValue(candidate) == rawValue) return candidate;
    return std::nullopt;
}

} // namespace quillmark
