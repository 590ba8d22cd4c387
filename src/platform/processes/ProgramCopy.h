#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillmark {

// One running copy of this program, as it was when listed.
struct ProgramCopy {
    std::int32_t pid = 0;
    // When it started, in clock ticks after boot: tells it from a later process that reuses its pid.
    std::uint64_t startTime = 0;
    // The program file it runs; absent when that cannot be read.
    std::optional<std::string> executable;

    // Whether this copy started before `other`: by start time, then (for copies started within one
    // clock tick) by pid. Any two copies agree which of them is the older.
    bool startedBefore(const ProgramCopy& other) const {
        return startTime != other.startTime ? startTime < other.startTime : pid < other.pid;
    }
};

}  // namespace quillmark
