#pragma once

#include "platform/processes/RunningCopies.h"

#include <csignal>
#include <utility>
#include <vector>

namespace quillmark::testing {

// A process table in memory. A listed copy is reached only while the table still holds a process with
// its pid and start time, as the real backend guarantees; the test edits the table to make copies end,
// or to hand a pid over to a stranger.
class FakeRunningCopies final : public RunningCopies {
public:
    struct Process {
        ProgramCopy copy;
        bool running = true;
        bool quitsOnRequest = false;
        bool diesWhenForced = true;
    };

    std::vector<Process> table;
    std::vector<std::pair<std::int32_t, int>> delivered;  // pid, signal, as delivered
    // This process: started after every copy a test adds unless it says otherwise.
    ProgramCopy self{999'999, 1'000'000, "/opt/quillmark/bin/quillmark"};

    void add(ProgramCopy copy, bool quitsOnRequest = false) {
        table.push_back({std::move(copy), true, quitsOnRequest});
    }

    std::vector<ProgramCopy> others() const override {
        std::vector<ProgramCopy> copies;
        for (const Process& process : table) {
            if (process.running) copies.push_back(process.copy);
        }
        return copies;
    }
    ProgramCopy thisCopy() const override { return self; }
    bool requestQuit(const ProgramCopy& copy) override {
        Process* process = find(copy);
        if (!process) return false;
        delivered.emplace_back(copy.pid, SIGTERM);
        if (process->quitsOnRequest) process->running = false;
        return true;
    }
    bool forceQuit(const ProgramCopy& copy) override {
        Process* process = find(copy);
        if (!process) return false;
        delivered.emplace_back(copy.pid, SIGKILL);
        if (process->diesWhenForced) process->running = false;
        return true;
    }
    bool hasEnded(const ProgramCopy& copy) const override {
        for (const Process& process : table) {
            if (isListed(process, copy)) return false;
        }
        return true;
    }

private:
    static bool isListed(const Process& process, const ProgramCopy& copy) {
        return process.running && process.copy.pid == copy.pid && process.copy.startTime == copy.startTime;
    }
    Process* find(const ProgramCopy& copy) {
        for (Process& process : table) {
            if (isListed(process, copy)) return &process;
        }
        return nullptr;
    }
};

}  // namespace quillmark::testing
