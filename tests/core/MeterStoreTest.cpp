#include "core/MeterStore.h"

#include "ManualMainQueue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace quillmark {
namespace {

using namespace std::chrono_literals;
using testing::ManualMainQueue;

constexpr std::string_view kBase = "/devices/0/outputs/22";

MixerFrame meterFrame(std::int64_t meter, JSONValue level) {
    return {std::string(kBase) + "/meters/" + std::to_string(meter) + "/MeterLevel/value", std::move(level)};
}

class MeterStoreTest : public ::testing::Test {
protected:
    MeterStoreTest() {
        store.observe([this](const std::vector<MeterChannel>& channels) { calls.push_back(channels); });
        store.setChannels({{"L", 0}, {"R", 1}, {"C", 3}});
        calls.clear();
    }

    const MeterChannel& channel(std::size_t i) const { return store.channels().at(i); }

    // Meter frames keep arriving, as they do while the engine meters: one every 16 ms for `span`.
    void feed(std::int64_t meter, double level, std::chrono::milliseconds span) {
        for (auto elapsed = 0ms; elapsed < span; elapsed += 16ms) {
            store.apply(meterFrame(meter, level), kBase);
            queue.advance(16ms);
        }
    }

    ManualMainQueue queue;
    MeterStore store{queue};
    std::vector<std::vector<MeterChannel>> calls;
};

TEST_F(MeterStoreTest, AMeterFrameSetsLevelAndPeakAndFiftyFramesGiveOneCall) {
    EXPECT_TRUE(store.apply(meterFrame(3, -12.5), kBase));
    EXPECT_EQ(channel(2).level, -12.5);
    EXPECT_EQ(channel(2).peak, -12.5);
    for (int i = 0; i < 49; ++i) {
        queue.advance(300us);
        EXPECT_TRUE(store.apply(meterFrame(3, -12.5), kBase));
    }
    EXPECT_TRUE(calls.empty());
    queue.advance(16ms - 49 * 300us - 1ns);
    EXPECT_TRUE(calls.empty());
    queue.advance(1ns);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].at(2), (MeterChannel{"C", 3, -12.5, -12.5, false}));
    queue.advance(1s);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(queue.delayedCount(), 0u);
}

TEST_F(MeterStoreTest, FramesThatAreNoMeterOfAChannelAreRefused) {
    const std::vector<MixerFrame> frames{
        {std::string(kBase) + "/meters/3/MeterLevel", -1.0},        // no "/value"
        {std::string(kBase) + "/meters/9/MeterLevel/value", -1.0},  // no channel with meter 9
        {std::string(kBase) + "/meters/3/Other/value", -1.0},
        {std::string(kBase) + "/meters/x/MeterLevel/value", -1.0},
        {std::string(kBase) + "/meters/3/MeterLevel/extra/value", -1.0},
        {std::string(kBase) + "/meters/99999999999999999999/MeterLevel/value", -1.0},
        {"/devices/0/outputs/23/meters/3/MeterLevel/value", -1.0},  // another output
        {std::string(kBase) + "/CRMonitorLevel/value", -1.0},
    };
    for (const MixerFrame& frame : frames) EXPECT_FALSE(store.apply(frame, kBase)) << frame.path;
    EXPECT_EQ(channel(2), (MeterChannel{"C", 3, MeterFloor::dB, MeterFloor::dB, false}));
    queue.advance(1s);
    EXPECT_TRUE(calls.empty());
}

TEST_F(MeterStoreTest, PathPiecesAreReadLikeTheEngineWritesThem) {
    // Empty pieces are left out and the meter number may carry a sign.
    EXPECT_TRUE(store.apply({std::string(kBase) + "/meters/+3//MeterLevel/value", -5.0}, kBase));
    EXPECT_EQ(channel(2).level, -5.0);
    EXPECT_TRUE(store.apply({std::string(kBase) + "/meters/03/MeterLevel/value", -6.0}, kBase));
    EXPECT_EQ(channel(2).level, -6.0);
}

TEST_F(MeterStoreTest, TheOutputBaseOfEachCallDecides) {
    const std::string other = "/devices/1/outputs/4";
    EXPECT_TRUE(store.apply(meterFrame(0, -3.0), kBase));
    EXPECT_FALSE(store.apply(meterFrame(0, -4.0), other));
    EXPECT_TRUE(store.apply({other + "/meters/0/MeterLevel/value", -4.0}, other));
    EXPECT_TRUE(store.apply(meterFrame(0, -5.0), kBase));
    EXPECT_EQ(channel(0).level, -5.0);
}

