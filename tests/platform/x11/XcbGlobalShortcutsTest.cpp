#include "platform/x11/XcbGlobalShortcuts.h"
#include "platform/keys/CarbonKeyTable.h"
#include "platform/x11/X11Modifiers.h"

#include "KeyPressCounter.h"
#include "X11TestSupport.h"
#include "XTestKeyboard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace quillmark::testing {
namespace {

using Edge = GlobalShortcuts::Edge;
using ::testing::ElementsAre;

constexpr std::uint32_t carbonF1 = 122, carbonF11 = 103, carbonF12 = 111, carbonT = 17;
constexpr std::uint32_t cmd = CarbonKeyTable::cmdKey, shift = CarbonKeyTable::shiftKey,
                        option = CarbonKeyTable::optionKey, control = CarbonKeyTable::controlKey;
constexpr std::uint32_t markerID = 99;
constexpr int kBadAccess = 10;  // the X server's error code
using Outcome = RegistrationStatus::Outcome;

struct Event {
    std::uint32_t id;
    Edge edge;
    friend bool operator==(const Event&, const Event&) = default;
    friend void PrintTo(const Event& e, std::ostream* os) { *os << e.id << (e.edge == Edge::down ? " down" : " up"); }
};

// Puts keys on other modifier bits for one test, as some keymaps do, and restores the map after.
class ModifierMapOverride {
public:
    ModifierMapOverride(xcb_connection_t* connection, std::vector<std::pair<xcb_keycode_t, int>> moves)
        : connection_(connection) {
        std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> reply(
            xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr), &std::free);
        perModifier_ = reply->keycodes_per_modifier;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
        original_.assign(codes, codes + 8 * perModifier_);
        std::vector<xcb_keycode_t> changed = original_;
        ++perModifier_;  // room for every moved key in its new row
        changed = widen(changed, perModifier_ - 1);
        for (const auto& [keycode, modifier] : moves) {
            std::replace(changed.begin(), changed.end(), keycode, xcb_keycode_t{0});
            changed[modifier * perModifier_ + perModifier_ - 1] = keycode;
        }
        set(changed, perModifier_);
    }
    ~ModifierMapOverride() { set(original_, static_cast<std::uint8_t>(original_.size() / 8)); }

private:
    static std::vector<xcb_keycode_t> widen(const std::vector<xcb_keycode_t>& rows, int width) {
        std::vector<xcb_keycode_t> wide;
        for (int modifier = 0; modifier < 8; ++modifier) {
            wide.insert(wide.end(), rows.begin() + modifier * width, rows.begin() + (modifier + 1) * width);
            wide.push_back(0);
        }
        return wide;
    }
    void set(const std::vector<xcb_keycode_t>& codes, std::uint8_t perModifier) {
        std::free(xcb_set_modifier_mapping_reply(
            connection_, xcb_set_modifier_mapping(connection_, perModifier, codes.data()), nullptr));
    }

    xcb_connection_t* connection_;
    std::uint8_t perModifier_ = 0;
    std::vector<xcb_keycode_t> original_;
};

// Moves the row of one keycode in the keyboard map to a keycode that has no symbols, as loading
// another layout may, and restores the map after.
class KeyboardMapOverride {
public:
    KeyboardMapOverride(xcb_connection_t* connection, xcb_keycode_t from) : connection_(connection), from_(from) {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        const xcb_keycode_t first = setup->min_keycode;
        const int count = setup->max_keycode - first + 1;
        std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
            xcb_get_keyboard_mapping_reply(connection, xcb_get_keyboard_mapping(connection, first, count), nullptr),
            &std::free);
        perKeycode_ = reply->keysyms_per_keycode;
        const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
        auto row = [&](int keycode) {
            const xcb_keysym_t* begin = keysyms + (keycode - first) * perKeycode_;
            return std::vector<xcb_keysym_t>(begin, begin + perKeycode_);
        };
        for (int keycode = first + count - 1; keycode > first && to_ == 0; --keycode) {
            const auto symbols = row(keycode);
            if (std::all_of(symbols.begin(), symbols.end(), [](xcb_keysym_t k) { return k == 0; })) to_ = keycode;
        }
        fromRow_ = row(from);
        set(to_, fromRow_);
        set(from_, std::vector<xcb_keysym_t>(perKeycode_, 0));
    }
    ~KeyboardMapOverride() {
        set(from_, fromRow_);
        set(to_, std::vector<xcb_keysym_t>(perKeycode_, 0));
    }
    xcb_keycode_t to() const { return to_; }

