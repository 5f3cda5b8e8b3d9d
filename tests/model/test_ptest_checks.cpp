// The program test's checks over a fake engine: the static checks of the lists, the gating of the
// step checks by block and cycle passes, and the step and end checks fed with registers, carriers
// and needle actions set by hand.
#include "RunFixture.h"
#include "model/UCamCodes.h"
#include "model/UPtestRun.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using kdstest::BuildProject;
using kdstest::TestRun;

namespace {
// A stitch simulation that replays scripted steps: each step clears the needle actions and the
// carriers' selection, then sets what the test wants.
struct FakeEngine : MProgramTestEngine {
    MRegisters Regs;
    std::array<MJacquardBed, 2> Beds;
    std::int32_t Racking = 0;
    std::int32_t Width = 200;
    int Systems = 2;
    std::vector<std::function<void(FakeEngine&)>> Script;
    std::size_t Next = 0;

    MRegisters& Registers() override { return Regs; }
    const MJacquardBed& ResultBed(int Side) const override { return Beds[std::size_t(Side)]; }
    std::int32_t GetRacking() const override { return Racking; }
    std::int32_t WorkingWidth() const override { return Width; }
    int SystemsCount() const override { return Systems; }
    bool ResetTest() override {
        Regs.Reset();
        Next = 0;
        Regs.Finished = Script.empty();
        Clear();
        return true;
    }
    void StepTest() override {
        Clear();
        for (MRail* rail : {&Regs.Rail1, &Regs.Rail2})
            for (MYcData& y : *rail)
                y.Selected = false;
        Script[Next++](*this);
        Regs.Finished = Next >= Script.size();
    }
    void Clear() {
        for (MJacquardBed& bed : Beds) {
            bed.ClearNeedles();
            for (int n = 1; n <= Width; ++n)
                bed.SetNeedle(n, nsNone);
        }
    }
    void Act(int Side, int Needle, std::uint32_t State) { Beds[std::size_t(Side)].SetNeedle(Needle, State); }
};

// Carrier c of a rail on the bed at a needle (or off it at an offset), in use.
MYcPosition OnBed(std::int32_t Needle) {
    return {true, 0, Needle};
}
MYcPosition OffBed(std::int32_t Offset) {
    return {false, Offset, 0};
}
void Park(MRegisters& Regs, int Rail, int Carrier, MYcPosition At) {
    MYcData& y = Regs.Carrier(Rail, Carrier);
    y.SetInUse(true);
    y.Previous = y.Current = y.Start = At;
}
void Move(MRegisters& Regs, int Rail, int Carrier, MYcPosition From, MYcPosition To) {
    MYcData& y = Regs.Carrier(Rail, Carrier);
    y.SetSelected(true);
    y.Previous = From;
    y.Current = To;
}

// The registers of a step of the first pass through S1 at row Z, system 1.
void FirstPass(MRegisters& Regs, std::int32_t Z, std::int32_t ZRegister = 0) {
    Regs.PrevSLine = 1;
    Regs.PrevZRow = Z;
    Regs.ZRow = ZRegister ? ZRegister : Z;
    Regs.PrevSystem = 1;
    Regs.PrevBlockRepeat = 1;
    Regs.PrevCycleRepeat = 0;
    Regs.PrevNewZ = false;
}

// A row that none of the row checks object to on two systems.
void CleanRow(MUnvZ& Row) {
    Row.Clear();
    for (int i = 0; i < 4; ++i)
        Row.CamCode[std::size_t(i)] = camA;
    Row.Racking[0].Transfer = 1;
    Row.WA2.Value = 1;
    Row.TZ = 1;
    Row.FSFront = Row.FSRear = 1;
    Row.ST = 1;
}

struct Checks {
    std::unique_ptr<MMemoryProject> Project;
    FakeEngine Engine;
    MProgramTestRun Test;

    explicit Checks(const QString& Script = QStringLiteral("machine 712 5\nC area=1..201\nS1 Z=1+1 D1\n"))
        : Project(BuildProject(Script)), Test(*Project, Engine) {}

