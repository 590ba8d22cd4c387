#include "core/MonitorPaths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unordered_set>

namespace quillmark {
namespace {

using ::testing::ElementsAre;

TEST(PropertyPathTest, ValueAndSubscribePathsAndEquality) {
    const PropertyPath mute("/devices/0/outputs/22/Mute");
    EXPECT_EQ(mute.valuePath(), "/devices/0/outputs/22/Mute/value");
    EXPECT_EQ(mute.subscribePath(), "/devices/0/outputs/22/Mute");
    EXPECT_TRUE(mute.isValuePath("/devices/0/outputs/22/Mute/value"));
    EXPECT_FALSE(mute.isValuePath("/devices/0/outputs/22/Mute"));
    EXPECT_FALSE(mute.isValuePath("/devices/0/outputs/22/Mute/value/"));
    EXPECT_FALSE(mute.isValuePath("/devices/0/outputs/22/MuteX/value"));
    EXPECT_FALSE(mute.isValuePath("/devices/0/outputs/22/Mute/valve"));

    EXPECT_EQ(PropertyPath("/a"), PropertyPath("/a"));
    EXPECT_NE(PropertyPath("/a"), PropertyPath("/a/"));
    const std::unordered_set<PropertyPath> set{PropertyPath("/a"), PropertyPath("/a"), PropertyPath("/b")};
    EXPECT_EQ(set.size(), 2u);
}

TEST(MonitorPathsTest, ForDeviceBuildsEveryPath) {
    const MonitorPaths paths = MonitorPaths::forDevice("3", "17");
    EXPECT_EQ(paths.crOutputBase, "/devices/3/outputs/17");
    EXPECT_EQ(paths.levelDB.base(), "/devices/3/outputs/17/CRMonitorLevel");
    EXPECT_EQ(paths.levelTapered.base(), "/devices/3/outputs/17/CRMonitorLevelTapered");
    EXPECT_EQ(paths.mute.base(), "/devices/3/outputs/17/Mute");
    EXPECT_EQ(paths.dim.base(), "/devices/3/outputs/17/DimOn");
    EXPECT_EQ(paths.mono.base(), "/devices/3/outputs/17/MixToMono");
    EXPECT_EQ(paths.surroundStereoFoldDown.base(), "/devices/3/outputs/17/SurroundStereoFoldDown");
    EXPECT_EQ(paths.altMonSelection.base(), "/devices/3/AltMonSelection");
    EXPECT_EQ(paths.surroundMode.base(), "/devices/3/SurroundMonitorMode");
    EXPECT_EQ(paths.deviceOnline.base(), "/devices/3/DeviceOnline");
}

TEST(MonitorPathsTest, DefaultCatalogueIsDeviceZeroOutputTwentyTwo) {
    const MonitorPaths& paths = MonitorPaths::apolloX8();
    EXPECT_EQ(paths, MonitorPaths::forDevice("0", "22"));
    EXPECT_EQ(&paths, &MonitorPaths::apolloX8());
    EXPECT_EQ(paths.levelDB.valuePath(), "/devices/0/outputs/22/CRMonitorLevel/value");
    EXPECT_EQ(paths.surroundMode.base(), "/devices/0/SurroundMonitorMode");
    EXPECT_EQ(paths.crOutputBase, "/devices/0/outputs/22");
}

TEST(MonitorPathsTest, TalkbackIsARootProperty) {
    EXPECT_EQ(MonitorPaths::talkbackOn().valuePath(), "/TalkbackOn/value");
    EXPECT_EQ(MonitorPaths::talkbackOn().subscribePath(), "/TalkbackOn");
}

TEST(MonitorPathsTest, AllSubscriptionsAreTheTenBasePathsInOrder) {
    const std::vector<std::string> subscriptions = MonitorPaths::forDevice("1", "5").allSubscriptions();
    EXPECT_THAT(subscriptions,
                ElementsAre("/devices/1/outputs/5/CRMonitorLevel", "/devices/1/outputs/5/CRMonitorLevelTapered",
                            "/devices/1/outputs/5/Mute", "/devices/1/outputs/5/DimOn", "/devices/1/outputs/5/MixToMono",
                            "/devices/1/outputs/5/SurroundStereoFoldDown", "/devices/1/AltMonSelection",
                            "/devices/1/SurroundMonitorMode", "/devices/1/DeviceOnline", "/TalkbackOn"));
    for (const std::string& path : subscriptions) EXPECT_FALSE(path.ends_with("/value")) << path;
}

TEST(MonitorPathsTest, IdentifiersAreInsertedVerbatim) {
    const MonitorPaths empty = MonitorPaths::forDevice("", "");
    EXPECT_EQ(empty.crOutputBase, "/devices//outputs/");
    EXPECT_EQ(empty.altMonSelection.base(), "/devices//AltMonSelection");
    EXPECT_EQ(MonitorPaths::forDevice("a b", "x/y").crOutputBase, "/devices/a b/outputs/x/y");
}

TEST(MonitorPathsTest, CataloguesDifferingOnlyInOutputBaseAreUnequal) {
    MonitorPaths other = MonitorPaths::apolloX8();
    EXPECT_EQ(other, MonitorPaths::apolloX8());
    other.crOutputBase = "/devices/0/outputs/23";
    EXPECT_NE(other, MonitorPaths::apolloX8());
}

}  // namespace
}  // namespace quillmark
