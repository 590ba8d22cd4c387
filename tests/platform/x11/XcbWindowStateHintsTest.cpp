// Window states as a window manager sees them: a small manager on the test's own X server redirects
// map requests, reads the properties at the moment a window asks to be mapped, and drops them when
// the window is withdrawn, as EWMH tells managers to.
#include "platform/windows/WindowStateHints.h"

#include "X11TestSupport.h"
#include "XcbReplies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillmark::testing {
namespace {

using ::testing::Contains;
using ::testing::IsSupersetOf;
using ::testing::Not;

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;

// What a window carried when it asked to be mapped.
struct MapRequest {
    std::vector<std::string> states;       // _NET_WM_STATE, by atom name
    std::optional<std::uint32_t> desktop;  // _NET_WM_DESKTOP
    // Either property changed after the request, before the manager read it: what it read is not
    // what the window carried when it asked.
    bool changedAfterwards = false;
};

// The least of a window manager: maps what asks to be mapped, honours configure requests, and clears
// _NET_WM_STATE and _NET_WM_DESKTOP of a window that is withdrawn.
class RedirectingWindowManager {
public:
    RedirectingWindowManager() : connection_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        ok_ = !xcb_request_check(connection_,
                                 xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask));
        netWmState_ = internAtom(connection_, "_NET_WM_STATE");
        netWmDesktop_ = internAtom(connection_, "_NET_WM_DESKTOP");
    }
    ~RedirectingWindowManager() { xcb_disconnect(connection_); }
    RedirectingWindowManager(const RedirectingWindowManager&) = delete;
    RedirectingWindowManager& operator=(const RedirectingWindowManager&) = delete;

    bool isManaging() const { return ok_; }

    // Follows the property changes of `window` from now on.
    void watch(xcb_window_t window) {
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
        sync();
    }

    // Runs the application's events and this manager's until `window` asks to be mapped.
    std::optional<MapRequest> awaitMapRequest(xcb_window_t window) {
        std::optional<MapRequest> seen;
        waitFor([&] {
            handleEvents(window, &seen, nullptr);
            return seen.has_value();
        });
        return seen;
    }

    // Runs both event streams until `window` is withdrawn and its states are cleared.
    bool awaitWithdrawn(xcb_window_t window) {
        bool withdrawn = false;
        return waitFor([&] {
            handleEvents(window, nullptr, &withdrawn);
            return withdrawn;
        });
    }

private:
    using Event = ReplyPointer<xcb_generic_event_t>;

    Event nextEvent() {
        if (pending_.empty()) return {xcb_poll_for_event(connection_), &std::free};
        Event event = std::move(pending_.front());
        pending_.pop_front();
        return event;
    }

    void handleEvents(xcb_window_t window, std::optional<MapRequest>* mapped, bool* withdrawn) {
        while (Event event = nextEvent()) {
            switch (event->response_type & 0x7f) {
            case XCB_MAP_REQUEST: {
                const auto* request = reinterpret_cast<xcb_map_request_event_t*>(event.get());
                if (request->window == window && mapped) *mapped = readAtRequest(window);
                xcb_map_window(connection_, request->window);
                break;
            }
            case XCB_CONFIGURE_REQUEST:
                configure(*reinterpret_cast<xcb_configure_request_event_t*>(event.get()));
                break;
            case XCB_UNMAP_NOTIFY: {
                // The client's synthetic copy (its ICCCM withdrawal notice) comes after the real unmap,
                // which was handled already; acting on it could clear states written for the next map.
                if (event->response_type & 0x80) break;
                const auto* unmap = reinterpret_cast<xcb_unmap_notify_event_t*>(event.get());
                xcb_delete_property(connection_, unmap->window, netWmState_);
                xcb_delete_property(connection_, unmap->window, netWmDesktop_);
                if (unmap->window == window && withdrawn) *withdrawn = true;
                break;
            }
            default: break;
            }
        }
        sync();
    }

    // Returns once the server has carried out every request sent so far.
    void sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    void configure(const xcb_configure_request_event_t& request) {
        std::vector<std::uint32_t> values;
        const std::uint16_t mask = request.value_mask & (XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                                                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT);
        if (mask & XCB_CONFIG_WINDOW_X) values.push_back(static_cast<std::uint32_t>(request.x));
        if (mask & XCB_CONFIG_WINDOW_Y) values.push_back(static_cast<std::uint32_t>(request.y));
        if (mask & XCB_CONFIG_WINDOW_WIDTH) values.push_back(request.width);
        if (mask & XCB_CONFIG_WINDOW_HEIGHT) values.push_back(request.height);
        xcb_configure_window(connection_, request.window, mask, values.data());
    }

    // Reads the properties, then looks through the events that came in meanwhile (kept for later)
    // for a change of either after the request.
    MapRequest readAtRequest(xcb_window_t window) {
        MapRequest seen = read(window);
        while (Event event{xcb_poll_for_queued_event(connection_), &std::free}) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
                if (change->window == window && (change->atom == netWmState_ || change->atom == netWmDesktop_))
                    seen.changedAfterwards = true;
            }
            pending_.push_back(std::move(event));
        }
        return seen;
    }

    MapRequest read(xcb_window_t window) {
        MapRequest seen;
        ReplyPointer<xcb_get_property_reply_t> states(
            xcb_get_property_reply(
                connection_, xcb_get_property(connection_, 0, window, netWmState_, XCB_ATOM_ATOM, 0, 1024), nullptr),
            &std::free);
        if (states && states->type == XCB_ATOM_ATOM) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(states.get()));
            const int count = xcb_get_property_value_length(states.get()) / static_cast<int>(sizeof(xcb_atom_t));
            for (int i = 0; i < count; ++i) seen.states.push_back(atomName(connection_, atoms[i]));
        }
        ReplyPointer<xcb_get_property_reply_t> desktop(
            xcb_get_property_reply(
                connection_, xcb_get_property(connection_, 0, window, netWmDesktop_, XCB_ATOM_CARDINAL, 0, 1), nullptr),
            &std::free);
        if (desktop && desktop->type == XCB_ATOM_CARDINAL && xcb_get_property_value_length(desktop.get()) == 4)
            seen.desktop = *static_cast<const std::uint32_t*>(xcb_get_property_value(desktop.get()));
        return seen;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    bool ok_ = false;
    xcb_atom_t netWmState_ = XCB_ATOM_NONE;
    xcb_atom_t netWmDesktop_ = XCB_ATOM_NONE;
    std::deque<Event> pending_;
};

class XcbWindowStateHintsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ASSERT_TRUE(manager.isManaging()) << "another window manager runs on this display";
    }

    // A window like the HUD: a tool window, kept above, whose native window exists before it is shown.
    static std::unique_ptr<QWindow> makeWindow() {
        auto window = std::make_unique<QWindow>();
        window->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        window->setGeometry(100, 100, 240, 88);
        window->create();
        return window;
    }

    static xcb_window_t idOf(const QWindow& window) { return static_cast<xcb_window_t>(window.winId()); }

    QGuiApplication& application = x11TestApplication();
    RedirectingWindowManager manager;
};

TEST_F(XcbWindowStateHintsTest, TheStatesAreOnTheWindowWhenItAsksToBeMapped) {
    struct Case {
        WindowStateHints::States states;
        std::vector<std::string> present;
        std::vector<std::string> absent;
        std::optional<std::uint32_t> desktop;
    };
    const std::string sticky = "_NET_WM_STATE_STICKY", skipTaskbar = "_NET_WM_STATE_SKIP_TASKBAR",
                      skipPager = "_NET_WM_STATE_SKIP_PAGER", above = "_NET_WM_STATE_ABOVE";
    for (const Case& c : {
             Case{{true, true, true}, {sticky, skipTaskbar, skipPager, above}, {}, kAllDesktops},
             Case{{true, false, false}, {sticky, above}, {skipTaskbar, skipPager}, kAllDesktops},
             Case{{false, true, true}, {skipTaskbar, skipPager, above}, {sticky}, std::nullopt},
             Case{{}, {above}, {sticky, skipTaskbar, skipPager}, std::nullopt},
         }) {
        SCOPED_TRACE(::testing::Message() << "sticky " << c.states.onAllWorkspaces << ", skip taskbar "
                                          << c.states.skipTaskbar << ", skip pager " << c.states.skipPager);
        auto window = makeWindow();
        manager.watch(idOf(*window));
        auto hints = WindowStateHints::keep(*window, c.states);
        window->show();
        const std::optional<MapRequest> seen = manager.awaitMapRequest(idOf(*window));
        ASSERT_TRUE(seen) << "the window never asked to be mapped";
        EXPECT_THAT(seen->states, IsSupersetOf(c.present));  // Qt's own ABOVE is kept beside ours
        for (const std::string& state : c.absent) EXPECT_THAT(seen->states, Not(Contains(state)));
        EXPECT_EQ(seen->desktop, c.desktop);
        EXPECT_FALSE(seen->changedAfterwards) << "the states were written after the window asked to be mapped";
    }
}

// A manager forgets the states of a withdrawn window; every later map brings them again.
TEST_F(XcbWindowStateHintsTest, EveryMapAfterAWithdrawalCarriesTheStatesAgain) {
    auto window = makeWindow();
    manager.watch(idOf(*window));
    auto hints = WindowStateHints::keep(*window, {true, true, true});
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        window->show();
        const std::optional<MapRequest> seen = manager.awaitMapRequest(idOf(*window));
        ASSERT_TRUE(seen);
        EXPECT_THAT(seen->states,
                    IsSupersetOf({"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}));
        EXPECT_EQ(seen->desktop, kAllDesktops);
        EXPECT_FALSE(seen->changedAfterwards) << "the states were written after the window asked to be mapped";
        window->hide();
        ASSERT_TRUE(manager.awaitWithdrawn(idOf(*window)));
        // Qt must have seen its own unmap too, or the next show counts as one on a mapped window.
        ASSERT_TRUE(waitFor([&] { return !window->isExposed(); }));
    }
}

}  // namespace
}  // namespace quillmark::testing
