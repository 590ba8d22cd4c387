#pragma once

#include <QColor>

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace quillmark::testing {

// The part of a system tray host that publishes colours, on the test's own X connection: it takes the
// screen's tray selection with a window of its own and announces itself as a new host does (MANAGER),
// and writes _NET_SYSTEM_TRAY_COLORS on whichever window holds the selection, its own or a real
// host's. It docks no icon. Every call returns once the server has carried it out.
class FakeTrayHost {
public:
    FakeTrayHost();
    ~FakeTrayHost();
    FakeTrayHost(const FakeTrayHost&) = delete;
    FakeTrayHost& operator=(const FakeTrayHost&) = delete;

    // The window holding _NET_SYSTEM_TRAY_S0 now; none when there is no host.
    xcb_window_t owner();
    // Takes the selection with a new window of its own (the one before stays until drop()).
    xcb_window_t takeOver();
    // Destroys the windows of its own; the selection goes with the one holding it.
    void drop();
    // Writes the cardinals as they are on the owner's window; with format 32 and type CARDINAL unless told.
    void publish(const std::vector<std::uint32_t>& values, xcb_atom_t type = XCB_ATOM_CARDINAL,
                 std::uint8_t format = 32);
    void withdraw();

    // The property's value for four colours, 16 bits a channel.
    static std::vector<std::uint32_t> cardinals(const QColor& foreground, const QColor& error, const QColor& warning,
                                                const QColor& success);

private:
    xcb_atom_t intern(const char* name);
    void sync();

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_atom_t selection_;
    xcb_atom_t colours_;
    std::vector<xcb_window_t> windows_;
};

}  // namespace quillmark::testing
