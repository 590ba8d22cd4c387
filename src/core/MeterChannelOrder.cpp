#include "core/MeterChannelOrder.h"

namespace quillmark {

std::string_view rawValue(MeterChannelOrder order) noexcept {
    return order == MeterChannelOrder::film ? "film" : "music";
}

std::optional<MeterChannelOrder> meterChannelOrderFromRawValue(std::string_view rawValue) noexcept {
    if (rawValue == "music") return MeterChannelOrder::music;
    if (rawValue == "film") return MeterChannelOrder::film;
    return std::nullopt;
}

std::string_view displayName(MeterChannelOrder order) noexcept {
    return order == MeterChannelOrder::film ? "Film (L C R \u2026)" : "SMPTE (L R \u2026)";
}

} // namespace quillmark
