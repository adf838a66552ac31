#include "profiles/ProfileFileStore.h"

#include "base/Log.h"
#include "base/Text.h"
#include "base/TextFile.h"
#include "json/JsonText.h"
#include "profiles/ProfileJson.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <filesystem>
#include <unordered_set>

namespace panemark {

namespace {

std::optional<std::string> readSmallFile(const std::string& path) {
    TextFile::Read read = TextFile::read(path, ProfileFileStore::maxFileSize);
    if (read.problem != TextFile::Problem::none) {
        return std::nullopt;
    }
    return std::move(read.text);
}

Result<bool> replaceAtomically(const std::string& path, const std::string& text) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        return Error{file.errorString().toStdString()};
    }
    if (file.write(text.data(), static_cast<qint64>(text.size())) !=
        static_cast<qint64>(text.size())) {
        file.cancelWriting();
        return Error{file.errorString().toStdString()};
    }
    if (!file.commit()) {
        return Error{file.errorString().toStdString()};
    }
    return true;
}

std::string describeProblem(const TextFile::Read& read, const std::string& path) {
    // The message starts with the path, which the caller names already.
    const std::string prefix = path + ": ";
    return read.message.starts_with(prefix) ? read.message.substr(prefix.size()) : read.message;
}

// What an index that does not decode still says: the ids of its order that are ids, its active
// profile, whether it switches by itself.
void salvageIndex(const std::string& text, std::vector<Uuid>& order, std::optional<Uuid>& active,
                  bool& autoSwitchEnabled) {
    Result<JsonValue> json = JsonText::parse(text);
    if (!json || !json.value().is_object()) {
        return;
    }
    const JsonValue& index = json.value();
    if (const auto list = index.find("order"); list != index.end() && list->is_array()) {
        for (const JsonValue& entry : *list) {
            if (entry.is_string()) {
                if (const std::optional<Uuid> id = Uuid::parse(entry.get<std::string>())) {
                    order.push_back(*id);
                }
            }
        }
    }
    if (const auto id = index.find("activeProfileID"); id != index.end() && id->is_string()) {
        active = Uuid::parse(id->get<std::string>());
    }
    if (const auto flag = index.find("autoSwitchEnabled");
        flag != index.end() && flag->is_boolean()) {
        autoSwitchEnabled = flag->get<bool>();
    }
}

} // namespace

struct ProfileFileStore::IndexRead {
    enum class State { absent, usable, unusable };
    State state = State::absent;
    ProfileIndex index;  // when usable
    std::string problem; // when unusable
    // What could still be read of an unusable index.
    std::vector<Uuid> order;
    std::optional<Uuid> active;
    bool autoSwitchEnabled = true;
};

ProfileFileStore::ProfileFileStore(std::string baseDirectory, Access access)
    : base_(std::move(baseDirectory)), profiles_(base_ + "/Profiles"),
      index_(base_ + "/profiles.json"), legacy_(base_ + "/config.json"), access_(access) {
    if (access_ == Access::readWrite) {
        QDir().mkpath(QString::fromStdString(profiles_));
    }
}

std::string ProfileFileStore::defaultBaseDirectory() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Panemark")
        .toStdString();
}

std::string ProfileFileStore::profilePath(const Uuid& id) const {
    return profiles_ + "/" + id.toString() + ".json";
}

Result<bool> ProfileFileStore::write(const std::string& path, const Result<std::string>& text) {
    if (access_ == Access::readOnly) {
        return true;
    }
    Result<bool> written =
        text ? replaceAtomically(path, text.value()) : Result<bool>(Error{text.error()});
    if (written) {
        failing_.erase(path);
    } else if (failing_.insert(path).second) {
        Log::write("cannot write " + path + ": " + written.error());
    }
    return written;
}

Result<bool> ProfileFileStore::saveProfile(const Profile& profile) {
    return write(profilePath(profile.id), ProfileJson::text(ProfileFile{1, profile}));
}

void ProfileFileStore::deleteProfileFile(const Uuid& id) {
    if (access_ == Access::readOnly) {
        return;
    }
    std::error_code ignored;
    std::filesystem::remove(profilePath(id), ignored);
}

std::vector<Profile> ProfileFileStore::loadAllProfiles(const std::vector<Uuid>& ids,
                                                       std::vector<SkippedFile>* skipped) const {
    std::vector<Profile> profiles;
    std::set<Uuid> seen;
    for (const Uuid& id : ids) {
        // Two profiles with one id would make every operation by id act on the wrong one.
        if (!seen.insert(id).second) {
            continue;
        }
        const std::string path = profilePath(id);
        const TextFile::Read read = TextFile::read(path, maxFileSize);
        if (read.problem == TextFile::Problem::missing) {
            continue;
        }
        Result<ProfileFile> file = read.problem == TextFile::Problem::none
                                       ? ProfileJson::decodeFile(read.text)
                                       : Result<ProfileFile>(Error{describeProblem(read, path)});
        if (!file) {
            if (skipped) {
                skipped->push_back({path, file.error()});
            }
            continue;
        }
        Profile profile = std::move(file).value().profile;
        // Every write and the index go by the file's name, so that is the profile's id.
        if (profile.id != id) {
            Log::write("profile file " + Text::printable(path) + " carries the id " +
                       profile.id.toString() + "; it is used under its file name's id");
            profile.id = id;
        }
        profiles.push_back(std::move(profile));
    }
    return profiles;
}

