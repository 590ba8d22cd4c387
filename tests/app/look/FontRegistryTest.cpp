#include "app/look/FontRegistry.h"

#include "app/look/HUDFonts.h"
#include "log/SystemLog.h"

#include "TestApplication.h"

#include <QGuiApplication>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmark {
namespace {

class FontRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { testing::testApplication<QGuiApplication>(); }

    // A bundle directory holding copies of the named files of the build's bundle, plus extra files.
    ResourceBundle bundleWith(const QStringList& files, const std::vector<std::pair<QString, QByteArray>>& extra = {}) {
        const ResourceBundle& built = ResourceBundle::quillmarkResources();
        for (const QString& file : files)
            EXPECT_TRUE(QFile::copy(QDir(built.directory()).filePath(file), dir.filePath(file))) << file.toStdString();
        for (const auto& [name, bytes] : extra) {
            QFile out(dir.filePath(name));
            EXPECT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        }
        return ResourceBundle(dir.path());
    }

    std::vector<std::string> lines;
    SystemLog::Capture capture{[this](std::string_view line) { lines.emplace_back(line); }};
    QTemporaryDir dir;
};

TEST_F(FontRegistryTest, TheBuiltBundleResolvesPostScriptNamesAndLacksOnlyTheDisplayFace) {
    FontRegistry fonts(ResourceBundle::quillmarkResources());
    fonts.ensureRegistered();
    EXPECT_EQ(lines, (std::vector<std::string>{"Quillmark: bundled font IsolationGrotesque-Regular.otf not found"}));
    EXPECT_FALSE(fonts.name(FontRegistry::display));
    EXPECT_EQ(fonts.name(FontRegistry::body), "IBMPlexSans-Regular");
    EXPECT_EQ(fonts.name(FontRegistry::monoRegular), "JetBrainsMono-Regular");
    EXPECT_EQ(fonts.name(FontRegistry::monoMedium), "JetBrainsMono-Medium");

    fonts.ensureRegistered();  // once per registry: nothing more is logged
    EXPECT_EQ(lines.size(), 1u);

    const QFont medium = fonts.mono(16, true);
    EXPECT_EQ(QFontInfo(medium).family(), "JetBrains Mono");
    EXPECT_EQ(QFontInfo(medium).styleName(), "Medium");
    EXPECT_EQ(medium.pointSizeF(), 16);
    EXPECT_EQ(QFontInfo(fonts.mono(11, false)).styleName(), "Regular");
    EXPECT_EQ(fonts.displayFont(12).family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    EXPECT_EQ(fonts.displayFont(12).weight(), QFont::Normal);
    EXPECT_EQ(fonts.displayFont(12).pointSizeF(), 12);
    ASSERT_TRUE(FontRegistry::named("IBMPlexSans-Regular", 13));
    EXPECT_EQ(QFontInfo(*FontRegistry::named("IBMPlexSans-Regular", 13)).family(), "IBM Plex Sans");
    EXPECT_FALSE(FontRegistry::named("IsolationGrotesque-Regular", 13));
}

TEST_F(FontRegistryTest, MissingMediumFileFallsBackToTheRegularFace) {
    FontRegistry fonts(bundleWith({"JetBrainsMono-Regular.ttf", "IBMPlexSans-Regular.ttf"}));
    fonts.ensureRegistered();
    EXPECT_EQ(lines, (std::vector<std::string>{"Quillmark: bundled font IsolationGrotesque-Regular.otf not found",
                                               "Quillmark: bundled font JetBrainsMono-Medium.ttf not found"}));
    EXPECT_FALSE(fonts.name(FontRegistry::monoMedium));
    const QFont font = fonts.mono(14, true);
    EXPECT_EQ(QFontInfo(font).family(), "JetBrains Mono");
    EXPECT_EQ(QFontInfo(font).styleName(), "Regular");
    EXPECT_EQ(font.pointSizeF(), 14);
}

TEST_F(FontRegistryTest, NoFilesGiveFourLinesAndSystemFonts) {
    FontRegistry fonts(ResourceBundle(dir.path()));
    fonts.ensureRegistered();
    ASSERT_EQ(lines.size(), 4u);
    for (const std::string& line : lines) EXPECT_TRUE(line.ends_with(" not found")) << line;
    EXPECT_EQ(lines[1], "Quillmark: bundled font IBMPlexSans-Regular.ttf not found");
    const QFont mono = fonts.mono(12, true);
    EXPECT_EQ(mono.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(mono.weight(), QFont::Medium);
    EXPECT_EQ(fonts.mono(12, false).weight(), QFont::Normal);
    EXPECT_EQ(fonts.displayFont(9).family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
}

TEST_F(FontRegistryTest, ARefusedFileStillResolvesAFaceThatIsAvailable) {
    FontRegistry earlier(ResourceBundle::quillmarkResources());
    earlier.ensureRegistered();  // the real faces are registered in this process already
    lines.clear();
    FontRegistry fonts(bundleWith({}, {{"JetBrainsMono-Regular.ttf", "not a font"},
                                       {"IBMPlexSans-Regular.ttf", QByteArray(64, '\0')},
                                       {"IsolationGrotesque-Regular.otf", "OTTO truncated"}}));
    fonts.ensureRegistered();
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "Quillmark: font register for IsolationGrotesque-Regular returned unknown — attempting name resolve",
                  "Quillmark: IsolationGrotesque-Regular registered but no usable PostScript / family name resolved",
                  "Quillmark: font register for IBMPlexSans-Regular returned unknown — attempting name resolve",
                  "Quillmark: font register for JetBrainsMono-Regular returned unknown — attempting name resolve",
                  "Quillmark: bundled font JetBrainsMono-Medium.ttf not found",
              }));
    EXPECT_EQ(fonts.name(FontRegistry::body), "IBMPlexSans-Regular");
    EXPECT_EQ(fonts.name(FontRegistry::monoRegular), "JetBrainsMono-Regular");
    EXPECT_FALSE(fonts.name(FontRegistry::display));
}

TEST_F(FontRegistryTest, HUDFontsBeforeAndAfterRegistration) {
    EXPECT_FALSE(HUDFonts::monoRegName());  // nothing registered yet: system fallbacks
    EXPECT_EQ(HUDFonts::mono(10, false).family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    HUDFonts::ensureRegistered();
    HUDFonts::ensureRegistered();
    EXPECT_EQ(lines, (std::vector<std::string>{"Quillmark: bundled font IsolationGrotesque-Regular.otf not found"}));
    EXPECT_EQ(HUDFonts::monoMedName(), "JetBrainsMono-Medium");
    EXPECT_EQ(HUDFonts::bodyName(), "IBMPlexSans-Regular");
    EXPECT_FALSE(HUDFonts::displayName());
    EXPECT_EQ(QFontInfo(HUDFonts::mono(16, true)).styleName(), "Medium");
}

}  // namespace
}  // namespace quillmark
