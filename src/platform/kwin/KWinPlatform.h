#pragma once

#include "base/Result.h"
#include "base/Scheduler.h"
#include "base/Signal.h"
#include "platform/Platform.h"
#include "platform/WaylandSession.h"
#include "platform/helper/HelperScreens.h"
#include "platform/helper/HelperSnapshot.h"
#include "platform/helper/HelperWindows.h"
#include "platform/kwin/KGlobalAccelShortcuts.h"
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/kwin/KWinScriptLoader.h"
#include "platform/kwin/PlasmaKeyboardLayout.h"

#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QObject>
#include <atomic>
#include <cstdint>
#include <memory>

namespace panemark {

// KDE Plasma on Wayland: KWin moves windows for a script of Panemark's that it runs, and KDE's
// shortcut service delivers the shortcuts. The script is loaded at start, loaded again when
// KWin restarts or the script stops asking for work, and taken out at the end.
class KWinPlatform : public Platform, public AccessGate {
public:
    static Result<std::unique_ptr<KWinPlatform>> open(Scheduler& mainLoop);
    ~KWinPlatform() override;

    WindowService& windows() override { return *windows_; }
    ScreenService& screens() override { return *screens_; }
    GlobalShortcuts& shortcuts() override { return *shortcuts_; }
    std::string displayName() const override { return WaylandSession::displayName(); }
    std::string desktopName() override { return desktopName_; }
    AccessGate* accessGate() override { return this; }
    DesktopAccess access() override;
    Result<bool> waitUntilReady(double seconds) override;
    Subscription onAccessChanged(std::function<void()> listener) override;

    // How long the program waits at start for the script to say hello after it was loaded.
    static constexpr double greetingTimeout = 3.0;
    // How long a copy that never said hello is given before it is loaded again: a busy KWin may
    // take seconds to start a script, and loading it again would only start the wait anew.
    static constexpr double patienceBeforeReload = 10.0;
    // A running script always has a question open, answered "idle" every few seconds and asked
    // again at once; after twice that without one, it is taken to have stopped and is loaded
    // again.
    static constexpr double silenceBeforeReload = 2 * KWinScriptChannel::idleAfter;
    static constexpr double aliveCheckInterval = 2.0;
    // How often KWin is asked whether it still runs the script, which it unloads without a
    // word (by hand in its script settings, or when it reloads its scripts).
    static constexpr double loadedCheckInterval = 0.5;

private:
    explicit KWinPlatform(Scheduler& mainLoop);
    // Loads a new copy of the script, which is expected to say hello within greetingTimeout.
    void loadScript();
    // Runs the main loop until the script says hello, at most `seconds`.
    void waitForGreeting(double seconds);
    void greeted(const KWinScriptMessages::Hello& hello);
    void reportProblem(const std::string& problem);
    void watchKWin();
    void followKeyboardLayout();
    void checkScriptIsAlive();
    void checkScriptIsLoaded();

    Scheduler& mainLoop_;
    QObject mainThread_; // what reports from the script's thread are delivered through
    std::unique_ptr<KWinScriptChannel> channel_;
    std::unique_ptr<KWinScriptLoader> loader_;
    std::unique_ptr<HelperSnapshot> snapshot_;
    std::unique_ptr<HelperWindows> windows_;
    std::unique_ptr<HelperScreens> screens_;
    std::unique_ptr<PlasmaKeyboardLayout> keyboardLayout_;
    std::unique_ptr<KGlobalAccelShortcuts> shortcuts_;
    std::unique_ptr<QDBusServiceWatcher> kwinWatcher_;
    TimerHandle aliveCheck_;
    TimerHandle greetingCheck_;
    TimerHandle loadedCheck_;
    bool greeted_ = false;
    double loadedAt_ = 0; // on the main loop's clock
    bool loadedQuestionOpen_ = false;
    std::uint64_t loads_ = 0; // copies loaded so far
    QEventLoop* waiting_ = nullptr;
    std::string desktopName_;
    std::string scriptProblem_;
    Signal<> accessChanged_;
};

} // namespace panemark
