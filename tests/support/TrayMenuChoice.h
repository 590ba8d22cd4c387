#pragma once

#include "app/status/StatusBarController.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QString>

namespace quillmark::testing {

// Chooses the tray menu's item `title`, as the menu reads when it opens now; a test failure when there
// is none. For programs that link the app.
inline bool chooseTrayItem(StatusBarController& statusBar, const QString& title) {
    QMenu menu;
    statusBar.rebuild(menu);
    for (QAction* action : menu.actions()) {
        if (action->text() != title) continue;
        action->trigger();
        return true;
    }
    ADD_FAILURE() << "no item " << title.toStdString();
    return false;
}

}  // namespace quillmark::testing
