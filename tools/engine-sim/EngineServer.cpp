#include "EngineServer.h"

#include "Session.h"
#include "TaskFailure.h"

#include <iostream>

namespace quillmark::sim {

using nlohmann::json;

EngineServer::EngineServer(asio::io_context& io, PropertyTree tree, SimOutput& output, Settings settings)
    : io_(io), tree_(std::move(tree)), output_(output), settings_(settings), generator_(settings.meterRate),
      acceptor_(io), reopenTimer_(io), meterTimer_(io) {}

EngineServer::~EngineServer() {
    // Sessions outlive the server only as suspended tasks that never resume; they must not call back.
    for (auto& [id, session] : std::map(sessions_)) session->close();
}

std::uint16_t EngineServer::listen() {
    openAcceptor();
    settings_.port = acceptor_.local_endpoint().port();
    asio::co_spawn(io_, meterLoop(), reportTaskFailure("server"));
    return settings_.port;
}

void EngineServer::openAcceptor() {
    const asio::ip::tcp::endpoint endpoint(asio::ip::address_v4::loopback(), settings_.port);
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen();
    asio::co_spawn(io_, acceptLoop(++acceptGeneration_), reportTaskFailure("server"));
}

asio::awaitable<void> EngineServer::acceptLoop(unsigned generation) {
    while (generation == acceptGeneration_ && acceptor_.is_open()) {
        auto [error, socket] = co_await acceptor_.async_accept(asio::experimental::as_tuple(asio::use_awaitable));
        if (generation != acceptGeneration_ || !acceptor_.is_open()) co_return;
        if (error) {
            // Out of descriptors and the like: breathe, then go on accepting.
            asio::steady_timer pause(io_, std::chrono::milliseconds(50));
            co_await pause.async_wait(asio::experimental::as_tuple(asio::use_awaitable));
            continue;
        }
        const int id = nextSessionId_++;
        auto session = std::make_shared<Session>(std::move(socket), id, *this);
        sessions_[id] = session;
        output_.line("connected: " + std::to_string(id));
        session->start();
    }
}

void EngineServer::dropAll() {
    for (auto& [id, session] : std::map(sessions_)) session->close();
}

void EngineServer::refuseFor(std::chrono::milliseconds duration) {
    ++acceptGeneration_;
    asio::error_code ignored;
    acceptor_.close(ignored);
    reopenTimer_.expires_after(duration);
    reopenTimer_.async_wait([this](const asio::error_code& error) {
        if (error) return;  // a later refusal replaced this one
        try {
            openAcceptor();
        } catch (const asio::system_error& failure) {
            std::cerr << "quillmark-engine-sim: cannot listen again: " << failure.what() << std::endl;
            refuseFor(std::chrono::milliseconds(100));
        }
    });
}

void EngineServer::setAnsweringGets(bool answer) { settings_.answerGets = answer; }

void EngineServer::setRefusingUnknownPaths(bool refuse) { settings_.refuseUnknownPaths = refuse; }

void EngineServer::sendToAll(const std::string& bytes) {
    for (auto& [id, session] : std::map(sessions_)) session->send(bytes);
}

bool EngineServer::setProperty(const std::string& path, const std::string& text) {
    const auto property = tree_.propertyPath(path);
    if (!property) return false;
    const auto changes = tree_.set(*property, text);
    if (!changes) return false;
    report(*changes);
    return true;
}

void EngineServer::setOnEveryDevice(const std::string& name, const json& value) {
    report(tree_.setOnEveryDevice(name, value));
}

std::string EngineServer::frame(const std::string& path, const json& data) {
    std::string bytes = json{{"path", path}, {"data", data}}.dump();
    bytes.push_back('\0');
    return bytes;
}

std::string EngineServer::refusal(const std::string& path, const std::string& reason) {
    std::string bytes = json{{"path", path}, {"error", true}, {"data", reason}}.dump();
    bytes.push_back('\0');
    return bytes;
}

void EngineServer::onMessage(Session& session, const std::string& message) {
    output_.request(message);
    std::string reason;
    const auto request = Request::parse(message, reason);
    if (!request) {
        ignore(reason, message);
        return;
    }
    switch (request->verb) {
    case Request::Verb::get: handleGet(session, *request, message); break;
    case Request::Verb::subscribe: handleSubscribe(session, *request, message); break;
    case Request::Verb::set: handleSet(session, *request, message); break;
    }
}

void EngineServer::onOversizedRequest(Session& session) {
    ignore("request longer than " + std::to_string(Session::kMaxRequestBytes) + " bytes on connection " +
               std::to_string(session.id()),
           "");
}

void EngineServer::onClosed(Session& session) {
    if (sessions_.erase(session.id()) > 0) output_.line("disconnected: " + std::to_string(session.id()));
}

void EngineServer::handleGet(Session& session, const Request& request, const std::string& text) {
    if (!settings_.answerGets) {
        ignore("not answering gets", text);
        return;
    }
    const auto data = tree_.get(request.path);
    if (!data) {
        unknownPath(session, request, text);
        return;
    }
    session.send(frame(request.path, *data));
}

void EngineServer::handleSubscribe(Session& session, const Request& request, const std::string& text) {
    if (const auto meter = MeterGenerator::parseMeterPath(request.path); meter && tree_.hasNode(meter->outputPath)) {
        session.subscribeMeter(*meter);
        return;
    }
    const auto property = tree_.propertyPath(request.path);
    if (!property) {
        unknownPath(session, request, text);
        return;
    }
    session.subscribe(*property);
    session.send(frame(*property + "/value", tree_.valueOf(*property)));
}

void EngineServer::handleSet(Session&, const Request& request, const std::string& text) {
    if (!request.value) {
        ignore("no value", text);
        return;
    }
    const auto property = tree_.propertyPath(request.path);
    if (!property) {
        ignore("unknown path", text);
        return;
    }
    const auto changes = tree_.set(*property, *request.value);
    if (!changes) {
        ignore("value does not fit the property", text);
        return;
    }
    report(*changes);
}

void EngineServer::report(const std::vector<PropertyTree::Change>& changes) {
    for (const auto& change : changes) {
        const std::string bytes = frame(change.propertyPath + "/value", change.value);
        for (auto& [id, session] : std::map(sessions_))
            if (session->isSubscribed(change.propertyPath)) session->send(bytes);
    }
}

void EngineServer::ignore(const std::string& reason, const std::string& text) {
    output_.line("ignored: " + reason + (text.empty() ? std::string() : ": " + SimOutput::printable(text)));
}

void EngineServer::unknownPath(Session& session, const Request& request, const std::string& text) {
    if (!settings_.refuseUnknownPaths) {
        ignore("unknown path", text);
        return;
    }
    output_.line("refused: unknown path: " + SimOutput::printable(text));
    session.send(refusal(request.path, "unknown path"));
}

asio::awaitable<void> EngineServer::meterLoop() {
    const auto period = std::chrono::duration_cast<asio::steady_timer::duration>(
        std::chrono::duration<double>(1.0 / settings_.meterRate));
    auto next = asio::steady_timer::clock_type::now();
    for (std::uint64_t frameNumber = 0;; ++frameNumber) {
        next += period;
        const auto now = asio::steady_timer::clock_type::now();
        if (next < now - std::chrono::seconds(1))
            next = now;  // fell far behind (suspended): carry on from now rather than burst
        meterTimer_.expires_at(next);
        auto [error] = co_await meterTimer_.async_wait(asio::experimental::as_tuple(asio::use_awaitable));
        if (error) co_return;
        sendMeters(frameNumber);
    }
}

void EngineServer::sendMeters(std::uint64_t frameNumber) {
    for (auto& [id, session] : std::map(sessions_)) {
        for (const auto& meter : session->meters()) {
            if (meter.meterIndex >= MeterGenerator::channelCount(tree_.surroundModeOf(meter.outputPath))) continue;
            const std::string path =
                meter.outputPath + "/meters/" + std::to_string(meter.meterIndex) + "/MeterLevel/value";
            session->send(frame(path, generator_.level(meter.meterIndex, frameNumber)));
        }
    }
}

}  // namespace quillmark::sim
