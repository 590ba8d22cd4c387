#include "platform/autostart/XdgLoginItemService.h"

#include "ScopedEnvironment.h"
#include "platform/autostart/DesktopEntry.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillmark {
namespace {

using Status = LoginItemService::Status;
namespace fs = std::filesystem;

constexpr const char* kProgram = "/usr/bin/quillmark";

using testing::ScopedEnvironment;

class XdgLoginItemServiceTest : public ::testing::Test {
protected:
    // Not created: registering must make it.
    std::string configHome() const { return dir.path().toStdString() + "/config"; }
    std::string autostart() const { return configHome() + "/autostart"; }
    std::string entryPath() const { return autostart() + "/app.quillmark.Quillmark.desktop"; }
    XdgLoginItemService service(std::string program = kProgram) const { return {std::move(program), configHome()}; }

    void writeEntry(const std::string& text) const {
        fs::create_directories(autostart());
        std::ofstream(entryPath(), std::ios::binary) << text;
    }
    std::string readEntry() const {
        std::ostringstream text;
        text << std::ifstream(entryPath(), std::ios::binary).rdbuf();
        return text.str();
    }
    std::string execLine() const {
        std::istringstream lines(readEntry());
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("Exec=")) return line;
        }
        return {};
    }
    std::vector<std::string> autostartFiles() const {
        std::vector<std::string> names;
        for (const auto& file : fs::directory_iterator(autostart())) names.push_back(file.path().filename());
        return names;
    }
    // desktop-file-validate's complaints; empty when the entry passes.
    static std::string validate(const std::string& path) {
        QProcess validator;
        validator.setProcessChannelMode(QProcess::MergedChannels);
        validator.start("desktop-file-validate", {QString::fromStdString(path)});
        if (!validator.waitForFinished(30000))
            return "desktop-file-validate did not run (scripts/setup-deps installs it)";
        const std::string output = validator.readAll().toStdString();
        return validator.exitCode() == 0 && output.empty()
                   ? ""
                   : output + " (exit " + std::to_string(validator.exitCode()) + ")";
    }

    QTemporaryDir dir;
};

TEST_F(XdgLoginItemServiceTest, RegisterWritesACompleteEntryAndUnregisterRemovesIt) {
    auto item = service();
    EXPECT_EQ(item.status(), Status::notRegistered);
    EXPECT_EQ(item.unregisterItem(), std::nullopt);

    ASSERT_EQ(item.registerItem(), std::nullopt);
    EXPECT_EQ(item.entryPath(), entryPath());
    EXPECT_EQ(autostartFiles(), std::vector<std::string>{"app.quillmark.Quillmark.desktop"});
    const auto entry = DesktopEntry::parse(readEntry());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->string("Type"), "Application");
    EXPECT_EQ(entry->string("Name"), "Quillmark");
    EXPECT_EQ(entry->string("Exec"), kProgram);
    EXPECT_EQ(entry->string("Icon"), "app.quillmark.Quillmark");
    EXPECT_FALSE(entry->string("Comment").value_or("").empty());
    EXPECT_EQ(validate(entryPath()), "");
    EXPECT_EQ(item.status(), Status::enabled);

    ASSERT_EQ(item.registerItem(), std::nullopt);
    EXPECT_EQ(autostartFiles().size(), 1u);

    EXPECT_EQ(item.unregisterItem(), std::nullopt);
    EXPECT_FALSE(fs::exists(entryPath()));
    EXPECT_EQ(item.status(), Status::notRegistered);
    EXPECT_EQ(item.unregisterItem(), std::nullopt);
}

TEST_F(XdgLoginItemServiceTest, ExecQuotesAndEscapesTheProgramPath) {
    const struct {
        std::string program;
        std::string exec;
    } cases[] = {
        {"/usr/bin/quillmark", "Exec=/usr/bin/quillmark"},
        {"/opt/Quill Mark/quillmark", "Exec=\"/opt/Quill Mark/quillmark\""},
        {"/opt/say \"hi\"/quillmark", "Exec=\"/opt/say \\\\\"hi\\\\\"/quillmark\""},
        {"/opt/back\\slash/quillmark", "Exec=\"/opt/back\\\\\\\\slash/quillmark\""},
        {"/opt/$HOME/quillmark", "Exec=\"/opt/\\\\$HOME/quillmark\""},
        {"/opt/`id`/quillmark", "Exec=\"/opt/\\\\`id\\\\`/quillmark\""},
        {"/opt/100%/quillmark", "Exec=/opt/100%%/quillmark"},
        {"/opt/100% sure/%u", "Exec=\"/opt/100%% sure/%%u\""},
        {"/opt/it's/quillmark", "Exec=\"/opt/it's/quillmark\""},
        {"/opt/a \"$`\\%/q", "Exec=\"/opt/a \\\\\"\\\\$\\\\`\\\\\\\\%%/q\""},
    };
    for (const auto& c : cases) {
        auto item = service(c.program);
        ASSERT_EQ(item.registerItem(), std::nullopt) << c.program;
        EXPECT_EQ(execLine(), c.exec) << c.program;
        EXPECT_EQ(item.status(), Status::enabled) << c.program;
        EXPECT_EQ(validate(entryPath()), "") << c.program;
    }
}

