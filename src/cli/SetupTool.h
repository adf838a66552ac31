#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// `panemark setup gnome-shell`: installs and turns on what a desktop needs of Panemark's own
// before Panemark can drive it (today GNOME Shell's extension).
class SetupTool {
public:
    static int main(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);
};

} // namespace panemark
