#pragma once

#include "base/ObserverList.h"
#include "base/Uuid.h"
#include "core/MixerFrame.h"
#include "core/MonitorEvent.h"
#include "core/MonitorPaths.h"
#include "core/MonitorSnapshot.h"

#include <functional>
#include <optional>

namespace quillmark {

// Keeps the last reported monitor state, built from the engine's value frames, and tells its listeners
// of every frame that touched it. Main thread only; listeners run synchronously inside apply().
class MonitorStateStore final {
public:
    using Listener = std::function<void(const MonitorSnapshot&, const MonitorEvent&)>;

    MonitorStateStore() = default;
    MonitorStateStore(const MonitorStateStore&) = delete;
    MonitorStateStore& operator=(const MonitorStateStore&) = delete;

    const MonitorSnapshot& snapshot() const noexcept { return snapshot_; }

    // Stores `listener` under a fresh id; it is not called now.
    Uuid observe(Listener listener);
    // An unknown id is ignored.
    void removeObserver(const Uuid& id);

    // The event when `frame` is the value of one of the monitor properties of `monitorPaths` (or of
    // talkback); otherwise nothing, and nothing changes. Every matching frame raises its event, changed
    // or not; a value that does not convert empties the field.
    std::optional<MonitorEvent> apply(const MixerFrame& frame, const MonitorPaths& monitorPaths);

private:
    MonitorSnapshot snapshot_;
    ObserverList<MonitorSnapshot, MonitorEvent> listeners_;
};

}  // namespace quillmark
