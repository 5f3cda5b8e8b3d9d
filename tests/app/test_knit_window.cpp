// The knit window: its needle rows read and written through the board's pattern after the tools
// have drawn it, the bus's fields taken in and given back, a project's drawing minimised instead of
// closed and its activation reported to the project, and the station opening a picture in one that
// fits in the main window's work area.

#include "tests/app/AppTestSupport.h"

#include "app/UStation.h"
#include "app/UknitWindow.h"
#include "tests/model/NeedleEntries.h"
#include <QLabel>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace apptest;

namespace {

constexpr TColor NewCell = 0x00BB00; // a new picture's colour

// The colour the test draws at needle X + 1 of line L; never the filler.
TColor Colour(int X, int Line) {
    return (TColor(0x10 * Line) << 16) | (TColor(0x20 + 0x10 * X) << 8) | TColor(0x0F + X);
}

QPoint At(const TknitWindow& W, int X, int Y) {
    const TBoardPoint p = W.CellToPixel(X, Y);
    return QPoint(p.X + W.CellSize() / 2, p.Y + W.CellSize() / 2);
}

void Click(TknitWindow& W, int X, int Y, Qt::MouseButton Button = Qt::LeftButton) {
    QTest::mouseClick(&W, Button, {}, At(W, X, Y));
}

// A 10 x 5 picture drawn cell by cell with the pencil.
void DrawTable(TknitWindow& W) {
    W.resize(300, 200);
    W.NewImage(10, 5);
    W.SetPAmpFac(4);
    W.show();
    W.Tools.ToolFamily = bus::FamilyLine;
    W.Tools.Tool = bus::ToolPen;
    W.SetTool(bus::ToolPen);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) {
            W.Tools.PenColor = Colour(x, 5 - y);
            Click(W, x, y);
        }
}

TEST(KnitNeedleRows, TheDrawnPictureIsReadWithoutACopy) {
    TknitWindow w(nullptr);
    DrawTable(w);
    ASSERT_EQ(w.GetCell(3, 4), Colour(3, 1));
    // The pattern source reads the raster's own rows.
    EXPECT_EQ(w.Pattern().View().Top, w.Raster().ScanLine(0));
    EXPECT_EQ(w.FillerColor(), 0u);

    constexpr int F = -1; // a filler entry
    struct Case {
        int Line, First, Offset;
        std::vector<int> Columns;
    };
    const Case cases[] = {
        {1, 1, 9, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {6, 1, 9, {F, F, F, F, F, F, F, F, F, F}},
        {1, 8, 4, {7, 8, 9, F, F}},
        {1, 12, -4, {F, F, 9, 8, 7}},
        {1, -2, 4, {0, 1}},
        {5, 2, 2, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "line " << c.Line << " first " << c.First << " offset " << c.Offset);
        ByteWriter stream;
        EXPECT_EQ(w.ReadNeedleRow(stream, c.Line, c.First, c.Offset), int(c.Columns.size()));
        std::vector<TColor> expected;
        for (int col : c.Columns)
            expected.push_back(col == F ? 0 : Colour(col, c.Line));
        EXPECT_EQ(NeedleEntries(stream), expected);
    }
    // A picture changed afterwards is read as it is now.
    w.Tools.PenColor = 0x123456;
    Click(w, 0, 4);
    ByteWriter again;
    w.ReadNeedleRow(again, 1, 1, 0);
    EXPECT_EQ(NeedleEntries(again), std::vector<TColor>{0x123456});

    ByteWriter twice;
    w.ReadNeedleRow(twice, 2, 1, 2);
    w.RepeatNeedleRow(twice, 3, 7);
    EXPECT_EQ(NeedleEntries(twice),
              (std::vector<TColor>{Colour(0, 2), Colour(1, 2), Colour(2, 2), Colour(0, 2), Colour(1, 2),
                                   Colour(2, 2), Colour(0, 2), Colour(1, 2), Colour(2, 2)}));
}

TEST(KnitNeedleRows, WritesStayInsideThePictureAndTheStream) {
    TknitWindow w(nullptr);
    w.NewImage(10, 5);
    ByteWriter five;
    w.WriteColorRun(five, 0x0000FF, 5);
    w.WriteNeedleRow(five, 1, 9, 5); // only needles 9 and 10 lie in the picture
    ByteWriter two;
    w.WriteColorRun(two, 0x00FFFF, 2);
    w.WriteNeedleRow(two, 3, 1, 6); // the stream holds 2 entries
    w.WriteNeedleRow(two, 6, 1, 2); // outside the picture: nothing
    w.WriteNeedleRow(two, 2, 11, 2);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) {
            TColor expected = NewCell;
            if (y == 4 && x >= 8)
                expected = 0x0000FF;
            if (y == 2 && x < 2)
                expected = 0x00FFFF;
            EXPECT_EQ(w.GetCell(x, y), expected) << x << "," << y;
        }
    for (int n : {0, -1}) {
        ByteWriter s;
        w.WriteColorRun(s, 0x0000FF, n);
        EXPECT_EQ(s.Size(), 0u);
    }
    ByteWriter huge;
    EXPECT_THROW(w.WriteColorRun(huge, 0x0000FF, int(NeedleRowLimit) + 1), ERangeError);
    EXPECT_EQ(huge.Size(), 0u);
}

