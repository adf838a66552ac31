#pragma once

#include "base/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// Panemark's GNOME Shell extension as files, and what installing and enabling it takes. The
// shell loads GNOME 43-44 extensions as scripts and 45 and later ones as modules: one body
// with two small entries, joined when the files are written for a shell's version.
namespace GnomeShellExtension {

constexpr const char* uuid = "panemark@panemark.app";
// What the extension answers to Version(); Panemark works only with its own.
constexpr int protocol = 2;
// The newest shell the extension is known to work on. A module entry claims every version
// from 45 to this one (or to the shell it is written for, when that is newer).
constexpr int newestKnownShell = 51;

struct File {
    std::string name;
    std::string text;
};

// The extension's body, shared by every shell, with the logic the helpers share put in.
std::string core();
// The extension's files for a shell of this major version (43, 44, 45, …).
std::vector<File> files(int shellMajor);
// Writes them into folder/<uuid>, replacing an older copy.
Result<std::filesystem::path> install(const std::filesystem::path& extensionsFolder,
                                      int shellMajor);
// The copy the shell loads: the user's when there is one (it hides the system's), else the
// first in the system's data folders; none when neither is installed.
std::optional<std::filesystem::path> installedCopy();
// Whether the copy in folder claims this shell version and is this program's own extension.
bool fits(const std::filesystem::path& folder, int shellMajor);
// $XDG_DATA_HOME/gnome-shell/extensions.
std::filesystem::path userExtensionsFolder();

// The major version in "GNOME Shell 43.9" or "45.1"; none when there is none.
std::optional<int> majorVersion(const std::string& text);

// A GSettings string list as `gsettings get` prints it ("['a', 'b']", "@as []") with the
// extension added once; none when the text is no such list.
std::optional<std::string> enabledWith(const std::string& list);

} // namespace GnomeShellExtension

} // namespace panemark
