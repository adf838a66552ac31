#pragma once

#include "model/ZoneCommand.h"
#include "profiles/ProfileManager.h"
#include "tray_ui/PaletteLayout.h"
#include "tray_ui/PaletteRow.h"
#include "tray_ui/ScrollIndicatorGeometry.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>
#include <set>
#include <vector>

class QLabel;
class QPropertyAnimation;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace panemark {

// The command palette that drops down from the tray icon: every command with its shortcut, run
// with a click (or the arrow keys and Return); the profile switcher when there are two profiles
// or more; Settings, updates, About and Quit. A popup: the window the user was working in keeps
// the focus, so a row moves that window.
class CommandPalette : public QWidget {
    Q_OBJECT

public:
    static constexpr int pickerAnimationMilliseconds = 180;

    explicit CommandPalette(ProfileManager& profiles, QWidget* parent = nullptr);
    ~CommandPalette() override;

    // Opens beside an area (the tray icon, or the pointer) on the screen that holds it: below it
    // when it is in the upper half of the screen, above it otherwise, and stays on that edge
    // whatever its height does.
    void popUpAt(const QRect& anchor);

    bool isPickerOpen() const { return pickerOpen_; }
    void togglePicker();
    // For tests and screenshots: the visible rows, picker rows first when it is open.
    std::vector<PaletteRow*> rows() const;
    QWidget* profileSwitcher() const;
    QWidget* emptyState() const;
    QWidget* commandList() const;
    void setVisibleScreenHeight(std::optional<double> height);
Q_SIGNALS:
    // Whenever the palette closes, however it was closed.
    void closed();
    // A row was chosen; the palette has closed, but for Quit.
    void runRequested(const panemark::ZoneCommand& command);
    void settingsRequested();
    void updateCheckRequested();
    void aboutRequested();
    void quitRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Placement {
        QRect anchor;
        QRect area; // the screen's usable area
        bool upward;
    };

    // The parts rebuilt on their own: the profile switcher with its picker, and the commands.
    enum class Section { picker, commands };

    void chooseProfile(const Uuid& id);
    void followAnchor();
    void buildFrame();
    void sectionChanged(Section section);
    void rebuildStale();
    bool isPickerAnimating() const;
    void rebuildCommands();
    void rebuildPicker();
    void applyHeights(bool animate);
    // Shrinks the lists until the palette is no taller than the screen it opens on.
    void fitOnScreen(int listHeight, int pickerHeight);
    void moveHighlight(int step);
    // A row that closes the palette, then asks for what it names.
    void closeAndRequest(PaletteRow* row, void (CommandPalette::*request)());

    ProfileManager& profiles_;
    PaletteLayout layout_;
    std::optional<double> visibleHeight_;
    bool pickerOpen_ = false;
    bool rebuildAfterAnimation_ = false;
    QPointer<QPropertyAnimation> pickerAnimation_;
    std::optional<Placement> placement_;

    QVBoxLayout* column_ = nullptr;
    QVBoxLayout* pickerSection_ = nullptr;
    QVBoxLayout* commandsSection_ = nullptr;
    std::set<Section> stale_{Section::picker, Section::commands};
    QPushButton* switcher_ = nullptr;
    QScrollArea* picker_ = nullptr;
    QScrollArea* commands_ = nullptr;
    QWidget* empty_ = nullptr;
    QWidget* indicator_ = nullptr;
    std::vector<PaletteRow*> pickerRows_;
    std::vector<PaletteRow*> commandRows_;
    std::vector<PaletteRow*> actionRows_;
    Subscription commandsSubscription_;
    Subscription profilesSubscription_;
    Subscription activeSubscription_;
};

} // namespace panemark
