#pragma once

// What the tests of our widgets share: the application with the bundled faces, input delivered as Qt
// delivers it, renderings and their pixels, and the dialogs' modal loop.

#include "app/dialogs/DialogButton.h"
#include "app/dialogs/DialogWindow.h"
#include "app/look/HUDFonts.h"
#include "app/look/HUDTokens.h"

#include "PollUntil.h"
#include "TestApplication.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>

namespace quillmark::testing {

// The application of a widget test, with the bundled faces registered as at launch.
inline QApplication& widgetTestApplication() {
    QApplication& application = testApplication<QApplication>();
    HUDFonts::ensureRegistered();
    return application;
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

inline QColor token(const HUDTokens::Token& which, bool dark) { return HUDTokens::resolve(which, dark); }

// `widget` (and its children) drawn over `backdrop`, one image pixel per point.
inline QImage render(QWidget& widget, const QColor& backdrop, double pixelRatio = 1) {
    QImage image(widget.size() * pixelRatio, QImage::Format_ARGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(backdrop);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline QColor pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// Largest difference of one colour component.
inline int colourDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

// The pixel of `area` that differs most from `background`: the core of any text drawn there.
inline QColor ink(const QImage& image, const QRect& area, const QColor& background) {
    QColor strongest = background;
    int distance = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor here = image.pixelColor(x, y);
            const int d = colourDistance(here, background);
            if (d > distance) {
                distance = d;
                strongest = here;
            }
        }
    }
    return strongest;
}

// Whether any pixel of `area` differs from `background`.
inline bool hasInk(const QImage& image, const QRect& area, const QColor& background) {
    return colourDistance(ink(image, area, background), background) > 0;
}

// A left-button click (press and release) at `point` of `widget`, delivered as Qt delivers it.
inline void click(QWidget& widget, QPointF point, QPointF releaseAt = QPointF(-1, -1)) {
    if (releaseAt == QPointF(-1, -1)) releaseAt = point;
    QMouseEvent press(QEvent::MouseButtonPress, point, widget.mapToGlobal(point), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, releaseAt, widget.mapToGlobal(releaseAt), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

}  // namespace quillmark::testing
