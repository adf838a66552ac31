#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// `panemark hardware`: the external displays and keyboards connected now, as a profile's
// trigger names them.
class HardwareTool {
public:
    static int main(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);
    // "046d:c31c"
    static std::string keyboardId(std::int64_t vendorID, std::int64_t productID);
};

} // namespace panemark
