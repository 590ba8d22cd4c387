#include "app/hotkeys/HotkeyService.h"

#include "FakeGlobalShortcuts.h"

#include "ApplyBindings.h"
#include "log/SystemLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace quillmark::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Edge = GlobalShortcuts::Edge;

using FakeShortcuts = FakeGlobalShortcuts;

struct Received {
    HotkeyAction action;
    HotkeyPhase phase;
    friend bool operator==(const Received&, const Received&) = default;
    friend void PrintTo(const Received& r, std::ostream* os) {
        *os << rawValue(r.action) << (r.phase == HotkeyPhase::pressed ? " pressed" : " released");
    }
};

const HotkeyBinding optionF12{111, 0x800, "F12"};
const HotkeyBinding optionF11{103, 0x800, "F11"};

class HotkeyServiceTest : public ::testing::Test {
protected:
    void makeService() {
        service = std::make_unique<HotkeyService>(std::make_unique<FakeShortcuts>(shortcuts));
        service->handler = [this](HotkeyAction action, HotkeyPhase phase) { received.push_back({action, phase}); };
    }
    void apply(const HotkeyBindings& bindings) { applyBindings(*service, bindings); }
    void fire(std::uint32_t id, Edge edge) { shortcuts.listener(id, edge); }

    std::vector<std::string> logged;
    SystemLog::Capture capture{[this](std::string_view line) { logged.emplace_back(line); }};
    FakeShortcuts::Log shortcuts;
    std::unique_ptr<HotkeyService> service;
    std::vector<Received> received;
};

std::vector<std::uint32_t> idsOf(const HotkeyService& service) {
    std::vector<std::uint32_t> ids;
    for (const auto& registration : service.registrations()) ids.push_back(registration.hotKeyID);
    return ids;
}

TEST_F(HotkeyServiceTest, EveryApplicationGivesFreshIdsInActionOrder) {
    makeService();
    for (std::uint32_t round = 0; round < 3; ++round) {
        apply(HotkeyBinding::firstRunDefaults());
        std::vector<std::uint32_t> expected;
        for (std::uint32_t id = round * 10 + 1; id <= round * 10 + 10; ++id) expected.push_back(id);
        EXPECT_EQ(idsOf(*service), expected) << "round " << round;
        EXPECT_EQ(service->registrations().front().action, HotkeyAction::dim);
        EXPECT_EQ(service->registrations().back().action, HotkeyAction::recallReference3);
    }
    EXPECT_EQ(shortcuts.live.size(), 10u) << "the earlier rounds were unregistered";
    EXPECT_EQ(shortcuts.live.at(21), (std::pair<std::uint32_t, std::uint32_t>{109, 0x800}));  // dim: ⌥F10
    EXPECT_THAT(logged, IsEmpty());
}

TEST_F(HotkeyServiceTest, RefusedBindingIsLoggedUsesUpItsIdAndTheOthersRegister) {
    shortcuts.refusedKeys[103] = RegistrationStatus::refusedByServer(10);
    makeService();
    apply({{HotkeyAction::volumeUpCoarse, optionF12},
           {HotkeyAction::volumeDownCoarse, optionF11},
           {HotkeyAction::recallReference1, HotkeyBinding{17, 0x1800, "T"}}});
    EXPECT_THAT(logged, ElementsAre("Quillmark: failed to register hotkey for volumeDownCoarse status=10"));
    ASSERT_THAT(idsOf(*service), ElementsAre(1, 3));
    EXPECT_EQ(service->registrations()[1].action, HotkeyAction::recallReference1);
    service->registerHotkey(HotkeyAction::mute, HotkeyBinding{109, 0x800, "F10"});
    EXPECT_EQ(service->registrations().back().hotKeyID, 4u);  // the refused one's id stays used
}

TEST_F(HotkeyServiceTest, OnePressAndOneReleasePerStroke) {
    makeService();
    apply({{HotkeyAction::volumeUpCoarse, optionF12}, {HotkeyAction::volumeDownCoarse, optionF11}});
    fire(1, Edge::down);
    fire(1, Edge::down);  // key repeat
    fire(1, Edge::down);
    fire(2, Edge::up);  // release without a press
    fire(1, Edge::up);
    fire(1, Edge::up);    // second release
    fire(7, Edge::down);  // id nobody holds
    fire(1, Edge::down);  // a new stroke: nothing is left held
    EXPECT_THAT(received, ElementsAre(Received{HotkeyAction::volumeUpCoarse, HotkeyPhase::pressed},
                                      Received{HotkeyAction::volumeUpCoarse, HotkeyPhase::released},
                                      Received{HotkeyAction::volumeUpCoarse, HotkeyPhase::pressed}));
}

