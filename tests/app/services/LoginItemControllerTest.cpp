#include "app/services/LoginItemController.h"

#include "ScopedEnvironment.h"
#include "platform/autostart/XdgLoginItemService.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillmark {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "/opt/quillmark/bin/quillmark";

using testing::ScopedEnvironment;

class LoginItemControllerTest : public ::testing::Test {
protected:
    std::string configHome() const { return dir.path().toStdString(); }
    std::string autostart() const { return configHome() + "/autostart"; }
    std::string entryPath() const { return autostart() + "/app.quillmark.Quillmark.desktop"; }

    std::unique_ptr<LoginItemController> controller() const {
        return std::make_unique<LoginItemController>(std::make_unique<XdgLoginItemService>(kProgram, configHome()));
    }
    // Records every publication of both values, in order, from now on.
    void record(LoginItemController& controller) {
        tokens.push_back(controller.lastError.observe(
            [this](const std::optional<std::string>& error) {
                published.push_back("lastError " + error.value_or("-"));
            },
            Published<std::optional<std::string>>::Initial::skip));
        tokens.push_back(controller.isEnabled.observe(
            [this](bool enabled) { published.push_back(enabled ? "isEnabled true" : "isEnabled false"); },
            Published<bool>::Initial::skip));
    }
    void writeEntry(const std::string& text) const {
        fs::create_directories(autostart());
        std::ofstream(entryPath()) << text;
    }
    static std::string entryFor(const std::string& program, const std::string& extra = "") {
        return "[Desktop Entry]\nType=Application\nName=Quillmark\nExec=" + program + "\n" + extra;
    }

    QTemporaryDir dir;
    // No test reads or writes the real settings directory.
    ScopedEnvironment configEnvironment{"XDG_CONFIG_HOME", dir.path().toStdString().c_str()};
    std::vector<ObservationToken> tokens;
    std::vector<std::string> published;
};

TEST_F(LoginItemControllerTest, ConstructionReadsWhatTheDesktopWillDo) {
    const struct {
        std::optional<std::string> entry;
        bool enabled;
    } cases[] = {
        {std::nullopt, false},
        {entryFor(kProgram), true},
        {entryFor(kProgram, "Hidden=true\n"), false},
        {entryFor(kProgram, "X-GNOME-Autostart-enabled=false\n"), false},
        {entryFor("/usr/bin/another-program"), false},
        {std::string("\x01\x02[Desktop"), false},
    };
    for (const auto& c : cases) {
        fs::remove_all(autostart());
        if (c.entry) writeEntry(*c.entry);
        const auto login = controller();
        EXPECT_EQ(login->isEnabled(), c.enabled) << c.entry.value_or("no entry");
        EXPECT_EQ(login->lastError(), std::nullopt);
    }
}

TEST_F(LoginItemControllerTest, EverySetEnabledPublishesTheErrorThenTheStateChangedOrNot) {
    const auto login = controller();
    record(*login);
    login->setEnabled(true);
    EXPECT_TRUE(fs::exists(entryPath()));
    login->setEnabled(true);
    login->setEnabled(false);
    EXPECT_FALSE(fs::exists(entryPath()));
    login->setEnabled(false);
    EXPECT_EQ(published,
              (std::vector<std::string>{"lastError -", "isEnabled true", "lastError -", "isEnabled true", "lastError -",
                                        "isEnabled false", "lastError -", "isEnabled false"}));
}

TEST_F(LoginItemControllerTest, AnEntrySwitchedOffOrForAnotherProgramIsReplacedOnEnable) {
    for (const auto& entry :
         {entryFor(kProgram, "Hidden=true\n"), entryFor(kProgram, "X-GNOME-Autostart-enabled=false\n"),
          entryFor("/usr/bin/another-program")}) {
        writeEntry(entry);
        const auto login = controller();
        ASSERT_FALSE(login->isEnabled()) << entry;
        login->setEnabled(true);
        EXPECT_TRUE(login->isEnabled()) << entry;
        EXPECT_EQ(login->lastError(), std::nullopt);

        writeEntry(entry);
        login->setEnabled(false);
        EXPECT_FALSE(fs::exists(entryPath())) << entry;
    }
}

