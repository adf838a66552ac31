#include "widgets/TerminalAlert.h"

#include "widgets/TerminalButton.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace panemark {

TerminalAlert::TerminalAlert(QWidget* parent, const QString& title, const QString& message,
                             std::vector<Button> buttons)
    : TerminalDialog(parent), choices_(std::move(buttons)) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setPalette(Theme::windowPalette());
    setMinimumWidth(360);
    setMaximumWidth(460);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 18, 20, 16);
    column->setSpacing(10);
    title_ = new QLabel(title, this);
    title_->setFont(TerminalFont::at(13, QFont::Bold));
    title_->setStyleSheet(ThemeStyle::text(Theme::textBright));
    title_->setWordWrap(true);
    column->addWidget(title_);
    message_ = new QLabel(message, this);
    message_->setFont(TerminalFont::at(11));
    message_->setStyleSheet(ThemeStyle::text(Theme::textDim));
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message_->setVisible(!message.isEmpty());
    column->addWidget(message_);
    int rowWidth = -buttonSpacing;
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        const bool isDefault = i + 1 == choices_.size();
        auto* button = new TerminalButton(choices_[i].title, isDefault, this);
        button->setDefault(isDefault);
        QObject::connect(button, &QPushButton::clicked, this, [this, i] { answer(i); });
        buttons_.push_back(button);
        rowWidth += button->sizeHint().width() + buttonSpacing;
    }
    // Buttons whose labels do not fit side by side go one above the other, full width, rather
    // than cut their labels short.
    const QMargins margins = column->contentsMargins();
    const bool fitsInARow = rowWidth <= maximumWidth() - margins.left() - margins.right();
    auto* buttonRow =
        new QBoxLayout(fitsInARow ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    buttonRow->setSpacing(buttonSpacing);
    if (fitsInARow) {
        buttonRow->addStretch();
    }
    for (TerminalButton* button : buttons_) {
        buttonRow->addWidget(button);
    }
    column->addSpacing(6);
    column->addLayout(buttonRow);
    if (!buttons_.empty()) {
        buttons_.back()->setFocus(); // Space then does what Return does
    }
}

QLineEdit* TerminalAlert::addField(const QString& text, const QString& placeholder) {
    field_ = new QLineEdit(text, this);
    field_->setPlaceholderText(placeholder);
    field_->setFont(TerminalFont::at(13));
    field_->setStyleSheet(ThemeStyle::boxedFieldWithFocus("5px 8px"));
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(2, field_);
    field_->setFocus();
    field_->selectAll();
    return field_;
}

QString TerminalAlert::title() const {
    return title_->text();
}

QString TerminalAlert::message() const {
    return message_->text();
}

TerminalButton* TerminalAlert::button(const QString& title) const {
    for (TerminalButton* button : buttons_) {
        if (button->label() == title) {
            return button;
        }
    }
    return nullptr;
}

void TerminalAlert::answer(std::size_t index) {
    done(static_cast<int>(index) + 1);
}

void TerminalAlert::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        for (std::size_t i = 0; i < choices_.size(); ++i) {
            if (choices_[i].role == Role::cancel) {
                answer(i);
                return;
            }
        }
        reject();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !choices_.empty()) {
        answer(choices_.size() - 1);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace panemark
