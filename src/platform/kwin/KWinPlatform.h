#pragma once

#include "platform/Platform.h"
#include "platform/WaylandSession.h"
#include "platform/compositor/HelperScreens.h"
#include "platform/compositor/HelperSnapshot.h"
#include "platform/compositor/HelperWindows.h"
#include "platform/kwin/KGlobalAccelShortcuts.h"
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/kwin/KWinScriptLoader.h"
#include "platform/kwin/PlasmaKeyboardLayout.h"
#include "platform/linux/SysfsKeyboards.h"
#include "platform/xdg/XdgAutostartItem.h"
#include "runtime/Result.h"
#include "runtime/Scheduler.h"

#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QObject>
#include <atomic>
#include <memory>

namespace panemark {

// KDE Plasma on Wayland: KWin moves windows for a script of Panemark's that it runs, and KDE's
// shortcut service delivers the shortcuts. The script is loaded at start, loaded again when
// KWin restarts or the script stops asking for work, and taken out at the end.
class KWinPlatform : public Platform {
public:
    static Result<std::unique_ptr<KWinPlatform>> open(Scheduler& mainLoop);
    ~KWinPlatform() override;

    WindowService& windows() override { return *windows_; }
    ScreenService& screens() override { return *screens_; }
    GlobalShortcuts& shortcuts() override { return *shortcuts_; }
    LoginItem& loginItem() override { return loginItem_; }
    KeyboardDevices& keyboardDevices() override { return *keyboardDevices_; }
    std::string displayName() const override { return WaylandSession::displayName(); }
    std::string desktopName() override { return desktopName_; }
    DesktopAccess access() override;

    // How long the script has to say hello after it was loaded.
    static constexpr double greetingTimeout = 3.0;
    // A running script always has a question open, answered "idle" every few seconds and asked
    // again at once; after twice that without one, it is taken to have stopped and is loaded
    // again.
    static constexpr double silenceBeforeReload = 2 * KWinScriptChannel::idleAfter;

private:
    explicit KWinPlatform(Scheduler& mainLoop);
    // Loads a new copy of the script, which is expected to say hello within greetingTimeout.
    void loadScript();
    void waitForGreeting();
    void greeted(const KWinScriptMessages::Hello& hello);
    void reportProblem(const std::string& problem);
    void watchKWin();
    void followKeyboardLayout();
    void checkScriptIsAlive();

    Scheduler& mainLoop_;
    QObject mainThread_; // what reports from the script's thread are delivered through
    std::unique_ptr<KWinScriptChannel> channel_;
    std::unique_ptr<KWinScriptLoader> loader_;
    std::unique_ptr<HelperSnapshot> snapshot_;
    std::unique_ptr<HelperWindows> windows_;
    std::unique_ptr<HelperScreens> screens_;
    std::unique_ptr<PlasmaKeyboardLayout> keyboardLayout_;
    std::unique_ptr<KGlobalAccelShortcuts> shortcuts_;
    std::unique_ptr<SysfsKeyboards> keyboardDevices_;
    std::unique_ptr<QDBusServiceWatcher> kwinWatcher_;
    TimerHandle aliveCheck_;
    TimerHandle greetingCheck_;
    bool greeted_ = false;
    QEventLoop* waiting_ = nullptr;
    XdgAutostartItem loginItem_;
    std::string desktopName_;
    std::string scriptProblem_;
};

} // namespace panemark
