#pragma once

#include <cstddef>
#include <cstdint>

namespace quillmark {

class BreadcrumbRing;
class LoadedImages;

// Writes one pending crash or hang record: to a temporary name first, renamed into place once
// complete, so a half-written record never looks like a whole one. Async-signal-safe.
class CrashFileWriter {
public:
    struct Record {
        const char* kind = "crash";  // "crash" or "hang"
        int signal = 0;
        int code = 0;
        std::uint64_t faultAddress = 0;
        std::int64_t threadId = 0;
        std::int64_t hangMilliseconds = 0;
        const char* header = "";              // preformatted lines: release, environment
        const void* const* frames = nullptr;  // outermost last, as backtrace() gives them
        std::size_t frameCount = 0;
    };

    static bool write(const char* path, const char* temporaryPath, const Record& record, const LoadedImages& images,
                      const BreadcrumbRing& breadcrumbs) noexcept;

    CrashFileWriter() = delete;
};

}  // namespace quillmark
