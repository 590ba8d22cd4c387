#pragma once

#include <cstdint>
#include <vector>

#include <xcb/xcb.h>

namespace quillmark {

// Which X modifier bits Super, Alt and the lock keys are on this server, read from its modifier map
// (Num Lock is usually Mod2 but need not be; Scroll Lock is often on no modifier at all).
struct X11Modifiers {
    std::uint16_t super = XCB_MOD_MASK_4;
    std::uint16_t alt = XCB_MOD_MASK_1;
    std::uint16_t numLock = 0;
    std::uint16_t scrollLock = 0;

    static X11Modifiers read(xcb_connection_t* connection);

    // Carbon mask (cmdKey, shiftKey, optionKey, controlKey) to X modifier bits.
    std::uint16_t fromCarbon(std::uint32_t carbonModifiers) const;
    // Caps Lock, Num Lock and Scroll Lock: the bits that must not decide whether a hotkey matches.
    std::uint16_t lockMask() const;
    // Every combination of the lock bits, the empty one first.
    std::vector<std::uint16_t> lockVariants() const;
};

}  // namespace quillmark