    // Runs the scripted steps (static checks included) and gives the findings.
    QStringList Run(std::vector<std::function<void(FakeEngine&)>> Steps) {
        Engine.Script = std::move(Steps);
        Test.StartProgramTest();
        return TestRun::FindingLines(Test);
    }
    // The findings of the steps whose id is one of Ids.
    QStringList Run(std::vector<std::function<void(FakeEngine&)>> Steps, std::initializer_list<int> Ids) {
        const QStringList all = Run(std::move(Steps));
        QStringList lines;
        for (const MPtFinding& f : Test.Findings())
            if (f.Error.Code == PTErrorCode &&
                std::find(Ids.begin(), Ids.end(), f.Error.ErrorId) != Ids.end())
                lines << all[&f - Test.Findings().data()];
        return lines;
    }
    QStringList Static() {
        Test.CheckModules();
        Test.CheckFirstSLine();
        return TestRun::FindingLines(Test);
    }
};
} // namespace

// ---- Static checks.

TEST(ProgramTestStatic, CamFamiliesOfRows) {
    // Two systems: a filled, an empty, then filled slots mix the row; empty leading slots do not.
    Checks c(
        QStringLiteral("machine 712 5\nC area=1..201\nS1 Z=1+1 D1 N=1\nN1 X=1+9 D1\n"
                       "Z1 cam1=JA cam3=JA cam4=JA\nZ2 cam3=JA cam4=JA\nZ3 cam1=RR cam2=A cam3=A cam4=RR\n"
                       "Z4 cam1=RR cam2=JA cam3=JA cam4=JA\nZ5 cam5=JA\n"));
    EXPECT_EQ(c.Static(), (QStringList{QStringLiteral("2 1 3 1"), QStringLiteral("2 4 3 4"),
                                       QStringLiteral("55 1 5 1")}));
    const struct {
        int Number, Family;
    } families[] = {{1, 3}, {2, 2}, {3, 1}, {4, 3}, {5, 0}}; // slot 5 lies beyond two systems
    for (const auto& f : families)
        EXPECT_EQ(c.Project->Lists.Z.GetZ(f.Number).CamFamily, f.Family) << "Z" << f.Number;
}

// A Z row with one cam in all eight slots and the given changes.
QString Row(int Number, const QString& Cam, const QString& More = QString()) {
    QString line = QStringLiteral("Z%1").arg(Number);
    for (int i = 1; i <= 8; ++i)
        line += QStringLiteral(" cam%1=%2").arg(i).arg(Cam);
    return line + QLatin1Char(' ') + More + QLatin1Char('\n');
}

TEST(ProgramTestStatic, RackingCamTableAndValidation) {
    // Racking beyond the gauge (either entry), the slot table of model 720 (" JU " in slot 1 is
    // allowed on odd rows only), a validation failure of subcode 5 listed, the colour failure of a
    // Z row (5014/24: JR without its colours) passed over.
    Checks c(
        QStringLiteral("machine 720 7\nC area=1..201\nS1 Z=1+1 D1 N=1\nN1 X=1+9 D1\nR1 D1 offsets=10000\n") +
        Row(1, QStringLiteral("JA"), QStringLiteral("cam2=JU")) +
        Row(2, QStringLiteral("JA"), QStringLiteral("cam2=JU")) +
        Row(3, QStringLiteral("A"), QStringLiteral("rack1=8")) +
        Row(5, QStringLiteral("A"), QStringLiteral("rack2=-8")) +
        Row(7, QStringLiteral("A"), QStringLiteral("rack1=-7")) +
        Row(9, QStringLiteral("JA"), QStringLiteral("cam3=JR cam4=JR")));
    c.Engine.Systems = 4;
    // (" JU " beside "  JA " does not pair: the rows' own validation fails as well, 5014/23, naming
    // the system and the cams of its two beds.)
    EXPECT_EQ(c.Static(), (QStringList{QStringLiteral("5014/23 1;1;JA;JU 3 1"), QStringLiteral("28 2 3 2"),
                                       QStringLiteral("5014/23 2;1;JA;JU 3 2"), QStringLiteral("1 3 3 3"),
                                       QStringLiteral("1 5 3 5"), QStringLiteral("5015/5 1 4 1")}));
}

