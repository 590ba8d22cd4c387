#include "app/meters/MeterView.h"

#include "app/look/HUDFonts.h"
#include "app/look/HUDTokens.h"
#include "platform/windows/DirectWindowSurface.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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
constexpr double kClipBandHeight = 4;

// The display face at `size` logical pixels (the geometry's unit), with letter spacing.
QFont displayFont(int size, double spacing) {
    QFont font = HUDFonts::display(size);
    font.setPixelSize(size);
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

// Device pixels of a logical coordinate.
int devicePixels(double logical, double ratio) { return static_cast<int>(std::lround(logical * ratio)); }

// `over` laid on `under` with coverage `alpha` (0 to 255).
QColor blend(const QColor& under, const QColor& over, int alpha) {
    auto mix = [alpha](int a, int b) { return (b * alpha + a * (255 - alpha) + 127) / 255; };
    return {mix(under.red(), over.red()), mix(under.green(), over.green()), mix(under.blue(), over.blue())};
}

// The logical rectangle that covers every pixel of a device rectangle.
QRect logicalRect(const QRect& device, double ratio) {
    if (ratio == 1.0) return device;
    return QRectF(device.x() / ratio, device.y() / ratio, device.width() / ratio, device.height() / ratio)
        .toAlignedRect();
}

// The device rectangle that covers every pixel of a logical one.
QRect deviceRect(const QRect& logical, double ratio) {
    if (ratio == 1.0) return logical;
    return QRectF(logical.x() * ratio, logical.y() * ratio, logical.width() * ratio, logical.height() * ratio)
        .toAlignedRect();
}

}  // namespace

class MeterView::PainterCanvas final : public StripCanvas {
public:
    explicit PainterCanvas(QPainter& painter) : painter_(painter) {}
    void fill(const QRect& rect, const QColor& colour) override { painter_.fillRect(rect, colour); }
    void copyLit(const QImage& lit, const QRect& source, const QPoint& target) override {
        painter_.drawImage(QRect(target, source.size()), lit, source);
    }

private:
    QPainter& painter_;
};

// Puts the gradient on the display once per image, then copies from it there.
class MeterView::SurfaceCanvas final : public StripCanvas {
public:
    SurfaceCanvas(DirectWindowSurface& surface, qint64& keptKey) : surface_(surface), keptKey_(keptKey) {}
    void fill(const QRect& rect, const QColor& colour) override { surface_.fill(rect, colour.rgb()); }
    void copyLit(const QImage& lit, const QRect& source, const QPoint& target) override {
        if (keptKey_ != lit.cacheKey()) {
            surface_.keep(lit);
            keptKey_ = lit.cacheKey();
        }
        surface_.copyKept(source, target);
    }

private:
    DirectWindowSurface& surface_;
    qint64& keptKey_;
};

MeterView::MeterView(QWidget* parent)
    : QWidget(parent), colours_(resolveColours(false)), titleFont_(displayFont(12, 0.96)),
      labelFont_(displayFont(11, 1.0)), scaleFont_(scaleFont()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Metrics and texts are taken once here and when they change, never while painting.
    const QFontMetricsF title(titleFont_), label(labelFont_), scale(scaleFont_);
    titleAscent_ = title.ascent();
    titleHeight_ = title.height();
    labelAscent_ = label.ascent();
    labelHeight_ = label.height();
    scaleAscent_ = scale.ascent();
    scaleHeight_ = scale.height();
    for (std::size_t i = 0; i < kScaleAnchors.size(); ++i) {
        const QString text = QString::asprintf("%.0f", std::abs(kScaleAnchors[i]));
        scaleTexts_[i] = {text, scale.horizontalAdvance(text)};
    }
    setSurroundModeText(QString());
    resize(220, 320);
    if (DirectWindowSurface::isAvailable()) {
        setAttribute(Qt::WA_NativeWindow);
        surface_ = DirectWindowSurface::open(winId());
        // Qt sends the paint events and leaves the drawing to us.
        if (surface_) setAttribute(Qt::WA_PaintOnScreen);
    }
}

MeterView::~MeterView() = default;

QPaintEngine* MeterView::paintEngine() const { return surface_ ? nullptr : QWidget::paintEngine(); }

// The native window is made anew when the widget is moved to another top level, say.
DirectWindowSurface* MeterView::directSurface() {
    if (surface_ && surface_->window() != winId()) {
        surface_ = DirectWindowSurface::open(winId());
        keptLitKey_ = 0;
        if (!surface_) setAttribute(Qt::WA_PaintOnScreen, false);
    }
    return surface_.get();
}

