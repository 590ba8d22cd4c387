#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace quillmark::testing {

// A tiny HTTP/1.1 server on 127.0.0.1 and an ephemeral port, for the updater's tests: GET only, one
// request per connection, fixed answers per path. Runs on the Qt event loop of the thread that made it.
class LoopbackHttpServer {
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray location;                 // sent as Location when not empty (redirects)
        std::optional<qsizetype> holdAfter;  // send this many bytes of the body, then wait for releaseHeld()
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    QUrl url(const QString& path) const;
    void serve(const QString& path, Response response);
    // Requests seen for `path` so far.
    int requestCount(const QString& path) const { return requests_.value(path); }
    // Sends the rest of every held body.
    void releaseHeld();

private:
    void accept();
    void answer(QTcpSocket* socket);

    struct Held {
        QPointer<QTcpSocket> socket;
        QByteArray rest;
    };

    std::unique_ptr<QTcpServer> server_;
    QHash<QString, Response> responses_;
    QHash<QString, int> requests_;
    std::vector<Held> held_;
};

}  // namespace quillmark::testing
