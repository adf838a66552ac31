#include "settings_ui/SettingsWindow.h"

#include "platform/Platform.h"
#include "profiles/ConfigStore.h"
#include "profiles/ProfileManager.h"
#include "profiles/ProfileRules.h"
#include "runtime/AppVersion.h"
#include "settings_ui/CommandBinding.h"
#include "settings_ui/CommandEditor.h"
#include "settings_ui/CommandRow.h"
#include "settings_ui/GeneralPanel.h"
#include "settings_ui/ProfileSheet.h"
#include "theme/AppIcon.h"
#include "theme/Glow.h"
#include "theme/LiteralText.h"
#include "theme/SectionHeader.h"
#include "theme/Symbols.h"
#include "theme/TerminalBackground.h"
#include "theme/TerminalButton.h"
#include "theme/TerminalCheckBox.h"
#include "theme/TerminalDivider.h"
#include "theme/TerminalFont.h"
#include "theme/TerminalLabel.h"
#include "theme/TerminalMenu.h"
#include "theme/Theme.h"
#include "theme/ThemeStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace panemark {

namespace {

QWidget* inset(QWidget* content, int horizontal, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(horizontal, 0, horizontal, 0);
    layout->addWidget(content);
    return box;
}

// A plain tool button with a symbol in a 30 × 24 frame, outlined.
QToolButton* toolButton(Symbols::Name symbol, const QString& help, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setFixedSize(30, 24);
    button->setIcon(QIcon(Symbols::pixmap(symbol, QSizeF(12, 12), Theme::textBright, 2)));
    button->setIconSize(QSize(12, 12));
    button->setToolTip(help);
    button->setAccessibleName(help);
    button->setStyleSheet(ThemeStyle::toolbarButton());
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

SettingsWindow::SettingsWindow(ConfigStore& config, ProfileManager* profiles, Platform& platform,
                               Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), config_(config), profiles_(profiles), platform_(platform),
      actions_(std::move(actions)) {
    setObjectName("settings");
    setWindowTitle("Panemark Settings");
    setWindowIcon(AppIcon::icon());
    setPalette(Theme::windowPalette());
    setMinimumSize(720, 460);
    resize(900, 600);

    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    columns->addWidget(sidebar());
    auto* rule = new QWidget(this);
    rule->setFixedWidth(1);
    rule->setStyleSheet(ThemeStyle::fill(Theme::line));
    columns->addWidget(rule);
    detail_ = new QWidget(this);
    detailLayout_ = new QVBoxLayout(detail_);
    detailLayout_->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(detail_, 1);

    auto later = [this](const auto&) { scheduleRefresh(); };
    subscriptions_.push_back(config_.commands.subscribe(later));
    subscriptions_.push_back(config_.gap.subscribe(later));
    subscriptions_.push_back(config_.animateWindows.subscribe(later));
    subscriptions_.push_back(config_.animationDuration.subscribe(later));
    subscriptions_.push_back(config_.animationCurve.subscribe(later));
    subscriptions_.push_back(config_.launchAtLogin.subscribe(later));
    subscriptions_.push_back(config_.showSplashAtLaunch.subscribe(later));
    if (profiles_) {
        subscriptions_.push_back(profiles_->profiles.subscribe(later));
        subscriptions_.push_back(profiles_->activeProfileID.subscribe(later));
        subscriptions_.push_back(profiles_->autoSwitchEnabled.subscribe(later));
    }
    refresh();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::present() {
    refresh(); // permissions may have changed meanwhile
    show();
    raise();
    activateWindow();
}

void SettingsWindow::openProfileSheet() {
    if (!profiles_) {
        return;
    }
    if (!sheet_) {
        sheet_ = new ProfileSheet(*profiles_, platform_, this);
        QObject::connect(sheet_, &QDialog::finished, this, [this] {
            sheet_->deleteLater();
            sheet_ = nullptr;
        });
    }
    sheet_->open();
    sheet_->raise();
}

QWidget* SettingsWindow::sidebar() {
    auto* side = new QWidget(this);
    side->setFixedWidth(sidebarWidth);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 10, 0, 0);
    column->setSpacing(0);
    column->addWidget(profileBar());
    column->addWidget(inset(new TerminalDivider(Theme::lineFaint), 14, side));
    listHeader_ = new SectionHeader("LAYOUT_COMMANDS", "0 LD", side);
    auto* header = inset(listHeader_, 16, side);
    header->layout()->setContentsMargins(16, 8, 16, 8);
    column->addWidget(header);
    column->addWidget(inset(new TerminalDivider(Theme::lineFaint), 14, side));

    auto* list = new QScrollArea(side);
    list_ = list;
    list->setWidgetResizable(true);
    list->setFrameShape(QFrame::NoFrame);
    list->setStyleSheet(ThemeStyle::transparentScrollArea());
    list->viewport()->setAutoFillBackground(false);
    listContent_ = new QWidget(list);
    listContent_->setAttribute(Qt::WA_TranslucentBackground);
    listLayout_ = new QVBoxLayout(listContent_);
    listLayout_->setContentsMargins(14, 6, 14, 6);
    listLayout_->setSpacing(2);
    listLayout_->addStretch();
    list->setWidget(listContent_);
    listContent_->setAutoFillBackground(false); // setWidget turned it on: let the window show
    column->addWidget(list, 1);
    column->addWidget(new TerminalDivider(Theme::lineFaint, side));
    column->addWidget(toolbar());
    column->addWidget(new TerminalDivider(Theme::lineFaint, side));
    general_ = new GeneralPanel(
        config_, profiles_, platform_,
        [this] {
            if (actions_.openAbout) {
                actions_.openAbout();
            }
        },
        [this] { scheduleRefresh(); }, side);
    column->addWidget(general_);
    return side;
}

QWidget* SettingsWindow::profileBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(16, 6, 16, 8);
    profileMenu_ = new QToolButton(bar);
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
    profileMenu_->setVisible(profiles_ != nullptr);
    row->addWidget(profileMenu_);
    row->addStretch();
    auto* manage = new TerminalButton("Manage Profiles…", false, bar);
    manage->setFont(TerminalFont::at(11));
    manage->setEnabled(profiles_ != nullptr);
    QObject::connect(manage, &QPushButton::clicked, this, [this] { openProfileSheet(); });
    row->addWidget(manage);
    return bar;
}

QWidget* SettingsWindow::toolbar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(14, 8, 14, 8);
    row->setSpacing(6);
    add_ = toolButton(Symbols::Name::plus, "Add command", bar);
    add_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(add_);
    menu->setStyleSheet(ThemeStyle::menu());
    menu->setFont(TerminalFont::at(12));
    const std::pair<const char*, void (ConfigStore::*)()> kinds[] = {
        {"Zone command", &ConfigStore::addCommand},
        {"Half-step command", &ConfigStore::addHalfCommand},
        {"Maximize command", &ConfigStore::addMaximizeCommand},
        {"Fixed-size command", &ConfigStore::addFixedSizeCommand},
    };
    for (const auto& [title, add] : kinds) {
        QObject::connect(menu->addAction(title), &QAction::triggered, this,
                         [this, add = add] { addAndSelect(add); });
    }
    add_->setMenu(menu);
    delete_ = toolButton(Symbols::Name::minus, "Delete command", bar);
    QObject::connect(delete_, &QToolButton::clicked, this, [this] { deleteSelected(); });
    duplicate_ = toolButton(Symbols::Name::duplicate, "Duplicate command", bar);
    QObject::connect(duplicate_, &QToolButton::clicked, this, [this] { duplicateSelected(); });
    row->addWidget(add_);
    row->addWidget(delete_);
    row->addWidget(duplicate_);
    row->addStretch();
    return bar;
}

