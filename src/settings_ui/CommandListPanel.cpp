#include "settings_ui/CommandListPanel.h"

#include "profiles/ProfileManager.h"
#include "profiles/ProfileRules.h"
#include "settings_ui/CommandRow.h"
#include "widgets/SectionHeader.h"
#include "widgets/Symbols.h"
#include "widgets/TerminalDivider.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

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
QToolButton* toolButton(Symbols::Name symbol, const QString& help, const QString& name,
                        QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
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

CommandListPanel::CommandListPanel(ProfileManager& profiles, QWidget* parent)
    : QWidget(parent), profiles_(profiles) {
    setObjectName("commandList");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(inset(new TerminalDivider(Theme::lineFaint), 14, this));
    header_ = new SectionHeader("LAYOUT_COMMANDS", "0 LD", this);
    header_->setObjectName("commandListHeader");
    auto* header = inset(header_, 16, this);
    header->layout()->setContentsMargins(16, 8, 16, 8);
    column->addWidget(header);
    column->addWidget(inset(new TerminalDivider(Theme::lineFaint), 14, this));

    list_ = new QScrollArea(this);
    list_->setObjectName("commandRows");
    list_->setWidgetResizable(true);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setStyleSheet(ThemeStyle::transparentScrollArea());
    list_->viewport()->setAutoFillBackground(false);
    listContent_ = new QWidget(list_);
    listContent_->setAttribute(Qt::WA_TranslucentBackground);
    listLayout_ = new QVBoxLayout(listContent_);
    listLayout_->setContentsMargins(14, 6, 14, 6);
    listLayout_->setSpacing(2);
    listLayout_->addStretch();
    list_->setWidget(listContent_);
    listContent_->setAutoFillBackground(false); // setWidget turned it on: let the window show
    column->addWidget(list_, 1);
    column->addWidget(new TerminalDivider(Theme::lineFaint, this));
    column->addWidget(toolbar());
}

QWidget* CommandListPanel::toolbar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(14, 8, 14, 8);
    row->setSpacing(6);
    add_ = toolButton(Symbols::Name::plus, "Add command", "addCommandButton", bar);
    add_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(add_);
    menu->setObjectName("addCommandMenu");
    menu->setStyleSheet(ThemeStyle::menu());
    menu->setFont(TerminalFont::at(12));
    const std::pair<const char*, void (ProfileManager::*)()> kinds[] = {
        {"Zone command", &ProfileManager::addCommand},
        {"Half-step command", &ProfileManager::addHalfCommand},
        {"Maximize command", &ProfileManager::addMaximizeCommand},
        {"Fixed-size command", &ProfileManager::addFixedSizeCommand},
    };
    for (const auto& [title, add] : kinds) {
        QObject::connect(menu->addAction(title), &QAction::triggered, this,
                         [this, add = add] { addAndSelect(add); });
    }
    add_->setMenu(menu);
    delete_ = toolButton(Symbols::Name::minus, "Delete command", "deleteCommandButton", bar);
    QObject::connect(delete_, &QToolButton::clicked, this, [this] { deleteSelected(); });
    duplicate_ =
        toolButton(Symbols::Name::duplicate, "Duplicate command", "duplicateCommandButton", bar);
    QObject::connect(duplicate_, &QToolButton::clicked, this, [this] { duplicateSelected(); });
    row->addWidget(add_);
    row->addWidget(delete_);
    row->addWidget(duplicate_);
    row->addStretch();
    return bar;
}

void CommandListPanel::select(std::optional<Uuid> id) {
    selection_ = id;
    refresh();
    revealSelectedRow();
    Q_EMIT selectionChanged();
}

void CommandListPanel::addAndSelect(void (ProfileManager::*add)()) {
    (profiles_.*add)();
    const auto& commands = profiles_.commands.get();
    select(commands.empty() ? std::nullopt : std::optional(commands.back().id));
}

void CommandListPanel::deleteSelected() {
    if (!selection_) {
        return;
    }
    const std::vector<ZoneCommand> before = profiles_.commands.get();
    const auto found = std::find_if(before.begin(), before.end(),
                                    [&](const ZoneCommand& c) { return c.id == *selection_; });
    if (found == before.end()) {
        return;
    }
    const auto index = static_cast<std::size_t>(found - before.begin());
    profiles_.deleteCommand(*found);
    const auto& after = profiles_.commands.get();
    if (after.empty()) {
        select(std::nullopt);
        return;
    }
    // The row that took its place, or the new last one.
    select(after[std::min(index, after.size() - 1)].id);
}

void CommandListPanel::duplicateSelected() {
    if (!selection_) {
        return;
    }
    const auto& commands = profiles_.commands.get();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const ZoneCommand& c) { return c.id == *selection_; });
    if (found != commands.end()) {
        const ZoneCommand source = *found;
        select(profiles_.duplicateCommand(source));
    }
}

void CommandListPanel::refresh() {
    // A selection that is no longer in the list is kept: switching back to its profile shows
    // it again.
    const auto& commands = profiles_.commands.get();
    // Rows stay where they are and show whatever command is now at their place; only the
    // rows beyond the shorter list come or go.
    while (rows_.size() > commands.size()) {
        CommandRow* row = rows_.back();
        rows_.pop_back();
        listLayout_->removeWidget(row);
        row->hide();
        row->deleteLater(); // it may be the row being clicked
    }
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const bool selected = selection_ == commands[i].id;
        if (i < rows_.size()) {
            rows_[i]->display(i, commands[i], selected);
            continue;
        }
        auto* row = new CommandRow(i, commands[i], selected, listContent_);
        QObject::connect(row, &CommandRow::chosen, this, [this](const Uuid& id) { select(id); });
        listLayout_->insertWidget(static_cast<int>(i), row);
        rows_.push_back(row);
    }
    header_->setTrailing(QString::number(commands.size()) + " LD");
    refreshToolbar();
}

void CommandListPanel::refreshToolbar() {
    // A profile holds no more commands than the palette and this list stay quick with.
    const bool room = profiles_.commands.get().size() < ProfileRules::maxCommands;
    add_->setEnabled(room);
    delete_->setEnabled(selection_.has_value());
    duplicate_->setEnabled(selection_.has_value() && room);
}

void CommandListPanel::revealSelectedRow() {
    for (CommandRow* row : rows_) {
        if (row->isSelected()) {
            QTimer::singleShot(0, row, [this, row] {
                // A row just added has its place only once the list and the scroll area
                // around it have been laid out again.
                QCoreApplication::sendPostedEvents(listContent_, QEvent::LayoutRequest);
                QCoreApplication::sendPostedEvents(list_, QEvent::LayoutRequest);
                list_->ensureWidgetVisible(row, 0, 4);
            });
        }
    }
}

} // namespace panemark
