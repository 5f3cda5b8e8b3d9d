// A project through the whole station, offscreen: named on the command line it opens as a container
// with its drawing; it is saved through the bus; after a crash that followed an autosave pass a
// second station on the same application folder brings it back under its own name; and a normal exit
// answering No leaves the desktop folder empty.

#include "tests/app/ProjectSupport.h"

#include "app/BusCodes.h"
#include "app/LBoardWindow.h"
#include "app/UknitWindow.h"
#include "imaging/ImageIO.h"
#include "model/UrunFiles.h"
#include "tests/app/BoardSupport.h"
#include "tests/transfer/TransferFiles.h"
#include "transfer/TransferProtocol.h"
#include "ui/LanguagePack.h"
#include "ui/ULPackDM.h"

#include <QMdiArea>

#include <gtest/gtest.h>

using namespace prjtest;

namespace {

// A line held in memory: reads take from In, writes go to Out.
struct MemoryLine : IByteChannel {
    QByteArray In;
    qsizetype At = 0;
    QByteArray Out;
    void ReadExact(char* Buffer, qsizetype Count) override {
        if (In.size() - At < Count)
            throw EReadError(QStringLiteral("the line broke"));
        memcpy(Buffer, In.constData() + At, size_t(Count));
        At += Count;
    }
    void WriteExact(const char* Buffer, qsizetype Count) override { Out.append(Buffer, Count); }
};

// The station's own windows: containers with knit windows.
struct UseStationFactory {
    MBusFactory* Old = BusFactory();
    UseStationFactory() { SetBusFactory(&StationFactory()); }
    ~UseStationFactory() { SetBusFactory(Old); }
};

} // namespace

TEST(PrjStation, AProjectOnTheCommandLineIsSavedRestoredAfterACrashAndClosedOnExit) {
    ProjectFixture fx;
    UseStationFactory factory;
    const QString jxw = fx.MakeProject(QStringLiteral("knit_740e7"));
    const QString lst = fx.Dir.filePath(QStringLiteral("knit_740e7.LST"));
    {
        // The fixture's station was started without arguments: a second one is given the file.
        fx.Station.reset();
        fx.Station = RestartStation(fx, {lst});
    }
    fx.Main().show();
    ASSERT_EQ(fx.Main().Projects().size(), 1u);
    auto* p = static_cast<TPrjContainer*>(fx.Main().Projects()[0]);
    ASSERT_EQ(fx.Main().Drawings().size(), 1u);
    EXPECT_EQ(fx.Main().Drawings()[0], p->Drawing());
    ASSERT_NE(dynamic_cast<TknitWindow*>(p->Drawing()), nullptr);
    EXPECT_EQ(p->Board()->ImageWidth(), 20);
    EXPECT_FALSE(p->Drawing()->StandAlone);
    // The knit window's caption follows the language.
    QWidget* drawing = p->Drawing()->BusWidget();
    EXPECT_EQ(drawing->windowTitle(), QStringLiteral("Image  Prog:knit_740e7  Machine:740  E:7  "));
    fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(drawing->windowTitle(), QStringLiteral("صورة  Prog:knit_740e7  Machine:740  E:7  "));
    fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(p->GetProjectName(), jxw);
    EXPECT_TRUE(fx.Messages.Coded.empty());

    // Save (513) writes the change and clears the marks.
    // The bar activated in the frame makes its project the current one.
    fx.Main().Client()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(p->parentWidget()));
    EXPECT_EQ(fx.Main().CurrentWindowNumber(), p->WindowNumber);
    p->Program().Z.Modified = true;
    const QByteArray before = kdstest::ReadFile(lst);
    p->Program().Machine.HeaderWord = 3;
    fx.Main().SendPrjCommand(bus::GroupFile, bus::CmdSaveProject);
    EXPECT_FALSE(p->IsModified());
    EXPECT_NE(kdstest::ReadFile(lst), before);

    // A change, an autosave pass, and the frame goes down without closing.
    p->Program().Machine.HeaderWord = 5;
    p->Program().Z.Modified = true;
    p->SetNeedsAutosave(true);
    fx.Main().SaveDeskTop();
    const QString desktop = fx.Main().DeskTopFolder();
    EXPECT_FALSE(QDir(desktop).entryList(QDir::Files).isEmpty());
    fx.Station.reset();

    // The next station brings the project back from its copy under its own name, marked modified.
    fx.Station = RestartStation(fx);
    fx.Main().show();
    ASSERT_EQ(fx.Main().Projects().size(), 1u);
    auto* restored = static_cast<TPrjContainer*>(fx.Main().Projects()[0]);
    EXPECT_EQ(restored->GetProjectName(), jxw);
    EXPECT_TRUE(restored->IsModified());
    EXPECT_EQ(restored->Program().Machine.HeaderWord, 5);
    EXPECT_NE(restored->Drawing(), nullptr);

    // A normal exit: the question answered No, the project closes unsaved and the desktop empties.
    fx.Messages.Coded.clear();
    fx.Messages.Answers = {mbNo};
    EXPECT_TRUE(fx.Main().FormClose());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(fx.Messages.Coded.size(), 1u);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, 3601);
    EXPECT_TRUE(fx.Main().Projects().empty());
    EXPECT_TRUE(QDir(desktop).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(OpenProjectFiles(lst)->Lists->Machine.HeaderWord, 3);
}

