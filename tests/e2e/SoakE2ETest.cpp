// Soaks: the stand-in drops connections while meters stream and hotkeys are pressed; the program must
// come back every time with every subscription restored, and the sanitizers must have nothing to report.
// The counted run takes its length from QUILLMARK_SOAK_DROPS (scripts/soak runs a thousand), another
// build of the program from QUILLMARK_SOAK_EXECUTABLE, and a bound on resident-memory growth from
// QUILLMARK_SOAK_MAX_RSS_GROWTH_KB.
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
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <thread>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return pollUntil(condition, timeout);
}

constexpr int kDefaultSoakDrops = 10;
// Every this many drops, from the fifth on, the engine also goes away for a while, so the back-off has
// to grow (the short default run sees it once).
constexpr int kRestartEvery = 50;
constexpr int kFirstRestart = 5;
constexpr double kRestartAwaySeconds = 2.5;
constexpr int kSampleEvery = 100;
constexpr int kSurroundMeters = 12;  // 7.1.4

// The program's reconnect delays after 1, 2, 3... consecutive failures, written out by hand.
constexpr double kBackoffSeconds[] = {0.5, 1.0, 2.0, 4.0, 8.0};
// How late a reconnect may come (a loaded machine, a sanitizer build), and how early (the drop is
// timed when the stand-in acknowledges it, a moment after the program may have seen it).
constexpr double kLateSeconds = 0.5;
constexpr double kEarlySeconds = 0.05;

// A whole number from the environment; nothing when unset, a failure when it is not one.
std::optional<long> environmentNumber(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 0) {
        ADD_FAILURE() << name << " is not a whole number: " << text;
        return std::nullopt;
    }
    return value;
}

// When the program reconnects after a drop while the engine stays away for `awaySeconds`: the first
// attempt at or after its return, counting the delays the refused attempts added up.
double expectedReconnectSeconds(double awaySeconds) {
    double elapsed = 0;
    for (std::size_t attempt = 0;; ++attempt) {
        elapsed += kBackoffSeconds[std::min(attempt, std::size(kBackoffSeconds) - 1)];
        if (elapsed >= awaySeconds) return elapsed;
    }
}

// VmRSS of process `pid` in kB, or -1.
long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
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

// Every request a fresh connection must see: the monitor subscriptions in order and every meter's.
bool everySubscriptionRestored(const std::vector<std::string>& requests) {
    if (!containsInOrder(requests, E2EPaths::monitorSubscriptions())) return false;
    const std::set<std::string> seen(requests.begin(), requests.end());
    for (int meter = 0; meter < kSurroundMeters; ++meter) {
        if (!seen.count(E2EPaths::meterSubscription(meter))) return false;
    }
    return true;
}

bool isMuteSet(const std::string& request) { return request.rfind("set " + E2EPaths::mute + "/value/ ", 0) == 0; }

class CountedSoak : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.isRunning());
        ASSERT_TRUE(sim_.control("surround 7.1.4"));
        QuillmarkProcess::Options options;
        options.enginePort = sim_.port();
        options.settings = {{E2EBindings::key, E2EBindings::document()}, {"Quillmark.showMetersOnLaunch", true}};
        if (const char* executable = std::getenv("QUILLMARK_SOAK_EXECUTABLE")) options.executable = executable;
        app_.emplace(std::move(options));
        ASSERT_TRUE(sim_.waitForConnections(1, 20s));
        ASSERT_TRUE(eventually([&] { return everySubscriptionRestored(sim_.requests()); }, 20s));
    }

    // Drops every connection (the engine first stops listening for `awaySeconds` when given) and
    // returns how long the program took to connect again, in seconds.
    std::optional<double> dropAndReconnect(std::optional<double> awaySeconds, const char* keyWhileAway) {
        const int connection = sim_.connectionCount() + 1;
        if (awaySeconds && !sim_.control("refuse " + std::to_string(*awaySeconds))) return std::nullopt;
        sim_.clearRequests();
        if (!sim_.control("drop")) return std::nullopt;
        const auto droppedAt = Clock::now();
        XTool::key(keyWhileAway);
        if (!sim_.waitForConnections(connection, 30s)) return std::nullopt;
        return std::chrono::duration<double>(*sim_.connectedAt(connection) - droppedAt).count();
    }

    EngineSimProcess sim_{EngineSimProcess::Options{.meterRate = 60.0}};
    std::optional<QuillmarkProcess> app_;
};

