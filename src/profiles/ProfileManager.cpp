#include "profiles/ProfileManager.h"

#include "base/Text.h"
#include "model/StockCommands.h"
#include "profiles/ProfileDocument.h"
#include "profiles/ProfileRules.h"

#include <algorithm>
#include <cmath>

namespace panemark {

ProfileManager::ProfileManager(ProfileFileStore fileStore, Scheduler& mainLoop)
    : fileStore_(std::move(fileStore)), mainLoop_(mainLoop) {
    ProfileFileStore::Loaded loaded = fileStore_->loadOrMigrate(&stockCommands);
    list_ = std::move(loaded.profiles);
    activeId_.store(loaded.activeProfileID);
    autoSwitch_.store(loaded.autoSwitchEnabled);
}

ProfileManager::ProfileManager(std::vector<ZoneCommand> commands, Scheduler& mainLoop)
    : mainLoop_(mainLoop) {
    Profile profile;
    profile.name = "Default";
    profile.commands = std::move(commands);
    activeId_.store(profile.id);
    list_.push_back(std::move(profile));
    autoSwitch_.store(false);
}

ProfileManager::~ProfileManager() {
    flushPendingSave();
    if (!unsaved_.empty()) {
        retryUnsaved(); // one last try
    }
}

const Profile& ProfileManager::active() const {
    static const Profile none;
    const std::optional<std::size_t> index = indexOf(activeId_.get());
    return list_.empty() ? none : list_[index.value_or(0)];
}

Profile ProfileManager::activeProfile() const {
    return active();
}

Subscription ProfileManager::onProfileChanged(std::function<void(const Uuid&)> listener) {
    return profileChanged_.connect(std::move(listener));
}

std::vector<std::pair<Uuid, std::string>> ProfileManager::names() const {
    std::vector<std::pair<Uuid, std::string>> names;
    names.reserve(list_.size());
    for (const Profile& profile : list_) {
        names.emplace_back(profile.id, profile.name);
    }
    return names;
}

const std::vector<ProfileFileStore::SkippedFile>& ProfileManager::skippedFiles() const {
    static const std::vector<ProfileFileStore::SkippedFile> none;
    return fileStore_ ? fileStore_->skippedFiles() : none;
}

std::optional<Profile> ProfileManager::snapshot(const Uuid& id) const {
    const std::optional<std::size_t> index = indexOf(id);
    return index ? std::optional<Profile>(list_[*index]) : std::nullopt;
}

std::optional<std::size_t> ProfileManager::indexOf(const Uuid& id) const {
    for (std::size_t i = 0; i < list_.size(); ++i) {
        if (list_[i].id == id) {
            return i;
        }
    }
    return std::nullopt;
}

void ProfileManager::replaceProfile(std::size_t index, Profile profile) {
    const bool renamed = list_[index].name != profile.name;
    const Uuid id = profile.id;
    list_[index] = std::move(profile);
    profileChanged_.emit(id);
    if (renamed) {
        listFace_.announce();
    }
}

void ProfileManager::editCommands(std::vector<ZoneCommand> commands) {
    editActive(std::move(commands), activeGap_.get());
}

void ProfileManager::editGap(double gap) {
    editActive(activeCommands_.get(), gap);
}

void ProfileManager::editActive(std::vector<ZoneCommand> commands, double gap) {
    const std::optional<std::size_t> index = indexOf(activeId_.get());
    if (!index) {
        return;
    }
    Profile& profile = list_[*index];
    const bool commandsChanged = profile.commands != commands;
    const bool gapChanged = profile.gap != gap && !(std::isnan(profile.gap) && std::isnan(gap));
    if (!commandsChanged && !gapChanged) {
        return;
    }
    profile.commands = std::move(commands);
    profile.gap = gap;
    const Uuid id = profile.id;
    profileChanged_.emit(id);
    if (commandsChanged) {
        activeCommands_.announce();
    }
    if (gapChanged) {
        activeGap_.announce();
    }
    scheduleSave();
}

void ProfileManager::appendCommand(ZoneCommand command) {
    std::vector<ZoneCommand> list = active().commands;
    list.push_back(std::move(command));
    editCommands(std::move(list));
}

void ProfileManager::addCommand() {
    appendCommand(ZoneCommand::firstCellOf(2, 1));
}

void ProfileManager::addHalfCommand() {
    ZoneCommand command = ZoneCommand::firstCellOf(1, 2);
    command.halfAction = HalfAction::top;
    appendCommand(std::move(command));
}

void ProfileManager::addMaximizeCommand() {
    ZoneCommand command = ZoneCommand::firstCellOf(1, 1);
    command.maximize = true;
    appendCommand(std::move(command));
}

void ProfileManager::addFixedSizeCommand() {
    ZoneCommand command = ZoneCommand::firstCellOf(1, 1);
    command.fixedSize = FixedSizeSpec{FixedSizeSpec::defaultWidth, FixedSizeSpec::defaultHeight};
    appendCommand(std::move(command));
}

Uuid ProfileManager::duplicateCommand(const ZoneCommand& command) {
    ZoneCommand copy = command;
    copy.id = Uuid::random();
    copy.shortcut.reset();
    std::vector<ZoneCommand> list = active().commands;
    auto original = std::find_if(list.begin(), list.end(),
                                 [&](const ZoneCommand& entry) { return entry.id == command.id; });
    list.insert(original == list.end() ? list.end() : original + 1, copy);
    editCommands(std::move(list));
    return copy.id;
}

void ProfileManager::deleteCommand(const ZoneCommand& command) {
    std::vector<ZoneCommand> list = active().commands;
    std::erase_if(list, [&](const ZoneCommand& entry) { return entry.id == command.id; });
    editCommands(std::move(list));
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
    if (const std::optional<std::size_t> index = indexOf(activeId_.get())) {
        saveProfileNow(list_[*index]);
    }
}

void ProfileManager::saveProfileNow(const Profile& profile) {
    if (fileStore_) {
        noteWrite(fileStore_->saveProfile(profile), profile.id);
    }
}

void ProfileManager::saveIndexNow() {
    if (!fileStore_) {
        return;
    }
    ProfileIndex index;
    index.activeProfileID = activeId_.get();
    for (const Profile& profile : list_) {
        index.order.push_back(profile.id);
    }
    index.autoSwitchEnabled = autoSwitch_.get();
    noteWrite(fileStore_->saveIndex(index), std::nullopt);
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
    if (!index || id == activeId_.get()) {
        return;
    }
    autosave_.cancel(); // written now, whole
    saveActiveProfileNow();
    activeId_.store(id);
    activeId_.announce();
    activeCommands_.announce();
    activeGap_.announce();
    saveIndexNow();
}

Uuid ProfileManager::createProfile(const std::string& name, NewProfileSeed seed) {
    autosave_.cancel();
    saveActiveProfileNow();
    Profile profile;
    profile.id = Uuid::random();
    const std::string trimmed = Text::trimmed(name);
    profile.name = uniqueName(trimmed.empty() ? "New Profile" : trimmed, list_);
    switch (seed) {
    case NewProfileSeed::empty:
        break;
    case NewProfileSeed::defaults:
        profile.commands = stockCommands();
        break;
    case NewProfileSeed::copyActive: {
        profile.commands = active().commands;
        profile.gap = active().gap;
        break;
    }
    }
    return append(std::move(profile));
}

Uuid ProfileManager::append(Profile profile) {
    list_.push_back(profile);
    listFace_.announce();
    saveProfileNow(profile);
    saveIndexNow();
    return profile.id;
}

Uuid ProfileManager::duplicateProfile(const Uuid& id) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return id;
    }
    Profile copy = list_[*index];
    copy.id = Uuid::random();
    copy.name = uniqueName(copy.name, list_);
    copy.trigger = ProfileTrigger{};
    list_.insert(list_.begin() + static_cast<std::ptrdiff_t>(*index) + 1, copy);
    listFace_.announce();
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
    profile.name = uniqueName(Text::trimmed(profile.name), list_);
    return append(std::move(profile));
}

