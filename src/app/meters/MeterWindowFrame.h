#pragma once

#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

namespace quillmark {

// The saved meter window frame: x, y, width and height in screen coordinates with the origin at
// the bottom-left of the primary screen and y upwards, stored as four numbers separated by spaces.
class MeterWindowFrame {
public:
    static constexpr const char* settingsKey = "Quillmark.meterWindowFrame.v1";
    static constexpr double minimumWidth = 140;
    static constexpr double minimumHeight = 220;

    // Each number as the shortest text that reads back to the same double, ".0" on whole values.
    static QString format(const QRectF& frame);
    // Exactly four numbers after dropping empty and non-numeric pieces, else nothing.
    static std::optional<QRectF> parse(const QString& text);
    // True when the frame overlaps some screen by at least 80 wide and 40 high.
    static bool isOnAScreen(const QRectF& frame, const std::vector<QRectF>& screens);
    // The saved text when it names a usable frame: big enough and on a screen.
    static std::optional<QRectF> validated(const QString& text, const std::vector<QRectF>& screens);

    // Conversions between Qt's top-left, y-down desktop and the stored bottom-left, y-up space.
    // `primaryScreen` is the primary screen's desktop geometry.
    static QRectF fromDesktop(const QRectF& desktopRect, const QRectF& primaryScreen);
    static QRectF toDesktop(const QRectF& frame, const QRectF& primaryScreen);
};

}  // namespace quillmark
