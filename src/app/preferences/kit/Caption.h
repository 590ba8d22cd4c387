#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QString>

#include <optional>

class QTextLayout;

namespace quillmark {

// A short explanatory text in the body face at 11 points, muted, wrapped onto as many lines as the
// width needs, 2 points of extra space between lines.
class Caption : public VellWidget {
public:
    static constexpr double extraLineSpacing = 2;

    explicit Caption(const QString& text, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    // A colour in place of the muted one (the login-item error is red); nothing for the usual colour.
    void setForeground(const std::optional<HUDTokens::Token>& token);
    QColor textColour() const;

    // How many lines the text takes at `width` points.
    int lineCount(double width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    std::optional<double> firstBaseline() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out at `width`; returns the height it takes.
    double layOut(QTextLayout& layout, double width) const;

    QString text_;
    std::optional<HUDTokens::Token> foreground_;
};

}  // namespace quillmark
