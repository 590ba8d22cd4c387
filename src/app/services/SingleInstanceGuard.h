#pragma once

#include "base/MainQueue.h"
#include "platform/processes/RunningCopies.h"

#include <functional>
#include <memory>

namespace quillmark {

// Keeps one copy of the program running per user and settings location: the newest one wins.
class SingleInstanceGuard {
public:
    SingleInstanceGuard() = delete;

    // Asks every other running copy that started before this one (ProgramCopy::startedBefore) to quit
    // and, `forceAfter` seconds later on `queue`, forces those still running. A copy started after this
    // one is left alone: it asks this one to quit, so two launches close together leave the newer. `whenOthersEnded` runs once on `queue` as soon as all of them have ended, if they
    // end within the grace period or shortly after being forced. Alone: nothing is logged, scheduled
    // or called. `queue` must outlive the work posted to it.
    static void adoptSingleInstance(double forceAfter, std::shared_ptr<RunningCopies> copies, MainQueue& queue,
                                    std::function<void()> whenOthersEnded = {});
};

}  // namespace quillmark
