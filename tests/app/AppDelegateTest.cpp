// The application delegate against the real engine stand-in on an ephemeral port, offscreen, with
// the main thread's time on a manual queue.
#include "EngineSimProcess.h"
#include "ManualMainQueue.h"

#include "app/AppDelegate.h"
#include "app/HUDView.h"
#include "app/HUDWindowController.h"
#include "app/meters/MeterSubscriptionManager.h"
#include "app/meters/MeterWindowController.h"
#include "app/preferences/MemoryUserDefaults.h"
#include "app/preferences/PreferencesStore.h"
#include "platform/log/SystemLog.h"

#include "QtSpin.h"
#include "TestApplication.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using Phase = HotkeyPhase;

QApplication& application() { return testApplication<QApplication>(); }

// A tree file for the stand-in, removed with the object.
class TreeFile {
public:
    explicit TreeFile(const std::string& json)
        : path_(std::filesystem::temp_directory_path() /
                ("quillmark-tree-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++) + ".json"))
    {
        std::ofstream(path_) << json;
    }
    ~TreeFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    static int& counter()
    {
        static int value = 0;
        return value;
    }
    std::filesystem::path path_;
};

std::string deviceTree(const std::string& devices)
{
    return R"({"properties":{"TalkbackOn":{"value":false},"Sleep":{"value":false}},)"
           R"("children":{"devices":{"children":{)" + devices + "}}}}";
}

std::string device(const std::string& id, const std::string& outputs)
{
    return "\"" + id + R"(":{"properties":{"Type":{"value":"device"},"DeviceOnline":{"value":true},)"
           R"("AltMonSelection":{"value":0},"SurroundMonitorMode":{"value":"STEREO"}},)"
           R"("children":{"outputs":{"children":{)" + outputs + "}}}}";
}

std::string output(const std::string& id, bool controlRoom)
{
    if (!controlRoom) return "\"" + id + R"(":{"properties":{"Mute":{"value":false}}})";
    return "\"" + id + R"(":{"properties":{"CRMonitorLevel":{"value":-30},"CRMonitorLevelTapered":{"value":0.6875},)"
           R"("Mute":{"value":false},"DimOn":{"value":false},"MixToMono":{"value":false},)"
           R"("SurroundStereoFoldDown":{"value":false}}})";
}

class AppDelegateTest : public ::testing::Test {
protected:
    void start(EngineSimProcess::Options simOptions = {})
    {
        application();
        sim_ = std::make_unique<EngineSimProcess>(std::move(simOptions));
        ASSERT_TRUE(sim_->isRunning());
        AppDelegate::Options options;
        options.enginePort = sim_->port();
        options.queue = &queue_;
        options.defaults = &defaults_;
        delegate_ = std::make_unique<AppDelegate>(options);
        delegate_->applicationDidFinishLaunching();
    }

    void TearDown() override
    {
        if (delegate_) delegate_->applicationWillTerminate();
        delegate_.reset();
        queue_.runPending();
    }

    bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s)
    {
        return testing::spinUntil(queue_, done, timeout);
    }

    bool hasRequest(const std::string& text) const
    {
        const auto requests = sim_->requests();
        return std::find(requests.begin(), requests.end(), text) != requests.end();
    }

    std::vector<std::string> subscriptions() const
    {
        std::vector<std::string> picked;
        for (const auto& request : sim_->requests()) {
            if (request.rfind("subscribe ", 0) == 0 && request.find("/meters/") == std::string::npos)
                picked.push_back(request);
        }
        return picked;
    }

    bool loggedLine(const std::string& line)
    {
        std::lock_guard lock(logMutex_);
        return std::find(log_.begin(), log_.end(), line) != log_.end();
    }

    bool waitForReportedState()
    {
        return spinUntil([&] {
            const auto& snapshot = delegate_->state().snapshot();
            return snapshot.levelDB.has_value() && snapshot.mute.has_value() && snapshot.talkback.has_value() &&
                   snapshot.deviceOnline.has_value();
        });
    }

    static std::vector<std::string> subscriptionsUnder(const std::string& device, const std::string& output)
    {
        return {"subscribe " + output + "/CRMonitorLevel", "subscribe " + output + "/CRMonitorLevelTapered",
                "subscribe " + output + "/Mute",           "subscribe " + output + "/DimOn",
                "subscribe " + output + "/MixToMono",      "subscribe " + output + "/SurroundStereoFoldDown",
                "subscribe " + device + "/AltMonSelection", "subscribe " + device + "/SurroundMonitorMode",
                "subscribe " + device + "/DeviceOnline",   "subscribe /TalkbackOn"};
    }

    std::mutex logMutex_;
    std::vector<std::string> log_;
    SystemLog::Capture capture_{[this](std::string_view line) {
        std::lock_guard lock(logMutex_);
        log_.emplace_back(line);
    }};
    ManualMainQueue queue_;
    MemoryUserDefaults defaults_;
    std::unique_ptr<EngineSimProcess> sim_;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(AppDelegateTest, DiscoveryFindingNothingKeepsTheDefaultPathsAndSaysSo)
{
    TreeFile tree(deviceTree(device("0", output("1", false))));
    start({.treeFile = tree.path()});
    const auto expected = subscriptionsUnder("/devices/0", "/devices/0/outputs/22");
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= expected.size(); }));
    EXPECT_EQ(subscriptions(), expected);
    EXPECT_TRUE(loggedLine("Quillmark: monitor-path discovery did not complete — using the Apollo x8 fallback "
                           "(/devices/0/outputs/22)."));
    EXPECT_EQ(delegate_->monitorPaths(), MonitorPaths::apolloX8());
}

