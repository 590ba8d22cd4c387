#pragma once

#include <QFont>
#include <QString>

namespace quillmark {

// What every control of the preferences kit draws with: its three faces, sized in points (logical
// pixels) with tracking in points, and its upper-casing.
class KitLook {
public:
    // "IsolationGrotesque-Regular"; the HUD's display fallback when the face is not available.
    static QFont displayFont(double size, double tracking);
    // "IBMPlexSans-Regular"; the system font when it is not available.
    static QFont bodyFont(double size);
    // "JetBrainsMono-Regular"; the system monospaced font when it is not available.
    static QFont monoFont(double size, double tracking = 0);

    // Capitals by the default Unicode case mapping, whatever the user's locale ("i" gives "I" in Turkish
    // too).
    static QString upperCased(const QString& text);

    KitLook() = delete;
};

}  // namespace quillmark
