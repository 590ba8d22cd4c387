#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

namespace quillmark {

// What every control of the preferences kit draws with: its three faces, sized in points (logical
// pixels) with tracking in points, its upper-casing and its 1-point inner borders.
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

    // A 1-point line just inside `rect`, its outer edge on the rectangle's edge.
    static void drawInnerBorder(QPainter& painter, const QRectF& rect, const QColor& colour);

    KitLook() = delete;
};

}  // namespace quillmark
