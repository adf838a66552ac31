#include "profiles/ProfileFileStore.h"

#include "profiles/ProfileJson.h"
#include "runtime/Log.h"
#include "runtime/TextFile.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>
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

} // namespace

ProfileFileStore::ProfileFileStore(std::string baseDirectory)
    : base_(std::move(baseDirectory)), profiles_(base_ + "/Profiles"),
      index_(base_ + "/profiles.json"), legacy_(base_ + "/config.json") {
    QDir().mkpath(QString::fromStdString(profiles_));
}

std::string ProfileFileStore::defaultBaseDirectory() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Panemark")
        .toStdString();
}

std::string ProfileFileStore::profilePath(const Uuid& id) const {
    return profiles_ + "/" + id.toString() + ".json";
}

void ProfileFileStore::write(const std::string& path, const Result<std::string>& text) {
    Result<bool> written =
        text ? replaceAtomically(path, text.value()) : Result<bool>(Error{text.error()});
    if (written) {
        failing_.erase(path);
    } else if (failing_.insert(path).second) {
        Log::write("cannot write " + path + ": " + written.error());
    }
}

void ProfileFileStore::saveProfile(const Profile& profile) {
    write(profilePath(profile.id), ProfileJson::text(ProfileFile{1, profile}));
}

void ProfileFileStore::deleteProfileFile(const Uuid& id) {
    std::error_code ignored;
    std::filesystem::remove(profilePath(id), ignored);
}

std::vector<Profile> ProfileFileStore::loadAllProfiles(const std::vector<Uuid>& ids) const {
    std::vector<Profile> profiles;
    std::set<Uuid> loaded;
    for (const Uuid& id : ids) {
        const std::optional<std::string> text = readSmallFile(profilePath(id));
        if (!text) {
            continue;
        }
        Result<ProfileFile> file = ProfileJson::decodeFile(*text);
        // Two profiles with one id would make every operation by id act on the wrong one.
        if (file && loaded.insert(file.value().profile.id).second) {
            profiles.push_back(std::move(file).value().profile);
        }
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

std::optional<LegacyPersisted> ProfileFileStore::loadLegacy() const {
    const std::optional<std::string> text = readSmallFile(legacy_);
    if (!text) {
        return std::nullopt;
    }
    Result<LegacyPersisted> legacy = ProfileJson::decodeLegacy(*text);
    return legacy ? std::optional<LegacyPersisted>(std::move(legacy).value()) : std::nullopt;
}

void ProfileFileStore::saveIndex(const ProfileIndex& index) {
    write(index_, ProfileJson::text(index));
}

void ProfileFileStore::removeAbandonedWrites(std::chrono::seconds minimumAge) {
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

ProfileFileStore::Loaded
ProfileFileStore::loadOrMigrate(const std::function<std::vector<ZoneCommand>()>& defaultCommands) {
    removeAbandonedWrites(std::chrono::hours(1));
    if (const std::optional<ProfileIndex> index = loadIndex()) {
        std::vector<Profile> profiles = loadAllProfiles(index->order);
        if (!profiles.empty()) {
            Uuid active = profiles.front().id;
            for (const Profile& profile : profiles) {
                if (profile.id == index->activeProfileID) {
                    active = profile.id;
                    break;
                }
            }
            return {std::move(profiles), active, index->autoSwitchEnabled};
        }
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

} // namespace panemark
