#pragma once

#include "base/Signal.h"

namespace panemark {

// A store whose observers hear, once any of its published properties has changed, that one did.
class ObservableObject {
public:
    ObservableObject() = default;
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;
    virtual ~ObservableObject() = default;

    Signal<> objectChanged;
};

} // namespace panemark
