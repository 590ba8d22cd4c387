#pragma once

#include "platform/shortcuts/GlobalShortcuts.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace quillmark::testing {

// Global shortcuts in memory: records what is registered in a log the test keeps, and lets the test
// fire events through the listener it was given.
class FakeGlobalShortcuts final : public GlobalShortcuts {
public:
    struct Log {
        std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> live;  // id -> key code, mask
        std::vector<std::uint32_t> registered, unregistered;
        std::map<std::uint32_t, RegistrationStatus> refusedKeys;  // key code -> status
        Listener listener;
        bool available = true;
    };

    // `log` must outlive the fake.
    explicit FakeGlobalShortcuts(Log& log) : log_(log) {}

    bool isAvailable() const override { return log_.available; }
    RegistrationStatus registerShortcut(std::uint32_t keyCode, std::uint32_t mask, std::uint32_t id) override {
        log_.registered.push_back(id);
        if (auto refused = log_.refusedKeys.find(keyCode); refused != log_.refusedKeys.end()) return refused->second;
        log_.live[id] = {keyCode, mask};
        return RegistrationStatus::Outcome::registered;
    }
    void unregisterShortcut(std::uint32_t id) override {
        log_.unregistered.push_back(id);
        log_.live.erase(id);
    }
    void setListener(Listener listener) override { log_.listener = std::move(listener); }

private:
    Log& log_;
};

}  // namespace quillmark::testing
