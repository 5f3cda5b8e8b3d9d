// The stitch simulation: needle states from the cams, the net rear, yarn carriers knitting along
// their paths, completed courses, transfers across the racking, and what bad input gives.
#include "RunFixture.h"

#include <gtest/gtest.h>

#include <string>

using kdstest::EngineRun;

namespace {
std::string S(const QString& Text) {
    return Text.toStdString();
}

// The beds of the engine as the shell prints them.
struct Beds {
    std::string ActF, ActR, StF, StR;
    bool operator==(const Beds&) const = default;
};

Beds BedsOf(const EngineRun& Run) {
    return {S(Run.Act(0)), S(Run.Act(1)), S(Run.Stitches(0)), S(Run.Stitches(1))};
}

// Steps until the step that executed system System (of the first row), at most 8 steps.
void StepToSystem(EngineRun& Run, int System) {
    for (int k = 0; k < 8; ++k) {
        Run.Engine.StepTest();
        if (Run.Engine.Sequencer.SystemExecuted && Run.Engine.Sequencer.Regs.PrevSystem == System)
            return;
    }
    ADD_FAILURE() << "system " << System << " never ran";
}
} // namespace

// Program E step by step: the action counts, the stitches, the display row, the stitch flag and the
// course copies.
TEST(StitchSimulation, KnitRibAndTransferToTheRear) {
    EngineRun run(QString::fromLatin1(kdstest::RibProgram));
    ASSERT_EQ(run.Reset(), srStarted);
    const char* const steps[] = {
        "0 act=5,0,0,0/0,0,0,0 stF=1x5+101x5;0,0,0,0 stR=101x10;0,0,0,0 dr=1 sf=1 course=-",
        "0 act=0,0,0,0/0,0,0,0 stF=1x5+101x5;0,0,0,0 stR=101x10;0,0,0,0 dr=1 sf=0 course=-",
        "0 act=0,0,0,0/0,0,0,0 stF=1x5+101x5;0,0,0,0 stR=101x10;0,0,0,0 dr=1 sf=0 course=-",
        "0 act=10,0,0,0/0,0,0,0 stF=1x10;0,0,0,0 stR=101x10;0,0,0,0 dr=2 sf=1 course=F",
        "0 act=0,0,10,0/0,0,0,10 stF=101x10;0,0,0,0 stR=1x10;0,10,0,0 dr=2 sf=1 course=-",
        "4 act=0,0,0,0/10,0,0,0 stF=101x10;0,0,0,0 stR=1x10;0,0,0,10 dr=2 sf=0 course=R",
    };
    const std::string rib =
        "000001*1 000065*1 000001*1 000065*1 000001*1 000065*1 000001*1 000065*1 000001*1 000065*1";
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(S(run.Step()), steps[k]) << "step " << k + 1;
        switch (k + 1) {
        case 1: // " 1:1 " knits the odd needles; carrier 1 crosses needles 1..10
            EXPECT_EQ(BedsOf(run), (Beds{"202*1 201*1 202*1 201*1 202*1 201*1 202*1 201*1 202*1 201*1",
                                         "201*10", rib, "000065*10"}));
            break;
        case 4: // the full row completes the rib's course
            EXPECT_EQ(S(run.Stitches(2)), rib);
            EXPECT_EQ(S(run.Stitches(0)), "000001*10");
            break;
        case 5:
            EXPECT_EQ(BedsOf(run), (Beds{"204*10", "205*10", "000065*10", "000101*10"}));
            break;
        case 6:
            EXPECT_EQ(S(run.Stitches(3)), "000101*10");
            EXPECT_EQ(S(run.Stitches(1)), "001001*10");
            break;
        default:
            break;
        }
    }
    EXPECT_TRUE(run.Engine.Sequencer.Regs.Finished);
}

