#include "app/hud/HUDView.h"

#include "app/look/HUDFonts.h"
#include "app/look/HUDTokens.h"
#include "app/look/LevelFormatter.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace quillmark {

namespace {

QString emDash() { return QStringLiteral("\u2014"); }
QString minusSign() { return QStringLiteral("\u2212"); }
QString minusInfinity() { return QStringLiteral("\u2212\u221E"); }
constexpr double kSilenceDB = -96;
constexpr int kTitleLimit = 20;
constexpr double kChipSpacing = 8;
constexpr double kChipScaleStep = 0.05;

bool isTrue(const std::optional<bool>& value) { return value.value_or(false); }

// A 1-point outline just inside `rect`, with square corners: four bands filled without overlapping,
// which the raster engine draws far faster than a stroked path.
void strokeInside(QPainter& painter, const QRectF& rect, const QColor& colour) {
    const qreal side = std::max<qreal>(0, rect.height() - 2);
    painter.fillRect(QRectF(rect.left(), rect.top(), rect.width(), 1), colour);
    painter.fillRect(QRectF(rect.left(), rect.bottom() - 1, rect.width(), 1), colour);
    painter.fillRect(QRectF(rect.left(), rect.top() + 1, 1, side), colour);
    painter.fillRect(QRectF(rect.right() - 1, rect.top() + 1, 1, side), colour);
}

// Font sizes here are in points of the view's geometry, which are logical pixels on this platform.
QFont sizedFor(QFont font, double pixels, const QPaintDevice& device) {
    font.setPointSizeF(pixels * 72.0 / device.logicalDpiY());
    return font;
}

QFont withKerning(QFont font, double kerning) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, kerning);
    return font;
}

// The first `limit` user-perceived characters, never splitting a surrogate pair or a combined mark.
QString firstCharacters(const QString& text, int limit) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (count < limit && finder.toNextBoundary() != -1) ++count;
    return count < limit ? text : text.left(finder.position());
}

// Text drawn with the top-left of its line box at `topLeft`.
void drawTextAt(QPainter& painter, const QFont& font, const QColor& colour, const QPointF& topLeft,
                const QString& text) {
    painter.setFont(font);
    painter.setPen(colour);
    const QFontMetricsF metrics(font, painter.device());
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

std::vector<double> advancesOf(const std::vector<QString>& texts, const QFontMetricsF& metrics) {
    std::vector<double> advances;
    for (const QString& text : texts) advances.push_back(metrics.horizontalAdvance(text));
    return advances;
}

double sum(const std::vector<double>& values) { return std::accumulate(values.begin(), values.end(), 0.0); }

// The longest start of `text` that fits `room` with an ellipsis after it, never splitting a character.
QString shortened(const QString& text, const QFontMetricsF& metrics, double room) {
    const QString ellipsis = QStringLiteral("\u2026");
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    while (finder.toPreviousBoundary() > 0) {
        const QString candidate = text.left(finder.position()) + ellipsis;
        if (metrics.horizontalAdvance(candidate) <= room) return candidate;
    }
    return ellipsis;
}

// Shortens the widest of `texts` (cut from its whole text in `originals`) with an ellipsis, again and
// again, until all of them together are no wider than `room` or nothing gets shorter. `advances`
// follow the texts.
void shortenToFit(std::vector<QString>& texts, std::vector<double>& advances, const std::vector<QString>& originals,
                  const QFontMetricsF& metrics, double room) {
    for (;;) {
        const double excess = sum(advances) - room;
        if (excess <= 0 || advances.empty()) return;
        const auto index =
            static_cast<std::size_t>(std::max_element(advances.begin(), advances.end()) - advances.begin());
        const QString shorter = shortened(originals[index], metrics, advances[index] - excess);
        const double advance = metrics.horizontalAdvance(shorter);
        if (advance >= advances[index]) return;
        texts[index] = shorter;
        advances[index] = advance;
    }
}

}  // namespace

HUDView::HUDView(QWidget* parent) : QWidget(parent), lastEvent_(MonitorEvent::level) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(baseSize);
}

void HUDView::update(const MonitorSnapshot& snapshot, const MonitorEvent& event, double splReferenceAt0dBFS,
                     const std::optional<QString>& referenceLabel) {
    snapshot_ = snapshot;
    lastEvent_ = event;
    splReferenceAt0dBFS_ = splReferenceAt0dBFS;
    referenceLabel_ = referenceLabel;
    message_.reset();
    QWidget::update();
}

void HUDView::setMessage(const std::optional<QString>& message) {
    message_ = message;
    QWidget::update();
}

void HUDView::setSize(HUDSize size) {
    size_ = size;
    QWidget::update();
}

void HUDView::setAppearance(HUDAppearance appearance) {
    appearance_ = appearance;
    QWidget::update();
}

