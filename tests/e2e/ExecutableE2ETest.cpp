// The real `quillmark` executable against the real engine stand-in, on this test's own X server.
#include "E2EBindings.h"
#include "E2EPaths.h"
#include "EngineSimProcess.h"
#include "PollUntil.h"
#include "QuillmarkProcess.h"
#include "XTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Waits for a condition with a deadline, polling (for state outside this process, such as X windows).
bool eventually(const std::function<bool()>& condition, Ms timeout = 10s) { return pollUntil(condition, timeout); }

long elapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<Ms>(Clock::now() - since).count());
}

class ExecutableE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.isRunning());
        ASSERT_TRUE(sim_.control("set " + E2EPaths::level + "/value -30"));
    }

    std::unique_ptr<QuillmarkProcess> launch(std::vector<std::pair<std::string, QVariant>> extra = {}) {
        QuillmarkProcess::Options options;
        options.enginePort = sim_.port();
        options.settings = {{E2EBindings::key, E2EBindings::document()}, {"Quillmark.hudPersistenceSeconds", 0.25}};
        for (auto& setting : extra) options.settings.push_back(std::move(setting));
        return std::make_unique<QuillmarkProcess>(std::move(options));
    }

    // All ten monitor subscriptions, in order, among the requests received since the last clear.
    bool waitForMonitorSubscriptions(Ms timeout = 15s) {
        const auto expected = E2EPaths::monitorSubscriptions();
        return eventually([&] { return containsInOrder(sim_.requests(), expected); }, timeout);
    }

    static bool containsInOrder(const std::vector<std::string>& requests, const std::vector<std::string>& wanted) {
        std::size_t next = 0;
        for (const auto& request : requests) {
            if (next < wanted.size() && request == wanted[next]) ++next;
        }
        return next == wanted.size();
    }

    static bool hudOnScreen(const QuillmarkProcess& app) {
        return XTool::visibleWindowSized(app.pid(), 288, 106).has_value();
    }

    static std::string muteSet(const char* value) { return "set " + E2EPaths::mute + "/value/ " + value; }

    static std::string levelSet(const char* value) { return "set " + E2EPaths::level + "/value/ " + value; }

    EngineSimProcess sim_;
};

TEST_F(ExecutableE2E, LaunchDiscoversTheControlRoomOutputAndSubscribesTheMonitorPathsInOrder) {
    const auto launchedAt = Clock::now();
    auto app = launch();
    ASSERT_TRUE(waitForMonitorSubscriptions()) << "requests: " << sim_.requests().size();
    std::printf("[figure] launch to the last monitor subscription: %ld ms\n", elapsedMs(launchedAt));

    const auto requests = sim_.requests();
    // Discovery starts the conversation; only the meter window, shown at the first ready, may come first.
    const auto gets = E2EPaths::startingWith(requests, "get ");
    ASSERT_FALSE(gets.empty());
    EXPECT_EQ(gets.front(), "get /devices");
    const auto firstGet = std::find(requests.begin(), requests.end(), "get /devices");
    for (auto request = requests.begin(); request != firstGet; ++request)
        EXPECT_NE(request->find("/meters/"), std::string::npos) << *request;
    // The ten monitor subscriptions are sent back to back, nothing in between but meter subscriptions.
    std::vector<std::string> monitorOnly;
    for (const auto& request : requests) {
        if (request.rfind("subscribe ", 0) == 0 && request.find("/meters/") == std::string::npos)
            monitorOnly.push_back(request);
    }
    EXPECT_EQ(monitorOnly, E2EPaths::monitorSubscriptions());
    EXPECT_TRUE(app->waitForLog(
        [](const std::string& line) {
            return line.find("Quillmark: discovered Control Room output at /devices/0/outputs/22") != std::string::npos;
        },
        5s));
    EXPECT_EQ(app->terminate(), 0);
}

TEST_F(ExecutableE2E, FineStepHotkeySendsTheLevelAndShowsTheHUD) {
    auto app = launch();
    ASSERT_TRUE(waitForMonitorSubscriptions());
    // The HUD (medium size, 288 x 106) shows at arming and for each first report; wait until it has hidden again.
    ASSERT_TRUE(eventually([&] { return !XTool::visibleWindowSized(app->pid(), 288, 106); })) << "the HUD never hid";

    const auto pressedAt = Clock::now();
    ASSERT_TRUE(XTool::key(E2EBindings::volumeUpFine));
    ASSERT_TRUE(sim_.waitForRequest(levelSet("-29.00")));
    std::printf("[figure] key press (xdotool run included) to the request on the wire: %ld ms\n", elapsedMs(pressedAt));

    std::optional<XTool::Window> hud;
    ASSERT_TRUE(eventually([&] { return (hud = XTool::visibleWindowSized(app->pid(), 288, 106)).has_value(); }))
        << "the HUD did not appear";
    EXPECT_EQ(hud->y, 16);
    EXPECT_EQ(hud->x + hud->width, 1920 - 16);

    ASSERT_TRUE(XTool::key(E2EBindings::volumeDownFine));
    EXPECT_TRUE(sim_.waitForRequest(levelSet("-30.00")));
    EXPECT_EQ(app->terminate(), 0);
}

