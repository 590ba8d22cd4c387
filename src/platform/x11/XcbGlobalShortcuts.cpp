#include "platform/x11/XcbGlobalShortcuts.h"

#include "log/SystemLog.h"
#include "platform/keys/CarbonKeyTable.h"
#include "platform/x11/DetectableAutoRepeat.h"
#include "platform/x11/X11Modifiers.h"

#include <QCoreApplication>

#include <xcb/xcb_keysyms.h>

// xkb.h names a struct member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

namespace quillmark {

namespace {

using Outcome = RegistrationStatus::Outcome;

constexpr std::uint8_t sentByAnotherClient = 0x80;
constexpr std::uint16_t keyboardModifiers = 0xff;  // Shift, Lock, Control, Mod1 ... Mod5; no buttons
constexpr xcb_keysym_t XF86Switch_VT_1 = 0x1008fe01;
constexpr xcb_keysym_t XF86Switch_VT_12 = 0x1008fe0c;
constexpr int kKeysymColumns = 8;  // the core keyboard map's groups and levels worth looking at

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

// The first keycode that has `keysym` in the keyboard map, or XCB_NO_SYMBOL.
xcb_keycode_t firstKeycodeOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    if (keysym == XCB_NO_SYMBOL) return XCB_NO_SYMBOL;
    std::unique_ptr<xcb_keycode_t, FreeDeleter> codes(xcb_key_symbols_get_keycode(symbols, keysym));
    return codes ? codes.get()[0] : XCB_NO_SYMBOL;
}

}  // namespace

XcbGlobalShortcuts::XcbGlobalShortcuts(xcb_connection_t* connection) : connection_(connection) {
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_)); screens.rem; xcb_screen_next(&screens))
        roots_.push_back(screens.data->root);
    if (const auto* xkb = xcb_get_extension_data(connection_, &xcb_xkb_id); xkb && xkb->present)
        xkbEvent_ = xkb->first_event;
    if (!enableDetectableAutoRepeat(connection_))
        SystemLog::write("Quillmark: the X server offers no detectable auto-repeat; a held hotkey may repeat");
    QCoreApplication::instance()->installNativeEventFilter(this);
}

XcbGlobalShortcuts::~XcbGlobalShortcuts() {
    auto* application = QCoreApplication::instance();
    // Without the application its connection is gone, and the grabs with it.
    if (!application) return;
    application->removeNativeEventFilter(this);
    for (const Grab& grab : grabs_) ungrab(grab.placement.keycode, grab.placement.variants);
    xcb_flush(connection_);
}

RegistrationStatus XcbGlobalShortcuts::registerShortcut(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                                        std::uint32_t id) {
    if (std::any_of(grabs_.begin(), grabs_.end(), [id](const Grab& grab) { return grab.id == id; }))
        return Outcome::idInUse;
    Grab grab{id, keyCode, carbonModifiers, {}};
    if (const RegistrationStatus status =
            place(keyCode, carbonModifiers, X11Modifiers::read(connection_), grab.placement);
        !status.isRegistered())
        return status;
    // The server lets one client grab a combination twice; for us that is two actions on one key.
    if (combinationTaken(grab.placement)) return Outcome::combinationInUse;
    if (const RegistrationStatus status = grabAll(grab.placement.keycode, grab.placement.variants);
        !status.isRegistered())
        return status;
    grabs_.push_back(std::move(grab));
    return Outcome::registered;
}

void XcbGlobalShortcuts::unregisterShortcut(std::uint32_t id) {
    const auto found = std::find_if(grabs_.begin(), grabs_.end(), [id](const Grab& grab) { return grab.id == id; });
    if (found == grabs_.end()) return;
    ungrab(found->placement.keycode, found->placement.variants);
    xcb_flush(connection_);
    grabs_.erase(found);
    // The server's grab of a held key outlives the passive grab: its repeats and release still come here.
    for (auto& [keycode, heldID] : held_)
        if (heldID == id) heldID.reset();
}

void XcbGlobalShortcuts::setListener(Listener listener) { listener_ = std::move(listener); }

