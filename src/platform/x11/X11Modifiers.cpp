#include "platform/x11/X11Modifiers.h"

#include "platform/keys/CarbonKeyTable.h"

#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace quillmark {

namespace {

constexpr xcb_keysym_t XK_Num_Lock = 0xff7f;
constexpr xcb_keysym_t XK_Scroll_Lock = 0xff14;
constexpr xcb_keysym_t XK_Alt_L = 0xffe9;
constexpr xcb_keysym_t XK_Alt_R = 0xffea;
constexpr xcb_keysym_t XK_Super_L = 0xffeb;
constexpr xcb_keysym_t XK_Super_R = 0xffec;

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

std::vector<xcb_keycode_t> keycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> codes;
    std::unique_ptr<xcb_keycode_t, FreeDeleter> list(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t* code = list.get(); code && *code != XCB_NO_SYMBOL; ++code) codes.push_back(*code);
    return codes;
}

// The modifier bit (1 << index) whose row of the map holds one of `codes`, or 0.
std::uint16_t modifierHolding(const xcb_get_modifier_mapping_reply_t& map, const std::vector<xcb_keycode_t>& codes) {
    const xcb_keycode_t* table = xcb_get_modifier_mapping_keycodes(&map);
    const int perModifier = map.keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int slot = 0; slot < perModifier; ++slot) {
            const xcb_keycode_t code = table[modifier * perModifier + slot];
            if (code != 0 && std::find(codes.begin(), codes.end(), code) != codes.end())
                return static_cast<std::uint16_t>(1u << modifier);
        }
    }
    return 0;
}

}  // namespace

X11Modifiers X11Modifiers::read(xcb_connection_t* connection) {
    X11Modifiers result;
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, FreeDeleter> map(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(connection),
                                                                                &xcb_key_symbols_free);
    if (!map || !symbols) return result;

    auto bitOf = [&](std::initializer_list<xcb_keysym_t> keysyms) {
        std::vector<xcb_keycode_t> codes;
        for (xcb_keysym_t keysym : keysyms) {
            const auto more = keycodesOf(symbols.get(), keysym);
            codes.insert(codes.end(), more.begin(), more.end());
        }
        return modifierHolding(*map, codes);
    };
    if (const auto super = bitOf({XK_Super_L, XK_Super_R})) result.super = super;
    if (const auto alt = bitOf({XK_Alt_L, XK_Alt_R})) result.alt = alt;
    result.numLock = bitOf({XK_Num_Lock});
    result.scrollLock = bitOf({XK_Scroll_Lock});
    return result;
}

std::uint16_t X11Modifiers::fromCarbon(std::uint32_t carbonModifiers) const {
    std::uint16_t mask = 0;
    if (carbonModifiers & CarbonKeyTable::cmdKey) mask |= super;
    if (carbonModifiers & CarbonKeyTable::shiftKey) mask |= XCB_MOD_MASK_SHIFT;
    if (carbonModifiers & CarbonKeyTable::optionKey) mask |= alt;
    if (carbonModifiers & CarbonKeyTable::controlKey) mask |= XCB_MOD_MASK_CONTROL;
    return mask;
}

std::uint16_t X11Modifiers::lockMask() const {
    return static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock | scrollLock);
}

std::vector<std::uint16_t> X11Modifiers::lockVariants() const {
    std::vector<std::uint16_t> variants{0};
    for (std::uint16_t bit : {std::uint16_t(XCB_MOD_MASK_LOCK), numLock, scrollLock}) {
        if (bit == 0 || std::any_of(variants.begin(), variants.end(), [bit](std::uint16_t v) { return v & bit; }))
            continue;
        const std::size_t count = variants.size();
        for (std::size_t i = 0; i < count; ++i) variants.push_back(static_cast<std::uint16_t>(variants[i] | bit));
    }
    return variants;
}

}  // namespace quillmark
