#include "core/MonitorStateStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace quillmark {
namespace {

const MonitorPaths& paths() { return MonitorPaths::apolloX8(); }

MixerFrame valueFrame(const PropertyPath& property, JSONValue data) {
    return MixerFrame{property.valuePath(), std::move(data)};
}

class MonitorStateStoreTest : public ::testing::Test {
protected:
    MonitorStateStoreTest() {
        store.observe([this](const MonitorSnapshot& snapshot, const MonitorEvent& event) {
            seen.push_back({snapshot, event});
        });
    }

    struct Call {
        MonitorSnapshot snapshot;
        MonitorEvent event;
    };

    MonitorStateStore store;
    std::vector<Call> seen;
};

TEST_F(MonitorStateStoreTest, EachPropertySetsItsFieldAndRaisesItsEvent) {
    struct Case {
        PropertyPath property;
        JSONValue data;
        MonitorEvent event;
        MonitorSnapshot expected;
    };
    auto with = [](auto set) {
        MonitorSnapshot s;
        set(s);
        return s;
    };
    const std::vector<Case> cases{
        {paths().levelDB, -12.5, MonitorEvent::level, with([](auto& s) { s.levelDB = -12.5; })},
        {paths().levelDB, true, MonitorEvent::level, with([](auto& s) { s.levelDB = 1.0; })},
        {paths().levelTapered, 0.75, MonitorEvent::level, with([](auto& s) { s.levelTapered = 0.75; })},
        {paths().mute, true, MonitorEvent::mute, with([](auto& s) { s.mute = true; })},
        {paths().mute, 0, MonitorEvent::mute, with([](auto& s) { s.mute = false; })},
        {paths().dim, 2, MonitorEvent::dim, with([](auto& s) { s.dim = true; })},
        {paths().mono, true, MonitorEvent::mono, with([](auto& s) { s.mono = true; })},
        {paths().surroundStereoFoldDown, false, MonitorEvent::foldDown,
         with([](auto& s) { s.surroundStereoFoldDown = false; })},
        {paths().altMonSelection, 2.9, MonitorEvent::altMon, with([](auto& s) { s.altMonSelection = 2; })},
        {paths().altMonSelection, -1.5, MonitorEvent::altMon, with([](auto& s) { s.altMonSelection = -1; })},
        {paths().altMonSelection, true, MonitorEvent::altMon, with([](auto& s) { s.altMonSelection = 1; })},
        {paths().surroundMode, "5.1", MonitorEvent::surround, with([](auto& s) { s.surroundMode = "5.1"; })},
        {paths().deviceOnline, true, MonitorEvent::deviceOnline, with([](auto& s) { s.deviceOnline = true; })},
        {MonitorPaths::talkbackOn(), true, MonitorEvent::talkback, with([](auto& s) { s.talkback = true; })},
    };
    for (const Case& c : cases) {
        MonitorStateStore fresh;
        EXPECT_EQ(fresh.apply(valueFrame(c.property, c.data), paths()), c.event) << c.property.base();
        EXPECT_EQ(fresh.snapshot(), c.expected) << c.property.base() << " " << c.data.prettyDescription();
    }
}

TEST_F(MonitorStateStoreTest, UnconvertibleValuesEmptyTheFieldAndStillRaiseTheEvent) {
    store.apply(valueFrame(paths().mute, true), paths());
    store.apply(valueFrame(paths().levelDB, -3.0), paths());
    store.apply(valueFrame(paths().surroundMode, "7.1"), paths());

    EXPECT_EQ(store.apply(valueFrame(paths().mute, "true"), paths()), MonitorEvent::mute);
    EXPECT_EQ(store.apply(valueFrame(paths().levelDB, "-3"), paths()), MonitorEvent::level);
    EXPECT_EQ(store.apply(valueFrame(paths().surroundMode, 5.1), paths()), MonitorEvent::surround);
    EXPECT_EQ(store.snapshot(), MonitorSnapshot{});
    EXPECT_EQ(seen.size(), 6u);
}

TEST_F(MonitorStateStoreTest, AlternateMonitorOutsideTheIntegerRangeReadsAsNotReported) {
    const std::vector<double> unusable{std::numeric_limits<double>::infinity(),
                                       -std::numeric_limits<double>::infinity(),
                                       std::numeric_limits<double>::quiet_NaN(),
                                       9.3e18,
                                       -9.3e18,
                                       1e300};
    for (double number : unusable) {
        store.apply(valueFrame(paths().altMonSelection, 1), paths());
        EXPECT_EQ(store.apply(valueFrame(paths().altMonSelection, number), paths()), MonitorEvent::altMon);
        EXPECT_EQ(store.snapshot().altMonSelection, std::nullopt) << number;
    }
    // The extremes that do fit are kept.
    store.apply(valueFrame(paths().altMonSelection, -9223372036854775808.0), paths());
    EXPECT_EQ(store.snapshot().altMonSelection, std::numeric_limits<std::int64_t>::min());
    store.apply(valueFrame(paths().altMonSelection, 9223372036854774784.0), paths());
    EXPECT_EQ(store.snapshot().altMonSelection, 9223372036854774784);
}

TEST_F(MonitorStateStoreTest, FramesThatAreNoMonitorValueChangeNothing) {
    store.apply(valueFrame(paths().levelDB, -20.0), paths());
    seen.clear();
    const MonitorSnapshot before = store.snapshot();
    const std::vector<MixerFrame> frames{
        {paths().levelDB.base(), -1.0},                                  // base path, no "/value"
        {paths().levelDB.valuePath() + "/", -1.0},                       // trailing slash
        {paths().crOutputBase + "/meters/3/MeterLevel/value", -12.0},    // a meter: for the meter store
        {MonitorPaths::forDevice("1", "22").levelDB.valuePath(), -1.0},  // another device
        {"/devices", JSONValue()},
        {"/devices/0/DeviceName/value", "Apollo"},
    };
    for (const MixerFrame& frame : frames) EXPECT_EQ(store.apply(frame, paths()), std::nullopt) << frame.path;
    EXPECT_EQ(store.snapshot(), before);
    EXPECT_TRUE(seen.empty());
}

TEST_F(MonitorStateStoreTest, TheCatalogueInUseDecidesAndTalkbackMatchesAnyCatalogue) {
    const MonitorPaths other = MonitorPaths::forDevice("2", "8");
    EXPECT_EQ(store.apply(valueFrame(paths().mute, true), other), std::nullopt);
    EXPECT_EQ(store.apply(valueFrame(other.mute, true), other), MonitorEvent::mute);
    EXPECT_EQ(store.apply(valueFrame(MonitorPaths::talkbackOn(), 1), other), MonitorEvent::talkback);
    EXPECT_EQ(store.snapshot().mute, true);
    EXPECT_EQ(store.snapshot().talkback, true);
}

TEST_F(MonitorStateStoreTest, EveryMatchingFrameNotifiesWithTheUpdatedSnapshot) {
    store.apply(valueFrame(paths().mute, true), paths());
    store.apply(valueFrame(paths().mute, true), paths());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].event, MonitorEvent::mute);
    EXPECT_EQ(seen[1].snapshot.mute, true);
    EXPECT_EQ(store.snapshot().deviceName, std::nullopt);
}