XcbGlobalShortcuts::Key XcbGlobalShortcuts::keyFor(std::uint32_t carbonKeyCode) const {
    const auto carbonKey = CarbonKeyTable::fromCarbon(carbonKeyCode);
    if (!carbonKey) return {};
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(connection_),
                                                                                &xcb_key_symbols_free);
    if (!symbols) return {};
    // A keypad digit or point by its Num Lock-off keysym first: only the keypad's key has KP_Delete, while
    // the first key with KP_Decimal may be a second keypad point that most keyboards lack.
    xcb_keycode_t keycode = firstKeycodeOf(symbols.get(), carbonKey->numLockOffKeysym);
    if (keycode == XCB_NO_SYMBOL) keycode = firstKeycodeOf(symbols.get(), carbonKey->keysym);
    if (keycode == XCB_NO_SYMBOL) return {};
    Key key{keycode, false};
    for (int column = 0; column < kKeysymColumns; ++column) {
        const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols.get(), key.keycode, column);
        key.switchesConsole = key.switchesConsole || (keysym >= XF86Switch_VT_1 && keysym <= XF86Switch_VT_12);
    }
    return key;
}

RegistrationStatus XcbGlobalShortcuts::place(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers,
                                             const X11Modifiers& modifiers, Placement& placement) const {
    const Key key = keyFor(carbonKeyCode);
    if (key.keycode == XCB_NO_SYMBOL) return Outcome::unknownKey;
    const std::uint16_t wanted = modifiers.fromCarbon(carbonModifiers);
    // The server switches consoles on Ctrl+Alt+Fn (Shift gives the plain key) and never sends the key:
    // such a grab would succeed and never fire.
    const std::uint16_t controlAlt = XCB_MOD_MASK_CONTROL | modifiers.alt;
    if (key.switchesConsole && (wanted & controlAlt) == controlAlt && !(wanted & XCB_MOD_MASK_SHIFT))
        return Outcome::reservedBySystem;
    placement = {key.keycode, wanted, modifiers.lockMask(), {}};
    for (xcb_window_t root : roots_)
        for (std::uint16_t lock : modifiers.lockVariants())
            placement.variants.push_back({root, static_cast<std::uint16_t>(wanted | lock)});
    return Outcome::registered;
}

bool XcbGlobalShortcuts::combinationTaken(const Placement& placement) const {
    return std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
        return grab.placement.grabbed() && grab.placement.keycode == placement.keycode &&
               grab.placement.modifiers == placement.modifiers;
    });
}

void XcbGlobalShortcuts::regrabAll() {
    const X11Modifiers modifiers = X11Modifiers::read(connection_);
    struct Move {
        Grab& grab;
        RegistrationStatus status;
        Placement placement;
    };
    std::vector<Move> moves;
    for (Grab& grab : grabs_) {
        Move move{grab, Outcome::registered, {}};
        move.status = place(grab.carbonKeyCode, grab.carbonModifiers, modifiers, move.placement);
        const bool unchanged =
            move.status.isRegistered() ? move.placement == grab.placement : !grab.placement.grabbed();
        if (!unchanged) moves.push_back(std::move(move));
    }
    // Every moved grab is released before any is made, so that two shortcuts trading keys do not
    // release each other's new grab.
    for (Move& move : moves) {
        ungrab(move.grab.placement.keycode, move.grab.placement.variants);
        move.grab.placement = {};
    }
    for (Move& move : moves) grabAgain(move.grab, move.status, std::move(move.placement));
    xcb_flush(connection_);
}

void XcbGlobalShortcuts::grabAgain(Grab& grab, RegistrationStatus status, Placement placement) {
    if (status.isRegistered() && combinationTaken(placement)) status = Outcome::combinationInUse;
    if (status.isRegistered()) status = grabAll(placement.keycode, placement.variants);
    if (status.isRegistered()) {
        grab.placement = std::move(placement);
        return;
    }
    // Left registered but not grabbed: a later map change may bring the key back.
    const auto key = CarbonKeyTable::fromCarbon(grab.carbonKeyCode);
    SystemLog::write("Quillmark: after a keyboard map change the hotkey on " +
                     std::string(key ? key->text : "an unknown key") +
                     " could not be grabbed again status=" + std::to_string(status.number()));
}

