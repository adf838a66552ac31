#pragma once

#include "base/Result.h"
#include "profiles/LegacyPersisted.h"
#include "profiles/Profile.h"
#include "profiles/ProfileIndex.h"

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
// whole file atomically. Nothing a person wrote is ever lost by reading it: a profile file that
// cannot be read keeps its place in the index, and an index that cannot be used is kept aside.
class ProfileFileStore {
public:
    // Larger files are not read at all (a profile of every command a person could keep is a
    // small fraction of this).
    static constexpr std::size_t maxFileSize = 16 * 1024 * 1024;

    // A store that only reads never creates, moves, removes or writes anything.
    enum class Access { readWrite, readOnly };

    // A file present in the profile folder (or named by the index) that did not load.
    struct SkippedFile {
        std::string path;
        std::string reason;
        bool operator==(const SkippedFile&) const = default;
    };

    struct Loaded {
        std::vector<Profile> profiles; // never empty
        Uuid activeProfileID;          // one of theirs
        bool autoSwitchEnabled = true;
    };

    // Creates the profile folder (and its parents) when missing and writable; a failure shows
    // later, as failed writes.
    explicit ProfileFileStore(std::string baseDirectory, Access access = Access::readWrite);
    // $XDG_DATA_HOME/Panemark, that is ~/.local/share/Panemark.
    static std::string defaultBaseDirectory();

    const std::string& baseDirectory() const { return base_; }
    const std::string& profilesDirectory() const { return profiles_; }
    const std::string& indexPath() const { return index_; }
    const std::string& legacyConfigPath() const { return legacy_; }
    std::string profilePath(const Uuid& id) const;
    bool isReadOnly() const { return access_ == Access::readOnly; }

    Result<bool> saveProfile(const Profile& profile);
    void deleteProfileFile(const Uuid& id);
    // In the order of the ids; a missing file is left out, and so is an id named twice. Files
    // that are present but do not load are reported through `skipped`, when given.
    std::vector<Profile> loadAllProfiles(const std::vector<Uuid>& ids,
                                         std::vector<SkippedFile>* skipped = nullptr) const;
    std::optional<ProfileIndex> loadIndex() const;
    std::optional<LegacyPersisted> loadLegacy() const;
    // The order written is the index's with the profiles that did not load put back where they
    // stood, so a repaired file returns in its place.
    Result<bool> saveIndex(const ProfileIndex& index);

    // The start-up procedure: the index and the profiles it names; when the index is missing or
    // unusable, every profile file present (the unusable index kept as
    // profiles.json.unreadable-<UTC time>); only when no profile loads at all, config.json or the
    // default commands as one new "Default" profile. Never fails.
    Loaded loadOrMigrate(const std::function<std::vector<ZoneCommand>()>& defaultCommands);
    // What the last loadOrMigrate could not load, in index order, then by file name.
    const std::vector<SkippedFile>& skippedFiles() const { return skipped_; }

    // Removes the temporary files of writes cut short (by a killed process) that are older
    // than minimumAge; loadOrMigrate does this with an hour.
    void removeAbandonedWrites(std::chrono::seconds minimumAge);

private:
    // An id of the index whose file did not load, and the loaded profiles before it there,
    // nearest first: it goes back after the nearest of them that is still there.
    struct HeldBack {
        Uuid id;
        std::vector<Uuid> before;
    };
    struct IndexRead;

    // Writes atomically; a failure is logged once per file until a write of it succeeds.
    Result<bool> write(const std::string& path, const Result<std::string>& text);
    IndexRead readIndex() const;
    // Loads the files of the ids in order, noting what did not load and where it stood.
    std::vector<Profile> loadInOrder(const std::vector<Uuid>& ids);
    // Every profile file in the folder: those the old order names first, then by name.
    std::vector<Profile> loadEveryFile(const std::vector<Uuid>& preferredOrder);
    void setIndexAside(const std::string& reason);
    // One line in the log for each file that did not load.
    void reportSkipped() const;
    std::vector<Uuid> orderWithHeldBack(const std::vector<Uuid>& order) const;

    std::string base_;
    std::string profiles_;
    std::string index_;
    std::string legacy_;
    Access access_;
    std::set<std::string> failing_;
    std::vector<SkippedFile> skipped_;
    std::vector<HeldBack> heldBack_;
};

} // namespace panemark
