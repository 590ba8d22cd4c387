#include "app/settings/IniText.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

#include <vector>

namespace quillmark {
namespace {

// What QSettings makes of a file's text, read from a file of its own.
class IniTextTest : public ::testing::Test {
protected:
    QSettings& qtReading(const QByteArray& text) {
        const QString path = dir_.filePath(QStringLiteral("%1.ini").arg(++files_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
        return *settings_;
    }

    QTemporaryDir dir_;
    int files_ = 0;
    std::unique_ptr<QSettings> settings_;
};

// A value as QSettings gives it, shown so that a failure reads.
std::string shown(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) return "list: " + value.toStringList().join(u'|').toStdString();
    return "text: " + value.toString().toStdString();
}

std::string shown(const IniText::Value& value) {
    if (!value.isList) return shown(QVariant(value.elements.front().text));
    QStringList list;
    for (const IniText::Element& element : value.elements) list.append(element.text);
    return shown(QVariant(list));
}

// Values that hold no typed prefix, read as QSettings reads them: the two must agree on every one.
TEST_F(IniTextTest, ValuesReadAsQSettingsReadsThem) {
    const QByteArray values[] = {
        "plain",
        "  blanks around \t ",
        "\" quoted blanks \"",
        "a\\tb\\n\\r\\a\\b\\f\\v\\\"\\?\\'\\\\",
        "\\x41\\x0000042 \\x123456",
        "\\101\\400\\0 \\08",
        "\\z\\xZ\\9",
        "a, b ,c",
        "\"a \" ,b\\t , \" c\"d ",
        "\"x, y\", \"\"",
        "a,",
        ",",
        "\"unterminated, list",
        "ends in a backslash\\",
        "ends in an escape  \\x",
        "blank before an escape at the end \\x41",
        "continued\\\nline\\\r\nagain",
        "caf\xc3\xa9",
        "cut \xc3\\t\x81 and \xe2\x82\\t\xac",
        "cut at the end \xc3",
        "cut before an escape at the end \xc3\\x41",
        "invalid \xff\xfe, \xc3(",
        "\xef\xbb\xbf"
        "a mark at the start",
    };
    for (const QByteArray& raw : values) {
        SCOPED_TRACE(raw.toStdString());
        EXPECT_EQ(shown(IniText::value(raw)), shown(qtReading("[General]\nk=" + raw).value("k")));
    }
}

// Escapes QSettings never writes are where different readers part: the screen trusts no type spelled
// with one.
TEST_F(IniTextTest, MarksEscapesQSettingsNeverWrites) {
    struct Case {
        QByteArray raw;
        std::vector<qsizetype> strays;
    };
    const Case cases[] = {
        {"\\0\\0\\0\\x1\\x1f\\t\\\\\\\"", {}},
        {"a\\01", {1}},
        {"a\\7", {1}},
        {"\\x123", {0}},
        {"a\\xZ", {1}},
        {"a\\z", {1}},
        {"\\?\\'", {0, 1}},
        {"a\\\nb", {1}},
        {"x, \\z", {}},  // the second element's, below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw.toStdString());
        EXPECT_EQ(IniText::value(c.raw).elements.front().strayEscapes, c.strays);
    }
    EXPECT_EQ(IniText::value("x, \\z").elements.back().strayEscapes, std::vector<qsizetype>{0});
}

TEST_F(IniTextTest, KeysAndSectionsAreNamedAsQSettingsNamesThem) {
    const QByteArray keys[] = {"a\\b", "%41%U00e9x", "%4", "%zz", "%U12", "caf\xc3\xa9", "\"x=y\"", "a%"};
    for (const QByteArray& key : keys) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_EQ(QStringList{IniText::key(key)}, qtReading("[General]\n" + key + "=1\n").allKeys());
    }
    const QByteArray headers[] = {"[General]", "[gEnErAl]", "[%General]", "[a\\b]", "[ x ]", "[x", "[x]y", "[%41]"};
    for (const QByteArray& header : headers) {
        SCOPED_TRACE(header.toStdString());
        EXPECT_EQ(QStringList{IniText::section(header) + "k"}, qtReading(header + "\nk=1\n").allKeys());
    }
}

}  // namespace
}  // namespace quillmark
