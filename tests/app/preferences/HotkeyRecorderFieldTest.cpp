#include "app/preferences/HotkeyRecorderField.h"

#include "PreferencesTestSupport.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QVBoxLayout>

#include <utility>
#include <vector>

namespace quillmark::testing {
namespace {

const HotkeyBinding altF12{111, 0x800, "F12"};

// Two fields and a text field in one shown window; the text field has the focus, as a user's would.
class HotkeyRecorderFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        widgetTestApplication();
        harness.store.bindings.set({});
        holder = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(holder.get());
        mute = new HotkeyRecorderField(HotkeyAction::mute, harness.store);
        dim = new HotkeyRecorderField(HotkeyAction::dim, harness.store);
        text = new QLineEdit;
        layout->addWidget(mute);
        layout->addWidget(dim);
        layout->addWidget(text);
        for (auto* field : {mute, dim})
            field->onRecordingChanged = [this, field](bool on) { changes.push_back({field->action(), on}); };
        holder->show();
        text->setFocus();
        text->setText(QStringLiteral("typed"));
    }
    static void clickCell(HotkeyRecorderField& field) { click(field, field.cellRect().center()); }
    std::optional<HotkeyBinding> bound(HotkeyAction action) const {
        const auto& bindings = harness.store.bindings.value();
        const auto found = bindings.find(action);
        return found == bindings.end() ? std::nullopt : std::optional<HotkeyBinding>(found->second);
    }
    // The key goes where the platform sends it: the focused text field.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& t = {}) {
        press(*text, k, modifiers, t);
    }

    PreferencesHarness harness;
    std::unique_ptr<QWidget> holder;
    HotkeyRecorderField* mute;
    HotkeyRecorderField* dim;
    QLineEdit* text;
    std::vector<std::pair<HotkeyAction, bool>> changes;
};

TEST_F(HotkeyRecorderFieldTest, ShowsTheBindingOrADashAndOffersClearingOnlyForABinding) {
    harness.store.setBinding(altF12, HotkeyAction::mute);
    EXPECT_EQ(mute->shownText(), QStringLiteral("Alt+F12"));
    EXPECT_EQ(mute->textColour(), token(HUDTokens::amber, false));
    EXPECT_TRUE(mute->showsClearButton());
    EXPECT_GT(mute->sizeHint().width(), 126 + 6);
    EXPECT_EQ(dim->shownText(), QStringLiteral("—"));
    EXPECT_EQ(dim->textColour(), token(HUDTokens::fgMuted, false));
    EXPECT_FALSE(dim->showsClearButton());
    EXPECT_EQ(dim->sizeHint(), QSize(126, 24));

    mute->resize(mute->sizeHint());
    click(*mute, mute->clearRect().center());
    EXPECT_FALSE(bound(HotkeyAction::mute));
    EXPECT_EQ(mute->shownText(), QStringLiteral("—"));
    EXPECT_FALSE(mute->showsClearButton());
}

