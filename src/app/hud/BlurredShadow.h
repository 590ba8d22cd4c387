#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace quillmark {

// The soft shadow a filled rectangle casts with zero offset: a Gaussian blur of its shape in one
// colour. QPainter has no shadow of its own; the HUD's glow tip needs one.
class BlurredShadow {
public:
    // Paints the shadow of `rect` (in the painter's coordinates) with the given blur radius, whose
    // Gaussian has a standard deviation of half the radius.
    static void paint(QPainter& painter, const QRectF& rect, qreal blurRadius, const QColor& colour);
};

}  // namespace quillmark
