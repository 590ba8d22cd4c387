#include "app/dialogs/DialogHardShadow.h"

#include <QEasingCurve>
#include <QPainter>

namespace quillmark {

namespace {

constexpr double kLift = 1;
constexpr double kShadowDrop = 2;

// The standard ease-out curve: a cubic Bézier through (0.58, 1).
QEasingCurve easeOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

}  // namespace

DialogHardShadow::DialogHardShadow() {
    animation_.setDuration(durationMs);
    animation_.setEasingCurve(easeOut());
    QObject::connect(&animation_, &QVariantAnimation::valueChanged, [this](const QVariant& value) {
        progress_ = value.toDouble();
        if (onChange) onChange();
    });
}

void DialogHardShadow::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    animation_.stop();
    animation_.setStartValue(progress_);
    animation_.setEndValue(active ? 1.0 : 0.0);
    animation_.start();
}

QPointF DialogHardShadow::viewOffset() const { return {-kLift * progress_, -kLift * progress_}; }

void DialogHardShadow::paint(QPainter& painter, const QRectF& resting, const QColor& colour) const {
    if (progress_ <= 0) return;
    const double drop = kShadowDrop * progress_;
    painter.save();
    painter.setOpacity(painter.opacity() * progress_);
    painter.fillRect(resting.translated(drop, drop), colour);
    painter.restore();
}

}  // namespace quillmark