// A regular file where the autostart directory should be: writes fail for root as well.
TEST_F(LoginItemControllerTest, AFailureGivesTheSystemsTextAndTheNextSuccessClearsIt) {
    std::ofstream(autostart()) << "in the way";
    const auto login = controller();
    record(*login);
    login->setEnabled(true);
    EXPECT_EQ(login->lastError(), std::strerror(ENOTDIR));
    EXPECT_FALSE(login->isEnabled());
    login->setEnabled(false);
    EXPECT_EQ(login->lastError(), std::strerror(ENOTDIR));

    fs::remove(autostart());
    login->setEnabled(true);
    EXPECT_EQ(login->lastError(), std::nullopt);
    EXPECT_TRUE(login->isEnabled());
    const std::string notDirectory = std::string("lastError ") + std::strerror(ENOTDIR);
    EXPECT_EQ(published, (std::vector<std::string>{notDirectory, "isEnabled false", notDirectory, "isEnabled false",
                                                   "lastError -", "isEnabled true"}));
}

// After a failed write isEnabled is what the entry on disk says, not what was asked for.
TEST_F(LoginItemControllerTest, AfterAFailureIsEnabledFollowsTheFile) {
    for (const bool switchedOff : {true, false}) {
        writeEntry(entryFor(kProgram, switchedOff ? "Hidden=true\n" : ""));
        const auto login = controller();
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = saved;
        none.rlim_cur = 0;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
        login->setEnabled(true);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(login->lastError(), std::strerror(EFBIG));
        EXPECT_EQ(login->isEnabled(), !switchedOff);
    }
}

TEST_F(LoginItemControllerTest, AReadOnlyDirectoryKeepsTheEntryAndSaysWhy) {
    if (geteuid() == 0) GTEST_SKIP() << "file modes do not stop root; the tests above cover it";
    writeEntry(entryFor(kProgram));
    fs::permissions(autostart(), fs::perms::owner_read | fs::perms::owner_exec);
    const auto login = controller();
    login->setEnabled(false);
    fs::permissions(autostart(), fs::perms::owner_all);
    EXPECT_EQ(login->lastError(), std::strerror(EACCES));
    EXPECT_TRUE(login->isEnabled());
}

TEST_F(LoginItemControllerTest, RefreshPublishesWhatChangedOutside) {
    const auto login = controller();
    login->setEnabled(true);
    record(*login);
    fs::remove(entryPath());
    login->refresh();
    EXPECT_FALSE(login->isEnabled());
    login->refresh();
    writeEntry(entryFor(kProgram));
    login->refresh();
    EXPECT_EQ(published, (std::vector<std::string>{"isEnabled false", "isEnabled false", "isEnabled true"}));
}

TEST_F(LoginItemControllerTest, TheDefaultControllerWritesThisProgramsEntryUnderXdgConfigHome) {
    // Run from an AppImage: this executable lies inside $APPDIR and $APPIMAGE names the file.
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string image = dir.path().toStdString() + "/Quill Mark/Quillmark $1.AppImage";
    fs::create_directories(fs::path(image).parent_path());
    std::ofstream(image) << "an AppImage";
    ScopedEnvironment appImage("APPIMAGE", image.c_str());
    ScopedEnvironment appDir("APPDIR", fs::path(self).parent_path().c_str());
    LoginItemController login;
    EXPECT_FALSE(login.isEnabled());
    login.setEnabled(true);
    EXPECT_TRUE(login.isEnabled());
    std::ostringstream text;
    text << std::ifstream(entryPath()).rdbuf();
    EXPECT_NE(text.str().find("\nExec=\"" + dir.path().toStdString() + "/Quill Mark/Quillmark \\\\$1.AppImage\"\n"),
              std::string::npos)
        << text.str();
}

// $APPIMAGE inherited from another AppImage-packaged program (the terminal that started this one)
// never becomes the entry's program.
TEST_F(LoginItemControllerTest, AnInheritedAppImageIsNotThisProgram) {
    ScopedEnvironment appImage("APPIMAGE", "/bin/sh");
    ScopedEnvironment appDir("APPDIR", "/tmp/.mount_Other");
    LoginItemController login;
    login.setEnabled(true);
    EXPECT_TRUE(login.isEnabled());
    std::ostringstream text;
    text << std::ifstream(entryPath()).rdbuf();
    EXPECT_NE(text.str().find("\nExec=" + fs::canonical("/proc/self/exe").string() + "\n"), std::string::npos)
        << text.str();
}

}  // namespace
}  // namespace quillmark
