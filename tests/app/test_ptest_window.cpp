// The program test window, offscreen: its state table over finished, stopped and resumed runs, a
// newer run replacing the one in progress, the lines it lists, the double click through the project,
// the close box and Exit, and the project closing while a run lets the events through.

#include "tests/app/ProjectSupport.h"

#include "app/UPtestWindow.h"
#include "tests/support/ProjectScript.h"
#include "tests/support/PtestPrograms.h"
#include "ui/Speedbutton_m.h"
#include "ui/ULPackDM.h"
#include "ui/Umessage.h"
#include "ui/button_m.h"
#include "ui/label_m.h"
#include "ui/listbox_m.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace prjtest;
using kdstest::CleanProgram;
using kdstest::EndlessProgram;

namespace {

// A program for a project's window that runs long: a block of 99 passes.
constexpr char LongProgram[] = R"(
machine 708 5
C area=1..21 L1=-5 R1=5
picture 20x10
Z1 cam1=RR cam2=A yc1=1
Z2 cam1=RR cam2=A yc1=1
S1 Z=1+1 D99
)";

// A window over a project of its own.
struct Own {
    explicit Own(const char* Script) : Project(kdstest::BuildProject(QString::fromLatin1(Script))) {
        Window = new TFormPTwindow(*Project);
    }
    ~Own() { delete Window.data(); }
    std::unique_ptr<MMemoryProject> Project;
    QPointer<TFormPTwindow> Window;
};

// The English caption of the end button (the one shown when the station shows English).
bool EndIs(const TFormPTwindow& W, const char* Caption) {
    return W.btnEnd->M_Caption()->Captions().List().value(1) == QLatin1String(Caption) &&
           W.btnEnd->M_Caption()->Captions().List().indexOf(W.btnEnd->text()) >= 0;
}

// Presses Stop once the run has made Steps steps.
void StopAfter(TFormPTwindow& W, long long Steps) {
    auto* t = new QTimer(&W);
    QObject::connect(t, &QTimer::timeout, &W, [&W, t, Steps] {
        if (W.Run().Steps() >= Steps) {
            t->stop();
            W.btnEnd->click();
        }
    });
    t->start(0);
}

bool HasEndFinding(const MProgramTestRun& Run) {
    for (const MPtFinding& f : Run.Findings())
        if (f.Phase == TPtPhase::End)
            return true;
    return false;
}

// Copies a script's program into an open project.
void LoadProgram(TPrjContainer& C, const char* Script) {
    auto p = kdstest::BuildProject(QString::fromLatin1(Script));
    MSwitchGuard noValidation(ListsAutoValidate, false);
    C.Program().Machine.Assign(p->Lists.Machine);
    const MListSet from = p->Lists.Lists(), to = C.Program().Lists();
    for (std::size_t i = 0; i < from.size(); ++i)
        to[i]->Assign(*from[i]);
    C.SetModified(false);
}

} // namespace

