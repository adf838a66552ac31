#include "platform/gnome/GnomeShellDesktopSetup.h"

#include "platform/gnome/GnomeShellExtension.h"
#include "platform/gnome/GnomeShellSetup.h"

namespace panemark {

namespace {

std::vector<std::string> withUntestedNote(std::vector<std::string> lines, int shellMajor) {
    if (shellMajor > GnomeShellSetup::newestKnownShell) {
        lines.push_back("GNOME Shell " + std::to_string(shellMajor) +
                        " is newer than any Panemark was tested on (" +
                        std::to_string(GnomeShellSetup::newestKnownShell) +
                        "): the extension claims it, but it is untested there.");
    }
    return lines;
}

} // namespace

std::optional<std::string>
GnomeShellDesktopSetup::refusedVersion(const std::string& version) const {
    const std::optional<int> major = GnomeShellExtension::majorVersion(version);
    if (!major || *major < 43) {
        return "--shell-version takes GNOME Shell's version, 43 or later";
    }
    return std::nullopt;
}

Result<std::vector<std::string>> GnomeShellDesktopSetup::run(const Options& options) {
    const std::optional<int> given =
        options.version ? GnomeShellExtension::majorVersion(*options.version) : std::nullopt;
    if (options.into) {
        const int major = given ? *given
                                : GnomeShellSetup::installedShellMajor().value_or(
                                      GnomeShellSetup::newestKnownShell);
        Result<std::filesystem::path> written = GnomeShellExtension::install(*options.into, major);
        if (!written) {
            return Error{written.error()};
        }
        return withUntestedNote({"Wrote the Panemark shell extension for GNOME Shell " +
                                 std::to_string(major) + " to " + written.value().string() + "."},
                                major);
    }
    Result<GnomeShellSetup::Outcome> done = GnomeShellSetup::run(given);
    if (!done) {
        return Error{done.error()};
    }
    std::vector<std::string> lines =
        withUntestedNote({"Installed the Panemark shell extension for GNOME Shell " +
                          std::to_string(done.value().shellMajor) + " in " + done.value().folder +
                          " and turned it on."},
                         done.value().shellMajor);
    lines.push_back(done.value().activeNow
                        ? "GNOME Shell runs it now."
                        : "GNOME Shell on Wayland loads a new extension only when you log in: log "
                          "out and back in, then start Panemark.");
    return lines;
}

} // namespace panemark
