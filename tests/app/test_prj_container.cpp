// The project container: its buttons and the windows they open, toggle and track; the order in which
// module windows store their rows; minimising with the container; the names and captions after
// opening; the close question; and the project's windows going before its data.

#include "tests/app/ProjectSupport.h"

#include "app/BusCodes.h"
#include "app/UFormTelCalls.h"
#include "app/UNewProj.h"
#include "app/UOpenProj.h"
#include "model/ULstFile.h"
#include "model/Ucommon.h"
#include "model/UrunFiles.h"
#include "model/UseqTrace.h"
#include "model/Usequencer.h"
#include "model/UunvZ.h"
#include "tests/support/ProjectScript.h"
#include "ui/Speedbutton_m.h"
#include "ui/button_m.h"

#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

using namespace prjtest;

TEST(PrjContainer, NewProjectMakesTheDialogsProjectAndACancelClosesTheContainer) {
    ProjectFixture fx;
    MModalForm::ModalHook = [](MModalForm& F) {
        auto& f = static_cast<TOFormNewProj&>(F);
        f.SetMachineIndex(8);
        f.MBtnOK->click();
    };
    auto* p = static_cast<TPrjContainer*>(fx.Main().FileNewProjectClick());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Program().Machine.Model, 729);
    EXPECT_EQ(MachineIndex, 8);
    EXPECT_EQ(p->Program().Z.Count(), 100);
    EXPECT_FALSE(p->IsModified());
    EXPECT_TRUE(p->NeedsAutosave());
    EXPECT_EQ(p->GetProjectName(), NoName);
    EXPECT_EQ(p->Caption(), QStringLiteral("no name    729  E7"));
    ASSERT_NE(p->Board(), nullptr);
    EXPECT_EQ(p->Board()->ImageWidth(), 250);
    EXPECT_EQ(p->Board()->GetCell(249, 249), NewPictureColor);
    EXPECT_TRUE(p->IsChildOpen(prjwin::Drawing));
    EXPECT_TRUE(p->Button(prjwin::Drawing)->isEnabled());
    EXPECT_FALSE(p->Drawing()->StandAlone);

    MModalForm::ModalHook = [](MModalForm& F) { static_cast<TOFormNewProj&>(F).MBtnCancel->click(); };
    EXPECT_EQ(fx.Main().FileNewProjectClick(), nullptr);
    EXPECT_EQ(fx.Main().Projects().size(), 1u);
}

TEST(PrjContainer, OpeningByAnyNameTakesTheSiblingsAndShowsTheNamesInTheCaptions) {
    ProjectFixture fx;
    const QString jxw = fx.MakeProject(QStringLiteral("abc_740e7"));
    const QString base = fx.Dir.filePath(QStringLiteral("abc_740e7"));
    TPrjContainer* p = fx.Open(base + QStringLiteral(".BMP"));
    EXPECT_EQ(p->GetProjectName(), jxw);
    EXPECT_EQ(p->ProgramName(), QStringLiteral("abc_740e7"));
    EXPECT_EQ(p->Caption(), base + QStringLiteral("    740  E7"));
    auto* drawing = dynamic_cast<FakeBoard*>(p->Drawing());
    ASSERT_NE(drawing, nullptr);
    EXPECT_EQ(drawing->Caption(), QStringLiteral("Image  Prog:abc_740e7  Machine:740  E:7  "));
    EXPECT_EQ(drawing->FileName, base + QStringLiteral(".BMP"));
    EXPECT_EQ(drawing->ImageWidth(), 20);
    EXPECT_EQ(p->Pattern(), &drawing->Pattern());
    EXPECT_FALSE(p->IsModified());
    EXPECT_TRUE(p->NeedsAutosave());
    // The container is bound to its fixed size, whatever it is asked.
    p->resize(900, 300);
    EXPECT_EQ(p->size(), QSize(TPrjContainer::FixedWidth, TPrjContainer::FixedHeight));
}

