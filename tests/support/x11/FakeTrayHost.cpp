#include "FakeTrayHost.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace quillmark::testing {

namespace {

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

FakeTrayHost::FakeTrayHost() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        throw std::runtime_error("no X display");
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    selection_ = intern("_NET_SYSTEM_TRAY_S0");
    colours_ = intern("_NET_SYSTEM_TRAY_COLORS");
}

FakeTrayHost::~FakeTrayHost() {
    drop();
    xcb_disconnect(connection_);
}

xcb_atom_t FakeTrayHost::intern(const char* name) {
    ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void FakeTrayHost::sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

xcb_window_t FakeTrayHost::owner() {
    ReplyPointer<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, selection_), nullptr),
        &std::free);
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

xcb_window_t FakeTrayHost::takeOver() {
    const xcb_window_t window = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    windows_.push_back(window);
    xcb_set_selection_owner(connection_, window, selection_, XCB_CURRENT_TIME);
    // What the system tray protocol asks of a new host: tell the root window's listeners.
    xcb_client_message_event_t manager{};
    manager.response_type = XCB_CLIENT_MESSAGE;
    manager.format = 32;
    manager.window = root_;
    manager.type = intern("MANAGER");
    manager.data.data32[0] = XCB_CURRENT_TIME;
    manager.data.data32[1] = selection_;
    manager.data.data32[2] = window;
    xcb_send_event(connection_, 0, root_, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&manager));
    sync();
    return window;
}

void FakeTrayHost::drop() {
    for (xcb_window_t window : windows_) xcb_destroy_window(connection_, window);
    windows_.clear();
    sync();
}

void FakeTrayHost::publish(const std::vector<std::uint32_t>& values, xcb_atom_t type, std::uint8_t format) {
    const std::uint32_t units = format == 32 ? 1 : format == 16 ? 2 : 4;
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, owner(), colours_, type, format,
                        static_cast<std::uint32_t>(values.size() * units), values.data());
    sync();
}

void FakeTrayHost::withdraw() {
    xcb_delete_property(connection_, owner(), colours_);
    sync();
}

std::vector<std::uint32_t> FakeTrayHost::cardinals(const QColor& foreground, const QColor& error, const QColor& warning,
                                                   const QColor& success) {
    std::vector<std::uint32_t> values;
    for (const QColor& colour : {foreground, error, warning, success}) {
        const QRgba64 channels = colour.rgba64();
        values.insert(values.end(), {channels.red(), channels.green(), channels.blue()});
    }
    return values;
}

}  // namespace quillmark::testing