// The HUD shows only for what the engine reports, so its appearing after a press proves the report
// of the press has been taken in; the next press then toggles from it.
TEST_F(ExecutableE2E, MuteHotkeyTogglesFromTheReportedState) {
    auto app = launch();
    ASSERT_TRUE(waitForMonitorSubscriptions());
    ASSERT_TRUE(eventually([&] { return !hudOnScreen(*app); })) << "the HUD never hid";
    ASSERT_TRUE(XTool::key(E2EBindings::mute));
    ASSERT_TRUE(sim_.waitForRequest(muteSet("true")));
    ASSERT_TRUE(eventually([&] { return hudOnScreen(*app); })) << "the mute report shows the HUD";
    ASSERT_TRUE(XTool::key(E2EBindings::mute));
    EXPECT_TRUE(sim_.waitForRequest(muteSet("false")));
    EXPECT_EQ(app->terminate(), 0);
}

TEST_F(ExecutableE2E, OfflineInterfaceShowsTheHUDAndSendsNothing) {
    auto app = launch();
    ASSERT_TRUE(waitForMonitorSubscriptions());
    ASSERT_TRUE(sim_.control("online false"));
    ASSERT_TRUE(eventually([&] { return !hudOnScreen(*app); })) << "the HUD never hid";
    ASSERT_TRUE(XTool::key(E2EBindings::volumeUpFine));
    ASSERT_TRUE(eventually([&] { return hudOnScreen(*app); })) << "the offline message";
    ASSERT_TRUE(XTool::key(E2EBindings::mute));

    ASSERT_TRUE(sim_.control("online true"));
    // Nothing on screen tells when the program has taken in the online report: press until mute goes
    // out. Presses it still handles as offline send nothing, so the only request is the one mute.
    bool muted = false;
    for (int attempt = 0; attempt < 20 && !muted; ++attempt) {
        ASSERT_TRUE(XTool::key(E2EBindings::mute));
        muted = sim_.waitForRequest(muteSet("true"), Ms(500));
    }
    ASSERT_TRUE(muted);
    for (const auto& request : sim_.requests()) {
        if (request.rfind("set ", 0) == 0) {
            EXPECT_TRUE(request == muteSet("true") || request == "set /Sleep false") << request;
        }
    }
    EXPECT_EQ(app->terminate(), 0);
}

TEST_F(ExecutableE2E, DroppedConnectionIsFollowedByRediscoveryAndResubscriptionOfMonitorAndMeters) {
    auto app = launch({{"Quillmark.showMetersOnLaunch", true}});
    ASSERT_TRUE(waitForMonitorSubscriptions());
    // The meter window opens at the first ready and subscribes the stereo layout's two meters.
    ASSERT_TRUE(sim_.waitForRequest(E2EPaths::meterSubscription(1), 10s));
    ASSERT_TRUE(eventually([&] { return XTool::visibleWindows(app->pid()).size() >= 1; }));

    sim_.clearRequests();
    ASSERT_TRUE(sim_.control("drop"));
    ASSERT_TRUE(sim_.waitForConnections(2, 10s));
    ASSERT_TRUE(waitForMonitorSubscriptions());
    ASSERT_TRUE(sim_.waitForRequest(E2EPaths::meterSubscription(1), 10s));

    const auto requests = sim_.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front(), "get /devices") << "rediscovery first";
    const auto lastMonitor = std::find(requests.begin(), requests.end(), E2EPaths::monitorSubscriptions().back());
    const auto firstMeter = std::find(requests.begin(), requests.end(), E2EPaths::meterSubscription(0));
    EXPECT_LT(lastMonitor - requests.begin(), firstMeter - requests.begin())
        << "meters are subscribed again after the monitor paths";
    EXPECT_EQ(E2EPaths::startingWith(requests, "subscribe /devices/0/outputs/22/meters/").size(), 2u);
    EXPECT_EQ(app->terminate(), 0);
}

// Run from the build, the program finds the build's resource bundle: every bundled face registers.
// The display face has no free copy, so its absence is the one line expected.
TEST_F(ExecutableE2E, TheBuiltProgramFindsTheBundledFonts) {
    auto app = launch();
    ASSERT_TRUE(waitForMonitorSubscriptions());
    EXPECT_EQ(app->terminate(), 0);
    for (const auto& line : app->logLines()) {
        if (line.find("bundled font") == std::string::npos) continue;
        EXPECT_NE(line.find("IsolationGrotesque-Regular"), std::string::npos) << line;
    }
}

TEST_F(ExecutableE2E, TerminationDisconnectsAndExitsCleanly) {
    auto app = launch();
    ASSERT_TRUE(waitForMonitorSubscriptions());
    ASSERT_EQ(sim_.openConnectionCount(), 1);
    EXPECT_EQ(app->terminate(), 0);
    EXPECT_TRUE(sim_.waitForOpenConnections(0));
    for (const auto& line : app->logLines()) {
        EXPECT_EQ(line.find("Sanitizer"), std::string::npos) << line;
        EXPECT_EQ(line.find("runtime error"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace quillmark::testing
