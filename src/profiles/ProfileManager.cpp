#include "profiles/ProfileManager.h"

#include "profiles/ProfileDocument.h"
#include "profiles/ProfileRules.h"
#include "runtime/Text.h"

#include <algorithm>

namespace panemark {

ProfileManager::ProfileManager(ConfigStore& config, ProfileFileStore fileStore, Scheduler& mainLoop)
    : config_(config), fileStore_(std::move(fileStore)), mainLoop_(mainLoop) {
    ProfileFileStore::Loaded loaded = fileStore_.loadOrMigrate(&ConfigStore::defaultCommands);
    profiles = std::move(loaded.profiles);
    activeProfileID = loaded.activeProfileID;
    autoSwitchEnabled = loaded.autoSwitchEnabled;
    const Profile active = activeProfile();
    config_.commands = active.commands;
    config_.gap = active.gap;
    // Each subscription first repeats the values just loaded: those are not edits.
    bool commandsPrimed = false;
    commandsMirror_ = config_.commands.subscribe(
        [this, commandsPrimed](const std::vector<ZoneCommand>& commands) mutable {
            if (std::exchange(commandsPrimed, true)) {
                mirror(commands, config_.gap.get());
            }
        });
    bool gapPrimed = false;
    gapMirror_ = config_.gap.subscribe([this, gapPrimed](double gap) mutable {
        if (std::exchange(gapPrimed, true)) {
            mirror(config_.commands.get(), gap);
        }
    });
}

ProfileManager::~ProfileManager() {
    flushPendingSave();
    if (!unsaved_.empty()) {
        retryUnsaved(); // one last try
    }
}

Profile ProfileManager::activeProfile() const {
    const std::optional<std::size_t> index = indexOf(activeProfileID.get());
    return profiles.get()[index.value_or(0)];
}

std::optional<Profile> ProfileManager::snapshot(const Uuid& id) const {
    const std::optional<std::size_t> index = indexOf(id);
    return index ? std::optional<Profile>(profiles.get()[*index]) : std::nullopt;
}

std::optional<std::size_t> ProfileManager::indexOf(const Uuid& id) const {
    const auto& list = profiles.get();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].id == id) {
            return i;
        }
    }
    return std::nullopt;
}

void ProfileManager::replaceProfile(std::size_t index, Profile profile) {
    std::vector<Profile> list = profiles.get();
    list[index] = std::move(profile);
    profiles = std::move(list);
}

void ProfileManager::mirror(const std::vector<ZoneCommand>& commands, double gap) {
    if (isSwitchingProfile_) {
        return;
    }
    const std::optional<std::size_t> index = indexOf(activeProfileID.get());
    if (!index) {
        return;
    }
    Profile profile = profiles.get()[*index];
    profile.commands = commands;
    profile.gap = gap;
    replaceProfile(*index, std::move(profile));
    scheduleSave();
}

void ProfileManager::scheduleSave() {
    // A new timer replaces the old one: the save runs once, after the last edit of a burst.
    autosave_ = mainLoop_.after(autosaveDelay, [this] {
        autosave_.cancel();
        saveActiveProfileNow();
    });
}

void ProfileManager::flushPendingSave() {
    if (autosave_) {
        autosave_.cancel();
        saveActiveProfileNow();
    }
}

void ProfileManager::saveActiveProfileNow() {
    if (const std::optional<std::size_t> index = indexOf(activeProfileID.get())) {
        saveProfileNow(profiles.get()[*index]);
    }
}

void ProfileManager::saveProfileNow(const Profile& profile) {
    noteWrite(fileStore_.saveProfile(profile), profile.id);
}

void ProfileManager::saveIndexNow() {
    ProfileIndex index;
    index.activeProfileID = activeProfileID.get();
    for (const Profile& profile : profiles.get()) {
        index.order.push_back(profile.id);
    }
    index.autoSwitchEnabled = autoSwitchEnabled.get();
    noteWrite(fileStore_.saveIndex(index), std::nullopt);
}

void ProfileManager::noteWrite(const Result<bool>& written, const std::optional<Uuid>& profile) {
    if (written) {
        unsaved_.erase(profile);
        return;
    }
    unsaved_[profile] = written.error();
    if (!retry_) {
        retry_ = mainLoop_.after(retryDelay, [this] {
            retry_.cancel();
            retryUnsaved();
        });
    }
}

void ProfileManager::retryUnsaved() {
    const auto pending = unsaved_;
    for (const auto& [id, reason] : pending) {
        if (!id) {
            saveIndexNow();
        } else if (const std::optional<Profile> profile = snapshot(*id)) {
            saveProfileNow(*profile);
        } else {
            unsaved_.erase(id); // deleted since
        }
    }
}

std::optional<std::string> ProfileManager::unsavedChanges() const {
    if (unsaved_.empty()) {
        return std::nullopt;
    }
    const auto& [id, reason] = *unsaved_.rbegin(); // a profile before the index
    if (!id) {
        return "couldn't save the profile list: " + reason;
    }
    const std::optional<Profile> profile = snapshot(*id);
    return "couldn't save profile \"" + (profile ? profile->name : id->toString()) +
           "\": " + reason;
}

