#include "platform/kwin/KdeKeyCodes.h"

#include "platform/evdev/EvdevKeyCodes.h"
#include "platform/xkb/KeyboardLayouts.h"

#include <QChar>
#include <Qt>
#include <map>
#include <optional>
#include <string>

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

std::optional<int> specialKeyFor(std::uint32_t classicCode) {
    if (const auto special = specialKeys().find(classicCode); special != specialKeys().end()) {
        return special->second;
    }
    return std::nullopt;
}

// The key as the standard layout prints it: Qt names a key by its upper-case form, which for
// the rest of ASCII is the character itself.
std::optional<int> usKeyFor(std::uint32_t classicCode) {
    const std::string name = Shortcut::keyName(classicCode);
    if (name.size() == 1 && name[0] > ' ' && name[0] < 0x7f) {
        const char c = name[0];
        return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
    }
    return std::nullopt;
}

// X's dead keys (dead_grave … dead_horn) and Qt's are in the same order.
constexpr std::uint32_t firstDeadSymbol = 0xfe50;
constexpr std::uint32_t lastDeadSymbol = 0xfe62;

// The Qt key Qt-based desktops make of a key symbol.
std::optional<int> qtKeyFor(std::uint32_t symbol) {
    if (KeyboardLayouts::isLatin1(symbol)) {
        return static_cast<int>(KeyboardLayouts::upperCase(symbol));
    }
    if (symbol >= firstDeadSymbol && symbol <= lastDeadSymbol) {
        return static_cast<int>(Qt::Key_Dead_Grave) + static_cast<int>(symbol - firstDeadSymbol);
    }
    const char32_t character = KeyboardLayouts::character(symbol);
    if (character < 0x20 || character > 0x10ffff) {
        return std::nullopt;
    }
    if (QChar::isDigit(character)) {
        return static_cast<int>(Qt::Key_0) + QChar::digitValue(character);
    }
    return static_cast<int>(QChar::toUpper(character));
}

int modifierBits(const Shortcut& shortcut, bool withShift) {
    int bits = 0;
    if (shortcut.modifiers & Shortcut::controlMask) {
        bits |= static_cast<int>(Qt::ControlModifier);
    }
    if (shortcut.modifiers & Shortcut::optionMask) {
        bits |= static_cast<int>(Qt::AltModifier);
    }
    if (withShift && (shortcut.modifiers & Shortcut::shiftMask)) {
        bits |= static_cast<int>(Qt::ShiftModifier);
    }
    if (shortcut.modifiers & Shortcut::commandMask) {
        bits |= static_cast<int>(Qt::MetaModifier);
    }
    return bits;
}

std::string layoutShown(const KeyboardLayouts& layouts) {
    const std::string name = layouts.layoutName(layouts.active());
    return name.empty() ? "the active keyboard layout" : "the keyboard layout \"" + name + "\"";
}

Result<std::vector<int>> onLayout(const Shortcut& shortcut, std::uint32_t evdev,
                                  const KeyboardLayouts& layouts) {
    const KeyboardLayouts::Held held{(shortcut.modifiers & Shortcut::shiftMask) != 0,
                                     (shortcut.modifiers & Shortcut::controlMask) != 0,
                                     (shortcut.modifiers & Shortcut::optionMask) != 0,
                                     (shortcut.modifiers & Shortcut::commandMask) != 0};
    const KeyboardLayouts::Typed typed = layouts.typed(evdev, held);
    const std::optional<int> key = qtKeyFor(typed.symbol);
    if (!key) {
        return Error{"types nothing on " + layoutShown(layouts)};
    }
    // KWin leaves out a Shift that chose the symbol, unless the symbol is a letter: Shift+1 is
    // read as "!", Shift+A as Shift+A.
    const bool shiftChoseIt =
        typed.shiftConsumed && !typed.otherConsumed && !QChar::isLetter(char32_t(*key));
    const int modifiers = modifierBits(shortcut, !shiftChoseIt);
    std::vector<int> combinations{*key | modifiers};
    if (held.control && !KeyboardLayouts::isLatin1(typed.symbol)) {
        if (const auto latin = layouts.latinFallback(evdev, held)) {
            combinations.push_back(*qtKeyFor(*latin) | modifiers);
        }
    }
    return combinations;
}

} // namespace

Result<std::vector<int>> combinationsFor(const Shortcut& shortcut, const KeyboardLayouts* layouts) {
    if (const std::optional<int> special = specialKeyFor(shortcut.keyCode)) {
        return std::vector<int>{*special | modifierBits(shortcut, true)};
    }
    const std::optional<std::uint32_t> evdev = EvdevKeyCodes::evdevFor(shortcut.keyCode);
    if (layouts && evdev) {
        return onLayout(shortcut, *evdev, *layouts);
    }
    if (const std::optional<int> key = usKeyFor(shortcut.keyCode)) {
        return std::vector<int>{*key | modifierBits(shortcut, true)};
    }
    return Error{"has a key KDE cannot bind"};
}

} // namespace panemark::KdeKeyCodes
