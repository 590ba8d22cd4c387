#pragma once

#include <string>
#include <vector>

namespace quillmark {

// Starts a program in place of this process once the application has shut down cleanly: the updated
// AppImage with this run's arguments. The request is kept until execIfRequested() runs at exit.
class Relaunch {
public:
    static void requestAfterExit(std::string program, std::vector<std::string> arguments);
    static bool isRequested();
    // Replaces this process with the requested program; returns only when nothing was requested or the
    // exec failed (logged).
    static void execIfRequested();

    Relaunch() = delete;
};

}  // namespace quillmark