// ---- With the main window.

// A project as the bus sees it: its drawing, and how often it heard that a child became active.
class RecordingProject : public QWidget, public MBusProject {
public:
    QWidget* BusWidget() override { return this; }
    MBusDrawing* Own = nullptr;
    int Activations = 0;

    bool IsModified() const override { return false; }
    void SetModified(bool) override {}
    bool NeedsAutosave() const override { return false; }
    void SetNeedsAutosave(bool) override {}
    QString GetProjectName() const override { return NoName; }
    void SetProjectName(const QString&) override {}
    void OpenProject(const QString&) override {}
    void NewProject() override {}
    bool SaveProject(const QString&) override { return true; }
    bool SaveProjectAs() override { return true; }
    void SaveDeskTopCopy(const QString&) override {}
    void ApplyMachineColors() override {}
    MBusDrawing* Drawing() const override { return Own; }
    void ChildActivated() override { ++Activations; }
    bool ClosingAfterItsQuestion() const override { return false; }
};

// Real knit windows and recording projects, installed over the fixture's fakes for the test's time.
class KnitFactory : public MBusFactory {
public:
    KnitFactory() : FOld(BusFactory()) { SetBusFactory(this); }
    ~KnitFactory() override { SetBusFactory(FOld); }
    MBusDrawing* CreateDrawing(TFormMain& Main) override { return MakeKnitWindow(Main); }
    MBusProject* CreateProject(TFormMain&) override {
        auto* p = new RecordingProject;
        p->setAttribute(Qt::WA_DeleteOnClose);
        return p;
    }

private:
    MBusFactory* FOld;
};

struct KnitStation : StationFixture {
    KnitStation() { Main().show(); }
    KnitFactory Knit;

    // A new drawing of the main window with a 10 x 5 picture, shown in its frame.
    TknitWindow* NewDrawing(bool StandAlone) {
        auto* d = dynamic_cast<TknitWindow*>(Main().NewKnitWindow(StandAlone));
        d->NewImage(10, 5);
        d->SetPAmpFac(4);
        d->Frame()->resize(300, 200);
        d->Frame()->show();
        return d;
    }
    QMdiSubWindow* Sub(TknitWindow* D) { return qobject_cast<QMdiSubWindow*>(D->Frame()); }
    void Activate(TknitWindow* D) {
        Main().Client()->setActiveSubWindow(nullptr);
        Main().Client()->setActiveSubWindow(Sub(D));
    }
};

