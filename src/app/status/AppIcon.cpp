#include "app/status/AppIcon.h"

#include "app/look/HUDTokens.h"
#include "app/status/StatusBarIcon.h"

#include <QPainter>
#include <QPen>
#include <QString>

#include <cmath>
#include <numbers>

namespace quillmark {

namespace {

// In the tray icon's 22 x 22 square: the tile fills it but for a one-unit margin, its border drawn
// inside that edge; the mark is scaled down about the centre to leave the tile a rim.
constexpr double kTileInset = 1.0;
constexpr double kTileBorder = 0.5;
constexpr double kTileCornerRadius = 4.5;
constexpr double kMarkScale = 0.8;

QColor tileFill() { return HUDTokens::resolve(HUDTokens::bg, true); }
QColor tileBorder() { return HUDTokens::resolve(HUDTokens::border, true); }
QColor ink() { return HUDTokens::resolve(HUDTokens::accent, true); }

QRectF tileRect() {
    const double edge = kTileInset + kTileBorder / 2;
    return {edge, edge, StatusBarIcon::size - 2 * edge, StatusBarIcon::size - 2 * edge};
}

QString number(double value) { return QString::number(value, 'f', 3); }

// A point of the mark's circle at `degrees`, counter-clockwise on screen from three o'clock.
QString circlePoint(double degrees) {
    const double radians = degrees * std::numbers::pi / 180.0;
    return number(StatusBarIcon::centre + StatusBarIcon::radius * std::cos(radians)) + QLatin1Char(' ') +
           number(StatusBarIcon::centre - StatusBarIcon::radius * std::sin(radians));
}

}  // namespace

QImage AppIcon::image(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(StatusBarIcon::size), size / double(StatusBarIcon::size));
    painter.setPen(QPen(tileBorder(), kTileBorder));
    painter.setBrush(tileFill());
    painter.drawRoundedRect(tileRect(), kTileCornerRadius, kTileCornerRadius);
    painter.translate(StatusBarIcon::centre, StatusBarIcon::centre);
    painter.scale(kMarkScale, kMarkScale);
    painter.translate(-StatusBarIcon::centre, -StatusBarIcon::centre);
    StatusBarIcon::draw(painter, ink());
    painter.end();
    return image;
}

QByteArray AppIcon::svg() {
    const QRectF tile = tileRect();
    const QString size = QString::number(StatusBarIcon::size);
    const QString centre = number(StatusBarIcon::centre);
    const QString radius = number(StatusBarIcon::radius);
    // The arc runs clockwise on screen (SVG's positive sweep) through more than half the circle.
    const QString text =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n"
                       "  <rect x=\"%2\" y=\"%2\" width=\"%3\" height=\"%3\" rx=\"%4\" fill=\"%5\" stroke=\"%6\" "
                       "stroke-width=\"%7\"/>\n")
            .arg(size, number(tile.x()), number(tile.width()), number(kTileCornerRadius), tileFill().name(),
                 tileBorder().name(), number(kTileBorder)) +
        QStringLiteral("  <g transform=\"translate(%1 %1) scale(%2) translate(-%1 -%1)\" fill=\"none\" stroke=\"%3\">\n"
                       "    <circle cx=\"%1\" cy=\"%1\" r=\"%4\" stroke-width=\"%5\" stroke-opacity=\"%6\"/>\n")
            .arg(centre, number(kMarkScale), ink().name(), radius, number(StatusBarIcon::ringWidth),
                 number(StatusBarIcon::ringOpacity)) +
        QStringLiteral("    <path d=\"M %1 A %2 %2 0 1 1 %3\" stroke-width=\"%4\" stroke-linecap=\"butt\"/>\n"
                       "  </g>\n"
                       "</svg>\n")
            .arg(circlePoint(StatusBarIcon::arcStartDegrees), radius, circlePoint(StatusBarIcon::arcEndDegrees),
                 number(StatusBarIcon::arcWidth));
    return text.toUtf8();
}

}  // namespace quillmark
