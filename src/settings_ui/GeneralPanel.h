#pragma once

#include <QWidget>

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
    Q_OBJECT

public:
    GeneralPanel(ConfigStore& config, ProfileManager& profiles, Platform& platform,
                 QWidget* parent = nullptr);

    // Shows what the stores and the desktop say now.
    void refresh();

Q_SIGNALS:
    void aboutRequested();
    // A control did something whose outcome the window shows on its next refresh.
    void changed();

private:
    // Says, when the desktop refuses Panemark, why and what to do about it.
    QWidget* accessWarning();

    ConfigStore& config_;
    ProfileManager& profiles_;
    Platform& platform_;

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
