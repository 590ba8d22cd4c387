#include "app/preferences/kit/SectionBox.h"

#include "app/look/FlatBorder.h"
#include "app/preferences/kit/KitLook.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>

namespace quillmark {

namespace {

constexpr double kSquareSide = 6;
constexpr double kHeaderInset = 12;
constexpr double kHeaderSpacing = 8;
constexpr int kBodySpacing = 10;
constexpr int kBodyHorizontalInset = 14;
constexpr int kBodyVerticalInset = 12;

QFont titleFont() { return KitLook::displayFont(11, 0.88); }

}  // namespace

SectionBox::SectionBox(const QString& title, QWidget* parent)
    : VellWidget(parent), title_(title), body_(new QVBoxLayout(this)) {
    body_->setSpacing(kBodySpacing);
    body_->setContentsMargins(kBodyHorizontalInset, static_cast<int>(headerHeight) + kBodyVerticalInset,
                              kBodyHorizontalInset, kBodyVerticalInset);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void SectionBox::setTitle(const QString& title) {
    title_ = title;
    update();
}

QString SectionBox::shownTitle() const { return KitLook::upperCased(title_); }

void SectionBox::addContent(QWidget* content) {
    applyAppearance(*content, appearance());  // a control added later draws like the rest of the window
    body_->addWidget(content);
}

std::optional<double> SectionBox::firstBaseline() const {
    const QFontMetricsF metrics(titleFont());
    return (headerHeight - metrics.height()) / 2 + metrics.ascent();
}

void SectionBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF bounds = rect();
    const QRectF header(0, 0, bounds.width(), headerHeight);
    painter.fillRect(bounds.adjusted(0, headerHeight, 0, 0), resolved(HUDTokens::bgRaised));
    painter.fillRect(header, resolved(HUDTokens::bgHeader));
    painter.fillRect(QRectF(0, headerHeight - 1, bounds.width(), 1), resolved(HUDTokens::borderSubtle));

    const double squareTop = (headerHeight - kSquareSide) / 2;
    painter.fillRect(QRectF(kHeaderInset, squareTop, kSquareSide, kSquareSide), resolved(HUDTokens::accent));

    const QFont font = titleFont();
    const QFontMetricsF metrics(font);
    const double textLeft = kHeaderInset + kSquareSide + kHeaderSpacing;
    const double room = std::max(0.0, bounds.width() - kHeaderInset - textLeft);
    painter.setFont(font);
    painter.setPen(resolved(HUDTokens::accent));
    painter.drawText(QPointF(textLeft, *firstBaseline()), metrics.elidedText(shownTitle(), Qt::ElideRight, room));

    FlatBorder::drawInside(painter, bounds, resolved(HUDTokens::border));
}

}  // namespace quillmark
