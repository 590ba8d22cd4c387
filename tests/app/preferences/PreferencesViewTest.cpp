#include "app/preferences/PreferencesView.h"

#include "app/preferences/HotkeyRecorderField.h"
#include "app/preferences/HotkeyRow.h"
#include "app/preferences/MonoLabel.h"
#include "app/preferences/kit/Caption.h"
#include "app/preferences/kit/Row.h"
#include "app/preferences/kit/VellButton.h"
#include "app/preferences/kit/VellCheckbox.h"
#include "app/preferences/kit/VellLabelField.h"
#include "app/preferences/kit/VellNumericField.h"
#include "app/preferences/kit/VellSegmented.h"

#include "CommaLocale.h"
#include "PreferencesTestSupport.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;

class PreferencesViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        widgetTestApplication();
        view = std::make_unique<PreferencesView>(harness.store, harness.loginItem, harness.monitor, harness.queue);
        view->show();
    }
    template <class T>
    T& child(const char* name) const {
        T* found = view->findChild<T*>(QString::fromLatin1(name));
        if (!found) ADD_FAILURE() << "no " << name;
        return *found;
    }
    VellNumericField& field(const char* name) const { return child<VellNumericField>(name); }
    void submit(const char* name, const QString& text) {
        VellNumericField& f = field(name);
        retype(f.lineEdit(), text);
        press(f.lineEdit(), Qt::Key_Return);
        harness.queue.runPending();
    }
    void typeSPL(const QString& text) {
        retype(field("splField").lineEdit(), text);
        harness.queue.runPending();
    }
    void set(Published<bool>& setting, bool on) {
        setting.set(on);
        harness.queue.runPending();
    }
    static void clickButton(VellButton& button) {
        click(button, QPointF(button.width() / 2.0, button.QWidget::height() / 2.0));
    }

    PreferencesHarness harness;
    std::unique_ptr<PreferencesView> view;
};

TEST_F(PreferencesViewTest, DurationsOutsideTheRangeOrNotNumbersPutTheStoredOneBack) {
    EXPECT_EQ(field("durationField").text(), QStringLiteral("2"));
    for (const char* refused : {"0.2", "61", "two", "", "nan", "1,5"}) {
        SCOPED_TRACE(refused);
        submit("durationField", QString::fromLatin1(refused));
        EXPECT_EQ(field("durationField").text(), QStringLiteral("2"));
        EXPECT_EQ(harness.store.hudDurationSeconds.value(), 2);
    }
    const std::pair<const char*, double> accepted[] = {{" 3 ", 3}, {"60", 60}, {"0.25", 0.25}, {"2.5", 2.5}};
    for (const auto& [text, seconds] : accepted) {
        SCOPED_TRACE(text);
        submit("durationField", QString::fromLatin1(text));
        EXPECT_EQ(harness.store.hudDurationSeconds.value(), seconds);
    }
    EXPECT_EQ(field("durationField").text(), QStringLiteral("2.50"));
}

TEST_F(PreferencesViewTest, StepsMustBeAboveZeroAndWithinTheLevelsRange) {
    for (const char* refused : {"0", "-1", "", "inf", "97", "1e3"}) {
        SCOPED_TRACE(refused);
        submit("fineStepField", QString::fromLatin1(refused));
        EXPECT_EQ(field("fineStepField").text(), QStringLiteral("1"));
        EXPECT_EQ(harness.store.volumeStepFineDB.value(), 1);
    }
    submit("fineStepField", QStringLiteral("0.5"));
    EXPECT_EQ(harness.store.volumeStepFineDB.value(), 0.5);
    EXPECT_EQ(field("fineStepField").text(), QStringLiteral("0.50"));
    submit("coarseStepField", QStringLiteral("96"));
    EXPECT_EQ(harness.store.volumeStepCoarseDB.value(), 96);
    // The same value as stored: accepted, and the field keeps what was typed.
    submit("coarseStepField", QStringLiteral("96.0"));
    EXPECT_EQ(field("coarseStepField").text(), QStringLiteral("96.0"));
    // A change made elsewhere reaches the field.
    harness.store.volumeStepCoarseDB.set(6);
    EXPECT_EQ(field("coarseStepField").text(), QStringLiteral("6"));
}

