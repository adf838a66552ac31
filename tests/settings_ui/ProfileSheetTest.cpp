#include "settings_ui/ProfileSheet.h"

#include "../support/OffscreenApplication.h"
#include "../support/SettleWidgets.h"
#include "base/ManualScheduler.h"
#include "platform/sim/SimPlatform.h"
#include "preferences/ConfigStore.h"
#include "profiles/ProfileDocument.h"
#include "settings_ui/ProfileRow.h"
#include "settings_ui/TriggerEditor.h"
#include "widgets/TerminalAlert.h"
#include "widgets/TerminalButton.h"
#include "widgets/TerminalCheckBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace panemark {
namespace {

class ProfileSheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureOffscreenApplication(); }

    ProfileSheetTest() {
        std::filesystem::create_directories(files);
        manager = std::make_unique<ProfileManager>(ProfileFileStore(base.string()), clock);
        openSheet();
    }
    ~ProfileSheetTest() override {
        sheet.reset();
        manager.reset();
        std::filesystem::remove_all(base);
        std::filesystem::remove_all(files);
        std::filesystem::remove(base.string() + ".conf");
    }

    void openSheet() {
        sheet = std::make_unique<ProfileSheet>(*manager, platform);
        sheet->choosers.exportPath = [this](const QString& offered) {
            offeredName = offered.toStdString();
            return std::optional((files / offered.toStdString()).string());
        };
        sheet->choosers.importPath = [this] { return importPath; };
        sheet->show();
        settle();
    }
    void settle() { settleWidgets(); }
    ProfileRow* row(const std::string& name) {
        for (ProfileRow* row : sheet->rows()) {
            if (row->name().toStdString() == name) {
                return row;
            }
        }
        return nullptr;
    }
    QAction* menuItem(ProfileRow* row, const QString& title) {
        for (QAction* action : row->menu()->actions()) {
            if (action->text() == title) {
                return action;
            }
        }
        return nullptr;
    }
    void click(const QString& button) {
        ASSERT_TRUE(sheet->alert()) << button.toStdString();
        TerminalButton* found = sheet->alert()->button(button);
        ASSERT_TRUE(found) << button.toStdString();
        QTest::mouseClick(found, Qt::LeftButton);
        settle();
    }
    std::vector<std::string> names() {
        std::vector<std::string> all;
        for (const Profile& profile : manager->profiles.get()) {
            all.push_back(profile.name);
        }
        return all;
    }
    void screenshot(QWidget& window, const char* name) {
        settle();
        std::filesystem::create_directories(SCREENSHOT_DIR);
        window.grab().save(QString(SCREENSHOT_DIR "/") + name);
    }

    std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("panemark-sheet-" + std::to_string(getpid()));
    std::filesystem::path files = base.string() + "-files";
    SimPlatform platform;
    ManualScheduler clock;
    std::unique_ptr<ProfileManager> manager;
    std::unique_ptr<ProfileSheet> sheet;
    std::string offeredName;
    std::optional<std::string> importPath;
};

TEST_F(ProfileSheetTest, TheLastProfileCannotBeDeleted) {
    ASSERT_EQ(sheet->rows().size(), 1u);
    EXPECT_FALSE(menuItem(sheet->rows()[0], "Delete")->isEnabled());
    EXPECT_TRUE(sheet->rows()[0]->showsCheckmark());
    EXPECT_EQ(sheet->rows()[0]->summary(), "Manual only");
    manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    settle();
    EXPECT_TRUE(menuItem(row("Work"), "Delete")->isEnabled());
    EXPECT_FALSE(row("Work")->showsCheckmark());
}

