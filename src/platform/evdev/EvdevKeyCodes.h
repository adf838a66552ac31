#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace panemark {

// The one table between the classic virtual-key codes that shortcuts store (0 = A, 18 = 1,
// 123 = ←) and Linux evdev key codes (an X keycode is the evdev code + 8). A key with no
// classic code is stored as 256 + its evdev code, so it can still be bound.
namespace EvdevKeyCodes {

constexpr std::uint32_t unmappedBase = 256;
constexpr std::uint32_t xKeycodeOffset = 8;

// None for a classic code with no key on Linux keyboards.
std::optional<std::uint32_t> evdevFor(std::uint32_t virtualKey);
std::uint32_t virtualKeyFor(std::uint32_t evdev);
// Whether an X server can have the key at all (its X keycode fits in 8 bits).
bool canExist(std::uint32_t virtualKey);
// Every classic code that has a key on Linux keyboards, ascending.
std::vector<std::uint32_t> classicCodes();

} // namespace EvdevKeyCodes

} // namespace panemark
