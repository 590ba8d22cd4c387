#pragma once

#include "core/MeterChannel.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QPainter;

namespace quillmark {

// The meter window's content: a header with the surround mode, one level strip per channel with
// its peak marker and clip band, a dB scale on both sides and the channel names under the strips.
// Sizes are fixed in logical pixels; the window is resized, not scaled.
class MeterView : public QWidget {
public:
    static constexpr double headerHeight = 38;
    static constexpr double kScaleFloorDB = -60;
    static constexpr double kScaleCeilingDB = 0;
    static constexpr double kAmberThreshold = -8;
    static constexpr double kRedThreshold = 0;

    explicit MeterView(QWidget* parent = nullptr);

    // Repaints only the strips whose values changed, unless the labels or the count changed.
    void setChannels(std::vector<MeterChannel> channels);
    const std::vector<MeterChannel>& channels() const { return channels_; }

    void setSurroundModeText(const QString& text);
    const QString& surroundModeText() const { return surroundModeText_; }

    // Which half of every colour token is drawn.
    void setDarkAppearance(bool dark);
    bool isDarkAppearance() const { return dark_; }

    // Called on a primary-button click below the header band.
    std::function<void()> onClick;

    // Draws the parts of the view that meet `region` into any painter of the view's size.
    void paint(QPainter& painter, const QRegion& region) const;

    // The face of the scale's numbers: the system's fixed-pitch font, 9 pixels, regular weight.
    static QFont scaleFont();

    // The scale: 0 dB at 1, -60 dB at 0, each of the eleven intervals between anchors 1/11 of it.
    static double normalizedPosition(double db);

    // Geometry, in widget coordinates (top-left origin), for a view of the given size.
    static double stripWidth(double viewWidth, std::size_t count);
    static QRectF stripRect(QSizeF viewSize, std::size_t count, std::size_t index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Colours {
        QColor bg, bgRaised, bgHeader, border, borderSubtle, fg, fgMid, fgMuted, green, cobalt, amber, red;
    };

    static Colours resolveColours(bool dark);

    void paintMeters(QPainter& painter, const QRegion& region) const;
    void drawHeader(QPainter& painter) const;
    void drawScale(QPainter& painter, const QRectF& column, bool ticksOnRight) const;
    void drawStrip(QPainter& painter, const MeterChannel& channel, const QRectF& strip) const;
    void drawLabel(QPainter& painter, const MeterChannel& channel, const QRectF& strip) const;
    QRectF labelRect(const QRectF& strip) const;
    double stripHeight() const;

    std::vector<MeterChannel> channels_;
    QString surroundModeText_;
    bool dark_ = false;
    Colours colours_;
    QFont titleFont_;
    QFont labelFont_;
    QFont scaleFont_;
};

}  // namespace quillmark