QString SettingsWindow::accessibilityLabel(const ZoneCommand& command,
                                           const std::optional<std::string>& shortcut) {
    QStringList parts{QString::fromStdString(command.displayName())};
    parts << (command.halfAction
                  ? QString("Half-step")
                  : QString::number(command.cols) + " by " + QString::number(command.rows));
    if (shortcut) {
        parts << "shortcut " + QString::fromStdString(*shortcut);
    }
    return parts.join(", ");
}

void SettingsWindow::select(std::optional<Uuid> id) {
    selection_ = id;
    refresh();
}

void SettingsWindow::addAndSelect(void (ConfigStore::*add)()) {
    (config_.*add)();
    const auto& commands = config_.commands.get();
    select(commands.empty() ? std::nullopt : std::optional(commands.back().id));
}

void SettingsWindow::deleteSelected() {
    if (!selection_) {
        return;
    }
    const std::vector<ZoneCommand> before = config_.commands.get();
    const auto found = std::find_if(before.begin(), before.end(),
                                    [&](const ZoneCommand& c) { return c.id == *selection_; });
    if (found == before.end()) {
        return;
    }
    const auto index = static_cast<std::size_t>(found - before.begin());
    config_.deleteCommand(*found);
    const auto& after = config_.commands.get();
    if (after.empty()) {
        select(std::nullopt);
        return;
    }
    // The row that took its place, or the new last one.
    select(after[std::min(index, after.size() - 1)].id);
}

