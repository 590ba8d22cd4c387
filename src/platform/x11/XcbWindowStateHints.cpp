#include "platform/x11/XcbWindowStateHints.h"

#include <QEvent>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace quillmark {

namespace {

// _NET_WM_DESKTOP's value for a window on every workspace.
constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

XcbWindowStateHints::XcbWindowStateHints(xcb_connection_t* connection, QWindow& window, States states)
    : connection_(connection), window_(&window), onAllWorkspaces_(states.onAllWorkspaces),
      netWmState_(intern("_NET_WM_STATE")), netWmDesktop_(intern("_NET_WM_DESKTOP")) {
    if (states.onAllWorkspaces) states_.push_back(intern("_NET_WM_STATE_STICKY"));
    if (states.skipTaskbar) states_.push_back(intern("_NET_WM_STATE_SKIP_TASKBAR"));
    if (states.skipPager) states_.push_back(intern("_NET_WM_STATE_SKIP_PAGER"));
    window.installEventFilter(this);
    // A native window that exists but is not mapped carries the states from now on.
    if (window.handle() && !window.isVisible()) write();
}

XcbWindowStateHints::~XcbWindowStateHints() {
    if (window_) window_->removeEventFilter(this);
}

// The show event comes before the platform window maps, on every show from hidden.
bool XcbWindowStateHints::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Show) write();
    return false;
}

xcb_atom_t XcbWindowStateHints::intern(const char* name) const {
    const auto cookie = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    ReplyPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::vector<xcb_atom_t> XcbWindowStateHints::currentStates(xcb_window_t window) const {
    const auto cookie = xcb_get_property(connection_, 0, window, netWmState_, XCB_ATOM_ATOM, 0, 1024);
    ReplyPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM) return {};
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    return {atoms, atoms + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t)};
}

void XcbWindowStateHints::write() {
    if (!window_ || !window_->handle()) return;
    const auto window = static_cast<xcb_window_t>(window_->winId());
    std::vector<xcb_atom_t> states = currentStates(window);
    for (xcb_atom_t state : states_) {
        if (state != XCB_ATOM_NONE && std::find(states.begin(), states.end(), state) == states.end())
            states.push_back(state);
    }
    if (!states.empty()) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, netWmState_, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(states.size()), states.data());
    }
    if (onAllWorkspaces_) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, netWmDesktop_, XCB_ATOM_CARDINAL, 32, 1,
                            &kAllDesktops);
    }
    xcb_flush(connection_);
}

}  // namespace quillmark
