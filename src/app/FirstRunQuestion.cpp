#include "app/FirstRunQuestion.h"

#include "app/ApplicationQuit.h"
#include "app/settings/UserDefaults.h"

namespace quillmark {

const FirstRunQuestion& FirstRunQuestion::launchAtLogin() {
    static const FirstRunQuestion question{
        "Quillmark.didFirstRunSetup.v1", QStringLiteral("Launch Quillmark at login?"),
        QStringLiteral("Quillmark functions best when it is always running. Launch at login?"),
        QStringLiteral("Launch at Login"), QStringLiteral("Not Now")};
    return question;
}

const FirstRunQuestion& FirstRunQuestion::automaticUpdates() {
    static const FirstRunQuestion question{
        "Quillmark.didAskAutoUpdate.v1", QStringLiteral("Check for updates automatically?"),
        QStringLiteral("Quillmark can check for and install updates. You can change this any time in Preferences."),
        QStringLiteral("Check Automatically"), QStringLiteral("Not Now")};
    return question;
}

const FirstRunQuestion& FirstRunQuestion::crashReports() {
    static const FirstRunQuestion question{
        "Quillmark.didAskCrashReporting.v1", QStringLiteral("Help improve Quillmark?"),
        QStringLiteral("Quillmark can send anonymous crash reports \u2014 stack traces plus your operating system "
                       "and app version only, with file paths removed. No personal data. You can change this any "
                       "time in Preferences."),
        QStringLiteral("Send Crash Reports"), QStringLiteral("Not Now")};
    return question;
}

std::optional<bool> FirstRunQuestion::askOnce(UserDefaults& defaults, const Presenter& present,
                                              HUDAppearance appearance) const {
    if (ApplicationQuit::isUnderway() || defaults.boolean(flagKey)) return std::nullopt;
    defaults.setBool(flagKey, true);
    const bool answer = present(title, message, confirm, cancel, appearance);
    // A quit ends the dialog with "cancel"; that is not the user's answer.
    if (ApplicationQuit::isUnderway()) return std::nullopt;
    return answer;
}

}  // namespace quillmark
