#include "app/look/FlatBorder.h"

#include <QPainter>

#include <algorithm>

namespace quillmark {

void FlatBorder::drawInside(QPainter& painter, const QRectF& rect, const QColor& colour) {
    // Four bands that do not overlap, so a translucent painter does not darken the corners.
    const qreal side = std::max<qreal>(0, rect.height() - 2);
    painter.fillRect(QRectF(rect.left(), rect.top(), rect.width(), 1), colour);
    painter.fillRect(QRectF(rect.left(), rect.bottom() - 1, rect.width(), 1), colour);
    painter.fillRect(QRectF(rect.left(), rect.top() + 1, 1, side), colour);
    painter.fillRect(QRectF(rect.right() - 1, rect.top() + 1, 1, side), colour);
}

}  // namespace quillmark
