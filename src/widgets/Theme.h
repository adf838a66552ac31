#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QPalette>
#include <QString>

namespace panemark {

// The terminal look every window shares: green phosphor on near-black. Opaque sRGB constants;
// the roles: bg window background, raised buttons and steppers, sunken wells and menus, line
// rules and outlines, lineFaint faint separators, phosphor accent, focus and glow, text body,
// textBright emphasis and button labels, textDim labels, textFaint hints, onPhosphor text on a
// phosphor fill, warn and its washes for warnings.
namespace Theme {

inline const QColor bg{5, 8, 10};
inline const QColor bgGlow{10, 24, 18};
inline const QColor panelTop{8, 19, 13};
inline const QColor panelBottom{5, 11, 8};
inline const QColor raised{12, 28, 18};
inline const QColor sunken{4, 10, 7};
inline const QColor strip{10, 22, 16};
inline const QColor line{31, 122, 62};
inline const QColor lineFaint{20, 61, 34};
inline const QColor phosphor{57, 255, 20};
inline const QColor textBright{110, 255, 160};
inline const QColor text{189, 247, 207};
inline const QColor textDim{96, 165, 119};
inline const QColor textFaint{67, 144, 93};
inline const QColor onPhosphor{3, 18, 10};
inline const QColor marker{217, 255, 230};
inline const QColor warn{255, 176, 0};

// A colour at an opacity from 0 to 1.
QColor withOpacity(const QColor& color, double opacity);
QColor warnWash();
QColor warnRule();

// From `phosphor` at the leading edge to #21C24A at the trailing one, across a rectangle.
QLinearGradient phosphorBar(const QRectF& rect);
// From `phosphor` at the top to #16B53A at the bottom.
QLinearGradient cellSelected(const QRectF& rect);

// The widget palette of a window on the theme, for what Qt draws itself (text selection, tool
// tips, text fields): set on each of our windows, never on the application, whose palette
// keeps telling the desktop's own colours.
QPalette windowPalette();

} // namespace Theme

} // namespace panemark
