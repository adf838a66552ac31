#pragma once

#include "model/LabeledChoice.h"
#include "widgets/LabeledControl.h"
#include "widgets/Symbols.h"
#include "widgets/TerminalFont.h"
#include "widgets/TerminalMenuButton.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QToolButton>
#include <vector>

namespace panemark {

// A pop-up menu of every case of a choice, in the choice's order, on a sunken face that shows
// the selection's label and an up-down chevron. Choosing emits `chosen`; the owner decides what
// the selection then is (the menu does not change it itself).
template <LabeledChoice Choice>
class TerminalMenu : public TerminalMenuButton, public LabeledControl {
public:
    TerminalMenu(Choice selection, int width, QWidget* parent = nullptr,
                 const QFont& font = TerminalFont::at(12))
        : TerminalMenuButton(parent) {
        setFixedWidth(width);
        setPopupMode(QToolButton::InstantPopup);
        setFont(font);
        setCursor(Qt::PointingHandCursor);
        auto* menu = new QMenu(this);
        menu->setFont(font);
        menu->setStyleSheet(ThemeStyle::menu());
        for (const Choice choice : Choice::allCases()) {
            QAction* action = menu->addAction(QString::fromUtf8(std::string(choice.label())));
            const int index = static_cast<int>(cases_.size());
            cases_.push_back(choice);
            QObject::connect(action, &QAction::triggered, this, [this, index] { chosen(index); });
        }
        setMenu(menu);
        setSelection(selection);
    }

    QSize sizeHint() const override {
        return {width(), QFontMetrics(font()).height() + 2 * verticalPadding};
    }

    QString shownLabel() const override { return text(); }
    bool showsWholeLabel() const override {
        return QFontMetrics(font()).horizontalAdvance(text()) <= labelWidth();
    }

    // Calls `follow` with each choice made, for as long as `context` lives.
    template <class Follow> void onChoice(const QObject* context, Follow follow) {
        QObject::connect(this, &TerminalMenuButton::chosen, context,
                         [this, follow](int index) { follow(cases_[index]); });
    }

    // Shows another selection on the face.
    void setSelection(Choice selection) {
        setText(QString::fromUtf8(std::string(selection.label())));
    }

protected:
    // The face: the selection's label at the leading edge and an up-down chevron at the trailing
    // one, in a sunken rounded box; the whole face is the click target.
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.7 : 1);
        painter.setBrush(Theme::sunken);
        painter.setPen(QPen(Theme::withOpacity(Theme::line, 0.8), 1));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        const QRectF content = QRectF(rect()).adjusted(horizontalPadding, verticalPadding,
                                                       -horizontalPadding, -verticalPadding);
        const QSizeF chevron(chevronWidth, chevronWidth);
        painter.drawPixmap(
            QPointF(content.right() - chevron.width(), content.center().y() - chevron.height() / 2),
            Symbols::pixmap(Symbols::Name::chevronUpDown, chevron, Theme::textDim,
                            devicePixelRatioF()));
        painter.setPen(Theme::text);
        painter.setFont(font());
        const QRectF label = content.adjusted(0, 0, -chevronWidth - chevronGap, 0);
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                         showsWholeLabel() ? text()
                                           : QFontMetrics(font()).elidedText(text(), Qt::ElideRight,
                                                                             labelWidth()));
    }

private:
    static constexpr int chevronWidth = 9;
    static constexpr int chevronGap = 6;

    // What the face leaves for the label: all but the paddings and the chevron.
    int labelWidth() const { return width() - 2 * horizontalPadding - chevronWidth - chevronGap; }

    static constexpr int horizontalPadding = 10;
    static constexpr int verticalPadding = 6;

    std::vector<Choice> cases_;
};

} // namespace panemark
