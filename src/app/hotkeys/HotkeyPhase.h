#pragma once

namespace quillmark {

// Whether a hotkey event is the key going down or coming up.
enum class HotkeyPhase {
    pressed,
    released,
};

}  // namespace quillmark