TEST(PtestWindow, StateTableOverAFinishedAStoppedAndAResumedRun) {
    {
        Own o(CleanProgram);
        TFormPTwindow& w = *o.Window;
        EXPECT_EQ(w.width(), TFormPTwindow::FormWidth);
        EXPECT_GE(w.height(), TFormPTwindow::MinHeight);
        EXPECT_EQ(w.OListBoxErrors->y(), 3);
        EXPECT_EQ(w.OListBoxErrors->height(), w.height() - 6);
        // Idle, nothing run.
        EXPECT_TRUE(EndIs(w, "Exit"));
        EXPECT_FALSE(w.btnContinue->isEnabled());
        EXPECT_EQ(w.Mode(), TFormPTwindow::ModeIdle);

        // Run ended: the end checks ran and the values are cleared.
        w.btnStart->click();
        EXPECT_TRUE(w.Run().Finished());
        EXPECT_TRUE(EndIs(w, "Exit"));
        EXPECT_TRUE(w.btnContinue->isEnabled());
        EXPECT_EQ(w.lblSvalue->text(), QString());
        EXPECT_EQ(w.lblZvalue->text(), QString());
        EXPECT_EQ(w.OListBoxErrors->count(), int(w.Run().Findings().size()));
        // Continue after the end steps nothing and checks nothing.
        const long long steps = w.Run().Steps();
        const int lines = w.OListBoxErrors->count();
        w.btnContinue->click();
        EXPECT_EQ(w.Run().Steps(), steps);
        EXPECT_EQ(w.OListBoxErrors->count(), lines);
        EXPECT_FALSE(w.btnContinue->isEnabled());
        EXPECT_TRUE(EndIs(w, "Exit"));
    }
    {
        Own o(EndlessProgram);
        TFormPTwindow& w = *o.Window;
        // Running while the timer waits: Stop shows, continue is off.
        bool sawRunning = false;
        QTimer::singleShot(0, &w, [&] {
            sawRunning =
                EndIs(w, "Stop") && !w.btnContinue->isEnabled() && w.Mode() == TFormPTwindow::ModeRunning;
        });
        StopAfter(w, 50);
        w.btnStart->click();
        EXPECT_TRUE(sawRunning);
        // Stopped: the window stayed responsive, the end checks did not run, the values show.
        EXPECT_FALSE(w.Run().Finished());
        EXPECT_GE(w.Run().Steps(), 50);
        EXPECT_TRUE(EndIs(w, "Exit"));
        EXPECT_TRUE(w.btnContinue->isEnabled());
        EXPECT_FALSE(HasEndFinding(w.Run()));
        EXPECT_EQ(w.lblSvalue->text(), QString::number(w.Run().Registers().PrevSLine));
        EXPECT_EQ(w.lblZvalue->text(), QString::number(w.Run().Registers().PrevZRow));
        EXPECT_NE(w.lblZvalue->text(), QString());

        // Continue resumes at the next step with the findings kept.
        const long long before = w.Run().Steps();
        const std::size_t findings = w.Run().Findings().size();
        StopAfter(w, before + 30);
        w.btnContinue->click();
        EXPECT_GE(w.Run().Steps(), before + 30);
        EXPECT_GE(w.Run().Findings().size(), findings);
        EXPECT_TRUE(w.btnContinue->isEnabled());
        EXPECT_EQ(w.OListBoxErrors->count(), int(w.Run().Findings().size()));
    }
}

// A project without its setup scheme is not tested: Start says why and runs nothing; with the
// scheme back the test runs.
TEST(PtestWindow, AProjectWithoutItsSetupSchemeIsNotTested) {
    kdstest::MScriptedMessages messages(mbOK);
    Own o(CleanProgram);
    TFormPTwindow& w = *o.Window;
    const std::unique_ptr<MUnvBase> setup = o.Project->Lists.C.GetC(1).Clone();
    o.Project->Lists.C.DeleteNumber(1);
    w.btnStart->click();
    ASSERT_EQ(messages.Coded.size(), 1u);
    EXPECT_EQ(messages.Coded[0].Code, ptestmsg::Code);
    EXPECT_EQ(messages.Coded[0].SubCode, ptestmsg::NoSetupScheme);
    EXPECT_EQ(w.Run().Steps(), 0);
    EXPECT_TRUE(w.Run().Findings().empty());
    EXPECT_EQ(w.OListBoxErrors->count(), 0);
    EXPECT_EQ(w.Mode(), TFormPTwindow::ModeIdle);
    EXPECT_FALSE(w.btnContinue->isEnabled());

    o.Project->Lists.C.AddOrReplace(*setup);
    w.btnStart->click();
    EXPECT_EQ(messages.Coded.size(), 1u);
    EXPECT_GT(w.Run().Steps(), 0);
    EXPECT_TRUE(w.Run().Finished());
}

