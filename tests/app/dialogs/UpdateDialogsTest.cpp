// The updater's windows in the dialogs' look, offscreen: the offer's buttons and keys, the notices and
// the download's progress window with its drawn bar.
#include "TestApplication.h"
#include "WidgetTestSupport.h"

#include "app/dialogs/DialogWindow.h"
#include "app/dialogs/UpdateDialogs.h"
#include "app/look/HUDFonts.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace quillmark::testing {
namespace {

using Choice = UpdaterUserDriver::UpdateChoice;
using namespace std::chrono_literals;

class UpdateDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testApplication<QApplication>(); }

    // Once the dialog runs, notes what it shows, then presses `key`.
    void answerWith(Qt::Key key) {
        whenDialogOpens([this, key](DialogWindow& window) {
            shownTitle_ = window.panel().title().shownText();
            shownMessage_ = window.panel().message().shownText();
            shownButtons_.clear();
            buttonsFit_ = true;
            for (const DialogButton* button : window.panel().buttons()) {
                shownButtons_ << button->text();
                buttonsFit_ = buttonsFit_ && button->bodyGeometry().left() >= DialogPanel::padding;
            }
            pressKey(window, key);
        });
    }

    template <class Condition>
    bool waitFor(Condition condition) {
        return pollUntil(condition, 5000ms, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
    }

    UpdateDialogs dialogs_{[] { return HUDAppearance::dark; }};
    AppcastItem item_ = [] {
        AppcastItem item;
        item.version = "120";
        item.shortVersionString = "1.2";
        return item;
    }();
    QString shownTitle_;
    QString shownMessage_;
    QStringList shownButtons_;
    bool buttonsFit_ = false;
};

TEST_F(UpdateDialogsTest, TheOfferInstallsOnReturnAndRemindsLaterOnEscape) {
    const struct {
        Qt::Key key;
        Choice expected;
    } table[] = {{Qt::Key_Return, Choice::install}, {Qt::Key_Escape, Choice::remindLater}};
    for (const auto& [key, expected] : table) {
        std::optional<Choice> answer;
        answerWith(key);
        dialogs_.showUpdateFound(item_, true, [&](Choice choice) { answer = choice; });
        EXPECT_FALSE(answer) << "the alert opens once the caller has returned";
        ASSERT_TRUE(waitFor([&] { return answer.has_value(); }));
        EXPECT_EQ(answer, expected);
        EXPECT_EQ(shownTitle_, "A NEW VERSION OF QUILLMARK IS AVAILABLE");
        EXPECT_TRUE(shownMessage_.startsWith("Quillmark 1.2 is available.")) << shownMessage_.toStdString();
        EXPECT_EQ(shownButtons_, (QStringList{"Skip This Version", "Remind Me Later", "Install Update"}));
        EXPECT_TRUE(buttonsFit_) << "all three buttons fit inside the panel's padding";
        EXPECT_FALSE(openDialog());
    }
}

TEST_F(UpdateDialogsTest, ACriticalUpdateHasNoSkipButton) {
    item_.criticalUpdate = true;
    std::optional<Choice> answer;
    answerWith(Qt::Key_Escape);
    dialogs_.showUpdateFound(item_, false, [&](Choice choice) { answer = choice; });
    ASSERT_TRUE(waitFor([&] { return answer.has_value(); }));
    EXPECT_EQ(shownButtons_, (QStringList{"Remind Me Later", "Install Update"}));
}

TEST_F(UpdateDialogsTest, NoticesSayWhatHappened) {
    int acknowledged = 0;
    answerWith(Qt::Key_Return);
    dialogs_.showUpToDate([&] { ++acknowledged; });
    ASSERT_TRUE(waitFor([&] { return acknowledged == 1; }));
    EXPECT_EQ(shownTitle_, "YOU'RE UP TO DATE");

    answerWith(Qt::Key_Escape);
    dialogs_.showUpdaterError("The update feed is not an RSS document.", [&] { ++acknowledged; });
    ASSERT_TRUE(waitFor([&] { return acknowledged == 2; }));
    EXPECT_EQ(shownMessage_, "The update feed is not an RSS document.");
}