std::optional<ProfileIndex> ProfileFileStore::loadIndex() const {
    const std::optional<std::string> text = readSmallFile(index_);
    if (!text) {
        return std::nullopt;
    }
    Result<ProfileIndex> index = ProfileJson::decodeIndex(*text);
    return index ? std::optional<ProfileIndex>(std::move(index).value()) : std::nullopt;
}

ProfileFileStore::IndexRead ProfileFileStore::readIndex() const {
    IndexRead result;
    const TextFile::Read read = TextFile::read(index_, maxFileSize);
    if (read.problem == TextFile::Problem::missing) {
        return result;
    }
    Result<ProfileIndex> index = read.problem == TextFile::Problem::none
                                     ? ProfileJson::decodeIndex(read.text)
                                     : Result<ProfileIndex>(Error{describeProblem(read, index_)});
    if (index) {
        result.state = IndexRead::State::usable;
        result.index = std::move(index).value();
        return result;
    }
    result.state = IndexRead::State::unusable;
    result.problem = index.error();
    salvageIndex(read.text, result.order, result.active, result.autoSwitchEnabled);
    return result;
}

std::optional<LegacyPersisted> ProfileFileStore::loadLegacy() const {
    const std::optional<std::string> text = readSmallFile(legacy_);
    if (!text) {
        return std::nullopt;
    }
    Result<LegacyPersisted> legacy = ProfileJson::decodeLegacy(*text);
    return legacy ? std::optional<LegacyPersisted>(std::move(legacy).value()) : std::nullopt;
}

std::vector<Uuid> ProfileFileStore::orderWithHeldBack(const std::vector<Uuid>& order) const {
    const std::set<Uuid> present(order.begin(), order.end());
    // Each held-back id follows the nearest profile before it that is still there (one deleted
    // since passes it on to the one before); with none left, it leads.
    const auto anchorOf = [&](const HeldBack& held) -> std::optional<Uuid> {
        for (const Uuid& before : held.before) {
            if (present.contains(before)) {
                return before;
            }
        }
        return std::nullopt;
    };
    auto heldAfter = [&](const std::optional<Uuid>& anchor, std::vector<Uuid>& into) {
        for (const HeldBack& held : heldBack_) {
            if (!present.contains(held.id) && anchorOf(held) == anchor) {
                into.push_back(held.id);
            }
        }
    };
    std::vector<Uuid> merged;
    heldAfter(std::nullopt, merged);
    for (const Uuid& id : order) {
        merged.push_back(id);
        heldAfter(id, merged);
    }
    return merged;
}

Result<bool> ProfileFileStore::saveIndex(const ProfileIndex& index) {
    ProfileIndex written = index;
    written.order = orderWithHeldBack(index.order);
    return write(index_, ProfileJson::text(written));
}

void ProfileFileStore::removeAbandonedWrites(std::chrono::seconds minimumAge) {
    if (access_ == Access::readOnly) {
        return;
    }
    // "<ID>.json.XXXXXX": the temporary file of a write whose process was killed before it could
    // put the file in place. Old ones only: a live writer's is seconds old at most.
    std::error_code error;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const auto& entry : std::filesystem::directory_iterator(profiles_, error)) {
        const std::string name = entry.path().filename().string();
        const bool temporary = name.size() == 36 + 5 + 7 && name.compare(36, 6, ".json.") == 0 &&
                               Uuid::parse(name.substr(0, 36)).has_value();
        std::error_code ignored;
        if (temporary && entry.is_regular_file(ignored) &&
            now - entry.last_write_time(ignored) > minimumAge) {
            std::filesystem::remove(entry.path(), ignored);
        }
    }
}

std::vector<Profile> ProfileFileStore::loadInOrder(const std::vector<Uuid>& ids) {
    skipped_.clear();
    heldBack_.clear();
    std::vector<Profile> profiles;
    std::set<Uuid> seen;
    std::vector<Uuid> loadedSoFar; // nearest last
    for (const Uuid& id : ids) {
        if (!seen.insert(id).second) {
            continue;
        }
        std::vector<SkippedFile> skipped;
        std::vector<Profile> one = loadAllProfiles({id}, &skipped);
        if (!one.empty()) {
            loadedSoFar.push_back(id);
            profiles.push_back(std::move(one.front()));
        } else if (!skipped.empty()) {
            heldBack_.push_back({id, {loadedSoFar.rbegin(), loadedSoFar.rend()}});
            skipped_.push_back(std::move(skipped.front()));
        }
    }
    return profiles;
}

