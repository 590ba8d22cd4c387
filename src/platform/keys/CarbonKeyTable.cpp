#include "platform/keys/CarbonKeyTable.h"

#include <array>

namespace quillmark {

namespace {

// X11 keysym values (numeric, so no X header is needed).
constexpr std::uint32_t XK_F1 = 0xffbe;
constexpr std::uint32_t fkeysym(int n) { return XK_F1 + static_cast<std::uint32_t>(n - 1); }
// KP_Space ... KP_Equal: the keysyms of the numeric keypad.
constexpr std::uint32_t kFirstKeypadKeysym = 0xff80;
constexpr std::uint32_t kLastKeypadKeysym = 0xffbd;

// A keypad key that types the same as a key of the main block.
constexpr CarbonKey keypadKey(std::uint32_t carbonCode, int qtKey, std::uint32_t keysym, std::string_view text,
                              std::string_view unmodified, int numLockOffQtKey = 0,
                              std::uint32_t numLockOffKeysym = 0) {
    return {carbonCode, qtKey, keysym, text, unmodified, true, numLockOffQtKey, numLockOffKeysym};
}

constexpr std::array kKeys{
    // Letters.
    CarbonKey{0x00, Qt::Key_A, 'a', "A", "a"},
    CarbonKey{0x0B, Qt::Key_B, 'b', "B", "b"},
    CarbonKey{0x08, Qt::Key_C, 'c', "C", "c"},
    CarbonKey{0x02, Qt::Key_D, 'd', "D", "d"},
    CarbonKey{0x0E, Qt::Key_E, 'e', "E", "e"},
    CarbonKey{0x03, Qt::Key_F, 'f', "F", "f"},
    CarbonKey{0x05, Qt::Key_G, 'g', "G", "g"},
    CarbonKey{0x04, Qt::Key_H, 'h', "H", "h"},
    CarbonKey{0x22, Qt::Key_I, 'i', "I", "i"},
    CarbonKey{0x26, Qt::Key_J, 'j', "J", "j"},
    CarbonKey{0x28, Qt::Key_K, 'k', "K", "k"},
    CarbonKey{0x25, Qt::Key_L, 'l', "L", "l"},
    CarbonKey{0x2E, Qt::Key_M, 'm', "M", "m"},
    CarbonKey{0x2D, Qt::Key_N, 'n', "N", "n"},
    CarbonKey{0x1F, Qt::Key_O, 'o', "O", "o"},
    CarbonKey{0x23, Qt::Key_P, 'p', "P", "p"},
    CarbonKey{0x0C, Qt::Key_Q, 'q', "Q", "q"},
    CarbonKey{0x0F, Qt::Key_R, 'r', "R", "r"},
    CarbonKey{0x01, Qt::Key_S, 's', "S", "s"},
    CarbonKey{0x11, Qt::Key_T, 't', "T", "t"},
    CarbonKey{0x20, Qt::Key_U, 'u', "U", "u"},
    CarbonKey{0x09, Qt::Key_V, 'v', "V", "v"},
    CarbonKey{0x0D, Qt::Key_W, 'w', "W", "w"},
    CarbonKey{0x07, Qt::Key_X, 'x', "X", "x"},
    CarbonKey{0x10, Qt::Key_Y, 'y', "Y", "y"},
    CarbonKey{0x06, Qt::Key_Z, 'z', "Z", "z"},
    // Digits (the Carbon codes do not follow the digits' order).
    CarbonKey{0x1D, Qt::Key_0, '0', "0", "0"},
    CarbonKey{0x12, Qt::Key_1, '1', "1", "1"},
    CarbonKey{0x13, Qt::Key_2, '2', "2", "2"},
    CarbonKey{0x14, Qt::Key_3, '3', "3", "3"},
    CarbonKey{0x15, Qt::Key_4, '4', "4", "4"},
    CarbonKey{0x17, Qt::Key_5, '5', "5", "5"},
    CarbonKey{0x16, Qt::Key_6, '6', "6", "6"},
    CarbonKey{0x1A, Qt::Key_7, '7', "7", "7"},
    CarbonKey{0x1C, Qt::Key_8, '8', "8", "8"},
    CarbonKey{0x19, Qt::Key_9, '9', "9", "9"},
    // Punctuation.
    CarbonKey{0x1B, Qt::Key_Minus, '-', "-", "-"},
    CarbonKey{0x18, Qt::Key_Equal, '=', "=", "="},
    CarbonKey{0x21, Qt::Key_BracketLeft, '[', "[", "["},
    CarbonKey{0x1E, Qt::Key_BracketRight, ']', "]", "]"},
    CarbonKey{0x2A, Qt::Key_Backslash, '\\', "\\", "\\"},
    CarbonKey{0x29, Qt::Key_Semicolon, ';', ";", ";"},
    CarbonKey{0x27, Qt::Key_Apostrophe, '\'', "'", "'"},
    CarbonKey{0x2B, Qt::Key_Comma, ',', ",", ","},
    CarbonKey{0x2F, Qt::Key_Period, '.', ".", "."},
    CarbonKey{0x2C, Qt::Key_Slash, '/', "/", "/"},
    CarbonKey{0x32, Qt::Key_QuoteLeft, '`', "`", "`"},
    // Function keys.
    CarbonKey{122, Qt::Key_F1, fkeysym(1), "F1", ""},
    CarbonKey{120, Qt::Key_F2, fkeysym(2), "F2", ""},
    CarbonKey{99, Qt::Key_F3, fkeysym(3), "F3", ""},
    CarbonKey{118, Qt::Key_F4, fkeysym(4), "F4", ""},
    CarbonKey{96, Qt::Key_F5, fkeysym(5), "F5", ""},
    CarbonKey{97, Qt::Key_F6, fkeysym(6), "F6", ""},
    CarbonKey{98, Qt::Key_F7, fkeysym(7), "F7", ""},
    CarbonKey{100, Qt::Key_F8, fkeysym(8), "F8", ""},
    CarbonKey{101, Qt::Key_F9, fkeysym(9), "F9", ""},
    CarbonKey{109, Qt::Key_F10, fkeysym(10), "F10", ""},
    CarbonKey{103, Qt::Key_F11, fkeysym(11), "F11", ""},
    CarbonKey{111, Qt::Key_F12, fkeysym(12), "F12", ""},
    CarbonKey{105, Qt::Key_F13, fkeysym(13), "F13", ""},
    CarbonKey{107, Qt::Key_F14, fkeysym(14), "F14", ""},
    CarbonKey{113, Qt::Key_F15, fkeysym(15), "F15", ""},
    CarbonKey{106, Qt::Key_F16, fkeysym(16), "F16", ""},
    CarbonKey{64, Qt::Key_F17, fkeysym(17), "F17", ""},
    CarbonKey{79, Qt::Key_F18, fkeysym(18), "F18", ""},
    CarbonKey{80, Qt::Key_F19, fkeysym(19), "F19", ""},
    CarbonKey{90, Qt::Key_F20, fkeysym(20), "F20", ""},
    // Arrows and navigation.
    CarbonKey{123, Qt::Key_Left, 0xff51, "←", ""},
    CarbonKey{124, Qt::Key_Right, 0xff53, "→", ""},
    CarbonKey{125, Qt::Key_Down, 0xff54, "↓", ""},
    CarbonKey{126, Qt::Key_Up, 0xff52, "↑", ""},
    CarbonKey{115, Qt::Key_Home, 0xff50, "↖", ""},
    CarbonKey{119, Qt::Key_End, 0xff57, "↘", ""},
    CarbonKey{116, Qt::Key_PageUp, 0xff55, "⇞", ""},
    CarbonKey{121, Qt::Key_PageDown, 0xff56, "⇟", ""},
    // Editing keys: the Mac Help key sits where PC keyboards have Insert.
    CarbonKey{51, Qt::Key_Backspace, 0xff08, "⌫", ""},
    CarbonKey{117, Qt::Key_Delete, 0xffff, "⌦", ""},
    CarbonKey{114, Qt::Key_Insert, 0xff63, "Insert", ""},
    // Space, Return, Tab, Escape.
    CarbonKey{49, Qt::Key_Space, 0x20, "Space", " "},
    CarbonKey{36, Qt::Key_Return, 0xff0d, "↩", ""},
    CarbonKey{48, Qt::Key_Tab, 0xff09, "⇥", ""},
    CarbonKey{53, Qt::Key_Escape, 0xff1b, "⎋", ""},
    // The numeric keypad; its digits and point move the cursor with Num Lock off.
    keypadKey(0x52, Qt::Key_0, 0xffb0, "Num0", "0", Qt::Key_Insert, 0xff9e),
    keypadKey(0x53, Qt::Key_1, 0xffb1, "Num1", "1", Qt::Key_End, 0xff9c),
    keypadKey(0x54, Qt::Key_2, 0xffb2, "Num2", "2", Qt::Key_Down, 0xff99),
    keypadKey(0x55, Qt::Key_3, 0xffb3, "Num3", "3", Qt::Key_PageDown, 0xff9b),
    keypadKey(0x56, Qt::Key_4, 0xffb4, "Num4", "4", Qt::Key_Left, 0xff96),
    keypadKey(0x57, Qt::Key_5, 0xffb5, "Num5", "5", Qt::Key_Clear, 0xff9d),
    keypadKey(0x58, Qt::Key_6, 0xffb6, "Num6", "6", Qt::Key_Right, 0xff98),
    keypadKey(0x59, Qt::Key_7, 0xffb7, "Num7", "7", Qt::Key_Home, 0xff95),
    keypadKey(0x5B, Qt::Key_8, 0xffb8, "Num8", "8", Qt::Key_Up, 0xff97),
    keypadKey(0x5C, Qt::Key_9, 0xffb9, "Num9", "9", Qt::Key_PageUp, 0xff9a),
    keypadKey(0x41, Qt::Key_Period, 0xffae, "Num.", ".", Qt::Key_Delete, 0xff9f),
    keypadKey(0x43, Qt::Key_Asterisk, 0xffaa, "Num*", "*"),
    keypadKey(0x45, Qt::Key_Plus, 0xffab, "Num+", "+"),
    keypadKey(0x4E, Qt::Key_Minus, 0xffad, "Num-", "-"),
    keypadKey(0x4B, Qt::Key_Slash, 0xffaf, "Num/", "/"),
    keypadKey(0x51, Qt::Key_Equal, 0xffbd, "Num=", "="),
    keypadKey(0x4C, Qt::Key_Enter, 0xff8d, "NumEnter", ""),
    // Clear has no twin: to Qt and X it is a key of its own.
    CarbonKey{0x47, Qt::Key_Clear, 0xff0b, "NumClear", ""},
    // The volume keys of multimedia keyboards.
    CarbonKey{0x48, Qt::Key_VolumeUp, 0x1008ff13, "Volume Up", ""},
    CarbonKey{0x49, Qt::Key_VolumeDown, 0x1008ff11, "Volume Down", ""},
    CarbonKey{0x4A, Qt::Key_VolumeMute, 0x1008ff12, "Mute", ""},
};

// Keys Qt reports under another name than their unshifted symbol (US layout).
struct QtAlias {
    int qtKey;
    int sameKeyAs;
};
constexpr std::array kQtAliases{
    QtAlias{Qt::Key_Exclam, Qt::Key_1},
    QtAlias{Qt::Key_At, Qt::Key_2},
    QtAlias{Qt::Key_NumberSign, Qt::Key_3},
    QtAlias{Qt::Key_Dollar, Qt::Key_4},
    QtAlias{Qt::Key_Percent, Qt::Key_5},
    QtAlias{Qt::Key_AsciiCircum, Qt::Key_6},
    QtAlias{Qt::Key_Ampersand, Qt::Key_7},
    QtAlias{Qt::Key_Asterisk, Qt::Key_8},
    QtAlias{Qt::Key_ParenLeft, Qt::Key_9},
    QtAlias{Qt::Key_ParenRight, Qt::Key_0},
    QtAlias{Qt::Key_Underscore, Qt::Key_Minus},
    QtAlias{Qt::Key_Plus, Qt::Key_Equal},
    QtAlias{Qt::Key_BraceLeft, Qt::Key_BracketLeft},
    QtAlias{Qt::Key_BraceRight, Qt::Key_BracketRight},
    QtAlias{Qt::Key_Bar, Qt::Key_Backslash},
    QtAlias{Qt::Key_Colon, Qt::Key_Semicolon},
    QtAlias{Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
    QtAlias{Qt::Key_Less, Qt::Key_Comma},
    QtAlias{Qt::Key_Greater, Qt::Key_Period},
    QtAlias{Qt::Key_Question, Qt::Key_Slash},
    QtAlias{Qt::Key_AsciiTilde, Qt::Key_QuoteLeft},
    QtAlias{Qt::Key_Backtab, Qt::Key_Tab},
    QtAlias{Qt::Key_Enter, Qt::Key_Return},
};
// Layouts with a decimal comma put KP_Separator on the keypad's point.
constexpr QtAlias kKeypadAlias{Qt::Key_Comma, Qt::Key_Period};

struct ModifierPair {
    std::uint32_t carbon;
    Qt::KeyboardModifier qt;
};
constexpr std::array kModifiers{
    ModifierPair{CarbonKeyTable::cmdKey, Qt::MetaModifier},
    ModifierPair{CarbonKeyTable::shiftKey, Qt::ShiftModifier},
    ModifierPair{CarbonKeyTable::optionKey, Qt::AltModifier},
    ModifierPair{CarbonKeyTable::controlKey, Qt::ControlModifier},
};

template <typename Predicate>
std::optional<CarbonKey> findKey(Predicate matches) {
    for (const CarbonKey& key : kKeys)
        if (matches(key)) return key;
    return std::nullopt;
}

}  // namespace

std::span<const CarbonKey> CarbonKeyTable::entries() { return kKeys; }

std::optional<CarbonKey> CarbonKeyTable::fromCarbon(std::uint32_t carbonCode) {
    return findKey([carbonCode](const CarbonKey& key) { return key.carbonCode == carbonCode; });
}

std::optional<CarbonKey> CarbonKeyTable::fromQtKey(int qtKey, Qt::KeyboardModifiers modifiers,
                                                   std::uint32_t nativeKeysym) {
    const bool onKeypad = modifiers.testFlag(Qt::KeypadModifier) ||
                          (nativeKeysym >= kFirstKeypadKeysym && nativeKeysym <= kLastKeypadKeysym);
    if (onKeypad) {
        // Never the main block's twin: a grab there would swallow what the user types.
        if (qtKey == kKeypadAlias.qtKey) qtKey = kKeypadAlias.sameKeyAs;
        return findKey([qtKey](const CarbonKey& key) {
            return key.keypad && (key.qtKey == qtKey || (key.numLockOffQtKey != 0 && key.numLockOffQtKey == qtKey));
        });
    }
    for (const QtAlias& alias : kQtAliases)
        if (alias.qtKey == qtKey) qtKey = alias.sameKeyAs;
    return findKey([qtKey](const CarbonKey& key) { return !key.keypad && key.qtKey == qtKey; });
}

std::optional<CarbonKey> CarbonKeyTable::fromKeysym(std::uint32_t keysym) {
    if (keysym >= 'A' && keysym <= 'Z') keysym += 'a' - 'A';
    return findKey([keysym](const CarbonKey& key) {
        return key.keysym == keysym || (key.numLockOffKeysym != 0 && key.numLockOffKeysym == keysym);
    });
}

Qt::KeyboardModifiers CarbonKeyTable::qtModifiers(std::uint32_t carbonMask) {
    Qt::KeyboardModifiers result;
    for (const ModifierPair& pair : kModifiers)
        if (carbonMask & pair.carbon) result |= pair.qt;
    return result;
}

std::uint32_t CarbonKeyTable::carbonModifiers(Qt::KeyboardModifiers modifiers) {
    std::uint32_t result = 0;
    for (const ModifierPair& pair : kModifiers)
        if (modifiers.testFlag(pair.qt)) result |= pair.carbon;
    return result;
}

}  // namespace quillmark