TEST(ProgramTestStatic, StitchValueRangeFollowsTheGauge) {
    // Direct values and selector levels (W1 at the selector position 1).
    const struct {
        int Gauge;
        const char* Value;
        int Level;
        bool Hit;
    } cases[] = {{7, "D141", 0, true},  {7, "D140", 0, false}, {3, "D141", 0, false}, {3, "W1", 241, true},
                 {9, "W1", 255, false}, {12, "D81", 0, true},  {12, "W1", 80, false}, {7, "W1", -1, true}};
    for (const auto& k : cases) {
        Checks c(
            QStringLiteral("machine 712 %1\nC area=1..201\nS1 Z=1+1 D1\nW1 levels=%3\nFS1 B=D0,D0,D0,%2\n")
                .arg(k.Gauge)
                .arg(QLatin1String(k.Value))
                .arg(k.Level));
        const QStringList found = c.Static();
        EXPECT_EQ(found.contains(QStringLiteral("15 1 7 1")), k.Hit)
            << k.Gauge << " " << k.Value << " " << k.Level;
    }
}

TEST(ProgramTestStatic, SetupSchemeFirstArea) {
    // No first needle area: 5021/26. An area 1..1 fails the entry's own validation and reports that.
    Checks missing(QStringLiteral("machine 712 5\nC area2=1..101\nS1 Z=1+1 D1\n"));
    EXPECT_EQ(missing.Static(), QStringList{QStringLiteral("5021/26 1 10 1")});
    Checks narrow(QStringLiteral("machine 712 5\nC area=1..1\nS1 Z=1+1 D1\n"));
    EXPECT_EQ(narrow.Static(), QStringList{QStringLiteral("5021/6 1 10 1")});
}

TEST(ProgramTestStatic, SLinesOverTheirRows) {
    Checks c(QStringLiteral("machine 712 5\nC area=1..201\nN1 X=1+9 D1\nR1 D2\n"
                            "Z1 cam1=A cam2=A cam3=A cam4=A\nZ2 cam1=A cam2=A cam3=A cam4=A\n"
                            "Z3 cam1=JA cam2=JA cam3=JA cam4=JA\nZ4 cam1=JA cam2=JA cam3=JA cam4=JA\n"
                            "S1 Z=1+1 D1\n"          // transfer rows without N: clean
                            "S2 Z=2+1 D1\n"          // 55 (and 58 is not asked: D counter)
                            "S3 Z=1+1 D1 N=1\n"      // 56
                            "S4 Z=4-1 D1\n"          // 57 over a falling range
                            "S5 Z=1+1 R1\n"          // 58
                            "S6 Z=3+1 R1 N=1\n"      // clean
                            "S7 Z=1990+2000000 D1\n" // missing rows passed over, no walk past 2000
                            "S8 Z=2-2147483647 D1\n"));
    EXPECT_EQ(c.Static(), (QStringList{QStringLiteral("55 2 5 2"), QStringLiteral("56 3 5 3"),
                                       QStringLiteral("57 4 5 4"), QStringLiteral("58 5 5 5"),
                                       QStringLiteral("5016/2 7 5 7"), QStringLiteral("5016/2 8 5 8")}));
}

TEST(ProgramTestStatic, NoFirstSLine) {
    Checks c(QStringLiteral("machine 712 5\nC area=1..201\nS2 Z=1+1 D1\n"));
    EXPECT_EQ(c.Static(), QStringList{QStringLiteral("50 - 5 0")});
}

// ---- Gating.

