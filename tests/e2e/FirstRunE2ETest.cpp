// A fresh user's first launch of the real program: the first-run questions in their dialog on this
// test's X server, answered from the keyboard or cut short by SIGTERM. The program runs as a copy
// beside its own share/quillmark, whose Info.json carries a crash-reporting data source name, so the
// crash question is asked too; its crash records stay in a state directory of the test's own.
#include "EngineSimProcess.h"
#include "PollUntil.h"
#include "QuillmarkProcess.h"
#include "XTool.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kLoginFlag = "Quillmark.didFirstRunSetup.v1";
constexpr const char* kUpdatesFlag = "Quillmark.didAskAutoUpdate.v1";
constexpr const char* kCrashFlag = "Quillmark.didAskCrashReporting.v1";
constexpr int kDialogWidth = 430;

class FirstRunE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.isRunning());
        const char* binary = std::getenv("QUILLMARK_BINARY_DIR");
        std::string pattern = (fs::path(binary ? binary : ".") / "tests" / "first-run-e2e-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        base_ = pattern;
        fs::create_directories(base_ / "bin");
        fs::create_directories(base_ / "share" / "quillmark");
        std::error_code error;
        fs::create_hard_link(QuillmarkProcess::executablePath(), base_ / "bin" / "quillmark", error);
        if (error) fs::copy_file(QuillmarkProcess::executablePath(), base_ / "bin" / "quillmark");
        // Nothing listens there: the program never gets to send anything in these tests.
        std::ofstream(base_ / "share" / "quillmark" / "Info.json")
            << R"({"CFBundleShortVersionString":"1.0.0","CFBundleVersion":"1",)"
            << R"("QuillmarkSentryDSN":"http://key@127.0.0.1:9/1"})";
    }

    void TearDown() override {
        app_.reset();
        std::error_code error;
        fs::remove_all(base_, error);
    }

    // The program with an empty settings directory, as a fresh user first starts it.
    void launchFresh() {
        QuillmarkProcess::Options options;
        options.enginePort = sim_.port();
        options.executable = (base_ / "bin" / "quillmark").string();
        options.firstRunAsked = false;
        options.environment = {{"XDG_STATE_HOME", (base_ / "state").string()}};
        app_ = std::make_unique<QuillmarkProcess>(std::move(options));
    }

    // The program's open dialog, other than `previous`: a window titled "Quillmark" (the HUD's title
    // starts the same), as wide as the dialog; with `focused`, once it has the keyboard focus. What was
    // last seen goes into `seen_` for the failure message.
    std::optional<std::string> waitForDialog(bool focused, const std::string& previous = {}) {
        std::optional<std::string> found;
        pollUntil(
            [&] {
                const auto focus = XTool::run("xdotool getwindowfocus 2>/dev/null");
                seen_ = "focus " + focus.value_or("none\n");
                for (const auto& window : XTool::visibleWindows(app_->pid())) {
                    const auto name = XTool::run("xdotool getwindowname " + window.id + " 2>/dev/null");
                    seen_ += window.id + " " + std::to_string(window.width) + "x" + std::to_string(window.height) +
                             " " + name.value_or("?\n");
                    if (window.id == previous || window.width != kDialogWidth || name != "Quillmark\n") continue;
                    if (focused && (!focus || focus->substr(0, focus->find('\n')) != window.id)) continue;
                    found = window.id;
                    return true;
                }
                return false;
            },
            30s);
        return found;
    }

    // What the program has logged, and whether it still runs, for failure messages.
    std::string programState() const {
        std::string text = app_->isRunning() ? "running; log:\n" : "ended; log:\n";
        for (const auto& line : app_->logLines()) text += line + "\n";
        return text;
    }

    std::optional<bool> stored(const char* key) const {
        QSettings settings(QString::fromStdString(QuillmarkProcess::settingsPath(app_->configHome())),
                           QSettings::IniFormat);
        if (!settings.contains(QString::fromUtf8(key))) return std::nullopt;
        return settings.value(QString::fromUtf8(key)).toBool();
    }

    bool hasAutostartEntry() const {
        return fs::exists(fs::path(app_->configHome()) / "autostart" / "app.quillmark.Quillmark.desktop");
    }

    EngineSimProcess sim_;
    fs::path base_;
    std::unique_ptr<QuillmarkProcess> app_;
    std::string seen_;
};

TEST_F(FirstRunE2E, SigtermWhileTheFirstQuestionIsOpenEndsTheProgramWithNothingMoreAskedWrittenOrConnected) {
    launchFresh();
    const auto dialog = waitForDialog(false);
    ASSERT_TRUE(dialog.has_value()) << "the launch-at-login question did not show; last seen:\n"
                                    << seen_ << programState();
    EXPECT_EQ(stored(kLoginFlag), true) << "its flag is written before it opens";
    EXPECT_EQ(sim_.connectionCount(), 0) << "no connection while a question is open";

    const auto start = Clock::now();
    EXPECT_EQ(app_->terminate(5s), 0);
    EXPECT_LT(Clock::now() - start, 5s);

    EXPECT_EQ(stored(kLoginFlag), true) << "the open question is not asked again";
    EXPECT_EQ(stored(kUpdatesFlag), std::nullopt);
    EXPECT_EQ(stored(kCrashFlag), std::nullopt);
    EXPECT_FALSE(hasAutostartEntry());
    EXPECT_EQ(sim_.connectionCount(), 0) << "the program ended without connecting";
}

TEST_F(FirstRunE2E, KeyboardAnswersGoIntoTheLoginItemAndTheSettingsAndThenTheProgramConnects) {
    launchFresh();
    const auto login = waitForDialog(true);
    ASSERT_TRUE(login.has_value()) << "the launch-at-login question did not show; last seen:\n"
                                   << seen_ << programState();
    ASSERT_TRUE(XTool::key("Return"));  // "Launch at Login"

    // This build has no update feed, so the crash question comes next.
    const auto crash = waitForDialog(true, *login);
    ASSERT_TRUE(crash.has_value()) << "the crash-reports question did not show; last seen:\n"
                                   << seen_ << programState();
    EXPECT_TRUE(hasAutostartEntry());
    EXPECT_EQ(stored(kCrashFlag), true);
    EXPECT_EQ(sim_.connectionCount(), 0) << "no connection before the last answer";
    ASSERT_TRUE(XTool::key("Return"));  // "Send Crash Reports"

    EXPECT_TRUE(sim_.waitForRequest("subscribe /TalkbackOn", 30s)) << "connected and subscribed after the answers";
    EXPECT_EQ(stored("Quillmark.crashReporting"), true);
    EXPECT_EQ(stored(kUpdatesFlag), std::nullopt) << "a build without a feed does not ask about updates";
    EXPECT_EQ(app_->terminate(), 0);
}

}  // namespace
}  // namespace quillmark::testing
