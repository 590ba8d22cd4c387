#include "app/dialogs/BackgroundDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace quillmark {

BackgroundDrag::BackgroundDrag(QWidget& window) : QObject(&window), window_(window) {
    window_.installEventFilter(this);
}

bool BackgroundDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_ || event->type() != QEvent::MouseButtonPress) return false;
    // Presses that a control took never reach the window; those that do landed on the background.
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
    QWindow* handle = window_.windowHandle();
    return handle && handle->startSystemMove();
}

}  // namespace quillmark
