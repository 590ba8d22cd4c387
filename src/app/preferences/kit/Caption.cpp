#include "app/preferences/kit/Caption.h"

#include "app/preferences/kit/KitLook.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace quillmark {

namespace {

QFont captionFont() { return KitLook::bodyFont(11); }

}  // namespace

Caption::Caption(const QString& text, QWidget* parent) : VellWidget(parent), text_(text) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void Caption::setText(const QString& text) {
    text_ = text;
    updateGeometry();
    update();
}

void Caption::setForeground(const std::optional<HUDTokens::Token>& token) {
    foreground_ = token;
    update();
}

QColor Caption::textColour() const { return resolved(foreground_.value_or(HUDTokens::fgMuted)); }

int Caption::lineCount(double width) const {
    QTextLayout layout;
    layOut(layout, width);
    return layout.lineCount();
}

double Caption::layOut(QTextLayout& layout, double width) const {
    const QFont font = captionFont();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setText(text_);
    layout.setFont(font);
    layout.setTextOption(option);
    const double lineHeight = QFontMetricsF(font).height();
    double y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1.0, width));
        if (y > 0) y += extraLineSpacing;
        line.setPosition(QPointF(0, y));
        y += lineHeight;
    }
    layout.endLayout();
    return y;
}

int Caption::heightForWidth(int width) const {
    QTextLayout layout;
    return static_cast<int>(std::ceil(layOut(layout, width)));
}

QSize Caption::sizeHint() const {
    // Natural width: the whole text on one line.
    const double width = QFontMetricsF(captionFont()).horizontalAdvance(text_);
    return QSize(static_cast<int>(std::ceil(width)), heightForWidth(static_cast<int>(std::ceil(width))));
}

QSize Caption::minimumSizeHint() const {
    return QSize(0, static_cast<int>(std::ceil(QFontMetricsF(captionFont()).height())));
}

std::optional<double> Caption::firstBaseline() const { return QFontMetricsF(captionFont()).ascent(); }

void Caption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QTextLayout layout;
    layOut(layout, width());
    painter.setPen(textColour());
    layout.draw(&painter, QPointF(0, 0));
}

}  // namespace quillmark
