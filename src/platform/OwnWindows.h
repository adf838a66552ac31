#pragma once

#include <array>
#include <string_view>

namespace panemark {

// The one rule by which Panemark's own windows are told apart, here and in the compositor
// helpers that get these values written in: the windows of Panemark's process (its Wayland
// app id) with these titles. The palette and the splash card are shown and never focused, so
// the window the user works in keeps the keyboard; the palette is put where the pointer is.
namespace OwnWindows {

inline constexpr std::string_view appId = "panemark";
inline constexpr std::string_view paletteTitle = "Panemark Palette";
inline constexpr std::string_view splashTitle = "Panemark";
// Shown, never focused.
inline constexpr std::array<std::string_view, 2> quietTitles{paletteTitle, splashTitle};

} // namespace OwnWindows

} // namespace panemark
