// The interpreter's walk through a program: the start, the order of rows and systems, the row
// search with its limit, stroke preparation, attaching and detaching, and the findings it records.
#include "RunFixture.h"
#include "model/UcstmExp.h"

#include <gtest/gtest.h>

using kdstest::BuildProject;
using kdstest::Field;
using kdstest::SeqRun;

namespace {
QStringList Split(const char* Text) {
    return QString::fromLatin1(Text).split(QLatin1Char(' '));
}

// S lines 2 .. 1 + Count over Z row 1 with the counter D 0: each costs the row search three
// transitions (states 4, 2 and 3).
QString SkippedLines(int Count) {
    QString s;
    for (int k = 2; k < 2 + Count; ++k)
        s += QStringLiteral("S%1 Z=1 D0\n").arg(k);
    return s;
}
} // namespace

TEST(SequencerWalk, AnEmptySListFinishesAtTheStartAndClearsTheStarts) {
    SeqRun run(
        QStringLiteral("machine 708 5\nC area=1..21 start3=-4,0,0,0,0,0,0,9\npicture 20x10\nZ1 cam1=RR\n"));
    kdstest::ExpectTrace(run.Run(), {"start res=3 fin=1 rows=0 settle=0 yc=- f=- cur=-", "starts -",
                                     "end finished steps=0 rows=0"});
    EXPECT_EQ(run.Project->RefreshCount, 1);
    EXPECT_EQ(run.Sequencer.StepSystem(), srFinished);
    EXPECT_EQ(run.Sequencer.RunStroke(), srFinished);
    EXPECT_EQ(run.Sequencer.RunToEnd(), srFinished);
}

TEST(SequencerWalk, RowsAndSystemsFollowTheRangeAndTheRowParity) {
    // Z 4 down to 1 on two systems: even rows run the systems backwards.
    SeqRun run(QStringLiteral("machine 712 5\nC area=1..21\npicture 20x10\nS1 Z=4-3 D1\n"
                              "Z1 cam1=RR\nZ2 cam1=RR\nZ3 cam1=RR\nZ4 cam1=RR\n"));
    const QStringList& trace = run.Run();
    EXPECT_EQ(Field(trace, QStringLiteral("z")), Split("4 4 3 3 2 2 1 1"));
    EXPECT_EQ(Field(trace, QStringLiteral("sys")), Split("2 1 1 2 2 1 1 2"));
    EXPECT_EQ(Field(trace, QStringLiteral("res")), Split("3 0 0 0 0 0 0 0 4"));
    EXPECT_EQ(run.Sequencer.Regs.StepCount, 4);
}

TEST(SequencerWalk, CyclesSkipLinesThatAreCyclesOrMissing) {
    SeqRun run(
        QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\n"
                       "S1 Z=1 D1\nS2 cycle=5+2 D1\nS5 cycle=9 D1\nS7 Z=3 D1\nZ1 cam1=RR\nZ3 cam1=RR\n"));
    const QStringList& trace = run.Run();
    EXPECT_EQ(Field(trace, QStringLiteral("z")), Split("1 3"));
    // After row 1: S5 is a cycle (60), S6 does not exist (59), S7 knits.
    EXPECT_EQ(Field(trace, QStringLiteral("f")), Split("60:5:5:5,59:2;6:5:2 60:5:5:5,59:2;6:5:2 -"));
    EXPECT_EQ(run.Sequencer.Regs.Error.ErrorId, 59);
}

