// The updater against a local HTTP server on loopback, with keys made here: what is offered, what is
// refused, what is remembered, and what the user is told. The main queue runs in virtual time.
#include "AppImageBytes.h"
#include "MemoryUpdaterSettings.h"
#include "ReleaseSigner.h"
#include "VirtualWallClock.h"

#include "LoopbackHttpServer.h"
#include "ManualMainQueue.h"
#include "QtSpin.h"
#include "RecordingUserDriver.h"
#include "TestApplication.h"
#include "platform/crash/AppHangWatchdog.h"
#include "platform/updater/AppImageInstaller.h"
#include "platform/updater/DesktopPackageInstaller.h"
#include "platform/updater/Updater.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;
using Choice = UpdaterUserDriver::UpdateChoice;
using Step = UpdaterUserDriver::InstallStep;

struct Release {
    std::string version;
    std::string os = "linux";
    QByteArray contents = "package " + QByteArray::fromStdString(version);
    std::optional<std::string> signature;  // the publisher's over `contents` when not given
    std::optional<qint64> length;          // the size of `contents` when not given
    bool informational = false;
    bool critical = false;
    std::optional<QByteArray> served;  // what the server sends; `contents` when not given
    std::optional<qsizetype> holdAfter;
    std::string url;  // the server's own address when empty
};

class UpdaterTest : public ::testing::Test {
protected:
    static constexpr const char* currentVersion = "1.1";

    // The server is a member: the application must exist before the fixture does.
    static void SetUpTestSuite() { testApplication<QCoreApplication>(); }
    void SetUp() override {
        ASSERT_TRUE(downloads_.isValid());
        ASSERT_TRUE(appDir_.isValid());
    }

    std::unique_ptr<Updater> makeUpdater(std::unique_ptr<UpdateInstaller> installer = {},
                                         std::optional<std::string> key = std::nullopt, QUrl feed = QUrl()) {
        if (!installer)
            installer = std::make_unique<DesktopPackageInstaller>([this](const QUrl& url) {
                handed_.push_back(url);
                return true;
            });
        Updater::Configuration configuration{feed.isEmpty() ? server_.url("/appcast.xml") : feed,
                                             key.value_or(publisher_.publicKeyBase64()), currentVersion,
                                             downloads_.path()};
        Updater::Hooks hooks;
        hooks.wallClock = [this] { return virtualWallTime(queue_); };
        hooks.openUrl = [this](const QUrl& url) {
            opened_.push_back(url);
            return true;
        };
        hooks.relaunch = [this](const std::string& program) {
            ++relaunches_;
            relaunched_ = program;
        };
        return std::make_unique<Updater>(configuration, queue_, settings_, driver_, std::move(installer), hooks);
    }

