#include "core/MixerMessageDecoder.h"

#include <nlohmann/json.hpp>

namespace quillmark {

std::optional<MixerFrame> MixerMessageDecoder::decode(std::string_view message) {
    if (message.empty()) return std::nullopt;
    const nlohmann::json document = nlohmann::json::parse(message, nullptr, /*allow_exceptions=*/false);
    if (!document.is_object() || document.empty()) return std::nullopt;
    const auto path = document.find("path");
    if (path == document.end() || !path->is_string()) return std::nullopt;
    const auto data = document.find("data");
    return MixerFrame{path->get<std::string>(), data == document.end() ? JSONValue() : JSONValue::fromJSON(*data)};
}

} // namespace quillmark
