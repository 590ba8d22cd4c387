#include "app/settings/SettingsFileScreen.h"

#include "PollUntil.h"
#include "app/settings/QSettingsUserDefaults.h"
#include "log/SystemLog.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace quillmark {
namespace {

using namespace std::chrono_literals;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// As text, which a failure shows readably.
std::string contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(missing)";
}

// Whether the program starts on the file: in a child, QSettingsUserDefaults opens it as at start and every
// key of every section is read, which has QSettings decode them all. A damaged typed value that reached
// Qt ends the child.
bool programStartsOn(const QString& path) {
    const pid_t child = fork();
    if (child == 0) {
        {
            const QSettingsUserDefaults defaults(path);
            QSettings settings(path, QSettings::IniFormat);
            for (const QString& key : settings.allKeys()) (void)settings.value(key);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// How a kept value reads through the store's backend: text, bytes, a number or a Boolean.
void expectReads(const QSettingsUserDefaults& defaults, const std::string& key, const QVariant& expected) {
    SCOPED_TRACE(key);
    switch (expected.typeId()) {
    case QMetaType::QString: EXPECT_EQ(defaults.string(key), expected.toString().toStdString()); break;
    case QMetaType::QByteArray: EXPECT_EQ(defaults.data(key), expected.toByteArray().toStdString()); break;
    case QMetaType::Bool: EXPECT_EQ(defaults.boolean(key), expected.toBool()); break;
    default: EXPECT_EQ(defaults.number(key), expected.toDouble()); break;
    }
}

QString text(const char* utf8) { return QString::fromUtf8(utf8); }
QString withControls(const QString& before, std::initializer_list<char16_t> controls, const QString& after) {
    QString result = before;
    for (const char16_t c : controls) result += QChar(c);
    return result + after;
}

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

// Every form in which QSettings decodes a typed value from a byte stream, each with a damaged one (a list
// claiming some 1.9 billion elements), between settings as Quillmark writes them and a foreign section;
// and values Qt writes or reads as text, which stay. Each file goes through the screen and then starts
// the program in a child.
TEST(SettingsFileScreenTest, EveryFormQtDecodesIsTakenOutAndEverythingElseStays) {
    struct Read {
        std::string key;
        QVariant value;
    };
    struct Case {
        const char* what;
        QByteArray lines;
        std::vector<std::string> dropped;
        QByteArray kept;
        std::vector<Read> reads;
    };
    // Lines the file keeps as they are.
    const auto stays = [](const char* what, const QByteArray& lines, std::vector<Read> reads = {}) {
        return Case{what, lines, {}, lines, std::move(reads)};
    };
    const QByteArray damaged = R"((\0\0\0\volu))";
    const QString damagedText = withControls("", {0, 0, 0, 0x0b}, "olu)");
    const Case cases[] = {
        {"the plain form", "Quillmark.x=@Variant" + damaged + "\n", {"Quillmark.x"}, "", {}},
        {"a date-time, decoded by the same stream reader",
         R"(Quillmark.x=@DateTime(\0\0\0\v\0olu))"
         "\n",
         {"Quillmark.x"},
         "",
         {}},
        {"empty quotes before the prefix", "Quillmark.x=\"\"@Variant" + damaged + "\n", {"Quillmark.x"}, "", {}},
        {"quotes inside the prefix", "Quillmark.x=\"@Var\"iant" + damaged + "\n", {"Quillmark.x"}, "", {}},
        {"the @ as a hex escape", R"(Quillmark.x=\x40Variant)" + damaged + "\n", {"Quillmark.x"}, "", {}},
        {"the @ as an octal escape", R"(Quillmark.x=\100Variant)" + damaged + "\n", {"Quillmark.x"}, "", {}},
        {"an unknown escape, skipped, before it",
         R"(Quillmark.x=\z@Variant)" + damaged + "\n",
         {"Quillmark.x"},
         "",
         {}},
        {"a quoted key holding =", "\"x=y\"=@Variant" + damaged + "\n", {"\"x=y\""}, "", {}},
        {"the second element of a list", "Quillmark.x=a, @Variant" + damaged + "\n", {"Quillmark.x"}, "", {}},
        {"a continued line", "Quillmark.x=\\\n@Variant" + damaged + "\r\n", {"Quillmark.x"}, "", {}},
        {"in another section", "[Plugin]\nx=@Variant" + damaged + "\n", {"Plugin/x"}, "[Plugin]\n", {}},
        {"after a text ending in a tab",
         R"(Quillmark.s=a\t)"
         "\nQuillmark.x=@Variant" +
             damaged + "\n",
         {"Quillmark.x"},
         R"(Quillmark.s=a\t)"
         "\n",
         {{"Quillmark.s", text("a\t")}}},
        {"after a text ending in a backslash",
         R"(Quillmark.s=C:\\)"
         "\nQuillmark.x=@Variant" +
             damaged + "\n",
         {"Quillmark.x"},
         R"(Quillmark.s=C:\\)"
         "\n",
         {{"Quillmark.s", text("C:\\")}}},
        {"after a text ending in a quote",
         R"(Quillmark.s=say \")"
         "\nQuillmark.x=@Variant" +
             damaged + "\n",
         {"Quillmark.x"},
         R"(Quillmark.s=say \")"
         "\n",
         {{"Quillmark.s", text("say \"")}}},
        {"after a text ending in a line break",
         R"(Quillmark.s=two\n)"
         "\nQuillmark.x=@Variant" +
             damaged + "\n",
         {"Quillmark.x"},
         R"(Quillmark.s=two\n)"
         "\n",
         {{"Quillmark.s", text("two\n")}}},
        // Read as Qt reads them, these hold no typed value.
        stays("a comment after a value", "Quillmark.s=a ;x=@Variant" + damaged + "\n", {{"Quillmark.s", text("a")}}),
        stays("a comment line", ";x=@Variant" + damaged + "\n"),
        stays("a quoted text over two lines", "Quillmark.s=\"a\nx=@Variant" + damaged + "\"\n",
              {{"Quillmark.s", "a\nx=@Variant(" + damagedText}}),
        stays("a text starting with @, as Qt writes it", "Quillmark.s=@@Variant" + damaged + "\n",
              {{"Quillmark.s", "@Variant(" + damagedText}}),
        stays("no closing parenthesis",
              R"(Quillmark.s=@Variant(\0\0\0\volu)"
              "\n",
              {{"Quillmark.s", "@Variant(" + damagedText.chopped(1)}}),
        // Values of every kind Qt writes for our settings.
        stays("numbers and Booleans", "Quillmark.n=-12.5\nQuillmark.e=1.765e+09\nQuillmark.b=true\n",
              {{"Quillmark.n", -12.5}, {"Quillmark.e", 1.765e9}, {"Quillmark.b", true}}),
        stays("texts",
              "Quillmark.hudAppearance=dark\nQuillmark.s1=\"a, b\"\nQuillmark.s2=\" lead\"\nQuillmark.s3=@@odd\n"
              "Quillmark.s4=Caf\xc3\xa9\nQuillmark.s5=\"x;y=z\"\nQuillmark.s6="
              R"(@String(\0\x31\x32))"
              "\n",
              {{"Quillmark.hudAppearance", text("dark")},
               {"Quillmark.s1", text("a, b")},
               {"Quillmark.s2", text(" lead")},
               {"Quillmark.s3", text("@odd")},
               {"Quillmark.s4", text("Caf\xc3\xa9")},
               {"Quillmark.s5", text("x;y=z")},
               {"Quillmark.s6", withControls("", {0}, "12")}}),
        stays("bytes",
              R"(Quillmark.d1=@ByteArray({\"mute\":1}))"
              "\n"
              R"(Quillmark.d2=@ByteArray(a\0\x31\xff\\))"
              "\n"
              R"x(Quillmark.d3="@ByteArray(a, b)")x"
              "\n",
              {{"Quillmark.d1", QByteArray(R"({"mute":1})")},
               {"Quillmark.d2", QByteArray("a\0"
                                           "1\xff\\",
                                           5)},
               {"Quillmark.d3", QByteArray("a, b")}}),
        stays("typed numbers and Booleans",
              R"(Quillmark.t1=@Variant(\0\0\0\x6@\x4\0\0\0\0\0\0))"
              "\n"
              R"x(Quillmark.t2="@Variant(\0\0\0\x1\x1)")x"
              "\n"
              R"(Quillmark.t3=\x40Variant(\0\0\0\x1\x1))"
              "\n",
              {{"Quillmark.t1", 2.5}, {"Quillmark.t2", true}, {"Quillmark.t3", true}}),
        stays("other typed values Qt reads without a stream",
              "r=@Rect(1 2 3 4)\nz=@Size(1 2)\np=@Point(1 2)\ni=@Invalid()\n"),
    };
    const QByteArray before = "[General]\nQuillmark.hudPersistenceSeconds=3.5\nQuillmark.volumeStepFineDB=0.5\n";
    const QByteArray after = "[Other]\nforeign=kept\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("Quillmark.ini");
        const QByteArray original = before + c.lines + after;
        writeFile(path, original);
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        ASSERT_TRUE(QFile::setPermissions(path, ownerOnly));
        std::vector<std::string> logged;
        {
            const SystemLog::Capture capture([&](std::string_view line) { logged.emplace_back(line); });
            SettingsFileScreen::screenFile(path);
        }
        EXPECT_EQ(contentsOf(path), (before + c.kept + after).toStdString());
        if (c.dropped.empty()) {
            EXPECT_FALSE(QFile::exists(path + ".unreadable"));
            EXPECT_TRUE(logged.empty());
        } else {
            EXPECT_EQ(contentsOf(path + ".unreadable"), original.toStdString());
            EXPECT_EQ(QFile::permissions(path + ".unreadable"), ownerOnly) << "the copy is as private as the file";
            EXPECT_EQ(QFile::permissions(path), ownerOnly);
            EXPECT_EQ(logged.size(), 1u);
            const std::string line = logged.empty() ? "" : logged.front();
            for (const std::string& key : c.dropped) EXPECT_NE(line.find(key), std::string::npos) << line;
            EXPECT_NE(line.find("Quillmark.ini.unreadable"), std::string::npos) << line;
        }
        if (!programStartsOn(path)) {
            ADD_FAILURE() << "a damaged value reached Qt";
            continue;
        }
        const QSettingsUserDefaults defaults(path);
        for (const std::string& key : c.dropped) EXPECT_FALSE(defaults.contains(key)) << key;
        EXPECT_EQ(defaults.number("Quillmark.hudPersistenceSeconds"), 3.5);
        EXPECT_EQ(defaults.number("Quillmark.volumeStepFineDB"), 0.5);
        EXPECT_EQ(QSettings(path, QSettings::IniFormat).value("Other/foreign").toString(), "kept");
        for (const Read& read : c.reads) expectReads(defaults, read.key, read.value);
    }
}

// A damaged file that cannot be rewritten stays as it was, the copy of an earlier one too, and the log
// says that nothing was taken out: in a read-only directory (root writes anyway, so the screen runs as
// nobody then), and with a file size limit below the file's size, as on a full disk (the earlier copy was
// once deleted before the new one failed).
TEST(SettingsFileScreenTest, WhenNothingCanBeWrittenTheFileAndTheEarlierCopyStay) {
    struct Case {
        const char* what;
        mode_t directoryMode;
        std::function<bool()> limitChild;
    };
    const Case cases[] = {
        {"a read-only directory", 0555, [] { return geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0); }},
        {"a full disk", 0755,
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{1024, 1024};
             return setrlimit(RLIMIT_FSIZE, &limit) == 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("Quillmark.ini");
        const QByteArray original =
            "[General]\nQuillmark.x=@Variant(\\0\\0\\0\\volu)\nforeign=" + QByteArray(4096, 'a') + "\n";
        writeFile(path, original);
        writeFile(path + ".unreadable", "an earlier copy");
        ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0644), 0);
        ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), c.directoryMode), 0);

        int channel[2];
        ASSERT_EQ(pipe(channel), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            if (!c.limitChild()) _exit(2);
            std::string logged;
            {
                const SystemLog::Capture capture([&](std::string_view line) { logged.append(line).append("\n"); });
                SettingsFileScreen::screenFile(path);
            }
            const ssize_t written = write(channel[1], logged.data(), logged.size());
            _exit(written == static_cast<ssize_t>(logged.size()) ? 0 : 3);
        }
        close(channel[1]);
        std::string logged;
        char buffer[512];
        for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
            logged.append(buffer, static_cast<std::size_t>(got));
        close(channel[0]);
        int status = 0;
        waitpid(child, &status, 0);
        chmod(dir.path().toLocal8Bit().constData(), 0755);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

        EXPECT_EQ(contentsOf(path), original.toStdString());
        EXPECT_EQ(contentsOf(path + ".unreadable"), "an earlier copy");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                  (QStringList{"Quillmark.ini", "Quillmark.ini.unreadable"}));
        EXPECT_NE(logged.find("Quillmark.x"), std::string::npos) << logged;
        EXPECT_NE(logged.find("nothing was taken out"), std::string::npos) << logged;
    }
}

