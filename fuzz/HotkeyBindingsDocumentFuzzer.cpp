// The settings loader on the stored hotkey bindings document: whatever bytes are stored, loading falls back
// where it must and what it loads survives a save.
#include "PreferencesCheck.h"

#include <cstdint>
#include <string>

using namespace quillmark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryUserDefaults stored;
    stored.setData(PreferencesStore::bindingsKey, std::string(reinterpret_cast<const char*>(data), size));
    fuzz::checkLoadedPreferences(stored);
    return 0;
}