TEST_F(XdgLoginItemServiceTest, StatusSaysWhatTheEntryOnDiskSays) {
    const std::string head = "[Desktop Entry]\nType=Application\nName=Quillmark\n";
    const struct {
        std::string text;
        Status status;
    } cases[] = {
        {head + "Exec=/usr/bin/quillmark\n", Status::enabled},
        {head + "Exec=\"/usr/bin/quillmark\" --hidden %U\r\n", Status::enabled},
        {head + "Exec=/usr/bin/quillmark\nHidden=false\nX-GNOME-Autostart-enabled=true\n", Status::enabled},
        {head + "Exec=/usr/bin/quillmark\nHidden=true\n", Status::switchedOff},
        {head + "Exec=/usr/bin/quillmark\nX-GNOME-Autostart-enabled=false\n", Status::switchedOff},
        {"[Desktop Entry]\nHidden=true\n", Status::switchedOff},
        {head + "Exec=/usr/bin/other\n", Status::otherProgram},
        {head + "Exec=quillmark\n", Status::otherProgram},
        {head + "Exec=/usr/bin/quillmark-helper /usr/bin/quillmark\n", Status::otherProgram},
        {"[Desktop Entry]\nType=Link\nExec=/usr/bin/quillmark\n", Status::invalid},
        {"[Desktop Entry]\nExec=/usr/bin/quillmark\n", Status::invalid},
        {head, Status::invalid},
        {head + "Exec=\"/usr/bin/quillmark\n", Status::invalid},
        {head + "Exec=\n", Status::invalid},
        {"Exec=/usr/bin/quillmark\n", Status::invalid},
        {"", Status::invalid},
    };
    for (const auto& c : cases) {
        writeEntry(c.text);
        EXPECT_EQ(service().status(), c.status) << c.text;
    }
}

TEST_F(XdgLoginItemServiceTest, RegisterReplacesAnEntrySwitchedOffOrForAnotherProgram) {
    for (const std::string text : {"[Desktop Entry]\nType=Application\nExec=/usr/bin/quillmark\nHidden=true\n",
                                   "[Desktop Entry]\nType=Application\nExec=/usr/bin/quillmark\n"
                                   "X-GNOME-Autostart-enabled=false\n",
                                   "[Desktop Entry]\nType=Application\nExec=/usr/bin/other\n", "not an entry"}) {
        writeEntry(text);
        auto item = service();
        ASSERT_NE(item.status(), Status::enabled) << text;
        ASSERT_EQ(item.registerItem(), std::nullopt) << text;
        EXPECT_EQ(readEntry(), XdgLoginItemService::entryText(kProgram));
        EXPECT_EQ(item.status(), Status::enabled) << text;
    }
}

TEST_F(XdgLoginItemServiceTest, AnotherNameForTheSameProgramIsThisProgram) {
    const std::string program = dir.path().toStdString() + "/quillmark";
    std::ofstream(program) << "#!/bin/sh\n";
    fs::create_symlink(program, dir.path().toStdString() + "/link");
    writeEntry("[Desktop Entry]\nType=Application\nExec=" + dir.path().toStdString() + "/link\n");
    EXPECT_EQ(service(program).status(), Status::enabled);
    EXPECT_EQ(service(dir.path().toStdString() + "/elsewhere").status(), Status::otherProgram);
}

