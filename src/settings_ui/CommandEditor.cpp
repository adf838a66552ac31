#include "settings_ui/CommandEditor.h"

#include "model/WideInt.h"
#include "settings_ui/GridPreview.h"
#include "settings_ui/ShortcutRecorder.h"
#include "widgets/Glow.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalDivider.h"
#include "widgets/TerminalFont.h"
#include "widgets/TerminalLabel.h"
#include "widgets/TerminalNumberField.h"
#include "widgets/TerminalStepper.h"
#include "widgets/TerminalTextField.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace panemark {

namespace {

constexpr int labelColumnWidth = 84;

QString qt(const std::string& value) {
    return QString::fromStdString(value);
}

} // namespace

CommandEditor::CommandEditor(CommandBinding binding,
                             std::function<bool(const Shortcut&)> isTakenElsewhere, QWidget* parent)
    : QWidget(parent), binding_(binding), isTakenElsewhere_(std::move(isTakenElsewhere)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* strip = new QWidget(this);
    strip->setObjectName("editTargetStrip");
    strip->setStyleSheet(ThemeStyle::strip("editTargetStrip"));
    auto* stripRow = new QHBoxLayout(strip);
    stripRow->setContentsMargins(18, 6, 18, 6);
    stripRow->addWidget(TerminalLabel::create(">_ EDIT_TARGET // CMD", 9, Theme::textDim, strip));
    stripRow->addStretch();
    stripRow->addWidget(TerminalLabel::create("STATUS: ARMED ▊", 9, Theme::textFaint, strip));
    outer->addWidget(strip);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setStyleSheet(ThemeStyle::transparentScrollArea());
    scroll->viewport()->setAutoFillBackground(false);
    content_ = new QWidget(scroll);
    content_->setAttribute(Qt::WA_TranslucentBackground);
    scroll->setWidget(content_);
    content_->setAutoFillBackground(false); // setWidget turned it on: let the window show
    outer->addWidget(scroll, 1);
    build();
}

CommandEditor::~CommandEditor() = default;

void CommandEditor::write(const ZoneCommand& command) {
    binding_.set(command);
    refresh();
}

void CommandEditor::build() {
    const ZoneCommand command = binding_.get();
    form_ = CommandEditing::formFor(command);
    // A new form: the old controls go, with the layout that held them.
    for (QWidget* child : content_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->hide();
        child->deleteLater();
    }
    delete content_->layout();
    title_ = subtitle_ = columnsLabel_ = rowsLabel_ = positionLabel_ = selectionDetail_ = nullptr;
    name_ = nullptr;
    recorder_ = nullptr;
    grid_ = nullptr;
    columns_ = rows_ = position_ = nullptr;
    order_ = nullptr;
    singleCell_ = nullptr;
    choices_.clear();
    width_ = height_ = nullptr;

    column_ = new QVBoxLayout(content_);
    column_->setContentsMargins(18, 18, 18, 18);
    column_->setSpacing(7); // every row of the grid form fits the window's default size
    column_->addWidget(header());
    switch (form_) {
    case CommandEditing::Form::grid:
        grid_ = new GridPreview(content_);
        QObject::connect(grid_, &GridPreview::spanChanged, this, [this](const GridSpan& span) {
            ZoneCommand changed = binding_.get();
            changed.colStart = span.colStart;
            changed.colEnd = span.colEnd;
            changed.rowStart = span.rowStart;
            changed.rowEnd = span.rowEnd;
            write(changed);
        });
        column_->addWidget(grid_, 0, Qt::AlignHCenter);
        column_->addWidget(comment("// Click a cell, or drag across cells to span a range."));
        column_->addWidget(new TerminalDivider(Theme::lineFaint, content_));
        addNameAndShortcut();
        break;
    case CommandEditing::Form::halfStep:
        column_->addWidget(comment("// Cuts the focused window to the chosen half of the screen, "
                                   "keeping its width; press again to expand to full width. The "
                                   "opposite command restores full height."));
        column_->addWidget(new TerminalDivider(Theme::lineFaint, content_));
        addHalfControls();
        addNameAndShortcut();
        break;
    case CommandEditing::Form::maximize:
        column_->addWidget(comment("// Fills the entire screen below the panels, edge-to-edge "
                                   "(ignores the gap) — without the window manager's full-screen "
                                   "mode, so the panels and other apps stay reachable."));
        column_->addWidget(new TerminalDivider(Theme::lineFaint, content_));
        addNameAndShortcut();
        break;
    case CommandEditing::Form::fixedSize:
        column_->addWidget(comment("// Resizes the focused window to an exact pixel size and "
                                   "centers it on the active screen — handy for recording demos "
                                   "at a fixed resolution."));
        column_->addWidget(new TerminalDivider(Theme::lineFaint, content_));
        addFixedSizeControls();
        addNameAndShortcut();
        break;
    }
    column_->addStretch();
    refresh();
}

