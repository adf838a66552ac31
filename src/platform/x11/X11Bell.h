#pragma once

#include "platform/Beeper.h"
#include "platform/x11/X11Connection.h"

namespace panemark {

// The X server's bell.
class X11Bell : public Beeper {
public:
    explicit X11Bell(X11Connection& connection) : connection_(connection) {}
    void beep() override {
        xcb_bell(connection_.get(), 0);
        connection_.flush();
    }

private:
    X11Connection& connection_;
};

} // namespace panemark