    void publish(const std::vector<Release>& releases) {
        QByteArray items;
        for (const Release& release : releases) {
            const QString path = QStringLiteral("/quillmark_%1.deb").arg(QString::fromStdString(release.version));
            const std::string url = release.url.empty() ? server_.url(path).toString().toStdString() : release.url;
            items += "<item><title>Version " + QByteArray::fromStdString(release.version) + "</title>";
            items += "<sparkle:version>" + QByteArray::fromStdString(release.version) + "</sparkle:version>";
            if (release.informational) items += "<link>https://example.com/news</link><sparkle:informationalUpdate/>";
            if (release.critical) items += "<sparkle:criticalUpdate/>";
            items += "<enclosure url=\"" + QByteArray::fromStdString(url) + "\" length=\"" +
                     QByteArray::number(release.length.value_or(release.contents.size())) + "\" sparkle:os=\"" +
                     QByteArray::fromStdString(release.os) + "\" sparkle:edSignature=\"" +
                     QByteArray::fromStdString(release.signature.value_or(publisher_.sign(release.contents))) +
                     "\" type=\"application/vnd.debian.binary-package\"/></item>\n";
            server_.serve(path, {200, release.served.value_or(release.contents), {}, release.holdAfter});
        }
        server_.serve("/appcast.xml", {200,
                                       R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><title>Quillmark</title>
)" + items + "</channel></rss>",
                                       {},
                                       std::nullopt});
    }

    // An updater with automatic checks on, started, its first check just due.
    std::unique_ptr<Updater> startWithAutomaticChecks() {
        auto updater = makeUpdater();
        updater->setAutomaticallyChecksForUpdates(true);
        updater->start();
        queue_.advance(UpdateCheckScheduler::firstCheckDelay);
        return updater;
    }

    // Puts in place the AppImage this program runs from, one that holds `payload`.
    [[nodiscard]] bool installAppImage(const QByteArray& payload) {
        const QByteArray bytes = appImageBytes(payload);
        QFile file(appImage_);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // Runs the main thread until the updater has nothing left to do.
    bool settle(Updater& updater) {
        return spinUntil(queue_, [&] { return !updater.isBusy(); });
    }

    QStringList downloadedFiles() const {
        return QDir(downloads_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    ManualMainQueue queue_;
    LoopbackHttpServer server_;
    QTemporaryDir downloads_;
    QTemporaryDir appDir_;  // the AppImage's, alone in it
    const QString appImage_ = appDir_.filePath("Quillmark.AppImage");
    MemoryUpdaterSettings settings_;
    RecordingUserDriver driver_;
    ReleaseSigner publisher_;
    std::vector<QUrl> handed_;
    std::vector<QUrl> opened_;
    int relaunches_ = 0;
    std::string relaunched_;
};

TEST_F(UpdaterTest, TheNewestLinuxReleaseIsOfferedVerifiedAndHandedToThePackageInstaller) {
    const Release newest{.version = "1.3", .contents = QByteArray(300'000, 'p')};
    publish({{.version = "1.0"},
             {.version = "1.2"},
             newest,
             {.version = "9.0", .os = "macos"},
             {.version = "8.0", .os = ""}});
    driver_.answer = Choice::install;
    auto updater = makeUpdater();
    updater->start();
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));

    ASSERT_EQ(driver_.offers.size(), 1u);
    EXPECT_EQ(driver_.offers[0].version, "1.3");
    EXPECT_TRUE(driver_.offersSkippable[0]);
    EXPECT_TRUE(driver_.errors.empty()) << driver_.errors[0];
    ASSERT_FALSE(driver_.progress.empty());
    EXPECT_EQ(driver_.progress.back(), (std::pair<std::int64_t, std::int64_t>{300000, 300000}));
    EXPECT_EQ(driver_.downloadsDismissed, 1);
    ASSERT_EQ(handed_.size(), 1u);
    const QString package = downloads_.filePath("quillmark_1.3.deb");
    EXPECT_EQ(handed_[0], QUrl::fromLocalFile(package));
    ASSERT_EQ(driver_.handedOver, std::vector<std::string>{package.toStdString()});
    QFile file(package);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), newest.contents);
    EXPECT_EQ(downloadedFiles(), QStringList{"quillmark_1.3.deb"}) << "no temporary file is left beside it";
    EXPECT_EQ(settings_.lastCheck_, virtualWallTime(queue_));
}

TEST_F(UpdaterTest, TheSameOrAnOlderVersionIsNotOffered) {
    publish({{.version = "1.0"}, {.version = "1.1"}, {.version = "1.1b3"}, {.version = "2.0", .os = "windows"}});
    auto updater = startWithAutomaticChecks();
    ASSERT_TRUE(spinUntil(queue_, [&] { return server_.requestCount("/appcast.xml") == 1 && !updater->isBusy(); }));
    EXPECT_EQ(driver_.alerts(), 0u) << "a background check that finds nothing stays silent";

    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_EQ(driver_.upToDate, 1) << "the user's own check always answers";
    EXPECT_TRUE(driver_.offers.empty());
}

