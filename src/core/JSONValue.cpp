#include "core/JSONValue.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <ostream>

namespace quillmark {

JSONValue::JSONValue(Array value) : payload_(std::make_shared<const Array>(std::move(value))) {}

JSONValue::JSONValue(Object value) : payload_(std::make_shared<const Object>(std::move(value))) {}

JSONValue JSONValue::fromJSON(const nlohmann::json& document) {
    using Type = nlohmann::json::value_t;
    switch (document.type()) {
    case Type::null: return {};
    case Type::boolean: return document.get<bool>();
    case Type::number_integer:
    case Type::number_unsigned:
    case Type::number_float: return document.get<double>();
    case Type::string: return JSONValue(document.get_ref<const std::string&>());
    case Type::array: {
        Array elements;
        elements.reserve(document.size());
        for (const auto& element : document) elements.push_back(fromJSON(element));
        return JSONValue(std::move(elements));
    }
    case Type::object: {
        Object members;
        for (const auto& [key, member] : document.items()) members.emplace(key, fromJSON(member));
        return JSONValue(std::move(members));
    }
    default: return {};
    }
}

JSONValue::Kind JSONValue::kind() const noexcept {
    switch (payload_.index()) {
    case 1: return Kind::boolean;
    case 2: return Kind::number;
    case 3: return Kind::string;
    case 4: return Kind::array;
    case 5: return Kind::object;
    default: return Kind::null;
    }
}

std::optional<bool> JSONValue::boolValue() const noexcept {
    if (const bool* value = std::get_if<bool>(&payload_)) return *value;
    return std::nullopt;
}

std::optional<double> JSONValue::doubleValue() const noexcept {
    if (const double* value = std::get_if<double>(&payload_)) return *value;
    return std::nullopt;
}

std::optional<std::string> JSONValue::stringValue() const {
    if (const std::string* value = stringPointer()) return *value;
    return std::nullopt;
}

const std::string* JSONValue::stringPointer() const noexcept { return std::get_if<std::string>(&payload_); }

const JSONValue::Array* JSONValue::arrayValue() const noexcept {
    const auto* shared = std::get_if<std::shared_ptr<const Array>>(&payload_);
    return shared ? shared->get() : nullptr;
}

const JSONValue::Object* JSONValue::objectValue() const noexcept {
    const auto* shared = std::get_if<std::shared_ptr<const Object>>(&payload_);
    return shared ? shared->get() : nullptr;
}

std::optional<double> JSONValue::asDouble() const noexcept {
    if (const double* value = std::get_if<double>(&payload_)) return *value;
    if (const bool* value = std::get_if<bool>(&payload_)) return *value ? 1.0 : 0.0;
    return std::nullopt;
}

std::optional<bool> JSONValue::asBool() const noexcept {
    if (const bool* value = std::get_if<bool>(&payload_)) return *value;
    if (const double* value = std::get_if<double>(&payload_)) return *value != 0.0;
    return std::nullopt;
}

const JSONValue* JSONValue::operator[](std::string_view key) const& noexcept {
    const Object* members = objectValue();
    if (!members) return nullptr;
    const auto found = members->find(key);
    return found == members->end() ? nullptr : &found->second;
}

namespace {

std::string shortestNumber(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace

std::string JSONValue::prettyDescription() const {
    switch (kind()) {
    case Kind::boolean: return *boolValue() ? "true" : "false";
    case Kind::number: return shortestNumber(*doubleValue());
    case Kind::string: return "\"" + *stringPointer() + "\"";
    case Kind::array: {
        std::string text = "[";
        for (const JSONValue& element : *arrayValue()) {
            if (text.size() > 1) text += ", ";
            text += element.prettyDescription();
        }
        return text + "]";
    }
    case Kind::object: {
        std::string text = "{";
        for (const auto& [key, member] : *objectValue()) {
            if (text.size() > 1) text += ", ";
            text += key + ": " + member.prettyDescription();
        }
        return text + "}";
    }
    case Kind::null: break;
    }
    return "null";
}

bool operator==(const JSONValue& a, const JSONValue& b) noexcept {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
    case JSONValue::Kind::boolean: return a.boolValue() == b.boolValue();
    case JSONValue::Kind::number: return *a.doubleValue() == *b.doubleValue();
    case JSONValue::Kind::string: return *a.stringPointer() == *b.stringPointer();
    case JSONValue::Kind::array: return *a.arrayValue() == *b.arrayValue();
    case JSONValue::Kind::object: return *a.objectValue() == *b.objectValue();
    case JSONValue::Kind::null: break;
    }
    return true;
}

void PrintTo(const JSONValue& value, std::ostream* stream) { *stream << value.prettyDescription(); }

}  // namespace quillmark
