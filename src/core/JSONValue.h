#pragma once

#include <nlohmann/json_fwd.hpp>

#include <concepts>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillmark {

// One JSON value as the engine sends it: bool, number (always a double), string, array, object or null.
// An immutable value: arrays and objects are shared, not copied, so copies are cheap and may cross threads.
class JSONValue {
public:
    enum class Kind { boolean, number, string, array, object, null };

    using Array = std::vector<JSONValue>;
    // Keys have no meaning in their order; the map's own (sorted) order is what descriptions show.
    using Object = std::map<std::string, JSONValue, std::less<>>;

    JSONValue() noexcept = default;  // null
    JSONValue(std::nullptr_t) noexcept {}
    JSONValue(bool value) noexcept : payload_(value) {}
    JSONValue(double value) noexcept : payload_(value) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) JSONValue(T value)
    noexcept : payload_(static_cast<double>(value)) {}
    JSONValue(std::string value) : payload_(std::move(value)) {}
    JSONValue(std::string_view value) : payload_(std::string(value)) {}
    JSONValue(const char* value) : payload_(std::string(value)) {}
    JSONValue(Array value);
    JSONValue(Object value);

    // Builds the value from a parsed document: null, booleans, numbers (as doubles), strings, arrays and
    // objects converted recursively; anything else (a discarded or binary value) becomes null.
    static JSONValue fromJSON(const nlohmann::json& document);

    Kind kind() const noexcept;
    bool isNull() const noexcept { return kind() == Kind::null; }

    // Strict: a value only for the matching case.
    std::optional<bool> boolValue() const noexcept;
    std::optional<double> doubleValue() const noexcept;
    std::optional<std::string> stringValue() const;
    // Borrowed views of the payload (nullptr for another case); valid while this value or a copy lives.
    const std::string* stringPointer() const noexcept;
    const Array* arrayValue() const noexcept;
    const Object* objectValue() const noexcept;

    // Lenient: a Boolean reads as 1 or 0, a number as true when not zero (NaN is true, -0 false).
    // Every reader of engine values uses these, so a value reads the same whichever way it was sent.
    std::optional<double> asDouble() const noexcept;
    std::optional<bool> asBool() const noexcept;

    // The member `key` of an object, or nullptr when this is not an object or has no such member.
    // No copy is made: the pointer stays valid while this value (or a copy of it) lives. Not callable
    // on a temporary, whose members would die with it.
    const JSONValue* operator[](std::string_view key) const& noexcept;
    const JSONValue* operator[](std::string_view key) const&& = delete;

    // One line for diagnostics: numbers in their shortest round-trip form, strings quoted but not
    // escaped, object keys unquoted.
    std::string prettyDescription() const;

    // Structural: same case and equal payloads; numbers compare as doubles, objects as unordered maps.
    friend bool operator==(const JSONValue& a, const JSONValue& b) noexcept;

private:
    using Payload = std::variant<std::monostate, bool, double, std::string, std::shared_ptr<const Array>,
                                 std::shared_ptr<const Object>>;
    Payload payload_;
};

// Lets test frameworks print values.
void PrintTo(const JSONValue& value, std::ostream* stream);

}  // namespace quillmark
