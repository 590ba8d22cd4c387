#include "core/MixerFrame.h"

#include "core/DecimalInteger.h"

#include <algorithm>
#include <ostream>

namespace quillmark {

namespace {

// Code-point order: for UTF-8 this is the order of the bytes taken as unsigned.
bool codePointLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

}  // namespace

bool MixerFrame::isValue() const noexcept {
    static constexpr std::string_view suffix = "/value";
    return path.size() >= suffix.size() && std::string_view(path).substr(path.size() - suffix.size()) == suffix;
}

bool MixerFrame::isContainer() const noexcept { return data["children"] != nullptr; }

bool MixerFrame::isDeviceNode() const noexcept {
    const JSONValue* properties = data["properties"];
    const JSONValue* type = properties ? (*properties)["Type"] : nullptr;
    const JSONValue* value = type ? (*type)["value"] : nullptr;
    const std::string* text = value ? value->stringPointer() : nullptr;
    return text && *text == "device";
}

std::vector<std::string> MixerFrame::children() const {
    const JSONValue* member = data["children"];
    const JSONValue::Object* children = member ? member->objectValue() : nullptr;
    if (!children) return {};
    struct Key {
        std::string text;
        std::optional<std::int64_t> number;
    };
    std::vector<Key> keys;
    keys.reserve(children->size());
    for (const auto& entry : *children) keys.push_back({entry.first, decimalInteger(entry.first)});
    // Integers first, then the other keys: comparing an integer key with a text key by text order
    // would not be a consistent order (10 < 1a < 2 < 10), which sorting cannot rely on.
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.number.has_value() != b.number.has_value()) return a.number.has_value();
        if (a.number && *a.number != *b.number) return *a.number < *b.number;
        return codePointLess(a.text, b.text);
    });
    std::vector<std::string> result;
    result.reserve(keys.size());
    for (Key& key : keys) result.push_back(std::move(key.text));
    return result;
}

const JSONValue::Object& MixerFrame::properties() const& noexcept {
    static const JSONValue::Object empty;
    const JSONValue* member = data["properties"];
    const JSONValue::Object* properties = member ? member->objectValue() : nullptr;
    return properties ? *properties : empty;
}

void PrintTo(const MixerFrame& frame, std::ostream* stream) {
    *stream << "MixerFrame(" << frame.path << ", " << frame.data.prettyDescription() << ")";
}

}  // namespace quillmark
