#pragma once

#include "hardware/DisplayWatcher.h"
#include "model/Uuid.h"
#include "platform/KeyboardDevices.h"
#include "profiles/ProfileTrigger.h"
#include "widgets/TerminalDialog.h"

#include <vector>

namespace panemark {

class ProfileManager;
class TerminalCheckBox;

// When a profile is to be chosen by itself: no external display, particular displays, a
// particular keyboard, among what is connected as the editor opens. Nothing is stored until
// Save; displays of the trigger that are not connected now stay in it untouched.
class TriggerEditor : public TerminalDialog {
public:
    TriggerEditor(ProfileManager& profiles, const Uuid& profileID,
                  std::vector<DisplayWatcher::Display> displays,
                  std::vector<KeyboardDevice> keyboards, QWidget* parent = nullptr);

    const ProfileTrigger& workingCopy() const { return trigger_; }
    bool isDisplayTicked(const std::string& uuid) const;
    void setDisplayTicked(const std::string& uuid, bool ticked);
    bool isKeyboardTicked(const HIDDeviceID& id) const;
    void setKeyboardTicked(const HIDDeviceID& id, bool ticked);
    void save();

    TerminalCheckBox* noExternalDisplayBox() const { return noExternalDisplay_; }
    const std::vector<TerminalCheckBox*>& displayBoxes() const { return displayBoxes_; }
    const std::vector<TerminalCheckBox*>& keyboardBoxes() const { return keyboardBoxes_; }

private:
    void showTicks();

    ProfileManager& profiles_;
    Uuid profileID_;
    ProfileTrigger trigger_;
    std::vector<DisplayWatcher::Display> displays_;
    std::vector<KeyboardDevice> keyboards_;
    TerminalCheckBox* noExternalDisplay_ = nullptr;
    std::vector<TerminalCheckBox*> displayBoxes_;
    std::vector<TerminalCheckBox*> keyboardBoxes_;
};

} // namespace panemark
