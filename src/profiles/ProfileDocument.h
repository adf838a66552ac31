#pragma once

#include "base/Result.h"
#include "profiles/ProfileFile.h"

#include <optional>
#include <string>

namespace panemark {

// A profile as a file of its own, to move between machines: exactly a profile file of the
// profile folder, offered as "<name>.panemarkprofile".
struct ProfileDocument {
    static constexpr const char* extension = ".panemarkprofile";
    // A path typed for an export, with the extension added when it has neither ours nor .json:
    // every exported file is then one the import offers.
    static std::string withExtension(const std::string& path);

    ProfileFile file;

    // A regular file of at most 16 MiB holding one profile file; the reason otherwise, with the
    // file's name.
    static Result<ProfileDocument> read(const std::string& path);
    // Replaces the file atomically; the reason when it cannot.
    Result<bool> write(const std::string& path) const;
    // "Desk.panemarkprofile" for a profile named Desk; "Profile" when there is none.
    static std::string offeredFileName(const std::optional<Profile>& profile);
};

} // namespace panemark
