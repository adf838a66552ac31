#pragma once

#include <functional>
#include <utility>

namespace panemark {

// Undoes a registration (a subscription, a timer) when cancelled or destroyed, whichever comes
// first. The owner of a callback holds its Cancellable, so the callback never outlives its owner.
class Cancellable {
public:
    Cancellable() = default;
    explicit Cancellable(std::function<void()> onCancel) : onCancel_(std::move(onCancel)) {}
    Cancellable(Cancellable&& other) noexcept : onCancel_(std::exchange(other.onCancel_, {})) {}
    Cancellable& operator=(Cancellable&& other) noexcept {
        if (this != &other) {
            cancel();
            onCancel_ = std::exchange(other.onCancel_, {});
        }
        return *this;
    }
    Cancellable(const Cancellable&) = delete;
    Cancellable& operator=(const Cancellable&) = delete;
    ~Cancellable() { cancel(); }

    void cancel() {
        if (auto onCancel = std::exchange(onCancel_, {})) {
            onCancel();
        }
    }

    // Gives up the right to cancel: what was registered stays registered. For fire-and-forget
    // work whose owner guarantees the lifetime itself (for example by owning the scheduler).
    void detach() { onCancel_ = {}; }

    // True while there is still something to cancel.
    explicit operator bool() const { return static_cast<bool>(onCancel_); }

private:
    std::function<void()> onCancel_;
};

using Subscription = Cancellable;
using TimerHandle = Cancellable;

} // namespace panemark
