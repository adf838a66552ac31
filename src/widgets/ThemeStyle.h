#pragma once

#include <QColor>
#include <QString>

namespace panemark {

// Every style sheet of the theme, built from its colours in this one place: a colour changed in
// Theme changes every control that shows it. Widgets pick theirs by what they are.
class ThemeStyle {
public:
    // Labels and text fields: text in a colour, over the window or over nothing at all.
    static QString text(const QColor& color);
    static QString textOverNothing(const QColor& color);
    // A plain area of colour (rules, dividers).
    static QString fill(const QColor& color);
    static QString transparent();

    static QString menu();
    static QString scrollBar();
    // A scroll area that shows what is behind it, with the theme's scroll bar.
    static QString transparentScrollArea();
    static QString slider();

    // A button that is only its icon or text: no frame, no fill.
    static QString bareToolButton();
    // The same, opening a menu without the menu arrow; in a colour, padded, when given one.
    static QString bareMenuButton(const QColor* color = nullptr);
    // An outlined tool button of a toolbar, dimmed while disabled.
    static QString toolbarButton();
    // A flat push button with its label at the right.
    static QString bareTextButton(const QColor& color);

    // A text field in a well: outlined in `border`, or in the line colour and phosphor while it
    // has the focus.
    static QString boxedField(const QColor& border, const QString& padding);
    static QString boxedFieldWithFocus(const QString& padding);
    // An editor without a frame of its own, selecting in phosphor.
    static QString inlineEditor();

    // Named boxes: the widget's object name, and what it is drawn as.
    static QString strip(const QString& objectName);
    static QString warningBox(const QString& objectName);
    static QString stepperFrame(const QString& objectName);
};

} // namespace panemark
