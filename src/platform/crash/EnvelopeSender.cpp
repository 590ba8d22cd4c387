#include "platform/crash/EnvelopeSender.h"

#include "log/SystemLog.h"
#include "platform/crash/EnvelopeBuilder.h"
#include "platform/crash/PendingCrash.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>

namespace quillmark {

namespace {

constexpr const char* kClient = "quillmark-crash/1.0";
constexpr std::chrono::seconds kDefaultRetryAfter{60};

std::chrono::seconds retryAfterOf(const QNetworkReply& reply) {
    bool ok = false;
    const long long seconds = reply.rawHeader("Retry-After").trimmed().toLongLong(&ok);
    return ok && seconds > 0 ? std::chrono::seconds(seconds) : kDefaultRetryAfter;
}

}  // namespace

EnvelopeSender::EnvelopeSender(CrashStore store, SentryDsn dsn, SentryOptions options, QObject* parent)
    : QObject(parent), store_(std::move(store)), dsn_(std::move(dsn)), options_(std::move(options)),
      network_(std::make_unique<QNetworkAccessManager>()) {}

EnvelopeSender::~EnvelopeSender() {
    if (inFlight_) {
        inFlight_->disconnect(this);
        inFlight_->abort();
        inFlight_->deleteLater();
    }
}

void EnvelopeSender::sendPending() {
    if (stopped_) return;
    if (const auto until = store_.retryAfter()) {
        if (std::chrono::system_clock::now() < *until) return;
        store_.clearRetryAfter();
    }
    for (const auto& record : store_.pendingRecords()) {
        const bool known = std::find(handled_.begin(), handled_.end(), record) != handled_.end() ||
                           std::find(queue_.begin(), queue_.end(), record) != queue_.end() ||
                           (inFlight_ && inFlight_->property("record").toString().toStdString() == record.string());
        if (!known) queue_.push_back(record);
    }
    if (!inFlight_) sendNext();
}

void EnvelopeSender::sendNext() {
    while (!queue_.empty() && !stopped_) {
        const std::filesystem::path record = queue_.front();
        queue_.pop_front();
        handled_.push_back(record);
        const auto crash = PendingCrash::read(record.string());
        if (!crash) {
            store_.remove(record);  // unreadable or cut short: it will never become whole
            continue;
        }
        auto event = std::make_shared<SentryEvent>(crash->toEvent(EnvelopeBuilder::newEventId()));
        if (options_.beforeSend) event = options_.beforeSend(event);
        if (!event) {
            store_.remove(record);
            continue;
        }
        QNetworkRequest request(QUrl(QString::fromStdString(dsn_.envelopeUrl())));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/x-sentry-envelope"));
        request.setRawHeader("X-Sentry-Auth", QByteArray::fromStdString(dsn_.authHeader(kClient)));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        const std::string body = EnvelopeBuilder::build(*event, dsn_, options_.dsn.value_or(""));
        inFlight_ = network_->post(request, QByteArray::fromStdString(body));
        inFlight_->setProperty("record", QString::fromStdString(record.string()));
        QNetworkReply* reply = inFlight_;
        connect(reply, &QNetworkReply::finished, this, [this, reply, record] { finished(reply, record); });
        return;
    }
}

void EnvelopeSender::finished(QNetworkReply* reply, const std::filesystem::path& record) {
    inFlight_ = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 200 && status < 300) {
        store_.remove(record);
    } else if (status == 429) {
        store_.setRetryAfter(std::chrono::system_clock::now() + retryAfterOf(*reply));
        SystemLog::write("SentrySDK: rate limited; crash reports wait for a later start");
        stopSending();
        return;
    } else if (status == 0 || status >= 500) {
        SystemLog::write("SentrySDK: sending a crash report failed (" + reply->errorString().toStdString() +
                         "); it is kept for a later start");
        stopSending();
        return;
    } else {
        SystemLog::write("SentrySDK: the server refused a crash report (HTTP " + std::to_string(status) +
                         "); it is dropped");
        store_.remove(record);
    }
    sendNext();
}

void EnvelopeSender::stopSending() {
    stopped_ = true;
    queue_.clear();
}

}  // namespace quillmark
