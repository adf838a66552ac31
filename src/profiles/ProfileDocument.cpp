#include "profiles/ProfileDocument.h"

#include "base/TextFile.h"
#include "profiles/ProfileFileStore.h"
#include "profiles/ProfileJson.h"

#include <QSaveFile>
#include <filesystem>
#include <string_view>

namespace panemark {

Result<ProfileDocument> ProfileDocument::read(const std::string& path) {
    Result<std::string> text = TextFile::readText(path, ProfileFileStore::maxFileSize);
    if (!text) {
        return Error{text.error()};
    }
    Result<ProfileFile> file = ProfileJson::decodeFile(text.value());
    if (!file) {
        return Error{path + ": " + file.error()};
    }
    return ProfileDocument{std::move(file).value()};
}

Result<bool> ProfileDocument::write(const std::string& path) const {
    Result<std::string> text = ProfileJson::text(file);
    if (!text) {
        return Error{path + ": the profile cannot be written: " + text.error()};
    }
    QSaveFile out(QString::fromStdString(path));
    const std::string& bytes = text.value();
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !out.commit()) {
        return Error{path + ": " + out.errorString().toStdString()};
    }
    return true;
}

std::string ProfileDocument::withExtension(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    auto endsWith = [&](std::string_view suffix) {
        return name.size() > suffix.size() &&
               QString::fromStdString(name).endsWith(
                   QString::fromUtf8(suffix.data(), static_cast<qsizetype>(suffix.size())),
                   Qt::CaseInsensitive);
    };
    return endsWith(extension) || endsWith(".json") ? path : path + extension;
}

std::string ProfileDocument::offeredFileName(const std::optional<Profile>& profile) {
    return profile ? profile->name + extension : "Profile";
}

} // namespace panemark
