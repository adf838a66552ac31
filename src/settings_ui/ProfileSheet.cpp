#include "settings_ui/ProfileSheet.h"

#include "hardware/DisplayWatcher.h"
#include "platform/Platform.h"
#include "profiles/ProfileDocument.h"
#include "settings_ui/ProfileRow.h"
#include "settings_ui/TriggerEditor.h"
#include "widgets/SectionHeader.h"
#include "widgets/TerminalAlert.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalFont.h"
#include "widgets/Theme.h"
#include "widgets/ThemeStyle.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace panemark {

namespace {

constexpr const char* fileFilter = "Panemark profiles (*.panemarkprofile *.json)";

std::optional<std::string> chosen(const QString& path) {
    return path.isEmpty() ? std::nullopt : std::optional(path.toStdString());
}

} // namespace

ProfileSheet::ProfileSheet(ProfileManager& profiles, Platform& platform, QWidget* parent)
    : TerminalDialog(parent), profiles_(profiles), platform_(platform) {
    setWindowTitle("Profiles");
    setWindowModality(Qt::WindowModal);
    setPalette(Theme::windowPalette());
    setFixedSize(440, 500);
    setAcceptDrops(true);
    choosers.exportPath = [this](const QString& offered) {
        return chosen(QFileDialog::getSaveFileName(this, "Export Profile",
                                                   QDir::home().filePath(offered), fileFilter,
                                                   nullptr, QFileDialog::DontUseNativeDialog));
    };
    choosers.importPath = [this] {
        return chosen(QFileDialog::getOpenFileName(this, "Import Profile", QDir::homePath(),
                                                   fileFilter, nullptr,
                                                   QFileDialog::DontUseNativeDialog));
    };

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 16, 18, 16);
    column->setSpacing(10);
    auto* header = new QHBoxLayout;
    header->addWidget(new SectionHeader("PROFILES", {}, this), 1);
    auto* done = new TerminalButton("Done", true, this);
    QObject::connect(done, &QPushButton::clicked, this, [this] { accept(); });
    done->setDefault(true);
    header->addWidget(done);
    column->addLayout(header);

    auto* list = new QScrollArea(this);
    list->setWidgetResizable(true);
    list->setFrameShape(QFrame::NoFrame);
    list->setStyleSheet(ThemeStyle::transparentScrollArea());
    list->viewport()->setAutoFillBackground(false);
    listContent_ = new QWidget(list);
    listLayout_ = new QVBoxLayout(listContent_);
    listLayout_->setContentsMargins(0, 0, 0, 0);
    listLayout_->setSpacing(2);
    listLayout_->addStretch();
    list->setWidget(listContent_);
    listContent_->setAutoFillBackground(false);
    column->addWidget(list, 1);

    auto* footer = new QHBoxLayout;
    auto* newProfile = new TerminalButton("New Profile", false, this);
    newProfile->setFont(TerminalFont::at(11));
    QObject::connect(newProfile, &QPushButton::clicked, this, [this] { askNewProfile(); });
    auto* import = new TerminalButton("Import…", false, this);
    import->setFont(TerminalFont::at(11));
    QObject::connect(import, &QPushButton::clicked, this, [this] { importProfile(); });
    footer->addWidget(newProfile);
    footer->addWidget(import);
    footer->addStretch();
    column->addLayout(footer);

    // The manager announces a change once it holds it; each subscription first delivers what is
    // there now, which builds the rows.
    const auto changed = [this](const auto&) { refresh(); };
    subscriptions_.push_back(profiles_.profiles.subscribe(changed));
    subscriptions_.push_back(profiles_.activeProfileID.subscribe(changed));
    // A row shows its profile's trigger.
    subscriptions_.push_back(profiles_.onProfileChanged(changed));
}

ProfileSheet::~ProfileSheet() = default;

