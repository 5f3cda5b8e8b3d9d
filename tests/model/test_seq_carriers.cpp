// Yarn-carrier movement: rails, placements, the twin's stop, segments given to carriers, automatic
// positioning, and the settling and writing of start positions.
#include "RunFixture.h"

#include <gtest/gtest.h>

using kdstest::Field;
using kdstest::SeqRun;

namespace {
MYcPosition Rel(int Offset) {
    return {false, Offset, 0};
}
MYcPosition Abs(int Needle, int Offset = 0) {
    return {true, Offset, Needle};
}

// A sequencer about to execute system 1 of Z row ZRow of S line 1, over a 100-needle bed.
struct Bench {
    std::unique_ptr<MMemoryProject> Project;
    MprogramSequencer S;

    explicit Bench(const QString& Script, int ZRow = 1) {
        Project =
            kdstest::BuildProject(QStringLiteral("machine 740 7\nC area=1..101 picture=100x2\npicture 100x2\n"
                                                 "N1 X=1+99 D1\n") +
                                  Script);
        S.SetProject(Project.get());
        S.Regs.SLine = 1;
        S.Regs.ZRow = ZRow;
        S.Regs.System = 1;
        S.Regs.Row.PatternLine[0] = 1;
        S.Regs.Row.PatternLine[1] = 2;
        S.FrontBed.LoadJacquardRow(Project.get(), S.Regs.Error, 1, 1);
        S.RearBed.LoadJacquardRow(Project.get(), S.Regs.Error, 2, 1);
    }
    MYcData& Y(int Rail, int Carrier) { return S.Regs.Carrier(Rail, Carrier); }
    void Put(int Rail, int Carrier, MYcPosition Where) {
        MYcData& y = Y(Rail, Carrier);
        y.SetInUse(true);
        y.Previous = y.Current = y.Start = Where;
    }
};
} // namespace

TEST(SequencerCarriers, PlacementsAndTargetsOnTheStrokesSides) {
    const QString offsets = QStringLiteral("S1 Z=1 D1\nC L1=-3,-3,-3 R1=3,3,3\n");
    Bench odd(offsets, 1);
    odd.S.PlaceCarrier(0, 1, false, 3, 0); // a start right of needle 0 in an odd row: needle 3
    EXPECT_EQ(odd.Y(1, 1).Current, Abs(3, 3));
    odd.S.PlaceCarrier(1, 1, false, -3, 0);
    EXPECT_EQ(odd.Y(1, 2).Start, Rel(-3));
    EXPECT_EQ(odd.S.MoveCarrierTo(2, 2, false, -5, 0), 0); // a target left in an odd row: from the right end
    EXPECT_EQ(odd.Y(2, 3).Current, Abs(96, -5));

    Bench even(offsets, 2);
    even.S.PlaceCarrier(0, 1, false, -3, 0);
    EXPECT_EQ(even.Y(1, 1).Current, Abs(98, -3));
    even.S.PlaceCarrier(1, 1, false, 3, 0);
    EXPECT_EQ(even.Y(1, 2).Start, Rel(3));
    EXPECT_EQ(even.S.MoveCarrierTo(2, 1, false, 5, 0),
              0); // placed first at its start offset (R in even rows)
    EXPECT_EQ(even.Y(1, 3).Start, Rel(3));
    EXPECT_EQ(even.Y(1, 3).Current, Abs(5, 5));
    EXPECT_TRUE(even.Y(1, 3).Changed);
}

TEST(SequencerCarriers, TheTwinStopsACarrier) {
    // Gauge 7 without FT: the clearance is 21 needles.
    Bench b(QStringLiteral("S1 Z=1 D1\n"));
    b.Put(2, 3, Abs(50));
    b.Put(1, 3, Abs(20));
    EXPECT_EQ(b.S.MoveCarrierTo(2, 1, false, 10, 0), 1);
    EXPECT_EQ(MYcData::DecodePosition(b.Y(1, 3).Current, 100), 29);
    EXPECT_EQ(seqtrace::LogText(b.S), QStringLiteral("105:1;3:3:1"));

    // With FT the clearance is 70: the stop lies left of the bed, and no finding.
    Bench ft(QStringLiteral("S1 Z=1 D1\nC FT=3\n"));
    ft.Put(2, 3, Abs(50));
    ft.Put(1, 3, Abs(20));
    EXPECT_EQ(ft.S.MoveCarrierTo(2, 1, false, 10, 0), 1);
    EXPECT_EQ(ft.Y(1, 3).Current, Rel(-21));
    EXPECT_EQ(seqtrace::LogText(ft.S), QStringLiteral("-"));

    // Leftwards in an even row; a carrier already past its twin is not stopped.
    Bench even(QStringLiteral("S1 Z=1 D1\n"), 2);
    even.Put(2, 3, Abs(50));
    even.Put(1, 3, Abs(80));
    EXPECT_EQ(even.S.MoveCarrierTo(2, 1, false, -10, 0), 1);
    EXPECT_EQ(MYcData::DecodePosition(even.Y(1, 3).Current, 100), 71);
    even.Put(1, 4, Abs(30));
    even.Put(2, 4, Abs(50));
    EXPECT_EQ(even.S.MoveCarrierTo(3, 1, false, -10, 0), 0);
    EXPECT_EQ(even.Y(1, 4).Current, Rel(-10));
}