void MeterView::setChannels(const std::vector<MeterChannel>& channels) {
    const bool sameStrips = channels.size() == channels_.size() &&
                            std::equal(channels.begin(), channels.end(), channels_.begin(),
                                       [](const MeterChannel& a, const MeterChannel& b) { return a.label == b.label; });
    if (!sameStrips) {
        channels_ = channels;
        takeLabels();
        update();
        return;
    }
    if (!isVisible() || stripHeight() <= 0) {
        channels_ = channels;
        return;
    }
    if (directSurface()) {
        drawChangedStripsDirectly(channels);
        return;
    }
    // The changed rows of every strip, taken together into one band across the strips that
    // changed: a region of one band is the cheapest to build, paint and flush, cheaper than the
    // fewer pixels of a band per strip.
    const double ratio = devicePixelRatioF();
    changedStrips_.clear();
    int top = std::numeric_limits<int>::max();
    int bottom = std::numeric_limits<int>::min();
    for (std::size_t i = 0; i < channels.size(); ++i) {
        if (channels[i] == channels_[i]) continue;
        const StripPixels pixels = stripPixels(i, ratio);
        const auto [first, end] = changedRows(pixels, lookOf(channels_[i], pixels), lookOf(channels[i], pixels));
        if (end <= first) continue;
        changedStrips_.push_back(pixels.inner);
        top = std::min(top, first);
        bottom = std::max(bottom, end);
    }
    channels_ = channels;  // element by element: the storage is reused
    if (changedStrips_.empty()) return;
    for (QRect& rect : changedStrips_) rect = logicalRect(QRect(rect.left(), top, rect.width(), bottom - top), ratio);
    // Side by side, apart and of one height: already the region's own form.
    QRegion changed;
    changed.setRects(changedStrips_.data(), static_cast<int>(changedStrips_.size()));
    // Painted now: the store already spaces its notifications a display frame apart, and a posted
    // update request would wake the event loop once more for each of them.
    repaint(changed);
}

// Each changed strip only in its own changed rows, straight onto the window.
void MeterView::drawChangedStripsDirectly(const std::vector<MeterChannel>& channels) {
    const double ratio = devicePixelRatioF();
    SurfaceCanvas canvas(*surface_, keptLitKey_);
    bool drew = false;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        if (channels[i] == channels_[i]) continue;
        const StripPixels pixels = stripPixels(i, ratio);
        const StripLook look = lookOf(channels[i], pixels);
        const auto [first, end] = changedRows(pixels, lookOf(channels_[i], pixels), look);
        if (end <= first) continue;
        drawStrip(canvas, pixels, look, QRect(pixels.inner.left(), first, pixels.inner.width(), end - first));
        drew = true;
    }
    channels_ = channels;
    if (drew) surface_->flush();
}

void MeterView::takeLabels() {
    const QFontMetricsF metrics(labelFont_);
    labels_.clear();
    for (const MeterChannel& channel : channels_) {
        const QString text = QString::fromStdString(channel.label);
        labels_.push_back({text, metrics.horizontalAdvance(text)});
    }
}

void MeterView::setSurroundModeText(const QString& text) {
    surroundModeText_ = text;
    title_.text = text.isEmpty() ? QStringLiteral("\u2014") : text.toUpper();
    title_.width = QFontMetricsF(titleFont_).horizontalAdvance(title_.text);
    update(0, 0, width(), static_cast<int>(headerHeight));
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
    if (directSurface()) {
        paintDirectly(event->region());
        return;
    }
    QPainter painter(this);
    paint(painter, event->region());
}

// Drawn into an image of the view as any paint is, then put rectangle by rectangle. At a
// fractional pixel ratio a logical rectangle only partly covers its edge pixels, so all is drawn.
void MeterView::paintDirectly(const QRegion& asked) {
    const double ratio = devicePixelRatioF();
    const QRegion region = ratio == std::floor(ratio) ? asked : QRegion(rect());
    const QSize deviceSize(devicePixels(width(), ratio), devicePixels(height(), ratio));
    if (frame_.size() != deviceSize) frame_ = QImage(deviceSize, QImage::Format_RGB32);
    frame_.setDevicePixelRatio(ratio);
    {
        QPainter painter(&frame_);
        paint(painter, region);
    }
    for (const QRect& rect : region) {
        const QRect device = deviceRect(rect, ratio) & frame_.rect();
        if (!device.isEmpty()) surface_->put(frame_.copy(device), device.topLeft());
    }
    surface_->flush();
}

