#include "app/QuitOnSignal.h"

#include "app/ApplicationQuit.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillmark {

namespace {

// Written from the signal handler, so a plain once-only pair of descriptors.
int signalFds[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(signalFds[0], &byte, 1);
}

void installHandler(int signalNumber) {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

void restoreDefault(int signalNumber) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent) {
    if (signalFds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalFds) != 0) return;
        ::fcntl(signalFds[0], F_SETFL, O_NONBLOCK);
        ::fcntl(signalFds[1], F_SETFL, O_NONBLOCK);
    }
    notifier_ = std::make_unique<QSocketNotifier>(signalFds[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitOnSignal::drain);
    installHandler(SIGTERM);
    installHandler(SIGINT);
}

QuitOnSignal::~QuitOnSignal() {
    restoreDefault(SIGTERM);
    restoreDefault(SIGINT);
}

void QuitOnSignal::drain() {
    char bytes[16];
    while (::read(signalFds[1], bytes, sizeof bytes) > 0) {}
    ApplicationQuit::request();
}

}  // namespace quillmark
