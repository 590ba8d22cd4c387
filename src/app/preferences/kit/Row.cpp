#include "app/preferences/kit/Row.h"

#include "app/preferences/kit/KitLook.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

constexpr double kSpacing = 12;
constexpr double kMinimumGap = 8;
// Label, flexible space and trailing content stand `kSpacing` apart, the space at least `kMinimumGap`.
constexpr double kLabelToTrailing = kSpacing + kMinimumGap + kSpacing;
constexpr double kHintSpacing = 1;

QFont labelFont() { return KitLook::bodyFont(13); }
QFont hintFont() { return KitLook::monoFont(10, 1); }

int ceiled(double value) { return static_cast<int>(std::ceil(value - 1e-9)); }

}  // namespace

Row::Row(const QString& label, const std::optional<QString>& hint, QWidget* trailing, QWidget* parent)
    : VellWidget(parent), label_(label), hint_(hint) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setTrailing(trailing);
}

void Row::setLabel(const QString& label) {
    label_ = label;
    relayout();
}

void Row::setHint(const std::optional<QString>& hint) {
    hint_ = hint;
    relayout();
}

void Row::setTrailing(QWidget* trailing) {
    if (trailing_ == trailing) return;
    delete trailing_.data();
    trailing_ = trailing;
    if (trailing_) {
        trailing_->setParent(this);
        applyAppearance(*trailing_, appearance());
        trailing_->show();
    }
    relayout();
}

QRectF Row::labelRect() const {
    const Placement placed = placement(width());
    const double room = trailing_ ? width() - placed.trailing.width() - kLabelToTrailing : width();
    return QRectF(0, placed.labelTop, std::max(0.0, std::min(room, labelColumnWidth())),
                  QFontMetricsF(labelFont()).height());
}

std::optional<QRectF> Row::hintRect() const {
    if (!hint_) return std::nullopt;
    const QRectF label = labelRect();
    return QRectF(0, label.bottom() + kHintSpacing, label.width(), QFontMetricsF(hintFont()).height());
}

std::optional<double> Row::firstBaseline() const { return placement(width()).baseline; }

QSize Row::sizeHint() const {
    const QSize trailing = trailingSize();
    const double gap = trailing_ ? kLabelToTrailing : 0;
    return QSize(ceiled(labelColumnWidth() + gap + trailing.width()), ceiled(placement(width()).height));
}

QSize Row::minimumSizeHint() const {
    const double gap = trailing_ ? kLabelToTrailing : 0;
    return QSize(ceiled(gap + trailingSize().width()), ceiled(placement(width()).height));
}

bool Row::event(QEvent* event) {
    // The trailing control asks for a new size.
    if (event->type() == QEvent::LayoutRequest) relayout();
    return VellWidget::event(event);
}

void Row::resizeEvent(QResizeEvent*) { placeTrailing(); }

Row::Placement Row::placement(double width) const {
    const QFontMetricsF label(labelFont());
    const double columnHeight = labelColumnHeight();
    Placement placed;
    if (!trailing_) {
        const double top = std::max(0.0, (minimumHeight - columnHeight) / 2);
        placed.labelTop = top;
        placed.baseline = top + label.ascent();
        placed.height = std::max(minimumHeight, columnHeight);
        return placed;
    }
    const QSize size = trailingSize();
    const double trailingBaseline = firstBaselineOf(*trailing_, size.height());
    // Both hang from the shared baseline; the content is what lies between the higher top and the
    // lower bottom.
    const double baseline = std::max(label.ascent(), trailingBaseline);
    const double labelTop = baseline - label.ascent();
    const double trailingTop = baseline - trailingBaseline;
    const double contentHeight = std::max(labelTop + columnHeight, trailingTop + size.height());
    const double offset = std::max(0.0, (minimumHeight - contentHeight) / 2);
    const int trailingY = static_cast<int>(std::lround(trailingTop + offset));
    placed.baseline = trailingY + trailingBaseline;
    placed.labelTop = placed.baseline - label.ascent();
    placed.trailing =
        QRect(static_cast<int>(std::lround(width)) - size.width(), trailingY, size.width(), size.height());
    placed.height = std::max(minimumHeight, contentHeight);
    return placed;
}

QSize Row::trailingSize() const {
    if (!trailing_) return {};
    const QSize hint = trailing_->sizeHint().expandedTo(trailing_->minimumSizeHint());
    return hint.expandedTo(trailing_->minimumSize()).boundedTo(trailing_->maximumSize());
}

double Row::labelColumnWidth() const {
    double widest = QFontMetricsF(labelFont()).horizontalAdvance(label_);
    if (hint_) widest = std::max(widest, QFontMetricsF(hintFont()).horizontalAdvance(*hint_));
    return widest;
}

double Row::labelColumnHeight() const {
    const double label = QFontMetricsF(labelFont()).height();
    return hint_ ? label + kHintSpacing + QFontMetricsF(hintFont()).height() : label;
}

void Row::placeTrailing() {
    if (trailing_) trailing_->setGeometry(placement(width()).trailing);
    update();
}

void Row::relayout() {
    updateGeometry();
    placeTrailing();
}

void Row::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF label = labelRect();
    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(resolved(HUDTokens::fg));
    painter.drawText(QPointF(0, label.top() + metrics.ascent()),
                     metrics.elidedText(label_, Qt::ElideRight, label.width() + 0.5));
    if (auto hint = hintRect()) {
        const QFont small = hintFont();
        const QFontMetricsF hintMetrics(small);
        painter.setFont(small);
        painter.setPen(resolved(HUDTokens::fgMuted));
        painter.drawText(QPointF(0, hint->top() + hintMetrics.ascent()),
                         hintMetrics.elidedText(*hint_, Qt::ElideRight, hint->width() + 0.5));
    }
}

}  // namespace quillmark
