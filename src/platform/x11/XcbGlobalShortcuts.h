#pragma once

#include "platform/shortcuts/GlobalShortcuts.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <map>
#include <optional>
#include <vector>

namespace quillmark {

struct X11Modifiers;

// Global shortcuts on X11: passive key grabs on the root windows, one per combination of the lock
// keys (Caps, Num and Scroll Lock) so that a shortcut works whatever lock is on. The grabs are made on
// the application's own (Qt's) connection, whose event stream brings the key events to the main
// thread through Qt's native event filter. A held key arrives as repeated presses and one release
// (XKB detectable auto-repeat, set on that connection). When the keyboard or modifier map changes,
// every shortcut is resolved and grabbed afresh. Lives no longer than the application object.
class XcbGlobalShortcuts final : public GlobalShortcuts, private QAbstractNativeEventFilter {
public:
    explicit XcbGlobalShortcuts(xcb_connection_t* connection);
    ~XcbGlobalShortcuts() override;
    XcbGlobalShortcuts(const XcbGlobalShortcuts&) = delete;
    XcbGlobalShortcuts& operator=(const XcbGlobalShortcuts&) = delete;

    bool isAvailable() const override { return true; }
    RegistrationStatus registerShortcut(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                        std::uint32_t id) override;
    // A key held down at this moment stays ours until it comes up: its repeats and its release are
    // swallowed, so a shortcut registered meanwhile on the same combination does not fire from it.
    void unregisterShortcut(std::uint32_t id) override;
    void setListener(Listener listener) override;

private:
    struct Variant {
        xcb_window_t root;
        std::uint16_t modifiers;
        friend bool operator==(const Variant&, const Variant&) = default;
    };
    // Where a shortcut is grabbed under the current maps; no variants while it is not grabbed.
    struct Placement {
        xcb_keycode_t keycode = XCB_NO_SYMBOL;
        std::uint16_t modifiers = 0;  // without lock bits
        std::uint16_t lockMask = 0;   // lock bits, ignored when matching
        std::vector<Variant> variants;
        bool grabbed() const { return !variants.empty(); }
        friend bool operator==(const Placement&, const Placement&) = default;
    };
    struct Grab {
        std::uint32_t id;
        std::uint32_t carbonKeyCode;
        std::uint32_t carbonModifiers;
        Placement placement;
    };
    struct Key {
        xcb_keycode_t keycode = XCB_NO_SYMBOL;
        bool switchesConsole = false;  // Ctrl+Alt on it is the server's virtual-terminal switch
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool onPress(const xcb_key_press_event_t& event);
    bool onRelease(const xcb_key_release_event_t& event);
    bool isMapChange(const xcb_generic_event_t& event) const;
    bool isRoot(xcb_window_t window) const;
    void notify(std::uint32_t id, Edge edge) const;

    Key keyFor(std::uint32_t carbonKeyCode) const;
    // Where the combination goes under `modifiers` and the current keyboard map, or our refusal.
    RegistrationStatus place(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers, const X11Modifiers& modifiers,
                             Placement& placement) const;
    bool combinationTaken(const Placement& placement) const;
    // Resolves every shortcut again; those that moved are ungrabbed first, then grabbed where they are now.
    void regrabAll();
    // Grabs a shortcut at its new place, or logs why it is not grabbed any more.
    void grabAgain(Grab& grab, RegistrationStatus status, Placement placement);
    // Grabs every variant, each checked by a round trip; on a refusal releases those it made and
    // returns the server's error code.
    RegistrationStatus grabAll(xcb_keycode_t keycode, const std::vector<Variant>& variants);
    void ungrab(xcb_keycode_t keycode, const std::vector<Variant>& variants);

    xcb_connection_t* connection_;
    std::vector<xcb_window_t> roots_;
    std::optional<std::uint8_t> xkbEvent_;  // the XKB extension's event code, when the server has it
    std::vector<Grab> grabs_;
    // Key down now -> the shortcut it fired; empty once that shortcut is unregistered.
    std::map<xcb_keycode_t, std::optional<std::uint32_t>> held_;
    Listener listener_;
};

}  // namespace quillmark
