#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

// The "Desktop Entry" group of a desktop entry file, read the way the desktops' own readers read it.
// Any bytes give either an entry or nothing; nothing is ever assumed about the input.
class DesktopEntry {
public:
    // Nothing when the bytes are not a key file (a line that is neither blank, comment, group header nor
    // key=value; a key before the first group) or have no "Desktop Entry" group. A key given twice keeps
    // its last value; a group given twice is one group.
    static std::optional<DesktopEntry> parse(std::string_view bytes);

    // The value of `key` with the string escapes resolved; nothing when absent.
    std::optional<std::string> string(std::string_view key) const;
    // true or 1, false or 0; nothing when absent or anything else.
    std::optional<bool> boolean(std::string_view key) const;

    // `text` as a string value: backslash, newline, tab, carriage return and a leading space escaped.
    static std::string escape(std::string_view text);
    // The string escapes \s \n \t \r \\ resolved; any other backslash is kept as written.
    static std::string unescape(std::string_view value);

private:
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace quillmark