TEST(SequencerWalk, RLineShiftMovesLinesAboveTenOnly) {
    SeqRun run(QStringLiteral("machine 708 5\nC area=1..21\npicture 20x60\nS1 Z=1 R1\nR1 D3 offsets=20,20\n"
                              "Z1 cam1=JR ZT1=15 ZT2=8\n"));
    EXPECT_EQ(Field(run.Run(), QStringLiteral("zt")), Split("15,8 35,8 55,8"));

    // Beyond the picture's height the line becomes 0 with finding 114; a missing R entry shifts
    // nothing and records nothing.
    SeqRun high(QStringLiteral("machine 708 5\nC area=1..21\npicture 20x40\nS1 Z=1 R1\nR1 D3 offsets=20\n"
                               "Z1 cam1=JR ZT1=15\n"));
    const QStringList& trace = high.Run();
    EXPECT_EQ(Field(trace, QStringLiteral("zt")), Split("15,0 35,0 0,0"));
    EXPECT_EQ(Field(trace, QStringLiteral("cur")).last(), QStringLiteral("114:1;55;1:5:1"));
    SeqRun missing(
        QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=1 R1\nZ1 cam1=JR ZT1=55\n"));
    EXPECT_EQ(Field(missing.Run(), QStringLiteral("zt")), Split("55,0"));
    EXPECT_EQ(missing.Sequencer.Regs.Error.ErrorId, 61); // the R counter's own check
}

TEST(SequencerWalk, StrokePreparationCarriesSettingsOver) {
    // Each row's effective take-down, stitch modules, racking and speed after the row before it.
    SeqRun run(QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=1+5 D1\n"
                              "Z1 cam1=RR WA2=7 FSF=3 FSR=4 rack1=2:G TZ=50\n"
                              "Z2 cam1=RR WA2=1 WA2step=2\n" // "^": 7 + 1
                              "Z3 cam1=RR WA2=1 WA2step=3\n" // "v": 8 - 1
                              "Z4 cam1=RR WA2=0 FSF=5 rack1=-1:U1 TZ=20\n"
                              "Z5 cam1=RR WA2=4 WA2step=3\n"
                              "Z6 cam1=RR WA2=4 WA2step=3\n"
                              "FS3 A=W2\nW2 levels=1\nFS5\nW9\n"));
    MprogramSequencer& s = run.Sequencer;
    s.StartProgram();
    struct Row {
        int WA2, FSFront, FSRear, Rack, Transfer, TZ;
    };
    const Row expected[] = {{7, 3, 4, 2, 1, 50},  {8, 3, 4, 2, 1, 50},  {7, 3, 4, 2, 1, 50},
                            {7, 5, 4, -1, 2, 20}, {6, 5, 4, -1, 2, 20}, {5, 5, 4, -1, 2, 20}};
    for (const Row& e : expected) {
        s.StepSystem();
        const MUnvZ& row = s.Regs.Row;
        EXPECT_EQ(row.WA2.Value, e.WA2) << "row " << row.Number;
        EXPECT_EQ(row.FSFront, e.FSFront) << "row " << row.Number;
        EXPECT_EQ(row.FSRear, e.FSRear) << "row " << row.Number;
        EXPECT_EQ(row.Racking[0].Position, e.Rack) << "row " << row.Number;
        EXPECT_EQ(row.Racking[0].Transfer, e.Transfer) << "row " << row.Number;
        EXPECT_EQ(row.TZ, e.TZ) << "row " << row.Number;
    }
    EXPECT_EQ(run.Project->Lists.FS.GetFS(3).UsedMark, 1);
    EXPECT_EQ(run.Project->Lists.W.GetW(2).UsedMark, 1);
    EXPECT_EQ(run.Project->Lists.W.GetW(9).UsedMark, 0);

    // "v" after a row whose value is 0 keeps the row's own value.
    SeqRun v(QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=1+1 D1\n"
                            "Z1 cam1=RR\nZ2 cam1=RR WA2=1 WA2step=3\n"));
    v.Sequencer.StartProgram();
    v.Sequencer.StepSystem();
    v.Sequencer.StepSystem();
    EXPECT_EQ(v.Sequencer.Regs.Row.WA2.Value, 1);
}

