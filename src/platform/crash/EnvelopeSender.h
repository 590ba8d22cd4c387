#pragma once

#include "platform/crash/CrashStore.h"
#include "platform/crash/SentryDsn.h"
#include "platform/crash/SentryOptions.h"

#include <QObject>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace quillmark {

// Sends the pending records of a store, one at a time, over Qt Network: each becomes an event, goes
// through beforeSend and is POSTed as an envelope, then deleted. A network failure or a server error
// keeps it for a later start; a 429 keeps it and stops sending until the server's Retry-After.
class EnvelopeSender : public QObject {
    Q_OBJECT
public:
    EnvelopeSender(CrashStore store, SentryDsn dsn, SentryOptions options, QObject* parent = nullptr);
    ~EnvelopeSender() override;

    // Queues every pending record not yet queued and sends when idle.
    void sendPending();
    bool isIdle() const { return !inFlight_ && queue_.empty(); }

private:
    void sendNext();
    void finished(QNetworkReply* reply, const std::filesystem::path& record);
    void stopSending();

    CrashStore store_;
    SentryDsn dsn_;
    SentryOptions options_;
    std::unique_ptr<QNetworkAccessManager> network_;
    std::deque<std::filesystem::path> queue_;
    std::vector<std::filesystem::path> handled_;
    QNetworkReply* inFlight_ = nullptr;
    bool stopped_ = false;
};

}  // namespace quillmark
