#include "app/status/StatusBarController.h"
#include "app/status/StatusBarIcon.h"
#include "platform/tray/TrayHostColours.h"

#include "TestApplication.h"

#include "log/SystemLog.h"
#include <QApplication>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmark {
namespace {

using State = MixerEngineClient::ConnectionState;

// One menu line as the user sees it; separators read "---".
struct Item {
    std::string title;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    std::string shortcut;
    friend bool operator==(const Item&, const Item&) = default;
};

void PrintTo(const Item& item, std::ostream* out) {
    *out << '"' << item.title << '"' << (item.enabled ? "" : " disabled") << (item.checkable ? " checkable" : "")
         << (item.checked ? " checked" : "") << (item.shortcut.empty() ? "" : " " + item.shortcut);
}

// A menu title as drawn: "&&" shows one ampersand, a lone "&" marks the next character as the
// mnemonic and is not shown.
QString shownText(const QString& title) {
    QString shown;
    for (qsizetype i = 0; i < title.size(); ++i) {
        if (title[i] == u'&' && ++i == title.size()) break;
        shown += title[i];
    }
    return shown;
}

std::vector<Item> itemsOf(const QMenu& menu) {
    std::vector<Item> items;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            items.push_back({"---"});
            continue;
        }
        items.push_back({shownText(action->text()).toStdString(), action->isEnabled(), action->isCheckable(),
                         action->isChecked(), action->shortcut().toString(QKeySequence::PortableText).toStdString()});
    }
    return items;
}

QAction* actionTitled(const QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions())
        if (shownText(action->text()) == title) return action;
    return nullptr;
}

class StatusBarControllerTest : public ::testing::Test {
protected:
    StatusBarControllerTest() {
        testing::testApplication<QApplication>();
        callbacks.isMetersVisible = [this] { return metersVisible; };
        callbacks.referenceLevels = [this] { return references; };
        callbacks.splReferenceAt0dBFS = [this] { return splReference; };
        callbacks.onRecallReference = [this](int index) { recalled.push_back(index); };
    }

    StatusBarController& controller() {
        if (!made) made = std::make_unique<StatusBarController>(callbacks);
        return *made;
    }

    std::vector<Item> rebuilt() {
        QMenu menu;
        controller().rebuild(menu);
        return itemsOf(menu);
    }

    StatusBarController::Callbacks callbacks;
    bool metersVisible = false;
    std::vector<ReferenceLevel> references{
        {"Reference 1", std::nullopt}, {"Reference 2", std::nullopt}, {"Reference 3", std::nullopt}};
    double splReference = 0;
    std::vector<int> recalled;
    std::unique_ptr<StatusBarController> made;
};

TEST_F(StatusBarControllerTest, FillsEveryItemInOrder) {
    references = {{"Mix", -20.0}, {"Loud", std::nullopt}};
    const std::vector<Item> expected{
        {"Connecting\u2026", false},
        {"---"},
        {"Show Meters", true, true, false},
        {"---"},
        {"Mix   \u221220 dB", true},
        {"Loud \u2014 not set", false},
        {"Reference 3", false},
        {"---"},
        {"About Quillmark"},
        {"User Guide"},
        {"License Agreement"},
        {"Preferences\u2026", true, false, false, "Ctrl+,"},
        {"Check for Updates\u2026"},
        {"---"},
        {"Quit Quillmark"},
    };
    EXPECT_EQ(rebuilt(), expected);
}

TEST_F(StatusBarControllerTest, ShowsHideMetersWithACheckMarkWhileVisible) {
    metersVisible = true;
    EXPECT_EQ(rebuilt()[2], (Item{"Hide Meters", true, true, true}));
}

TEST_F(StatusBarControllerTest, ReferenceTitlesFollowTheSplReadout) {
    references = {{"Cal", -20.6}, {"Zero", 0.0}, {"Half", -20.25}};
    EXPECT_EQ(rebuilt()[4].title, "Cal   \u221220.6 dB");
    EXPECT_EQ(rebuilt()[5].title, "Zero   0 dB");
    EXPECT_EQ(rebuilt()[6].title, "Half   \u221220.3 dB");
    splReference = 85;
    EXPECT_EQ(rebuilt()[4].title, "Cal   64 dB SPL");
    references.clear();
    const auto items = rebuilt();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(items[4 + i], (Item{"Reference " + std::to_string(i + 1), false}));
}

