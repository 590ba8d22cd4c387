#pragma once

#include "app/preferences/kit/VellWidget.h"

#include <QFont>
#include <QString>

#include <functional>

class QLineEdit;

namespace quillmark {

// What the kit's two single-line text fields share: an unframed line edit in amber on a recessed
// background with a 1-point border, exactly `width` × 24 points, the prompt shown while it is empty.
// The text is the caller's: it is set from outside, and every edit of the user goes out through
// onWrite at once. Nothing is filtered or checked.
class VellTextField : public VellWidget {
public:
    static constexpr double height = 24;
    static constexpr double horizontalPadding = 8;
    static constexpr double verticalPadding = 4;

    // Shows `text`; the user's edit in progress is left alone when it already reads so.
    void setText(const QString& text);
    QString text() const;
    void setPrompt(const QString& prompt);
    QString prompt() const;
    void setFieldWidth(double width);
    // The narrowest field width that shows `text` whole at the field's font.
    double widthShowing(const QString& text) const;
    // How wide the text and the prompt may run before the line edit cuts them.
    double textAreaWidth() const { return width() - 2 * horizontalPadding; }

    // Every edit of the user, character by character, with the whole new text.
    std::function<void(const QString&)> onWrite;

    QLineEdit& lineEdit() const { return *edit_; }
    QFont textFont() const;
    std::optional<double> firstBaseline() const override;

protected:
    VellTextField(const QString& prompt, double width, const QFont& font, Qt::Alignment alignment, QWidget* parent);
    void appearanceChanged() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyPalette();

    QLineEdit* edit_;  // owned by this widget
};

}  // namespace quillmark
