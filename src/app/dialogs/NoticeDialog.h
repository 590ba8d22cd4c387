#pragma once

#include "app/look/HUDAppearance.h"

#include <QString>

namespace quillmark {

// Tells the user one thing in a modal window in the dialogs' look: the title, the message and an OK
// button, which Return and Escape press too. Blocks the caller until it is acknowledged or the
// application quits; once a quit is under way it shows nothing.
class NoticeDialog {
public:
    // Main thread only. Callers pass the present hudAppearance setting.
    static void run(const QString& title, const QString& message, HUDAppearance appearance);

    NoticeDialog() = delete;
};

}  // namespace quillmark
