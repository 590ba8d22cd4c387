#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillmark {

// Lets tests point the program at an engine stand-in on another port: "--engine-port N" (or
// "--engine-port=N") on the command line, else the environment variable QUILLMARK_ENGINE_PORT.
// Without either, the program uses the engine's fixed port.
class EnginePortOption {
public:
    static constexpr const char* environmentVariable = "QUILLMARK_ENGINE_PORT";

    // `arguments` excludes the program name; `environmentValue` is the variable's value, if set.
    // An unusable value is logged and ignored.
    static std::optional<std::uint16_t> resolve(const std::vector<std::string>& arguments,
                                                const char* environmentValue);

    static std::optional<std::uint16_t> parsePort(const std::string& text);
};

}  // namespace quillmark