std::vector<Profile> ProfileFileStore::loadEveryFile(const std::vector<Uuid>& preferredOrder) {
    std::vector<Uuid> named;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(profiles_, error)) {
        const std::string name = entry.path().filename().string();
        const std::optional<Uuid> id = name.size() == 36 + 5 && name.ends_with(".json")
                                           ? Uuid::parse(name.substr(0, 36))
                                           : std::nullopt;
        // Only names this store writes: any other file there is not one of ours.
        if (id && profilePath(*id) == entry.path().string()) {
            named.push_back(*id);
        }
    }
    std::sort(named.begin(), named.end());
    std::vector<Uuid> order;
    for (const Uuid& id : preferredOrder) {
        if (std::binary_search(named.begin(), named.end(), id)) {
            order.push_back(id);
        }
    }
    const std::size_t listed = std::set<Uuid>(order.begin(), order.end()).size();
    for (const Uuid& id : named) {
        if (std::find(order.begin(), order.end(), id) == order.end()) {
            order.push_back(id);
        }
    }
    std::vector<Profile> profiles = loadInOrder(order);
    // Past those the old index placed, by name (stable, so equal names keep the id order).
    const std::set<Uuid> placed(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(listed));
    const auto unplaced = std::stable_partition(
        profiles.begin(), profiles.end(), [&](const Profile& p) { return placed.contains(p.id); });
    std::stable_sort(unplaced, profiles.end(),
                     [](const Profile& a, const Profile& b) { return a.name < b.name; });
    return profiles;
}

void ProfileFileStore::setIndexAside(const std::string& reason) {
    const std::string stamp =
        QDateTime::currentDateTimeUtc().toString("yyyyMMdd'T'HHmmss'Z'").toStdString();
    std::string aside = index_ + ".unreadable-" + stamp;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(aside, error); ++n) {
        aside = index_ + ".unreadable-" + stamp + "-" + std::to_string(n);
    }
    if (std::filesystem::rename(index_, aside, error); error) {
        Log::write("the profile list " + Text::printable(index_) + " could not be used (" +
                   Text::printable(reason) + ") nor kept aside (" + error.message() +
                   "); it is left as it is");
        return;
    }
    Log::write("the profile list " + Text::printable(index_) + " could not be used (" +
               Text::printable(reason) + "); it is kept as " + Text::printable(aside) +
               " and a new one is written");
}

ProfileFileStore::Loaded
ProfileFileStore::loadOrMigrate(const std::function<std::vector<ZoneCommand>()>& defaultCommands) {
    removeAbandonedWrites(std::chrono::hours(1));
    IndexRead index = readIndex();
    if (index.state == IndexRead::State::usable) {
        std::vector<Profile> profiles = loadInOrder(index.index.order);
        if (!profiles.empty()) {
            reportSkipped();
            Uuid active = profiles.front().id;
            for (const Profile& profile : profiles) {
                if (profile.id == index.index.activeProfileID) {
                    active = profile.id;
                }
            }
            return {std::move(profiles), active, index.index.autoSwitchEnabled};
        }
        // Nothing it names loads: the files that are there are worth more than the index.
        index.state =
            index.index.order.empty() ? IndexRead::State::absent : IndexRead::State::unusable;
        index.problem = "none of the profiles it names could be read";
        index.order = index.index.order;
        index.active = index.index.activeProfileID;
        index.autoSwitchEnabled = index.index.autoSwitchEnabled;
    }
    std::vector<Profile> profiles = loadEveryFile(index.order);
    reportSkipped();
    if (index.state == IndexRead::State::unusable && access_ == Access::readWrite) {
        setIndexAside(index.problem);
    }
    if (!profiles.empty()) {
        Uuid active = profiles.front().id;
        for (const Profile& profile : profiles) {
            if (index.active && profile.id == *index.active) {
                active = profile.id;
            }
        }
        std::vector<Uuid> order;
        for (const Profile& profile : profiles) {
            order.push_back(profile.id);
        }
        saveIndex(ProfileIndex{1, active, order, index.autoSwitchEnabled});
        return {std::move(profiles), active, index.autoSwitchEnabled};
    }
    Profile profile;
    profile.id = Uuid::random();
    profile.name = "Default";
    if (std::optional<LegacyPersisted> legacy = loadLegacy()) {
        profile.commands = std::move(legacy->commands);
        profile.gap = legacy->gap;
    } else {
        profile.commands = defaultCommands();
    }
    saveProfile(profile);
    saveIndex(ProfileIndex{1, profile.id, {profile.id}, true});
    const Uuid id = profile.id;
    return {{std::move(profile)}, id, true};
}

void ProfileFileStore::reportSkipped() const {
    for (const SkippedFile& file : skipped_) {
        Log::write("profile file " + Text::printable(file.path) + " could not be read (" +
                   Text::printable(file.reason) + "); it is kept and skipped");
    }
}

} // namespace panemark
