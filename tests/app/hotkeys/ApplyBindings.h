#pragma once

#include "app/hotkeys/HotkeyService.h"

namespace quillmark::testing {

// What the application does whenever the bindings change: everything off, then each binding on in
// action order.
inline void applyBindings(HotkeyService& service, const HotkeyBindings& bindings) {
    service.unregisterAll();
    for (HotkeyAction action : allHotkeyActions)
        if (auto binding = bindings.find(action); binding != bindings.end())
            service.registerHotkey(action, binding->second);
}

}  // namespace quillmark::testing
