#pragma once

#include "../support/Printers.h"
#include "base/ManualScheduler.h"
#include "placement/WindowMover.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>
#include <memory>

namespace panemark {

// A simulated desktop with one 1000 × 800 screen and a 24-point bar at the top, a mover whose
// animator runs on manual schedulers, and helpers to read back what was written.
class MoverFixture : public ::testing::Test {
protected:
    static constexpr Rect screenFrame{0, 0, 1000, 800};
    static constexpr Rect visibleFrame{0, 24, 1000, 776};
    static constexpr Rect leftHalf{0, 24, 500, 776};
    static constexpr Rect rightHalf{500, 24, 500, 776};
    static constexpr Rect topHalf{0, 24, 1000, 388};

    MoverFixture() {
        desktop.setScreens({Screen{screenFrame, visibleFrame, 1, "Built-in", true, "SCREEN-1"}});
        auto queueScheduler = std::make_unique<ManualScheduler>();
        auto poolScheduler = std::make_unique<ManualScheduler>();
        queue = queueScheduler.get();
        pool = poolScheduler.get();
        mover = std::make_unique<WindowMover>(
            desktop, desktop, &desktop,
            std::make_unique<WindowAnimator>(desktop, std::move(queueScheduler),
                                             std::move(poolScheduler)));
    }

    WindowRef addFocusedWindow(Rect frame, SimDesktop::WindowSpec spec = {}) {
        spec.frame = frame;
        const WindowRef window = desktop.addWindow(spec);
        desktop.focus(window);
        return window;
    }

    static ZoneCommand maximizeCommand() {
        ZoneCommand command;
        command.maximize = true;
        return command;
    }
    static ZoneCommand halfCommand(HalfAction action) {
        ZoneCommand command;
        command.rows = 2;
        command.halfAction = action;
        return command;
    }
    static ZoneCommand fixedSizeCommand(FixedSizeSpec size) {
        ZoneCommand command;
        command.fixedSize = size;
        return command;
    }

    static ZoneCommand gridCommand(std::int64_t cols, std::int64_t col) {
        ZoneCommand command;
        command.cols = cols;
        command.colStart = command.colEnd = col;
        return command;
    }

    // Runs the animator's queue for one frame interval, or until nothing is left.
    void frame() { queue->advance(WindowAnimator::frameInterval); }
    void runToEnd() {
        for (int i = 0; i < 1000 && queue->pendingCount() > 0; ++i) {
            frame();
        }
        pool->runDue();
    }

    static constexpr AnimationSettings noAnimation{false, AnimationCurve::easeInOut, 0.25};
    static constexpr AnimationSettings animation{true, AnimationCurve::easeInOut, 0.25};

    SimDesktop desktop;
    ManualScheduler* queue = nullptr;
    ManualScheduler* pool = nullptr;
    std::unique_ptr<WindowMover> mover;
};

} // namespace panemark
