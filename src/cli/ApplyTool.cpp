#include "cli/ApplyTool.h"

#include "base/Text.h"
#include "cli/CommandFile.h"
#include "cli/PlatformSession.h"
#include "placement/WindowMover.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace panemark {

namespace {

constexpr double readTimeout = 0.25;
constexpr double drainTimeout = 10;
constexpr int settleChecks = 100;
constexpr int stableChecks = 3;
constexpr auto settleInterval = std::chrono::milliseconds(10);

// The window manager carries out our writes in its own time. The next command reads the frame
// afresh, so wait until it has stopped changing for a few checks in a row (a busy window manager
// can leave one frame in place between two of our writes), bounded by a second.
void waitUntilSettled(WindowService& windows) {
    const std::optional<WindowRef> window = windows.focusedWindow(readTimeout);
    if (!window) {
        return;
    }
    std::optional<Rect> previous = windows.readFrame(*window, readTimeout);
    int unchanged = 0;
    for (int check = 0; check < settleChecks && unchanged < stableChecks; ++check) {
        std::this_thread::sleep_for(settleInterval);
        const std::optional<Rect> current = windows.readFrame(*window, readTimeout);
        unchanged = current == previous ? unchanged + 1 : 0;
        previous = current;
    }
}

} // namespace

int ApplyTool::main(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
    ArgumentParser parser("apply",
                          "Runs the commands of a command file, one after another, on the focused "
                          "window, and returns once the window is in place.",
                          "FILE|-");
    declare(parser);
    return parser.runWith(args, out, err, &options,
                          [&](const Options& chosen) { return run(chosen, in, err); });
}

void ApplyTool::declare(ArgumentParser& parser) {
    parser.addValue("gap", "G", "Gap between windows and edges, 0 to 1000 (default 0).");
    parser.addFlag("animate", "Animate the moves.");
    parser.addValue("duration", "S", "Seconds an animated move takes, above 0 and at most 5.");
    parser.addValue("curve", "CURVE", "linear, easeOut or easeInOut (default easeInOut).");
}

Result<ApplyTool::Options> ApplyTool::options(const ArgumentParser& parser) {
    Options options;
    const std::vector<std::string> files = parser.positional();
    if (files.size() != 1) {
        return Error{files.empty() ? "name a command file (or - for standard input)"
                                   : "name one command file, not " + std::to_string(files.size())};
    }
    options.file = files.front();
    options.animation.enabled = parser.isSet("animate");
    if (parser.isSet("gap")) {
        Result<double> gap = CommandFile::parseNumber(parser.value("gap"), "--gap", 0, maxGap);
        if (!gap) {
            return Error{gap.error()};
        }
        options.gap = gap.value();
    }
    if (parser.isSet("duration")) {
        Result<double> duration =
            CommandFile::parseNumber(parser.value("duration"), "--duration", 0, maxDuration);
        if (!duration || duration.value() <= 0) {
            return Error{"--duration: give seconds above 0 and at most 5"};
        }
        options.animation.duration = duration.value();
    }
    if (parser.isSet("curve")) {
        const auto curve = AnimationCurve::fromRawValue(parser.value("curve"));
        if (!curve) {
            return Error{"--curve: \"" + Text::printable(parser.value("curve")) +
                         "\" is not one of linear, easeOut, easeInOut"};
        }
        options.animation.curve = *curve;
    }
    return options;
}

int ApplyTool::run(const Options& options, std::istream& in, std::ostream& err) {
    Result<std::vector<ZoneCommand>> commands = CommandFile::read(options.file, in);
    if (!commands) {
        err << Text::printable(commands.error()) << '\n';
        return 2;
    }
    Result<std::unique_ptr<PlatformSession>> session = PlatformSession::open();
    if (!session) {
        err << "panemark apply: " << session.error() << '\n';
        return 1;
    }
    Platform& platform = session.value()->platform();
    if (DisplayFacts* display = platform.displayFacts(); display && !display->hasWindowManager()) {
        err << "panemark apply: no window manager is running\n";
        return 1;
    }
    WindowService& windows = platform.windows();
    if (!commands.value().empty() && !windows.focusedWindow(readTimeout)) {
        if (Beeper* bell = platform.bell()) {
            bell->beep();
        }
        err << "panemark apply: no window has the focus\n";
        return 1;
    }
    WindowMover mover(windows, platform.screens(), platform.bell(), WindowAnimator::make(windows));
    for (const ZoneCommand& command : commands.value()) {
        mover.apply(command, options.gap, options.animation);
        if (!mover.animator().drain(drainTimeout)) {
            err << "panemark apply: the window did not take its place in time\n";
            return 1;
        }
        waitUntilSettled(windows);
    }
    return 0;
}

} // namespace panemark
