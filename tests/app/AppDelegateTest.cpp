// The application delegate against the real engine stand-in on an ephemeral port, offscreen, with
// the main thread's time on a manual queue.
#include "EngineSimProcess.h"
#include "FakeGlobalShortcuts.h"
#include "FirstRunAsked.h"
#include "ManualMainQueue.h"

#include "app/AppDelegate.h"
#include "app/dialogs/AboutWindowController.h"
#include "app/dialogs/WindowAppearance.h"
#include "app/hotkeys/HotkeyService.h"
#include "app/hud/HUDView.h"
#include "app/hud/HUDWindowController.h"
#include "app/look/HUDTokens.h"
#include "app/meters/MeterSubscriptionManager.h"
#include "app/meters/MeterWindowController.h"
#include "app/preferences/HotkeyRecorderField.h"
#include "app/preferences/HotkeyRow.h"
#include "app/preferences/PreferencesView.h"
#include "app/preferences/PreferencesWindowController.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"
#include "log/SystemLog.h"

#include "QtSpin.h"
#include "TestApplication.h"
#include "TrayMenuChoice.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

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
                ("quillmark-tree-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++) + ".json")) {
        std::ofstream(path_) << json;
    }
    ~TreeFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    static int& counter() {
        static int value = 0;
        return value;
    }
    std::filesystem::path path_;
};

// Runs a hook after every piece of main-thread work, so that a test can look between two frames that
// one spin handles together.
class ObservedQueue final : public MainQueue {
public:
    explicit ObservedQueue(ManualMainQueue& queue) : queue_(queue) {}

    // Main thread only; runs after each item, including the delayed ones.
    std::function<void()> afterEach;

    void post(Work work) override { queue_.post(observed(std::move(work))); }
    Handle postAfter(Clock::duration delay, Work work) override {
        return queue_.postAfter(delay, observed(std::move(work)));
    }
    Clock::time_point now() const override { return queue_.now(); }

private:
    Work observed(Work work) {
        return [this, work = std::move(work)] {
            work();
            if (afterEach) afterEach();
        };
    }

    ManualMainQueue& queue_;
};

