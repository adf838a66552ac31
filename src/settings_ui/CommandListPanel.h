#pragma once

#include "base/Cancellable.h"
#include "model/Uuid.h"

#include <QWidget>
#include <optional>
#include <vector>

class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace panemark {

class CommandRow;
class ProfileManager;
class SectionHeader;

// The settings window's list of the active profile's commands, with its header and the toolbar
// that adds, deletes and duplicates them, and the selection. A change of the list touches only
// the rows whose command changed; while the window is hidden it waits for the next refresh.
// Its parts carry object names ("commandListHeader", "addCommandButton", …) for tests.
class CommandListPanel : public QWidget {
    Q_OBJECT

public:
    explicit CommandListPanel(ProfileManager& profiles, QWidget* parent = nullptr);

    std::optional<Uuid> selection() const { return selection_; }
    void select(std::optional<Uuid> id);
    // Calls one of the manager's add operations and selects what it added.
    void addAndSelect(void (ProfileManager::*add)());
    void deleteSelected();
    void duplicateSelected();
    // Brings the rows in line with the list.
    void refresh();

    const std::vector<CommandRow*>& rows() const { return rows_; }

Q_SIGNALS:
    // The selection changed (to a command, or to none).
    void selectionChanged();

private:
    QWidget* toolbar();
    void refreshToolbar();
    void revealSelectedRow();

    ProfileManager& profiles_;
    std::optional<Uuid> selection_;

    SectionHeader* header_ = nullptr;
    QScrollArea* list_ = nullptr;
    QWidget* listContent_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
    std::vector<CommandRow*> rows_;
    QToolButton* add_ = nullptr;
    QToolButton* delete_ = nullptr;
    QToolButton* duplicate_ = nullptr;
};

} // namespace panemark