TEST(ProgramTestGating, BlockAndCyclePasses) {
    const struct {
        std::int32_t Block, CycleRegister;
        bool RepeatR;
        std::int32_t CyclePass;
        bool B, C, D;
    } cases[] = {
        {1, 0, false, 0, true, true, true},   // first pass of a block
        {2, 0, false, 0, true, false, false}, // second
        {3, 0, false, 0, false, false, false},
        {3, 0, true, 0, true, true, false},    // an R counter keeps B and C
        {1, 1, false, 0, true, true, true},    // the first pass of a cycle reads pass 0
        {1, 2, false, 1, true, true, true},    // its first repetition reads 1
        {1, 3, false, 2, false, false, false}, // from pass 2 none
        {2, 3, true, 2, true, true, false},    // but B and C under an R counter
    };
    for (const auto& k : cases) {
        MRegisters regs;
        regs.PrevBlockRepeat = k.Block;
        regs.PrevCycleRepeat = k.CycleRegister;
        regs.PrevRepeatR = k.RepeatR;
        EXPECT_EQ(MProgramTestRun::CyclePass(regs), k.CyclePass);
        EXPECT_EQ(MProgramTestRun::RuleB(regs), k.B) << k.Block << "/" << k.CycleRegister << "/" << k.RepeatR;
        EXPECT_EQ(MProgramTestRun::RuleC(regs), k.C) << k.Block << "/" << k.CycleRegister << "/" << k.RepeatR;
        EXPECT_EQ(MProgramTestRun::RuleD(regs), k.D) << k.Block << "/" << k.CycleRegister << "/" << k.RepeatR;
    }
}

TEST(ProgramTestGating, PassesOfARepeatedBlockInTheRun) {
    // Each step has a transfer pair (6, rule B), no knitting with a carrier from off the bed (4,
    // rule C) and an empty slot (3, rule D); the passes 1, 2 and 3 of the block and a pass under an
    // R counter.
    Checks c;
    const auto step = [](std::int32_t Block, bool R, std::int32_t Z) {
        return [=](FakeEngine& E) {
            FirstPass(E.Regs, Z);
            E.Regs.PrevBlockRepeat = Block;
            E.Regs.PrevRepeatR = R;
            CleanRow(E.Regs.Row);
            E.Regs.Row.CamCode[1] = camNone;
            E.Act(0, 10, nsTransferOut);
            E.Act(1, 10, nsReceive);
            Move(E.Regs, 1, 1, OffBed(-3), OffBed(3));
        };
    };
    const QStringList found =
        c.Run({step(1, false, 1), step(2, false, 2), step(3, false, 3), step(3, true, 4)}, {3, 4, 6});
    EXPECT_EQ(found,
              (QStringList{QStringLiteral("6 1 3 1"), QStringLiteral("4 1 3 1"), QStringLiteral("3 1 3 1"),
                           QStringLiteral("6 2 3 2"), QStringLiteral("6 4 3 4"), QStringLiteral("4 4 3 4")}));
}

// ---- Step checks.

TEST(ProgramTestSteps, CarrierPaths) {
    // Carrier 2 moves 50 -> 150 past carrier 1; the argument is the Z register, the parked carrier,
    // the moving one. Near the end of the path the clearance is PTLimit3, 7 more with a start flag.
    const struct {
        MYcPosition Parked;
        const char* Flags;
        bool Hit;
    } cases[] = {
        {OnBed(100), "", true},      {OnBed(100), "FT=1", false}, {OnBed(50), "", true},
        {OnBed(151), "", true},      {OnBed(152), "", false},     {OnBed(158), "FT=2", true},
        {OnBed(159), "FT=1", false}, {OffBed(-5), "", false},     {OnBed(40), "", false},
    };
    for (const auto& k : cases) {
        Checks c(
            QStringLiteral("machine 712 5\nC area=1..201 %1\nS1 Z=1+1 D1\n").arg(QLatin1String(k.Flags)));
        const QStringList found = c.Run({[&](FakeEngine& E) {
                                            FirstPass(E.Regs, 6, 7);
                                            CleanRow(E.Regs.Row);
                                            Park(E.Regs, 1, 1, k.Parked);
                                            Move(E.Regs, 2, 2, OnBed(50), OnBed(150));
                                        }},
                                        {104});
        EXPECT_EQ(found, k.Hit ? QStringList{QStringLiteral("104 7;1;2 3 6")} : QStringList())
            << k.Parked.Position << " " << k.Flags;
    }
}

