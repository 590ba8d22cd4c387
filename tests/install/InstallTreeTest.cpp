// What `cmake --install` puts under a prefix: the program, its files, and what the desktop reads to list
// it, all named by the one desktop id; the desktop's validators accept them; no place of the build
// machine is left in the program.
#include "InstalledTree.h"
#include "ShellCommand.h"

#include "app/status/AppIcon.h"
#include "platform/autostart/DesktopIdentity.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string id() { return std::string(DesktopIdentity::desktopId); }

// The runs of at least four printable characters, as `strings` shows them.
std::vector<std::string> printableRuns(const std::string& bytes) {
    std::vector<std::string> runs;
    std::string run;
    for (const char c : bytes) {
        if (c >= 0x20 && c < 0x7f) {
            run += c;
            continue;
        }
        if (run.size() >= 4) runs.push_back(run);
        run.clear();
    }
    if (run.size() >= 4) runs.push_back(run);
    return runs;
}

bool namesASourceFile(const std::string& text) {
    for (const char* ext : {".cpp", ".h", ".hpp", ".ipp", ".c"}) {
        const std::string suffix = ext;
        if (text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0)
            return true;
    }
    return false;
}

class InstallTree : public ::testing::Test {
protected:
    // One install for every case: stripping the program takes a while.
    static void SetUpTestSuite() { installed_ = std::make_unique<InstalledTree>(); }
    static void TearDownTestSuite() { installed_.reset(); }
    void SetUp() override { ASSERT_TRUE(tree_.ok()) << tree_.output(); }

    fs::path desktopEntry() const { return tree_.prefix() / "share/applications" / (id() + ".desktop"); }
    fs::path metainfo() const { return tree_.prefix() / "share/metainfo" / (id() + ".metainfo.xml"); }

    static std::string keyOf(const std::string& entry, const std::string& key) {
        std::istringstream lines(entry);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
        return {};
    }

    static inline std::unique_ptr<InstalledTree> installed_;
    const InstalledTree& tree_ = *installed_;
};

TEST_F(InstallTree, HoldsTheProgramItsFilesAndTheLicence) {
    const fs::path prefix = tree_.prefix();
    EXPECT_TRUE(fs::is_regular_file(prefix / "bin/quillmark"));
    EXPECT_EQ(fs::status(prefix / "bin/quillmark").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    for (const char* file :
         {"Info.json", "NOTICES.txt", "Quillmark User Guide.pdf", "Quillmark Developers License.pdf",
          "Quillmark_Quillmark.bundle/JetBrainsMono-Regular.ttf", "Quillmark_Quillmark.bundle/IBMPlexSans-Regular.ttf",
          "Quillmark_Quillmark.bundle/Quillmark_Lockup_Dark.png"})
        EXPECT_TRUE(fs::is_regular_file(prefix / "share/quillmark" / file)) << file;
    const std::string licence = readFile(prefix / "share/doc/quillmark/copyright");
    EXPECT_EQ(licence, readFile(InstalledTree::sourceDirectory() / "LICENSE"));
    EXPECT_NE(licence.find("MIT License"), std::string::npos);
}

TEST_F(InstallTree, TheDesktopEntryIconAndMetainfoShareTheProgramsDesktopId) {
    const std::string entry = readFile(desktopEntry());
    ASSERT_FALSE(entry.empty()) << desktopEntry();
    EXPECT_EQ(keyOf(entry, "Name"), DesktopIdentity::name);
    EXPECT_EQ(keyOf(entry, "Comment"), DesktopIdentity::comment);
    EXPECT_EQ(keyOf(entry, "Icon"), DesktopIdentity::icon);
    EXPECT_EQ(keyOf(entry, "Exec"), "quillmark");  // found on PATH wherever the prefix is

    const fs::path icons = tree_.prefix() / "share/icons/hicolor";
    for (const int size : AppIcon::sizes) {
        const std::string dir = std::to_string(size) + "x" + std::to_string(size);
        const QImage image(
            QString::fromStdString((icons / dir / "apps" / (std::string(DesktopIdentity::icon) + ".png"))));
        EXPECT_EQ(image.width(), size) << dir;
        EXPECT_EQ(image.height(), size) << dir;
    }
    const std::string svg = readFile(icons / "scalable/apps" / (std::string(DesktopIdentity::icon) + ".svg"));
    EXPECT_EQ(svg, AppIcon::svg().toStdString());

    const std::string xml = readFile(metainfo());
    EXPECT_NE(xml.find("<id>" + id() + "</id>"), std::string::npos);
    EXPECT_NE(xml.find("<launchable type=\"desktop-id\">" + id() + ".desktop</launchable>"), std::string::npos);
    EXPECT_NE(xml.find("<release version=\"" QUILLMARK_PROJECT_VERSION "\""), std::string::npos);
    EXPECT_NE(xml.find("<project_license>MIT</project_license>"), std::string::npos);
}

TEST_F(InstallTree, TheDesktopValidatorsAcceptTheEntryAndTheMetainfo) {
    const auto entry = ShellCommand::run({"desktop-file-validate", desktopEntry().string()});
    EXPECT_EQ(entry.exitCode, 0) << entry.output;
    EXPECT_EQ(entry.output, "");  // not even a hint
    const auto metainfo = ShellCommand::run({"appstreamcli", "validate", "--no-net", this->metainfo().string()});
    EXPECT_EQ(metainfo.exitCode, 0) << metainfo.output;
}

// A sanitizer build records the source file of its checks, generated ones in the build tree included;
// anything else naming the source or build tree (a directory to look in, say) is a place of this machine
// that an installed copy must not depend on.
TEST_F(InstallTree, TheInstalledProgramNamesNoPlaceOfTheBuildMachine) {
    const std::string bytes = readFile(tree_.prefix() / "bin/quillmark");
    ASSERT_GT(bytes.size(), 1000u);
    const std::string source = fs::canonical(InstalledTree::sourceDirectory()).string();
    const std::string build = fs::canonical(InstalledTree::buildDirectory()).string();
    int sourceFiles = 0;
    for (const std::string& run : printableRuns(bytes)) {
        for (const std::string& place : {source, build}) {
            if (run.find(place) == std::string::npos) continue;
            EXPECT_TRUE(QUILLMARK_SANITIZED && namesASourceFile(run)) << run;
            ++sourceFiles;
        }
    }
    if (!QUILLMARK_SANITIZED) EXPECT_EQ(sourceFiles, 0);
}

}  // namespace
}  // namespace quillmark::testing