void ProfileManager::rename(const Uuid& id, const std::string& name) {
    const std::optional<std::size_t> index = indexOf(id);
    const Result<std::string> newName = ProfileRules::name(name);
    if (!index || !newName) {
        return;
    }
    Profile profile = list_[*index];
    profile.name = newName.value();
    replaceProfile(*index, profile);
    saveProfileNow(profile);
}

void ProfileManager::setTrigger(const ProfileTrigger& trigger, const Uuid& id) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return;
    }
    Profile profile = list_[*index];
    profile.trigger = trigger;
    replaceProfile(*index, profile);
    saveProfileNow(profile);
}

void ProfileManager::deleteProfile(const Uuid& id) {
    if (list_.size() <= 1 || !indexOf(id)) {
        return;
    }
    if (id == activeId_.get()) {
        for (const Profile& profile : list_) {
            if (profile.id != id) {
                activate(profile.id);
                break;
            }
        }
    }
    std::erase_if(list_, [&](const Profile& profile) { return profile.id == id; });
    listFace_.announce();
    if (fileStore_) {
        fileStore_->deleteProfileFile(id);
    }
    unsaved_.erase(id);
    saveIndexNow();
}

void ProfileManager::setCommands(const Uuid& id, std::vector<ZoneCommand> commands) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return;
    }
    if (id == activeId_.get()) {
        editCommands(std::move(commands));
        flushPendingSave();
        return;
    }
    Profile profile = list_[*index];
    profile.commands = std::move(commands);
    replaceProfile(*index, profile);
    saveProfileNow(profile);
}

void ProfileManager::setGap(const Uuid& id, double gap) {
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return;
    }
    if (id == activeId_.get()) {
        editGap(gap);
        flushPendingSave();
        return;
    }
    Profile profile = list_[*index];
    profile.gap = gap;
    replaceProfile(*index, profile);
    saveProfileNow(profile);
}

void ProfileManager::move(std::size_t from, std::size_t to) {
    if (from >= list_.size() || to >= list_.size() || from == to) {
        return;
    }
    Profile moving = std::move(list_[from]);
    list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(from));
    list_.insert(list_.begin() + static_cast<std::ptrdiff_t>(to), std::move(moving));
    listFace_.announce();
    saveIndexNow();
}

void ProfileManager::setAutoSwitchEnabled(bool enabled) {
    autoSwitch_.set(enabled);
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
