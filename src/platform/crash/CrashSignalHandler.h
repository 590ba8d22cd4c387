#pragma once

#include <string>

namespace quillmark {

class BreadcrumbRing;
class LoadedImages;

// Catches SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT and SIGTRAP on an alternate stack, writes the
// crashing thread's stack, the loaded images and the breadcrumbs to `pendingPath`, then hands the
// signal to the handler that was there before and raises it again, so the process ends as it would
// have. Nothing in the handler allocates or locks. `images` and `breadcrumbs` must outlive install().
class CrashSignalHandler {
public:
    static void install(const std::string& pendingPath, const std::string& header, const LoadedImages& images,
                        const BreadcrumbRing& breadcrumbs);
    static void uninstall();
    static bool isInstalled();

    CrashSignalHandler() = delete;
};

}  // namespace quillmark
