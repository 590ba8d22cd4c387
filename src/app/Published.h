#pragma once

#include "base/ObservationToken.h"
#include "base/ObserverList.h"

#include <functional>
#include <utility>

namespace quillmark {

// An observable value. observe() hands the current value to the observer at once unless told to skip
// it, then every assigned value, equal ones included: an observer that wants real changes filters them
// itself. Observers are told before the value is stored, so reading value() inside one still gives the
// previous value. Main thread only.
template <typename T>
class Published {
public:
    using Observer = std::function<void(const T&)>;
    enum class Initial { deliver, skip };

    // `willChange` runs first on every assignment, before the observers; `didStore` runs after the value
    // is stored (the owner's persistence).
    explicit Published(T initial, std::function<void()> willChange = {}, std::function<void(const T&)> didStore = {})
        : value_(std::move(initial)), willChange_(std::move(willChange)), didStore_(std::move(didStore)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& value() const { return value_; }
    const T& operator()() const { return value_; }

    void set(T newValue) {
        if (willChange_) willChange_();
        observers_.notify(newValue);
        value_ = std::move(newValue);
        if (didStore_) didStore_(value_);
    }

    [[nodiscard]] ObservationToken observe(Observer observer, Initial initial = Initial::deliver) {
        if (initial == Initial::deliver) observer(value_);
        return observers_.observe(std::move(observer));
    }

private:
    T value_;
    std::function<void()> willChange_;
    std::function<void(const T&)> didStore_;
    ObserverList<T> observers_;
};

}  // namespace quillmark