// Each of the three files damaged in turn: the opening raises the message naming that file, and no
// bar, drawing or window of the project stays in the frame.
TEST(PrjContainer, AProjectWithADamagedFileOpensNothing) {
    ProjectFixture fx;
    const QString jxw = fx.MakeProject(QStringLiteral("dmg_740e7"));
    for (const QString& ext : {QStringLiteral(".LST"), QStringLiteral(".BMP"), QStringLiteral(".JXW")}) {
        SCOPED_TRACE(ext.toStdString());
        const QString file = fx.Dir.filePath(QStringLiteral("dmg_740e7") + ext);
        const QByteArray good = kdstest::ReadFile(file);
        QByteArray bad = good.left(good.size() / 3);
        if (ext == QLatin1String(".JXW"))
            bad = good.left(256) + QByteArray("\x0a\0\0\0\x09\0\0\0", 8); // nine strips counted, none held
        kdstest::WriteFile(file, bad);
        try {
            fx.Open(jxw);
            ADD_FAILURE() << "opened";
        } catch (const EProjectFile& e) {
            EXPECT_EQ(e.File, file);
            EXPECT_EQ(e.SubCode, prjmsg::OpenFailed);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(fx.Main().Projects().empty());
        EXPECT_TRUE(fx.Main().Drawings().empty());
        EXPECT_TRUE(fx.Main().Client()->subWindowList().isEmpty());
        kdstest::WriteFile(file, good);
    }
    EXPECT_NE(fx.Open(jxw), nullptr);
}

// A project that is open, named again by any road into the one open function and by any of its
// names (another spelling of its folder through a link included), is brought forward instead of
// opened a second time; a project of the same name in another folder opens as its own.
TEST(PrjContainer, AProjectThatIsOpenIsBroughtForwardByEveryRoadInsteadOfOpenedAgain) {
    ProjectFixture fx;
    const QString jxw = fx.MakeProject(QStringLiteral("same_740e7"));
    const QString base = fx.Dir.filePath(QStringLiteral("same_740e7"));
    ASSERT_TRUE(QFile::link(fx.Dir.path(), fx.Dir.filePath(QStringLiteral("link"))));
    fx.Main().Settings().OpenProjectPath = fx.Dir.path();
    QString received;
    using TRoad = std::function<void()>;
    const std::pair<const char*, TRoad> roads[] = {
        {"the open function by its picture", [&] { fx.Main().OpenProjectFile(base + ".BMP"); }},
        {"the open function through a link",
         [&] { fx.Main().OpenProjectFile(fx.Dir.filePath(QStringLiteral("link/same_740e7.LST"))); }},
        {"a drop", [&] { fx.Main().OpenDroppedFiles({base + ".LST"}); }},
        {"Open Project",
         [&] {
             MModalForm::ModalHook = [](MModalForm& F) {
                 auto& f = static_cast<TFormOpenProj&>(F);
                 const auto items =
                     f.FileListBox1->findItems(QStringLiteral("same_740e7.LST"), Qt::MatchExactly);
                 ASSERT_EQ(items.size(), 1);
                 f.FileListBox1->setCurrentItem(items[0]);
                 f.BtnOK->click();
             };
             fx.Main().FileOpenProjectClick();
             MModalForm::ModalHook = nullptr;
         }},
        {"a received project",
         [&] {
             MModalForm::ModalHook = [&](MModalForm& F) {
                 static_cast<TFormTransfer&>(F).ReceivedFiles = {base + ".LST"};
             };
             fx.Main().FileTelephoneTransferClick();
             MModalForm::ModalHook = nullptr;
         }},
    };
    TPrjContainer* p = fx.Open(jxw);
    TPrjContainer* other = fx.Open(fx.MakeProject(QStringLiteral("other_740e7")));
    for (const auto& [what, road] : roads) {
        SCOPED_TRACE(what);
        fx.Main().Client()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(fx.Frame(other)));
        fx.Frame(p)->showMinimized();
        road();
        EXPECT_EQ(fx.Main().Projects(), (std::vector<MBusProject*>{p, other}));
        EXPECT_EQ(fx.Main().Drawings().size(), 2u);
        EXPECT_EQ(fx.Main().Client()->activeSubWindow(), fx.Frame(p));
        EXPECT_FALSE(fx.Frame(p)->isMinimized());
        EXPECT_EQ(fx.Main().CurrentProject(), p);
        EXPECT_EQ(fx.Shown(), 0u);
    }
    // The same name in another folder is another project.
    QDir().mkpath(fx.Dir.filePath(QStringLiteral("sub")));
    auto files = NewProjectFiles(740, 7, 20, 10);
    const QString elsewhere =
        SaveProjectFiles(fx.Dir.filePath(QStringLiteral("sub/same_740e7.LST")), *files).HeaderFile;
    MBusProject* second = fx.Main().OpenProjectFile(elsewhere);
    EXPECT_NE(second, p);
    EXPECT_EQ(fx.Main().Projects().size(), 3u);
}

