#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

class QPainter;

namespace quillmark {

// The tray icon: a thin ring with a thick arc over its left, top and right, like the scale of a
// level knob. A tray has no template images, so it is drawn in the panel's text colour.
class StatusBarIcon {
public:
    static constexpr int size = 22;
    // The drawing's geometry in its 22 x 22 square; angles run counter-clockwise from three o'clock.
    static constexpr double centre = 11.0;
    static constexpr double radius = 7.0;
    static constexpr double ringWidth = 0.8;
    static constexpr double ringOpacity = 0.35;
    static constexpr double arcWidth = 3.0;
    static constexpr double arcStartDegrees = 225.0;
    static constexpr double arcEndDegrees = 30.6;

    // Draws the icon into the 22 x 22 square at the painter's origin.
    static void draw(QPainter& painter, const QColor& ink);
    // The icon at `scale` times its size, transparent around the strokes.
    static QImage image(const QColor& ink, int scale = 1);
    // An icon with 1x and 2x images, for trays of either density.
    static QIcon icon(const QColor& ink);
};

}  // namespace quillmark
