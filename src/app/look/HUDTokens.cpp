#include "app/look/HUDTokens.h"

#include <QGuiApplication>
#include <QPalette>

namespace quillmark {

// light base, dark base
const HUDTokens::Token HUDTokens::bg{{244, 243, 236}, {7, 9, 10}};
const HUDTokens::Token HUDTokens::bgRaised{{230, 229, 214}, {16, 22, 16}};
const HUDTokens::Token HUDTokens::bgHeader{{220, 220, 200}, {24, 32, 24}};
const HUDTokens::Token HUDTokens::bgRecessed{{237, 236, 224}, {12, 15, 13}};
const HUDTokens::Token HUDTokens::border{{184, 184, 154}, {41, 56, 32}};
const HUDTokens::Token HUDTokens::borderSubtle{{208, 207, 182}, {28, 40, 20}};
const HUDTokens::Token HUDTokens::fg{{20, 32, 26}, {223, 240, 208}};
const HUDTokens::Token HUDTokens::fgMid{{53, 69, 48}, {184, 216, 168}};
const HUDTokens::Token HUDTokens::fgMuted{{85, 101, 74}, {141, 184, 122}};
const HUDTokens::Token HUDTokens::accent{{123, 168, 24}, {192, 240, 96}};
const HUDTokens::Token HUDTokens::accentDim{{90, 120, 18}, {106, 138, 40}};
const HUDTokens::Token HUDTokens::green{{85, 112, 24}, {163, 224, 85}};
const HUDTokens::Token HUDTokens::cobalt{{63, 111, 216}, {90, 140, 255}};
const HUDTokens::Token HUDTokens::amber{{184, 120, 48}, {240, 184, 64}};
const HUDTokens::Token HUDTokens::red{{201, 58, 28}, {232, 80, 58}};

QColor HUDTokens::resolve(const Token& token, bool dark) {
    const RGB& rgb = dark ? token.dark : token.light;
    return QColor(rgb.r, rgb.g, rgb.b);
}

QColor HUDTokens::resolve(const Token& token, HUDAppearance appearance) { return resolve(token, isDark(appearance)); }

bool HUDTokens::isDark(HUDAppearance appearance) {
    switch (appearance) {
    case HUDAppearance::light: return false;
    case HUDAppearance::dark: return true;
    case HUDAppearance::system: break;
    }
    return systemIsDark();
}

bool HUDTokens::systemIsDark() {
    if (!qGuiApp) return false;
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

}  // namespace quillmark
