#include "core/MeterChannelOrder.h"

#include "base/RowTable.h"

namespace quillmark {

namespace {

struct OrderRow {
    MeterChannelOrder order;
    std::string_view rawValue;
    std::string_view displayName;
};

constexpr OrderRow kRows[] = {
    {MeterChannelOrder::music, "music", "SMPTE (L R \u2026)"},
    {MeterChannelOrder::film, "film", "Film (L C R \u2026)"},
};

}  // namespace

std::string_view rawValue(MeterChannelOrder order) noexcept {
    return findRow(kRows, &OrderRow::order, order)->rawValue;
}

std::optional<MeterChannelOrder> meterChannelOrderFromRawValue(std::string_view rawValue) noexcept {
    const OrderRow* row = findRow(kRows, &OrderRow::rawValue, rawValue);
    return row ? std::optional(row->order) : std::nullopt;
}

std::string_view displayName(MeterChannelOrder order) noexcept {
    return findRow(kRows, &OrderRow::order, order)->displayName;
}

}  // namespace quillmark
