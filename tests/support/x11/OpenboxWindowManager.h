#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillmark::testing {

// A real window manager, openbox, on the test's own X server for as long as the object lives, with a
// configuration and cache directory of its own; and what it says about a window it manages, read on a
// connection of the test's own.
class OpenboxWindowManager {
public:
    // ICCCM's WM_STATE values.
    static constexpr std::uint32_t normalState = 1;
    static constexpr std::uint32_t iconicState = 3;

    // Starts openbox and waits until it manages the screen (it names itself on the root window).
    OpenboxWindowManager();
    ~OpenboxWindowManager();
    OpenboxWindowManager(const OpenboxWindowManager&) = delete;
    OpenboxWindowManager& operator=(const OpenboxWindowManager&) = delete;

    // Whether it came up and manages the screen; why not in error() otherwise.
    bool isManaging() const { return managing_; }
    const std::string& error() const { return error_; }

    // What a taskbar sends when the user minimises a window (ICCCM's WM_CHANGE_STATE, IconicState).
    void minimise(xcb_window_t window);
    // The window's WM_STATE as the manager set it; nothing before it has managed the window.
    std::optional<std::uint32_t> wmState(xcb_window_t window);
    // The names of the atoms in a window's ATOM list property (_NET_WM_STATE, _NET_WM_ALLOWED_ACTIONS).
    std::vector<std::string> atomNames(xcb_window_t window, const char* property);

    xcb_connection_t* connection() const { return connection_; }

private:
    xcb_atom_t intern(const char* name);
    std::string nameOf(xcb_atom_t atom);
    bool announced();

    QTemporaryDir home_;
    QProcess process_;
    xcb_connection_t* connection_;
    xcb_window_t root_;
    bool managing_ = false;
    std::string error_;
};

}  // namespace quillmark::testing
