// The delegate at launch while an older copy still holds the hotkeys: its grabs are refused, and taken
// again once that copy has gone. Offscreen, in virtual time, over in-memory shortcuts and copies.
#include "EngineSimProcess.h"
#include "FakeGlobalShortcuts.h"
#include "FakeRunningCopies.h"
#include "FirstRunAsked.h"
#include "ManualMainQueue.h"
#include "TestApplication.h"

#include "app/AppDelegate.h"
#include "app/hotkeys/HotkeyService.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <chrono>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

// The X server's answer while another client holds a key combination.
constexpr RegistrationStatus kBadAccess = RegistrationStatus::refusedByServer(10);

class NewestCopyHotkeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<QApplication>();
        ASSERT_TRUE(sim_.isRunning());
        copies_->add({4242, 17, "/opt/quillmark/bin/quillmark"});
        for (std::uint32_t keyCode = 0; keyCode < 128; ++keyCode) shortcuts_.refusedKeys[keyCode] = kBadAccess;
        markFirstRunQuestionsAsked(defaults_);
        AppDelegate::Options options;
        options.enginePort = sim_.port();
        options.queue = &queue_;
        options.defaults = &defaults_;
        options.shortcuts = [this] { return std::make_unique<FakeGlobalShortcuts>(shortcuts_); };
        options.runningCopies = copies_;
        delegate_ = std::make_unique<AppDelegate>(options);
    }

    void TearDown() override {
        delegate_->applicationWillTerminate();
        delegate_.reset();
        queue_.runPending();
    }

    // The older copy quits and its grabs go with it.
    void olderCopyEnds() {
        copies_->table[0].running = false;
        shortcuts_.refusedKeys.clear();
    }

    EngineSimProcess sim_;
    ManualMainQueue queue_;
    MemoryUserDefaults defaults_;
    FakeGlobalShortcuts::Log shortcuts_;
    std::shared_ptr<FakeRunningCopies> copies_ = std::make_shared<FakeRunningCopies>();
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(NewestCopyHotkeysTest, BindingsRefusedWhileTheOlderCopyHeldThemAreGrabbedOnceItHasGone) {
    delegate_->applicationDidFinishLaunching();
    queue_.runPending();
    ASSERT_TRUE(delegate_->isArmed());
    const std::size_t bound = delegate_->prefs().bindings.value().size();
    ASSERT_GT(bound, 0u);
    EXPECT_TRUE(delegate_->hotkeys().registrations().empty());
    const std::size_t attempts = shortcuts_.registered.size();

    queue_.advance(1s);
    EXPECT_EQ(shortcuts_.registered.size(), attempts) << "nothing is tried again while the older copy runs";
    olderCopyEnds();
    queue_.advance(100ms);
    EXPECT_EQ(delegate_->hotkeys().registrations().size(), bound);
    EXPECT_EQ(shortcuts_.live.size(), bound);
}

TEST_F(NewestCopyHotkeysTest, ACopyForcedAfterTheGracePeriodStillHandsTheHotkeysOver) {
    copies_->table[0].diesWhenForced = false;  // a killed process takes a moment to be gone
    delegate_->applicationDidFinishLaunching();
    queue_.runPending();
    const std::size_t bound = delegate_->prefs().bindings.value().size();
    queue_.advance(3s);
    ASSERT_EQ(copies_->delivered.back(), (std::pair<std::int32_t, int>{4242, SIGKILL}));
    olderCopyEnds();
    queue_.advance(100ms);
    EXPECT_EQ(delegate_->hotkeys().registrations().size(), bound);
}

TEST_F(NewestCopyHotkeysTest, GrabsTheServerLetsGoOnlyAfterTheOlderCopyHasGoneAreTakenAsWell) {
    delegate_->applicationDidFinishLaunching();
    queue_.runPending();
    const std::size_t bound = delegate_->prefs().bindings.value().size();
    copies_->table[0].running = false;  // gone, but the server has not yet dropped its grabs
    queue_.advance(500ms);
    EXPECT_TRUE(delegate_->hotkeys().registrations().empty());
    shortcuts_.refusedKeys.clear();
    queue_.advance(200ms);
    EXPECT_EQ(delegate_->hotkeys().registrations().size(), bound);
}

}  // namespace
}  // namespace quillmark::testing
