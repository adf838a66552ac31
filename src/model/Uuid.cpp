#include "model/Uuid.h"

#include <QUuid>

namespace panemark {

namespace {

constexpr char upperHexDigits[] = "0123456789ABCDEF";

bool isGroupSeparator(std::size_t position) {
    return position == 8 || position == 13 || position == 18 || position == 23;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

Uuid Uuid::random() {
    const QByteArray raw = QUuid::createUuid().toRfc4122();
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(raw[static_cast<qsizetype>(i)]);
    }
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> bytes{};
    std::size_t nibble = 0;
    for (std::size_t position = 0; position < text.size(); ++position) {
        if (isGroupSeparator(position)) {
            if (text[position] != '-') {
                return std::nullopt;
            }
            continue;
        }
        const int value = hexValue(text[position]);
        if (value < 0) {
            return std::nullopt;
        }
        bytes[nibble / 2] = static_cast<std::uint8_t>(bytes[nibble / 2] << 4 | value);
        ++nibble;
    }
    return Uuid(bytes);
}

std::string Uuid::toString() const {
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text.push_back('-');
        }
        text.push_back(upperHexDigits[bytes_[i] >> 4]);
        text.push_back(upperHexDigits[bytes_[i] & 0xF]);
    }
    return text;
}

} // namespace panemark
