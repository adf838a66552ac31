#pragma once

#include "base/AppVersion.h"

#include <QWidget>
#include <functional>

class QLabel;

namespace panemark {

class SectionHeader;

// "About Panemark": who we are, which build this is (values that can be selected and copied),
// the update check, the support links and the copyright line.
class AboutWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int windowWidth = 380;
    static constexpr int windowMinimumHeight = 430;

    explicit AboutWindow(const AppVersion& version, QWidget* parent = nullptr);

    // Shows the window, or brings it to the front when it is open.
    void present();

    // What the build section lists: label and value, in order.
    std::vector<std::pair<QString, QLabel*>> buildRows() const { return buildRows_; }
    QString buildKind() const { return buildKind_; }
    QLabel* copyright() const { return copyright_; }
    QString identityVersion() const;

Q_SIGNALS:
    // "Check for Updates…".
    void updateCheckRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* identitySection(const AppVersion& version);
    QWidget* buildSection(const AppVersion& version);
    QWidget* footerSection(const AppVersion& version);

    QLabel* versionLine_ = nullptr;
    std::vector<std::pair<QString, QLabel*>> buildRows_;
    QString buildKind_;
    QLabel* copyright_ = nullptr;
};

} // namespace panemark
