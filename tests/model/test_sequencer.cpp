// Whole runs of the interpreter over small programs, compared step by step with the trace that
// `lsttool run` prints: plain knitting with a block repeat, a cycle with an R line shift, two-motif
// intarsia by P entries, and counters that skip lines.
#include "RunFixture.h"

#include <gtest/gtest.h>

using kdstest::ExpectTrace;
using kdstest::Field;
using kdstest::MotifProgram;
using kdstest::PaintMotifs;
using kdstest::SeqRun;

// Plain knitting on two systems, three passes of a block: carrier 3 of rail 1 crosses the bed in the
// first system of every row and stands still in the second.
TEST(SequencerPrograms, PlainKnittingWithABlockRepeat) {
    SeqRun run(QString::fromLatin1(kdstest::PlainProgram));
    // clang-format off
    ExpectTrace(run.Run(), {
        "start res=3 fin=0 rows=1 settle=12 yc=3.1:-9 f=- cur=-",
        "starts 3:-10,0,0,0,0,0,0,0",
        "step 1 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=1 sys=1 new=SZ rows=1 fin=0 zt=0,0 cam=15,14 ff=3/0 rk=0,1 yc=3.1:-9>110* f=- cur=-",
        "step 2 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=1 sys=2 new=S rows=2 fin=0 zt=0,0 cam=14,14 ff=-/0 rk=0,1 yc=3.1:-9>110 f=- cur=-",
        "step 3 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=2 sys=2 new=Z rows=2 fin=0 zt=0,0 cam=14,14 ff=-/0 rk=0,1 yc=3.1:-9>110 f=- cur=-",
        "step 4 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=2 sys=1 new=- rows=3 fin=0 zt=0,0 cam=15,14 ff=3/0 rk=0,1 yc=3.1:110>-9* f=- cur=-",
        "step 5 res=0 exec=1 mode=1 s=1 bp=2 cp=0 z=1 sys=1 new=Z rows=3 fin=0 zt=0,0 cam=15,14 ff=3/0 rk=0,1 yc=3.1:-9>110* f=- cur=-",
        "step 6 res=0 exec=1 mode=1 s=1 bp=2 cp=0 z=1 sys=2 new=- rows=4 fin=0 zt=0,0 cam=14,14 ff=-/0 rk=0,1 yc=3.1:-9>110 f=- cur=-",
        "step 7 res=0 exec=1 mode=1 s=1 bp=2 cp=0 z=2 sys=2 new=Z rows=4 fin=0 zt=0,0 cam=14,14 ff=-/0 rk=0,1 yc=3.1:-9>110 f=- cur=-",
        "step 8 res=0 exec=1 mode=1 s=1 bp=2 cp=0 z=2 sys=1 new=- rows=5 fin=0 zt=0,0 cam=15,14 ff=3/0 rk=0,1 yc=3.1:110>-9* f=- cur=-",
        "step 9 res=0 exec=1 mode=1 s=1 bp=3 cp=0 z=1 sys=1 new=Z rows=5 fin=0 zt=0,0 cam=15,14 ff=3/0 rk=0,1 yc=3.1:-9>110* f=- cur=-",
        "step 10 res=0 exec=1 mode=1 s=1 bp=3 cp=0 z=1 sys=2 new=- rows=6 fin=0 zt=0,0 cam=14,14 ff=-/0 rk=0,1 yc=3.1:-9>110 f=- cur=-",
        "step 11 res=0 exec=1 mode=1 s=1 bp=3 cp=0 z=2 sys=2 new=Z rows=6 fin=0 zt=0,0 cam=14,14 ff=-/0 rk=0,1 yc=3.1:-9>110 f=- cur=-",
        "step 12 res=4 exec=1 mode=1 s=1 bp=3 cp=0 z=2 sys=1 new=- rows=6 fin=1 zt=0,0 cam=15,14 ff=3/0 rk=0,1 yc=3.1:110>-9* f=- cur=-",
        "end finished steps=12 rows=6",
    });
    // clang-format on
    const MUnvC& c = run.Project->Lists.C.GetC(1);
    EXPECT_EQ(c.CarrierStarts[2].Positions, (std::array<std::int32_t, 8>{-10, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(c.X1, 1);
    EXPECT_EQ(c.Y1, 1);
    EXPECT_EQ(c.Width, 100);
    EXPECT_EQ(c.Height, 20);
    EXPECT_EQ(run.Project->RefreshCount, 1);
    EXPECT_EQ(run.Sequencer.StepSystem(), srFinished);
}

// A cycle at the start (S5, S6 twice), then a line whose repeat is counted by an R entry that moves
// the front pattern line by 3 per pass; the rear line 5 is one of the fixed lines and stays.
TEST(SequencerPrograms, CycleAtTheStartAndRLineShift) {
    SeqRun run(QStringLiteral(R"(
machine 708 5
C area=1..21
picture 20x30
S1 cycle=5+1 D2
S5 Z=1+1 D1
S6 Z=3+1 D1
S2 Z=7+1 R1
R1 D2 offsets=3,3
Z1 cam1=RR
Z2 cam1=RR
Z3 cam1=RR
Z4 cam1=RR
Z7 cam1=RR ZT1=12 ZT2=5
Z8 cam1=RR ZT1=13 ZT2=5
)"));
    // clang-format off
    ExpectTrace(run.Run(), {
        "start res=3 fin=0 rows=1 settle=12 yc=- f=- cur=-",
        "starts -",
        "step 1 res=0 exec=1 mode=1 s=5 bp=1 cp=1 z=1 sys=1 new=SZ rows=2 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 2 res=0 exec=1 mode=1 s=5 bp=1 cp=1 z=2 sys=1 new=Z rows=3 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 3 res=0 exec=1 mode=1 s=6 bp=1 cp=1 z=3 sys=1 new=SZ rows=4 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 4 res=0 exec=1 mode=1 s=6 bp=1 cp=1 z=4 sys=1 new=Z rows=5 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 5 res=0 exec=1 mode=1 s=5 bp=1 cp=2 z=1 sys=1 new=SZ rows=6 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 6 res=0 exec=1 mode=1 s=5 bp=1 cp=2 z=2 sys=1 new=Z rows=7 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 7 res=0 exec=1 mode=1 s=6 bp=1 cp=2 z=3 sys=1 new=SZ rows=8 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 8 res=0 exec=1 mode=1 s=6 bp=1 cp=2 z=4 sys=1 new=Z rows=9 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 9 res=0 exec=1 mode=1 s=2 bp=1 cp=0 z=7 sys=1 new=SZR rows=10 fin=0 zt=12,5 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 10 res=0 exec=1 mode=1 s=2 bp=1 cp=0 z=8 sys=1 new=Z rows=11 fin=0 zt=13,5 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 11 res=0 exec=1 mode=1 s=2 bp=2 cp=0 z=7 sys=1 new=ZR rows=12 fin=0 zt=15,5 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 12 res=4 exec=1 mode=1 s=2 bp=2 cp=0 z=8 sys=1 new=Z rows=12 fin=1 zt=16,5 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "end finished steps=12 rows=12",
    });
    // clang-format on
}

// A cycle entered after the first line counts its passes from 1 as well: two passes, not three.
TEST(SequencerPrograms, CycleAfterTheFirstLine) {
    SeqRun run(QStringLiteral(R"(
machine 708 5
C area=1..21
picture 20x30
S1 Z=9+1 D1
S2 cycle=5+1 D2
S5 Z=1+1 D1
S6 Z=3+1 D1
Z1 cam1=RR
Z2 cam1=RR
Z3 cam1=RR
Z4 cam1=RR
Z9 cam1=RR
Z10 cam1=RR
)"));
    // clang-format off
    ExpectTrace(run.Run(), {
        "start res=3 fin=0 rows=1 settle=10 yc=- f=- cur=-",
        "starts -",
        "step 1 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=9 sys=1 new=SZ rows=2 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 2 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=10 sys=1 new=Z rows=3 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 3 res=0 exec=1 mode=1 s=5 bp=1 cp=1 z=1 sys=1 new=SZ rows=4 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 4 res=0 exec=1 mode=1 s=5 bp=1 cp=1 z=2 sys=1 new=Z rows=5 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 5 res=0 exec=1 mode=1 s=6 bp=1 cp=1 z=3 sys=1 new=SZ rows=6 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 6 res=0 exec=1 mode=1 s=6 bp=1 cp=1 z=4 sys=1 new=Z rows=7 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 7 res=0 exec=1 mode=1 s=5 bp=1 cp=2 z=1 sys=1 new=SZ rows=8 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 8 res=0 exec=1 mode=1 s=5 bp=1 cp=2 z=2 sys=1 new=Z rows=9 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 9 res=0 exec=1 mode=1 s=6 bp=1 cp=2 z=3 sys=1 new=SZ rows=10 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "step 10 res=4 exec=1 mode=1 s=6 bp=1 cp=2 z=4 sys=1 new=Z rows=10 fin=1 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=-",
        "end finished steps=10 rows=10",
    });
    // clang-format on
}

// Two motifs chosen by MF entries: each carrier knits its colour's needles and turns 5 needles past
// them; the start records keep where each was first placed.
TEST(SequencerPrograms, TwoMotifIntarsia) {
    SeqRun run(QString::fromLatin1(MotifProgram));
    PaintMotifs(*run.Project);
    // clang-format off
    ExpectTrace(run.Run(), {
        "start res=3 fin=0 rows=1 settle=2 yc=1.1:-4,2.1:66 f=- cur=-",
        "starts 1:-5,0,0,0,0,0,0,0 2:66,0,0,0,0,0,0,0",
        "step 1 res=0 exec=1 mode=2 s=1 bp=1 cp=0 z=1 sys=1 new=SZ rows=2 fin=0 zt=1,1 cam=2,1 ff=12/0 rk=0,0 yc=1.1:-4>35*,2.1:66>105* f=- cur=-",
        "step 2 res=4 exec=1 mode=2 s=1 bp=1 cp=0 z=2 sys=1 new=Z rows=2 fin=1 zt=1,1 cam=2,1 ff=12/0 rk=0,0 yc=1.1:35>-4*,2.1:105>66* f=- cur=-",
        "end finished steps=2 rows=2",
    });
    // clang-format on
}

// The same motifs touching: the two carriers' paths overlap in both rows.
TEST(SequencerPrograms, TouchingMotifsOverlap) {
    SeqRun run(QString::fromLatin1(MotifProgram));
    PaintMotifs(*run.Project, 40, 40);
    // clang-format off
    ExpectTrace(run.Run(), {
        "start res=3 fin=0 rows=1 settle=2 yc=1.1:-4,2.1:36 f=115:1;2;1:3:1,115:2;2;1:3:2 cur=115:2;2;1:3:2",
        "starts 1:-5,0,0,0,0,0,0,0 2:36,0,0,0,0,0,0,0",
        "step 1 res=0 exec=1 mode=2 s=1 bp=1 cp=0 z=1 sys=1 new=SZ rows=2 fin=0 zt=1,1 cam=2,1 ff=12/0 rk=0,0 yc=1.1:-4>45*,2.1:36>105* f=115:1;2;1:3:1 cur=115:1;2;1:3:1",
        "step 2 res=4 exec=1 mode=2 s=1 bp=1 cp=0 z=2 sys=1 new=Z rows=2 fin=1 zt=1,1 cam=2,1 ff=12/0 rk=0,0 yc=1.1:45>-4*,2.1:105>36* f=115:2;2;1:3:2 cur=115:2;2;1:3:2",
        "end finished steps=2 rows=2",
    });
    // clang-format on
}

namespace {
// Counters at selector position Selector: S2 by the level of W5 (0, then 2), S3 by the missing R9, S4
// twice by R2.
QString Counters(int Selector) {
    return QStringLiteral(R"(
machine 708 5
C area=1..21 WE=%1
picture 20x30
S1 Z=1+1 D1
S2 Z=3+1 W5
S3 Z=5+1 R9
S4 Z=1+1 R2
W5 levels=0,2
R2 D2
Z1 cam1=RR
Z2 cam1=RR
Z3 cam1=RR
Z4 cam1=RR
Z5 cam1=RR
Z6 cam1=RR
)")
        .arg(Selector);
}
} // namespace

// Counters that skip lines: a W level of 0 skips S2, a missing R entry skips S3 with finding 61, an
// R counter repeats S4. At selector position 2 the W level repeats S2 twice.
TEST(SequencerPrograms, CountersThatSkipLines) {
    SeqRun run(Counters(1));
    // clang-format off
    ExpectTrace(run.Run(), {
        "start res=3 fin=0 rows=1 settle=6 yc=- f=61:3;9:5:3 cur=61:3;9:5:3",
        "starts -",
        "step 1 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=1 sys=1 new=SZ rows=2 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 2 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=2 sys=1 new=Z rows=3 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=61:3;9:5:3 cur=61:3;9:5:3",
        "step 3 res=0 exec=1 mode=1 s=4 bp=1 cp=0 z=1 sys=1 new=SZR rows=4 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 4 res=0 exec=1 mode=1 s=4 bp=1 cp=0 z=2 sys=1 new=Z rows=5 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 5 res=0 exec=1 mode=1 s=4 bp=2 cp=0 z=1 sys=1 new=ZR rows=6 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 6 res=4 exec=1 mode=1 s=4 bp=2 cp=0 z=2 sys=1 new=Z rows=6 fin=1 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "end finished steps=6 rows=6",
    });
    // clang-format on
    MProgramLists& lists = run.Project->Lists;
    EXPECT_EQ(lists.W.GetW(5).UsedMark, 1);
    EXPECT_EQ(lists.R.GetR(2).UsedMark, 1);
    EXPECT_EQ(lists.S.GetS(2).UsedMark, 0);
    EXPECT_EQ(lists.S.GetS(3).UsedMark, 0);
    EXPECT_EQ(lists.S.GetS(4).UsedMark, 1);

    SeqRun second(Counters(2));
    // clang-format off
    ExpectTrace(second.Run(), {
        "start res=3 fin=0 rows=1 settle=10 yc=- f=61:3;9:5:3 cur=61:3;9:5:3",
        "starts -",
        "step 1 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=1 sys=1 new=SZ rows=2 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 2 res=0 exec=1 mode=1 s=1 bp=1 cp=0 z=2 sys=1 new=Z rows=3 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 3 res=0 exec=1 mode=1 s=2 bp=1 cp=0 z=3 sys=1 new=SZ rows=4 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 4 res=0 exec=1 mode=1 s=2 bp=1 cp=0 z=4 sys=1 new=Z rows=5 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 5 res=0 exec=1 mode=1 s=2 bp=2 cp=0 z=3 sys=1 new=Z rows=6 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 6 res=0 exec=1 mode=1 s=2 bp=2 cp=0 z=4 sys=1 new=Z rows=7 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=61:3;9:5:3 cur=61:3;9:5:3",
        "step 7 res=0 exec=1 mode=1 s=4 bp=1 cp=0 z=1 sys=1 new=SZR rows=8 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 8 res=0 exec=1 mode=1 s=4 bp=1 cp=0 z=2 sys=1 new=Z rows=9 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 9 res=0 exec=1 mode=1 s=4 bp=2 cp=0 z=1 sys=1 new=ZR rows=10 fin=0 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "step 10 res=4 exec=1 mode=1 s=4 bp=2 cp=0 z=2 sys=1 new=Z rows=10 fin=1 zt=0,0 cam=15,0 ff=-/0 rk=0,0 yc=- f=- cur=61:3;9:5:3",
        "end finished steps=10 rows=10",
    });
    // clang-format on
}