private:
    void set(xcb_keycode_t keycode, const std::vector<xcb_keysym_t>& symbols) {
        std::free(xcb_request_check(
            connection_, xcb_change_keyboard_mapping_checked(connection_, 1, keycode, perKeycode_, symbols.data())));
    }

    xcb_connection_t* connection_;
    xcb_keycode_t from_;
    xcb_keycode_t to_ = 0;
    std::uint8_t perKeycode_ = 0;
    std::vector<xcb_keysym_t> fromRow_;
};

// Gives one keycode other symbols for one test, as another layout does, and restores its row after.
class KeyRowOverride {
public:
    KeyRowOverride(xcb_connection_t* connection, xcb_keycode_t keycode, std::vector<xcb_keysym_t> symbols)
        : connection_(connection), keycode_(keycode) {
        std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
            xcb_get_keyboard_mapping_reply(connection, xcb_get_keyboard_mapping(connection, keycode, 1), nullptr),
            &std::free);
        const xcb_keysym_t* row = xcb_get_keyboard_mapping_keysyms(reply.get());
        original_.assign(row, row + reply->keysyms_per_keycode);
        symbols.resize(original_.size(), 0);
        set(symbols);
    }
    ~KeyRowOverride() { set(original_); }

private:
    void set(const std::vector<xcb_keysym_t>& symbols) {
        std::free(xcb_request_check(
            connection_, xcb_change_keyboard_mapping_checked(
                             connection_, 1, keycode_, static_cast<std::uint8_t>(symbols.size()), symbols.data())));
    }

    xcb_connection_t* connection_;
    xcb_keycode_t keycode_;
    std::vector<xcb_keysym_t> original_;
};

class XcbGlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection = x11TestApplication().nativeInterface<QNativeInterface::QX11Application>()->connection();
        ASSERT_NE(connection, nullptr);
        shortcuts = std::make_unique<XcbGlobalShortcuts>(connection);
        shortcuts->setListener([this](std::uint32_t id, Edge edge) { events.push_back({id, edge}); });
        modifiers = X11Modifiers::read(keyboard.connection());
    }
    void TearDown() override {
        modifiers = X11Modifiers::read(keyboard.connection());
        keyboard.setLock(keysym::Num_Lock, modifiers.numLock, false);
        keyboard.setLock(keysym::Caps_Lock, XCB_MOD_MASK_LOCK, false);
    }

    bool waitForEvents(std::size_t count) {
        return waitFor([&] { return events.size() >= count; });
    }
    // Events of the shortcuts under test, once a tap of the marker shortcut (F1) has come through
    // after them: X delivers in order, so nothing else is still on its way.
    std::vector<Event> eventsUpToMarker() {
        if (!markerRegistered) {
            EXPECT_EQ(shortcuts->registerShortcut(carbonF1, 0, markerID), Outcome::registered);
            markerRegistered = true;
        }
        keyboard.tap({keysym::F1});
        EXPECT_TRUE(waitFor([&] { return !events.empty() && events.back() == Event{markerID, Edge::up}; }));
        std::vector<Event> before;
        std::copy_if(events.begin(), events.end(), std::back_inserter(before),
                     [](const Event& e) { return e.id != markerID; });
        events.clear();
        return before;
    }

    xcb_connection_t* connection = nullptr;
    XTestKeyboard keyboard;
    X11Modifiers modifiers;
    std::unique_ptr<XcbGlobalShortcuts> shortcuts;
    std::vector<Event> events;
    bool markerRegistered = false;
};

