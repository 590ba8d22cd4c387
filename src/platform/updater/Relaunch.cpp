#include "platform/updater/Relaunch.h"

#include "log/SystemLog.h"

#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>

namespace quillmark {
namespace {

struct Request {
    std::string program;
    std::vector<std::string> arguments;
};

std::optional<Request>& pending() {
    static std::optional<Request> request;
    return request;
}

}  // namespace

void Relaunch::requestAfterExit(std::string program, std::vector<std::string> arguments) {
    pending() = Request{std::move(program), std::move(arguments)};
}

bool Relaunch::isRequested() { return pending().has_value(); }

void Relaunch::execIfRequested() {
    if (!pending()) return;
    const Request request = *pending();
    pending().reset();
    std::vector<char*> argv;
    std::string zeroth = request.program;
    argv.push_back(zeroth.data());
    std::vector<std::string> arguments = request.arguments;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(request.program.c_str(), argv.data());
    SystemLog::write("Quillmark: could not restart " + request.program + ": " + std::generic_category().message(errno));
}

}  // namespace quillmark
