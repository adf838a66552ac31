#pragma once

#include "platform/WindowService.h"
#include "platform/helper/HelperSnapshot.h"

#include <map>
#include <mutex>
#include <string>

namespace panemark {

// Other applications' windows through the compositor's helper: read from its looks, placed by
// asking it to set the frame and to say where the window ended up.
class HelperWindows : public WindowService {
public:
    explicit HelperWindows(HelperSnapshot& snapshot) : snapshot_(snapshot) {}

    std::optional<WindowRef> focusedWindow(double timeout) override;
    std::optional<Rect> readFrame(WindowRef window, double timeout) override;
    void writeFrame(WindowRef window, const Rect& frame, double timeout) override;
    std::optional<bool> isSizeSettable(WindowRef window, double timeout) override;
    std::optional<std::int64_t> processId(WindowRef window, double timeout) override;
    std::int64_t ownProcessId() override;

    // How long the helper may wait for a client to draw at a new size, out of a write's time:
    // the rest carries the answer back.
    static int placementWaitMilliseconds(double timeout);

private:
    std::optional<HelperReplies::Window> describe(WindowRef window, double timeout);
    WindowRef refFor(const std::string& id);
    std::optional<std::string> idOf(WindowRef window);

    HelperSnapshot& snapshot_;
    std::mutex idsMutex_;
    // The compositor names windows by text (a UUID, a number); the seam by number. Numbers
    // are never reused.
    std::map<std::string, std::uint64_t> numbers_;
    std::map<std::uint64_t, std::string> ids_;
};

} // namespace panemark
