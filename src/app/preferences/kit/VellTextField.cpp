#include "app/preferences/kit/VellTextField.h"

#include "app/look/FlatBorder.h"
#include "app/preferences/kit/KitLook.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>

#include <cmath>

namespace quillmark {

namespace {

// QLineEdit keeps this many pixels between its edge and its text, whatever its margins.
constexpr int kLineEditInnerMargin = 2;

}  // namespace

VellTextField::VellTextField(const QString& prompt, double width, const QFont& font, Qt::Alignment alignment,
                             QWidget* parent)
    : VellWidget(parent), edit_(new QLineEdit(this)) {
    edit_->setFrame(false);
    edit_->setTextMargins(0, 0, 0, 0);
    edit_->setContentsMargins(0, 0, 0, 0);
    edit_->setFont(font);
    edit_->setAlignment(alignment | Qt::AlignVCenter);
    edit_->setPlaceholderText(prompt);
    edit_->setAttribute(Qt::WA_MacShowFocusRect, false);
    setFocusProxy(edit_);
    setFocusPolicy(edit_->focusPolicy());
    connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (onWrite) onWrite(text);
    });
    setFieldWidth(width);
    applyPalette();
}

void VellTextField::setText(const QString& text) {
    // Putting back what the user just typed would move the insertion point to the end.
    if (edit_->text() != text) edit_->setText(text);
}

QString VellTextField::text() const { return edit_->text(); }

void VellTextField::setPrompt(const QString& prompt) { edit_->setPlaceholderText(prompt); }

QString VellTextField::prompt() const { return edit_->placeholderText(); }

void VellTextField::setFieldWidth(double width) {
    setFixedSize(static_cast<int>(std::lround(width)), static_cast<int>(height));
}

double VellTextField::widthShowing(const QString& text) const {
    // The line edit measures in whole pixels; one more keeps a rounded-down advance from cutting.
    return QFontMetrics(edit_->font()).horizontalAdvance(text) + 1 + 2 * horizontalPadding;
}

QFont VellTextField::textFont() const { return edit_->font(); }

std::optional<double> VellTextField::firstBaseline() const {
    // The line edit centres its line box in the padded area.
    const QFontMetricsF metrics(edit_->font());
    const double area = height - 2 * verticalPadding;
    return verticalPadding + (area - metrics.height()) / 2 + metrics.ascent();
}

void VellTextField::appearanceChanged() {
    applyPalette();
    update();
}

void VellTextField::applyPalette() {
    QPalette palette = edit_->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, resolved(HUDTokens::bgRecessed));
        palette.setColor(group, QPalette::Window, resolved(HUDTokens::bgRecessed));
        palette.setColor(group, QPalette::Text, resolved(HUDTokens::amber));
        palette.setColor(group, QPalette::PlaceholderText, resolved(HUDTokens::fgMuted));
        palette.setColor(group, QPalette::Highlight, resolved(HUDTokens::cobalt));
        palette.setColor(group, QPalette::HighlightedText, resolved(HUDTokens::bg));
    }
    edit_->setPalette(palette);
}

void VellTextField::resizeEvent(QResizeEvent*) {
    const int left = static_cast<int>(horizontalPadding) - kLineEditInnerMargin;
    const int top = static_cast<int>(verticalPadding);
    edit_->setGeometry(rect().adjusted(left, top, -left, -top));
}

void VellTextField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), resolved(HUDTokens::bgRecessed));
    FlatBorder::drawInside(painter, rect(), resolved(HUDTokens::border));
}

}  // namespace quillmark