TEST(ProgramTestSteps, CarrierClearanceOncePerCarrierPerRun) {
    // Carrier 3 stands at needle 100; a needle next to it acts in two steps of different rows: one
    // finding. A needle two away is clear; the previous position of a moving carrier counts.
    Checks c;
    const auto step = [](std::int32_t Z, int Needle) {
        return [=](FakeEngine& E) {
            FirstPass(E.Regs, Z);
            CleanRow(E.Regs.Row);
            Park(E.Regs, 2, 3, OnBed(100));
            E.Act(0, Needle, nsKnit);
        };
    };
    EXPECT_EQ(c.Run({step(1, 102), step(2, 101), step(3, 99)}, {107}),
              QStringList{QStringLiteral("107 2;3 3 2")});
    Checks moved;
    EXPECT_EQ(moved.Run({[](FakeEngine& E) {
                            FirstPass(E.Regs, 1);
                            CleanRow(E.Regs.Row);
                            Move(E.Regs, 1, 4, OnBed(20), OffBed(5));
                            E.Act(1, 21, nsTuck);
                        }},
                        {107}),
              QStringList{QStringLiteral("107 1;4 3 1")});
}

TEST(ProgramTestSteps, PairsAcrossTheRackingAtTheBedEdges) {
    const struct {
        std::uint8_t UV;
        std::int32_t Racking;
        int FrontNeedle;
        std::uint32_t Front, Rear;
        std::uint8_t Net;
        const char* Expected;
    } cases[] = {
        {1, 1, 9, nsTransferOut, nsReceive, 0, "6 1 3 1"},
        {0, -1, 2, nsReceive, nsTransferOut, 0, "6 1 3 1"},
        {2, 1, 9, nsTransferOut, nsReceive, 0, ""},
        {1, 1, 10, nsTransferOut, nsReceive, 0, ""}, // the rear needle 11 lies outside: no action
        {1, -1, 1, nsReceive, nsTransferOut, 0, ""}, // and rear needle 0
        {1, 2147483647, 1, nsTransferOut, nsReceive, 0, ""},
        {3, 1, 4, nsKnit, nsTuck, 0, "7 1 3 1"},
        {3, 1, 4, nsKnit, nsTuck, 64, ""},
        {3, 1, 10, nsKnit, nsKnit, 0, ""},
        {1, 1, 4, nsKnit, nsTuck, 0, ""},
    };
    for (const auto& k : cases) {
        Checks c;
        c.Engine.Width = 10;
        const QStringList found = c.Run({[&](FakeEngine& E) {
                                            FirstPass(E.Regs, 1);
                                            CleanRow(E.Regs.Row);
                                            E.Regs.Row.Racking[0].Transfer = k.UV;
                                            E.Regs.Row.NetRear[0] = k.Net;
                                            E.Racking = k.Racking;
                                            E.Act(0, k.FrontNeedle, k.Front);
                                            if (k.FrontNeedle + std::int64_t(k.Racking) <= 10 &&
                                                k.FrontNeedle + std::int64_t(k.Racking) >= 1)
                                                E.Act(1, k.FrontNeedle + k.Racking, k.Rear);
                                            // The rear bed holds one needle more than the width.
                                            E.Act(1, 11, k.Rear);
                                        }},
                                        {6, 7});
        EXPECT_EQ(found.join(QLatin1Char(',')), QLatin1String(k.Expected))
            << int(k.UV) << " " << k.Racking << " " << k.FrontNeedle;
    }
}