QWidget* CommandEditor::header() {
    auto* block = new QWidget(content_);
    auto* lines = new QVBoxLayout(block);
    lines->setContentsMargins(0, 0, 0, 4);
    lines->setSpacing(2);
    title_ = TerminalLabel::create({}, 28, Theme::textBright, block);
    title_->setWordWrap(true);
    Glow::apply(*title_, Theme::phosphor, 6, 0.6);
    subtitle_ = TerminalLabel::create({}, 11, Theme::textDim, block);
    subtitle_->setWordWrap(true);
    lines->addWidget(title_);
    lines->addWidget(subtitle_);
    return block;
}

QWidget* CommandEditor::comment(const QString& content) {
    QLabel* label = TerminalLabel::create(content, 12, Theme::textDim, content_);
    label->setWordWrap(true);
    return label;
}

void CommandEditor::addRow(const QString& label, QWidget* control) {
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    QLabel* name = TerminalLabel::create(label, 12, Theme::textDim, content_);
    name->setFixedWidth(labelColumnWidth);
    row->addWidget(name, 0, Qt::AlignTop | Qt::AlignLeft);
    row->addWidget(control, 1, Qt::AlignLeft);
    column_->addLayout(row);
}

void CommandEditor::addNameAndShortcut() {
    name_ = new TerminalTextField(content_);
    name_->setMaximumWidth(430);
    name_->setMinimumWidth(240);
    QObject::connect(name_, &TerminalTextField::edited, this, [this](const QString& value) {
        ZoneCommand changed = binding_.get();
        changed.name = value.toStdString(); // kept as typed; a blank name shows the label
        write(changed);
    });
    if (form_ == CommandEditing::Form::grid) {
        addRow("Name", name_);
        addGridControls();
    } else {
        addRow("Name", name_);
    }
    recorder_ = new ShortcutRecorder(content_);
    recorder_->isTakenElsewhere = isTakenElsewhere_;
    QObject::connect(recorder_, &ShortcutRecorder::shortcutChanged, this,
                     [this](const std::optional<Shortcut>& shortcut) {
                         ZoneCommand changed = binding_.get();
                         changed.shortcut = shortcut;
                         write(changed);
                     });
    addRow("Shortcut", recorder_);
}