TEST_F(PreferencesViewTest, NumbersReadAFullStopWhateverTheLocale) {
    CommaLocale comma;
    ASSERT_TRUE(comma.isActive()) << comma.failure();
    submit("durationField", QStringLiteral("1.5"));
    EXPECT_EQ(harness.store.hudDurationSeconds.value(), 1.5);
    EXPECT_EQ(field("durationField").text(), QStringLiteral("1.50"));
    submit("durationField", QStringLiteral("2,5"));
    EXPECT_EQ(harness.store.hudDurationSeconds.value(), 1.5);
    EXPECT_EQ(field("durationField").text(), QStringLiteral("1.50"));
}

TEST_F(PreferencesViewTest, TheSPLRowsFollowTheSwitchAndTheCaptionTellsTheState) {
    auto& status = child<Caption>("splStatus");
    EXPECT_FALSE(child<Row>("splRow").isVisible());
    set(harness.store.splReadoutEnabled, true);
    EXPECT_TRUE(child<Row>("splRow").isVisible());
    EXPECT_EQ(status.text(), QStringLiteral("Enter the SPL value Console is showing right now."));
    // No level reported yet: typing stores nothing.
    typeSPL(QStringLiteral("80"));
    EXPECT_EQ(harness.store.splReferenceAt0dBFS.value(), 0);
    EXPECT_EQ(status.text(), QStringLiteral("Enter the SPL value Console is showing right now."));
    EXPECT_EQ(field("splField").text(), QStringLiteral("80"));

    harness.reportLevel(-20);
    typeSPL(QStringLiteral("85"));
    EXPECT_EQ(harness.store.splReferenceAt0dBFS.value(), 105);
    EXPECT_EQ(status.text(), QStringLiteral("Calibrated. Reads 85 dB SPL at -20.0 dB monitor level."));
    EXPECT_EQ(field("splField").text(), QStringLiteral("85"));  // the view's own writes do not refill it
    press(field("splField").lineEdit(), Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));  // refused: kept as typed
    harness.queue.runPending();
    EXPECT_EQ(harness.store.splReferenceAt0dBFS.value(), 105);
    EXPECT_EQ(field("splField").text(), QStringLiteral("85x"));

    typeSPL(QString());
    EXPECT_EQ(harness.store.splReferenceAt0dBFS.value(), 0);
    EXPECT_EQ(status.text(), QStringLiteral("Enter the SPL value Console is showing right now."));

    set(harness.store.splReadoutEnabled, false);
    EXPECT_FALSE(child<Row>("splRow").isVisible());
    EXPECT_FALSE(status.isVisible());
}

TEST_F(PreferencesViewTest, SwitchingSPLOnCommitsTheRoundedReadingOnceTheSwitchIsStored) {
    harness.reportLevel(-10);
    harness.store.splReferenceAt0dBFS.set(83.6);  // reads 73.6, shown as 74
    harness.queue.runPending();
    set(harness.store.splReadoutEnabled, true);
    EXPECT_EQ(field("splField").text(), QStringLiteral("74"));
    EXPECT_DOUBLE_EQ(harness.store.splReferenceAt0dBFS.value(), 84);
    // Off empties the field and keeps the reference; on again refills it.
    set(harness.store.splReadoutEnabled, false);
    EXPECT_EQ(field("splField").text(), QString());
    EXPECT_DOUBLE_EQ(harness.store.splReferenceAt0dBFS.value(), 84);
    set(harness.store.splReadoutEnabled, true);
    EXPECT_EQ(field("splField").text(), QStringLiteral("74"));
    // A reference stored elsewhere refills the field.
    harness.store.splReferenceAt0dBFS.set(90);
    harness.queue.runPending();
    EXPECT_EQ(field("splField").text(), QStringLiteral("80"));
}

