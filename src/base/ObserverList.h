#pragma once

#include "base/ObservationToken.h"
#include "base/Uuid.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace quillmark {

// A table of listeners, called synchronously in the order they were added. Listeners are kept under a
// fresh Uuid (add/remove) or by an ObservationToken that removes its listener when dropped (observe).
// A listener may add or remove listeners while being called; the two kinds of pass differ only in
// what a removal during the pass does (see notify and notifyAsStarted). Not thread-safe.
template <typename... Args>
class ObserverList {
public:
    using Observer = std::function<void(const Args&...)>;

    ObserverList() = default;
    ObserverList(const ObserverList&) = delete;
    ObserverList& operator=(const ObserverList&) = delete;

    // Stores `observer` under a fresh id; it is not called now.
    Uuid add(Observer observer) {
        const Uuid id = Uuid::make();
        table_->push_back(std::make_shared<Entry>(Entry{id, std::move(observer), true}));
        return id;
    }

    // An unknown id is ignored.
    void remove(const Uuid& id) { removeFrom(*table_, id); }

    // As add(), with a token that removes the observer when cancelled or destroyed. The token may
    // outlive the list.
    [[nodiscard]] ObservationToken observe(Observer observer) {
        const Uuid id = add(std::move(observer));
        return ObservationToken([weak = std::weak_ptr<Table>(table_), id] {
            if (auto table = weak.lock()) removeFrom(*table, id);
        });
    }

    // Calls the observers of the table as the pass began, except those removed during the pass.
    void notify(const Args&... args) const {
        for (const auto& entry : snapshot())
            if (entry->active) entry->observer(args...);
    }

    // Calls every observer of the table as the pass began, even one removed during the pass: a change
    // of the table by a listener does not change the pass under way.
    void notifyAsStarted(const Args&... args) const {
        for (const auto& entry : snapshot()) entry->observer(args...);
    }

    bool empty() const noexcept { return table_->empty(); }

private:
    struct Entry {
        Uuid id;
        Observer observer;
        bool active;
    };
    using Table = std::vector<std::shared_ptr<Entry>>;

    static void removeFrom(Table& table, const Uuid& id) {
        const auto found = std::find_if(table.begin(), table.end(), [&](const auto& entry) { return entry->id == id; });
        if (found == table.end()) return;
        (*found)->active = false;
        table.erase(found);
    }

    Table snapshot() const { return *table_; }

    std::shared_ptr<Table> table_ = std::make_shared<Table>();
};

}  // namespace quillmark