TEST(ProgramTestSteps, RowChecksOncePerStep) {
    Checks c;
    const QStringList found =
        c.Run({[](FakeEngine& E) {
                   FirstPass(E.Regs, 1);
                   E.Regs.PrevNewZ = true;
                   CleanRow(E.Regs.Row);
                   E.Regs.Row.CamCode[1] = E.Regs.Row.CamCode[2] = camNone; // two empty slots: one 3
                   Move(E.Regs, 1, 1, OffBed(-3), OffBed(3));
                   Move(E.Regs, 1, 2, OffBed(-3), OffBed(3)); // two carriers from off the bed: one 4
               },
               [](FakeEngine& E) {
                   FirstPass(E.Regs, 3); // a new odd row after an odd one
                   E.Regs.PrevNewZ = true;
                   CleanRow(E.Regs.Row);
                   Move(E.Regs, 1, 1, OnBed(5), OffBed(3)); // from the bed: no 4
               },
               [](FakeEngine& E) {
                   FirstPass(E.Regs, 4);
                   E.Regs.PrevNewZ = true;
                   CleanRow(E.Regs.Row);
                   Move(E.Regs, 1, 1, OffBed(-3), OffBed(3));
                   E.Act(1, 7, nsKnit); // a knitting needle: no 4
               }},
              {3, 4, 52});
    EXPECT_EQ(found, (QStringList{QStringLiteral("4 1 3 1"), QStringLiteral("3 1 3 1"),
                                  QStringLiteral("52 1 5 1")}));
}

TEST(ProgramTestSteps, PatternLinesStitchValuesAndTakeDown) {
    const struct {
        int Model;
        std::int32_t System;
        int Cam, Line1, Line2;
        const char* FS;
        int WA2Step, WA2;
        const char* Expected;
    } cases[] = {
        {740, 1, camJA, 1, 20, "D1", 0, 1, ""},
        {740, 1, camJA, 0, 5, "D1", 0, 1, "8"},
        {740, 1, camJA, 5, 21, "D1", 0, 1, "8"}, // above the height (20)
        {740, 1, camA, 0, 0, "D1", 0, 1, ""},
        {740, 1, camA, 0, 3, "D1", 0, 1, "9"},
        {740, 1, camRR, 0, 0, "D0", 0, 1, "16"},
        {740, 2, camRR, 0, 0, "D0,D0,D1", 0, 1, ""},   // system 2 reads counter 3
        {720, 2, camRR, 0, 0, "D0,D0,D1", 0, 1, "16"}, // on a 720 system 2 reads counter 1
        {720, 2, camRR, 0, 0, "D1,D0,D0", 0, 1, ""},
        {740, 1, camJR, 1, 1, "D1", 0, 0, "17"},
        {740, 1, camJR, 1, 1, "D1", 1, 0, ""}, // "R"
        {740, 1, camJR, 1, 1, "D1", 2, 0, "17"},
        {740, 1, camJA, 1, 1, "D0", 0, 0, ""}, // class 105 is not checked
    };
    for (const auto& k : cases) {
        Checks c(QStringLiteral("machine %1 7\nC area=1..201\nS1 Z=1+1 D1\nFS1 A=%2\n")
                     .arg(k.Model)
                     .arg(QLatin1String(k.FS)));
        c.Project->Lists.C.GetC(1).Height = 20;
        c.Engine.Systems = 4;
        const QStringList found = c.Run({[&](FakeEngine& E) {
                                            FirstPass(E.Regs, 1);
                                            E.Regs.PrevSystem = k.System;
                                            CleanRow(E.Regs.Row);
                                            for (int i = 4; i < 8; ++i)
                                                E.Regs.Row.CamCode[std::size_t(i)] = camA;
                                            const std::size_t front = std::size_t(2 * (k.System - 1));
                                            E.Regs.Row.CamCode[front] = std::uint8_t(k.Cam);
                                            E.Regs.Row.PatternLine[front] = k.Line1;
                                            E.Regs.Row.PatternLine[front + 1] = k.Line2;
                                            E.Regs.Row.FSFront = 1;
                                            E.Regs.Row.WA2.Step = std::uint8_t(k.WA2Step);
                                            E.Regs.Row.WA2.Value = k.WA2;
                                        }},
                                        {8, 9, 16, 17});
        QStringList ids;
        for (const QString& line : found)
            ids << line.section(QLatin1Char(' '), 0, 0);
        EXPECT_EQ(ids.join(QLatin1Char(',')), QLatin1String(k.Expected))
            << k.Model << " s" << k.System << " " << CamCodeName(k.Cam).toStdString() << " " << k.FS;
    }
}

