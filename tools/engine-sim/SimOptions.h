#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillmark::sim {

// The command line of quillmark-engine-sim.
struct SimOptions {
    std::uint16_t port = 4710;
    std::optional<std::string> treeFile;
    double meterRate = 30.0;
    std::optional<std::string> requestLog;  // "-" for standard output
    std::optional<std::string> surroundMode;
    bool offline = false;
    bool answerGets = true;
    bool refuseUnknownPaths = false;
    std::optional<double> refuseForSeconds;
    bool help = false;

    // Nothing when the command line is wrong; `error` then says what is wrong.
    static std::optional<SimOptions> parse(const std::vector<std::string>& arguments, std::string& error);
    static std::string usage();
};

}  // namespace quillmark::sim