// After a crash the second of two copies cannot be reopened: the first project comes back, one
// message names the second, and its files are kept in the desktop folder's Kept folder, which the
// normal exit that follows leaves alone.
TEST(PrjStation, ACopyThatCannotBeReopenedIsNamedAndKeptPastANormalExit) {
    ProjectFixture fx;
    UseStationFactory factory;
    const QString first = fx.MakeProject(QStringLiteral("one_740e7"));
    const QString second = fx.MakeProject(QStringLiteral("two_740e7"));
    int damaged = 0;
    for (const QString& name : {first, second}) {
        TPrjContainer* p = fx.Open(name);
        p->Program().Machine.HeaderWord = 5;
        p->Program().Z.Modified = true;
        p->SetNeedsAutosave(true);
        damaged = p->WindowNumber;
    }
    fx.Main().SaveDeskTop();
    const QString desktop = fx.Main().DeskTopFolder();
    fx.Station.reset();
    const QString copy = QStringLiteral("%1/DT%2").arg(desktop).arg(damaged);
    const QByteArray picture = kdstest::ReadFile(copy + QStringLiteral(".BMP"));
    kdstest::WriteFile(copy + QStringLiteral(".LST"), "damaged");

    fx.Station = RestartStation(fx);
    fx.Main().show();
    ASSERT_EQ(fx.Main().Projects().size(), 1u);
    auto* restored = static_cast<TPrjContainer*>(fx.Main().Projects()[0]);
    EXPECT_EQ(restored->GetProjectName(), first);
    EXPECT_EQ(restored->Program().Machine.HeaderWord, 5);
    ASSERT_EQ(fx.Messages.Coded.size(), 1u);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, 4920);
    EXPECT_TRUE(fx.Messages.Coded[0].Args.contains(second)) << fx.Messages.Coded[0].Args.toStdString();
    EXPECT_TRUE(fx.Messages.Coded[0].Args.contains(QStringLiteral("Kept/two_740e7.LST")));
    EXPECT_FALSE(QFile::exists(copy + QStringLiteral(".LST")));

    fx.Messages.Coded.clear();
    fx.Messages.Answers = {mbNo};
    EXPECT_TRUE(fx.Main().FormClose());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QDir(desktop).entryList(QDir::Files).isEmpty());
    const QString kept = desktop + QStringLiteral("/Kept/two_740e7");
    EXPECT_EQ(kdstest::ReadFile(kept + QStringLiteral(".LST")), "damaged");
    EXPECT_EQ(kdstest::ReadFile(kept + QStringLiteral(".BMP")), picture);
    EXPECT_TRUE(QFile::exists(kept + QStringLiteral(".JXW")));

    // Where the kept folder cannot be made (a file stands in its place) the copy stays whole where
    // it is, named there, and a normal exit leaves it listed for the next start.
    fx.Station.reset();
    fx.Station = RestartStation(fx);
    TPrjContainer* again = fx.Open(second);
    again->Program().Z.Modified = true;
    again->SetNeedsAutosave(true);
    fx.Main().SaveDeskTop();
    const QString copy2 = QStringLiteral("%1/DT%2").arg(desktop).arg(again->WindowNumber);
    fx.Station.reset();
    kdstest::WriteFile(copy2 + QStringLiteral(".LST"), "damaged again");
    QDir(desktop + QStringLiteral("/Kept")).removeRecursively();
    kdstest::WriteFile(desktop + QStringLiteral("/Kept"), "in the way");
    fx.Messages.Coded.clear();
    fx.Station = RestartStation(fx);
    fx.Main().show();
    ASSERT_EQ(fx.Messages.Coded.size(), 1u);
    EXPECT_TRUE(fx.Messages.Coded[0].Args.contains(QFileInfo(copy2).fileName()))
        << fx.Messages.Coded[0].Args.toStdString();
    fx.Messages.Answers = {mbNo};
    EXPECT_TRUE(fx.Main().FormClose());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(kdstest::ReadFile(copy2 + QStringLiteral(".LST")), "damaged again");
    EXPECT_TRUE(QFile::exists(copy2 + QStringLiteral(".BMP")));
    EXPECT_TRUE(
        kdstest::ReadFile(fx.Main().DeskTopListFile()).contains(QFileInfo(copy2).fileName().toUtf8()));
}

