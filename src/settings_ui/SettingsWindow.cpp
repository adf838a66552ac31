#include "settings_ui/SettingsWindow.h"

#include "platform/Platform.h"
#include "preferences/ConfigStore.h"
#include "profiles/ProfileManager.h"
#include "settings_ui/CommandDetail.h"
#include "settings_ui/CommandListPanel.h"
#include "settings_ui/GeneralPanel.h"
#include "settings_ui/ProfileSheet.h"
#include "widgets/AppIcon.h"
#include "widgets/LiteralText.h"
#include "widgets/ScreenFit.h"
#include "widgets/Symbols.h"
#include "widgets/TerminalBackground.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalDivider.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace panemark {

SettingsWindow::SettingsWindow(ConfigStore& config, ProfileManager& profiles, Platform& platform,
                               TakenElsewhere isTakenElsewhere, QWidget* parent)
    : QWidget(parent, Qt::Window), config_(config), profiles_(profiles), platform_(platform),
      isTakenElsewhere_(std::move(isTakenElsewhere)) {
    setObjectName("settings");
    setWindowTitle("Panemark Settings");
    setWindowIcon(AppIcon::icon());
    setPalette(Theme::windowPalette());
    setMinimumSize(minimumContentSize);
    resize(900, 600); // shrunk to fit its monitor when it opens

    // On a monitor smaller than the contents need, they scroll: every control stays reachable.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("settingsScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget(scroll);
    content->setMinimumSize(minimumContentSize);
    auto* columns = new QHBoxLayout(content);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    detail_ = new CommandDetail(profiles_, isTakenElsewhere_, content);
    columns->addWidget(sidebar(content));
    auto* rule = new QWidget(content);
    rule->setFixedWidth(1);
    rule->setStyleSheet(ThemeStyle::fill(Theme::line));
    columns->addWidget(rule);
    columns->addWidget(detail_, 1);
    scroll->setWidget(content);
    outer->addWidget(scroll);

    // The stores announce a change once they hold it, so each part can show it at once. The
    // list of profiles is announced only when it changes: an edit of the active profile's
    // commands reaches the commands alone.
    const auto on = [this](Part part) { return [this, part](const auto&) { partChanged(part); }; };
    subscriptions_.push_back(profiles_.profiles.subscribe(on(Part::profiles)));
    subscriptions_.push_back(profiles_.activeProfileID.subscribe(on(Part::profiles)));
    subscriptions_.push_back(profiles_.commands.subscribe(on(Part::commands)));
    subscriptions_.push_back(profiles_.gap.subscribe(on(Part::general)));
    subscriptions_.push_back(profiles_.autoSwitchEnabled.subscribe(on(Part::general)));
    subscriptions_.push_back(config_.objectChanged.connect([this] { partChanged(Part::general); }));
    // The desktop's helper going or coming back shows in the general panel at once.
    if (AccessGate* gate = platform_.accessGate()) {
        subscriptions_.push_back(gate->onAccessChanged([this] { partChanged(Part::general); }));
    }
    refresh();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::present() {
    refresh(); // the desktop's answers may have changed meanwhile
    if (!isVisible()) {
        ScreenFit::fit(this);
    }
    show();
    raise();
    activateWindow();
}

void SettingsWindow::openProfileSheet() {
    if (!profiles_.keepsFiles()) {
        return;
    }
    if (!sheet_) {
        sheet_ = new ProfileSheet(profiles_, platform_, this);
        QObject::connect(sheet_, &QDialog::finished, this, [this] {
            sheet_->deleteLater();
            sheet_ = nullptr;
        });
    }
    sheet_->open();
    sheet_->raise();
}

QWidget* SettingsWindow::sidebar(QWidget* parent) {
    auto* side = new QWidget(parent);
    side->setFixedWidth(sidebarWidth);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 10, 0, 0);
    column->setSpacing(0);
    column->addWidget(profileBar());
    commands_ = new CommandListPanel(profiles_, side);
    QObject::connect(commands_, &CommandListPanel::selectionChanged, this,
                     [this] { detail_->showCommand(commands_->selection()); });
    column->addWidget(commands_, 1);
    column->addWidget(new TerminalDivider(Theme::lineFaint, side));
    general_ = new GeneralPanel(config_, profiles_, platform_, side);
    QObject::connect(general_, &GeneralPanel::aboutRequested, this,
                     &SettingsWindow::aboutRequested);
    QObject::connect(general_, &GeneralPanel::changed, this,
                     [this] { partChanged(Part::general); });
    column->addWidget(general_);
    return side;
}

