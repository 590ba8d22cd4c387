#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

class QPainter;

namespace quillmark {

// The tray icon: a thin ring with a thick arc over its left, top and right, like the scale of a
// level knob. A tray has no template images: it is drawn in the colour the tray host asks for, or,
// where the host says nothing, with a halo of the opposite lightness round its strokes, so that it
// reads on a light panel and a dark one alike.
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
    // How far the halo reaches beyond each stroke's edge.
    static constexpr double haloWidth = 1.0;

    // Draws the icon into the 22 x 22 square at the painter's origin, its strokes in `ink` over a halo
    // in `halo` (none when it is transparent).
    static void draw(QPainter& painter, const QColor& ink, const QColor& halo = Qt::transparent);
    // The icon at `scale` times its size, transparent around the strokes.
    static QImage image(const QColor& ink, int scale = 1, const QColor& halo = Qt::transparent);
    // An icon with 1x and 2x images, for trays of either density.
    static QIcon icon(const QColor& ink, const QColor& halo = Qt::transparent);
    // The halo that sets `ink` off from a panel of either lightness: near white round a dark ink, near
    // black round a light one.
    static QColor haloFor(const QColor& ink);
};

}  // namespace quillmark