void ProfileSheet::refresh() {
    for (ProfileRow* row : rows_) {
        listLayout_->removeWidget(row);
        row->hide();
        row->deleteLater(); // its menu may be what was just used
    }
    rows_.clear();
    const std::vector<Profile>& profiles = profiles_.profiles.get();
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        const Uuid id = profiles[i].id;
        auto* row =
            new ProfileRow(profiles[i], i, id == profiles_.activeProfileID.get(),
                           profiles.size() >= 2, renamingID_ == id, renameText_, listContent_);
        follow(row, id);
        listLayout_->insertWidget(static_cast<int>(i), row);
        rows_.push_back(row);
        if (row->renameField()) {
            row->renameField()->setFocus();
            QObject::connect(row->renameField(), &QLineEdit::textEdited, this,
                             [this](const QString& text) { renameText_ = text; });
        }
    }
}

void ProfileSheet::beginRename(Uuid id) {
    if (renamingID_ && *renamingID_ != id) {
        commitRename(*renamingID_, renameText_); // a second rename keeps the first
    }
    const std::optional<Profile> profile = profiles_.snapshot(id);
    if (!profile) {
        return;
    }
    renameText_ = QString::fromStdString(profile->name);
    renamingID_ = id;
    refresh();
}

void ProfileSheet::commitRename(Uuid id, const QString& text) {
    renamingID_.reset();
    profiles_.rename(id, text.toStdString()); // a blank name keeps the old one
    refresh();
}

void ProfileSheet::cancelRename() {
    renamingID_.reset();
    refresh();
}

void ProfileSheet::create(const QString& name, ProfileManager::NewProfileSeed seed) {
    if (renamingID_) {
        commitRename(*renamingID_, renameText_);
    }
    // The manager trims the name by the one rule for names; a blank one is "New Profile".
    const Uuid id = profiles_.createProfile(name.toStdString(), seed);
    profiles_.activate(id);
    accept();
}

TerminalAlert* ProfileSheet::showAlert(TerminalAlert* alert) {
    if (alert_) {
        alert_->deleteLater();
    }
    alert_ = alert;
    QObject::connect(alert, &QDialog::finished, this, [this, alert] {
        if (alert_ == alert) {
            alert_ = nullptr;
        }
        alert->deleteLater();
    });
    alert->open();
    return alert;
}

void ProfileSheet::follow(ProfileRow* row, Uuid id) {
    QObject::connect(row, &ProfileRow::renameRequested, this, [this, id] { beginRename(id); });
    QObject::connect(row, &ProfileRow::activateRequested, this,
                     [this, id] { profiles_.activate(id); });
    QObject::connect(row, &ProfileRow::duplicateRequested, this,
                     [this, id] { profiles_.duplicateProfile(id); });
    QObject::connect(row, &ProfileRow::editTriggerRequested, this, [this, id] { editTrigger(id); });
    QObject::connect(row, &ProfileRow::exportRequested, this, [this, id] { exportProfile(id); });
    QObject::connect(row, &ProfileRow::removeRequested, this, [this, id] { askDelete(id); });
    QObject::connect(row, &ProfileRow::renameCommitted, this,
                     [this, id](const QString& name) { commitRename(id, name); });
    QObject::connect(row, &ProfileRow::renameCancelled, this, [this] { cancelRename(); });
}

void ProfileSheet::askNewProfile() {
    using Seed = ProfileManager::NewProfileSeed;
    const QString active = QString::fromStdString(profiles_.activeProfile().name);
    auto* question = new TerminalAlert(
        this, "New profile",
        "Start with no commands, with the stock command set, or with a copy of the profile "
        "you're using now.",
        {{"Empty Profile"},
         {"Start From Defaults"},
         {"Copy “" + active + "”"},
         {"Cancel", TerminalAlert::Role::cancel}});
    QObject::connect(question, &QDialog::finished, this, [this, active](int answer) {
        if (answer == 1) {
            askName(Seed::empty);
        } else if (answer == 2) {
            askName(Seed::defaults);
        } else if (answer == 3) {
            create(active, Seed::copyActive);
        }
    });
    showAlert(question);
}

void ProfileSheet::askName(ProfileManager::NewProfileSeed seed) {
    // Shown once the menu the choice was made in has closed: a dialog opened from inside the
    // menu's own event handling would open under it and lose its first click.
    QTimer::singleShot(0, this, [this, seed] {
        auto* prompt = new TerminalAlert(this, "Name the new profile", {},
                                         {{"Cancel", TerminalAlert::Role::cancel}, {"Create"}});
        prompt->addField("New Profile", "Name");
        QObject::connect(prompt, &QDialog::finished, this, [this, prompt, seed](int answer) {
            if (answer == 2) { // Create, by click or Return
                create(prompt->field()->text(), seed);
            }
        });
        showAlert(prompt);
    });
}

