#pragma once

#include "runtime/ObservableObject.h"
#include "runtime/Signal.h"

#include <cstdint>
#include <utility>

namespace panemark {

// An observable property. Assigning notifies synchronously on the assigning thread: first the
// owner's objectWillChange, then every subscriber with the new value, and only then does the
// property hold it. An assignment made by an observer during that notification wins: the outer
// one stops notifying and is not stored.
template <class T> class Published {
public:
    explicit Published(T initial, ObservableObject* owner = nullptr)
        : value_(std::move(initial)), owner_(owner) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    void set(T newValue) {
        const std::uint64_t serial = ++serial_;
        auto stillCurrent = [this, serial] { return serial_ == serial; };
        if (owner_ != nullptr) {
            owner_->objectWillChange.emitWhile(stillCurrent);
        }
        changes_.emitWhile(stillCurrent, newValue);
        if (stillCurrent()) {
            value_ = std::move(newValue);
        }
    }

    Published& operator=(T newValue) {
        set(std::move(newValue));
        return *this;
    }

    // Delivers the current value at once, then every later new value.
    [[nodiscard]] Subscription subscribe(std::function<void(const T&)> observer) {
        observer(value_);
        return changes_.connect(std::move(observer));
    }

private:
    T value_;
    ObservableObject* owner_;
    Signal<T> changes_;
    std::uint64_t serial_ = 0;
};

} // namespace panemark
