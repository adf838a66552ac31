#include "tray_ui/CommandPalette.h"

#include "base/AppVersion.h"
#include "platform/OwnWindows.h"
#include "widgets/Glow.h"
#include "widgets/LiteralText.h"
#include "widgets/Scanlines.h"
#include "widgets/Symbols.h"
#include "widgets/TerminalFont.h"
#include "widgets/TerminalLabel.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace panemark {

namespace {

// A rule one point high.
QWidget* rule(const QColor& color, QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    return line;
}

// The themed thumb over a list's trailing edge: nothing while everything fits.
class ScrollIndicator : public QWidget {
public:
    explicit ScrollIndicator(QScrollArea* area) : QWidget(area), area_(area) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        auto follow = [this] { place(); };
        QObject::connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this, follow);
        QObject::connect(area->verticalScrollBar(), &QScrollBar::rangeChanged, this, follow);
    }
    void place() {
        setGeometry(area_->width() - 3 - 4, 0, 4, area_->height());
        raise();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const QScrollBar* bar = area_->verticalScrollBar();
        const double container = area_->viewport()->height();
        const ScrollMetrics metrics{static_cast<double>(bar->value()), container + bar->maximum(),
                                    container};
        const auto thumb = ScrollIndicatorGeometry::thumb(metrics, height());
        if (!thumb) {
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::withOpacity(Theme::phosphor, 0.55));
        painter.drawRoundedRect(QRectF(0, thumb->top, width(), thumb->height), 2, 2);
    }

private:
    QScrollArea* area_;
};

QScrollArea* scrollingList(QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setStyleSheet(ThemeStyle::transparent());
    area->viewport()->setAutoFillBackground(false);
    return area;
}

// Rows with 1-point separators and 6 points of padding, in a scrolling list.
QWidget* rowColumn(const std::vector<PaletteRow*>& rows, QWidget* parent) {
    auto* content = new QWidget(parent);
    content->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(1);
    for (PaletteRow* row : rows) {
        row->setParent(content);
        layout->addWidget(row);
    }
    layout->addStretch();
    return content;
}

// Takes every widget out of a section; they go once the event that may be running in one of
// them (the click on a row that makes the list change) is over.
void clearSection(QVBoxLayout* section) {
    while (QLayoutItem* item = section->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

// On X11 a popup, which closes when a click lands elsewhere. A Wayland popup must hang off a
// window of the program that has had input (Qt 6.11 refuses to show one that does not), and the
// palette opens from the tray or a desktop's button with no such window: there it is a window
// of its own, which the desktop's helper places and keeps from the focus.
Qt::WindowFlags paletteWindowFlags() {
    if (QGuiApplication::platformName().startsWith("wayland")) {
        return Qt::Tool | Qt::FramelessWindowHint;
    }
    return Qt::Popup | Qt::FramelessWindowHint;
}

} // namespace

CommandPalette::CommandPalette(ProfileManager& profiles, QWidget* parent)
    : QWidget(parent, paletteWindowFlags()), profiles_(profiles),
      layout_(std::ceil(TerminalFont::lineHeight13())) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedWidth(static_cast<int>(PaletteLayout::width));
    setAccessibleName("Panemark");
    // Desktops that give it a window of its own know it by this (sway's rules keep it from
    // taking the focus and put it at the pointer).
    setWindowTitle(
        QString::fromUtf8(OwnWindows::paletteTitle.data(), OwnWindows::paletteTitle.size()));
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);
    buildFrame();
    // Each subscription first delivers what is there now, which builds its section; after that
    // a change rebuilds only its own section, and only while the palette is shown.
    commandsSubscription_ =
        profiles_.commands.subscribe([this](const auto&) { sectionChanged(Section::commands); });
    // The list of profiles is announced only when it changes, never for an edit of commands.
    const auto pickerChanged = [this](const auto&) { sectionChanged(Section::picker); };
    profilesSubscription_ = profiles_.profiles.subscribe(pickerChanged);
    activeSubscription_ = profiles_.activeProfileID.subscribe(pickerChanged);
}

