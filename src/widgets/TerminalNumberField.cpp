#include "widgets/TerminalNumberField.h"

#include "widgets/TerminalFont.h"
#include "widgets/TerminalWell.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace panemark {

TerminalNumberField::TerminalNumberField(NumberEditing::Range range, const QString& suffix,
                                         QWidget* parent)
    : QWidget(parent), range_(range), value_(range.lower), editor_(new QLineEdit(this)),
      suffix_(new QLabel(suffix, this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(TerminalWell::padding());
    row->setSpacing(6);
    editor_->setFrame(false);
    editor_->setFixedWidth(52);
    editor_->setFont(TerminalFont::at(13));
    editor_->setStyleSheet(ThemeStyle::textOverNothing(Theme::text));
    suffix_->setFont(TerminalFont::at(13));
    suffix_->setStyleSheet(ThemeStyle::textOverNothing(Theme::textDim));
    row->addWidget(editor_);
    row->addWidget(suffix_);
    editor_->setText(QString::number(value_));
    QObject::connect(editor_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::string filtered = NumberEditing::filterDraft(text.toStdString());
        if (filtered != text.toStdString()) {
            editor_->setText(QString::fromStdString(filtered));
        }
    });
    QObject::connect(editor_, &QLineEdit::editingFinished, this, [this] { commit(); });
    editor_->installEventFilter(this);
}

void TerminalNumberField::setValue(std::int64_t value) {
    value_ = value;
    editor_->setText(QString::number(value_));
}

void TerminalNumberField::commit() {
    const NumberEditing::Commit result =
        NumberEditing::commit(editor_->text().toStdString(), value_, range_);
    editor_->setText(QString::fromStdString(result.draft));
    if (result.value != value_) {
        value_ = result.value;
        Q_EMIT valueChanged(value_);
    }
    update();
}

bool TerminalNumberField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        editor_->setText(QString::fromStdString(NumberEditing::abandon(value_)));
        editor_->clearFocus(); // which commits the restored text: nothing changes
        return true;
    }
    if (watched == editor_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void TerminalNumberField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TerminalWell::paint(painter, rect(), editor_->hasFocus());
}

} // namespace panemark
