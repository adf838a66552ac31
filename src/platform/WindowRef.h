#pragma once

#include <cstdint>
#include <functional>

namespace panemark {

// Identity of another application's window, as the platform names it (an X window id).
struct WindowRef {
    std::uint64_t id = 0;

    bool operator==(const WindowRef&) const = default;
};

} // namespace panemark

template <> struct std::hash<panemark::WindowRef> {
    std::size_t operator()(const panemark::WindowRef& window) const noexcept {
        return std::hash<std::uint64_t>{}(window.id);
    }
};
