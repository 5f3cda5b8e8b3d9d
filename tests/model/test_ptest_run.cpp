// The program test over the stitch simulation: whole tests of small programs, Start twice, the cycle
// passes as the interpreter reports them, and lsttool test. (The catalogue's texts of the findings
// and their slots are checked with the whole catalogue, in tests/ui.)
#include "RunFixture.h"
#include "model/UunvDta.h"
#include "tests/support/PtestPrograms.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using kdstest::CleanProgram;
using kdstest::EndlessProgram;
using kdstest::TestRun;

namespace {
// Carrier 1 knits the motif of colour 1 (needles 1..30) in system 1 and stops on the bed at needle
// 35; in system 2 carrier 3 crosses every needle past it (pattern line 2 is all colour 0).
constexpr char MotifProgram[] = R"(
machine 712 5
C area=1..101 L1=-5,-5,-10 R1=5,5,10
picture 100x10 fill=0
N1 X=1+99 D1
P1 yc=1 mode=4 clrL=1
P2 yc=3 mode=4 clrL=0
Z1 cam1=JR LG1=1 ZT1=1 cam2=JA ZT2=1 yc1=1 cam3=RR ZT3=2 cam4=A yc2=3 rack1=0:G
Z2 cam1=JR LG1=1 ZT1=1 cam2=JA ZT2=1 yc1=1 cam3=RR ZT3=2 cam4=A yc2=3 rack1=0:G
S1 Z=1+1 D1 N=1+0 P=1+1
)";

struct Motif : TestRun {
    Motif() : TestRun(QString::fromLatin1(MotifProgram)) { kdstest::PaintMotifs(*Project); }
};

// The findings of the motif program, as the fixture writes them.
const QStringList MotifFindings{
    QStringLiteral("2 1 3 1"),       QStringLiteral("2 2 3 2"),     QStringLiteral("55 1 5 1"),
    QStringLiteral("11 - 3 1"),      QStringLiteral("12 - 3 1"),    QStringLiteral("13 - 3 1"),
    QStringLiteral("14 - 3 1"),      QStringLiteral("16 1 3 1"),    QStringLiteral("17 1 3 1"),
    QStringLiteral("104 2;1;3 3 1"), QStringLiteral("107 2;1 3 1"), QStringLiteral("9 1 3 1"),
    QStringLiteral("104 2;1;3 3 2"), QStringLiteral("9 2 3 2"),     QStringLiteral("16 2 3 2"),
    QStringLiteral("17 2 3 2")};

using Result = kdstest::ToolResult;

Result Tool(const QStringList& Args) {
    return kdstest::RunLstTool(Args);
}

QString Save(QTemporaryDir& Dir, MMemoryProject& Project, const QString& Name) {
    const QString file = Dir.filePath(Name + QStringLiteral(".LST"));
    SaveMachineFile(file, Project.Lists.Machine, Project.Lists.Lists());
    kdstest::WriteFile(Dir.filePath(Name + QStringLiteral(".bmp")), Project.Picture.Pixels);
    return file;
}

QString Lines(const QStringList& Lines) {
    return Lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
} // namespace

// The checks read the needle actions as the system set them: in system 2 carrier 3 knits every
// needle (consuming the needle states) and still carrier 1, parked at needle 35, stands next to
// working needles (107); carrier 1 moving in from off the bed in system 1 knits, so no 4.
TEST(ProgramTestRun, TheChecksReadTheActionBeds) {
    Motif run;
    EXPECT_EQ(run.Findings(), MotifFindings);
    EXPECT_EQ(run.Test.Steps(), 4);
    const MPtFinding& clearance = run.Test.Findings()[10];
    EXPECT_EQ(clearance.Phase, TPtPhase::Step);
    EXPECT_EQ(clearance.SLine, 1);
    EXPECT_EQ(clearance.ZRow, 1);
    // Start again: the findings, the reported carriers and the last new row begin afresh.
    EXPECT_EQ(run.Findings(), MotifFindings);

    TestRun clean(QString::fromLatin1(CleanProgram));
    EXPECT_EQ(clean.Findings(), QStringList());
    EXPECT_EQ(clean.Test.Steps(), 12);
    // Continue after the end steps nothing.
    EXPECT_EQ(clean.Test.RunProgramTest(), TPtRunEnd::Idle);
    EXPECT_EQ(clean.Test.Steps(), 12);
}