TEST_F(CountedSoak, EveryReconnectFollowsTheBackOffAndRestoresEverySubscription) {
    const long drops = environmentNumber("QUILLMARK_SOAK_DROPS").value_or(kDefaultSoakDrops);
    const std::optional<long> maxGrowthKb = environmentNumber("QUILLMARK_SOAK_MAX_RSS_GROWTH_KB");
    const char* keys[] = {E2EBindings::volumeUpFine, E2EBindings::volumeDownFine, E2EBindings::mute,
                          E2EBindings::talkback};
    std::mt19937 random(std::random_device{}());

    // Warm up what the first press and the first reconnect allocate once, then take the first sample.
    for (const char* key : keys) ASSERT_TRUE(XTool::key(key));
    ASSERT_TRUE(dropAndReconnect(std::nullopt, E2EBindings::mute));
    ASSERT_TRUE(eventually([&] { return everySubscriptionRestored(sim_.requests()); }, 20s));
    const long startKb = residentKilobytes(app_->pid());
    ASSERT_GT(startKb, 0) << "no resident size for pid " << app_->pid();
    std::printf("soak: %ld drops; resident at start %ld kB\n", drops, startKb);
    std::fflush(stdout);

    const auto began = Clock::now();
    double latest = 0;
    long endKb = startKb;
    for (long drop = 1; drop <= drops; ++drop) {
        const bool restart = drop % kRestartEvery == kFirstRestart;
        const std::optional<double> away = restart ? std::optional(kRestartAwaySeconds) : std::nullopt;
        const double expected = expectedReconnectSeconds(away.value_or(0));
        const auto took = dropAndReconnect(away, keys[random() % std::size(keys)]);
        ASSERT_TRUE(took) << "drop " << drop << ": no reconnect";
        EXPECT_GE(*took, expected - kEarlySeconds) << "drop " << drop << " reconnected too early";
        EXPECT_LE(*took, expected + kLateSeconds) << "drop " << drop << " reconnected too late";
        latest = std::max(latest, *took - expected);
        ASSERT_TRUE(eventually([&] { return everySubscriptionRestored(sim_.requests()); }, 20s))
            << "drop " << drop << ": subscriptions not restored";
        // The hotkeys still reach the engine on the new connection.
        ASSERT_TRUE(XTool::key(E2EBindings::mute));
        ASSERT_TRUE(sim_.waitForRequestMatching(isMuteSet, 10s)) << "drop " << drop << ": mute not sent";
        ASSERT_TRUE(app_->isRunning()) << "drop " << drop;
        if (drop % kSampleEvery == 0 || drop == drops) {
            endKb = residentKilobytes(app_->pid());
            std::printf("soak: drop %ld: resident %ld kB (%+ld kB), %.0f s\n", drop, endKb, endKb - startKb,
                        std::chrono::duration<double>(Clock::now() - began).count());
            std::fflush(stdout);
        }
        if (HasFailure()) break;
    }
    std::printf("soak: resident at start %ld kB, at end %ld kB; latest reconnect %.3f s after its schedule\n", startKb,
                endKb, latest);
    if (maxGrowthKb) {
        EXPECT_LE(endKb - startKb, *maxGrowthKb) << "resident memory grew";
    }

    EXPECT_EQ(app_->terminate(), 0);
    for (const auto& line : app_->logLines()) {
        EXPECT_EQ(line.find("Sanitizer"), std::string::npos) << line;
        EXPECT_EQ(line.find("runtime error"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace quillmark::testing