// Ampersands are text, not mnemonic marks: every title shows exactly as stored and gives the menu
// no mnemonic key.
TEST_F(StatusBarControllerTest, AmpersandsInLabelsAndTheTitleShowAsStored) {
    references = {{"R&B", -20.0}, {"&&", std::nullopt}, {"Rock &", -6.0}};
    StatusBarController& bar = controller();
    bar.connectionState = State::failed("Tom & Jerry's &engine");
    bar.updateConnectionTitle();
    QMenu menu;
    bar.rebuild(menu);
    const std::vector<Item> items = itemsOf(menu);
    EXPECT_EQ(items[0].title, "Disconnected \u2014 Tom & Jerry's &engine");
    EXPECT_EQ(items[4].title, "R&B   \u221220 dB");
    EXPECT_EQ(items[5].title, "&& \u2014 not set");
    EXPECT_EQ(items[6].title, "Rock &   \u22126 dB");
    for (const QAction* action : menu.actions()) {
        EXPECT_TRUE(QKeySequence::mnemonic(action->text()).isEmpty()) << action->text().toStdString();
    }
    EXPECT_EQ(bar.trayIcon().toolTip(), "Disconnected \u2014 Tom & Jerry's &engine");  // a tooltip has no mnemonics
}

TEST_F(StatusBarControllerTest, ChoosingAReferenceRecallsItsIndex) {
    references = {{"A", -10.0}, {"B", -20.0}, {"C", -30.0}};
    QMenu menu;
    controller().rebuild(menu);
    menu.actions()[5]->trigger();
    menu.actions()[4]->trigger();
    EXPECT_EQ(recalled, (std::vector<int>{1, 0}));
}

TEST_F(StatusBarControllerTest, EachItemCallsItsCallback) {
    std::vector<std::string> calls;
    auto record = [&](const char* name) { return [&calls, name] { calls.push_back(name); }; };
    callbacks.onQuit = record("quit");
    callbacks.onPreferences = record("preferences");
    callbacks.onToggleMeters = record("meters");
    callbacks.onCheckForUpdates = record("updates");
    callbacks.onAbout = record("about");
    callbacks.onOpenManual = record("manual");
    callbacks.onOpenLicenseAgreement = record("licence");
    QMenu menu;
    controller().rebuild(menu);
    for (const char* title : {"Show Meters", "About Quillmark", "User Guide", "License Agreement", "Preferences\u2026",
                              "Check for Updates\u2026", "Quit Quillmark"}) {
        QAction* action = actionTitled(menu, QString::fromUtf8(title));
        ASSERT_NE(action, nullptr) << title;
        action->trigger();
    }
    EXPECT_EQ(calls,
              (std::vector<std::string>{"meters", "about", "manual", "licence", "preferences", "updates", "quit"}));
}

TEST_F(StatusBarControllerTest, UnsetCallbacksDoNothing) {
    callbacks = {};
    QMenu menu;
    controller().rebuild(menu);
    for (QAction* action : menu.actions()) action->trigger();
    EXPECT_EQ(itemsOf(menu)[2].title, "Show Meters");
    EXPECT_EQ(itemsOf(menu)[4].title, "Reference 1");
}

TEST(StatusBarTitle, NamesEveryConnectionState) {
    struct Case {
        State state;
        std::optional<bool> online;
        const char* title;
    };
    for (const Case& c : {
             Case{State::waiting("Connection refused"), std::nullopt, "Waiting for UA Console\u2026"},
             Case{State::failed("connection lost"), std::nullopt, "Disconnected \u2014 connection lost"},
             Case{State::idle(), std::nullopt, "Idle"},
             Case{State::connecting(), std::nullopt, "Connecting to UA Mixer Engine\u2026"},
             Case{State::ready(), false, "No interface detected"},
             Case{State::ready(), true, "Connected"},
             Case{State::ready(), std::nullopt, "Connected"},
             Case{State::cancelled(), false, "Disconnected"},
         }) {
        EXPECT_EQ(StatusBarController::titleFor(c.state, c.online).toStdString(), c.title) << c.state.description();
    }
}

