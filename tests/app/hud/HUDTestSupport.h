#pragma once

#include "app/hud/HUDView.h"

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <memory>

namespace quillmark::testing {

inline QApplication& hudTestApplication() { return testApplication<QApplication>(); }

// The view drawn into an image of its own size, as painting on screen would draw it.
inline QImage renderHUD(HUDView& view) {
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    view.render(&image);
    return image;
}

// `over` blended over `under` at `alpha`, as a translucent fill lands on an opaque one.
inline QColor blended(const QColor& under, const QColor& over, double alpha) {
    auto mix = [alpha](int a, int b) { return static_cast<int>(std::lround(a * (1 - alpha) + b * alpha)); };
    return QColor(mix(under.red(), over.red()), mix(under.green(), over.green()), mix(under.blue(), over.blue()));
}

// Largest difference of one colour component.
inline int colourDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

}  // namespace quillmark::testing
