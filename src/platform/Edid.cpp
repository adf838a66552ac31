#include "platform/Edid.h"

#include <algorithm>
#include <array>

namespace panemark {

namespace {

constexpr std::array<std::uint8_t, 8> header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t blockSize = 128;
constexpr std::size_t descriptorOffsets[] = {54, 72, 90, 108};
constexpr std::uint8_t displayNameTag = 0xFC;
constexpr std::uint8_t serialTextTag = 0xFF;

std::string manufacturerLetters(std::uint8_t high, std::uint8_t low) {
    const unsigned packed = static_cast<unsigned>(high) << 8 | low;
    std::string letters;
    for (int shift : {10, 5, 0}) {
        const unsigned code = (packed >> shift) & 0x1F;
        letters.push_back(code >= 1 && code <= 26 ? static_cast<char>('A' + code - 1) : '?');
    }
    return letters;
}

// The 13 text bytes of a descriptor end at a line feed and are padded with spaces; keep only
// printable ASCII so a broken monitor cannot put control characters into names and log lines.
std::string descriptorText(std::span<const std::uint8_t> text) {
    std::string value;
    for (std::uint8_t c : text) {
        if (c == '\n' || c == 0) {
            break;
        }
        value.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    while (!value.empty() && value.back() == ' ') {
        value.pop_back();
    }
    return value;
}

} // namespace

std::optional<Edid> Edid::parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < blockSize || !std::equal(header.begin(), header.end(), bytes.begin())) {
        return std::nullopt;
    }
    Edid edid;
    edid.manufacturer = manufacturerLetters(bytes[8], bytes[9]);
    edid.productCode = static_cast<std::uint16_t>(bytes[10] | bytes[11] << 8);
    edid.serialNumber =
        static_cast<std::uint32_t>(bytes[12]) | static_cast<std::uint32_t>(bytes[13]) << 8 |
        static_cast<std::uint32_t>(bytes[14]) << 16 | static_cast<std::uint32_t>(bytes[15]) << 24;
    for (std::size_t offset : descriptorOffsets) {
        const auto descriptor = bytes.subspan(offset, 18);
        const bool textDescriptor = descriptor[0] == 0 && descriptor[1] == 0 && descriptor[2] == 0;
        if (textDescriptor && descriptor[3] == displayNameTag) {
            edid.displayName = descriptorText(descriptor.subspan(5, 13));
        } else if (textDescriptor && descriptor[3] == serialTextTag) {
            edid.serialText = descriptorText(descriptor.subspan(5, 13));
        }
    }
    return edid;
}

std::string Edid::identity() const {
    return "edid:" + manufacturer + ":" + std::to_string(productCode) + ":" +
           std::to_string(serialNumber);
}

std::optional<std::string> Edid::identityWithSerialText() const {
    if (serialText.empty()) {
        return std::nullopt;
    }
    return identity() + ":" + serialText;
}

} // namespace panemark
