#pragma once

#include "profiles/Profile.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace panemark {

// One profile in the profile sheet: its name (a field while it is being renamed), the summary of
// its trigger, a checkmark when it is active, and its menu. A row can be dragged to another place.
class ProfileRow : public QWidget {
public:
    struct Actions {
        std::function<void()> rename, activate, duplicate, editTrigger, exportFile, remove;
        std::function<void(const QString&)> commitRename;
        std::function<void()> cancelRename;
    };
    static constexpr const char* dragFormat = "application/x-panemark-profile-row";

    ProfileRow(const Profile& profile, std::size_t index, bool active, bool canDelete,
               bool renaming, const QString& renameText, Actions actions,
               QWidget* parent = nullptr);

    const Uuid& profileId() const { return id_; }
    QString name() const;
    QString summary() const;
    bool showsCheckmark() const;
    QLineEdit* renameField() const { return renameField_; }
    QLabel* nameLabel() const { return name_; }
    QMenu* menu() const { return menu_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Uuid id_;
    std::size_t index_;
    Actions actions_;
    QLabel* name_ = nullptr;
    QLineEdit* renameField_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* checkmark_ = nullptr;
    QMenu* menu_ = nullptr;
    QPoint pressedAt_;
};

} // namespace panemark
