#pragma once

#include <functional>

class QWidget;

namespace quillmark {

// The File menu's Close on a desktop without a global main menu: Ctrl+W closes (hides) the window it
// is given. The Edit commands (Ctrl+Z, Ctrl+Shift+Z, Ctrl+X, Ctrl+C, Ctrl+V, Ctrl+A) are the focused
// text field's own. Ctrl+, opens the preferences, as the tray menu shows beside "Preferences…".
class WindowShortcuts {
public:
    static void install(QWidget& window);
    // Ctrl+, calls `showPreferences` while `window` is the active window.
    static void installPreferences(QWidget& window, std::function<void()> showPreferences);

    WindowShortcuts() = delete;
};

}  // namespace quillmark
