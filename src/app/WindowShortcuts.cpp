#include "app/WindowShortcuts.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace quillmark {

void WindowShortcuts::install(QWidget& window) {
    // Owned by the window, like any child.
    auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), &window);
    close->setContext(Qt::WindowShortcut);
    QObject::connect(close, &QShortcut::activated, &window, [&window] { window.close(); });
}

void WindowShortcuts::installPreferences(QWidget& window, std::function<void()> showPreferences) {
    auto* preferences = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), &window);
    preferences->setContext(Qt::WindowShortcut);
    QObject::connect(preferences, &QShortcut::activated, &window, std::move(showPreferences));
}

}  // namespace quillmark
