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
    int qtKey;                 // Qt::Key
    std::uint32_t keysym;      // X11 keysym of the unshifted key (letters: the lower-case keysym)
    std::string_view text;     // display text: "A", "1", "-", "F12", "←", "Space", "↩", ...
    std::string_view
        unmodified;  // what the key types without modifiers ("a", "1", "-", " "); empty when it types nothing
};

// Our own table between Carbon virtual key codes and Qt keys / X11 keysyms, used both ways: letters,
// digits, punctuation, F1-F20, arrows, navigation and editing keys, Space, Return, Tab, Escape.
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
    // Also accepts the shifted symbols of the US layout (Qt::Key_Exclam is the key of 1) and Key_Backtab.
    static std::optional<CarbonKey> fromQtKey(int qtKey);
    // Letters match in either case.
    static std::optional<CarbonKey> fromKeysym(std::uint32_t keysym);

    // command = Meta (Super), option = Alt, control = Ctrl, shift = Shift; other bits are dropped.
    static Qt::KeyboardModifiers qtModifiers(std::uint32_t carbonMask);
    static std::uint32_t carbonModifiers(Qt::KeyboardModifiers modifiers);
};

}  // namespace quillmark
