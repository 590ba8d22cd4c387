#include "app/meters/MeterSubscriptionManager.h"

#include "EngineSimProcess.h"
#include "ManualMainQueue.h"
#include "core/MixerRequest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmark {
namespace {

using testing::EngineSimProcess;
using testing::ManualMainQueue;
using State = MixerEngineClient::ConnectionState;

constexpr const char* kBase = "/devices/0/outputs/22";

std::vector<std::string> subscriptions(const std::string& base, int from, int to) {
    std::vector<std::string> texts;
    for (int n = from; n <= to; ++n)
        texts.push_back("subscribe " + base + "/meters/" + std::to_string(n) + "/MeterLevel");
    return texts;
}

// A real client against the stand-in engine; the manager's task runs on a manual main queue.
class MeterSubscriptionManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.isRunning());
        client = std::make_unique<MixerEngineClient>("127.0.0.1", sim.port(), fastRetry());
        stateStream = client->states(queue, [this](State state) {
            if (state == State::ready()) ++readyCount;
        });
        client->connect();
        ASSERT_TRUE(queue.runUntil([this] { return readyCount == 1; }));
        manager = std::make_unique<MeterSubscriptionManager>(*client, queue, kBase);
    }

    static MixerEngineClient::Timing fastRetry() {
        MixerEngineClient::Timing timing;
        timing.backoffUnitSeconds = 0.02;
        return timing;
    }

    // Everything sent before this has reached the engine once the marker is seen there.
    void roundTrip() {
        queue.runPending();
        const std::string marker = "/marker/" + std::to_string(++markers);
        client->send(MixerRequest::get(marker));
        ASSERT_TRUE(sim.waitForRequest("get " + marker));
    }

    // Subscribe requests the engine received, in arrival order, up to a round trip.
    std::vector<std::string> receivedSubscriptions() {
        roundTrip();
        std::vector<std::string> found;
        for (const auto& text : sim.requests()) {
            if (text.rfind("subscribe ", 0) == 0) found.push_back(text);
        }
        return found;
    }

    EngineSimProcess sim;
    ManualMainQueue queue;
    std::unique_ptr<MixerEngineClient> client;
    MixerEngineClient::Stream stateStream;
    int readyCount = 0;
    int markers = 0;
    std::unique_ptr<MeterSubscriptionManager> manager;
};

TEST(MeterSubscriptionPath, IsTheOutputBaseThenMetersNumberAndMeterLevel) {
    EXPECT_EQ(MeterSubscriptionManager::meterPath(kBase, 3), "/devices/0/outputs/22/meters/3/MeterLevel");
    EXPECT_EQ(MeterSubscriptionManager::meterPath("/devices/1/outputs/9", 23),
              "/devices/1/outputs/9/meters/23/MeterLevel");
}

TEST_F(MeterSubscriptionManagerTest, SubscribesEachMeterOnceInIncreasingOrder) {
    manager->ensureSubscribed(7);
    EXPECT_EQ(manager->subscribedCount, 8);  // counted before anything is sent
    EXPECT_EQ(receivedSubscriptions(), subscriptions(kBase, 0, 7));

    manager->ensureSubscribed(5);
    manager->ensureSubscribed(7);
    EXPECT_EQ(manager->subscribedCount, 8);
    manager->ensureSubscribed(11);
    EXPECT_EQ(manager->subscribedCount, 12);

    EXPECT_EQ(receivedSubscriptions(), subscriptions(kBase, 0, 11));
}

TEST_F(MeterSubscriptionManagerTest, ANegativeIndexSendsNothing) {
    manager->ensureSubscribed(-1);
    EXPECT_EQ(manager->subscribedCount, 0);
    EXPECT_EQ(queue.runPending(), 0);
}

TEST_F(MeterSubscriptionManagerTest, TwoQuickCallsSendDisjointRanges) {
    manager->ensureSubscribed(1);
    manager->ensureSubscribed(3);  // before the first task has run
    EXPECT_EQ(receivedSubscriptions(), subscriptions(kBase, 0, 3));
}

TEST_F(MeterSubscriptionManagerTest, AReconnectSubscribesTheSameMetersOnTheCurrentBase) {
    manager->ensureSubscribed(11);
    ASSERT_EQ(receivedSubscriptions().size(), 12u);
    sim.clearRequests();

    ASSERT_TRUE(sim.control("drop"));
    ASSERT_TRUE(queue.runUntil([this] { return readyCount == 2; }));
    sim.clearRequests();

    // The application's reconnect step, after discovery replaced the base.
    const std::string discovered = "/devices/1/outputs/23";
    manager->outputBase = discovered;
    const auto count = manager->subscribedCount;
    manager->subscribedCount = 0;
    manager->ensureSubscribed(count - 1);
    EXPECT_EQ(receivedSubscriptions(), subscriptions(discovered, 0, 11));
}

TEST_F(MeterSubscriptionManagerTest, SendsTheBaseOfTheMomentOfTheCall) {
    manager->ensureSubscribed(0);
    manager->outputBase = "/devices/9/outputs/9";  // changed before the task runs
    EXPECT_EQ(receivedSubscriptions(), subscriptions(kBase, 0, 0));
}

TEST_F(MeterSubscriptionManagerTest, NothingIsSentOnceTheManagerIsGone) {
    manager->ensureSubscribed(3);
    manager.reset();
    EXPECT_TRUE(receivedSubscriptions().empty());
}

}  // namespace
}  // namespace quillmark