TEST(PrjContainer, TheButtonPatternOpensMinimisesAndRestoresEachProjectsOwnWindow) {
    ProjectFixture fx;
    TPrjContainer* a = fx.Open(fx.MakeProject(QStringLiteral("a_740e7")));
    TPrjContainer* b = fx.Open(fx.MakeProject(QStringLiteral("b_740e7")));
    a->PressButton(prjwin::P);
    ASSERT_EQ(fx.Windows.size(), 1u);
    QWidget* pa = fx.Windows[0];
    EXPECT_EQ(a->ChildWindow(prjwin::P), pa);
    EXPECT_FALSE(fx.Frame(pa)->isMinimized());
    a->PressButton(prjwin::P);
    EXPECT_TRUE(fx.Frame(pa)->isMinimized());
    a->PressButton(prjwin::P);
    EXPECT_FALSE(fx.Frame(pa)->isMinimized());
    EXPECT_EQ(fx.Windows.size(), 1u);
    // The other project's button opens a window of its own and leaves the first alone.
    b->PressButton(prjwin::P);
    ASSERT_EQ(fx.Windows.size(), 2u);
    EXPECT_EQ(b->ChildWindow(prjwin::P), fx.Windows[1]);
    EXPECT_EQ(a->ChildWindow(prjwin::P), pa);
    EXPECT_FALSE(fx.Frame(pa)->isMinimized());
    // A window that closes leaves its record.
    delete fx.Frame(pa);
    EXPECT_FALSE(a->IsChildOpen(prjwin::P));
    // Buttons without a creator are disabled (the program test has its window); the drawing's never
    // makes a window.
    TPrjContainer::SetChildCreator(prjwin::W, nullptr);
    a->UpdateButtons();
    EXPECT_FALSE(a->Button(prjwin::W)->isEnabled());
    EXPECT_TRUE(a->Button(prjwin::ProgramTest)->isEnabled());
    // The station gives the bar its import window.
    EXPECT_TRUE(a->ImportButton()->isEnabled());
    EXPECT_TRUE(a->Button(prjwin::N)->isEnabled());
}

TEST(PrjContainer, MinimisingTheContainerMinimisesItsWindowsAndRestoringGivesBackTheirStates) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("m_740e7")));
    p->PressButton(prjwin::N);
    p->PressButton(prjwin::S);
    p->PressButton(prjwin::S); // the active child: minimised
    QWidget* n = p->ChildWindow(prjwin::N);
    QWidget* s = p->ChildWindow(prjwin::S);
    ASSERT_TRUE(fx.Frame(s)->isMinimized());
    fx.Frame(p)->showMinimized();
    p->SyncChildStates();
    EXPECT_TRUE(fx.Frame(n)->isMinimized());
    EXPECT_TRUE(fx.Frame(p->Drawing()->BusWidget())->isMinimized());
    fx.Frame(p)->showNormal();
    p->SyncChildStates();
    EXPECT_FALSE(fx.Frame(n)->isMinimized());
    EXPECT_TRUE(fx.Frame(s)->isMinimized());
    EXPECT_FALSE(fx.Frame(p->Drawing()->BusWidget())->isMinimized());
}

