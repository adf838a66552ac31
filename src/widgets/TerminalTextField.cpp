#include "widgets/TerminalTextField.h"

#include "widgets/TerminalFont.h"
#include "widgets/TerminalPlaceholder.h"
#include "widgets/TerminalWell.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>

namespace panemark {

TerminalTextField::TerminalTextField(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(TerminalWell::padding());
    editor_ = new QLineEdit(this);
    editor_->setFrame(false);
    editor_->setFont(TerminalFont::at(13));
    editor_->setStyleSheet(ThemeStyle::inlineEditor());
    editor_->installEventFilter(this);
    row->addWidget(editor_);
    QObject::connect(editor_, &QLineEdit::textEdited, this, &TerminalTextField::edited);
}

void TerminalTextField::setText(const QString& text) {
    if (editor_->text() != text) {
        editor_->setText(text);
    }
}

void TerminalTextField::setPlaceholder(const QString& placeholder) {
    TerminalPlaceholder::apply(*editor_, placeholder);
}

bool TerminalTextField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void TerminalTextField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TerminalWell::paint(painter, rect(), editor_->hasFocus());
}

} // namespace panemark
