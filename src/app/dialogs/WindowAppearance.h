#pragma once

#include "app/look/HUDAppearance.h"

class QWidget;

namespace quillmark {

// The appearance a window of ours is drawn in: forced light or dark, or the desktop's (`system`). It is
// kept on the top-level window, and every widget inside resolves the HUDTokens against it when it draws.
class WindowAppearance {
public:
    // Sets the appearance of `widget`'s window and redraws the window.
    static void apply(QWidget& widget, HUDAppearance appearance);
    // The appearance set on `widget`'s window; `system` when none was set.
    static HUDAppearance of(const QWidget& widget);
    // Whether `widget` draws dark now: a forced appearance as set, `system` by the desktop.
    static bool isDark(const QWidget& widget);

    WindowAppearance() = delete;
};

}  // namespace quillmark