CommandPalette::~CommandPalette() = default;

void CommandPalette::setVisibleScreenHeight(std::optional<double> height) {
    visibleHeight_ = height;
    applyHeights(false);
}

void CommandPalette::buildFrame() {
    // Header: the glow belongs to the letters, so the strip is drawn behind the label rather
    // than by it (a glow of an opaque label would glow around its box and hide under it).
    auto* strip = new QWidget(this);
    strip->setAutoFillBackground(true);
    QPalette stripPalette = strip->palette();
    stripPalette.setColor(QPalette::Window, Theme::strip);
    strip->setPalette(stripPalette);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(12, 9, 12, 9);
    auto* header =
        TerminalLabel::create(">_ PANEMARK • CMD PALETTE", TerminalFont::at(10, QFont::DemiBold, 2),
                              Theme::textBright, strip);
    header->setObjectName("paletteHeader");
    Glow::apply(*header, Theme::phosphor, 3, 0.5);
    stripLayout->addWidget(header);
    column_->addWidget(strip);
    column_->addWidget(rule(Theme::line, this));

    pickerSection_ = new QVBoxLayout;
    pickerSection_->setSpacing(0);
    column_->addLayout(pickerSection_);
    commandsSection_ = new QVBoxLayout;
    commandsSection_->setSpacing(0);
    column_->addLayout(commandsSection_);

    // Action rows.
    auto* actions = new QWidget(this);
    auto* actionLayout = new QVBoxLayout(actions);
    actionLayout->setContentsMargins(6, 6, 6, 6);
    actionLayout->setSpacing(1);
    const auto addAction = [&](const char* name, const char* shortcut,
                               void (CommandPalette::*request)(), bool closes) {
        auto* row = new PaletteRow(name, shortcut, actions);
        if (closes) {
            closeAndRequest(row, request);
        } else {
            QObject::connect(row, &PaletteRow::triggered, this, request);
        }
        actionRows_.push_back(row);
        actionLayout->addWidget(row);
    };
    column_->addWidget(rule(Theme::lineFaint, this));
    addAction("Settings…", "⌘,", &CommandPalette::settingsRequested, true);
    addAction("Check for Updates…", "", &CommandPalette::updateCheckRequested, true);
    addAction("About Panemark", "", &CommandPalette::aboutRequested, true);
    addAction("Quit Panemark", "⌘Q", &CommandPalette::quitRequested, false);
    column_->addWidget(actions);

    // Footer.
    column_->addWidget(rule(Theme::lineFaint, this));
    auto* footer = new QWidget(this);
    auto* footerLayout = new QHBoxLayout(footer);
    footerLayout->setContentsMargins(12, 6, 12, 6);
    footerLayout->addWidget(TerminalLabel::create("ORCON//NOFORN • LINK SECURE ▊",
                                                  TerminalFont::at(8.5, QFont::Normal, 1.5),
                                                  Theme::textFaint, footer));
    footerLayout->addStretch();
    footerLayout->addWidget(
        TerminalLabel::create("v" + QString::fromStdString(AppVersion::current().shortVersion),
                              TerminalFont::at(8.5, QFont::Normal, 1.5), Theme::textDim, footer));
    column_->addWidget(footer);
}

void CommandPalette::sectionChanged(Section section) {
    stale_.insert(section);
    if (isVisible()) {
        rebuildStale();
    }
    // Hidden, it waits for the next opening: rows nobody sees cost memory and time for nothing.
}

void CommandPalette::rebuildStale() {
    if (stale_.count(Section::picker) != 0 && isPickerAnimating()) {
        // Rebuilding the picker now would cut its animation short; its end rebuilds it.
        rebuildAfterAnimation_ = true;
        stale_.erase(Section::picker);
    }
    if (stale_.erase(Section::picker) != 0) {
        rebuildPicker();
    }
    if (stale_.erase(Section::commands) != 0) {
        rebuildCommands();
    }
    applyHeights(false);
    adjustSize();
}

