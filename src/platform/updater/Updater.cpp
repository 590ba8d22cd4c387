#include "platform/updater/Updater.h"

#include "log/SystemLog.h"
#include "platform/updater/AppcastParser.h"
#include "platform/updater/Ed25519Verifier.h"
#include "platform/updater/UpdateUrlPolicy.h"
#include "platform/updater/VersionComparator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

namespace quillmark {

namespace {

// On the worker thread: the download's size and signature; a file that fails is deleted. It is synced
// first, so that what was checked is what the disk holds.
std::optional<std::string> checkDownload(const std::string& path, std::int64_t length, const Ed25519Verifier& verifier,
                                         const std::string& signature) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    const bool sized = fd >= 0 && ::fstat(fd, &status) == 0 && status.st_size == length;
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    if (!sized) {
        ::unlink(path.c_str());
        return "The downloaded update does not have the size the update feed gives; it was deleted.";
    }
    if (!verifier.verifyFile(path, signature)) {
        ::unlink(path.c_str());
        return "The downloaded update is not signed by the publisher of this program; it was deleted.";
    }
    return std::nullopt;
}

// What an interrupted download leaves beside its target (UpdateDownloader).
bool isPartialDownload(const std::string& name) {
    return name.size() > 1 && name.front() == '.' && name.find(".download-") != std::string::npos;
}

// Every package handed to the desktop stays in the download directory: at each check the newest is
// kept (its installer may still have it open) and the others go, with anything an interrupted
// download left. Files only; nothing is followed out of the directory.
void removeSupersededDownloads(const std::string& directory) {
    namespace fs = std::filesystem;
    std::vector<std::pair<fs::file_time_type, fs::path>> packages;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::error_code statusError;
        const fs::file_status status = it->symlink_status(statusError);
        if (statusError || (!fs::is_regular_file(status) && !fs::is_symlink(status))) continue;
        const fs::path path = it->path();
        if (isPartialDownload(path.filename().string())) {
            fs::remove(path, statusError);
            continue;
        }
        const auto modified = fs::last_write_time(path, statusError);
        packages.emplace_back(statusError ? fs::file_time_type::min() : modified, path);
    }
    if (packages.size() < 2) return;
    const auto newest = std::max_element(packages.begin(), packages.end());
    for (auto it = packages.begin(); it != packages.end(); ++it) {
        if (it == newest) continue;
        std::error_code removeError;
        fs::remove(it->second, removeError);
    }
}

}  // namespace

Updater::Updater(Configuration configuration, MainQueue& queue, UpdaterSettings& settings, UpdaterUserDriver& driver,
                 std::unique_ptr<UpdateInstaller> installer, Hooks hooks)
    : configuration_(std::move(configuration)), queue_(queue), settings_(settings), driver_(driver),
      installer_(std::move(installer)), hooks_(std::move(hooks)),
      scheduler_(queue_, settings_, hooks_.wallClock, guard_.wrap([this] { checkInBackground(); })) {}

Updater::~Updater() { guard_.end(); }

void Updater::start() {
    if (started_) return;
    started_ = true;
    scheduler_.start();
}

void Updater::checkForUpdates() {
    if (stage_ == Stage::checking) {
        userEngaged_ = true;
        return;
    }
    if (stage_ != Stage::idle) return;
    beginCheck(true);
}

void Updater::checkInBackground() {
    // An update already on screen stands for this check; the next one is counted from now.
    if (stage_ != Stage::idle) {
        scheduler_.recordCheck();
        return;
    }
    beginCheck(false);
}

void Updater::beginCheck(bool userInitiated) {
    stage_ = Stage::checking;
    userEngaged_ = userInitiated;
    removeSupersededDownloads(configuration_.downloadDirectory.toStdString());
    scheduler_.recordCheck();
    downloader_.fetchFeed(configuration_.feedUrl, AppcastParser::maxFeedBytes,
                          guard_.wrap([this](UpdateDownloader::FeedResult result) { feedArrived(std::move(result)); }));
}

void Updater::feedArrived(UpdateDownloader::FeedResult result) {
    if (!result.bytes) {
        fail("The update feed could not be loaded. " + result.error);
        return;
    }
    const AppcastParser::Result feed = AppcastParser::parse(*result.bytes);
    if (feed.error) {
        fail(*feed.error);
        return;
    }
    const auto newest = newestItem(feed.items);
    if (!newest) {
        if (!userEngaged_) return finish();
        stage_ = Stage::acknowledging;
        driver_.showUpToDate(guard_.wrap([this] { finish(); }));
        return;
    }
    const auto skipped = settings_.skippedVersion();
    const bool skippedByUser = skipped && VersionComparator::compare(newest->version, *skipped) <= 0;
    if (!userEngaged_ && skippedByUser && !newest->criticalUpdate) return finish();
    offer(*newest);
}

std::optional<AppcastItem> Updater::newestItem(const std::vector<AppcastItem>& items) const {
    std::optional<AppcastItem> newest;
    for (const AppcastItem& item : items) {
        if (VersionComparator::compare(item.version, configuration_.currentVersion) <= 0) continue;
        if (!newest || VersionComparator::compare(item.version, newest->version) > 0) newest = item;
    }
    return newest;
}

