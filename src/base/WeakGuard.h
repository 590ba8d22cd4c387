#pragma once

#include <memory>
#include <utility>

namespace quillmark {

// Lets callbacks that may outlive their owner do nothing once it is gone. The owner keeps one as a
// member and wraps every long-lived callback with it. Meant for callbacks that run on the owner's own
// thread or queue, so that none can be running while the owner is destroyed.
class WeakGuard {
public:
    WeakGuard() = default;
    WeakGuard(const WeakGuard&) = delete;
    WeakGuard& operator=(const WeakGuard&) = delete;

    // Expires when the guard ends.
    std::weak_ptr<const void> watch() const noexcept { return alive_; }

    // `work`, called only while the guard has not ended.
    template <class Work>
    auto wrap(Work work) const {
        return [alive = watch(), work = std::move(work)](auto&&... arguments) mutable {
            if (!alive.expired()) work(std::forward<decltype(arguments)>(arguments)...);
        };
    }

    // `work`'s result while the guard has not ended, `whenGone` after.
    template <class Work, class Result>
    auto wrap(Work work, Result whenGone) const {
        return [alive = watch(), work = std::move(work), whenGone = std::move(whenGone)](auto&&... arguments) mutable {
            return alive.expired() ? whenGone : work(std::forward<decltype(arguments)>(arguments)...);
        };
    }

    // Ends it before the owner's destructor finishes, for owners that must stop their callbacks first.
    void end() noexcept { alive_.reset(); }

private:
    std::shared_ptr<const int> alive_ = std::make_shared<const int>(0);
};

}  // namespace quillmark
