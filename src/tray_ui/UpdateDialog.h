#pragma once

#include "tray_ui/Updater.h"

#include <QUrl>
#include <QWidget>
#include <functional>

class QLabel;
class QHBoxLayout;

namespace panemark {

class TerminalButton;

// The answer to "Check for Updates…": checking, a newer version with a button to its download
// page, up to date, or why the check failed. One window, reused for each check.
class UpdateDialog : public QWidget {
public:
    explicit UpdateDialog(QWidget* parent = nullptr);

    void showChecking();
    void showOutcome(const Updater::Outcome& outcome);

    QString title() const;
    QString detail() const;
    // The buttons shown now, left to right.
    std::vector<TerminalButton*> buttons() const;
    // How an address reaches the user's browser; tests put their own.
    std::function<void(const QUrl&)> openUrl;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setButtons(std::vector<std::pair<QString, std::function<void()>>> buttons);
    void bringToFront();

    QLabel* title_;
    QLabel* detail_;
    QHBoxLayout* buttonRow_;
    std::vector<TerminalButton*> buttons_;
};

} // namespace panemark
