// The New Project dialog and the machine-file dialog: the defaults and the edits that take back their
// last valid text, the machines and gauges the file list is narrowed to, OK without a selection, and
// Open Project from the main window, and where the two dialogs stand.

#include "tests/app/ProjectSupport.h"

#include "app/UNewProj.h"
#include "app/UOpenProj.h"
#include "editors/NumEdit_m.h"
#include "ui/combobox_m.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "ui/button_m.h"

#include <gtest/gtest.h>

namespace {

// Runs Execute with Script in place of the user.
struct ModalScript {
    explicit ModalScript(std::function<void(MModalForm&)> Script) {
        MModalForm::ModalHook = std::move(Script);
    }
    ~ModalScript() { MModalForm::ModalHook = nullptr; }
};

QStringList Listed(const TFormOpenProj& Form) {
    QStringList names;
    for (int i = 0; i < Form.FileListBox1->count(); ++i)
        names << Form.FileListBox1->item(i)->text();
    return names;
}

// A folder holding the names of the machine-file dialog's cases.
struct MachineFolder {
    MachineFolder() {
        for (const char* name : {"knit_740e7.LST", "knit_729e7.LST", "KNIT_740E12.lst", "knit.LST",
                                 "p_740e7.LST", "p_740e8.LST", "p_999e7.LST", "p_740e7.BMP"})
            kdstest::WriteFile(Dir.filePath(QLatin1String(name)), "x");
        QDir(Dir.path()).mkdir(QStringLiteral("sub.folder"));
    }
    QTemporaryDir Dir;
};

} // namespace

TEST(NewProjectDialog, OutOfRangePositionsGiveTheDefaultsAndEveryKnownMachineIsOffered) {
    TOFormNewProj form;
    ASSERT_EQ(form.cmpMachineNr->count(), 13);
    EXPECT_EQ(form.cmpMachineNr->itemText(8), QStringLiteral("729"));
    EXPECT_EQ(form.cmpGaugeNr->itemText(0), QStringLiteral("2"));
    EXPECT_EQ(form.cmpGaugeNr->itemText(13), QStringLiteral("15"));
    struct Case {
        int Machine, Gauge, WantMachine, WantGauge;
    } cases[] = {{-1, -1, 740, 7}, {13, 14, 740, 7}, {0, 0, 706, 2}, {8, 13, 729, 15}, {12, 3, 748, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Machine);
        form.SetMachineIndex(c.Machine);
        form.SetGaugeIndex(c.Gauge);
        EXPECT_EQ(form.GetMachine(), c.WantMachine);
        EXPECT_EQ(form.GetGauge(), c.WantGauge);
    }
}

TEST(NewProjectDialog, AnEditTakesBackItsLastValidTextAndAnUnreadableSizeGives100) {
    TOFormNewProj form;
    ModalScript script([](MModalForm& F) {
        auto& f = static_cast<TOFormNewProj&>(F);
        f.MEditWidth->setText(QStringLiteral("320"));
        for (const char* bad : {"0", "abc", "-4", ""})
            f.MEditWidth->setText(QLatin1String(bad));
        f.MBtnOK->click();
    });
    ASSERT_TRUE(form.Execute());
    EXPECT_EQ(form.MEditWidth->text(), QStringLiteral("320"));
    EXPECT_EQ(form.GetWidth(), 320);
    EXPECT_EQ(form.GetLength(), 250);
    // Text set around the edit's own check (a value kept in the settings, say) reads as 100.
    form.MEditLength->blockSignals(true);
    form.MEditLength->setText(QStringLiteral("abc"));
    EXPECT_EQ(form.GetLength(), 100);
}

TEST(NewProjectDialog, APictureTooLargeToMakeIsRefusedAndTheDialogStaysOpen) {
    kdstest::MScriptedMessages messages;
    TOFormNewProj form;
    ModalScript script([](MModalForm& F) {
        auto& f = static_cast<TOFormNewProj&>(F);
        f.MEditWidth->setText(QStringLiteral("999999"));
        f.MEditLength->setText(QStringLiteral("999999"));
        f.MBtnOK->click();
    });
    EXPECT_FALSE(form.Execute());
    ASSERT_EQ(messages.Coded.size(), 1u);
    EXPECT_EQ(messages.Coded[0].SubCode, 3404);
}

