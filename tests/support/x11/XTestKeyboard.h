#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace quillmark::testing {

// X keysyms the tests press.
namespace keysym {
inline constexpr std::uint32_t F1 = 0xffbe, F10 = 0xffc7, F11 = 0xffc8, F12 = 0xffc9, t = 0x74;
inline constexpr std::uint32_t Shift_L = 0xffe1, Control_L = 0xffe3, Caps_Lock = 0xffe5, Alt_L = 0xffe9,
                               Super_L = 0xffeb, Num_Lock = 0xff7f, Scroll_Lock = 0xff14;
inline constexpr std::uint32_t equal = 0x3d, minus = 0x2d, period = 0x2e, slash = 0x2f, Return = 0xff0d, Home = 0xff50,
                               Left = 0xff51, Up = 0xff52, Right = 0xff53, Down = 0xff54, Prior = 0xff55, Next = 0xff56,
                               End = 0xff57, Insert = 0xff63, Delete = 0xffff;
constexpr std::uint32_t digit(int n) { return 0x30 + static_cast<std::uint32_t>(n); }
// The keypad by its keysyms with Num Lock off (digits and point: KP_End, not KP_1): each names the keypad's
// own key, while KP_Decimal, say, may also sit on a second keycode.
inline constexpr std::uint32_t KP_Home = 0xff95, KP_Left = 0xff96, KP_Up = 0xff97, KP_Right = 0xff98, KP_Down = 0xff99,
                               KP_Prior = 0xff9a, KP_Next = 0xff9b, KP_End = 0xff9c, KP_Begin = 0xff9d,
                               KP_Insert = 0xff9e, KP_Delete = 0xff9f, KP_Enter = 0xff8d, KP_Multiply = 0xffaa,
                               KP_Add = 0xffab, KP_Separator = 0xffac, KP_Subtract = 0xffad, KP_Divide = 0xffaf,
                               KP_Equal = 0xffbd;
inline constexpr std::uint32_t XF86AudioLowerVolume = 0x1008ff11, XF86AudioMute = 0x1008ff12,
                               XF86AudioRaiseVolume = 0x1008ff13, XF86AudioPlay = 0x1008ff14;
}  // namespace keysym

// Real key events from another X client, through the XTest extension, as a user's keyboard makes them.
// Every call returns once the server has processed the events.
class XTestKeyboard {
public:
    XTestKeyboard();
    ~XTestKeyboard();
    XTestKeyboard(const XTestKeyboard&) = delete;
    XTestKeyboard& operator=(const XTestKeyboard&) = delete;

    void press(std::uint32_t keysym);
    void release(std::uint32_t keysym);
    // Presses the keys in order and releases them in reverse: {Super_L, F12} is Super+F12.
    void tap(const std::vector<std::uint32_t>& keys);
    // Taps a lock key (Num Lock, Caps Lock) and returns once the lock is on or off as asked.
    void setLock(std::uint32_t lockKeysym, std::uint16_t lockBit, bool on);
    // The server's current modifier and lock state.
    std::uint16_t modifierState();

    xcb_keycode_t keycode(std::uint32_t keysym);
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }

private:
    void fake(std::uint8_t type, std::uint32_t keysym);
    void sync();

    xcb_connection_t* connection_;
    xcb_window_t root_;
};

// Another X client holding grabs, as a second program with the same hotkey would.
class ForeignGrabber {
public:
    ForeignGrabber();
    ~ForeignGrabber();
    ForeignGrabber(const ForeignGrabber&) = delete;
    ForeignGrabber& operator=(const ForeignGrabber&) = delete;

    // Returns the server's error code, 0 when the grab was made.
    int grab(xcb_keycode_t keycode, std::uint16_t modifiers);
    void ungrab(xcb_keycode_t keycode, std::uint16_t modifiers);

private:
    xcb_connection_t* connection_;
    xcb_window_t root_;
};

}  // namespace quillmark::testing
