#include "app/preferences/kit/VellSegmentedBase.h"

#include "app/look/FlatBorder.h"
#include "app/preferences/kit/KitLook.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

constexpr double kNaturalPadding = 8;  // either side of a title, for the width the control asks for

QFont titleFont() { return KitLook::displayFont(11, 0.44); }

QColor mixed(const QColor& from, const QColor& to, double amount) {
    auto mix = [amount](double a, double b) { return a + (b - a) * amount; };
    return QColor::fromRgbF(static_cast<float>(mix(from.redF(), to.redF())),
                            static_cast<float>(mix(from.greenF(), to.greenF())),
                            static_cast<float>(mix(from.blueF(), to.blueF())));
}

}  // namespace

VellSegmentedBase::VellSegmentedBase(QWidget* parent) : VellWidget(parent), animation_(new QVariantAnimation(this)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    animation_->setDuration(animationMilliseconds);
    animation_->setEasingCurve(QEasingCurve::OutCubic);
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

void VellSegmentedBase::setCells(const QStringList& titles, const std::vector<bool>& selected) {
    animation_->stop();
    titles_ = titles;
    selected_ = selected;
    selected_.resize(titles_.size(), false);
    updateGeometry();
    update();
}

void VellSegmentedBase::setSelectedCells(const std::vector<bool>& selected) {
    std::vector<bool> next = selected;
    next.resize(titles_.size(), false);
    if (next == selected_) return;
    std::vector<double> from;
    for (int i = 0; i < cellCount(); ++i) from.push_back(shownSelection(i));
    animation_->stop();
    selected_ = std::move(next);
    if (animateNextChange_) {
        animatedFrom_ = std::move(from);
        animation_->start();
    }
    update();
}

QRectF VellSegmentedBase::cellRect(int index) const {
    const int count = cellCount();
    if (index < 0 || index >= count) return {};
    // Whole points, so that dividers land on pixels; the cells differ by at most one point.
    const double left = std::round(index * width() / static_cast<double>(count));
    const double right = std::round((index + 1) * width() / static_cast<double>(count));
    return QRectF(left, 0, right - left, height);
}

QString VellSegmentedBase::shownTitle(int index) const {
    if (index < 0 || index >= cellCount()) return {};
    return KitLook::upperCased(titles_[index]);
}

bool VellSegmentedBase::isCellSelected(int index) const {
    return index >= 0 && index < cellCount() && selected_[static_cast<std::size_t>(index)];
}

int VellSegmentedBase::cellAt(const QPointF& point) const {
    if (!rect().contains(point.toPoint())) return -1;
    for (int i = 0; i < cellCount(); ++i) {
        const QRectF cell = cellRect(i);
        if (point.x() >= cell.left() && point.x() < cell.right()) return i;
    }
    return -1;
}

double VellSegmentedBase::textScale(int index) const {
    const double advance = QFontMetricsF(titleFont()).horizontalAdvance(shownTitle(index));
    const double room = cellRect(index).width();
    if (advance <= room || advance <= 0) return 1;
    return std::max(minimumTextScale, room / advance);
}

bool VellSegmentedBase::isAnimating() const { return animation_->state() == QAbstractAnimation::Running; }

QSize VellSegmentedBase::sizeHint() const {
    const QFontMetricsF metrics(titleFont());
    double width = 0;
    for (int i = 0; i < cellCount(); ++i) width += metrics.horizontalAdvance(shownTitle(i)) + 2 * kNaturalPadding;
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(height));
}

QSize VellSegmentedBase::minimumSizeHint() const { return QSize(cellCount(), static_cast<int>(height)); }

std::optional<double> VellSegmentedBase::firstBaseline() const {
    const QFontMetricsF metrics(titleFont());
    return (height - metrics.height()) / 2 + metrics.ascent();
}

double VellSegmentedBase::shownSelection(int index) const {
    const double target = isCellSelected(index) ? 1 : 0;
    if (!isAnimating() || static_cast<std::size_t>(index) >= animatedFrom_.size()) return target;
    const double from = animatedFrom_[static_cast<std::size_t>(index)];
    return from + (target - from) * animation_->currentValue().toDouble();
}

void VellSegmentedBase::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int i = 0; i < cellCount(); ++i) paintCell(painter, i);
    FlatBorder::drawInside(painter, QRectF(0, 0, width(), height), resolved(HUDTokens::border));
}

void VellSegmentedBase::paintCell(QPainter& painter, int index) const {
    const QRectF cell = cellRect(index);
    const double selection = shownSelection(index);
    if (selection > 0) {
        QColor fill = resolved(HUDTokens::accent);
        fill.setAlphaF(static_cast<float>(selection));
        painter.fillRect(cell, fill);
    }
    if (index > 0) painter.fillRect(QRectF(cell.left(), 0, 1, height), resolved(HUDTokens::border));

    const QFont font = titleFont();
    const QFontMetricsF metrics(font);
    const double scale = textScale(index);
    const QString text = metrics.elidedText(shownTitle(index), Qt::ElideRight, cell.width() / scale);
    painter.save();
    painter.translate(cell.center().x(), height / 2);
    painter.scale(scale, scale);
    painter.setFont(font);
    painter.setPen(mixed(resolved(HUDTokens::fgMid), resolved(HUDTokens::bg), selection));
    painter.drawText(QPointF(-metrics.horizontalAdvance(text) / 2, -metrics.height() / 2 + metrics.ascent()), text);
    painter.restore();
}

void VellSegmentedBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->ignore();
    pressedCell_ = cellAt(event->position());
}

void VellSegmentedBase::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->ignore();
    const int cell = cellAt(event->position());
    const bool click = cell >= 0 && cell == pressedCell_;
    pressedCell_ = -1;
    if (!click) return;
    animateNextChange_ = true;
    cellClicked(cell);
    animateNextChange_ = false;
}

}  // namespace quillmark
