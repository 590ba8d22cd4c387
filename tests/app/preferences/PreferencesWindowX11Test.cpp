// The preferences window on a laptop's screen (1366x768) under a real window manager (openbox): its
// frame stays on the screen, the content scrolls by wheel and keys and to the focused field, and the
// SPL rows grow it no further. Screenshots of the screen go to <build>/preferences-renderings/.
#include "app/preferences/PreferencesView.h"
#include "app/preferences/PreferencesWindowController.h"
#include "app/preferences/kit/VellCheckbox.h"
#include "app/preferences/kit/VellNumericField.h"
#include "app/preferences/kit/VellScrollArea.h"
#include "app/preferences/kit/VellScrollBar.h"

#include "PreferencesTestSupport.h"
#include "WidgetTestSupport.h"
#include "X11TestSupport.h"
#include "XTestKeyboard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>

#include <memory>

namespace quillmark::testing {
namespace {

namespace keys {
inline constexpr std::uint32_t Home = 0xff50, Up = 0xff52, Page_Up = 0xff55, Page_Down = 0xff56, End = 0xff57;
}  // namespace keys

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(5000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

class PreferencesWindowX11Test : public ::testing::Test {
protected:
    // One window manager for the whole program, on its own X server.
    static void SetUpTestSuite() {
        // No session bus: the desktop services it offers are not needed here, and libdbus leaks on exit.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
        widgetTestApplication();
        windowManager = new QProcess;
        windowManager->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        ASSERT_TRUE(windowManager->waitForStarted(5000)) << "openbox did not start";
        ASSERT_TRUE(waitFor(
            [] {
                return run(QStringLiteral("xprop"),
                           {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains(QStringLiteral("window id"));
            },
            std::chrono::seconds(10)))
            << "openbox never took the screen";
    }
    static void TearDownTestSuite() {
        windowManager->terminate();
        if (!windowManager->waitForFinished(3000)) windowManager->kill();
        windowManager->waitForFinished(3000);
        delete windowManager;
    }

    void SetUp() override {
        harness.reportLevel(-18.5);
        harness.store.splReferenceAt0dBFS.set(103);
        controller = std::make_unique<PreferencesWindowController>(harness.store, harness.monitor, harness.loginItem,
                                                                   harness.queue);
        controller->show();
        // Framed by the window manager, active, and fitted to the frame it drew.
        ASSERT_TRUE(waitFor([&] {
            harness.queue.runPending();
            const QRect outer = window().frameGeometry();
            const QRect inner = window().geometry();
            return window().isActiveWindow() && outer != inner &&
                   controller->frameMargins() == QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                                                          outer.right() - inner.right(),
                                                          outer.bottom() - inner.bottom());
        })) << "the window was never framed and activated";
        // Where the window manager puts it once it has the fitted size and place.
        EXPECT_TRUE(waitFor([&] { return available().contains(window().frameGeometry()); }))
            << "title bar or bottom off the screen";
    }

    QWidget& window() const { return controller->window(); }
    VellScrollArea& area() const { return controller->scrollArea(); }
    QScrollBar& scroll() const { return *area().verticalScrollBar(); }
    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // Whether all of `widget` lies in the visible part of the content.
    bool inView(const QWidget& widget) const {
        const QRect shown(widget.mapTo(area().viewport(), QPoint(0, 0)), widget.size());
        return area().viewport()->rect().contains(shown);
    }
    template <class T>
    T& child(const char* name) const {
        T* found = controller->view().findChild<T*>(QString::fromLatin1(name));
        if (!found) ADD_FAILURE() << "no " << name;
        return *found;
    }
    bool scrollsTo(int value) {
        return waitFor([&] { return scroll().value() == value; });
    }
    void screenshot(const QString& name) {
        QApplication::processEvents();
        const QString dir = qEnvironmentVariable("QUILLMARK_BINARY_DIR", QDir::currentPath());
        QDir directory(QDir(dir).filePath(QStringLiteral("preferences-renderings")));
        ASSERT_TRUE(directory.mkpath(QStringLiteral(".")));
        QImage shot;
        ASSERT_TRUE(waitFor([&] {
            shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            return !shot.isNull();
        }));
        ASSERT_TRUE(shot.save(directory.filePath(name)));
    }

    static inline QProcess* windowManager = nullptr;
    PreferencesHarness harness;
    XTestKeyboard keyboard;
    std::unique_ptr<PreferencesWindowController> controller;
};

TEST_F(PreferencesWindowX11Test, TheFrameFillsTheScreenHeightAndNoMoreAndTheRestOfTheContentScrolls) {
    const QRect frame = window().frameGeometry();
    EXPECT_EQ(frame.top(), available().top());
    EXPECT_EQ(frame.bottom(), available().bottom()) << "as high as the screen lets it";
    EXPECT_GT(controller->frameMargins().top(), 0) << "openbox's title bar";
    EXPECT_EQ(window().width(), 880);
    EXPECT_EQ(controller->view().height(), controller->view().fittingHeight());
    EXPECT_EQ(scroll().maximum(), controller->view().height() - area().viewport()->height());
    EXPECT_TRUE(area().scrollBar().isVisible());
    EXPECT_FALSE(inView(child<VellCheckbox>("crashReportingCheckbox")));
    screenshot(QStringLiteral("preferences-1366x768.png"));

    // The wheel over the content, as the pointer gives it.
    const QPoint centre = window().geometry().center();
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()), QStringLiteral("click"),
         QStringLiteral("--repeat"), QStringLiteral("3"), QStringLiteral("5")});
    EXPECT_TRUE(waitFor([&] { return scroll().value() > 0; })) << "the wheel did not scroll";

    // No field has the focus: the keys of the window scroll it.
    keyboard.tap({keys::Home});
    ASSERT_TRUE(scrollsTo(0));
    keyboard.tap({keys::Page_Down});
    EXPECT_TRUE(scrollsTo(std::min(scroll().pageStep(), scroll().maximum())));
    keyboard.tap({keys::End});
    ASSERT_TRUE(scrollsTo(scroll().maximum()));
    EXPECT_TRUE(inView(child<VellCheckbox>("crashReportingCheckbox"))) << "the last section can be reached";
    screenshot(QStringLiteral("preferences-1366x768-scrolled.png"));
    keyboard.tap({keys::Up});
    EXPECT_TRUE(scrollsTo(scroll().maximum() - scroll().singleStep()));
}

TEST_F(PreferencesWindowX11Test, TheSPLRowsLengthenTheScrollAndAFocusedFieldScrollsIntoView) {
    const QRect before = window().frameGeometry();
    const int range = scroll().maximum();
    harness.store.splReadoutEnabled.set(true);
    ASSERT_TRUE(waitFor([&] {
        harness.queue.runPending();
        return scroll().maximum() > range;
    }));
    EXPECT_EQ(window().frameGeometry(), before) << "already as high as the screen";
    EXPECT_GE(scroll().maximum() - range, 24);

    auto& spl = child<VellNumericField>("splField");
    EXPECT_FALSE(inView(spl));
    spl.lineEdit().setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(waitFor([&] { return inView(spl); })) << "the focused field was left out of view";

    // With a field focused the arrows are the field's; Page Up still scrolls.
    const int value = scroll().value();
    keyboard.tap({keys::Up});
    keyboard.tap({keys::Page_Up});
    EXPECT_TRUE(scrollsTo(std::max(0, value - scroll().pageStep())));
}

}  // namespace
}  // namespace quillmark::testing