TEST_F(AppDelegateTest, DiscoveredOutputBecomesThePathsOfEveryWriter)
{
    TreeFile tree(deviceTree(device("10", output("22", true)) + "," +
                             device("9", output("4", false) + "," + output("3", true))));
    start({.treeFile = tree.path()});
    const auto expected = subscriptionsUnder("/devices/9", "/devices/9/outputs/3");
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= expected.size(); }));
    EXPECT_EQ(subscriptions(), expected) << "device 9 is walked before device 10";
    EXPECT_TRUE(loggedLine("Quillmark: discovered Control Room output at /devices/9/outputs/3"));
    ASSERT_TRUE(waitForReportedState());

    delegate_->handleHotkey(HotkeyAction::volumeUpFine, Phase::pressed);
    EXPECT_TRUE(spinUntil([&] { return hasRequest("set /devices/9/outputs/3/CRMonitorLevel/value/ -29.00"); }));
    delegate_->meterWindow().show();
    EXPECT_TRUE(spinUntil([&] { return hasRequest("subscribe /devices/9/outputs/3/meters/1/MeterLevel"); }));
}

struct Dispatch {
    HotkeyAction action;
    std::vector<std::string> expected;
};

TEST_F(AppDelegateTest, HotkeyActionsSendTheirCommandsOnPressOnly)
{
    start();
    ASSERT_TRUE(waitForReportedState());
    ASSERT_TRUE(sim_->control("set /devices/0/outputs/22/CRMonitorLevel/value -30"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().levelDB == -30.0; }));
    const std::string o = "set /devices/0/outputs/22/";
    const std::vector<Dispatch> table = {
        {HotkeyAction::dim, {o + "DimOn/value/ true"}},
        {HotkeyAction::surround, {o + "SurroundStereoFoldDown/value/ false", o + "MixToMono/value/ false"}},
        {HotkeyAction::stereo, {o + "SurroundStereoFoldDown/value/ true", o + "MixToMono/value/ false"}},
        {HotkeyAction::mono, {o + "SurroundStereoFoldDown/value/ true", o + "MixToMono/value/ true"}},
        {HotkeyAction::volumeDownCoarse, {o + "CRMonitorLevel/value/ -33.00"}},
        {HotkeyAction::recallReference2, {}}, // the second reference has no level
    };
    for (const auto& row : table) {
        sim_->clearRequests();
        delegate_->handleHotkey(row.action, Phase::pressed);
        delegate_->handleHotkey(row.action, Phase::released);
        // Mute is the marker: everything sent before it is on the wire once it is.
        delegate_->handleHotkey(HotkeyAction::mute, Phase::pressed);
        ASSERT_TRUE(spinUntil([&] {
            const auto requests = sim_->requests();
            return !requests.empty() && requests.back().rfind(o + "Mute/value/", 0) == 0;
        })) << rawValue(row.action);
        auto requests = sim_->requests();
        requests.pop_back();
        std::erase(requests, std::string("set /Sleep false"));
        EXPECT_EQ(requests, row.expected) << rawValue(row.action);
        ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().mute.has_value(); }));
    }
}

