#include "app/preferences/kit/VellScrollBar.h"

#include "app/look/FlatBorder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace quillmark {

VellScrollBar::VellScrollBar(QScrollBar& model, QWidget* parent) : VellWidget(parent), model_(model) {
    setFocusPolicy(Qt::NoFocus);
    connect(&model_, &QScrollBar::rangeChanged, this, [this] { followModel(); });
    connect(&model_, &QScrollBar::valueChanged, this, [this] { update(); });
    followModel();
}

void VellScrollBar::followModel() {
    setVisible(model_.maximum() > model_.minimum());
    update();
}

QSize VellScrollBar::sizeHint() const {
    return QSize(static_cast<int>(thickness), static_cast<int>(2 * minimumThumbLength));
}

QRectF VellScrollBar::thumbRect() const {
    const double track = height();
    const double span = model_.maximum() - model_.minimum();
    if (span <= 0) return QRectF(0, 0, width(), track);
    // The thumb is to the track as the page to the whole content.
    const double length = std::clamp(track * model_.pageStep() / (span + model_.pageStep()), minimumThumbLength, track);
    const double top = (track - length) * (model_.value() - model_.minimum()) / span;
    return QRectF(0, top, width(), length);
}

void VellScrollBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), resolved(HUDTokens::bgRecessed));
    FlatBorder::drawInside(painter, rect(), resolved(HUDTokens::borderSubtle));
    painter.fillRect(thumbRect(), resolved(isDragging() ? HUDTokens::accent : HUDTokens::fgMuted));
}

void VellScrollBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QRectF thumb = thumbRect();
    const double y = event->position().y();
    if (thumb.contains(event->position())) {
        dragOffset_ = y - thumb.top();
        update();
    } else {
        model_.triggerAction(y < thumb.top() ? QAbstractSlider::SliderPageStepSub : QAbstractSlider::SliderPageStepAdd);
    }
}

void VellScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (!dragOffset_) return;
    const double room = height() - thumbRect().height();
    if (room <= 0) return;
    const double top = std::clamp(event->position().y() - *dragOffset_, 0.0, room);
    const double span = model_.maximum() - model_.minimum();
    model_.setValue(model_.minimum() + static_cast<int>(std::lround(top / room * span)));
}

void VellScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragOffset_) return;
    dragOffset_.reset();
    update();
}

void VellScrollBar::wheelEvent(QWheelEvent* event) { QApplication::sendEvent(&model_, event); }

}  // namespace quillmark