TEST(PrjContainer, GotoModuleItemOpensTheKindsWindowAndGoesToTheEntry) {
    struct Case {
        int Kind;
        int Index; // -1: nothing opens
        std::string Log;
    } cases[] = {
        {1, prjwin::P, "goto 7 5"},
        {2, prjwin::N, "goto 0 5"},
        {3, prjwin::Z, "goto 2 5"},
        {4, prjwin::R, "goto 8 5"},
        {5, prjwin::S, "goto 1 5"},
        {6, prjwin::W, "goto 3 5"},
        {7, prjwin::FS, "goto 4 5"},
        {8, prjwin::FD, "goto 6 5"},
        {9, prjwin::FE, "goto 5 5"},
        {10, prjwin::C, ""},
        {0, -1, ""},
        {11, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Kind);
        ProjectFixture fx;
        TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("g_740e7")));
        fx.Log.clear();
        p->GotoModuleItem(c.Kind, 5);
        EXPECT_EQ(fx.Windows.size(), c.Index < 0 ? 0u : 1u);
        if (c.Index >= 0) {
            EXPECT_NE(p->ChildWindow(c.Index), nullptr);
        }
        std::vector<std::string> gotos;
        for (const std::string& l : fx.Log)
            if (l.starts_with("goto"))
                gotos.push_back(l);
        EXPECT_EQ(gotos, c.Log.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.Log});
    }
    // On the active child: brought forward and moved, never minimised first.
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("g_740e7")));
    p->PressButton(prjwin::Z);
    ASSERT_EQ(p->ActiveChild(), p->ChildWindow(prjwin::Z));
    p->GotoModuleItem(3, 9);
    EXPECT_FALSE(fx.Frame(p->ChildWindow(prjwin::Z))->isMinimized());
    EXPECT_EQ(fx.Log.back(), "goto 2 9");
}

// Asking whether the project changed stores nothing; ApplyAllEdits stores every window's row in
// order and stops at the first that cannot be stored, which shows why and comes to the front;
// ChildActivated asks every other window and swallows their errors.
TEST(PrjContainer, ApplyAllEditsStopsAtTheFirstRowItCannotStoreWithItsWindowInFront) {
    for (const bool invalid : {true, false}) {
        SCOPED_TRACE(invalid ? "row not valid" : "store refused");
        ProjectFixture fx;
        TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("e_740e7")));
        for (int i = 0; i <= prjwin::C; ++i)
            p->PressButton(i);
        TestWindow* r = nullptr;
        TestWindow* z = nullptr;
        for (auto& w : fx.Windows) {
            if (w && p->ChildWindow(prjwin::R) == w)
                r = w;
            if (w && p->ChildWindow(prjwin::Z) == w)
                z = w;
        }
        ASSERT_TRUE(r && z);
        r->Invalid = invalid;
        r->Refuses = !invalid;
        fx.Log.clear();
        EXPECT_FALSE(p->IsModified());
        // The last window's row differs from its entry: a change, found without storing anything.
        z->Pending = true;
        EXPECT_TRUE(p->IsModified());
        EXPECT_TRUE(fx.Log.empty());
        EXPECT_FALSE(p->Program().Z.Modified);

        p->PressButton(prjwin::W);
        ASSERT_NE(p->ActiveChild(), r);
        fx.Log.clear();
        EXPECT_FALSE(p->ApplyAllEdits());
        EXPECT_EQ(fx.Log, (std::vector<std::string>{"apply 1", "apply 3", "apply 7", "apply 0", "apply 8"}));
        EXPECT_EQ(p->ActiveChild(), r);
        EXPECT_EQ(fx.Main().Client()->activeSubWindow(), fx.Frame(r));
        // The error of a row that is not valid is shown; a refused row has shown its own.
        EXPECT_EQ(fx.Errors.Texts.size(), invalid ? 1u : 0u);

        r->Invalid = r->Refuses = false;
        fx.Log.clear();
        EXPECT_TRUE(p->ApplyAllEdits());
        EXPECT_EQ(fx.Log.size(), 10u);

        fx.Log.clear();
        r->Invalid = invalid;
        r->Refuses = !invalid;
        p->ChildActivated(p->ChildWindow(prjwin::W));
        EXPECT_EQ(fx.Log, (std::vector<std::string>{"apply 1", "apply 7", "apply 0", "apply 8", "apply 4",
                                                    "apply 6", "apply 5", "apply 2"}));
        EXPECT_EQ(p->ActiveChild(), p->ChildWindow(prjwin::W));
    }
}

