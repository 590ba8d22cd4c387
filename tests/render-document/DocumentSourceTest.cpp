// Filling a document source: whole placeholder lines only, and never a document with a part missing.
#include "DocumentSource.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

struct ExpandCase {
    const char* name;
    QString source;
    DocumentSource::Insertions insertions;
    std::optional<QString> expected;  // nothing: refused
    QString errorMentions;
};

TEST(DocumentSourceTest, ExpandsWholePlaceholderLinesAndRefusesGaps) {
    const QString table = QStringLiteral("| a | b |\n| --- | --- |");
    const std::vector<ExpandCase> cases{
        {"line replaced", "intro\n@TABLE@\nend", {{"TABLE", table}}, "intro\n" + table + "\nend", {}},
        {"spaces around the line", "intro\n  @TABLE@ \nend", {{"TABLE", "x"}}, "intro\nx\nend", {}},
        {"every occurrence", "@A@\nmid\n@A@", {{"A", "x"}}, "x\nmid\nx", {}},
        {"inside a sentence stays", "write @TABLE@ here\n@TABLE@", {{"TABLE", "x"}}, "write @TABLE@ here\nx", {}},
        {"no placeholders, nothing given", "plain\ntext", {}, "plain\ntext", {}},
        {"placeholder without text", "a\n@LICENSE@\nb", {}, std::nullopt, "@LICENSE@"},
        {"a typo leaves a placeholder", "@HOTKEY_TABEL@", {{"HOTKEY_TABLE", "x"}}, std::nullopt, "@HOTKEY_TABEL@"},
        {"text without a placeholder", "a table was here", {{"HOTKEY_TABLE", "x"}}, std::nullopt, "HOTKEY_TABLE"},
    };
    for (const auto& c : cases) {
        QString error;
        const auto result = DocumentSource::expand(c.source, c.insertions, error);
        EXPECT_EQ(result, c.expected) << c.name;
        if (!c.expected) {
            EXPECT_TRUE(error.contains(c.errorMentions)) << c.name << ": " << error.toStdString();
        }
    }
}

TEST(DocumentSourceTest, ReadsUtf8AndSaysWhichFileIsMissing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath(QStringLiteral("source.md"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("−96 dB … ⌘F12").toUtf8());
    file.close();

    QString error;
    EXPECT_EQ(DocumentSource::read(path, error), QStringLiteral("−96 dB … ⌘F12"));
    const QString missing = QDir(dir.path()).filePath(QStringLiteral("missing.md"));
    EXPECT_EQ(DocumentSource::read(missing, error), std::nullopt);
    EXPECT_TRUE(error.contains(missing)) << error.toStdString();
}

}  // namespace
}  // namespace quillmark::testing