bool CommandPalette::isPickerAnimating() const {
    return pickerAnimation_ && pickerAnimation_->state() == QAbstractAnimation::Running;
}

void CommandPalette::rebuildPicker() {
    clearSection(pickerSection_);
    pickerRows_.clear();
    switcher_ = nullptr;
    picker_ = nullptr;
    if (!profiles_.keepsFiles() || profiles_.profiles.get().size() < 2) {
        pickerOpen_ = false;
        return;
    }
    const Profile active = profiles_.activeProfile();
    switcher_ = new QPushButton(this);
    switcher_->setFlat(true);
    switcher_->setCursor(Qt::PointingHandCursor);
    switcher_->setFocusPolicy(Qt::NoFocus);
    switcher_->setFont(TerminalFont::at(11, QFont::DemiBold));
    switcher_->setText("PROFILE: " + LiteralText::forMnemonics(active.name).toUpper());
    switcher_->setIcon(
        QIcon(Symbols::pixmap(pickerOpen_ ? Symbols::Name::chevronUp : Symbols::Name::chevronDown,
                              QSizeF(10, 10), Theme::textBright, devicePixelRatioF())));
    switcher_->setLayoutDirection(Qt::RightToLeft); // the chevron after the name
    switcher_->setStyleSheet(ThemeStyle::bareTextButton(Theme::textBright));
    QObject::connect(switcher_, &QPushButton::clicked, this, [this] { togglePicker(); });
    pickerSection_->addWidget(switcher_);

    for (const Profile& profile : profiles_.profiles.get()) {
        const Uuid id = profile.id;
        auto* row = new PaletteRow(profile.name, profile.id == active.id ? "✓" : "");
        QObject::connect(row, &PaletteRow::triggered, this, [this, id] { chooseProfile(id); });
        pickerRows_.push_back(row);
    }
    picker_ = scrollingList(this);
    picker_->setObjectName("profilePicker");
    picker_->setWidget(rowColumn(pickerRows_, picker_));
    new ScrollIndicator(picker_);
    pickerSection_->addWidget(picker_);
}

void CommandPalette::rebuildCommands() {
    clearSection(commandsSection_);
    commandRows_.clear();
    commands_ = nullptr;
    empty_ = nullptr;
    indicator_ = nullptr;
    const std::vector<ZoneCommand>& commands = profiles_.commands.get();
    if (commands.empty()) {
        empty_ = new QWidget(this);
        auto* layout = new QVBoxLayout(empty_);
        layout->setContentsMargins(0, 10, 0, 10);
        layout->setSpacing(2);
        auto* title =
            TerminalLabel::create("NO LAYOUT COMMANDS", TerminalFont::at(11, QFont::DemiBold, 1.5),
                                  Theme::textDim, empty_);
        auto* hint = TerminalLabel::create("Add one in Settings…", TerminalFont::at(10),
                                           Theme::textFaint, empty_);
        title->setAlignment(Qt::AlignCenter);
        hint->setAlignment(Qt::AlignCenter);
        layout->addWidget(title);
        layout->addWidget(hint);
        empty_->setFixedHeight(static_cast<int>(PaletteLayout::emptyStateHeight));
        commandsSection_->addWidget(empty_);
        return;
    }
    for (const ZoneCommand& command : commands) {
        auto* row = new PaletteRow(command.displayName(),
                                   command.shortcut ? command.shortcut->displayString() : "");
        QObject::connect(row, &PaletteRow::triggered, this, [this, command] {
            close();
            Q_EMIT runRequested(command);
        });
        commandRows_.push_back(row);
    }
    commands_ = scrollingList(this);
    commands_->setObjectName("commandList");
    commands_->setWidget(rowColumn(commandRows_, commands_));
    indicator_ = new ScrollIndicator(commands_);
    commandsSection_->addWidget(commands_);
}

