#pragma once

#include "core/ObservationToken.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace quillmark {

// Observers called synchronously in the order they were added. An observer may add or remove observers
// (itself included) while being called: removed ones are not called again, added ones from the next call.
template <typename... Args>
class ObserverList {
public:
    using Observer = std::function<void(Args...)>;

    ObserverList() : observers_(std::make_shared<Map>()) {}
    ObserverList(const ObserverList&) = delete;
    ObserverList& operator=(const ObserverList&) = delete;

    ObservationToken add(Observer observer) {
        const std::uint64_t id = nextID_++;
        observers_->emplace(id, std::make_shared<Observer>(std::move(observer)));
        std::weak_ptr<Map> weak = observers_;
        return ObservationToken([weak, id] {
            if (auto observers = weak.lock()) observers->erase(id);
        });
    }

    void notify(const Args&... args) const {
        std::vector<std::pair<std::uint64_t, std::shared_ptr<Observer>>> snapshot(observers_->begin(),
                                                                                  observers_->end());
        for (const auto& [id, observer] : snapshot)
            if (observers_->count(id)) (*observer)(args...);
    }

    bool empty() const { return observers_->empty(); }

private:
    using Map = std::map<std::uint64_t, std::shared_ptr<Observer>>;
    std::shared_ptr<Map> observers_;
    std::uint64_t nextID_ = 0;
};

} // namespace quillmark