TEST(SequencerCarriers, ModeOneChoosesTheWaitingCarrier) {
    // Plain knitting: the carrier waiting on the entry side, the nearer one of two, else a free one.
    const struct {
        const char* What;
        MYcPosition Rail1, Rail2;
        bool InUse1, InUse2;
        const char* Yc;
        const char* Log;
    } cases[] = {
        {"both free", {}, {}, false, false, "1.1:-9>110*", "-"},
        {"rail 2 nearer", Rel(-10), Rel(-3), true, true, "1.1:-9>-9,1.2:-2>110*", "-"},
        // The other carrier of the number parked on the exit side stops the one that crosses.
        {"rail 1 waits", Rel(-10), Rel(5), true, true, "1.1:-9>84*,1.2:105>105", "105:1;1:3:1"},
        {"rail 2 free", Rel(10), {}, true, false, "1.1:110>110,1.2:-9>89*", "105:1;1:3:1"},
        {"none", Rel(10), Abs(40), true, true, "1.1:110>110,1.2:40>40", "101:1;1:3:1"},
    };
    for (const auto& c : cases) {
        Bench b(QStringLiteral("S1 Z=1 D1\nC L1=-10 R1=10\n"));
        if (c.InUse1)
            b.Put(1, 1, c.Rail1);
        if (c.InUse2)
            b.Put(2, 1, c.Rail2);
        EXPECT_EQ(b.S.MoveCarrier(0, 1), srWentOn) << c.What;
        EXPECT_EQ(seqtrace::CarriersText(b.S), QString::fromLatin1(c.Yc)) << c.What;
        EXPECT_EQ(seqtrace::LogText(b.S), QString::fromLatin1(c.Log)) << c.What;
    }
    // Without an offset value the carrier cannot be placed properly: finding 112.
    Bench zero(QStringLiteral("S1 Z=1 D1\nC R1=10\n"));
    zero.S.MoveCarrier(0, 1);
    EXPECT_EQ(seqtrace::LogText(zero.S), QStringLiteral("112:1:10:1"));
}

TEST(SequencerCarriers, SegmentsGoToCarriers) {
    const QString entries =
        QStringLiteral("S1 Z=1 D1 N=1 P=1+1\nP1 yc=1 mode=0 L=10 R=20\nP2 yc=1 mode=0 L=60 R=70\n"
                       "C L1=-3 R1=3\n");
    // Two segments far apart and both carriers free: one each, in the carriage direction.
    Bench free(entries);
    MSegment t1, t2;
    free.S.ComputeTargets(2, 0, t1, t2);
    EXPECT_EQ((std::tuple(t1.Rail, t1.First, t1.Last, t2.Rail, t2.First, t2.Last)),
              std::tuple(1, 10, 20, 2, 60, 70));
    EXPECT_EQ(seqtrace::LogText(free.S), QStringLiteral("-"));
    EXPECT_EQ(free.S.MoveCarrier(0, 2), srWentOn);
    EXPECT_EQ(seqtrace::CarriersText(free.S), QStringLiteral("1.1:7>23*,1.2:57>73*"));

    // The second carrier is parked on the exit side: the first takes one segment, 102 for the rest.
    Bench parked(entries);
    parked.Put(2, 1, Rel(5));
    parked.S.ComputeTargets(2, 0, t1, t2);
    EXPECT_EQ((std::tuple(t1.Rail, t1.First, t1.Last, t2.Rail)), std::tuple(1, 10, 20, 0));
    EXPECT_EQ(seqtrace::LogText(parked.S), QStringLiteral("102:1;1:3:1"));

    // In an even row the segment met first is the right one.
    Bench even(entries, 2);
    even.S.ComputeTargets(2, 0, t1, t2);
    EXPECT_EQ((std::tuple(t1.Rail, t1.First, t1.Last, t2.Rail, t2.First, t2.Last)),
              std::tuple(1, 70, 60, 2, 20, 10));

    // Nothing selected while both carriers wait outside the bed: 111 and 113.
    Bench none(QStringLiteral("S1 Z=1 D1 N=1 P=1\nP1 yc=1 mode=4 clrL=5\nC L1=-3 R1=3\n"));
    none.Put(1, 1, Rel(-5));
    none.Put(2, 1, Rel(-10));
    EXPECT_EQ(none.S.MoveCarrier(0, 2), srWentOn);
    EXPECT_EQ(seqtrace::LogText(none.S), QStringLiteral("111:1;1:1:1,113:1;1:3:1"));
}