// Runs `undo` when the scope ends, an early ASSERT's return included.
class OnExit {
public:
    explicit OnExit(std::function<void()> undo) : undo_(std::move(undo)) {}
    ~OnExit() { undo_(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    std::function<void()> undo_;
};

std::string deviceTree(const std::string& devices) {
    return R"({"properties":{"TalkbackOn":{"value":false},"Sleep":{"value":false}},)"
           R"("children":{"devices":{"children":{)" +
           devices + "}}}}";
}

std::string device(const std::string& id, const std::string& outputs) {
    return "\"" + id +
           R"(":{"properties":{"Type":{"value":"device"},"DeviceOnline":{"value":true},)"
           R"("AltMonSelection":{"value":0},"SurroundMonitorMode":{"value":"STEREO"}},)"
           R"("children":{"outputs":{"children":{)" +
           outputs + "}}}}";
}

std::string output(const std::string& id, bool controlRoom) {
    if (!controlRoom) return "\"" + id + R"(":{"properties":{"Mute":{"value":false}}})";
    return "\"" + id +
           R"(":{"properties":{"CRMonitorLevel":{"value":-30},"CRMonitorLevelTapered":{"value":0.6875},)"
           R"("Mute":{"value":false},"DimOn":{"value":false},"MixToMono":{"value":false},)"
           R"("SurroundStereoFoldDown":{"value":false}}})";
}

class AppDelegateTest : public ::testing::Test {
protected:
    void start(EngineSimProcess::Options simOptions = {}) {
        application();
        sim_ = std::make_unique<EngineSimProcess>(std::move(simOptions));
        ASSERT_TRUE(sim_->isRunning());
        markFirstRunQuestionsAsked(defaults_);
        AppDelegate::Options options;
        options.enginePort = sim_->port();
        options.queue = delegateQueue_;
        options.defaults = &defaults_;
        options.shortcuts = [this] { return std::make_unique<FakeGlobalShortcuts>(shortcuts_); };
        delegate_ = std::make_unique<AppDelegate>(options);
        delegate_->applicationDidFinishLaunching();
    }

    void TearDown() override {
        if (delegate_) delegate_->applicationWillTerminate();
        delegate_.reset();
        queue_.runPending();
    }

    bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
        return testing::spinUntil(queue_, done, timeout);
    }

    // The engine goes away and comes back on the same port, the client's fixed one, serving what
    // `simOptions` says.
    void restartSim(EngineSimProcess::Options simOptions) { startSimOn(stopSim(), std::move(simOptions)); }

    // The engine goes away; returns the port it served.
    std::uint16_t stopSim() {
        const std::uint16_t port = sim_->port();
        sim_.reset();
        return port;
    }

    void startSimOn(std::uint16_t port, EngineSimProcess::Options simOptions) {
        simOptions.extraArgs.insert(simOptions.extraArgs.end(), {"--port", std::to_string(port)});
        sim_ = std::make_unique<EngineSimProcess>(std::move(simOptions));
        ASSERT_TRUE(sim_->isRunning());
        ASSERT_EQ(sim_->port(), port);
    }

    // The engine's level, as the delegate has heard it.
    void setEngineLevel(double levelDB) {
        ASSERT_TRUE(sim_->control("set /devices/0/outputs/22/CRMonitorLevel " + std::to_string(levelDB)));
        ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().levelDB == levelDB; }));
    }

    // Sends a key stroke edge through the hotkey service, as the desktop would.
    void fireHotkey(HotkeyAction action, GlobalShortcuts::Edge edge) {
        for (const auto& registration : delegate_->hotkeys().registrations()) {
            if (registration.action == action) return shortcuts_.listener(registration.hotKeyID, edge);
        }
        ADD_FAILURE() << rawValue(action) << " is not registered";
    }

    bool hasRequest(const std::string& text) const {
        const auto requests = sim_->requests();
        return std::find(requests.begin(), requests.end(), text) != requests.end();
    }

    std::vector<std::string> subscriptions() const {
        std::vector<std::string> picked;
        for (const auto& request : sim_->requests()) {
            if (request.rfind("subscribe ", 0) == 0 && request.find("/meters/") == std::string::npos)
                picked.push_back(request);
        }
        return picked;
    }

    bool loggedLine(const std::string& line) {
        std::lock_guard lock(logMutex_);
        return std::find(log_.begin(), log_.end(), line) != log_.end();
    }

    bool waitForReportedState() {
        return spinUntil([&] {
            const auto& snapshot = delegate_->state().snapshot();
            return snapshot.levelDB.has_value() && snapshot.mute.has_value() && snapshot.talkback.has_value() &&
                   snapshot.deviceOnline.has_value();
        });
    }

    static std::vector<std::string> subscriptionsUnder(const std::string& device, const std::string& output) {
        return {"subscribe " + output + "/CRMonitorLevel",
                "subscribe " + output + "/CRMonitorLevelTapered",
                "subscribe " + output + "/Mute",
                "subscribe " + output + "/DimOn",
                "subscribe " + output + "/MixToMono",
                "subscribe " + output + "/SurroundStereoFoldDown",
                "subscribe " + device + "/AltMonSelection",
                "subscribe " + device + "/SurroundMonitorMode",
                "subscribe " + device + "/DeviceOnline",
                "subscribe /TalkbackOn"};
    }

    std::mutex logMutex_;
    std::vector<std::string> log_;
    SystemLog::Capture capture_{[this](std::string_view line) {
        std::lock_guard lock(logMutex_);
        log_.emplace_back(line);
    }};
    ManualMainQueue queue_;
    ObservedQueue observedQueue_{queue_};
    // The delegate's main queue: queue_ itself, or observedQueue_ in front of it.
    MainQueue* delegateQueue_ = &queue_;
    MemoryUserDefaults defaults_;
    FakeGlobalShortcuts::Log shortcuts_;
    std::unique_ptr<EngineSimProcess> sim_;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(AppDelegateTest, DiscoveryFindingNothingKeepsTheDefaultPathsAndSaysSo) {
    TreeFile tree(deviceTree(device("0", output("1", false))));
    start({.treeFile = tree.path()});
    const auto expected = subscriptionsUnder("/devices/0", "/devices/0/outputs/22");
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= expected.size(); }));
    EXPECT_EQ(subscriptions(), expected);
    EXPECT_TRUE(loggedLine("Quillmark: monitor-path discovery did not complete — using the Apollo x8 fallback "
                           "(/devices/0/outputs/22)."));
    EXPECT_EQ(delegate_->monitorPaths(), MonitorPaths::apolloX8());
}