TEST(ProgramTestSteps, FirstStepChecks) {
    Checks c(QStringLiteral("machine 712 5\nC area=1..201 FT=3\nS1 Z=1+1 D1\n"));
    const QStringList found = c.Run({[](FakeEngine& E) {
                                         FirstPass(E.Regs, 1);
                                         CleanRow(E.Regs.Row);
                                         E.Regs.Row.Racking[0].Transfer = 0;
                                         E.Regs.Row.WA2.Value = 0;
                                         E.Regs.Row.TZ = 0;
                                         E.Regs.Row.FSRear = 0;
                                         E.Regs.Row.ST = 0;
                                         Park(E.Regs, 1, 3, OffBed(-4));
                                         Park(E.Regs, 2, 3, OffBed(-2));
                                         Park(E.Regs, 1, 4, OffBed(-4));
                                         Park(E.Regs, 2, 4, OffBed(-2)); // record 4 has no FT flag
                                     },
                                     [](FakeEngine& E) { FirstPass(E.Regs, 2); }},
                                    {10, 11, 12, 13, 14, 88});
    EXPECT_EQ(found, (QStringList{QStringLiteral("10 - 3 1"), QStringLiteral("11 - 3 1"),
                                  QStringLiteral("12 - 3 1"), QStringLiteral("13 - 3 1"),
                                  QStringLiteral("14 - 3 1"), QStringLiteral("88 3 10 1")}));
}

TEST(ProgramTestSteps, EndChecks) {
    Checks c;
    const QStringList found = c.Run({[](FakeEngine& E) {
                                        FirstPass(E.Regs, 3);
                                        E.Regs.ZRow = -1; // the register has moved past the end
                                        CleanRow(E.Regs.Row);
                                        E.Regs.Row.Racking[0] = {5, 2, 0};
                                        Park(E.Regs, 1, 2, OffBed(-3));
                                        E.Regs.Carrier(1, 2).Current = OffBed(4);
                                        Park(E.Regs, 2, 5, OnBed(7));
                                        Park(E.Regs, 2, 6, OnBed(7));
                                        E.Regs.Carrier(2, 6).Current = OnBed(8);
                                    }},
                                    {80, 81, 82, 83});
    EXPECT_EQ(found,
              (QStringList{QStringLiteral("80 - 0 0"), QStringLiteral("81 2 0 0"), QStringLiteral("81 6 0 0"),
                           QStringLiteral("82 - 0 0"), QStringLiteral("83 - 0 0")}));
    Checks even;
    EXPECT_EQ(even.Run({[](FakeEngine& E) {
                           FirstPass(E.Regs, 2);
                           CleanRow(E.Regs.Row);
                       }},
                       {80, 81, 82, 83}),
              QStringList());
}

// ---- Findings.

