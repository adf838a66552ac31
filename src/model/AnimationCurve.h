#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace panemark {

// The easing of a window animation: maps a time fraction to a progress fraction.
class AnimationCurve {
public:
    enum Value : std::uint8_t { linear, easeOut, easeInOut };

    constexpr AnimationCurve(Value value = easeInOut) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static constexpr std::array<AnimationCurve, 3> allCases() {
        return {linear, easeOut, easeInOut};
    }
    static std::optional<AnimationCurve> fromRawValue(std::string_view raw);
    std::string_view rawValue() const;
    std::string_view label() const;

    // t is clamped to [0, 1] first; every curve gives 0 at 0 and 1 at 1.
    double progress(double t) const;

private:
    Value value_;
};

} // namespace panemark
