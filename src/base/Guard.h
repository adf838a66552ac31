#pragma once

#include <functional>
#include <string_view>

namespace panemark {

// Where work crosses into the event loop or a worker thread, an exception must not end the
// program: it is logged as one line naming the place, and the loop goes on.
class Guard {
public:
    static void run(std::string_view where, const std::function<void()>& work) noexcept;
};

} // namespace panemark
