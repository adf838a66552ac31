#include "settings_ui/ProfileRow.h"

#include "widgets/Symbols.h"
#include "widgets/TerminalFont.h"
#include "widgets/TerminalLabel.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace panemark {

namespace {} // namespace

ProfileRow::ProfileRow(const Profile& profile, std::size_t index, bool active, bool canDelete,
                       bool renaming, const QString& renameText, QWidget* parent)
    : QWidget(parent), id_(profile.id), index_(index) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 6, 6);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(2);
    if (renaming) {
        renameField_ = new QLineEdit(renameText, this);
        renameField_->setPlaceholderText("Name");
        renameField_->setFont(TerminalFont::at(13));
        renameField_->setStyleSheet(ThemeStyle::boxedField(Theme::phosphor, "2px 6px"));
        renameField_->installEventFilter(this);
        QObject::connect(renameField_, &QLineEdit::returnPressed, this,
                         [this] { Q_EMIT renameCommitted(renameField_->text()); });
        lines->addWidget(renameField_);
    } else {
        name_ = TerminalLabel::create(QString::fromStdString(profile.name), 13,
                                      active ? Theme::textBright : Theme::text, this);
        lines->addWidget(name_);
    }
    summary_ = TerminalLabel::create(QString::fromStdString(profile.trigger.summary()), 10,
                                     Theme::textDim, this);
    lines->addWidget(summary_);
    row->addLayout(lines, 1);

    checkmark_ = new QLabel(this);
    checkmark_->setPixmap(
        Symbols::pixmap(Symbols::Name::checkmark, QSizeF(12, 12), Theme::phosphor, 2));
    checkmark_->setVisible(active);
    row->addWidget(checkmark_);

    auto* more = new QToolButton(this);
    more->setIcon(
        QIcon(Symbols::pixmap(Symbols::Name::ellipsisCircle, QSizeF(14, 14), Theme::textDim, 2)));
    more->setIconSize(QSize(14, 14));
    more->setPopupMode(QToolButton::InstantPopup);
    more->setAccessibleName("Profile actions");
    more->setStyleSheet(ThemeStyle::bareMenuButton());
    menu_ = new QMenu(more);
    menu_->setFont(TerminalFont::at(12));
    menu_->setStyleSheet(ThemeStyle::menu());
    auto item = [this](const QString& title, void (ProfileRow::*request)()) {
        QAction* added = menu_->addAction(title);
        QObject::connect(added, &QAction::triggered, this, request);
        return added;
    };
    item("Rename", &ProfileRow::renameRequested);
    item("Activate", &ProfileRow::activateRequested);
    item("Duplicate", &ProfileRow::duplicateRequested);
    item("Edit Trigger…", &ProfileRow::editTriggerRequested);
    item("Export…", &ProfileRow::exportRequested);
    menu_->addSeparator();
    item("Delete", &ProfileRow::removeRequested)->setEnabled(canDelete);
    more->setMenu(menu_);
    row->addWidget(more);
    setAccessibleName(QString::fromStdString(profile.name));
}

QString ProfileRow::name() const {
    return name_ ? name_->text() : renameField_->text();
}

QString ProfileRow::summary() const {
    return summary_->text();
}

bool ProfileRow::showsCheckmark() const {
    return !checkmark_->isHidden();
}

void ProfileRow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (name_ && name_->geometry().contains(event->pos())) {
        Q_EMIT renameRequested();
    }
}

void ProfileRow::mousePressEvent(QMouseEvent* event) {
    pressedAt_ = event->pos();
}

void ProfileRow::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) ||
        (event->pos() - pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
        return;
    }
    auto* data = new QMimeData;
    data->setData(dragFormat, QByteArray::number(static_cast<qulonglong>(index_)));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(grab());
    drag->setHotSpot(event->pos());
    drag->exec(Qt::MoveAction);
}

bool ProfileRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != renameField_ || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        Q_EMIT renameCancelled();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Return commits the name and is spent on it: it must not go on to the sheet's Done.
        Q_EMIT renameField_->returnPressed();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace panemark
