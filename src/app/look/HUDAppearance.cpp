#include "app/look/HUDAppearance.h"

#include "base/RowTable.h"

namespace quillmark {

namespace {

struct AppearanceRow {
    HUDAppearance appearance;
    std::string_view rawValue;
};

constexpr AppearanceRow kRows[] = {
    {HUDAppearance::system, "system"},
    {HUDAppearance::light, "light"},
    {HUDAppearance::dark, "dark"},
};

}  // namespace

std::string_view rawValue(HUDAppearance appearance) noexcept {
    return findRow(kRows, &AppearanceRow::appearance, appearance)->rawValue;
}

std::optional<HUDAppearance> hudAppearanceFromRawValue(std::string_view rawValue) noexcept {
    const AppearanceRow* row = findRow(kRows, &AppearanceRow::rawValue, rawValue);
    return row ? std::optional(row->appearance) : std::nullopt;
}

}  // namespace quillmark
