// VellScrollArea and its VellScrollBar: the bar over the content's edge only while there is something
// to scroll, its thumb, clicks and drags, the wheel, the keys, and a focused field scrolled into view.
#include "WidgetTestSupport.h"

#include "app/preferences/kit/VellScrollArea.h"
#include "app/preferences/kit/VellScrollBar.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>

namespace quillmark::testing {
namespace {

class VellScrollAreaTest : public ::testing::Test {
protected:
    void SetUp() override {
        content = new QWidget;
        content->resize(300, 1000);
        top = new QLineEdit(content);
        top->setGeometry(10, 10, 100, 24);
        bottom = new QLineEdit(content);
        bottom->setGeometry(10, 900, 100, 24);
        area.setWidget(content);
        area.resize(300, 200);
        area.show();
        area.activateWindow();
        QApplication::processEvents();
        area.setFocus();
    }
    QScrollBar& model() { return *area.verticalScrollBar(); }
    VellScrollBar& bar() { return area.scrollBar(); }
    void key(QWidget& target, Qt::Key which) { pressKey(target, which); }
    bool inView(const QWidget& widget) {
        return area.viewport()->rect().contains(QRect(widget.mapTo(area.viewport(), QPoint(0, 0)), widget.size()));
    }

    QApplication& application = widgetTestApplication();
    VellScrollArea area;
    QWidget* content;  // the area's
    QLineEdit* top;
    QLineEdit* bottom;
};

TEST_F(VellScrollAreaTest, TheBarLiesOverTheContentsEdgeWhileThereIsSomethingToScroll) {
    EXPECT_EQ(area.viewport()->width(), 300) << "the content keeps its width";
    EXPECT_EQ(area.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(model().maximum(), 800);
    ASSERT_TRUE(bar().isVisible());
    EXPECT_EQ(bar().geometry(), QRect(300 - 4 - 8, 4, 8, 200 - 8));
    // The thumb is to the track as the page to the content.
    EXPECT_NEAR(bar().thumbRect().height(), 192.0 * 200 / 1000, 1);
    EXPECT_EQ(bar().thumbRect().top(), 0);

    content->resize(300, 150);
    QApplication::processEvents();
    EXPECT_FALSE(bar().isVisible());
}

TEST_F(VellScrollAreaTest, AClickBesideTheThumbPagesAndADragMovesTheContent) {
    const QPointF below(4, bar().height() - 2);
    click(bar(), below);
    EXPECT_EQ(model().value(), model().pageStep());
    click(bar(), QPointF(4, 1));
    EXPECT_EQ(model().value(), 0);

    const QPointF grip = bar().thumbRect().center();
    QMouseEvent down(QEvent::MouseButtonPress, grip, bar().mapToGlobal(grip), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&bar(), &down);
    EXPECT_TRUE(bar().isDragging());
    const QPointF end(grip.x(), bar().height() + 50);
    QMouseEvent move(QEvent::MouseMove, end, bar().mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&bar(), &move);
    EXPECT_EQ(model().value(), model().maximum());
    EXPECT_EQ(bar().thumbRect().bottom(), bar().height());
    QMouseEvent up(QEvent::MouseButtonRelease, end, bar().mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&bar(), &up);
    EXPECT_FALSE(bar().isDragging());
}

TEST_F(VellScrollAreaTest, TheWheelOverTheContentOrTheBarScrolls) {
    for (QWidget* target : {area.viewport(), static_cast<QWidget*>(&bar())}) {
        model().setValue(0);
        const QPointF at(4, 4);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
        EXPECT_GT(model().value(), 0) << (target == &bar() ? "bar" : "content");
    }
}

TEST_F(VellScrollAreaTest, PagesScrollAlwaysArrowsOnlyWhileNoFieldHasTheFocus) {
    key(area, Qt::Key_PageDown);
    EXPECT_EQ(model().value(), model().pageStep());
    key(area, Qt::Key_Down);
    EXPECT_EQ(model().value(), model().pageStep() + model().singleStep());
    key(area, Qt::Key_End);
    EXPECT_EQ(model().value(), model().maximum());
    key(area, Qt::Key_Home);
    EXPECT_EQ(model().value(), 0);

    // A key a field leaves alone comes on to the area.
    top->setFocus();
    ASSERT_TRUE(top->hasFocus());
    key(*top, Qt::Key_Down);
    EXPECT_EQ(model().value(), 0) << "the arrows are the field's";
    key(*top, Qt::Key_PageDown);
    EXPECT_EQ(model().value(), model().pageStep());
}

TEST_F(VellScrollAreaTest, AFieldTakingTheFocusScrollsIntoView) {
    EXPECT_FALSE(inView(*bottom));
    bottom->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(inView(*bottom));
    top->setFocus(Qt::BacktabFocusReason);
    EXPECT_TRUE(inView(*top));
}

}  // namespace
}  // namespace quillmark::testing
