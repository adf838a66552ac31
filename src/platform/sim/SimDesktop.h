#pragma once

#include "base/Signal.h"
#include "platform/Beeper.h"
#include "platform/ScreenService.h"
#include "platform/WindowService.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace panemark {

// A desktop in memory for tests: screens, windows with frames and owners, focus, and
// applications with habits of their own (resize increments, minimum sizes, refusing to resize,
// vanishing). Thread-safe; every write is recorded with its
// order and the thread that made it.
class SimDesktop : public WindowService, public ScreenService, public Beeper {
public:
    enum class SizeProbe { settable, notSettable, fails };

    struct WindowSpec {
        Rect frame;              // window space
        std::int64_t pid = 4242; // 0: the window has no known process
        SizeProbe sizeProbe = SizeProbe::settable;
        double widthIncrement = 0; // like a terminal: sizes snap down to whole cells
        double heightIncrement = 0;
        double minWidth = 0;
        double minHeight = 0;
        bool frameUnreadable = false;
    };

    struct Write {
        WindowRef window;
        Rect frame;
        std::uint64_t order;
        std::thread::id thread;
        double timeout; // what the writer allowed for it
    };

    static constexpr std::int64_t ownPid = 777;

    // Screens, primary first; main is an index into them, or none.
    void setScreens(std::vector<Screen> screens, std::optional<std::size_t> main = 0);
    void announceScreensChanged();

    WindowRef addWindow(const WindowSpec& spec);
    void removeWindow(WindowRef window); // it vanishes: reads fail and writes go nowhere
    void focus(std::optional<WindowRef> window);

    std::optional<Rect> frameOf(WindowRef window) const;
    std::vector<Write> writes() const;
    std::vector<Write> writesTo(WindowRef window) const;
    void clearWrites();
    int beepCount() const;

    // WindowService
    std::optional<WindowRef> focusedWindow(double timeout) override;
    std::optional<Rect> readFrame(WindowRef window, double timeout) override;
    void writeFrame(WindowRef window, const Rect& frame, double timeout) override;
    std::optional<bool> isSizeSettable(WindowRef window, double timeout) override;
    std::optional<std::int64_t> processId(WindowRef window, double timeout) override;
    std::int64_t ownProcessId() override { return ownPid; }

    // The timeouts callers gave, in call order (reads and probes; writes carry theirs).
    std::vector<double> probeTimeouts() const;

    // ScreenService
    std::vector<Screen> screens() override;
    std::optional<Screen> mainScreen() override;
    Subscription onScreensChanged(std::function<void()> callback) override;

    // Beeper
    void beep() override;

private:
    struct SimWindow {
        WindowSpec spec;
        Rect frame;
    };

    mutable std::mutex mutex_;
    std::map<std::uint64_t, SimWindow> windows_;
    std::uint64_t nextWindowId_ = 1;
    std::optional<WindowRef> focused_;
    std::vector<Screen> screens_;
    std::optional<std::size_t> main_;
    int beeps_ = 0;
    std::vector<Write> writes_;
    std::vector<double> probeTimeouts_;
    Signal<> screensChanged_;
};

} // namespace panemark