TEST(PrjContainer, TheCloseQuestionSavesClosesOrKeepsTheProject) {
    struct Case {
        const char* Name;
        std::deque<int> Answers;
        bool NoName;
        std::deque<QString> SaveAs;
        int FailSave; // the message of a failed save: 3603 the folder is missing, 5036 a row cannot be held
        bool Closes;
        bool Saved;
    } cases[] = {
        {"yes", {mbYes}, false, {}, 0, true, true},
        {"no", {mbNo}, false, {}, 0, true, false},
        {"cancel", {mbCancel}, false, {}, 0, false, false},
        {"box closed", {mbClosed}, false, {}, 0, false, false},
        {"yes, save as cancelled", {mbYes}, true, {QString()}, 0, false, false},
        {"yes, save fails", {mbYes}, false, {}, 3603, false, false},
        {"yes, a row the machine file cannot hold", {mbYes}, false, {}, lstmsg::Mode, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ProjectFixture fx;
        const QString name = fx.MakeProject(QStringLiteral("q_740e7"));
        TPrjContainer* p = fx.Open(name);
        QPointer<QWidget> w = p;
        QPointer<QWidget> drawing = p->Drawing()->BusWidget();
        p->Program().Z.Modified = true;
        p->Drawing()->Changed = true;
        if (c.NoName)
            p->SetProjectName(NoName);
        if (c.FailSave == 3603)
            p->SetProjectName(fx.Dir.filePath(QStringLiteral("missing/q_740e7.JXW")));
        if (c.FailSave == lstmsg::Mode) {
            const MSwitchGuard unchecked(ListsAutoValidate, false);
            MUnvZ z;
            z.Number = 7;
            z.PB.Mode = 2;
            p->Program().Z.AddOrReplace(z);
        }
        const QByteArray before = kdstest::ReadFile(name);
        fx.Messages.Answers = c.Answers;
        fx.SaveAsAnswers = c.SaveAs;
        const bool closed = fx.Frame(p)->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(closed, c.Closes);
        ASSERT_FALSE(fx.Messages.Coded.empty());
        EXPECT_EQ(fx.Messages.Coded[0].SubCode, 3601);
        // The drawing never asks its own question.
        for (const auto& m : fx.Messages.Coded)
            EXPECT_NE(m.SubCode, 101);
        EXPECT_EQ(bool(w), !c.Closes);
        EXPECT_EQ(bool(drawing), !c.Closes);
        EXPECT_EQ(fx.Main().Projects().size(), c.Closes ? 0u : 1u);
        EXPECT_EQ(fx.Main().DetachedContainer() == nullptr || c.Closes, true);
        if (c.FailSave) {
            // The failure shows as its own numbered message, in the language shown.
            EXPECT_EQ(fx.Messages.Coded.back().Code, 11);
            EXPECT_EQ(fx.Messages.Coded.back().SubCode, c.FailSave);
            if (c.FailSave == lstmsg::Mode) {
                EXPECT_EQ(fx.Messages.Coded.back().Args, QStringLiteral("Z7;PB;2;0;1"));
            }
            EXPECT_TRUE(p->IsModified());
        }
        if (!c.Closes) {
            EXPECT_FALSE(p->Drawing()->StandAlone);
            EXPECT_EQ(kdstest::ReadFile(name), before);
        }
        if (c.Saved) {
            EXPECT_NE(kdstest::ReadFile(name.left(name.size() - 4) + QStringLiteral(".LST")), QByteArray());
        }
    }
}

TEST(PrjContainer, ASaveWithARowItsWindowCannotStoreWritesNothingAndKeepsTheProjectOpen) {
    for (const bool invalid : {false, true}) {
        SCOPED_TRACE(invalid ? "row not valid" : "store refused");
        ProjectFixture fx;
        const QString name = fx.MakeProject(QStringLiteral("r_740e7"));
        TPrjContainer* p = fx.Open(name);
        QPointer<QWidget> w = p;
        p->PressButton(prjwin::S);
        ASSERT_FALSE(fx.Windows.empty());
        fx.Windows.back()->Invalid = invalid;
        fx.Windows.back()->Refuses = !invalid;
        p->Program().Z.Modified = true;
        const QByteArray before = kdstest::ReadFile(name);
        fx.Messages.Answers = {mbYes};
        EXPECT_FALSE(fx.Frame(p)->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(w);
        EXPECT_EQ(kdstest::ReadFile(name), before);
        EXPECT_TRUE(p->IsModified());
        EXPECT_EQ(fx.Main().Projects().size(), 1u);
        // The error of a row that is not valid is shown; a refused row has shown its own.
        EXPECT_EQ(fx.Errors.Texts.size(), invalid ? 1u : 0u);
    }
}

TEST(PrjContainer, AnUnchangedProjectClosesWithoutAQuestionAndItsWindowsGoBeforeItsData) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("d_740e7")));
    p->PressButton(prjwin::Z);
    int zCount = -1;
    fx.Windows[0]->ReadOnDestroy = &zCount;
    EXPECT_TRUE(fx.Frame(p)->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fx.Messages.Coded.empty());
    EXPECT_EQ(zCount, 100);
    EXPECT_TRUE(fx.Main().Projects().empty());
    EXPECT_TRUE(fx.Main().Drawings().empty());
}