TEST_F(AppDelegateTest, DiscoveredOutputBecomesThePathsOfEveryWriter) {
    TreeFile tree(
        deviceTree(device("10", output("22", true)) + "," + device("9", output("4", false) + "," + output("3", true))));
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

TEST_F(AppDelegateTest, HotkeyActionsSendTheirCommandsOnPressOnly) {
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
        {HotkeyAction::recallReference2, {}},  // the second reference has no level
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

TEST_F(AppDelegateTest, ArmingTwiceStartsNothingTwice) {
    start();
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= 10; }));
    ASSERT_TRUE(delegate_->isArmed());
    delegate_->armApp();
    delegate_->handleHotkey(HotkeyAction::dim, Phase::pressed);
    ASSERT_TRUE(spinUntil([&] { return hasRequest("set /devices/0/outputs/22/DimOn/value/ true"); }));
    EXPECT_EQ(sim_->connectionCount(), 1);
    EXPECT_EQ(subscriptions().size(), 10u);
}

TEST_F(AppDelegateTest, OfflineDeviceShowsTheMessageForMonitorFramesAndTheTitleForItself) {
    start({.extraArgs = {"--offline"}});
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().deviceOnline == false; }));
    EXPECT_EQ(delegate_->statusBar().connectionTitle(), QStringLiteral("No interface detected"));
    ASSERT_TRUE(sim_->control("set /devices/0/outputs/22/Mute/value true"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().mute == true; }));
    EXPECT_EQ(delegate_->hud().view().message(), QStringLiteral("No Interface Detected"));
}

TEST_F(AppDelegateTest, SurroundFrameRelaysTheMetersAndTheHeader) {
    defaults_.setBool("Quillmark.showMetersOnLaunch", false);
    start();
    ASSERT_TRUE(waitForReportedState());
    ASSERT_FALSE(delegate_->meterWindow().isVisible());
    ASSERT_TRUE(sim_->control("surround 7.1"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->meterStore().channels().size() == 8; }));
    EXPECT_EQ(delegate_->meterWindow().view().surroundModeText(), QStringLiteral("7.1"));
    EXPECT_EQ(delegate_->meterSubscriber().subscribedCount, 0) << "hidden meters are not subscribed";
}

TEST_F(AppDelegateTest, SettingObservationsApplyChanges) {
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

TEST_F(AppDelegateTest, RecallShowsItsTargetUntilTheEngineReportsIt) {
    delegateQueue_ = &observedQueue_;
    start();
    ASSERT_TRUE(waitForReportedState());
    const std::string setLevel = "set /devices/0/outputs/22/CRMonitorLevel ";
    ASSERT_TRUE(sim_->control(setLevel + "-30"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().levelDB == -30.0; }));
    delegate_->prefs().referenceLevels.set(
        {{"Mix", -20.0}, {"Reference 2", std::nullopt}, {"Reference 3", std::nullopt}});

    // After each level frame: the level the engine reported in it and what the HUD shows.
    struct Shown {
        std::optional<double> reportedDB;
        std::optional<double> hudDB;
        std::optional<QString> label;
    };
    std::vector<Shown> shown;
    // One read may carry several frames, handled in one piece of work: a frame's outcome is looked at
    // when the next frame arrives, or when the work ends.
    std::optional<std::optional<double>> unlooked;
    auto look = [&] {
        if (!unlooked) return;
        const HUDView& view = delegate_->hud().view();
        shown.push_back({*std::exchange(unlooked, std::nullopt), view.snapshot().levelDB, view.referenceLabel()});
    };
    const Uuid listener = delegate_->state().observe([&](const MonitorSnapshot& snapshot, const MonitorEvent& event) {
        look();
        if (event.kind() == MonitorEvent::level) unlooked = snapshot.levelDB;
    });
    observedQueue_.afterEach = look;
    const OnExit unhook([&] {
        observedQueue_.afterEach = nullptr;
        delegate_->state().removeObserver(listener);
    });

    // The engine reports the old level once more before it reads the write. The queue does not run in
    // between, so the delegate handles that frame after the recall.
    ASSERT_TRUE(sim_->control(setLevel + "-30"));
    delegate_->recallReference(0);
    ASSERT_TRUE(spinUntil([&] { return delegate_->pendingRecall().hasLanded(); }));
    ASSERT_TRUE(sim_->sync());
    ASSERT_TRUE(spinUntil([&] { return !shown.empty() && shown.back().hudDB == -20.0; }));
    ASSERT_TRUE(std::any_of(shown.begin(), shown.end(), [](const Shown& s) { return s.reportedDB == -30.0; }))
        << "the old level was reported after the recall";
    for (const Shown& s : shown) {
        EXPECT_EQ(s.hudDB, -20.0) << "engine reported " << s.reportedDB.value_or(0.0);
        EXPECT_EQ(s.label, QStringLiteral("Mix"));
    }

    // Landed: from now on the HUD follows the engine, still labelled within the recall's 1.5 s.
    shown.clear();
    ASSERT_TRUE(sim_->control(setLevel + "-21"));
    ASSERT_TRUE(spinUntil([&] { return !shown.empty() && shown.back().reportedDB == -21.0; }));
    EXPECT_EQ(shown.back().hudDB, -21.0);
    EXPECT_EQ(shown.back().label, QStringLiteral("Mix"));
}