TEST_F(XcbGlobalShortcutsTest, RegisteredCombinationGivesDownThenUp) {
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 7), Outcome::registered);
    keyboard.tap({keysym::Super_L, keysym::F12});
    ASSERT_TRUE(waitForEvents(2));
    EXPECT_THAT(eventsUpToMarker(), ElementsAre(Event{7, Edge::down}, Event{7, Edge::up}));
}

TEST_F(XcbGlobalShortcutsTest, CarbonModifiersMapToSuperAltCtrlShift) {
    struct Case {
        std::uint32_t carbon;
        std::vector<std::uint32_t> keys;
    };
    const std::vector<Case> cases{
        {cmd, {keysym::Super_L, keysym::t}},
        {option, {keysym::Alt_L, keysym::t}},
        {control, {keysym::Control_L, keysym::t}},
        {shift, {keysym::Shift_L, keysym::t}},
        {control | option, {keysym::Control_L, keysym::Alt_L, keysym::t}},
        {control | option | cmd, {keysym::Control_L, keysym::Alt_L, keysym::Super_L, keysym::t}},
    };
    // All on one key at once, so that each combination must also not fire the others. Not an F key:
    // the usual keymap makes Ctrl+Alt+F1...F12 switch virtual terminals, and the server keeps those.
    for (std::uint32_t id = 0; id < cases.size(); ++id)
        ASSERT_EQ(shortcuts->registerShortcut(carbonT, cases[id].carbon, id + 1), Outcome::registered) << id;
    for (std::uint32_t id = 0; id < cases.size(); ++id) {
        keyboard.tap(cases[id].keys);
        EXPECT_THAT(eventsUpToMarker(), ElementsAre(Event{id + 1, Edge::down}, Event{id + 1, Edge::up}))
            << "carbon mask 0x" << std::hex << cases[id].carbon;
    }
    keyboard.tap({keysym::t});
    keyboard.tap({keysym::Alt_L, keysym::Super_L, keysym::t});
    EXPECT_THAT(eventsUpToMarker(), ElementsAre()) << "combinations nobody registered";
}

TEST_F(XcbGlobalShortcutsTest, MatchesWhateverLockIsOn) {
    ASSERT_NE(modifiers.numLock, 0) << "the server's keymap puts Num Lock on a modifier";
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 1), Outcome::registered);
    struct Case {
        const char* name;
        bool numLock;
        bool capsLock;
    };
    for (const Case& lockCase :
         {Case{"Num Lock", true, false}, Case{"Caps Lock", false, true}, Case{"both", true, true}}) {
        keyboard.setLock(keysym::Num_Lock, modifiers.numLock, lockCase.numLock);
        keyboard.setLock(keysym::Caps_Lock, XCB_MOD_MASK_LOCK, lockCase.capsLock);
        keyboard.tap({keysym::Super_L, keysym::F12});
        EXPECT_THAT(eventsUpToMarker(), ElementsAre(Event{1, Edge::down}, Event{1, Edge::up})) << lockCase.name;
    }
}

TEST_F(XcbGlobalShortcutsTest, LockBitsComeFromTheModifierMap) {
    // Num Lock on Mod3 rather than the usual Mod2, and Scroll Lock on Mod2.
    ModifierMapOverride map(keyboard.connection(),
                            {{keyboard.keycode(keysym::Num_Lock), 5}, {keyboard.keycode(keysym::Scroll_Lock), 4}});
    modifiers = X11Modifiers::read(keyboard.connection());
    ASSERT_EQ(modifiers.numLock, XCB_MOD_MASK_3);
    ASSERT_EQ(modifiers.scrollLock, XCB_MOD_MASK_2);
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 1), Outcome::registered);
    keyboard.setLock(keysym::Num_Lock, XCB_MOD_MASK_3, true);
    keyboard.setLock(keysym::Scroll_Lock, XCB_MOD_MASK_2, true);
    keyboard.tap({keysym::Super_L, keysym::F12});
    const auto locked = eventsUpToMarker();
    keyboard.setLock(keysym::Scroll_Lock, XCB_MOD_MASK_2, false);
    keyboard.setLock(keysym::Num_Lock, XCB_MOD_MASK_3, false);
    EXPECT_THAT(locked, ElementsAre(Event{1, Edge::down}, Event{1, Edge::up}));
}

