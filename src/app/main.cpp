#include "app/AppDelegate.h"
#include "app/EnginePortOption.h"
#include "app/QuitOnSignal.h"
#include "platform/updater/Relaunch.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // a tray program: closing the meter window is not quitting
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    int status = 0;
    {
        quillmark::AppDelegate::Options options;
        options.enginePort = quillmark::EnginePortOption::resolve(
            arguments, std::getenv(quillmark::EnginePortOption::environmentVariable));
        quillmark::AppDelegate delegate(options);
        quillmark::QuitOnSignal quitOnSignal;
        // For tests: "--ignore-sigterm" makes a copy that refuses the quit request a newer copy sends.
        if (std::find(arguments.begin(), arguments.end(), "--ignore-sigterm") != arguments.end())
            std::signal(SIGTERM, SIG_IGN);
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { delegate.applicationWillTerminate(); });
        QTimer::singleShot(0, [&] { delegate.applicationDidFinishLaunching(); });
        status = app.exec();
    }
    // An AppImage that replaced itself starts again once everything above has shut down.
    quillmark::Relaunch::execIfRequested();
    return status;
}