TEST(PtestWindow, StartDuringARunReplacesItAndOnlyTheNewerRunsLinesStay) {
    Own o(EndlessProgram);
    TFormPTwindow& w = *o.Window;
    // A finding of the first run that the second does not make.
    w.Run().AddFinding(80, QStringLiteral("Z1"), 3, 1);
    int starts = 0;
    // A timer is not fired again while its own handler runs: one presses Start, the other Stop.
    auto* again = new QTimer(&w);
    QObject::connect(again, &QTimer::timeout, &w, [&] {
        if (w.Run().Steps() >= 20 && starts++ == 0) {
            again->stop();
            // The newer run: it starts from the beginning and is stopped in its turn.
            StopAfter(w, 20);
            w.btnStart->click();
        }
    });
    again->start(0);
    w.btnStart->click();
    EXPECT_EQ(starts, 1);
    // The older loop returned without listing or ending anything after the newer one.
    EXPECT_TRUE(EndIs(w, "Exit"));
    EXPECT_TRUE(w.btnContinue->isEnabled());
    EXPECT_LT(w.Run().Steps(), 200);
    EXPECT_EQ(w.OListBoxErrors->count(), int(w.Run().Findings().size()));
    for (const MPtFinding& f : w.Run().Findings())
        EXPECT_NE(f.Error.SubCode, 80);
}

TEST(PtestWindow, FindingsAreListedOnceInTheLanguageShown) {
    Own o(CleanProgram);
    TFormPTwindow& w = *o.Window;
    for (int i = 0; i < 3; ++i)
        w.Run().AddFinding(104, QStringLiteral("Z;B;A"), 3, 2);
    w.Run().AddValidationFinding(5013, 5, QString(), 3, 7);
    ASSERT_EQ(w.OListBoxErrors->count(), 2);
    EXPECT_EQ(w.OListBoxErrors->item(0)->text(), w.FindingText(w.Run().Findings()[0].Error));
    EXPECT_FALSE(w.OListBoxErrors->item(0)->text().isEmpty());
    EXPECT_FALSE(w.OListBoxErrors->item(0)->text().contains(QLatin1Char('\n')));
}

// In Arabic the entry of a finding reads as in English, "Z1" and not "1Z": its kind and number stand
// in one directional isolate of the line.
TEST(PtestWindow, AnArabicFindingKeepsTheEntrysKindBeforeItsNumber) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    // The station's catalogue, through its message box.
    TMessageBox box(kdstest::SourcePath(QStringLiteral("resources/Dta/sysmsg.dta")), nullptr,
                    pack.OLanguagePack);
    MMessageService* oldBox = MessageBox;
    MessageBox = &box;
    struct Restore {
        MMessageService* Old;
        ~Restore() { MessageBox = Old; }
    } restore{oldBox};
    Own o(CleanProgram);
    TFormPTwindow& w = *o.Window;
    w.Run().AddFinding(1, QStringLiteral("1"), 3, 1);    // "Z%: the racking ..."
    w.Run().AddFinding(54, QStringLiteral("3;7"), 5, 3); // "S%: the knitting row (Z%) ..."
    ASSERT_EQ(w.OListBoxErrors->count(), 2);
    EXPECT_TRUE(w.OListBoxErrors->item(0)->text().startsWith(QStringLiteral("Z1:")))
        << w.OListBoxErrors->item(0)->text().toStdString();
    const QString fsi = QChar(0x2068), pdi = QChar(0x2069);
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    ASSERT_EQ(w.OListBoxErrors->count(), 2);
    const QString first = w.OListBoxErrors->item(0)->text(), second = w.OListBoxErrors->item(1)->text();
    EXPECT_TRUE(first.startsWith(fsi + QStringLiteral("Z1") + pdi + QLatin1Char(':'))) << first.toStdString();
    EXPECT_TRUE(second.startsWith(fsi + QStringLiteral("S3") + pdi)) << second.toStdString();
    EXPECT_TRUE(second.contains(fsi + QStringLiteral("Z7") + pdi)) << second.toStdString();
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_TRUE(w.OListBoxErrors->item(0)->text().startsWith(QStringLiteral("Z1:")));
}

