#pragma once

#include <memory>

class QWindow;

namespace quillmark {

// States a window manager keeps for a top-level window besides its stacking: on every workspace,
// out of the taskbar (and with it the window cycle), out of the pager. Window managers drop them
// when a window is withdrawn, so they are set on the native window anew each time before it is
// mapped, for as long as this object lives.
class WindowStateHints {
public:
    struct States {
        bool onAllWorkspaces = false;
        bool skipTaskbar = false;
        bool skipPager = false;
    };

    virtual ~WindowStateHints() = default;

    // Keeps `states` on `window`, which must outlive the result and should get it before it is
    // first shown. Through the application's X connection when it runs on an X display (Qt's xcb
    // platform); anywhere else the result does nothing. Needs the QGuiApplication to exist.
    static std::unique_ptr<WindowStateHints> keep(QWindow& window, States states);
};

}  // namespace quillmark
