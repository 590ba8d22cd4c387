// Recording shortcuts in the preferences window on a real X server, with the real global grabs and
// real key events: a combination the program already holds globally reaches the field, Caps Lock does
// not turn Escape or Backspace into hotkeys, the keypad's keys are recorded and grabbed as their own (not
// the main block's) with Num Lock on and off, the volume keys are keys and any other key without a code
// ends the recording, Ctrl+W closes the window but gives way to a recording, the edit commands reach the
// focused field, and a recording ends when another program takes the focus.
#include "app/ChangedValues.h"
#include "app/hotkeys/HotkeyService.h"
#include "app/preferences/HotkeyRecorderField.h"
#include "app/preferences/PreferencesView.h"
#include "app/preferences/PreferencesWindowController.h"
#include "platform/x11/X11Modifiers.h"
#include "platform/x11/XcbGlobalShortcuts.h"

#include "../hotkeys/ApplyBindings.h"
#include "PreferencesTestSupport.h"
#include "WidgetTestSupport.h"
#include "X11TestSupport.h"
#include "XTestKeyboard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace quillmark::testing {
namespace {

namespace keys {
inline constexpr std::uint32_t Escape = 0xff1b, BackSpace = 0xff08, w = 0x77, x = 0x78, z = 0x7a;
}  // namespace keys

constexpr std::uint16_t kLockBit = XCB_MOD_MASK_LOCK;
const HotkeyBinding altF12{111, 0x800, "F12"};
const HotkeyBinding plainF1{122, 0, "F1"};  // the marker: its press tells that earlier keys came through

// A window of another X client that takes the input focus, as the desktop or another program does
// when the user clicks it.
class ForeignWindow {
public:
    ForeignWindow() : connection_(xcb_connect(nullptr, nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 200, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection_, window_);
        sync();
    }
    ~ForeignWindow() { xcb_disconnect(connection_); }
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;

    void takeFocus() {
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window_, XCB_CURRENT_TIME);
        sync();
    }

private:
    void sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    xcb_connection_t* connection_;
    xcb_window_t window_;
};

class PreferencesRecordingX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        QApplication& application = testApplication<QApplication>();
        auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>();
        ASSERT_NE(x11, nullptr);
        service = std::make_unique<HotkeyService>(std::make_unique<XcbGlobalShortcuts>(x11->connection()));
        service->handler = [this](HotkeyAction action, HotkeyPhase phase) {
            if (phase == HotkeyPhase::pressed) fired.push_back(action);
        };
        // As the application does: every change of the bindings registers them all again.
        bindingsObservation = ChangedValues::observe<HotkeyBindings>(
            harness.store.bindings, [this](const HotkeyBindings& bindings) { applyBindings(*service, bindings); });
        harness.store.bindings.set({{HotkeyAction::volumeUpCoarse, altF12}, {HotkeyAction::recallReference3, plainF1}});
        controller = std::make_unique<PreferencesWindowController>(harness.store, harness.monitor, harness.loginItem,
                                                                   harness.queue, [this](bool recording) {
                                                                       if (recording) service->suspend();
                                                                       else service->resume();
                                                                   });
        controller->show();
        ASSERT_TRUE(waitFor([&] {
            harness.queue.runPending();
            return controller->window().isActiveWindow();
        })) << "the window never became active";
    }
    void TearDown() override {
        keyboard.setLock(keysym::Caps_Lock, kLockBit, false);
        keyboard.setLock(keysym::Num_Lock, X11Modifiers::read(keyboard.connection()).numLock, false);
        controller.reset();
    }
    HotkeyRecorderField& field(HotkeyAction action) const { return controller->view().recorder(action); }
    void startRecording(HotkeyAction action) {
        HotkeyRecorderField& recorder = field(action);
        click(recorder, recorder.cellRect().center());
        ASSERT_TRUE(recorder.isRecording());
    }
    bool waitUntilIdle(HotkeyAction action) {
        return waitFor([&] { return !field(action).isRecording(); });
    }
    std::optional<HotkeyBinding> bound(HotkeyAction action) const {
        const auto& bindings = harness.store.bindings.value();
        const auto found = bindings.find(action);
        return found == bindings.end() ? std::nullopt : std::optional<HotkeyBinding>(found->second);
    }
    // The hotkeys that fired up to the marker's press, which is left out.
    std::vector<HotkeyAction> firedUpToMarker() {
        keyboard.tap({keysym::F1});
        EXPECT_TRUE(waitFor([&] { return !fired.empty() && fired.back() == HotkeyAction::recallReference3; }));
        std::vector<HotkeyAction> before(fired.begin(), fired.end() - (fired.empty() ? 0 : 1));
        fired.clear();
        return before;
    }

    PreferencesHarness harness;
    XTestKeyboard keyboard;
    std::unique_ptr<HotkeyService> service;
    std::vector<HotkeyAction> fired;
    ObservationToken bindingsObservation;
    std::unique_ptr<PreferencesWindowController> controller;
};

