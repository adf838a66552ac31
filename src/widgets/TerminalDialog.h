#pragma once

#include <QDialog>

namespace panemark {

// A dialog of the terminal theme: its background painted, and fitted to the monitor it opens
// on each time it opens (no larger than the usable area, never partly off it).
class TerminalDialog : public QDialog {
    Q_OBJECT

public:
    explicit TerminalDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace panemark
