#include "control/InstanceAddress.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace panemark {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// ":1.0" → "_1_0": a display name is part of a file name.
std::string fileSafe(std::string text) {
    for (char& c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return text.empty() ? "nodisplay" : text;
}

// The display this session's programs draw on: a Wayland session's own (which may be a path),
// else X's. The program and its command line read the same variables, so they agree.
std::string sessionDisplay() {
    const std::string wayland = environment("WAYLAND_DISPLAY");
    if (!wayland.empty()) {
        return wayland.substr(wayland.find_last_of('/') + 1);
    }
    return environment("DISPLAY");
}

} // namespace

InstanceAddress InstanceAddress::in(const std::string& folder, const std::string& display) {
    const std::string base = folder + "/panemark-" + fileSafe(display);
    return {folder, base + ".lock", base + ".socket"};
}

Result<std::string> InstanceAddress::privateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return Error{"cannot create " + path + ": " + std::strerror(errno)};
    }
    struct stat info = {};
    if (::lstat(path.c_str(), &info) != 0) {
        return Error{"cannot use " + path + ": " + std::strerror(errno)};
    }
    // Anything else there (a link, another user's folder, one others may write to) could let
    // someone else pose as Panemark or stop it from starting.
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 0077) != 0) {
        return Error{path + " is not a private folder of this user"};
    }
    return path;
}

Result<InstanceAddress> InstanceAddress::forThisSession() {
    std::string folder = environment("XDG_RUNTIME_DIR");
    // A relative path there is to be ignored, as the base directory rules say.
    if (folder.empty() || folder.front() != '/') {
        std::string temporary = environment("TMPDIR");
        if (temporary.empty() || temporary.front() != '/') {
            temporary = "/tmp";
        }
        Result<std::string> own =
            privateFolder(temporary + "/panemark-" + std::to_string(::getuid()));
        if (!own) {
            return Error{own.error()};
        }
        folder = own.value();
    }
    return in(folder, sessionDisplay());
}

} // namespace panemark