TEST_F(PreferencesRecordingX11Test, ACombinationHeldGloballyIsRecordedAndDoesNotFire) {
    keyboard.tap({keysym::Alt_L, keysym::F12});
    EXPECT_EQ(firedUpToMarker(), std::vector<HotkeyAction>{HotkeyAction::volumeUpCoarse});

    startRecording(HotkeyAction::mute);
    EXPECT_TRUE(service->isSuspended());
    keyboard.tap({keysym::Alt_L, keysym::F12});
    ASSERT_TRUE(waitUntilIdle(HotkeyAction::mute));
    EXPECT_EQ(bound(HotkeyAction::mute), altF12);
    EXPECT_EQ(field(HotkeyAction::mute).shownText(), QStringLiteral("Alt+F12"));
    EXPECT_FALSE(service->isSuspended());
    // Nothing fired while recording; now the grabs are back, and the first action holding it has it.
    EXPECT_EQ(firedUpToMarker(), std::vector<HotkeyAction>{});
    keyboard.tap({keysym::Alt_L, keysym::F12});
    EXPECT_EQ(firedUpToMarker(), std::vector<HotkeyAction>{HotkeyAction::mute});
}

TEST_F(PreferencesRecordingX11Test, WithCapsLockOnEscapeStillCancelsAndBackspaceStillClears) {
    keyboard.setLock(keysym::Caps_Lock, kLockBit, true);
    startRecording(HotkeyAction::volumeUpCoarse);
    keyboard.tap({keys::Escape});
    ASSERT_TRUE(waitUntilIdle(HotkeyAction::volumeUpCoarse));
    EXPECT_EQ(bound(HotkeyAction::volumeUpCoarse), altF12);

    startRecording(HotkeyAction::volumeUpCoarse);
    keyboard.tap({keys::BackSpace});
    ASSERT_TRUE(waitUntilIdle(HotkeyAction::volumeUpCoarse));
    EXPECT_EQ(bound(HotkeyAction::volumeUpCoarse), std::nullopt);
    // No bare Escape or Backspace was stored for any action.
    for (const auto& [action, binding] : harness.store.bindings.value())
        EXPECT_NE(binding.carbonModifiers == 0 && (binding.keyCode == 53 || binding.keyCode == 51), true);
}

TEST_F(PreferencesRecordingX11Test, KeypadKeysAreRecordedAndFireAsTheirOwnKeysWhateverTheStateOfNumLock) {
    const std::uint16_t numLockBit = X11Modifiers::read(keyboard.connection()).numLock;
    ASSERT_NE(numLockBit, 0) << "the server's keymap puts Num Lock on a modifier";
    using namespace keysym;
    struct Case {
        HotkeyAction action;
        std::uint32_t key;
        bool numLockWhileRecording;
        HotkeyBinding stored;
    };
    const Case cases[] = {
        {HotkeyAction::mute, KP_Add, true, {69, 0, "Num+"}},
        {HotkeyAction::dim, KP_End, false, {83, 0, "Num1"}},  // types End with Num Lock off
        {HotkeyAction::mono, KP_Equal, true, {81, 0, "Num="}},
        {HotkeyAction::stereo, KP_Delete, false, {65, 0x800, "Num."}},  // recorded with Alt
    };
    for (const Case& c : cases) {
        keyboard.setLock(Num_Lock, numLockBit, c.numLockWhileRecording);
        startRecording(c.action);
        if (c.stored.carbonModifiers) keyboard.tap({Alt_L, c.key});
        else keyboard.tap({c.key});
        ASSERT_TRUE(waitUntilIdle(c.action)) << c.stored.characters;
        EXPECT_EQ(bound(c.action), c.stored);
        EXPECT_EQ(field(c.action).shownText(), QString::fromStdString(c.stored.displayString()));
    }
    auto fields = controller->window().findChildren<QLineEdit*>();
    ASSERT_FALSE(fields.empty());
    QLineEdit& typing = *fields.front();
    typing.setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(waitFor([&] { return typing.hasFocus(); }));
    for (const bool numLock : {false, true}) {
        SCOPED_TRACE(numLock ? "Num Lock on" : "Num Lock off");
        keyboard.setLock(Num_Lock, numLockBit, numLock);
        // The main block's twins reach the text field and fire nothing.
        typing.end(false);
        const QString before = typing.text();
        for (std::uint32_t twin : {std::uint32_t{'a'}, equal, std::uint32_t{'b'}, digit(1), period})
            keyboard.tap({twin});
        EXPECT_TRUE(waitFor([&] { return typing.text() == before + "a=b1."; })) << typing.text().toStdString();
        EXPECT_EQ(firedUpToMarker(), std::vector<HotkeyAction>{});
        for (const Case& c : cases) {
            if (c.stored.carbonModifiers) keyboard.tap({Alt_L, c.key});
            else keyboard.tap({c.key});
        }
        EXPECT_EQ(firedUpToMarker(), (std::vector<HotkeyAction>{HotkeyAction::mute, HotkeyAction::dim,
                                                                HotkeyAction::mono, HotkeyAction::stereo}));
    }
}

