#pragma once

#include "app/look/HUDFonts.h"
#include "app/look/HUDTokens.h"

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace quillmark::testing {

// The test's application, with the bundled faces registered as at launch.
inline QApplication& kitTestApplication() {
    QApplication& application = testApplication<QApplication>();
    HUDFonts::ensureRegistered();
    return application;
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
