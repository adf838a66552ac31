#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QSlider;

namespace panemark {

class ConfigStore;
class Platform;
class ProfileManager;
class TerminalCheckBox;

// The general settings of the settings window: the gap, animation and its duration and easing,
// launch at login, the splash, switching profiles by hardware, what the desktop still has to
// allow, and the version with About. Every control writes through at once; its controls carry
// object names ("gapSlider", "animateToggle", …) by which tests find them.
class GeneralPanel : public QWidget {
public:
    // changed: a control did something whose outcome the window shows on its next refresh.
    GeneralPanel(ConfigStore& config, ProfileManager& profiles, Platform& platform,
                 std::function<void()> openAbout, std::function<void()> changed,
                 QWidget* parent = nullptr);

    // Shows what the stores and the desktop say now.
    void refresh();

private:
    // Says, when the desktop refuses Panemark, why and what to do about it.
    QWidget* accessWarning();

    ConfigStore& config_;
    ProfileManager& profiles_;
    Platform& platform_;
    std::function<void()> openAbout_;
    std::function<void()> changed_;

    QSlider* gap_ = nullptr;
    QLabel* gapReadout_ = nullptr;
    TerminalCheckBox* animate_ = nullptr;
    QWidget* animationBlock_ = nullptr;
    QSlider* duration_ = nullptr;
    QLabel* durationReadout_ = nullptr;
    QWidget* easing_ = nullptr;
    TerminalCheckBox* launchAtLogin_ = nullptr;
    TerminalCheckBox* splash_ = nullptr;
    TerminalCheckBox* autoSwitch_ = nullptr;
    QWidget* accessWarning_ = nullptr;
    QLabel* accessProblem_ = nullptr;
    QLabel* accessRemedy_ = nullptr;
};

} // namespace panemark