TEST_F(XdgLoginItemServiceTest, SomethingOtherThanAFileInTheEntrysPlace) {
    fs::create_directories(autostart());
    ASSERT_EQ(mkfifo(entryPath().c_str(), 0600), 0);
    EXPECT_EQ(service().status(), Status::invalid);  // and does not wait for a writer
    fs::remove(entryPath());

    fs::create_directories(entryPath() + "/inside");
    EXPECT_EQ(service().status(), Status::invalid);
    EXPECT_EQ(service().registerItem(), std::strerror(EISDIR));
    EXPECT_EQ(service().unregisterItem(), std::strerror(EISDIR));
}

// A regular file where the autostart directory should be refuses every write, for root too.
TEST_F(XdgLoginItemServiceTest, AFileInPlaceOfTheDirectoryGivesTheSystemsErrorText) {
    fs::create_directories(configHome());
    std::ofstream(autostart()) << "in the way";
    auto item = service();
    EXPECT_EQ(item.registerItem(), std::strerror(ENOTDIR));
    EXPECT_EQ(item.unregisterItem(), std::strerror(ENOTDIR));
    EXPECT_EQ(item.status(), Status::notRegistered);
}

// Writes cut short (the file size limit stops root too) leave the old entry whole and no temporary file.
TEST_F(XdgLoginItemServiceTest, AFailedWriteLeavesTheOldEntryAsItWas) {
    const std::string old = "[Desktop Entry]\nType=Application\nExec=/usr/bin/quillmark\nHidden=true\n";
    writeEntry(old);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    const auto failure = service().registerItem();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(failure, std::strerror(EFBIG));
    EXPECT_EQ(readEntry(), old);
    EXPECT_EQ(autostartFiles(), std::vector<std::string>{"app.quillmark.Quillmark.desktop"});
    EXPECT_EQ(service().status(), Status::switchedOff);
}

TEST_F(XdgLoginItemServiceTest, AReadOnlyDirectoryGivesTheSystemsErrorText) {
    if (geteuid() == 0) GTEST_SKIP() << "file modes do not stop root; the tests above cover it";
    writeEntry(XdgLoginItemService::entryText(kProgram));
    fs::permissions(autostart(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(service().unregisterItem(), std::strerror(EACCES));
    EXPECT_EQ(service().registerItem(), std::strerror(EACCES));
    EXPECT_EQ(service().status(), Status::enabled);
    fs::permissions(autostart(), fs::perms::owner_all);
}

TEST_F(XdgLoginItemServiceTest, TheEnvironmentNamesTheDirectoryAndTheProgram) {
    ScopedEnvironment home("HOME", "/home/someone");
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/elsewhere/config");
        EXPECT_EQ(XdgLoginItemService::configHomeFromEnvironment(), "/elsewhere/config");
    }
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/config"}) {
        ScopedEnvironment config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(XdgLoginItemService::configHomeFromEnvironment(), "/home/someone/.config");
    }
    const std::string self = fs::canonical("/proc/self/exe").string();
    // Inherited from some AppImage-packaged program that started this process: not ours to start.
    {
        ScopedEnvironment appImage("APPIMAGE", "/opt/Quill Mark/Quillmark.AppImage");
        ScopedEnvironment appDir("APPDIR", nullptr);
        EXPECT_EQ(XdgLoginItemService::programFromEnvironment(), self);
    }
    const std::string image = dir.path().toStdString() + "/Quill Mark/Quillmark.AppImage";
    fs::create_directories(fs::path(image).parent_path());
    std::ofstream(image) << "an AppImage";
    {
        ScopedEnvironment appImage("APPIMAGE", image.c_str());
        ScopedEnvironment appDir("APPDIR", "/tmp/.mount_Other");
        EXPECT_EQ(XdgLoginItemService::programFromEnvironment(), self);
    }
    {
        // Run from the AppImage: this executable lies inside its APPDIR.
        ScopedEnvironment appImage("APPIMAGE", image.c_str());
        ScopedEnvironment appDir("APPDIR", fs::path(self).parent_path().c_str());
        EXPECT_EQ(XdgLoginItemService::programFromEnvironment(), image);
    }
    ScopedEnvironment appImage("APPIMAGE", nullptr);
    EXPECT_EQ(XdgLoginItemService::programFromEnvironment(), self);

    ScopedEnvironment config("XDG_CONFIG_HOME", configHome().c_str());
    ASSERT_EQ(XdgLoginItemService::forThisProgram()->registerItem(), std::nullopt);
    EXPECT_EQ(DesktopEntry::parse(readEntry())->string("Exec"), fs::canonical("/proc/self/exe").string());
}

}  // namespace
}  // namespace quillmark
