#include "app/dialogs/WindowAppearance.h"

#include "app/look/HUDTokens.h"

#include <QVariant>
#include <QWidget>

namespace quillmark {

namespace {

constexpr const char* kProperty = "quillmarkAppearance";

}  // namespace

void WindowAppearance::apply(QWidget& widget, HUDAppearance appearance) {
    QWidget* window = widget.window();
    window->setProperty(kProperty, static_cast<int>(appearance));
    window->update();
    for (QWidget* child : window->findChildren<QWidget*>()) child->update();
}

HUDAppearance WindowAppearance::of(const QWidget& widget) {
    const QVariant value = widget.window()->property(kProperty);
    if (!value.isValid()) return HUDAppearance::system;
    switch (static_cast<HUDAppearance>(value.toInt())) {
    case HUDAppearance::light: return HUDAppearance::light;
    case HUDAppearance::dark: return HUDAppearance::dark;
    case HUDAppearance::system: break;
    }
    return HUDAppearance::system;
}

bool WindowAppearance::isDark(const QWidget& widget) { return HUDTokens::isDark(of(widget)); }

}  // namespace quillmark
