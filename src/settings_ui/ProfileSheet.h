#pragma once

#include "base/Cancellable.h"
#include "model/Uuid.h"
#include "profiles/ProfileManager.h"
#include "widgets/TerminalDialog.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QVBoxLayout;

namespace panemark {

class Platform;
class ProfileRow;
class TerminalAlert;
class TriggerEditor;

// "Manage Profiles…": every profile in the user's order, to activate, rename in place,
// duplicate, reorder by dragging, export, import, create and delete, and to open a profile's
// trigger editor. Every change goes straight to the profile manager.
class ProfileSheet : public TerminalDialog {
public:
    // Where files go and come from; by default the desktop's file dialogs. None: cancelled.
    struct FileChoosers {
        std::function<std::optional<std::string>(const QString& offeredName)> exportPath;
        std::function<std::optional<std::string>()> importPath;
    };

    ProfileSheet(ProfileManager& profiles, Platform& platform, QWidget* parent = nullptr);
    ~ProfileSheet() override;

    FileChoosers choosers;

    // Ids are taken by value: the lists they may come from change on the way.
    void beginRename(Uuid id);
    void commitRename(Uuid id, const QString& text);
    void cancelRename();
    std::optional<Uuid> renaming() const { return renamingID_; }
    // A new profile, active; the sheet closes. A blank name is "New Profile".
    void create(const QString& name, ProfileManager::NewProfileSeed seed);
    void askNewProfile();
    void askDelete(Uuid id);
    void exportProfile(Uuid id);
    void importProfile();
    void editTrigger(Uuid id);
    // A drop of the row at `from` before the row at `offset` (the list's length: at the end).
    void dropRow(std::size_t from, std::size_t offset);

    std::vector<ProfileRow*> rows() const { return rows_; }
    // The alert or trigger editor on show now, for tests.
    TerminalAlert* alert() const { return alert_; }
    TriggerEditor* triggerEditor() const { return triggerEditor_; }
    void refresh();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Carries out what a row asks for the profile it shows.
    void follow(ProfileRow* row, Uuid id);
    TerminalAlert* showAlert(TerminalAlert* alert);
    void askName(ProfileManager::NewProfileSeed seed);
    std::size_t dropOffsetAt(int y) const;

    ProfileManager& profiles_;
    Platform& platform_;
    std::optional<Uuid> renamingID_;
    QString renameText_;
    QWidget* listContent_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
    std::vector<ProfileRow*> rows_;
    TerminalAlert* alert_ = nullptr;
    TriggerEditor* triggerEditor_ = nullptr;
    std::vector<Subscription> subscriptions_;
};

} // namespace panemark
