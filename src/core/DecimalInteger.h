#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillmark {

// The engine's decimal-integer keys (children, meter numbers, immersive channel counts): one optional
// sign and decimal digits, nothing else, within the signed 64-bit range. "+5" and "05" are 5; "+-5",
// "-+5", " 5", "5 " and "" are no integer.
std::optional<std::int64_t> decimalInteger(std::string_view text) noexcept;

}  // namespace quillmark