double HUDView::scaleFor(HUDSize size) {
    static constexpr std::array<double, 3> scales{1.0, 1.2, 1.4};
    return scales.at(static_cast<std::size_t>(size));
}

// MARK: decisions

bool HUDView::showsMessage() const { return message_ && !message_->isEmpty(); }

QString HUDView::titleText() const {
    if (referenceLabel_ && !referenceLabel_->isEmpty()) return firstCharacters(referenceLabel_->toUpper(), kTitleLimit);
    return QStringLiteral("MONITOR");
}

bool HUDView::isSPLCase() const {
    return splReferenceAt0dBFS_ > 0 && (isTrue(snapshot_.mute) || snapshot_.levelDB.has_value());
}

QString HUDView::splText() const {
    if (isTrue(snapshot_.mute)) return QStringLiteral("MUTE");
    const double level = *snapshot_.levelDB;
    if (level <= kSilenceDB) return minusInfinity() + QStringLiteral(" SPL");
    return QString::asprintf("%.0f SPL", splReferenceAt0dBFS_ + level);
}

QString HUDView::compactDBText() const {
    if (!snapshot_.levelDB) return emDash();
    const double level = *snapshot_.levelDB;
    if (level <= kSilenceDB) return minusInfinity();
    const QString sign = level < 0 ? minusSign() : (level > 0 ? QStringLiteral("+") : QString());
    return sign + QString::asprintf("%.1f", std::fabs(level));
}

HUDView::Readout HUDView::readout() const {
    Readout result;
    result.mainColour = isTrue(snapshot_.mute)  ? resolved(HUDTokens::red)
                        : isTrue(snapshot_.dim) ? resolved(HUDTokens::amber)
                                                : resolved(HUDTokens::fg);
    if (isSPLCase()) {
        result.main = splText();
        result.secondary = compactDBText();
        return result;
    }
    if (isTrue(snapshot_.mute)) {
        result.main = QStringLiteral("MUTE");
    } else if (snapshot_.levelDB) {
        result.main = QString::fromStdString(LevelFormatter::signedDB(*snapshot_.levelDB));
    } else if (snapshot_.levelTapered) {
        // A taper below 0 (or not a number) counts as 0, one of 1 or more as 0 dB.
        const double taper = *snapshot_.levelTapered > 0 ? std::min(*snapshot_.levelTapered, 1.0) : 0.0;
        result.main = QString::fromStdString(LevelFormatter::signedDB(taper * 60 - 60));
    } else {
        result.main = emDash();
    }
    return result;
}

std::optional<double> HUDView::barFraction() const {
    double fraction = 0;
    if (snapshot_.levelTapered) fraction = *snapshot_.levelTapered;
    else if (snapshot_.levelDB) fraction = (*snapshot_.levelDB + 60) / 60;
    else return std::nullopt;
    if (fraction >= 1) fraction = 1;
    if (!(fraction > 0)) return std::nullopt;
    return fraction;
}

QColor HUDView::barColour() const {
    if (isTrue(snapshot_.mute)) return resolved(HUDTokens::red);
    if (isTrue(snapshot_.dim)) return resolved(HUDTokens::amber);
    return resolved(HUDTokens::green);
}

bool HUDView::hasGlowTip() const {
    const auto fraction = barFraction();
    if (!fraction || isTrue(snapshot_.mute)) return false;
    const double barWidth = std::max(0.0, (width() - 24 * scale() - 2) * *fraction);
    return barWidth > 2;
}

std::vector<HUDView::Chip> HUDView::chips() const {
    const std::optional<QString> surround =
        snapshot_.surroundMode ? std::optional<QString>(QString::fromStdString(*snapshot_.surroundMode)) : std::nullopt;
    const bool foldsSurround = isTrue(snapshot_.surroundStereoFoldDown) && surround && !surround->isEmpty() &&
                               *surround != QStringLiteral("STEREO");
    QString modeText;
    if (isTrue(snapshot_.mono)) modeText = QStringLiteral("MONO");
    else if (foldsSurround || !surround) modeText = QStringLiteral("STEREO");
    else modeText = *surround;

    const bool altActive = snapshot_.altMonSelection && *snapshot_.altMonSelection >= 1;
    const QString altText =
        altActive ? QStringLiteral("ALT ") + QString::number(*snapshot_.altMonSelection) : QStringLiteral("ALT");

    std::vector<Chip> result{
        {modeText, isTrue(snapshot_.mono) || foldsSurround, resolved(HUDTokens::accent)},
        {QStringLiteral("DIM"), isTrue(snapshot_.dim), resolved(HUDTokens::amber)},
        {QStringLiteral("MUTE"), isTrue(snapshot_.mute), resolved(HUDTokens::red)},
        {altText, altActive, resolved(HUDTokens::accent)},
    };
    if (isTrue(snapshot_.talkback)) result.push_back({QStringLiteral("TALK"), true, resolved(HUDTokens::accent)});
    return result;
}

