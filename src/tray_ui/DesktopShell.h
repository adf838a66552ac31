#pragma once

#include "tray_ui/ShellServices.h"
#include "tray_ui/SplashController.h"
#include "tray_ui/Updater.h"

#include <QObject>
#include <QWidget>
#include <memory>

namespace panemark {

class AboutWindow;
class InstanceServer;
class SettingsWindow;
class TrayShell;
class UpdateDialog;

// Everything Panemark shows on the desktop, brought up once the hot keys are armed, in this
// order: the updater (ready, fetching nothing), the tray icon and its palette, the answers to
// `panemark palette`, `about` and `settings`, the daily update check when the user turned it
// on, and last the splash. The windows are made when first wanted.
class DesktopShell {
public:
    DesktopShell(ShellServices services, InstanceServer& server);
    ~DesktopShell();
    DesktopShell(const DesktopShell&) = delete;
    DesktopShell& operator=(const DesktopShell&) = delete;

    void checkForUpdates();
    void openAbout();
    void openSettings();

    TrayShell& tray() { return *tray_; }
    SplashController& splash() { return *splash_; }

private:
    UpdateDialog& updateDialog();
    bool isDestroyedOutside(QWidget* window);

    ShellServices services_;
    Updater updater_;
    std::unique_ptr<UpdateDialog> updateDialog_;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<SettingsWindow> settings_;
    std::unique_ptr<TrayShell> tray_;
    std::unique_ptr<SplashController> splash_;
    // What deferred work runs on: gone with the shell, so none runs after it.
    QObject deferred_;
};

} // namespace panemark
