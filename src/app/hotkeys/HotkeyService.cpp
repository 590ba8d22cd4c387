#include "app/hotkeys/HotkeyService.h"

#include "log/SystemLog.h"

#include <algorithm>
#include <string>
#include <utility>

namespace quillmark {

HotkeyService::HotkeyService() : HotkeyService(GlobalShortcuts::forThisDesktop()) {}

HotkeyService::HotkeyService(std::unique_ptr<GlobalShortcuts> shortcuts) : shortcuts_(std::move(shortcuts)) {
    if (!shortcuts_->isAvailable()) {
        SystemLog::write(
            "Quillmark: global hotkeys need an X11 display; none is available, so no hotkey is registered");
        return;
    }
    shortcuts_->setListener([this](std::uint32_t id, GlobalShortcuts::Edge edge) {
        dispatch(id, edge == GlobalShortcuts::Edge::up ? HotkeyPhase::released : HotkeyPhase::pressed);
    });
}

HotkeyService::~HotkeyService() {
    shortcuts_->setListener({});
    for (const Registration& registration : registrations_) shortcuts_->unregisterShortcut(registration.hotKeyID);
}

void HotkeyService::registerHotkey(HotkeyAction action, const HotkeyBinding& binding) {
    registerHotkey(action, binding, OnRefusal::log);
    publishHeldElsewhere();
}

void HotkeyService::registerHotkey(HotkeyAction action, const HotkeyBinding& binding, OnRefusal onRefusal) {
    if (suspended_) {
        heldBack_.emplace_back(action, binding);
        return;
    }
    // The id is used up even when the registration fails.
    const std::uint32_t id = nextHotKeyID_++;
    if (!shortcuts_->isAvailable()) return;  // said once, at construction
    const RegistrationStatus status = shortcuts_->registerShortcut(binding.keyCode, binding.carbonModifiers, id);
    if (status.isHeldElsewhere()) held_.insert(action);
    else held_.erase(action);
    if (status.isRegistered()) {
        registrations_.push_back({id, action, binding});
        return;
    }
    if (onRefusal == OnRefusal::log)
        SystemLog::write("Quillmark: failed to register hotkey for " + std::string(rawValue(action)) +
                         " status=" + std::to_string(status.number()));
    // Another client holds the keys, and may let them go.
    if (status.outcome() == RegistrationStatus::Outcome::refusedByServer) refused_.emplace_back(action, binding);
}

void HotkeyService::unregisterAll() {
    for (const Registration& registration : registrations_) shortcuts_->unregisterShortcut(registration.hotKeyID);
    registrations_.clear();
    refused_.clear();
    heldBack_.clear();
    heldIDs_.clear();
    held_.clear();
    publishHeldElsewhere();
}

void HotkeyService::suspend() {
    if (suspended_) return;
    for (const Registration& registration : registrations_) {
        shortcuts_->unregisterShortcut(registration.hotKeyID);
        heldBack_.emplace_back(registration.action, registration.binding);
    }
    // Those refused are tried again on resume, like the others.
    for (auto& refused : refused_) heldBack_.push_back(std::move(refused));
    // In action order again, as the owner registered them: the first of two equal bindings wins.
    std::stable_sort(heldBack_.begin(), heldBack_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    registrations_.clear();
    refused_.clear();
    heldIDs_.clear();
    suspended_ = true;
}

void HotkeyService::resume() {
    if (!suspended_) return;
    suspended_ = false;
    const auto bindings = std::exchange(heldBack_, {});
    // Each binding tried again finds its own state; those the server keeps were never let go. Told once.
    for (const auto& [action, binding] : bindings) registerHotkey(action, binding, OnRefusal::log);
    publishHeldElsewhere();
}

std::size_t HotkeyService::retryRefused() {
    const auto refused = std::exchange(refused_, {});
    for (const auto& [action, binding] : refused) registerHotkey(action, binding, OnRefusal::keepQuiet);
    publishHeldElsewhere();
    return refused_.size();
}

void HotkeyService::publishHeldElsewhere() {
    if (held_ != heldElsewhere.value()) heldElsewhere.set(held_);
}

void HotkeyService::dispatch(std::uint32_t hotKeyID, HotkeyPhase phase) {
    const auto found = std::find_if(registrations_.begin(), registrations_.end(),
                                    [hotKeyID](const Registration& r) { return r.hotKeyID == hotKeyID; });
    if (found == registrations_.end()) return;  // stale or foreign id
    if (phase == HotkeyPhase::pressed) {
        if (!heldIDs_.insert(hotKeyID).second) return;  // key repeat
    } else if (heldIDs_.erase(hotKeyID) == 0) {
        return;  // no press seen, e.g. re-registered while the key was down
    }
    const HotkeyAction action = found->action;
    // A copy: the handler may replace itself or re-apply the bindings.
    if (Handler current = handler) current(action, phase);
}

}  // namespace quillmark
