#pragma once

#include <cstddef>
#include <vector>

namespace quillmark {

// Takes the stack of the thread that installed it (the main thread) from another thread: a signal
// makes that thread walk its own stack with backtrace() into a buffer set aside, and post a semaphore.
// A thread that does not answer in time yields no stack.
class MainThreadSampler {
public:
    static void install();
    static void uninstall();
    // The sampled thread's frames, innermost first; empty when it did not answer within ~250 ms.
    static std::vector<void*> sample();

    MainThreadSampler() = delete;
};

}  // namespace quillmark
