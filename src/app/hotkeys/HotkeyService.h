#pragma once

#include "app/Published.h"
#include "app/hotkeys/HotkeyAction.h"
#include "app/hotkeys/HotkeyBinding.h"
#include "app/hotkeys/HotkeyPhase.h"
#include "platform/shortcuts/GlobalShortcuts.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace quillmark {

// Turns bindings into system-wide hotkeys and reports each accepted key stroke to one handler:
// one `pressed` and at most one `released` per stroke, however long the key is held. It also tells
// which bindings another program or the X server holds. Main thread only.
class HotkeyService {
public:
    using Handler = std::function<void(HotkeyAction, HotkeyPhase)>;

    struct Registration {
        std::uint32_t hotKeyID;  // also the handle that unregisters it
        HotkeyAction action;
        HotkeyBinding binding;
    };

    // On the running desktop's global shortcuts (none without an X11 display).
    HotkeyService();
    explicit HotkeyService(std::unique_ptr<GlobalShortcuts> shortcuts);
    ~HotkeyService();
    HotkeyService(const HotkeyService&) = delete;
    HotkeyService& operator=(const HotkeyService&) = delete;

    // Receives every accepted hotkey event; replaced as a whole by the owner.
    Handler handler;
    // The actions whose binding was refused at its last try because another program or the X server
    // holds it. One leaves as soon as its binding registers, and all do when every hotkey is
    // unregistered; a suspension keeps them. Assigned only when it changes.
    Published<std::set<HotkeyAction>> heldElsewhere{{}};

    // Registers one hotkey under a fresh id; a refused binding is logged and left out.
    void registerHotkey(HotkeyAction action, const HotkeyBinding& binding);
    // Unregisters every hotkey and forgets which keys are down; ids are not reused.
    void unregisterAll();
    // Registers again, under fresh ids, the bindings refused since unregisterAll() because another
    // program held them (an older copy of this one that has since quit, for one). A binding refused
    // again stays refused without a new log line. Returns how many are still refused.
    std::size_t retryRefused();

    // Lets every bound combination reach the focused window (the shortcut recorder) until resume():
    // the hotkeys are unregistered, and those registered meanwhile are only noted. Nothing fires.
    void suspend();
    // Registers again, in their order, the bindings noted since suspend(). Nothing when not suspended.
    void resume();
    bool isSuspended() const { return suspended_; }

    const std::vector<Registration>& registrations() const { return registrations_; }

private:
    enum class OnRefusal { log, keepQuiet };

    void registerHotkey(HotkeyAction action, const HotkeyBinding& binding, OnRefusal onRefusal);
    void dispatch(std::uint32_t hotKeyID, HotkeyPhase phase);
    void publishHeldElsewhere();

    std::unique_ptr<GlobalShortcuts> shortcuts_;
    std::vector<Registration> registrations_;
    std::vector<std::pair<HotkeyAction, HotkeyBinding>> refused_;
    bool suspended_ = false;
    std::vector<std::pair<HotkeyAction, HotkeyBinding>> heldBack_;  // while suspended
    std::uint32_t nextHotKeyID_ = 1;
    std::set<std::uint32_t> heldIDs_;
    std::set<HotkeyAction> held_;  // what heldElsewhere will say once the operation under way ends
};

}  // namespace quillmark
