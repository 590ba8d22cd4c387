#pragma once

#include "platform/windows/WindowStateHints.h"

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <xcb/xcb.h>

#include <vector>

namespace quillmark {

// The states as EWMH properties on the native window: _NET_WM_STATE (STICKY, SKIP_TASKBAR,
// SKIP_PAGER, merged with the states already there, such as Qt's ABOVE) and _NET_WM_DESKTOP
// 0xFFFFFFFF for every workspace. Written when the window is shown, before Qt maps it, as EWMH asks
// of a window that is not mapped yet.
class XcbWindowStateHints final : public QObject, public WindowStateHints {
public:
    XcbWindowStateHints(xcb_connection_t* connection, QWindow& window, States states);
    ~XcbWindowStateHints() override;
    XcbWindowStateHints(const XcbWindowStateHints&) = delete;
    XcbWindowStateHints& operator=(const XcbWindowStateHints&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    xcb_atom_t intern(const char* name) const;
    std::vector<xcb_atom_t> currentStates(xcb_window_t window) const;
    void write();

    xcb_connection_t* connection_;
    QPointer<QWindow> window_;
    bool onAllWorkspaces_;
    xcb_atom_t netWmState_;
    xcb_atom_t netWmDesktop_;
    std::vector<xcb_atom_t> states_;  // ours, in _NET_WM_STATE
};

}  // namespace quillmark
