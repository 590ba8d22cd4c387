#include "app/status/StatusBarIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace quillmark {

namespace {

constexpr QPointF kCentre{11.0, 11.0};
constexpr double kRadius = 7.0;
constexpr double kArcStartDegrees = 225.0;
constexpr double kArcEndDegrees = 30.6;

QRectF circleBounds() { return {kCentre.x() - kRadius, kCentre.y() - kRadius, 2 * kRadius, 2 * kRadius}; }

}  // namespace

void StatusBarIcon::draw(QPainter& painter, const QColor& ink) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);

    QColor ring = ink;
    ring.setAlphaF(0.35 * ink.alphaF());
    painter.setPen(QPen(ring, 0.8));
    painter.drawEllipse(circleBounds());

    // Qt's angles run counter-clockwise on screen, as in a y-up space, so the arc keeps its
    // geometry: from lower left clockwise over the top to upper right.
    QPainterPath arc;
    arc.arcMoveTo(circleBounds(), kArcStartDegrees);
    arc.arcTo(circleBounds(), kArcStartDegrees, -(kArcStartDegrees - kArcEndDegrees));
    painter.setPen(QPen(ink, 3.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(arc);
    painter.restore();
}

QImage StatusBarIcon::image(const QColor& ink, int scale) {
    QImage image(kSize * scale, kSize * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    draw(painter, ink);
    painter.end();
    return image;
}

QIcon StatusBarIcon::icon(const QColor& ink) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap = QPixmap::fromImage(image(ink, scale));
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace quillmark
