#pragma once

#include <string_view>

namespace quillmark::sim {

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view text);

}  // namespace quillmark::sim
