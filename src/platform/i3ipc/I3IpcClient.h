#pragma once

#include "base/Result.h"
#include "platform/i3ipc/I3IpcCodec.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace panemark {

// Requests to the compositor over its IPC socket, each answered before the next is sent, from
// any thread: the mover asks on the main thread, the animator writes on its own. A plain Unix
// socket under a mutex, since a QLocalSocket belongs to the thread that made it. A request that
// fails closes the socket; the next one connects again.
class I3IpcClient {
public:
    explicit I3IpcClient(std::string socketPath);
    ~I3IpcClient();
    I3IpcClient(const I3IpcClient&) = delete;
    I3IpcClient& operator=(const I3IpcClient&) = delete;

    // The reply's payload, within timeout seconds, or what went wrong.
    Result<std::string> request(std::uint32_t type, std::string_view payload, double timeout);
    const std::string& socketPath() const { return socketPath_; }

private:
    Result<bool> connectLocked(double timeout);
    void closeLocked();

    std::string socketPath_;
    std::mutex mutex_;
    int socket_ = -1;
    I3IpcCodec::Decoder decoder_;
};

} // namespace panemark
