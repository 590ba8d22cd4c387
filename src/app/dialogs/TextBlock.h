#pragma once

#include "app/look/HUDTokens.h"

#include <QString>
#include <QWidget>

#include <vector>

class QTextLayout;

namespace quillmark {

// Static text in one of the bundle's faces, drawn by us: runs of text, each in its own colour token,
// wrapping onto as many lines as the width needs; its height follows its width (heightForWidth).
class TextBlock : public QWidget {
public:
    struct Style {
        QString fontName;        // PostScript name, as the bundle registers it
        double points = 12;      // size in points of the window's geometry
        double tracking = 0;     // extra space after every character, in points
        double lineSpacing = 0;  // extra space between two lines, in points
        bool upperCase = false;  // shown converted to upper case
    };
    struct Run {
        QString text;
        HUDTokens::Token colour;
    };

    TextBlock(Style style, std::vector<Run> runs, QWidget* parent = nullptr);
    TextBlock(Style style, const QString& text, HUDTokens::Token colour, QWidget* parent = nullptr);

    // Replaces the text; the height follows.
    void setRuns(std::vector<Run> runs);
    // The text as shown: the runs joined, upper case when the style says so.
    QString shownText() const;
    // The baseline of the first line below the top, at `width`.
    double firstBaseline(int width) const;
    const Style& style() const { return style_; }

    // The face `name` at `points` for `device`; a face the process does not have falls back to the
    // display face's stand-in (or the monospaced one for a JetBrains Mono name).
    static QFont resolveFont(const QString& name, double points, const QPaintDevice& device);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont font() const;
    // Lays the text out at `width` into `layout`; returns the height it takes.
    double layOut(QTextLayout& layout, double width) const;
    double idealWidth() const;

    Style style_;
    std::vector<Run> runs_;
};

}  // namespace quillmark
