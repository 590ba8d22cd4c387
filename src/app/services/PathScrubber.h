#pragma once

#include "platform/crash/SentryBreadcrumb.h"
#include "platform/crash/SentryEvent.h"

#include <string>
#include <vector>

namespace quillmark {

// Removes file-system paths that could identify the user from crash events and breadcrumbs before
// they are sent: the home directory becomes "<home>", other user places "<path-scrubbed>".
class PathScrubber {
public:
    // The home-directory texts replaced by "<home>" and the prefixes the file-path rule shortens, for
    // one home directory.
    struct Rules {
        std::vector<std::string> homePrefixes;
        std::vector<std::string> filePathPrefixes;
    };

    static Rules rulesFor(const std::string& home);
    // This user's rules, built once.
    static const Rules& rules();

    static void scrubPaths(SentryEvent& event) { scrubPaths(event, rules()); }
    static void scrubPaths(SentryBreadcrumb& breadcrumb) { scrubPaths(breadcrumb, rules()); }
    static void scrubPaths(SentryEvent& event, const Rules& rules);
    static void scrubPaths(SentryBreadcrumb& breadcrumb, const Rules& rules);

    static std::string scrubText(const std::string& text, const Rules& rules);
    static std::string scrubFilePath(const std::string& path, const Rules& rules);

    PathScrubber() = delete;
};

}  // namespace quillmark