TEST(MachineFileDialog, ListsTheMachineFilesOfTheChosenMachineAndGauge) {
    MachineFolder folder;
    TFormOpenProj form;
    form.SetDirectory(folder.Dir.path());
    struct Case {
        const char* Machine;
        const char* Gauge;
        QStringList Want;
    } cases[] = {
        {"All", "All", {"knit_729e7.LST", "KNIT_740E12.lst", "knit_740e7.LST", "p_740e7.LST", "p_740e8.LST"}},
        {"740", "7", {"knit_740e7.LST", "p_740e7.LST"}},
        {"729", "All", {"knit_729e7.LST"}},
        {"All", "12", {"KNIT_740E12.lst"}},
        {"706", "All", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Machine) + "/" + c.Gauge);
        form.cmpMachineNr->setCurrentText(QLatin1String(c.Machine));
        form.cmpGaugeNr->setCurrentText(QLatin1String(c.Gauge));
        EXPECT_EQ(Listed(form), c.Want);
    }
    // The folder tree ends in the folder's subfolders, a dot in a folder name included.
    const auto sub = form.DirectoryListBox1->findItems(QStringLiteral("sub.folder"), Qt::MatchEndsWith);
    EXPECT_EQ(sub.size(), 1);
    EXPECT_THROW(form.SetDirectory(folder.Dir.filePath(QStringLiteral("knit.LST"))), EFOpenError);
}

TEST(MachineFileDialog, OkNeedsASelectionAndADoubleClickActsAsOk) {
    MachineFolder folder;
    TFormOpenProj form;
    form.SetDirectory(folder.Dir.path());
    {
        ModalScript script([](MModalForm& F) { static_cast<TFormOpenProj&>(F).BtnOK->click(); });
        EXPECT_FALSE(form.Execute());
        EXPECT_TRUE(form.FileName.isEmpty());
    }
    {
        ModalScript script([](MModalForm& F) {
            auto& f = static_cast<TFormOpenProj&>(F);
            f.BtnOK->click();
            // Still open after OK without a selection: the choice is made afterwards.
            EXPECT_TRUE(f.IsModal());
            f.FileListBox1->setCurrentRow(2);
            emit f.FileListBox1->itemDoubleClicked(f.FileListBox1->currentItem());
        });
        ASSERT_TRUE(form.Execute());
        EXPECT_EQ(form.FileName, QDir(folder.Dir.path()).filePath(QStringLiteral("knit_740e7.LST")));
    }
    ModalScript script([](MModalForm& F) {
        auto& f = static_cast<TFormOpenProj&>(F);
        f.FileListBox1->setCurrentRow(0);
        f.btnCancel->click();
    });
    EXPECT_FALSE(form.Execute());
    EXPECT_TRUE(form.FileName.isEmpty());
}

TEST(MachineFileDialog, OpenProjectStartsInTheLastFolderAndRemembersTheChosenOne) {
    MachineFolder folder;
    apptest::StationFixture fx("[JXW777]\nopenProjectPath=" + folder.Dir.path().toUtf8() + "\n");
    QString shownIn;
    ModalScript script([&shownIn](MModalForm& F) {
        auto& f = static_cast<TFormOpenProj&>(F);
        shownIn = f.Directory();
        f.FileListBox1->setCurrentRow(0);
        f.BtnOK->click();
    });
    MBusProject* p = fx.Main().FileOpenProjectClick();
    EXPECT_EQ(shownIn, QDir::cleanPath(folder.Dir.path()));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(static_cast<apptest::FakeProject*>(p)->Opened,
              QDir(folder.Dir.path()).filePath(QStringLiteral("knit_729e7.LST")));
    EXPECT_EQ(fx.Main().Settings().OpenProjectPath, QDir(folder.Dir.path()).absolutePath());
}

// New Project and Open Project stand over the middle of the main window that asked, wherever it is on
// the screen, instead of at the screen's corner.
TEST(ProjectDialogs, NewAndOpenProjectStandOverTheMiddleOfTheMainWindow) {
    prjtest::ProjectFixture fx;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    TFormMain& main = fx.Main();
    main.showNormal();
    main.setGeometry(area.x() + 160, area.y() + 120, 720, 520);
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    const auto shownAt = [&](const std::function<void()>& Ask) {
        QRect at;
        ModalScript script([&at](MModalForm& F) {
            at = F.frameGeometry();
            F.SetModalResult(mrCancel);
        });
        Ask();
        return at;
    };
    const std::pair<const char*, std::function<void()>> asks[] = {
        {"New Project", [&] { EXPECT_EQ(main.FileNewProjectClick(), nullptr); }},
        {"Open Project", [&] { EXPECT_EQ(main.FileOpenProjectClick(), nullptr); }},
    };
    for (const auto& [name, ask] : asks) {
        SCOPED_TRACE(name);
        const QRect at = shownAt(ask);
        ASSERT_TRUE(at.isValid());
        const QPoint off = at.center() - main.frameGeometry().center();
        EXPECT_LE(off.manhattanLength(), 1) << at.x() << "," << at.y();
    }
}
