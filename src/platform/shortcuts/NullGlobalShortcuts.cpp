#include "platform/shortcuts/NullGlobalShortcuts.h"

namespace quillmark {

RegistrationStatus NullGlobalShortcuts::registerShortcut(std::uint32_t, std::uint32_t, std::uint32_t) {
    return RegistrationStatus::Outcome::unavailable;
}

void NullGlobalShortcuts::unregisterShortcut(std::uint32_t) {}

void NullGlobalShortcuts::setListener(Listener) {}

}  // namespace quillmark
