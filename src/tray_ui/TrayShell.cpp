#include "tray_ui/TrayShell.h"

#include "base/Log.h"
#include "control/QuitRequest.h"
#include "widgets/Symbols.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTimer>

namespace panemark {

namespace {

// What the desktop's own palette says, for when the panel cannot be seen.
bool desktopLooksDark() {
    return QGuiApplication::palette().window().color().lightness() < 128;
}

// Where a panel that draws the icon itself (a StatusNotifierItem, whose place Qt is not told)
// most likely shows it: the right end of the primary screen's panel, at the bottom where there
// is one (Cinnamon's), else at the top (MATE's). Invalid without a panel.
QRect likelyIconArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    constexpr int width = 64;
    const QRect whole = screen->geometry();
    const QRect available = screen->availableGeometry();
    const int right = whole.x() + whole.width();
    const int belowAvailable = available.y() + available.height();
    if (const int bottomPanel = whole.y() + whole.height() - belowAvailable; bottomPanel > 0) {
        return {right - width, belowAvailable, width, bottomPanel};
    }
    if (const int topPanel = available.y() - whole.y(); topPanel > 0) {
        return {right - width, whole.y(), width, topPanel};
    }
    return {};
}

} // namespace

TrayShell::TrayShell(const ShellServices& services, InstanceServer& server) : services_(services) {
    palette_ = std::make_unique<CommandPalette>(services.profiles);
    // The window the palette's rows move is the one in front as it opened.
    QObject::connect(
        palette_.get(), &CommandPalette::runRequested, palette_.get(),
        [this](const ZoneCommand& command) { services_.runCommand(command, paletteTarget_); });
    // After the click, profiles saved on the way out.
    QObject::connect(palette_.get(), &CommandPalette::quitRequested, palette_.get(),
                     [] { QuitRequest::post(); });
    QObject::connect(palette_.get(), &CommandPalette::closed, palette_.get(),
                     [this] { sinceClosed_.start(); });

    darkPanel_ = desktopLooksDark();
    tray_ = std::make_unique<QSystemTrayIcon>(statusIcon(darkPanel_));
    QObject::connect(
        tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
        [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                const QRect icon = tray_->geometry();
                togglePaletteAt(icon.isValid() ? icon : QRect(QCursor::pos(), QSize(1, 1)));
            }
        });
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // At login the panel often starts after us; the icon docks as soon as a tray appears.
        Log::write("there is no system tray on this desktop yet: the icon appears when one "
                   "starts, and `panemark palette` opens the palette");
    }
    tray_->show();
    // The tray embeds the icon a moment after it is shown; only then can its panel be seen.
    QTimer::singleShot(embedWaitMilliseconds, tray_.get(), [this] { matchPanel(); });
    // The manager announces a switch once it holds the new profile: the name is there to read.
    profileSubscription_ =
        services.profiles.activeProfileID.subscribe([this](const Uuid&) { updateToolTip(); });

    // A desktop's own button for Panemark (GNOME's top bar), which puts the palette beside it.
    if (PaletteButton* button = services.platform.paletteButton()) {
        paletteRequests_ = button->onPaletteRequested(
            [this] { togglePaletteAt(QRect(QCursor::pos(), QSize(1, 1))); });
    }

    // Answered first, toggled on the loop's next turn: the command line that asked hears back
    // at once, whatever showing the palette takes.
    server.handle("palette", [this](const InstanceServer::Json&) {
        QTimer::singleShot(0, palette_.get(),
                           [this] { togglePaletteAt(QRect(QCursor::pos(), QSize(1, 1))); });
        return InstanceProtocol::reply();
    });
}

TrayShell::~TrayShell() = default;

void TrayShell::togglePaletteAt(const QRect& anchor) {
    if (palette_->isVisible()) {
        palette_->close();
        return;
    }
    // A click on the icon while the palette is open first closes the popup (a click outside
    // it), then reaches the icon: that second click means "close", not "open again".
    if (sinceClosed_.isValid() && sinceClosed_.elapsed() < reopenGuardMilliseconds) {
        return;
    }
    paletteTarget_ = services_.windowInFront ? services_.windowInFront() : std::nullopt;
    palette_->popUpAt(anchor);
    // The panel may have changed its colours since (a theme switch); looked at after the palette
    // is up, so the look never delays it.
    QTimer::singleShot(0, tray_.get(), [this] { matchPanel(); });
}

void TrayShell::matchPanel() {
    const QRect icon = tray_->geometry().isValid() ? tray_->geometry() : likelyIconArea();
    PanelShade shade = PanelShade::unknown;
    DisplayFacts* display = services_.platform.displayFacts();
    if (display && icon.isValid()) {
        const QScreen* screen = QGuiApplication::screenAt(icon.center());
        const double ratio = screen ? screen->devicePixelRatio() : 1.0;
        shade = display->panelShade(
            {icon.x() * ratio, icon.y() * ratio, icon.width() * ratio, icon.height() * ratio});
    }
    const bool dark = shade == PanelShade::unknown ? desktopLooksDark() : shade == PanelShade::dark;
    if (dark != darkPanel_) {
        darkPanel_ = dark;
        tray_->setIcon(statusIcon(dark));
    }
}

void TrayShell::announce(const QString& title, const QString& message) {
    tray_->showMessage(title, message, statusIcon(darkPanel_));
}

void TrayShell::updateToolTip() {
    const ProfileManager& profiles = services_.profiles;
    tray_->setToolTip(profiles.keepsFiles()
                          ? "Panemark — " + QString::fromStdString(profiles.activeProfile().name)
                          : "Panemark");
}

QIcon TrayShell::statusIcon(bool darkPanel) {
    const QColor color = darkPanel ? QColor(235, 235, 235) : QColor(40, 40, 40);
    QIcon icon;
    for (const double ratio : {1.0, 2.0}) {
        icon.addPixmap(
            Symbols::pixmap(Symbols::Name::rectangleSplit3x1, QSizeF(22, 16), color, ratio));
    }
    return icon;
}

} // namespace panemark
