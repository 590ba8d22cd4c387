#pragma once

#include <QFont>
#include <QString>

#include <optional>

namespace quillmark {

// Makes the four bundled faces usable by every window and remembers the name each face answers to.
// Registration runs once, at launch, before any window is built; until then the getters give the
// system fallbacks.
class HUDFonts {
public:
    // Registers the bundle's font files once per process; later calls return at once.
    static void ensureRegistered();

    // The monospaced face: JetBrains Mono Medium or Regular when resolved, else the system monospace
    // font at `size` points, medium weight when `medium`. Never fails.
    static QFont mono(double size, bool medium);
    // The display face when resolved, else the system font at `size` points in regular weight.
    static QFont display(double size);
    // A font by PostScript name ("IBMPlexSans-Regular") or family name ("IBM Plex Sans"); nothing when
    // no available face answers to it. What the About, dialog and preferences windows use.
    static std::optional<QFont> named(const QString& name, double size);

    // The name each slot resolved to, or nothing.
    static std::optional<QString> displayName();
    static std::optional<QString> bodyName();
    static std::optional<QString> monoRegName();
    static std::optional<QString> monoMedName();

    HUDFonts() = delete;
};

}  // namespace quillmark
