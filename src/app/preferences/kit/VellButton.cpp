#include "app/preferences/kit/VellButton.h"

#include "app/look/FlatBorder.h"
#include "app/preferences/kit/KitLook.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace quillmark {

namespace {

QFont titleFont() { return KitLook::displayFont(11, 0.44); }

}  // namespace

VellButton::VellButton(const QString& title, bool isPrimary, QWidget* parent)
    : VellWidget(parent), title_(title), isPrimary_(isPrimary) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void VellButton::setTitle(const QString& title) {
    title_ = title;
    updateGeometry();
    update();
}

QString VellButton::shownTitle() const { return KitLook::upperCased(title_); }

void VellButton::setPrimary(bool isPrimary) {
    isPrimary_ = isPrimary;
    update();
}

QColor VellButton::textColour() const {
    if (!isEnabled()) return resolved(HUDTokens::fgMuted);
    return resolved(isPrimary_ ? HUDTokens::bg : HUDTokens::fg);
}

QColor VellButton::backgroundColour() const { return resolved(isPrimary_ ? HUDTokens::accent : HUDTokens::bgHeader); }

QColor VellButton::borderColour() const { return resolved(isPrimary_ ? HUDTokens::accent : HUDTokens::border); }

QSize VellButton::sizeHint() const {
    const double text = QFontMetricsF(titleFont()).horizontalAdvance(shownTitle());
    return QSize(static_cast<int>(std::ceil(text + 2 * horizontalPadding)), static_cast<int>(height));
}

std::optional<double> VellButton::firstBaseline() const {
    const QFontMetricsF metrics(titleFont());
    return (height - metrics.height()) / 2 + metrics.ascent();
}

void VellButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF bounds = rect();
    painter.fillRect(bounds, backgroundColour());
    FlatBorder::drawInside(painter, bounds, borderColour());
    const QFont font = titleFont();
    const QFontMetricsF metrics(font);
    const QString text =
        metrics.elidedText(shownTitle(), Qt::ElideRight, std::max(0.0, bounds.width() - 2 * horizontalPadding) + 0.5);
    const double x = (bounds.width() - metrics.horizontalAdvance(text)) / 2;
    painter.setFont(font);
    painter.setPen(textColour());
    painter.drawText(QPointF(x, *firstBaseline()), text);
}

void VellButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        pressed_ = false;
        update();
    }
    VellWidget::changeEvent(event);
}

void VellButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->ignore();
    pressed_ = isEnabled();
}

void VellButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->ignore();
    const bool click = pressed_ && isEnabled() && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click && action) action();
}

}  // namespace quillmark