TEST_F(AppDelegateTest, ArmingTwiceStartsNothingTwice)
{
    start();
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= 10; }));
    ASSERT_TRUE(delegate_->isArmed());
    delegate_->armApp();
    delegate_->handleHotkey(HotkeyAction::dim, Phase::pressed);
    ASSERT_TRUE(spinUntil([&] { return hasRequest("set /devices/0/outputs/22/DimOn/value/ true"); }));
    EXPECT_EQ(sim_->connectionCount(), 1);
    EXPECT_EQ(subscriptions().size(), 10u);
}

TEST_F(AppDelegateTest, OfflineDeviceShowsTheMessageForMonitorFramesAndTheTitleForItself)
{
    start({.extraArgs = {"--offline"}});
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().deviceOnline == false; }));
    EXPECT_EQ(delegate_->statusBar().connectionTitle(), QStringLiteral("No interface detected"));
    ASSERT_TRUE(sim_->control("set /devices/0/outputs/22/Mute/value true"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().mute == true; }));
    EXPECT_EQ(delegate_->hud().view().message(), QStringLiteral("No Interface Detected"));
}

TEST_F(AppDelegateTest, SurroundFrameRelaysTheMetersAndTheHeader)
{
    defaults_.setBool("Quillmark.showMetersOnLaunch", false);
    start();
    ASSERT_TRUE(waitForReportedState());
    ASSERT_FALSE(delegate_->meterWindow().isVisible());
    ASSERT_TRUE(sim_->control("surround 7.1"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->meterStore().channels().size() == 8; }));
    EXPECT_EQ(delegate_->meterWindow().view().surroundModeText(), QStringLiteral("7.1"));
    EXPECT_EQ(delegate_->meterSubscriber().subscribedCount, 0) << "hidden meters are not subscribed";
}

TEST_F(AppDelegateTest, SettingObservationsApplyChanges)
{
    start();
    ASSERT_TRUE(spinUntil([&] { return delegate_->isArmed(); }));
    delegate_->prefs().hudSize.set(HUDSize::large);
    EXPECT_EQ(delegate_->hud().window().size(), QSize(336, 123));
    EXPECT_TRUE(delegate_->hud().window().isVisible()) << "a new size is shown at once";

    delegate_->prefs().hudDurationSeconds.set(90.0);
    EXPECT_EQ(delegate_->hud().autoHideDelay(), 60s);

    delegate_->prefs().clipLatchPersistent.set(true);
    EXPECT_FALSE(delegate_->meterStore().clipAutoReleaseEnabled);
    delegate_->prefs().clipLatchPersistent.set(false);
    EXPECT_TRUE(delegate_->meterStore().clipAutoReleaseEnabled);

    delegate_->prefs().meterChannelOrder.set(MeterChannelOrder::music);
    EXPECT_EQ(delegate_->meterStore().channels().size(), 2u);
}

} // namespace
} // namespace quillmark::testing
