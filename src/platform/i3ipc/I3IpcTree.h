#pragma once

#include "json/JsonReader.h"
#include "platform/i3ipc/I3IpcClient.h"
#include "platform/i3ipc/I3IpcReplies.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace panemark {

// The compositor's tree, which answers every question a command asks (the focused window, its
// frame and process, the outputs and their usable areas): asked for once per command and read
// once, then shared for a moment. Any thread.
class I3IpcTree {
public:
    I3IpcTree(I3IpcClient& client, I3IpcReplies::Dialect dialect);

    // A tree no older than maxAge seconds (0: asked for now); none when the compositor does not
    // answer or answers nonsense (logged).
    std::shared_ptr<const JsonValue> get(double maxAge, double timeout);
    // What was read may be wrong now (a window was written).
    void forget();

    I3IpcClient& client() { return client_; }
    I3IpcReplies::Dialect dialect() const { return dialect_; }

private:
    I3IpcClient& client_;
    I3IpcReplies::Dialect dialect_;
    std::mutex mutex_;
    std::shared_ptr<const JsonValue> tree_;
    std::chrono::steady_clock::time_point readAt_;
};

} // namespace panemark
