#include "platform/sim/SimDesktop.h"

#include <algorithm>
#include <cmath>

namespace panemark {

namespace {

double snapDown(double value, double increment) {
    return increment > 0 ? std::floor(value / increment) * increment : value;
}

} // namespace

void SimDesktop::setScreens(std::vector<Screen> screens, std::optional<std::size_t> main) {
    std::lock_guard lock(mutex_);
    screens_ = std::move(screens);
    main_ = main;
}

void SimDesktop::announceScreensChanged() {
    screensChanged_.emit();
}

WindowRef SimDesktop::addWindow(const WindowSpec& spec) {
    std::lock_guard lock(mutex_);
    const WindowRef window{nextWindowId_++};
    windows_[window.id] = SimWindow{spec, spec.frame};
    return window;
}

void SimDesktop::removeWindow(WindowRef window) {
    std::lock_guard lock(mutex_);
    windows_.erase(window.id);
}

void SimDesktop::focus(std::optional<WindowRef> window) {
    std::lock_guard lock(mutex_);
    focused_ = window;
}

std::optional<Rect> SimDesktop::frameOf(WindowRef window) const {
    std::lock_guard lock(mutex_);
    auto found = windows_.find(window.id);
    return found == windows_.end() ? std::nullopt : std::optional<Rect>(found->second.frame);
}

std::vector<SimDesktop::Write> SimDesktop::writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

std::vector<SimDesktop::Write> SimDesktop::writesTo(WindowRef window) const {
    std::vector<Write> selected = writes();
    std::erase_if(selected, [window](const Write& write) { return write.window != window; });
    return selected;
}

void SimDesktop::clearWrites() {
    std::lock_guard lock(mutex_);
    writes_.clear();
}

int SimDesktop::beepCount() const {
    std::lock_guard lock(mutex_);
    return beeps_;
}

std::vector<double> SimDesktop::probeTimeouts() const {
    std::lock_guard lock(mutex_);
    return probeTimeouts_;
}

std::optional<WindowRef> SimDesktop::focusedWindow(double timeout) {
    std::lock_guard lock(mutex_);
    probeTimeouts_.push_back(timeout);
    if (focused_ && windows_.count(focused_->id) == 0) {
        return std::nullopt;
    }
    return focused_;
}

std::optional<Rect> SimDesktop::readFrame(WindowRef window, double timeout) {
    std::lock_guard lock(mutex_);
    probeTimeouts_.push_back(timeout);
    auto found = windows_.find(window.id);
    if (found == windows_.end() || found->second.spec.frameUnreadable) {
        return std::nullopt;
    }
    return found->second.frame;
}

void SimDesktop::writeFrame(WindowRef window, const Rect& frame, double timeout) {
    std::lock_guard lock(mutex_);
    writes_.push_back({window, frame, writes_.size(), std::this_thread::get_id(), timeout});
    auto found = windows_.find(window.id);
    if (found == windows_.end()) {
        return;
    }
    SimWindow& sim = found->second;
    sim.frame.x = frame.x;
    sim.frame.y = frame.y;
    if (sim.spec.sizeProbe != SizeProbe::notSettable) {
        sim.frame.width =
            std::max(snapDown(frame.width, sim.spec.widthIncrement), sim.spec.minWidth);
        sim.frame.height =
            std::max(snapDown(frame.height, sim.spec.heightIncrement), sim.spec.minHeight);
    }
}

std::optional<bool> SimDesktop::isSizeSettable(WindowRef window, double timeout) {
    std::lock_guard lock(mutex_);
    probeTimeouts_.push_back(timeout);
    auto found = windows_.find(window.id);
    if (found == windows_.end() || found->second.spec.sizeProbe == SizeProbe::fails) {
        return std::nullopt;
    }
    return found->second.spec.sizeProbe == SizeProbe::settable;
}

std::optional<std::int64_t> SimDesktop::processId(WindowRef window, double timeout) {
    std::lock_guard lock(mutex_);
    probeTimeouts_.push_back(timeout);
    auto found = windows_.find(window.id);
    if (found == windows_.end() || found->second.spec.pid == 0) {
        return std::nullopt;
    }
    return found->second.spec.pid;
}

std::vector<Screen> SimDesktop::screens() {
    std::lock_guard lock(mutex_);
    return screens_;
}

std::optional<Screen> SimDesktop::mainScreen() {
    std::lock_guard lock(mutex_);
    if (!main_ || *main_ >= screens_.size()) {
        return std::nullopt;
    }
    return screens_[*main_];
}

Subscription SimDesktop::onScreensChanged(std::function<void()> callback) {
    return screensChanged_.connect([callback = std::move(callback)] { callback(); });
}

void SimDesktop::beep() {
    std::lock_guard lock(mutex_);
    ++beeps_;
}

} // namespace panemark
