#pragma once

namespace quillmark {

// Asks other running copies of the program to quit, forcing them after the grace period.
// Not built yet: start-up already calls it, so the guard can be filled in without touching start-up.
class SingleInstanceGuard {
public:
    SingleInstanceGuard() = delete;
    static void adoptSingleInstance(double forceAfter);
};

}  // namespace quillmark
