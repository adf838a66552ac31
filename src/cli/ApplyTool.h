#pragma once

#include "base/Result.h"
#include "cli/ArgumentParser.h"
#include "model/AnimationSettings.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace panemark {

// `panemark apply`: runs the commands of a command file, one after another, on the focused
// window of the X display, and returns once the last write is done.
class ApplyTool {
public:
    struct Options {
        std::string file;
        double gap = 0;
        AnimationSettings animation{false, AnimationCurve::easeInOut, 0.25};
    };

    static constexpr double maxDuration = 5;
    static constexpr double maxGap = 1000;

    static int main(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);
    static void declare(ArgumentParser& parser);
    static Result<Options> options(const ArgumentParser& parser);

    // 0 when every command ran; 1 when there is no display, window manager or focused window;
    // 2 for input that cannot be used.
    static int run(const Options& options, std::istream& in, std::ostream& err);
};

} // namespace panemark
