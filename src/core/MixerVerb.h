#pragma once

#include <optional>
#include <string_view>

namespace quillmark {

// The verb of a request to the engine.
enum class MixerVerb { get, set, subscribe };

// The verb's text on the wire: "get", "set", "subscribe".
constexpr std::string_view mixerVerbText(MixerVerb verb) noexcept {
    switch (verb) {
    case MixerVerb::get: return "get";
    case MixerVerb::set: return "set";
    case MixerVerb::subscribe: return "subscribe";
    }
    return "get";
}

// The verb whose text is exactly `text`, if any.
constexpr std::optional<MixerVerb> mixerVerbFromText(std::string_view text) noexcept {
    for (MixerVerb verb : {MixerVerb::get, MixerVerb::set, MixerVerb::subscribe})
        if (mixerVerbText(verb) == text) return verb;
    return std::nullopt;
}

}  // namespace quillmark
