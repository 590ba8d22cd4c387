#include "platform/shortcuts/GlobalShortcuts.h"

#include "platform/shortcuts/NullGlobalShortcuts.h"
#include "platform/x11/XcbGlobalShortcuts.h"

#include <QGuiApplication>

namespace quillmark {

std::unique_ptr<GlobalShortcuts> GlobalShortcuts::forThisDesktop() {
    // Only Qt's own X connection works: the grabbed keys arrive in its event stream.
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>()) {
            if (xcb_connection_t* connection = x11->connection())
                return std::make_unique<XcbGlobalShortcuts>(connection);
        }
    }
    return std::make_unique<NullGlobalShortcuts>();
}

}  // namespace quillmark
