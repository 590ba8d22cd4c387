#pragma once

#include <optional>
#include <string>

namespace quillmark::sim {

class EngineServer;

// The control lines that tests and demos send to the stand-in engine (see `usage()`), carried out
// on the server.
class FaultControl {
public:
    explicit FaultControl(EngineServer& server);

    // Carries out one control line; returns an error text when the line is not understood.
    std::optional<std::string> run(const std::string& line);

    static std::string usage();

private:
    EngineServer& server_;
};

}  // namespace quillmark::sim
