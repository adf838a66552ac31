#pragma once

#include "model/ZoneCommand.h"

#include <QWidget>
#include <optional>
#include <string>

namespace panemark {

// One line of the settings window's command list: its number, name, grid and shortcut. The
// selected row is lit on the phosphor bar with a marker at its edge.
class CommandRow : public QWidget {
    Q_OBJECT

public:
    CommandRow(std::size_t index, const ZoneCommand& command, bool selected,
               QWidget* parent = nullptr);

    // Shows another command, or the same one changed, in place; repaints only when something
    // shown differs.
    void display(std::size_t index, const ZoneCommand& command, bool selected);

    // "Left, 3 by 2, shortcut ⌃⌥←": what a screen reader says for the row.
    static QString accessibilityLabel(const ZoneCommand& command,
                                      const std::optional<std::string>& shortcut);

    const Uuid& commandId() const { return id_; }
    bool isSelected() const { return selected_; }
    QString numberText() const { return number_; }
    QString detailText() const { return detail_; }
    QString shortcutText() const { return shortcut_; }
    QSize sizeHint() const override;

Q_SIGNALS:
    // The row was clicked: the id of the command it shows.
    void chosen(const panemark::Uuid& id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Uuid id_;
    QString number_;
    QString name_;
    QString detail_;
    QString shortcut_;
    bool selected_;
};

} // namespace panemark
