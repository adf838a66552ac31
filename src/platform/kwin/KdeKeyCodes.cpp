#include "platform/kwin/KdeKeyCodes.h"

#include <Qt>
#include <map>

namespace panemark::KdeKeyCodes {

namespace {

constexpr int keypad(Qt::Key key) {
    return static_cast<int>(key) | Qt::KeypadModifier;
}

// Keys whose Qt name is not their printed character, by classic code.
const std::map<std::uint32_t, int>& specialKeys() {
    static const std::map<std::uint32_t, int> keys{
        {36, Qt::Key_Return},
        {48, Qt::Key_Tab},
        {49, Qt::Key_Space},
        {51, Qt::Key_Backspace},
        {53, Qt::Key_Escape},
        {114, Qt::Key_Insert},
        {115, Qt::Key_Home},
        {116, Qt::Key_PageUp},
        {117, Qt::Key_Delete},
        {119, Qt::Key_End},
        {121, Qt::Key_PageDown},
        {123, Qt::Key_Left},
        {124, Qt::Key_Right},
        {125, Qt::Key_Down},
        {126, Qt::Key_Up},
        {122, Qt::Key_F1},
        {120, Qt::Key_F2},
        {99, Qt::Key_F3},
        {118, Qt::Key_F4},
        {96, Qt::Key_F5},
        {97, Qt::Key_F6},
        {98, Qt::Key_F7},
        {100, Qt::Key_F8},
        {101, Qt::Key_F9},
        {109, Qt::Key_F10},
        {103, Qt::Key_F11},
        {111, Qt::Key_F12},
        {105, Qt::Key_F13},
        {107, Qt::Key_F14},
        {113, Qt::Key_F15},
        {106, Qt::Key_F16},
        {64, Qt::Key_F17},
        {79, Qt::Key_F18},
        {80, Qt::Key_F19},
        {90, Qt::Key_F20},
        // The keypad: Qt tells its keys apart by a modifier bit.
        {82, keypad(Qt::Key_0)},
        {83, keypad(Qt::Key_1)},
        {84, keypad(Qt::Key_2)},
        {85, keypad(Qt::Key_3)},
        {86, keypad(Qt::Key_4)},
        {87, keypad(Qt::Key_5)},
        {88, keypad(Qt::Key_6)},
        {89, keypad(Qt::Key_7)},
        {91, keypad(Qt::Key_8)},
        {92, keypad(Qt::Key_9)},
        {65, keypad(Qt::Key_Period)},
        {67, keypad(Qt::Key_Asterisk)},
        {69, keypad(Qt::Key_Plus)},
        {75, keypad(Qt::Key_Slash)},
        {76, keypad(Qt::Key_Enter)},
        {78, keypad(Qt::Key_Minus)},
        {81, keypad(Qt::Key_Equal)},
    };
    return keys;
}

std::optional<int> keyFor(std::uint32_t classicCode) {
    if (const auto special = specialKeys().find(classicCode); special != specialKeys().end()) {
        return special->second;
    }
    // A printed character: Qt names the key by its upper-case form, which for the rest of
    // ASCII is the character itself.
    const std::string name = Shortcut::keyName(classicCode);
    if (name.size() == 1 && name[0] > ' ' && name[0] < 0x7f) {
        const char c = name[0];
        return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
    }
    return std::nullopt;
}

} // namespace

std::optional<int> combinationFor(const Shortcut& shortcut) {
    const std::optional<int> key = keyFor(shortcut.keyCode);
    if (!key) {
        return std::nullopt;
    }
    int combination = *key;
    if (shortcut.modifiers & Shortcut::controlMask) {
        combination |= static_cast<int>(Qt::ControlModifier);
    }
    if (shortcut.modifiers & Shortcut::optionMask) {
        combination |= static_cast<int>(Qt::AltModifier);
    }
    if (shortcut.modifiers & Shortcut::shiftMask) {
        combination |= static_cast<int>(Qt::ShiftModifier);
    }
    if (shortcut.modifiers & Shortcut::commandMask) {
        combination |= static_cast<int>(Qt::MetaModifier);
    }
    return combination;
}

} // namespace panemark::KdeKeyCodes
