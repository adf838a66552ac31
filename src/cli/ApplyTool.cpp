#include "cli/ApplyTool.h"

#include "cli/CommandFile.h"
#include "placement/WindowMover.h"
#include "platform/PlatformFactory.h"
#include "runtime/QtScheduler.h"

#include <QCoreApplication>
#include <chrono>
#include <ostream>
#include <thread>

namespace panemark {

namespace {

constexpr double readTimeout = 0.25;
constexpr double drainTimeout = 10;
constexpr int settleChecks = 50;
constexpr auto settleInterval = std::chrono::milliseconds(10);

// The window manager carries out our writes in its own time. The next command reads the frame
// afresh, so wait until it has stopped changing (bounded: half a second).
void waitUntilSettled(WindowService& windows) {
    const std::optional<WindowRef> window = windows.focusedWindow(readTimeout);
    if (!window) {
        return;
    }
    std::optional<Rect> previous = windows.readFrame(*window, readTimeout);
    for (int check = 0; check < settleChecks; ++check) {
        std::this_thread::sleep_for(settleInterval);
        const std::optional<Rect> current = windows.readFrame(*window, readTimeout);
        if (current == previous) {
            return;
        }
        previous = current;
    }
}

} // namespace

Result<ApplyTool::Options> ApplyTool::parseOptions(const std::vector<std::string>& args) {
    Options options;
    bool haveFile = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--gap" || arg == "--duration" || arg == "--curve";
        if (takesValue && i + 1 >= args.size()) {
            return Error{arg + " needs a value"};
        }
        if (arg == "--animate") {
            options.animation.enabled = true;
        } else if (arg == "--gap" || arg == "--duration") {
            Result<double> value = CommandFile::parseNumber(args[++i], arg);
            if (!value) {
                return Error{value.error()};
            }
            if (arg == "--duration" && !(value.value() > 0 && value.value() <= maxDuration)) {
                return Error{"--duration: give seconds above 0 and at most 5"};
            }
            (arg == "--gap" ? options.gap : options.animation.duration) = value.value();
        } else if (arg == "--curve") {
            const auto curve = AnimationCurve::fromRawValue(args[++i]);
            if (!curve) {
                return Error{"--curve: \"" + args[i] +
                             "\" is not one of linear, easeOut, easeInOut"};
            }
            options.animation.curve = *curve;
        } else if ((arg == "-" || !arg.starts_with("-")) && !haveFile) {
            options.file = arg;
            haveFile = true;
        } else {
            return Error{"unexpected argument \"" + arg + "\""};
        }
    }
    if (!haveFile) {
        return Error{"name one command file (or - for standard input)"};
    }
    return options;
}

int ApplyTool::run(const Options& options, std::istream& in, std::ostream& err) {
    Result<std::vector<ZoneCommand>> commands = CommandFile::read(options.file, in);
    if (!commands) {
        err << commands.error() << '\n';
        return 2;
    }
    static int argc = 1;
    static char name[] = "panemark";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QtScheduler mainLoop;
    Result<std::unique_ptr<Platform>> opened = PlatformFactory::open(mainLoop);
    if (!opened) {
        err << "panemark apply: " << opened.error() << '\n';
        return 1;
    }
    Platform& platform = *opened.value();
    if (!platform.hasWindowManager()) {
        err << "panemark apply: no window manager is running\n";
        return 1;
    }
    WindowService& windows = platform.windows();
    if (!commands.value().empty() && !windows.focusedWindow(readTimeout)) {
        platform.beeper().beep();
        err << "panemark apply: no window has the focus\n";
        return 1;
    }
    WindowMover mover(windows, platform.screens(), platform.beeper(),
                      WindowAnimator::make(windows));
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
