#pragma once

#include "platform/tray/TrayColours.h"

#include <functional>
#include <memory>
#include <optional>

namespace quillmark {

// What the desktop's tray host says about the colours of the icons it holds, where it says anything: a
// tray icon drawn in them reads on the host's panel, whatever the application's own palette. Follows
// the host as it changes them or another host takes over. Main thread only.
class TrayHostColours {
public:
    virtual ~TrayHostColours() = default;

    // The colours the present host publishes; nothing when there is no host or it publishes none.
    virtual std::optional<TrayColours> colours() const = 0;
    // `listener` is called on the main thread each time colours() has changed.
    virtual void setListener(std::function<void()> listener) = 0;

    // The running desktop's: the X11 system tray's when the application runs on an X display (Qt's xcb
    // platform), otherwise one that never has colours. Needs the QGuiApplication to exist.
    static std::unique_ptr<TrayHostColours> forThisDesktop();
};

}  // namespace quillmark
