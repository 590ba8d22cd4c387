#include "app/dialogs/AboutLockup.h"

#include "app/dialogs/TextBlock.h"
#include "app/dialogs/WindowAppearance.h"
#include "app/look/HUDTokens.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillmark {

namespace {

const QString kWord = QStringLiteral("Quillmark");

}  // namespace

AboutLockup::AboutLockup(ResourceBundle resources, QWidget* parent)
    : QWidget(parent), resources_(std::move(resources)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

std::optional<QImage> AboutLockup::image(bool dark) const {
    std::optional<std::optional<QImage>>& slot = loaded_[dark ? 1 : 0];
    if (!slot) {
        slot.emplace();
        const QString name = dark ? QStringLiteral("Quillmark_Lockup_Dark") : QStringLiteral("Quillmark_Lockup_Light");
        if (const auto path = resources_.url(name, QStringLiteral("png"))) {
            QImage read(*path);
            if (!read.isNull()) *slot = std::move(read);
        }
    }
    return *slot;
}

bool AboutLockup::showsImage() const { return image(WindowAppearance::isDark(*this)).has_value(); }

void AboutLockup::appearanceChanged() {
    updateGeometry();
    update();
}

QFont AboutLockup::fallbackFont() const {
    return TextBlock::resolveFont(QStringLiteral("IsolationGrotesque-Regular"), fallbackPoints, *this);
}

int AboutLockup::heightForWidth(int width) const {
    if (const auto shown = image(WindowAppearance::isDark(*this))) {
        if (shown->width() <= 0) return 0;
        return static_cast<int>(std::lround(double(width) * shown->height() / shown->width()));
    }
    const QFontMetricsF metrics(fallbackFont(), this);
    return 2 * fallbackMargin + static_cast<int>(std::ceil(metrics.height()));
}

QSize AboutLockup::sizeHint() const {
    const int width = std::max(this->width(), 1);
    return {width, heightForWidth(width)};
}

void AboutLockup::paintEvent(QPaintEvent*) {
    const bool dark = WindowAppearance::isDark(*this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (const auto shown = image(dark)) {
        // Scaled to fit, centred.
        QSizeF size = QSizeF(shown->size()).scaled(QSizeF(this->size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        painter.drawImage(target, *shown);
        return;
    }
    painter.setFont(fallbackFont());
    painter.setPen(HUDTokens::resolve(HUDTokens::fg, dark));
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawText(QRectF(0, fallbackMargin, width(), height() - 2 * fallbackMargin), Qt::AlignCenter, kWord);
}

void AboutLockup::changeEvent(QEvent* event) {
    // With the desktop's appearance, a theme change may choose the other image.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ThemeChange) appearanceChanged();
    QWidget::changeEvent(event);
}

}  // namespace quillmark
