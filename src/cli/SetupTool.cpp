#include "cli/SetupTool.h"

#include "base/Text.h"
#include "cli/ArgumentParser.h"
#include "platform/PlatformFactory.h"

#include <QCoreApplication>
#include <ostream>

namespace panemark {

int SetupTool::main(const std::vector<std::string>& args, std::istream& /*in*/, std::ostream& out,
                    std::ostream& err) {
    ArgumentParser parser("setup",
                          "Installs Panemark's GNOME Shell extension for you and turns it on "
                          "(gnome-shell). It works whether or not GNOME Shell runs now.",
                          "gnome-shell");
    parser.addValue("shell-version", "N",
                    "Write the extension for GNOME Shell N (43, 44, 45, …) instead of the "
                    "installed one.");
    parser.addValue("into", "DIR",
                    "Only write the extension's folder into DIR, without turning it on (for "
                    "packages that install it for every user).");
    if (const std::optional<int> status = parser.parseOrExit(args, out, err)) {
        return *status;
    }
    const std::vector<std::string> words = parser.positional();
    std::unique_ptr<DesktopSetup> setup =
        words.size() == 1 ? PlatformFactory::desktopSetup(words[0]) : nullptr;
    if (!setup) {
        return parser.usageError(err, "say what to set up: gnome-shell");
    }
    DesktopSetup::Options options;
    if (parser.isSet("shell-version")) {
        options.version = parser.value("shell-version");
        if (const std::optional<std::string> refused = setup->refusedVersion(*options.version)) {
            return parser.usageError(err, *refused);
        }
    }
    if (parser.isSet("into")) {
        options.into = parser.value("into");
    }
    int argc = 1;
    char name[] = "panemark";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv); // a desktop is told over the session bus
    Result<std::vector<std::string>> done = setup->run(options);
    if (!done) {
        err << "panemark setup: " << Text::printable(done.error()) << '\n';
        return 1;
    }
    for (const std::string& line : done.value()) {
        out << Text::printable(line) << '\n';
    }
    return 0;
}

} // namespace panemark
