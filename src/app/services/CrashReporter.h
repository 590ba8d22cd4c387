#pragma once

namespace quillmark {

// Crash reporting with the user's consent. Not built yet: without a configured data source name it
// never starts, which is what this seam does until the reporter lands.
class CrashReporter {
public:
    static CrashReporter& shared();

    void startIfConsented(bool consent);
    void stop();
    bool isStarted() const { return started_; }

private:
    CrashReporter() = default;
    bool started_ = false;
};

}  // namespace quillmark
