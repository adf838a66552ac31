#pragma once

#include "model/ZoneCommand.h"

#include <QWidget>
#include <functional>

namespace panemark {

// One line of the settings window's command list: its number, name, grid and shortcut. The
// selected row is lit on the phosphor bar with a marker at its edge.
class CommandRow : public QWidget {
public:
    CommandRow(std::size_t index, const ZoneCommand& command, bool selected,
               std::function<void()> choose, QWidget* parent = nullptr);

    const Uuid& commandId() const { return id_; }
    bool isSelected() const { return selected_; }
    QString numberText() const { return number_; }
    QString detailText() const { return detail_; }
    QString shortcutText() const { return shortcut_; }
    QSize sizeHint() const override;

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
    std::function<void()> choose_;
};

} // namespace panemark
