// The graphic-test window and its control panel, offscreen, over small programs: the stepping, the
// colour cache, the carriage and the rails, and a window freed while its run lets events through.

#include "app/UGTCtrl.h"
#include "app/UGtestWindow.h"
#include "app/UYCcolors.h"
#include "platform/AppFolder.h"
#include "tests/support/ProjectScript.h"
#include "ui/Image_m.h"
#include "ui/ScrollHemiSphereBtn_m.h"
#include "ui/ULPackDM.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <new>
#include <utility>

namespace {

// Two systems, carriers 1 and 2 on the front, six Z rows.
constexpr char TwoColours[] = R"(
machine 712 5
C area=1..41 L1=-3,-3 R1=3,3
picture 40x10
Z1 cam1=RR cam3=A cam4=A yc1=1 rack1=0:G
Z2 cam1=RR cam3=A cam4=A yc1=2
Z3 cam1=RR cam3=A cam4=A yc1=1
Z4 cam1=RR cam3=A cam4=A yc1=2
Z5 cam1=RR cam3=A cam4=A yc1=1
Z6 cam1=RR cam3=A cam4=A yc1=2
S1 Z=1+5 D1
)";

struct GtestFixture : ::testing::Test {
    QTemporaryDir Folder;
    QString OldFolder = AppFolder();
    std::unique_ptr<MMemoryProject> Project;
    QPointer<TGTWindow> Window;

