#pragma once

#include "base/Result.h"
#include "cli/ArgumentParser.h"
#include "model/Rect.h"
#include "model/ZoneCommand.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// `panemark check`: reads a command file, names what is wrong in a malformed one, warns about
// values that tile badly or never fire, and reports each command's label, shortcut and target
// frame (or re-encodes the commands).
class CheckTool {
public:
    struct Options {
        std::string file; // "-" for standard input; empty with stock
        bool stock = false;
        Rect visibleFrame{0, 0, 1920, 1080};
        std::optional<Rect> window; // defaults to the visible frame
        double gap = 0;
        bool json = false;
        bool strict = false;
    };

    static constexpr double maxGap = 1000;

    static int main(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);

    static void declare(ArgumentParser& parser);
    static Result<Options> options(const ArgumentParser& parser);

    // 0; 1 for warnings under --strict; 2 for input that cannot be used.
    static int run(const Options& options, std::istream& in, std::ostream& out, std::ostream& err);

    // One tab-separated line per command: position, name, shortcut, target frame.
    static void report(const std::vector<ZoneCommand>& commands, const Options& options,
                       std::ostream& out);

    // "12", "-3", "0.5": whole numbers without a decimal point, others in their shortest form.
    static std::string formatNumber(double value);
};

} // namespace panemark
