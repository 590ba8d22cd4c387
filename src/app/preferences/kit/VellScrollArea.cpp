#include "app/preferences/kit/VellScrollArea.h"

#include "app/preferences/kit/VellScrollBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace quillmark {

VellScrollArea::VellScrollArea(QWidget* parent)
    : QScrollArea(parent), bar_(new VellScrollBar(*verticalScrollBar(), this)) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    // The area's own bars would take room from the content; the kit's lies over it.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::ClickFocus);
    bar_->raise();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && widget() && widget()->isAncestorOf(now)) ensureWidgetVisible(now, 0, focusMargin);
    });
}

bool VellScrollArea::contentHasFocus() const {
    const QWidget* focused = QApplication::focusWidget();
    return focused && widget() && widget()->isAncestorOf(focused);
}

void VellScrollArea::keyPressEvent(QKeyEvent* event) {
    QScrollBar& bar = *verticalScrollBar();
    // Page Up and Page Down come here from a field too, which has no use for them.
    switch (event->key()) {
    case Qt::Key_PageUp: bar.triggerAction(QAbstractSlider::SliderPageStepSub); return;
    case Qt::Key_PageDown: bar.triggerAction(QAbstractSlider::SliderPageStepAdd); return;
    default: break;
    }
    if (!contentHasFocus() && event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Up: bar.triggerAction(QAbstractSlider::SliderSingleStepSub); return;
        case Qt::Key_Down: bar.triggerAction(QAbstractSlider::SliderSingleStepAdd); return;
        case Qt::Key_Home: bar.triggerAction(QAbstractSlider::SliderToMinimum); return;
        case Qt::Key_End: bar.triggerAction(QAbstractSlider::SliderToMaximum); return;
        default: break;
        }
    }
    event->ignore();
}

void VellScrollArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    placeBar();
}

void VellScrollArea::placeBar() {
    const int inset = static_cast<int>(barInset);
    const int thickness = static_cast<int>(VellScrollBar::thickness);
    bar_->setGeometry(width() - inset - thickness, inset, thickness, std::max(0, height() - 2 * inset));
}

}  // namespace quillmark
