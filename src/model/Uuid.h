#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace panemark {

// A 128-bit identifier, written as 36 upper-case hexadecimal characters in 8-4-4-4-12 groups.
class Uuid {
public:
    Uuid() = default; // all zeros
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}

    // A fresh random (version 4) identifier.
    static Uuid random();
    // Accepts the 8-4-4-4-12 form in either case; nothing else (no braces, no spaces).
    static std::optional<Uuid> parse(std::string_view text);

    std::string toString() const;
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

    auto operator<=>(const Uuid&) const = default;

private:
    std::array<std::uint8_t, 16> bytes_{};
};

} // namespace panemark
