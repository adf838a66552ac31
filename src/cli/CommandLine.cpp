#include "cli/CommandLine.h"

#include "cli/ApplyTool.h"
#include "cli/CheckTool.h"
#include "cli/CommandFile.h"
#include "core/PanemarkApp.h"
#include "platform/LaunchAtLogin.h"
#include "platform/xdg/XdgAutostartItem.h"
#include "runtime/AppVersion.h"

#include <exception>
#include <ostream>

namespace panemark {

namespace {

constexpr int usageError = 2;

int runCheck(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err) {
    Result<CheckTool::Options> options = CheckTool::parseOptions(args);
    if (!options) {
        err << "panemark check: " << options.error() << '\n' << CommandLine::usage();
        return usageError;
    }
    return CheckTool::run(options.value(), in, out, err);
}

int runResident(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err) {
    PanemarkApp::Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--commands" && i + 1 < args.size()) {
            Result<std::vector<ZoneCommand>> read = CommandFile::read(args[++i], in);
            if (!read) {
                err << read.error() << '\n';
                return 2;
            }
            options.commands = std::move(read).value();
        } else {
            err << "panemark: unexpected argument \"" << args[i] << "\"\n" << CommandLine::usage();
            return usageError;
        }
    }
    return PanemarkApp::run(options, out, err);
}

// `panemark launch-at-login on|off|status`: what the settings window's toggle will do.
int runLaunchAtLogin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    XdgAutostartItem item = XdgAutostartItem::forThisProgram();
    static const char* statusNames[] = {"off", "on", "off (disabled in the session settings)",
                                        "off (the entry runs another program)"};
    if (args.size() == 1 && args[0] == "status") {
        out << "launch at login: " << statusNames[static_cast<int>(item.status())] << " ("
            << item.entryPath() << ")\n";
        return 0;
    }
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) {
        err << "panemark launch-at-login: say on, off or status\n" << CommandLine::usage();
        return usageError;
    }
    LaunchAtLogin::set(item, args[0] == "on"); // a failure is logged on standard error
    const bool enabled = item.status() == LoginItem::Status::enabled;
    out << "launch at login: " << (enabled ? "on" : "off") << '\n';
    return enabled == (args[0] == "on") ? 0 : 1;
}

int runApply(const std::vector<std::string>& args, std::istream& in, std::ostream& err) {
    Result<ApplyTool::Options> options = ApplyTool::parseOptions(args);
    if (!options) {
        err << "panemark apply: " << options.error() << '\n' << CommandLine::usage();
        return usageError;
    }
    return ApplyTool::run(options.value(), in, err);
}

} // namespace

std::string CommandLine::usage() {
    return "usage: panemark [--commands FILE]      run in the background, tiling with global "
           "shortcuts\n"
           "       panemark --version\n"
           "       panemark check FILE|- [--visible-frame X,Y,W,H] [--window X,Y,W,H] [--gap G] "
           "[--json]\n"
           "       panemark check --stock [options as above]\n"
           "       panemark apply FILE|- [--gap G] [--animate] [--duration S] [--curve "
           "linear|easeOut|easeInOut]\n";
}

int CommandLine::run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    try {
        if (args.empty() || args[0] == "--commands") {
            return runResident(args, in, out, err);
        }
        if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
            out << CommandLine::usage();
            return 0;
        }
        if (args[0] == "--version" || args[0] == "-v") {
            out << AppVersion::current().versionLine() << '\n';
            return 0;
        }
        if (args[0] == "launch-at-login") {
            return runLaunchAtLogin({args.begin() + 1, args.end()}, out, err);
        }
        if (args[0] == "apply") {
            return runApply({args.begin() + 1, args.end()}, in, err);
        }
        if (args[0] == "check") {
            return runCheck({args.begin() + 1, args.end()}, in, out, err);
        }
        err << "panemark: unknown command \"" << args[0] << "\"\n" << usage();
        return usageError;
    } catch (const std::exception& error) {
        // Out of memory and the like: say so rather than abort.
        err << "panemark: " << error.what() << '\n';
        return 1;
    }
}

} // namespace panemark
