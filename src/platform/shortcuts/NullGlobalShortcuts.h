#pragma once

#include "platform/shortcuts/GlobalShortcuts.h"

namespace quillmark {

// Global shortcuts where the desktop has none (Wayland without XWayland, no display): every
// registration is refused with `unavailable` and no event ever comes.
class NullGlobalShortcuts final : public GlobalShortcuts {
public:
    bool isAvailable() const override { return false; }
    RegistrationStatus registerShortcut(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                        std::uint32_t id) override;
    void unregisterShortcut(std::uint32_t id) override;
    void setListener(Listener listener) override;
};

}  // namespace quillmark
