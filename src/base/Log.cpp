#include "base/Log.h"

#include <cstdio>
#include <mutex>

namespace panemark {

namespace {

std::mutex& logMutex() {
    static std::mutex mutex;
    return mutex;
}

Log::Capture*& activeCapture() {
    static Log::Capture* capture = nullptr;
    return capture;
}

// A log line must stay one line, whatever a window title or file name brought in.
std::string singleLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

} // namespace

void Log::write(std::string_view message) {
    std::string line = singleLine(message);
    if (line.rfind(prefix, 0) != 0) {
        line.insert(0, prefix);
    }
    std::lock_guard lock(logMutex());
    if (Capture* capture = activeCapture()) {
        capture->append(std::move(line));
        return;
    }
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

Log::Capture::Capture() {
    std::lock_guard lock(logMutex());
    previous_ = activeCapture();
    activeCapture() = this;
}

Log::Capture::~Capture() {
    std::lock_guard lock(logMutex());
    activeCapture() = previous_;
}

std::vector<std::string> Log::Capture::lines() const {
    std::lock_guard lock(logMutex());
    return lines_;
}

void Log::Capture::clear() {
    std::lock_guard lock(logMutex());
    lines_.clear();
}

void Log::Capture::append(std::string line) {
    lines_.push_back(std::move(line));
}

} // namespace panemark
