#include "platform/x11/DirectWindowSurface.h"

#include "platform/x11/XcbDirectWindowSurface.h"

#include <QGuiApplication>

namespace quillmark {

namespace {

xcb_connection_t* applicationConnection() {
    // The window's id is an X window only on Qt's xcb platform, and only Qt's connection knows it.
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

bool DirectWindowSurface::isAvailable() { return applicationConnection() != nullptr; }

std::unique_ptr<DirectWindowSurface> DirectWindowSurface::open(WId window) {
    xcb_connection_t* connection = applicationConnection();
    if (!connection || window == 0) return nullptr;
    return XcbDirectWindowSurface::open(connection, static_cast<xcb_window_t>(window));
}

}  // namespace quillmark