TEST_F(HotkeyServiceTest, ReleaseAfterReapplyingIsIgnored) {
    makeService();
    apply({{HotkeyAction::talkback, optionF12}});
    fire(1, Edge::down);
    apply({{HotkeyAction::talkback, optionF12}});
    fire(1, Edge::up);  // the old id is gone
    fire(2, Edge::up);  // the new id never went down
    EXPECT_THAT(received, ElementsAre(Received{HotkeyAction::talkback, HotkeyPhase::pressed}));
    EXPECT_THAT(shortcuts.unregistered, ElementsAre(1));
}

TEST_F(HotkeyServiceTest, WithoutHandlerEventsStillTrackHeldKeys) {
    makeService();
    apply({{HotkeyAction::mute, optionF12}});
    service->handler = nullptr;
    fire(1, Edge::down);
    service->handler = [this](HotkeyAction action, HotkeyPhase phase) { received.push_back({action, phase}); };
    fire(1, Edge::down);  // still a repeat
    fire(1, Edge::up);
    EXPECT_THAT(received, ElementsAre(Received{HotkeyAction::mute, HotkeyPhase::released}));
}

TEST_F(HotkeyServiceTest, HandlerMayReapplyTheBindings) {
    makeService();
    const HotkeyBindings bindings{{HotkeyAction::dim, optionF12}, {HotkeyAction::mono, optionF11}};
    apply(bindings);
    service->handler = [&](HotkeyAction action, HotkeyPhase phase) {
        received.push_back({action, phase});
        apply(bindings);
    };
    fire(2, Edge::down);
    EXPECT_THAT(received, ElementsAre(Received{HotkeyAction::mono, HotkeyPhase::pressed}));
    EXPECT_THAT(idsOf(*service), ElementsAre(3, 4));
}

TEST_F(HotkeyServiceTest, DestructionUnregistersEveryHotkeyInOrder) {
    makeService();
    apply({{HotkeyAction::dim, optionF12}, {HotkeyAction::mono, optionF11}});
    service.reset();
    EXPECT_THAT(shortcuts.unregistered, ElementsAre(1, 2));
    EXPECT_THAT(shortcuts.live, IsEmpty());
}

