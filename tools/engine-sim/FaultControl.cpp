#include "FaultControl.h"

#include "EngineServer.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace quillmark::sim {

namespace {

// Bigger than any message a client should have to buffer (8 MiB).
constexpr std::size_t kDefaultOversizedBytes = 9u << 20;
constexpr std::size_t kMaxOversizedBytes = 48u << 20;

std::optional<double> parseSeconds(const std::string& text) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(seconds) || seconds <= 0 || seconds > 3600)
        return std::nullopt;
    return seconds;
}

std::string oversizedMessage(std::size_t bytes) {
    std::string message = R"({"path":"/devices","data":")";
    if (message.size() < bytes) message.append(bytes - message.size(), 'x');
    return message;  // no closing quote, no NUL
}

}  // namespace

FaultControl::FaultControl(EngineServer& server) : server_(server) {}

std::string FaultControl::usage() {
    return R"(Control lines (standard input, one per line; each answered by "ok: <line>" or "error: ..."):
  drop                 close every connection now
  refuse SECONDS       stop listening for SECONDS (connections are refused); open ones stay
  online true|false    set DeviceOnline of every device and report it
  surround MODE        set SurroundMonitorMode of every device (STEREO, 5.1, 7.1.4, ...) and report it
  gets off|on          stop answering gets / answer them again
  unknown refuse|ignore
                       refuse gets and subscriptions of unknown paths / ignore them again (a refusal
                       is {"path": PATH, "error": true, "data": "unknown path"})
  malformed            send every connection a message that is not JSON
  oversized [BYTES]    send every connection an unterminated message of BYTES bytes (default 9 MiB)
  set PATH VALUE       set a property as a client would (the hardware knob turning), e.g.
                       set /devices/0/outputs/22/CRMonitorLevel -30
  ping                 do nothing; the answer follows every line written before it
)";
}

std::optional<std::string> FaultControl::run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    std::string argument;
    words >> command >> argument;
    std::string extra;
    std::getline(words, extra);
    if (!extra.empty() && extra.front() == ' ') extra.erase(0, 1);

    if (command == "ping" && argument.empty()) {
        // Nothing to do: the answer alone lets a reader catch up with the output.
    } else if (command == "drop" && argument.empty()) {
        server_.dropAll();
    } else if (command == "refuse") {
        const auto seconds = parseSeconds(argument);
        if (!seconds) return "refuse needs a number of seconds";
        server_.refuseFor(std::chrono::milliseconds(std::llround(*seconds * 1000)));
    } else if (command == "online" && (argument == "true" || argument == "false") && extra.empty()) {
        server_.setOnEveryDevice("DeviceOnline", argument == "true");
    } else if (command == "surround" && !argument.empty() && extra.empty()) {
        server_.setOnEveryDevice("SurroundMonitorMode", argument);
    } else if (command == "gets" && (argument == "on" || argument == "off") && extra.empty()) {
        server_.setAnsweringGets(argument == "on");
    } else if (command == "unknown" && (argument == "refuse" || argument == "ignore") && extra.empty()) {
        server_.setRefusingUnknownPaths(argument == "refuse");
    } else if (command == "malformed" && argument.empty()) {
        server_.sendToAll(std::string(R"({"path":"/devices","data":)") + '\0');
    } else if (command == "oversized" && extra.empty()) {
        std::size_t bytes = kDefaultOversizedBytes;
        if (!argument.empty()) {
            char* end = nullptr;
            bytes = std::strtoull(argument.c_str(), &end, 10);
            if (end != argument.c_str() + argument.size() || bytes == 0 || bytes > kMaxOversizedBytes)
                return "oversized takes a byte count up to " + std::to_string(kMaxOversizedBytes);
        }
        server_.sendToAll(oversizedMessage(bytes));
    } else if (command == "set" && !argument.empty() && !extra.empty()) {
        if (!server_.setProperty(argument, extra)) return "no property " + argument + " that takes " + extra;
    } else {
        return "unknown command: " + line;
    }
    return std::nullopt;
}

}  // namespace quillmark::sim
