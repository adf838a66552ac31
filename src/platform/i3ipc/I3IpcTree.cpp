#include "platform/i3ipc/I3IpcTree.h"

#include "base/Log.h"

namespace panemark {

I3IpcTree::I3IpcTree(I3IpcClient& client, I3IpcReplies::Dialect dialect)
    : client_(client), dialect_(dialect) {}

std::shared_ptr<const JsonValue> I3IpcTree::get(double maxAge, double timeout) {
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(mutex_);
        if (tree_ && maxAge > 0 && now - readAt_ < std::chrono::duration<double>(maxAge)) {
            return tree_;
        }
    }
    Result<std::string> reply = client_.request(I3IpcCodec::getTree, "", timeout);
    if (!reply) {
        Log::write(reply.error());
        return nullptr;
    }
    Result<JsonValue> parsed = I3IpcReplies::parseTree(reply.value());
    if (!parsed) {
        Log::write(parsed.error());
        return nullptr;
    }
    auto tree = std::make_shared<const JsonValue>(std::move(parsed).value());
    std::lock_guard lock(mutex_);
    tree_ = tree;
    readAt_ = now;
    return tree;
}

void I3IpcTree::forget() {
    std::lock_guard lock(mutex_);
    tree_.reset();
}

} // namespace panemark
