#pragma once

namespace quillmark {

// The updater. Not built yet: it reports itself as not configured, so nothing ever starts or checks.
class UpdaterController {
public:
    UpdaterController() = default;

    bool isConfigured() const { return false; }
    bool didStart() const { return didStart_; }
    void setAutomaticallyChecksForUpdates(bool /*enabled*/) {}
    void startUpdater() { didStart_ = true; }
    void checkForUpdates() {}

private:
    bool didStart_ = false;
};

}  // namespace quillmark