// A stop leaves the end checks undone; continue goes on with the findings and marks kept and runs
// them at the end.
TEST(ProgramTestRun, StopAndContinue) {
    Motif run;
    run.Test.Pump = [&run] {
        if (run.Test.Steps() == 2)
            run.Test.RequestStop();
    };
    EXPECT_EQ(run.Test.StartProgramTest(), TPtRunEnd::Stopped);
    EXPECT_EQ(TestRun::FindingLines(run.Test), MotifFindings.mid(0, 12));
    run.Test.Pump = nullptr;
    EXPECT_EQ(run.Test.RunProgramTest(), TPtRunEnd::Finished);
    EXPECT_EQ(TestRun::FindingLines(run.Test), MotifFindings);
}

// The interpreter counts the first pass of a cycle as 1; the rules read it as cycle pass 0, the
// second as 1.
TEST(ProgramTestRun, CyclePassesOfTheInterpreter) {
    TestRun run(QStringLiteral("machine 708 5\nC area=1..21\npicture 20x10\nS1 Z=1 D1\nS2 cycle=3 D2\n"
                               "S3 Z=3 D1\nZ1 cam1=RR\nZ3 cam1=RR\n"));
    QStringList passes;
    run.Test.Pump = [&] {
        const MRegisters& r = run.Test.Registers();
        passes << QStringLiteral("S%1:%2/%3")
                      .arg(r.PrevSLine)
                      .arg(r.PrevCycleRepeat)
                      .arg(MProgramTestRun::CyclePass(r));
    };
    run.Test.StartProgramTest();
    EXPECT_EQ(passes.mid(0, 3),
              (QStringList{QStringLiteral("S1:0/0"), QStringLiteral("S3:1/0"), QStringLiteral("S3:2/1")}));
}

// ---- lsttool test.

TEST(LstToolTest, FindingLinesAndResult) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TestRun clean(QString::fromLatin1(CleanProgram));
    const QString cleanFile = Save(dir, *clean.Project, QStringLiteral("clean_712e5"));
    Result r = Tool({QStringLiteral("test"), cleanFile});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("result finished steps=12 findings=0\n"));

    Motif motif;
    const QString motifFile = Save(dir, *motif.Project, QStringLiteral("motif_712e5"));
    r = Tool({QStringLiteral("test"), motifFile});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Err, QString());
    const QStringList english{
        QStringLiteral(
            "static - - 5030/2 Z 1 1 | Z1: the row mixes transfer cams, knitting cams and empty systems."),
        QStringLiteral(
            "static - - 5030/2 Z 2 2 | Z2: the row mixes transfer cams, knitting cams and empty systems."),
        QStringLiteral("static - - 5030/55 S 1 1 | S1: its knitting rows use different cam families."),
        QStringLiteral("first 1 1 5030/11 Z 1 - | The first row has no lower take-down (WA2)."),
        QStringLiteral("first 1 1 5030/12 Z 1 - | The first row has no carriage speed (TZ)."),
        QStringLiteral(
            "first 1 1 5030/13 Z 1 - | The first row lacks a static stitch length (FS front or FS rear)."),
        QStringLiteral("first 1 1 5030/14 Z 1 - | The first row does not switch the piece counter (ST) on."),
        QStringLiteral(
            "step 1 1 5030/16 Z 1 1 | Z1: the stitch length of a transfer or jacquard cam is too small."),
        QStringLiteral("step 1 1 5030/17 Z 1 1 | Z1: the lower take-down (WA2) is too small for a transfer "
                       "or jacquard cam."),
        QStringLiteral(
            "step 1 1 5030/104 Z 1 2;1;3 | Z2: yarn carrier (1) is too close to yarn carrier (3)."),
        QStringLiteral(
            "step 1 1 5030/107 Z 1 2;1 | Z2: yarn carrier (1) stands too close to a working needle."),
        QStringLiteral(
            "step 1 1 5030/9 Z 1 1 | Z1: a system that does not knit has a pattern line other than 0."),
        QStringLiteral(
            "step 1 2 5030/104 Z 2 2;1;3 | Z2: yarn carrier (1) is too close to yarn carrier (3)."),
        QStringLiteral(
            "step 1 2 5030/9 Z 2 2 | Z2: a system that does not knit has a pattern line other than 0."),
        QStringLiteral(
            "step 1 2 5030/16 Z 2 2 | Z2: the stitch length of a transfer or jacquard cam is too small."),
        QStringLiteral("step 1 2 5030/17 Z 2 2 | Z2: the lower take-down (WA2) is too small for a transfer "
                       "or jacquard cam."),
        QStringLiteral("result finished steps=4 findings=16")};
    EXPECT_EQ(r.Out, Lines(english));

    // In Arabic the same findings with the Arabic texts, their line breaks joined by a blank.
    const Result ar =
        Tool({QStringLiteral("test"), motifFile, QStringLiteral("--lang"), QStringLiteral("ar")});
    EXPECT_EQ(ar.Code, 0);
    const QStringList arabic = ar.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(arabic.size(), english.size());
    EXPECT_EQ(arabic[3], QStringLiteral("first 1 1 5030/11 Z 1 - | الصف الأول بلا سحب سفلي (WA2)."));
    EXPECT_EQ(
        arabic[9],
        QStringLiteral("step 1 1 5030/104 Z 1 2;1;3 | Z2: حاملة الخيوط (1) قريبة جداً من حاملة الخيوط (3)."));
    for (qsizetype i = 0; i < english.size(); ++i)
        EXPECT_EQ(arabic[i].section(QStringLiteral(" | "), 0, 0),
                  english[i].section(QStringLiteral(" | "), 0, 0));

    // lsttool run on the same file prints the stitch simulation's trace as before.
    const Result trace = Tool({QStringLiteral("run"), motifFile});
    EXPECT_EQ(trace.Code, 0);
    EXPECT_EQ(trace.Out, Lines(QStringList{seqtrace::MachineLine(motif.Engine.Sequencer)} + motif.Trace()));
}