// After a crash the next station brings the project back from its copy; named on that station's
// command line as well, the project is not opened a second time over the same files.
TEST(PrjStation, TheCommandLineNamingARestoredProjectBringsTheRestoredOneForward) {
    ProjectFixture fx;
    UseStationFactory factory;
    const QString jxw = fx.MakeProject(QStringLiteral("cl_740e7"));
    const QString lst = fx.Dir.filePath(QStringLiteral("cl_740e7.LST"));
    TPrjContainer* p = fx.Open(jxw);
    p->Program().Machine.HeaderWord = 5;
    p->Program().Z.Modified = true;
    p->SetNeedsAutosave(true);
    fx.Main().SaveDeskTop();
    fx.Station.reset();

    fx.Station = RestartStation(fx, {lst});
    fx.Main().show();
    ASSERT_EQ(fx.Main().Projects().size(), 1u);
    auto* restored = static_cast<TPrjContainer*>(fx.Main().Projects()[0]);
    EXPECT_EQ(restored->GetProjectName(), jxw);
    EXPECT_EQ(restored->Program().Machine.HeaderWord, 5);
    EXPECT_TRUE(restored->IsModified());
    EXPECT_EQ(fx.Main().CurrentProject(), restored);
    fx.Messages.Answers = {mbNo};
    EXPECT_TRUE(fx.Main().FormClose());
}

// The desktop copy: a paste still floating is composed into the copy's picture and stays floating
// in the drawing; without one the picture is written as the drawing holds it. Either way the copy
// holds the reserved colour where the drawing holds its substitute.
TEST(PrjStation, TheDesktopCopyTakesAFloatingPasteAndLeavesItFloating) {
    ProjectFixture fx;
    UseStationFactory factory;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("dt_740e7")));
    auto* board = dynamic_cast<TBoardWindow*>(p->Board());
    ASSERT_NE(board, nullptr);
    board->SetCell(0, 1, 1, ReservedSubstitute);
    board->PasteBuffer = boardtest::Buffer(2, 2, [](int, int) { return 0x123456u; });
    board->PasteBuffer.PosX = 4;
    board->PasteBuffer.PosY = 3;
    const QString copy = fx.Dir.filePath(QStringLiteral("DT7"));
    for (const bool floating : {true, false}) {
        SCOPED_TRACE(floating);
        board->PasteBuffer.Floating = floating;
        p->SaveDeskTopCopy(copy);
        EXPECT_EQ(board->PasteBuffer.Floating, floating);
        EXPECT_EQ(board->GetCell(5, 4), NewPictureColor);
        TBitmap written;
        TImageIO io;
        io.SetAttachedBitmap(&written);
        io.LoadFromFile(copy + QStringLiteral(".BMP"));
        io.SetAttachedBitmap(nullptr);
        EXPECT_EQ(boardtest::CellOf(written, 5, 4), floating ? 0x123456u : NewPictureColor);
        EXPECT_EQ(boardtest::CellOf(written, 1, 1), ReservedColor);
    }
}

// A project received under the name of a project that is open here: the open project's files stay as
// they are, the received one is kept as the second copy of the name and opens as a project of its own.
TEST(PrjStation, AReceivedProjectNamedAsAnOpenOneIsKeptAsItsSecondCopyAndOpensBesideIt) {
    ProjectFixture fx;
    const QString jxw = fx.MakeProject(QStringLiteral("knit_740e7"));
    TPrjContainer* open = fx.Open(jxw);
    ASSERT_NE(open, nullptr);
    const auto before = Snapshot(fx.Dir.path());

    // The other station's project of the same name is wider.
    QTemporaryDir far;
    SaveProjectFiles(far.filePath(QStringLiteral("knit_740e7.LST")), *NewProjectFiles(740, 7, 30, 10));
    MemoryLine sender;
    sender.In = QByteArray("OK").repeated(100);
    SendProject(sender, ReadOutgoingProject(far.filePath(QStringLiteral("knit_740e7.LST"))));
    MemoryLine line;
    line.In = sender.Out;
    const TReceivedProject got =
        ReceiveProject(line, fx.Dir.path(), {[](const QString& Lst) { OpenProjectFiles(Lst); }});
    EXPECT_EQ(got.KeptName, QStringLiteral("knit_2_740e7"));
    auto after = Snapshot(fx.Dir.path());
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(after[path], bytes) << path.toStdString();
    for (const char* ext : {".JXW", ".LST", ".BMP"})
        EXPECT_EQ(after[fx.Dir.filePath(QStringLiteral("knit_2_740e7") + QLatin1String(ext))],
                  kdstest::ReadFile(far.filePath(QStringLiteral("knit_740e7") + QLatin1String(ext))))
            << ext;

    auto* received = static_cast<TPrjContainer*>(fx.Main().OpenProjectFile(got.Paths[slotLst]));
    ASSERT_NE(received, nullptr);
    EXPECT_NE(received, open);
    EXPECT_EQ(fx.Main().Projects().size(), 2u);
    EXPECT_EQ(received->Board()->ImageWidth(), 30);
    EXPECT_EQ(open->Board()->ImageWidth(), 20);
}
