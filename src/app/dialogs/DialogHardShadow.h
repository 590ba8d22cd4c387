#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QVariantAnimation>

#include <functional>

class QPainter;

namespace quillmark {

// The hard, unblurred shadow of the dialog buttons: while active, the view is drawn 1 point up and
// left of its resting place and a solid block of the shadow colour, the view's size, 2 points down and
// right of it. Every change of `active` animates the offsets and the block's opacity together, ease-out
// over 0.1 s. Only the drawing moves; the space the view takes stays the same.
class DialogHardShadow {
public:
    static constexpr int durationMs = 100;

    DialogHardShadow();

    // Starts the animation towards `active`, from wherever the last one stands.
    void setActive(bool active);
    bool isActive() const { return active_; }
    // 0 at rest, 1 fully lifted.
    double progress() const { return progress_; }
    bool isAnimating() const { return animation_.state() == QAbstractAnimation::Running; }

    // Where the view is drawn, relative to its resting place.
    QPointF viewOffset() const;
    // Draws the block behind a view resting at `resting`.
    void paint(QPainter& painter, const QRectF& resting, const QColor& colour) const;

    // Called at every step of the animation; the owner redraws.
    std::function<void()> onChange;

private:
    QVariantAnimation animation_;
    bool active_ = false;
    double progress_ = 0;
};

}  // namespace quillmark
