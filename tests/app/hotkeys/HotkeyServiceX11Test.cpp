#include "app/hotkeys/HotkeyService.h"

#include "log/SystemLog.h"
#include "platform/x11/X11Modifiers.h"
#include "platform/x11/XcbGlobalShortcuts.h"

#include "ApplyBindings.h"
#include "KeyPressCounter.h"
#include "X11TestSupport.h"
#include "XTestKeyboard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace quillmark::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The real X11 shortcuts, counting the key-downs they report, so a test can wait for auto-repeat.
class CountingShortcuts final : public GlobalShortcuts {
public:
    CountingShortcuts(std::unique_ptr<GlobalShortcuts> inner, int& downs) : inner_(std::move(inner)), downs_(downs) {}
    bool isAvailable() const override { return inner_->isAvailable(); }
    RegistrationStatus registerShortcut(std::uint32_t keyCode, std::uint32_t mask, std::uint32_t id) override {
        return inner_->registerShortcut(keyCode, mask, id);
    }
    void unregisterShortcut(std::uint32_t id) override { inner_->unregisterShortcut(id); }
    void setListener(Listener listener) override {
        inner_->setListener([this, listener = std::move(listener)](std::uint32_t id, Edge edge) {
            if (edge == Edge::down) ++downs_;
            if (listener) listener(id, edge);
        });
    }

private:
    std::unique_ptr<GlobalShortcuts> inner_;
    int& downs_;
};

struct Received {
    HotkeyAction action;
    HotkeyPhase phase;
    friend bool operator==(const Received&, const Received&) = default;
    friend void PrintTo(const Received& r, std::ostream* os) {
        *os << rawValue(r.action) << (r.phase == HotkeyPhase::pressed ? " pressed" : " released");
    }
};

const Received volumeUpPressed{HotkeyAction::volumeUpCoarse, HotkeyPhase::pressed};
const Received volumeUpReleased{HotkeyAction::volumeUpCoarse, HotkeyPhase::released};

class HotkeyServiceX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        auto* x11 = x11TestApplication().nativeInterface<QNativeInterface::QX11Application>();
        ASSERT_NE(x11, nullptr);
        service = std::make_unique<HotkeyService>(
            std::make_unique<CountingShortcuts>(std::make_unique<XcbGlobalShortcuts>(x11->connection()), rawDowns));
        service->handler = [this](HotkeyAction action, HotkeyPhase phase) { received.push_back({action, phase}); };
    }
    void apply(const HotkeyBindings& bindings) { applyBindings(*service, bindings); }
    // First-run bindings that the stock keymap lets through, plus F1 for mute, whose stroke tells that
    // every earlier event has come through.
    static HotkeyBindings defaultsWithMarker() {
        HotkeyBindings bindings;
        for (HotkeyAction action :
             {HotkeyAction::dim, HotkeyAction::talkback, HotkeyAction::volumeUpCoarse, HotkeyAction::volumeDownCoarse})
            bindings[action] = HotkeyBinding::firstRunDefaults().at(action);
        bindings[HotkeyAction::mute] = HotkeyBinding{122, 0, "F1"};
        return bindings;
    }
    std::vector<Received> receivedUpToMarker() {
        keyboard.tap({keysym::F1});
        EXPECT_TRUE(waitFor([&] {
            return !received.empty() && received.back() == Received{HotkeyAction::mute, HotkeyPhase::released};
        }));
        std::vector<Received> before(received.begin(), received.end() - std::min<std::size_t>(received.size(), 2));
        received.clear();
        return before;
    }

    std::vector<std::string> logged;
    SystemLog::Capture capture{[this](std::string_view line) { logged.emplace_back(line); }};
    XTestKeyboard keyboard;
    int rawDowns = 0;
    std::unique_ptr<HotkeyService> service;
    std::vector<Received> received;
};

TEST_F(HotkeyServiceX11Test, BoundKeysGivePressedThenReleasedForTheirAction) {
    apply(defaultsWithMarker());
    EXPECT_THAT(logged, IsEmpty());
    keyboard.tap({keysym::Alt_L, keysym::F12});                   // ⌥F12: volume up (coarse)
    keyboard.tap({keysym::Control_L, keysym::Alt_L, keysym::t});  // ⌃⌥T: talkback
    EXPECT_THAT(receivedUpToMarker(),
                ElementsAre(volumeUpPressed, volumeUpReleased, Received{HotkeyAction::talkback, HotkeyPhase::pressed},
                            Received{HotkeyAction::talkback, HotkeyPhase::released}));
}

