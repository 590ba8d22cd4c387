// The single-instance guard over an in-memory process table, in virtual time.
#include "app/services/SingleInstanceGuard.h"

#include "FakeRunningCopies.h"
#include "ManualMainQueue.h"

#include "log/SystemLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Signal = std::pair<std::int32_t, int>;

const std::string kProgram = "/opt/quillmark/bin/quillmark";

std::string asking(int pid, const std::string& path) {
    return "SingleInstanceGuard: asking pid " + std::to_string(pid) + " (" + path + ") to quit";
}

std::string forcing(int pid) {
    return "SingleInstanceGuard: pid " + std::to_string(pid) + " ignored the quit request — force-terminating";
}

class SingleInstanceGuardTest : public ::testing::Test {
protected:
    void adopt() {
        SingleInstanceGuard::adoptSingleInstance(3, copies, queue, [this] { ++endedCalls; });
    }

    std::shared_ptr<FakeRunningCopies> copies = std::make_shared<FakeRunningCopies>();
    ManualMainQueue queue;
    std::vector<std::string> lines;
    SystemLog::Capture capture{[this](std::string_view line) { lines.emplace_back(line); }};
    int endedCalls = 0;
};

TEST_F(SingleInstanceGuardTest, AloneNothingIsLoggedScheduledOrReported) {
    adopt();
    EXPECT_THAT(lines, IsEmpty());
    EXPECT_EQ(queue.delayedCount(), 0u);
    queue.advance(10s);
    EXPECT_EQ(endedCalls, 0);
}

TEST_F(SingleInstanceGuardTest, BothOlderCopiesAreAskedAndOnlyTheOneStillRunningIsForcedAfterTheGracePeriod) {
    copies->add({101, 7, kProgram}, /*quitsOnRequest=*/true);
    copies->add({102, 8, std::nullopt});
    adopt();
    EXPECT_THAT(lines, ElementsAre(asking(101, kProgram), asking(102, "?")));
    EXPECT_THAT(copies->delivered, ElementsAre(Signal{101, SIGTERM}, Signal{102, SIGTERM}));

    queue.advance(3s - 1ms);
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(endedCalls, 0) << "one copy still runs";
    queue.advance(1ms);
    EXPECT_THAT(lines, ElementsAre(asking(101, kProgram), asking(102, "?"), forcing(102)));
    EXPECT_THAT(copies->delivered, ElementsAre(Signal{101, SIGTERM}, Signal{102, SIGTERM}, Signal{102, SIGKILL}));

    queue.advance(200ms);
    EXPECT_EQ(endedCalls, 1) << "reported once the forced copy is gone";
    queue.advance(10s);
    EXPECT_EQ(endedCalls, 1);
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_EQ(queue.delayedCount(), 0u);
}

TEST_F(SingleInstanceGuardTest, CopiesThatQuitWithinTheGracePeriodAreReportedAtOnceAndNotForced) {
    copies->add({101, 7, kProgram});
    adopt();
    queue.advance(1200ms);
    EXPECT_EQ(endedCalls, 0);
    copies->table[0].running = false;
    queue.advance(100ms);
    EXPECT_EQ(endedCalls, 1);
    queue.advance(5s);
    EXPECT_THAT(lines, ElementsAre(asking(101, kProgram)));
    EXPECT_THAT(copies->delivered, ElementsAre(Signal{101, SIGTERM}));
}

// The copy quits and a stranger starts under its pid before the grace period is over.
TEST_F(SingleInstanceGuardTest, AProcessThatTookOverTheCopysPidIsNeitherForcedNorWaitedFor) {
    copies->add({101, 7, kProgram});
    adopt();
    queue.advance(1s);
    copies->table[0].running = false;
    copies->add({101, 9000, "/usr/bin/stranger"});
    queue.advance(5s);
    EXPECT_THAT(lines, ElementsAre(asking(101, kProgram)));
    EXPECT_THAT(copies->delivered, ElementsAre(Signal{101, SIGTERM}));
    EXPECT_TRUE(copies->table[1].running);
    EXPECT_EQ(endedCalls, 1);
}

TEST_F(SingleInstanceGuardTest, ACopyThatOutlivesTheForceIsGivenUpOnAfterABoundedWatch) {
    copies->add({101, 7, kProgram});
    copies->table[0].diesWhenForced = false;
    adopt();
    queue.advance(3s);
    queue.advance(1s + 100ms);
    EXPECT_EQ(queue.delayedCount(), 0u) << "nothing is retried";
    EXPECT_THAT(lines, ElementsAre(asking(101, kProgram), forcing(101)));
    EXPECT_EQ(endedCalls, 0);
}

// Two launches close together: each sees the other, and only the newer asks. Older by start time,
// then by pid for copies started within one clock tick.
TEST_F(SingleInstanceGuardTest, OnlyCopiesThatStartedBeforeThisOneAreAskedSoTheNewestWins) {
    copies->self = {200, 50, kProgram};
    copies->add({101, 49, kProgram});  // older
    copies->add({150, 50, kProgram});  // same tick, lower pid: older
    copies->add({250, 50, kProgram});  // same tick, higher pid: newer
    copies->add({102, 51, kProgram});  // newer
    adopt();
    EXPECT_THAT(lines, ElementsAre(asking(101, kProgram), asking(150, kProgram)));
    EXPECT_THAT(copies->delivered, ElementsAre(Signal{101, SIGTERM}, Signal{150, SIGTERM}));
    copies->table[1].running = false;
    queue.advance(3s);
    EXPECT_THAT(copies->delivered, ElementsAre(Signal{101, SIGTERM}, Signal{150, SIGTERM}, Signal{101, SIGKILL}));
    queue.advance(200ms);
    EXPECT_EQ(endedCalls, 1) << "the newer copies still run, and are not waited for";
    EXPECT_TRUE(copies->table[2].running && copies->table[3].running);
}

TEST_F(SingleInstanceGuardTest, OnlyNewerCopiesRunningIsBeingAlone) {
    copies->self = {200, 50, kProgram};
    copies->add({300, 60, kProgram});
    adopt();
    EXPECT_THAT(lines, IsEmpty());
    EXPECT_THAT(copies->delivered, IsEmpty());
    EXPECT_EQ(queue.delayedCount(), 0u);
}

}  // namespace
}  // namespace quillmark::testing