TEST_F(HotkeyRecorderFieldTest, TheStatesOfARecording) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool stillRecording;
        std::optional<HotkeyBinding> stored;  // of mute afterwards; it holds Alt+F12 before
    };
    const Case cases[] = {
        {"Shift alone", Qt::Key_Shift, Qt::ShiftModifier, true, altF12},
        {"Caps Lock alone", Qt::Key_CapsLock, Qt::NoModifier, true, altF12},
        {"a key the table does not know ends it as it was", Qt::Key_MediaPlay, Qt::NoModifier, false, altF12},
        {"the volume keys are keys", Qt::Key_VolumeUp, Qt::NoModifier, false, HotkeyBinding{72, 0, "Volume Up"}},
        {"Ctrl+Mute", Qt::Key_VolumeMute, Qt::ControlModifier, false, HotkeyBinding{74, 0x1000, "Mute"}},
        {"keypad +, not Shift+=", Qt::Key_Plus, Qt::KeypadModifier, false, HotkeyBinding{69, 0, "Num+"}},
        {"keypad 1 with Num Lock on", Qt::Key_1, Qt::KeypadModifier, false, HotkeyBinding{83, 0, "Num1"}},
        {"Alt+keypad 1 with Num Lock off", Qt::Key_End, Qt::KeypadModifier | Qt::AltModifier, false,
         HotkeyBinding{83, 0x800, "Num1"}},
        {"a keypad key without a code of its own", Qt::Key_F1, Qt::KeypadModifier, false, altF12},
        {"Escape cancels", Qt::Key_Escape, Qt::NoModifier, false, altF12},
        {"Shift+Escape is a hotkey", Qt::Key_Escape, Qt::ShiftModifier, false, HotkeyBinding{53, 0x200, "⎋"}},
        {"Backspace clears", Qt::Key_Backspace, Qt::NoModifier, false, std::nullopt},
        {"Alt+Backspace is a hotkey", Qt::Key_Backspace, Qt::AltModifier, false, HotkeyBinding{51, 0x800, "⌫"}},
        {"Escape on the keypad cancels too", Qt::Key_Escape, Qt::KeypadModifier, false, altF12},
        {"a plain letter", Qt::Key_T, Qt::NoModifier, false, HotkeyBinding{17, 0, "T"}},
        {"Ctrl+Alt+Super+F12", Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier, false,
         HotkeyBinding{111, 0x1900, "F12"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        harness.store.setBinding(altF12, HotkeyAction::mute);
        clickCell(*mute);
        ASSERT_TRUE(mute->isRecording());
        key(c.key, c.modifiers);
        EXPECT_EQ(mute->isRecording(), c.stillRecording);
        EXPECT_EQ(bound(HotkeyAction::mute), c.stored);
        if (c.stillRecording) clickCell(*mute);  // a click cancels
        EXPECT_FALSE(mute->isRecording());
        EXPECT_EQ(text->text(), QStringLiteral("typed"));  // no key reached the text field
    }
    EXPECT_EQ(mute->shownText(), QString::fromStdString(HotkeyBinding{111, 0x1900, "F12"}.displayString()));
    EXPECT_EQ(mute->shownText(), QStringLiteral("Ctrl+Alt+Super+F12"));
}

TEST_F(HotkeyRecorderFieldTest, AKeyThatCanNeverBeAHotkeyEndsTheRecordingWithAMessage) {
    std::vector<std::pair<QString, bool>> messages;  // with whether the field still recorded then
    mute->onUnusableKey = [&](const QString& text) { messages.push_back({text, mute->isRecording()}); };
    harness.store.setBinding(altF12, HotkeyAction::mute);
    clickCell(*mute);
    key(Qt::Key_Shift, Qt::ShiftModifier);  // a modifier alone is no key at all
    EXPECT_TRUE(mute->isRecording());
    EXPECT_TRUE(messages.empty());
    key(Qt::Key_MediaPlay, Qt::ShiftModifier);
    EXPECT_FALSE(mute->isRecording());
    EXPECT_EQ(bound(HotkeyAction::mute), altF12);
    EXPECT_EQ(mute->shownText(), QStringLiteral("Alt+F12"));
    EXPECT_EQ(messages,
              (std::vector<std::pair<QString, bool>>{{QStringLiteral("This key can't be used as a hotkey"), false}}));
    EXPECT_EQ(QString::fromUtf8(HotkeyRecorderField::unusableKeyMessage), messages.front().first);
    EXPECT_EQ(text->text(), QStringLiteral("typed"));
    // Keys that end a recording otherwise say nothing.
    for (const Qt::Key ending : {Qt::Key_F5, Qt::Key_Escape, Qt::Key_Backspace}) {
        clickCell(*mute);
        key(ending);
        EXPECT_FALSE(mute->isRecording());
    }
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(changes.size(), 8u);
}

TEST_F(HotkeyRecorderFieldTest, RecordingLooksItsPartAndAClickCancelsWithoutAChange) {
    harness.store.setBinding(altF12, HotkeyAction::mute);
    mute->resize(mute->sizeHint());
    clickCell(*mute);
    EXPECT_EQ(mute->shownText(), QStringLiteral("Press key…"));
    EXPECT_EQ(mute->textColour(), token(HUDTokens::accent, false));
    EXPECT_EQ(mute->cellBorderColour(), token(HUDTokens::accent, false));
    EXPECT_FALSE(mute->showsClearButton());
    const QImage image = render(*mute, token(HUDTokens::bg, false));
    EXPECT_EQ(pixel(image, 0, 12), token(HUDTokens::accent, false));  // the border, inside the edge
    clickCell(*mute);
    EXPECT_FALSE(mute->isRecording());
    EXPECT_EQ(bound(HotkeyAction::mute), altF12);
    EXPECT_EQ(mute->cellBorderColour(), token(HUDTokens::border, false));
    EXPECT_EQ(changes,
              (std::vector<std::pair<HotkeyAction, bool>>{{HotkeyAction::mute, true}, {HotkeyAction::mute, false}}));
}

TEST_F(HotkeyRecorderFieldTest, TheEndingKeyNeitherEditsNorSubmitsNorFiresAShortcut) {
    int submitted = 0;
    QObject::connect(text, &QLineEdit::returnPressed, [&] { ++submitted; });
    clickCell(*mute);
    key(Qt::Key_Return);
    EXPECT_EQ(submitted, 0);
    EXPECT_EQ(bound(HotkeyAction::mute), (HotkeyBinding{36, 0, "↩"}));
    clickCell(*mute);
    key(Qt::Key_Backspace);
    EXPECT_EQ(text->text(), QStringLiteral("typed"));
    // The override is taken, so a window shortcut on Ctrl+W gives way to the recording.
    clickCell(*mute);
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_W, Qt::ControlModifier);
    override.ignore();
    QApplication::sendEvent(text, &override);
    EXPECT_TRUE(override.isAccepted());
    key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(bound(HotkeyAction::mute), (HotkeyBinding{13, 0x1000, "W"}));
    // Not recording: overrides and keys go their way.
    QKeyEvent later(QEvent::ShortcutOverride, Qt::Key_W, Qt::ControlModifier);
    later.ignore();
    QApplication::sendEvent(text, &later);
    EXPECT_FALSE(later.isAccepted());
    key(Qt::Key_Backspace);
    EXPECT_EQ(text->text(), QStringLiteral("type"));
}

