// The updater as the application holds it: whether a build is configured, that an unconfigured one
// stays inert, and the delegate's start-up and tray check against a loopback feed. Offscreen, with
// the main thread on a manual queue.
#include "EngineSimProcess.h"
#include "FakeGlobalShortcuts.h"
#include "FakeRunningCopies.h"
#include "FirstRunAsked.h"
#include "LoopbackHttpServer.h"
#include "ManualMainQueue.h"
#include "QtSpin.h"
#include "RecordingUserDriver.h"
#include "TestApplication.h"

#include "app/AppDelegate.h"
#include "app/services/UpdaterController.h"
#include "app/services/UpdaterDefaults.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"
#include "app/status/StatusBarController.h"
#include "log/SystemLog.h"
#include "platform/updater/DesktopPackageInstaller.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

const std::string kValidKey = std::string(43, 'A') + "=";  // 32 bytes of zeros, base64

const QByteArray kFeed = R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
<item><title>Version 9</title><sparkle:version>9</sparkle:version>
<enclosure url="https://example.com/quillmark_9.deb" length="10" sparkle:os="linux" sparkle:edSignature="x"/></item>
</channel></rss>)";

class UpdaterControllerTest : public ::testing::Test {
protected:
    // The server is a member: the application must exist before the fixture does.
    static void SetUpTestSuite() { testApplication<QApplication>(); }
    void SetUp() override { server_.serve("/appcast.xml", {200, kFeed, {}, std::nullopt}); }

    UpdaterController::Info configuredInfo() const {
        return {server_.url("/appcast.xml").toString().toStdString(), kValidKey, "1"};
    }

    // A controller whose windows are recorded; `driver` stays valid while the controller lives.
    std::unique_ptr<UpdaterController> makeController(UpdaterController::Info info, RecordingUserDriver*& driver) {
        auto recording = std::make_unique<RecordingUserDriver>();
        driver = recording.get();
        UpdaterController::Parts parts;
        parts.driver = std::move(recording);
        parts.installer = std::make_unique<DesktopPackageInstaller>([](const QUrl&) { return true; });
        parts.downloadDirectory = downloads_.path();
        return std::make_unique<UpdaterController>(queue_, defaults_, std::move(info), std::move(parts));
    }

    ManualMainQueue queue_;
    MemoryUserDefaults defaults_;
    LoopbackHttpServer server_;
    QTemporaryDir downloads_;
};

TEST_F(UpdaterControllerTest, ABuildIsConfiguredByAFeedWithoutPlaceholderAndANonEmptyKey) {
    const std::string feed = "https://updates.example.com/appcast.xml";
    const struct {
        const char* name;
        UpdaterController::Info info;
        bool configured;
    } table[] = {
        {"both given", {feed, kValidKey, "1"}, true},
        {"a key that is no Ed25519 key still counts", {feed, "CHANGE-ME", "1"}, true},
        {"feed missing or not text", {std::nullopt, kValidKey, "1"}, false},
        {"feed empty", {"", kValidKey, "1"}, false},
        {"feed a placeholder", {"https://CHANGE-ME.example.com/appcast.xml", kValidKey, "1"}, false},
        {"key missing or not text", {feed, std::nullopt, "1"}, false},
        {"key empty", {feed, "", "1"}, false},
    };
    for (const auto& [name, info, configured] : table) {
        std::vector<std::string> lines;
        SystemLog::Capture capture([&](std::string_view line) { lines.emplace_back(line); });
        RecordingUserDriver* driver = nullptr;
        const auto controller = makeController(info, driver);
        EXPECT_EQ(controller->isConfigured(), configured) << name;
        EXPECT_EQ(controller->updater() != nullptr, configured) << name;
        const std::vector<std::string> expected =
            configured ? std::vector<std::string>{}
                       : std::vector<std::string>{"Quillmark: updates not configured (placeholder SUFeedURL or "
                                                  "missing SUPublicEDKey) — auto-update disabled in this build."};
        EXPECT_EQ(lines, expected) << name;
    }
}

TEST_F(UpdaterControllerTest, AnUnconfiguredBuildNeverStartsOrChecks) {
    RecordingUserDriver* driver = nullptr;
    auto info = configuredInfo();
    info.feedURL = server_.url("/CHANGE-ME/appcast.xml").toString().toStdString();
    server_.serve("/CHANGE-ME/appcast.xml", {200, kFeed, {}, std::nullopt});
    const auto controller = makeController(info, driver);
    controller->setAutomaticallyChecksForUpdates(true);
    controller->startUpdater();
    controller->checkForUpdates();
    queue_.advance(48h);
    for (int round = 0; round < 20; ++round) QCoreApplication::processEvents();
    EXPECT_FALSE(controller->didStart());
    EXPECT_EQ(server_.requestCount("/CHANGE-ME/appcast.xml"), 0);
    EXPECT_FALSE(defaults_.contains(UpdaterDefaults::lastCheckKey));
}

