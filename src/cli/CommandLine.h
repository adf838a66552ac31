#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// The `panemark` command line: parses the arguments (without the program name), runs the
// request and returns the exit status. Never throws.
class CommandLine {
public:
    static int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);

    static std::string usage();
};

} // namespace panemark