TEST_F(ProfileSheetTest, RenamesCommitOnReturnOrASecondRenameAndEscapeLeavesThemAlone) {
    manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    settle();
    QTest::mouseDClick(row("Default")->nameLabel(), Qt::LeftButton);
    settle();
    QLineEdit* field = sheet->rows()[0]->renameField();
    ASSERT_TRUE(field);
    field->selectAll();
    QTest::keyClicks(field, "   ");
    QTest::keyClick(field, Qt::Key_Return);
    settle();
    EXPECT_EQ(names()[0], "Default"); // a blank name keeps the old one
    EXPECT_FALSE(sheet->renaming());
    EXPECT_TRUE(sheet->isVisible()); // Return is spent on the name, not on Done

    menuItem(row("Work"), "Rename")->trigger();
    settle();
    QTest::keyClicks(sheet->rows()[1]->renameField(), "x");
    QTest::keyClick(sheet->rows()[1]->renameField(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(names()[1], "Work");
    EXPECT_FALSE(sheet->renaming());

    sheet->beginRename(manager->profiles.get()[0].id);
    settle();
    sheet->rows()[0]->renameField()->selectAll();
    QTest::keyClicks(sheet->rows()[0]->renameField(), "Laptop");
    sheet->beginRename(manager->profiles.get()[1].id); // commits the first
    settle();
    EXPECT_EQ(names()[0], "Laptop");
    EXPECT_EQ(sheet->renaming(), manager->profiles.get()[1].id);
}

TEST_F(ProfileSheetTest, DeletingAsksFirstInThePlainestWords) {
    const Uuid desk = manager->createProfile("Desk", ProfileManager::NewProfileSeed::defaults);
    std::vector<ZoneCommand> five = manager->snapshot(desk)->commands;
    five.resize(5);
    manager->setCommands(desk, five);
    settle();
    menuItem(row("Desk"), "Delete")->trigger();
    ASSERT_TRUE(sheet->alert());
    EXPECT_EQ(sheet->alert()->title(), "Delete profile?");
    EXPECT_EQ(sheet->alert()->message(),
              "“Desk” and its 5 command(s) will be deleted. This can't be undone — export it "
              "first if you might want it back.");
    screenshot(*sheet->alert(), "profile-delete.png");
    click("Cancel");
    EXPECT_EQ(names().size(), 2u);
    // Return goes to Cancel, the button drawn as the default, and Escape too, wherever the
    // keyboard focus is.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        menuItem(row("Desk"), "Delete")->trigger();
        ASSERT_TRUE(sheet->alert());
        TerminalButton* deleteButton = sheet->alert()->button("Delete");
        deleteButton->setFocus();
        QTest::keyClick(deleteButton, key);
        settle();
        EXPECT_EQ(names().size(), 2u) << key;
        EXPECT_FALSE(sheet->alert()) << key;
    }
    menuItem(row("Desk"), "Delete")->trigger();
    click("Delete");
    EXPECT_EQ(names(), std::vector<std::string>{"Default"});
}

TEST_F(ProfileSheetTest, ACopyOfTheActiveProfileIsNamedAfterItAndTakesOver) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    manager->activate(work);
    manager->setGap(work, 8);
    settle();
    sheet->askNewProfile();
    ASSERT_TRUE(sheet->alert());
    EXPECT_EQ(sheet->alert()->title(), "New profile");
    EXPECT_EQ(sheet->alert()->message(), "Start with no commands, with the stock command set, or "
                                         "with a copy of the profile you're using now.");
    click("Copy “Work”");
    const Profile copy = manager->activeProfile();
    EXPECT_EQ(copy.name, "Work 2");
    EXPECT_EQ(copy.commands.size(), manager->snapshot(work)->commands.size());
    EXPECT_EQ(copy.gap, 8);
    EXPECT_TRUE(copy.trigger.isManualOnly());
    EXPECT_FALSE(sheet->isVisible()); // closed: the user edits the new profile
}

TEST_F(ProfileSheetTest, ReturnInTheNewProfileChoiceIsTheDefaultCancel) {
    sheet->askNewProfile();
    ASSERT_TRUE(sheet->alert());
    TerminalButton* empty = sheet->alert()->button("Empty Profile");
    empty->setFocus();
    QTest::keyClick(empty, Qt::Key_Return);
    settle();
    EXPECT_FALSE(sheet->alert());
    EXPECT_EQ(names().size(), 1u);
}

TEST_F(ProfileSheetTest, AnEmptyProfileWithABlankNameIsANewProfile) {
    for (const char* expected : {"New Profile", "New Profile 2"}) {
        openSheet();
        sheet->askNewProfile();
        click("Empty Profile");
        ASSERT_TRUE(sheet->alert());
        EXPECT_EQ(sheet->alert()->title(), "Name the new profile");
        EXPECT_EQ(sheet->alert()->field()->text(), "New Profile");
        EXPECT_EQ(sheet->alert()->field()->placeholderText(), "Name");
        sheet->alert()->field()->clear();
        click("Create");
        EXPECT_EQ(manager->activeProfile().name, expected);
        EXPECT_TRUE(manager->activeProfile().commands.empty());
        EXPECT_FALSE(sheet->isVisible());
    }
}