TEST(SequencerWalk, FindingTwelveIsHeldUntilTheNextStart) {
    // Row 2 takes its offsets from table 2, which has no left offset for carrier 3: finding 112
    // where the carrier ends row 2; the missing row 3 (54) after it is logged as held.
    SeqRun run(QStringLiteral("machine 708 5\nC area=1..21 L1=0,0,-10 R1=0,0,10 R2=0,0,10\npicture 20x10\n"
                              "S1 Z=1+2 D1\nZ1 cam1=RR yc1=3 ycv1=1\nZ2 cam1=RR yc1=3 ycv1=2\n"));
    const QStringList& trace = run.Run();
    EXPECT_EQ(Field(trace, QStringLiteral("cur")), Split("112:3:10:1 112:3:10:1 112:3:10:1"));
    EXPECT_EQ(Field(trace, QStringLiteral("f")), Split("112:3:10:1,~54:1;3:5:1 - ~112:3:10:1,~54:1;3:5:1"));
    // A new start forgets it.
    run.Project->Lists.C.GetC(1).OffsetTables[1].L[2] = -4;
    run.Sequencer.StartProgram();
    EXPECT_EQ(run.Sequencer.Regs.Error.ErrorId, 54);
}

TEST(SequencerWalk, TheRowSearchStopsAfterItsTransitionsAndGoesOn) {
    // After row 1: states 1, 2, 3, then three per skipped line, then one cycle of four (4, 5, 2, 3),
    // then the end (states 4 and 6): 3 + 3 k + 4 c + 2 transitions.
    const auto program = [](int Skipped, int Cycles) {
        QString s = QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=1 D1\nZ1 cam1=RR\n");
        s += SkippedLines(Skipped);
        for (int c = 0; c < Cycles; ++c)
            s += QStringLiteral("S%1 cycle=500 D1\n").arg(2 + Skipped + c);
        return s + QStringLiteral("S500 Z=1 D0\n");
    };
    SeqRun exact(program(329, 2)); // 1000 transitions: the search ends the program
    EXPECT_EQ(Field(exact.Run(), QStringLiteral("res")), Split("3 4"));
    SeqRun over(program(332, 0)); // 1001: stopped before the end, which the next step reaches
    EXPECT_EQ(Field(over.Run(), QStringLiteral("res")), Split("3 5 4"));
    EXPECT_EQ(over.Sequencer.SettleSteps, 2);

    // 400 skipped lines between two real ones: a step with result 5, then the next row's first
    // system in the step that finds it; no row twice, no finding.
    SeqRun between(QStringLiteral("machine 712 5\nC area=1..21\npicture 20x10\nS1 Z=1 D1\nZ1 cam1=RR\n") +
                   SkippedLines(400) + QStringLiteral("S402 Z=3 D1\nZ3 cam1=RR\n"));
    const QStringList& trace = between.Run();
    EXPECT_EQ(Field(trace, QStringLiteral("res")), Split("3 0 5 0 4"));
    EXPECT_EQ(Field(trace, QStringLiteral("exec")), Split("1 1 1 1"));
    EXPECT_EQ(Field(trace, QStringLiteral("z")), Split("1 1 3 3"));
    EXPECT_EQ(Field(trace, QStringLiteral("s")), Split("1 1 402 402"));
    EXPECT_EQ(Field(trace, QStringLiteral("cur")), Split("- - - - -"));
    EXPECT_EQ(between.Sequencer.Regs.StepCount, 2);
}

