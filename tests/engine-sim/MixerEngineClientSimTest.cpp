// The real engine client against the real stand-in: connect, get, subscribe, set, reconnect.
#include "core/MixerEngineClient.h"

#include "EngineSimProcess.h"
#include "ManualMainQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace quillmark {
namespace {

using testing::EngineSimProcess;
using testing::ManualMainQueue;
using State = MixerEngineClient::ConnectionState;

const std::string kLevel = "/devices/0/outputs/22/CRMonitorLevel";

class MixerEngineClientAgainstSim : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.isRunning());
        client.emplace("127.0.0.1", sim.port(),
                       MixerEngineClient::Timing{.backoffUnitSeconds = 0.05, .backoffCapSeconds = 0.2});
        states = client->states(queue, [this](State state) { seenStates.push_back(state); });
        frames = client->frames(queue, [this](MixerFrame frame) { seenFrames.push_back(std::move(frame)); });
        client->connect();
        ASSERT_TRUE(waitForReadyCount(1));
        ASSERT_TRUE(sim.waitForOpenConnections(1));  // faults reach only connections accepted already
    }

    bool waitForReadyCount(int count) {
        return queue.runUntil(
            [&] { return std::count(seenStates.begin(), seenStates.end(), State::ready()) >= count; });
    }

    std::optional<MixerFrame> get(const std::string& path, double timeoutSeconds = 2.0) {
        std::optional<std::optional<MixerFrame>> result;
        client->get(path, timeoutSeconds, queue, [&](std::optional<MixerFrame> frame) { result = std::move(frame); });
        queue.runUntil([&] { return result.has_value(); });
        return result.value_or(std::nullopt);
    }

    // Waits until a frame on `path` has reported `expected`.
    bool waitForValue(const std::string& path, double expected) {
        return queue.runUntil([&] {
            return std::any_of(seenFrames.begin(), seenFrames.end(), [&](const MixerFrame& frame) {
                return frame.path == path && frame.data.asDouble() == expected;
            });
        });
    }

    EngineSimProcess sim;
    ManualMainQueue queue;
    std::optional<MixerEngineClient> client;
    MixerEngineClient::Stream states;
    MixerEngineClient::Stream frames;
    std::vector<State> seenStates;
    std::vector<MixerFrame> seenFrames;
};

TEST_F(MixerEngineClientAgainstSim, GetsSubscribesAndSetsOverTheWire) {
    const auto devices = get("/devices");
    ASSERT_TRUE(devices);
    EXPECT_EQ(devices->children(), std::vector<std::string>{"0"});

    client->send(MixerRequest::subscribe(kLevel));
    EXPECT_TRUE(waitForValue(kLevel + "/value", -20.0));
    client->send(MixerRequest::setProperty(kLevel, "-12.00"));
    EXPECT_TRUE(sim.waitForRequest("set " + kLevel + "/value/ -12.00"));
    EXPECT_TRUE(waitForValue(kLevel + "/value", -12.0));
}

TEST_F(MixerEngineClientAgainstSim, ReconnectsAfterADropAndIsServedAgain) {
    ASSERT_TRUE(sim.control("drop"));
    ASSERT_TRUE(waitForReadyCount(2));
    EXPECT_TRUE(sim.waitForConnections(2));
    const auto answer = get("/TalkbackOn/value");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->data.asBool(), false);
}

TEST_F(MixerEngineClientAgainstSim, SurvivesMalformedAndOversizedMessages) {
    ASSERT_TRUE(sim.control("malformed"));
    ASSERT_TRUE(sim.control("oversized"));
    // The tail of the oversized message swallows the next answer; the one after is read.
    client->send(MixerRequest::get("/Sleep"));
    client->send(MixerRequest::get("/Sleep/value"));
    EXPECT_TRUE(queue.runUntil([&] {
        return std::any_of(seenFrames.begin(), seenFrames.end(),
                           [](const MixerFrame& frame) { return frame.path == "/Sleep/value"; });
    }));
    EXPECT_EQ(sim.connectionCount(), 1);
}

TEST_F(MixerEngineClientAgainstSim, RefusalsAnswerGetsWithNothingAtOnceAndAreNeverStreamed) {
    ASSERT_TRUE(sim.control("unknown refuse"));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(get("/devices/9", 30), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));

    const std::string unknown = "/devices/0/outputs/22/NoSuchLevel";
    client->send(MixerRequest::subscribe(unknown));
    client->send(MixerRequest::subscribe(kLevel));
    ASSERT_TRUE(waitForValue(kLevel + "/value", -20.0));  // answered after the refusal
    for (const auto& frame : seenFrames) EXPECT_NE(frame.path, unknown) << frame.data.prettyDescription();
    EXPECT_EQ(seenStates.back(), State::ready());
}

}  // namespace
}  // namespace quillmark
