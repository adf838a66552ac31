#pragma once

#include "base/Signal.h"
#include "platform/ScreenService.h"
#include "platform/helper/HelperSnapshot.h"

#include <filesystem>
#include <functional>
#include <mutex>

namespace panemark {

// The screens as the compositor's helper reports them: each command's look carries them fresh,
// and the helper reports changes on its own. A compositor that names its outputs only by
// connector (KWin 5.27) leaves their make, model and serial to the monitor's EDID, which the
// kernel shows.
class HelperScreens : public ScreenService {
public:
    // Reads a connector's EDID bytes ("DP-1"); empty when there is none.
    using EdidReader = std::function<std::vector<std::uint8_t>(const std::string& connector)>;

    HelperScreens(HelperSnapshot& snapshot, EdidReader edid = drmEdid);

    std::vector<Screen> screens() override;
    Subscription onScreensChanged(std::function<void()> callback) override;

    // The helper's report of a change (or its first list); on the main thread.
    void reported(const std::vector<OutputFacts>& outputs);

    // The screens the helper's outputs are, primary first; an output given without its
    // make and model is looked up by its connector.
    static std::vector<Screen> describe(const std::vector<OutputFacts>& outputs,
                                        const EdidReader& edid);
    // The kernel's EDID of a connector, from /sys/class/drm.
    static std::vector<std::uint8_t> drmEdid(const std::string& connector);

private:
    static OutputFacts withMonitorFacts(OutputFacts output, const EdidReader& edid);

    HelperSnapshot& snapshot_;
    EdidReader edid_;
    std::mutex mutex_;
    std::vector<Screen> known_;
    Signal<> changed_;
};

} // namespace panemark
