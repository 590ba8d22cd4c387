#include "platform/shortcuts/NullGlobalShortcuts.h"

namespace quillmark {

std::int32_t NullGlobalShortcuts::registerShortcut(std::uint32_t, std::uint32_t, std::uint32_t) { return unavailable; }

void NullGlobalShortcuts::unregisterShortcut(std::uint32_t) {}

void NullGlobalShortcuts::setListener(Listener) {}

}  // namespace quillmark