TEST_F(HotkeyServiceTest, WithoutGlobalShortcutsRegistersNothingAndSaysSoOnce) {
    shortcuts.available = false;
    makeService();
    apply(HotkeyBinding::firstRunDefaults());
    apply(HotkeyBinding::firstRunDefaults());
    EXPECT_THAT(shortcuts.registered, IsEmpty());
    EXPECT_THAT(service->registrations(), IsEmpty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_THAT(logged[0], ::testing::HasSubstr("X11"));
}

TEST_F(HotkeyServiceTest, SuspendedNothingIsRegisteredNorFiresAndResumeRegistersWhatIsBoundThen) {
    makeService();
    shortcuts.refusedKeys[103] = RegistrationStatus::refusedByServer(10);  // another client holds F11 for now
    apply({{HotkeyAction::volumeUpCoarse, optionF12}, {HotkeyAction::volumeDownCoarse, optionF11}});
    const std::uint32_t before = idsOf(*service).at(0);
    service->suspend();
    service->suspend();  // a second suspension changes nothing
    EXPECT_TRUE(service->isSuspended());
    EXPECT_THAT(shortcuts.live, IsEmpty());
    EXPECT_THAT(service->registrations(), IsEmpty());
    fire(before, Edge::down);
    EXPECT_THAT(received, IsEmpty());

    // The bindings change while suspended (a recording stored one): only noted.
    shortcuts.refusedKeys.clear();
    const HotkeyBinding f10{109, 0, "F10"};
    apply({{HotkeyAction::mute, f10}, {HotkeyAction::volumeDownCoarse, optionF11}});
    EXPECT_THAT(shortcuts.live, IsEmpty());

    service->resume();
    EXPECT_FALSE(service->isSuspended());
    ASSERT_EQ(service->registrations().size(), 2u);
    EXPECT_EQ(service->registrations()[0].action, HotkeyAction::mute);
    EXPECT_EQ(service->registrations()[1].action, HotkeyAction::volumeDownCoarse);
    EXPECT_EQ(shortcuts.live.size(), 2u);
    fire(service->registrations()[0].hotKeyID, Edge::down);
    EXPECT_THAT(received, ElementsAre(Received{HotkeyAction::mute, HotkeyPhase::pressed}));
    service->resume();  // not suspended: nothing
    EXPECT_EQ(shortcuts.live.size(), 2u);
}

TEST_F(HotkeyServiceTest, ResumeWithoutChangesRegistersTheSameBindingsAndThoseRefusedBefore) {
    makeService();
    shortcuts.refusedKeys[103] = RegistrationStatus::refusedByServer(10);
    apply({{HotkeyAction::volumeUpCoarse, optionF12}, {HotkeyAction::volumeDownCoarse, optionF11}});
    service->suspend();
    shortcuts.refusedKeys.clear();  // the other program let F11 go meanwhile
    service->resume();
    std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> keys;
    for (const auto& [id, key] : shortcuts.live) keys[key.first] = key;
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_TRUE(keys.count(111) && keys.count(103));
}

// Who holds a refused binding decides whether it shows: another client (which may let it go) or the
// server (which never does) count; an unknown key or this program's own second use of a combination
// does not.
TEST_F(HotkeyServiceTest, HeldElsewhereNamesTheBindingsAnotherProgramOrTheServerHoldsUntilTheyRegister) {
    shortcuts.refusedKeys[103] = RegistrationStatus::refusedByServer(10);
    shortcuts.refusedKeys[109] = RegistrationStatus::Outcome::reservedBySystem;
    shortcuts.refusedKeys[122] = RegistrationStatus::Outcome::unknownKey;
    shortcuts.refusedKeys[17] = RegistrationStatus::Outcome::combinationInUse;
    makeService();
    std::vector<std::set<HotkeyAction>> told;
    const auto observation = service->heldElsewhere.observe([&](const auto& held) { told.push_back(held); },
                                                            Published<std::set<HotkeyAction>>::Initial::skip);
    const HotkeyBindings bindings{{HotkeyAction::volumeUpCoarse, optionF12},
                                  {HotkeyAction::volumeDownCoarse, optionF11},
                                  {HotkeyAction::mono, HotkeyBinding{109, 0x1800, "F10"}},
                                  {HotkeyAction::mute, HotkeyBinding{122, 0, "F1"}},
                                  {HotkeyAction::talkback, HotkeyBinding{17, 0x1800, "T"}}};
    apply(bindings);
    const std::set<HotkeyAction> both{HotkeyAction::volumeDownCoarse, HotkeyAction::mono};
    EXPECT_EQ(service->heldElsewhere.value(), both);

    // Tried again while the other program still holds F11: nothing to tell.
    told.clear();
    EXPECT_EQ(service->retryRefused(), 1u);
    EXPECT_THAT(told, IsEmpty());
    // It let F11 go: the next try registers it and says so at once. The server never lets go.
    shortcuts.refusedKeys.erase(103);
    EXPECT_EQ(service->retryRefused(), 0u);
    EXPECT_THAT(told, ElementsAre(std::set<HotkeyAction>{HotkeyAction::mono}));

    // A recording keeps what is known; its end finds it afresh and tells once.
    shortcuts.refusedKeys[103] = RegistrationStatus::refusedByServer(10);
    told.clear();
    service->suspend();
    EXPECT_EQ(service->heldElsewhere.value(), std::set<HotkeyAction>{HotkeyAction::mono});
    service->resume();
    EXPECT_THAT(told, ElementsAre(both));

    // An action that is no longer bound leaves.
    HotkeyBindings withoutMono = bindings;
    withoutMono.erase(HotkeyAction::mono);
    apply(withoutMono);
    EXPECT_EQ(service->heldElsewhere.value(), std::set<HotkeyAction>{HotkeyAction::volumeDownCoarse});
    apply({});
    EXPECT_THAT(service->heldElsewhere.value(), IsEmpty());
}

}  // namespace
}  // namespace quillmark::testing
