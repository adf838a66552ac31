#include "base/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace panemark {

namespace {

std::string hexByte(unsigned char byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
    return buffer;
}

// Length of the well-formed UTF-8 sequence at text[at], or 0; its code point in *codePoint.
std::size_t sequenceAt(std::string_view text, std::size_t at, std::uint32_t* codePoint) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    *codePoint = value;
    return length;
}

// Marks and embeddings that reorder the text around them: a name holding one could make what
// follows it on the line read backwards.
bool isBidiControl(std::uint32_t codePoint) {
    return codePoint == 0x061C || codePoint == 0x200E || codePoint == 0x200F ||
           (codePoint >= 0x202A && codePoint <= 0x202E) ||
           (codePoint >= 0x2066 && codePoint <= 0x2069);
}

// Unicode's White_Space property, split into line breaks and the rest.
bool isLineBreak(std::uint32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isSpace(std::uint32_t c) {
    return c == 0x09 || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

} // namespace

bool Text::isBlank(std::string_view text, LineBreaks lineBreaks) {
    return trimmed(text, lineBreaks).empty();
}

std::string Text::trimmed(std::string_view text, LineBreaks lineBreaks) {
    auto isWhiteSpace = [lineBreaks](std::uint32_t c) {
        return isSpace(c) || (lineBreaks == LineBreaks::blank && isLineBreak(c));
    };
    std::size_t start = text.size();
    std::size_t end = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceAt(text, at, &codePoint);
        if (length == 0 || !isWhiteSpace(codePoint)) {
            start = std::min(start, at);
            end = at + std::max<std::size_t>(length, 1);
        }
        at += std::max<std::size_t>(length, 1);
    }
    return start < end ? std::string(text.substr(start, end - start)) : std::string();
}

std::size_t Text::firstNonText(std::string_view text) {
    constexpr std::uint64_t highBits = 0x8080808080808080ull;
    constexpr std::uint64_t lowBits = 0x0101010101010101ull;
    for (std::size_t at = 0; at < text.size();) {
        // Eight bytes of ASCII without a NUL at a time: most of any text file.
        if (at + 8 <= text.size()) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + at, sizeof word);
            const bool hasZero = ((word - lowBits) & ~word & highBits) != 0;
            if ((word & highBits) == 0 && !hasZero) {
                at += 8;
                continue;
            }
        }
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceAt(text, at, &codePoint);
        if (length == 0 || codePoint == 0) {
            return at;
        }
        at += length;
    }
    return std::string_view::npos;
}

std::string Text::printable(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = sequenceAt(text, at, &codePoint);
        if (length == 0) {
            safe += hexByte(static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        if (codePoint == '\\') {
            safe += "\\\\";
        } else if (codePoint == '\t') {
            safe += "\\t";
        } else if (codePoint == '\n') {
            safe += "\\n";
        } else if (codePoint < 0x20 || codePoint == 0x7F) {
            safe += hexByte(static_cast<unsigned char>(codePoint));
        } else if ((codePoint >= 0x80 && codePoint <= 0x9F) || isBidiControl(codePoint)) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u{%02X}", codePoint);
            safe += buffer;
        } else {
            safe.append(text.substr(at, length));
        }
        at += length;
    }
    return safe;
}

} // namespace panemark