TEST_F(UpdateDialogsTest, TheProgressWindowFillsItsBarAndCancels) {
    int cancelled = 0;
    dialogs_.showDownloadStarted([&] { ++cancelled; });
    UpdateProgressWindow* window = dialogs_.progressWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    dialogs_.showDownloadProgress(500'000, 2'000'000);
    EXPECT_DOUBLE_EQ(window->bar().fraction(), 0.25);
    EXPECT_EQ(window->panel().message().shownText(), "500 KB of 2.0 MB");

    const QImage image = window->grab().toImage();
    const QRect bar = window->bar().geometry();
    const QPoint filled = window->bar().mapTo(window, QPoint(bar.width() / 8, bar.height() / 2));
    const QPoint empty = window->bar().mapTo(window, QPoint(bar.width() * 3 / 4, bar.height() / 2));
    const qreal scale = image.devicePixelRatio();
    EXPECT_EQ(image.pixelColor(filled * scale), HUDTokens::resolve(HUDTokens::accent, true));
    EXPECT_EQ(image.pixelColor(empty * scale), HUDTokens::resolve(HUDTokens::bgRecessed, true));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &escape);
    EXPECT_EQ(cancelled, 1);
    window->panel().buttons().back()->click();
    EXPECT_EQ(cancelled, 2);
    dialogs_.dismissDownload();
    EXPECT_FALSE(dialogs_.progressWindow());
}

// The complete download is checked and installed off the main thread: the window says so, its bar is
// full, and nothing is left to cancel.
TEST_F(UpdateDialogsTest, TheProgressWindowSaysWhenTheDownloadIsCheckedAndInstalled) {
    int cancelled = 0;
    dialogs_.showDownloadStarted([&] { ++cancelled; });
    UpdateProgressWindow* window = dialogs_.progressWindow();
    ASSERT_TRUE(window);
    dialogs_.showDownloadProgress(2'000'000, 2'000'000);
    dialogs_.showInstallStep(UpdaterUserDriver::InstallStep::verifying);
    EXPECT_EQ(window->panel().title().shownText(), "CHECKING UPDATE");
    EXPECT_EQ(window->panel().message().shownText(), "Checking the download's size and signature\u2026");
    EXPECT_DOUBLE_EQ(window->bar().fraction(), 1.0);
    EXPECT_FALSE(window->isCancellable());
    EXPECT_FALSE(window->panel().buttons().back()->isVisible());

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &escape);
    window->close();
    EXPECT_EQ(cancelled, 0);
    EXPECT_TRUE(window->isVisible());

    dialogs_.showInstallStep(UpdaterUserDriver::InstallStep::installing);
    EXPECT_EQ(window->panel().title().shownText(), "INSTALLING UPDATE");
    EXPECT_EQ(window->panel().message().shownText(), "Writing the new version in place of this one\u2026");
    dialogs_.dismissDownload();
    EXPECT_FALSE(dialogs_.progressWindow());
}

// For a person to look at: <build>/dialog-renderings/update-offer.png and update-progress.png.
TEST_F(UpdateDialogsTest, SavesRenderingsOfTheOfferAndTheProgressWindow) {
    HUDFonts::ensureRegistered();
    QDir directory(
        QDir(qEnvironmentVariable("QUILLMARK_BINARY_DIR", QDir::currentPath())).filePath("dialog-renderings"));
    ASSERT_TRUE(directory.mkpath("."));
    item_.releaseNotesLink = "https://example.com/notes/1.2.html";
    std::optional<Choice> answer;
    whenDialogOpens([&](DialogWindow& window) {
        EXPECT_TRUE(rendered(window).save(directory.filePath("update-offer.png")));
        pressKey(window, Qt::Key_Escape);
    });
    dialogs_.showUpdateFound(item_, true, [&](Choice choice) { answer = choice; });
    ASSERT_TRUE(waitFor([&] { return answer.has_value(); }));

    dialogs_.showDownloadStarted([] {});
    dialogs_.showDownloadProgress(1'400'000, 3'900'000);
    EXPECT_TRUE(dialogs_.progressWindow()->grab().toImage().save(directory.filePath("update-progress.png")));
    dialogs_.dismissDownload();
}

TEST(UpdateProgressWindowTest, ProgressTexts) {
    EXPECT_EQ(UpdateProgressWindow::progressText(0, 0), "0 KB");
    EXPECT_EQ(UpdateProgressWindow::progressText(999'999, 0), "999 KB");
    EXPECT_EQ(UpdateProgressWindow::progressText(1'240'000, 40'000'000), "1.2 MB of 40.0 MB");
}

}  // namespace
}  // namespace quillmark::testing