TEST_F(XcbGlobalShortcutsTest, KeypadAndVolumeKeysAreTheirOwnKeysWhateverTheStateOfNumLock) {
    ASSERT_NE(modifiers.numLock, 0) << "the server's keymap puts Num Lock on a modifier";
    using namespace keysym;
    struct Case {
        std::uint32_t carbon;
        std::uint32_t key;                 // the key pressed
        std::vector<std::uint32_t> twins;  // main-block keys that type what it types, with Num Lock on or off
    };
    const std::vector<Case> cases{
        {0x52, KP_Insert, {digit(0), Insert}},
        {0x53, KP_End, {digit(1), End}},
        {0x54, KP_Down, {digit(2), Down}},
        {0x55, KP_Next, {digit(3), Next}},
        {0x56, KP_Left, {digit(4), Left}},
        {0x57, KP_Begin, {digit(5)}},
        {0x58, KP_Right, {digit(6), Right}},
        {0x59, KP_Home, {digit(7), Home}},
        {0x5B, KP_Up, {digit(8), Up}},
        {0x5C, KP_Prior, {digit(9), Prior}},
        {0x41, KP_Delete, {period, Delete}},
        {0x43, KP_Multiply, {digit(8)}},
        {0x45, KP_Add, {equal}},
        {0x4E, KP_Subtract, {minus}},
        {0x4B, KP_Divide, {slash}},
        {0x51, KP_Equal, {equal}},
        {0x4C, KP_Enter, {Return}},
        {0x48, XF86AudioRaiseVolume, {}},
        {0x49, XF86AudioLowerVolume, {}},
        {0x4A, XF86AudioMute, {}},
    };
    std::vector<Event> expected;
    for (std::uint32_t id = 1; id <= cases.size(); ++id) {
        ASSERT_EQ(shortcuts->registerShortcut(cases[id - 1].carbon, 0, id), Outcome::registered) << id;
        expected.insert(expected.end(), {Event{id, Edge::down}, Event{id, Edge::up}});
    }
    // Like most PC keymaps, the test's has no Clear key.
    EXPECT_EQ(shortcuts->registerShortcut(0x47, 0, 100), Outcome::unknownKey);
    for (const bool numLock : {false, true}) {
        keyboard.setLock(Num_Lock, modifiers.numLock, numLock);
        for (const Case& c : cases) {
            keyboard.tap({c.key});
            for (std::uint32_t twin : c.twins) keyboard.tap({twin});
        }
        EXPECT_THAT(eventsUpToMarker(), ::testing::ElementsAreArray(expected)) << "Num Lock on: " << numLock;
    }
}

TEST_F(XcbGlobalShortcutsTest, TheKeypadPointOfADecimalCommaLayoutIsStillTheKeypads) {
    using namespace keysym;
    // As the German layout has it: KP_Separator with Num Lock on, KP_Decimal left to a second keypad point
    // that most keyboards lack.
    KeyRowOverride row(keyboard.connection(), keyboard.keycode(KP_Delete), {KP_Delete, KP_Separator});
    ASSERT_EQ(shortcuts->registerShortcut(0x41, 0, 1), Outcome::registered);
    for (const bool numLock : {false, true}) {
        keyboard.setLock(Num_Lock, modifiers.numLock, numLock);
        keyboard.tap({KP_Delete});
        EXPECT_THAT(eventsUpToMarker(), ElementsAre(Event{1, Edge::down}, Event{1, Edge::up}))
            << "Num Lock on: " << numLock;
    }
}