TEST_F(UpdaterTest, DownloadsThatFailTheirChecksAreRefusedAndDeleted) {
    ReleaseSigner stranger;
    const QByteArray contents(50'000, 'r');
    QByteArray tampered = contents;
    tampered[25'000] = 'X';
    const struct {
        const char* name;
        Release release;
    } table[] = {
        {"tampered file", {.version = "2.0", .contents = contents, .served = tampered}},
        {"wrong signature", {.version = "2.0", .contents = contents, .signature = stranger.sign(contents)}},
        {"no signature", {.version = "2.0", .contents = contents, .signature = ""}},
        {"longer than said", {.version = "2.0", .contents = contents, .length = 40'000}},
        {"shorter than said", {.version = "2.0", .contents = contents, .length = 60'000}},
    };
    for (const auto& [name, release] : table) {
        driver_ = RecordingUserDriver();
        driver_.answer = Choice::install;
        publish({release});
        auto updater = makeUpdater();
        updater->start();
        updater->checkForUpdates();
        ASSERT_TRUE(settle(*updater)) << name;
        EXPECT_EQ(driver_.errors.size(), 1u) << name;
        EXPECT_TRUE(handed_.empty()) << name;
        EXPECT_TRUE(downloadedFiles().isEmpty()) << name << ": " << downloadedFiles().join(", ").toStdString();
    }
}

TEST_F(UpdaterTest, ASkippedVersionIsOfferedOnlyWhenTheUserAsksOrANewerOneAppears) {
    publish({{.version = "1.2"}});
    driver_.answer = Choice::skip;
    auto updater = startWithAutomaticChecks();
    ASSERT_TRUE(spinUntil(queue_, [&] { return driver_.offers.size() == 1 && !updater->isBusy(); }));
    EXPECT_EQ(settings_.skippedVersion_, "1.2");

    queue_.advance(UpdateCheckScheduler::interval);
    ASSERT_TRUE(spinUntil(queue_, [&] { return server_.requestCount("/appcast.xml") == 2 && !updater->isBusy(); }));
    EXPECT_EQ(driver_.offers.size(), 1u) << "the background check passes the skipped version over";

    driver_.answer = Choice::remindLater;
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    ASSERT_EQ(driver_.offers.size(), 2u) << "the user's own check offers it";
    EXPECT_EQ(driver_.offers[1].version, "1.2");

    publish({{.version = "1.2"}, {.version = "1.2.1"}});
    queue_.advance(UpdateCheckScheduler::interval);
    ASSERT_TRUE(spinUntil(queue_, [&] { return driver_.offers.size() == 3 && !updater->isBusy(); }));
    EXPECT_EQ(driver_.offers[2].version, "1.2.1");
}

TEST_F(UpdaterTest, ACriticalUpdateCannotBeSkipped) {
    settings_.skippedVersion_ = "1.5";
    publish({{.version = "1.5", .critical = true}});
    driver_.answer = Choice::remindLater;
    auto updater = startWithAutomaticChecks();
    ASSERT_TRUE(spinUntil(queue_, [&] { return driver_.offers.size() == 1 && !updater->isBusy(); }));
    EXPECT_FALSE(driver_.offersSkippable[0]);
}

TEST_F(UpdaterTest, WithAutomaticChecksOffNothingIsScheduledButTheUsersCheckWorks) {
    publish({{.version = "1.2"}});
    auto updater = makeUpdater();
    updater->setAutomaticallyChecksForUpdates(false);
    updater->start();
    EXPECT_FALSE(updater->hasScheduledCheck());
    queue_.advance(UpdateCheckScheduler::interval * 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(server_.requestCount("/appcast.xml"), 0);

    driver_.answer = Choice::remindLater;
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_EQ(driver_.offers.size(), 1u);
    EXPECT_FALSE(updater->hasScheduledCheck());

    updater->setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(updater->hasScheduledCheck()) << "switching on schedules from the last check";
}

TEST_F(UpdaterTest, ACancelledDownloadLeavesNoFile) {
    publish({{.version = "1.2", .contents = QByteArray(400'000, 'c'), .holdAfter = 100'000}});
    driver_.answer = Choice::install;
    auto updater = makeUpdater();
    updater->start();
    updater->checkForUpdates();
    ASSERT_TRUE(
        spinUntil(queue_, [&] { return !driver_.progress.empty() && driver_.progress.back().first >= 100'000; }));
    EXPECT_EQ(driver_.progress.back().second, 400'000);
    ASSERT_TRUE(driver_.cancel);
    driver_.cancel();
    EXPECT_FALSE(updater->isBusy());
    EXPECT_EQ(driver_.downloadsDismissed, 1);
    server_.releaseHeld();
    for (int round = 0; round < 20; ++round) QCoreApplication::processEvents();
    EXPECT_TRUE(downloadedFiles().isEmpty()) << downloadedFiles().join(", ").toStdString();
    EXPECT_TRUE(driver_.errors.empty());
    EXPECT_TRUE(handed_.empty());
}

TEST_F(UpdaterTest, OnlyHttpsAddressesAreFetched) {
    auto plainFeed = makeUpdater({}, std::nullopt, QUrl("http://updates.example.com/appcast.xml"));
    plainFeed->checkForUpdates();
    ASSERT_TRUE(settle(*plainFeed));
    ASSERT_EQ(driver_.errors.size(), 1u);
    EXPECT_NE(driver_.errors[0].find("HTTPS"), std::string::npos) << driver_.errors[0];

    server_.serve("/moved.xml", {302, {}, "http://updates.example.com/appcast.xml", std::nullopt});
    auto redirected = makeUpdater({}, std::nullopt, server_.url("/moved.xml"));
    redirected->checkForUpdates();
    ASSERT_TRUE(settle(*redirected));
    ASSERT_EQ(driver_.errors.size(), 2u) << "a redirect may not leave HTTPS either";
    EXPECT_NE(driver_.errors[1].find("HTTPS"), std::string::npos) << driver_.errors[1];

    publish({{.version = "1.2", .url = "http://updates.example.com/quillmark_1.2.deb"}});
    driver_.answer = Choice::install;
    auto updater = makeUpdater();
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    ASSERT_EQ(driver_.errors.size(), 3u);
    EXPECT_NE(driver_.errors[2].find("HTTPS"), std::string::npos) << driver_.errors[2];
    EXPECT_TRUE(downloadedFiles().isEmpty());

    server_.serve("/moved.xml", {302, {}, server_.url("/appcast.xml").toEncoded(), std::nullopt});
    driver_.answer = Choice::remindLater;
    redirected->checkForUpdates();
    ASSERT_TRUE(settle(*redirected));
    EXPECT_EQ(driver_.offers.size(), 2u) << "redirects that stay allowed are followed";
}

TEST_F(UpdaterTest, AKeyThatIsNotAnEd25519KeyRefusesEveryInstall) {
    publish({{.version = "1.2"}});
    driver_.answer = Choice::install;
    auto updater = makeUpdater({}, "Q0hBTkdFLU1F");
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_EQ(driver_.offers.size(), 1u);
    ASSERT_EQ(driver_.errors.size(), 1u);
    EXPECT_NE(driver_.errors[0].find("SUPublicEDKey"), std::string::npos) << driver_.errors[0];
    EXPECT_EQ(server_.requestCount("/quillmark_1.2.deb"), 0);
    EXPECT_TRUE(handed_.empty());
}

TEST_F(UpdaterTest, AnInformationalUpdateOpensItsPage) {
    publish({{.version = "1.2", .informational = true}});
    driver_.answer = Choice::install;
    auto updater = makeUpdater();
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_EQ(opened_, std::vector<QUrl>{QUrl("https://example.com/news")});
    EXPECT_EQ(server_.requestCount("/quillmark_1.2.deb"), 0);
}

TEST_F(UpdaterTest, BackgroundFailuresAreSilentAndTheUsersCheckAnswersEvenWhileOneRuns) {
    server_.serve("/appcast.xml", {404, "gone", {}, std::nullopt});
    auto updater = startWithAutomaticChecks();
    ASSERT_TRUE(spinUntil(queue_, [&] { return server_.requestCount("/appcast.xml") == 1 && !updater->isBusy(); }));
    EXPECT_EQ(driver_.alerts(), 0u);

    publish({{.version = "1.0"}});
    queue_.advance(UpdateCheckScheduler::interval);
    ASSERT_TRUE(updater->isBusy()) << "the next background check is under way";
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_EQ(driver_.upToDate, 1);
    EXPECT_EQ(server_.requestCount("/appcast.xml"), 2) << "the running check answers; no second one";

    server_.serve("/appcast.xml", {200, "<html>not a feed</html>", {}, std::nullopt});
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_EQ(driver_.errors.size(), 1u);
}

TEST_F(UpdaterTest, AnAppImageReplacesItselfAndRelaunches) {
    ASSERT_TRUE(installAppImage("old"));
    const Release release{.version = "1.2", .contents = appImageBytes("echo 1.2\n")};
    publish({release});
    driver_.answer = Choice::install;
    auto updater = makeUpdater(std::make_unique<AppImageInstaller>(appImage_));
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_TRUE(driver_.errors.empty()) << driver_.errors[0];
    EXPECT_EQ(relaunches_, 1);
    EXPECT_EQ(relaunched_, appImage_.toStdString()) << "the replaced AppImage is what starts again";
    QFile replaced(appImage_);
    ASSERT_TRUE(replaced.open(QIODevice::ReadOnly));
    EXPECT_EQ(replaced.readAll(), release.contents);
    EXPECT_TRUE(downloadedFiles().isEmpty()) << "the download is removed once installed";
}

// A signed release of another kind (the .deb) is refused by an AppImage: the user is told, nothing is
// changed, nothing restarts.
TEST_F(UpdaterTest, APackageThatIsNotAnAppImageNeverReplacesTheAppImage) {
    ASSERT_TRUE(installAppImage("echo 1.1\n"));
    publish({{.version = "1.2",
              .contents = "!<arch>\ndebian-binary   1700000000  0     0     100644  4         `\n2.0\n"}});
    driver_.answer = Choice::install;
    auto updater = makeUpdater(std::make_unique<AppImageInstaller>(appImage_));
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    ASSERT_EQ(driver_.errors.size(), 1u);
    EXPECT_NE(driver_.errors[0].find("cannot be installed here"), std::string::npos) << driver_.errors[0];
    EXPECT_EQ(relaunches_, 0);
    QFile kept(appImage_);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), appImageBytes("echo 1.1\n"));
    EXPECT_EQ(QDir(appDir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Quillmark.AppImage"});
    EXPECT_TRUE(downloadedFiles().isEmpty());
}

TEST_F(UpdaterTest, TheDownloadsWindowSaysWhatIsDoneWithTheCompleteDownload) {
    publish({{.version = "1.2"}});
    driver_.answer = Choice::install;
    auto packaged = makeUpdater();
    packaged->checkForUpdates();
    ASSERT_TRUE(settle(*packaged));
    EXPECT_EQ(driver_.steps, std::vector<Step>{Step::verifying});
    EXPECT_EQ(driver_.downloadsDismissed, 1);
    EXPECT_EQ(handed_.size(), 1u);

    ASSERT_TRUE(installAppImage("old"));
    publish({{.version = "1.2", .contents = appImageBytes("echo 1.2\n")}});
    driver_ = RecordingUserDriver();
    driver_.answer = Choice::install;
    auto fromImage = makeUpdater(std::make_unique<AppImageInstaller>(appImage_));
    fromImage->checkForUpdates();
    ASSERT_TRUE(settle(*fromImage));
    EXPECT_EQ(driver_.steps, (std::vector<Step>{Step::verifying, Step::installing}));
    EXPECT_EQ(driver_.downloadsDismissed, 1);
    ASSERT_TRUE(driver_.cancel);
    driver_.cancel();  // too late: nothing happens
    EXPECT_EQ(driver_.downloadsDismissed, 1);
    EXPECT_EQ(relaunches_, 1);
}

// Handed-off packages do not pile up: each check keeps the newest and removes the others, with what an
// interrupted download left behind.
TEST_F(UpdaterTest, EachCheckKeepsOnlyTheNewestPackage) {
    const auto now = std::filesystem::file_time_type::clock::now();
    const auto put = [&](const QString& name, std::chrono::hours age) {
        QFile file(downloads_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("package");
        file.close();
        std::filesystem::last_write_time(downloads_.filePath(name).toStdString(), now - age);
    };
    put("quillmark_1.0.deb", std::chrono::hours(72));
    put("quillmark_1.1.deb", std::chrono::hours(48));
    put("quillmark_1.1.1.deb", std::chrono::hours(24));
    put(".quillmark_1.2.deb.download-Ab12Cd", std::chrono::hours(1));
    ASSERT_TRUE(QDir(downloads_.path()).mkpath("kept/inside"));
    publish({{.version = "1.1"}});
    auto updater = makeUpdater();
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_EQ(downloadedFiles(), QStringList{"quillmark_1.1.1.deb"});
    EXPECT_TRUE(QDir(downloads_.filePath("kept/inside")).exists()) << "only files are removed";

    publish({{.version = "1.2"}});
    driver_.answer = Choice::install;
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    ASSERT_EQ(handed_.size(), 1u);
    EXPECT_EQ(downloadedFiles(), (QStringList{"quillmark_1.1.1.deb", "quillmark_1.2.deb"}));
    updater->checkForUpdates();
    ASSERT_TRUE(settle(*updater));
    EXPECT_EQ(downloadedFiles(), QStringList{"quillmark_1.2.deb"});
}

// Verifying and installing a large download happen off the main thread: its events keep being served
// (hotkeys, the HUD, the progress window), and the hang tracking, here with a threshold well below the
// program's 2 s, reports nothing. Both are watched from the first step until the window goes; the
// download before them writes on the main thread as ever, and a machine busy with other work may
// slow that down.
TEST_F(UpdaterTest, TheMainThreadKeepsServingEventsWhileALargeUpdateIsVerifiedAndInstalled) {
    constexpr auto kLongestGap = std::chrono::milliseconds(250);
    ASSERT_TRUE(installAppImage("old"));
    const Release release{.version = "1.2", .contents = appImageBytes(QByteArray(128 << 20, 'q'))};
    publish({release});
    driver_.answer = Choice::install;

    std::atomic<int> hangs{0};
    std::atomic<bool> tracking{false};
    driver_.onInstallStep = [&](Step) { tracking = true; };
    driver_.onDismissDownload = [&] { tracking = false; };
    AppHangWatchdog::Hooks hooks;
    hooks.paused = [&] { return !tracking.load(); };
    hooks.onHang = [&](AppHangDetector::Clock::duration) { ++hangs; };
    AppHangWatchdog watchdog(std::chrono::milliseconds(500), std::chrono::milliseconds(20), hooks);
    std::vector<std::chrono::steady_clock::time_point> beats;
    QTimer heartbeat;
    heartbeat.setInterval(10);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        beats.push_back(std::chrono::steady_clock::now());
        watchdog.beat();
    });
    heartbeat.start();

    auto updater = makeUpdater(std::make_unique<AppImageInstaller>(appImage_));
    updater->checkForUpdates();
    ASSERT_TRUE(spinUntil(
        queue_, [&] { return !updater->isBusy(); }, std::chrono::seconds(120)));
    heartbeat.stop();
    ASSERT_TRUE(driver_.errors.empty()) << driver_.errors[0];
    ASSERT_EQ(relaunches_, 1);
    ASSERT_EQ(driver_.stepTimes.size(), 2u);

    // The longest stretch without a heartbeat from the check's start to the window's dismissal.
    const auto from = driver_.stepTimes.front();
    const auto until = driver_.dismissedAt;
    auto previous = from;
    std::chrono::steady_clock::duration longest{};
    for (const auto beat : beats) {
        if (beat <= from) continue;
        longest = std::max(longest, std::min(beat, until) - previous);
        previous = beat;
        if (beat >= until) break;
    }
    longest = std::max(longest, until - previous);
    std::printf("[figure] verifying and installing 128 MiB: %lld ms; longest main-thread gap %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(until - from).count()),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()));
    EXPECT_LT(longest, kLongestGap);
    EXPECT_EQ(hangs.load(), 0);
    EXPECT_EQ(QFileInfo(appImage_).size(), release.contents.size());
    EXPECT_TRUE(downloadedFiles().isEmpty());
}

}  // namespace
}  // namespace quillmark::testing
