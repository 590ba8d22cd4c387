#include "app/dialogs/DownloadProgressBar.h"

#include "app/dialogs/WindowAppearance.h"
#include "app/look/HUDTokens.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quillmark {

DownloadProgressBar::DownloadProgressBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(barHeight);
}

void DownloadProgressBar::setProgress(std::int64_t received, std::int64_t total) {
    received_ = std::max<std::int64_t>(received, 0);
    total_ = std::max<std::int64_t>(total, 0);
    update();
}

double DownloadProgressBar::fraction() const {
    if (total_ == 0) return 0;
    return std::clamp(static_cast<double>(received_) / static_cast<double>(total_), 0.0, 1.0);
}

void DownloadProgressBar::paintEvent(QPaintEvent*) {
    const bool dark = WindowAppearance::isDark(*this);
    QPainter painter(this);
    painter.fillRect(rect(), HUDTokens::resolve(HUDTokens::bgRecessed, dark));
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    const int filled = static_cast<int>(std::lround(fraction() * inside.width()));
    if (filled > 0)
        painter.fillRect(QRect(inside.topLeft(), QSize(filled, inside.height())),
                         HUDTokens::resolve(HUDTokens::accent, dark));
    // The border sits inside the bounds, over the fill's edge.
    painter.setPen(QPen(HUDTokens::resolve(HUDTokens::border, dark), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace quillmark
