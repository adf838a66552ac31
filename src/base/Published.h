#pragma once

#include "base/ObservableObject.h"
#include "base/Signal.h"

#include <cstdint>
#include <functional>
#include <utility>

namespace panemark {

// An observable property. Assigning stores the value, then notifies synchronously on the
// assigning thread: first the owner's objectChanged, then every subscriber with the new value, so
// whoever hears of a change and looks finds it already there. An assignment made by an observer
// during that notification wins: it is stored, and the outer one stops notifying.
template <class T> class Published {
public:
    explicit Published(T initial, ObservableObject* owner = nullptr)
        : value_(std::move(initial)), owner_(owner) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    void set(T newValue) {
        store(std::move(newValue));
        announce();
    }

    // For an owner that changes several properties as one: it stores each, then announces each,
    // so that every observer finds all of them new.
    void store(T newValue) { value_ = std::move(newValue); }
    void announce() {
        const std::uint64_t serial = ++serial_;
        auto stillCurrent = [this, serial] { return serial_ == serial; };
        const T announced = value_; // observers may assign again while they hear it
        if (owner_ != nullptr) {
            owner_->objectChanged.emitWhile(stillCurrent);
        }
        changes_.emitWhile(stillCurrent, announced);
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

// The face of a property that only its owner assigns or announces: everyone else reads it and
// subscribes.
template <class T, class Property = Published<T>> class ReadOnly {
public:
    explicit ReadOnly(Property& property) : property_(property) {}
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

    const T& get() const { return property_.get(); }
    operator const T&() const { return property_.get(); }
    // Delivers the current value at once, then every later new value.
    [[nodiscard]] Subscription subscribe(std::function<void(const T&)> observer) {
        return property_.subscribe(std::move(observer));
    }

private:
    Property& property_;
};

} // namespace panemark
