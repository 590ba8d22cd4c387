#include "app/MonitorControl.h"

#include "core/MixerEngineClient.h"
#include "core/MixerRequest.h"
#include "core/MonitorStateStore.h"

#include "CommaLocale.h"
#include "EngineSimProcess.h"
#include "ManualMainQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace quillmark {
namespace {

using testing::EngineSimProcess;
using State = MixerEngineClient::ConnectionState;

// A real client and control against the stand-in engine, which records every request it receives.
class MonitorControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.isRunning());
        client = std::make_unique<MixerEngineClient>("127.0.0.1", sim.port());
        control = std::make_unique<MonitorControl>(*client, store, paths);
    }
    void TearDown() override {
        control.reset();
        states.reset();
        client.reset();
    }

    // Tells the control of every connection state, as the application does.
    void connect() {
        states = client->states(queue, [this](State state) {
            ready = state == State::ready();
            if (control) control->setConnectionReady(ready);
        });
        client->connect();
        ASSERT_TRUE(queue.runUntil([&] { return ready; }));
        ASSERT_TRUE(sim.waitForOpenConnections(1));
    }

    static std::string set(const PropertyPath& path, const std::string& value) {
        return MixerRequest::setProperty(path.base(), value).wireString();
    }
    std::string level(const std::string& value) const { return set(paths.levelDB, value); }

    std::vector<std::string> setRequests() const {
        std::vector<std::string> found;
        for (const std::string& request : sim.requests())
            if (request.starts_with("set ")) found.push_back(request);
        return found;
    }

    // The set requests that reached the engine, once `count` of them have (or the deadline passed).
    std::vector<std::string> sets(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + EngineSimProcess::kDefaultTimeout;
        std::vector<std::string> found = setRequests();
        while (found.size() < count && std::chrono::steady_clock::now() < deadline) {
            sim.waitForRequestCount(sim.requests().size() + 1, std::chrono::milliseconds(100));
            found = setRequests();
        }
        return found;
    }

    void reportLevel(double levelDB) { store.apply(MixerFrame{paths.levelDB.valuePath(), JSONValue(levelDB)}, paths); }

    EngineSimProcess sim;
    testing::ManualMainQueue queue;
    MonitorStateStore store;
    MonitorPaths paths = MonitorPaths::forDevice("0", "22");
    std::unique_ptr<MixerEngineClient> client;
    MixerEngineClient::Stream states;
    bool ready = false;
    std::unique_ptr<MonitorControl> control;
};

TEST_F(MonitorControlTest, StepsAddUpFromThePendingLevelBeforeTheEngineReports) {
    connect();
    reportLevel(-20);
    control->adjustLevel(1);
    control->adjustLevel(1);
    EXPECT_EQ(sets(2), (std::vector<std::string>{level("-19.00"), level("-18.00")}));
    EXPECT_EQ(control->pendingLevelDB(), -18.0);
}

TEST_F(MonitorControlTest, BaseIsZeroWithoutReportAndLevelsAreClamped) {
    connect();
    control->adjustLevel(-1);  // nothing reported, nothing pending: from 0 dB
    control->setLevel(-1.5);
    control->adjustLevel(3);
    control->setLevel(-120);
    control->setLevel(5);
    control->setLevel(std::nan(""));
    control->adjustLevel(-200);
    EXPECT_EQ(sets(7), (std::vector<std::string>{level("-1.00"), level("-1.50"), level("0.00"), level("-96.00"),
                                                 level("0.00"), level("-96.00"), level("-96.00")}));
}