TEST(SequencerWalk, AMissingRowIsNeverKnitted) {
    // S2's first row does not exist: finding 54, nothing executed, the search goes on to S3.
    SeqRun run(
        QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=1 D1\nS2 Z=5+1 D1\nS3 Z=7 D1\n"
                       "Z1 cam1=RR\nZ6 cam1=RR\nZ7 cam1=RR ZT1=3\n"));
    // clang-format off
    kdstest::ExpectTrace(run.Run(), {
        "start res=3 fin=0 rows=1 settle=3 yc=- f=54:2;5:5:2 cur=54:2;5:5:2",
        "starts -",
        "step 1 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=1 sys=1 new=SZ rows=2 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=54:2;5:5:2",
        "step 2 res=0 exec=0 mode=- s=1 bp=1 cp=0 z=1 sys=1 new=SZ rows=3 fin=0 zt=- cam=- ff=- rk=- yc=- f=54:2;5:5:2 cur=54:2;5:5:2",
        "step 3 res=4 exec=1 mode=1 s=3 bp=1 cp=0 z=7 sys=1 new=SZ rows=3 fin=1 zt=3,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=54:2;5:5:2",
        "end finished steps=3 rows=3",
    });
    // clang-format on

    // A row missing inside a range ends that pass of the range: Z5 after the missing Z4 is not
    // knitted, the second pass starts again at Z3, and the search then goes on to S2.
    SeqRun middle(QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=3+2 D2\nS2 Z=7 D1\n"
                                 "Z3 cam1=RR\nZ5 cam1=RR\nZ7 cam1=RR\n"));
    const QStringList& rows = middle.Run();
    EXPECT_EQ(Field(rows, QStringLiteral("z")), Split("3 3 7"));
    EXPECT_EQ(Field(rows, QStringLiteral("f")), Split("54:1;4:5:1,54:1;4:5:1 54:1;4:5:1 54:1;4:5:1 -"));

    // The program's first row missing: the start still starts; the first step records 54.
    SeqRun first(
        QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=3 D1\nS2 Z=1 D1\nZ1 cam1=RR\n"));
    const QStringList& trace = first.Run();
    EXPECT_EQ(Field(trace, QStringLiteral("exec")), Split("0 1"));
    EXPECT_EQ(Field(trace, QStringLiteral("f")), Split("54:1;3:5:1 54:1;3:5:1 -"));
}

TEST(SequencerWalk, StepsDriveStrokesAndRuns) {
    SeqRun run(
        QStringLiteral("machine 740 7\nC area=1..21\npicture 20x10\nS1 Z=1+1 D2\nZ1 cam1=RR\nZ2 cam1=RR\n"));
    MprogramSequencer& s = run.Sequencer;
    s.StartProgram();
    EXPECT_EQ(s.StepSystem(), srWentOn);
    EXPECT_EQ(s.Regs.System, 2);
    EXPECT_EQ(s.RunStroke(), srWentOn); // systems 2..4 of row 1
    EXPECT_EQ(s.Regs.ZRow, 2);
    EXPECT_EQ(s.Regs.System, 4);
    EXPECT_EQ(s.RunStroke(), srWentOn);
    EXPECT_EQ(s.Regs.PrevSystem, 1);
    EXPECT_EQ(s.Regs.ZRow, 1);
    EXPECT_EQ(s.RunToEnd(), srEnded);
    EXPECT_TRUE(s.Regs.Finished);
    EXPECT_EQ(s.RunStroke(), srFinished);

    // The step limit bounds RunToEnd.
    s.StartProgram();
    s.StepLimit = 3;
    EXPECT_EQ(s.RunToEnd(), srWentOn);
    EXPECT_EQ(s.Regs.PrevSystem, 3);
    EXPECT_FALSE(s.Regs.Finished);
}

TEST(SequencerWalk, AttachingReadsTheProjectAndDetachingFinishes) {
    auto project = BuildProject(QStringLiteral("machine 740 7\nC area=1..101\npicture 100x10\nS1 Z=1 D1\n"
                                               "Z1 cam1=RR\n"));
    auto bare = BuildProject(QStringLiteral("machine 740 7\n"));
    MprogramSequencer s;
    EXPECT_EQ(s.GetProject(), nullptr);
    EXPECT_TRUE(s.Regs.Finished);
    EXPECT_EQ(s.StartProgram(), srStarted);
    EXPECT_EQ(s.StepSystem(), srFinished);
    s.SetProject(project.get());
    EXPECT_EQ(s.Gauge, 7);
    EXPECT_EQ(s.Width, 100);
    EXPECT_EQ(s.SystemsCount(), 4);
    // A project without C entry 1 cannot run: the sequencer keeps what it had.
    EXPECT_THROW(s.SetProject(bare.get()), MException);
    EXPECT_EQ(s.GetProject(), project.get());

    // The working width and the gauge are read again at every start.
    project->Lists.C.GetC(1).To[0] = 51;
    project->Lists.Machine.Gauge = 3;
    EXPECT_EQ(s.StartProgram(), srStarted);
    EXPECT_EQ(s.Width, 50);
    EXPECT_EQ(s.Gauge, 3);
    EXPECT_FALSE(s.Regs.Finished);

    s.SetProject(nullptr);
    EXPECT_TRUE(s.Regs.Finished);
    EXPECT_EQ(s.StepSystem(), srFinished);
    EXPECT_EQ(s.StartProgram(), srStarted);
    EXPECT_TRUE(s.Regs.Finished);

    // A machine not known runs one system.
    project->Lists.Machine.Model = 999;
    project->Lists.Machine.UpdateCategory();
    s.SetProject(project.get());
    EXPECT_EQ(s.SystemsCount(), 1);
}