void CommandPalette::applyHeights(bool animate) {
    const int commands = static_cast<int>(profiles_.commands.get().size());
    const int profiles =
        profiles_.keepsFiles() ? static_cast<int>(profiles_.profiles.get().size()) : 1;
    const int pickerHeight = static_cast<int>(
        std::round(layout_.profilePickerHeight(pickerOpen_, commands, profiles, visibleHeight_)));
    const int listHeight = static_cast<int>(
        std::round(layout_.commandListHeight(pickerOpen_, commands, profiles, visibleHeight_)));
    if (picker_ && !(isPickerAnimating() && !animate)) {
        if (animate) {
            auto* animation = new QPropertyAnimation(picker_, "maximumHeight", picker_);
            animation->setDuration(pickerAnimationMilliseconds);
            animation->setEasingCurve(QEasingCurve::InOutQuad);
            animation->setStartValue(picker_->height());
            animation->setEndValue(pickerHeight);
            QObject::connect(animation, &QPropertyAnimation::valueChanged, this,
                             [this] { adjustSize(); });
            QObject::connect(animation, &QPropertyAnimation::finished, this, [this] {
                if (std::exchange(rebuildAfterAnimation_, false)) {
                    sectionChanged(Section::picker);
                    return;
                }
                // The picker keeps the height it grew to (a bound alone would let the layout
                // give it only its size hint), or goes once closed.
                applyHeights(false);
            });
            pickerAnimation_ = animation;
            animation->start(QAbstractAnimation::DeleteWhenStopped);
            picker_->setMinimumHeight(0);
        } else {
            picker_->setFixedHeight(pickerHeight);
        }
        picker_->setVisible(pickerOpen_ || animate);
    }
    if (commands_) {
        commands_->setFixedHeight(listHeight);
    }
    adjustSize();
    fitOnScreen(listHeight, pickerOpen_ && !animate ? pickerHeight : 0);
    if (commands_ && indicator_) {
        static_cast<ScrollIndicator*>(indicator_)->place();
    }
}

void CommandPalette::fitOnScreen(int listHeight, int pickerHeight) {
    // The lists' caps leave room for the rest of the palette on a usual screen; on a small or
    // scaled one the lists give up what the rest needs, the commands first (down to two rows),
    // then the picker (down to one).
    if (!visibleHeight_) {
        return;
    }
    int excess = height() - static_cast<int>(std::floor(*visibleHeight_));
    if (excess <= 0) {
        return;
    }
    if (commands_) {
        const int floor = static_cast<int>(std::ceil(layout_.minimumVisibleCommandHeight()));
        const int shrink = std::clamp(listHeight - floor, 0, excess);
        commands_->setFixedHeight(listHeight - shrink);
        excess -= shrink;
    }
    if (picker_ && pickerHeight > 0 && excess > 0) {
        const int floor = static_cast<int>(std::ceil(layout_.rowHeight()));
        picker_->setFixedHeight(std::max(floor, pickerHeight - excess));
    }
    adjustSize();
}

void CommandPalette::togglePicker() {
    pickerOpen_ = !pickerOpen_;
    if (switcher_) {
        switcher_->setIcon(QIcon(
            Symbols::pixmap(pickerOpen_ ? Symbols::Name::chevronUp : Symbols::Name::chevronDown,
                            QSizeF(10, 10), Theme::textBright, devicePixelRatioF())));
    }
    applyHeights(true);
}

void CommandPalette::chooseProfile(const Uuid& id) {
    // Any choice closes the picker, the one already active too; the palette stays open.
    if (pickerOpen_) {
        togglePicker();
    }
    if (id != profiles_.activeProfileID.get()) {
        profiles_.activate(id); // the picker shows it once it has closed
    }
}

std::vector<PaletteRow*> CommandPalette::rows() const {
    std::vector<PaletteRow*> visible;
    if (pickerOpen_) {
        visible.insert(visible.end(), pickerRows_.begin(), pickerRows_.end());
    }
    visible.insert(visible.end(), commandRows_.begin(), commandRows_.end());
    visible.insert(visible.end(), actionRows_.begin(), actionRows_.end());
    return visible;
}

