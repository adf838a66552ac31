#include "settings_ui/ShortcutRecorder.h"

#include "platform/evdev/EvdevKeyCodes.h"
#include "widgets/Glow.h"
#include "widgets/Symbols.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace panemark {

namespace {

constexpr std::uint32_t escapeKey = 53;
// Right Super, Super, Shift, Caps Lock, Alt, Control, right Shift, right Alt, right Control, Fn.
constexpr std::uint32_t firstModifierKey = 54, lastModifierKey = 63;
constexpr int minimumFaceWidth = 130;

} // namespace

ShortcutRecorder::ShortcutRecorder(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    face_ = new QWidget(this);
    face_->setAttribute(Qt::WA_TransparentForMouseEvents);
    face_->setMinimumSize(minimumFaceWidth + 60, 30);
    row->addWidget(face_);
    remove_ = new QToolButton(this);
    remove_->setAutoRaise(true);
    remove_->setIcon(
        QIcon(Symbols::pixmap(Symbols::Name::xmarkCircle, QSizeF(14, 14), Theme::textDim, 2)));
    remove_->setIconSize(QSize(14, 14));
    remove_->setToolTip("Remove shortcut");
    remove_->setAccessibleName("Remove shortcut");
    remove_->setStyleSheet(ThemeStyle::bareToolButton());
    remove_->setCursor(Qt::PointingHandCursor);
    QObject::connect(remove_, &QToolButton::clicked, this, [this] {
        shortcut_.reset();
        changed();
    });
    row->addWidget(remove_);
    row->addStretch();
    column->addLayout(row);
    note_ = new QLabel(this);
    note_->setFont(TerminalFont::at(11));
    note_->setStyleSheet(ThemeStyle::textOverNothing(Theme::warn));
    note_->setWordWrap(true);
    column->addWidget(note_);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName("Shortcut");
    setShortcut(std::nullopt);
}

ShortcutRecorder::~ShortcutRecorder() {
    stop();
}

void ShortcutRecorder::setShortcut(const std::optional<Shortcut>& shortcut) {
    shortcut_ = shortcut;
    remove_->setVisible(shortcut_.has_value() && !recording_);
    refreshNote();
    update();
}

QString ShortcutRecorder::label() const {
    if (recording_) {
        return "PRESS KEYS…";
    }
    return shortcut_ ? QString::fromStdString(shortcut_->displayString()) : "Record Shortcut";
}

void ShortcutRecorder::refreshNote() {
    const bool taken = shortcut_ && !recording_ && isTakenElsewhere && isTakenElsewhere(*shortcut_);
    note_->setText(taken ? "Another program holds this combination; Panemark takes it as soon "
                           "as it is free."
                         : QString());
    note_->setVisible(taken);
}

void ShortcutRecorder::start() {
    if (recording_) {
        stop();
        return;
    }
    recording_ = true;
    qApp->installEventFilter(this);
    setShortcut(shortcut_);
}

void ShortcutRecorder::stop() {
    if (!recording_) {
        return;
    }
    recording_ = false;
    if (qApp) {
        qApp->removeEventFilter(this);
    }
    setShortcut(shortcut_);
}

void ShortcutRecorder::changed() {
    setShortcut(shortcut_);
    Q_EMIT shortcutChanged(shortcut_);
    // The hot keys are grabbed again after the change; a refusal comes back a moment later.
    QTimer::singleShot(300, this, [this] { refreshNote(); });
}

std::optional<KeyEvent> ShortcutRecorder::keyEventFrom(const QKeyEvent& event) {
    const quint32 keycode = event.nativeScanCode();
    if (keycode < EvdevKeyCodes::xKeycodeOffset) {
        return std::nullopt; // not an X key
    }
    KeyEvent key;
    key.keyCode = EvdevKeyCodes::virtualKeyFor(keycode - EvdevKeyCodes::xKeycodeOffset);
    // X reports pressing a modifier as a key press of its own; it only changes the flags.
    if (key.keyCode >= firstModifierKey && key.keyCode <= lastModifierKey) {
        key.type = KeyEvent::Type::flagsChanged;
    }
    key.isRepeat = event.isAutoRepeat();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ShiftModifier) {
        key.flags |= KeyEvent::shift;
    }
    if (modifiers & Qt::ControlModifier) {
        key.flags |= KeyEvent::control;
    }
    if (modifiers & Qt::AltModifier) {
        key.flags |= KeyEvent::option;
    }
    if (modifiers & Qt::MetaModifier) {
        key.flags |= KeyEvent::command;
    }
    return key;
}

bool ShortcutRecorder::eventFilter(QObject* watched, QEvent* event) {
    if (recording_ && event->type() == QEvent::KeyPress) {
        // Every press goes to the recorder and no further (so it is delivered once).
        handleKey(static_cast<const QKeyEvent&>(*event));
        return true;
    }
    if (recording_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyRelease)) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool ShortcutRecorder::handleKey(const QKeyEvent& event) {
    const std::optional<KeyEvent> key = keyEventFrom(event);
    if (!key || key->type != KeyEvent::Type::keyDown) {
        return false; // a modifier on its way down: the key itself is still to come
    }
    const std::uint32_t held =
        key->flags & (KeyEvent::command | KeyEvent::option | KeyEvent::control);
    if (key->keyCode == escapeKey && held == 0) {
        stop(); // Escape, or Shift+Escape: nothing changes
        return true;
    }
    const std::optional<Shortcut> recorded = Shortcut::fromKeyEvent(*key);
    if (!recorded) {
        return true; // no Control, Alt or Super: keep listening
    }
    shortcut_ = recorded;
    stop();
    changed();
    return true;
}

void ShortcutRecorder::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && face_->geometry().contains(event->pos())) {
        start();
    }
}

void ShortcutRecorder::hideEvent(QHideEvent* event) {
    stop();
    QWidget::hideEvent(event);
}

void ShortcutRecorder::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(face_->geometry()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (recording_) {
        Glow::paintRings(painter, face, 4, 3, 2, 0.6);
        painter.setBrush(Theme::phosphorBar(face));
        painter.setPen(QPen(Theme::phosphor, 1));
    } else {
        painter.setBrush(Theme::sunken);
        painter.setPen(QPen(Theme::line, 1));
    }
    painter.drawRoundedRect(face, 4, 4);
    QRectF text = face.adjusted(12, 0, -12, 0);
    if (recording_) {
        painter.setBrush(Theme::onPhosphor);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(text.left(), face.center().y() - 3, 6, 6));
        text.adjust(12, 0, 0, 0);
    }
    painter.setFont(TerminalFont::at(14, recording_ ? QFont::Bold : QFont::Normal));
    painter.setPen(recording_ ? Theme::onPhosphor : Theme::textBright);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, label());
}

} // namespace panemark
