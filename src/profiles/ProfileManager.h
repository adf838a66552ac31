#pragma once

#include "base/Computed.h"
#include "base/Published.h"
#include "base/Result.h"
#include "base/Scheduler.h"
#include "base/Signal.h"
#include "profiles/Profile.h"
#include "profiles/ProfileFileStore.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// The profiles, which one is active, and whether profiles switch by themselves: the one home of
// each, and the only code that assigns them. The active profile's commands and gap are read
// from the active profile, not kept beside it. Every change is stored before it is announced,
// and each announcement says what changed: the list (a profile added, deleted, moved or
// renamed), one profile's contents (`onProfileChanged`), the active id, the active commands
// or gap. Edits of the active profile's commands and gap are saved 250 ms after the last one;
// switching profiles writes the outgoing one and the index at once. Main thread only.
class ProfileManager {
    // Declared first: the read-only faces below refer to them.
    std::vector<Profile> list_;
    Published<Uuid> activeId_{Uuid()};
    Published<bool> autoSwitch_{true};
    Computed<std::vector<Profile>> listFace_{
        [this]() -> const std::vector<Profile>& { return list_; }};
    Computed<std::vector<ZoneCommand>> activeCommands_{
        [this]() -> const std::vector<ZoneCommand>& { return active().commands; }};
    Computed<double> activeGap_{[this]() -> const double& { return active().gap; }};

public:
    // How a new profile starts.
    enum class NewProfileSeed { empty, defaults, copyActive };

    static constexpr double autosaveDelay = 0.25;
    // A file that could not be written is tried again this often until it is.
    static constexpr double retryDelay = 5;

    // Loads or migrates the profiles from the store's folder.
    ProfileManager(ProfileFileStore fileStore, Scheduler& mainLoop);
    // One profile holding a list given for this run only: nothing is read or written.
    ProfileManager(std::vector<ZoneCommand> commands, Scheduler& mainLoop);
    // A save still waiting for its debounce is written first: the last edit is never lost.
    ~ProfileManager();
    ProfileManager(const ProfileManager&) = delete;
    ProfileManager& operator=(const ProfileManager&) = delete;

    // The profiles in order; announced when the list changes, not when a profile's contents do.
    ReadOnly<std::vector<Profile>, Computed<std::vector<Profile>>> profiles{listFace_};
    ReadOnly<Uuid> activeProfileID{activeId_};
    ReadOnly<bool> autoSwitchEnabled{autoSwitch_};
    // The active profile's commands and gap.
    ReadOnly<std::vector<ZoneCommand>, Computed<std::vector<ZoneCommand>>> commands{
        activeCommands_};
    ReadOnly<double, Computed<double>> gap{activeGap_};
    // Called with a profile's id once its contents changed: its commands, gap, trigger or name.
    [[nodiscard]] Subscription onProfileChanged(std::function<void(const Uuid&)> listener);

    // Whether the profiles live in files (they do unless the commands were given for this run).
    bool keepsFiles() const { return fileStore_.has_value(); }
    Profile activeProfile() const;
    // Each profile's id and name, in order: what lists of profiles show.
    std::vector<std::pair<Uuid, std::string>> names() const;
    std::optional<Profile> snapshot(const Uuid& id) const;
    // Only when keepsFiles().
    const ProfileFileStore& fileStore() const { return *fileStore_; }
    // Files present that did not load at start; they keep their place in the index.
    const std::vector<ProfileFileStore::SkippedFile>& skippedFiles() const;
    // What is held only in memory because its file could not be written ("couldn't save profile
    // "Work": …"), or nothing. Such writes are retried every retryDelay seconds.
    std::optional<std::string> unsavedChanges() const;

    void activate(const Uuid& id);
    Uuid createProfile(const std::string& name, NewProfileSeed seed);
    Uuid duplicateProfile(const Uuid& id);
    // Reads a profile file and appends its profile under a fresh id and a unique name.
    Result<Uuid> importProfile(const std::string& path);
    void rename(const Uuid& id, const std::string& name);
    void setTrigger(const ProfileTrigger& trigger, const Uuid& id);
    void deleteProfile(const Uuid& id);
    // Edits of the active profile, as the settings window makes them: saved 250 ms after the
    // last.
    void editCommands(std::vector<ZoneCommand> commands);
    void editGap(double gap);
    // Each appends one new single-cell command of its kind.
    void addCommand();
    void addHalfCommand();
    void addMaximizeCommand();
    void addFixedSizeCommand();
    // A copy with a fresh id and no shortcut, right after the original (or at the end); its id.
    Uuid duplicateCommand(const ZoneCommand& command);
    // Removes every command with this command's id.
    void deleteCommand(const ZoneCommand& command);

    // Replaces any profile's commands or gap and writes it at once.
    void setCommands(const Uuid& id, std::vector<ZoneCommand> commands);
    void setGap(const Uuid& id, double gap);
    // Moves the profile at position `from` to position `to` (0-based) and writes the index.
    void move(std::size_t from, std::size_t to);
    void setAutoSwitchEnabled(bool enabled);

    void saveIndexNow();
    // Writes a save still waiting for its debounce now.
    void flushPendingSave();

    // base, or base + " 2", " 3" … : the first that no existing name equals.
    static std::string uniqueName(const std::string& base, const std::vector<Profile>& existing);

private:
    // The active profile (the first, should the id name none).
    const Profile& active() const;
    void appendCommand(ZoneCommand command);
    // Stores an edit of the active profile and announces what changed.
    void editActive(std::vector<ZoneCommand> commands, double gap);
    void scheduleSave();
    void saveActiveProfileNow();
    void saveProfileNow(const Profile& profile);
    void noteWrite(const Result<bool>& written, const std::optional<Uuid>& profile);
    void retryUnsaved();
    std::optional<std::size_t> indexOf(const Uuid& id) const;
    // Stores a profile's new contents and announces it, and the list when its name changed.
    void replaceProfile(std::size_t index, Profile profile);
    // Adds a profile at the end and writes it and the index; its id.
    Uuid append(Profile profile);

    std::optional<ProfileFileStore> fileStore_; // none: the commands were given for this run
    Scheduler& mainLoop_;
    TimerHandle autosave_;
    TimerHandle retry_;
    // Ids of the profiles, and the index (no id), whose last write failed, with the reason.
    std::map<std::optional<Uuid>, std::string> unsaved_;
    Signal<Uuid> profileChanged_;
};

} // namespace panemark
