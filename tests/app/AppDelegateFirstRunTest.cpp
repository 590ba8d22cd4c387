// The first-run questions as arming asks them: which questions a build asks and in what order, the
// one-time flags, where the answers go, and a quit while a question is open. The delegate runs
// offscreen against the real engine stand-in; the dialog is a recording presenter. Each test has its
// own application object, since a quit marks the one it happens in.
#include "EngineSimProcess.h"
#include "FakeGlobalShortcuts.h"
#include "ManualMainQueue.h"
#include "QtSpin.h"
#include "RecordingUserDriver.h"
#include "ScopedEnvironment.h"

#include "app/AppDelegate.h"
#include "app/ApplicationQuit.h"
#include "app/FirstRunQuestion.h"
#include "app/services/CrashReporter.h"
#include "app/services/UpdaterController.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

const std::string kLoginFlag = "Quillmark.didFirstRunSetup.v1";
const std::string kUpdatesFlag = "Quillmark.didAskAutoUpdate.v1";
const std::string kCrashFlag = "Quillmark.didAskCrashReporting.v1";

// What the presenter saw when a question opened.
struct Asked {
    QString title;
    HUDAppearance appearance;
    std::map<std::string, bool> flags;  // the flags stored at that moment
    int connections;                    // connections the engine had seen by then
};

class AppDelegateFirstRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(configHome_.isValid());
        ASSERT_TRUE(sim_.isRunning());
        defaults_.setString(PreferencesStore::hudAppearanceKey, "dark");
    }

    void TearDown() override { endLaunch(); }

    // One launch of the program, up to and through arming.
    void launch() {
        AppDelegate::Options options;
        options.enginePort = sim_.port();
        options.queue = &queue_;
        options.defaults = &defaults_;
        options.shortcuts = [this] { return std::make_unique<FakeGlobalShortcuts>(shortcuts_); };
        options.askQuestion = [this](const QString& title, const QString&, const QString&, const QString&,
                                     HUDAppearance appearance) {
            asked_.push_back({title, appearance, storedFlags(), sim_.connectionCount()});
            if (onAsk) return onAsk(title);
            return answers[title];
        };
        options.updater = [this](MainQueue& queue, UserDefaults& defaults) {
            // A feed that is never fetched: the questions come before any check is due.
            UpdaterController::Info info;
            if (updatesConfigured) info = {"https://updates.invalid/appcast.xml", std::string(43, 'A') + "=", "1"};
            UpdaterController::Parts parts;
            parts.driver = std::make_unique<RecordingUserDriver>();
            return std::make_unique<UpdaterController>(queue, defaults, info, std::move(parts));
        };
        options.crashReporter = &crashReporter_;
        delegate_ = std::make_unique<AppDelegate>(options);
        delegate_->applicationDidFinishLaunching();
        queue_.runPending();  // finishLaunch(), which arms
        ASSERT_TRUE(delegate_->isArmed());
    }

    void endLaunch() {
        if (!delegate_) return;
        delegate_->applicationWillTerminate();
        delegate_.reset();
        queue_.runPending();
    }

    std::map<std::string, bool> storedFlags() const {
        std::map<std::string, bool> flags;
        for (const auto& key : {kLoginFlag, kUpdatesFlag, kCrashFlag})
            if (defaults_.contains(key)) flags[key] = defaults_.boolean(key);
        return flags;
    }

    std::vector<QString> askedTitles() const {
        std::vector<QString> titles;
        for (const auto& asked : asked_) titles.push_back(asked.title);
        return titles;
    }

    // Whether the engine comes to have seen `count` connections in all.
    bool connectionsReach(int count) {
        return spinUntil(queue_, [&] { return sim_.connectionCount() >= count; });
    }

    static QString loginTitle() { return FirstRunQuestion::launchAtLogin().title; }
    static QString updatesTitle() { return FirstRunQuestion::automaticUpdates().title; }
    static QString crashTitle() { return FirstRunQuestion::crashReports().title; }

    // The answers the presenter gives, by title; false for a title not listed.
    std::map<QString, bool> answers;
    // Replaces `answers` when set.
    std::function<bool(const QString& title)> onAsk;
    bool updatesConfigured = true;
    std::optional<std::string> dsn = "https://key@crash.example/1";

    int argc_ = 1;
    char name_[16] = "first-run-test";
    char* argv_[2] = {name_, nullptr};
    QApplication application_{argc_, argv_};
    QTemporaryDir configHome_;
    // The login item writes its autostart entry here.
    ScopedEnvironment xdgConfigHome_{"XDG_CONFIG_HOME", configHome_.path().toUtf8().constData()};
    EngineSimProcess sim_;
    ManualMainQueue queue_;
    MemoryUserDefaults defaults_;
    FakeGlobalShortcuts::Log shortcuts_;
    int crashStarts_ = 0;
    CrashReporter crashReporter_{CrashReporter::Dependencies{
        [this](const std::function<void(SentryOptions&)>&) { ++crashStarts_; }, [] {}, [] {},
        [this](const std::string& key) { return key == "QuillmarkSentryDSN" ? dsn : std::nullopt; }}};
    std::vector<Asked> asked_;
    std::unique_ptr<AppDelegate> delegate_;
};

