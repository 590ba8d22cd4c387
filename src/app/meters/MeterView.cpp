#include "app/meters/MeterView.h"

#include "app/look/HUDFonts.h"
#include "app/look/HUDTokens.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace quillmark {

namespace {

constexpr std::array<double, 12> kScaleAnchors{0, -3, -6, -9, -12, -15, -18, -21, -27, -36, -46, -60};
constexpr double kAnchorSteps = kScaleAnchors.size() - 1;
constexpr double kStripTop = MeterView::headerHeight + 6;  // from the top edge
constexpr double kStripBottomMargin = 26;                  // from the bottom edge
constexpr double kScaleWidth = 32;
constexpr double kStripGap = 4;
constexpr double kMinimumStripWidth = 6;
constexpr double kLabelBottomMargin = 8;
constexpr double kTickLength = 4;
constexpr double kScaleTextInset = 8;

// The display face at `size` logical pixels (the geometry's unit), with letter spacing.
QFont displayFont(int size, double spacing) {
    QFont font = HUDFonts::display(size);
    font.setPixelSize(size);
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

// Text placed with the top-left of its line box at `topLeft`.
void drawTextAt(QPainter& painter, const QPointF& topLeft, const QString& text) {
    const QFontMetricsF metrics(painter.font());
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

}  // namespace

MeterView::MeterView(QWidget* parent)
    : QWidget(parent), colours_(resolveColours(false)), titleFont_(displayFont(12, 0.96)),
      labelFont_(displayFont(11, 1.0)), scaleFont_(scaleFont()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(220, 320);
}

void MeterView::setChannels(std::vector<MeterChannel> channels) {
    const bool sameStrips = channels.size() == channels_.size() &&
                            std::equal(channels.begin(), channels.end(), channels_.begin(),
                                       [](const MeterChannel& a, const MeterChannel& b) { return a.label == b.label; });
    if (!sameStrips) {
        channels_ = std::move(channels);
        update();
        return;
    }
    QRegion dirty;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        if (channels[i] == channels_[i]) continue;
        dirty += stripRect(size(), channels.size(), i).toAlignedRect();
    }
    channels_ = std::move(channels);
    if (!dirty.isEmpty()) update(dirty);
}

void MeterView::setSurroundModeText(const QString& text) {
    surroundModeText_ = text;
    update();
}

void MeterView::setDarkAppearance(bool dark) {
    dark_ = dark;
    colours_ = resolveColours(dark);
    update();
}

QFont MeterView::scaleFont() {
    // Every digit the same width, so the numbers line up on their ticks.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(9);
    font.setWeight(QFont::Normal);
    return font;
}

double MeterView::normalizedPosition(double db) {
    if (std::isnan(db)) return 0;
    if (db >= kScaleAnchors.front()) return 1;
    if (db <= kScaleAnchors.back()) return 0;
    for (std::size_t i = 0; i + 1 < kScaleAnchors.size(); ++i) {
        const double upper = kScaleAnchors[i];
        const double lower = kScaleAnchors[i + 1];
        if (upper >= db && db >= lower) {
            const double from = 1 - i / kAnchorSteps;
            const double to = 1 - (i + 1) / kAnchorSteps;
            return from + (to - from) * (upper - db) / (upper - lower);
        }
    }
    return 0;
}

double MeterView::stripWidth(double viewWidth, std::size_t count) {
    const double n = static_cast<double>(count);
    return std::max(kMinimumStripWidth, ((viewWidth - 2 * kScaleWidth) - kStripGap * (n - 1)) / n);
}

QRectF MeterView::stripRect(QSizeF viewSize, std::size_t count, std::size_t index) {
    const double width = stripWidth(viewSize.width(), count);
    const double height = viewSize.height() - kStripTop - kStripBottomMargin;
    return {kScaleWidth + static_cast<double>(index) * (width + kStripGap), kStripTop, width, height};
}

double MeterView::stripHeight() const { return height() - kStripTop - kStripBottomMargin; }

void MeterView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paint(painter, event->region());
}

void MeterView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || event->position().y() <= headerHeight) return;
    if (onClick) onClick();
}

void MeterView::paint(QPainter& painter, const QRegion& region) const {
    painter.save();
    painter.setClipRegion(region);
    painter.fillRect(region.boundingRect(), colours_.bg);
    if (region.intersects(QRect(0, 0, width(), static_cast<int>(headerHeight)))) drawHeader(painter);
    if (!channels_.empty() && stripHeight() > 0) paintMeters(painter, region);
    painter.restore();
}

void MeterView::paintMeters(QPainter& painter, const QRegion& region) const {
    const QSizeF viewSize = size();

    const double h = stripHeight();
    const QRectF left(0, kStripTop, kScaleWidth, h);
    const QRectF right(viewSize.width() - kScaleWidth, kStripTop, kScaleWidth, h);
    const int textMargin = 8;  // scale texts reach half a line above and below the column
    if (region.intersects(left.toAlignedRect().adjusted(0, -textMargin, 0, textMargin))) drawScale(painter, left, true);
    if (region.intersects(right.toAlignedRect().adjusted(0, -textMargin, 0, textMargin)))
        drawScale(painter, right, false);

    for (std::size_t i = 0; i < channels_.size(); ++i) {
        const QRectF strip = stripRect(viewSize, channels_.size(), i);
        if (region.intersects(strip.toAlignedRect())) drawStrip(painter, channels_[i], strip);
        if (region.intersects(labelRect(strip).toAlignedRect())) drawLabel(painter, channels_[i], strip);
    }
}