TEST(PrjContainer, SaveAsProposesTheNameWithItsMachineEndingAndKeepsTheFolder) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("knit")));
    const QString target = fx.Dir.filePath(QStringLiteral("out/knit_740e7.LST"));
    QDir().mkpath(fx.Dir.filePath(QStringLiteral("out")));
    // A save into a folder that cannot hold it fails and leaves the remembered folder as it was.
    fx.SaveAsAnswers = {fx.Dir.filePath(QStringLiteral("missing/knit_740e7.LST"))};
    EXPECT_THROW(p->SaveProjectAs(), Exception);
    EXPECT_TRUE(fx.Main().Settings().SaveProjectPath.isEmpty());
    fx.Requests.clear();
    fx.SaveAsAnswers = {target};
    ASSERT_TRUE(p->SaveProjectAs());
    ASSERT_EQ(fx.Requests.size(), 1u);
    EXPECT_TRUE(fx.Requests[0].InitialFolder.endsWith(QStringLiteral("knit_740e7")));
    EXPECT_EQ(fx.Requests[0].Filters, QStringList{QStringLiteral("Machine files (*.LST)")});
    EXPECT_EQ(fx.Main().Settings().SaveProjectPath, fx.Dir.filePath(QStringLiteral("out")));
    EXPECT_EQ(p->GetProjectName(), fx.Dir.filePath(QStringLiteral("out/knit_740e7.JXW")));
    EXPECT_FALSE(p->IsModified());
    EXPECT_FALSE(p->NeedsAutosave());
}

// A name typed without the machine's ending is saved with it; a name that ends in it is kept. Files
// that the added ending would replace, which the file dialog never saw, are asked about first.
TEST(PrjContainer, SaveAsAddsTheMachineEndingToANameWithoutItAndAsksBeforeReplacingAnotherProject) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("knit")));
    const QString out = fx.Dir.filePath(QStringLiteral("out")) + QLatin1Char('/');
    QDir().mkpath(out);
    const std::pair<const char*, const char*> names[] = {
        {"mine", "mine_740e7"},           {"mine2.LST", "mine2_740e7"},     {"KNIT_740E7.lst", "KNIT_740E7"},
        {"old_712e5", "old_712e5_740e7"}, {"my.design", "my.design_740e7"},
    };
    for (const auto& [typed, saved] : names) {
        SCOPED_TRACE(typed);
        fx.SaveAsAnswers = {out + QString::fromLatin1(typed)};
        EXPECT_TRUE(p->SaveProjectAs());
        EXPECT_EQ(p->GetProjectName(), out + QString::fromLatin1(saved) + QStringLiteral(".JXW"));
        EXPECT_TRUE(QFileInfo::exists(out + QString::fromLatin1(saved) + QStringLiteral(".LST")));
    }
    EXPECT_EQ(fx.Shown(), 0u);

    for (const char* other : {"a_740e7", "b_740e7"}) {
        auto files = NewProjectFiles(740, 7, 5, 5);
        SaveProjectFiles(out + QString::fromLatin1(other), *files);
    }
    const QByteArray picture = kdstest::ReadFile(out + QStringLiteral("a_740e7.BMP"));
    struct Case {
        const char* Typed;
        int Answer; // 0: no question
        bool Saved;
        const char* Name;
    };
    const Case cases[] = {
        {"a", mbNo, false, "my.design_740e7"},
        {"a", mbClosed, false, "my.design_740e7"},
        // The dialog asked about the file it was given.
        {"b_740e7.LST", 0, true, "b_740e7"},
        // The project's own files.
        {"b", 0, true, "b_740e7"},
        {"a", mbYes, true, "a_740e7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Typed) + " " + std::to_string(c.Answer));
        fx.Messages.Coded.clear();
        fx.Messages.Answers = {c.Answer};
        fx.SaveAsAnswers = {out + QString::fromLatin1(c.Typed)};
        EXPECT_EQ(p->SaveProjectAs(), c.Saved);
        EXPECT_EQ(p->GetProjectName(), out + QString::fromLatin1(c.Name) + QStringLiteral(".JXW"));
        if (c.Answer == 0) {
            EXPECT_TRUE(fx.Messages.Coded.empty());
        } else {
            ASSERT_EQ(fx.Messages.Coded.size(), 1u);
            EXPECT_EQ(fx.Messages.Coded[0].SubCode, containermsg::ReplaceProject);
            EXPECT_EQ(fx.Messages.Coded[0].Args, out + QStringLiteral("a_740e7"));
            EXPECT_EQ(fx.Messages.Coded[0].Buttons, mbYes | mbNo);
        }
        // The other project's files change only when its replacing was agreed.
        EXPECT_EQ(kdstest::ReadFile(out + QStringLiteral("a_740e7.BMP")) == picture,
                  std::string(c.Name) != "a_740e7");
    }
}

