#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace panemark {

// The first block of a monitor's EDID: a "DEL" monitor, product 0x1234, serial 0x12345678,
// named "U2720\x1bQ" (a control byte a name must not carry into logs).
inline std::vector<std::uint8_t> edidBlock() {
    std::vector<std::uint8_t> bytes(128, 0);
    const std::uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), bytes.begin());
    bytes[8] = 0x10; // "DEL": D=4, E=5, L=12 packed in five bits each
    bytes[9] = 0xAC;
    bytes[10] = 0x34, bytes[11] = 0x12;                                     // product 0x1234
    bytes[12] = 0x78, bytes[13] = 0x56, bytes[14] = 0x34, bytes[15] = 0x12; // serial
    const std::uint8_t name[] = {0,   0,      0,   0xFC, 0,   'U', '2', '7', '2',
                                 '0', '\x1b', 'Q', '\n', ' ', ' ', ' ', ' ', ' '};
    std::copy(std::begin(name), std::end(name), bytes.begin() + 72);
    return bytes;
}

} // namespace panemark
