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

    // One message that gives a frame: a report of the engine's tree, or the engine refusing a request
    // for frame.path. A refusal's data says why; it is no value of the tree.
    struct Message {
        MixerFrame frame;
        bool isRefusal = false;
    };

    // A JSON object with a string "path"; "data" becomes the payload (null when missing), and an "error"
    // member that reads as true (true or a non-zero number) makes it a refusal. Anything else (empty,
    // unparseable, not an object, no string path, data nested too deep) gives nothing.
    static std::optional<Message> decodeMessage(std::string_view message);
    // The frame of a report; nothing for a refusal or a message that gives no frame.
    static std::optional<MixerFrame> decode(std::string_view message);
};

}  // namespace quillmark
