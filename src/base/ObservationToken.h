#pragma once

#include <functional>
#include <utility>

namespace quillmark {

// Keeps one observation alive; destroying or cancelling it removes the observer. Safe to outlive the
// observed object. Move-only.
class ObservationToken {
public:
    ObservationToken() = default;
    explicit ObservationToken(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    ObservationToken(ObservationToken&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    ObservationToken& operator=(ObservationToken&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    ObservationToken(const ObservationToken&) = delete;
    ObservationToken& operator=(const ObservationToken&) = delete;
    ~ObservationToken() { cancel(); }

    void cancel() {
        if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
    }
    bool isActive() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

}  // namespace quillmark
