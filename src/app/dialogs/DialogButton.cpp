#include "app/dialogs/DialogButton.h"

#include "app/dialogs/DialogPrimaryButtonStyle.h"
#include "app/dialogs/DialogSecondaryButtonStyle.h"
#include "app/dialogs/TextBlock.h"
#include "app/dialogs/WindowAppearance.h"
#include "app/look/FlatBorder.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cmath>

namespace quillmark {

namespace {

const QString kFontName = QStringLiteral("IsolationGrotesque-Regular");

}  // namespace

DialogButton::DialogButton(const QString& title, std::unique_ptr<const DialogButtonStyle> style, QWidget* parent)
    : QAbstractButton(parent), style_(std::move(style)) {
    setText(title);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    shadow_.onChange = [this] { update(); };
    resize(sizeHint());
}

std::unique_ptr<DialogButton> DialogButton::primary(const QString& title, QWidget* parent) {
    return std::make_unique<DialogButton>(title, std::make_unique<DialogPrimaryButtonStyle>(), parent);
}

std::unique_ptr<DialogButton> DialogButton::secondary(const QString& title, QWidget* parent) {
    return std::make_unique<DialogButton>(title, std::make_unique<DialogSecondaryButtonStyle>(), parent);
}

QFont DialogButton::labelFont() const {
    QFont font = TextBlock::resolveFont(kFontName, DialogButtonStyle::fontPoints, *this);
    font.setLetterSpacing(QFont::AbsoluteSpacing, style_->look(false, false, false).tracking);
    return font;
}

QSize DialogButton::bodySize() const {
    const QFontMetricsF metrics(labelFont(), this);
    const double width = metrics.horizontalAdvance(text().toUpper()) + 2 * DialogButtonStyle::horizontalInset;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(DialogButtonStyle::height)};
}

QSize DialogButton::sizeHint() const { return bodySize().grownBy(overhang); }

void DialogButton::setBodyGeometry(const QRect& body) { setGeometry(body.marginsAdded(overhang)); }

QRect DialogButton::bodyGeometry() const { return geometry().marginsRemoved(overhang); }

QRectF DialogButton::restingBody() const { return QRectF(rect().marginsRemoved(overhang)); }

DialogButtonStyle::Look DialogButton::currentLook() const {
    return style_->look(hovering_, isDown(), WindowAppearance::isDark(*this));
}

void DialogButton::setHovering(bool hovering) {
    if (hovering == hovering_) return;
    hovering_ = hovering;
    shadow_.setActive(hovering);
    update();
}

void DialogButton::enterEvent(QEnterEvent* event) {
    setHovering(restingBody().contains(event->position()));
    QAbstractButton::enterEvent(event);
}

void DialogButton::leaveEvent(QEvent* event) {
    setHovering(false);
    QAbstractButton::leaveEvent(event);
}

void DialogButton::mouseMoveEvent(QMouseEvent* event) {
    setHovering(restingBody().contains(event->position()));
    QAbstractButton::mouseMoveEvent(event);
}

bool DialogButton::hitButton(const QPoint& pos) const { return restingBody().contains(QPointF(pos)); }

void DialogButton::paintEvent(QPaintEvent*) {
    const DialogButtonStyle::Look look = currentLook();
    QPainter painter(this);
    if (look.opacity >= 1) {
        paintButton(painter, look);
        return;
    }
    // The button and its shadow dim together, as one layer.
    const qreal ratio = devicePixelRatioF();
    QImage layer((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    QPainter layerPainter(&layer);
    paintButton(layerPainter, look);
    layerPainter.end();
    painter.setOpacity(look.opacity);
    painter.drawImage(QPointF(0, 0), layer);
}

void DialogButton::paintButton(QPainter& painter, const DialogButtonStyle::Look& look) const {
    const QRectF resting = restingBody();
    shadow_.paint(painter, resting, look.shadow);
    const QRectF body = resting.translated(shadow_.viewOffset());
    if (look.background) painter.fillRect(body, *look.background);
    if (look.border) FlatBorder::drawInside(painter, body, *look.border);
    QFont font = labelFont();
    font.setLetterSpacing(QFont::AbsoluteSpacing, look.tracking);
    painter.setFont(font);
    painter.setPen(look.text);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawText(body, Qt::AlignCenter | Qt::TextSingleLine, text().toUpper());
}

}  // namespace quillmark
