#include "app/QtMainQueue.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>

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
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(delay);
    QObject* context = context_.get();
    // The timer must be started on the main thread: hop there first, then start it.
    post([context, milliseconds, handle, work = std::move(work)]() mutable {
        if (handle.isCancelled()) return;
        QTimer::singleShot(std::max(milliseconds, std::chrono::milliseconds{0}), Qt::PreciseTimer, context,
                           [handle, work = std::move(work)] {
                               if (!handle.isCancelled()) work();
                           });
    });
    return handle;
}

MainQueue::Clock::time_point QtMainQueue::now() const { return Clock::now(); }

}  // namespace quillmark
