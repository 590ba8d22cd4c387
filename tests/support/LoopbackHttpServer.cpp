#include "LoopbackHttpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace quillmark::testing {

LoopbackHttpServer::LoopbackHttpServer() : server_(std::make_unique<QTcpServer>()) {
    server_->listen(QHostAddress::LocalHost, 0);
    QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(), [this] { accept(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    for (Held& held : held_)
        if (held.socket) held.socket->abort();
}

QUrl LoopbackHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_->serverPort()).arg(path));
}

void LoopbackHttpServer::serve(const QString& path, Response response) { responses_.insert(path, std::move(response)); }

void LoopbackHttpServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
    }
}

void LoopbackHttpServer::answer(QTcpSocket* socket) {
    if (socket->property("answered").toBool()) return;
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n")) return;
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() >= 2 ? QString::fromLatin1(requestLine[1]) : QString();
    requests_[path] += 1;
    const Response response = responses_.value(path, Response{404, "not found", {}, std::nullopt});
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    if (!response.location.isEmpty()) head += "Location: " + response.location + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (response.holdAfter && *response.holdAfter < response.body.size()) {
        socket->write(response.body.left(*response.holdAfter));
        held_.push_back({socket, response.body.mid(*response.holdAfter)});
        return;
    }
    socket->write(response.body);
    socket->disconnectFromHost();
}

void LoopbackHttpServer::releaseHeld() {
    for (Held& held : held_) {
        if (!held.socket) continue;
        held.socket->write(held.rest);
        held.socket->disconnectFromHost();
    }
    held_.clear();
}

}  // namespace quillmark::testing
