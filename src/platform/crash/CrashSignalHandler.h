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
    // The calling thread (the main thread) gets its alternate stack here.
    static void install(const std::string& pendingPath, const std::string& header, const LoadedImages& images,
                        const BreadcrumbRing& breadcrumbs);
    static void uninstall();
    static bool isInstalled();

    // Gives the calling thread an alternate signal stack of its own for the rest of its life, so that the
    // handler can still run there after a stack overflow: the stack is per thread, and a thread without
    // one dies of an overflow unrecorded. Call it first in every thread the program starts (the engine
    // thread, the watchdog, the updater's worker), whether or not the handler is installed yet. A
    // second call on the same thread does nothing. Allocates: never from a signal handler.
    static void prepareThisThread();

    CrashSignalHandler() = delete;
};

}  // namespace quillmark
