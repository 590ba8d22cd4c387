// quillmark-engine-sim: a stand-in mixer engine for demos and integration tests.
#include "ControlInput.h"
#include "EngineServer.h"
#include "FaultControl.h"
#include "PropertyTree.h"
#include "SimOptions.h"
#include "SimOutput.h"

#include <asio.hpp>

#include <chrono>
#include <cmath>
#include <iostream>

using namespace quillmark::sim;

namespace {

std::optional<PropertyTree> makeTree(const SimOptions& options) {
    if (!options.treeFile) return PropertyTree::makeDefault();
    std::string error;
    auto tree = PropertyTree::load(*options.treeFile, error);
    if (!tree) std::cerr << "quillmark-engine-sim: " << error << std::endl;
    return tree;
}

void applyStartState(EngineServer& server, const SimOptions& options) {
    if (options.surroundMode) server.setOnEveryDevice("SurroundMonitorMode", *options.surroundMode);
    if (options.offline) server.setOnEveryDevice("DeviceOnline", false);
    if (options.refuseForSeconds)
        server.refuseFor(std::chrono::milliseconds(std::llround(*options.refuseForSeconds * 1000)));
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = SimOptions::parse(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "quillmark-engine-sim: " << error << "\n(--help lists the options)" << std::endl;
        return 2;
    }
    if (options->help) {
        std::cout << SimOptions::usage();
        return 0;
    }
    auto tree = makeTree(*options);
    if (!tree) return 1;
    SimOutput output;
    if (options->requestLog && !output.logRequestsTo(*options->requestLog)) {
        std::cerr << "quillmark-engine-sim: cannot write " << *options->requestLog << std::endl;
        return 1;
    }

    asio::io_context io;
    EngineServer server(io, std::move(*tree), output,
                        {.port = options->port,
                         .meterRate = options->meterRate,
                         .answerGets = options->answerGets,
                         .refuseUnknownPaths = options->refuseUnknownPaths});
    try {
        output.line("listening on 127.0.0.1:" + std::to_string(server.listen()));
    } catch (const asio::system_error& failure) {
        std::cerr << "quillmark-engine-sim: cannot listen on port " << options->port << ": " << failure.what()
                  << std::endl;
        return 1;
    }
    applyStartState(server, *options);

    FaultControl control(server);
    ControlInput input(io, [&](const std::string& line) {
        const auto failure = control.run(line);
        output.line(failure ? "error: " + *failure : "ok: " + line);
    });
    input.start();

    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](const asio::error_code&, int) { io.stop(); });
    io.run();
    return 0;
}