void MeterView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || event->position().y() <= headerHeight) return;
    if (onClick) onClick();
}

void MeterView::paint(QPainter& painter, const QRegion& region) const {
    const double ratio = painter.device()->devicePixelRatioF();
    painter.save();
    for (const QRect& rect : region) {
        painter.setClipRect(rect);
        paintRect(painter, rect, ratio);
    }
    painter.restore();
}

// One rectangle of a repaint. While meters stream, most are rows of one strip: only what lies
// there is drawn, and nothing is drawn to be covered again.
void MeterView::paintRect(QPainter& painter, const QRect& rect, double ratio) const {
    const bool meters = !channels_.empty() && stripHeight() > 0;
    if (meters) {
        if (const auto index = stripHolding(rect, ratio)) {
            drawStripPart(painter, *index, rect, ratio);
            return;
        }
    }
    painter.fillRect(rect, colours_.bg);
    if (rect.intersects(QRect(0, 0, width(), static_cast<int>(headerHeight)))) drawHeader(painter);
    if (!meters) return;

    const QSizeF viewSize = size();
    const double h = stripHeight();
    const QRectF left(0, kStripTop, kScaleWidth, h);
    const QRectF right(viewSize.width() - kScaleWidth, kStripTop, kScaleWidth, h);
    const int textMargin = 8;  // scale texts reach half a line above and below the column
    if (rect.intersects(left.toAlignedRect().adjusted(0, -textMargin, 0, textMargin))) drawScale(painter, left, true);
    if (rect.intersects(right.toAlignedRect().adjusted(0, -textMargin, 0, textMargin)))
        drawScale(painter, right, false);
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        const QRectF strip = stripRect(viewSize, channels_.size(), i);
        if (rect.intersects(strip.toAlignedRect())) drawStripPart(painter, i, rect, ratio);
        if (rect.intersects(labelRect(strip).toAlignedRect())) drawLabel(painter, i, strip);
    }
}

// The strip whose pixels cover all of `rect`, if one does.
std::optional<std::size_t> MeterView::stripHolding(const QRect& rect, double ratio) const {
    const double pitch = stripWidth(width(), channels_.size()) + kStripGap;
    const double index = std::floor((rect.left() - kScaleWidth) / pitch);
    if (index < 0 || index >= static_cast<double>(channels_.size())) return std::nullopt;
    const auto i = static_cast<std::size_t>(index);
    const QRect strip = stripPixels(i, ratio).strip;
    const QRectF covered(strip.x() / ratio, strip.y() / ratio, strip.width() / ratio, strip.height() / ratio);
    if (!covered.contains(QRectF(rect))) return std::nullopt;
    return i;
}

// Strips are laid out in whole device pixels, so that a change is known to the pixel.
void MeterView::drawStripPart(QPainter& painter, std::size_t index, const QRect& area, double ratio) const {
    const StripPixels pixels = stripPixels(index, ratio);
    const StripLook look = lookOf(channels_[index], pixels);
    PainterCanvas canvas(painter);
    if (ratio == 1.0) {
        drawStrip(canvas, pixels, look, area & pixels.strip);
        return;
    }
    const QRect deviceArea = deviceRect(area, ratio);
    const QTransform logical = painter.worldTransform();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio) * logical);
    drawStrip(canvas, pixels, look, deviceArea & pixels.strip);
    painter.setWorldTransform(logical);
}

void MeterView::drawHeader(QPainter& painter) const {
    const QRectF header(0, 0, width(), headerHeight);
    painter.fillRect(header, colours_.bgHeader);
    painter.fillRect(QRectF(0, header.bottom() - 1, header.width(), 1), colours_.borderSubtle);
    painter.setFont(titleFont_);
    painter.setPen(colours_.fg);
    const double top = header.center().y() - titleHeight_ / 2;
    painter.drawText(QPointF(header.center().x() - title_.width / 2, top + titleAscent_), title_.text);
}