QString HUDView::messageText() const { return message_.value_or(QString()).toUpper(); }

double HUDView::messageFontSize() const { return messageFontSizeFor(messageText()); }

// Shrinks in steps of 0.5 × s from 15 × s while too wide, never below 8 × s.
double HUDView::messageFontSizeFor(const QString& text) const {
    const double s = scale();
    const double available = width() - 24 * s;
    double size = 15 * s;
    const auto measure = [&](double points) {
        return QFontMetricsF(sizedFor(displayFont(points, 0.6 * s), points, *this), this).horizontalAdvance(text);
    };
    while (measure(size) > available && size > 8 * s) size = std::max(size - 0.5 * s, 8 * s);
    return size;
}

// MARK: fonts

QFont HUDView::displayFont(double size, double kerning) const { return withKerning(HUDFonts::display(size), kerning); }

QFont HUDView::mainReadoutFont() const { return HUDFonts::mono(16 * scale(), true); }

QFont HUDView::secondaryReadoutFont() const { return HUDFonts::mono(11 * scale(), false); }

QFont HUDView::chipFont(double chipScale) const {
    return displayFont(10 * scale() * chipScale, 0.8 * scale() * chipScale);
}

// MARK: chip row

QRectF HUDView::chipRowRect() const {
    const double s = scale();
    return QRectF(12 * s, 52 * s, width() - 24 * s, 14 * s);
}

HUDView::ChipRow HUDView::chipRow() const { return chipRowFor(*this); }

// Fitting measures the texts at several sizes; most repaints change only the level, so the last fit
// is kept while the texts, the size, the width, the face and the device's resolution stay the same.
HUDView::ChipRow HUDView::chipRowFor(const QPaintDevice& device) const {
    const std::vector<Chip> all = chips();
    ChipRowFit fit{{}, scale(), width(), device.logicalDpiY(), chipFont(1).key()};
    for (const Chip& chip : all) fit.texts.push_back(chip.text);
    if (fittedFor_ != fit) {
        fitted_ = fitChipRow(all, fit.texts, device);
        fittedFor_ = fit;
    }
    ChipRow row = fitted_;
    for (std::size_t i = 0; i < all.size(); ++i) row.chips[i].chip = all[i];
    return row;
}

// The display face is not always the one the row was designed for; a wider stand-in would push the
// last chip past the panel's edge.
HUDView::ChipRow HUDView::fitChipRow(const std::vector<Chip>& all, std::vector<QString> texts,
                                     const QPaintDevice& device) const {
    const double s = scale();
    const auto count = static_cast<double>(texts.size());
    const double gaps = std::max(0.0, count - 1);
    const double tightest = minimumChipSpacing * s;

    ChipRow result;
    result.row = chipRowRect();
    // The width left for the texts at a chip scale, with the chips closed up.
    const auto textRoom = [&](double chipScale) {
        return result.row.width() - count * 10 * s * chipScale - gaps * tightest;
    };
    QFontMetricsF metrics = chipMetrics(1, device);
    std::vector<double> advances = advancesOf(texts, metrics);
    while (sum(advances) > textRoom(result.chipScale) && result.chipScale > chipScaleFloor) {
        result.chipScale = std::max(result.chipScale - kChipScaleStep, chipScaleFloor);
        metrics = chipMetrics(result.chipScale, device);
        advances = advancesOf(texts, metrics);
    }
    const std::vector<QString> whole = texts;
    shortenToFit(texts, advances, whole, metrics, textRoom(result.chipScale));

    // Full-size chips close up only as far as they must.
    const double spare = textRoom(1) - sum(advances);
    if (result.chipScale < 1) result.spacing = tightest;
    else result.spacing = gaps > 0 ? std::min(tightest + spare / gaps, kChipSpacing * s) : kChipSpacing * s;
    placeChips(result, all, texts, advances);
    return result;
}

// Left to right from the row's left edge, each chip centred on the row's height.
void HUDView::placeChips(ChipRow& row, const std::vector<Chip>& chips, const std::vector<QString>& texts,
                         const std::vector<double>& advances) const {
    const double s = scale();
    const double height = 14 * s * row.chipScale;
    const double top = row.row.top() + (row.row.height() - height) / 2;
    double x = row.row.left();
    for (std::size_t i = 0; i < chips.size(); ++i) {
        const double chipWidth = 10 * s * row.chipScale + advances[i];
        row.chips.push_back({chips[i], texts[i], QRectF(x, top, chipWidth, height)});
        x += chipWidth + row.spacing;
    }
}

