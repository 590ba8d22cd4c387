#include "app/dialogs/DialogPanel.h"

#include "app/dialogs/WindowAppearance.h"
#include "app/look/FlatBorder.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

TextBlock::Style titleStyle() {
    return {.fontName = QStringLiteral("IsolationGrotesque-Regular"), .points = 13, .tracking = 0.9, .upperCase = true};
}

TextBlock::Style messageStyle() {
    return {.fontName = QStringLiteral("IBMPlexSans-Regular"), .points = 12, .lineSpacing = 2};
}

int rowHeight(const QWidget& row, int width) {
    return row.hasHeightForWidth() ? row.heightForWidth(width) : row.sizeHint().height();
}

}  // namespace

DialogPanel::DialogPanel(const QString& title, const QString& message, QWidget* parent)
    : QWidget(parent), title_(new TextBlock(titleStyle(), title, HUDTokens::accent, this)),
      message_(new TextBlock(messageStyle(), message, HUDTokens::fgMid, this)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

DialogButton& DialogPanel::addButton(std::unique_ptr<DialogButton> button) {
    DialogButton* added = button.release();
    added->setParent(this);
    added->show();
    buttons_.push_back(added);
    layOut(width(), true);
    return *added;
}

void DialogPanel::addRow(std::unique_ptr<QWidget> row) {
    QWidget* added = row.release();
    added->setParent(this);
    added->show();
    rows_.push_back(added);
    layOut(width(), true);
}

int DialogPanel::layOut(int width, bool place) const {
    const int inner = std::max(0, width - 2 * padding);
    const int titleIndent = markerSize + markerSpacing;
    int y = padding;

    const int titleHeight = title_->heightForWidth(std::max(0, inner - titleIndent));
    if (place) title_->setGeometry(padding + titleIndent, y, std::max(0, inner - titleIndent), titleHeight);
    y += titleHeight + rowSpacing;

    const int messageHeight = message_->heightForWidth(inner);
    if (place) message_->setGeometry(padding, y, inner, messageHeight);
    y += messageHeight + rowSpacing;

    for (QWidget* row : rows_) {
        const int height = rowHeight(*row, inner);
        if (place) row->setGeometry(padding, y, inner, height);
        y += height + rowSpacing;
    }

    int buttonsHeight = 0;
    int right = width - padding;
    for (auto button = buttons_.rbegin(); button != buttons_.rend(); ++button) {
        const QSize body = (*button)->bodySize();
        right -= body.width();
        if (place) (*button)->setBodyGeometry(QRect(QPoint(right, y), body));
        right -= buttonSpacing;
        buttonsHeight = std::max(buttonsHeight, body.height());
    }
    if (buttons_.empty()) y -= rowSpacing;
    return y + buttonsHeight + padding;
}

int DialogPanel::heightForWidth(int width) const { return layOut(width, false); }

QSize DialogPanel::sizeHint() const {
    const int width = std::max(this->width(), 2 * padding);
    return {width, heightForWidth(width)};
}

QRect DialogPanel::markerGeometry() const {
    // The square has no text: its bottom edge sits on the title's first baseline.
    const int baseline = static_cast<int>(std::lround(title_->firstBaseline(title_->width())));
    const int bottom = title_->y() + baseline;
    return QRect(padding, bottom - markerSize, markerSize, markerSize);
}

void DialogPanel::resizeEvent(QResizeEvent*) { layOut(width(), true); }

void DialogPanel::paintEvent(QPaintEvent*) {
    const bool dark = WindowAppearance::isDark(*this);
    QPainter painter(this);
    painter.fillRect(rect(), HUDTokens::resolve(HUDTokens::bg, dark));
    FlatBorder::drawInside(painter, QRectF(rect()), HUDTokens::resolve(HUDTokens::border, dark));
    painter.fillRect(markerGeometry(), HUDTokens::resolve(HUDTokens::accent, dark));
}

}  // namespace quillmark