TEST_F(MonitorControlTest, OnlyAReportWithinTheToleranceClearsThePendingLevel) {
    connect();
    control->setLevel(-18);
    reportLevel(-18.06);
    EXPECT_EQ(control->pendingLevelDB(), -18.0);
    store.apply(MixerFrame{paths.mute.valuePath(), JSONValue(true)}, paths);  // another event: no effect
    EXPECT_EQ(control->pendingLevelDB(), -18.0);
    control->adjustLevel(1);  // counts from the pending -18, not the reported -18.06
    reportLevel(-17.004);
    EXPECT_FALSE(control->pendingLevelDB());
    control->adjustLevel(1);  // now from the reported level
    EXPECT_EQ(sets(3), (std::vector<std::string>{level("-18.00"), level("-17.00"), level("-16.00")}));
}

TEST_F(MonitorControlTest, LevelsUseAFullStopUnderACommaLocale) {
    testing::CommaLocale comma;
    ASSERT_TRUE(comma.isActive()) << comma.failure();
    connect();
    control->setLevel(-18.5);
    control->adjustLevel(-0.25);
    EXPECT_EQ(sets(2), (std::vector<std::string>{level("-18.50"), level("-18.75")}));
}

TEST_F(MonitorControlTest, ALevelSentWhileDisconnectedIsLostAndLeavesNothingPending) {
    reportLevel(-30);
    control->adjustLevel(3);  // no connection: dropped
    EXPECT_FALSE(control->pendingLevelDB());
    connect();
    reportLevel(-50);
    control->adjustLevel(-3);  // from the engine's -50, not the lost -27
    EXPECT_EQ(sets(1), (std::vector<std::string>{level("-53.00")}));
}

TEST_F(MonitorControlTest, LeavingReadyDropsThePendingLevel) {
    connect();
    reportLevel(-30);
    control->adjustLevel(3);
    ASSERT_EQ(control->pendingLevelDB(), -27.0);
    ASSERT_EQ(sets(1), (std::vector<std::string>{level("-27.00")}));
    ASSERT_TRUE(sim.control("drop"));  // before the engine reports -27
    ASSERT_TRUE(queue.runUntil([&] { return !ready; }));
    EXPECT_FALSE(control->pendingLevelDB());

    ASSERT_TRUE(queue.runUntil([&] { return ready; }, EngineSimProcess::kDefaultTimeout));  // reconnects by itself
    reportLevel(-50);
    control->adjustLevel(-3);
    EXPECT_EQ(sets(2), (std::vector<std::string>{level("-27.00"), level("-53.00")}));
}

TEST_F(MonitorControlTest, SwitchesTalkbackAndFoldDownInOrder) {
    connect();
    control->toggle(paths.mute.base(), std::nullopt);  // never reported: turn on
    control->toggle(paths.mute.base(), true);
    control->toggle(paths.dim.base(), false);
    control->setTalkback(true);
    control->setTalkback(false);
    control->sendFoldDown(false, false);  // surround
    control->sendFoldDown(true, false);   // stereo
    control->sendFoldDown(true, true);    // mono
    EXPECT_EQ(sets(11), (std::vector<std::string>{
                            set(paths.mute, "true"),
                            set(paths.mute, "false"),
                            set(paths.dim, "true"),
                            set(MonitorPaths::talkbackOn(), "true"),
                            set(MonitorPaths::talkbackOn(), "false"),
                            set(paths.surroundStereoFoldDown, "false"),
                            set(paths.mono, "false"),
                            set(paths.surroundStereoFoldDown, "true"),
                            set(paths.mono, "false"),
                            set(paths.surroundStereoFoldDown, "true"),
                            set(paths.mono, "true"),
                        }));
    EXPECT_EQ(set(MonitorPaths::talkbackOn(), "true"), "set /TalkbackOn/value/ true");
}

TEST_F(MonitorControlTest, NewPathsApplyToLaterCommandsAndTheListenerGoesWithTheControl) {
    connect();
    const MonitorPaths other = MonitorPaths::forDevice("1", "30");
    control->setPaths(other);
    control->setLevel(-10);
    EXPECT_EQ(sets(1), (std::vector<std::string>{set(other.levelDB, "-10.00")}));
    control.reset();
    reportLevel(-10);  // no listener of a destroyed control is called
}

}  // namespace
}  // namespace quillmark
