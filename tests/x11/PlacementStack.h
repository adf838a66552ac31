#pragma once

#include "placement/WindowMover.h"
#include "platform/x11/X11Bell.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Windows.h"

#include <memory>

namespace panemark {

// The application's placement stack on the display of $DISPLAY, as the program builds it.
struct PlacementStack {
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11Screens> screens;
    std::unique_ptr<X11Windows> windows;
    std::unique_ptr<X11Bell> bell;
    std::unique_ptr<WindowMover> mover;

    // False when the display cannot be opened.
    bool open() {
        connection = X11Connection::open(nullptr);
        if (!connection) {
            return false;
        }
        screens = std::make_unique<X11Screens>(*connection);
        windows = std::make_unique<X11Windows>(*connection, *screens);
        bell = std::make_unique<X11Bell>(*connection);
        mover = std::make_unique<WindowMover>(*windows, *screens, bell.get(),
                                              WindowAnimator::make(*windows));
        return true;
    }
    // Runs a command without animation and waits until it is done.
    bool apply(const ZoneCommand& command, const AnimationSettings& animation, double gap = 0) {
        mover->apply(command, gap, animation);
        return mover->animator().drain(5);
    }
};

} // namespace panemark