TEST_F(PreferencesRecordingX11Test, TheVolumeKeysAreRecordedAndFireAndAnyOtherUnknownKeyEndsTheRecording) {
    using namespace keysym;
    const std::pair<HotkeyAction, std::uint32_t> keys[] = {
        {HotkeyAction::volumeUpFine, XF86AudioRaiseVolume},
        {HotkeyAction::volumeDownFine, XF86AudioLowerVolume},
        {HotkeyAction::mute, XF86AudioMute},
    };
    for (const auto& [action, key] : keys) {
        startRecording(action);
        keyboard.tap({key});
        ASSERT_TRUE(waitUntilIdle(action));
    }
    EXPECT_EQ(bound(HotkeyAction::volumeUpFine), (HotkeyBinding{72, 0, "Volume Up"}));
    EXPECT_EQ(bound(HotkeyAction::volumeDownFine), (HotkeyBinding{73, 0, "Volume Down"}));
    EXPECT_EQ(bound(HotkeyAction::mute), (HotkeyBinding{74, 0, "Mute"}));
    EXPECT_EQ(field(HotkeyAction::volumeDownFine).shownText(), QStringLiteral("Volume Down"));
    for (const auto& [action, key] : keys) keyboard.tap({key});
    EXPECT_EQ(firedUpToMarker(), (std::vector<HotkeyAction>{HotkeyAction::volumeUpFine, HotkeyAction::volumeDownFine,
                                                            HotkeyAction::mute}));

    // Play has no code of ours: the recording ends, the binding as it was, the hotkeys back.
    startRecording(HotkeyAction::volumeUpCoarse);
    keyboard.tap({XF86AudioPlay});
    ASSERT_TRUE(waitUntilIdle(HotkeyAction::volumeUpCoarse));
    EXPECT_EQ(bound(HotkeyAction::volumeUpCoarse), altF12);
    EXPECT_FALSE(service->isSuspended());
    keyboard.tap({Alt_L, F12});
    EXPECT_EQ(firedUpToMarker(), std::vector<HotkeyAction>{HotkeyAction::volumeUpCoarse});
}

TEST_F(PreferencesRecordingX11Test, CtrlWClosesTheWindowButGivesWayToARecording) {
    keyboard.tap({keysym::Control_L, keys::w});
    ASSERT_TRUE(waitFor([&] { return !controller->window().isVisible(); })) << "Ctrl+W closes the window";

    controller->show();
    ASSERT_TRUE(waitFor([&] {
        harness.queue.runPending();
        return controller->window().isActiveWindow();
    }));
    startRecording(HotkeyAction::dim);
    keyboard.tap({keysym::Control_L, keys::w});
    ASSERT_TRUE(waitUntilIdle(HotkeyAction::dim));
    EXPECT_EQ(bound(HotkeyAction::dim), (HotkeyBinding{13, 0x1000, "W"}));
    EXPECT_TRUE(controller->window().isVisible());
    // From now on the keys are a global hotkey, at once.
    keyboard.tap({keysym::Control_L, keys::w});
    EXPECT_EQ(firedUpToMarker(), std::vector<HotkeyAction>{HotkeyAction::dim});
}

TEST_F(PreferencesRecordingX11Test, TheEditCommandsActOnTheFocusedField) {
    auto fields = controller->window().findChildren<QLineEdit*>();
    ASSERT_FALSE(fields.empty());
    QLineEdit& field = *fields.front();
    field.setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(waitFor([&] { return field.hasFocus(); }));
    field.end(false);
    const QString before = field.text();
    keyboard.tap({keys::x});
    ASSERT_TRUE(waitFor([&] { return field.text() == before + "x"; }));
    keyboard.tap({keysym::Control_L, keys::z});
    ASSERT_TRUE(waitFor([&] { return field.text() == before; })) << "Ctrl+Z undoes";
    keyboard.tap({keysym::Control_L, keysym::Shift_L, keys::z});
    EXPECT_TRUE(waitFor([&] { return field.text() == before + "x"; })) << "Ctrl+Shift+Z redoes";
    EXPECT_TRUE(controller->window().isVisible());
}

TEST_F(PreferencesRecordingX11Test, AnotherProgramTakingTheFocusEndsTheRecordingAndTheHotkeysWorkAtOnce) {
    startRecording(HotkeyAction::mute);
    ASSERT_TRUE(service->isSuspended());
    ForeignWindow desktop;
    desktop.takeFocus();
    ASSERT_TRUE(waitFor([&] { return !controller->window().isActiveWindow(); })) << "the focus never left";
    EXPECT_FALSE(field(HotkeyAction::mute).isRecording());
    EXPECT_NE(field(HotkeyAction::mute).shownText(), QStringLiteral("Press key…"));
    EXPECT_FALSE(service->isSuspended());
    keyboard.tap({keysym::Alt_L, keysym::F12});
    EXPECT_EQ(firedUpToMarker(), std::vector<HotkeyAction>{HotkeyAction::volumeUpCoarse});
    EXPECT_EQ(bound(HotkeyAction::mute), std::nullopt) << "nothing was recorded";
}

}  // namespace
}  // namespace quillmark::testing
