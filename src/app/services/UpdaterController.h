#pragma once

#include "app/services/UpdaterDefaults.h"
#include "base/MainQueue.h"
#include "platform/updater/UpdateInstaller.h"
#include "platform/updater/Updater.h"
#include "platform/updater/UpdaterUserDriver.h"

#include <memory>
#include <optional>
#include <string>

namespace quillmark {

class UserDefaults;

// The updater as the application sees it: decides once whether this build is configured for updates
// (a feed address and a public key in Info.json), starts the updater at most once, applies the
// automatic-check setting and runs the user's check. An unconfigured build never starts or checks.
// Main thread only.
class UpdaterController {
public:
    // The Info.json values it reads; nothing for a key that is missing or not text.
    struct Info {
        std::optional<std::string> feedURL;      // SUFeedURL
        std::optional<std::string> publicEDKey;  // SUPublicEDKey
        std::optional<std::string> version;      // CFBundleVersion
    };
    // What the user sees and how an update is installed. The windows are the caller's to make (the
    // delegate's update dialogs; a configured build without them stays unconfigured); this copy's
    // installer when none is given. Tests give their own.
    struct Parts {
        std::unique_ptr<UpdaterUserDriver> driver;
        std::unique_ptr<UpdateInstaller> installer;
        QString downloadDirectory;
    };

    static Info mainBundleInfo();

    UpdaterController(MainQueue& queue, UserDefaults& defaults, Info info = mainBundleInfo(), Parts parts = {});
    ~UpdaterController();
    UpdaterController(const UpdaterController&) = delete;
    UpdaterController& operator=(const UpdaterController&) = delete;

    bool isConfigured() const { return isConfigured_; }
    bool didStart() const { return didStart_; }
    // Switches the scheduled background checks on or off.
    void setAutomaticallyChecksForUpdates(bool enabled);
    // Starts the updater; its scheduled checks follow the automatic-check flag. Once only.
    void startUpdater();
    // A check the user asked for, answered in the updater's own dialogs.
    void checkForUpdates();

    // Nothing when not configured.
    const Updater* updater() const { return controller_.get(); }

private:
    UpdaterDefaults settings_;
    std::unique_ptr<UpdaterUserDriver> modalAlertBridge_;
    std::unique_ptr<Updater> controller_;
    bool isConfigured_ = false;
    bool didStart_ = false;
};

}  // namespace quillmark