// The engine's side of two runs of the interpreter: plain knitting with a block repeat, and two
// intarsia motifs whose carriers knit only their colour's needles.
TEST(StitchSimulation, PlainKnittingAndIntarsia) {
    EngineRun plain(QString::fromLatin1(kdstest::PlainProgram));
    plain.Reset();
    plain.Engine.StepTest();
    EXPECT_EQ(S(plain.Stitches(0)), "000005*100"); // carrier 3 on rail 1
    const QStringList rest = plain.Run();
    EXPECT_EQ(rest.size(), 11);
    EXPECT_EQ(plain.Engine.DisplayRow, 6);

    EngineRun intarsia(QString::fromLatin1(kdstest::MotifProgram));
    kdstest::PaintMotifs(*intarsia.Project);
    intarsia.Reset();
    intarsia.Engine.StepTest();
    EXPECT_EQ(S(intarsia.Stitches(0)), "000001*30 000065*40 000003*30");
    EXPECT_EQ(S(intarsia.Act(0)), "202*30 201*40 202*30");
}

// Fixed and jacquard cams on a bed of eight needles whose pattern line holds the colours 0, 1, 2, 3
// twice: the actions of the front and the rear slot.
TEST(StitchSimulation, NeedleStatesFromTheCams) {
    struct Case {
        const char* Row; // the Z row's slots of system 1 and what else it needs
        const char* Front;
        const char* Rear;
    };
    const Case cases[] = {
        {"cam1=RR", "202*8", "201*8"},
        {"cam1=1:1 cam2=1:1", "202*1 201*1 202*1 201*1 202*1 201*1 202*1 201*1",
         "201*1 202*1 201*1 202*1 201*1 202*1 201*1 202*1"},
        {"cam1=2:1 cam2=F2:1", "202*2 201*2 202*2 201*2", "201*2 203*2 201*2 203*2"},
        {"cam1=F1:1 cam2=F", "203*1 201*1 203*1 201*1 203*1 201*1 203*1 201*1", "203*8"},
        // The transfer families select by the front's pattern on both beds.
        {"cam1=JU1:1 cam2=JN1:1", "204*1 201*1 204*1 201*1 204*1 201*1 204*1 201*1",
         "205*1 201*1 205*1 201*1 205*1 201*1 205*1 201*1"},
        {"cam1=JN2:1 cam2=JU2:1", "205*2 201*2 205*2 201*2", "204*2 201*2 204*2 201*2"},
        {"cam1=A cam2=JA", "201*8", "201*8"},
        // Jacquard: LG colour 1, KNF colour 2.
        {"cam1=JR cam2=JRLK", "201*1 202*1 201*3 202*1 201*2", "201*1 202*2 201*2 202*2 201*1"},
        {"cam1=JR+FK cam2=JR+JF", "201*1 202*1 203*1 201*2 202*1 203*1 201*1",
         "201*1 202*1 203*1 201*2 202*1 203*1 201*1"},
        {"cam1=JR+FK tying1=1 cam2=JR+FK tying2=2", "201*1 202*1 201*3 202*1 201*2",
         "201*1 202*1 201*3 202*1 201*2"},
        {"cam1=JF cam2=JFK", "201*2 203*1 201*3 203*1 201*1", "201*2 203*1 201*3 203*1 201*1"},
        {"cam1=JRK cam2=JN", "201*2 202*1 201*3 202*1 201*1", "201*2 205*1 201*3 205*1 201*1"},
        {"cam1=JU cam2=JU+JN", "201*1 204*1 201*3 204*1 201*2", "201*1 204*1 205*1 201*2 204*1 205*1 201*1"},
        // KNF wins over LG.
        {"cam1=JR+FK LG1=1,2", "201*1 202*1 203*1 201*2 202*1 203*1 201*1", "201*8"},
        // Receives with nothing transferring out opposite go idle; those facing a transfer out stay.
        {"cam1=NA", "201*8", "201*8"},
        {"cam1=NA cam2=JU1:1", "205*1 201*1 205*1 201*1 205*1 201*1 205*1 201*1",
         "204*1 201*1 204*1 201*1 204*1 201*1 204*1 201*1"},
        {"cam1=JU+NA", "201*1 204*1 201*3 204*1 201*2", "201*8"},
        {"cam1=JU+NA cam2=JURR", "205*1 204*1 201*1 205*2 204*1 201*1 205*1", "204*8"},
        {"cam2=NA cam1=JURR rack1=1:U1", "204*8", "201*1 205*7"},
    };
    for (const Case& c : cases) {
        EngineRun run(QStringLiteral(R"(
machine 708 5
C area=1..9
picture
0 0 0 0
0 1 2 3
N1 X=1+3 D1
Z1 ZT1=1 ZT2=1 LG1=1 KNF1=2 LG2=1 KNF2=2 %1
S1 Z=1+0 D1 N=1+0
)")
                          .arg(QLatin1String(c.Row)));
        run.Reset();
        run.Engine.StepTest();
        EXPECT_EQ(BedsOf(run).ActF, c.Front) << c.Row;
        EXPECT_EQ(BedsOf(run).ActR, c.Rear) << c.Row;
    }
}