TEST_F(StatusBarControllerTest, TheTitleChangesOnUpdateAndShowsAtTheNextOpening) {
    StatusBarController& bar = controller();
    QMenu menu;
    bar.attach(menu);
    EXPECT_EQ(bar.trayIcon().toolTip(), "Connecting\u2026");

    bar.connectionState = State::connecting();
    EXPECT_EQ(bar.connectionTitle(), "Connecting\u2026");  // only updateConnectionTitle() changes it
    bar.updateConnectionTitle();
    EXPECT_EQ(bar.connectionTitle(), "Connecting to UA Mixer Engine\u2026");

    bar.connectionState = State::ready();
    bar.interfaceOnline = false;
    bar.updateConnectionTitle();
    EXPECT_EQ(bar.trayIcon().toolTip(), "No interface detected");
    metersVisible = true;
    emit menu.aboutToShow();
    EXPECT_EQ(itemsOf(menu)[0].title, "No interface detected");
    EXPECT_EQ(itemsOf(menu)[2].title, "Hide Meters");
    emit bar.trayMenu().aboutToShow();
    EXPECT_EQ(itemsOf(bar.trayMenu()), itemsOf(menu));  // every menu holds the same items
}

TEST_F(StatusBarControllerTest, RebuildEmptiesAMenuThatHeldOtherItems) {
    QMenu menu;
    menu.addAction("Stale");
    menu.addSeparator();
    controller().rebuild(menu);
    controller().rebuild(menu);
    EXPECT_EQ(itemsOf(menu).size(), 15u);
    EXPECT_EQ(actionTitled(menu, "Stale"), nullptr);
}

// The icon is drawn in the palette's text colour; a new palette (a theme switch, a light or dark
// panel) redraws it in the new colour.
TEST_F(StatusBarControllerTest, TheIconFollowsEveryPaletteChange) {
    const QPalette original = QApplication::palette();
    StatusBarController& bar = controller();
    auto arcColour = [&] {
        const QImage image = bar.trayIcon().icon().pixmap(StatusBarIcon::size).toImage();
        return image.pixelColor(11, 4).rgb();  // opaque arc at the top
    };
    EXPECT_EQ(arcColour(), original.color(QPalette::WindowText).rgb());
    for (const QColor ink : {QColor(200, 30, 40), QColor(240, 240, 240)}) {
        QPalette palette = original;
        palette.setColor(QPalette::WindowText, ink);
        QApplication::setPalette(palette);
        EXPECT_EQ(arcColour(), ink.rgb()) << ink.name().toStdString();
    }
    QApplication::setPalette(original);
    EXPECT_EQ(arcColour(), original.color(QPalette::WindowText).rgb());
}

// A tray host's colours as the test sets them.
class FakeTrayHostColours final : public TrayHostColours {
public:
    std::optional<TrayColours> colours() const override { return colours_; }
    void setListener(std::function<void()> listener) override { listener_ = std::move(listener); }

    void publish(std::optional<TrayColours> colours) {
        colours_ = std::move(colours);
        if (listener_) listener_();
    }

private:
    std::optional<TrayColours> colours_;
    std::function<void()> listener_;
};

TrayColours hostColours(const QColor& foreground) { return {foreground, Qt::red, Qt::yellow, Qt::green}; }

// Where the host publishes colours, the icon is drawn in its foreground and nothing else, whatever the
// palette; where it publishes none, in the palette's text colour inside a halo of the opposite lightness.
TEST_F(StatusBarControllerTest, TheIconTakesTheTrayHostsForegroundWhileItPublishesOne) {
    const QPalette original = QApplication::palette();
    auto host = std::make_unique<FakeTrayHostColours>();
    FakeTrayHostColours& published = *host;
    published.publish(hostColours(QColor(0xee, 0xee, 0xec)));
    StatusBarController bar(callbacks, std::move(host));
    auto icon = [&] { return bar.trayIcon().icon().pixmap(StatusBarIcon::size).toImage(); };
    auto arc = [&] { return icon().pixelColor(11, 4).rgba(); };  // opaque arc at the top
    auto outside = [&] { return icon().pixelColor(11, 1); };     // just beyond it: the halo's place

    EXPECT_EQ(arc(), QColor(0xee, 0xee, 0xec).rgba());
    EXPECT_EQ(outside().alpha(), 0) << "no halo round the host's colour";

    published.publish(hostColours(QColor(0x2e, 0x34, 0x36)));
    EXPECT_EQ(arc(), QColor(0x2e, 0x34, 0x36).rgba());
    QPalette palette = original;
    palette.setColor(QPalette::WindowText, QColor(200, 30, 40));
    QApplication::setPalette(palette);
    EXPECT_EQ(arc(), QColor(0x2e, 0x34, 0x36).rgba()) << "the palette does not override the host";

    published.publish(std::nullopt);
    EXPECT_EQ(arc(), QColor(200, 30, 40).rgba());
    EXPECT_GT(outside().alpha(), 64);
    EXPECT_GT(outside().lightness(), 200) << "a dark ink gets a light halo";
    palette.setColor(QPalette::WindowText, QColor(240, 240, 240));
    QApplication::setPalette(palette);
    EXPECT_EQ(arc(), QColor(240, 240, 240).rgba());
    EXPECT_LT(outside().lightness(), 40) << "a light ink gets a dark halo";
    QApplication::setPalette(original);
}