TEST_F(ProfileSheetTest, TheTriggerEditorTicksWhatIsConnectedAndSavesOnlyOnSave) {
    platform.desktop().setScreens(
        {Screen{{0, 0, 1920, 1080}, {0, 32, 1920, 1048}, 1, "Built-in", true, "BUILTIN"},
         Screen{{1920, 0, 2560, 1440}, {1920, 0, 2560, 1440}, 2, "DELL U2720Q", false, "AAA"},
         Screen{{4480, 0, 1920, 1080}, {4480, 0, 1920, 1080}, 3, "LG 24", false, "BBB"}});
    platform.simKeyboardDevices().connect({{0x05ac, 0x0250, "Apple Keyboard"},
                                           {0x046d, 0xc31c, "Logitech K120"},
                                           {0x046d, 0xc31c, "Logitech K120"}});
    const Uuid desk = manager->createProfile("Desk", ProfileManager::NewProfileSeed::defaults);
    ProfileTrigger unplugged;
    unplugged.displayUUIDs = {"GONE"};
    manager->setTrigger(unplugged, desk);
    settle();
    menuItem(row("Desk"), "Edit Trigger…")->trigger();
    TriggerEditor* editor = sheet->triggerEditor();
    ASSERT_TRUE(editor);
    ASSERT_EQ(editor->displayBoxes().size(), 2u);
    ASSERT_EQ(editor->keyboardBoxes().size(), 3u);
    QTest::mouseClick(editor->displayBoxes()[1], Qt::LeftButton);
    QTest::mouseClick(editor->displayBoxes()[0], Qt::LeftButton);
    QTest::mouseClick(editor->keyboardBoxes()[0], Qt::LeftButton);
    QTest::mouseClick(editor->keyboardBoxes()[1], Qt::LeftButton); // replaces the first
    EXPECT_FALSE(editor->keyboardBoxes()[0]->isChecked());
    EXPECT_TRUE(editor->keyboardBoxes()[2]->isChecked()); // the same model
    screenshot(*editor, "trigger-editor.png");
    editor->keyboardBoxes()[1]->setFocus();
    QTest::keyClick(editor->keyboardBoxes()[1], Qt::Key_Return); // saves, as Save is drawn
    settle();
    const ProfileTrigger saved = manager->snapshot(desk)->trigger;
    EXPECT_EQ(saved.displayUUIDs, (std::vector<std::string>{"GONE", "BBB", "AAA"}));
    EXPECT_EQ(saved.keyboard, (HIDDeviceID{0x046d, 0xc31c}));
    EXPECT_EQ(row("Desk")->summary(), "3 displays, + keyboard");

    menuItem(row("Desk"), "Edit Trigger…")->trigger();
    QTest::mouseClick(sheet->triggerEditor()->displayBoxes()[0], Qt::LeftButton);
    QTest::mouseClick(sheet->triggerEditor()->noExternalDisplayBox(), Qt::LeftButton);
    sheet->triggerEditor()->reject(); // Cancel
    settle();
    EXPECT_EQ(manager->snapshot(desk)->trigger, saved);
}

TEST_F(ProfileSheetTest, NothingConnectedLeavesOnlyTheLaptopBox) {
    platform.desktop().setScreens(
        {Screen{{0, 0, 1920, 1080}, {0, 32, 1920, 1048}, 1, "Built-in", true, "BUILTIN"}});
    platform.simKeyboardDevices().connect({});
    sheet->editTrigger(manager->profiles.get()[0].id);
    TriggerEditor* editor = sheet->triggerEditor();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->displayBoxes().empty());
    EXPECT_TRUE(editor->keyboardBoxes().empty());
    const auto texts = editor->findChildren<QLabel*>();
    auto shows = [&](const QString& words) {
        return std::any_of(texts.begin(), texts.end(),
                           [&](QLabel* label) { return label->text() == words; });
    };
    EXPECT_TRUE(shows("No external display connected right now."));
    EXPECT_TRUE(shows("No external keyboard detected right now."));
    QTest::mouseClick(editor->noExternalDisplayBox(), Qt::LeftButton);
    editor->save();
    EXPECT_EQ(manager->profiles.get()[0].trigger.summary(), "No external display");
}

