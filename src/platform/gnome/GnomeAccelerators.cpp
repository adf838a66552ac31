#include "platform/gnome/GnomeAccelerators.h"

#include <map>

namespace panemark::GnomeAccelerators {

namespace {

// Key symbol names by classic code, for the keys whose name is not their printed character.
const std::map<std::uint32_t, const char*>& namedKeys() {
    static const std::map<std::uint32_t, const char*> keys{
        {36, "Return"},    {48, "Tab"},          {49, "space"},       {51, "BackSpace"},
        {53, "Escape"},    {114, "Insert"},      {115, "Home"},       {116, "Page_Up"},
        {117, "Delete"},   {119, "End"},         {121, "Page_Down"},  {123, "Left"},
        {124, "Right"},    {125, "Down"},        {126, "Up"},         {24, "equal"},
        {27, "minus"},     {30, "bracketright"}, {33, "bracketleft"}, {39, "apostrophe"},
        {41, "semicolon"}, {42, "backslash"},    {43, "comma"},       {44, "slash"},
        {47, "period"},    {50, "grave"},        {65, "KP_Decimal"},  {67, "KP_Multiply"},
        {69, "KP_Add"},    {75, "KP_Divide"},    {76, "KP_Enter"},    {78, "KP_Subtract"},
        {81, "KP_Equal"},  {82, "KP_0"},         {83, "KP_1"},        {84, "KP_2"},
        {85, "KP_3"},      {86, "KP_4"},         {87, "KP_5"},        {88, "KP_6"},
        {89, "KP_7"},      {91, "KP_8"},         {92, "KP_9"},
    };
    return keys;
}

std::optional<std::string> keyName(std::uint32_t classicCode) {
    if (const auto named = namedKeys().find(classicCode); named != namedKeys().end()) {
        return std::string(named->second);
    }
    const std::string name = Shortcut::keyName(classicCode);
    if (name.size() == 1 &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
        return std::string(
            1, static_cast<char>(name[0] >= 'A' && name[0] <= 'Z' ? name[0] - 'A' + 'a' : name[0]));
    }
    if (name.size() >= 2 && name[0] == 'F' &&
        name.find_first_not_of("0123456789", 1) == std::string::npos) {
        return name; // F1 … F20
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> acceleratorFor(const Shortcut& shortcut) {
    const std::optional<std::string> key = keyName(shortcut.keyCode);
    if (!key) {
        return std::nullopt;
    }
    std::string accelerator;
    if (shortcut.modifiers & Shortcut::controlMask) {
        accelerator += "<Control>";
    }
    if (shortcut.modifiers & Shortcut::optionMask) {
        accelerator += "<Alt>";
    }
    if (shortcut.modifiers & Shortcut::shiftMask) {
        accelerator += "<Shift>";
    }
    if (shortcut.modifiers & Shortcut::commandMask) {
        accelerator += "<Super>";
    }
    return accelerator + *key;
}

} // namespace panemark::GnomeAccelerators