TEST(ProgramTestFindings, HeldErrorsDuplicatesAndReplacedRuns) {
    Checks c;
    int shown = 0;
    c.Test.OnFinding = [&shown](const MPtFinding&, int Index) { EXPECT_EQ(Index, shown++); };
    const auto step = [](int Held, std::int32_t Block) {
        return [=](FakeEngine& E) {
            FirstPass(E.Regs, 2);
            E.Regs.PrevBlockRepeat = Block;
            CleanRow(E.Regs.Row);
            E.Regs.Row.CamCode[1] = camNone;
            if (Held)
                E.Regs.Error.SetError(Held);
        };
    };
    // 3 at five steps of one row: one line. Held 106 after every step, 113 under rule C, 54 only
    // under rule D: held 54 in the second pass stays held.
    const QStringList found = c.Run({step(0, 1), step(pteMoveFailed, 1), step(0, 1), step(pteNoSegment, 2),
                                     step(pteMissingZRow, 2), step(0, 1)});
    EXPECT_EQ(found, (QStringList{QStringLiteral("3 2 3 2"), QStringLiteral("106 - 0 0"),
                                  QStringLiteral("54 - 0 0")}));
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(c.Test.Findings().back().Phase, TPtPhase::Step);
    EXPECT_EQ(c.Test.Findings().back().ZRow, 2);

    // A row's validation failure 5014/3 and its run finding 3 are two lines; only the test's own
    // id 5 is dropped, never a validation failure of subcode 5.
    Checks d;
    d.Test.AddValidationFinding(5014, 3, QStringLiteral("4"), lkZ, 4);
    d.Test.AddFinding(3, QStringLiteral("4"), lkZ, 4);
    d.Test.AddFinding(3, QStringLiteral("4"), lkZ, 4);
    d.Test.AddFinding(5, QStringLiteral("4"), lkZ, 4);
    d.Test.AddValidationFinding(5016, 5, QStringLiteral("4"), lkS, 4);
    EXPECT_EQ(TestRun::FindingLines(d.Test),
              (QStringList{QStringLiteral("5014/3 4 3 4"), QStringLiteral("3 4 3 4"),
                           QStringLiteral("5016/5 4 5 4")}));

    // A run started while the older one pumps replaces it: the older loop returns at once.
    Checks r;
    int pumps = 0;
    TPtRunEnd inner = TPtRunEnd::Idle;
    r.Test.Pump = [&] {
        if (++pumps == 2) {
            r.Engine.Script = {[](FakeEngine& E) {
                FirstPass(E.Regs, 8);
                CleanRow(E.Regs.Row);
                E.Regs.Row.CamCode[0] = camNone;
            }};
            inner = r.Test.StartProgramTest();
        }
    };
    r.Engine.Script = {step(0, 1), step(0, 1), step(0, 1)};
    EXPECT_EQ(r.Test.StartProgramTest(), TPtRunEnd::Replaced);
    EXPECT_EQ(inner, TPtRunEnd::Finished);
    EXPECT_EQ(TestRun::FindingLines(r.Test), QStringList{QStringLiteral("3 8 3 8")});
    EXPECT_EQ(r.Test.Steps(), 1);
}

// Values at the 32-bit limits, a missing setup scheme and FS entry, systems outside the machine:
// every rule reads within bounds (the sanitizers watch) and a missing entry counts as nothing.
TEST(ProgramTestFindings, HostileValuesAreReadWithinBounds) {
    Checks c(
        QStringLiteral("machine 740 7\nS1 Z=-2147483648-2147483647 D1\nZ1 rack1=-2147483648 rack2=2147483647 "
                       "cam1=RR cam2=A cam3=RR cam4=A cam5=RR cam6=A cam7=RR cam8=A\n"));
    c.Engine.Systems = 4;
    c.Engine.Width = 12;
    const auto step = [](std::int32_t System, std::int32_t Racking) {
        return [=](FakeEngine& E) {
            FirstPass(E.Regs, 2147483647, -2147483647 - 1);
            E.Regs.PrevSystem = System;
            E.Regs.PrevNewZ = true;
            CleanRow(E.Regs.Row);
            E.Regs.Row.CamCode[0] = camRR;
            E.Regs.Row.FSFront = 63; // no such FS entry: the stitch value counts as 0
            E.Regs.Row.Racking[0].Transfer = 1;
            E.Racking = Racking;
            for (int n = 1; n <= 12; ++n) {
                E.Act(0, n, nsTransferOut);
                E.Act(1, n, nsReceive);
            }
            Park(E.Regs, 1, 1, OnBed(2147483647));
            Park(E.Regs, 2, 1, OffBed(-2147483647 - 1));
            Move(E.Regs, 1, 2, OffBed(2147483647), OnBed(-2147483647 - 1));
        };
    };
    const QStringList found =
        c.Run({step(1, -2147483647 - 1), step(0, 2147483647), step(9, 0), step(1, 0)}, {1, 6, 16, 52, 104});
    // Carrier 2 sweeps the whole number range past carrier 1 parked at the largest needle.
    EXPECT_EQ(found,
              (QStringList{QStringLiteral("1 1 3 1"), QStringLiteral("104 -2147483648;1;2 3 2147483647"),
                           QStringLiteral("16 2147483647 3 2147483647"), QStringLiteral("52 1 5 1"),
                           QStringLiteral("6 2147483647 3 2147483647")}));
}
