#pragma once

#include <fstream>
#include <string>

namespace quillmark::sim {

// Where the stand-in engine reports what happens: one line per event on standard output, flushed,
// and the request log (standard output or a file) when asked for.
class SimOutput {
public:
    // Sends "recv: " lines to `target`: "-" for standard output, otherwise a file (appended).
    // Returns false when the file cannot be opened.
    bool logRequestsTo(const std::string& target);

    // One event line on standard output.
    void line(const std::string& text);
    // One received request, when request logging is on. Control bytes and bytes of text that is
    // not UTF-8 are written as \xNN so that each request stays one line.
    void request(const std::string& text);

    // The text made printable on one line, as `request` writes it.
    static std::string printable(const std::string& text);

private:
    enum class Target { none, standardOutput, file };
    Target target_ = Target::none;
    std::ofstream file_;
};

}  // namespace quillmark::sim
