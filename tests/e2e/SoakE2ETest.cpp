// Bounded soak: the stand-in drops connections at random while meters stream and hotkeys are
// pressed; afterwards the program must be ready again with every subscription restored, and the
// sanitizers must have nothing to report.
#include "E2EBindings.h"
#include "E2EPaths.h"
#include "EngineSimProcess.h"
#include "PollUntil.h"
#include "QuillmarkProcess.h"
#include "XTool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return pollUntil(condition, timeout);
}

bool containsInOrder(const std::vector<std::string>& requests, const std::vector<std::string>& wanted) {
    std::size_t next = 0;
    for (const auto& request : requests) {
        if (next < wanted.size() && request == wanted[next]) ++next;
    }
    return next == wanted.size();
}

TEST(SoakE2E, RandomDropsWhileMeteringAndPressingEndReadyAndResubscribed) {
    EngineSimProcess sim(EngineSimProcess::Options{.meterRate = 60.0});
    ASSERT_TRUE(sim.isRunning());
    ASSERT_TRUE(sim.control("surround 7.1.4"));

    QuillmarkProcess::Options options;
    options.enginePort = sim.port();
    options.settings = {{E2EBindings::key, E2EBindings::document()}, {"Quillmark.showMetersOnLaunch", true}};
    QuillmarkProcess app(std::move(options));
    ASSERT_TRUE(sim.waitForRequest(E2EPaths::meterSubscription(11), 20s)) << "twelve meters subscribed";

    const unsigned seed = std::random_device{}();
    std::printf("soak seed %u\n", seed);
    std::mt19937 random(seed);
    const char* keys[] = {E2EBindings::volumeUpFine, E2EBindings::volumeDownFine, E2EBindings::mute,
                          E2EBindings::talkback};
    const char* surrounds[] = {"surround 7.1.4", "surround 5.1", "surround STEREO"};
    int drops = 0;
    int presses = 0;
    const auto end = Clock::now() + 25s;
    while (Clock::now() < end) {
        const auto choice = random() % 10;
        if (choice < 2) {
            ASSERT_TRUE(sim.control("drop"));
            ++drops;
        } else if (choice < 3) {
            ASSERT_TRUE(sim.control(surrounds[random() % 3]));
        } else {
            ASSERT_TRUE(XTool::key(keys[random() % 4]));
            ++presses;
        }
        ASSERT_TRUE(app.isRunning());
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 400));  // the soak's own pace
    }
    std::printf("soak: %d drops, %d key presses\n", drops, presses);

    // Settle on a known layout, then one last drop: everything must come back.
    ASSERT_TRUE(sim.control("surround 7.1.4"));
    const int connectionsBefore = sim.connectionCount();
    sim.clearRequests();
    ASSERT_TRUE(sim.control("drop"));
    ASSERT_TRUE(sim.waitForConnections(connectionsBefore + 1, 20s));
    EXPECT_TRUE(eventually([&] { return containsInOrder(sim.requests(), E2EPaths::monitorSubscriptions()); }, 20s));
    EXPECT_TRUE(sim.waitForRequest(E2EPaths::meterSubscription(11), 20s));
    EXPECT_EQ(sim.openConnectionCount(), 1);

    EXPECT_EQ(app.terminate(), 0);
    for (const auto& line : app.logLines()) {
        EXPECT_EQ(line.find("Sanitizer"), std::string::npos) << line;
        EXPECT_EQ(line.find("runtime error"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace quillmark::testing