TEST_F(MonitorStateStoreTest, ObserversRegisterSilentlyAndRemovedOnesAreNotCalled) {
    int second = 0;
    const Uuid id = store.observe([&](const MonitorSnapshot&, const MonitorEvent&) { ++second; });
    EXPECT_TRUE(seen.empty());
    store.apply(valueFrame(paths().dim, true), paths());
    EXPECT_EQ(second, 1);
    EXPECT_EQ(seen.size(), 1u);
    store.removeObserver(id);
    store.removeObserver(Uuid::make());
    store.apply(valueFrame(paths().dim, false), paths());
    EXPECT_EQ(second, 1);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(MonitorStateStoreTest, AListenerChangingTheTableDoesNotChangeThePass) {
    MonitorStateStore local;
    int calls = 0;
    int added = 0;
    Uuid self;
    self = local.observe([&](const MonitorSnapshot&, const MonitorEvent&) {
        ++calls;
        local.removeObserver(self);
        local.observe([&](const MonitorSnapshot&, const MonitorEvent&) { ++added; });
    });
    local.apply(valueFrame(paths().mono, true), paths());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(added, 0);
    local.apply(valueFrame(paths().mono, true), paths());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(added, 1);
}

TEST(MonitorEventTest, EqualityAndDescription) {
    EXPECT_EQ(MonitorEvent(MonitorEvent::level), MonitorEvent::level);
    EXPECT_NE(MonitorEvent(MonitorEvent::level), MonitorEvent::mute);
    EXPECT_EQ(MonitorEvent(MonitorEvent::other, "x"), MonitorEvent(MonitorEvent::other, "x"));
    EXPECT_NE(MonitorEvent(MonitorEvent::other, "x"), MonitorEvent(MonitorEvent::other, "y"));
    EXPECT_EQ(MonitorEvent(MonitorEvent::mute, "ignored"), MonitorEvent::mute);
    EXPECT_EQ(MonitorEvent(MonitorEvent::other, "x").description(), "other(x)");
    EXPECT_EQ(MonitorEvent(MonitorEvent::foldDown).description(), "foldDown");
}

}  // namespace
}  // namespace quillmark