void ProfileManager::activate(const Uuid& id) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index || id == activeProfileID.get()) {
        return;
    }
    autosave_.cancel(); // written now, whole
    saveActiveProfileNow();
    const Profile next = profiles.get()[*index];
    isSwitchingProfile_ = true;
    activeProfileID = id;
    config_.commands = next.commands;
    config_.gap = next.gap;
    isSwitchingProfile_ = false;
    saveIndexNow();
}

Uuid ProfileManager::createProfile(const std::string& name, NewProfileSeed seed) {
    autosave_.cancel();
    saveActiveProfileNow();
    Profile profile;
    profile.id = Uuid::random();
    const std::string trimmed = Text::trimmed(name);
    profile.name = uniqueName(trimmed.empty() ? "New Profile" : trimmed, profiles.get());
    switch (seed) {
    case NewProfileSeed::empty:
        break;
    case NewProfileSeed::defaults:
        profile.commands = ConfigStore::defaultCommands();
        break;
    case NewProfileSeed::copyActive: {
        const Profile active = activeProfile();
        profile.commands = active.commands;
        profile.gap = active.gap;
        break;
    }
    }
    return append(std::move(profile));
}

Uuid ProfileManager::append(Profile profile) {
    std::vector<Profile> list = profiles.get();
    list.push_back(profile);
    profiles = std::move(list);
    saveProfileNow(profile);
    saveIndexNow();
    return profile.id;
}

Uuid ProfileManager::duplicateProfile(const Uuid& id) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return id;
    }
    Profile copy = profiles.get()[*index];
    copy.id = Uuid::random();
    copy.name = uniqueName(copy.name, profiles.get());
    copy.trigger = ProfileTrigger{};
    std::vector<Profile> list = profiles.get();
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(*index) + 1, copy);
    profiles = std::move(list);
    saveProfileNow(copy);
    saveIndexNow();
    return copy.id;
}

Result<Uuid> ProfileManager::importProfile(const std::string& path) {
    Result<ProfileDocument> document = ProfileDocument::read(path);
    if (!document) {
        return Error{document.error()};
    }
    Profile profile = std::move(document).value().file.profile;
    if (Result<bool> acceptable = ProfileRules::incoming(profile); !acceptable) {
        return Error{path + ": " + acceptable.error()};
    }
    profile.id = Uuid::random(); // never collides, however often one file is imported
    profile.name = uniqueName(Text::trimmed(profile.name), profiles.get());
    return append(std::move(profile));
}

void ProfileManager::rename(const Uuid& id, const std::string& name) {
    const std::optional<std::size_t> index = indexOf(id);
    const Result<std::string> newName = ProfileRules::name(name);
    if (!index || !newName) {
        return;
    }
    Profile profile = profiles.get()[*index];
    profile.name = newName.value();
    replaceProfile(*index, profile);
    saveProfileNow(profile);
}

void ProfileManager::setTrigger(const ProfileTrigger& trigger, const Uuid& id) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return;
    }
    Profile profile = profiles.get()[*index];
    profile.trigger = trigger;
    replaceProfile(*index, profile);
    saveProfileNow(profile);
}

void ProfileManager::deleteProfile(const Uuid& id) {
    if (profiles.get().size() <= 1 || !indexOf(id)) {
        return;
    }
    if (id == activeProfileID.get()) {
        for (const Profile& profile : profiles.get()) {
            if (profile.id != id) {
                activate(profile.id);
                break;
            }
        }
    }
    std::vector<Profile> list = profiles.get();
    std::erase_if(list, [&](const Profile& profile) { return profile.id == id; });
    profiles = std::move(list);
    fileStore_.deleteProfileFile(id);
    unsaved_.erase(id);
    saveIndexNow();
}

void ProfileManager::setCommands(const Uuid& id, std::vector<ZoneCommand> commands) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return;
    }
    if (id == activeProfileID.get()) {
        config_.commands = std::move(commands); // the mirror copies it into the profile
        flushPendingSave();
        return;
    }
    Profile profile = profiles.get()[*index];
    profile.commands = std::move(commands);
    replaceProfile(*index, profile);
    saveProfileNow(profile);
}

void ProfileManager::setGap(const Uuid& id, double gap) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return;
    }
    if (id == activeProfileID.get()) {
        config_.gap = gap;
        flushPendingSave();
        return;
    }
    Profile profile = profiles.get()[*index];
    profile.gap = gap;
    replaceProfile(*index, profile);
    saveProfileNow(profile);
}

void ProfileManager::move(std::size_t from, std::size_t to) {
    std::vector<Profile> list = profiles.get();
    if (from >= list.size() || to >= list.size() || from == to) {
        return;
    }
    Profile moving = std::move(list[from]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(from));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(to), std::move(moving));
    profiles = std::move(list);
    saveIndexNow();
}

void ProfileManager::setAutoSwitchEnabled(bool enabled) {
    autoSwitchEnabled = enabled;
    saveIndexNow();
}

std::string ProfileManager::uniqueName(const std::string& base,
                                       const std::vector<Profile>& existing) {
    auto taken = [&](const std::string& name) {
        return std::any_of(existing.begin(), existing.end(),
                           [&](const Profile& profile) { return profile.name == name; });
    };
    if (!taken(base)) {
        return base;
    }
    for (std::size_t n = 2;; ++n) {
        std::string candidate = base + " " + std::to_string(n);
        if (!taken(candidate)) {
            return candidate;
        }
    }
}

} // namespace panemark