TEST_F(HotkeyRecorderFieldTest, TwoFieldsMayRecordAtOnceAndMayHoldTheSameBinding) {
    harness.store.setBinding(altF12, HotkeyAction::mute);
    clickCell(*dim);
    clickCell(*mute);
    EXPECT_EQ(dim->shownText(), QStringLiteral("Press key…"));
    EXPECT_EQ(mute->shownText(), QStringLiteral("Press key…"));
    key(Qt::Key_F12, Qt::AltModifier);  // one of them takes it
    key(Qt::Key_F12, Qt::AltModifier);  // the other this one
    EXPECT_FALSE(dim->isRecording());
    EXPECT_FALSE(mute->isRecording());
    EXPECT_EQ(bound(HotkeyAction::dim), altF12);
    EXPECT_EQ(bound(HotkeyAction::mute), altF12);
}

TEST_F(HotkeyRecorderFieldTest, HidingTheWindowEndsEveryRecording) {
    clickCell(*mute);
    clickCell(*dim);
    holder->hide();
    EXPECT_FALSE(mute->isRecording());
    EXPECT_FALSE(dim->isRecording());
    holder->show();
    EXPECT_EQ(mute->shownText(), QStringLiteral("—"));
    key(Qt::Key_F12);
    EXPECT_FALSE(bound(HotkeyAction::mute));
    EXPECT_EQ(changes.size(), 4u);
}

}  // namespace
}  // namespace quillmark::testing
