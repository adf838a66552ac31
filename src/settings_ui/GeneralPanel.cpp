#include "settings_ui/GeneralPanel.h"

#include "base/AppVersion.h"
#include "platform/Platform.h"
#include "preferences/ConfigStore.h"
#include "profiles/ProfileManager.h"
#include "widgets/SectionHeader.h"
#include "widgets/Symbols.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalCheckBox.h"
#include "widgets/TerminalFont.h"
#include "widgets/TerminalLabel.h"
#include "widgets/TerminalMenu.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace panemark {

namespace {

QSlider* slider(int minimum, int maximum, QWidget* parent) {
    auto* control = new QSlider(Qt::Horizontal, parent);
    control->setRange(minimum, maximum);
    control->setSingleStep(1);
    control->setPageStep(1);
    control->setStyleSheet(ThemeStyle::slider());
    return control;
}

} // namespace

GeneralPanel::GeneralPanel(ConfigStore& config, ProfileManager& profiles, Platform& platform,
                           QWidget* parent)
    : QWidget(parent), config_(config), profiles_(profiles), platform_(platform) {
    setObjectName("generalSettings");
    QWidget* section = this;
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(8);
    column->addWidget(new SectionHeader("GENERAL", {}, section));

    auto settingRow = [section](const QString& label, QSlider* control, QLabel*& readout) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->addWidget(TerminalLabel::create(label, 12, Theme::textBright, section));
        row->addWidget(control, 1);
        readout = TerminalLabel::create({}, 11, Theme::textDim, section);
        readout->setFixedWidth(46);
        readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row->addWidget(readout);
        return row;
    };
    gap_ = slider(0, 40, section);
    gap_->setObjectName("gapSlider");
    QObject::connect(gap_, &QSlider::valueChanged, this, [this](int value) {
        if (static_cast<int>(profiles_.gap.get()) != value) {
            profiles_.editGap(static_cast<double>(value));
        }
    });
    column->addLayout(settingRow("Gap", gap_, gapReadout_));
    gapReadout_->setObjectName("gapReadout");

    animate_ = new TerminalCheckBox("Animate window movement", 12, Theme::text, section);
    animate_->setObjectName("animateToggle");
    QObject::connect(animate_, &QCheckBox::toggled, this, [this](bool on) {
        if (config_.animateWindows.get() != on) {
            config_.setAnimateWindows(on);
        }
    });
    column->addWidget(animate_);
    animationBlock_ = new QWidget(section);
    animationBlock_->setObjectName("animationBlock");
    auto* block = new QVBoxLayout(animationBlock_);
    block->setContentsMargins(20, 0, 0, 0);
    block->setSpacing(6);
    duration_ = slider(8, 40, animationBlock_); // hundredths of a second
    duration_->setObjectName("durationSlider");
    QObject::connect(duration_, &QSlider::valueChanged, this, [this](int hundredths) {
        const double seconds = hundredths / 100.0;
        if (std::abs(config_.animationDuration.get() - seconds) > 1e-9) {
            config_.setAnimationDuration(seconds);
        }
    });
    block->addLayout(settingRow("Duration", duration_, durationReadout_));
    durationReadout_->setObjectName("durationReadout");
    auto* easingRow = new QHBoxLayout;
    easingRow->addWidget(TerminalLabel::create("Easing", 12, Theme::textBright, animationBlock_));
    easingRow->addStretch();
    auto* easing =
        new TerminalMenu<AnimationCurve>(config_.animationCurve.get(), 150, animationBlock_);
    easing->onChoice(this, [this](AnimationCurve curve) { config_.setAnimationCurve(curve); });
    easing_ = easing;
    easingRow->addWidget(easing_);
    block->addLayout(easingRow);
    column->addWidget(animationBlock_);

    launchAtLogin_ = new TerminalCheckBox("Launch at login", 12, Theme::text, section);
    launchAtLogin_->setObjectName("launchAtLoginToggle");
    QObject::connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) {
        if (config_.launchAtLogin.get() != on) {
            config_.setLaunchAtLogin(on); // a refusal shows as the box flipping back
            Q_EMIT changed();
        }
    });
    splash_ = new TerminalCheckBox("Show splash screen at launch", 12, Theme::text, section);
    splash_->setObjectName("splashToggle");
    QObject::connect(splash_, &QCheckBox::toggled, this, [this](bool on) {
        if (config_.showSplashAtLaunch.get() != on) {
            config_.setShowSplashAtLaunch(on);
        }
    });
    autoSwitch_ = new TerminalCheckBox("Auto-switch profiles based on connected hardware", 12,
                                       Theme::text, section);
    autoSwitch_->setObjectName("autoSwitchToggle");
    autoSwitch_->setVisible(profiles_.keepsFiles());
    QObject::connect(autoSwitch_, &QCheckBox::toggled, this, [this](bool on) {
        if (profiles_.keepsFiles() && profiles_.autoSwitchEnabled.get() != on) {
            profiles_.setAutoSwitchEnabled(on); // written to the index at once
        }
    });
    column->addWidget(launchAtLogin_);
    column->addWidget(splash_);
    column->addWidget(autoSwitch_);

    column->addWidget(accessWarning());

    auto* footer = new QHBoxLayout;
    footer->addWidget(TerminalLabel::create(
        QString::fromStdString(AppVersion::current().shortLine()), 10, Theme::textFaint, section));
    footer->addStretch();
    auto* about = new TerminalButton("About", false, section);
    about->setFont(TerminalFont::at(11));
    QObject::connect(about, &QPushButton::clicked, this, &GeneralPanel::aboutRequested);
    footer->addWidget(about);
    column->addLayout(footer);
}

