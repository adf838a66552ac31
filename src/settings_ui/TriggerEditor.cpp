#include "settings_ui/TriggerEditor.h"

#include "profiles/ProfileManager.h"
#include "widgets/SectionHeader.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalCheckBox.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace panemark {

namespace {

QLabel* dimText(const QString& content, QWidget* parent) {
    auto* label = new QLabel(content, parent);
    label->setFont(TerminalFont::at(11));
    label->setStyleSheet(ThemeStyle::text(Theme::textDim));
    label->setWordWrap(true);
    return label;
}

} // namespace

TriggerEditor::TriggerEditor(ProfileManager& profiles, const Uuid& profileID,
                             std::vector<DisplayWatcher::Display> displays,
                             std::vector<KeyboardDevice> keyboards, QWidget* parent)
    : TerminalDialog(parent), profiles_(profiles), profileID_(profileID),
      displays_(std::move(displays)), keyboards_(std::move(keyboards)) {
    if (const std::optional<Profile> profile = profiles.snapshot(profileID)) {
        trigger_ = profile->trigger;
    }
    setWindowTitle("Auto-switch Trigger");
    setWindowModality(Qt::WindowModal);
    setPalette(Theme::windowPalette());
    setFixedSize(420, 460);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(16);
    column->addWidget(new SectionHeader("AUTO-SWITCH TRIGGER", {}, this));
    column->addWidget(dimText("Panemark switches to this profile automatically when the "
                              "conditions below are all true. Leave everything unchecked for "
                              "manual-only.",
                              this));
    noExternalDisplay_ =
        new TerminalCheckBox("No external display connected (laptop alone)", 12, Theme::text, this);
    QObject::connect(noExternalDisplay_, &QCheckBox::toggled, this,
                     [this](bool on) { trigger_.requireNoExternalDisplay = on; });
    column->addWidget(noExternalDisplay_);

    auto* displaysBlock = new QVBoxLayout;
    displaysBlock->setSpacing(6);
    displaysBlock->addWidget(new SectionHeader("CONNECTED DISPLAYS", {}, this));
    if (displays_.empty()) {
        displaysBlock->addWidget(dimText("No external display connected right now.", this));
    }
    for (const DisplayWatcher::Display& display : displays_) {
        auto* box =
            new TerminalCheckBox(QString::fromStdString(display.name), 12, Theme::text, this);
        const std::string uuid = display.uuid;
        QObject::connect(box, &QCheckBox::clicked, this,
                         [this, uuid](bool on) { setDisplayTicked(uuid, on); });
        displaysBlock->addWidget(box);
        displayBoxes_.push_back(box);
    }
    column->addLayout(displaysBlock);

    auto* keyboardsBlock = new QVBoxLayout;
    keyboardsBlock->setSpacing(6);
    keyboardsBlock->addWidget(new SectionHeader("CONNECTED KEYBOARD", {}, this));
    if (keyboards_.empty()) {
        keyboardsBlock->addWidget(dimText("No external keyboard detected right now.", this));
    }
    for (const KeyboardDevice& keyboard : keyboards_) {
        auto* box =
            new TerminalCheckBox(QString::fromStdString(keyboard.name), 12, Theme::text, this);
        const HIDDeviceID id{keyboard.vendorID, keyboard.productID};
        QObject::connect(box, &QCheckBox::clicked, this,
                         [this, id](bool on) { setKeyboardTicked(id, on); });
        keyboardsBlock->addWidget(box);
        keyboardBoxes_.push_back(box);
    }
    column->addLayout(keyboardsBlock);
    column->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new TerminalButton("Cancel", false, this);
    auto* saveButton = new TerminalButton("Save", true, this);
    QObject::connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    QObject::connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    saveButton->setDefault(true); // Return saves, as the highlighted button says; Escape cancels
    buttons->addWidget(cancel);
    buttons->addWidget(saveButton);
    column->addLayout(buttons);
    showTicks();
}

bool TriggerEditor::isDisplayTicked(const std::string& uuid) const {
    return std::find(trigger_.displayUUIDs.begin(), trigger_.displayUUIDs.end(), uuid) !=
           trigger_.displayUUIDs.end();
}

void TriggerEditor::setDisplayTicked(const std::string& uuid, bool ticked) {
    if (ticked && !isDisplayTicked(uuid)) {
        trigger_.displayUUIDs.push_back(uuid); // in the order ticked
    } else if (!ticked) {
        std::erase(trigger_.displayUUIDs, uuid);
    }
    showTicks();
}

bool TriggerEditor::isKeyboardTicked(const HIDDeviceID& id) const {
    return trigger_.keyboard == id;
}

void TriggerEditor::setKeyboardTicked(const HIDDeviceID& id, bool ticked) {
    if (ticked) {
        trigger_.keyboard = id; // one keyboard at most: any other is replaced
    } else {
        trigger_.keyboard.reset();
    }
    showTicks();
}

void TriggerEditor::showTicks() {
    const QSignalBlocker block(noExternalDisplay_);
    noExternalDisplay_->setChecked(trigger_.requireNoExternalDisplay);
    for (std::size_t i = 0; i < displayBoxes_.size(); ++i) {
        displayBoxes_[i]->setChecked(isDisplayTicked(displays_[i].uuid));
    }
    // Two keyboards of one model are one identity: their boxes always agree.
    for (std::size_t i = 0; i < keyboardBoxes_.size(); ++i) {
        keyboardBoxes_[i]->setChecked(
            isKeyboardTicked({keyboards_[i].vendorID, keyboards_[i].productID}));
    }
}

void TriggerEditor::save() {
    profiles_.setTrigger(trigger_, profileID_); // a profile deleted meanwhile is ignored
    accept();
}

} // namespace panemark
