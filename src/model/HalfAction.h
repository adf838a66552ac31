#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace panemark {

// Which half of the screen a half-step command aims at.
class HalfAction {
public:
    enum Value : std::uint8_t { top, bottom };

    constexpr HalfAction(Value value = top) : value_(value) {}
    constexpr operator Value() const { return value_; }

    static constexpr std::array<HalfAction, 2> allCases() { return {top, bottom}; }
    static std::optional<HalfAction> fromRawValue(std::string_view raw);
    std::string_view rawValue() const { return value_ == top ? "top" : "bottom"; }

private:
    Value value_;
};

} // namespace panemark