TEST_F(AppDelegateTest, AppearanceReachesTheMeterWindowOnRealChangesOnly) {
    start();
    ASSERT_TRUE(spinUntil([&] { return delegate_->isArmed(); }));
    auto& appearance = delegate_->prefs().hudAppearance;
    MeterWindowController& meters = delegate_->meterWindow();
    for (const bool dark : {true, false, true}) {
        appearance.set(dark ? HUDAppearance::dark : HUDAppearance::light);
        EXPECT_EQ(meters.view().isDarkAppearance(), dark);
        EXPECT_EQ(meters.window().palette().color(QPalette::Window).name().toStdString(),
                  HUDTokens::resolve(HUDTokens::bg, dark).name().toStdString());
    }

    // The window is put out of step with the setting: only a re-run of the observation brings it back.
    meters.setAppearance(HUDAppearance::light);
    appearance.set(HUDAppearance::dark);
    EXPECT_FALSE(meters.view().isDarkAppearance()) << "assigning the same appearance re-ran the observation";
}

TEST_F(AppDelegateTest, ThePreferencesWindowIsMadeOnceFollowsTheAppearanceAndPausesTheHotkeysWhileRecording) {
    start();
    ASSERT_TRUE(spinUntil([&] { return delegate_->isArmed(); }));
    EXPECT_EQ(delegate_->preferencesWindow(), nullptr);
    delegate_->showPreferences();
    PreferencesWindowController* made = delegate_->preferencesWindow();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->window().isVisible());
    made->window().close();
    delegate_->showPreferences();
    EXPECT_EQ(delegate_->preferencesWindow(), made);
    EXPECT_TRUE(made->window().isVisible());

    HotkeyRecorderField& mute = made->view().recorder(HotkeyAction::mute);
    for (const bool dark : {true, false}) {
        delegate_->prefs().hudAppearance.set(dark ? HUDAppearance::dark : HUDAppearance::light);
        EXPECT_EQ(mute.drawsDark(), dark);
        EXPECT_EQ(made->view().drawsDark(), dark);
    }

    const std::size_t live = shortcuts_.live.size();
    ASSERT_GT(live, 0u);
    const QPointF cell = mute.cellRect().center();
    QMouseEvent press(QEvent::MouseButtonPress, cell, mute.mapToGlobal(cell), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&mute, &press);
    ASSERT_TRUE(mute.isRecording());
    EXPECT_TRUE(shortcuts_.live.empty()) << "a bound combination must reach the field";
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&made->window(), &escape);
    EXPECT_FALSE(mute.isRecording());
    EXPECT_EQ(shortcuts_.live.size(), live);
}

TEST_F(AppDelegateTest, TheHotkeyRowsMarkTheBindingsAnotherProgramHoldsAndShowingTheWindowTriesThemAgain) {
    shortcuts_.refusedKeys[17] = RegistrationStatus::refusedByServer(10);  // Ctrl+Alt+T: talkback
    start();
    ASSERT_TRUE(spinUntil([&] { return delegate_->isArmed(); }));
    delegate_->showPreferences();
    PreferencesView& view = delegate_->preferencesWindow()->view();
    EXPECT_EQ(view.hotkeyRow(HotkeyAction::talkback).notice(),
              QStringLiteral("Another program or the system holds Ctrl+Alt+T."));
    EXPECT_TRUE(view.hotkeyRow(HotkeyAction::dim).notice().isEmpty());

    // The other program lets go; the next look at the window finds the binding registered.
    shortcuts_.refusedKeys.clear();
    delegate_->preferencesWindow()->window().close();
    delegate_->showPreferences();
    EXPECT_TRUE(view.hotkeyRow(HotkeyAction::talkback).notice().isEmpty());
    EXPECT_FALSE(view.hotkeyRow(HotkeyAction::talkback).isHeldElsewhere());
}