TEST_F(ProfileSheetTest, DraggingTheLastRowToTheTopIsStoredAtOnce) {
    manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    manager->createProfile("Desk", ProfileManager::NewProfileSeed::defaults);
    settle();
    QMimeData data;
    data.setData(ProfileRow::dragFormat, "2");
    const QPoint top = sheet->rows()[0]->mapTo(sheet.get(), QPoint(10, 2));
    QDragEnterEvent enter(top, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sheet.get(), &enter);
    QDropEvent drop(top, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sheet.get(), &drop);
    EXPECT_EQ(names(), (std::vector<std::string>{"Desk", "Default", "Work"}));
    // profiles.json says so already: a fresh manager reads the same order.
    ProfileManager reread(ProfileFileStore(base.string()), clock);
    std::vector<std::string> stored;
    for (const Profile& profile : reread.profiles.get()) {
        stored.push_back(profile.name);
    }
    EXPECT_EQ(stored, names());
    sheet->dropRow(0, 3); // to the end
    EXPECT_EQ(names(), (std::vector<std::string>{"Default", "Work", "Desk"}));
    screenshot(*sheet, "profile-sheet.png");
}

TEST_F(ProfileSheetTest, AnExportedProfileImportsAsASecondCopy) {
    const Uuid work = manager->createProfile("Work", ProfileManager::NewProfileSeed::defaults);
    manager->setGap(work, 6);
    ProfileTrigger trigger;
    trigger.requireNoExternalDisplay = true;
    manager->setTrigger(trigger, work);
    settle();
    menuItem(row("Work"), "Export…")->trigger();
    EXPECT_EQ(offeredName, "Work.panemarkprofile");
    importPath = (files / offeredName).string();
    sheet->importProfile();
    settle();
    EXPECT_FALSE(sheet->alert());
    ASSERT_EQ(names().back(), "Work 2");
    const Profile original = *manager->snapshot(work);
    const Profile copy = manager->profiles.get().back();
    EXPECT_NE(copy.id, original.id);
    EXPECT_EQ(copy.commands, original.commands);
    EXPECT_EQ(copy.gap, 6);
    EXPECT_EQ(copy.trigger, trigger);
    EXPECT_NE(manager->activeProfileID.get(), copy.id); // not activated

    // A name typed without the extension gets it, so the import offers the file.
    sheet->choosers.exportPath = [this](const QString&) {
        return std::optional((files / "typed").string());
    };
    menuItem(row("Work"), "Export…")->trigger();
    EXPECT_TRUE(std::filesystem::exists(files / "typed.panemarkprofile"));
    EXPECT_EQ(ProfileDocument::withExtension("/a/b.JSON"), "/a/b.JSON");
    EXPECT_EQ(ProfileDocument::withExtension("/a.panemarkprofile/b"),
              "/a.panemarkprofile/b.panemarkprofile");
}

TEST_F(ProfileSheetTest, WhatIsNotAProfileFileIsRefusedInWordsAndAddsNothing) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"commands.json", "[{\"cols\":2,\"rows\":1}]"},
        {"empty.panemarkprofile", ""},
        {"binary.panemarkprofile", std::string("\x7f"
                                               "ELF\x02\x01\x01\0\0\0",
                                               10)},
    };
    for (const auto& [name, content] : bad) {
        std::ofstream(files / name, std::ios::binary) << content;
        importPath = (files / name).string();
        sheet->importProfile();
        ASSERT_TRUE(sheet->alert()) << name;
        EXPECT_EQ(sheet->alert()->title(), "Couldn't import profile");
        EXPECT_NE(sheet->alert()->message().toStdString().find(name), std::string::npos)
            << sheet->alert()->message().toStdString();
        if (name == "empty.panemarkprofile") {
            screenshot(*sheet->alert(), "profile-import-error.png");
        }
        click("OK");
        EXPECT_EQ(names(), std::vector<std::string>{"Default"}) << name;
    }
}

} // namespace
} // namespace panemark
