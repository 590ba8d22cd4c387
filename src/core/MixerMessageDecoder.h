#pragma once

#include "core/MixerFrame.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace quillmark {

// Turns one engine message (the bytes between two NULs) into a frame.
class MixerMessageDecoder {
public:
    // Data nested deeper than this is dropped with its message: converting and later freeing the value
    // recurses once per level, and the engine's tree is only a few levels deep.
    static constexpr std::size_t maximumDataDepth = 512;

    // A JSON object with a string "path"; "data" becomes the payload (null when missing). Anything else
    // (empty, unparseable, not an object, no string path, data nested too deep) gives no frame.
    static std::optional<MixerFrame> decode(std::string_view message);
};

}  // namespace quillmark
