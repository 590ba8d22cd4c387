#include "platform/processes/RunningCopies.h"

#include "platform/processes/ProcRunningCopies.h"

namespace quillmark {

std::unique_ptr<RunningCopies> RunningCopies::forThisProgram() {
    return std::make_unique<ProcRunningCopies>(ProcRunningCopies::thisProcess());
}

}  // namespace quillmark
