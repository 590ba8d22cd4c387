#include "SimOptions.h"

#include "FaultControl.h"

#include <cmath>
#include <cstdlib>

namespace quillmark::sim {

namespace {

std::optional<double> parseDouble(const std::string& text) {
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(number)) return std::nullopt;
    return number;
}

}  // namespace

std::string SimOptions::usage() {
    return R"(Usage: quillmark-engine-sim [options]

A stand-in for the mixer engine: serves a property tree over TCP on 127.0.0.1 with the engine's
protocol (requests "get PATH", "subscribe PATH", "set PATH VALUE", each ended by a NUL byte; answers
are JSON objects {"path": ..., "data": ...}, each ended by a NUL byte).

Options:
  --port N             port to listen on (default 4710; 0 picks a free one). The first line printed
                       is always "listening on 127.0.0.1:<port>".
  --tree FILE          serve the tree in FILE instead of the built-in one (device "0", outputs 0, 2,
                       4, 6, 8 and the control-room output 22, root properties TalkbackOn and Sleep).
                       FILE holds the root node as JSON; a node is an object with "children" (child
                       identifier -> node) and "properties" (name -> {"value": ...}), e.g.
                       {"children": {"devices": {"children": {"0": {"properties":
                         {"Type": {"value": "device"}}}}}}}
  --meter-rate N       value frames per second for each subscribed meter (default 30)
  --log-requests FILE  write every request received as a line "recv: <text>" to FILE ("-" for
                       standard output)
  --surround MODE      start with SurroundMonitorMode MODE on every device
  --offline            start with DeviceOnline false on every device
  --no-gets            start without answering gets (the "gets on" control line resumes)
  --refuse-unknown     start refusing gets and subscriptions of unknown paths (the "unknown ignore"
                       control line stops it)
  --refuse-for SECONDS refuse connections for SECONDS after start
  --help               print this text

Behaviour:
  get PATH             answered with data at exactly PATH: a node (its "children" and "properties"),
                       a property object, or a value at PROPERTY/value. Unknown paths are not
                       answered; with --refuse-unknown they are answered by a refusal,
                       {"path": PATH, "error": true, "data": "unknown path"} with PATH as the
                       request gave it, printed as "refused: unknown path: <text>".
  subscribe PROPERTY   its value is reported at once and after every set, at PROPERTY/value.
                       Unknown paths are treated as for get.
  subscribe OUTPUT/meters/N/MeterLevel
                       meter N reports a synthetic programme level in dB at OUTPUT/meters/N/MeterLevel/value,
                       --meter-rate times a second, with a 0 dB peak every 5 s; only meters below the
                       channel count of the device's surround mode report (STEREO 2, 5.1 6, 7.1.4 12, ...).
  set PROPERTY[/value[/]] VALUE
                       "true"/"false" and numbers are parsed to the property's kind. CRMonitorLevel is
                       clamped to -96 ... 0 dB, CRMonitorLevelTapered to 0 ... 1, and each sets the other
                       by tapered = (dB + 96) / 96. Every set is reported to subscribers, changed or not.
  Malformed requests (not UTF-8, unknown verb, missing path) are not answered; each is printed as
  "ignored: <reason>: <text>". Connections are printed as "connected: N" and "disconnected: N".

)" + FaultControl::usage();
}

std::optional<SimOptions> SimOptions::parse(const std::vector<std::string>& arguments, std::string& error) {
    SimOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const bool takesValue = name == "--port" || name == "--tree" || name == "--meter-rate" ||
                                name == "--log-requests" || name == "--surround" || name == "--refuse-for";
        if (takesValue && i + 1 == arguments.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string value = takesValue ? arguments[++i] : std::string();
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--port") {
            const auto port = parseDouble(value);
            if (!port || *port < 0 || *port > 65535 || std::floor(*port) != *port) {
                error = "--port needs a port number from 0 to 65535";
                return std::nullopt;
            }
            options.port = static_cast<std::uint16_t>(*port);
        } else if (name == "--tree") {
            options.treeFile = value;
        } else if (name == "--meter-rate") {
            const auto rate = parseDouble(value);
            if (!rate || *rate <= 0 || *rate > 1000) {
                error = "--meter-rate needs a rate above 0 and up to 1000";
                return std::nullopt;
            }
            options.meterRate = *rate;
        } else if (name == "--log-requests") {
            options.requestLog = value;
        } else if (name == "--surround") {
            options.surroundMode = value;
        } else if (name == "--offline") {
            options.offline = true;
        } else if (name == "--no-gets") {
            options.answerGets = false;
        } else if (name == "--refuse-unknown") {
            options.refuseUnknownPaths = true;
        } else if (name == "--refuse-for") {
            const auto seconds = parseDouble(value);
            if (!seconds || *seconds <= 0 || *seconds > 3600) {
                error = "--refuse-for needs a number of seconds";
                return std::nullopt;
            }
            options.refuseForSeconds = *seconds;
        } else {
            error = "unknown option " + name;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace quillmark::sim
