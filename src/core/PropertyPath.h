#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quillmark {

// The full path of one engine property, such as /devices/0/outputs/22/Mute (no trailing slash).
// Equal and hashed by the path alone.
class PropertyPath {
public:
    PropertyPath() = default;
    // Stored unchanged: no validation, no normalisation.
    explicit PropertyPath(std::string base) : base_(std::move(base)) {}

    const std::string& base() const noexcept { return base_; }
    // Where the engine reports the property's current value: base + "/value".
    std::string valuePath() const;
    // Subscriptions go to the base path itself.
    const std::string& subscribePath() const noexcept { return base_; }
    // Whether `path` is exactly valuePath(), without building it.
    bool isValuePath(std::string_view path) const noexcept;

    friend bool operator==(const PropertyPath&, const PropertyPath&) = default;

private:
    std::string base_;
};

}  // namespace quillmark

template <>
struct std::hash<quillmark::PropertyPath> {
    std::size_t operator()(const quillmark::PropertyPath& path) const noexcept {
        return std::hash<std::string>{}(path.base());
    }
};