void CommandEditor::addGridControls() {
    const auto maximum = CommandEditing::maximumGrid;
    columnsLabel_ = TerminalLabel::create({}, 13, Theme::text, content_);
    columns_ = new TerminalStepper(columnsLabel_, {1, maximum}, 1, content_);
    QObject::connect(columns_, &TerminalStepper::valueChanged, this, [this](std::int64_t cols) {
        const ZoneCommand current = binding_.get();
        write(CommandEditing::withGrid(current, cols, current.rows));
    });
    addRow("Columns", columns_);
    rowsLabel_ = TerminalLabel::create({}, 13, Theme::text, content_);
    rows_ = new TerminalStepper(rowsLabel_, {1, maximum}, 1, content_);
    QObject::connect(rows_, &TerminalStepper::valueChanged, this, [this](std::int64_t rows) {
        const ZoneCommand current = binding_.get();
        write(CommandEditing::withGrid(current, current.cols, rows));
    });
    addRow("Rows", rows_);
    order_ =
        new TerminalMenu<Ordering>(binding_.get().ordering, 220, content_, TerminalFont::at(13));
    order_->onChoice(this, [this](Ordering ordering) {
        ZoneCommand changed = binding_.get();
        changed.ordering = ordering; // the cells stay; their numbers change
        write(changed);
    });
    addRow("Order", order_);

    auto* positionRow = new QWidget(content_);
    auto* row = new QHBoxLayout(positionRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    positionLabel_ = TerminalLabel::create({}, 13, Theme::text, positionRow);
    position_ = new TerminalStepper(positionLabel_, {1, 1}, 1, positionRow);
    QObject::connect(position_, &TerminalStepper::valueChanged, this, [this](std::int64_t n) {
        write(CommandEditing::withPosition(binding_.get(), n));
    });
    row->addWidget(position_);
    selectionDetail_ = TerminalLabel::create({}, 11, Theme::textDim, positionRow);
    row->addWidget(selectionDetail_);
    singleCell_ = new TerminalButton("Single cell", false, positionRow);
    singleCell_->setFont(TerminalFont::at(11));
    QObject::connect(singleCell_, &QPushButton::clicked, this,
                     [this] { write(CommandEditing::singleCell(binding_.get())); });
    row->addWidget(singleCell_);
    row->addStretch();
    addRow("Position", positionRow);
}

TerminalButton* CommandEditor::choiceButton(const QString& title, std::function<void()> choose) {
    auto* button = new TerminalButton(title, false, content_);
    QObject::connect(button, &QPushButton::clicked, this, std::move(choose));
    choices_.push_back(button);
    return button;
}

void CommandEditor::addHalfControls() {
    auto* edges = new QWidget(content_);
    auto* row = new QHBoxLayout(edges);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    for (const auto& [title, action] :
         {std::pair{"Top", HalfAction::top}, std::pair{"Bottom", HalfAction::bottom}}) {
        row->addWidget(choiceButton(title, [this, action = action] {
            ZoneCommand changed = binding_.get();
            changed.halfAction = action;
            write(changed);
        }));
    }
    row->addStretch();
    addRow("Edge", edges);
}

void CommandEditor::addFixedSizeControls() {
    auto* presets = new QWidget(content_);
    auto* row = new QHBoxLayout(presets);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    for (const CommandEditing::Preset& preset : CommandEditing::presets) {
        row->addWidget(choiceButton(preset.label, [this, preset] {
            ZoneCommand changed = binding_.get();
            changed.fixedSize = FixedSizeSpec{preset.width, preset.height};
            write(changed);
        }));
    }
    row->addStretch();
    addRow("Preset", presets);
    const NumberEditing::Range range{CommandEditing::minimumSize, CommandEditing::maximumSize};
    width_ = new TerminalNumberField(range, "px", content_);
    QObject::connect(width_, &TerminalNumberField::valueChanged, this, [this](std::int64_t value) {
        write(CommandEditing::withWidth(binding_.get(), value));
    });
    addRow("Width", width_);
    height_ = new TerminalNumberField(range, "px", content_);
    QObject::connect(height_, &TerminalNumberField::valueChanged, this, [this](std::int64_t value) {
        write(CommandEditing::withHeight(binding_.get(), value));
    });
    addRow("Height", height_);
}

void CommandEditor::refresh() {
    const ZoneCommand command = binding_.get();
    if (CommandEditing::formFor(command) != form_) {
        build();
        return;
    }
    title_->setText(qt(command.displayName()));
    subtitle_->setText("// " + qt(command.autoLabel()));
    name_->setText(qt(command.name));
    name_->setPlaceholder(qt(command.autoLabel()));
    recorder_->setShortcut(command.shortcut);
    if (grid_) {
        grid_->setGrid(command.gridSpan(), command.ordering);
        columns_->setValue(command.cols);
        columnsLabel_->setText(QString::number(command.cols) + " across");
        rows_->setValue(command.rows);
        rowsLabel_->setText(QString::number(command.rows) + " down");
        order_->setSelection(command.ordering);
        const std::int64_t cells =
            saturatedInt64(static_cast<WideInt>(std::max<std::int64_t>(command.cols, 1)) *
                           std::max<std::int64_t>(command.rows, 1));
        position_->setRange({1, cells});
        position_->setValue(CommandEditing::position(command));
        positionLabel_->setText(qt(CommandEditing::positionLabel(command)));
        selectionDetail_->setText(qt(CommandEditing::selectionDetail(command)));
        singleCell_->setVisible(!CommandEditing::isSingleCell(command));
    }
    if (form_ == CommandEditing::Form::halfStep && choices_.size() == 2) {
        choices_[0]->setProminent(command.halfAction == HalfAction::top);
        choices_[1]->setProminent(command.halfAction == HalfAction::bottom);
    }
    if (width_) {
        for (std::size_t i = 0; i < choices_.size(); ++i) {
            choices_[i]->setProminent(
                CommandEditing::isPreset(command, CommandEditing::presets[i]));
        }
        width_->setValue(CommandEditing::width(command));
        height_->setValue(CommandEditing::height(command));
    }
}

} // namespace panemark
