#pragma once

#include "app/dialogs/DialogButton.h"
#include "app/dialogs/DialogWindow.h"
#include "app/look/HUDFonts.h"

#include "PollUntil.h"
#include "TestApplication.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include <chrono>
#include <functional>

namespace quillmark::testing {

// The application of a dialog test, with the bundled faces registered as at launch.
inline QApplication& application() {
    QApplication& app = testApplication<QApplication>();
    HUDFonts::ensureRegistered();
    return app;
}

// The dialog that runs modally now, if any.
inline DialogWindow* openDialog() { return dynamic_cast<DialogWindow*>(QApplication::activeModalWidget()); }

// Runs `work` with the open dialog as soon as one is up (from the event loop that the dialog runs).
inline void whenDialogOpens(std::function<void(DialogWindow&)> work) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, work = std::move(work)] {
        DialogWindow* dialog = openDialog();
        if (!dialog || !dialog->isRunningModal()) return;
        poll->stop();
        poll->deleteLater();
        work(*dialog);
    });
    poll->start(1);
}

inline void pressKey(QWidget& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(&target, &release);
}

// The pointer moved onto `button`'s body.
inline void hover(DialogButton& button) {
    const QPointF inside = QRectF(button.rect().marginsRemoved(DialogButton::overhang)).center();
    QEnterEvent enter(inside, inside, button.mapToGlobal(inside));
    QCoreApplication::sendEvent(&button, &enter);
    QMouseEvent move(QEvent::MouseMove, inside, button.mapToGlobal(inside), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &move);
}

inline void unhover(DialogButton& button) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
}

inline void press(DialogButton& button) {
    const QPointF inside = QRectF(button.rect().marginsRemoved(DialogButton::overhang)).center();
    QMouseEvent down(QEvent::MouseButtonPress, inside, button.mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &down);
}

inline void release(DialogButton& button) {
    const QPointF inside = QRectF(button.rect().marginsRemoved(DialogButton::overhang)).center();
    QMouseEvent up(QEvent::MouseButtonRelease, inside, button.mapToGlobal(inside), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &up);
}

inline void click(DialogButton& button) {
    press(button);
    release(button);
}

// Runs the event loop until the button's shadow animation has come to rest.
inline bool settle(const DialogButton& button) {
    using namespace std::chrono_literals;
    return pollUntil([&] { return !button.shadow().isAnimating(); }, 2s,
                     [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
}

// The widget as drawn on screen, in an image of its own size.
inline QImage rendered(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

}  // namespace quillmark::testing