void MeterView::drawHeader(QPainter& painter) const {
    const QRectF header(0, 0, width(), headerHeight);
    painter.fillRect(header, colours_.bgHeader);
    painter.fillRect(QRectF(0, header.bottom() - 1, header.width(), 1), colours_.borderSubtle);

    const QString title = surroundModeText_.isEmpty() ? QStringLiteral("\u2014") : surroundModeText_.toUpper();
    painter.setFont(titleFont_);
    painter.setPen(colours_.fg);
    const QFontMetricsF metrics(titleFont_);
    const double textWidth = metrics.horizontalAdvance(title);
    drawTextAt(painter, QPointF(header.center().x() - textWidth / 2, header.center().y() - metrics.height() / 2),
               title);
}

void MeterView::drawScale(QPainter& painter, const QRectF& column, bool ticksOnRight) const {
    painter.setFont(scaleFont_);
    painter.setPen(colours_.fgMuted);
    const QFontMetricsF metrics(scaleFont_);
    for (std::size_t i = 0; i < kScaleAnchors.size(); ++i) {
        const double y = column.top() + column.height() * (i / kAnchorSteps);
        const double tickX = ticksOnRight ? column.right() - kTickLength : column.left();
        painter.fillRect(QRectF(tickX, y - 0.5, kTickLength, 1), colours_.fgMuted);

        const QString text = QString::asprintf("%.0f", std::abs(kScaleAnchors[i]));
        const double textWidth = metrics.horizontalAdvance(text);
        const double textX =
            ticksOnRight ? column.right() - kScaleTextInset - textWidth : column.left() + kScaleTextInset;
        drawTextAt(painter, QPointF(textX, y - metrics.height() / 2), text);
    }
}

void MeterView::drawStrip(QPainter& painter, const MeterChannel& channel, const QRectF& strip) const {
    painter.fillRect(strip, colours_.bgRaised);
    const QRectF inner = strip.adjusted(1, 1, -1, -1);

    const double level = std::min(channel.level, 0.0);
    if (level > kScaleFloorDB) {
        const double fill = normalizedPosition(level) * inner.height();
        QLinearGradient gradient(inner.bottomLeft(), inner.topLeft());
        gradient.setColorAt(normalizedPosition(kScaleFloorDB), colours_.cobalt);
        gradient.setColorAt(normalizedPosition(kAmberThreshold), colours_.green);
        gradient.setColorAt(normalizedPosition(kRedThreshold), colours_.amber);
        // Antialiased, so that a level just above the floor still shows as a sliver.
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillRect(QRectF(inner.left(), inner.bottom() - fill, inner.width(), fill), gradient);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }

    if (channel.peak > -59.5) {
        const double centre = inner.bottom() - inner.height() * normalizedPosition(std::min(channel.peak, 0.0));
        const QColor colour = channel.peak >= kRedThreshold ? colours_.red : colours_.fg;
        painter.fillRect(QRectF(inner.left(), centre - 0.5, inner.width(), 1), colour);
    }

    if (channel.clip) painter.fillRect(QRectF(inner.left(), inner.top(), inner.width(), 4), colours_.red);

    const QRectF outline = strip;
    painter.fillRect(QRectF(outline.left(), outline.top(), outline.width(), 1), colours_.border);
    painter.fillRect(QRectF(outline.left(), outline.bottom() - 1, outline.width(), 1), colours_.border);
    painter.fillRect(QRectF(outline.left(), outline.top(), 1, outline.height()), colours_.border);
    painter.fillRect(QRectF(outline.right() - 1, outline.top(), 1, outline.height()), colours_.border);
}

QRectF MeterView::labelRect(const QRectF& strip) const {
    const double lineHeight = QFontMetricsF(labelFont_).height();
    const double bottom = height() - kLabelBottomMargin;
    // Labels may be wider than narrow strips; allow a generous band around the strip.
    return {strip.left() - 16, bottom - lineHeight, strip.width() + 32, lineHeight};
}

void MeterView::drawLabel(QPainter& painter, const MeterChannel& channel, const QRectF& strip) const {
    const QString label = QString::fromStdString(channel.label);
    painter.setFont(labelFont_);
    painter.setPen(colours_.fgMid);
    const QFontMetricsF metrics(labelFont_);
    const double textWidth = metrics.horizontalAdvance(label);
    drawTextAt(painter, QPointF(strip.center().x() - textWidth / 2, height() - kLabelBottomMargin - metrics.height()),
               label);
}

MeterView::Colours MeterView::resolveColours(bool dark) {
    auto pick = [dark](const auto& token) { return HUDTokens::resolve(token, dark); };
    return {pick(HUDTokens::bg),     pick(HUDTokens::bgRaised),     pick(HUDTokens::bgHeader),
            pick(HUDTokens::border), pick(HUDTokens::borderSubtle), pick(HUDTokens::fg),
            pick(HUDTokens::fgMid),  pick(HUDTokens::fgMuted),      pick(HUDTokens::green),
            pick(HUDTokens::cobalt), pick(HUDTokens::amber),        pick(HUDTokens::red)};
}

}  // namespace quillmark