QFontMetricsF HUDView::chipMetrics(double chipScale, const QPaintDevice& device) const {
    return QFontMetricsF(sizedFor(chipFont(chipScale), 10 * scale() * chipScale, device), &device);
}

// MARK: painting

void HUDView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds = rect();
    painter.fillRect(bounds, resolved(HUDTokens::bg));
    strokeInside(painter, bounds, resolved(HUDTokens::border));
    if (showsMessage()) paintMessage(painter);
    else paintState(painter);
}

void HUDView::paintTitle(QPainter& painter, const QString& text) const {
    const double s = scale();
    drawTextAt(painter, sizedFor(displayFont(11 * s, 0.88 * s), 11 * s, *painter.device()), resolved(HUDTokens::fgMid),
               QPointF(12 * s, 10 * s), text);
}

void HUDView::paintState(QPainter& painter) const {
    const double s = scale();
    const double w = width();
    paintTitle(painter, titleText());
    paintReadouts(painter);
    paintBar(painter, QRectF(12 * s, 32 * s, w - 24 * s, 10 * s));
    paintChips(painter);
}

void HUDView::paintReadouts(QPainter& painter) const {
    const double s = scale();
    const double right = width() - 12 * s;
    const Readout values = readout();
    const QFont main = sizedFor(mainReadoutFont(), 16 * s, *painter.device());
    const double mainWidth = QFontMetricsF(main, painter.device()).horizontalAdvance(values.main);
    drawTextAt(painter, main, values.mainColour, QPointF(right - mainWidth, 8 * s), values.main);
    if (!values.secondary) return;
    const QFont secondary = sizedFor(secondaryReadoutFont(), 11 * s, *painter.device());
    const double secondaryRight = right - mainWidth - 8 * s;
    const double secondaryWidth = QFontMetricsF(secondary, painter.device()).horizontalAdvance(*values.secondary);
    drawTextAt(painter, secondary, resolved(HUDTokens::fgMid), QPointF(secondaryRight - secondaryWidth, 10 * s),
               *values.secondary);
}

void HUDView::paintBar(QPainter& painter, const QRectF& rect) const {
    painter.fillRect(rect, resolved(HUDTokens::bgRaised));
    strokeInside(painter, rect, resolved(HUDTokens::border));
    const auto fraction = barFraction();
    if (!fraction) return;
    const QRectF bar(rect.left() + 1, rect.top() + 1, std::max(0.0, (rect.width() - 2) * *fraction), rect.height() - 2);
    painter.fillRect(bar, barColour());
    if (isTrue(snapshot_.mute) || bar.width() <= 2) return;
    const QColor green = resolved(HUDTokens::green);
    QColor glow = green;
    glow.setAlphaF(0.4f);
    const QRectF tip(bar.right() - 1, bar.top(), 1, bar.height());
    painter.save();
    glow_.paint(painter, tip, 6 * scale(), glow);
    painter.fillRect(tip, green);
    painter.restore();
}

void HUDView::paintChips(QPainter& painter) const {
    const ChipRow row = chipRowFor(*painter.device());
    for (const PlacedChip& placed : row.chips) paintChip(painter, placed, row.chipScale);
}

void HUDView::paintChip(QPainter& painter, const PlacedChip& placed, double chipScale) const {
    const double s = scale();
    const QFont font = sizedFor(chipFont(chipScale), 10 * s * chipScale, *painter.device());
    const QFontMetricsF metrics(font, painter.device());
    const double textWidth = placed.box.width() - 10 * s * chipScale;
    const Chip& chip = placed.chip;
    const QRectF& box = placed.box;
    QColor fill = chip.active ? chip.colour : resolved(HUDTokens::bgRaised);
    if (chip.active) fill.setAlphaF(0.12f);
    const QColor line = chip.active ? chip.colour : resolved(HUDTokens::border);
    const QColor text = chip.active ? chip.colour : resolved(HUDTokens::fgMuted);
    painter.fillRect(box, fill);
    strokeInside(painter, box, line);
    const QPointF textTopLeft(box.center().x() - textWidth / 2, box.center().y() - metrics.height() / 2 + 0.5);
    drawTextAt(painter, font, text, textTopLeft, placed.text);
}

void HUDView::paintMessage(QPainter& painter) const {
    const double s = scale();
    paintTitle(painter, QStringLiteral("MONITOR"));
    const QString text = messageText();
    const double size = messageFontSizeFor(text);
    const QFont font = sizedFor(displayFont(size, 0.6 * s), size, *painter.device());
    const QFontMetricsF metrics(font, painter.device());
    const double textWidth = metrics.horizontalAdvance(text);
    drawTextAt(painter, font, resolved(HUDTokens::amber),
               QPointF(width() / 2.0 - textWidth / 2, 50 * s - metrics.height() / 2), text);
}

}  // namespace quillmark
