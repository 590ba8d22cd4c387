// The build's document tool as the build runs it: a PDF from a source, and on a bad source an error
// that names the problem, with the earlier PDF left as it was.
#include "PdfText.h"

#include "app/hotkeys/HotkeyAction.h"
#include "app/hotkeys/HotkeyBinding.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

class RenderDocumentToolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    void write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    struct Run {
        int exitCode = -1;
        QString errors;
    };
    Run run(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(QUILLMARK_RENDER_DOCUMENT_PATH), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

private:
    QTemporaryDir dir_;
};

TEST_F(RenderDocumentToolTest, WritesTheSourceWithItsInsertionsAsPdf) {
    write(QStringLiteral("source.md"), "# Test Document\n\nBefore.\n\n@NOTE@\n\n@HOTKEY_TABLE@\n\nAfter −96 dB.\n");
    write(QStringLiteral("note.txt"), "Inserted paragraph.\n");
    const Run result = run({"--source", path("source.md"), "--output", path("out.pdf"), "--title", "Test Document",
                            "--insert", "NOTE=" + path("note.txt"), "--hotkey-table"});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();

    QFile pdf(path("out.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    const auto text = PdfText::of(path("out.pdf"));
    ASSERT_TRUE(text) << "pdftotext (poppler-utils) is needed";
    const QString flat = PdfText::simplified(*text);
    for (const QString& expected : {QStringLiteral("Test Document"), QStringLiteral("Before."),
                                    QStringLiteral("Inserted paragraph."), QStringLiteral("After −96 dB.")})
        EXPECT_TRUE(flat.contains(expected)) << expected.toStdString();
    EXPECT_FALSE(flat.contains(QLatin1Char('@'))) << flat.toStdString();
    const auto& talkback = HotkeyBinding::firstRunDefaults().at(HotkeyAction::talkback);
    EXPECT_TRUE(flat.contains(QString::fromStdString(talkback.displayString())));
}

TEST_F(RenderDocumentToolTest, ABadSourceFailsWithItsReasonAndKeepsTheEarlierPdf) {
    write(QStringLiteral("out.pdf"), "earlier");
    write(QStringLiteral("typo.md"), "# Guide\n\n@HOTKEY_TABEL@\n");
    write(QStringLiteral("plain.md"), "# Guide\n");
    struct Case {
        const char* name;
        QStringList arguments;
        QString errorMentions;
    };
    const std::vector<Case> cases{
        {"misspelt placeholder", {"--source", path("typo.md"), "--hotkey-table"}, "@HOTKEY_TABEL@"},
        {"table asked, no place for it", {"--source", path("plain.md"), "--hotkey-table"}, "HOTKEY_TABLE"},
        {"missing source", {"--source", path("absent.md")}, path("absent.md")},
        {"missing insertion", {"--source", path("plain.md"), "--insert", "X=" + path("absent.txt")}, "absent.txt"},
    };
    for (const auto& c : cases) {
        const Run result = run(c.arguments + QStringList{"--output", path("out.pdf"), "--title", "Guide"});
        EXPECT_NE(result.exitCode, 0) << c.name;
        EXPECT_TRUE(result.errors.contains(c.errorMentions)) << c.name << ": " << result.errors.toStdString();
        QFile pdf(path("out.pdf"));
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        EXPECT_EQ(pdf.readAll(), QByteArray("earlier")) << c.name;
    }
}

}  // namespace
}  // namespace quillmark::testing
