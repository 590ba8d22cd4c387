#pragma once

#include "app/look/HUDAppearance.h"

#include <QString>

namespace quillmark {

// Asks the user one yes-or-no question in a small modal window in the application's own look and
// blocks the caller until the answer: true for confirm, false for cancel. Return confirms, Escape
// cancels; the window cannot be closed otherwise. A quit of the application ends it with false, and
// once a quit is under way it returns false without showing anything (ApplicationQuit::isUnderway()
// tells the caller why).
class ConsentDialog {
public:
    static constexpr int width = 430;
    static constexpr int confirmCode = 1000;
    static constexpr int cancelCode = 1001;

    // Main thread only. Callers pass the present hudAppearance setting.
    static bool run(const QString& title, const QString& message, const QString& confirm, const QString& cancel,
                    HUDAppearance appearance);

    ConsentDialog() = delete;
};

}  // namespace quillmark