void ProfileSheet::askDelete(Uuid id) {
    const std::optional<Profile> profile = profiles_.snapshot(id);
    if (!profile || profiles_.profiles.get().size() < 2) {
        return;
    }
    const QString message = "“" + QString::fromStdString(profile->name) + "” and its " +
                            QString::number(profile->commands.size()) +
                            " command(s) will be deleted. This can't be undone — export it "
                            "first if you might want it back.";
    auto* question = new TerminalAlert(
        this, "Delete profile?", message,
        {{"Delete", TerminalAlert::Role::destructive}, {"Cancel", TerminalAlert::Role::cancel}});
    QObject::connect(question, &QDialog::finished, this, [this, id](int answer) {
        if (answer == 1) {
            profiles_.deleteProfile(id);
        }
    });
    showAlert(question);
}

void ProfileSheet::exportProfile(Uuid id) {
    const std::optional<Profile> profile = profiles_.snapshot(id);
    if (!profile || !choosers.exportPath) {
        return;
    }
    const std::optional<std::string> path =
        choosers.exportPath(QString::fromStdString(ProfileDocument::offeredFileName(profile)));
    if (!path) {
        return;
    }
    const Result<bool> written =
        ProfileDocument{ProfileFile{1, *profile}}.write(ProfileDocument::withExtension(*path));
    if (!written) {
        showAlert(new TerminalAlert(this, "Couldn't export profile",
                                    QString::fromStdString(written.error()),
                                    {{"OK", TerminalAlert::Role::cancel}}));
    }
}

void ProfileSheet::importProfile() {
    if (!choosers.importPath) {
        return;
    }
    const std::optional<std::string> path = choosers.importPath();
    if (!path) {
        return;
    }
    const Result<Uuid> imported = profiles_.importProfile(*path);
    if (!imported) {
        showAlert(new TerminalAlert(this, "Couldn't import profile",
                                    QString::fromStdString(imported.error()),
                                    {{"OK", TerminalAlert::Role::cancel}}));
    }
}

void ProfileSheet::editTrigger(Uuid id) {
    if (!profiles_.snapshot(id)) {
        return;
    }
    // What is connected now, read once: plugging while the editor is open changes nothing.
    triggerEditor_ = new TriggerEditor(profiles_, id,
                                       DisplayWatcher::currentExternalDisplays(platform_.screens()),
                                       platform_.keyboardDevices().list(), this);
    QObject::connect(triggerEditor_, &QDialog::finished, this, [this, editor = triggerEditor_] {
        if (triggerEditor_ == editor) {
            triggerEditor_ = nullptr;
        }
        editor->deleteLater();
    });
    triggerEditor_->open();
}

void ProfileSheet::dropRow(std::size_t from, std::size_t offset) {
    // Placed before the row at the offset: dropping below itself lands one place earlier.
    const std::size_t to = offset > from ? offset - 1 : offset;
    profiles_.move(from, to); // stores the order at once
}

std::size_t ProfileSheet::dropOffsetAt(int y) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const QRect area(rows_[i]->mapTo(this, QPoint(0, 0)), rows_[i]->size());
        if (y < area.center().y()) {
            return i;
        }
    }
    return rows_.size();
}

void ProfileSheet::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(ProfileRow::dragFormat)) {
        event->acceptProposedAction();
    }
}

void ProfileSheet::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(ProfileRow::dragFormat)) {
        event->acceptProposedAction();
    }
}

void ProfileSheet::dropEvent(QDropEvent* event) {
    bool ok = false;
    const qulonglong from = event->mimeData()->data(ProfileRow::dragFormat).toULongLong(&ok);
    if (!ok || from >= rows_.size()) {
        return;
    }
    event->acceptProposedAction();
    dropRow(static_cast<std::size_t>(from), dropOffsetAt(event->position().toPoint().y()));
}

} // namespace panemark
