#pragma once

#include "base/Cancellable.h"
#include "model/Shortcut.h"
#include "model/Uuid.h"

#include <QSize>
#include <QWidget>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class QToolButton;

namespace panemark {

class CommandDetail;
class CommandListPanel;
class ConfigStore;
class GeneralPanel;
class Platform;
class ProfileManager;
class ProfileSheet;

// "Panemark Settings": the active profile with "Manage Profiles…", the command list
// (CommandListPanel), the general settings (GeneralPanel) and the editor of the selected command
// (CommandDetail). Every control writes through to the config store or the profile manager at
// once. A change refreshes only the part that shows it, and only while the window is shown;
// the profile menu is "profileMenu".
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    // Whether another program holds a combination, for the shortcut recorder.
    using TakenElsewhere = std::function<bool(const Shortcut&)>;
    static constexpr int sidebarWidth = 300;
    // What the contents need; a smaller window scrolls them.
    static constexpr QSize minimumContentSize{720, 460};

    SettingsWindow(ConfigStore& config, ProfileManager& profiles, Platform& platform,
                   TakenElsewhere isTakenElsewhere = {}, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Shows the window, or brings it to the front.
    void present();
    // "Manage Profiles…": the profile sheet over this window.
    void openProfileSheet();
    ProfileSheet* profileSheet() const { return sheet_; }

    // Shows what the stores and the desktop hold now, every part of it.
    void refresh();

Q_SIGNALS:
    // "About" in the general settings.
    void aboutRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    // Fits the window to its monitor each time it opens.
    void showEvent(QShowEvent* event) override;

private:
    enum class Part { profiles, commands, general };

    QWidget* sidebar(QWidget* parent);
    QWidget* profileBar();
    void partChanged(Part part);
    void refreshPart(Part part);
    void refreshProfiles();

    ConfigStore& config_;
    ProfileManager& profiles_;
    Platform& platform_;
    TakenElsewhere isTakenElsewhere_;
    std::set<Part> stale_;
    std::vector<Subscription> subscriptions_;

    QToolButton* profileMenu_ = nullptr;
    CommandListPanel* commands_ = nullptr;
    CommandDetail* detail_ = nullptr;
    GeneralPanel* general_ = nullptr;
    ProfileSheet* sheet_ = nullptr;
};

} // namespace panemark
