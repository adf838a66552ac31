#include "cli/CommandLine.h"

#include "app/PanemarkApp.h"
#include "base/AppVersion.h"
#include "base/Text.h"
#include "cli/ApplyTool.h"
#include "cli/ArgumentParser.h"
#include "cli/CheckTool.h"
#include "cli/CommandFile.h"
#include "cli/HardwareTool.h"
#include "cli/InstanceTool.h"
#include "cli/KeysTool.h"
#include "cli/LaunchAtLoginTool.h"
#include "cli/ProfileTool.h"
#include "cli/SetupTool.h"

#include <exception>
#include <functional>
#include <ostream>

namespace panemark {

namespace {

using Args = std::vector<std::string>;

struct Subcommand {
    const char* name;
    const char* summary;
    // Every tool has this one signature.
    int (*run)(const Args&, std::istream&, std::ostream&, std::ostream&);
};

const std::vector<Subcommand>& subcommands() {
    static const std::vector<Subcommand> all{
        {"status", "say whether Panemark runs, with its shortcuts", &InstanceTool::status},
        {"palette", "open the command palette of the running Panemark at the pointer",
         &InstanceTool::palette},
        {"settings", "open the settings window of the running Panemark", &InstanceTool::settings},
        {"about", "open the About window of the running Panemark", &InstanceTool::about},
        {"quit", "end the running Panemark", &InstanceTool::quit},
        {"profiles", "list the profiles", &ProfileTool::profiles},
        {"profile", "activate, create, rename, export, import … a profile", &ProfileTool::profile},
        {"auto-switch", "switch profiles by connected hardware: on, off or status",
         &ProfileTool::autoSwitch},
        {"hardware", "list the displays and keyboards connected now, for triggers",
         &HardwareTool::main},
        {"check", "check a command file and show where its commands put a window",
         &CheckTool::main},
        {"apply", "run the commands of a command file on the focused window", &ApplyTool::main},
        {"launch-at-login", "start Panemark when you log in: on, off or status",
         &LaunchAtLoginTool::main},
        {"keys", "list the key codes and modifier bits of shortcuts", &KeysTool::main},
        {"setup", "install what a desktop needs of Panemark's own: gnome-shell", &SetupTool::main},
    };
    return all;
}

void declareResident(ArgumentParser& parser) {
    parser.addValue("commands", "FILE",
                    "Bind the commands of FILE (or - for standard input) instead of the stock "
                    "commands.");
    parser.addValue("data-dir", "DIR",
                    "Keep the profiles in DIR instead of ~/.local/share/Panemark.");
    parser.addValue(
        "backend", "NAME",
        "Drive NAME (x11, gnome, kwin, sway, i3, or sim for a simulated desktop) instead of the "
        "desktop of this session; $PANEMARK_BACKEND says the same.");
    parser.addFlag("version", "Print the version and exit.");
}

constexpr const char* residentSummary =
    "Tiles the focused window with global shortcuts. Without a command, Panemark runs in the "
    "background until it is asked to quit.";

int runResident(const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
    ArgumentParser parser("", residentSummary);
    declareResident(parser);
    switch (parser.parse(args, out, err)) {
    case ArgumentParser::Outcome::helpShown:
        out << CommandLine::help().substr(parser.help().size()); // the subcommands too
        return 0;
    case ArgumentParser::Outcome::usageError:
        return ArgumentParser::usageErrorStatus;
    case ArgumentParser::Outcome::run:
        break;
    }
    if (!parser.positional().empty()) {
        return parser.usageError(err, "unknown command \"" +
                                          Text::printable(parser.positional().front()) + "\"");
    }
    if (parser.isSet("version")) {
        out << AppVersion::current().versionLine() << '\n';
        return 0;
    }
    PanemarkApp::Options options;
    if (parser.isSet("commands")) {
        Result<std::vector<ZoneCommand>> read = CommandFile::read(parser.value("commands"), in);
        if (!read) {
            err << Text::printable(read.error()) << '\n';
            return 2;
        }
        options.commands = std::move(read).value();
        options.commandsFile = parser.value("commands");
    }
    if (parser.isSet("data-dir")) {
        options.dataDir = ProfileTool::dataDirectory(parser.value("data-dir"));
    }
    if (parser.isSet("backend")) {
        options.backend = parser.value("backend");
    }
    return PanemarkApp::run(options, out, err);
}

} // namespace

std::string CommandLine::help() {
    ArgumentParser parser("", residentSummary);
    declareResident(parser);
    std::string text = parser.help() + "\nCommands (panemark COMMAND --help for more):\n";
    for (const Subcommand& subcommand : subcommands()) {
        const std::string name = subcommand.name;
        text += "  " + name + std::string(name.size() < 18 ? 18 - name.size() : 1, ' ') +
                subcommand.summary + "\n";
    }
    return text;
}

int CommandLine::run(const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
    try {
        if (!args.empty() && (args[0] == "help")) {
            out << help();
            return 0;
        }
        if (!args.empty() && !args[0].starts_with("-")) {
            for (const Subcommand& subcommand : subcommands()) {
                if (args[0] == subcommand.name) {
                    return subcommand.run({args.begin() + 1, args.end()}, in, out, err);
                }
            }
        }
        return runResident(args, in, out, err);
    } catch (const std::exception& error) {
        // Out of memory and the like: say so rather than abort.
        err << "panemark: " << error.what() << '\n';
        return 1;
    }
}

} // namespace panemark