TEST(PrjContainer, TheInterpreterRunsOverAContainerAsOverTheSameProjectInMemory) {
    // Plain knitting on two systems with a picture of two colours.
    const QString script =
        QStringLiteral("machine 712 5\nC area=1..101 L1=0,0,-10 R1=0,0,10\npicture 100x20\n"
                       "Z1 cam1=RR cam2=A cam3=A cam4=A yc1=3 rack1=0:G\n"
                       "Z2 cam1=RR cam2=A cam3=A cam4=A yc1=3 rack1=0:G\nS1 Z=1+1 D3\n");
    auto memory = kdstest::BuildProject(script);
    for (int x = 0; x < 100; x += 3)
        memory->Picture.SetPixel(x, 19, memory->Colors.Color(2));
    TBitmap picture = TBitmap::Unfilled(100, 20, pf24bit);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            PutCellColor(picture.ScanLine(y) + 3 * x, memory->Picture.GetPixel(x, y));
    ProjectFixture fx;
    const MProjectNames names = SaveProjectFiles(fx.Dir.filePath(QStringLiteral("plain_712e5.LST")),
                                                 memory->Lists, memory->Colors, MProjHeader(), picture);
    TPrjContainer* p = fx.Open(names.HeaderFile);
    auto trace = [](MProject& Project) {
        MprogramSequencer s;
        s.SetProject(&Project);
        QStringList lines{seqtrace::StartLine(s, s.StartProgram())};
        for (long long k = 1; !s.Regs.Finished && k <= 200; ++k) {
            const int r = s.StepSystem();
            lines << seqtrace::StepLine(s, k, r);
        }
        return lines;
    };
    const QStringList expected = trace(*memory);
    ASSERT_GT(expected.size(), 2);
    EXPECT_EQ(trace(*p), expected);
}

TEST(PrjContainer, AnImportStartedWithARowThatCannotBeStoredDoesNotStart) {
    for (const bool invalid : {true, false}) {
        SCOPED_TRACE(invalid ? "row not valid" : "store refused");
        ProjectFixture fx;
        TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("i_740e7")));
        p->PressButton(prjwin::S);
        p->PressButton(prjwin::Z);
        TestWindow* s = fx.Windows[0];
        s->Invalid = invalid;
        s->Refuses = !invalid;
        TPrjContainer::SetImportRunner([&fx](TPrjContainer&, QPoint) {
            fx.Log.push_back("import");
            return true;
        });
        p->UpdateButtons();
        fx.Log.clear();
        p->ImportButton()->click();
        TPrjContainer::SetImportRunner(nullptr);
        EXPECT_EQ(fx.Log, std::vector<std::string>{"apply 1"});
        EXPECT_EQ(p->ActiveChild(), s);
        EXPECT_EQ(fx.Errors.Texts.size(), invalid ? 1u : 0u);
    }
}

