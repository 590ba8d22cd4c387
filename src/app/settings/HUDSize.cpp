#include "app/settings/HUDSize.h"

#include "base/RowTable.h"

namespace quillmark {

namespace {

struct SizeRow {
    HUDSize size;
    std::string_view rawValue;
};

constexpr SizeRow kRows[] = {
    {HUDSize::small, "small"},
    {HUDSize::medium, "medium"},
    {HUDSize::large, "large"},
};

}  // namespace

std::string_view rawValue(HUDSize size) noexcept { return findRow(kRows, &SizeRow::size, size)->rawValue; }

std::optional<HUDSize> hudSizeFromRawValue(std::string_view rawValue) noexcept {
    const SizeRow* row = findRow(kRows, &SizeRow::rawValue, rawValue);
    return row ? std::optional(row->size) : std::nullopt;
}

}  // namespace quillmark
