#pragma once

#include "model/Shortcut.h"
#include "model/Uuid.h"

#include <QWidget>
#include <functional>
#include <optional>

class QVBoxLayout;

namespace panemark {

class CommandEditor;
class ProfileManager;

// The right-hand side of the settings window: the editor of the selected command, or a
// placeholder when none is selected. The editor is kept while the same command stays selected
// and only refreshes its controls, so typing in its name field never loses the focus.
// Object names: "commandDetail", and within it "commandEditor" or "commandPlaceholder".
class CommandDetail : public QWidget {
    Q_OBJECT

public:
    CommandDetail(ProfileManager& profiles, std::function<bool(const Shortcut&)> isTakenElsewhere,
                  QWidget* parent = nullptr);

    // Shows the command with this id, or the placeholder when there is none such.
    void showCommand(std::optional<Uuid> id);
    // Shows the selected command as it stands now.
    void refresh() { showCommand(shown_); }

    CommandEditor* editor() const { return editor_; }

private:
    void showPlaceholder();

    ProfileManager& profiles_;
    std::function<bool(const Shortcut&)> isTakenElsewhere_;
    std::optional<Uuid> shown_;
    QVBoxLayout* layout_ = nullptr;
    CommandEditor* editor_ = nullptr;
    QWidget* placeholder_ = nullptr;
};

} // namespace panemark
