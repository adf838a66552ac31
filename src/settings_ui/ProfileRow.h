#pragma once

#include "profiles/Profile.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace panemark {

// One profile in the profile sheet: its name (a field while it is being renamed), the summary of
// its trigger, a checkmark when it is active, and its menu. A row can be dragged to another place.
class ProfileRow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* dragFormat = "application/x-panemark-profile-row";

    ProfileRow(const Profile& profile, std::size_t index, bool active, bool canDelete,
               bool renaming, const QString& renameText, QWidget* parent = nullptr);

    const Uuid& profileId() const { return id_; }
    QString name() const;
    QString summary() const;
    bool showsCheckmark() const;
    QLineEdit* renameField() const { return renameField_; }
    QLabel* nameLabel() const { return name_; }
    QMenu* menu() const { return menu_; }

Q_SIGNALS:
    // The row's menu, or a double click on its name.
    void renameRequested();
    void activateRequested();
    void duplicateRequested();
    void editTriggerRequested();
    void exportRequested();
    void removeRequested();
    // Return or Escape in the name field while it is being renamed.
    void renameCommitted(const QString& name);
    void renameCancelled();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Uuid id_;
    std::size_t index_;
    QLabel* name_ = nullptr;
    QLineEdit* renameField_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* checkmark_ = nullptr;
    QMenu* menu_ = nullptr;
    QPoint pressedAt_;
};

} // namespace panemark
