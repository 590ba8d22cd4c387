#include "app/settings/SettingsFileScreen.h"

#include "app/settings/QSettingsUserDefaults.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmark {
namespace {

// Which lines a settings file loses before QSettings reads it: typed values other than plain numbers
// and Booleans, wherever QSettings would decode one, and nothing else.
TEST(SettingsFileScreenTest, TakesOutOnlyTypedValuesThatAreNotFixedSize) {
    struct Case {
        const char* what;
        QByteArray line;
        bool dropped;
    };
    const Case cases[] = {
        {"a string list", R"x(k=@Variant(\0\0\0\vlist))x", true},
        {"a byte array", R"x(k=@Variant(\0\0\0\f\0\0\0\x1x))x", true},
        {"a user type", R"x(k=@Variant(\0\0\0\x7f\0\0\0\x2QX))x", true},
        {"a double", R"x(k=@Variant(\0\0\0\x6@\x4\0\0\0\0\0\0))x", false},
        {"a Boolean, quoted", R"x(k="@Variant(\0\0\0\x1\x1)")x", false},
        {"a string as the second element of a list", R"x(k=a, @Variant(\0\0\0\n\0\0\0\x2))x", true},
        {"the same inside quotes, a plain text", R"x(k="a, @Variant(\0\0\0\n\0\0\0\x2)")x", false},
        {"an escape whose meaning is not plain", R"x(k=@Variant(\0\0\0\01))x", true},
        {"a long hex run", R"x(k=@Variant(\0\0\0\x006))x", true},
        {"a label that mentions it in a document", R"x(k="@ByteArray([{\"label\":\"@Variant(\\0\\0\\0\\v\"}])")x",
         false},
        {"a plain value", "k=-12.5", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto screened = SettingsFileScreen::screen("[General]\n" + c.line + "\nnext=1\n");
        EXPECT_EQ(screened.droppedKeys, c.dropped ? std::vector<std::string>{"k"} : std::vector<std::string>{});
        EXPECT_EQ(screened.text, c.dropped ? QByteArray("[General]\nnext=1\n") : "[General]\n" + c.line + "\nnext=1\n");
    }
}

TEST(SettingsFileScreenTest, AContinuedLineIsOneValue) {
    const auto screened = SettingsFileScreen::screen("[General]\nk=\\\n@Variant(\\0\\0\\0\\vx)\r\nnext=1\r\n");
    EXPECT_EQ(screened.droppedKeys, std::vector<std::string>{"k"});
    EXPECT_EQ(screened.text, "[General]\nnext=1\r\n");
}

// A damaged typed value once made QSettings ask for tens of gigabytes as the program started, every
// time. Now the line is taken out, the rest loads and the original is kept beside the file.
TEST(SettingsFileScreenTest, ADamagedTypedValueNoLongerEndsTheProgramAndTheOriginalIsKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Quillmark.ini");
    const QByteArray original = "[General]\nQuillmark.hudPersistenceSeconds=3.5\n=@Variant(\\0\\0\\0\\volu)\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    const QSettingsUserDefaults defaults(path);
    EXPECT_EQ(defaults.number("Quillmark.hudPersistenceSeconds"), 3.5);
    QFile kept(path + ".unreadable");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), original);
}

}  // namespace
}  // namespace quillmark
