#include "app/look/HUDFonts.h"

#include "app/look/FontRegistry.h"

namespace quillmark {

namespace {

FontRegistry& registry() {
    static FontRegistry fonts(ResourceBundle::quillmarkResources());
    return fonts;
}

}  // namespace

void HUDFonts::ensureRegistered() { registry().ensureRegistered(); }

QFont HUDFonts::mono(double size, bool medium) { return registry().mono(size, medium); }

QFont HUDFonts::display(double size) { return registry().displayFont(size); }

std::optional<QFont> HUDFonts::named(const QString& name, double size) { return FontRegistry::named(name, size); }

std::optional<QString> HUDFonts::displayName() { return registry().name(FontRegistry::display); }
std::optional<QString> HUDFonts::bodyName() { return registry().name(FontRegistry::body); }
std::optional<QString> HUDFonts::monoRegName() { return registry().name(FontRegistry::monoRegular); }
std::optional<QString> HUDFonts::monoMedName() { return registry().name(FontRegistry::monoMedium); }

}  // namespace quillmark
