// A quit of the application while the consent dialog is open, by each way a quit arrives: the dialog
// answers false at once, the quit goes on, and no further dialog shows while it is under way.
#include "WidgetTestSupport.h"

#include "app/ApplicationQuit.h"
#include "app/QuitOnSignal.h"
#include "app/dialogs/ConsentDialog.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>

namespace quillmark::testing {
namespace {

using namespace std::chrono_literals;

struct QuitCase {
    const char* name;
    std::function<void()> quit;
};

class ConsentDialogQuit : public ::testing::TestWithParam<QuitCase> {};

bool ask() {
    return ConsentDialog::run(QStringLiteral("Updates"), QStringLiteral("Check for updates automatically?"),
                              QStringLiteral("Check"), QStringLiteral("Don't check"), HUDAppearance::system);
}

TEST_P(ConsentDialogQuit, EndsTheDialogWithFalseAndTheQuitGoesOn) {
    int argc = 1;
    char name[] = "quit-test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QuitOnSignal quitOnSignal;  // as the program installs it
    bool aboutToQuit = false;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { aboutToQuit = true; });

    std::optional<bool> first;
    std::optional<bool> second;
    bool underwayAfter = false;
    bool secondShowedAWindow = false;
    std::chrono::steady_clock::duration firstTook{};
    QTimer::singleShot(0, [&] {
        EXPECT_FALSE(ApplicationQuit::isUnderway());
        whenDialogOpens([&](DialogWindow&) { GetParam().quit(); });
        const auto start = std::chrono::steady_clock::now();
        first = ask();
        firstTook = std::chrono::steady_clock::now() - start;
        underwayAfter = ApplicationQuit::isUnderway();
        // The first-run questions ask nothing more: a later dialog answers at once, unseen.
        QTimer::singleShot(0, [&] { secondShowedAWindow = openDialog() != nullptr; });
        second = ask();
    });
    // Should the quit not go on, this ends the loop with another code.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(2); });

    EXPECT_EQ(app.exec(), 0);
    EXPECT_TRUE(aboutToQuit);
    EXPECT_EQ(first, false);
    EXPECT_LT(firstTook, 5s);
    EXPECT_TRUE(underwayAfter);
    EXPECT_EQ(second, false);
    EXPECT_FALSE(secondShowedAWindow);
}

INSTANTIATE_TEST_SUITE_P(Ways, ConsentDialogQuit,
                         ::testing::Values(QuitCase{"TrayQuit", [] { ApplicationQuit::request(); }},
                                           // What a newer copy sends, and what the session sends at logout.
                                           QuitCase{"SIGTERM", [] { std::raise(SIGTERM); }},
                                           // A close request that reaches every window first (Qt's own quit) is refused
                                           // by the dialog and so stays out of the way of ours.
                                           QuitCase{"QuitAfterRefusedClose",
                                                    [] {
                                                        QCoreApplication::quit();
                                                        ApplicationQuit::request();
                                                    }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ApplicationQuit, BelongsToOneApplicationObject) {
    int argc = 1;
    char name[] = "quit-test";
    char* argv[] = {name, nullptr};
    {
        QApplication app(argc, argv);
        ApplicationQuit::request();
        EXPECT_TRUE(ApplicationQuit::isUnderway());
    }
    EXPECT_FALSE(ApplicationQuit::isUnderway());
    QApplication next(argc, argv);
    EXPECT_FALSE(ApplicationQuit::isUnderway());
}

}  // namespace
}  // namespace quillmark::testing
