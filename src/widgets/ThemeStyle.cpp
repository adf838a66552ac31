#include "widgets/ThemeStyle.h"

#include "widgets/Theme.h"

namespace panemark {

namespace {

QString css(const QColor& color) {
    return color.alpha() == 255 ? color.name() : color.name(QColor::HexArgb);
}

} // namespace

QString ThemeStyle::text(const QColor& color) {
    return "color: " + css(color) + ";";
}

QString ThemeStyle::textOverNothing(const QColor& color) {
    return "color: " + css(color) + "; background: transparent;";
}

QString ThemeStyle::fill(const QColor& color) {
    return "background: " + css(color) + ";";
}

QString ThemeStyle::transparent() {
    return "background: transparent;";
}

QString ThemeStyle::menu() {
    return "QMenu { background: " + css(Theme::sunken) + "; color: " + css(Theme::text) +
           "; border: 1px solid " + css(Theme::line) +
           "; padding: 4px 0; } QMenu::item { padding: 4px 18px 4px 12px; }"
           "QMenu::item:selected { background: " +
           css(Theme::phosphor) + "; color: " + css(Theme::onPhosphor) +
           "; } QMenu::item:disabled { color: " + css(Theme::textFaint) +
           "; } QMenu::separator { height: 1px; background: " + css(Theme::lineFaint) +
           "; margin: 4px 0; }";
}

QString ThemeStyle::scrollBar() {
    return "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
           "QScrollBar::handle:vertical { background: " +
           css(Theme::withOpacity(Theme::phosphor, 0.55)) +
           "; border-radius: 2px; min-height: 24px; }"
           "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
           "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }";
}

QString ThemeStyle::transparentScrollArea() {
    return "QScrollArea { background: transparent; }" + scrollBar();
}

QString ThemeStyle::slider() {
    return "QSlider::groove:horizontal { height: 4px; background: " + css(Theme::sunken) +
           "; border: 1px solid " + css(Theme::line) +
           "; border-radius: 2px; } QSlider::sub-page:horizontal { background: " +
           css(Theme::line) +
           "; border-radius: 2px; } QSlider::handle:horizontal { width: 12px; "
           "margin: -5px 0; border-radius: 6px; background: " +
           css(Theme::phosphor) + "; }";
}

QString ThemeStyle::bareToolButton() {
    return "QToolButton { border: none; background: transparent; }";
}

QString ThemeStyle::bareMenuButton(const QColor* color) {
    const QString button = color ? "QToolButton { color: " + css(*color) +
                                       "; border: none; background: transparent; padding: 2px 0; }"
                                 : bareToolButton();
    return button + "QToolButton::menu-indicator { image: none; }";
}

QString ThemeStyle::toolbarButton() {
    return "QToolButton { background: " + css(Theme::raised) + "; border: 1px solid " +
           css(Theme::line) +
           "; border-radius: 4px; } QToolButton:disabled { background: " + css(Theme::sunken) +
           "; border-color: " + css(Theme::lineFaint) +
           "; } QToolButton::menu-indicator { image: none; }";
}

QString ThemeStyle::bareTextButton(const QColor& color) {
    return "QPushButton { color: " + css(color) +
           "; text-align: right; padding: 7px 12px; border: none; background: transparent; }";
}

QString ThemeStyle::boxedField(const QColor& border, const QString& padding) {
    return "QLineEdit { color: " + css(Theme::text) + "; background: " + css(Theme::sunken) +
           "; border: 1px solid " + css(border) + "; border-radius: 4px; padding: " + padding +
           "; }";
}

QString ThemeStyle::boxedFieldWithFocus(const QString& padding) {
    return boxedField(Theme::line, padding) + " QLineEdit:focus { border: 1px solid " +
           css(Theme::phosphor) + "; }";
}

QString ThemeStyle::inlineEditor() {
    return "QLineEdit { color: " + css(Theme::text) +
           "; background: transparent; selection-background-color: " + css(Theme::phosphor) +
           "; selection-color: " + css(Theme::onPhosphor) + "; }";
}

QString ThemeStyle::strip(const QString& objectName) {
    return "#" + objectName + " { background: " + css(Theme::strip) +
           "; border-bottom: 1px solid " + css(Theme::lineFaint) + "; }";
}

QString ThemeStyle::warningBox(const QString& objectName) {
    return "#" + objectName + " { background: " + css(Theme::warnWash()) + "; border: 1px solid " +
           css(Theme::warnRule()) + "; border-radius: 4px; }";
}

QString ThemeStyle::stepperFrame(const QString& objectName) {
    return "#" + objectName + " { background: " + css(Theme::raised) + "; border: 1px solid " +
           css(Theme::withOpacity(Theme::line, 0.8)) + "; border-radius: 4px; }";
}

} // namespace panemark