void SettingsWindow::duplicateSelected() {
    if (!selection_) {
        return;
    }
    const auto& commands = config_.commands.get();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const ZoneCommand& c) { return c.id == *selection_; });
    if (found != commands.end()) {
        const ZoneCommand source = *found;
        select(config_.duplicate(source));
    }
}

void SettingsWindow::scheduleRefresh() {
    // Changes come in bursts (a profile switch sets the commands, then the gap): one refresh, a
    // turn of the loop after the first.
    if (!refreshPending_) {
        refreshPending_ = true;
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) {
                refresh();
            } else {
                refreshPending_ = false; // present() refreshes: rows nobody sees cost for nothing
            }
        });
    }
}

void SettingsWindow::refresh() {
    refreshPending_ = false;
    refreshProfiles();
    refreshRows();
    refreshDetail();
    general_->refresh();
}

void SettingsWindow::refreshProfiles() {
    if (!profiles_) {
        return;
    }
    profileMenu_->setText(LiteralText::forMnemonics(profiles_->activeProfile().name));
    QMenu* menu = profileMenu_->menu();
    menu->clear();
    for (const Profile& profile : profiles_->profiles.get()) {
        QAction* item = menu->addAction(LiteralText::forMnemonics(profile.name));
        if (profile.id == profiles_->activeProfileID.get()) {
            item->setIcon(QIcon(
                Symbols::pixmap(Symbols::Name::checkmark, QSizeF(10, 10), Theme::phosphor, 2)));
        }
        const Uuid id = profile.id;
        QObject::connect(item, &QAction::triggered, this, [this, id] { profiles_->activate(id); });
    }
}

void SettingsWindow::refreshRows() {
    for (CommandRow* row : rows_) {
        listLayout_->removeWidget(row);
        row->hide();
        row->deleteLater(); // it may be the row being clicked
    }
    rows_.clear();
    const auto& commands = config_.commands.get();
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Uuid id = commands[i].id;
        auto* row = new CommandRow(
            i, commands[i], selection_ == id, [this, id] { select(id); }, listContent_);
        listLayout_->insertWidget(static_cast<int>(i), row);
        rows_.push_back(row);
    }
    listHeader_->setTrailing(QString::number(commands.size()) + " LD");
    for (CommandRow* row : rows_) {
        if (row->isSelected()) {
            // Once the list has laid the new rows out.
            QTimer::singleShot(0, row, [this, row] { list_->ensureWidgetVisible(row, 0, 4); });
        }
    }
    // A profile holds no more commands than the palette and this list stay quick with.
    const bool room = commands.size() < ProfileRules::maxCommands;
    add_->setEnabled(room);
    delete_->setEnabled(selection_.has_value());
    duplicate_->setEnabled(selection_.has_value() && room);
}

void SettingsWindow::refreshDetail() {
    const std::optional<CommandBinding> binding =
        selection_ ? CommandBinding::forId(config_, *selection_) : std::nullopt;
    if (binding && editor_ && editor_->commandId() == binding->id()) {
        editor_->refresh();
        return;
    }
    if (editor_) {
        editor_->hide();
        editor_->deleteLater();
        editor_ = nullptr;
    }
    if (binding) {
        if (placeholder_) {
            placeholder_->hide();
        }
        editor_ = new CommandEditor(*binding, actions_.isTakenElsewhere, detail_);
        detailLayout_->addWidget(editor_);
        return;
    }
    if (!placeholder_) {
        placeholder_ = new QWidget(detail_);
        auto* column = new QVBoxLayout(placeholder_);
        column->addStretch();
        auto* symbol = new QLabel(placeholder_);
        symbol->setPixmap(Symbols::pixmap(Symbols::Name::rectangleSplit3x3, QSizeF(42, 42),
                                          Theme::textDim, devicePixelRatioF()));
        symbol->setAlignment(Qt::AlignCenter);
        Glow::apply(*symbol, Theme::phosphor, 6, 0.4);
        column->addWidget(symbol);
        QLabel* hint =
            TerminalLabel::create("// SELECT A COMMAND TO EDIT\n// OR PRESS + TO CREATE ONE", 12,
                                  Theme::textDim, placeholder_);
        hint->setAlignment(Qt::AlignCenter);
        column->addWidget(hint);
        column->addStretch();
        detailLayout_->addWidget(placeholder_);
    }
    placeholder_->show();
}

void SettingsWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TerminalBackground::paint(painter, rect());
}

} // namespace panemark
