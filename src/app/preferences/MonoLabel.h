#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QString>

namespace quillmark {

// A line of text in the monospaced face, in one colour token: units beside fields, saved levels.
class MonoLabel : public VellWidget {
public:
    MonoLabel(const QString& text, double pointSize, const HUDTokens::Token& colour, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    void setColour(const HUDTokens::Token& colour);
    QColor textColour() const { return resolved(colour_); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    std::optional<double> firstBaseline() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont font() const;

    QString text_;
    double pointSize_;
    HUDTokens::Token colour_;
};

}  // namespace quillmark
