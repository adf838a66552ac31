#include "platform/sim/SimLoginItem.h"

namespace panemark {

Result<bool> SimLoginItem::registerItem() {
    ++calls;
    if (failWith) {
        return Error{*failWith};
    }
    status_ = Status::enabled;
    return true;
}

Result<bool> SimLoginItem::unregisterItem() {
    ++calls;
    if (failWith) {
        return Error{*failWith};
    }
    status_ = Status::notRegistered;
    return true;
}

} // namespace panemark