TEST_F(AppDelegateTest, TheTrayCommandsOpenTheirWindowsAndToggleTheMeters) {
    start();
    ASSERT_TRUE(spinUntil([&] { return delegate_->isArmed(); }));
    const auto trigger = [&](const QString& title) { return chooseTrayItem(delegate_->statusBar(), title); };

    ASSERT_TRUE(trigger(QStringLiteral("About Quillmark")));
    ASSERT_NE(delegate_->aboutWindow(), nullptr);
    EXPECT_TRUE(delegate_->aboutWindow()->window().isVisible());

    ASSERT_TRUE(trigger(QStringLiteral("Preferences\u2026")));
    ASSERT_NE(delegate_->preferencesWindow(), nullptr);
    EXPECT_TRUE(delegate_->preferencesWindow()->window().isVisible());

    const bool metersShown = delegate_->meterWindow().isVisible();
    ASSERT_TRUE(trigger(metersShown ? QStringLiteral("Hide Meters") : QStringLiteral("Show Meters")));
    EXPECT_NE(delegate_->meterWindow().isVisible(), metersShown);
    ASSERT_TRUE(trigger(metersShown ? QStringLiteral("Show Meters") : QStringLiteral("Hide Meters")));
    EXPECT_EQ(delegate_->meterWindow().isVisible(), metersShown);

    // This build has no update feed: the check does nothing and opens nothing.
    ASSERT_FALSE(delegate_->updater().isConfigured());
    const auto windows = QApplication::topLevelWidgets().size();
    ASSERT_TRUE(trigger(QStringLiteral("Check for Updates\u2026")));
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
}

TEST_F(AppDelegateTest, AboutIsMadeOnceAndFollowsTheAppearanceWhileItExists) {
    start();
    ASSERT_TRUE(spinUntil([&] { return delegate_->isArmed(); }));
    auto& appearance = delegate_->prefs().hudAppearance;
    appearance.set(HUDAppearance::dark);
    EXPECT_EQ(delegate_->aboutWindow(), nullptr);  // nothing before the first request

    delegate_->showAbout();
    AboutWindowController* about = delegate_->aboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->window().isVisible());
    EXPECT_EQ(WindowAppearance::of(about->window()), HUDAppearance::dark);

    appearance.set(HUDAppearance::light);  // while it is open
    EXPECT_EQ(WindowAppearance::of(about->window()), HUDAppearance::light);
    about->window().close();
    appearance.set(HUDAppearance::dark);  // while it is hidden
    EXPECT_EQ(WindowAppearance::of(about->window()), HUDAppearance::dark);

    delegate_->showAbout();
    EXPECT_EQ(delegate_->aboutWindow(), about);
    EXPECT_TRUE(about->window().isVisible());
}

TEST_F(AppDelegateTest, BindingsAreRegisteredAgainOnRealChangesOnly) {
    start();
    ASSERT_TRUE(spinUntil([&] { return delegate_->isArmed(); }));
    auto& bindings = delegate_->prefs().bindings;
    // The keys registered now, as key code and mask.
    const auto liveKeys = [&] {
        std::multiset<std::pair<std::uint32_t, std::uint32_t>> keys;
        for (const auto& [id, key] : shortcuts_.live) keys.insert(key);
        return keys;
    };
    const auto keysOf = [](const HotkeyBindings& set) {
        std::multiset<std::pair<std::uint32_t, std::uint32_t>> keys;
        for (const auto& [action, binding] : set) keys.insert({binding.keyCode, binding.carbonModifiers});
        return keys;
    };
    HotkeyBindings changed = HotkeyBinding::firstRunDefaults();
    changed.erase(HotkeyAction::talkback);
    const std::size_t before = shortcuts_.registered.size();

    bindings.set(changed);
    EXPECT_EQ(shortcuts_.registered.size(), before + changed.size()) << "each binding of the new set, once";
    EXPECT_EQ(liveKeys(), keysOf(changed));

    bindings.set(changed);
    EXPECT_EQ(shortcuts_.registered.size(), before + changed.size()) << "an equal set registered nothing";

    changed[HotkeyAction::dim].keyCode = 101;
    bindings.set(changed);
    EXPECT_EQ(shortcuts_.registered.size(), before + 2 * changed.size()) << "one changed key registers them all again";
    EXPECT_EQ(liveKeys(), keysOf(changed));
}

