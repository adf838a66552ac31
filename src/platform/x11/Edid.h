#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace panemark {

// What a monitor says of itself in the first block of its EDID: who made it, which model, which
// unit, and its name when it gives one.
struct Edid {
    std::string manufacturer; // three letters, "DEL"
    std::uint16_t productCode = 0;
    std::uint32_t serialNumber = 0;
    std::string displayName; // may be empty

    // None unless the bytes start with a valid EDID header and hold a whole first block.
    static std::optional<Edid> parse(std::span<const std::uint8_t> bytes);

    // A stable identity for the unit, the same on every start and every port.
    std::string identity() const;
};

} // namespace panemark
