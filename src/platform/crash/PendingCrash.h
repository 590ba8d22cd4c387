#pragma once

#include "platform/crash/SentryEvent.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillmark {

// A crash or hang record left on disk by an earlier run, read back and turned into a Sentry event.
struct PendingCrash {
    struct Image {
        std::uint64_t start = 0;
        std::uint64_t size = 0;
        std::string buildId;
        std::string path;
    };

    std::string kind;  // "crash" or "hang"
    double timestamp = 0;
    int signal = 0;
    int code = 0;
    std::uint64_t faultAddress = 0;
    std::uint64_t threadId = 0;
    std::int64_t hangMilliseconds = 0;
    std::optional<std::string> release;
    std::optional<std::string> environment;
    std::vector<std::uint64_t> frames;  // innermost first
    std::vector<Image> images;
    std::vector<SentryBreadcrumb> breadcrumbs;

    // Nothing when the text is not a whole record (unreadable, truncated, of another format).
    static std::optional<PendingCrash> parse(const std::string& text);
    static std::optional<PendingCrash> read(const std::string& path);

    SentryEvent toEvent(const std::string& eventId) const;
};

}  // namespace quillmark
