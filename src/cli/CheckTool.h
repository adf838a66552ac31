#pragma once

#include "model/Rect.h"
#include "runtime/Result.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// `panemark check`: reads a command file, reports each command's label, shortcut and target
// frame (or re-encodes the commands), and names what is wrong in a malformed file.
class CheckTool {
public:
    struct Options {
        std::string file; // "-" for standard input; empty with stock
        bool stock = false;
        Rect visibleFrame{0, 0, 1920, 1080};
        std::optional<Rect> window; // defaults to the visible frame
        double gap = 0;
        bool json = false;
    };

    static Result<Options> parseOptions(const std::vector<std::string>& args);

    // Returns the exit status: 0, or 2 for input that cannot be used.
    static int run(const Options& options, std::istream& in, std::ostream& out, std::ostream& err);

    // "12", "-3", "0.5": whole numbers without a decimal point, others in their shortest form.
    static std::string formatNumber(double value);
};

} // namespace panemark
