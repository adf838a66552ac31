#pragma once

#include "platform/ScreenService.h"
#include "platform/kwin/KWinSnapshot.h"
#include "runtime/Signal.h"

#include <filesystem>
#include <functional>
#include <mutex>

namespace panemark {

// The screens as the KWin script reports them: each command's look carries them fresh, and
// the script reports changes on its own. KWin 5.27 names its outputs only by connector; their
// make, model and serial then come from the monitor's EDID, which the kernel shows.
class KWinScreens : public ScreenService {
public:
    // Reads a connector's EDID bytes ("DP-1"); empty when there is none.
    using EdidReader = std::function<std::vector<std::uint8_t>(const std::string& connector)>;

    KWinScreens(KWinSnapshot& snapshot, EdidReader edid = drmEdid);

    std::vector<Screen> screens() override;
    std::optional<Screen> mainScreen() override;
    Subscription onScreensChanged(std::function<void()> callback) override;

    // The script's report of a change (or its first list); on the main thread.
    void reported(const std::vector<OutputFacts>& outputs);

    // The screens the script's outputs are, primary first; an output KWin gives without its
    // make and model is looked up by its connector.
    static std::vector<Screen> describe(const std::vector<OutputFacts>& outputs,
                                        const EdidReader& edid);
    // The kernel's EDID of a connector, from /sys/class/drm.
    static std::vector<std::uint8_t> drmEdid(const std::string& connector);

private:
    static OutputFacts withMonitorFacts(OutputFacts output, const EdidReader& edid);

    KWinSnapshot& snapshot_;
    EdidReader edid_;
    std::mutex mutex_;
    std::vector<Screen> known_;
    Signal<> changed_;
};

} // namespace panemark
