#pragma once

#include "platform/LoginItem.h"

#include <optional>
#include <string>

namespace panemark {

// A login item in memory, whose registration can be made to fail.
class SimLoginItem : public LoginItem {
public:
    Status status() override { return status_; }
    Result<bool> registerItem() override;
    Result<bool> unregisterItem() override;

    void setStatus(Status status) { status_ = status; }
    std::optional<std::string> failWith; // the next calls fail with this text
    int calls = 0;

private:
    Status status_ = Status::notRegistered;
};

} // namespace panemark
