#pragma once

#include <concepts>
#include <optional>
#include <ranges>
#include <string>
#include <string_view>

namespace panemark {

// An enumeration offered in a choice menu: all its cases in a fixed order, each with a stable
// identity (its raw value, also its stored form) and a label to show.
template <class T>
concept LabeledChoice = requires(const T choice, std::string_view raw) {
    { T::allCases() } -> std::ranges::range;
    { choice.rawValue() } -> std::convertible_to<std::string_view>;
    { choice.label() } -> std::convertible_to<std::string_view>;
    { T::fromRawValue(raw) } -> std::same_as<std::optional<T>>;
};

// The case whose raw value is raw, for any enumeration with allCases() and rawValue().
template <class T> std::optional<T> caseWithRawValue(std::string_view raw) {
    for (const T candidate : T::allCases()) {
        if (candidate.rawValue() == raw) {
            return candidate;
        }
    }
    return std::nullopt;
}

// "a, b, c": the raw values of all cases, for error messages.
template <class T> std::string rawValueList() {
    std::string list;
    for (const T candidate : T::allCases()) {
        if (!list.empty()) {
            list += ", ";
        }
        list += candidate.rawValue();
    }
    return list;
}

} // namespace panemark
