#include "XTool.h"

#include <array>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

namespace quillmark::testing {

std::optional<std::string> XTool::run(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string output;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return output;
}

bool XTool::key(const std::string& combo) { return run("xdotool key --clearmodifiers " + combo + " 2>&1").has_value(); }

bool XTool::keyDown(const std::string& combo) { return run("xdotool keydown " + combo + " 2>&1").has_value(); }

bool XTool::keyUp(const std::string& combo) { return run("xdotool keyup " + combo + " 2>&1").has_value(); }

std::vector<XTool::Window> XTool::visibleWindows(pid_t pid) {
    std::vector<Window> windows;
    auto ids = run("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null");
    if (!ids) return windows;
    std::istringstream idStream(*ids);
    std::string id;
    while (idStream >> id) {
        auto geometry = run("xdotool getwindowgeometry --shell " + id + " 2>/dev/null");
        if (!geometry) continue;
        Window window{id};
        std::istringstream lines(*geometry);
        std::string line;
        while (std::getline(lines, line)) {
            const auto eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = line.substr(0, eq);
            const int value = std::atoi(line.c_str() + eq + 1);
            if (key == "X") window.x = value;
            else if (key == "Y") window.y = value;
            else if (key == "WIDTH") window.width = value;
            else if (key == "HEIGHT") window.height = value;
        }
        windows.push_back(window);
    }
    return windows;
}

std::optional<XTool::Window> XTool::visibleWindowSized(pid_t pid, int width, int height) {
    for (const auto& window : visibleWindows(pid)) {
        if (window.width == width && window.height == height) return window;
    }
    return std::nullopt;
}

}  // namespace quillmark::testing