struct Build {
    const char* name;
    bool updatesConfigured;
    bool hasDSN;
};

class AppDelegateFirstRunBuilds : public AppDelegateFirstRun, public ::testing::WithParamInterface<Build> {};

TEST_P(AppDelegateFirstRunBuilds, AsksEachQuestionOfTheBuildInOrderWithItsFlagWrittenFirstThenConnects) {
    const Build build = GetParam();
    updatesConfigured = build.updatesConfigured;
    if (!build.hasDSN) dsn.reset();
    answers = {{loginTitle(), true}, {updatesTitle(), false}, {crashTitle(), true}};
    launch();

    std::vector<QString> expected{loginTitle()};
    if (build.updatesConfigured) expected.push_back(updatesTitle());
    if (build.hasDSN) expected.push_back(crashTitle());
    EXPECT_EQ(askedTitles(), expected);

    // Each dialog opens with its own flag stored and no later one, before any connection, dark as set.
    std::map<std::string, bool> flagsSoFar;
    for (const auto& asked : asked_) {
        const std::string flag = asked.title == loginTitle()     ? kLoginFlag
                                 : asked.title == updatesTitle() ? kUpdatesFlag
                                                                 : kCrashFlag;
        flagsSoFar[flag] = true;
        EXPECT_EQ(asked.flags, flagsSoFar) << asked.title.toStdString();
        EXPECT_EQ(asked.appearance, HUDAppearance::dark);
        EXPECT_EQ(asked.connections, 0) << asked.title.toStdString();
    }
    EXPECT_EQ(storedFlags(), flagsSoFar) << "a question the build does not ask leaves its flag missing";

    EXPECT_TRUE(delegate_->loginItem().isEnabled.value());
    EXPECT_TRUE(
        std::filesystem::exists(configHome_.filePath("autostart/app.quillmark.Quillmark.desktop").toStdString()));
    // The store writes every setting once as it loads; an answer is a second write.
    EXPECT_EQ(defaults_.writeCount(PreferencesStore::automaticUpdatesKey), build.updatesConfigured ? 2 : 1);
    EXPECT_FALSE(defaults_.boolean(PreferencesStore::automaticUpdatesKey)) << "Not Now is stored as false";
    EXPECT_EQ(defaults_.writeCount(PreferencesStore::crashReportingKey), build.hasDSN ? 2 : 1);
    EXPECT_EQ(delegate_->prefs().crashReporting.value(), build.hasDSN);
    EXPECT_EQ(crashStarts_, build.hasDSN ? 1 : 0) << "started once, not once more by the question itself";
    EXPECT_TRUE(connectionsReach(1));
}

INSTANTIATE_TEST_SUITE_P(Builds, AppDelegateFirstRunBuilds,
                         ::testing::Values(Build{"Configured", true, true}, Build{"WithoutFeed", false, true},
                                           Build{"WithoutDSN", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppDelegateFirstRun, ASecondLaunchAsksNothingAndKeepsTheAnswers) {
    answers = {{loginTitle(), false}, {updatesTitle(), true}, {crashTitle(), false}};
    launch();
    ASSERT_EQ(asked_.size(), 3u);
    ASSERT_TRUE(connectionsReach(1));
    endLaunch();
    asked_.clear();

    launch();
    EXPECT_TRUE(asked_.empty());
    EXPECT_FALSE(delegate_->loginItem().isEnabled.value());
    EXPECT_TRUE(delegate_->prefs().automaticUpdates.value());
    EXPECT_FALSE(delegate_->prefs().crashReporting.value());
    EXPECT_TRUE(connectionsReach(2));
}

TEST_F(AppDelegateFirstRun, AQuitDuringTheFirstQuestionAsksAndWritesNothingMoreAndDoesNotConnect) {
    onAsk = [](const QString&) {
        ApplicationQuit::request();  // a tray Quit, SIGTERM or a newer copy, as the dialog sees it
        return false;                // the dialog's answer when a quit ends it
    };
    launch();

    EXPECT_EQ(askedTitles(), std::vector<QString>{loginTitle()});
    EXPECT_EQ(storedFlags(), (std::map<std::string, bool>{{kLoginFlag, true}}))
        << "the open question is not asked again";
    // Only the store's own write as it loaded: no answer is stored for a question never asked.
    EXPECT_EQ(defaults_.writeCount(PreferencesStore::automaticUpdatesKey), 1);
    EXPECT_EQ(defaults_.writeCount(PreferencesStore::crashReportingKey), 1);
    EXPECT_FALSE(delegate_->loginItem().isEnabled.value());
    EXPECT_EQ(crashStarts_, 0);
    // No connection is coming: a launch that connects does so well within this (see the tests above).
    EXPECT_FALSE(spinUntil(
        queue_, [&] { return sim_.connectionCount() > 0; }, 500ms));
}

}  // namespace
}  // namespace quillmark::testing