TEST_F(PreferencesViewTest, EveryChangeOfASettingOrTheLoginItemDrawsTheMonitorLevelOfThatMoment) {
    harness.reportLevel(-20);
    harness.store.splReferenceAt0dBFS.set(100);
    set(harness.store.splReadoutEnabled, true);
    auto& status = child<Caption>("splStatus");
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"bindings", [&] { harness.store.setBinding(std::nullopt, HotkeyAction::dim); }},
        {"fine step", [&] { harness.store.volumeStepFineDB.set(2); }},
        {"coarse step", [&] { harness.store.volumeStepCoarseDB.set(4); }},
        {"HUD duration", [&] { harness.store.hudDurationSeconds.set(3); }},
        {"HUD size", [&] { harness.store.hudSize.set(HUDSize::large); }},
        {"references", [&] { harness.store.referenceLevels.set(harness.store.referenceLevels.value()); }},
        {"automatic updates", [&] { harness.store.automaticUpdates.set(true); }},
        {"login item", [&] { harness.loginItem.refresh(); }},
    };
    double level = -20;
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        harness.reportLevel(--level);
        harness.queue.runPending();
        EXPECT_NE(status.text(), view->splStatusText()) << "a new level alone draws nothing";
        change();
        harness.queue.runPending();
        EXPECT_EQ(status.text(), view->splStatusText());
    }
}

TEST_F(PreferencesViewTest, ReferenceRowsSetClearAndCutTheirLabels) {
    auto& level = child<MonoLabel>("referenceLevel1");
    auto& setButton = child<VellButton>("referenceSet1");
    auto& clearButton = child<VellButton>("referenceClear1");
    EXPECT_EQ(level.text(), QStringLiteral("Not set"));
    EXPECT_EQ(level.textColour(), token(HUDTokens::fgMuted, false));
    EXPECT_FALSE(clearButton.isEnabled());
    EXPECT_FALSE(setButton.isEnabled());  // no level reported

    harness.reportLevel(-18.25);
    view->hide();
    view->show();  // drawn again, now with a level
    EXPECT_TRUE(setButton.isEnabled());
    clickButton(setButton);
    harness.queue.runPending();
    EXPECT_EQ(harness.store.referenceLevels.value()[0].level, -18.25);
    EXPECT_EQ(level.text(), QStringLiteral("−18.3 dB"));
    EXPECT_EQ(level.textColour(), token(HUDTokens::amber, false));
    EXPECT_TRUE(clearButton.isEnabled());
    clickButton(clearButton);
    harness.queue.runPending();
    EXPECT_FALSE(harness.store.referenceLevels.value()[0].level);
    EXPECT_EQ(level.text(), QStringLiteral("Not set"));

    auto& label = child<VellLabelField>("referenceLabel2");
    retype(label.lineEdit(), QString(25, QLatin1Char('m')));
    harness.queue.runPending();
    EXPECT_EQ(harness.store.referenceLevels.value()[1].label, std::string(20, 'm'));
    EXPECT_EQ(label.text(), QString(20, QLatin1Char('m')));
    EXPECT_EQ(view->hotkeyRow(HotkeyAction::recallReference2).label(),
              QStringLiteral("Recall: ") + QString(20, QLatin1Char('m')));
    retype(label.lineEdit(), QString());
    harness.queue.runPending();
    EXPECT_EQ(view->hotkeyRow(HotkeyAction::recallReference2).label(), QStringLiteral("Recall: "));
}

TEST_F(PreferencesViewTest, HotkeyRowsNameTheirActionAndConsoleDefault) {
    EXPECT_EQ(view->hotkeyRow(HotkeyAction::mute).label(), QStringLiteral("Mute"));
    EXPECT_EQ(view->hotkeyRow(HotkeyAction::mute).hint(), QStringLiteral("Console default: ⌘F10"));
    EXPECT_EQ(view->hotkeyRow(HotkeyAction::dim).hint(), std::nullopt);
    EXPECT_EQ(view->hotkeyRow(HotkeyAction::recallReference1).label(), QStringLiteral("Recall: Reference 1"));
}

