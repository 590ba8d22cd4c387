#include "core/DecimalInteger.h"

#include <charconv>

namespace quillmark {

std::optional<std::int64_t> decimalInteger(std::string_view text) noexcept {
    // from_chars takes a minus sign but no plus sign: strip one plus, and a minus may not follow it.
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) return std::nullopt;
    }
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace quillmark
