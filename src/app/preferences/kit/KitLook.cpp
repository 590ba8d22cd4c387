#include "app/preferences/kit/KitLook.h"

#include "app/look/HUDFonts.h"

#include <QFontDatabase>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quillmark {

namespace {

// Sizes are logical pixels: the same on every screen, whatever its dots per inch.
QFont sized(QFont font, double size, double tracking) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

}  // namespace

QFont KitLook::displayFont(double size, double tracking) {
    QFont font = HUDFonts::named(QStringLiteral("IsolationGrotesque-Regular"), size).value_or(HUDFonts::display(size));
    return sized(font, size, tracking);
}

QFont KitLook::bodyFont(double size) {
    QFont font = HUDFonts::named(QStringLiteral("IBMPlexSans-Regular"), size)
                     .value_or(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    return sized(font, size, 0);
}

QFont KitLook::monoFont(double size, double tracking) {
    QFont font = HUDFonts::named(QStringLiteral("JetBrainsMono-Regular"), size).value_or(HUDFonts::mono(size, false));
    return sized(font, size, tracking);
}

QString KitLook::upperCased(const QString& text) {
    // QString's mapping is the locale-free one; QLocale::toUpper would give "İ" for "i" in Turkish.
    return text.toUpper();
}

void KitLook::drawInnerBorder(QPainter& painter, const QRectF& rect, const QColor& colour) {
    // Four bands that do not overlap, so that a translucent colour would not darken the corners.
    const qreal side = std::max<qreal>(0, rect.height() - 2);
    painter.fillRect(QRectF(rect.left(), rect.top(), rect.width(), 1), colour);
    painter.fillRect(QRectF(rect.left(), rect.bottom() - 1, rect.width(), 1), colour);
    painter.fillRect(QRectF(rect.left(), rect.top() + 1, 1, side), colour);
    painter.fillRect(QRectF(rect.right() - 1, rect.top() + 1, 1, side), colour);
}

}  // namespace quillmark
