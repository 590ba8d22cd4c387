#pragma once

#include <string>
#include <vector>

namespace quillmark::testing {

// Runs a program with its arguments (no shell between) and collects its standard output and error.
class ShellCommand {
public:
    struct Result {
        int exitCode = -1;  // -1 when it could not run or did not exit normally
        std::string output;
    };

    static Result run(const std::vector<std::string>& arguments);
};

}  // namespace quillmark::testing
