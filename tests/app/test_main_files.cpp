// Files named on the command line or dropped on the frame, the desktop autosave with its list file,
// and the toolbars' hiding.

#include "tests/app/AppTestSupport.h"

#include "app/UDeskTopList.h"
#include "ui/DockToolBar_m.h"
#include "ui/FriendlyStatusBar.h"
#include "ui/LanguagePack.h"
#include "ui/ULPackDM.h"
#include "ui/Umessage.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>

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
    // The copies that could not be reopened are named in one message.
    ASSERT_EQ(fx.Shown(), 1u);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, 4920);
    EXPECT_TRUE(fx.Messages.Coded[0].Args.startsWith("/a/gone.LST, /a/folder.LST;"));
    // The next pass copies them under their new numbers.
    m.SaveDeskTop();
    EXPECT_EQ(static_cast<FakeProject*>(projects[0])->Copies.size(), 1u);
}

// A pass that cannot write a copy or the list says so in the status bar once, until a pass writes
// again; the copies and the list written before stay as they were.
TEST(MainDeskTop, AFailingPassSaysSoOnceAndKeepsThePreviousCopies) {
    StationFixture fx;
    TFormMain& m = fx.Main();
    TStatusPanel& note = m.FriendlyStatusBar1()->Panel(2);
    auto* p = static_cast<FakeProject*>(m.NewPrjContainer());
    p->Name = "/work/one.LST";
    p->Modified = true;
    p->Autosave = true;
    m.SaveDeskTop();
    EXPECT_TRUE(note.Text.isEmpty());
    const QByteArray list = kdstest::ReadFile(m.DeskTopListFile());
    const QString copy = m.DeskTopFolder() + "/DT1.LST";
    kdstest::WriteFile(copy, "first copy");

    p->Autosave = true;
    p->FailCopy = true;
    m.SaveDeskTop();
    EXPECT_TRUE(note.Text.contains("cannot write")) << note.Text.toStdString();
    EXPECT_TRUE(note.Text.contains("DT1")) << note.Text.toStdString();
    EXPECT_TRUE(p->Autosave);
    // Said once: a second failing pass leaves the bar alone.
    note.Text = "x";
    m.SaveDeskTop();
    EXPECT_EQ(note.Text, "x");
    EXPECT_EQ(kdstest::ReadFile(m.DeskTopListFile()), list);
    EXPECT_EQ(kdstest::ReadFile(copy), "first copy");

    // A pass that writes takes the note away.
    p->FailCopy = false;
    m.SaveDeskTop();
    EXPECT_TRUE(note.Text.isEmpty());

    // The list cannot be written (a folder stands in its place): said again.
    QFile::remove(m.DeskTopListFile());
    QDir().mkpath(m.DeskTopListFile());
    p->Autosave = true;
    m.SaveDeskTop();
    EXPECT_TRUE(note.Text.contains("DeskTop.dsk")) << note.Text.toStdString();
    EXPECT_TRUE(QFileInfo(m.DeskTopListFile()).isDir());
    EXPECT_EQ(fx.Shown(), 0u);

    // Over the station's catalogue the note follows the language.
    TMessageBox box(fx.AppPath() + "Dta/sysmsg.dta");
    MMessageService* scripted = MessageBox;
    MessageBox = &box;
    fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_TRUE(note.Text.startsWith(QStringLiteral("تعذّر على الحفظ التلقائي"))) << note.Text.toStdString();
    fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_TRUE(note.Text.startsWith("The autosave cannot write")) << note.Text.toStdString();

    // Once the folder takes it again, the next pass writes the list though it copies nothing.
    QDir(m.DeskTopListFile()).removeRecursively();
    m.SaveDeskTop();
    EXPECT_TRUE(QFileInfo(m.DeskTopListFile()).isFile());
    EXPECT_TRUE(note.Text.isEmpty()) << note.Text.toStdString();

    // A copy refused with a numbered message names its module and field in the language shown.
    p->Autosave = true;
    p->FailNumbered = true;
    m.SaveDeskTop();
    EXPECT_TRUE(note.Text.contains("The module") && note.Text.contains("Z7")) << note.Text.toStdString();
    EXPECT_FALSE(note.Text.contains("code")) << note.Text.toStdString();
    fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_TRUE(note.Text.contains(QStringLiteral("تعذّر تخزين الوحدة"))) << note.Text.toStdString();
    fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageEnglish);
    MessageBox = scripted;
}

