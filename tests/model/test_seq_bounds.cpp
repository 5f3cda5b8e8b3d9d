// Programs that would not end or would break the arithmetic: every call returns in bounded time,
// records what went wrong and lets the run go on.
#include "RunFixture.h"

#include <gtest/gtest.h>

using kdstest::ExpectTrace;
using kdstest::Field;
using kdstest::MotifProgram;
using kdstest::PaintMotifs;
using kdstest::SeqRun;

TEST(SequencerBounds, APEntryDeletedBetweenSteps) {
    SeqRun run(QString::fromLatin1(MotifProgram));
    PaintMotifs(*run.Project);
    MprogramSequencer& s = run.Sequencer;
    s.StartProgram();
    EXPECT_EQ(s.StepSystem(), srWentOn);
    run.Project->Lists.P.DeleteNumber(2);
    EXPECT_EQ(s.StepSystem(), srEnded);
    EXPECT_EQ(seqtrace::LogText(s), QStringLiteral("108:2;2:3:2"));
    EXPECT_EQ(seqtrace::CarriersText(s), QStringLiteral("1.1:35>-4*,2.1:66>105"));
}

TEST(SequencerBounds, AMoveBeyondThePositionsFailsAndTheRunGoesOn) {
    // Carrier 1's left offset puts its start beyond the 32-bit positions: result 15 with 106 in
    // every row, carrier 2 of the same system left unmoved, and the run still ends.
    QString script = QString::fromLatin1(MotifProgram);
    script.replace(QLatin1String("L1=-5,-5"), QLatin1String("L1=2147483647,-5"));
    SeqRun run(script);
    PaintMotifs(*run.Project);
    // clang-format off
    ExpectTrace(run.Run(), {
        "start res=3 fin=0 rows=1 settle=2 yc=1.1:35 f=106:1;1:3:1,106:2;1:3:2 cur=106:2;1:3:2",
        "starts 1:35,0,0,0,0,0,0,0",
        "step 1 res=15 exec=1 mode=2 s=1 bp=1 cp=0 z=1 sys=1 new=SZ rows=2 fin=0 zt=1,1 cam=2,1 ff=12/0 rk=0,0 yc=1.1:35>35 f=106:1;1:3:1 cur=106:1;1:3:1",
        "step 2 res=15 exec=1 mode=2 s=1 bp=1 cp=0 z=2 sys=1 new=Z rows=2 fin=1 zt=1,1 cam=2,1 ff=12/0 rk=0,0 yc=1.1:35>35 f=106:2;1:3:2 cur=106:2;1:3:2",
        "end finished steps=2 rows=2",
    });
    // clang-format on
}

TEST(SequencerBounds, CountersThatNeverRunOut) {
    // The settling run stops at the step limit with finding 116; the run then goes on to the limit.
    SeqRun run(QStringLiteral("machine 708 5\nC area=1..21 L1=-5 R1=5\npicture 20x10\nS1 Z=1+1 D2147483647\n"
                              "Z1 cam1=RR yc1=1\nZ2 cam1=RR yc1=1\n"));
    const QStringList& trace = run.Run(1000);
    EXPECT_EQ(trace.first(), QStringLiteral("start res=3 fin=0 rows=1 settle=1000 yc=1.1:-4 f=116:1000:0:0 "
                                            "cur=116:1000:0:0"));
    EXPECT_EQ(trace.last(), QStringLiteral("end limit steps=1000 rows=1001"));
    EXPECT_EQ(run.Sequencer.Regs.BlockRepeat, 501);
}

TEST(SequencerBounds, HostileProgramsStayBounded) {
    const char* const programs[] = {
        // a cycle naming itself, with the largest counter
        "S1 Z=1 D1\nS2 cycle=2 D2147483647\nZ1 cam1=RR yc1=1",
        // the largest counters on lines and cycles, and ranges running past the numbers
        "S1 cycle=2+1 D2147483647\nS2 Z=1 D2147483647\nS3 Z=2147483647+1 D2147483647\nZ1 cam1=RR yc1=1",
        "S1 Z=2-2147483647 D3\nZ1 cam1=RR yc1=1\nZ2 cam1=RR yc1=1",
        // N ranges naming each other, and one naming itself
        "N1 N=2 D5\nN2 N=1+1 D5\nS1 Z=1 N=1 P=1 D2\nP1 yc=1 mode=4 clrL=0\nZ1 cam1=JR ZT1=1 LG1=0 yc1=1",
        // P modes above 8, P ranges past the numbers, offsets at the ends of the file's values
        "S1 Z=1+1 N=1 P=1+2147483646 D2\nP1 yc=1 mode=200\nP2 yc=1 mode=5 clrL=0 clrR=0\n"
        "Z1 cam1=JR yc1=1 ZT1=1\nZ2 cam1=JR yc1=1 ZT1=1\nC L1=-32767 R1=32767",
        // offsets and racking at the ends of the 32-bit values, automatic positioning on
        "S1 Z=1+1 D3 offset=200\nZ1 cam1=JR LG1=0 ZT1=1 yc1=1 PA=1 rack1=2147483647:G ycv1=8\n"
        "Z2 cam1=RR ZT1=1 yc1=1 rack1=-2147483647\nC L8=-2147483647 R8=2147483647",
        "S1 Z=1+1 D3 N=1 P=1\nP1 yc=1,2 mode=0 L=-2147483647 R=2147483647\n"
        "Z1 cam1=JR ZT1=1 yc1=1,2\nZ2 cam1=JR ZT1=1 yc1=1,2\nC L1=-2147483647,2147483647 "
        "R1=2147483647,-2147483647",
        // lines shifted past the picture by an R entry with the largest offsets
        "S1 Z=1+1 R1\nR1 D2147483647 offsets=2147483647,-2147483647\nZ1 cam1=JR ZT1=11 ZT2=12 yc1=1\nZ2 "
        "cam1=RR",
    };
    for (const char* machine : {"machine 708 5\nC area=1..101", "machine 999 0\nC area=1..101",
                                "machine 740 7\nC area=1..1", "machine 740 15\nC area=1..65536"}) {
        for (const char* program : programs) {
            const QString script = QString::fromLatin1(machine) +
                                   QStringLiteral(" picture=100x10\npicture 100x10\nN1 X=1+99\n") +
                                   QString::fromLatin1(program);
            SeqRun run(script);
            MprogramSequencer& seq = run.Sequencer;
            seq.StepLimit = 200;
            EXPECT_EQ(seq.StartProgram(), srStarted);
            for (int k = 0; k < 200 && !seq.Regs.Finished; ++k)
                seq.StepSystem();
            EXPECT_LE(seq.SettleSteps, 200) << machine << "\n" << program;
        }
    }
}
