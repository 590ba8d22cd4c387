// The one place where each desktop interface's backend is chosen: X11 when the application runs on Qt's
// xcb platform, the null backends (or none) anywhere else.
#include "platform/shortcuts/GlobalShortcuts.h"
#include "platform/shortcuts/NullGlobalShortcuts.h"
#include "platform/tray/NullTrayHostColours.h"
#include "platform/tray/TrayHostColours.h"
#include "platform/windows/DirectWindowSurface.h"
#include "platform/windows/NullWindowStateHints.h"
#include "platform/windows/WindowStateHints.h"
#include "platform/x11/XcbDirectWindowSurface.h"
#include "platform/x11/XcbGlobalShortcuts.h"
#include "platform/x11/XcbTrayHostColours.h"
#include "platform/x11/XcbWindowStateHints.h"

#include <QGuiApplication>

namespace quillmark {

namespace {

// Only Qt's own X connection will do: grabbed keys arrive in its event stream, and a window's id is an
// X window only on Qt's xcb platform, known to that connection alone.
xcb_connection_t* qtConnection() {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

std::unique_ptr<GlobalShortcuts> GlobalShortcuts::forThisDesktop() {
    if (xcb_connection_t* connection = qtConnection()) return std::make_unique<XcbGlobalShortcuts>(connection);
    return std::make_unique<NullGlobalShortcuts>();
}

std::unique_ptr<WindowStateHints> WindowStateHints::keep(QWindow& window, States states) {
    if (xcb_connection_t* connection = qtConnection())
        return std::make_unique<XcbWindowStateHints>(connection, window, states);
    return std::make_unique<NullWindowStateHints>();
}

bool DirectWindowSurface::isAvailable() { return qtConnection() != nullptr; }

std::unique_ptr<DirectWindowSurface> DirectWindowSurface::open(WId window) {
    xcb_connection_t* connection = qtConnection();
    if (!connection || window == 0) return nullptr;
    return XcbDirectWindowSurface::open(connection, static_cast<xcb_window_t>(window));
}

// On a connection of its own to the display Qt opened; Qt's connection only tells that there is one.
std::unique_ptr<TrayHostColours> TrayHostColours::forThisDesktop() {
    if (qtConnection()) {
        if (auto colours = XcbTrayHostColours::open(nullptr)) return colours;
    }
    return std::make_unique<NullTrayHostColours>();
}

}  // namespace quillmark