TEST(PrjContainer, ImportStoresTheEditedRowsFirstAndAfterALoadedImportTheWindowsReadTheirRowsAgain) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("i_740e7")));
    TPrjContainer::SetImportRunner(nullptr);
    p->UpdateButtons();
    EXPECT_FALSE(p->ImportButton()->isEnabled());
    p->PressButton(prjwin::S);
    p->PressButton(prjwin::C);
    for (const bool loaded : {false, true}) {
        SCOPED_TRACE(loaded);
        QPoint at;
        TPrjContainer::SetImportRunner([&fx, &at, loaded](TPrjContainer&, QPoint At) {
            fx.Log.push_back("import");
            at = At;
            return loaded;
        });
        p->UpdateButtons();
        EXPECT_TRUE(p->ImportButton()->isEnabled());
        fx.Log.clear();
        p->ImportButton()->click();
        std::vector<std::string> want{"apply 1", "apply 9", "import"};
        if (loaded)
            want.insert(want.end(), {"reload 1", "reload 9"});
        EXPECT_EQ(fx.Log, want);
        const QWidget* frame = fx.Frame(p);
        EXPECT_EQ(at, QPoint(frame->x(), frame->y() + frame->height()));
    }
    TPrjContainer::SetImportRunner(nullptr);
    // The interpreter's refresh reaches the Setup Scheme window alone.
    fx.Log.clear();
    p->RefreshSetupForm();
    EXPECT_EQ(fx.Log, std::vector<std::string>{"reload 9"});
}

TEST(PrjContainer, MachineColoursMapTheDrawingOntoThePaletteAndGiveTheCursorBack) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("c_740e7")));
    auto* board = dynamic_cast<FakeBoard*>(p->Drawing());
    ASSERT_NE(board, nullptr);
    const TColor near = p->Palette().Color(3) ^ 0x000020;
    board->SetCell(0, 2, 2, near);
    fx.Main().SetCurrentWindow(board->WindowNumber);
    fx.Main().SendCommand(bus::GroupFile, bus::CmdMachineColors);
    EXPECT_EQ(board->GetCell(2, 2), MappedColor(near, p->Palette().Colors.data(), PaletteSize));
    EXPECT_NE(board->GetCell(2, 2), near);
    EXPECT_GT(board->Repaints, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(PrjContainer, AProjectWhoseDrawingFailsToCloseStaysOpenAndRegistered) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("f_740e7")));
    auto* board = dynamic_cast<FakeBoard*>(p->Drawing());
    board->RefuseClose = true;
    EXPECT_FALSE(fx.Frame(p)->close());
    EXPECT_EQ(fx.Main().Projects(), std::vector<MBusProject*>{p});
    EXPECT_EQ(fx.Main().DetachedContainer(), nullptr);
    EXPECT_FALSE(board->StandAlone);
    EXPECT_FALSE(p->ClosingAfterItsQuestion());
    board->RefuseClose = false;
    EXPECT_TRUE(fx.Frame(p)->close());
}

TEST(PrjContainer, TheReservedColourIsTheMainWindowsOnlyForAContainerItOwns) {
    ProjectFixture fx;
    TPrjContainer* owned = fx.Open(fx.MakeProject(QStringLiteral("r_740e7")));
    TPrjContainer alone(nullptr);
    for (TPrjContainer* c : {owned, &alone}) {
        SCOPED_TRACE(c == owned);
        // The header finds its owner and puts its colours into the owner's palette.
        c->Header().Values[4] = 0xFF0000;
        c->Header().ApplyHeader();
        EXPECT_EQ(c->ReservedColor(), c == owned ? 0xFF0000u : 0u);
        EXPECT_EQ(c->ReservedColorSubstitute(), c == owned ? 0xFE0000u : 0u);
        EXPECT_EQ(c->Palette().Color(4), c == owned ? 0xFE0000u : 0xFF0000u);
    }
}