TEST_F(PreferencesViewTest, AHeldBindingIsNamedInRedUnderItsRowUntilItRegistersAndOtherNoticesStay) {
    HotkeyRow& talkback = view->hotkeyRow(HotkeyAction::talkback);
    HotkeyRow& dim = view->hotkeyRow(HotkeyAction::dim);
    int heightChanges = 0;
    view->onContentHeightChanged = [&] { ++heightChanges; };
    const int plainHeight = talkback.heightForWidth(talkback.width());
    view->showHeldElsewhere({HotkeyAction::talkback});
    EXPECT_EQ(talkback.notice(), QStringLiteral("Another program or the system holds Ctrl+Alt+T."));
    auto* caption = talkback.findChild<Caption*>(QStringLiteral("hotkeyNotice"));
    ASSERT_NE(caption, nullptr);
    EXPECT_TRUE(caption->isVisible());
    EXPECT_EQ(caption->textColour(), token(HUDTokens::red, false));
    auto& field = view->recorder(HotkeyAction::talkback);
    EXPECT_EQ(field.textColour(), token(HUDTokens::red, false)) << "the binding itself in red";
    EXPECT_EQ(view->recorder(HotkeyAction::dim).textColour(), token(HUDTokens::amber, false)) << "not held";
    EXPECT_GT(talkback.heightForWidth(talkback.width()), plainHeight + 10);
    EXPECT_TRUE(dim.notice().isEmpty());

    // Bound anew while held: the notice names what the store holds.
    harness.store.setBinding(HotkeyBinding{101, 0x800, "F9"}, HotkeyAction::talkback);
    harness.queue.runPending();
    EXPECT_EQ(talkback.notice(), QStringLiteral("Another program or the system holds Alt+F9."));

    // Another notice (the recorder's, say) is left alone when the held one goes.
    dim.setNotice(QStringLiteral("This key can't be used as a hotkey"));
    view->showHeldElsewhere({});
    EXPECT_TRUE(talkback.notice().isEmpty());
    EXPECT_FALSE(caption->isVisible());
    EXPECT_EQ(field.textColour(), token(HUDTokens::amber, false)) << "registered: a binding's own colour";
    EXPECT_EQ(talkback.heightForWidth(talkback.width()), plainHeight);
    EXPECT_EQ(dim.notice(), QStringLiteral("This key can't be used as a hotkey"));
    dim.clearNotice();
    EXPECT_TRUE(dim.notice().isEmpty());
    EXPECT_EQ(heightChanges, 5);
}

TEST_F(PreferencesViewTest, AKeyTheRecorderCannotUseIsNamedInItsRowUntilTheNextRecording) {
    HotkeyRow& row = view->hotkeyRow(HotkeyAction::talkback);
    auto& field = view->recorder(HotkeyAction::talkback);
    const auto stored = harness.store.bindings.value().at(HotkeyAction::talkback);
    view->showHeldElsewhere({HotkeyAction::talkback});
    const QString held = row.notice();
    ASSERT_FALSE(held.isEmpty());

    click(field, field.cellRect().center());
    ASSERT_TRUE(field.isRecording());
    press(field, Qt::Key_MediaPlay);
    EXPECT_FALSE(field.isRecording());
    EXPECT_EQ(row.notice(), QString::fromUtf8(HotkeyRecorderField::unusableKeyMessage));
    EXPECT_EQ(harness.store.bindings.value().at(HotkeyAction::talkback), stored);
    EXPECT_TRUE(view->hotkeyRow(HotkeyAction::dim).notice().isEmpty());

    click(field, field.cellRect().center());
    EXPECT_TRUE(field.isRecording());
    EXPECT_EQ(row.notice(), held);
    press(field, Qt::Key_Escape);
}

// The line edit cuts a prompt that does not fit its text area, and shows "e.g. …" for "e.g. 80".
TEST_F(PreferencesViewTest, EveryFieldShowsItsPromptWhole) {
    set(harness.store.splReadoutEnabled, true);
    std::vector<VellTextField*> fields;  // the kit's classes have no meta-object of their own
    for (QWidget* child : view->findChildren<QWidget*>())
        if (auto* field = dynamic_cast<VellTextField*>(child)) fields.push_back(field);
    ASSERT_GE(fields.size(), 7u);
    for (VellTextField* field : fields) {
        const QString prompt = field->prompt();
        const QFontMetrics metrics(field->textFont());
        EXPECT_EQ(metrics.elidedText(prompt, Qt::ElideRight, static_cast<int>(field->textAreaWidth())), prompt)
            << field->objectName().toStdString() << ": \"" << prompt.toStdString() << "\" in "
            << field->textAreaWidth();
    }
}

