// How an update is installed: the AppImage is replaced only when this process runs from it; any other
// copy, an $APPIMAGE merely inherited included, hands the package to the desktop.
#include "platform/updater/UpdateInstaller.h"

#include "ScopedEnvironment.h"
#include "platform/processes/ProgramIdentity.h"
#include "platform/updater/AppImageInstaller.h"
#include "platform/updater/DesktopPackageInstaller.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;

class UpdateInstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        std::ofstream(image_) << "an AppImage";
    }

    // The AppImage the installer would replace; nothing for the package hand-off.
    static std::optional<std::string> replaced(const std::unique_ptr<UpdateInstaller>& installer) {
        if (const auto* appImage = dynamic_cast<const AppImageInstaller*>(installer.get()))
            return appImage->appImagePath().toStdString();
        EXPECT_NE(dynamic_cast<const DesktopPackageInstaller*>(installer.get()), nullptr);
        return std::nullopt;
    }
    static UpdateInstaller::OpenUrl openUrl() {
        return [](const QUrl&) { return true; };
    }
    static ProgramIdentity::Environment environmentOf(std::map<std::string, std::string> variables) {
        return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
            const auto found = variables.find(name);
            return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
        };
    }

    QTemporaryDir dir_;
    const std::string image_ = dir_.filePath("Quillmark-x86_64.AppImage").toStdString();
};

TEST_F(UpdateInstallerTest, TheAppImageIsReplacedOnlyWhenTheProgramRunsFromIt) {
    const std::string mount = dir_.filePath("mount").toStdString();
    const std::string executable = mount + "/usr/bin/quillmark";
    const struct {
        const char* name;
        std::map<std::string, std::string> environment;
        bool replacesImage;
    } cases[] = {
        {"installed", {}, false},
        {"APPIMAGE inherited alone", {{"APPIMAGE", image_}}, false},
        {"APPIMAGE inherited with another program's APPDIR",
         {{"APPIMAGE", image_}, {"APPDIR", "/tmp/.mount_Other"}},
         false},
        {"APPIMAGE that names no file", {{"APPIMAGE", image_ + ".gone"}, {"APPDIR", mount}}, false},
        {"run from the AppImage", {{"APPIMAGE", image_}, {"APPDIR", mount}}, true},
    };
    for (const auto& c : cases) {
        const auto installer =
            UpdateInstaller::forProgram(ProgramIdentity::of(executable, environmentOf(c.environment)), openUrl());
        EXPECT_EQ(replaced(installer), c.replacesImage ? std::optional<std::string>(image_) : std::nullopt) << c.name;
    }
}

TEST_F(UpdateInstallerTest, ThisProcessHandsThePackageOnUnlessItRunsFromTheAppImage) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    ScopedEnvironment image("APPIMAGE", image_.c_str());
    {
        ScopedEnvironment appDir("APPDIR", nullptr);
        EXPECT_EQ(replaced(UpdateInstaller::forThisProcess(openUrl())), std::nullopt);
    }
    {
        ScopedEnvironment appDir("APPDIR", dir_.path().toLocal8Bit().constData());
        EXPECT_EQ(replaced(UpdateInstaller::forThisProcess(openUrl())), std::nullopt);
    }
    ScopedEnvironment appDir("APPDIR", fs::path(self).parent_path().c_str());
    EXPECT_EQ(replaced(UpdateInstaller::forThisProcess(openUrl())), image_);
}

}  // namespace
}  // namespace quillmark::testing
