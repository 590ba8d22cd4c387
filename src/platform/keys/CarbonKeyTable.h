#pragma once

#include <Qt>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quillmark {

// One key as stored (Carbon virtual key code) and as this platform names it.
struct CarbonKey {
    std::uint32_t carbonCode;  // Carbon virtual key code (ANSI layout)
    int qtKey;                 // Qt::Key; of a keypad key, with Num Lock on (keypad 1 is Key_1)
    std::uint32_t keysym;      // X11 keysym of the unshifted key (letters: the lower-case keysym); keypad: KP_1
    std::string_view text;     // display text: "A", "1", "-", "F12", "←", "Space", "↩", "Num1", ...
    std::string_view
        unmodified;  // what the key types without modifiers ("a", "1", "-", " "); empty when it types nothing
    // A key of the numeric keypad that has a twin elsewhere (keypad 1 and 1): Qt flags it with
    // Qt::KeypadModifier, X names it with a KP_ keysym.
    bool keypad = false;
    // A keypad digit or point with Num Lock off is another key to Qt and X (keypad 1: Key_End, KP_End).
    int numLockOffQtKey = 0;
    std::uint32_t numLockOffKeysym = 0;
};

// Our own table between Carbon virtual key codes and Qt keys / X11 keysyms, used both ways: letters,
// digits, punctuation, F1-F20, arrows, navigation and editing keys, Space, Return, Tab, Escape, the
// numeric keypad's keys and the three volume keys (up, down, mute).
// Bindings are stored in Carbon form; the X11 layer grabs the keysym, the recorder reads Qt keys.
class CarbonKeyTable {
public:
    // Carbon modifier mask bits.
    static constexpr std::uint32_t cmdKey = 0x100;
    static constexpr std::uint32_t shiftKey = 0x200;
    static constexpr std::uint32_t optionKey = 0x800;
    static constexpr std::uint32_t controlKey = 0x1000;
    static constexpr std::uint32_t allModifiers = cmdKey | shiftKey | optionKey | controlKey;

    static std::span<const CarbonKey> entries();

    static std::optional<CarbonKey> fromCarbon(std::uint32_t carbonCode);
    // The key of a Qt key event. On the keypad (Qt::KeypadModifier, or a KP_ keysym as the event's native
    // key: Qt leaves the flag off keypad =) only the keypad's own keys, whatever the state of Num Lock
    // (Key_1 and Key_End are both keypad 1); elsewhere also the shifted symbols of the US layout
    // (Qt::Key_Exclam is the key of 1) and Key_Backtab.
    static std::optional<CarbonKey> fromQtKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                                              std::uint32_t nativeKeysym = 0);
    // Letters match in either case; a keypad key also by its keysym with Num Lock off.
    static std::optional<CarbonKey> fromKeysym(std::uint32_t keysym);

    // command = Meta (Super), option = Alt, control = Ctrl, shift = Shift; other bits are dropped.
    static Qt::KeyboardModifiers qtModifiers(std::uint32_t carbonMask);
    static std::uint32_t carbonModifiers(Qt::KeyboardModifiers modifiers);
};

}  // namespace quillmark
