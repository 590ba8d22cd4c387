#pragma once

class QWidget;

namespace quillmark {

// The File menu's Close on a desktop without a global main menu: Ctrl+W closes (hides) the window it
// is given. The Edit commands (Ctrl+Z, Ctrl+Shift+Z, Ctrl+X, Ctrl+C, Ctrl+V, Ctrl+A) are the focused
// text field's own.
class WindowShortcuts {
public:
    static void install(QWidget& window);

    WindowShortcuts() = delete;
};

}  // namespace quillmark
