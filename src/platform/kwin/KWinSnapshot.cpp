#include "platform/kwin/KWinSnapshot.h"

#include "runtime/Log.h"

namespace panemark {

std::optional<KWinScriptMessages::Look> KWinSnapshot::get(double timeout) {
    {
        std::lock_guard lock(mutex_);
        if (look_ && Clock::now() - takenAt_ < std::chrono::duration<double>(lifetime)) {
            return look_;
        }
    }
    return refresh(timeout);
}

std::optional<KWinScriptMessages::Look> KWinSnapshot::refresh(double timeout) {
    const auto askedAt = Clock::now();
    Result<std::string> answer = channel_.request(KWinScriptMessages::lookRequest, timeout);
    if (!answer) {
        Log::write(answer.error());
        return std::nullopt;
    }
    Result<KWinScriptMessages::Look> look = KWinScriptMessages::look(answer.value());
    if (!look) {
        Log::write(look.error());
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    look_ = look.value();
    takenAt_ = askedAt;
    return look_;
}

void KWinSnapshot::invalidate() {
    std::lock_guard lock(mutex_);
    look_.reset();
}

} // namespace panemark