TEST(PtestWindow, DoubleClickOpensTheEntrysWindowOnlyForAFindingOfAnEntry) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("dc_740e7")));
    ASSERT_TRUE(p->Button(prjwin::ProgramTest)->isEnabled());
    p->PressButton(prjwin::ProgramTest);
    auto* w = dynamic_cast<TFormPTwindow*>(p->ChildWindow(prjwin::ProgramTest));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->windowTitle().startsWith(QStringLiteral("P-Tst  Prog:dc_740e7  Machine:740  E:7")));
    w->UpdateCaption();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("P-Tst  Prog:dc_740e7  Machine:740  E:7  "));
    // A renamed project is named again, once.
    p->SetProjectName(fx.Dir.filePath(QStringLiteral("dd_740e7.JXW")));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("P-Tst  Prog:dd_740e7  Machine:740  E:7  "));

    w->Run().AddFinding(80, QString(), 0, 0); // the program's end: no entry
    w->Run().AddFinding(50, QString(), 5, 0); // an S range of no line
    w->Run().AddFinding(3, QString(), 3, 12); // Z row 12
    ASSERT_EQ(w->OListBoxErrors->count(), 3);
    fx.Log.clear();
    // Nothing selected.
    w->OListBoxErrors->setCurrentRow(-1);
    w->OListBoxErrorsDblClick();
    for (int row : {0, 1}) {
        w->OListBoxErrors->setCurrentRow(row);
        w->OListBoxErrorsDblClick();
    }
    EXPECT_TRUE(fx.Log.empty());
    w->OListBoxErrors->setCurrentRow(2);
    w->OListBoxErrorsDblClick();
    EXPECT_EQ(fx.Log, (std::vector<std::string>{"goto 2 12"}));
}

TEST(PtestWindow, TheCloseBoxMinimisesAfterStoppingAndExitFreesTheWindow) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("cl_740e7")));
    LoadProgram(*p, LongProgram);
    p->PressButton(prjwin::ProgramTest);
    QPointer<TFormPTwindow> w = dynamic_cast<TFormPTwindow*>(p->ChildWindow(prjwin::ProgramTest));
    ASSERT_TRUE(w);
    QWidget* frame = fx.Frame(w);
    // The close box during a run: the run stops, the window is minimised and stays.
    QTimer::singleShot(0, w, [&] {
        if (w)
            frame->close();
    });
    w->btnStartClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(w);
    EXPECT_TRUE(frame->isMinimized());
    EXPECT_FALSE(w->Run().Finished());
    EXPECT_TRUE(EndIs(*w, "Exit"));
    EXPECT_TRUE(p->IsChildOpen(prjwin::ProgramTest));

    // Exit while idle frees the window and the project forgets child 11.
    w->btnEnd->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
    EXPECT_FALSE(p->IsChildOpen(prjwin::ProgramTest));
    // The button opens a new one.
    p->PressButton(prjwin::ProgramTest);
    EXPECT_TRUE(p->IsChildOpen(prjwin::ProgramTest));
}

TEST(PtestWindow, StopThenExitInOneRoundOfEventsFreesTheWindowOnlyAfterTheRunUnwound) {
    Own o(EndlessProgram);
    QPointer<TFormPTwindow> w = o.Window;
    QTimer::singleShot(0, w, [&] {
        w->btnEnd->click(); // Stop
        w->btnEnd->click(); // Exit: waits for the loop below
        EXPECT_TRUE(w);
    });
    w->btnStartClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
}

TEST(PtestWindow, TheProjectClosingDuringARunEndsTheRunWithoutTouchingTheFreedWindow) {
    ProjectFixture fx;
    TPrjContainer* p = fx.Open(fx.MakeProject(QStringLiteral("pc_740e7")));
    LoadProgram(*p, LongProgram);
    p->PressButton(prjwin::ProgramTest);
    QPointer<TFormPTwindow> w = dynamic_cast<TFormPTwindow*>(p->ChildWindow(prjwin::ProgramTest));
    ASSERT_TRUE(w);
    QPointer<QWidget> bar = p;
    QTimer::singleShot(0, w, [&] {
        EXPECT_TRUE(fx.Frame(p)->close());
        // The frees the closing asked for happen while the run lets the events through.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    w->btnStartClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
    EXPECT_FALSE(bar);
    EXPECT_TRUE(fx.Main().Projects().empty());
}