TEST_F(MeterStoreTest, LevelConversionAndClipThreshold) {
    struct Case {
        JSONValue data;
        double level;
        bool clip;
    };
    const std::vector<Case> cases{
        {0.0, 0.0, true},
        {-0.01, -0.01, false},
        {3.5, 3.5, true},
        {-90.0, -90.0, false},
        {true, 1.0, true},
        {false, 0.0, true},
        {"-10", MeterFloor::dB, false},
        {JSONValue(), MeterFloor::dB, false},
    };
    for (const Case& c : cases) {
        store.setChannels({});
        store.setChannels({{"L", 0}});
        EXPECT_TRUE(store.apply(meterFrame(0, c.data), kBase));
        EXPECT_EQ(channel(0).level, c.level) << c.data.prettyDescription();
        EXPECT_EQ(channel(0).clip, c.clip) << c.data.prettyDescription();
    }
}

TEST_F(MeterStoreTest, PeakHoldsThenFallsAtTwentyDBPerSecondDownToTheLevel) {
    store.apply(meterFrame(0, -10.0), kBase);  // peak raised at t = 0; passes every 16 ms from here
    feed(0, -40.0, 1488ms);                    // the last pass inside the 1.5 s hold
    EXPECT_EQ(channel(0).peak, -10.0);
    feed(0, -40.0, 16ms);  // 1.504 s
    EXPECT_NEAR(channel(0).peak, -10.08, 1e-9);
    feed(0, -40.0, 496ms);  // exactly 2.0 s
    EXPECT_NEAR(channel(0).peak, -20.0, 1e-9);
    feed(0, -40.0, 3s);
    EXPECT_EQ(channel(0).peak, -40.0);
    EXPECT_EQ(calls.back().at(0).peak, -40.0);
}

TEST_F(MeterStoreTest, PeakStopsAtTheFloorBelowALowerLevel) {
    store.apply(meterFrame(0, -70.0), kBase);
    feed(0, -90.0, 3s);
    EXPECT_EQ(channel(0).level, -90.0);
    EXPECT_EQ(channel(0).peak, MeterFloor::dB);
}

TEST_F(MeterStoreTest, AHigherLevelRaisesThePeakAndRestartsTheHold) {
    store.apply(meterFrame(0, -20.0), kBase);
    feed(0, -50.0, 1008ms);
    store.apply(meterFrame(0, -15.0), kBase);  // at 1.008 s
    feed(0, -50.0, 1488ms);                    // until 2.496 s: still inside the new hold
    EXPECT_EQ(channel(0).peak, -15.0);
}

TEST_F(MeterStoreTest, NothingIsTimedWhileNoMeterFramesArrive) {
    store.apply(meterFrame(0, 0.0), kBase);
    queue.advance(16ms);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(queue.delayedCount(), 0u);
    queue.advance(10s);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(channel(0).peak, 0.0);
    EXPECT_TRUE(channel(0).clip);
    // The next frame brings the fall and release it had missed.
    store.apply(meterFrame(0, -60.0), kBase);
    queue.advance(16ms);
    EXPECT_EQ(channel(0).peak, -60.0);
    EXPECT_FALSE(channel(0).clip);
}

TEST_F(MeterStoreTest, ClipReleasesAtTheFirstPassLaterThanThreeSeconds) {
    store.apply(meterFrame(1, -30.0), kBase);  // passes every 16 ms from t = 0
    queue.advance(8ms);
    store.apply(meterFrame(1, 0.5), kBase);  // clip latched at 8 ms
    queue.advance(8ms);
    feed(1, -30.0, 2992ms);  // the pass at 3.008 s is exactly 3 s later: not yet
    EXPECT_TRUE(channel(1).clip);
    feed(1, -30.0, 16ms);  // 3.024 s
    EXPECT_FALSE(channel(1).clip);
    EXPECT_FALSE(calls.back().at(1).clip);
}

TEST_F(MeterStoreTest, EveryClippingFrameRenewsTheLatch) {
    store.apply(meterFrame(1, 0.0), kBase);
    feed(1, -30.0, 2000ms);
    store.apply(meterFrame(1, 1.0), kBase);  // renewed at 2.0 s
    feed(1, -30.0, 2500ms);
    EXPECT_TRUE(channel(1).clip);
    feed(1, -30.0, 1000ms);
    EXPECT_FALSE(channel(1).clip);
}

