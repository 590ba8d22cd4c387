#include "app/preferences/HUDSize.h"

namespace quillmark {

std::string_view rawValue(HUDSize size) noexcept {
    switch (size) {
    case HUDSize::small: return "small";
    case HUDSize::large: return "large";
    case HUDSize::medium: break;
    }
    return "medium";
}

std::optional<HUDSize> hudSizeFromRawValue(std::string_view rawValue) noexcept {
    for (HUDSize candidate : {HUDSize::small, HUDSize::medium, HUDSize::large})
        if (quillmark::rawValue(candidate) == rawValue) return candidate;
    return std::nullopt;
}

} // namespace quillmark
