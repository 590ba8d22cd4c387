#include "app/QtMainQueue.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace quillmark {

QtMainQueue::QtMainQueue() : context_(std::make_unique<QObject>()) {}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::post(Work work) {
    // Queued onto the context's (main) thread; dropped if the context is gone by then.
    QMetaObject::invokeMethod(context_.get(), std::move(work), Qt::QueuedConnection);
}

MainQueue::Handle QtMainQueue::postAfter(Clock::duration delay, Work work) {
    Handle handle = Handle::make();
    const auto milliseconds =
        std::max(std::chrono::ceil<std::chrono::milliseconds>(delay), std::chrono::milliseconds{0});
    QObject* context = context_.get();
    auto start = [context, milliseconds, handle, work = std::move(work)]() mutable {
        if (handle.isCancelled()) return;
        QTimer::singleShot(milliseconds, Qt::PreciseTimer, context, [handle, work = std::move(work)] {
            if (!handle.isCancelled()) work();
        });
    };
    // The timer must be started on the main thread. From there it starts at once: a hop through the
    // event queue would wake the event loop once more for nothing.
    if (QThread::currentThread() == context->thread()) start();
    else post(std::move(start));
    return handle;
}

MainQueue::Clock::time_point QtMainQueue::now() const { return Clock::now(); }

}  // namespace quillmark
