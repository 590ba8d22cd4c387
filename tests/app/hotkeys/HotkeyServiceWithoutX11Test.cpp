#include "app/hotkeys/HotkeyService.h"

#include "log/SystemLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <string>
#include <vector>

namespace quillmark::testing {
namespace {

// On a platform without an X display (here Qt's offscreen one), as on Wayland without XWayland.
TEST(HotkeyServiceWithoutX11, RegistersNothingLogsOneLineAndRuns) {
    int argc = 1;
    char name[] = "quillmark-no-x11-test";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    ASSERT_NE(QGuiApplication::platformName(), QLatin1String("xcb"));

    std::vector<std::string> logged;
    SystemLog::Capture capture([&](std::string_view line) { logged.emplace_back(line); });
    HotkeyService service;
    service.handler = [](HotkeyAction, HotkeyPhase) { FAIL() << "no hotkey can fire"; };
    for (const auto& [action, binding] : HotkeyBinding::firstRunDefaults()) service.registerHotkey(action, binding);
    service.unregisterAll();
    QCoreApplication::processEvents();

    EXPECT_THAT(service.registrations(), ::testing::IsEmpty());
    EXPECT_EQ(logged.size(), 1u);
}

}  // namespace
}  // namespace quillmark::testing
