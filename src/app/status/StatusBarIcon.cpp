#include "app/status/StatusBarIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>

namespace quillmark {

namespace {

// Inks at or below this lightness (0 to 1) take a light halo.
constexpr double kDarkInkLightness = 0.5;
constexpr QRgb kLightHalo = qRgba(255, 255, 255, 235);
constexpr QRgb kDarkHalo = qRgba(0, 0, 0, 215);

QRectF circleBounds() {
    constexpr double corner = StatusBarIcon::centre - StatusBarIcon::radius;
    return {corner, corner, 2 * StatusBarIcon::radius, 2 * StatusBarIcon::radius};
}

// Qt's angles run counter-clockwise on screen, as in a y-up space, so the arc keeps its geometry:
// from lower left clockwise over the top to upper right.
QPainterPath arcPath() {
    QPainterPath arc;
    arc.arcMoveTo(circleBounds(), StatusBarIcon::arcStartDegrees);
    arc.arcTo(circleBounds(), StatusBarIcon::arcStartDegrees,
              -(StatusBarIcon::arcStartDegrees - StatusBarIcon::arcEndDegrees));
    return arc;
}

QColor withOpacity(QColor colour, double opacity) {
    colour.setAlphaF(opacity * colour.alphaF());
    return colour;
}

// The halo follows the outline of each stroke, round the arc's flat ends too, beneath the ink.
void drawHalo(QPainter& painter, const QColor& halo) {
    painter.setPen(
        QPen(withOpacity(halo, StatusBarIcon::ringOpacity), StatusBarIcon::ringWidth + 2 * StatusBarIcon::haloWidth));
    painter.drawEllipse(circleBounds());
    QPainterPathStroker stroker;
    stroker.setWidth(StatusBarIcon::arcWidth);
    stroker.setCapStyle(Qt::FlatCap);
    const QPainterPath arcOutline = stroker.createStroke(arcPath());
    painter.strokePath(arcOutline,
                       QPen(halo, 2 * StatusBarIcon::haloWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(arcOutline, halo);
}

}  // namespace

void StatusBarIcon::draw(QPainter& painter, const QColor& ink, const QColor& halo) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (halo.alpha() > 0) drawHalo(painter, halo);

    painter.setPen(QPen(withOpacity(ink, ringOpacity), ringWidth));
    painter.drawEllipse(circleBounds());
    painter.setPen(QPen(ink, arcWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(arcPath());
    painter.restore();
}

QImage StatusBarIcon::image(const QColor& ink, int scale, const QColor& halo) {
    QImage image(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    draw(painter, ink, halo);
    painter.end();
    return image;
}

QIcon StatusBarIcon::icon(const QColor& ink, const QColor& halo) {
    QIcon icon;
    for (int scale : {1, 2}) icon.addPixmap(QPixmap::fromImage(image(ink, scale, halo)));
    return icon;
}

QColor StatusBarIcon::haloFor(const QColor& ink) {
    return QColor::fromRgba(ink.lightnessF() <= kDarkInkLightness ? kLightHalo : kDarkHalo);
}

}  // namespace quillmark
