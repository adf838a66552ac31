#pragma once

#include "model/ZoneCommand.h"
#include "runtime/Cancellable.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QSlider;
class QToolButton;
class QVBoxLayout;
class QScrollArea;

namespace panemark {

class CommandEditor;
class CommandRow;
class GeneralPanel;
class ConfigStore;
class Platform;
class ProfileManager;
class ProfileSheet;
class SectionHeader;
class TerminalCheckBox;
class TerminalButton;

// "Panemark Settings": the active profile, its command list with add, delete and duplicate,
// the general settings (a GeneralPanel), and the editor of the selected command. Every control
// writes through to the config store or the profile manager at once.
class SettingsWindow : public QWidget {
public:
    struct Actions {
        std::function<void()> openAbout;
        std::function<bool(const Shortcut&)> isTakenElsewhere;
    };
    static constexpr int sidebarWidth = 300;

    // profiles: none when the commands were given for this run only.
    SettingsWindow(ConfigStore& config, ProfileManager* profiles, Platform& platform,
                   Actions actions, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Shows the window, or brings it to the front.
    void present();
    // "Manage Profiles…": the profile sheet over this window.
    void openProfileSheet();
    ProfileSheet* profileSheet() const { return sheet_; }

    std::optional<Uuid> selection() const { return selection_; }
    void select(std::optional<Uuid> id);
    // Calls one of the store's add operations and selects what it added.
    void addAndSelect(void (ConfigStore::*add)());
    void deleteSelected();
    void duplicateSelected();
    // "Left, 3 by 2, shortcut ⌃⌥←": what a screen reader says for a command row.
    static QString accessibilityLabel(const ZoneCommand& command,
                                      const std::optional<std::string>& shortcut);

    // Shows what the stores hold now (done by itself one turn after any change).
    void refresh();

    // For tests.
    std::vector<CommandRow*> rows() const { return rows_; }
    SectionHeader* listHeader() const { return listHeader_; }
    QToolButton* deleteButton() const { return delete_; }
    QToolButton* duplicateButton() const { return duplicate_; }
    QToolButton* addButton() const { return add_; }
    CommandEditor* editor() const { return editor_; }
    QWidget* placeholder() const { return placeholder_; }
    QToolButton* profileMenu() const { return profileMenu_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* sidebar();
    QWidget* profileBar();
    QWidget* toolbar();
    void scheduleRefresh();
    void refreshRows();
    void refreshDetail();
    void refreshProfiles();

    ConfigStore& config_;
    ProfileManager* profiles_;
    Platform& platform_;
    Actions actions_;
    std::optional<Uuid> selection_;
    bool refreshPending_ = false;
    std::vector<Subscription> subscriptions_;

    QToolButton* profileMenu_ = nullptr;
    SectionHeader* listHeader_ = nullptr;
    QScrollArea* list_ = nullptr;
    QWidget* listContent_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
    std::vector<CommandRow*> rows_;
    QToolButton* add_ = nullptr;
    QToolButton* delete_ = nullptr;
    QToolButton* duplicate_ = nullptr;
    QVBoxLayout* detailLayout_ = nullptr;
    QWidget* detail_ = nullptr;
    CommandEditor* editor_ = nullptr;
    QWidget* placeholder_ = nullptr;
    ProfileSheet* sheet_ = nullptr;
    GeneralPanel* general_ = nullptr;
};

} // namespace panemark