// The second station of the test below, run as a process of its own on the first one's folder: it
// shows, says how many projects it restored and what its status bar says, then (mode "second") makes
// a changed project, runs a pass and exits normally, or (mode "hold") waits to be killed.
TEST(MainDeskTopStation, Helper) {
    const QString app = qEnvironmentVariable("KDS_DESKTOP_APP");
    if (app.isEmpty())
        GTEST_SKIP() << "run by MainDeskTop.ASecondStationLeavesTheFirstOnesFolderAlone";
    const QString oldApp = AppFolder();
    kdstest::MScriptedMessages messages;
    FakeFactory factory;
    TStationOptions o;
    o.AppFolder = app;
    o.Services.SettingsFile = app + "/helper.ini";
    o.Services.Messages = &messages;
    o.Services.RunTimer = false;
    o.Services.MakeIntro = [](QWidget*) { return std::unique_ptr<QWidget>(); };
    auto station = StartStation(std::move(o));
    TFormMain& m = *station->FormMain;
    m.show();
    std::printf("projects %d\nnote %s\n", int(m.Projects().size()),
                m.FriendlyStatusBar1()->Panel(2).Text.toUtf8().constData());
    std::fflush(stdout);
    if (qEnvironmentVariable("KDS_DESKTOP_MODE") == "hold")
        for (;;)
            QThread::sleep(1);
    auto* p = static_cast<FakeProject*>(m.NewPrjContainer());
    p->Name = "/work/second.LST";
    p->Modified = true;
    p->Autosave = true;
    m.SaveDeskTop();
    EXPECT_TRUE(m.FormClose());
    station.reset();
    SetAppFolder(oldApp);
}

// Two stations on one application folder: the second neither restores, nor writes, nor clears the
// first one's copies, and says in its status bar that its autosave is off. A station that has gone
// without closing leaves its lock behind: the next station takes it over and restores.
TEST(MainDeskTop, ASecondStationLeavesTheFirstOnesFolderAlone) {
    StationFixture fx;
    const QString folder = fx.Main().DeskTopFolder();
    auto* p = static_cast<FakeProject*>(fx.Main().NewPrjContainer());
    p->Name = "/work/one.LST";
    p->Modified = true;
    p->Autosave = true;
    fx.Main().SaveDeskTop();
    const auto files = [&folder] {
        std::map<QString, QByteArray> all;
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
            all[f.fileName()] = kdstest::ReadFile(f.filePath());
        return all;
    };
    const auto before = files();
    ASSERT_EQ(before.size(), 2u);
    const auto helper = [&fx](QProcess& P, const char* Mode) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KDS_DESKTOP_APP", fx.AppPath());
        env.insert("KDS_DESKTOP_MODE", Mode);
        P.setProcessEnvironment(env);
        P.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=MainDeskTopStation.Helper"});
    };

    QProcess second;
    helper(second, "second");
    ASSERT_TRUE(second.waitForFinished(120000));
    const QByteArray out = second.readAllStandardOutput();
    EXPECT_EQ(second.exitCode(), 0) << out.constData() << second.readAllStandardError().constData();
    EXPECT_TRUE(out.contains("projects 0\nnote Autosave is off")) << out.constData();
    EXPECT_EQ(files(), before);

    // The first station goes; a third is killed while it holds the folder.
    fx.Station.reset();
    QProcess held;
    helper(held, "hold");
    QByteArray heldOut;
    while (!heldOut.contains("note") && held.waitForReadyRead(120000))
        heldOut += held.readAllStandardOutput();
    EXPECT_TRUE(heldOut.contains("projects 1\nnote \n")) << heldOut.constData();
    held.kill();
    held.waitForFinished();
    EXPECT_TRUE(QFile::exists(folder + "/.DeskTop.lock"));

    fx.Station = RestartStation(fx);
    fx.Main().show();
    EXPECT_FALSE(fx.Main().DeskTop().Off());
    ASSERT_EQ(fx.Main().Projects().size(), 1u);
    EXPECT_EQ(fx.Main().Projects()[0]->GetProjectName(), "/work/one.LST");
    EXPECT_TRUE(fx.Main().FriendlyStatusBar1()->Panel(2).Text.isEmpty());
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
