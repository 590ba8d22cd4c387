#pragma once

#include "platform/processes/ProgramCopy.h"

#include <memory>
#include <vector>

namespace quillmark {

// The other running copies of this program: this user's processes that run the same program with the
// same settings location. A copy is named by its pid and start time, so nothing done to a listed copy
// ever reaches a process that took over its pid.
class RunningCopies {
public:
    virtual ~RunningCopies() = default;

    // The copies running now, this process left out, in the order the system lists them.
    virtual std::vector<ProgramCopy> others() const = 0;
    // This process, as another copy would list it.
    virtual ProgramCopy thisCopy() const = 0;
    // Asks `copy` to quit (SIGTERM). False when it has ended, or the signal could not be sent.
    virtual bool requestQuit(const ProgramCopy& copy) = 0;
    // Ends `copy` at once (SIGKILL). False when it has ended, or the signal could not be sent.
    virtual bool forceQuit(const ProgramCopy& copy) = 0;
    // True once `copy` has exited, an unreaped zombie included, or its pid belongs to another process.
    virtual bool hasEnded(const ProgramCopy& copy) const = 0;

    // The copies of the program this process runs.
    static std::unique_ptr<RunningCopies> forThisProgram();
};

}  // namespace quillmark
