#include "app/services/SingleInstanceGuard.h"

#include "log/SystemLog.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace quillmark {

namespace {

// How often the watch for the others' end looks again.
constexpr auto kWatchInterval = std::chrono::milliseconds(100);
// How long the watch goes on after the force step: a killed copy takes a moment to be gone.
constexpr auto kForcedEndWait = std::chrono::seconds(1);

// One adoption: the copies found at launch and what to do once they have all ended.
struct Adoption {
    std::shared_ptr<RunningCopies> copies;
    std::vector<ProgramCopy> others;
    MainQueue& queue;
    std::function<void()> whenOthersEnded;
    MainQueue::Clock::time_point watchUntil;

    bool allEnded() const {
        return std::all_of(others.begin(), others.end(),
                           [&](const ProgramCopy& copy) { return copies->hasEnded(copy); });
    }
};

void forceSurvivors(const Adoption& adoption) {
    for (const ProgramCopy& copy : adoption.others) {
        if (adoption.copies->hasEnded(copy)) continue;
        SystemLog::write("SingleInstanceGuard: pid " + std::to_string(copy.pid) +
                         " ignored the quit request — force-terminating");
        adoption.copies->forceQuit(copy);
    }
}

void watchForEnd(const std::shared_ptr<Adoption>& adoption) {
    adoption->queue.postAfter(kWatchInterval, [adoption] {
        if (adoption->allEnded()) adoption->whenOthersEnded();
        else if (adoption->queue.now() < adoption->watchUntil) watchForEnd(adoption);
    });
}

}  // namespace

void SingleInstanceGuard::adoptSingleInstance(double forceAfter, std::shared_ptr<RunningCopies> copies,
                                              MainQueue& queue, std::function<void()> whenOthersEnded) {
    const ProgramCopy self = copies->thisCopy();
    auto others = copies->others();
    std::erase_if(others, [&](const ProgramCopy& copy) { return !copy.startedBefore(self); });
    if (others.empty()) return;
    for (const ProgramCopy& copy : others) {
        SystemLog::write("SingleInstanceGuard: asking pid " + std::to_string(copy.pid) + " (" +
                         copy.executable.value_or("?") + ") to quit");
        copies->requestQuit(copy);
    }
    const auto grace =
        std::chrono::duration_cast<MainQueue::Clock::duration>(std::chrono::duration<double>(forceAfter));
    auto adoption = std::make_shared<Adoption>(Adoption{
        std::move(copies), std::move(others), queue, std::move(whenOthersEnded), queue.now() + grace + kForcedEndWait});
    queue.postAfter(grace, [adoption] { forceSurvivors(*adoption); });
    if (adoption->whenOthersEnded) watchForEnd(adoption);
}

}  // namespace quillmark
