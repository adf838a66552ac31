#include "control/DataFolderLock.h"

#include "base/TextFile.h"

#include <QDir>
#include <QSaveFile>
#include <filesystem>
#include <nlohmann/json.hpp>

namespace panemark {

DataFolderLock::DataFolderLock(std::string folder, std::unique_ptr<QLockFile> lock)
    : folder_(std::move(folder)), lock_(std::move(lock)) {}

DataFolderLock::~DataFolderLock() {
    if (recorded_) {
        std::error_code ignored;
        std::filesystem::remove(recordPath(folder_), ignored);
    }
    lock_->unlock();
}

std::string DataFolderLock::lockPath(const std::string& folder) {
    return folder + "/instance.lock";
}

std::string DataFolderLock::recordPath(const std::string& folder) {
    return folder + "/instance.json";
}

std::string DataFolderLock::canonical(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    std::filesystem::path resolved =
        error ? std::filesystem::path(folder) : std::filesystem::weakly_canonical(absolute, error);
    if (error) {
        resolved = absolute.lexically_normal();
    }
    std::string text = resolved.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

Result<DataFolderLock::Attempt> DataFolderLock::take(const std::string& folder,
                                                     int waitMilliseconds) {
    if (!QDir().mkpath(QString::fromStdString(folder))) {
        return Error{"cannot create the data folder " + folder};
    }
    auto lock = std::make_unique<QLockFile>(QString::fromStdString(lockPath(folder)));
    // Stale only when its holder has died, which QLockFile checks by process id.
    lock->setStaleLockTime(0);
    // A running program that recorded itself holds it for good: no use waiting. Anyone else (a
    // command line at its change, a program between locking and recording) holds it briefly.
    bool locked = lock->tryLock(0);
    if (!locked && lock->error() == QLockFile::LockFailedError && !holder(folder)) {
        locked = lock->tryLock(waitMilliseconds);
    }
    if (locked) {
        return Attempt{std::unique_ptr<DataFolderLock>(new DataFolderLock(folder, std::move(lock))),
                       std::nullopt};
    }
    if (lock->error() != QLockFile::LockFailedError) {
        return Error{"cannot create the lock file " + lockPath(folder)};
    }
    return Attempt{nullptr, holder(folder)};
}

std::optional<DataFolderLock::Holder> DataFolderLock::holder(const std::string& folder) {
    QLockFile lock(QString::fromStdString(lockPath(folder)));
    qint64 lockPid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&lockPid, &host, &application)) {
        return std::nullopt;
    }
    const TextFile::Read read = TextFile::read(recordPath(folder), 64 * 1024);
    if (read.problem != TextFile::Problem::none) {
        return std::nullopt;
    }
    const nlohmann::json json = nlohmann::json::parse(read.text, nullptr, false);
    if (!json.is_object()) {
        return std::nullopt;
    }
    Holder holder;
    holder.pid = json.value("pid", std::int64_t{0});
    holder.display = json.value("display", std::string());
    holder.socketPath = json.value("socket", std::string());
    // A record left by an earlier holder says nothing about this one.
    if (holder.pid != lockPid) {
        return std::nullopt;
    }
    return holder;
}

Result<bool> DataFolderLock::record(const Holder& self) {
    const std::string text =
        nlohmann::json{{"pid", self.pid}, {"display", self.display}, {"socket", self.socketPath}}
            .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
        "\n";
    QSaveFile file(QString::fromStdString(recordPath(folder_)));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        return Error{"cannot write " + recordPath(folder_) + ": " +
                     file.errorString().toStdString()};
    }
    recorded_ = true;
    return true;
}

} // namespace panemark
