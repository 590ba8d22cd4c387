#pragma once

#include "platform/updater/UpdaterUserDriver.h"

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace quillmark::testing {

// What the updater showed the user, with scripted answers: every offer gets `answer` at once (none
// leaves it open in `openOffer`); every other alert is acknowledged at once.
class RecordingUserDriver final : public UpdaterUserDriver {
public:
    void showUpdateFound(const AppcastItem& item, bool skippable, std::function<void(UpdateChoice)> reply) override {
        offers.push_back(item);
        offersSkippable.push_back(skippable);
        if (answer) reply(*answer);
        else openOffer = std::move(reply);
    }
    void showUpToDate(std::function<void()> acknowledged) override {
        ++upToDate;
        acknowledged();
    }
    void showUpdaterError(const std::string& message, std::function<void()> acknowledged) override {
        errors.push_back(message);
        acknowledged();
    }
    void showDownloadStarted(std::function<void()> cancelDownload) override {
        ++downloadsStarted;
        cancel = std::move(cancelDownload);
    }
    void showDownloadProgress(std::int64_t received, std::int64_t total) override {
        progress.emplace_back(received, total);
    }
    void showInstallStep(InstallStep step) override {
        steps.push_back(step);
        stepTimes.push_back(std::chrono::steady_clock::now());
        if (onInstallStep) onInstallStep(step);
    }
    void dismissDownload() override {
        ++downloadsDismissed;
        dismissedAt = std::chrono::steady_clock::now();
        if (onDismissDownload) onDismissDownload();
    }
    void showHandedToInstaller(const std::string& path, std::function<void()> acknowledged) override {
        handedOver.push_back(path);
        acknowledged();
    }

    // How many alerts have asked the user something or told them something.
    std::size_t alerts() const { return offers.size() + upToDate + errors.size() + handedOver.size(); }

    std::optional<UpdateChoice> answer;
    std::function<void(UpdateChoice)> openOffer;
    std::vector<AppcastItem> offers;
    std::vector<bool> offersSkippable;
    int upToDate = 0;
    std::vector<std::string> errors;
    int downloadsStarted = 0;
    int downloadsDismissed = 0;
    std::function<void()> cancel;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    std::vector<InstallStep> steps;
    std::vector<std::chrono::steady_clock::time_point> stepTimes;
    std::chrono::steady_clock::time_point dismissedAt;
    // Called as the step is shown and as the download's window goes, for tests that watch those moments.
    std::function<void(InstallStep)> onInstallStep;
    std::function<void()> onDismissDownload;
    std::vector<std::string> handedOver;
};

}  // namespace quillmark::testing