TEST_F(HotkeyServiceX11Test, HoldingAKeyGivesOnePressAndOneRelease) {
    apply(defaultsWithMarker());
    keyboard.press(keysym::Alt_L);
    keyboard.press(keysym::F12);
    const bool repeated = waitFor([&] { return rawDowns >= 3; });
    keyboard.release(keysym::F12);
    keyboard.release(keysym::Alt_L);
    ASSERT_TRUE(repeated) << "the server's auto-repeat never came";
    EXPECT_THAT(receivedUpToMarker(), ElementsAre(volumeUpPressed, volumeUpReleased));
}

TEST_F(HotkeyServiceX11Test, ReapplyingGivesNewIdsAndSwallowsTheRepeatsAndReleaseOfAKeyHeldMeanwhile) {
    apply(defaultsWithMarker());
    EXPECT_THAT(service->registrations().front().hotKeyID, 1u);
    keyboard.press(keysym::Alt_L);
    keyboard.press(keysym::F12);
    ASSERT_TRUE(waitFor([&] { return !received.empty(); }));
    apply(defaultsWithMarker());
    // The server goes on repeating the held key on our grab, now that its combination is bound afresh.
    KeyPressCounter presses(keyboard.keycode(keysym::F12));
    const bool repeated = waitFor([&] { return presses.count() >= 2; });
    keyboard.release(keysym::F12);
    keyboard.release(keysym::Alt_L);
    ASSERT_TRUE(repeated) << "the server's auto-repeat never came";
    EXPECT_THAT(receivedUpToMarker(), ElementsAre(volumeUpPressed));
    EXPECT_EQ(service->registrations().front().hotKeyID, 6u);

    keyboard.tap({keysym::Alt_L, keysym::F12});
    EXPECT_THAT(receivedUpToMarker(), ElementsAre(volumeUpPressed, volumeUpReleased));
}

TEST_F(HotkeyServiceX11Test, CombinationOfAnotherClientIsLoggedAndTheRestWork) {
    const X11Modifiers modifiers = X11Modifiers::read(keyboard.connection());
    ForeignGrabber other;
    ASSERT_EQ(other.grab(keyboard.keycode(keysym::F11), modifiers.alt), 0);  // ⌥F11: volume down (coarse)

    apply(defaultsWithMarker());
    EXPECT_THAT(logged, ElementsAre("Quillmark: failed to register hotkey for volumeDownCoarse status=10"));
    EXPECT_EQ(service->registrations().size(), 4u);
    keyboard.tap({keysym::Alt_L, keysym::F11});
    keyboard.tap({keysym::Alt_L, keysym::F12});
    EXPECT_THAT(receivedUpToMarker(), ElementsAre(volumeUpPressed, volumeUpReleased));
}

TEST_F(HotkeyServiceX11Test, ACombinationAnotherClientHoldsIsHeldElsewhereUntilItLetsGoAndARetryTakesIt) {
    const X11Modifiers modifiers = X11Modifiers::read(keyboard.connection());
    ForeignGrabber other;
    const xcb_keycode_t f11 = keyboard.keycode(keysym::F11);
    ASSERT_EQ(other.grab(f11, modifiers.alt), 0);
    apply(defaultsWithMarker());
    EXPECT_EQ(service->heldElsewhere.value(), std::set<HotkeyAction>{HotkeyAction::volumeDownCoarse});
    EXPECT_EQ(service->retryRefused(), 1u);
    EXPECT_EQ(service->heldElsewhere.value(), std::set<HotkeyAction>{HotkeyAction::volumeDownCoarse});

    other.ungrab(f11, modifiers.alt);
    EXPECT_EQ(service->retryRefused(), 0u);
    EXPECT_THAT(service->heldElsewhere.value(), IsEmpty());
    keyboard.tap({keysym::Alt_L, keysym::F11});
    EXPECT_THAT(receivedUpToMarker(), ElementsAre(Received{HotkeyAction::volumeDownCoarse, HotkeyPhase::pressed},
                                                  Received{HotkeyAction::volumeDownCoarse, HotkeyPhase::released}));
}

