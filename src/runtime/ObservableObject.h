#pragma once

#include "runtime/Signal.h"

namespace panemark {

// A store whose observers hear, before any of its published properties changes, that one will.
class ObservableObject {
public:
    ObservableObject() = default;
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;
    virtual ~ObservableObject() = default;

    Signal<> objectWillChange;
};

} // namespace panemark
