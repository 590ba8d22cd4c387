#pragma once

#include "app/look/HUDAppearance.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace quillmark {

class UserDefaults;

// One yes-or-no question of the first run, asked at most once per user account: its one-time flag is
// written before the dialog opens, so a question is never asked twice, even when the program ends
// while it is open.
class FirstRunQuestion {
public:
    // Shows one question and returns the answer: true for confirm. ConsentDialog::run in the program.
    using Presenter = std::function<bool(const QString& title, const QString& message, const QString& confirm,
                                         const QString& cancel, HUDAppearance appearance)>;

    static const FirstRunQuestion& launchAtLogin();
    static const FirstRunQuestion& automaticUpdates();
    static const FirstRunQuestion& crashReports();

    // Sets the flag and asks. Nothing when the flag was already set, or when a quit is under way before
    // or during the question: after a quit request nothing more is asked and no answer is given (the
    // flag of a question that was open stays set).
    std::optional<bool> askOnce(UserDefaults& defaults, const Presenter& present, HUDAppearance appearance) const;

    std::string flagKey;
    QString title;
    QString message;
    QString confirm;
    QString cancel;
};

}  // namespace quillmark
