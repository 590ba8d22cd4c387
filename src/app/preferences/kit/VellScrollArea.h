#pragma once

#include <QScrollArea>

namespace quillmark {

class VellScrollBar;

// A scroll area in the kit's manner for content of a fixed width: the content keeps its width and
// scrolls up and down only, and while it is taller than the area a VellScrollBar lies over its right
// edge, in the content's margin. The wheel and Page Up / Page Down scroll; the arrow keys, Home and
// End too while no field of the content has the focus. A control that takes the focus is scrolled
// into view.
class VellScrollArea : public QScrollArea {
public:
    // Between the bar and the area's edges.
    static constexpr double barInset = 4;
    // Kept in view above and below a control that takes the focus.
    static constexpr int focusMargin = 24;

    explicit VellScrollArea(QWidget* parent = nullptr);

    VellScrollBar& scrollBar() const { return *bar_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool contentHasFocus() const;
    void placeBar();

    VellScrollBar* bar_;  // a child of this area, over the viewport
};

}  // namespace quillmark
