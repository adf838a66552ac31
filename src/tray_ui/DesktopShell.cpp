#include "tray_ui/DesktopShell.h"

#include "control/InstanceServer.h"
#include "settings_ui/SettingsWindow.h"
#include "tray_ui/AboutWindow.h"
#include "tray_ui/SplashWindow.h"
#include "tray_ui/TrayShell.h"
#include "tray_ui/UpdateDialog.h"

#include <QGuiApplication>
#include <QTimer>

namespace panemark {

DesktopShell::DesktopShell(ShellServices services, InstanceServer& server)
    : services_(std::move(services)),
      updater_(services_.mainLoop, services_.preferences, PANEMARK_UPDATE_FEED_URL) {
    tray_ = std::make_unique<TrayShell>(services_, server);
    CommandPalette* palette = &tray_->palette();
    QObject::connect(palette, &CommandPalette::updateCheckRequested, &deferred_,
                     [this] { checkForUpdates(); });
    QObject::connect(palette, &CommandPalette::aboutRequested, &deferred_, [this] { openAbout(); });
    QObject::connect(palette, &CommandPalette::settingsRequested, &deferred_,
                     [this] { openSettings(); });

    // A request is answered first and carried out on the loop's next turn: the command line
    // that asked hears back at once, and a window that opens slowly never delays its answer.
    server.handle("about", [this](const InstanceServer::Json&) {
        QTimer::singleShot(0, &deferred_, [this] { openAbout(); });
        return InstanceProtocol::reply();
    });
    server.handle("settings", [this](const InstanceServer::Json&) {
        QTimer::singleShot(0, &deferred_, [this] { openSettings(); });
        return InstanceProtocol::reply();
    });
    updater_.startAutomaticChecks([this](const Updater::Outcome& outcome) {
        tray_->announce("Panemark " + QString::fromStdString(outcome.version) + " is available",
                        "Choose Check for Updates… in the palette to get it.");
    });

    // Where the compositor owns the display, it blends everything.
    DisplayFacts* display = services_.platform.displayFacts();
    const bool blends = !display || display->hasCompositor();
    // A Wayland client cannot set a window's opacity (the compositor owns it): the card is
    // shown and hidden whole there.
    const bool fades = blends && !QGuiApplication::platformName().startsWith("wayland");
    ConfigStore& config = services_.config;
    splash_ = std::make_unique<SplashController>(
        services_.mainLoop,
        [&config, blends](SplashController& splash) -> std::unique_ptr<SplashController::Card> {
            auto card = std::make_unique<SplashWindow>(splash, config, blends);
            card->present();
            return card;
        },
        fades);
    splash_->show(services_.config);
}

DesktopShell::~DesktopShell() = default;

UpdateDialog& DesktopShell::updateDialog() {
    if (!updateDialog_) {
        updateDialog_ = std::make_unique<UpdateDialog>();
    }
    return *updateDialog_;
}

void DesktopShell::checkForUpdates() {
    UpdateDialog& dialog = updateDialog();
    dialog.showChecking();
    updater_.check([this](const Updater::Outcome& outcome) {
        if (updateDialog_ && updateDialog_->isVisible()) { // not when the user cancelled
            updateDialog_->showOutcome(outcome);
        }
    });
}

bool DesktopShell::isDestroyedOutside(QWidget* window) {
    // Another program (xdotool windowclose, a crashing window manager) can destroy our window
    // behind Qt's back; Qt then goes on thinking it shows and never shows it again.
    DisplayFacts* display = services_.platform.displayFacts();
    return display && window && window->testAttribute(Qt::WA_WState_Created) &&
           !display->windowExists(window->winId());
}

void DesktopShell::openSettings() {
    if (isDestroyedOutside(settings_.get())) {
        settings_.reset();
    }
    if (!settings_) {
        settings_ = std::make_unique<SettingsWindow>(
            services_.config, services_.profiles, services_.platform, services_.isTakenElsewhere);
        QObject::connect(settings_.get(), &SettingsWindow::aboutRequested, settings_.get(),
                         [this] { openAbout(); });
    }
    settings_->present();
}

void DesktopShell::openAbout() {
    if (isDestroyedOutside(about_.get())) {
        about_.reset();
    }
    if (!about_) {
        about_ = std::make_unique<AboutWindow>(AppVersion::current());
        QObject::connect(about_.get(), &AboutWindow::updateCheckRequested, about_.get(),
                         [this] { checkForUpdates(); });
    }
    about_->present();
}

} // namespace panemark