// A tuck places a stitch on an empty needle and on one of a completed course, and keeps a stitch
// of the current course.
TEST(StitchSimulation, TuckKeepsANewStitch) {
    EngineRun run(QStringLiteral(R"(
machine 708 5
C area=1..5 L1=-2,-2 R1=2,2
picture
0 0 0 0
1 1 2 2
N1 X=1+3 D1
Z1 cam1=F yc1=1
Z2 cam1=F yc1=2
Z3 cam1=JR+JF ZT1=1 LG1=1 KNF1=2 yc1=2
S1 Z=1+2 D1 N=1+0
)"));
    run.Reset();
    run.Engine.StepTest(); // tuck on empty needles: carrier 1
    EXPECT_EQ(S(run.Stitches(0)), "000001*4");
    run.Engine.StepTest(); // tuck over the course's stitches: kept
    EXPECT_EQ(S(run.Stitches(0)), "000001*4");
    EXPECT_EQ(run.Engine.StitchFlag, 0);
    EXPECT_EQ(run.Engine.DisplayRow, 1);
    run.Engine.StepTest(); // the knit needles complete the course; the tucks land on old stitches
    EXPECT_EQ(S(run.Stitches(2)), "000001*4");
    EXPECT_EQ(S(run.Stitches(0)), "000003*4");
    EXPECT_EQ(run.Engine.DisplayRow, 2);
}

// A completed course advances the display row by 1, by 3 in the carrier style, by the stitch size
// in the stitch view; with the other side rendered it does not advance. The styles other than
// Normal advance once per step that knitted on the rendered side, at the next step.
TEST(StitchSimulation, DisplayRowByStyleAndView) {
    struct Case {
        std::int32_t Style, View, Advance, Side;
        std::int32_t Rows[3]; // after steps 1..3
    };
    const Case cases[] = {
        {gsNormal, gvColor, 14, 0, {1, 2, 3}},    {gsYC, gvColor, 14, 0, {1, 4, 7}},
        {gsJaquard, gvColor, 14, 0, {1, 2, 3}},   {gsTransfer, gvColor, 14, 0, {1, 2, 3}},
        {gsNormal, gvStitch, 14, 0, {1, 15, 29}}, {gsNormal, gvStitch, 10, 0, {1, 11, 21}},
        {gsNormal, gvColor, 14, 1, {1, 1, 1}},    {gsYC, gvColor, 14, 1, {1, 4, 7}},
    };
    for (const Case& c : cases) {
        EngineRun run(QStringLiteral(R"(
machine 708 5
C area=1..5 L1=-2 R1=2
picture 4x2
Z1 cam1=RR yc1=1
Z2 cam1=RR yc1=1
S1 Z=1+1 D2
)"));
        run.Engine.Style = c.Style;
        run.Engine.View = c.View;
        run.Engine.RowAdvance = c.Advance;
        run.Engine.RenderSide = c.Side;
        run.Reset();
        for (int k = 0; k < 3; ++k) {
            run.Engine.StepTest();
            EXPECT_EQ(run.Engine.DisplayRow, c.Rows[k])
                << "style " << c.Style << " view " << c.View << " side " << c.Side << " step " << k + 1;
        }
    }
}

// The net rear turns the target bed's needles to knit where the net pattern selects them and the
// source bed's needle of the same number is idle. The front knits needles 1..4 (colour 1) by "  JR ".
TEST(StitchSimulation, NetRear) {
    struct Case {
        const char* Machine;
        int Row; // 1 odd, 2 even
        int System;
        const char* Slots;
        const char* Front;
        const char* Rear;
    };
    const Case cases[] = {
        {"712 5", 1, 1, "net1=22", "202*4 201*8", "201*4 202*1 201*3 202*1 201*3"}, // B2: 1, 5, 9
        {"712 5", 2, 1, "net1=22", "202*4 201*8", "201*6 202*1 201*3 202*1 201*1"}, // 3, 7, 11
        {"712 5", 1, 2, "net2=22", "202*4 201*8", "201*6 202*1 201*3 202*1 201*1"}, // phase 2
        {"712 5", 1, 1, "net1=23", "202*4 201*8", "201*6 202*1 201*3 202*1 201*1"}, // B3
        {"712 5", 1, 1, "net1=11", "202*4 201*8", "201*4 202*8"},                   // A1
        {"712 5", 1, 1, "net1=64", "202*4 201*8", "201*4 202*8"},                   // "*"
        {"712 5", 1, 1, "net1=64 netv1=1", "201*12", "202*12"},                     // on the front
        {"712 5", 1, 1, "net1=99", "202*4 201*8", "202*12"},                        // no code
        {"712 5", 1, 1, "net1=22 cam2=A", "202*4 201*8", "201*12"},                 // cam not knitting
        {"720 5", 1, 4, "net4=22", "202*4 201*8", "202*12"},                        // never in system 4
        {"720 5", 1, 3, "net3=22", "202*4 201*8", "201*6 202*1 201*3 202*1 201*1"}, // phase 2 in 3
    };
    for (const Case& c : cases) {
        const int f = 2 * c.System - 1;
        EngineRun run(QStringLiteral(R"(
machine %1
C area=1..13
picture
0 0 0 0 0 0 0 0 0 0 0 0
1 1 1 1 0 0 0 0 0 0 0 0
N1 X=1+11 D1
Z%2 cam%3=JR LG%3=1 ZT%3=1 cam%4=RR %5
S1 Z=%2+0 D1 N=1+0
)")
                          .arg(QLatin1String(c.Machine))
                          .arg(c.Row)
                          .arg(f)
                          .arg(f + 1)
                          .arg(QLatin1String(c.Slots)));
        run.Reset();
        StepToSystem(run, c.System);
        EXPECT_EQ(BedsOf(run).ActF, c.Front) << c.Machine << " Z" << c.Row << " " << c.Slots;
        EXPECT_EQ(BedsOf(run).ActR, c.Rear) << c.Machine << " Z" << c.Row << " " << c.Slots;
    }
}

// Transfers of the rear's stitches to the front across the racking: the direction bit, the signed
// distance, the old mark removed. Partners off the bed do nothing and are never written; a rear
// stitch facing no front needle is dropped. Rackings read from a file may be far off the bed. The
// rear holds the stitches of a full row, of which the even needles knitted again (the odd ones old).
TEST(StitchSimulation, TransfersAcrossTheRacking) {
    const char* const AllDropped = "003801*1 001801*1 003801*1 001801*1 003801*1 001801*1 003801*1 001801*1 "
                                   "003801*1 001801*1";
    struct Case {
        int Racking;
        const char* Front;
        const char* Rear;
    };
    const Case cases[] = {
        {0, "001101*10", "000065*10"},
        {2, "821201*8 000065*2", "003801*1 001801*1 000065*8"},
        {-2, "000065*2 021401*8", "000065*8 003801*1 001801*1"},
        {5, "851201*5 000065*5", "003801*1 001801*1 003801*1 001801*1 003801*1 000065*5"},
        {32767, "000065*10", AllDropped},
        {-32767, "000065*10", AllDropped},
    };
    for (const Case& c : cases) {
        EngineRun run(QStringLiteral(R"(
machine 708 5
C area=1..11 L1=-2 R1=2
picture 4x2
Z1 cam2=RR yc1=1
Z2 cam2=1:1 yc1=1
Z3 cam1=JNRR cam2=JURR rack1=%1:U1
S1 Z=1+2 D1
)")
                          .arg(c.Racking));
        run.Reset();
        run.Run();
        EXPECT_EQ(BedsOf(run).StF, c.Front) << "racking " << c.Racking;
        EXPECT_EQ(BedsOf(run).StR, c.Rear) << "racking " << c.Racking;
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(run.Engine.StitchBeds[std::size_t(i)].Width(), 10);
            EXPECT_EQ(run.Engine.StateBeds[std::size_t(i)].Width(), 10);
            EXPECT_EQ(run.Engine.ActionBeds[std::size_t(i)].Width(), 10);
        }
        EXPECT_EQ(run.Engine.StitchFlag, 1);
    }
}

// The transfer distance adds up over moves and keeps its seven bits: rear needles 101..300 go 100
// needles left to the front (-100); of these, front needles 101..200 go 100 needles left again to
// the rear (-200, kept as -127), while front needles 1..100 face no rear needle and drop theirs.
TEST(StitchSimulation, TransferDistanceAddsUpWithinItsBits) {
    EngineRun run(QStringLiteral(R"(
machine 708 5
C area=1..301 L1=-2 R1=2
picture 4x2
Z1 cam2=RR yc1=1
Z2 cam1=JNRR cam2=JURR rack1=100:U1
Z3 cam1=JURR cam2=JNRR rack1=-100:U1
S1 Z=1+2 D1
)"));
    run.Reset();
    run.Run();
    const auto hex = [&](int Side, int Needle) {
        return QString::number(run.Engine.StitchBeds[std::size_t(Side)].GetNeedle(Needle), 16).toStdString();
    };
    EXPECT_EQ(hex(0, 1), "e41a01"); // -100, moved right, dropped
    EXPECT_EQ(hex(1, 1), "ff1601"); // -127, moved right, then left
    EXPECT_EQ(hex(0, 101), "65");   // given to the rear
}

// Needles selected to knit that no carrier's path reaches knit without yarn (103): carrier 1 knits
// the needles its P entry gives (1..5) and turns 2 needles past them; the rear knits the even ones.
TEST(StitchSimulation, NeedlesOffEveryPathKnitWithoutYarn) {
    EngineRun run(QStringLiteral(R"(
machine 708 5
C area=1..11 L1=-2 R1=2
picture 10x2
P1 yc=1 mode=0 L=1 R=5
Z1 cam1=RR cam2=1:1 yc1=1
S1 Z=1+0 D1 P=1+0
)"));
    run.Reset();
    run.Engine.StepTest();
    EXPECT_EQ(S(run.Stitches(0)), "000001*7 000067*3");
    // On the rear bed both codes carry the rear mark.
    EXPECT_EQ(S(run.Stitches(1)), "000065*1 001001*1 000065*1 001001*1 000065*1 001001*1 000065*1 001067*1 "
                                  "000065*1 001067*1");
}

// A system with a transfer cam transfers once, however many carriers it names: in the transfer
// style a second pass would hand the emptied rear needle over the stitch the front just received.
TEST(StitchSimulation, TransferOncePerStep) {
    EngineRun run(QStringLiteral(R"(
machine 708 5
C area=1..5 L1=-2,-2 R1=2,2
picture 4x2
Z1 cam2=RR yc1=1
Z2 cam1=JNRR cam2=JURR rack1=0:U1 yc1=1,2
S1 Z=1+1 D1
)"));
    run.Engine.Style = gsTransfer;
    run.Reset();
    run.Engine.StepTest(); // the rear knits while the front is rendered: nothing pending
    EXPECT_FALSE(run.Engine.PendingAdvance);
    run.Engine.StepTest();
    EXPECT_EQ(S(run.Stitches(0)), "001101*4");
    EXPECT_EQ(S(run.Stitches(1)), "000065*4");
}

// A transfer out of an old empty needle drops nothing and so sets no stitch flag (in the styles
// other than Normal it would otherwise draw a row and advance the fabric row); one of a held stitch
// drops it and sets the flag. The rear knits its even needles twice, so the odd ones are old and
// empty.
TEST(StitchSimulation, TransferOutOfAnOldEmptyNeedleDropsNothing) {
    EngineRun run(QStringLiteral(R"(
machine 708 5
C area=1..5 L1=-2,-2 R1=2,2
picture 4x2
Z1 cam2=1:1 yc1=1
Z2 cam2=1:1 yc1=1
Z3 cam2=JU1:1 rack1=0:U1
Z4 cam2=JURR rack1=0:U1
S1 Z=1+3 D1
)"));
    run.Engine.RenderSide = 1;
    run.Reset();
    run.Engine.StepTest();
    run.Engine.StepTest();
    EXPECT_EQ(S(run.Stitches(1)), "002065*1 001001*1 002065*1 001001*1");
    run.Engine.StepTest(); // the odd needles, old and empty, give nothing
    EXPECT_EQ(S(run.Stitches(1)), "002065*1 001001*1 002065*1 001001*1");
    EXPECT_EQ(run.Engine.StitchFlag, 0);
    EXPECT_FALSE(run.Engine.PendingAdvance);
    run.Engine.StepTest(); // the even needles' stitches fall
    EXPECT_EQ(S(run.Stitches(1)), "002065*1 001801*1 002065*1 001801*1");
    EXPECT_EQ(run.Engine.StitchFlag, 1);
}

// A carrier whose path lies wholly right of the bed (stopped at needle 13 of 10 by its twin, on a
// machine of gauge 0 where the twins keep no clearance) knits nothing: the needles knit without yarn.
TEST(StitchSimulation, CarrierPathOffTheBed) {
    EngineRun run(QStringLiteral(R"(
machine 708 0
C area=1..11 L1=13 R1=20
picture 10x2
Z1 cam1=RR yc1=1
S1 Z=1+0 D1
)"));
    run.Reset();
    run.Engine.StepTest();
    EXPECT_EQ(S(seqtrace::CarriersText(run.Engine.Sequencer)), "1.1:13>13,1.2:13>13*");
    EXPECT_EQ(S(run.Stitches(0)), "000067*10");
}

// A step that runs no system changes no bed: the program had ended (result 2), the row the search
// found does not exist, or a row search stopped at its limit once more. Only the step marks and the
// course copies are cleared, and an advance still pending waits for a step that knits. Simulating
// such a step would knit the last system again: carrier 1 over the full row of step 1.
TEST(StitchSimulation, AStepThatRunsNoSystemChangesNoBed) {
    const QString head =
        QStringLiteral("machine 708 5\nC area=1..11 L1=-2 R1=2\npicture 10x2\nS1 Z=1 D1\nZ1 cam1=RR yc1=1\n");
    QString search = head + QStringLiteral("S702 Z=3 D1\nZ3 cam1=RR\n");
    for (int k = 2; k < 702; ++k) // lines that knit nothing, three transitions each
        search += QStringLiteral("S%1 Z=1 D0\n").arg(k);
    struct Case {
        QString Script;
        int Before; // steps before the one that runs no system
        int Result;
    };
    const Case cases[] = {
        {QString::fromLatin1(kdstest::RibProgram), 6, srFinished},
        {head + QStringLiteral("S2 Z=5+1 D1\nS3 Z=7 D1\nZ6 cam1=RR\nZ7 cam1=RR\n"), 1, srWentOn},
        {search, 1, srSearchStopped},
    };
    for (const Case& c : cases) {
        EngineRun run(c.Script);
        run.Reset();
        for (int k = 0; k < c.Before; ++k)
            run.Engine.StepTest();
        const Beds before = BedsOf(run);
        const std::string states[2] = {S(gtsttrace::RunLength(run.Engine.StateBeds[0], false)),
                                       S(gtsttrace::RunLength(run.Engine.StateBeds[1], false))};
        run.Engine.PendingAdvance = true;
        const QString expected = QStringLiteral("%1 act=- stF=%2 stR=%3 dr=%4 sf=0 course=-")
                                     .arg(c.Result)
                                     .arg(gtsttrace::StitchSummary(run.Engine.StitchBeds[0]),
                                          gtsttrace::StitchSummary(run.Engine.StitchBeds[1]))
                                     .arg(run.Engine.DisplayRow);
        EXPECT_EQ(S(run.Step()), S(expected)) << c.Before;
        EXPECT_FALSE(run.Engine.Sequencer.SystemExecuted) << c.Before;
        EXPECT_EQ(BedsOf(run), before) << c.Before;
        EXPECT_EQ(S(gtsttrace::RunLength(run.Engine.StateBeds[0], false)), states[0]) << c.Before;
        EXPECT_EQ(S(gtsttrace::RunLength(run.Engine.StateBeds[1], false)), states[1]) << c.Before;
        EXPECT_TRUE(run.Engine.PendingAdvance) << c.Before;
    }
}

// The beds are cleared at the working width the start reads from C entry 1, also when the setup
// scheme changed after the project was attached; SetProject clears them at the project's width.
TEST(StitchSimulation, BedsFollowTheWorkingWidth) {
    EngineRun run(QString::fromLatin1(kdstest::RibProgram));
    EXPECT_EQ(run.Engine.Width(), 10);
    EXPECT_EQ(S(run.Stitches(0)), "000065*10");
    EXPECT_EQ(S(run.Act(1)), "201*10");
    MUnvC& c = run.Project->Lists.C.GetC(1);
    c.To[0] = 21;
    run.Engine.DisplayRow = 7;
    EXPECT_EQ(run.Reset(), srStarted);
    EXPECT_EQ(run.Engine.DisplayRow, 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(S(run.Stitches(i)), "000065*20");
    EXPECT_EQ(S(run.Act(0)), "201*20");
    EXPECT_EQ(S(gtsttrace::RunLength(run.Engine.StateBeds[1], false)), "201*20");
    run.Engine.StepTest();
    EXPECT_EQ(run.Engine.StitchBeds[0].Width(), 20);

    MMemoryProject bare;
    EXPECT_THROW(run.Engine.SetProject(&bare), Exception); // no setup scheme: nothing changes
    EXPECT_EQ(run.Engine.GetProject(), run.Project.get());
    EXPECT_EQ(run.Engine.StitchBeds[0].Width(), 20);
}

// A start that fails part-way says so, here because C entry 1 went after the project was attached:
// the run is finished, so that no step runs on a half-made start, and the trace prints nothing.
TEST(StitchSimulation, AStartWithoutTheSetupSchemeFails) {
    EngineRun run(QString::fromLatin1(kdstest::RibProgram));
    const QStringList trace = run.Trace();
    auto setup = run.Project->Lists.C.GetC(1).Clone();
    run.Project->Lists.C.DeleteNumber(1);
    EXPECT_EQ(run.Reset(), srStartFailed);
    EXPECT_TRUE(run.Engine.Sequencer.Regs.Finished);
    EXPECT_EQ(run.Engine.StepTest(), srFinished);
    EXPECT_TRUE(run.Trace().isEmpty());
    // With its setup scheme back the program starts and runs as before.
    run.Project->Lists.C.AddOrReplace(*setup);
    EXPECT_EQ(run.Trace(), trace);
    EXPECT_EQ(run.Reset(), srStarted);
}

// Values read from files without validation: widths of 0 and 65535, rackings of +-32767, net-rear
// codes of any byte, carriers parked far off the bed. Every bed keeps the working width and every
// step returns.
TEST(StitchSimulation, HostileValues) {
    struct Case {
        const char* Area;
        const char* Extra;
    };
    const Case cases[] = {
        {"1..1", ""},
        {"1..65536", ""},
        {"1..65536", "rack1=32767:U1"},
        {"1..65536", "rack1=-32767:U1"},
        {"1..11", "rack1=-32767:G"},
        {"1..11", "net1=255 net2=64 netv2=1"},
        {"1..11", "net1=64 cam2=JU+NA"},
    };
    for (const Case& c : cases) {
        for (const int style : {gsNormal, gsYC, gsJaquard, gsTransfer}) {
            EngineRun run(QStringLiteral(R"(
machine 712 5
C area=%1 L1=-32767,32767 R1=32767,-32767
picture 40x4 fill=1
N1 X=1+39 D1
Z1 cam1=JR+FK LG1=1 ZT1=1 cam2=JU1:1 cam3=NA cam4=JURR yc1=1,2 yc2=1 %2
Z2 cam1=RR cam2=F2:1 cam3=JRLK KNF3=1 ZT3=1 cam4=JN yc1=2 yc2=1,2 %2
S1 Z=1+1 D2 N=1+0
)")
                              .arg(QLatin1String(c.Area), QLatin1String(c.Extra)));
            run.Engine.Style = style;
            run.Engine.RenderSide = style % 2;
            run.Reset();
            const std::int32_t w = run.Engine.Sequencer.Width;
            for (int k = 0; k < 12 && !run.Engine.Sequencer.Regs.Finished; ++k) {
                run.Engine.StepTest();
                for (const MJacquardBed* bed :
                     {&run.Engine.StateBeds[0], &run.Engine.StateBeds[1], &run.Engine.ActionBeds[0],
                      &run.Engine.ActionBeds[1], &run.Engine.StitchBeds[0], &run.Engine.StitchBeds[1],
                      &run.Engine.NetBed})
                    ASSERT_EQ(bed->Width(), w) << c.Area << " " << c.Extra;
            }
            EXPECT_TRUE(run.Engine.Sequencer.Regs.Finished) << c.Area << " " << c.Extra;
        }
    }
}
