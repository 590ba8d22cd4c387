#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QFile;
class QNetworkAccessManager;

namespace quillmark {

// The updater's HTTP over Qt Network: the feed into memory, a release into a file. Every address and
// every redirect must pass UpdateUrlPolicy. A download goes to a temporary file beside its target and
// takes the target's name only when complete; a failed or cancelled one leaves no file. Nothing here
// waits for the disk (no sync: what needs one gets it off the main thread). One feed and one download
// at a time. Main thread only.
class UpdateDownloader {
public:
    // The feed's bytes, or why there are none.
    struct FeedResult {
        std::optional<QByteArray> bytes;
        std::string error;
    };
    using Progress = std::function<void(std::int64_t received, std::int64_t total)>;
    // Nothing on success, else what went wrong.
    using Finished = std::function<void(std::optional<std::string> error)>;

    UpdateDownloader();
    ~UpdateDownloader();
    UpdateDownloader(const UpdateDownloader&) = delete;
    UpdateDownloader& operator=(const UpdateDownloader&) = delete;

    // Fetches at most `maxBytes`; a larger answer is an error.
    void fetchFeed(const QUrl& url, qint64 maxBytes, std::function<void(FeedResult)> done);
    // Downloads to `targetPath`. More than `expectedLength` bytes (when given) is an error.
    void download(const QUrl& url, const QString& targetPath, std::optional<std::int64_t> expectedLength,
                  Progress progress, Finished done);
    // Stops the download in progress and removes what was written; its callback is not called.
    void cancelDownload();
    bool isDownloading() const { return downloadReply_ != nullptr; }

private:
    QNetworkReply* get(const QUrl& url);
    void receiveFeed();
    void finishFeed();
    void receiveDownload();
    void finishDownload();
    void failDownload(const std::string& error);
    void endDownload();
    void discardFile();

    std::unique_ptr<QNetworkAccessManager> network_;

    QPointer<QNetworkReply> feedReply_;
    QByteArray feedBytes_;
    qint64 feedLimit_ = 0;
    std::optional<std::string> feedError_;
    std::function<void(FeedResult)> feedDone_;

    QPointer<QNetworkReply> downloadReply_;
    std::unique_ptr<QFile> file_;
    std::string temporaryPath_;
    QString targetPath_;
    std::optional<std::int64_t> expectedLength_;
    std::int64_t received_ = 0;
    Progress progress_;
    Finished downloadDone_;
};

}  // namespace quillmark
