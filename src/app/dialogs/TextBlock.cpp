#include "app/dialogs/TextBlock.h"

#include "app/dialogs/WindowAppearance.h"
#include "app/look/HUDFonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace quillmark {

namespace {

// Wider than any text of ours: the width at which nothing wraps.
constexpr double kUnwrapped = 100000;

}  // namespace

TextBlock::TextBlock(Style style, std::vector<Run> runs, QWidget* parent)
    : QWidget(parent), style_(std::move(style)), runs_(std::move(runs)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

TextBlock::TextBlock(Style style, const QString& text, HUDTokens::Token colour, QWidget* parent)
    : TextBlock(std::move(style), std::vector<Run>{{text, colour}}, parent) {}

void TextBlock::setRuns(std::vector<Run> runs) {
    runs_ = std::move(runs);
    updateGeometry();
    update();
}

QFont TextBlock::resolveFont(const QString& name, double points, const QPaintDevice& device) {
    QFont font;
    if (auto named = HUDFonts::named(name, points)) font = *named;
    else if (name.startsWith(QStringLiteral("JetBrainsMono"))) font = HUDFonts::mono(points, name.endsWith("Medium"));
    else font = HUDFonts::display(points);
    // Sizes are in points of the window's geometry, which are logical pixels here.
    font.setPointSizeF(points * 72.0 / device.logicalDpiY());
    return font;
}

QFont TextBlock::font() const {
    QFont font = resolveFont(style_.fontName, style_.points, *this);
    if (style_.tracking != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, style_.tracking);
    return font;
}

QString TextBlock::shownText() const {
    QString text;
    for (const Run& run : runs_) text += run.text;
    return style_.upperCase ? text.toUpper() : text;
}

double TextBlock::layOut(QTextLayout& layout, double width) const {
    const bool dark = WindowAppearance::isDark(*this);
    QList<QTextLayout::FormatRange> formats;
    int start = 0;
    for (const Run& run : runs_) {
        const int length = static_cast<int>((style_.upperCase ? run.text.toUpper() : run.text).size());
        QTextLayout::FormatRange range;
        range.start = start;
        range.length = length;
        range.format.setForeground(HUDTokens::resolve(run.colour, dark));
        formats.append(range);
        start += length;
    }
    // Qt's text layout breaks lines only at line separators, not at newlines.
    layout.setText(shownText().replace(QLatin1Char('\n'), QChar::LineSeparator));
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFormats(formats);

    double y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (line.lineNumber() > 0) y += style_.lineSpacing;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

double TextBlock::idealWidth() const {
    QTextLayout layout;
    layOut(layout, kUnwrapped);
    double width = 0;
    for (int i = 0; i < layout.lineCount(); ++i) width = std::max(width, layout.lineAt(i).naturalTextWidth());
    return width;
}

double TextBlock::firstBaseline(int width) const {
    QTextLayout layout;
    layOut(layout, width);
    return layout.lineCount() > 0 ? layout.lineAt(0).y() + layout.lineAt(0).ascent() : 0;
}

int TextBlock::heightForWidth(int width) const {
    QTextLayout layout;
    return static_cast<int>(std::ceil(layOut(layout, std::max(width, 1))));
}

QSize TextBlock::sizeHint() const {
    const int width = static_cast<int>(std::ceil(idealWidth()));
    return {width, heightForWidth(width)};
}

QSize TextBlock::minimumSizeHint() const { return {0, 0}; }

void TextBlock::paintEvent(QPaintEvent*) {
    QTextLayout layout;
    layOut(layout, width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    layout.draw(&painter, QPointF(0, 0));
}

}  // namespace quillmark
