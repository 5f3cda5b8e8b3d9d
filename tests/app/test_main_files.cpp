// Files named on the command line or dropped on the frame, the desktop autosave with its list file,
// and the toolbars' hiding.

#include "tests/app/AppTestSupport.h"

#include "app/UDeskTopList.h"
#include "ui/DockToolBar_m.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace apptest;

namespace {

TEST(MainFiles, DropsOpenProjectsAndDrawingsAndAFailingFileStopsNothing) {
    StationFixture fx;
    const QString d = fx.Dir.path() + "/";
    for (const char* n : {"x.bmp", "x.lst", "y.bmp", "z.txt", "bad.png", "w.JXW"})
        kdstest::WriteFile(d + n, "data");
    ::mkfifo(QFile::encodeName(d + "pipe.bmp").constData(), 0600);
    QDir().mkpath(d + "folder.bmp");
    fx.Factory.FailNextLoad = false;

    // x.bmp has x.lst beside it: a project; y.bmp alone: a drawing; z.txt: nothing.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(d + "x.bmp"), QUrl::fromLocalFile(d + "y.bmp"),
                  QUrl::fromLocalFile(d + "z.txt"), QUrl("http://example.com/a.bmp")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&fx.Main(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&fx.Main(), &drop);
    EXPECT_EQ(fx.Beeps, 1);
    ASSERT_EQ(fx.Main().Projects().size(), 1u);
    EXPECT_EQ(static_cast<FakeProject*>(fx.Main().Projects()[0])->Opened, d + "x.bmp");
    ASSERT_EQ(fx.Main().Drawings().size(), 1u);
    EXPECT_EQ(static_cast<FakeDrawing*>(fx.Main().Drawings()[0])->FileName_, d + "y.bmp");

    // Between two good files: a picture that fails to load, a pipe, a folder and a missing file are
    // each shown; the window made for the failing one is gone; the last good file opens.
    fx.Factory.FailNextLoad = true;
    fx.Main().OpenDroppedFiles({d + "y.bmp", d + "bad.png", d + "pipe.bmp", d + "folder.bmp", d + "none.bmp",
                                QString(5000, 'a') + ".bmp", d + "w.JXW"});
    EXPECT_EQ(fx.Shown(), 5u);
    EXPECT_EQ(fx.Main().Drawings().size(), 2u);
    EXPECT_EQ(fx.Main().Projects().size(), 2u);
    // Numbers keep counting past the discarded window.
    EXPECT_EQ(fx.Main().Projects().back()->WindowNumber, 5);
}

TEST(MainFiles, TheCommandLineFileOpensAfterTheDesktopIsRestored) {
    StationFixture fx(QByteArray(), {QStringLiteral("prog.LST")});
    kdstest::WriteFile(fx.Main().DeskTopFolder() + "/DT4.LST", "copy");
    kdstest::WriteFile(fx.Main().DeskTopFolder() + "/DeskTop.dsk",
                       (fx.Main().DeskTopFolder() + "/DT4\r\n/home/a/knit.LST\r\n").toUtf8());
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(fx.Dir.path());
    kdstest::WriteFile(fx.Dir.path() + "/prog.LST", "x");
    fx.Main().show();
    QDir::setCurrent(cwd);
    const auto projects = fx.Main().Projects();
    ASSERT_EQ(projects.size(), 2u);
    EXPECT_EQ(projects[0]->GetProjectName(), "/home/a/knit.LST");
    EXPECT_EQ(static_cast<FakeProject*>(projects[1])->Opened, fx.Dir.path() + "/prog.LST");
    // A second show restores nothing more.
    fx.Main().hide();
    fx.Main().show();
    EXPECT_EQ(fx.Main().Projects().size(), 2u);
}

// ---- Desktop autosave.

TEST(MainDeskTop, PassesRunAtTickLimitPlusTwoThenEveryLimitPlusOne) {
    StationFixture fx;
    TFormMain& m = fx.Main();
    ASSERT_EQ(m.TickLimit(), 360);
    auto* p = static_cast<FakeProject*>(m.NewPrjContainer());
    std::vector<int> passes;
    QWidget modal;
    modal.setWindowModality(Qt::ApplicationModal);
    for (int tick = 1; tick <= 820; ++tick) {
        // Ten ticks while a modal window is open are not counted.
        modal.setVisible(tick > 100 && tick <= 110);
        p->Autosave = true;
        m.Timer1Timer();
        if (!p->Autosave)
            passes.push_back(tick);
    }
    EXPECT_EQ(passes, (std::vector<int>{372, 733}));
}

TEST(MainDeskTop, APassCopiesOnlyChangedProjectsAndWritesTheListOnlyWhenItCopied) {
    StationFixture fx;
    TFormMain& m = fx.Main();
    auto* p1 = static_cast<FakeProject*>(m.NewPrjContainer());
    m.NewKnitWindow();
    auto* p2 = static_cast<FakeProject*>(m.NewPrjContainer());
    p1->Name = "/work/one.LST";
    p2->Name = "/work/two.LST";
    p2->Modified = true;
    p2->Autosave = true;
    m.SaveDeskTop();
    EXPECT_TRUE(p1->Copies.empty());
    const QString dt3 = m.DeskTopFolder() + "/DT3";
    EXPECT_EQ(p2->Copies, std::vector<QString>{dt3});
    EXPECT_TRUE(p2->Modified);
    EXPECT_FALSE(p2->Autosave);
    EXPECT_EQ(p2->Name, "/work/two.LST");
    EXPECT_EQ(kdstest::ReadFile(m.DeskTopListFile()),
              "/work/one.LST\r\n/work/one.LST\r\n" + dt3.toUtf8() + "\r\n/work/two.LST\r\n");

    // Nothing changed: the list keeps its bytes and its time.
    const QDateTime written = QFileInfo(m.DeskTopListFile()).lastModified();
    kdstest::WriteFile(m.DeskTopListFile() + ".mark", "");
    m.SaveDeskTop();
    EXPECT_EQ(QFileInfo(m.DeskTopListFile()).lastModified(), written);

    // P1 changes; P2's copy fails: P2 keeps its older copy in the list.
    p1->Autosave = true;
    p2->Autosave = true;
    p2->FailCopy = true;
    m.SaveDeskTop();
    EXPECT_EQ(kdstest::ReadFile(m.DeskTopListFile()),
              (m.DeskTopFolder() + "/DT1\r\n/work/one.LST\r\n" + dt3 + "\r\n/work/two.LST\r\n").toUtf8());

    // P2 unchanged since its copy: while its work is unsaved the list keeps pointing at the copy; once
    // saved, at its own file.
    p2->FailCopy = false;
    p2->Autosave = false;
    for (const bool saved : {false, true}) {
        p2->Modified = !saved;
        p1->Autosave = true;
        m.SaveDeskTop();
        const QString reopen = saved ? QStringLiteral("/work/two.LST") : dt3;
        EXPECT_EQ(
            kdstest::ReadFile(m.DeskTopListFile()),
            (m.DeskTopFolder() + "/DT1\r\n/work/one.LST\r\n" + reopen + "\r\n/work/two.LST\r\n").toUtf8());
    }
}

TEST(MainDeskTop, RestoreReopensGoodPairsMarkedChangedAndSkipsTheRest) {
    StationFixture fx;
    TFormMain& m = fx.Main();
    const QString f = m.DeskTopFolder() + "/";
    kdstest::WriteFile(f + "DT2.LST", "copy");
    kdstest::WriteFile(f + "DT5.LST", "copy");
    QDir().mkpath(f + "DT6.LST");
    QByteArray list = (f + "DT2\r\n/a/own.LST\r\n").toUtf8();
    list += (f + "missing\r\n/a/gone.LST\r\n").toUtf8();
    list += (f + "DT6\r\n/a/folder.LST\r\n").toUtf8();
    list += "\xff\xfe\r\n/a/bad.LST\r\n";
    list += "\r\n/a/empty.LST\r\n";
    list += (f + "DT5\n/a/lf.LST\n").toUtf8();
    list += (f + "DT2\r\n").toUtf8();
    kdstest::WriteFile(f + "DeskTop.dsk", list);
    m.RestoreDeskTop();
    const auto projects = m.Projects();
    ASSERT_EQ(projects.size(), 2u);
    EXPECT_EQ(projects[0]->GetProjectName(), "/a/own.LST");
    EXPECT_EQ(projects[1]->GetProjectName(), "/a/lf.LST");
    for (MBusProject* p : projects) {
        EXPECT_TRUE(p->IsModified());
        EXPECT_TRUE(p->NeedsAutosave());
    }
    EXPECT_EQ(fx.Shown(), 0u);
    // The next pass copies them under their new numbers.
    m.SaveDeskTop();
    EXPECT_EQ(static_cast<FakeProject*>(projects[0])->Copies.size(), 1u);
}

TEST(MainDeskTop, TheListFormatSkipsBrokenPairsAndNeverWritesALineBreak) {
    EXPECT_EQ(ParseDeskTopList("a\r\nb\r\nc\nd\ne"), (std::vector<TDeskTopPair>{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(ParseDeskTopList("a\r\n\r\nc\r\nd\r\n"), (std::vector<TDeskTopPair>{{"c", "d"}}));
    EXPECT_EQ(ParseDeskTopList(QByteArray("a\0b\nc\nd\ne\n", 11)), (std::vector<TDeskTopPair>{{"d", "e"}}));
    EXPECT_EQ(FormatDeskTopList({{"a\nb", "c"}, {"ä", "b"}, {"", "x"}}), QByteArray("\xc3\xa4\r\nb\r\n"));
}

// ---- Toolbars hide while no drawing is the current child.

TEST(MainToolbars, HideWithOnlyAProjectActiveAndComeBackAsTheyWere) {
    StationFixture fx;
    TFormMain& m = fx.Main();
    m.resize(900, 600);
    m.show();
    const auto bars = m.Tools()->Toolbars();
    bars[1]->setVisible(false); // the user hid View
    auto* p = m.NewPrjContainer();
    p->BusWidget()->show();
    m.Client()->setActiveSubWindow(m.Client()->subWindowList().first());
    m.Timer1Timer();
    EXPECT_TRUE(m.ToolbarsHidden());
    for (auto* b : bars)
        EXPECT_FALSE(b->Visible());
    auto* d = m.NewKnitWindow();
    d->BusWidget()->show();
    m.Client()->setActiveSubWindow(m.Client()->subWindowList().last());
    m.Timer1Timer();
    EXPECT_FALSE(m.ToolbarsHidden());
    EXPECT_EQ((std::vector<bool>{bars[0]->Visible(), bars[1]->Visible(), bars[2]->Visible(),
                                 bars[3]->Visible(), bars[4]->Visible()}),
              (std::vector<bool>{true, false, true, true, true}));
    // Switched off, nothing changes.
    m.Settings().AutoHideToolBars = false;
    m.Client()->setActiveSubWindow(m.Client()->subWindowList().first());
    m.Timer1Timer();
    EXPECT_FALSE(m.ToolbarsHidden());
}

} // namespace