QWidget* CommandPalette::profileSwitcher() const {
    return switcher_;
}

QWidget* CommandPalette::emptyState() const {
    return empty_;
}

QWidget* CommandPalette::commandList() const {
    return commands_;
}

void CommandPalette::closeAndRequest(PaletteRow* row, void (CommandPalette::*request)()) {
    QObject::connect(row, &PaletteRow::triggered, this, [this, request] {
        close();
        Q_EMIT(this->*request)();
    });
}

void CommandPalette::popUpAt(const QRect& anchor) {
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    visibleHeight_ =
        screen ? std::optional<double>(screen->availableGeometry().height()) : std::nullopt;
    if (std::exchange(pickerOpen_, false)) {
        stale_.insert(Section::picker); // its chevron and rows show it closed
    }
    // Built now what changed while it was hidden; rebuildStale sets the heights for this screen.
    rebuildStale();
    for (PaletteRow* row : rows()) {
        row->setHighlighted(false); // the keyboard starts afresh at every opening
    }
    const QRect area = screen ? screen->availableGeometry() : QRect(anchor.center(), QSize(1, 1));
    // Below the icon when its panel is at the top, above it when the panel is at the bottom.
    placement_ = Placement{anchor, area, anchor.center().y() >= area.center().y()};
    followAnchor();
    show();
    raise();
}

void CommandPalette::followAnchor() {
    if (!placement_) {
        return;
    }
    const QRect& anchor = placement_->anchor;
    const QRect& area = placement_->area;
    const int x = std::max(area.left(),
                           std::min(anchor.center().x() - width() / 2, area.right() + 1 - width()));
    // Opened downwards, its bottom is kept inside too (it then leaves the anchor's edge); taller
    // than the area, its top stays on the screen.
    const int y = placement_->upward
                      ? std::max(area.top(), std::min(anchor.top(), area.bottom() + 1) - height())
                      : std::max(area.top(), std::min(std::max(anchor.bottom() + 1, area.top()),
                                                      area.bottom() + 1 - height()));
    move(x, y);
}

void CommandPalette::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    followAnchor(); // an edge on the panel stays on it as the height changes
}

void CommandPalette::moveHighlight(int step) {
    const std::vector<PaletteRow*> visible = rows();
    if (visible.empty()) {
        return;
    }
    int current = -1;
    for (std::size_t i = 0; i < visible.size(); ++i) {
        if (visible[i]->isHighlighted()) {
            current = static_cast<int>(i);
        }
        visible[i]->setHighlighted(false);
    }
    const int count = static_cast<int>(visible.size());
    const int next = current < 0 ? (step > 0 ? 0 : count - 1) : (current + step + count) % count;
    visible[static_cast<std::size_t>(next)]->setHighlighted(true);
    for (QWidget* widget = visible[static_cast<std::size_t>(next)]; widget;
         widget = widget->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(widget)) {
            area->ensureWidgetVisible(visible[static_cast<std::size_t>(next)]);
            break;
        }
    }
}

void CommandPalette::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Down:
        moveHighlight(1);
        return;
    case Qt::Key_Up:
        moveHighlight(-1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        for (PaletteRow* row : rows()) {
            if (row->isHighlighted()) {
                row->trigger();
                return;
            }
        }
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CommandPalette::showEvent(QShowEvent* event) {
    rebuildStale();
    QWidget::showEvent(event);
}

void CommandPalette::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Q_EMIT closed();
}

void CommandPalette::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient background(rect().topLeft(), rect().bottomLeft());
    background.setColorAt(0, Theme::panelTop);
    background.setColorAt(1, Theme::panelBottom);
    painter.fillRect(rect(), background);
    Scanlines{3, 0.05}.paint(painter, rect());
}

} // namespace panemark