RegistrationStatus XcbGlobalShortcuts::grabAll(xcb_keycode_t keycode, const std::vector<Variant>& variants) {
    std::vector<xcb_void_cookie_t> cookies;
    for (const Variant& variant : variants)
        cookies.push_back(xcb_grab_key_checked(connection_, 0, variant.root, variant.modifiers, keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    RegistrationStatus status = Outcome::registered;
    std::vector<Variant> made;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(connection_, cookies[i]));
        if (error) {
            if (status.isRegistered()) status = RegistrationStatus::refusedByServer(error->error_code);
        } else {
            made.push_back(variants[i]);
        }
    }
    if (!status.isRegistered()) {
        ungrab(keycode, made);
        xcb_flush(connection_);
    }
    return status;
}

void XcbGlobalShortcuts::ungrab(xcb_keycode_t keycode, const std::vector<Variant>& variants) {
    for (const Variant& variant : variants) xcb_ungrab_key(connection_, keycode, variant.root, variant.modifiers);
}

bool XcbGlobalShortcuts::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~sentByAnotherClient) {
    case XCB_KEY_PRESS: return onPress(*reinterpret_cast<const xcb_key_press_event_t*>(event));
    case XCB_KEY_RELEASE: return onRelease(*reinterpret_cast<const xcb_key_release_event_t*>(event));
    default: break;
    }
    // Keycodes and modifier bits may have moved; Qt needs the event too.
    if (isMapChange(*event) && !grabs_.empty()) regrabAll();
    return false;
}

bool XcbGlobalShortcuts::isMapChange(const xcb_generic_event_t& event) const {
    const std::uint8_t type = event.response_type & ~sentByAnotherClient;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto request = reinterpret_cast<const xcb_mapping_notify_event_t&>(event).request;
        return request == XCB_MAPPING_KEYBOARD || request == XCB_MAPPING_MODIFIER;
    }
    // The server may leave out the core notice of a keyboard map change for a client that selected XKB's
    // map events, as Qt does on this connection.
    if (!xkbEvent_ || type != *xkbEvent_) return false;
    const auto xkbType = reinterpret_cast<const xcb_xkb_map_notify_event_t&>(event).xkbType;
    return xkbType == XCB_XKB_MAP_NOTIFY || xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY;
}

bool XcbGlobalShortcuts::onPress(const xcb_key_press_event_t& event) {
    if (!isRoot(event.event)) return false;
    if (const auto held = held_.find(event.detail); held != held_.end()) {
        // A repeat; its modifiers may have changed while the key stayed down.
        if (held->second) notify(*held->second, Edge::down);
        return true;
    }
    const auto found = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
        const Placement& placement = grab.placement;
        return placement.grabbed() && placement.keycode == event.detail &&
               (event.state & keyboardModifiers & ~placement.lockMask) == placement.modifiers;
    });
    if (found == grabs_.end()) return false;
    held_[event.detail] = found->id;
    notify(found->id, Edge::down);
    return true;
}

bool XcbGlobalShortcuts::onRelease(const xcb_key_release_event_t& event) {
    // Matched by key alone: the modifiers may already be up when the key comes up.
    const auto held = held_.find(event.detail);
    if (held == held_.end()) return false;
    const std::optional<std::uint32_t> id = held->second;
    held_.erase(held);
    if (id) notify(*id, Edge::up);
    return true;
}

bool XcbGlobalShortcuts::isRoot(xcb_window_t window) const {
    return std::find(roots_.begin(), roots_.end(), window) != roots_.end();
}

void XcbGlobalShortcuts::notify(std::uint32_t id, Edge edge) const {
    // A copy: the listener may re-register shortcuts, replacing this one.
    if (Listener listener = listener_) listener(id, edge);
}

}  // namespace quillmark
