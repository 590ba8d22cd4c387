#include "log/SystemLog.h"

#include <cstdio>
#include <mutex>
#include <syslog.h>

namespace quillmark {
namespace {

// The log is process-wide by nature; the capture sink exists for tests only.
std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<void(std::string_view)>& captureSink() {
    static std::function<void(std::string_view)> sink;
    return sink;
}

}  // namespace

void SystemLog::write(std::string_view line) {
    std::lock_guard lock(sinkMutex());
    if (captureSink()) {
        captureSink()(line);
        return;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    std::string text(line);
    ::syslog(LOG_NOTICE, "%s", text.c_str());
}

SystemLog::Capture::Capture(std::function<void(std::string_view)> sink) {
    std::lock_guard lock(sinkMutex());
    captureSink() = std::move(sink);
}

SystemLog::Capture::~Capture() {
    std::lock_guard lock(sinkMutex());
    captureSink() = nullptr;
}

}  // namespace quillmark
