#pragma once

#include "base/Result.h"

namespace panemark {

// The platform's record of whether this program starts when the user logs in.
class LoginItem {
public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound };

    virtual ~LoginItem() = default;
    virtual Status status() = 0;
    // Both return what went wrong, in words, when they fail.
    virtual Result<bool> registerItem() = 0;
    virtual Result<bool> unregisterItem() = 0;
};

} // namespace panemark
