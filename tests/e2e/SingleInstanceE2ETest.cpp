// Copies of the real `quillmark` executable side by side on this test's X server: the newest copy
// with the same settings location wins, and ends up with the hotkeys.
#include "E2EBindings.h"
#include "E2EPaths.h"
#include "EngineSimProcess.h"
#include "PollUntil.h"
#include "QuillmarkProcess.h"
#include "XTool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sys/wait.h>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

long elapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<Ms>(Clock::now() - since).count());
}

class SingleInstanceE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.isRunning());
        ASSERT_TRUE(sim_.control("set " + E2EPaths::level + "/value -30"));
    }

    // A copy with the test bindings; in `configHome` when given, else in a fresh settings directory.
    std::unique_ptr<QuillmarkProcess> launch(const std::string& configHome = {},
                                             std::vector<std::string> arguments = {},
                                             std::map<std::string, std::string> environment = {}) {
        QuillmarkProcess::Options options;
        options.environment = std::move(environment);
        options.enginePort = sim_.port();
        options.configHome = configHome;
        options.arguments = std::move(arguments);
        if (configHome.empty())
            options.settings = {{E2EBindings::key, E2EBindings::document()}, {"Quillmark.hudPersistenceSeconds", 0.25}};
        return std::make_unique<QuillmarkProcess>(std::move(options));
    }

    bool waitForMonitorSubscriptions() { return sim_.waitForRequest(E2EPaths::monitorSubscriptions().back(), 15s); }

    // Presses until the engine receives `request`: the newer copy takes the keys over a moment after
    // the older one has gone, and a press before that reaches no one.
    bool pressUntilReceived(const std::string& combo, const std::string& request) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (!XTool::key(combo)) return false;
            if (sim_.waitForRequest(request, Ms(500))) return true;
        }
        return false;
    }

    static std::string asking(const QuillmarkProcess& copy) {
        const std::string program = std::filesystem::canonical(QuillmarkProcess::executablePath()).string();
        return "SingleInstanceGuard: asking pid " + std::to_string(copy.pid()) + " (" + program + ") to quit";
    }

    static std::string forcing(const QuillmarkProcess& copy) {
        return "SingleInstanceGuard: pid " + std::to_string(copy.pid()) +
               " ignored the quit request — force-terminating";
    }

    static auto equalTo(std::string expected) {
        return [expected = std::move(expected)](const std::string& line) { return line == expected; };
    }

    static bool mentions(const QuillmarkProcess& copy, const std::string& text) {
        for (const auto& line : copy.logLines()) {
            if (line.find(text) != std::string::npos) return true;
        }
        return false;
    }

    static std::string levelSet(const char* value) { return "set " + E2EPaths::level + "/value/ " + value; }

    EngineSimProcess sim_;
};

TEST_F(SingleInstanceE2E, TheOlderCopyQuitsWithinTheGracePeriodAndTheNewerOneTakesOverTheHotkeys) {
    // The leak scan at exit stops the sanitizer build's process for a while, seconds on a busy machine,
    // and would count against the grace period; the other end-to-end tests check the quit for leaks.
    auto older = launch({}, {}, {{"ASAN_OPTIONS", "detect_leaks=0"}});
    ASSERT_TRUE(waitForMonitorSubscriptions());
    sim_.clearRequests();

    auto newer = launch(older->configHome());
    ASSERT_TRUE(newer->waitForLog(equalTo(asking(*older)), 15s));
    const auto askedAt = Clock::now();
    const auto status = older->waitForExit(3s);
    ASSERT_TRUE(status) << "the older copy still runs after the grace period";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "a clean quit, not a kill";
    std::printf("[figure] quit request to the older copy's exit: %ld ms\n", elapsedMs(askedAt));

    ASSERT_TRUE(waitForMonitorSubscriptions());
    EXPECT_TRUE(pressUntilReceived(E2EBindings::volumeUpFine, levelSet("-29.00")));
    EXPECT_FALSE(mentions(*newer, "force-terminating"));
    EXPECT_EQ(newer->terminate(), 0);
}

TEST_F(SingleInstanceE2E, ACopyThatIgnoresTheQuitRequestIsKilledAfterThreeSecondsAndTheNewerOneTakesOverTheHotkeys) {
    auto older = launch({}, {"--ignore-sigterm"});
    ASSERT_TRUE(waitForMonitorSubscriptions());
    sim_.clearRequests();

    auto newer = launch(older->configHome());
    ASSERT_TRUE(newer->waitForLog(equalTo(asking(*older)), 15s));
    const auto askedAt = Clock::now();
    const auto status = older->waitForExit(10s);
    const long killedAfter = elapsedMs(askedAt);
    ASSERT_TRUE(status) << "the older copy was never killed";
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGKILL);
    EXPECT_GE(killedAfter, 2500);
    EXPECT_LE(killedAfter, 5000);
    EXPECT_TRUE(newer->waitForLog(equalTo(forcing(*older)), 2s));
    std::printf("[figure] quit request to the kill of a copy that ignores it: %ld ms\n", killedAfter);

    // Its grabs were refused while the older copy held the keys.
    ASSERT_TRUE(waitForMonitorSubscriptions());
    EXPECT_TRUE(pressUntilReceived(E2EBindings::volumeUpFine, levelSet("-29.00")));
    EXPECT_EQ(newer->terminate(), 0);
}

// Launched a few milliseconds apart, each copy sees the other when it looks: only the newer asks, so
// the older quits and the newer runs on.
TEST_F(SingleInstanceE2E, OfTwoCopiesLaunchedTogetherTheNewerOneRunsOn) {
    for (int trial = 0; trial < 3; ++trial) {
        auto older = launch({}, {}, {{"ASAN_OPTIONS", "detect_leaks=0"}});
        auto newer = launch(older->configHome(), {}, {{"ASAN_OPTIONS", "detect_leaks=0"}});
        ASSERT_TRUE(newer->waitForLog(equalTo(asking(*older)), 15s)) << "trial " << trial;
        ASSERT_TRUE(older->waitForExit(5s)) << "trial " << trial << ": the older copy still runs";
        EXPECT_FALSE(mentions(*older, "asking pid")) << "trial " << trial << ": the older copy asked the newer";
        EXPECT_TRUE(newer->isRunning()) << "trial " << trial;
        EXPECT_EQ(newer->terminate(), 0) << "trial " << trial;
    }
}

TEST_F(SingleInstanceE2E, ACopyWithAnotherSettingsDirectoryIsLeftAlone) {
    auto apart = launch();
    auto older = launch();
    ASSERT_TRUE(sim_.waitForConnections(2, 15s));

    auto newer = launch(older->configHome());
    ASSERT_TRUE(newer->waitForLog(equalTo(asking(*older)), 15s));
    ASSERT_TRUE(older->waitForExit(3s));
    EXPECT_FALSE(mentions(*newer, "pid " + std::to_string(apart->pid()) + " "));
    EXPECT_FALSE(apart->waitForExit(Ms(0))) << "the copy with its own settings was ended";
    EXPECT_EQ(apart->terminate(), 0);
    EXPECT_EQ(newer->terminate(), 0);
}

}  // namespace
}  // namespace quillmark::testing
