// The consent dialog run for real, offscreen: its answers, the close requests it ignores, its layout,
// its appearance and the hover, press and shadow of its two buttons.
#include "WidgetTestSupport.h"

#include "app/dialogs/ConsentDialog.h"
#include "app/dialogs/DialogPrimaryButtonStyle.h"
#include "app/dialogs/DialogSecondaryButtonStyle.h"
#include "app/dialogs/WindowAppearance.h"
#include "app/look/HUDTokens.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <functional>

namespace quillmark::testing {
namespace {

const QString kTitle = QStringLiteral("Crash reports");
const QString kMessage = QStringLiteral("Send anonymous crash reports so that faults get fixed?");

bool runAnswering(const std::function<void(DialogWindow&)>& answer, HUDAppearance appearance = HUDAppearance::light,
                  const QString& message = kMessage) {
    whenDialogOpens(answer);
    return ConsentDialog::run(kTitle, message, QStringLiteral("Send"), QStringLiteral("Don't send"), appearance);
}

DialogButton& cancelButton(DialogWindow& dialog) { return *dialog.panel().buttons().at(0); }
DialogButton& confirmButton(DialogWindow& dialog) { return *dialog.panel().buttons().at(1); }

struct AnswerCase {
    const char* name;
    std::function<void(DialogWindow&)> answer;
    bool expected;
};

class ConsentDialogAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ConsentDialogAnswers, EachWayOutGivesItsAnswer) {
    widgetTestApplication();
    EXPECT_EQ(runAnswering(GetParam().answer), GetParam().expected);
    EXPECT_EQ(openDialog(), nullptr);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(dynamic_cast<DialogWindow*>(window) && window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ConsentDialogAnswers,
    ::testing::Values(AnswerCase{"Return", [](DialogWindow& d) { pressKey(d, Qt::Key_Return); }, true},
                      AnswerCase{"Enter", [](DialogWindow& d) { pressKey(d, Qt::Key_Enter, Qt::KeypadModifier); },
                                 true},
                      AnswerCase{"Escape", [](DialogWindow& d) { pressKey(d, Qt::Key_Escape); }, false},
                      AnswerCase{"ClickConfirm", [](DialogWindow& d) { click(confirmButton(d)); }, true},
                      AnswerCase{"ClickCancel", [](DialogWindow& d) { click(cancelButton(d)); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConsentDialog, IgnoresCloseRequestsAndOtherKeys) {
    widgetTestApplication();
    bool stillOpen = false;
    const bool answer = runAnswering([&](DialogWindow& dialog) {
        dialog.close();  // what a window manager's close button or Alt+F4 asks for
        pressKey(dialog, Qt::Key_W, Qt::ControlModifier);
        pressKey(dialog, Qt::Key_Space);
        pressKey(dialog, Qt::Key_Return, Qt::ShiftModifier);
        QCoreApplication::processEvents();
        stillOpen = dialog.isVisible() && dialog.isRunningModal();
        pressKey(dialog, Qt::Key_Return);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(answer);
}

TEST(ConsentDialog, TimersPostedBeforeItKeepFiringWhileItBlocks) {
    widgetTestApplication();
    int fired = 0;
    bool firedWhileOpen = false;
    QTimer::singleShot(0, [&] {
        ++fired;
        firedWhileOpen = openDialog() != nullptr;
    });
    QTimer::singleShot(30, [&] { ++fired; });
    const bool answer = runAnswering([&](DialogWindow& dialog) {
        // Answer only once both timers have fired inside the dialog's loop.
        auto* wait = new QTimer(&dialog);
        QObject::connect(wait, &QTimer::timeout, [&, wait] {
            if (fired < 2) return;
            wait->stop();
            pressKey(dialog, Qt::Key_Escape);
        });
        wait->start(1);
    });
    EXPECT_FALSE(answer);
    EXPECT_EQ(fired, 2);
    EXPECT_TRUE(firedWhileOpen);
}

TEST(ConsentDialog, OpensModalCentredWithNoControlFocused) {
    widgetTestApplication();
    Qt::WindowModality modality = Qt::NonModal;
    QWidget* focused = nullptr;
    bool focusedIsButton = true;
    Qt::WindowFlags flags;
    runAnswering([&](DialogWindow& dialog) {
        modality = dialog.windowModality();
        focused = QApplication::focusWidget();
        focusedIsButton = dynamic_cast<DialogButton*>(focused) != nullptr;
        flags = dialog.windowFlags();
        pressKey(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_FALSE(focusedIsButton);
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST(ConsentDialog, IsFixedWideAndAsHighAsItsContent) {
    widgetTestApplication();
    QSize shortSize;
    QSize longSize;
    QString shownTitle;
    QStringList shownButtons;
    QRect confirmBody;
    QRect cancelBody;
    QRect marker;
    double titleBaseline = 0;
    runAnswering([&](DialogWindow& dialog) {
        shortSize = dialog.size();
        shownTitle = dialog.panel().title().shownText();
        for (DialogButton* button : dialog.panel().buttons()) shownButtons << button->text().toUpper();
        cancelBody = cancelButton(dialog).bodyGeometry();
        confirmBody = confirmButton(dialog).bodyGeometry();
        marker = dialog.panel().markerGeometry();
        titleBaseline =
            dialog.panel().title().y() + dialog.panel().title().firstBaseline(dialog.panel().title().width());
        pressKey(dialog, Qt::Key_Escape);
    });
    const QString paragraphs = kMessage + QStringLiteral("\n\n") + kMessage + QStringLiteral("\n\n") + kMessage;
    runAnswering(
        [&](DialogWindow& dialog) {
            longSize = dialog.size();
            pressKey(dialog, Qt::Key_Escape);
        },
        HUDAppearance::light, paragraphs);

    EXPECT_EQ(shortSize.width(), ConsentDialog::width);
    EXPECT_EQ(longSize.width(), ConsentDialog::width);
    EXPECT_GT(longSize.height(), shortSize.height() + 40);
    EXPECT_EQ(shownTitle, QStringLiteral("CRASH REPORTS"));
    EXPECT_EQ(shownButtons, (QStringList{QStringLiteral("DON'T SEND"), QStringLiteral("SEND")}));
    // The buttons: 28 high, trailing, confirm last, 10 apart, 24 from the right and bottom edges.
    EXPECT_EQ(confirmBody.height(), 28);
    EXPECT_EQ(confirmBody.right() + 1, ConsentDialog::width - 24);
    EXPECT_EQ(confirmBody.left() - (cancelBody.right() + 1), 10);
    EXPECT_EQ(confirmBody.bottom() + 1, shortSize.height() - 24);
    // The marker: 6 × 6 at the leading padding, its bottom on the title's first baseline.
    EXPECT_EQ(marker, QRect(24, marker.y(), 6, 6));
    EXPECT_NEAR(marker.bottom() + 1, titleBaseline, 1);
}

TEST(ConsentDialog, DrawsInTheAppearanceAskedFor) {
    widgetTestApplication();
    for (auto [appearance, dark] : {std::pair{HUDAppearance::light, false}, std::pair{HUDAppearance::dark, true}}) {
        QImage image;
        QPoint marker;
        runAnswering(
            [&](DialogWindow& dialog) {
                image = rendered(dialog);
                marker = dialog.panel().markerGeometry().center();
                pressKey(dialog, Qt::Key_Escape);
            },
            appearance);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.pixelColor(0, 0), HUDTokens::resolve(HUDTokens::border, dark));  // the inner border
        EXPECT_EQ(image.pixelColor(5, image.height() / 2), HUDTokens::resolve(HUDTokens::bg, dark));
        EXPECT_EQ(image.pixelColor(marker), HUDTokens::resolve(HUDTokens::accent, dark));
    }
}

// One button of each style, in a light window, hovered and pressed.
class ButtonFixture : public ::testing::Test {
protected:
    void SetUp() override {
        widgetTestApplication();
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.resize(300, 100);
        WindowAppearance::apply(window, HUDAppearance::light);
        primary = DialogButton::primary(QStringLiteral("Allow"), &window).release();
        secondary = DialogButton::secondary(QStringLiteral("Not now"), &window).release();
        primary->setBodyGeometry(QRect(QPoint(150, 40), primary->bodySize()));
        secondary->setBodyGeometry(QRect(QPoint(20, 40), secondary->bodySize()));
        window.show();
    }
    QColor light(const HUDTokens::Token& token) { return HUDTokens::resolve(token, false); }
    // A pixel of the window, in the window's coordinates.
    QColor at(QPoint point) { return rendered(window).pixelColor(point); }

    QWidget window;
    DialogButton* primary = nullptr;
    DialogButton* secondary = nullptr;
};

TEST_F(ButtonFixture, HoverLiftsTheButtonOverAHardShadowWithoutMovingIt) {
    const QRect body = primary->bodyGeometry();
    const QRect geometry = primary->geometry();
    const QPoint belowRight = body.bottomRight() + QPoint(2, 2);  // only the shadow reaches here
    const QPoint topLeft = body.topLeft();                        // the button leaves it when lifted
    EXPECT_EQ(at(topLeft), light(HUDTokens::accent));
    EXPECT_NE(at(belowRight), light(HUDTokens::accentDim));

    hover(*primary);
    EXPECT_TRUE(primary->isHovering());
    EXPECT_TRUE(primary->shadow().isAnimating());
    ASSERT_TRUE(settle(*primary));
    EXPECT_DOUBLE_EQ(primary->shadow().progress(), 1.0);
    EXPECT_EQ(at(belowRight), light(HUDTokens::accentDim));
    EXPECT_EQ(at(topLeft - QPoint(1, 1)), light(HUDTokens::accent));
    EXPECT_EQ(at(body.bottomRight()), light(HUDTokens::accentDim));  // uncovered by the lifted button
    EXPECT_EQ(primary->geometry(), geometry);

    unhover(*primary);
    ASSERT_TRUE(settle(*primary));
    EXPECT_DOUBLE_EQ(primary->shadow().progress(), 0.0);
    EXPECT_NE(at(belowRight), light(HUDTokens::accentDim));
    EXPECT_EQ(at(topLeft), light(HUDTokens::accent));
}

TEST_F(ButtonFixture, ShadowTakesATenthOfASecond) {
    EXPECT_EQ(DialogHardShadow::durationMs, 100);
    hover(*primary);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(settle(*primary));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
}

TEST_F(ButtonFixture, PressedPrimaryDimsAndSecondaryFills) {
    press(*primary);
    EXPECT_DOUBLE_EQ(primary->currentLook().opacity, 0.88);
    const QColor dimmed = at(primary->bodyGeometry().center());
    EXPECT_NE(dimmed, light(HUDTokens::accent));
    release(*primary);
    EXPECT_DOUBLE_EQ(primary->currentLook().opacity, 1.0);

    EXPECT_EQ(secondary->currentLook().background, std::nullopt);
    press(*secondary);
    EXPECT_EQ(secondary->currentLook().background, light(HUDTokens::bgHeader));
    EXPECT_EQ(at(secondary->bodyGeometry().topLeft() + QPoint(3, 3)), light(HUDTokens::bgHeader));
    release(*secondary);
}

TEST_F(ButtonFixture, HoveredSecondaryTurnsToTheAccent) {
    const QRect body = secondary->bodyGeometry();
    EXPECT_EQ(secondary->currentLook().text, light(HUDTokens::fg));
    EXPECT_EQ(at(body.topLeft()), light(HUDTokens::border));
    hover(*secondary);
    ASSERT_TRUE(settle(*secondary));
    const DialogButtonStyle::Look look = secondary->currentLook();
    EXPECT_EQ(look.text, light(HUDTokens::accent));
    EXPECT_EQ(look.border, light(HUDTokens::accentDim));
    EXPECT_EQ(look.shadow, light(HUDTokens::border));
    // The border moves with the lifted button; the shadow shows below and right.
    EXPECT_EQ(at(body.topLeft() - QPoint(1, 1)), light(HUDTokens::accentDim));
    EXPECT_EQ(at(body.bottomRight() + QPoint(2, 2)), light(HUDTokens::border));
}

TEST_F(ButtonFixture, OnlyTheBodyTakesClicks) {
    int clicks = 0;
    QObject::connect(primary, &DialogButton::clicked, [&] { ++clicks; });
    click(*primary);
    EXPECT_EQ(clicks, 1);
    const QPointF shadowCorner(primary->width() - 1, primary->height() - 1);
    QMouseEvent down(QEvent::MouseButtonPress, shadowCorner, primary->mapToGlobal(shadowCorner), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(primary, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, shadowCorner, primary->mapToGlobal(shadowCorner), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(primary, &up);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(primary->focusPolicy(), Qt::NoFocus);
}

}  // namespace
}  // namespace quillmark::testing
