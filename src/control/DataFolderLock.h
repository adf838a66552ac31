#pragma once

#include "base/Result.h"

#include <QLockFile>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace panemark {

// Who may write a data folder. The running program holds the folder's lock for as long as it
// runs and records beside it how to reach it, so a command line on any display (or over ssh)
// can hand its change to that program instead of editing the files under it; a command line
// that edits the files itself holds the lock while it does.
class DataFolderLock {
public:
    // The program that holds a folder, as it recorded itself.
    struct Holder {
        std::int64_t pid = 0;
        std::string display;
        std::string socketPath;
    };

    // The lock, or who holds it; the reason when the lock cannot be made at all (a folder that
    // cannot be created or written).
    struct Attempt {
        std::unique_ptr<DataFolderLock> lock;
        std::optional<Holder> holder; // when the holder is a running program that recorded itself
    };

    ~DataFolderLock();
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    // The path with links, "." and ".." resolved, so that every spelling of one folder is one.
    static std::string canonical(const std::string& folder);
    // At once when a running program holds it; otherwise tries for up to waitMilliseconds, since
    // another command line, or a program that has yet to record itself, holds it only briefly.
    static Result<Attempt> take(const std::string& folder, int waitMilliseconds);
    // The holder's record when the lock is held by the process that wrote it; nothing otherwise.
    static std::optional<Holder> holder(const std::string& folder);

    // Written by the running program once it holds the lock; removed when the lock goes.
    Result<bool> record(const Holder& self);

    static std::string lockPath(const std::string& folder);
    static std::string recordPath(const std::string& folder);

private:
    DataFolderLock(std::string folder, std::unique_ptr<QLockFile> lock);

    std::string folder_;
    std::unique_ptr<QLockFile> lock_;
    bool recorded_ = false;
};

} // namespace panemark
