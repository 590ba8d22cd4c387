#pragma once

#include "core/MixerFrame.h"

#include <optional>
#include <string_view>

namespace quillmark {

// Turns one engine message (the bytes between two NULs) into a frame.
class MixerMessageDecoder {
public:
    // A JSON object with a string "path"; "data" becomes the payload (null when missing). Anything else
    // (empty, unparseable, not an object, no string path) gives no frame.
    static std::optional<MixerFrame> decode(std::string_view message);
};

} // namespace quillmark