TEST_F(HotkeyServiceX11Test, ConsoleSwitchKeysAreHeldElsewhereAndAnActionsSecondUseOfACombinationIsNot) {
    HotkeyBindings bindings = HotkeyBinding::firstRunDefaults(HotkeyBinding::DefaultsDesktop::unreserved);
    bindings[HotkeyAction::volumeUpFine] = bindings.at(HotkeyAction::volumeUpCoarse);  // both Alt+F12
    apply(bindings);
    EXPECT_EQ(service->heldElsewhere.value(),
              (std::set<HotkeyAction>{HotkeyAction::surround, HotkeyAction::stereo, HotkeyAction::mono,
                                      HotkeyAction::recallReference1, HotkeyAction::recallReference2,
                                      HotkeyAction::recallReference3}));
}

TEST_F(HotkeyServiceX11Test, SecondActionOnTheSameCombinationFailsAndTheFirstKeepsIt) {
    HotkeyBindings bindings = defaultsWithMarker();
    bindings[HotkeyAction::volumeUpFine] = bindings.at(HotkeyAction::volumeUpCoarse);  // both ⌥F12
    apply(bindings);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_THAT(logged[0], ::testing::StartsWith("Quillmark: failed to register hotkey for volumeUpCoarse status="));
    keyboard.tap({keysym::Alt_L, keysym::F12});
    EXPECT_THAT(receivedUpToMarker(), ElementsAre(Received{HotkeyAction::volumeUpFine, HotkeyPhase::pressed},
                                                  Received{HotkeyAction::volumeUpFine, HotkeyPhase::released}));
}

TEST_F(HotkeyServiceX11Test, ConsoleSwitchKeysAreLoggedAsRefused) {
    apply(HotkeyBinding::firstRunDefaults(HotkeyBinding::DefaultsDesktop::unreserved));
    // ⌃⌥F10...F12 and ⌃⌥⌘F10...F12: the server's console switch keeps them.
    const std::string reserved =
        " status=" + std::to_string(RegistrationStatus(RegistrationStatus::Outcome::reservedBySystem).number());
    EXPECT_THAT(logged, ElementsAre("Quillmark: failed to register hotkey for surround" + reserved,
                                    "Quillmark: failed to register hotkey for stereo" + reserved,
                                    "Quillmark: failed to register hotkey for mono" + reserved,
                                    "Quillmark: failed to register hotkey for recallReference1" + reserved,
                                    "Quillmark: failed to register hotkey for recallReference2" + reserved,
                                    "Quillmark: failed to register hotkey for recallReference3" + reserved));
    EXPECT_EQ(service->registrations().size(), 4u);
}

TEST_F(HotkeyServiceX11Test, EveryFirstRunDefaultRegistersAndFires) {
    HotkeyBindings bindings = HotkeyBinding::firstRunDefaults();
    bindings[HotkeyAction::mute] = HotkeyBinding{122, 0, "F1"};  // the marker
    apply(bindings);
    EXPECT_THAT(logged, IsEmpty());
    EXPECT_EQ(service->registrations().size(), 11u);
    using namespace keysym;
    const std::pair<HotkeyAction, std::vector<std::uint32_t>> strokes[] = {
        {HotkeyAction::dim, {Alt_L, F10}},
        {HotkeyAction::surround, {Super_L, Alt_L, F12}},
        {HotkeyAction::stereo, {Super_L, Alt_L, F11}},
        {HotkeyAction::mono, {Super_L, Alt_L, F10}},
        {HotkeyAction::talkback, {Control_L, Alt_L, t}},
        {HotkeyAction::volumeUpCoarse, {Alt_L, F12}},
        {HotkeyAction::volumeDownCoarse, {Alt_L, F11}},
        {HotkeyAction::recallReference1, {Shift_L, Super_L, Alt_L, F12}},
        {HotkeyAction::recallReference2, {Shift_L, Super_L, Alt_L, F11}},
        {HotkeyAction::recallReference3, {Shift_L, Super_L, Alt_L, F10}},
    };
    for (const auto& [action, keys] : strokes) {
        keyboard.tap(keys);
        EXPECT_THAT(receivedUpToMarker(),
                    ElementsAre(Received{action, HotkeyPhase::pressed}, Received{action, HotkeyPhase::released}))
            << rawValue(action);
    }
}

}  // namespace
}  // namespace quillmark::testing
