#pragma once

#include "app/look/HUDAppearance.h"

#include <QColor>

#include <cstdint>

class QWidget;

namespace quillmark {

// The application's one palette: fifteen tokens, each a pair of opaque sRGB colours (light, dark) that
// resolves against the appearance of the window being drawn.
class HUDTokens {
public:
    struct RGB {
        std::uint8_t r, g, b;
    };
    struct Token {
        RGB light;
        RGB dark;
    };

    // The half of `token` for a light (false) or dark (true) appearance.
    static QColor resolve(const Token& token, bool dark);
    // `system` follows the desktop (systemIsDark()); light and dark are forced.
    static QColor resolve(const Token& token, HUDAppearance appearance);
    // Whether an appearance draws dark: forced ones as set, `system` by the desktop.
    static bool isDark(HUDAppearance appearance);
    // The desktop's appearance, read from the application palette (dark when the window colour is darker
    // than its text); high-contrast themes count by the same rule.
    static bool systemIsDark();

    static const Token bg;
    static const Token bgRaised;
    static const Token bgHeader;
    static const Token bgRecessed;
    static const Token border;
    static const Token borderSubtle;
    static const Token fg;
    static const Token fgMid;
    static const Token fgMuted;
    static const Token accent;
    static const Token accentDim;
    static const Token green;
    static const Token cobalt;
    static const Token amber;
    static const Token red;

    HUDTokens() = delete;
};

}  // namespace quillmark
