#pragma once

#include "platform/tray/TrayHostColours.h"

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <memory>

class QSocketNotifier;

namespace quillmark {

// The X11 system tray's colours: _NET_SYSTEM_TRAY_COLORS on the owner of the screen's
// _NET_SYSTEM_TRAY_S<n> selection, read again when that property changes, when the owner goes and
// when a new one announces itself (MANAGER on the root window). It watches on an X connection of its
// own: Qt sets its own event masks on the root and the tray window, and each would replace ours.
class XcbTrayHostColours final : public TrayHostColours {
public:
    // Watches the default screen of the display `displayName` (null: $DISPLAY, which Qt opened too);
    // null when that display cannot be opened.
    static std::unique_ptr<XcbTrayHostColours> open(const char* displayName);
    ~XcbTrayHostColours() override;
    XcbTrayHostColours(const XcbTrayHostColours&) = delete;
    XcbTrayHostColours& operator=(const XcbTrayHostColours&) = delete;

    std::optional<TrayColours> colours() const override { return colours_; }
    void setListener(std::function<void()> listener) override { listener_ = std::move(listener); }

private:
    using Connection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

    // The colours in a _NET_SYSTEM_TRAY_COLORS value: twelve cardinals, the red, green and blue (16 bits
    // each) of the foreground, error, warning and success colours. Nothing for a value of another length.
    static std::optional<TrayColours> fromProperty(const std::uint32_t* values, std::size_t count);

    XcbTrayHostColours(Connection connection, int screen);
    xcb_atom_t intern(const char* name) const;
    // Handles every event that has come in, those queued during our own round trips too.
    void drain();
    void handle(const xcb_generic_event_t& event);
    // Asks who holds the selection now, watches that window and reads its colours.
    void followOwner();
    std::optional<TrayColours> readColours() const;
    void update(std::optional<TrayColours> colours);

    Connection connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    xcb_atom_t manager_ = XCB_ATOM_NONE;
    xcb_atom_t coloursProperty_ = XCB_ATOM_NONE;
    xcb_window_t owner_ = XCB_WINDOW_NONE;
    std::optional<TrayColours> colours_;
    std::function<void()> listener_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quillmark
