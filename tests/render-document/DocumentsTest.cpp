// The two documents the build puts in the main bundle, read back as text: the guide covers every subject
// and lists the hotkeys a first run registers here; the licence agreement is LICENSE and points to the
// notices of the software shipped.
#include "PdfText.h"

#include "app/DocumentOpener.h"
#include "app/hotkeys/HotkeyAction.h"
#include "app/hotkeys/HotkeyBinding.h"
#include "app/look/ResourceBundle.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace quillmark::testing {
namespace {

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QString sourceFile(const char* relative) {
    QFile file(QString::fromUtf8(std::getenv("QUILLMARK_SOURCE_DIR")) + QLatin1Char('/') + QLatin1String(relative));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative;
    return QString::fromUtf8(file.readAll());
}

QString documentText(const char* name, bool layout = false) {
    const auto path = ResourceBundle::main().url(QString::fromLatin1(name), QStringLiteral("pdf"));
    EXPECT_TRUE(path) << name << ".pdf is not in the main bundle " << ResourceBundle::main().directory().toStdString();
    if (!path) return {};
    const auto text = PdfText::of(*path, layout);
    EXPECT_TRUE(text) << "pdftotext (poppler-utils) could not read " << path->toStdString();
    return text.value_or(QString());
}

TEST(DocumentsTest, TheGuideCoversEverySubject) {
    const QString text = PdfText::simplified(documentText(DocumentOpener::userGuideName));
    for (const char* heading : {
             "Quillmark User Guide",
             "What Quillmark is for",
             "First launch",
             "Connecting to the mixer engine",
             "The tray menu",
             "Hotkeys",
             "Modifier names",
             "The HUD",
             "The meters",
             "Reference levels",
             "SPL calibration",
             "Preferences",
             "Launch at login",
             "Updates",
             "Crash reports",
             "What Quillmark does not do",
         })
        EXPECT_TRUE(text.contains(QString::fromUtf8(heading))) << heading;
    // Facts a user needs and that are easy to lose in an edit.
    for (const char* fact : {
             "127.0.0.1, port 4710",
             "command (⌘) is Super here, option (⌥) is Alt",
             "Quillmark Preferences",
             "app.quillmark.Quillmark.desktop",
             "$XDG_STATE_HOME/quillmark/crashes",
             "the libraries loaded, with their build ids",
             "<home>",
             "Global hotkeys need an X11 session",
             "Ctrl+Alt+F1…F12",
         })
        EXPECT_TRUE(text.contains(QString::fromUtf8(fact))) << fact;
}

TEST(DocumentsTest, TheGuidesHotkeyTableIsThisDesktopsFirstRunBindings) {
    const QString text = documentText(DocumentOpener::userGuideName, true);
    const HotkeyBindings& defaults = HotkeyBinding::firstRunDefaults();
    for (HotkeyAction action : allHotkeyActions) {
        const auto binding = defaults.find(action);
        const QString hotkey = binding == defaults.end() ? QStringLiteral("none") : qt(binding->second.displayString());
        // One laid-out line holds the command and then its hotkey.
        const QRegularExpression row(
            QStringLiteral("^\\s*%1\\s+%2\\s*$")
                .arg(QRegularExpression::escape(qt(displayName(action))), QRegularExpression::escape(hotkey)),
            QRegularExpression::MultilineOption);
        EXPECT_TRUE(row.match(text).hasMatch()) << rawValue(action) << ": " << hotkey.toStdString();
    }
}

TEST(DocumentsTest, TheGuidesSourceLeavesTheTableToTheBuild) {
    const QString source = sourceFile("resources/user-guide.md");
    EXPECT_TRUE(source.contains(QStringLiteral("\n@HOTKEY_TABLE@\n")));
    for (const auto& [action, binding] : HotkeyBinding::firstRunDefaults())
        EXPECT_FALSE(source.contains(qt(binding.displayString()))) << "typed by hand: " << binding.displayString();
}

TEST(DocumentsTest, TheLicenceAgreementIsTheProjectsLicenceAndPointsToTheNotices) {
    EXPECT_EQ(std::strlen(DocumentOpener::licenseAgreementName), 28u);
    EXPECT_TRUE(QString::fromLatin1(DocumentOpener::licenseAgreementName).contains(QStringLiteral("Developers")));

    const QString license = sourceFile("LICENSE");
    EXPECT_TRUE(license.startsWith(QStringLiteral("MIT License\n\nCopyright (c) ")));
    EXPECT_TRUE(license.contains(QStringLiteral(" The Quillmark developers\n")));

    const QString text = PdfText::simplified(documentText(DocumentOpener::licenseAgreementName));
    EXPECT_TRUE(text.contains(PdfText::simplified(license))) << text.toStdString();
    const qsizetype licenseEnd = text.indexOf(QStringLiteral("OTHER DEALINGS IN THE SOFTWARE."));
    const qsizetype notices = text.indexOf(QStringLiteral("NOTICES.txt"));
    EXPECT_GT(licenseEnd, 0);
    EXPECT_GT(notices, licenseEnd) << "the pointer to the notices follows the licence";
}

TEST(DocumentsTest, BothDocumentsAreNamedAsTheMenuOpensThem) {
    for (const char* name : {DocumentOpener::userGuideName, DocumentOpener::licenseAgreementName}) {
        const auto path = ResourceBundle::main().url(QString::fromLatin1(name), QStringLiteral("pdf"));
        ASSERT_TRUE(path) << name;
        QFile file(*path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.read(5), QByteArray("%PDF-")) << name;
    }
}

}  // namespace
}  // namespace quillmark::testing