TEST(SequencerWalk, TheLogHoldsEveryFindingOfTheCall) {
    // The S line's N range names missing N entries: the bed loader's 53 is logged with the
    // interpreter's own findings; more than the log holds are counted.
    SeqRun run(
        QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=1 D1 N=4\nZ1 cam1=JR ZT1=1\n"));
    run.Sequencer.StartProgram();
    EXPECT_EQ(kdstest::Field({seqtrace::StartLine(run.Sequencer, 3)}, QStringLiteral("f")),
              QStringList{QStringLiteral("53:1;4:5:1")});

    // 1200 missing lines in a cycle: 59 each; the start's settling run logs the first 1000.
    SeqRun log(QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=1 D1\nZ1 cam1=RR\n"
                              "S2 cycle=3+1199 D1\n"));
    log.Sequencer.StartProgram();
    EXPECT_EQ(int(log.Sequencer.Findings().size()), MprogramSequencer::LogLimit);
    EXPECT_EQ(log.Sequencer.FindingsDropped(), 200);
    EXPECT_TRUE(seqtrace::LogText(log.Sequencer).endsWith(QLatin1String(",59:2;1002:5:2,+200")));
    // A step's log starts afresh.
    log.Sequencer.StepSystem();
    EXPECT_TRUE(seqtrace::LogText(log.Sequencer).startsWith(QLatin1String("59:2;3:5:2,59:2;4:5:2,")));
    EXPECT_EQ(log.Sequencer.FindingsDropped(), 0);
}

TEST(SequencerWalk, StatisticsOfTheJacquardSystems) {
    SeqRun run(QStringLiteral("machine 712 5\nC area=1..21\npicture 20x30\nN1 X=5+9 D1\nS1 Z=1+3 D1 N=1\n"
                              "Z1 cam1=JR ZT1=15 cam3=RR ZT3=20\nZ2 cam1=JN ZT1=3 cam2=JU ZT2=12\n"
                              "Z3 cam1=A ZT1=25\nZ4 cam1=JR ZT1=12 PA=1\n"));
    MprogramSequencer& s = run.Sequencer;
    s.StatisticsOn = true;
    s.StartProgram();
    const MRunStatistics& st = s.Statistics;
    EXPECT_EQ(st.LineMin, 12);
    EXPECT_EQ(st.LineMax, 15);
    for (int line = 1; line <= 10; ++line)
        EXPECT_EQ(st.FixedLineUsed[std::size_t(line - 1)], line == 3) << line;
    EXPECT_EQ(st.NeedleMin, 5);
    EXPECT_EQ(st.NeedleMax, 14);
    EXPECT_TRUE(st.UsesPositioning); // row 4 switches automatic positioning on
    // Without StatisticsOn nothing is gathered.
    s.StatisticsOn = false;
    s.StartProgram();
    EXPECT_EQ(s.Statistics.LineMax, 0);

    // A row that reads the pattern on the rear only: its needle setup counts as well.
    SeqRun rear(QStringLiteral("machine 712 5\nC area=1..21\npicture 20x30\nN1 X=5+9 D1\nS1 Z=1 D1 N=1\n"
                               "Z1 cam2=JU ZT2=12\n"));
    rear.Sequencer.StatisticsOn = true;
    rear.Sequencer.StartProgram();
    EXPECT_EQ(rear.Sequencer.Statistics.NeedleMin, 5);
    EXPECT_EQ(rear.Sequencer.Statistics.NeedleMax, 14);
}