TEST_F(AppDelegateTest, MetersAskedForAtLaunchShowAtTheFirstReadyOnly) {
    defaults_.setBool("Quillmark.showMetersOnLaunch", true);
    start();
    ASSERT_TRUE(spinUntil([&] { return delegate_->meterWindow().isVisible(); }));
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= 10; }));
    delegate_->meterWindow().hide();  // the user closes it

    ASSERT_TRUE(sim_->waitForOpenConnections(1));
    ASSERT_TRUE(sim_->control("drop"));
    // The second round of monitor subscriptions follows the second ready.
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= 20; }));
    EXPECT_EQ(sim_->connectionCount(), 2);
    EXPECT_FALSE(delegate_->meterWindow().isVisible()) << "shown again at the reconnect";
}

TEST_F(AppDelegateTest, ReconnectToAnotherOutputMovesWritesAndSubscriptions) {
    TreeFile before(deviceTree(device("3", output("1", false) + "," + output("5", true))));
    TreeFile after(deviceTree(device("4", output("5", false) + "," + output("2", true))));
    defaults_.setBool("Quillmark.showMetersOnLaunch", true);
    start({.treeFile = before.path()});
    ASSERT_TRUE(spinUntil([&] { return hasRequest("subscribe /devices/3/outputs/5/meters/1/MeterLevel"); }));
    ASSERT_EQ(subscriptions(), subscriptionsUnder("/devices/3", "/devices/3/outputs/5"));

    restartSim({.treeFile = after.path()});
    const auto expected = subscriptionsUnder("/devices/4", "/devices/4/outputs/2");
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= expected.size(); }));
    EXPECT_EQ(subscriptions(), expected);
    EXPECT_TRUE(loggedLine("Quillmark: discovered Control Room output at /devices/4/outputs/2"));
    EXPECT_TRUE(spinUntil([&] { return hasRequest("subscribe /devices/4/outputs/2/meters/1/MeterLevel"); }))
        << "the meters shown before are subscribed on the new output";
    std::vector<std::string> stale;
    for (const auto& request : sim_->requests()) {
        if (request.find("/devices/3/") != std::string::npos) stale.push_back(request);
    }
    EXPECT_EQ(stale, std::vector<std::string>{}) << "requests for the output of the last connection";

    // Frames on the new paths reach the snapshot, and the writers use them.
    ASSERT_TRUE(sim_->control("set /devices/4/outputs/2/CRMonitorLevel -40"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().levelDB == -40.0; }));
    delegate_->handleHotkey(HotkeyAction::volumeUpFine, Phase::pressed);
    delegate_->handleHotkey(HotkeyAction::mute, Phase::pressed);
    EXPECT_TRUE(spinUntil([&] { return hasRequest("set /devices/4/outputs/2/CRMonitorLevel/value/ -39.00"); }));
    EXPECT_TRUE(spinUntil([&] { return hasRequest("set /devices/4/outputs/2/Mute/value/ true"); }));
}

const std::string kTalkbackOff = "set /TalkbackOn/value/ false";

TEST_F(AppDelegateTest, TalkbackReleasedWhileOfflineEndsTheHoldAndWritesNothing) {
    start();
    ASSERT_TRUE(waitForReportedState());
    delegate_->handleHotkey(HotkeyAction::talkback, Phase::pressed);
    ASSERT_TRUE(spinUntil([&] { return hasRequest("set /TalkbackOn/value/ true"); }));
    ASSERT_TRUE(delegate_->hud().isPinned());

    ASSERT_TRUE(sim_->control("online false"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().deviceOnline == false; }));
    queue_.advance(1s);  // a hold: momentary, were the interface there
    delegate_->handleHotkey(HotkeyAction::talkback, Phase::released);
    EXPECT_FALSE(delegate_->hud().isPinned());

    // Back online, a dim press is the marker: a talkback write would be on the wire before it.
    ASSERT_TRUE(sim_->control("online true"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().deviceOnline == true; }));
    delegate_->handleHotkey(HotkeyAction::dim, Phase::pressed);
    ASSERT_TRUE(spinUntil([&] { return hasRequest("set /devices/0/outputs/22/DimOn/value/ true"); }));
    EXPECT_FALSE(hasRequest(kTalkbackOff)) << "written while the interface was offline";
}

