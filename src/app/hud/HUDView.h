#pragma once

#include "app/hud/BlurredShadow.h"
#include "app/look/HUDAppearance.h"
#include "app/look/HUDTokens.h"
#include "app/settings/HUDSize.h"
#include "core/MonitorEvent.h"
#include "core/MonitorSnapshot.h"

#include <QColor>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class QFont;
class QFontMetricsF;
class QPaintDevice;
class QPainter;

namespace quillmark {

// Draws the heads-up display: the monitor level as a number and a bar, the monitor switches as a row
// of chips, or, instead of all that, a short message. It draws only; HUDWindowController carries it.
// Geometry is in points from the top-left corner, scaled by the HUD size.
class HUDView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize baseSize{240, 88};

    explicit HUDView(QWidget* parent = nullptr);

    // Replaces the state shown and ends any message.
    void update(const MonitorSnapshot& snapshot, const MonitorEvent& event, double splReferenceAt0dBFS,
                const std::optional<QString>& referenceLabel);
    using QWidget::update;

    void setMessage(const std::optional<QString>& message);
    void setSize(HUDSize size);
    // The appearance whose half of every colour token is drawn; `system` follows the desktop.
    void setAppearance(HUDAppearance appearance);

    const MonitorSnapshot& snapshot() const { return snapshot_; }
    const MonitorEvent& lastEvent() const { return lastEvent_; }
    double splReferenceAt0dBFS() const { return splReferenceAt0dBFS_; }
    const std::optional<QString>& referenceLabel() const { return referenceLabel_; }
    const std::optional<QString>& message() const { return message_; }
    HUDSize hudSize() const { return size_; }
    HUDAppearance appearance() const { return appearance_; }
    bool drawsDark() const { return HUDTokens::isDark(appearance_); }

    static double scaleFor(HUDSize size);
    double scale() const { return scaleFor(size_); }

    // What the view decides to draw; painting reads these, and so can tests.
    struct Readout {
        QString main;
        QColor mainColour;
        std::optional<QString> secondary;  // the compact dB text beside an SPL readout
    };
    struct Chip {
        QString text;
        bool active = false;
        QColor colour;
    };
    bool showsMessage() const;
    QString titleText() const;
    Readout readout() const;
    std::optional<double> barFraction() const;
    QColor barColour() const;
    bool hasGlowTip() const;
    std::vector<Chip> chips() const;

    // The chips as drawn: the row never runs past its right edge. A row too wide at 8 × s between
    // chips first closes up to `minimumChipSpacing` × s, then draws every chip smaller, down to
    // `chipScaleFloor` of its size; only a row that is still too wide there shortens its longest
    // texts with an ellipsis.
    static constexpr double minimumChipSpacing = 4;
    static constexpr double chipScaleFloor = 0.7;
    struct PlacedChip {
        Chip chip;
        QString text;  // what is drawn: the chip's text, or it shortened with an ellipsis
        QRectF box;
    };
    struct ChipRow {
        QRectF row;
        double spacing = 0;    // points between neighbouring chips
        double chipScale = 1;  // the chips' size relative to their size at s
        std::vector<PlacedChip> chips;
    };
    ChipRow chipRow() const;
    QString messageText() const;
    // The display font size (points) the message is drawn at after shrinking it to fit.
    double messageFontSize() const;

    // A colour token resolved for this view's appearance.
    QColor resolved(const HUDTokens::Token& token) const { return HUDTokens::resolve(token, drawsDark()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont displayFont(double size, double kerning) const;
    QFont mainReadoutFont() const;
    QFont secondaryReadoutFont() const;
    QFont chipFont(double chipScale) const;
    QString compactDBText() const;
    QString splText() const;
    bool isSPLCase() const;
    double messageFontSizeFor(const QString& text) const;

    void paintState(QPainter& painter) const;
    void paintMessage(QPainter& painter) const;
    void paintTitle(QPainter& painter, const QString& text) const;
    void paintReadouts(QPainter& painter) const;
    void paintBar(QPainter& painter, const QRectF& rect) const;
    void paintChips(QPainter& painter) const;
    void paintChip(QPainter& painter, const PlacedChip& placed, double chipScale) const;
    ChipRow chipRowFor(const QPaintDevice& device) const;
    ChipRow fitChipRow(const std::vector<Chip>& chips, std::vector<QString> texts, const QPaintDevice& device) const;
    void placeChips(ChipRow& row, const std::vector<Chip>& chips, const std::vector<QString>& texts,
                    const std::vector<double>& advances) const;
    QFontMetricsF chipMetrics(double chipScale, const QPaintDevice& device) const;
    QRectF chipRowRect() const;

    MonitorSnapshot snapshot_;
    MonitorEvent lastEvent_;
    double splReferenceAt0dBFS_ = 0;
    std::optional<QString> referenceLabel_;
    std::optional<QString> message_;
    HUDSize size_ = HUDSize::small;
    HUDAppearance appearance_ = HUDAppearance::system;
    // The glow tip's shadow, kept from paint to paint: it changes only with the size and appearance.
    mutable BlurredShadow glow_;
    // The last chip row fitted, and what it was fitted for.
    struct ChipRowFit {
        std::vector<QString> texts;
        double scale = 0;
        int width = 0;
        int dpi = 0;
        QString face;
        bool operator==(const ChipRowFit&) const = default;
    };
    mutable std::optional<ChipRowFit> fittedFor_;
    mutable ChipRow fitted_;
};

}  // namespace quillmark
