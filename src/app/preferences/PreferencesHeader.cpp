#include "app/preferences/PreferencesHeader.h"

#include "app/preferences/kit/KitLook.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillmark {

namespace {

const QString kTitle = QStringLiteral("Quillmark");

QFont titleFont() { return KitLook::displayFont(22, 0.5); }

}  // namespace

PreferencesHeader::PreferencesHeader(QWidget* parent) : VellWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize PreferencesHeader::sizeHint() const {
    const QFontMetricsF metrics(titleFont());
    return QSize(static_cast<int>(std::ceil(squareSide + spacing + metrics.horizontalAdvance(kTitle))),
                 static_cast<int>(std::ceil(metrics.height())));
}

void PreferencesHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double middle = height() / 2.0;
    painter.fillRect(QRectF(0, middle - squareSide / 2, squareSide, squareSide), resolved(HUDTokens::accent));
    painter.setFont(titleFont());
    painter.setPen(resolved(HUDTokens::fg));
    painter.drawText(QRectF(squareSide + spacing, 0, width() - squareSide - spacing, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, kTitle);
}

}  // namespace quillmark