TEST_F(AppDelegateTest, ReapplyingTheBindingsEndsATalkbackHoldAsItsReleaseWould) {
    start();
    ASSERT_TRUE(waitForReportedState());
    fireHotkey(HotkeyAction::talkback, GlobalShortcuts::Edge::down);
    ASSERT_TRUE(spinUntil([&] { return hasRequest("set /TalkbackOn/value/ true"); }));
    ASSERT_TRUE(delegate_->hud().isPinned());
    queue_.advance(1s);

    // The service swallows the release of a key held across a re-apply.
    HotkeyBindings changed = delegate_->prefs().bindings.value();
    changed[HotkeyAction::dim].keyCode = 101;
    delegate_->prefs().bindings.set(changed);
    EXPECT_FALSE(delegate_->hud().isPinned());
    EXPECT_TRUE(spinUntil([&] { return hasRequest(kTalkbackOff); })) << "a hold of 1 s is momentary";
}

TEST_F(AppDelegateTest, AStepLostWhileTheEngineIsAwayLeavesNothingPending) {
    start();
    ASSERT_TRUE(waitForReportedState());
    const std::string write = "set /devices/0/outputs/22/CRMonitorLevel/value/ ";
    setEngineLevel(-30);
    // Two quick steps, before the engine reports the first, add up.
    delegate_->handleHotkey(HotkeyAction::volumeUpFine, Phase::pressed);
    delegate_->handleHotkey(HotkeyAction::volumeUpFine, Phase::pressed);
    ASSERT_TRUE(spinUntil([&] { return hasRequest(write + "-28.00"); }));
    EXPECT_TRUE(hasRequest(write + "-29.00"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().levelDB == -28.0; }));

    const std::uint16_t port = stopSim();
    ASSERT_TRUE(spinUntil([&] {
        return delegate_->statusBar().connectionState.kind() != MixerEngineClient::ConnectionState::Kind::ready;
    }));
    delegate_->handleHotkey(HotkeyAction::volumeUpCoarse, Phase::pressed);  // lost
    startSimOn(port, {});
    ASSERT_TRUE(spinUntil([&] { return subscriptions().size() >= 10; }));
    setEngineLevel(-50);
    delegate_->handleHotkey(HotkeyAction::volumeDownCoarse, Phase::pressed);
    ASSERT_TRUE(spinUntil([&] { return hasRequest(write + "-53.00"); }));
    std::vector<std::string> writes;
    for (const auto& request : sim_->requests()) {
        if (request.starts_with(write)) writes.push_back(request);
    }
    EXPECT_EQ(writes, std::vector<std::string>{write + "-53.00"}) << "a step from the lost -25 dB";
}

struct OutOfRangeRecall {
    double referenceDB;
    std::string written;
    double sentDB;
};

TEST_F(AppDelegateTest, ARecallOutsideTheRangeShowsTheLevelItSent) {
    start();
    ASSERT_TRUE(waitForReportedState());
    const std::vector<OutOfRangeRecall> table = {{-120.0, "-96.00", -96.0}, {5.0, "0.00", 0.0}};
    for (const auto& row : table) {
        setEngineLevel(-30);
        delegate_->prefs().referenceLevels.set(
            {{"Far", row.referenceDB}, {"Reference 2", std::nullopt}, {"Reference 3", std::nullopt}});
        delegate_->recallReference(0);
        ASSERT_TRUE(
            spinUntil([&] { return hasRequest("set /devices/0/outputs/22/CRMonitorLevel/value/ " + row.written); }));
        ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().levelDB == row.sentDB; }));
        EXPECT_TRUE(delegate_->pendingRecall().hasLanded()) << row.referenceDB;
        EXPECT_EQ(delegate_->hud().view().snapshot().levelDB, row.sentDB) << row.referenceDB;
        EXPECT_EQ(delegate_->hud().view().referenceLabel(), QStringLiteral("Far"));
    }
}

}  // namespace
}  // namespace quillmark::testing
