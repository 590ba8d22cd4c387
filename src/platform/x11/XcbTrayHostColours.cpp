#include "platform/x11/XcbTrayHostColours.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quillmark {

namespace {

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

constexpr std::size_t kColourCount = 4;
constexpr std::size_t kPropertyLength = 3 * kColourCount;
constexpr std::uint32_t kChannelMaximum = 0xFFFF;

QColor colourAt(const std::uint32_t* channels) {
    auto channel = [](std::uint32_t value) { return static_cast<quint16>(std::min(value, kChannelMaximum)); };
    return QColor(
        QRgba64::fromRgba64(channel(channels[0]), channel(channels[1]), channel(channels[2]), kChannelMaximum));
}

}  // namespace

std::unique_ptr<XcbTrayHostColours> XcbTrayHostColours::open(const char* displayName) {
    int screen = 0;
    Connection connection(xcb_connect(displayName, &screen), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get())) return nullptr;
    return std::unique_ptr<XcbTrayHostColours>(new XcbTrayHostColours(std::move(connection), screen));
}

XcbTrayHostColours::XcbTrayHostColours(Connection connection, int screen) : connection_(std::move(connection)) {
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection_.get()));
    for (int i = 0; i < screen && roots.rem > 0; ++i) xcb_screen_next(&roots);
    root_ = roots.data->root;
    selection_ = intern(("_NET_SYSTEM_TRAY_S" + std::to_string(screen)).c_str());
    manager_ = intern("MANAGER");
    coloursProperty_ = intern("_NET_SYSTEM_TRAY_COLORS");
    // A new tray host announces itself to the root window's structure listeners.
    const std::uint32_t rootEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_.get(), root_, XCB_CW_EVENT_MASK, &rootEvents);
    followOwner();
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_.get()), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });
    drain();
}

XcbTrayHostColours::~XcbTrayHostColours() = default;

std::optional<TrayColours> XcbTrayHostColours::fromProperty(const std::uint32_t* values, std::size_t count) {
    if (count != kPropertyLength) return std::nullopt;
    return TrayColours{colourAt(values), colourAt(values + 3), colourAt(values + 6), colourAt(values + 9)};
}

xcb_atom_t XcbTrayHostColours::intern(const char* name) const {
    const auto cookie = xcb_intern_atom(connection_.get(), 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    ReplyPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_.get(), cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void XcbTrayHostColours::drain() {
    while (ReplyPointer<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get()), &std::free}) handle(*event);
    // A display that went away would wake the notifier for ever.
    if (xcb_connection_has_error(connection_.get())) {
        notifier_->setEnabled(false);
        update(std::nullopt);
    }
}

void XcbTrayHostColours::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
        const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
        if (message.type == manager_ && message.format == 32 && message.data.data32[1] == selection_) followOwner();
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (change.window == owner_ && change.atom == coloursProperty_) update(readColours());
        break;
    }
    case XCB_DESTROY_NOTIFY:
        if (reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == owner_) followOwner();
        break;
    default: break;
    }
}

void XcbTrayHostColours::followOwner() {
    ReplyPointer<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection_.get(), xcb_get_selection_owner(connection_.get(), selection_),
                                      nullptr),
        &std::free);
    owner_ = reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
    if (owner_ != XCB_WINDOW_NONE) {
        // Watched before it is read, so no change falls between the two; an owner already gone fails here.
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        ReplyPointer<xcb_generic_error_t> error(
            xcb_request_check(connection_.get(), xcb_change_window_attributes_checked(connection_.get(), owner_,
                                                                                      XCB_CW_EVENT_MASK, &events)),
            &std::free);
        if (error) owner_ = XCB_WINDOW_NONE;
    }
    update(readColours());
}

std::optional<TrayColours> XcbTrayHostColours::readColours() const {
    if (owner_ == XCB_WINDOW_NONE) return std::nullopt;
    const auto cookie =
        xcb_get_property(connection_.get(), 0, owner_, coloursProperty_, XCB_ATOM_CARDINAL, 0, kPropertyLength + 1);
    ReplyPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_.get(), cookie, nullptr),
                                                 &std::free);
    if (!reply || reply->type != XCB_ATOM_CARDINAL || reply->format != 32) return std::nullopt;
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return fromProperty(values, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) / 4);
}

void XcbTrayHostColours::update(std::optional<TrayColours> colours) {
    if (colours == colours_) return;
    colours_ = std::move(colours);
    if (listener_) listener_();
}

}  // namespace quillmark
