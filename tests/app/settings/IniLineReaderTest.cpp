#include "app/settings/IniLineReader.h"

#include "app/settings/IniText.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quillmark {
namespace {

// Where QSettings ends lines and splits keys from values. The keys QSettings itself finds in each text
// are those of the lines read.
TEST(IniLineReaderTest, SplitsLinesAndKeysWhereQSettingsDoes) {
    struct Line {
        std::string text;
        qsizetype equals;
    };
    struct Case {
        const char* what;
        QByteArray text;
        std::vector<Line> lines;
    };
    const Case cases[] = {
        {"lines, blank lines and blanks",
         "[General]\n\n a=1\r\n\tb = 2\n",
         {{"[General]", -1}, {"a=1", 1}, {"b = 2", 2}}},
        {"a continued line", "a=1\\\nb=2\nc=3", {{"a=1\\\nb=2", 1}, {"c=3", 1}}},
        {"a line continued by \\r\\n", "a=1\\\r\nb=2\r\nc=3", {{"a=1\\\r\nb=2", 1}, {"c=3", 1}}},
        {"other escapes at the end do not continue a line",
         "a=x\\t\nb=\\\\\nc=\\\"\nd=\\n\ne=1",
         {{"a=x\\t", 1}, {"b=\\\\", 1}, {"c=\\\"", 1}, {"d=\\n", 1}, {"e=1", 1}}},
        {"a quote spans lines", "a=\"x\ny\"\nb=2", {{"a=\"x\ny\"", 1}, {"b=2", 1}}},
        {"a ';' in quotes", "a=\"x;y\"\nb=2", {{"a=\"x;y\"", 1}, {"b=2", 1}}},
        {"a comment after a value", "a=1 ;b=2\nc=3", {{"a=1 ", 1}, {"c=3", 1}}},
        {"comment lines", ";a=1\n  ; b=\"2\nc=3", {{"c=3", 1}}},
        {"a quoted '=' belongs to the key", "\"x=y\"=1\n", {{"\"x=y\"=1", 5}}},
        {"an escaped '=' belongs to the key", "a\\=b=1\n", {{"a\\=b=1", 4}}},
        {"a byte order mark",
         "\xef\xbb\xbf"
         "a=1\n",
         {{"a=1", 1}}},
        {"a line without '='", "junk\na=1", {{"junk", -1}, {"a=1", 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IniLineReader reader(c.text);
        std::vector<std::string> keys;
        for (const Line& expected : c.lines) {
            const auto line = reader.next();
            ASSERT_TRUE(line);
            const QByteArrayView text = QByteArrayView(c.text).sliced(line->start, line->end - line->start);
            EXPECT_EQ(text.toByteArray().toStdString(), expected.text);
            EXPECT_EQ(line->equals < 0 ? -1 : line->equals - line->start, expected.equals) << expected.text;
            if (line->equals >= 0)
                keys.push_back(IniText::key(text.first(line->equals - line->start).trimmed()).toStdString());
        }
        EXPECT_FALSE(reader.next());

        QTemporaryDir dir;
        const QString path = dir.filePath("t.ini");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.text);
        file.close();
        std::vector<std::string> qtKeys;
        for (const QString& key : QSettings(path, QSettings::IniFormat).allKeys()) qtKeys.push_back(key.toStdString());
        std::sort(keys.begin(), keys.end());
        EXPECT_EQ(keys, qtKeys);
    }
}

}  // namespace
}  // namespace quillmark
