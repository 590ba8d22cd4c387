#include "app/WindowPresenter.h"

#include <QWidget>

namespace quillmark {

void WindowPresenter::present(QWidget& window) {
    // On X11 taking the minimised state away maps the window again, which brings it out of its icon.
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace quillmark
