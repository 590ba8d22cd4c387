#include "core/MixerMessageDecoder.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdint>
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

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A JSON number at the front of `text` (no sign other than a leading minus, no leading zeros, digits
// on both sides of a point); its length, or 0 when there is none.
std::size_t jsonNumberLength(std::string_view text) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && isDigit(text[i])) ++i;
        return i - from;
    };
    if (i < text.size() && text[i] == '-') ++i;
    if (i < text.size() && text[i] == '0') ++i;
    else if (digits() == 0) return 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (digits() == 0) return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return 0;
    }
    return i;
}

// The number as the general parser reads it: integers through 64-bit integers (so "-0" is 0), others
// correctly rounded. Nothing where the two could differ (out of range), which the general parser settles.
std::optional<double> jsonNumberValue(std::string_view number) {
    const char* first = number.data();
    const char* last = first + number.size();
    if (number.find_first_of(".eE") == std::string_view::npos) {
        if (number.front() == '-') {
            std::int64_t value = 0;
            const auto [end, error] = std::from_chars(first, last, value);
            if (error != std::errc() || end != last) return std::nullopt;
            return static_cast<double>(value);
        }
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(first, last, value);
        if (error != std::errc() || end != last) return std::nullopt;
        return static_cast<double>(value);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

bool takePrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// A string of printable ASCII without escapes, the quotes included; the text between them.
std::optional<std::string_view> takePlainString(std::string_view& text) {
    if (text.empty() || text.front() != '"') return std::nullopt;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            const std::string_view inner = text.substr(1, i - 1);
            text.remove_prefix(i + 1);
            return inner;
        }
        if (c < 0x20 || c > 0x7e || c == '\\') return std::nullopt;
    }
    return std::nullopt;
}

std::optional<JSONValue> takePlainScalar(std::string_view& text) {
    if (takePrefix(text, "true")) return JSONValue(true);
    if (takePrefix(text, "false")) return JSONValue(false);
    if (takePrefix(text, "null")) return JSONValue();
    const std::size_t length = jsonNumberLength(text);
    if (length == 0) return std::nullopt;
    const std::optional<double> number = jsonNumberValue(text.substr(0, length));
    if (!number) return std::nullopt;
    text.remove_prefix(length);
    return JSONValue(*number);
}

// The engine's everyday report, a path and a scalar value with nothing else and no white space, read
// without building a document: {"data":<scalar>,"path":"<plain text>"} or the same members the other
// way round. Nothing for any other message, which the general parser then reads: this gives exactly
// what the general parser would, only sooner.
std::optional<MixerMessageDecoder::Message> decodePlainReport(std::string_view text) {
    std::optional<std::string_view> path;
    std::optional<JSONValue> data;
    if (!takePrefix(text, "{")) return std::nullopt;
    for (int member = 0; member < 2; ++member) {
        if (member == 1 && !takePrefix(text, ",")) return std::nullopt;
        if (!path && takePrefix(text, R"("path":)")) {
            path = takePlainString(text);
            if (!path) return std::nullopt;
        } else if (!data && takePrefix(text, R"("data":)")) {
            data = takePlainScalar(text);
            if (!data) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (text != "}") return std::nullopt;
    return MixerMessageDecoder::Message{{std::string(*path), std::move(*data)}, false};
}

}  // namespace

std::optional<MixerMessageDecoder::Message> MixerMessageDecoder::decodeMessage(std::string_view message) {
    if (message.empty()) return std::nullopt;
    // Meter levels stream by the hundred per second, all of this form.
    if (std::optional<Message> plain = decodePlainReport(message)) return plain;
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