TEST_F(StatusBarControllerTest, WithoutATrayLogsOneLineAndCarriesOn) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());  // the offscreen platform has none
    std::vector<std::string> lines;
    SystemLog::Capture capture([&](std::string_view line) { lines.emplace_back(line); });
    StatusBarController& bar = controller();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Quillmark: no system tray available; the status menu is not shown");
    EXPECT_EQ(itemsOf(bar.trayMenu()).size(), 15u);
}

}  // namespace
}  // namespace quillmark

namespace quillmark {
namespace {

// The drawing: a faint ring all round, a thick opaque arc over the left, top and right.
TEST(StatusBarIcon, DrawsAThinRingUnderAThickArc) {
    const QImage image = StatusBarIcon::image(Qt::black);
    ASSERT_EQ(image.size(), QSize(22, 22));
    auto alpha = [&](int x, int y) { return qAlpha(image.pixel(x, y)); };
    EXPECT_EQ(alpha(11, 11), 0);                                // hollow centre
    EXPECT_EQ(alpha(11, 4), 255);                               // arc at the top
    EXPECT_EQ(alpha(4, 11), 255);                               // and at the left
    EXPECT_EQ(alpha(15, 5), 255);                               // and up to the right
    EXPECT_LT(alpha(17, 11), 0.35 * 255);                       // it ends 30.6 degrees above horizontal
    const int bottom = std::max(alpha(11, 17), alpha(11, 18));  // the ring alone, 0.8 wide at 35 %
    EXPECT_GT(bottom, 10);
    EXPECT_LT(bottom, 0.35 * 255);
    EXPECT_EQ(alpha(11, 21), 0);
    const QImage doubled = StatusBarIcon::image(Qt::black, 2);
    EXPECT_EQ(doubled.size(), QSize(44, 44));
    EXPECT_EQ(qAlpha(doubled.pixel(23, 8)), 255);
}

// The halo rings every stroke, the arc's flat ends too, and leaves the ink and the hollow centre as they are.
TEST(StatusBarIcon, TheHaloRingsEveryStrokeBeneathTheInk) {
    const QColor halo = StatusBarIcon::haloFor(Qt::black);
    const QImage plain = StatusBarIcon::image(Qt::black);
    const QImage haloed = StatusBarIcon::image(Qt::black, 1, halo);
    auto at = [&](const QImage& image, int x, int y) { return image.pixelColor(x, y); };
    EXPECT_EQ(at(haloed, 11, 4), QColor(Qt::black));                              // the arc's ink on top
    EXPECT_EQ(qAlpha(haloed.pixel(11, 11)), 0);                                   // hollow centre
    EXPECT_EQ(qAlpha(haloed.pixel(11, 21)), 0);                                   // and outside
    for (const QPoint outside : {QPoint(11, 1), QPoint(11, 6), QPoint(3, 16)}) {  // above, below, past the end
        EXPECT_EQ(at(plain, outside.x(), outside.y()).alpha(), 0) << outside.x() << "," << outside.y();
        EXPECT_GT(at(haloed, outside.x(), outside.y()).alpha(), 64) << outside.x() << "," << outside.y();
        EXPECT_GT(at(haloed, outside.x(), outside.y()).lightness(), 200) << outside.x() << "," << outside.y();
    }
    EXPECT_GT(StatusBarIcon::haloFor(Qt::black).lightness(), 200);
    EXPECT_LT(StatusBarIcon::haloFor(Qt::white).lightness(), 40);
}

}  // namespace
}  // namespace quillmark
