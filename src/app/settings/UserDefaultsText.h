#pragma once

#include <optional>
#include <string_view>

namespace quillmark {

// How the settings backends read text as a number or a Boolean.
class UserDefaultsText {
public:
    // The whole text (surrounding blanks allowed) as a finite decimal number; nothing otherwise ("nan", "inf").
    static std::optional<double> number(std::string_view text);
    // "true" or "yes" (any case), or a number that is not zero.
    static bool boolean(std::string_view text);

    UserDefaultsText() = delete;
};

}  // namespace quillmark