QWidget* GeneralPanel::accessWarning() {
    accessWarning_ = new QWidget(this);
    accessWarning_->setObjectName("desktopAccessWarning");
    accessWarning_->setAttribute(Qt::WA_StyledBackground);
    accessWarning_->setStyleSheet(ThemeStyle::warningBox("desktopAccessWarning"));
    auto* column = new QVBoxLayout(accessWarning_);
    column->setContentsMargins(10, 8, 10, 8);
    column->setSpacing(6);
    auto* line = new QHBoxLayout;
    auto* icon = new QLabel(accessWarning_);
    icon->setPixmap(
        Symbols::pixmap(Symbols::Name::warningTriangle, QSizeF(12, 12), Theme::warn, 2));
    line->addWidget(icon, 0, Qt::AlignTop);
    accessProblem_ = TerminalLabel::create({}, 11, Theme::warn, accessWarning_);
    accessProblem_->setObjectName("desktopAccessProblem");
    accessProblem_->setWordWrap(true);
    line->addWidget(accessProblem_, 1);
    column->addLayout(line);
    // The remedy may name a command to run: it can be selected and copied.
    accessRemedy_ = TerminalLabel::create({}, 11, Theme::text, accessWarning_);
    accessRemedy_->setObjectName("desktopAccessRemedy");
    accessRemedy_->setWordWrap(true);
    accessRemedy_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(accessRemedy_);
    auto* checkAgain = new TerminalButton("Check Again", false, accessWarning_);
    checkAgain->setObjectName("desktopAccessCheckAgain");
    checkAgain->setFont(TerminalFont::at(11));
    QObject::connect(checkAgain, &QPushButton::clicked, this, [this] {
        refresh();
        Q_EMIT changed();
    });
    column->addWidget(checkAgain, 0, Qt::AlignLeft);
    return accessWarning_;
}

void GeneralPanel::refresh() {
    const QSignalBlocker blockGap(gap_);
    const double gap = profiles_.gap.get();
    const int shownGap = std::isfinite(gap) ? static_cast<int>(std::clamp(gap, -1e9, 1e9)) : 0;
    gap_->setValue(shownGap);
    gapReadout_->setText(QString::number(shownGap) + " px");
    const QSignalBlocker blockAnimate(animate_);
    animate_->setChecked(config_.animateWindows.get());
    animationBlock_->setVisible(config_.animateWindows.get());
    const QSignalBlocker blockDuration(duration_);
    const double seconds = config_.animationDuration.get();
    duration_->setValue(static_cast<int>(std::lround(seconds * 100)));
    durationReadout_->setText(QString::number(std::lround(seconds * 1000)) + " ms");
    static_cast<TerminalMenu<AnimationCurve>*>(easing_)->setSelection(config_.animationCurve.get());
    const QSignalBlocker blockLogin(launchAtLogin_);
    launchAtLogin_->setChecked(config_.launchAtLogin.get());
    const QSignalBlocker blockSplash(splash_);
    splash_->setChecked(config_.showSplashAtLaunch.get());
    if (profiles_.keepsFiles()) {
        const QSignalBlocker blockSwitch(autoSwitch_);
        autoSwitch_->setChecked(profiles_.autoSwitchEnabled.get());
    }
    AccessGate* gate = platform_.accessGate();
    const DesktopAccess access = gate ? gate->access() : DesktopAccess{};
    accessProblem_->setText(QString::fromStdString(access.problem));
    accessRemedy_->setText(QString::fromStdString(access.remedy));
    accessWarning_->setVisible(!access.granted);
}

} // namespace panemark
