#include "app/AppDelegate.h"
#include "app/EnginePortOption.h"
#include "app/QuitOnSignal.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // a tray program: closing the meter window is not quitting
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    quillmark::AppDelegate::Options options;
    options.enginePort =
        quillmark::EnginePortOption::resolve(arguments, std::getenv(quillmark::EnginePortOption::environmentVariable));
    quillmark::AppDelegate delegate(options);
    quillmark::QuitOnSignal quitOnSignal;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { delegate.applicationWillTerminate(); });
    QTimer::singleShot(0, [&] { delegate.applicationDidFinishLaunching(); });
    return app.exec();
}