TEST_F(MeterStoreTest, WithoutAutoReleaseAClipStaysUntilCleared) {
    store.clipAutoReleaseEnabled = false;
    store.apply(meterFrame(0, 0.0), kBase);
    feed(0, -30.0, 10s);
    EXPECT_TRUE(channel(0).clip);
    calls.clear();
    store.clearAllClips();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].at(0).clip);
    store.clearAllClips();
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(MeterStoreTest, ClearAllClipsWithNoClipLitCallsNoListener) {
    store.apply(meterFrame(0, -3.0), kBase);
    store.clearAllClips();
    EXPECT_TRUE(calls.empty());
}

TEST_F(MeterStoreTest, SetChannelsKeepsTheValuesOfAKeptMeterIndex) {
    store.apply(meterFrame(0, 0.0), kBase);  // clip and peak 0 on meter 0
    store.apply(meterFrame(1, -20.0), kBase);
    store.setChannels({{"Left", 0}, {"Ls", 4}});
    ASSERT_EQ(calls.size(), 1u);  // at once, before any batching pass
    EXPECT_THAT(store.channels(), ::testing::ElementsAre(MeterChannel{"Left", 0, 0.0, 0.0, true},
                                                         MeterChannel{"Ls", 4, MeterFloor::dB, MeterFloor::dB, false}));
    // The kept channel keeps its times: its clip still goes out 3 s after it was latched.
    feed(0, -30.0, 2992ms);
    EXPECT_TRUE(channel(0).clip);
    feed(0, -30.0, 16ms);
    EXPECT_FALSE(channel(0).clip);
}

TEST_F(MeterStoreTest, ObserversRegisterSilentlyAndRemovedOnesAreNotCalled) {
    int other = 0;
    const Uuid id = store.observe([&](const std::vector<MeterChannel>&) { ++other; });
    EXPECT_EQ(other, 0);
    store.setChannels({{"L", 0}});
    EXPECT_EQ(other, 1);
    store.removeObserver(id);
    store.removeObserver(Uuid::make());
    store.setChannels({{"L", 0}});
    EXPECT_EQ(other, 1);
    EXPECT_EQ(calls.size(), 2u);
}

// The first listener called in a pass changes the listener table. That pass still calls exactly the
// listeners it started with, once each; the next pass calls the changed table.
TEST_F(MeterStoreTest, AListenerChangingTheTableDuringAPassLeavesThatPassAlone) {
    struct Case {
        const char* what;
        bool removeOthers;
        int add;
        bool removeSelf;  // last, then it goes on using its own captures
    };
    const std::vector<Case> cases{
        {"removes the others", true, 0, false},
        {"adds listeners", false, 64, false},
        {"removes itself", false, 0, true},
        {"does all of it", true, 64, true},
    };
    constexpr int original = 8;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MeterStore local(queue);
        std::vector<Uuid> ids;
        std::vector<int> counts(original + c.add, 0);
        bool armed = false;
        int changer = -1;
        for (int i = 0; i < original; ++i) {
            ids.push_back(local.observe([&, i](const std::vector<MeterChannel>&) {
                ++counts[i];
                if (!armed) return;
                armed = false;
                if (c.removeOthers)
                    for (int j = 0; j < original; ++j)
                        if (j != i) local.removeObserver(ids[j]);
                for (int k = 0; k < c.add; ++k)
                    local.observe([&counts, n = original + k](const std::vector<MeterChannel>&) { ++counts[n]; });
                if (c.removeSelf) local.removeObserver(ids[i]);
                changer = i;  // after removing itself this call still runs on its own captures
            }));
        }
        local.setChannels({{"L", 0}});
        local.apply(meterFrame(0, -6.0), kBase);
        armed = true;
        queue.advance(16ms);  // the pass under test is a batching pass

        ASSERT_GE(changer, 0);
        std::vector<int> afterFirst(counts.size(), 0);
        std::fill_n(afterFirst.begin(), original, 2);  // setChannels' pass, then this one
        EXPECT_EQ(counts, afterFirst);

        local.setChannels({{"L", 0}});
        std::vector<int> afterSecond = afterFirst;
        for (int i = 0; i < original; ++i) {
            const bool removed = i == changer ? c.removeSelf : c.removeOthers;
            afterSecond[i] += removed ? 0 : 1;
        }
        std::fill(afterSecond.begin() + original, afterSecond.end(), 1);
        EXPECT_EQ(counts, afterSecond);
    }
}

TEST(MeterStoreLifetimeTest, APendingPassDoesNotOutliveTheStore) {
    ManualMainQueue queue;
    int calls = 0;
    {
        MeterStore store(queue);
        store.observe([&](const std::vector<MeterChannel>&) { ++calls; });
        store.setChannels({{"L", 0}});
        store.apply(meterFrame(0, -1.0), kBase);
    }
    queue.advance(1s);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace quillmark
