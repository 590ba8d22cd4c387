#pragma once

#include <optional>
#include <string>

namespace quillmark::sim {

// One request from a client: "<verb> <path>[ <value>]", the value being the rest of the text.
struct Request {
    enum class Verb { get, set, subscribe };

    Verb verb = Verb::get;
    std::string path;
    std::optional<std::string> value;

    // Nothing when the text is no request; `reason` then says why (not UTF-8, unknown verb, ...).
    static std::optional<Request> parse(const std::string& text, std::string& reason);
};

}  // namespace quillmark::sim
