#include "Request.h"

#include "Utf8.h"

namespace quillmark::sim {

namespace {

std::optional<Request::Verb> verbFrom(const std::string& text) {
    if (text == "get") return Request::Verb::get;
    if (text == "set") return Request::Verb::set;
    if (text == "subscribe") return Request::Verb::subscribe;
    return std::nullopt;
}

}  // namespace

std::optional<Request> Request::parse(const std::string& text, std::string& reason) {
    if (!isValidUtf8(text)) {
        reason = "not UTF-8";
        return std::nullopt;
    }
    if (text.empty()) {
        reason = "empty request";
        return std::nullopt;
    }
    const auto space = text.find(' ');
    const auto verb = verbFrom(text.substr(0, space));
    if (!verb) {
        reason = "unknown verb";
        return std::nullopt;
    }
    const std::string rest = space == std::string::npos ? std::string() : text.substr(space + 1);
    const auto valueSpace = rest.find(' ');
    Request request;
    request.verb = *verb;
    request.path = rest.substr(0, valueSpace);
    if (valueSpace != std::string::npos) request.value = rest.substr(valueSpace + 1);
    if (request.path.empty() || request.path.front() != '/') {
        reason = "missing path";
        return std::nullopt;
    }
    return request;
}

}  // namespace quillmark::sim
