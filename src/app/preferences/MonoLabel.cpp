#include "app/preferences/MonoLabel.h"

#include "app/preferences/kit/KitLook.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillmark {

MonoLabel::MonoLabel(const QString& text, double pointSize, const HUDTokens::Token& colour, QWidget* parent)
    : VellWidget(parent), text_(text), pointSize_(pointSize), colour_(colour) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void MonoLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

void MonoLabel::setColour(const HUDTokens::Token& colour) {
    colour_ = colour;
    update();
}

QFont MonoLabel::font() const { return KitLook::monoFont(pointSize_); }

QSize MonoLabel::sizeHint() const {
    const QFontMetricsF metrics(font());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text_))),
                 static_cast<int>(std::ceil(metrics.height())));
}

std::optional<double> MonoLabel::firstBaseline() const {
    const QFontMetricsF metrics(font());
    return (height() - metrics.height()) / 2 + metrics.ascent();
}

void MonoLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(textColour());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

}  // namespace quillmark