TEST(KnitWindow, AProjectsDrawingIsMinimisedInsteadOfClosedAndReportsItsActivation) {
    KnitStation fx;
    auto* project = static_cast<RecordingProject*>(fx.Main().NewPrjContainer());
    QPointer<TknitWindow> drawing = fx.NewDrawing(false);
    project->Own = drawing;
    ASSERT_NE(fx.Sub(drawing), nullptr);
    EXPECT_EQ(drawing->Main, &fx.Main());

    fx.Activate(drawing);
    EXPECT_EQ(fx.Main().CurrentWindowNumber(), drawing->WindowNumber);
    EXPECT_EQ(project->Activations, 1);

    EXPECT_FALSE(fx.Sub(drawing)->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(drawing);
    EXPECT_TRUE(fx.Sub(drawing)->isMinimized());
    EXPECT_EQ(fx.Main().FindKnitWindow(drawing->WindowNumber), drawing.data());
    EXPECT_EQ(fx.Main().FindPrjOfKnitWindow(drawing), project);
    EXPECT_EQ(fx.Messages.Coded.size(), 0u);

    // A stand-alone drawing tells nobody but the main window.
    TknitWindow* alone = fx.NewDrawing(true);
    fx.Activate(alone);
    EXPECT_EQ(fx.Main().CurrentWindowNumber(), alone->WindowNumber);
    EXPECT_EQ(project->Activations, 1);
}

TEST(KnitWindow, AStandAloneDrawingClosesThroughTheSaveQuestion) {
    KnitStation fx;
    QPointer<TknitWindow> d = fx.NewDrawing(true);
    d->SetFileName(fx.Dir.path() + QStringLiteral("/kept.bmp"));
    fx.Main().SendCommand(bus::GroupTool, bus::FamilyLine, bus::ToolPen);
    Click(*d, 1, 1);
    ASSERT_TRUE(d->Changed);
    // Cancel keeps it open and registered; No closes and frees it unsaved.
    fx.Messages.Answers = {mbCancel, mbNo};
    EXPECT_FALSE(fx.Sub(d)->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(d);
    const int number = d->WindowNumber;
    EXPECT_TRUE(fx.Sub(d)->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(d);
    EXPECT_EQ(fx.Main().FindKnitWindow(number), nullptr);
    ASSERT_EQ(fx.Messages.Coded.size(), 2u);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, 101);
    EXPECT_FALSE(QFileInfo::exists(fx.Dir.path() + QStringLiteral("/kept.bmp")));
}

TEST(KnitWindow, AScannedPictureAsksBeforeItsWindowCloses) {
    KnitStation fx;
    QPointer<TknitWindow> d = fx.NewDrawing(true);
    TBitmap scanned = TBitmap::Unfilled(6, 4, pf24bit);
    TImageIO io;
    io.SetAttachedBitmap(&scanned);
    d->TakePicture(io);
    io.SetAttachedBitmap(nullptr);
    EXPECT_TRUE(d->Changed);
    EXPECT_EQ(d->FileName, NoName);
    fx.Messages.Answers = {mbCancel};
    EXPECT_FALSE(fx.Sub(d)->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(d);
    ASSERT_EQ(fx.Messages.Coded.size(), 1u);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, 101);
}

TEST(KnitWindow, TheBusDrivesTheToolsAndHearsTheMarksAndThePickedColour) {
    KnitStation fx;
    TknitWindow* d = fx.NewDrawing(true);
    TFormMain& m = fx.Main();
    m.SendCommand(bus::GroupColor, bus::CmdPenColor, 0x0000FF);
    m.SendCommand(bus::GroupTool, bus::FamilyLine, bus::ToolPen);
    EXPECT_FALSE(d->Changed);
    Click(*d, 2, 2);
    EXPECT_EQ(d->GetCell(2, 2), 0x0000FFu);
    EXPECT_TRUE(d->Changed);
    EXPECT_TRUE(d->MBusDrawing::UndoAvailable);

    // The pointer's needle and line reach the status bar.
    QTest::mouseMove(d, At(*d, 4, 1));
    EXPECT_EQ(m.LabelXValue()->text(), QStringLiteral("X:5"));
    EXPECT_EQ(m.LabelYValue()->text(), QStringLiteral("Y:4"));

    m.SendCommand(bus::GroupSelection, bus::CmdUndo);
    EXPECT_EQ(d->GetCell(2, 2), NewCell);
    EXPECT_FALSE(d->MBusDrawing::UndoAvailable);

    m.SendCommand(bus::GroupView, bus::CmdGrid);
    EXPECT_TRUE(d->PGrid());
    m.SendCommand(bus::GroupView, bus::CmdGrid);
    EXPECT_FALSE(d->PGrid());

    // A colour the picker takes stays the pen colour of the strokes that follow.
    d->WriteCell(6, 3, 0x345678);
    m.SendCommand(bus::GroupTool, bus::FamilySingle, bus::ToolDrop);
    Click(*d, 6, 3);
    m.SendCommand(bus::GroupTool, bus::FamilyLine, bus::ToolPen);
    Click(*d, 7, 0);
    EXPECT_EQ(d->GetCell(7, 0), 0x345678u);

    // The frame is kept at non-negative coordinates while not maximised.
    fx.Sub(d)->move(-40, -30);
    fx.Sub(d)->resize(320, 210);
    EXPECT_EQ(fx.Sub(d)->pos(), QPoint(0, 0));
}

// Before any sample is taken the pattern fill changes nothing, not even the undo; once a sample is
// taken it tiles it.
TEST(KnitWindow, APatternFillWithoutAPatternDoesNothing) {
    KnitStation fx;
    TknitWindow* d = fx.NewDrawing(true);
    TFormMain& m = fx.Main();
    m.SetCurrentWindow(d->WindowNumber);
    m.SendCommand(bus::GroupTool, bus::FamilySingle, bus::ToolFillPattern);
    auto cells = [d] {
        std::vector<TColor> out;
        for (int y = 0; y < d->ImageHeight(); ++y)
            for (int x = 0; x < d->ImageWidth(); ++x)
                out.push_back(d->GetCell(x, y));
        return out;
    };
    const std::vector<TColor> before = cells();
    Click(*d, 3, 2);
    EXPECT_EQ(cells(), before);
    EXPECT_FALSE(d->Changed);
    EXPECT_FALSE(d->MBusDrawing::UndoAvailable);

    d->WriteCell(0, 0, 0x345678);
    d->SetSelectionCells({0, 0, 0, 0});
    ASSERT_EQ(m.SendCommand(bus::GroupStyle, bus::CmdPatternSample), 0);
    Click(*d, 3, 2);
    EXPECT_EQ(d->GetCell(3, 2), 0x345678u);
    EXPECT_EQ(d->GetCell(9, 4), 0x345678u);
}

TEST(KnitWindow, ThePictureNamedOnTheCommandLineOpensInAKnitWindow) {
    QTemporaryDir dir;
    const QString name = dir.path() + QStringLiteral("/motif.bmp");
    {
        TknitWindow maker(nullptr);
        maker.NewImage(6, 4);
        maker.WriteCell(0, 3, 0x0000FF);
        maker.WritePicture(name, 1);
    }
    StationFixture fx(QByteArray(), {name});
    MBusFactory* old = BusFactory();
    SetBusFactory(&StationFactory());
    fx.Main().show();
    SetBusFactory(old);
    const std::vector<MBusDrawing*> drawings = fx.Main().Drawings();
    ASSERT_EQ(drawings.size(), 1u);
    auto* d = dynamic_cast<TknitWindow*>(drawings[0]);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->StandAlone);
    EXPECT_EQ(d->FileName, name);
    EXPECT_EQ(d->ImageWidth(), 6);
    EXPECT_EQ(d->ImageHeight(), 4);
    EXPECT_EQ(d->GetCell(0, 3), 0x0000FFu);
    EXPECT_FALSE(d->Changed);
    EXPECT_EQ(fx.Shown(), 0u);
    // Shown in its frame, which is made large enough for the whole picture.
    ASSERT_NE(qobject_cast<QMdiSubWindow*>(d->Frame()), nullptr);
    EXPECT_TRUE(d->Frame()->isVisible());
    EXPECT_EQ(d->VisibleCells(), (TBoardRect{0, 0, 5, 3}));
}

// A picture larger than the main window's work area opens in a window that fits inside it, with scroll
// bars; a maximised window leaves the next window opened at its own size; a smaller work area takes
// the windows larger than it along.
TEST(KnitWindow, ALargePictureOpensInAWindowInsideTheWorkAreaAndTheNextOneIsNotMaximised) {
    QTemporaryDir dir;
    const QString large = dir.path() + QStringLiteral("/large.bmp");
    const QString small = dir.path() + QStringLiteral("/small.bmp");
    for (const auto& [name, w, h] : {std::tuple{large, 2400, 1800}, std::tuple{small, 40, 30}}) {
        TknitWindow maker(nullptr);
        maker.NewImage(w, h);
        maker.WritePicture(name, 1);
    }
    StationFixture fx;
    MBusFactory* old = BusFactory();
    SetBusFactory(&StationFactory());
    fx.Main().showNormal();
    fx.Main().resize(900, 640);
    QCoreApplication::processEvents();
    const QRect work = fx.Main().Client()->viewport()->rect();
    const auto open = [&fx](const QString& Name) {
        auto* d = dynamic_cast<TknitWindow*>(fx.Main().OpenImageFile(Name, 1));
        QCoreApplication::processEvents();
        return d;
    };
    TknitWindow* first = open(large);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(work.contains(first->Frame()->geometry()))
        << first->Frame()->width() << "x" << first->Frame()->height();
    EXPECT_FALSE(first->Frame()->isMaximized());
    EXPECT_TRUE(first->ScrollBarH->isVisible());
    EXPECT_TRUE(first->ScrollBarV->isVisible());

    first->Frame()->showMaximized();
    TknitWindow* second = open(small);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->Frame()->isMaximized());
    EXPECT_TRUE(work.contains(second->Frame()->geometry()));
    EXPECT_EQ(second->VisibleCells(), (TBoardRect{0, 0, 39, 29}));

    // The work area shrinking takes the windows larger than it along.
    first->Frame()->showNormal();
    fx.Main().resize(700, 480);
    QCoreApplication::processEvents();
    const QRect smaller = fx.Main().Client()->viewport()->rect();
    ASSERT_LT(smaller.width(), work.width());
    for (TknitWindow* d : {first, second})
        EXPECT_TRUE(smaller.contains(d->Frame()->geometry()));
    EXPECT_TRUE(first->ScrollBarH->isVisible());
    SetBusFactory(old);
}

} // namespace
