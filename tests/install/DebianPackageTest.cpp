// scripts/package makes a .deb of this build tree: what dpkg-deb says of it, what it holds, and that its
// program is stripped.
#include "InstalledTree.h"
#include "ShellCommand.h"

#include "platform/autostart/DesktopIdentity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;

class DebianPackage : public ::testing::Test {
protected:
    // One package for every case: making it takes a while.
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "quillmark-package-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return;
        temporary_ = pattern;
        made_ = ShellCommand::run({(InstalledTree::sourceDirectory() / "scripts/package").string(), "--from",
                                   InstalledTree::buildDirectory().string(), (temporary_ / "out").string()});
        std::istringstream lines(made_.output);
        for (std::string line; std::getline(lines, line);) deb_ = line;  // the path is the last line
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        if (!temporary_.empty()) fs::remove_all(temporary_, ignored);
    }

    void SetUp() override {
        ASSERT_EQ(made_.exitCode, 0) << made_.output;
        ASSERT_TRUE(fs::is_regular_file(deb_)) << made_.output;
    }

    // The value of a control field, as `dpkg-deb --field` prints it.
    static std::string field(const std::string& name) {
        auto value = ShellCommand::run({"dpkg-deb", "--field", deb_, name}).output;
        while (!value.empty() && value.back() == '\n') value.pop_back();
        return value;
    }

    static std::vector<std::string> packagesOf(const std::string& relation) {
        std::vector<std::string> names;
        std::istringstream items(relation);
        for (std::string item; std::getline(items, item, ',');) {
            std::istringstream words(item);
            std::string name;
            words >> name;
            names.push_back(name);
        }
        return names;
    }

    static inline fs::path temporary_;
    static inline ShellCommand::Result made_;
    static inline std::string deb_;
};

TEST_F(DebianPackage, NamesItselfAndTheLibrariesItNeedsAtRunTime) {
    const auto info = ShellCommand::run({"dpkg-deb", "--info", deb_});
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(field("Package"), "quillmark");
    EXPECT_EQ(field("Version"), QUILLMARK_PROJECT_VERSION);
    EXPECT_EQ(field("Section"), "sound");
    EXPECT_FALSE(field("Maintainer").empty());
    EXPECT_FALSE(field("Description").empty());
    const auto depends = packagesOf(field("Depends"));
    for (const char* package : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6network6", "libsodium23",
                                "libxcb1", "libxcb-keysyms1", "libxcb-xkb1", "libssl3"}) {
        EXPECT_NE(std::find(depends.begin(), depends.end(), package), depends.end()) << package;
        EXPECT_NE(info.output.find(package), std::string::npos) << package;
    }
    const auto recommends = packagesOf(field("Recommends"));
    EXPECT_NE(std::find(recommends.begin(), recommends.end(), "xdg-utils"), recommends.end());
}

TEST_F(DebianPackage, HoldsTheInstallBelowUsrWithAStrippedProgram) {
    const fs::path root = temporary_ / "root";
    ASSERT_EQ(ShellCommand::run({"dpkg-deb", "-x", deb_, root.string()}).exitCode, 0);
    const std::string id(DesktopIdentity::desktopId);
    for (const std::string& file : std::vector<std::string>{
             "usr/bin/quillmark", "usr/share/quillmark/Info.json",
             "usr/share/quillmark/Quillmark_Quillmark.bundle/JetBrainsMono-Regular.ttf",
             "usr/share/applications/" + id + ".desktop", "usr/share/metainfo/" + id + ".metainfo.xml",
             "usr/share/icons/hicolor/scalable/apps/" + id + ".svg",
             "usr/share/icons/hicolor/48x48/apps/" + id + ".png", "usr/share/doc/quillmark/copyright"})
        EXPECT_TRUE(fs::is_regular_file(root / file)) << file;
    const auto type = ShellCommand::run({"file", "--brief", (root / "usr/bin/quillmark").string()});
    EXPECT_NE(type.output.find("ELF"), std::string::npos) << type.output;
    EXPECT_NE(type.output.find(", stripped"), std::string::npos) << type.output;
}

}  // namespace
}  // namespace quillmark::testing
