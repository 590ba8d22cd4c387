// The application delegate in this process, on this test's own X server, against the real engine
// stand-in, with real key events from xdotool. Time runs on a manual queue, so holds and recall ages
// are exact; the engine's frames still arrive in real time.
#include "E2EBindings.h"
#include "E2EPaths.h"
#include "EngineSimProcess.h"
#include "FirstRunAsked.h"
#include "ManualMainQueue.h"
#include "XTool.h"

#include "app/AppDelegate.h"
#include "app/hotkeys/HotkeyService.h"
#include "app/hud/HUDView.h"
#include "app/hud/HUDWindowController.h"
#include "app/meters/MeterWindowController.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"

#include "QtSpin.h"
#include "TestApplication.h"
#include <QAction>

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

QApplication& application() { return testApplication<QApplication>(); }

class MainRoadX11 : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        ASSERT_TRUE(sim_.isRunning());
        ASSERT_TRUE(sim_.control("set " + E2EPaths::level + "/value -30"));
        defaults_.setData(E2EBindings::key, E2EBindings::document().toStdString());
        defaults_.setBool("Quillmark.showMetersOnLaunch", false);
        defaults_.setData("Quillmark.referenceLevels.v1",
                          R"([{"label":"Mix","level":-20},{"label":"Loud"},{"label":"Quiet","level":-40}])");
        markFirstRunQuestionsAsked(defaults_);
        AppDelegate::Options options;
        options.enginePort = sim_.port();
        options.queue = &queue_;
        options.defaults = &defaults_;
        delegate_ = std::make_unique<AppDelegate>(options);
        delegate_->applicationDidFinishLaunching();
        ASSERT_TRUE(spinUntil([&] {
            const auto& snapshot = delegate_->state().snapshot();
            return snapshot.levelDB == -30.0 && snapshot.talkback.has_value() && snapshot.mute.has_value() &&
                   snapshot.deviceOnline.has_value();
        })) << "connected, subscribed and reported";
        sim_.clearRequests();
    }

    void TearDown() override {
        if (!delegate_) return;
        delegate_->applicationWillTerminate();
        delegate_.reset();
        queue_.runPending();
    }

    bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
        return testing::spinUntil(queue_, done, timeout);
    }

    // Sends a key stroke and runs the main thread until the engine has received `expected`.
    bool pressAndExpect(const char* combo, const std::string& expected) {
        if (!XTool::key(combo)) return false;
        return spinUntil([&] { return contains(sim_.requests(), expected); });
    }

    static bool contains(const std::vector<std::string>& requests, const std::string& text) {
        return std::find(requests.begin(), requests.end(), text) != requests.end();
    }

    // A request the engine must have seen before anything sent after it: press mute, wait for it.
    // Everything the program sent before is then on the wire too (requests keep their order).
    bool syncThroughMute() {
        const bool muted = delegate_->state().snapshot().mute == true;
        return pressAndExpect(E2EBindings::mute, muteSet(!muted)) &&
               spinUntil([&] { return delegate_->state().snapshot().mute == !muted; });
    }

    // Waits until the engine's report of the talkback switch has reached the program's snapshot.
    bool talkbackReportedAs(bool on) {
        return spinUntil([&] { return delegate_->state().snapshot().talkback == on; });
    }

    static std::string muteSet(bool on) { return "set " + E2EPaths::mute + "/value/ " + (on ? "true" : "false"); }
    static std::string talkbackSet(bool on) { return std::string("set /TalkbackOn/value/ ") + (on ? "true" : "false"); }
    static std::string levelSet(const char* value) { return "set " + E2EPaths::level + "/value/ " + value; }

    std::size_t countOf(const std::string& text) const {
        const auto requests = sim_.requests();
        return static_cast<std::size_t>(std::count(requests.begin(), requests.end(), text));
    }

    EngineSimProcess sim_;
    ManualMainQueue queue_;
    MemoryUserDefaults defaults_;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(MainRoadX11, MuteHotkeyTogglesFromTheReportedState) {
    ASSERT_EQ(delegate_->state().snapshot().mute, false);
    ASSERT_TRUE(pressAndExpect(E2EBindings::mute, muteSet(true)));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().mute == true; }));
    ASSERT_TRUE(pressAndExpect(E2EBindings::mute, muteSet(false)));
    EXPECT_EQ(countOf(muteSet(true)), 1u);
}

TEST_F(MainRoadX11, FineStepFollowsTheSettingAtEachPress) {
    ASSERT_TRUE(pressAndExpect(E2EBindings::volumeUpFine, levelSet("-29.00")));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().levelDB == -29.0; }));
    EXPECT_TRUE(delegate_->hud().window().isVisible());
    EXPECT_EQ(delegate_->hud().view().snapshot().levelDB, -29.0);

    delegate_->prefs().volumeStepFineDB.set(0.5);
    ASSERT_TRUE(pressAndExpect(E2EBindings::volumeDownFine, levelSet("-29.50")));
}

