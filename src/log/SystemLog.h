#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quillmark {

// The program's diagnostics: one line per message on standard error and on syslog, same text.
class SystemLog {
public:
    static void write(std::string_view line);

    // Redirects every line to `sink` while alive, so tests can read what was logged.
    class Capture {
    public:
        explicit Capture(std::function<void(std::string_view)> sink);
        ~Capture();
        Capture(const Capture&) = delete;
        Capture& operator=(const Capture&) = delete;
    };
};

}  // namespace quillmark
