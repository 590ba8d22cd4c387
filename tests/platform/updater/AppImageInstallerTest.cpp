// Replacing a running AppImage in place: stand-ins that start as AppImages do, in a temporary directory.
#include "platform/updater/AppImageInstaller.h"

#include "AppImageBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace quillmark::testing {
namespace {

const QByteArray kOldImage = appImageBytes("echo old\n");
const QByteArray kNewImage = appImageBytes("echo new\n");

void writeFile(const QString& path, const QByteArray& contents, mode_t mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    file.close();
    ASSERT_EQ(chmod(path.toLocal8Bit().constData(), mode), 0);
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    return stat(path.toLocal8Bit().constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// Root writes to read-only directories: as root the install runs in a child process as nobody, for whom
// the directory is read-only as it is for any user without write permission.
UpdateInstaller::Outcome installWithoutPrivileges(AppImageInstaller& installer, const QString& update) {
    if (geteuid() != 0) return installer.install(update);
    int channel[2];
    if (pipe(channel) != 0) return {UpdateInstaller::Outcome::Kind::failed, "pipe"};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        const auto outcome = installer.install(update);
        const std::string report = std::to_string(static_cast<int>(outcome.kind)) + "\n" + outcome.error;
        const ssize_t written = write(channel[1], report.data(), report.size());
        _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 3);
    }
    close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const auto newline = report.find('\n');
    if (newline == std::string::npos) return {UpdateInstaller::Outcome::Kind::replacedRunningCopy, "no report"};
    return {static_cast<UpdateInstaller::Outcome::Kind>(std::stoi(report.substr(0, newline))),
            report.substr(newline + 1)};
}

class AppImageInstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(appDir_.isValid() && downloads_.isValid());
        appImage_ = appDir_.filePath("Quillmark-x86_64.AppImage");
        writeFile(appImage_, kOldImage, 0750);
        update_ = downloads_.filePath("Quillmark-1.2-x86_64.AppImage");
        writeFile(update_, kNewImage, 0600);
    }

    QStringList appDirEntries() const {
        return QDir(appDir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir appDir_;
    QTemporaryDir downloads_;
    QString appImage_;
    QString update_;
};

TEST_F(AppImageInstallerTest, ReplacesTheFileInPlaceKeepingItsMode) {
    AppImageInstaller installer(appImage_);
    const auto outcome = installer.install(update_);
    EXPECT_EQ(outcome.kind, UpdateInstaller::Outcome::Kind::replacedRunningCopy) << outcome.error;
    EXPECT_EQ(contentsOf(appImage_), kNewImage);
    EXPECT_EQ(modeOf(appImage_), 0750u);
    EXPECT_EQ(appDirEntries(), QStringList{"Quillmark-x86_64.AppImage"}) << "no temporary file is left";
    EXPECT_EQ(outcome.relaunch, appImage_.toStdString()) << "the new version starts from where the old one was";
}

TEST_F(AppImageInstallerTest, AReadOnlyLocationIsAnErrorAndTheOldFileStaysWhole) {
    ASSERT_EQ(chmod(appDir_.path().toLocal8Bit().constData(), 0555), 0);
    ASSERT_EQ(chmod(downloads_.path().toLocal8Bit().constData(), 0755), 0);
    ASSERT_EQ(chmod(update_.toLocal8Bit().constData(), 0644), 0);
    AppImageInstaller installer(appImage_);
    const auto outcome = installWithoutPrivileges(installer, update_);
    chmod(appDir_.path().toLocal8Bit().constData(), 0755);
    EXPECT_EQ(outcome.kind, UpdateInstaller::Outcome::Kind::failed);
    EXPECT_NE(outcome.error.find("not writable"), std::string::npos) << outcome.error;
    EXPECT_EQ(contentsOf(appImage_), kOldImage);
    EXPECT_EQ(modeOf(appImage_), 0750u);
    EXPECT_EQ(appDirEntries(), QStringList{"Quillmark-x86_64.AppImage"});
}

TEST_F(AppImageInstallerTest, AMissingAppImageOrDownloadIsAnError) {
    AppImageInstaller gone(appDir_.filePath("gone.AppImage"));
    EXPECT_EQ(gone.install(update_).kind, UpdateInstaller::Outcome::Kind::failed);
    AppImageInstaller installer(appImage_);
    EXPECT_EQ(installer.install(downloads_.filePath("missing")).kind, UpdateInstaller::Outcome::Kind::failed);
    EXPECT_EQ(contentsOf(appImage_), kOldImage);
    EXPECT_EQ(appDirEntries(), QStringList{"Quillmark-x86_64.AppImage"});
}

// A download of another kind (a .deb, a script, an ELF file that is no AppImage, an AppImage of the old
// type 1) never replaces an AppImage; nor is a file that is no AppImage replaced.
TEST_F(AppImageInstallerTest, OnlyAnAppImageReplacesAnAppImage) {
    QByteArray notExecutable = kNewImage;
    notExecutable[16] = 1;  // ET_REL
    QByteArray typeOne = kNewImage;
    typeOne[10] = 1;
    const struct {
        const char* name;
        QByteArray contents;
    } downloads[] = {
        {"a Debian package", "!<arch>\ndebian-binary   1700000000  0     0     100644  4         `\n2.0\n"},
        {"a shell script", "#!/bin/sh\necho new\n"},
        {"an ELF executable without the AppImage magic", QByteArray("\x7f"
                                                                    "ELF\x02\x01\x01",
                                                                    7) +
                                                             QByteArray(57, '\0')},
        {"an object file with the magic", notExecutable},
        {"a type-1 AppImage", typeOne},
        {"the first bytes of an AppImage only", kNewImage.left(12)},
        {"an empty file", ""},
    };
    for (const auto& download : downloads) {
        writeFile(update_, download.contents, 0600);
        AppImageInstaller installer(appImage_);
        const auto outcome = installer.install(update_);
        EXPECT_EQ(outcome.kind, UpdateInstaller::Outcome::Kind::failed) << download.name;
        EXPECT_NE(outcome.error.find("cannot be installed here"), std::string::npos) << outcome.error;
        EXPECT_NE(outcome.error.find("Nothing was changed"), std::string::npos) << outcome.error;
        EXPECT_EQ(contentsOf(appImage_), kOldImage) << download.name;
        EXPECT_EQ(modeOf(appImage_), 0750u) << download.name;
        EXPECT_EQ(appDirEntries(), QStringList{"Quillmark-x86_64.AppImage"}) << download.name;
    }

    const QString document = appDir_.filePath("notes.txt");
    writeFile(document, "another program's file\n", 0644);
    writeFile(update_, kNewImage, 0600);
    AppImageInstaller installer(document);
    const auto outcome = installer.install(update_);
    EXPECT_EQ(outcome.kind, UpdateInstaller::Outcome::Kind::failed);
    EXPECT_NE(outcome.error.find("cannot be installed here"), std::string::npos) << outcome.error;
    EXPECT_EQ(contentsOf(document), "another program's file\n");
}

TEST(AppImageMagic, TellsAType2AppImageByItsELFHeaderAndMagic) {
    QTemporaryDir dir;
    const auto check = [&](const QByteArray& contents) {
        const QString path = dir.filePath("file");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
        file.close();
        const int fd = open(path.toLocal8Bit().constData(), O_RDONLY);
        const bool result = AppImageInstaller::isAppImage(fd);
        close(fd);
        return result;
    };
    EXPECT_TRUE(check(kNewImage));
    QByteArray pie = kNewImage;
    pie[16] = 3;  // ET_DYN
    EXPECT_TRUE(check(pie));
    QByteArray bigEndian = kNewImage;
    bigEndian[5] = 2;
    bigEndian[16] = 0;
    bigEndian[17] = 2;
    EXPECT_TRUE(check(bigEndian));
    QByteArray elfOnly = kNewImage;
    elfOnly[8] = 0;
    EXPECT_FALSE(check(elfOnly));
    EXPECT_FALSE(check(kNewImage.mid(1)));
    EXPECT_FALSE(AppImageInstaller::isAppImage(-1));
}

}  // namespace
}  // namespace quillmark::testing
