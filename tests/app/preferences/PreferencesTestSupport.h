#pragma once

#include "app/services/LoginItemController.h"
#include "app/settings/MemoryUserDefaults.h"
#include "app/settings/PreferencesStore.h"
#include "core/JSONValue.h"
#include "core/MixerFrame.h"
#include "core/MonitorPaths.h"
#include "core/MonitorStateStore.h"
#include "platform/autostart/XdgLoginItemService.h"

#include "ManualMainQueue.h"
#include "ScopedEnvironment.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace quillmark::testing {

// What the preferences window works on: a store in memory, a login item in a scratch settings
// directory, the monitor state and a main queue that runs when the test says so.
struct PreferencesHarness {
    QTemporaryDir configHome;
    ScopedEnvironment configEnvironment{"XDG_CONFIG_HOME", configHome.path().toStdString().c_str()};
    MemoryUserDefaults defaults;
    PreferencesStore store{defaults};
    LoginItemController loginItem{
        std::make_unique<XdgLoginItemService>("/opt/quillmark/bin/quillmark", configHome.path().toStdString())};
    MonitorStateStore monitor;
    MonitorPaths paths = MonitorPaths::apolloX8();
    ManualMainQueue queue;

    void reportLevel(double levelDB) {
        monitor.apply(MixerFrame{paths.levelDB.valuePath(), JSONValue(levelDB)}, paths);
    }
    std::string autostart() const { return configHome.path().toStdString() + "/autostart"; }
};

// A key stroke as the platform delivers it to `target`: the shortcut override first, then press and
// release.
inline void press(QWidget& target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                  const QString& text = {}) {
    QKeyEvent override(QEvent::ShortcutOverride, key, modifiers, text);
    override.ignore();
    QApplication::sendEvent(&target, &override);
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&target, &up);
}

// Replaces a line edit's text the way a user does: select all, then type each character.
inline void retype(QLineEdit& edit, const QString& text) {
    edit.selectAll();
    press(edit, Qt::Key_Backspace);
    for (QChar c : text) press(edit, Qt::Key_unknown, Qt::NoModifier, QString(c));
}

}  // namespace quillmark::testing
