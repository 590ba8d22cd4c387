#pragma once

#include "app/hotkeys/HotkeyBinding.h"

#include <QString>

namespace quillmark {

// The user guide's table of hotkeys: every command with its binding, as Markdown. Made from the
// program's own bindings at build time, so the guide cannot disagree with what a first run registers.
class HotkeyTable {
public:
    // One row per command in registration order: its display name and its binding's display text, or
    // "none" when `bindings` gives it no hotkey.
    static QString markdown(const HotkeyBindings& bindings);

    HotkeyTable() = delete;
};

}  // namespace quillmark
