#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// The `panemark` command line: with no subcommand it runs the resident program; otherwise it
// runs the subcommand named first. Returns the exit status; never throws.
class CommandLine {
public:
    static int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);

    // The program's help: its own options and every subcommand with a line each.
    static std::string help();
};

} // namespace panemark
