#pragma once

#include "profiles/LegacyPersisted.h"
#include "profiles/Profile.h"
#include "profiles/ProfileIndex.h"
#include "runtime/Result.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace panemark {

// The profiles on disk: one file per profile in Profiles/<ID>.json, the index profiles.json, and
// config.json, the older single command list, read only to migrate it. Every write replaces a
// whole file atomically; a profile or index that cannot be read counts as absent.
class ProfileFileStore {
public:
    // Larger files are not read at all (a profile of every command a person could keep is a
    // small fraction of this).
    static constexpr std::size_t maxFileSize = 16 * 1024 * 1024;

    struct Loaded {
        std::vector<Profile> profiles; // never empty
        Uuid activeProfileID;          // one of theirs
        bool autoSwitchEnabled = true;
    };

    // Creates the profile folder (and its parents) when missing; a failure shows later, as
    // failed writes.
    explicit ProfileFileStore(std::string baseDirectory);
    // $XDG_DATA_HOME/Panemark, that is ~/.local/share/Panemark.
    static std::string defaultBaseDirectory();

    const std::string& baseDirectory() const { return base_; }
    const std::string& profilesDirectory() const { return profiles_; }
    const std::string& indexPath() const { return index_; }
    const std::string& legacyConfigPath() const { return legacy_; }
    std::string profilePath(const Uuid& id) const;

    void saveProfile(const Profile& profile);
    void deleteProfileFile(const Uuid& id);
    // In the order of the ids; missing, unreadable or undecodable files are left out, and so
    // is a second profile with an id already loaded.
    std::vector<Profile> loadAllProfiles(const std::vector<Uuid>& ids) const;
    std::optional<ProfileIndex> loadIndex() const;
    std::optional<LegacyPersisted> loadLegacy() const;
    void saveIndex(const ProfileIndex& index);

    // The start-up procedure: the index and the profiles it names, else config.json or the
    // default commands as one new "Default" profile. Never fails.
    Loaded loadOrMigrate(const std::function<std::vector<ZoneCommand>()>& defaultCommands);

    // Removes the temporary files of writes cut short (by a killed process) that are older
    // than minimumAge; loadOrMigrate does this with an hour.
    void removeAbandonedWrites(std::chrono::seconds minimumAge);

private:
    // Writes atomically; a failure is logged once per file until a write of it succeeds.
    void write(const std::string& path, const Result<std::string>& text);

    std::string base_;
    std::string profiles_;
    std::string index_;
    std::string legacy_;
    std::set<std::string> failing_;
};

} // namespace panemark