TEST_F(UpdaterControllerTest, TheUpdatersMemoryLivesInTheSettings) {
    RecordingUserDriver* driver = nullptr;
    const auto controller = makeController(configuredInfo(), driver);
    driver->answer = UpdaterUserDriver::UpdateChoice::skip;
    controller->startUpdater();
    controller->checkForUpdates();
    ASSERT_TRUE(spinUntil(queue_, [&] { return !driver->offers.empty() && !controller->updater()->isBusy(); }));
    EXPECT_EQ(defaults_.string(UpdaterDefaults::skippedVersionKey), "9");
    EXPECT_TRUE(defaults_.contains(UpdaterDefaults::lastCheckKey));
    UpdaterDefaults stored(defaults_);
    ASSERT_TRUE(stored.lastCheck());
    EXPECT_LT(std::chrono::abs(std::chrono::system_clock::now() - *stored.lastCheck()), 1min);
}

// The delegate's side: start-up and the tray's "Check for Updates…".
class UpdaterStartupTest : public UpdaterControllerTest {
protected:
    void launch(UpdaterController::Info info, bool automaticUpdates) {
        defaults_.setBool(PreferencesStore::automaticUpdatesKey, automaticUpdates);
        markFirstRunQuestionsAsked(defaults_);
        AppDelegate::Options options;
        options.enginePort = sim_.port();
        options.queue = &queue_;
        options.defaults = &defaults_;
        options.shortcuts = [this] { return std::make_unique<FakeGlobalShortcuts>(shortcuts_); };
        options.runningCopies = std::make_shared<FakeRunningCopies>();
        options.updater = [this, info](MainQueue&, UserDefaults&) { return makeController(info, driver_); };
        delegate_ = std::make_unique<AppDelegate>(options);
        delegate_->applicationDidFinishLaunching();
        queue_.runPending();
        ASSERT_TRUE(delegate_->isArmed());
    }

    void TearDown() override {
        if (!delegate_) return;
        delegate_->applicationWillTerminate();
        delegate_.reset();
        queue_.runPending();
    }

    void chooseCheckForUpdates() {
        QMenu menu;
        delegate_->statusBar().rebuild(menu);
        for (QAction* action : menu.actions())
            if (action->text() == QStringLiteral("Check for Updates\u2026")) return action->trigger();
        FAIL() << "no Check for Updates… item";
    }

    EngineSimProcess sim_;
    FakeGlobalShortcuts::Log shortcuts_;
    RecordingUserDriver* driver_ = nullptr;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(UpdaterStartupTest, WithAutomaticUpdatesOffTheUpdaterStartsWithoutScheduleAndTheTrayCheckWorks) {
    launch(configuredInfo(), false);
    UpdaterController& updater = delegate_->updater();
    EXPECT_TRUE(updater.didStart());
    EXPECT_FALSE(updater.updater()->automaticallyChecksForUpdates());
    EXPECT_FALSE(updater.updater()->hasScheduledCheck());
    queue_.advance(48h);
    EXPECT_EQ(server_.requestCount("/appcast.xml"), 0);

    driver_->answer = UpdaterUserDriver::UpdateChoice::remindLater;
    chooseCheckForUpdates();
    ASSERT_TRUE(spinUntil(queue_, [&] { return driver_->offers.size() == 1 && !updater.updater()->isBusy(); }));
    EXPECT_EQ(driver_->offers[0].version, "9");

    delegate_->prefs().automaticUpdates.set(true);
    EXPECT_TRUE(updater.updater()->hasScheduledCheck()) << "the setting's observation switches checks on";
}

TEST_F(UpdaterStartupTest, WithAutomaticUpdatesOnTheFirstCheckRunsSoonAfterStart) {
    launch(configuredInfo(), true);
    EXPECT_TRUE(delegate_->updater().updater()->hasScheduledCheck());
    queue_.advance(UpdateCheckScheduler::firstCheckDelay);
    ASSERT_TRUE(spinUntil(queue_, [&] { return driver_->offers.size() == 1; }));
}

TEST_F(UpdaterStartupTest, AnUnconfiguredBuildIgnoresTheTrayCheck) {
    auto info = configuredInfo();
    info.publicEDKey.reset();
    launch(info, true);
    EXPECT_FALSE(delegate_->updater().didStart());
    chooseCheckForUpdates();
    queue_.advance(48h);
    for (int round = 0; round < 20; ++round) QCoreApplication::processEvents();
    EXPECT_EQ(server_.requestCount("/appcast.xml"), 0);
    EXPECT_FALSE(delegate_->updater().didStart());
}

}  // namespace
}  // namespace quillmark::testing