void MeterView::drawScale(QPainter& painter, const QRectF& column, bool ticksOnRight) const {
    painter.setFont(scaleFont_);
    painter.setPen(colours_.fgMuted);
    for (std::size_t i = 0; i < kScaleAnchors.size(); ++i) {
        const double y = column.top() + column.height() * (i / kAnchorSteps);
        const double tickX = ticksOnRight ? column.right() - kTickLength : column.left();
        painter.fillRect(QRectF(tickX, y - 0.5, kTickLength, 1), colours_.fgMuted);

        const Text& text = scaleTexts_[i];
        const double textX =
            ticksOnRight ? column.right() - kScaleTextInset - text.width : column.left() + kScaleTextInset;
        painter.drawText(QPointF(textX, y - scaleHeight_ / 2 + scaleAscent_), text.text);
    }
}

MeterView::StripPixels MeterView::stripPixels(std::size_t index, double ratio) const {
    const QRectF strip = stripRect(size(), channels_.size(), index);
    const int left = devicePixels(strip.left(), ratio);
    const int top = devicePixels(strip.top(), ratio);
    const QRect device(left, top, devicePixels(strip.right(), ratio) - left, devicePixels(strip.bottom(), ratio) - top);
    const int line = std::max(1, devicePixels(1, ratio));
    const QRect inner = device.adjusted(line, line, -line, -line);
    const int clipRows = inner.isEmpty() ? 0 : std::min(inner.height(), devicePixels(kClipBandHeight, ratio));
    return {device, inner, line, clipRows};
}

// Level: the fill height on the scale, in whole rows plus the coverage of the row above them.
// Peak: a one-point line centred on its place on the scale. Both use the inner height in pixels.
MeterView::StripLook MeterView::lookOf(const MeterChannel& channel, const StripPixels& pixels) {
    StripLook look;
    if (pixels.inner.isEmpty()) return look;
    const int rows = pixels.inner.height();
    const double level = std::min(channel.level, 0.0);
    if (level > scaleFloorDB) {
        const double fill = normalizedPosition(level) * rows;
        look.litRows = static_cast<int>(std::floor(fill));
        look.edgeAlpha = static_cast<int>(std::lround((fill - look.litRows) * 255));
        if (look.edgeAlpha == 255) {
            ++look.litRows;
            look.edgeAlpha = 0;
        }
        if (look.litRows >= rows) {
            look.litRows = rows;
            look.edgeAlpha = 0;
        }
    }
    if (channel.peak > -59.5) {
        const double centre = normalizedPosition(std::min(channel.peak, 0.0)) * rows;
        const int lowest = static_cast<int>(std::floor(centre - pixels.line / 2.0 + 0.5));
        look.peakRow = std::clamp(lowest, 0, std::max(0, rows - pixels.line));
        look.peakRed = channel.peak >= redThreshold;
    }
    look.clip = channel.clip && pixels.clipRows > 0;
    return look;
}

// The device rows whose drawing differs between two looks of one strip, as one span from its top
// edge (the bottom one excluded): they take in the rows between the two fill tops, the old and the
// new peak line and the clip band, whichever changed. Empty when they look alike.
std::pair<int, int> MeterView::changedRows(const StripPixels& pixels, const StripLook& from, const StripLook& to) {
    const QRect& inner = pixels.inner;
    int low = inner.height();  // rows counted from the inner bottom, `low` included and `high` not
    int high = 0;
    auto rows = [&](int first, int end) {
        low = std::min(low, first);
        high = std::max(high, end);
    };
    if (from.litRows != to.litRows || from.edgeAlpha != to.edgeAlpha) {
        rows(std::min(from.litRows, to.litRows),
             std::max(from.litRows + (from.edgeAlpha > 0 ? 1 : 0), to.litRows + (to.edgeAlpha > 0 ? 1 : 0)));
    }
    if (from.peakRow != to.peakRow || from.peakRed != to.peakRed) {
        if (from.peakRow >= 0) rows(from.peakRow, from.peakRow + pixels.line);
        if (to.peakRow >= 0) rows(to.peakRow, to.peakRow + pixels.line);
    }
    if (from.clip != to.clip) rows(inner.height() - pixels.clipRows, inner.height());
    if (high <= low) return {0, 0};
    return {inner.bottom() + 1 - high, inner.bottom() + 1 - low};
}

