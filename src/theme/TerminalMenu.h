#pragma once

#include "model/LabeledChoice.h"
#include "theme/Symbols.h"
#include "theme/TerminalFont.h"
#include "theme/Theme.h"

#include <QMenu>
#include <QToolButton>
#include <functional>

namespace panemark {

// A pop-up menu of every case of a choice, in the choice's order, on a sunken face that shows
// the selection's label and an up-down chevron. Choosing calls select; the owner decides what
// the selection then is (the menu does not change it itself).
template <LabeledChoice Choice> class TerminalMenu : public QToolButton {
public:
    TerminalMenu(Choice selection, int width, std::function<void(Choice)> select,
                 QWidget* parent = nullptr)
        : QToolButton(parent), select_(std::move(select)) {
        setFixedWidth(width);
        setPopupMode(QToolButton::InstantPopup);
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        setLayoutDirection(Qt::RightToLeft); // the chevron at the trailing edge
        setFont(TerminalFont::at(12));
        setIcon(
            QIcon(Symbols::pixmap(Symbols::Name::chevronUpDown, QSizeF(9, 9), Theme::textDim, 2)));
        setStyleSheet("QToolButton { color: " + Theme::text.name() +
                      "; background: " + Theme::sunken.name() + "; border: 1px solid " +
                      Theme::withOpacity(Theme::line, 0.8).name(QColor::HexArgb) +
                      "; border-radius: 4px; padding: 6px 10px; text-align: left; }"
                      "QToolButton::menu-indicator { image: none; }");
        auto* menu = new QMenu(this);
        for (const Choice choice : Choice::allCases()) {
            QAction* action = menu->addAction(QString::fromUtf8(std::string(choice.label())));
            QObject::connect(action, &QAction::triggered, this, [this, choice] {
                if (select_) {
                    select_(choice);
                }
            });
        }
        setMenu(menu);
        setSelection(selection);
    }

    // Shows another selection on the face.
    void setSelection(Choice selection) {
        setText(QString::fromUtf8(std::string(selection.label())));
    }

private:
    std::function<void(Choice)> select_;
};

} // namespace panemark
