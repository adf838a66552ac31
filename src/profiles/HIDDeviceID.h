#pragma once

#include <cstdint>
#include <functional>

namespace panemark {

// A keyboard model as a trigger stores it: two keyboards of one model are the same device id.
struct HIDDeviceID {
    std::int64_t vendorID = 0;
    std::int64_t productID = 0;

    bool operator==(const HIDDeviceID&) const = default;
};

} // namespace panemark

template <> struct std::hash<panemark::HIDDeviceID> {
    std::size_t operator()(const panemark::HIDDeviceID& id) const noexcept {
        return std::hash<std::int64_t>{}(id.vendorID) * 31 +
               std::hash<std::int64_t>{}(id.productID);
    }
};
