#pragma once

#include "control/InstanceServer.h"
#include "tray_ui/CommandPalette.h"
#include "tray_ui/ShellServices.h"

#include <QElapsedTimer>
#include <QSystemTrayIcon>
#include <memory>

namespace panemark {

// Panemark's face on the desktop: the tray icon, whose click drops the command palette down
// beside it, and `panemark palette`, which opens it at the pointer (for desktops without a
// tray). Made after the hot keys are registered, so a slow tray never delays the shortcuts.
class TrayShell {
public:
    // The palette's Settings, update and About rows are its owner's to follow (`palette()`);
    // its command rows and Quit are the tray's own.
    TrayShell(const ShellServices& services, InstanceServer& server);
    ~TrayShell();
    TrayShell(const TrayShell&) = delete;
    TrayShell& operator=(const TrayShell&) = delete;

    static constexpr int reopenGuardMilliseconds = 250;
    static constexpr int embedWaitMilliseconds = 1000;

    CommandPalette& palette() { return *palette_; }
    void togglePaletteAt(const QRect& anchor);

    // The status image: the split rectangle, 16 pixels high, in a colour that suits the panel.
    static QIcon statusIcon(bool darkPanel);
    // A passing notice from the icon (where the tray shows them).
    void announce(const QString& title, const QString& message);

    // Redraws the icon light on a dark panel and dark on a light one, as the desktop shows it
    // now (the application's palette decides when the panel cannot be seen).
    void matchPanel();
    bool drawsForDarkPanel() const { return darkPanel_; }

private:
    void updateToolTip();

    const ShellServices& services_;
    std::unique_ptr<CommandPalette> palette_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    Subscription profileSubscription_;
    Subscription paletteRequests_;
    QElapsedTimer sinceClosed_;
    bool darkPanel_ = false;
    std::optional<WindowRef> paletteTarget_;
};

} // namespace panemark
