#include "app/EnginePortOption.h"

#include "log/SystemLog.h"

#include <charconv>

namespace quillmark {

namespace {

const std::string kOption = "--engine-port";

std::optional<std::string> optionValue(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == kOption) return i + 1 < arguments.size() ? arguments[i + 1] : std::string();
        if (argument.rfind(kOption + "=", 0) == 0) return argument.substr(kOption.size() + 1);
    }
    return std::nullopt;
}

std::optional<std::uint16_t> usable(const std::string& text, const std::string& source) {
    auto port = EnginePortOption::parsePort(text);
    if (!port) SystemLog::write("Quillmark: ignoring engine port \"" + text + "\" from " + source);
    return port;
}

}  // namespace

std::optional<std::uint16_t> EnginePortOption::parsePort(const std::string& text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end || value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<std::uint16_t> EnginePortOption::resolve(const std::vector<std::string>& arguments,
                                                       const char* environmentValue) {
    if (auto text = optionValue(arguments)) return usable(*text, kOption);
    if (environmentValue) return usable(environmentValue, environmentVariable);
    return std::nullopt;
}

}  // namespace quillmark
