#include "base/Guard.h"

#include "base/Log.h"

#include <exception>
#include <string>

namespace panemark {

void Guard::run(std::string_view where, const std::function<void()>& work) noexcept {
    try {
        work();
    } catch (const std::exception& error) {
        try {
            Log::write(std::string(where) + " failed: " + error.what());
        } catch (...) { // out of memory while logging: nothing more can be done
        }
    } catch (...) {
        try {
            Log::write(std::string(where) + " failed");
        } catch (...) {
        }
    }
}

} // namespace panemark
