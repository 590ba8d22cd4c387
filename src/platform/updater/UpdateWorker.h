#pragma once

#include <functional>
#include <thread>

namespace quillmark {

// The updater's worker thread: runs one job at a time away from the main thread (hashing a download,
// copying and syncing it into place), so that hotkeys, the HUD and the progress window go on meanwhile.
// A job hands its result back through the main queue itself. Started and ended on the main thread.
class UpdateWorker {
public:
    UpdateWorker() = default;
    // Waits for the job in progress: it may be writing the file that replaces the program.
    ~UpdateWorker();
    UpdateWorker(const UpdateWorker&) = delete;
    UpdateWorker& operator=(const UpdateWorker&) = delete;

    // Runs `job` on a thread of its own, once the previous job has ended.
    void start(std::function<void()> job);

private:
    std::thread thread_;
};

}  // namespace quillmark
