#pragma once

#include "base/Result.h"
#include "base/Scheduler.h"
#include "base/Signal.h"
#include "platform/Platform.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimKeyboardDevices.h"
#include "platform/sim/SimLoginItem.h"
#include "platform/sim/SimShortcuts.h"

#include <memory>

namespace panemark {

// The simulated desktop as a whole platform: one 1920 × 1080 screen with a 32-pixel panel and
// one focused window. For builds and tests that must run without an X server.
class SimPlatform : public Platform,
                    public DisplayFacts,
                    public DesktopLink,
                    public PaletteButton,
                    public AccessGate {
public:
    static Result<std::unique_ptr<SimPlatform>> open(Scheduler& mainLoop);
    SimPlatform();

    WindowService& windows() override { return desktop_; }
    ScreenService& screens() override { return desktop_; }
    GlobalShortcuts& shortcuts() override { return shortcuts_; }
    SimKeyboardDevices& simKeyboardDevices() { return keyboardDevices_; }
    std::string displayName() const override { return "sim"; }
    DesktopAccess access() override { return desktopAccess; }
    std::string desktopName() override { return "sim (a simulated desktop)"; }

    // Every capability, each of which a test may take away to play a desktop without it.
    Beeper* bell() override { return lacks.bell ? nullptr : &desktop_; }
    DisplayFacts* displayFacts() override { return lacks.displayFacts ? nullptr : this; }
    DesktopLink* desktopLink() override { return lacks.desktopLink ? nullptr : this; }
    PaletteButton* paletteButton() override { return lacks.paletteButton ? nullptr : this; }
    AccessGate* accessGate() override { return lacks.accessGate ? nullptr : this; }
    struct Lacks {
        bool bell = false;
        bool displayFacts = false;
        bool desktopLink = false;
        bool paletteButton = false;
        bool accessGate = false;
    } lacks;

    bool hasWindowManager() override { return true; }
    bool hasCompositor() override { return false; }
    bool windowExists(std::uint64_t) override { return true; }
    PanelShade panelShade(const Rect&) override { return panelShade_; }
    void setPanelShade(PanelShade shade) { panelShade_ = shade; }
    Subscription onConnectionLost(std::function<void()> listener) override;
    Subscription onPaletteRequested(std::function<void()> listener) override;
    // The desktop's button asks for the palette.
    void pressPaletteButton() { paletteRequested_.emit(); }

    SimDesktop& desktop() { return desktop_; }
    SimShortcuts& simShortcuts() { return shortcuts_; }
    // What access() answers; granted unless a test says otherwise.
    DesktopAccess desktopAccess;
    // Another answer, announced as a helper's going or coming back is.
    void changeAccess(const DesktopAccess& access) {
        desktopAccess = access;
        accessChanged_.emit();
    }
    Subscription onAccessChanged(std::function<void()> listener) override {
        return accessChanged_.connect(std::move(listener));
    }
    // The desktop goes away, as a display does when the session ends.
    void loseConnection() { connectionLost_.emit(); }

private:
    SimDesktop desktop_;
    SimShortcuts shortcuts_;
    SimLoginItem loginItem_;
    SimKeyboardDevices keyboardDevices_;
    Signal<> connectionLost_;
    Signal<> paletteRequested_;
    Signal<> accessChanged_;
    PanelShade panelShade_ = PanelShade::unknown;
};

} // namespace panemark
