#pragma once

namespace quillmark {

// Our crash-reporting SDK, Sentry-compatible on the wire. Only the hang-tracking pause is here so far:
// callers of modal dialogs use it whether or not the SDK was started.
class SentrySDK {
public:
    // Modal loops block the main thread on purpose: tracking stops before one runs and resumes after.
    static void pauseAppHangTracking();
    static void resumeAppHangTracking();

    SentrySDK() = delete;
};

}  // namespace quillmark
