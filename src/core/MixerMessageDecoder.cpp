#include "core/MixerMessageDecoder.h"

#include <nlohmann/json.hpp>

#include <vector>

namespace quillmark {

namespace {

// Measured without recursion, so that a hostile nesting cannot exhaust the stack here either.
bool nestedDeeperThan(const nlohmann::json& root, std::size_t limit) {
    std::vector<std::pair<const nlohmann::json*, std::size_t>> stack{{&root, 1}};
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        if (depth > limit) return true;
        if (node->is_structured())
            for (const auto& child : *node) stack.emplace_back(&child, depth + 1);
    }
    return false;
}

}  // namespace

std::optional<MixerMessageDecoder::Message> MixerMessageDecoder::decodeMessage(std::string_view message) {
    if (message.empty()) return std::nullopt;
    const nlohmann::json document = nlohmann::json::parse(message, nullptr, /*allow_exceptions=*/false);
    if (!document.is_object() || document.empty()) return std::nullopt;
    const auto path = document.find("path");
    if (path == document.end() || !path->is_string()) return std::nullopt;
    const auto data = document.find("data");
    if (data != document.end() && data->is_structured() && nestedDeeperThan(*data, maximumDataDepth))
        return std::nullopt;
    const auto error = document.find("error");
    // Read leniently, as every engine switch is (an engine may well say 1). Only a scalar can read as
    // true, and converting nothing else keeps a deep nesting out of the recursive conversion.
    const bool refusal =
        error != document.end() && !error->is_structured() && JSONValue::fromJSON(*error).asBool().value_or(false);
    return Message{{path->get<std::string>(), data == document.end() ? JSONValue() : JSONValue::fromJSON(*data)},
                   refusal};
}

std::optional<MixerFrame> MixerMessageDecoder::decode(std::string_view message) {
    std::optional<Message> decoded = decodeMessage(message);
    if (!decoded || decoded->isRefusal) return std::nullopt;
    return std::move(decoded->frame);
}

}  // namespace quillmark
