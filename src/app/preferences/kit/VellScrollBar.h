#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QRectF>

#include <optional>

class QScrollBar;

namespace quillmark {

// The kit's vertical scroll bar: a flat thumb on a recessed track with the kit's 1-point border,
// drawn over the content's edge. It shows and moves the position of `model` (a scroll area's own,
// hidden bar): a drag moves the thumb, a click beside it pages, the wheel scrolls. Hidden while there
// is nothing to scroll.
class VellScrollBar : public VellWidget {
public:
    static constexpr double thickness = 8;
    static constexpr double minimumThumbLength = 24;

    explicit VellScrollBar(QScrollBar& model, QWidget* parent = nullptr);

    // The thumb in widget coordinates.
    QRectF thumbRect() const;
    bool isDragging() const { return dragOffset_.has_value(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void followModel();

    QScrollBar& model_;
    std::optional<double> dragOffset_;  // from the thumb's top to the pointer, while dragging
};

}  // namespace quillmark
