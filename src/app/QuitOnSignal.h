#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace quillmark {

// Quits the Qt event loop cleanly on SIGTERM and SIGINT, so that shut-down runs as for any other quit.
// The handler only writes a byte to a pipe; the loop reads it on the main thread.
class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

private:
    void drain();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quillmark
