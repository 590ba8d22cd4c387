#include "app/preferences/kit/KitLook.h"

#include "app/look/HUDFonts.h"

#include <QFontDatabase>

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

}  // namespace quillmark
