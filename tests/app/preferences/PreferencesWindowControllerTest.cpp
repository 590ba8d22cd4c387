#include "app/preferences/PreferencesWindowController.h"

#include "app/preferences/HotkeyRecorderField.h"
#include "app/preferences/HotkeyRow.h"
#include "app/preferences/PreferencesView.h"
#include "app/preferences/kit/VellNumericField.h"
#include "app/preferences/kit/VellScrollArea.h"

#include "PreferencesTestSupport.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

#include <cstdio>

namespace quillmark::testing {
namespace {

class PreferencesWindowControllerTest : public ::testing::Test {
protected:
    void SetUp() override { widgetTestApplication(); }
    void makeController() {
        controller = std::make_unique<PreferencesWindowController>(harness.store, harness.monitor, harness.loginItem,
                                                                   harness.queue);
    }
    QWidget& window() const { return controller->window(); }
    void setSPL(bool on) {
        harness.store.splReadoutEnabled.set(on);
        harness.queue.runPending();
    }

    PreferencesHarness harness;
    std::unique_ptr<PreferencesWindowController> controller;
};

TEST_F(PreferencesWindowControllerTest, AFixedWidthTitledWindowAsHighAsItsContent) {
    makeController();
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Quillmark Preferences"));
    EXPECT_TRUE(window().isWindow());
    EXPECT_EQ(window().width(), 880);
    EXPECT_GE(window().height(), PreferencesWindowController::minimumContentHeight);
    EXPECT_EQ(window().height(), std::max(400, controller->view().fittingHeight()));
    EXPECT_EQ(window().minimumSize(), window().maximumSize());  // not resizable by the user
    controller->show();
    EXPECT_TRUE(window().isVisible());
    window().close();  // closing hides; the same window comes back
    EXPECT_FALSE(window().isVisible());
    controller->show();
    EXPECT_TRUE(window().isVisible());
}

TEST_F(PreferencesWindowControllerTest, TheSPLRowsGrowAndShrinkTheWindowBelowAFixedTopEdge) {
    makeController();
    controller->show();
    window().move(100, 60);  // low enough to grow without leaving the screen
    const QRect before = window().geometry();
    // The value current at construction, and an equal one, change nothing.
    setSPL(false);
    EXPECT_EQ(window().geometry(), before);

    setSPL(true);
    const QRect grown = window().geometry();
    EXPECT_EQ(grown.top(), before.top());
    EXPECT_EQ(grown.left(), before.left());
    EXPECT_EQ(grown.width(), 880);
    EXPECT_GT(grown.height(), before.height() + 24);  // the field row and its caption
    EXPECT_EQ(grown.height(), controller->view().fittingHeight());

    setSPL(false);
    EXPECT_EQ(window().geometry(), before);
}

TEST_F(PreferencesWindowControllerTest, OpensCentredFrameAndAllAndGrowsUpwardsWhereItsBottomWouldLeaveTheScreen) {
    makeController();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    // Before the frame is known, room is kept for a tall one.
    const QRect estimated = window().geometry().marginsAdded(PreferencesWindowController::estimatedFrame);
    EXPECT_TRUE(available.contains(QRect(window().pos(), estimated.size()))) << "opens on the screen";
    EXPECT_NEAR(window().pos().y() + estimated.height() / 2.0, available.center().y(), 1);
    controller->show();
    EXPECT_EQ(controller->frameMargins(), QMargins(2, 2, 2, 2)) << "the frame this platform draws";

    window().move(100, available.bottom() - window().frameGeometry().height() - 10);
    const int bottomBefore = window().frameGeometry().bottom();
    setSPL(true);
    const QRect grown = window().frameGeometry();
    EXPECT_EQ(grown.bottom(), available.bottom()) << "moved up as far as it grew past the screen";
    EXPECT_GT(grown.bottom(), bottomBefore);
    EXPECT_EQ(window().height(), controller->view().fittingHeight());
    EXPECT_EQ(grown.left(), 100);
    setSPL(false);
    EXPECT_EQ(window().frameGeometry().top(), grown.top()) << "shrinking keeps the top edge";
    EXPECT_FALSE(controller->scrollArea().verticalScrollBar()->maximum() > 0) << "the whole content shows";
}

TEST_F(PreferencesWindowControllerTest, ShownFromHiddenNoFieldHasTheFocusShownAgainTheFocusStays) {
    makeController();
    auto noField = [this] { return !qobject_cast<QLineEdit*>(QApplication::focusWidget()); };
    auto showAndSettle = [this] {
        controller->show();
        QApplication::processEvents();  // the activation, which would focus the first field
        harness.queue.runPending();
        QApplication::processEvents();
    };
    showAndSettle();
    EXPECT_TRUE(noField());
    auto* duration = controller->view().findChild<VellNumericField*>(QStringLiteral("durationField"));
    duration->lineEdit().setFocus();
    showAndSettle();  // already visible
    EXPECT_EQ(window().focusWidget(), &duration->lineEdit());
    window().hide();
    showAndSettle();
    EXPECT_TRUE(noField());
    EXPECT_NE(window().focusWidget(), &duration->lineEdit());
}

TEST_F(PreferencesWindowControllerTest, TheAppearanceAtConstructionAndEveryLaterOneIsDrawn) {
    harness.store.hudAppearance.set(HUDAppearance::dark);
    makeController();
    const QImage dark = render(controller->view(), Qt::magenta);
    EXPECT_EQ(pixel(dark, 2, 2), token(HUDTokens::bg, true));
    controller->applyAppearance(HUDAppearance::light);
    const QImage light = render(controller->view(), Qt::magenta);
    EXPECT_EQ(pixel(light, 2, 2), token(HUDTokens::bg, false));
    EXPECT_EQ(controller->view().recorder(HotkeyAction::mute).appearance(), HUDAppearance::light);
}

// The whole window, light and dark, with and without the SPL rows, and one recording, as PNG files
// under <build>/preferences-renderings/ for a person to look at.
TEST_F(PreferencesWindowControllerTest, Renderings) {
    const QString binaryDir = qEnvironmentVariable("QUILLMARK_BINARY_DIR", QDir::currentPath());
    QDir directory(QDir(binaryDir).filePath(QStringLiteral("preferences-renderings")));
    ASSERT_TRUE(directory.mkpath(QStringLiteral(".")));
    harness.reportLevel(-18.5);
    auto references = harness.store.referenceLevels.value();
    references[0].level = -20;
    references[1] = {"Mix", -12.5};
    harness.store.referenceLevels.set(references);
    harness.store.splReferenceAt0dBFS.set(103);
    makeController();
    controller->show();
    harness.queue.runPending();
    auto save = [&](const QString& name) {
        QApplication::processEvents();  // layouts follow the texts that changed
        const QImage image = render(window(), Qt::magenta, 2);
        const QString file = directory.filePath(name);
        ASSERT_TRUE(image.save(file)) << file.toStdString();
        EXPECT_EQ(QImage(file).size(), window().size() * 2);
    };
    for (auto [appearance, name] : {std::pair{HUDAppearance::light, "light"}, std::pair{HUDAppearance::dark, "dark"}}) {
        controller->applyAppearance(appearance);
        setSPL(false);
        save(QStringLiteral("preferences-%1.png").arg(QLatin1String(name)));
        setSPL(true);
        save(QStringLiteral("preferences-%1-spl.png").arg(QLatin1String(name)));
    }
    auto& mute = controller->view().recorder(HotkeyAction::mute);
    click(mute, mute.cellRect().center());
    ASSERT_TRUE(mute.isRecording());
    save(QStringLiteral("preferences-dark-recording.png"));
    click(mute, mute.cellRect().center());
    // A binding another program holds, and the notice the recorder gives for a key it cannot use.
    controller->view().showHeldElsewhere({HotkeyAction::talkback});
    controller->view().hotkeyRow(HotkeyAction::dim).setNotice(QStringLiteral("This key can't be used as a hotkey"));
    for (auto [appearance, name] : {std::pair{HUDAppearance::light, "light"}, std::pair{HUDAppearance::dark, "dark"}}) {
        controller->applyAppearance(appearance);
        save(QStringLiteral("preferences-%1-notices.png").arg(QLatin1String(name)));
    }
    std::printf("Preferences renderings in %s\n", qPrintable(directory.absolutePath()));
}

}  // namespace
}  // namespace quillmark::testing
