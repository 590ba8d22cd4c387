// Meter value frames from the stand-in: rate, levels and the surround mode's channel count.
#include "EngineSimProcess.h"
#include "SimClient.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace quillmark::testing {
namespace {

using Clock = std::chrono::steady_clock;

const std::string kMeters = "/devices/0/outputs/22/meters/";

std::string meterPath(int meter) { return kMeters + std::to_string(meter) + "/MeterLevel"; }

// Counts meter frames per meter number over `window`, checking each level on the way.
std::map<int, int> countMeterFrames(SimClient& client, Clock::duration window) {
    std::map<int, int> counts;
    const auto end = Clock::now() + window;
    while (Clock::now() < end) {
        const auto frame = client.nextFrame(std::chrono::duration_cast<SimClient::Duration>(end - Clock::now()));
        if (!frame) break;
        for (int meter = 0; meter < 32; ++meter) {
            if (frame->path == meterPath(meter) + "/value") {
                EXPECT_TRUE(frame->data.is_number());
                EXPECT_LE(frame->data.get<double>(), 0.0);
                EXPECT_GE(frame->data.get<double>(), -96.0);
                ++counts[meter];
            }
        }
    }
    return counts;
}

// Requests are handled in order: frames after the answer to this get were sent after every earlier
// control line took effect.
void skipToMarker(SimClient& client) {
    client.send("get /Sleep/value");
    ASSERT_TRUE(client.frameOn("/Sleep/value"));
}

TEST(EngineSimMeters, ArriveAtTheConfiguredRateOnlyForTheSurroundModesChannels) {
    EngineSimProcess sim(EngineSimProcess::Options{.meterRate = 40.0});
    ASSERT_TRUE(sim.isRunning());
    SimClient client(sim.port());
    for (int meter = 0; meter < 6; ++meter) client.send("subscribe " + meterPath(meter));
    client.send("subscribe " + meterPath(0));  // twice: still one stream
    ASSERT_TRUE(client.frameOn(meterPath(0) + "/value"));

    auto counts = countMeterFrames(client, std::chrono::seconds(1));
    for (int meter : {0, 1}) {
        EXPECT_GE(counts[meter], 24) << meter;
        EXPECT_LE(counts[meter], 56) << meter;
    }
    EXPECT_EQ(counts.count(2), 0u) << "STEREO has two channels";

    ASSERT_TRUE(sim.control("surround 5.1"));
    skipToMarker(client);
    counts = countMeterFrames(client, std::chrono::milliseconds(500));
    for (int meter = 0; meter < 6; ++meter) EXPECT_GE(counts[meter], 12) << meter;
}

TEST(EngineSimMeters, ChannelCountFollowsTheSurroundMode) {
    EngineSimProcess sim(EngineSimProcess::Options{.meterRate = 100.0});
    ASSERT_TRUE(sim.isRunning());
    SimClient client(sim.port());
    for (int meter = 0; meter < 26; ++meter) client.send("subscribe " + meterPath(meter));
    const std::vector<std::pair<std::string, int>> cases{
        {"7.1.4", 12}, {"LCRS", 4}, {"1.1", 3}, {"22.2", 24}, {"MONO", 2}, {"7.1.x", 2}, {"6.1", 7}, {"5.1.2", 8},
    };
    for (const auto& [mode, channels] : cases) {
        ASSERT_TRUE(sim.control("surround " + mode));
        skipToMarker(client);
        const auto counts = countMeterFrames(client, std::chrono::milliseconds(150));
        for (int meter = 0; meter < 26; ++meter) {
            if (meter < channels) EXPECT_GT(counts.count(meter), 0u) << mode << " meter " << meter;
            else EXPECT_EQ(counts.count(meter), 0u) << mode << " meter " << meter;
        }
    }
}

TEST(EngineSimMeters, MetersOfUnknownOutputsAreIgnored) {
    EngineSimProcess sim(EngineSimProcess::Options{.meterRate = 100.0});
    ASSERT_TRUE(sim.isRunning());
    SimClient client(sim.port());
    client.send("subscribe /devices/0/outputs/99/meters/0/MeterLevel");
    client.send("subscribe " + kMeters + "x/MeterLevel");
    client.send("get /TalkbackOn/value");
    const auto first = client.nextFrame();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->path, "/TalkbackOn/value");
    EXPECT_FALSE(client.nextFrame(std::chrono::milliseconds(100)));
}

}  // namespace
}  // namespace quillmark::testing
