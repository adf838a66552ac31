#include "cli/SetupTool.h"

#include "cli/ArgumentParser.h"
#include "platform/gnome/GnomeShellExtension.h"
#include "platform/gnome/GnomeShellSetup.h"
#include "runtime/Text.h"

#include <QCoreApplication>
#include <ostream>

namespace panemark {

namespace {

void sayIfUntested(std::ostream& out, int shellMajor) {
    if (shellMajor > GnomeShellSetup::newestKnownShell) {
        out << "GNOME Shell " << shellMajor << " is newer than any Panemark was tested on ("
            << GnomeShellSetup::newestKnownShell
            << "): the extension claims it, but it is untested there.\n";
    }
}

} // namespace

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
    if (words.size() != 1 || words[0] != "gnome-shell") {
        return parser.usageError(err, "say what to set up: gnome-shell");
    }
    std::optional<int> shellMajor;
    if (parser.isSet("shell-version")) {
        shellMajor = GnomeShellExtension::majorVersion(parser.value("shell-version"));
        if (!shellMajor || *shellMajor < 43) {
            return parser.usageError(err,
                                     "--shell-version takes GNOME Shell's version, 43 or later");
        }
    }
    if (parser.isSet("into")) {
        const int major = shellMajor ? *shellMajor
                                     : GnomeShellSetup::installedShellMajor().value_or(
                                           GnomeShellSetup::newestKnownShell);
        Result<std::filesystem::path> written =
            GnomeShellExtension::install(parser.value("into"), major);
        if (!written) {
            err << "panemark setup: " << Text::printable(written.error()) << '\n';
            return 1;
        }
        out << "Wrote the Panemark shell extension for GNOME Shell " << major << " to "
            << Text::printable(written.value().string()) << ".\n";
        sayIfUntested(out, major);
        return 0;
    }
    int argc = 1;
    char name[] = "panemark";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv); // the session bus needs one
    Result<GnomeShellSetup::Outcome> done = GnomeShellSetup::run(shellMajor);
    if (!done) {
        err << "panemark setup: " << Text::printable(done.error()) << '\n';
        return 1;
    }
    out << "Installed the Panemark shell extension for GNOME Shell " << done.value().shellMajor
        << " in " << Text::printable(done.value().folder) << " and turned it on.\n";
    sayIfUntested(out, done.value().shellMajor);
    if (done.value().activeNow) {
        out << "GNOME Shell runs it now.\n";
    } else {
        out << "GNOME Shell on Wayland loads a new extension only when you log in: log out and "
               "back in, then start Panemark.\n";
    }
    return 0;
}

} // namespace panemark
