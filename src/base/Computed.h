#pragma once

#include "base/Signal.h"

#include <cstdint>
#include <functional>

namespace panemark {

// A property its owner computes from state it keeps once (the active profile's commands, read
// from the active profile): read through the owner, announced by the owner when what it is
// computed from changed. Observers hear a copy, as they may change the owner while they hear.
template <class T> class Computed {
public:
    explicit Computed(std::function<const T&()> read) : read_(std::move(read)) {}
    Computed(const Computed&) = delete;
    Computed& operator=(const Computed&) = delete;

    const T& get() const { return read_(); }
    operator const T&() const { return get(); }

    void announce() {
        const std::uint64_t serial = ++serial_;
        const T announced = get();
        changes_.emitWhile([this, serial] { return serial_ == serial; }, announced);
    }

    // Delivers the current value at once, then every later new value.
    [[nodiscard]] Subscription subscribe(std::function<void(const T&)> observer) {
        observer(get());
        return changes_.connect(std::move(observer));
    }

private:
    std::function<const T&()> read_;
    Signal<T> changes_;
    std::uint64_t serial_ = 0;
};

} // namespace panemark
