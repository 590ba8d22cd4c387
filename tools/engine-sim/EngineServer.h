#pragma once

#include "MeterGenerator.h"
#include "PropertyTree.h"
#include "Request.h"
#include "SessionHandler.h"
#include "SimOutput.h"

#include <asio.hpp>
#include <asio/experimental/as_tuple.hpp>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillmark::sim {

// The stand-in engine's TCP server on 127.0.0.1: answers gets from the property tree, applies sets,
// reports subscribed properties and meters, and carries out the faults asked for.
class EngineServer : public SessionHandler {
public:
    struct Settings {
        std::uint16_t port = 4710;
        double meterRate = 30.0;  // value frames per second per subscribed meter
        bool answerGets = true;
        bool refuseUnknownPaths = false;  // refuse gets and subscriptions of unknown paths, not ignore them
    };

    EngineServer(asio::io_context& io, PropertyTree tree, SimOutput& output, Settings settings);
    ~EngineServer() override;

    // Binds and listens; returns the port (the chosen one when asked for port 0). Throws
    // asio::system_error when the port cannot be had.
    std::uint16_t listen();

    // Faults and controls.
    void dropAll();
    void refuseFor(std::chrono::milliseconds duration);
    void setAnsweringGets(bool answer);
    void setRefusingUnknownPaths(bool refuse);
    void sendToAll(const std::string& bytes);
    // Sets a property as a client's set would (and reports it); false when path or value does not fit.
    bool setProperty(const std::string& path, const std::string& text);
    void setOnEveryDevice(const std::string& name, const nlohmann::json& value);

    void onMessage(Session& session, const std::string& message) override;
    void onOversizedRequest(Session& session) override;
    void onClosed(Session& session) override;

    // One message as the engine writes it: JSON {"path", "data"} and a NUL byte.
    static std::string frame(const std::string& path, const nlohmann::json& data);
    // How the engine refuses a request it cannot serve: the path as the request gave it, "error" true,
    // and the reason as data, e.g. {"path":"/devices/9","error":true,"data":"unknown path"} and a NUL.
    static std::string refusal(const std::string& path, const std::string& reason);

private:
    void openAcceptor();
    asio::awaitable<void> acceptLoop(unsigned generation);
    asio::awaitable<void> meterLoop();
    void sendMeters(std::uint64_t frameNumber);
    void handleGet(Session& session, const Request& request, const std::string& text);
    void handleSubscribe(Session& session, const Request& request, const std::string& text);
    void handleSet(Session& session, const Request& request, const std::string& text);
    void report(const std::vector<PropertyTree::Change>& changes);
    void ignore(const std::string& reason, const std::string& text);
    void unknownPath(Session& session, const Request& request, const std::string& text);

    asio::io_context& io_;
    PropertyTree tree_;
    SimOutput& output_;
    Settings settings_;
    MeterGenerator generator_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer reopenTimer_;
    asio::steady_timer meterTimer_;
    unsigned acceptGeneration_ = 0;
    int nextSessionId_ = 1;
    std::map<int, std::shared_ptr<Session>> sessions_;
};

}  // namespace quillmark::sim
