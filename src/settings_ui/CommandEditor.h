#pragma once

#include "settings_ui/CommandBinding.h"
#include "settings_ui/CommandEditing.h"
#include "widgets/TerminalMenu.h"

#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QVBoxLayout;

namespace panemark {

class GridPreview;
class ShortcutRecorder;
class TerminalButton;
class TerminalNumberField;
class TerminalStepper;
class TerminalTextField;

// The right column of the settings window: one command, in the form of its kind (grid,
// half-step, maximize, fixed size). Every control writes the whole command through the binding
// at once; there is no Save.
class CommandEditor : public QWidget {
public:
    CommandEditor(CommandBinding binding, std::function<bool(const Shortcut&)> isTakenElsewhere,
                  QWidget* parent = nullptr);
    ~CommandEditor() override;

    // Shows the command as it stands now (after any change, from here or elsewhere).
    void refresh();
    const Uuid& commandId() const { return binding_.id(); }
    CommandEditing::Form form() const { return form_; }

    // The controls, for tests; those of other forms are null.
    QLabel* title() const { return title_; }
    QLabel* subtitle() const { return subtitle_; }
    TerminalTextField* nameField() const { return name_; }
    ShortcutRecorder* recorder() const { return recorder_; }
    GridPreview* grid() const { return grid_; }
    TerminalStepper* columns() const { return columns_; }
    TerminalStepper* rows() const { return rows_; }
    TerminalStepper* position() const { return position_; }
    QLabel* positionLabel() const { return positionLabel_; }
    QLabel* selectionDetail() const { return selectionDetail_; }
    TerminalButton* singleCellButton() const { return singleCell_; }
    const std::vector<TerminalButton*>& choiceButtons() const { return choices_; }
    TerminalNumberField* widthField() const { return width_; }
    TerminalNumberField* heightField() const { return height_; }

private:
    void build();
    QWidget* header();
    QWidget* comment(const QString& text);
    void addRow(const QString& label, QWidget* control);
    void addGridControls();
    void addHalfControls();
    void addFixedSizeControls();
    void addNameAndShortcut();
    TerminalButton* choiceButton(const QString& title, std::function<void()> choose);
    void write(const ZoneCommand& command);

    CommandBinding binding_;
    std::function<bool(const Shortcut&)> isTakenElsewhere_;
    CommandEditing::Form form_ = CommandEditing::Form::grid;
    QWidget* content_ = nullptr;
    QVBoxLayout* column_ = nullptr;

    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    TerminalTextField* name_ = nullptr;
    ShortcutRecorder* recorder_ = nullptr;
    GridPreview* grid_ = nullptr;
    TerminalStepper* columns_ = nullptr;
    QLabel* columnsLabel_ = nullptr;
    TerminalStepper* rows_ = nullptr;
    QLabel* rowsLabel_ = nullptr;
    TerminalMenu<Ordering>* order_ = nullptr;
    TerminalStepper* position_ = nullptr;
    QLabel* positionLabel_ = nullptr;
    QLabel* selectionDetail_ = nullptr;
    TerminalButton* singleCell_ = nullptr;
    std::vector<TerminalButton*> choices_;
    TerminalNumberField* width_ = nullptr;
    TerminalNumberField* height_ = nullptr;
};

} // namespace panemark
