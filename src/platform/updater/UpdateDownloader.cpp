#include "platform/updater/UpdateDownloader.h"

#include "platform/updater/UpdateUrlPolicy.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace quillmark {
namespace {

std::string notAllowed(const QUrl& url) {
    return "Updates are only fetched over HTTPS, not from " + url.toDisplayString().toStdString() + ".";
}

// Set on a reply whose redirect left HTTPS.
const char* const kRefusedRedirect = "quillmarkRefusedRedirect";
// A server that sends nothing for this long is given up on, so that a check always ends.
constexpr int kTransferTimeoutMs = 30'000;

std::string replyError(QNetworkReply& reply) {
    const QVariant refused = reply.property(kRefusedRedirect);
    if (refused.isValid()) return notAllowed(refused.toUrl());
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 400)
        return "The server answered " + std::to_string(status.toInt()) + " for " +
               reply.url().toDisplayString().toStdString() + ".";
    return reply.errorString().toStdString() + ".";
}

void drop(QPointer<QNetworkReply>& reply) {
    if (!reply) return;
    QNetworkReply* gone = reply;
    reply = nullptr;
    QObject::disconnect(gone, nullptr, nullptr, nullptr);
    gone->abort();
    gone->deleteLater();
}

}  // namespace

UpdateDownloader::UpdateDownloader() : network_(std::make_unique<QNetworkAccessManager>()) {}

UpdateDownloader::~UpdateDownloader() {
    drop(feedReply_);
    cancelDownload();
}

QNetworkReply* UpdateDownloader::get(const QUrl& url) {
    QNetworkRequest request(url);
    // Each hop is checked like the first, so a redirect cannot leave HTTPS.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);
    QNetworkReply* reply = network_->get(request);
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& target) {
        if (UpdateUrlPolicy::isAllowed(target)) {
            emit reply->redirectAllowed();
            return;
        }
        reply->setProperty(kRefusedRedirect, target);
        reply->abort();
    });
    return reply;
}

void UpdateDownloader::fetchFeed(const QUrl& url, qint64 maxBytes, std::function<void(FeedResult)> done) {
    drop(feedReply_);
    if (!UpdateUrlPolicy::isAllowed(url)) {
        done({std::nullopt, notAllowed(url)});
        return;
    }
    feedBytes_.clear();
    feedLimit_ = maxBytes;
    feedError_.reset();
    feedDone_ = std::move(done);
    feedReply_ = get(url);
    QObject::connect(feedReply_, &QNetworkReply::readyRead, network_.get(), [this] { receiveFeed(); });
    QObject::connect(feedReply_, &QNetworkReply::finished, network_.get(), [this] { finishFeed(); });
}

void UpdateDownloader::receiveFeed() {
    feedBytes_ += feedReply_->readAll();
    if (feedBytes_.size() <= feedLimit_) return;
    feedError_ = "The update feed is larger than " + std::to_string(feedLimit_ / 1024) + " KiB.";
    feedReply_->abort();
}

void UpdateDownloader::finishFeed() {
    QPointer<QNetworkReply> reply = feedReply_;
    feedReply_ = nullptr;
    reply->deleteLater();
    FeedResult result;
    if (feedError_) result.error = *feedError_;
    else if (reply->error() != QNetworkReply::NoError) result.error = replyError(*reply);
    else result.bytes = feedBytes_ + reply->readAll();
    feedBytes_.clear();
    auto done = std::move(feedDone_);
    done(std::move(result));
}

void UpdateDownloader::download(const QUrl& url, const QString& targetPath, std::optional<std::int64_t> expectedLength,
                                Progress progress, Finished done) {
    cancelDownload();
    if (!UpdateUrlPolicy::isAllowed(url)) {
        done(notAllowed(url));
        return;
    }
    const QFileInfo target(targetPath);
    QDir().mkpath(target.absolutePath());
    // Beside the target, so that taking its name is a rename within one directory.
    std::string temporary = QDir(target.absolutePath())
                                .filePath(QStringLiteral(".%1.download-XXXXXX").arg(target.fileName()))
                                .toStdString();
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    // Readable by the desktop's package installer, as a file saved the usual way would be.
    if (fd >= 0) ::fchmod(fd, 0644);
    auto file = std::make_unique<QFile>();
    if (fd < 0 || !file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        const std::string reason = fd < 0 ? std::generic_category().message(errno) : file->errorString().toStdString();
        if (fd >= 0) {
            ::close(fd);
            ::unlink(temporary.c_str());
        }
        done("The update could not be saved in " + target.absolutePath().toStdString() + ": " + reason + ".");
        return;
    }
    file_ = std::move(file);
    temporaryPath_ = std::move(temporary);
    targetPath_ = target.absoluteFilePath();
    expectedLength_ = expectedLength;
    received_ = 0;
    progress_ = std::move(progress);
    downloadDone_ = std::move(done);
    downloadReply_ = get(url);
    QObject::connect(downloadReply_, &QNetworkReply::readyRead, network_.get(), [this] { receiveDownload(); });
    QObject::connect(downloadReply_, &QNetworkReply::finished, network_.get(), [this] { finishDownload(); });
}

void UpdateDownloader::receiveDownload() {
    const QByteArray chunk = downloadReply_->readAll();
    received_ += chunk.size();
    if (expectedLength_ && received_ > *expectedLength_) {
        failDownload("The download is larger than the update feed says.");
        return;
    }
    if (file_->write(chunk) != chunk.size()) {
        failDownload("The update could not be saved: " + file_->errorString().toStdString() + ".");
        return;
    }
    std::int64_t total = expectedLength_.value_or(0);
    if (total == 0)
        total = std::max<std::int64_t>(downloadReply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(), 0);
    if (progress_) progress_(received_, total);
}

void UpdateDownloader::finishDownload() {
    if (downloadReply_->bytesAvailable() > 0) receiveDownload();
    if (!downloadReply_) return;  // failed while reading the rest
    if (downloadReply_->error() != QNetworkReply::NoError) {
        failDownload("The update could not be downloaded: " + replyError(*downloadReply_));
        return;
    }
    // Closing reports a write the system could not complete; the rename makes the file whole at once.
    const bool flushed = file_->flush();
    file_->close();
    if (!flushed || file_->error() != QFileDevice::NoError) {
        failDownload("The update could not be saved: " + file_->errorString().toStdString() + ".");
        return;
    }
    if (std::rename(temporaryPath_.c_str(), targetPath_.toStdString().c_str()) != 0) {
        failDownload("The update could not be saved: " + std::generic_category().message(errno) + ".");
        return;
    }
    temporaryPath_.clear();
    auto done = std::move(downloadDone_);
    endDownload();
    done(std::nullopt);
}

void UpdateDownloader::failDownload(const std::string& error) {
    auto done = std::move(downloadDone_);
    cancelDownload();
    if (done) done(error);
}

void UpdateDownloader::cancelDownload() {
    drop(downloadReply_);
    endDownload();
}

void UpdateDownloader::endDownload() {
    if (downloadReply_) {
        downloadReply_->deleteLater();
        downloadReply_ = nullptr;
    }
    discardFile();
    progress_ = nullptr;
    downloadDone_ = nullptr;
}

// What is left of a download that did not complete goes.
void UpdateDownloader::discardFile() {
    file_.reset();
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
    targetPath_.clear();
}

}  // namespace quillmark
