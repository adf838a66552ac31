#include "model/Shortcut.h"

#include <array>
#include <string_view>

namespace panemark {

namespace {

// Names of the key codes below 127; empty where a code has no name of its own.
constexpr std::array<std::string_view, 127> keyNames = [] {
    std::array<std::string_view, 127> names{};
    const std::pair<int, std::string_view> named[] = {
        {0, "A"},     {1, "S"},        {2, "D"},    {3, "F"},    {4, "H"},     {5, "G"},
        {6, "Z"},     {7, "X"},        {8, "C"},    {9, "V"},    {11, "B"},    {12, "Q"},
        {13, "W"},    {14, "E"},       {15, "R"},   {16, "Y"},   {17, "T"},    {18, "1"},
        {19, "2"},    {20, "3"},       {21, "4"},   {22, "6"},   {23, "5"},    {24, "="},
        {25, "9"},    {26, "7"},       {27, "-"},   {28, "8"},   {29, "0"},    {30, "]"},
        {31, "O"},    {32, "U"},       {33, "["},   {34, "I"},   {35, "P"},    {37, "L"},
        {38, "J"},    {39, "'"},       {40, "K"},   {41, ";"},   {42, "\\"},   {43, ","},
        {44, "/"},    {45, "N"},       {46, "M"},   {47, "."},   {50, "`"},    {36, "↩"},
        {48, "⇥"},    {49, "Space"},   {51, "⌫"},   {53, "⎋"},   {96, "F5"},   {97, "F6"},
        {98, "F7"},   {99, "F3"},      {100, "F8"}, {101, "F9"}, {103, "F11"}, {109, "F10"},
        {111, "F12"}, {114, "Insert"}, {115, "↖"},  {116, "⇞"},  {117, "⌦"},   {118, "F4"},
        {119, "↘"},   {120, "F2"},     {121, "⇟"},  {122, "F1"}, {123, "←"},   {124, "→"},
        {125, "↓"},   {126, "↑"},
    };
    for (const auto& [code, name] : named) {
        names[static_cast<std::size_t>(code)] = name;
    }
    return names;
}();

} // namespace

std::optional<Shortcut> Shortcut::fromKeyEvent(const KeyEvent& event) {
    if (event.type != KeyEvent::Type::keyDown) {
        return std::nullopt;
    }
    std::uint32_t modifiers = 0;
    if (event.flags & KeyEvent::control) {
        modifiers |= controlMask;
    }
    if (event.flags & KeyEvent::option) {
        modifiers |= optionMask;
    }
    if (event.flags & KeyEvent::shift) {
        modifiers |= shiftMask;
    }
    if (event.flags & KeyEvent::command) {
        modifiers |= commandMask;
    }
    if ((modifiers & (controlMask | optionMask | commandMask)) == 0) {
        return std::nullopt;
    }
    return Shortcut{event.keyCode, modifiers};
}

std::string Shortcut::displayString() const {
    std::string text;
    if (modifiers & controlMask) {
        text += "⌃";
    }
    if (modifiers & optionMask) {
        text += "⌥";
    }
    if (modifiers & shiftMask) {
        text += "⇧";
    }
    if (modifiers & commandMask) {
        text += "⌘";
    }
    return text + keyName(keyCode);
}

std::string Shortcut::keyName(std::uint32_t keyCode) {
    if (keyCode < keyNames.size() && !keyNames[keyCode].empty()) {
        return std::string(keyNames[keyCode]);
    }
    return "key" + std::to_string(keyCode);
}

} // namespace panemark
