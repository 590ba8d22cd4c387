#pragma once

#include "platform/shortcuts/RegistrationStatus.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace quillmark {

// System-wide keyboard shortcuts: a key combination registered under an id reports its key going down
// and coming up, whichever application has the focus. Key codes and modifier masks are in the stored
// (Carbon) form; each backend translates them for its desktop.
class GlobalShortcuts {
public:
    enum class Edge { down, up };
    // Called on the main thread. While a key is held, `down` may come again (key repeat); `up` comes once.
    // A key held when its shortcut is unregistered reports nothing more, whatever is registered meanwhile.
    using Listener = std::function<void(std::uint32_t id, Edge edge)>;

    virtual ~GlobalShortcuts() = default;

    // False when the desktop offers no global shortcuts at all (no X11 display).
    virtual bool isAvailable() const = 0;
    // Carbon masks: cmdKey 0x100 = Super, shiftKey 0x200 = Shift, optionKey 0x800 = Alt,
    // controlKey 0x1000 = Ctrl; other bits are ignored.
    virtual RegistrationStatus registerShortcut(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                                std::uint32_t id) = 0;
    virtual void unregisterShortcut(std::uint32_t id) = 0;
    virtual void setListener(Listener listener) = 0;

    // The facility of the running desktop: X11 when the application runs on an X display (Qt's xcb
    // platform), otherwise one that registers nothing. Needs the QGuiApplication to exist.
    static std::unique_ptr<GlobalShortcuts> forThisDesktop();
};

}  // namespace quillmark
