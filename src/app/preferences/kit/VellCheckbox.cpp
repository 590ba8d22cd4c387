#include "app/preferences/kit/VellCheckbox.h"

#include "app/look/FlatBorder.h"
#include "app/preferences/kit/KitLook.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace quillmark {

namespace {

QColor mixed(const QColor& from, const QColor& to, double amount) {
    auto mix = [amount](double a, double b) { return a + (b - a) * amount; };
    return QColor::fromRgbF(static_cast<float>(mix(from.redF(), to.redF())),
                            static_cast<float>(mix(from.greenF(), to.greenF())),
                            static_cast<float>(mix(from.blueF(), to.blueF())));
}

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(static_cast<float>(alpha));
    return colour;
}

}  // namespace

VellCheckbox::VellCheckbox(bool isOn, QWidget* parent)
    : VellWidget(parent), isOn_(isOn), animation_(new QVariantAnimation(this)) {
    setFixedSize(static_cast<int>(side), static_cast<int>(side));
    animation_->setDuration(animationMilliseconds);
    animation_->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

void VellCheckbox::setOn(bool isOn) {
    if (isOn == isOn_) return;
    const double from = shownOnness();
    isOn_ = isOn;
    animation_->stop();
    if (animateNextChange_) {
        animation_->setStartValue(from);
        animation_->setEndValue(isOn ? 1.0 : 0.0);
        animation_->start();
    }
    update();
}

QRectF VellCheckbox::boxRect() {
    const double inset = (side - boxSide) / 2;
    return QRectF(inset, inset, boxSide, boxSide);
}

bool VellCheckbox::isAnimating() const { return animation_->state() == QAbstractAnimation::Running; }

QSize VellCheckbox::sizeHint() const { return QSize(static_cast<int>(side), static_cast<int>(side)); }

double VellCheckbox::shownOnness() const {
    if (isAnimating()) return animation_->currentValue().toDouble();
    return isOn_ ? 1.0 : 0.0;
}

void VellCheckbox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF box = boxRect();
    const double onness = shownOnness();
    const QColor accent = resolved(HUDTokens::accent);
    if (onness > 0) painter.fillRect(box, withAlpha(accent, onness));
    FlatBorder::drawInside(painter, box, mixed(resolved(HUDTokens::border), accent, onness));
    if (onness <= 0) return;

    QPainterPath check;
    check.moveTo(box.topLeft() + QPointF(3.2, 7.2));
    check.lineTo(box.topLeft() + QPointF(5.9, 9.9));
    check.lineTo(box.topLeft() + QPointF(10.6, 4.1));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(withAlpha(resolved(HUDTokens::bg), onness), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(check);
}

void VellCheckbox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->ignore();
    pressed_ = true;
}

void VellCheckbox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->ignore();
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (!click || !onWrite) return;
    animateNextChange_ = true;
    onWrite(!isOn_);
    animateNextChange_ = false;
}

}  // namespace quillmark