    void SetUp() override {
        SetAppFolder(Folder.path() + QLatin1Char('/'));
        QDir(Folder.path()).mkpath(QStringLiteral("Cache"));
    }
    void TearDown() override {
        delete Window.data();
        SetAppFolder(OldFolder);
    }
    QString CacheFile() const { return Folder.filePath(QStringLiteral("Cache/YCcolors.che")); }
    TGTWindow& Open(const char* Script = TwoColours) {
        Project = kdstest::BuildProject(QString::fromUtf8(Script));
        Window = new TGTWindow();
        Window->resize(600, 400);
        Window->SetProject(Project.get());
        Window->NewTest();
        return *Window;
    }
    TFormGTControl& Panel() { return Window->Panel(); }
    MRegisters& Regs() { return Window->Engine().Sequencer.Regs; }
    QByteArray CacheBytes() const {
        QFile f(CacheFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// ---- The colour cache.

TEST_F(GtestFixture, MissingOrShortCacheGivesTheDefaultsAndIsWritten) {
    for (const QByteArray& old : {QByteArray(), QByteArray(10, '\x11')}) {
        SCOPED_TRACE(old.size());
        QFile::remove(CacheFile());
        if (!old.isEmpty()) {
            QFile f(CacheFile());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        Open();
        EXPECT_EQ(CacheBytes(), YcCacheBytes(FileOrderOf(DefaultGtestColors())));
        EXPECT_EQ(Window->Colors(), DefaultGtestColors());
        delete Window.data();
    }
}

TEST_F(GtestFixture, ColoursChosenInTheDialogGoToTheTableAndTheFile) {
    Open();
    // Rail 2 carrier 3 is the dialog's button 10.
    Panel().ColorDialog().CarrierButtons[10]->SetFaceColor(0x123456);
    Panel().ColorsFromDialog();
    Panel().SaveYcColors();
    EXPECT_EQ(Window->Colors()[5], 0x123456u);
    EXPECT_EQ(CacheBytes().mid(40, 4), QByteArray("\x56\x34\x12\x00", 4));
    // A new window reads them back.
    delete Window.data();
    Open();
    EXPECT_EQ(Window->Colors()[5], 0x123456u);
}

// ---- Stepping.

TEST_F(GtestFixture, ZRowStepsFollowTheRowAndTheSystem) {
    Open();
    struct Case {
        int ZRow, System, Steps;
    };
    for (const Case& c : {Case{1, 1, 2}, Case{1, 2, 1}, Case{2, 2, 2}, Case{2, 1, 1}}) {
        Regs().ZRow = c.ZRow;
        Regs().System = c.System;
        EXPECT_EQ(Window->StepsOfZ(), c.Steps) << c.ZRow << "/" << c.System;
    }
}

TEST_F(GtestFixture, ContinueToStopsAtItsTargetsAndZeroRunsToTheEnd) {
    Open();
    Window->ContinueTo(0, 5, 0);
    EXPECT_FALSE(Regs().Finished);
    EXPECT_EQ(Regs().PrevZRow, 5);
    // A state that already matches stops at once.
    const int steps = Regs().StepCount;
    Window->ContinueTo(0, 5, 0);
    EXPECT_EQ(Regs().StepCount, steps);
    Window->ContinueTo(0, 0, 0);
    EXPECT_TRUE(Regs().Finished);
    // A finished run starts again on the next step, on a new white board.
    Window->NextSystem();
    EXPECT_FALSE(Regs().Finished);
    EXPECT_LE(Window->Engine().DisplayRow, 2);
}

TEST_F(GtestFixture, EachStyleDrawsItsRowsOnTheirLines) {
    struct Case {
        int View, Style;
        int Line;   // a line that holds fabric after the whole run
        int Column; // a column of it that is not white
    };
    const Case cases[] = {
        {gvColor, gsNormal, 1, 21},
        {gvColor, gsJaquard, 1, 21},
        {gvColor, gsYC, 1, 21},
        {gvStitch, gsNormal, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.View * 100 + c.Style);
        Open();
        Window->Engine().View = c.View;
        Window->Engine().Style = c.Style;
        Window->ContinueRun();
        ASSERT_TRUE(Regs().Finished);
        const int h = Window->ImageHeight();
        bool inked = false;
        for (int x = c.Column - 1; x < c.Column + 40; ++x)
            inked = inked || Window->GetCell(x, h - c.Line) != 0xFFFFFF;
        EXPECT_TRUE(inked);
        // Nothing lies above the last fabric row.
        const int top = h - Window->Engine().DisplayRow - (c.View == gvStitch ? 14 : 3) - 1;
        for (int y = 0; y < top; ++y)
            ASSERT_EQ(Window->GetCell(c.Column, y), 0xFFFFFFu) << y;
        delete Window.data();
    }
}

// ---- The panel.

TEST_F(GtestFixture, CarriageShowsRackingAndTransferTexts) {
    Open();
    struct Case {
        int HV;
        const char* Text;
    };
    for (const Case& c : {Case{-3, "3>"}, Case{4, "4<"}, Case{0, "0"}}) {
        Regs().Row.Racking[0].Position = c.HV;
        Panel().ShowCarriage();
        EXPECT_EQ(Panel().lblMainRack->Caption(), QString::fromLatin1(c.Text));
    }
    const char* uv[] = {" ", "G", "U1", "U2"};
    for (int t = 0; t < 4; ++t) {
        Regs().Row.Racking[0].Transfer = std::uint8_t(t);
        Panel().ShowCarriage();
        EXPECT_EQ(Panel().lblTransRack->Caption(), QString::fromLatin1(uv[t]));
    }
}

TEST_F(GtestFixture, TwoSystemsUseTheMiddleColumns) {
    Open();
    ASSERT_EQ(Window->SystemsCount(), 2);
    TFormGTControl& p = Panel();
    EXPECT_EQ(p.SystemSlots[0], p.lblYCsSys[1]);
    EXPECT_EQ(p.SystemSlots[1], p.lblYCsSys[2]);
    EXPECT_EQ(p.CamSlots[0], p.lblCamV[1]);
    EXPECT_EQ(p.CamSlots[3], p.lblCamH[2]);
    for (int c : {0, 3})
        EXPECT_FALSE(p.lblYCsSys[std::size_t(c)]->isEnabled()) << c;
    for (int c : {1, 2})
        EXPECT_TRUE(p.lblYCsSys[std::size_t(c)]->isEnabled()) << c;
}

constexpr char WideProgram[] = R"(
machine 712 5
C area=1..401 L1=-3 R1=3
picture 400x10
Z1 cam1=RR yc1=1
S1 Z=1 D1
)";

TEST_F(GtestFixture, CarrierLabelsStandInTheirZones) {
    Open(WideProgram);
    ASSERT_EQ(Window->Engine().Width(), 400);
    TFormGTControl& p = Panel();
    auto place = [&](int Rail, int Carrier, bool Absolute, int Value) {
        MYcData& yc = Regs().Carrier(Rail, Carrier);
        yc.FInUse = true;
        yc.Current.Absolute = Absolute;
        yc.Current.Offset = Absolute ? 0 : Value;
        yc.Current.Position = Absolute ? Value : 0;
    };
    int x = 0;
    place(1, 1, false, -5);
    EXPECT_EQ(p.CarrierZone(1, 1, x), 3);
    EXPECT_EQ(x, 12);
    place(1, 4, true, 300);
    EXPECT_EQ(p.CarrierZone(1, 4, x), 1);
    EXPECT_EQ(x, 164);
    place(1, 5, false, 7);
    EXPECT_EQ(p.CarrierZone(1, 5, x), 0);
    EXPECT_EQ(p.CarrierZone(2, 6, x), -1);
    // Carrier 2 on both rails in the left half: the smaller needle first.
    place(1, 2, true, 50);
    place(2, 2, true, 40);
    p.ShowCarrierLabels();
    p.FinishMoves();
    EXPECT_EQ(p.CarrierLabels[1][1]->x(), 64);
    EXPECT_EQ(p.CarrierLabels[0][1]->x(), 64 + TFormGTControl::LabelWidth);
    EXPECT_EQ(p.CarrierLabels[0][0]->x(), 12);
    EXPECT_EQ(p.CarrierLabels[0][0]->Caption(), QStringLiteral("-5"));
    EXPECT_EQ(p.CarrierLabels[0][3]->Caption(), QStringLiteral("300"));
    EXPECT_TRUE(p.LabelsPlaced());
    EXPECT_FALSE(p.CarrierLabels[1][5]->isVisibleTo(&p));
}

// The rails and the carriage are the machine's: in Arabic a carrier parked left stays at the left of
// the rails picture, before and after it moves, and system 1 keeps its column at the right, where it
// leads under the arrow of travel; the texts beside them run right to left.
TEST_F(GtestFixture, RailsAndCarriageKeepTheMachinesSidesInArabic) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    Open(WideProgram);
    TFormGTControl& p = Panel();
    MYcData& yc = Regs().Carrier(1, 1);
    yc.FInUse = true;
    yc.Current.Offset = -5;
    p.ShowCarrierLabels();
    p.FinishMoves();
    MLabel* carrier = p.CarrierLabels[0][0];
    ASSERT_EQ(carrier->x(), 12);
    const int column1 = p.lblYCsSys[0]->x(), s = p.lblS->x();
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(carrier->x(), 12);
    EXPECT_EQ(p.lblYCsSys[0]->x(), column1);
    EXPECT_EQ(p.ImgRails->x(), 2);
    EXPECT_GT(p.lblS->x(), 150) << "was " << s; // at the right
    yc.Current.Absolute = true;
    yc.Current.Position = 300;
    p.ShowCarrierLabels();
    p.FinishMoves();
    EXPECT_EQ(carrier->x(), 164);
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(carrier->x(), 164);
    EXPECT_EQ(p.lblS->x(), s);
}

TEST_F(GtestFixture, SelectedCarriersAndThePreviousSystemBlink) {
    Open();
    TFormGTControl& p = Panel();
    Regs().Carrier(1, 1).FInUse = true;
    Regs().Carrier(1, 1).Selected = true;
    Regs().PrevSystem = 2;
    MLabel* carrier = p.CarrierLabels[0][0];
    MLabel* other = p.CarrierLabels[0][1];
    const bool before = carrier->autoFillBackground();
    p.Timer1Timer();
    EXPECT_NE(carrier->autoFillBackground(), before);
    EXPECT_TRUE(other->autoFillBackground());
    const bool shown = p.SystemSlots[1]->isVisibleTo(&p);
    p.Timer1Timer();
    EXPECT_EQ(carrier->autoFillBackground(), before);
    EXPECT_EQ(p.SystemSlots[1]->isVisibleTo(&p), shown);
    EXPECT_TRUE(p.SystemSlots[0]->isVisibleTo(&p));
    EXPECT_EQ(p.CamSlots[2]->isVisibleTo(&p), p.SystemSlots[1]->isVisibleTo(&p));
}

TEST_F(GtestFixture, StopStopsARunAfterItsRowAndExitClosesTheWindowLater) {
    Open();
    TFormGTControl& p = Panel();
    QTimer::singleShot(0, &p, [&p] {
        EXPECT_EQ(p.Mode(), 1);
        p.BtnStopClick();
    });
    p.BtnContinueClick();
    EXPECT_FALSE(Regs().Finished);
    EXPECT_EQ(Regs().PrevZRow, 1);
    EXPECT_EQ(p.Mode(), 2);
    // Exit while idle: the window is freed once the handler has returned.
    p.BtnStopClick();
    ASSERT_FALSE(Window.isNull());
    for (int i = 0; i < 5 && Window; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(Window.isNull());
}

// While Continue lets the events through, New ends the run and starts a new test with an empty
// carriage, and Next System and Next (Z) each step once between two of its rows, the run going on.
TEST_F(GtestFixture, TheStepButtonsActDuringARun) {
    Open();
    TFormGTControl& p = Panel();
    const int fresh = Regs().StepCount;
    QTimer::singleShot(0, &p, [&] {
        ASSERT_EQ(p.Mode(), 1);
        p.BtnNewClick();
    });
    p.BtnContinueClick();
    EXPECT_FALSE(Regs().Finished);
    EXPECT_EQ(Regs().StepCount, fresh);
    EXPECT_EQ(Regs().PrevZRow, 0);
    EXPECT_TRUE(p.lblZ->text().isEmpty());
    EXPECT_FALSE(p.LabelsPlaced());
    EXPECT_EQ(p.Mode(), 2);

    struct Case {
        const char* Name;
        void (TFormGTControl::*Click)();
        void (TGTWindow::*Step)();
    };
    for (const Case& c : {Case{"next system", &TFormGTControl::BtnNextSystemClick, &TGTWindow::NextSystem},
                          Case{"next row", &TFormGTControl::BtnNextZClick, &TGTWindow::NextZ}}) {
        SCOPED_TRACE(c.Name);
        // Where the step leads from the end of the first row.
        Window->NewTest();
        Window->NextZ();
        (Window.data()->*c.Step)();
        const std::pair<int, int> expected{Regs().PrevZRow, Regs().PrevSystem};
        Window->NewTest();
        std::pair<int, int> afterClick{-1, -1};
        int mode = 0;
        QTimer::singleShot(0, &p, [&] {
            (p.*c.Click)();
            afterClick = {Regs().PrevZRow, Regs().PrevSystem};
            mode = p.Mode();
            p.BtnStopClick();
        });
        p.BtnContinueClick();
        EXPECT_EQ(afterClick, expected);
        // Still running after the step: Stop stops the run and does not close the window.
        EXPECT_EQ(mode, 1);
        EXPECT_FALSE(Window.isNull());
        EXPECT_EQ(std::make_pair(Regs().PrevZRow, Regs().PrevSystem), expected);
        EXPECT_EQ(p.Mode(), 2);
    }
}

TEST_F(GtestFixture, TheCloseBoxStopsAndMinimisesAndRestoringWakesThePanel) {
    Open();
    Window->show();
    Window->close();
    EXPECT_FALSE(Window.isNull());
    EXPECT_TRUE(Window->StopRequested());
    EXPECT_TRUE(Panel().Closing);
    Window->showNormal();
    EXPECT_FALSE(Panel().Closing);
}

// An error out of a run (a board that could not grow) reaches the caller and leaves the window
// idle: the panel's buttons still step it.
TEST_F(GtestFixture, AnErrorOutOfARunLeavesTheWindowIdle) {
    Open();
    Window->Engine().Style = gsYC;
    MGtestDrawing& drawing = Window->Drawing();
    const auto written = drawing.OnRowsWritten;
    drawing.OnRowsWritten = [](int, int) { throw std::bad_alloc(); };
    for (void (TFormGTControl::*run)() :
         {&TFormGTControl::BtnContinueClick, &TFormGTControl::btnContinueToClick}) {
        EXPECT_THROW((Panel().*run)(), std::bad_alloc);
        EXPECT_FALSE(Window->Running());
    }
    drawing.OnRowsWritten = written;
    Panel().BtnContinueClick();
    EXPECT_TRUE(Regs().Finished);
}

TEST_F(GtestFixture, AWindowFreedDuringARunIsLeftAtOnce) {
    Open();
    QTimer::singleShot(0, [this] { delete Window.data(); });
    TFormGTControl* panel = &Panel();
    panel->BtnContinueClick();
    EXPECT_TRUE(Window.isNull());
}

} // namespace
