#include "app/services/UpdaterController.h"

#include "app/ApplicationQuit.h"
#include "app/look/ResourceBundle.h"
#include "log/SystemLog.h"
#include "platform/updater/Relaunch.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QStandardPaths>

namespace quillmark {
namespace {

bool configured(const std::string& feed, const std::string& key) {
    return !feed.empty() && feed.find("CHANGE-ME") == std::string::npos && !key.empty();
}

// After a clean shutdown the replaced AppImage, `program`, runs again with this run's arguments.
void relaunchAfterExit(const std::string& program) {
    if (program.empty()) return;
    std::vector<std::string> arguments;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i) arguments.push_back(all[i].toStdString());
    Relaunch::requestAfterExit(program, std::move(arguments));
    ApplicationQuit::request();
}

QString defaultDownloadDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/updates");
}

}  // namespace

UpdaterController::Info UpdaterController::mainBundleInfo() {
    const ResourceBundle& bundle = ResourceBundle::main();
    return {bundle.infoString("SUFeedURL"), bundle.infoString("SUPublicEDKey"), bundle.infoString("CFBundleVersion")};
}

UpdaterController::UpdaterController(MainQueue& queue, UserDefaults& defaults, Info info, Parts parts)
    : settings_(defaults) {
    const std::string feed = info.feedURL.value_or("");
    const std::string key = info.publicEDKey.value_or("");
    isConfigured_ = configured(feed, key);
    if (!isConfigured_) {
        SystemLog::write("Quillmark: updates not configured (placeholder SUFeedURL or missing SUPublicEDKey) — "
                         "auto-update disabled in this build.");
        return;
    }
    if (!parts.driver) {
        SystemLog::write("Quillmark: updates disabled: no update windows were given.");
        isConfigured_ = false;
        return;
    }
    const auto openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    modalAlertBridge_ = std::move(parts.driver);
    auto installer = parts.installer ? std::move(parts.installer) : UpdateInstaller::forThisProcess(openUrl);
    Updater::Configuration configuration{QUrl(QString::fromStdString(feed)), key, info.version.value_or(""),
                                         parts.downloadDirectory.isEmpty() ? defaultDownloadDirectory()
                                                                           : parts.downloadDirectory};
    Updater::Hooks hooks{[] { return std::chrono::system_clock::now(); }, openUrl, &relaunchAfterExit};
    controller_ = std::make_unique<Updater>(std::move(configuration), queue, settings_, *modalAlertBridge_,
                                            std::move(installer), std::move(hooks));
}

UpdaterController::~UpdaterController() = default;

void UpdaterController::setAutomaticallyChecksForUpdates(bool enabled) {
    if (controller_) controller_->setAutomaticallyChecksForUpdates(enabled);
}

void UpdaterController::startUpdater() {
    if (!controller_) return;
    didStart_ = true;
    controller_->start();
}

void UpdaterController::checkForUpdates() {
    if (controller_) controller_->checkForUpdates();
}

}  // namespace quillmark