TEST(LstToolTest, StepLimitStartFindingsAndRefusals) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TestRun endless(QString::fromLatin1(EndlessProgram));
    const QString file = Save(dir, *endless.Project, QStringLiteral("endless_708e5"));
    const Result r = Tool({QStringLiteral("test"), file, QStringLiteral("--steps"), QStringLiteral("1000")});
    EXPECT_EQ(r.Code, 3) << r.Err.toStdString();
    const QStringList lines = r.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith(QLatin1String("result stopped steps=1000 findings=")))
        << lines.last().toStdString();
    // The start's settling run ran into the same limit: held after the restart. A validation
    // failure of subcode 5 is listed.
    EXPECT_EQ(lines.value(0), QStringLiteral("static - - 5016/5 S 1 1 | ") +
                                  lines.value(0).section(QStringLiteral(" | "), 1));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("start - - 5030/116 - 0 1000 | The program did not end within (1000) steps: the start "
                       "positions come from the yarn carriers it reached.")))
        << r.Out.toStdString();
    // The same run in the process.
    TestRun same(QString::fromLatin1(EndlessProgram), 1000);
    same.Findings();
    EXPECT_EQ(lines.size(), same.Test.Findings().size() + 1);

    // No C entry 1: cannot run, nothing on stdout. A drawing option or a bad language: usage.
    MMemoryProject noSetup;
    const QString bare = dir.filePath(QStringLiteral("bare_708e5.LST"));
    SaveMachineFile(bare, noSetup.Lists.Machine, noSetup.Lists.Lists());
    const Result cannot =
        Tool({QStringLiteral("test"), bare, QStringLiteral("--blank"), QStringLiteral("10x10")});
    EXPECT_EQ(cannot.Code, 1);
    EXPECT_EQ(cannot.Out, QString());
    EXPECT_TRUE(cannot.Err.contains(QLatin1String("no setup scheme"))) << cannot.Err.toStdString();
    for (const QStringList& args : {QStringList{file, QStringLiteral("--beds")},
                                    QStringList{file, QStringLiteral("--style"), QStringLiteral("yc")},
                                    QStringList{file, QStringLiteral("--lang"), QStringLiteral("fr")},
                                    QStringList{file, QStringLiteral("--lang")}, QStringList{}}) {
        const Result bad = Tool(QStringList{QStringLiteral("test")} + args);
        EXPECT_EQ(bad.Code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(bad.Out, QString());
    }
}