void Updater::offer(const AppcastItem& item) {
    stage_ = Stage::offering;
    AppcastItem shown = item;
    // Only links the updater would fetch itself reach the user.
    if (!UpdateUrlPolicy::isAllowed(QUrl(QString::fromStdString(shown.releaseNotesLink))))
        shown.releaseNotesLink.clear();
    driver_.showUpdateFound(
        shown, !item.criticalUpdate,
        guard_.wrap([this, item](UpdaterUserDriver::UpdateChoice choice) { choose(item, choice); }));
}

void Updater::choose(const AppcastItem& item, UpdaterUserDriver::UpdateChoice choice) {
    userEngaged_ = true;
    switch (choice) {
    case UpdaterUserDriver::UpdateChoice::skip: settings_.setSkippedVersion(item.version); return finish();
    case UpdaterUserDriver::UpdateChoice::remindLater: return finish();
    case UpdaterUserDriver::UpdateChoice::install: break;
    }
    if (!item.informationalUpdate) return download(item);
    const QUrl page(QString::fromStdString(item.informationLink()));
    if (!UpdateUrlPolicy::isAllowed(page) || !hooks_.openUrl(page))
        return fail("The page of this update could not be opened: " + item.informationLink());
    finish();
}

void Updater::download(const AppcastItem& item) {
    if (!Ed25519Verifier::fromBase64Key(configuration_.publicEDKey))
        return fail("This build's update key (SUPublicEDKey) is not a valid Ed25519 public key, so no update can "
                    "be installed.");
    if (!item.enclosure.length || *item.enclosure.length == 0)
        return fail("The update feed does not give the size of the download, so it cannot be checked.");
    const QUrl url(QString::fromStdString(item.enclosure.url));
    const QString path = downloadPath(url);
    stage_ = Stage::downloading;
    driver_.showDownloadStarted(guard_.wrap([this] { cancelDownload(); }));
    downloader_.download(url, path, item.enclosure.length,
                         guard_.wrap([this](std::int64_t received, std::int64_t total) {
                             driver_.showDownloadProgress(received, total);
                         }),
                         guard_.wrap([this, item, path](std::optional<std::string> error) {
                             downloaded(item, path, std::move(error));
                         }));
}

void Updater::cancelDownload() {
    if (stage_ != Stage::downloading) return;
    downloader_.cancelDownload();
    driver_.dismissDownload();
    finish();
}

void Updater::downloaded(const AppcastItem& item, const QString& path, std::optional<std::string> error) {
    if (error) {
        driver_.dismissDownload();
        return fail(*error);
    }
    stage_ = Stage::installing;
    driver_.showInstallStep(UpdaterUserDriver::InstallStep::verifying);
    verifyAndInstall(item, path);
}

// Hashing a large download, and copying and syncing it into place, would hold the main thread for
// seconds (no hotkeys, no HUD, and a hang report of our own making): the worker does both.
void Updater::verifyAndInstall(const AppcastItem& item, const QString& path) {
    const auto verifier = Ed25519Verifier::fromBase64Key(configuration_.publicEDKey);  // checked before the download
    // Made here on the main thread, called there through the queue.
    auto showInstalling = guard_.wrap([this] { driver_.showInstallStep(UpdaterUserDriver::InstallStep::installing); });
    auto done = guard_.wrap([this, path](WorkerResult result) { workerDone(path, std::move(result)); });
    UpdateInstaller* installer = installer_->installsOffMainThread() ? installer_.get() : nullptr;
    worker_.start([&queue = queue_, verifier = *verifier, path, length = *item.enclosure.length,
                   signature = item.enclosure.edSignature, installer, showInstalling, done]() mutable {
        const std::string file = path.toStdString();
        WorkerResult result{checkDownload(file, length, verifier, signature), std::nullopt};
        if (!result.error && installer) {
            queue.post(showInstalling);
            result.outcome = installer->install(path);
            // Installed or refused, the download has served; a package handed on stays for its installer.
            if (result.outcome->kind != UpdateInstaller::Outcome::Kind::handedToInstaller) ::unlink(file.c_str());
        }
        queue.post([done, result = std::move(result)]() mutable { done(std::move(result)); });
    });
}

void Updater::workerDone(const QString& path, WorkerResult result) {
    driver_.dismissDownload();
    if (result.error) return fail(*result.error);
    if (result.outcome) return installed(path, *result.outcome);
    install(path);
}

void Updater::install(const QString& path) { installed(path, installer_->install(path)); }

void Updater::installed(const QString& path, const UpdateInstaller::Outcome& outcome) {
    switch (outcome.kind) {
    case UpdateInstaller::Outcome::Kind::replacedRunningCopy:
        QFile::remove(path);
        finish();
        SystemLog::write("Quillmark: update installed; restarting.");
        hooks_.relaunch(outcome.relaunch);
        return;
    case UpdateInstaller::Outcome::Kind::handedToInstaller:
        stage_ = Stage::acknowledging;
        driver_.showHandedToInstaller(path.toStdString(), guard_.wrap([this] { finish(); }));
        return;
    case UpdateInstaller::Outcome::Kind::failed: QFile::remove(path); return fail(outcome.error);
    }
}

void Updater::fail(const std::string& message) {
    SystemLog::write("Quillmark: update failed: " + message);
    if (!userEngaged_) return finish();
    stage_ = Stage::acknowledging;
    driver_.showUpdaterError(message, guard_.wrap([this] { finish(); }));
}

QString Updater::downloadPath(const QUrl& url) const {
    QString name = QFileInfo(url.path()).fileName();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) name = QStringLiteral("Quillmark-update");
    return QDir(configuration_.downloadDirectory).filePath(name);
}

}  // namespace quillmark
