#include "platform/updater/UpdateWorker.h"

#include "platform/crash/CrashSignalHandler.h"

#include <pthread.h>

namespace quillmark {

UpdateWorker::~UpdateWorker() {
    if (thread_.joinable()) thread_.join();
}

void UpdateWorker::start(std::function<void()> job) {
    if (thread_.joinable()) thread_.join();
    thread_ = std::thread([job = std::move(job)] {
        pthread_setname_np(pthread_self(), "updater");  // for profilers and per-thread CPU figures
        CrashSignalHandler::prepareThisThread();        // a stack overflow here is recorded too
        job();
    });
}

}  // namespace quillmark