TEST(SequencerCarriers, AutomaticPositioningFollowsThePattern) {
    // One carrier on a jacquard row with automatic positioning: it knits the colour's needles.
    SeqRun run(
        QStringLiteral("machine 708 5\nC area=1..101 L1=-5 R1=5\npicture 100x1 fill=0\nN1 X=1+99 D1\n"
                       "S1 Z=1+1 D1 N=1\nZ1 cam1=JR LG1=1 ZT1=1 yc1=1 PA=1\nZ2 cam1=JR LG1=1 ZT1=1 yc1=1\n"));
    for (int x = 29; x < 50; ++x)
        run.Project->Picture.SetPixel(x, 0, run.Project->Colors.Color(1));
    const QStringList& trace = run.Run();
    EXPECT_EQ(Field(trace, QStringLiteral("mode")), QStringList({"3", "3"}));
    EXPECT_EQ(Field(trace, QStringLiteral("yc")), QStringList({"1.1:25", "1.1:25>55*", "1.1:55>25*"}));

    // A carrier left standing short of its segment is moved on when the next stroke does not take it.
    Bench b(QStringLiteral("S1 Z=1 D1\nC L1=-5 R1=5\n"));
    b.S.Regs.Row.CamCode[0] = camA;
    b.Put(2, 1, Abs(40, -5));
    EXPECT_EQ(b.S.MoveCarrier(0, 3), srWentOn);
    EXPECT_EQ(seqtrace::CarriersText(b.S), QStringLiteral("1.2:40>50*"));
}

TEST(SequencerCarriers, StartsAreSettledAndWritten) {
    // Both carriers 5 by default at offset -10 with a clearance of 36 (gauge 12): too close.
    Bench close(QStringLiteral("S1 Z=1 D1\n"));
    close.S.Gauge = 12;
    close.S.Regs.PrevZRow = 7;
    close.Put(1, 5, Rel(-10));
    close.Put(2, 5, Rel(-10));
    close.Y(1, 5).Current = Abs(50);
    close.S.SettleStarts();
    EXPECT_EQ(seqtrace::LogText(close.S), QStringLiteral("104:7;5;5:3:7"));
    EXPECT_EQ(close.Y(1, 5).Current, Rel(-10)); // every carrier back at its start

    // Equal offsets further out: the one placed by default moves the clearance towards the bed.
    Bench equal(QStringLiteral("S1 Z=1 D1\n"));
    equal.S.Gauge = 12;
    equal.Put(1, 5, Rel(-40));
    equal.Put(2, 5, Rel(-40));
    equal.S.SettleStarts();
    EXPECT_EQ(equal.Y(1, 5).Start, Rel(-4));
    EXPECT_EQ(equal.Y(2, 5).Start, Rel(-40));
    EXPECT_EQ(seqtrace::LogText(equal.S), QStringLiteral("-"));

    // Different offsets too close: the nearer one moves to the clearance from the other, counted in
    // needles, so it never reaches the other side of the bed through an offset's sign.
    Bench apart(QStringLiteral("S1 Z=1 D1\n"));
    apart.Put(1, 2, Rel(-4));
    apart.Put(2, 2, Rel(-10));
    apart.S.SettleStarts();
    EXPECT_EQ(apart.Y(1, 2).Start, Abs(12, -4));
    EXPECT_EQ(apart.Y(2, 2).Start, Rel(-10));
    EXPECT_EQ(seqtrace::LogText(apart.S), QStringLiteral("-"));
    apart.Y(1, 2).Changed = false; // a start a P entry fixed stays where it is
    apart.Put(1, 3, Rel(8));
    apart.Put(2, 3, Rel(3));
    apart.Y(1, 3).Changed = false;
    apart.S.SettleStarts();
    EXPECT_EQ(apart.Y(2, 3).Start, Abs(108 - 21, 3));

    // Written into C entry 1: the smaller left start at position 1, the larger right one at 8.
    Bench w(QStringLiteral("S1 Z=1 D1\nC start1=5,5,5,5,5,5,5,5\n"));
    w.Put(1, 2, Rel(-4));
    w.Put(2, 2, Rel(-10));
    w.Put(1, 3, Rel(5));
    w.Put(2, 3, Rel(10));
    w.Put(1, 4, Abs(30));
    w.Put(2, 4, Abs(140));
    w.S.WriteCarrierStarts();
    EXPECT_EQ(seqtrace::StartsLine(w.Project->Lists.C.GetC(1)),
              QStringLiteral("starts 2:-10,-4,0,0,0,0,0,0 3:0,0,0,0,0,0,105,110 4:30,0,0,0,0,0,0,140"));
    EXPECT_EQ(w.Project->RefreshCount, 1);
}