TEST_F(MainRoadX11, TalkbackTapLatchesAndHoldIsMomentary) {
    ASSERT_EQ(delegate_->state().snapshot().talkback, false);

    // Tap from off: on at the press, nothing at the release.
    ASSERT_TRUE(XTool::keyDown(E2EBindings::talkback));
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), talkbackSet(true)); }));
    EXPECT_TRUE(delegate_->hud().isPinned()) << "the HUD stays up while the key is down";
    queue_.advance(200ms);
    ASSERT_TRUE(XTool::keyUp(E2EBindings::talkback));
    ASSERT_TRUE(spinUntil([&] { return !delegate_->hud().isPinned(); })) << "release seen";
    ASSERT_TRUE(syncThroughMute());
    EXPECT_FALSE(contains(sim_.requests(), talkbackSet(false))) << "a tap latches";
    ASSERT_TRUE(talkbackReportedAs(true));

    // Tap while on: nothing at the press, off at the release.
    sim_.clearRequests();
    ASSERT_TRUE(XTool::key(E2EBindings::talkback));
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), talkbackSet(false)); }));
    EXPECT_FALSE(contains(sim_.requests(), talkbackSet(true)));
    ASSERT_TRUE(talkbackReportedAs(false));

    // Hold from off for a second: on at the press, off at the release.
    sim_.clearRequests();
    ASSERT_TRUE(XTool::keyDown(E2EBindings::talkback));
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), talkbackSet(true)); }));
    queue_.advance(1s);
    ASSERT_TRUE(XTool::keyUp(E2EBindings::talkback));
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), talkbackSet(false)); }));
}

TEST_F(MainRoadX11, OfflineInterfaceShowsTheMessageAndSendsNothing) {
    ASSERT_TRUE(sim_.control("online false"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().deviceOnline == false; }));
    EXPECT_EQ(delegate_->statusBar().connectionTitle(), QStringLiteral("No interface detected"));

    ASSERT_TRUE(XTool::key(E2EBindings::volumeUpFine));
    ASSERT_TRUE(
        spinUntil([&] { return delegate_->hud().view().message() == QStringLiteral("No Interface Detected"); }));
    // Both halves of the talkback stroke must be handled while still offline.
    std::vector<HotkeyPhase> talkbackPhases;
    auto& hotkeys = delegate_->hotkeys();
    hotkeys.handler = [&talkbackPhases, delegated = hotkeys.handler](HotkeyAction action, HotkeyPhase phase) {
        if (action == HotkeyAction::talkback) talkbackPhases.push_back(phase);
        delegated(action, phase);
    };
    ASSERT_TRUE(XTool::keyDown(E2EBindings::talkback));
    ASSERT_TRUE(spinUntil([&] { return talkbackPhases.size() == 1; }));
    ASSERT_TRUE(XTool::keyUp(E2EBindings::talkback));
    ASSERT_TRUE(spinUntil([&] { return talkbackPhases.size() == 2; }));
    delegate_->recallReference(0);

    ASSERT_TRUE(sim_.control("online true"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().deviceOnline == true; }));
    EXPECT_EQ(delegate_->statusBar().connectionTitle(), QStringLiteral("Connected"));
    ASSERT_TRUE(syncThroughMute());
    for (const auto& request : sim_.requests()) {
        EXPECT_TRUE(request.rfind("set " + E2EPaths::mute, 0) == 0 || request == "set /Sleep false")
            << "sent while offline: " << request;
    }
}

TEST_F(MainRoadX11, ReferenceRecallFromTheTrayMenuSendsTheLevelAndLabelsTheHUD) {
    // The tray menu as it is when it opens (it is rebuilt on opening).
    QMenu& menu = delegate_->statusBar().trayMenu();
    delegate_->statusBar().rebuild(menu);
    QAction* mix = nullptr;
    QAction* loud = nullptr;
    for (QAction* action : menu.actions()) {
        if (action->text().startsWith(QStringLiteral("Mix"))) mix = action;
        if (action->text().startsWith(QStringLiteral("Loud"))) loud = action;
    }
    ASSERT_NE(mix, nullptr);
    ASSERT_NE(loud, nullptr);
    EXPECT_FALSE(loud->isEnabled()) << "a reference without a level cannot be chosen";

    mix->trigger();
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), levelSet("-20.00")); }));
    ASSERT_TRUE(spinUntil([&] { return delegate_->state().snapshot().levelDB == -20.0; }));
    EXPECT_EQ(delegate_->hud().view().referenceLabel(), QStringLiteral("Mix"));
    EXPECT_EQ(delegate_->hud().view().snapshot().levelDB, -20.0);
    EXPECT_TRUE(delegate_->pendingRecall().hasLanded());

    // Recalling the level already there still sends it and shows the HUD at once, labelled.
    sim_.clearRequests();
    queue_.advance(2s);
    mix->trigger();
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), levelSet("-20.00")); }));
    EXPECT_EQ(delegate_->hud().view().referenceLabel(), QStringLiteral("Mix"));

    // Recall 3 by its hotkey-less path: index 2 has a level and is sent; index 1 has none.
    delegate_->recallReference(1);
    delegate_->recallReference(2);
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), levelSet("-40.00")); }));
    EXPECT_EQ(countOf(levelSet("-20.00")), 1u);
}

TEST_F(MainRoadX11, SurroundChangeLaysOutAndResubscribesTheVisibleMeters) {
    delegate_->meterWindow().show();
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), E2EPaths::meterSubscription(1)); }));
    ASSERT_TRUE(sim_.control("surround 5.1"));
    ASSERT_TRUE(spinUntil([&] { return delegate_->meterStore().channels().size() == 6; }));
    ASSERT_TRUE(spinUntil([&] { return contains(sim_.requests(), E2EPaths::meterSubscription(5)); }));
    EXPECT_FALSE(contains(sim_.requests(), E2EPaths::meterSubscription(6)));
    EXPECT_EQ(countOf(E2EPaths::meterSubscription(0)), 1u) << "meters already asked for are not asked again";
}

}  // namespace
}  // namespace quillmark::testing
