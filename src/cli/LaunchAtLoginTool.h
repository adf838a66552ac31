#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// `panemark launch-at-login on|off|status`: what the settings window's toggle does, from a
// terminal.
class LaunchAtLoginTool {
public:
    static int main(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);
};

} // namespace panemark