QWidget* SettingsWindow::profileBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(16, 6, 16, 8);
    profileMenu_ = new QToolButton(bar);
    profileMenu_->setObjectName("profileMenu");
    profileMenu_->setPopupMode(QToolButton::InstantPopup);
    profileMenu_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    profileMenu_->setLayoutDirection(Qt::RightToLeft); // the chevron after the name
    profileMenu_->setFont(TerminalFont::at(12, QFont::DemiBold));
    profileMenu_->setIcon(
        QIcon(Symbols::pixmap(Symbols::Name::chevronDown, QSizeF(8, 8), Theme::textDim, 2)));
    profileMenu_->setIconSize(QSize(8, 8));
    profileMenu_->setStyleSheet(ThemeStyle::bareMenuButton(&Theme::textBright));
    profileMenu_->setCursor(Qt::PointingHandCursor);
    auto* menu = new QMenu(profileMenu_);
    menu->setStyleSheet(ThemeStyle::menu());
    menu->setFont(TerminalFont::at(12));
    profileMenu_->setMenu(menu);
    profileMenu_->setVisible(profiles_.keepsFiles());
    row->addWidget(profileMenu_);
    row->addStretch();
    auto* manage = new TerminalButton("Manage Profiles…", false, bar);
    manage->setObjectName("manageProfilesButton");
    manage->setFont(TerminalFont::at(11));
    manage->setEnabled(profiles_.keepsFiles());
    QObject::connect(manage, &QPushButton::clicked, this, [this] { openProfileSheet(); });
    row->addWidget(manage);
    return bar;
}

void SettingsWindow::partChanged(Part part) {
    if (isVisible()) {
        refreshPart(part);
    } else {
        stale_.insert(part); // shown parts only: present() brings the rest up to date
    }
}

void SettingsWindow::refresh() {
    stale_.clear();
    for (const Part part : {Part::profiles, Part::commands, Part::general}) {
        refreshPart(part);
    }
}

void SettingsWindow::refreshPart(Part part) {
    switch (part) {
    case Part::profiles:
        refreshProfiles();
        break;
    case Part::commands:
        commands_->refresh();
        detail_->showCommand(commands_->selection());
        break;
    case Part::general:
        general_->refresh();
        break;
    }
}

void SettingsWindow::refreshProfiles() {
    if (!profiles_.keepsFiles()) {
        return;
    }
    profileMenu_->setText(LiteralText::forMnemonics(profiles_.activeProfile().name));
    QMenu* menu = profileMenu_->menu();
    for (QAction* item : menu->actions()) {
        menu->removeAction(item);
        item->deleteLater(); // it may be the item whose choice brought us here
    }
    for (const Profile& profile : profiles_.profiles.get()) {
        QAction* item = menu->addAction(LiteralText::forMnemonics(profile.name));
        if (profile.id == profiles_.activeProfileID.get()) {
            item->setIcon(QIcon(
                Symbols::pixmap(Symbols::Name::checkmark, QSizeF(10, 10), Theme::phosphor, 2)));
        }
        const Uuid id = profile.id;
        QObject::connect(item, &QAction::triggered, this, [this, id] { profiles_.activate(id); });
    }
}

void SettingsWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TerminalBackground::paint(painter, rect());
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ScreenFit::keepInside(this);
}

} // namespace panemark
