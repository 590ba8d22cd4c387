#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillmark::testing {

// What an end-to-end test does on the X display from outside the program: real key events
// through xdotool (XTest), and which windows of a process are on screen.
class XTool {
public:
    struct Window {
        std::string id;
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    // A key stroke such as "ctrl+alt+t"; returns whether xdotool ran.
    static bool key(const std::string& combo);
    static bool keyDown(const std::string& combo);
    static bool keyUp(const std::string& combo);

    // The viewable windows of process `pid`, with their geometry on the root window.
    static std::vector<Window> visibleWindows(pid_t pid);
    static std::optional<Window> visibleWindowSized(pid_t pid, int width, int height);

    // Runs a shell command; returns its standard output, or nothing when it failed.
    static std::optional<std::string> run(const std::string& command);
};

}  // namespace quillmark::testing
