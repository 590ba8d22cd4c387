// Our fixed windows under a real window manager (openbox): what they tell it they offer, what it makes
// of that, and a modal dialog that it minimises all the same.
#include "WidgetTestSupport.h"

#include "app/dialogs/AboutWindowController.h"
#include "app/dialogs/ConsentDialog.h"

#include "OpenboxWindowManager.h"
#include "TestApplication.h"
#include "X11TestSupport.h"
#include "XcbReplies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace quillmark::testing {
namespace {

using ::testing::Contains;
using ::testing::IsSupersetOf;
using ::testing::Not;

// _MOTIF_WM_HINTS, as Motif's window manager defined it and the others read it.
struct MotifHints {
    static constexpr std::uint32_t functionsFlag = 1, decorationsFlag = 2;
    static constexpr std::uint32_t functionAll = 1, functionMinimise = 8, functionMaximise = 16;
    static constexpr std::uint32_t decorationAll = 1, decorationMinimise = 32, decorationMaximise = 64;
    std::uint32_t flags = 0;
    std::uint32_t functions = 0;
    std::uint32_t decorations = 0;
};

std::optional<MotifHints> motifHints(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t atom = internAtom(connection, "_MOTIF_WM_HINTS");
    ReplyPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, atom, atom, 0, 5), nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 12) return std::nullopt;
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return MotifHints{values[0], values[1], values[2]};
}

xcb_window_t idOf(QWidget& window) { return static_cast<xcb_window_t>(window.winId()); }

bool ask() {
    return ConsentDialog::run(QStringLiteral("Launch at login"), QStringLiteral("Start Quillmark when you log in?"),
                              QStringLiteral("Start at login"), QStringLiteral("Not now"), HUDAppearance::dark);
}

// Notes whether a window was ever minimised while it watches, however briefly.
class MinimisedWatch : public QObject {
public:
    explicit MinimisedWatch(QWidget& window) : window_(window) { window.installEventFilter(this); }
    ~MinimisedWatch() override { window_.removeEventFilter(this); }

    bool seen = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange && window_.isMinimized()) seen = true;
        return false;
    }

private:
    QWidget& window_;
};

class WindowFunctionsX11Test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manager.isManaging()) << manager.error(); }

    bool isManagedAndNormal(QWidget& window) {
        return manager.wmState(idOf(window)) == OpenboxWindowManager::normalState;
    }

    QApplication& application = widgetTestApplication();
    OpenboxWindowManager manager;
};

// The hints say: no minimise, no maximise, as functions and as buttons. Openbox keeps its own minimise
// for every normal window and dialog whatever the hints say; maximising a fixed-size window it leaves out.
TEST_F(WindowFunctionsX11Test, TheConsentDialogAndTheAboutWindowTellTheManagerTheyHaveNoMinimiseOrMaximise) {
    auto check = [&](QWidget& window) {
        ASSERT_TRUE(waitFor([&] { return isManagedAndNormal(window); }));
        const std::optional<MotifHints> hints = motifHints(manager.connection(), idOf(window));
        ASSERT_TRUE(hints) << "no _MOTIF_WM_HINTS: the manager is told nothing";
        ASSERT_TRUE(hints->flags & MotifHints::functionsFlag);
        EXPECT_EQ(hints->functions &
                      (MotifHints::functionAll | MotifHints::functionMinimise | MotifHints::functionMaximise),
                  0u);
        if (hints->flags & MotifHints::decorationsFlag) {
            EXPECT_EQ(hints->decorations &
                          (MotifHints::decorationAll | MotifHints::decorationMinimise | MotifHints::decorationMaximise),
                      0u);
        }
        const std::vector<std::string> allowed = manager.atomNames(idOf(window), "_NET_WM_ALLOWED_ACTIONS");
        EXPECT_THAT(allowed, IsSupersetOf({"_NET_WM_ACTION_MOVE"})) << "the manager has not looked at it yet";
        EXPECT_THAT(allowed, Not(Contains("_NET_WM_ACTION_MAXIMIZE_HORZ")));
        EXPECT_THAT(allowed, Not(Contains("_NET_WM_ACTION_MAXIMIZE_VERT")));
        EXPECT_THAT(allowed, Not(Contains("_NET_WM_ACTION_RESIZE")));
    };
    {
        SCOPED_TRACE("consent dialog");
        whenDialogOpens([&](DialogWindow& dialog) {
            check(dialog);
            pressKey(dialog, Qt::Key_Escape);
        });
        EXPECT_FALSE(ask());
    }
    {
        SCOPED_TRACE("About window");
        AboutWindowController about;
        about.show(HUDAppearance::light);
        check(about.window());
        EXPECT_THAT(manager.atomNames(idOf(about.window()), "_NET_WM_ALLOWED_ACTIONS"),
                    Contains("_NET_WM_ACTION_CLOSE"));
    }
}

// While a question waits, nothing else of ours takes input to bring it back: a dialog the manager
// minimises returns at once, in front and active, and still answers.
TEST_F(WindowFunctionsX11Test, AModalDialogMinimisedByTheManagerComesBackAndStillAnswers) {
    bool cameBack = false;
    whenDialogOpens([&](DialogWindow& dialog) {
        ASSERT_TRUE(waitFor([&] { return isManagedAndNormal(dialog) && dialog.isActiveWindow(); }));
        MinimisedWatch watch(dialog);
        manager.minimise(idOf(dialog));
        ASSERT_TRUE(waitFor([&] { return watch.seen; })) << "the manager did not minimise the dialog";
        cameBack = waitFor([&] { return isManagedAndNormal(dialog) && dialog.isActiveWindow(); });
        EXPECT_FALSE(dialog.isMinimized());
        pressKey(dialog, Qt::Key_Return);
    });
    EXPECT_TRUE(ask());
    EXPECT_TRUE(cameBack) << "the dialog stayed minimised";
}

}  // namespace
}  // namespace quillmark::testing
