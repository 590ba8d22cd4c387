#pragma once

#include "core/JSONValue.h"

#include <string>
#include <vector>

namespace quillmark {

// One decoded message from the engine: the path it is about and its payload.
struct MixerFrame {
    std::string path;
    JSONValue data;

    // The path ends in "/value": data is the property's value itself.
    bool isValue() const noexcept;
    // data is an object with a "children" member (of any kind).
    bool isContainer() const noexcept;
    // data.properties.Type.value is exactly the string "device".
    bool isDeviceNode() const noexcept;
    // The keys of data.children: decimal integers first in numeric order, then the rest by code point.
    std::vector<std::string> children() const;
    // data.properties when it is an object, otherwise an empty map. Borrowed, no copy: valid while this
    // frame (or a copy of its data) lives.
    const JSONValue::Object& properties() const& noexcept;
    const JSONValue::Object& properties() const&& = delete;

    friend bool operator==(const MixerFrame&, const MixerFrame&) = default;
};

void PrintTo(const MixerFrame& frame, std::ostream* stream);

}  // namespace quillmark
