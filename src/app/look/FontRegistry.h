#pragma once

#include "app/look/ResourceBundle.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quillmark {

// Registers the four font files of one resource bundle with Qt and remembers the first candidate name
// each face answers to; what HUDFonts does once per process, in a form tests can repeat with their own
// bundles. Failures log one line each and leave the slot empty. Needs a QGuiApplication.
class FontRegistry {
public:
    enum Slot { display, body, monoRegular, monoMedium };

    explicit FontRegistry(ResourceBundle bundle);

    // Registers the files once; later calls return at once.
    void ensureRegistered();
    std::optional<QString> name(Slot slot) const { return slots_[slot]; }

    QFont mono(double size, bool medium) const;
    QFont displayFont(double size) const;

    // A face by PostScript name (of a file registered by any registry of this process) or by family name.
    static std::optional<QFont> named(const QString& name, double size);

private:
    struct Row {
        Slot slot;
        QString resource;
        QString ext;
        QStringList candidates;
    };
    void registerRow(const Row& row);
    static std::optional<QString> registerFile(const QString& path);

    ResourceBundle bundle_;
    bool registered_ = false;
    std::array<std::optional<QString>, 4> slots_;
};

}  // namespace quillmark
