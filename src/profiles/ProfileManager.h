#pragma once

#include "profiles/ConfigStore.h"
#include "profiles/Profile.h"
#include "profiles/ProfileFileStore.h"
#include "runtime/Published.h"
#include "runtime/Result.h"
#include "runtime/Scheduler.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// The profiles and which one is active. The config store is the working copy of the active
// profile: edits made there are copied into the profile and saved 250 ms after the last one;
// switching profiles goes the other way. Main thread only.
class ProfileManager : public ObservableObject {
public:
    // How a new profile starts.
    enum class NewProfileSeed { empty, defaults, copyActive };

    static constexpr double autosaveDelay = 0.25;
    // A file that could not be written is tried again this often until it is.
    static constexpr double retryDelay = 5;

    // Loads or migrates the profiles and puts the active one's commands and gap into the config
    // store before anything can observe an edit.
    ProfileManager(ConfigStore& config, ProfileFileStore fileStore, Scheduler& mainLoop);
    // A save still waiting for its debounce is written first: the last edit is never lost.
    ~ProfileManager() override;
    ProfileManager(const ProfileManager&) = delete;
    ProfileManager& operator=(const ProfileManager&) = delete;

    Published<std::vector<Profile>> profiles{{}, this};
    Published<Uuid> activeProfileID{Uuid(), this};
    Published<bool> autoSwitchEnabled{true, this};

    Profile activeProfile() const;
    std::optional<Profile> snapshot(const Uuid& id) const;
    const ProfileFileStore& fileStore() const { return fileStore_; }
    // Files present that did not load at start; they keep their place in the index.
    const std::vector<ProfileFileStore::SkippedFile>& skippedFiles() const {
        return fileStore_.skippedFiles();
    }
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
    // Replaces a profile's commands (the active one's through the config store, so the hot keys
    // follow) and writes it at once.
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
    void mirror(const std::vector<ZoneCommand>& commands, double gap);
    void scheduleSave();
    void saveActiveProfileNow();
    void saveProfileNow(const Profile& profile);
    void noteWrite(const Result<bool>& written, const std::optional<Uuid>& profile);
    void retryUnsaved();
    std::optional<std::size_t> indexOf(const Uuid& id) const;
    void replaceProfile(std::size_t index, Profile profile);
    // Adds a profile at the end and writes it and the index; its id.
    Uuid append(Profile profile);

    ConfigStore& config_;
    ProfileFileStore fileStore_;
    Scheduler& mainLoop_;
    bool isSwitchingProfile_ = false;
    Subscription commandsMirror_;
    Subscription gapMirror_;
    TimerHandle autosave_;
    TimerHandle retry_;
    // Ids of the profiles, and the index (no id), whose last write failed, with the reason.
    std::map<std::optional<Uuid>, std::string> unsaved_;
};

} // namespace panemark
