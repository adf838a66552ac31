#include "base/TextFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace panemark {

namespace {

TextFile::Read failure(TextFile::Problem problem, std::string message) {
    return {problem, {}, std::move(message)};
}

TextFile::Read tooLarge(const std::string& name, std::size_t maxSize) {
    return failure(TextFile::Problem::tooLarge,
                   name + ": larger than " + TextFile::sizeInWords(maxSize) + ", not read");
}

// Closes the descriptor on every path.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::string TextFile::sizeInWords(std::size_t bytes) {
    if (bytes % (1024 * 1024) == 0) {
        return std::to_string(bytes / (1024 * 1024)) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

TextFile::Read TextFile::read(const std::string& path, std::size_t maxSize) {
    // Non-blocking, so that opening a FIFO with no writer returns at once; the type is checked
    // on the open descriptor, so nothing can be swapped in between.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        const int error = errno;
        return failure(error == ENOENT ? Problem::missing : Problem::unreadable,
                       path + ": cannot be opened: " + std::strerror(error));
    }
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0) {
        return failure(Problem::unreadable, path + ": cannot be read: " + std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        return failure(Problem::notRegular, path + ": is a directory");
    }
    if (!S_ISREG(info.st_mode)) {
        return failure(Problem::notRegular, path + ": is not a regular file");
    }
    if (static_cast<std::size_t>(info.st_size) > maxSize) {
        return tooLarge(path, maxSize);
    }
    Read result;
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return failure(Problem::unreadable, path + ": cannot be read: " + std::strerror(errno));
        }
        if (count == 0) {
            break;
        }
        result.text.append(buffer.data(), static_cast<std::size_t>(count));
        if (result.text.size() > maxSize) { // it grew while being read
            return tooLarge(path, maxSize);
        }
    }
    return result;
}

TextFile::Read TextFile::read(std::istream& stream, const std::string& name, std::size_t maxSize) {
    Read result;
    std::array<char, 65536> buffer{};
    while (stream.read(buffer.data(), buffer.size()) || stream.gcount() > 0) {
        result.text.append(buffer.data(), static_cast<std::size_t>(stream.gcount()));
        if (result.text.size() > maxSize) {
            return tooLarge(name, maxSize);
        }
    }
    if (stream.bad()) {
        return failure(Problem::unreadable, name + ": cannot be read");
    }
    return result;
}

Result<std::string> TextFile::readText(const std::string& path, std::size_t maxSize) {
    Read read = TextFile::read(path, maxSize);
    if (read.problem != Problem::none) {
        return Error{read.message};
    }
    return std::move(read.text);
}

} // namespace panemark
