#include "OpenboxWindowManager.h"

#include "PollUntil.h"

#include <QDir>
#include <QProcessEnvironment>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace quillmark::testing {

namespace {

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

OpenboxWindowManager::OpenboxWindowManager() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        throw std::runtime_error("no X display");
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    // Its session and cache files go to a directory of the test's own, never the user's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        environment.insert(QString::fromLatin1(name), home_.path());
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!process_.waitForStarted(5000)) {
        error_ = "openbox did not start: " + process_.errorString().toStdString();
        return;
    }
    using namespace std::chrono_literals;
    managing_ = pollUntil([this] { return announced(); }, 10s);
    if (!managing_) error_ = "openbox did not take the screen";
}

OpenboxWindowManager::~OpenboxWindowManager() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(3000);
    }
    xcb_disconnect(connection_);
}

xcb_atom_t OpenboxWindowManager::intern(const char* name) {
    ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string OpenboxWindowManager::nameOf(xcb_atom_t atom) {
    ReplyPointer<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr), &std::free);
    return reply ? std::string(xcb_get_atom_name_name(reply.get()),
                               static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())))
                 : std::string();
}

// EWMH: a manager names a window of its own on the root, and the same window on itself.
bool OpenboxWindowManager::announced() {
    const xcb_atom_t check = intern("_NET_SUPPORTING_WM_CHECK");
    ReplyPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, root_, check, XCB_ATOM_WINDOW, 0, 1),
                               nullptr),
        &std::free);
    return reply && reply->type == XCB_ATOM_WINDOW && xcb_get_property_value_length(reply.get()) == 4;
}

void OpenboxWindowManager::minimise(xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = intern("WM_CHANGE_STATE");
    message.data.data32[0] = iconicState;
    xcb_send_event(connection_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
}

std::optional<std::uint32_t> OpenboxWindowManager::wmState(xcb_window_t window) {
    const xcb_atom_t state = intern("WM_STATE");
    ReplyPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, window, state, state, 0, 2), nullptr),
        &std::free);
    if (!reply || reply->type != state || xcb_get_property_value_length(reply.get()) < 4) return std::nullopt;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

std::vector<std::string> OpenboxWindowManager::atomNames(xcb_window_t window, const char* property) {
    ReplyPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, intern(property), XCB_ATOM_ATOM, 0, 1024), nullptr),
        &std::free);
    std::vector<std::string> names;
    if (!reply || reply->type != XCB_ATOM_ATOM) return names;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / static_cast<int>(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i) names.push_back(nameOf(atoms[i]));
    return names;
}

}  // namespace quillmark::testing
