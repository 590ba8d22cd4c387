#include "app/status/StatusBarIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace quillmark {

namespace {

QRectF circleBounds() {
    constexpr double corner = StatusBarIcon::centre - StatusBarIcon::radius;
    return {corner, corner, 2 * StatusBarIcon::radius, 2 * StatusBarIcon::radius};
}

}  // namespace

void StatusBarIcon::draw(QPainter& painter, const QColor& ink) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);

    QColor ring = ink;
    ring.setAlphaF(ringOpacity * ink.alphaF());
    painter.setPen(QPen(ring, ringWidth));
    painter.drawEllipse(circleBounds());

    // Qt's angles run counter-clockwise on screen, as in a y-up space, so the arc keeps its
    // geometry: from lower left clockwise over the top to upper right.
    QPainterPath arc;
    arc.arcMoveTo(circleBounds(), arcStartDegrees);
    arc.arcTo(circleBounds(), arcStartDegrees, -(arcStartDegrees - arcEndDegrees));
    painter.setPen(QPen(ink, arcWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(arc);
    painter.restore();
}

QImage StatusBarIcon::image(const QColor& ink, int scale) {
    QImage image(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
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