// In device pixels, only within `area`: the raised background above the fill, the fill from the
// cached gradient, the peak line, the clip band, and the outline last.
void MeterView::drawStrip(StripCanvas& canvas, const StripPixels& pixels, const StripLook& look,
                          const QRect& area) const {
    if (area.isEmpty()) return;
    auto fill = [&](const QRect& rect, const QColor& colour) {
        const QRect part = rect & area;
        if (!part.isEmpty()) canvas.fill(part, colour);
    };
    const QRect& strip = pixels.strip;
    const QRect& inner = pixels.inner;
    const int litTop = inner.isEmpty() ? strip.bottom() + 1 : inner.bottom() + 1 - look.litRows;
    fill(QRect(strip.left(), strip.top(), strip.width(), litTop - strip.top()), colours_.bgRaised);
    if (look.litRows > 0 || look.edgeAlpha > 0) {
        const QImage& lit = litStrip(pixels);
        const QRect shown = QRect(inner.left(), litTop, inner.width(), look.litRows) & area;
        if (!shown.isEmpty()) canvas.copyLit(lit, shown.translated(-inner.topLeft()), shown.topLeft());
        // The partly covered row as one solid colour, the same whichever way the paint is cut up.
        if (look.edgeAlpha > 0) {
            const QColor edge =
                blend(colours_.bgRaised, QColor(lit.pixel(0, litTop - 1 - inner.top())), look.edgeAlpha);
            fill(QRect(inner.left(), litTop - 1, inner.width(), 1), edge);
        }
    }
    if (look.peakRow >= 0) {
        fill(QRect(inner.left(), inner.bottom() + 1 - look.peakRow - pixels.line, inner.width(), pixels.line),
             look.peakRed ? colours_.red : colours_.fg);
    }
    if (look.clip) fill(QRect(inner.left(), inner.top(), inner.width(), pixels.clipRows), colours_.red);

    const int line = pixels.line;
    fill(QRect(strip.left(), strip.top(), strip.width(), line), colours_.border);
    fill(QRect(strip.left(), strip.bottom() + 1 - line, strip.width(), line), colours_.border);
    fill(QRect(strip.left(), strip.top(), line, strip.height()), colours_.border);
    fill(QRect(strip.right() + 1 - line, strip.top(), line, strip.height()), colours_.border);
}

// The gradient over a whole inner area: cobalt at -60 dB, green at -8 dB, amber at 0 dB. Fixed to
// the scale, so a louder signal uncovers more of the same colours.
const QImage& MeterView::litStrip(const StripPixels& pixels) const {
    const int rows = pixels.inner.height();
    if (litStrip_.height() == rows && litStrip_.width() >= pixels.inner.width() && litStripDark_ == dark_)
        return litStrip_;
    // One column more than asked: strips at fractional positions differ by a pixel in width.
    litStrip_ = QImage(pixels.inner.width() + 1, rows, QImage::Format_RGB32);
    litStripDark_ = dark_;
    QLinearGradient gradient(0, rows, 0, 0);
    gradient.setColorAt(normalizedPosition(scaleFloorDB), colours_.cobalt);
    gradient.setColorAt(normalizedPosition(amberThreshold), colours_.green);
    gradient.setColorAt(normalizedPosition(redThreshold), colours_.amber);
    QPainter painter(&litStrip_);
    painter.fillRect(litStrip_.rect(), gradient);
    return litStrip_;
}

QRectF MeterView::labelRect(const QRectF& strip) const {
    const double bottom = height() - kLabelBottomMargin;
    // Labels may be wider than narrow strips; allow a generous band around the strip.
    return {strip.left() - 16, bottom - labelHeight_, strip.width() + 32, labelHeight_};
}

void MeterView::drawLabel(QPainter& painter, std::size_t index, const QRectF& strip) const {
    const Text& label = labels_[index];
    painter.setFont(labelFont_);
    painter.setPen(colours_.fgMid);
    const double top = height() - kLabelBottomMargin - labelHeight_;
    painter.drawText(QPointF(strip.center().x() - label.width / 2, top + labelAscent_), label.text);
}

MeterView::Colours MeterView::resolveColours(bool dark) {
    auto pick = [dark](const auto& token) { return HUDTokens::resolve(token, dark); };
    return {pick(HUDTokens::bg),     pick(HUDTokens::bgRaised),     pick(HUDTokens::bgHeader),
            pick(HUDTokens::border), pick(HUDTokens::borderSubtle), pick(HUDTokens::fg),
            pick(HUDTokens::fgMid),  pick(HUDTokens::fgMuted),      pick(HUDTokens::green),
            pick(HUDTokens::cobalt), pick(HUDTokens::amber),        pick(HUDTokens::red)};
}

}  // namespace quillmark
