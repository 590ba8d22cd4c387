#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// The command line of a desktop entry's Exec key, before the key file's string escaping: arguments
// quoted where they hold a reserved character, with quote, backtick, dollar and backslash escaped inside
// the quotes, and a literal percent sign doubled.
class DesktopExec {
public:
    // The command line that runs `program` with no arguments.
    static std::string commandFor(std::string_view program);
    // The arguments of a command line as a desktop's launcher splits them, with %% read as %; other field
    // codes are left as written. Nothing when a quote is left open.
    static std::optional<std::vector<std::string>> arguments(std::string_view command);
};

}  // namespace quillmark