TEST_F(XcbGlobalShortcutsTest, HeldKeyRepeatsDownAndComesUpOnce) {
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 1), Outcome::registered);
    keyboard.press(keysym::Super_L);
    keyboard.press(keysym::F12);
    // The server's auto-repeat starts after its delay; wait for a few repeats.
    const bool repeated = waitFor([&] { return events.size() >= 3; });
    keyboard.release(keysym::F12);
    keyboard.release(keysym::Super_L);
    ASSERT_TRUE(repeated) << "no auto-repeat seen";
    ASSERT_TRUE(waitFor([&] { return events.back().edge == Edge::up; }));
    const auto all = eventsUpToMarker();
    ASSERT_GE(all.size(), 4u);
    EXPECT_EQ(std::count(all.begin(), all.end(), Event{1, Edge::up}), 1)
        << "detectable auto-repeat: no release until the key is up";
    EXPECT_EQ(all.back(), (Event{1, Edge::up}));
}

TEST_F(XcbGlobalShortcutsTest, CombinationHeldByAnotherClientIsRefusedAndOthersStillRegister) {
    ForeignGrabber other;
    ASSERT_EQ(other.grab(keyboard.keycode(keysym::F12), modifiers.super), 0);

    EXPECT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 1), RegistrationStatus::refusedByServer(kBadAccess));
    ASSERT_EQ(shortcuts->registerShortcut(carbonF11, cmd, 2), Outcome::registered);

    keyboard.tap({keysym::Super_L, keysym::F12});
    keyboard.tap({keysym::Super_L, keysym::F11});
    EXPECT_THAT(eventsUpToMarker(), ElementsAre(Event{2, Edge::down}, Event{2, Edge::up}));
}

TEST_F(XcbGlobalShortcutsTest, RefusedLockVariantUndoesTheVariantsAlreadyGrabbed) {
    ASSERT_NE(modifiers.numLock, 0);
    const xcb_keycode_t f12 = keyboard.keycode(keysym::F12);
    {
        ForeignGrabber other;
        // Only the Num Lock variant is taken, so the plain one is grabbed before the refusal.
        ASSERT_EQ(other.grab(f12, modifiers.super | modifiers.numLock), 0);
        EXPECT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 1), RegistrationStatus::refusedByServer(kBadAccess));
    }
    ForeignGrabber third;
    for (std::uint16_t lock : modifiers.lockVariants())
        EXPECT_EQ(third.grab(f12, modifiers.super | lock), 0) << "variant 0x" << std::hex << lock << " left grabbed";
}

TEST_F(XcbGlobalShortcutsTest, OurOwnRefusals) {
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 1), Outcome::registered);
    EXPECT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 2), Outcome::combinationInUse);
    EXPECT_EQ(shortcuts->registerShortcut(carbonF11, cmd, 1), Outcome::idInUse);
    EXPECT_EQ(shortcuts->registerShortcut(0xffff, 0, 3), Outcome::unknownKey);
    // Ctrl+Alt+F12 switches consoles in the server, which never sends it on; with Shift it is the key.
    EXPECT_EQ(shortcuts->registerShortcut(carbonF12, control | option, 5), Outcome::reservedBySystem);
    EXPECT_EQ(shortcuts->registerShortcut(carbonF12, control | option | cmd, 6), Outcome::reservedBySystem);
    EXPECT_EQ(shortcuts->registerShortcut(carbonF12, control | option | shift, 7), Outcome::registered);
    EXPECT_EQ(shortcuts->registerShortcut(carbonT, control | option, 8), Outcome::registered);
    // Unregistering frees the combination for a new id.
    shortcuts->unregisterShortcut(1);
    EXPECT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 4), Outcome::registered);
}

