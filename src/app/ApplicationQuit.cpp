#include "app/ApplicationQuit.h"

#include <QCoreApplication>
#include <QPointer>

namespace quillmark {

namespace {

// The application object whose quit was requested; it clears itself when that object goes away, so a
// later application object (tests make several) starts without a quit under way.
QPointer<QCoreApplication>& quittingApplication() {
    static QPointer<QCoreApplication> application;
    return application;
}

}  // namespace

void ApplicationQuit::request() {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) return;
    quittingApplication() = application;
    // Not quit(): in Qt 6 that first asks every window to close and drops the quit when one refuses,
    // as a modal dialog does. exit() ends the main loop and every nested loop running on this thread.
    QCoreApplication::exit(0);
}

bool ApplicationQuit::isUnderway() {
    const QPointer<QCoreApplication>& application = quittingApplication();
    return application && application == QCoreApplication::instance();
}

}  // namespace quillmark