// QSettings takes Quillmark.ini.lock while it writes the file: the screen waits for it and then screens
// what the other copy wrote, which is kept.
TEST(SettingsFileScreenTest, WaitsForTheLockQSettingsTakesAndKeepsWhatWasWrittenMeanwhile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Quillmark.ini");
    const QByteArray damagedLine = "Quillmark.x=@Variant(\\0\\0\\0\\volu)\n";
    writeFile(path, "[General]\n" + damagedLine + "Quillmark.hudSize=small\n");
    QLockFile otherCopy(path + ".lock");
    ASSERT_TRUE(otherCopy.lock());

    std::vector<std::string> logged;
    std::atomic<bool> screened = false;
    std::thread screen([&] {
        const SystemLog::Capture capture([&](std::string_view line) { logged.emplace_back(line); });
        SettingsFileScreen::screenFile(path);
        screened = true;
    });
    EXPECT_FALSE(testing::pollUntil([&] { return screened.load(); }, 300ms)) << "the file was rewritten under the lock";
    QSaveFile write(path);
    ASSERT_TRUE(write.open(QIODevice::WriteOnly));
    write.write("[General]\n" + damagedLine + "Quillmark.hudSize=large\nQuillmark.hudAppearance=dark\n");
    ASSERT_TRUE(write.commit());
    otherCopy.unlock();
    screen.join();

    EXPECT_EQ(contentsOf(path), "[General]\nQuillmark.hudSize=large\nQuillmark.hudAppearance=dark\n");
    EXPECT_FALSE(QFile::exists(path + ".lock"));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("(Quillmark.x); they were taken out"), std::string::npos) << logged[0];
}

}  // namespace
}  // namespace quillmark
