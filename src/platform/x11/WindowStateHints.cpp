#include "platform/x11/WindowStateHints.h"

#include "platform/x11/NullWindowStateHints.h"
#include "platform/x11/XcbWindowStateHints.h"

#include <QGuiApplication>

namespace quillmark {

std::unique_ptr<WindowStateHints> WindowStateHints::keep(QWindow& window, States states) {
    // The window's id is an X window only on Qt's xcb platform, and only Qt's connection knows it.
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>()) {
            if (xcb_connection_t* connection = x11->connection())
                return std::make_unique<XcbWindowStateHints>(connection, window, states);
        }
    }
    return std::make_unique<NullWindowStateHints>();
}

}  // namespace quillmark
