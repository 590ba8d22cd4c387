#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace quillmark {

// The 1-point border of our flat controls: square corners, drawn inside the bounds.
class FlatBorder {
public:
    static void drawInside(QPainter& painter, const QRectF& rect, const QColor& colour);

    FlatBorder() = delete;
};

}  // namespace quillmark
