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
    std::string serialText;  // the serial-number descriptor (0xFF), may be empty

    // None unless the bytes start with a valid EDID header and hold a whole first block.
    static std::optional<Edid> parse(std::span<const std::uint8_t> bytes);

    // A stable identity for the unit, the same on every start and every port.
    std::string identity() const;
    // The identity told apart by the serial text, for two units of a model whose numeric serial
    // is the same (many write 0 there and the real one as text); none without a text.
    std::optional<std::string> identityWithSerialText() const;
};

} // namespace panemark
