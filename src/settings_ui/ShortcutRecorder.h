#pragma once

#include "model/KeyEvent.h"
#include "model/Shortcut.h"

#include <QWidget>
#include <functional>
#include <optional>

class QKeyEvent;
class QLabel;
class QToolButton;

namespace panemark {

// The "Shortcut" control: shows a command's shortcut, and after a click records the next
// combination typed in any of Panemark's windows, by the physical key (so the stored code is
// the key's place on the keyboard, whatever the layout). While it records it takes every key
// press; Escape (with Shift too) stops without a change, and combinations without Control, Alt
// or Super are refused while it keeps listening.
class ShortcutRecorder : public QWidget {
    Q_OBJECT

public:
    explicit ShortcutRecorder(QWidget* parent = nullptr);
    ~ShortcutRecorder() override;

    void setShortcut(const std::optional<Shortcut>& shortcut);
    std::optional<Shortcut> shortcut() const { return shortcut_; }
    // Whether another program holds a combination (Panemark then cannot have it).
    std::function<bool(const Shortcut&)> isTakenElsewhere;

    bool isRecording() const { return recording_; }
    QString label() const;
    void start();
    void stop();
    QToolButton* removeButton() const { return remove_; }
    QLabel* note() const { return note_; }
    // Looks again whether the shortcut is held elsewhere (grabs are answered a moment later).
    void refreshNote();

    // The key press as the platform-independent event: the physical key from the X keycode
    // (evdev + 8), the modifiers from Qt's. None for a key the table cannot place.
    static std::optional<KeyEvent> keyEventFrom(const QKeyEvent& event);

Q_SIGNALS:
    // Every accepted recording, and the removal.
    void shortcutChanged(const std::optional<panemark::Shortcut>& shortcut);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool handleKey(const QKeyEvent& event);
    void changed();

    std::optional<Shortcut> shortcut_;
    bool recording_ = false;
    QWidget* face_;
    QToolButton* remove_;
    QLabel* note_;
};

} // namespace panemark
