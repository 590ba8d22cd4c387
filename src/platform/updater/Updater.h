#pragma once

#include "base/MainQueue.h"
#include "base/WeakGuard.h"
#include "platform/updater/AppcastItem.h"
#include "platform/updater/UpdateCheckScheduler.h"
#include "platform/updater/UpdateDownloader.h"
#include "platform/updater/UpdateInstaller.h"
#include "platform/updater/UpdateWorker.h"
#include "platform/updater/UpdaterSettings.h"
#include "platform/updater/UpdaterUserDriver.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quillmark {

// Our appcast updater: scheduled and user-initiated checks of the feed, the offer, the download with its
// length and signature checked, and the install. The checks of a complete download, and an install that
// only writes files (the AppImage's), run on a worker thread while the download's window says what is
// happening; everything else, and every call, is on the main thread. Every check first removes all but
// the newest file in the download directory, where packages handed to the desktop would otherwise pile
// up. Does nothing until started.
class Updater {
public:
    struct Configuration {
        QUrl feedUrl;
        std::string publicEDKey;     // base64 Ed25519 public key
        std::string currentVersion;  // this build's CFBundleVersion
        QString downloadDirectory;   // where releases are downloaded
    };
    struct Hooks {
        UpdateCheckScheduler::WallClock wallClock;
        // Opens an informational update's page.
        UpdateInstaller::OpenUrl openUrl;
        // After the running copy was replaced: shut down cleanly and start `program`, the new one.
        std::function<void(const std::string& program)> relaunch;
    };

    Updater(Configuration configuration, MainQueue& queue, UpdaterSettings& settings, UpdaterUserDriver& driver,
            std::unique_ptr<UpdateInstaller> installer, Hooks hooks);
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // Background checks follow the automatic-check flag from now on.
    void start();
    bool isStarted() const { return started_; }
    void setAutomaticallyChecksForUpdates(bool enabled) { scheduler_.setEnabled(enabled); }
    bool automaticallyChecksForUpdates() const { return scheduler_.isEnabled(); }
    bool hasScheduledCheck() const { return scheduler_.hasScheduledCheck(); }

    // A check the user asked for: it always ends in an offer, "up to date" or an error. While a check
    // runs in the background, that check answers instead; while an update is offered or downloading,
    // nothing more happens.
    void checkForUpdates();
    // True from a check's start until its last window is answered.
    bool isBusy() const { return stage_ != Stage::idle; }

private:
    enum class Stage { idle, checking, offering, downloading, installing, acknowledging };
    // What the worker found: why the download was refused, or the outcome of an install it ran.
    struct WorkerResult {
        std::optional<std::string> error;
        std::optional<UpdateInstaller::Outcome> outcome;
    };

    void checkInBackground();
    void beginCheck(bool userInitiated);
    void feedArrived(UpdateDownloader::FeedResult result);
    std::optional<AppcastItem> newestItem(const std::vector<AppcastItem>& items) const;
    void offer(const AppcastItem& item);
    void choose(const AppcastItem& item, UpdaterUserDriver::UpdateChoice choice);
    void download(const AppcastItem& item);
    void cancelDownload();
    void downloaded(const AppcastItem& item, const QString& path, std::optional<std::string> error);
    void verifyAndInstall(const AppcastItem& item, const QString& path);
    void workerDone(const QString& path, WorkerResult result);
    void install(const QString& path);
    void installed(const QString& path, const UpdateInstaller::Outcome& outcome);
    void fail(const std::string& message);
    void finish() { stage_ = Stage::idle; }
    QString downloadPath(const QUrl& url) const;

    Configuration configuration_;
    MainQueue& queue_;
    UpdaterSettings& settings_;
    UpdaterUserDriver& driver_;
    std::unique_ptr<UpdateInstaller> installer_;
    Hooks hooks_;
    // Before the parts whose callbacks it wraps; ended first by the destructor.
    WeakGuard guard_;
    UpdateDownloader downloader_;
    UpdateCheckScheduler scheduler_;
    bool started_ = false;
    Stage stage_ = Stage::idle;
    // Whether the user asked for this check or answered its offer: then every outcome is shown.
    bool userEngaged_ = false;
    // Last: its destructor waits for a job in progress while everything the job uses still exists.
    UpdateWorker worker_;
};

}  // namespace quillmark
