#pragma once

#include "platform/processes/ProgramIdentity.h"
#include "platform/processes/RunningCopies.h"

#include <string>
#include <sys/types.h>

namespace quillmark {

// The running copies as /proc shows them. A process is a copy when it belongs to the same user, runs
// the same program (ProgramIdentity::isRunBy: its resolved executable, still counted when the file has
// been replaced since, or for a copy run from an AppImage that AppImage, mounted where it says) and
// keeps its settings in the same place ($XDG_CONFIG_HOME from its environment, $HOME/.config when
// unset, empty or relative). Signals go through a pidfd taken before the start time is checked, so a
// pid reused in between is never signalled.
class ProcRunningCopies final : public RunningCopies {
public:
    // What a process must share with this one to be a copy.
    struct Identity {
        uid_t user = 0;
        ProgramIdentity program;
        std::string settingsLocation;
        pid_t self = 0;  // left out of the list
    };

    // This process's identity, from its own environment.
    static Identity thisProcess();

    explicit ProcRunningCopies(Identity self);

    std::vector<ProgramCopy> others() const override;
    ProgramCopy thisCopy() const override;
    bool requestQuit(const ProgramCopy& copy) override;
    bool forceQuit(const ProgramCopy& copy) override;
    bool hasEnded(const ProgramCopy& copy) const override;

    const Identity& identity() const { return self_; }

private:
    bool sendSignal(const ProgramCopy& copy, int signalNumber) const;

    Identity self_;
};

}  // namespace quillmark
