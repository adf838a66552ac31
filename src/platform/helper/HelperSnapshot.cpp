#include "platform/helper/HelperSnapshot.h"

#include "base/Log.h"

namespace panemark {

std::optional<HelperReplies::Look> HelperSnapshot::get(double timeout) {
    {
        std::lock_guard lock(mutex_);
        if (reportNamesAWindow()) {
            return reported_;
        }
        // A command that asked anew past a report of nothing focused reads what it was told.
        if (look_ && Clock::now() - takenAt_ < std::chrono::duration<double>(lifetime)) {
            return look_;
        }
        if (reported_) {
            return reported_;
        }
    }
    return refresh(timeout);
}

std::optional<HelperReplies::Look> HelperSnapshot::refresh(double timeout) {
    {
        std::lock_guard lock(mutex_);
        if (reportNamesAWindow()) {
            return reported_;
        }
    }
    const auto askedAt = Clock::now();
    Result<std::string> answer = helper_.look(timeout);
    if (!answer) {
        Log::write(answer.error());
        return std::nullopt;
    }
    Result<HelperReplies::Look> look = HelperReplies::look(answer.value());
    if (!look) {
        Log::write(look.error());
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    look_ = look.value();
    takenAt_ = askedAt;
    return look_;
}

void HelperSnapshot::invalidate() {
    std::lock_guard lock(mutex_);
    look_.reset();
}

void HelperSnapshot::followed(const HelperReplies::Look& look) {
    std::lock_guard lock(mutex_);
    reported_ = look;
}

void HelperSnapshot::stopFollowing() {
    std::lock_guard lock(mutex_);
    reported_.reset();
    look_.reset();
}

bool HelperSnapshot::reportNamesAWindow() const {
    return reported_ && reported_->window;
}

bool HelperSnapshot::isFollowing() {
    std::lock_guard lock(mutex_);
    return reported_.has_value();
}

} // namespace panemark
