#pragma once

#include "core/MixerVerb.h"

#include <optional>
#include <string>

namespace quillmark {

// One request to the engine. Aggregate initialisation is the memberwise constructor.
struct MixerRequest {
    MixerVerb verb = MixerVerb::get;
    std::string path;
    std::optional<std::string> value;
    // With a value, forces the wire path to end in "/value/" (the property's value node).
    bool useValueSuffix = false;

    static MixerRequest get(std::string path);
    static MixerRequest subscribe(std::string path);
    // Writes `value` to `path` exactly as given.
    static MixerRequest setRaw(std::string path, std::string value);
    // Writes `value` to the value node of the property at `path`.
    static MixerRequest setProperty(std::string path, std::string value);

    // The request's text without its NUL terminator: verb, space, path and, with a value, space and value
    // (unquoted, unescaped).
    std::string wireString() const;

    // Whether the path or value holds a NUL byte: such a request would smuggle a second one onto the
    // wire, which has no escaping, so the client never writes it.
    bool holdsNul() const noexcept;

    friend bool operator==(const MixerRequest&, const MixerRequest&) = default;
};

}  // namespace quillmark
