// The updater's windows, offscreen: the offer's keys and buttons, the notices, the progress window, and
// the hang-tracking pause around every modal alert.
#include "TestApplication.h"

#include "app/services/UpdaterAlerts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <optional>

namespace quillmark::testing {
namespace {

using Choice = UpdaterUserDriver::UpdateChoice;

class UpdaterAlertsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testApplication<QApplication>(); }

    UpdaterAlerts::ModalAlertHooks recordingHooks() {
        return {[this] {
                    events_.push_back("pause");
                    alertVisibleAtPause_ = alerts_.currentAlert() && alerts_.currentAlert()->isVisible();
                },
                [this] { events_.push_back("resume"); }};
    }

    void press(Qt::Key key) {
        ASSERT_TRUE(alerts_.currentAlert());
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(alerts_.currentAlert(), &event);
        QCoreApplication::processEvents();
    }

    QStringList buttonTexts() const {
        QStringList texts;
        for (auto* button : alerts_.currentAlert()->findChildren<QAbstractButton*>())
            if (!button->text().isEmpty()) texts << button->text();
        texts.sort();
        return texts;
    }

    std::vector<std::string> events_;
    bool alertVisibleAtPause_ = true;
    UpdaterAlerts alerts_{recordingHooks()};
    AppcastItem item_ = [] {
        AppcastItem item;
        item.version = "120";
        item.shortVersionString = "1.2";
        return item;
    }();
};

TEST_F(UpdaterAlertsTest, ReturnInstallsEscapeRemindsLaterAndTrackingPausesAroundTheAlert) {
    const struct {
        Qt::Key key;
        Choice expected;
    } table[] = {{Qt::Key_Return, Choice::install}, {Qt::Key_Escape, Choice::remindLater}};
    for (const auto& [key, expected] : table) {
        events_.clear();
        std::optional<Choice> answer;
        alerts_.showUpdateFound(item_, true, [&](Choice choice) {
            events_.push_back("reply");
            answer = choice;
        });
        ASSERT_TRUE(alerts_.currentAlert());
        EXPECT_TRUE(alerts_.currentAlert()->isVisible());
        EXPECT_FALSE(alertVisibleAtPause_) << "tracking pauses before the alert opens";
        EXPECT_EQ(buttonTexts(), (QStringList{"Install Update", "Remind Me Later", "Skip This Version"}));
        press(key);
        EXPECT_EQ(answer, expected);
        EXPECT_EQ(events_, (std::vector<std::string>{"pause", "resume", "reply"}));
        EXPECT_FALSE(alerts_.currentAlert());
    }
}

TEST_F(UpdaterAlertsTest, SkipIsOfferedOnlyForUpdatesThatAreNotCritical) {
    std::optional<Choice> answer;
    alerts_.showUpdateFound(item_, true, [&](Choice choice) { answer = choice; });
    auto* box = qobject_cast<QMessageBox*>(alerts_.currentAlert());
    ASSERT_TRUE(box);
    for (auto* button : box->buttons())
        if (button->text() == "Skip This Version") button->click();
    EXPECT_EQ(answer, Choice::skip);

    item_.criticalUpdate = true;
    alerts_.showUpdateFound(item_, false, [&](Choice choice) { answer = choice; });
    EXPECT_EQ(buttonTexts(), (QStringList{"Install Update", "Remind Me Later"}));
    press(Qt::Key_Escape);
}

TEST_F(UpdaterAlertsTest, NoticesAreModalAlertsToo) {
    int acknowledged = 0;
    alerts_.showUpToDate([&] { ++acknowledged; });
    auto* box = qobject_cast<QMessageBox*>(alerts_.currentAlert());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), "You're up to date");
    press(Qt::Key_Return);
    alerts_.showUpdaterError("The update feed is not an RSS document.", [&] { ++acknowledged; });
    box = qobject_cast<QMessageBox*>(alerts_.currentAlert());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->informativeText(), "The update feed is not an RSS document.");
    press(Qt::Key_Escape);
    EXPECT_EQ(acknowledged, 2);
    EXPECT_EQ(events_, (std::vector<std::string>{"pause", "resume", "pause", "resume"}));
}

TEST_F(UpdaterAlertsTest, TheProgressWindowShowsBytesOfTheTotalAndCancels) {
    int cancelled = 0;
    alerts_.showDownloadStarted([&] { ++cancelled; });
    ASSERT_TRUE(alerts_.progressWindow());
    EXPECT_TRUE(alerts_.progressWindow()->isVisible());
    alerts_.showDownloadProgress(512 * 1024, 2048 * 1024);
    EXPECT_EQ(alerts_.progressWindow()->value() * 4, alerts_.progressWindow()->maximum());
    EXPECT_TRUE(alerts_.progressWindow()->labelText().contains("524 of 2097 KB"))
        << alerts_.progressWindow()->labelText().toStdString();
    for (auto* button : alerts_.progressWindow()->findChildren<QAbstractButton*>())
        if (button->text() == "Cancel") button->click();
    EXPECT_EQ(cancelled, 1);
    alerts_.dismissDownload();
    EXPECT_FALSE(alerts_.progressWindow());
    EXPECT_TRUE(events_.empty()) << "the progress window is no modal alert";
}

}  // namespace
}  // namespace quillmark::testing
