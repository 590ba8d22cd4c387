#pragma once

#include "app/Published.h"
#include "platform/autostart/LoginItemService.h"

#include <memory>
#include <optional>
#include <string>

namespace quillmark {

// The open-at-login switch. The desktop holds the truth: isEnabled mirrors it at construction, after
// every setEnabled() and at every refresh(); a change made outside the program shows at the next of
// these. Main thread only.
class LoginItemController {
public:
    // This program's XDG autostart entry.
    LoginItemController();
    explicit LoginItemController(std::unique_ptr<LoginItemService> service);
    LoginItemController(const LoginItemController&) = delete;
    LoginItemController& operator=(const LoginItemController&) = delete;

    // Registers (true) or unregisters (false). Then publishes lastError (nothing, or the system's own
    // text of the failure) and isEnabled read afresh, both even when unchanged. Never fails.
    void setEnabled(bool enabled);
    // Publishes isEnabled read afresh; called before the preferences window shows.
    void refresh();

    // True exactly when the desktop will start this program at login.
    Published<bool> isEnabled{false};
    // Why the last setEnabled() failed; nothing after one that succeeded.
    Published<std::optional<std::string>> lastError{std::nullopt};

private:
    std::unique_ptr<LoginItemService> service_;
};

}  // namespace quillmark