TEST_F(PreferencesViewTest, SwitchesAndPickersWriteTheStoreAtOnce) {
    auto& meters = child<VellCheckbox>("showMetersCheckbox");
    click(meters, QPointF(12, 12));
    EXPECT_EQ(harness.store.showMetersOnLaunch.value(), meters.isOn());
    const bool before = harness.store.crashReporting.value();
    click(child<VellCheckbox>("crashReportingCheckbox"), QPointF(12, 12));
    EXPECT_EQ(harness.store.crashReporting.value(), !before);
    auto& appearance = child<VellSegmented<HUDAppearance>>("appearancePicker");
    click(appearance, appearance.cellRect(2).center());
    EXPECT_EQ(harness.store.hudAppearance.value(), HUDAppearance::dark);
    harness.store.hudAppearance.set(HUDAppearance::light);
    harness.queue.runPending();
    EXPECT_EQ(appearance.selection(), HUDAppearance::light);
}

TEST_F(PreferencesViewTest, TheStartupSwitchFallsBackAndShowsWhyWhenTheEntryCannotBeWritten) {
    fs::create_directories(harness.autostart());
    if (geteuid() == 0) {
        // File modes do not stop root: a file where the directory should be does.
        fs::remove_all(harness.autostart());
        std::ofstream(harness.autostart()) << "";
    } else {
        fs::permissions(harness.autostart(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    auto& login = child<VellCheckbox>("loginCheckbox");
    auto& error = child<Caption>("loginError");
    EXPECT_FALSE(error.isVisible());
    click(login, QPointF(12, 12));
    harness.queue.runPending();
    EXPECT_FALSE(login.isOn());
    EXPECT_FALSE(harness.loginItem.isEnabled.value());
    EXPECT_TRUE(error.isVisible());
    EXPECT_FALSE(error.text().isEmpty());
    EXPECT_EQ(error.textColour(), token(HUDTokens::red, false));
    if (geteuid() != 0) fs::permissions(harness.autostart(), fs::perms::owner_all);
    else fs::remove(harness.autostart());
    click(login, QPointF(12, 12));
    harness.queue.runPending();
    EXPECT_TRUE(login.isOn());
    EXPECT_FALSE(error.isVisible());
}

// A user who clicks into mute's hotkey field and then into dim's, and what the view reports of its
// recording from just before the first click.
struct MuteThenDimRecording {
    explicit MuteThenDimRecording(PreferencesView& view)
        : mute(view.recorder(HotkeyAction::mute)), dim(view.recorder(HotkeyAction::dim)) {
        view.onRecordingChanged = [this](bool on) { reported.push_back(on); };
        clickInto(mute);
        clickInto(dim);
    }
    MuteThenDimRecording(const MuteThenDimRecording&) = delete;
    MuteThenDimRecording& operator=(const MuteThenDimRecording&) = delete;

    static void clickInto(HotkeyRecorderField& field) { click(field, field.cellRect().center()); }

    HotkeyRecorderField& mute;
    HotkeyRecorderField& dim;
    std::vector<bool> reported;
};

TEST_F(PreferencesViewTest, RecordingInAnyFieldIsReportedOnceAtItsStartAndEnd) {
    MuteThenDimRecording recording(*view);
    MuteThenDimRecording::clickInto(recording.mute);
    EXPECT_EQ(recording.reported, std::vector<bool>{true});
    view->hide();
    EXPECT_EQ(recording.reported, (std::vector<bool>{true, false}));
}

TEST_F(PreferencesViewTest, LosingTheActivationEndsEveryRecording) {
    MuteThenDimRecording recording(*view);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(view.get(), &deactivate);
    EXPECT_FALSE(recording.mute.isRecording());
    EXPECT_FALSE(recording.dim.isRecording());
    EXPECT_EQ(recording.mute.shownText(), QStringLiteral("—"));
    EXPECT_EQ(recording.reported, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace quillmark::testing