TEST_F(XcbGlobalShortcutsTest, UnregisteredWhileHeldSwallowsItsRepeatsAndReleaseAndNewIdWorks) {
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 1), Outcome::registered);
    keyboard.press(keysym::Super_L);
    keyboard.press(keysym::F12);
    ASSERT_TRUE(waitForEvents(1));
    shortcuts->unregisterShortcut(1);
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 2), Outcome::registered);
    // The server's auto-repeat goes on: its grab of the held key outlives the unregistered shortcut.
    KeyPressCounter presses(keyboard.keycode(keysym::F12));
    const bool repeated = waitFor([&] { return presses.count() >= 2; });
    keyboard.release(keysym::F12);
    keyboard.release(keysym::Super_L);
    ASSERT_TRUE(repeated) << "no auto-repeat seen";
    const auto held = eventsUpToMarker();
    ASSERT_FALSE(held.empty());
    EXPECT_THAT(held, ::testing::Each(Event{1, Edge::down}));

    keyboard.tap({keysym::Super_L, keysym::F12});
    EXPECT_THAT(eventsUpToMarker(), ElementsAre(Event{2, Edge::down}, Event{2, Edge::up}));
}

TEST_F(XcbGlobalShortcutsTest, KeyMovedToAnotherKeycodeIsGrabbedThere) {
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, 1), Outcome::registered);
    const xcb_keycode_t before = keyboard.keycode(keysym::F12);
    KeyboardMapOverride map(keyboard.connection(), before);
    ASSERT_NE(map.to(), 0) << "the keymap has a free keycode";
    ASSERT_EQ(keyboard.keycode(keysym::F12), map.to());
    // X delivers in order: once the marker is through, so is the map change.
    EXPECT_THAT(eventsUpToMarker(), ElementsAre());

    keyboard.tap({keysym::Super_L, keysym::F12});
    EXPECT_THAT(eventsUpToMarker(), ElementsAre(Event{1, Edge::down}, Event{1, Edge::up}));
    ForeignGrabber other;
    EXPECT_EQ(other.grab(map.to(), modifiers.super), kBadAccess) << "grabbed on the new keycode";
    EXPECT_EQ(other.grab(before, modifiers.super), 0) << "the old keycode is let go";
}

TEST_F(XcbGlobalShortcutsTest, ModifierMapChangeIsFollowed) {
    struct Case {
        const char* name;
        std::uint32_t movedKeysym;  // to Mod3, which the stock map leaves empty
        bool lockOn;
    };
    std::uint32_t id = 0;
    for (const Case& c :
         {Case{"Num Lock moved, and on", keysym::Num_Lock, true}, Case{"Super moved", keysym::Super_L, false}}) {
        ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd, ++id), Outcome::registered) << c.name;
        {
            ModifierMapOverride map(keyboard.connection(), {{keyboard.keycode(c.movedKeysym), 5}});
            EXPECT_THAT(eventsUpToMarker(), ElementsAre()) << c.name;
            if (c.lockOn) keyboard.setLock(c.movedKeysym, XCB_MOD_MASK_3, true);
            keyboard.tap({keysym::Super_L, keysym::F12});
            const auto seen = eventsUpToMarker();
            if (c.lockOn) keyboard.setLock(c.movedKeysym, XCB_MOD_MASK_3, false);
            EXPECT_THAT(seen, ElementsAre(Event{id, Edge::down}, Event{id, Edge::up})) << c.name;
        }
        shortcuts->unregisterShortcut(id);
    }
}

TEST_F(XcbGlobalShortcutsTest, DestructionReleasesEveryGrab) {
    ASSERT_EQ(shortcuts->registerShortcut(carbonF12, cmd | control, 1), Outcome::registered);
    shortcuts.reset();
    ForeignGrabber other;
    const std::uint16_t wanted = modifiers.super | XCB_MOD_MASK_CONTROL;
    for (std::uint16_t lock : modifiers.lockVariants())
        EXPECT_EQ(other.grab(keyboard.keycode(keysym::F12), wanted | lock), 0) << std::hex << lock;
}

TEST_F(XcbGlobalShortcutsTest, TheDesktopFacilityOnAnXDisplayIsTheX11One) {
    const auto desktop = GlobalShortcuts::forThisDesktop();
    EXPECT_TRUE(desktop->isAvailable());
    EXPECT_NE(dynamic_cast<XcbGlobalShortcuts*>(desktop.get()), nullptr);
}

}  // namespace
}  // namespace quillmark::testing
