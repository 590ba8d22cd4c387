#pragma once

#include "app/dialogs/DialogButton.h"
#include "app/dialogs/TextBlock.h"

#include <QWidget>

#include <memory>
#include <vector>

namespace quillmark {

// The content of our dialogs, drawn in the application's look: a panel in `bg` with a 1-point `border`
// inside its bounds, padded 24 points, holding the title row (a 6-point accent square and the title in
// upper case), the message, any further rows, and a row of buttons pushed to the trailing edge; 16
// points between rows, 10 between buttons. Its height follows its width.
class DialogPanel : public QWidget {
public:
    static constexpr int padding = 24;
    static constexpr int rowSpacing = 16;
    static constexpr int buttonSpacing = 10;
    static constexpr int markerSize = 6;
    static constexpr int markerSpacing = 8;

    DialogPanel(const QString& title, const QString& message, QWidget* parent = nullptr);

    // Adds a button after those added before: the last one added is the trailing one.
    DialogButton& addButton(std::unique_ptr<DialogButton> button);
    // Adds a row below the message and any rows added before; the panel takes the widget.
    void addRow(std::unique_ptr<QWidget> row);

    TextBlock& title() { return *title_; }
    TextBlock& message() { return *message_; }
    const std::vector<DialogButton*>& buttons() const { return buttons_; }
    // The accent square beside the title's first line.
    QRect markerGeometry() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Places the rows at `width`, or only measures when `place` is false; returns the height.
    int layOut(int width, bool place) const;

    TextBlock* title_;
    TextBlock* message_;
    std::vector<QWidget*> rows_;
    std::vector<DialogButton*> buttons_;
};

}  // namespace quillmark
