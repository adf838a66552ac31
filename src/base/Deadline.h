#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>

namespace panemark {

// The moment a whole operation must be done by. Each wait inside it is given what is left, so
// an operation of many round trips is bounded as one, not per step.
class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    // Negative, NaN or endless timeouts are taken as none left (NaN) or clamped to a day.
    explicit Deadline(double seconds) : at_(Clock::now() + toDuration(seconds)) {}

    double remaining() const {
        return std::max(0.0, std::chrono::duration<double>(at_ - Clock::now()).count());
    }
    bool passed() const { return Clock::now() >= at_; }
    Clock::time_point at() const { return at_; }

private:
    static Clock::duration toDuration(double seconds) {
        const double bounded = std::isnan(seconds) ? 0.0 : std::clamp(seconds, 0.0, 86400.0);
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(bounded));
    }
    Clock::time_point at_;
};

} // namespace panemark
