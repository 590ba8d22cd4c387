// Who the program is: run from an AppImage only when $APPIMAGE names an existing file and the
// executable lies inside $APPDIR; otherwise the variables, inherited from some AppImage, are ignored.
#include "platform/processes/ProgramIdentity.h"

#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;

ProgramIdentity::Environment environmentOf(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
}

class ProgramIdentityTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root_ / "mount" / "usr" / "bin");
        std::ofstream(image_) << "an AppImage";
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(root_, error);
    }

    const fs::path root_ = fs::temp_directory_path() / ("quillmark-program-" + std::to_string(::getpid()));
    const std::string image_ = (root_ / "Quillmark-x86_64.AppImage").string();
    const std::string mount_ = (root_ / "mount").string();
    const std::string executable_ = (root_ / "mount" / "usr" / "bin" / "quillmark").string();
};

TEST_F(ProgramIdentityTest, RunFromAnAppImageOnlyWhenAPPIMAGEIsAFileAndTheExecutableLiesInsideAPPDIR) {
    const struct {
        const char* name;
        std::map<std::string, std::string> environment;
        bool fromAppImage;
    } cases[] = {
        {"no variables", {}, false},
        {"APPIMAGE alone", {{"APPIMAGE", image_}}, false},
        {"APPDIR alone", {{"APPDIR", mount_}}, false},
        {"both", {{"APPIMAGE", image_}, {"APPDIR", mount_}}, true},
        {"APPDIR written with a trailing slash", {{"APPIMAGE", image_}, {"APPDIR", mount_ + "/"}}, true},
        {"APPDIR further up", {{"APPIMAGE", image_}, {"APPDIR", (root_).string()}}, true},
        {"an APPIMAGE that does not exist", {{"APPIMAGE", image_ + ".gone"}, {"APPDIR", mount_}}, false},
        {"an APPIMAGE that is a directory", {{"APPIMAGE", mount_}, {"APPDIR", mount_}}, false},
        {"a relative APPIMAGE", {{"APPIMAGE", "Quillmark-x86_64.AppImage"}, {"APPDIR", mount_}}, false},
        {"an APPDIR elsewhere (inherited)", {{"APPIMAGE", image_}, {"APPDIR", "/tmp/.mount_Other"}}, false},
        {"an APPDIR that only starts like ours", {{"APPIMAGE", image_}, {"APPDIR", mount_ + "/usr/bi"}}, false},
        {"the executable as APPDIR", {{"APPIMAGE", image_}, {"APPDIR", executable_}}, false},
        {"the root as APPDIR", {{"APPIMAGE", image_}, {"APPDIR", "/"}}, false},
    };
    for (const auto& c : cases) {
        const auto identity = ProgramIdentity::of(executable_, environmentOf(c.environment));
        EXPECT_EQ(identity.executable(), executable_) << c.name;
        EXPECT_EQ(identity.runsFromAppImage(), c.fromAppImage) << c.name;
        EXPECT_EQ(identity.program(), c.fromAppImage ? image_ : executable_) << c.name;
    }
    const auto identity = ProgramIdentity::of(executable_, environmentOf({{"APPIMAGE", image_}, {"APPDIR", mount_}}));
    ASSERT_TRUE(identity.appImage());
    EXPECT_EQ(identity.appImage()->appDir, mount_);
    EXPECT_EQ(identity.appImage()->innerPath, "usr/bin/quillmark");
}

TEST_F(ProgramIdentityTest, AnotherProcessRunsThisProgramByItsExecutableOrAsACopyOfOurAppImage) {
    const auto fromImage = ProgramIdentity::of(executable_, environmentOf({{"APPIMAGE", image_}, {"APPDIR", mount_}}));
    const auto installed = ProgramIdentity::installed("/usr/bin/quillmark");
    const std::map<std::string, std::string> ourImage{{"APPIMAGE", image_}, {"APPDIR", "/tmp/.mount_Quill2"}};
    const struct {
        const char* name;
        const ProgramIdentity& self;
        std::string executable;
        std::map<std::string, std::string> environment;
        bool runs;
    } cases[] = {
        {"our executable", installed, "/usr/bin/quillmark", {}, true},
        {"our executable with inherited variables", installed, "/usr/bin/quillmark", ourImage, true},
        {"another executable", installed, "/usr/bin/sleep", {}, false},
        {"a stranger with our APPIMAGE, installed", installed, "/usr/bin/sleep", ourImage, false},
        {"a copy in another mount", fromImage, "/tmp/.mount_Quill2/usr/bin/quillmark", ourImage, true},
        {"a stranger with our APPIMAGE", fromImage, "/usr/bin/sleep", ourImage, false},
        {"a stranger with our APPIMAGE and APPDIR elsewhere", fromImage, "/usr/bin/quillmark", ourImage, false},
        {"at another path in its mount", fromImage, "/tmp/.mount_Quill2/usr/bin/other", ourImage, false},
        {"another AppImage",
         fromImage,
         "/tmp/.mount_Quill2/usr/bin/quillmark",
         {{"APPIMAGE", "/tmp/x/Other-Editor.AppImage"}, {"APPDIR", "/tmp/.mount_Quill2"}},
         false},
        {"no APPDIR", fromImage, "/tmp/.mount_Quill2/usr/bin/quillmark", {{"APPIMAGE", image_}}, false},
        {"the runtime", fromImage, image_, ourImage, false},
        {"our own mount's executable", fromImage, executable_, {}, true},
        {"an unreadable executable", fromImage, "", ourImage, false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.self.isRunBy(c.executable, environmentOf(c.environment)), c.runs) << c.name;
}

TEST_F(ProgramIdentityTest, ThisProcessIgnoresAnAppImageItDoesNotRunFrom) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    ScopedEnvironment image("APPIMAGE", image_.c_str());
    {
        ScopedEnvironment appDir("APPDIR", nullptr);
        EXPECT_EQ(ProgramIdentity::thisProcess().program(), self);
    }
    {
        ScopedEnvironment appDir("APPDIR", mount_.c_str());
        EXPECT_EQ(ProgramIdentity::thisProcess().program(), self);
    }
    ScopedEnvironment appDir("APPDIR", fs::path(self).parent_path().c_str());
    const auto identity = ProgramIdentity::thisProcess();
    EXPECT_EQ(identity.program(), image_);
    EXPECT_EQ(identity.executable(), self);
}

}  // namespace
}  // namespace quillmark::testing
