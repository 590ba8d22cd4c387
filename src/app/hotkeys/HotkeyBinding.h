#pragma once

#include "app/hotkeys/HotkeyAction.h"

#include <Qt>
#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

class QKeyEvent;

namespace quillmark {

struct HotkeyBinding;
// The global hotkey of each action; an action without an entry has none. Ordered by action.
using HotkeyBindings = std::map<HotkeyAction, HotkeyBinding>;

// One global shortcut in its stored form: Carbon key code, Carbon modifier mask and the key's label.
struct HotkeyBinding {
    std::uint32_t keyCode = 0;          // Carbon virtual key code
    std::uint32_t carbonModifiers = 0;  // CarbonKeyTable::cmdKey | shiftKey | optionKey | controlKey
    std::string characters;             // label shown after the modifier glyphs: "F12", "T", "Space", "↑", "Num+"

    friend bool operator==(const HotkeyBinding&, const HotkeyBinding&) = default;

    // The modifiers as this desktop names them (Ctrl+, Alt+, Shift+, Super+, in that order) followed by
    // `characters`: "Ctrl+Alt+Super+F12". The stored form is unchanged.
    std::string displayString() const;

    // The Carbon mask of a key event's modifiers: Meta = command, Alt = option, Ctrl = control,
    // Shift = shift; keypad and other flags are dropped.
    static std::uint32_t nsToCarbon(Qt::KeyboardModifiers modifiers);

    // A key-down as the recorder sees it, in Carbon terms.
    struct KeyEvent {
        std::uint32_t keyCode = 0;
        Qt::KeyboardModifiers modifiers;
        std::optional<std::string> charactersIgnoringModifiers;  // UTF-8
    };
    // Always a binding: label from the known-key table, else the upper-cased characters when they are
    // printable and outside the private-use block, else "Key #<code>".
    static HotkeyBinding from(const KeyEvent& event);
    // A Qt key-down through our Carbon key table, a keypad key as the keypad's own whatever the state of
    // Num Lock; nothing for a key the table does not know, since such a key has no Carbon code to store.
    static std::optional<HotkeyBinding> from(const QKeyEvent& event);

    // Desktops whose first-run bindings differ.
    enum class DefaultsDesktop {
        unreserved,  // grants every combination
        x11,         // the X server keeps Ctrl+Alt+F1...F12 for switching consoles
    };
    static constexpr DefaultsDesktop thisDesktop = DefaultsDesktop::x11;

    // The ten bindings a first run starts with on a desktop. On X11 the six on Ctrl+Alt+F10...F12
    // (surround, stereo, mono, the three recalls) move to Super+Alt and Shift+Super+Alt.
    static const HotkeyBindings& firstRunDefaults(DefaultsDesktop desktop);
    // Those of this desktop: what a first run stores.
    static const HotkeyBindings& firstRunDefaults() { return firstRunDefaults(thisDesktop); }

    // {"keyCode": n, "carbonModifiers": n, "characters": "..."}; decoding needs all three, with key code and
    // mask integers in 0 ... 4294967295.
    nlohmann::json toJSON() const;
    static std::optional<HotkeyBinding> fromJSON(const nlohmann::json& object);
};

}  // namespace quillmark

template <>
struct std::hash<quillmark::HotkeyBinding> {
    std::size_t operator()(const quillmark::HotkeyBinding& binding) const noexcept {
        const std::size_t codes = (std::size_t{binding.keyCode} << 32) ^ binding.carbonModifiers;
        return std::hash<std::size_t>{}(codes) ^ (std::hash<std::string>{}(binding.characters) << 1);
    }
};
