#pragma once

#include "core/MeterChannel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QPainter;

namespace quillmark {

class DirectWindowSurface;

// The meter window's content: a header with the surround mode, one level strip per channel with
// its peak marker and clip band, a dB scale on both sides and the channel names under the strips.
// Sizes are fixed in logical pixels; the window is resized, not scaled.
//
// On an X display the view draws onto its own native window: a changed strip goes out as a few
// fills and one copy from the gradient kept on the server, with no backing store to paint and
// flush; whole paints (show, expose, appearance, labels) are drawn as anywhere else and put.
class MeterView : public QWidget {
public:
    static constexpr double headerHeight = 38;
    static constexpr double scaleFloorDB = -60;
    static constexpr double scaleCeilingDB = 0;
    static constexpr double amberThreshold = -8;
    static constexpr double redThreshold = 0;

    explicit MeterView(QWidget* parent = nullptr);
    ~MeterView() override;

    // Repaints at once the rows that the new values change, in one band across the strips that
    // changed (asks for a repaint of everything when the labels or the count changed); values that
    // change no device pixel paint nothing. Drawing directly, only the changed rows of each strip
    // are drawn, without a paint event.
    void setChannels(const std::vector<MeterChannel>& channels);
    const std::vector<MeterChannel>& channels() const { return channels_; }

    void setSurroundModeText(const QString& text);
    const QString& surroundModeText() const { return surroundModeText_; }

    // Which half of every colour token is drawn.
    void setDarkAppearance(bool dark);
    bool isDarkAppearance() const { return dark_; }

    // Whether the view draws onto its native window itself (see above).
    bool drawsDirectly() const { return surface_ != nullptr; }

    // Called on a primary-button click below the header band.
    std::function<void()> onClick;

    // Draws the parts of the view that meet `region` into any painter of the view's size. Every
    // pixel comes out as a full paint would draw it, whatever the region.
    void paint(QPainter& painter, const QRegion& region) const;

    // The face of the scale's numbers: the system's fixed-pitch font, 9 pixels, regular weight.
    static QFont scaleFont();

    // The scale: 0 dB at 1, -60 dB at 0, each of the eleven intervals between anchors 1/11 of it.
    static double normalizedPosition(double db);

    // Geometry, in widget coordinates (top-left origin), for a view of the given size.
    static double stripWidth(double viewWidth, std::size_t count);
    static QRectF stripRect(QSizeF viewSize, std::size_t count, std::size_t index);

protected:
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Colours {
        QColor bg, bgRaised, bgHeader, border, borderSubtle, fg, fgMid, fgMuted, green, cobalt, amber, red;
    };
    // A strip in device pixels.
    struct StripPixels {
        QRect strip;
        QRect inner;
        int line = 1;      // one point
        int clipRows = 0;  // height of the clip band
    };
    // What a strip shows, to the device pixel: two channel states that draw alike look alike.
    struct StripLook {
        int litRows = 0;    // inner rows filled from the bottom
        int edgeAlpha = 0;  // coverage of the partly filled row above them, 0 to 255
        int peakRow = -1;   // lowest row of the peak line counted from the bottom; -1 for none
        bool peakRed = false;
        bool clip = false;
        friend bool operator==(const StripLook&, const StripLook&) = default;
    };
    struct Text {
        QString text;
        double width = 0;
    };
    // Where a strip is drawn, in device pixels.
    class StripCanvas {
    public:
        virtual ~StripCanvas() = default;
        virtual void fill(const QRect& rect, const QColor& colour) = 0;
        // Rows of the gradient image `lit`, from `source` to `target`.
        virtual void copyLit(const QImage& lit, const QRect& source, const QPoint& target) = 0;
    };
    class PainterCanvas;
    class SurfaceCanvas;

    static Colours resolveColours(bool dark);
    static StripLook lookOf(const MeterChannel& channel, const StripPixels& pixels);
    static std::pair<int, int> changedRows(const StripPixels& pixels, const StripLook& from, const StripLook& to);

    StripPixels stripPixels(std::size_t index, double ratio) const;
    void paintRect(QPainter& painter, const QRect& rect, double ratio) const;
    std::optional<std::size_t> stripHolding(const QRect& rect, double ratio) const;
    void drawStripPart(QPainter& painter, std::size_t index, const QRect& area, double ratio) const;
    void drawHeader(QPainter& painter) const;
    void drawScale(QPainter& painter, const QRectF& column, bool ticksOnRight) const;
    void drawStrip(StripCanvas& canvas, const StripPixels& pixels, const StripLook& look, const QRect& area) const;
    void drawChangedStripsDirectly(const std::vector<MeterChannel>& channels);
    void paintDirectly(const QRegion& region);
    DirectWindowSurface* directSurface();
    void drawLabel(QPainter& painter, std::size_t index, const QRectF& strip) const;
    const QImage& litStrip(const StripPixels& pixels) const;
    QRectF labelRect(const QRectF& strip) const;
    double stripHeight() const;
    void takeLabels();

    std::vector<MeterChannel> channels_;
    QString surroundModeText_;
    bool dark_ = false;
    Colours colours_;
    QFont titleFont_;
    QFont labelFont_;
    QFont scaleFont_;
    Text title_;
    std::vector<Text> labels_;  // index for index with channels_
    std::array<Text, 12> scaleTexts_;
    double titleAscent_ = 0, titleHeight_ = 0;
    double labelAscent_ = 0, labelHeight_ = 0;
    double scaleAscent_ = 0, scaleHeight_ = 0;
    // The strip gradient, drawn once per inner size, appearance and pixel ratio: a strip shows its
    // lower rows.
    mutable QImage litStrip_;
    mutable bool litStripDark_ = false;
    std::vector<QRect> changedStrips_;  // kept between notifications, so that none allocates
    std::unique_ptr<DirectWindowSurface> surface_;
    qint64 keptLitKey_ = 0;  // the gradient image the surface keeps
    QImage frame_;           // whole paints when drawing directly, in device pixels
};

}  // namespace quillmark
