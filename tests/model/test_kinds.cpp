// Contracts and checks of the module kinds P, N, R, S, W, FS, FD, FE and C.

#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UunvC.h"
#include "model/UunvF.h"
#include "model/UunvKinds.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {
// The subcode of the module's validation error, 0 when it passes. The error must carry the
// kind's code (or the base code) and the module number.
int SubCodeOf(const MUnvBase& m) {
    try {
        m.Validate();
        return 0;
    } catch (const MException& e) {
        if (e.Code == 5011) {
            EXPECT_EQ(e.Args, QString());
            return -e.SubCode; // base checks come back negative, so tables tell them apart
        }
        EXPECT_EQ(e.Code, 5011 + m.ListKind());
        EXPECT_EQ(e.Args, QString::number(m.Number));
        return e.SubCode;
    }
}

template <typename M>
struct Case {
    const char* Name;
    std::function<void(M&)> Setup;
    int SubCode; // 0: passes; negative: base check
};

// Runs each case on a fresh valid module numbered Number and compares the subcode; validation
// must leave the module as it was.
template <typename M>
void RunCases(const std::vector<Case<M>>& cases, int Number = 1) {
    for (const Case<M>& c : cases) {
        SCOPED_TRACE(c.Name);
        M m;
        m.Number = Number;
        c.Setup(m);
        auto before = m.Clone();
        EXPECT_EQ(SubCodeOf(m), c.SubCode);
        EXPECT_TRUE(before->Equals(m));
    }
}

template <typename M>
using Mutator = std::function<void(M&)>;

// Every mutator changes one kind field: the changed module is no longer equal to a default one,
// Assign and Clone carry the change, and Clear takes it back.
template <typename M>
void CheckEveryField(const std::vector<Mutator<M>>& mutators) {
    for (std::size_t i = 0; i < mutators.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "field mutator " << i);
        M plain, changed;
        changed.Number = 9;
        mutators[i](changed);
        EXPECT_FALSE(plain.Equals(changed));
        EXPECT_FALSE(changed.Equals(plain));
        plain.Assign(changed);
        EXPECT_TRUE(plain.Equals(changed));
        EXPECT_EQ(plain.Number, 9);
        auto copy = changed.Clone();
        EXPECT_TRUE(copy->Equals(changed));
        EXPECT_EQ(copy->Number, 9);
        changed.Clear();
        EXPECT_TRUE(changed.Equals(M()));
        EXPECT_EQ(changed.Number, 9);
    }
}

template <typename M>
void CheckCreateNewAndKind(int listKind) {
    M m;
    m.Number = 4;
    EXPECT_EQ(m.ListKind(), listKind);
    auto fresh = m.CreateNew();
    ASSERT_TRUE(dynamic_cast<M*>(fresh.get()));
    EXPECT_TRUE(fresh->Equals(M()));
    EXPECT_EQ(fresh->Number, 0);
}
} // namespace

TEST(ModuleKinds, CreateNewGivesTheOwnClassAndOtherKindsAreNeverEqual) {
    CheckCreateNewAndKind<MUnvP>(lkP);
    CheckCreateNewAndKind<MUnvN>(lkN);
    CheckCreateNewAndKind<MUnvR>(lkR);
    CheckCreateNewAndKind<MUnvS>(lkS);
    CheckCreateNewAndKind<MUnvW>(lkW);
    CheckCreateNewAndKind<MUnvFS>(lkFS);
    CheckCreateNewAndKind<MUnvFD>(lkFD);
    CheckCreateNewAndKind<MUnvFE>(lkFE);
    CheckCreateNewAndKind<MUnvC>(lkC);

    // Two kinds with the same default contents are still not equal, and copying between them is
    // refused without a change.
    MUnvFS fs;
    MUnvFD fd;
    fd.FirstFE[0] = 3;
    EXPECT_FALSE(fs.Equals(fd));
    try {
        fd.Assign(fs);
        ADD_FAILURE() << "copy between kinds accepted";
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, 5011);
        EXPECT_EQ(e.SubCode, 3);
    }
    EXPECT_EQ(fd.FirstFE[0], 3);
}

TEST(ModuleKinds, Defaults) {
    MUnvP p;
    EXPECT_EQ(p.Dir, 0);
    EXPECT_EQ(p.Mode, 0);
    EXPECT_EQ(p.ClrsL.Count() + p.ClrsR.Count(), 0);
    MUnvN n;
    EXPECT_EQ(n.Type, 1);
    EXPECT_EQ(n.Counter, (MCounter{ckD, 0}));
    MUnvS s;
    EXPECT_EQ(s.Type, 1);
    EXPECT_EQ(s.Offset, 1);
    EXPECT_EQ(s.Counter.Kind, ckD);
    MUnvFS fs;
    for (int i = 0; i < BedCount; ++i) {
        EXPECT_EQ(fs.CountersA[std::size_t(i)], (MCounter{ckD, 0}));
        EXPECT_EQ(fs.CountersB[std::size_t(i)], (MCounter{ckD, 0}));
    }
    MUnvC c;
    EXPECT_EQ(c.WE, 1);
    EXPECT_EQ(c.WA, 100);
    EXPECT_EQ(c.TZ, 100);
    EXPECT_EQ(c.ST, 0);
    EXPECT_EQ(c.RackCorrection2[15], MRackCorrection());
}

TEST(ModuleKinds, AssignEqualsAndClearCoverEveryFieldOfPNRW) {
    CheckEveryField<MUnvP>({
        [](MUnvP& m) { m.Dir = 2; },
        [](MUnvP& m) { m.Mode = 5; },
        [](MUnvP& m) { m.Carriers[7] = 1; },
        [](MUnvP& m) { m.L = 4; },
        [](MUnvP& m) { m.R = 4; },
        [](MUnvP& m) { m.ClrsL.SetBit(31, 1); },
        [](MUnvP& m) { m.ClrsR.SetBit(0, 1); },
    });
    CheckEveryField<MUnvN>({
        [](MUnvN& m) { m.Type = 2; },
        [](MUnvN& m) { m.Start = 1; },
        [](MUnvN& m) { m.Count = -1; },
        [](MUnvN& m) { m.Counter.Kind = ckW; },
        [](MUnvN& m) { m.Counter.Value = 3; },
    });
    CheckEveryField<MUnvR>({
        [](MUnvR& m) { m.Counter.Kind = ckW; },
        [](MUnvR& m) { m.Counter.Value = 2; },
        [](MUnvR& m) { m.Offsets[0] = -1; },
        [](MUnvR& m) { m.Offsets[7] = 1; },
    });
    CheckEveryField<MUnvW>({
        [](MUnvW& m) { m.Levels[0] = 1; },
        [](MUnvW& m) { m.Levels[7] = 9999; },
    });
}

TEST(ModuleKinds, AssignEqualsAndClearCoverEveryFieldOfSAndTheStitchKinds) {
    CheckEveryField<MUnvS>({
        [](MUnvS& m) { m.Type = 2; },
        [](MUnvS& m) { m.First = 1; },
        [](MUnvS& m) { m.Count = 1; },
        [](MUnvS& m) { m.Counter.Kind = ckR; },
        [](MUnvS& m) { m.Counter.Value = 1; },
        [](MUnvS& m) { m.NFirst = 1; },
        [](MUnvS& m) { m.NCount = 1; },
        [](MUnvS& m) { m.PFirst = 1; },
        [](MUnvS& m) { m.PCount = 1; },
        [](MUnvS& m) { m.Offset = 2; },
    });
    CheckEveryField<MUnvFS>({
        [](MUnvFS& m) { m.CountersA[0].Kind = ckW; },
        [](MUnvFS& m) { m.CountersA[7].Value = 5; },
        [](MUnvFS& m) { m.CountersB[0].Value = 5; },
        [](MUnvFS& m) { m.CountersB[7].Kind = ckW; },
    });
    CheckEveryField<MUnvFD>({
        [](MUnvFD& m) { m.FirstFE[0] = 1; },
        [](MUnvFD& m) { m.FirstFE[7] = 1; },
        [](MUnvFD& m) { m.CountFE[0] = -1; },
        [](MUnvFD& m) { m.CountFE[7] = 1; },
    });
    CheckEveryField<MUnvFE>({
        [](MUnvFE& m) { m.Difference = -3; },
        [](MUnvFE& m) { m.VerticalStep = 1; },
        [](MUnvFE& m) { m.HorizontalStep = 1; },
        [](MUnvFE& m) { m.StartPoint = 2; },
        [](MUnvFE& m) { m.Offset = -1; },
        [](MUnvFE& m) { m.Colors.SetBit(17, 1); },
    });
}

TEST(ModuleKinds, AssignEqualsAndClearCoverEveryFieldOfC) {
    CheckEveryField<MUnvC>({
        [](MUnvC& m) { m.WE = 2; },
        [](MUnvC& m) { m.ST = 1; },
        [](MUnvC& m) { m.LB = 1; },
        [](MUnvC& m) { m.WA = 99; },
        [](MUnvC& m) { m.TZ = 0; },
        [](MUnvC& m) { m.Time = 1; },
        [](MUnvC& m) { m.X1 = 2; },
        [](MUnvC& m) { m.Y1 = 2; },
        [](MUnvC& m) { m.Width = 1; },
        [](MUnvC& m) { m.Height = 1; },
        [](MUnvC& m) { m.From[7] = 1; },
        [](MUnvC& m) { m.To[0] = 1; },
        [](MUnvC& m) { m.CarrierStarts[7].FT = 1; },
        [](MUnvC& m) { m.CarrierStarts[0].FF = 1; },
        [](MUnvC& m) { m.CarrierStarts[3].Positions[7] = -1; },
        [](MUnvC& m) { m.OffsetTables[7].L[0] = 1; },
        [](MUnvC& m) { m.OffsetTables[0].R[7] = 1; },
        [](MUnvC& m) { m.StitchDiff1[7] = 1; },
        [](MUnvC& m) { m.StitchDiff2[0] = 1; },
        [](MUnvC& m) { m.RackCorrection1[0].HV = 1; },
        [](MUnvC& m) { m.RackCorrection1[15].UV = 1; },
        [](MUnvC& m) { m.RackCorrection2[15].KORR = 1; },
        [](MUnvC& m) { m.RackCorrection2[8].DEHN = 1; },
        [](MUnvC& m) { m.RackCorrection2[0].GESH = 200; },
    });
}

TEST(ModuleKinds, SetsAreCopiedByValue) {
    MUnvP a, b;
    a.Mode = 4;
    a.ClrsL.SetBit(3, 1);
    b.Assign(a);
    a.ClrsL.SetBit(3, 0);
    EXPECT_TRUE(b.ClrsL.IsSet(3));
    MUnvFE e, f;
    e.Colors.SetBit(30, 1);
    auto g = e.Clone();
    e.Colors.Clear();
    EXPECT_TRUE(static_cast<MUnvFE&>(*g).Colors.IsSet(30));
    f.Assign(*g);
    EXPECT_TRUE(f.Colors.IsSet(30));
}

TEST(ModuleKinds, TheStripIdentifierOfAnSLine) {
    MUnvS a, b;
    a.Number = 3;
    a.StripId = 7;
    // Not part of the contents.
    EXPECT_TRUE(a.Equals(b));
    // Copied only while the tag travels; otherwise the receiver keeps its own.
    b.StripId = 2;
    b.Assign(a);
    EXPECT_EQ(b.StripId, 2);
    {
        MSwitchGuard moving(CopyTag, true);
        b.Assign(a);
    }
    EXPECT_EQ(b.StripId, 7);
    // Reset by Clear even while the base part is kept.
    {
        MSwitchGuard keep(ClearBase, false);
        b.Tag = 1;
        b.Clear();
    }
    EXPECT_EQ(b.StripId, 0);
    EXPECT_EQ(b.Tag, 1);
}

TEST(ModuleKinds, AssignCheckedRefusesAnInvalidSource) {
    MUnvS bad, dst;
    bad.Number = 5;
    bad.Offset = 9;
    dst.Number = 1;
    try {
        dst.AssignChecked(bad);
        ADD_FAILURE() << "invalid source accepted";
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, 5016);
        EXPECT_EQ(e.SubCode, 10);
        EXPECT_EQ(e.Args, QStringLiteral("5"));
    }
    EXPECT_EQ(dst.Offset, 1);
    EXPECT_EQ(dst.Number, 1);
}

// ---- Validation, one row per check plus passing rows.

TEST(ModuleKindsValidate, P) {
    RunCases<MUnvP>({
        {"cleared passes", [](MUnvP&) {}, 0},
        {"number 0 is the base check",
         [](MUnvP& m) {
             m.Number = 0;
             m.Mode = 9;
         },
         -1},
        {"number 256", [](MUnvP& m) { m.Number = 256; }, 1},
        {"number 255 passes", [](MUnvP& m) { m.Number = 255; }, 0},
        {"direction 3", [](MUnvP& m) { m.Dir = 3; }, 2},
        {"mode 9", [](MUnvP& m) { m.Mode = 9; }, 3},
        {"left needle -1", [](MUnvP& m) { m.L = -1; }, 4},
        {"right needle -1", [](MUnvP& m) { m.R = -1; }, 5},
        {"mode 4 without colours", [](MUnvP& m) { m.Mode = 4; }, 6},
        {"mode 4 with an empty second set passes",
         [](MUnvP& m) {
             m.Mode = 4;
             m.ClrsL.SetBit(1, 1);
         },
         0},
        {"mode 5 without second colours",
         [](MUnvP& m) {
             m.Mode = 5;
             m.ClrsL.SetBit(1, 1);
         },
         6},
        {"mode 5 with both sets passes",
         [](MUnvP& m) {
             m.Mode = 5;
             m.ClrsL.SetBit(1, 1);
             m.ClrsR.SetBit(2, 1);
         },
         0},
        {"mode 6 with one colour in the first set",
         [](MUnvP& m) {
             m.Mode = 6;
             m.ClrsL.SetBit(1, 1);
             for (int c : {2, 3, 4})
                 m.ClrsR.SetBit(c, 1);
         },
         6},
        {"mode 6 with two colours each passes",
         [](MUnvP& m) {
             m.Mode = 6;
             for (int c : {1, 2})
                 m.ClrsL.SetBit(c, 1);
             for (int c : {3, 4})
                 m.ClrsR.SetBit(c, 1);
         },
         0},
        {"mode 8 without colours", [](MUnvP& m) { m.Mode = 8; }, 6},
        {"the last failing check decides",
         [](MUnvP& m) {
             m.Dir = 5;
             m.R = -3;
         },
         5},
    });
}

TEST(ModuleKindsValidate, N) {
    RunCases<MUnvN>({
        {"cleared passes", [](MUnvN&) {}, 0},
        {"start and count 0 pass whatever the type", [](MUnvN& m) { m.Type = 2; }, 0},
        {"number 128", [](MUnvN& m) { m.Number = 128; }, 1},
        {"type 3", [](MUnvN& m) { m.Type = 3; }, 2},
        {"counter kind 3",
         [](MUnvN& m) {
             m.Counter.Kind = ckR;
             m.Counter.Value = 1;
         },
         3},
        {"D 10000", [](MUnvN& m) { m.Counter.Value = 10000; }, 4},
        {"D 9999 passes", [](MUnvN& m) { m.Counter.Value = 9999; }, 0},
        {"W 0", [](MUnvN& m) { m.Counter.Kind = ckW; }, 5},
        {"W 256",
         [](MUnvN& m) {
             m.Counter = {ckW, 256};
         },
         5},
        {"X start 0 with a count", [](MUnvN& m) { m.Count = 3; }, 6},
        {"N start 128",
         [](MUnvN& m) {
             m.Type = 2;
             m.Start = 128;
             m.Count = -10;
         },
         7},
        {"X 1990 + 20",
         [](MUnvN& m) {
             m.Start = 1990;
             m.Count = 20;
         },
         8},
        {"X 1990 + 10 passes",
         [](MUnvN& m) {
             m.Start = 1990;
             m.Count = 10;
         },
         0},
        {"X 5 - 5",
         [](MUnvN& m) {
             m.Start = 5;
             m.Count = -5;
         },
         8},
        {"N 100 + 28",
         [](MUnvN& m) {
             m.Type = 2;
             m.Start = 100;
             m.Count = 28;
         },
         9},
        {"N 100 - 99 passes",
         [](MUnvN& m) {
             m.Type = 2;
             m.Start = 100;
             m.Count = -99;
         },
         0},
        {"a huge count does not wrap",
         [](MUnvN& m) {
             m.Start = 2000;
             m.Count = 2147483647;
         },
         8},
    });
}

TEST(ModuleKindsValidate, R) {
    RunCases<MUnvR>({
        {"cleared passes", [](MUnvR&) {}, 0},
        {"number 64", [](MUnvR& m) { m.Number = 64; }, 1},
        {"counter kind 0", [](MUnvR& m) { m.Counter.Kind = 0; }, 2},
        {"D -1", [](MUnvR& m) { m.Counter.Value = -1; }, 3},
        {"W 0", [](MUnvR& m) { m.Counter.Kind = ckW; }, 4},
        {"W 255 passes",
         [](MUnvR& m) {
             m.Counter = {ckW, 255};
         },
         0},
        {"offset -10000", [](MUnvR& m) { m.Offsets[3] = -10000; }, 5},
        {"offsets of 9999 pass", [](MUnvR& m) { m.Offsets = {9999, -9999, 0, 0, 0, 0, 0, 9999}; }, 0},
    });
}

TEST(ModuleKindsValidate, S) {
    RunCases<MUnvS>({
        {"cleared passes", [](MUnvS&) {}, 0},
        {"number 512", [](MUnvS& m) { m.Number = 512; }, 1},
        {"Z range 2000 + 1",
         [](MUnvS& m) {
             m.First = 2000;
             m.Count = 1;
         },
         2},
        {"Z range 5 - 4 passes",
         [](MUnvS& m) {
             m.First = 5;
             m.Count = -4;
         },
         0},
        {"Z range 0 + 3", [](MUnvS& m) { m.Count = 3; }, 2},
        {"cycle 500 + 12",
         [](MUnvS& m) {
             m.Type = 2;
             m.First = 500;
             m.Count = 12;
         },
         3},
        {"cycle 1000",
         [](MUnvS& m) {
             m.Type = 2;
             m.First = 1000;
         },
         3},
        {"Z row 1000 passes", [](MUnvS& m) { m.First = 1000; }, 0},
        {"counter kind 4", [](MUnvS& m) { m.Counter.Kind = 4; }, 4},
        {"D 10000", [](MUnvS& m) { m.Counter.Value = 10000; }, 5},
        {"W 0", [](MUnvS& m) { m.Counter.Kind = ckW; }, 6},
        {"R 64",
         [](MUnvS& m) {
             m.Counter = {ckR, 64};
         },
         7},
        {"R 63 passes",
         [](MUnvS& m) {
             m.Counter = {ckR, 63};
         },
         0},
        {"N range 127 + 1",
         [](MUnvS& m) {
             m.NFirst = 127;
             m.NCount = 1;
         },
         8},
        {"N range 0 - 1", [](MUnvS& m) { m.NCount = -1; }, 8},
        {"P range 250 + 6",
         [](MUnvS& m) {
             m.PFirst = 250;
             m.PCount = 6;
         },
         9},
        {"P range 250 + 5 passes",
         [](MUnvS& m) {
             m.PFirst = 250;
             m.PCount = 5;
         },
         0},
        {"offset 0", [](MUnvS& m) { m.Offset = 0; }, 10},
        {"offset 9", [](MUnvS& m) { m.Offset = 9; }, 10},
        {"the last failing check decides",
         [](MUnvS& m) {
             m.Number = 600;
             m.PFirst = 300;
         },
         9},
    });
}

TEST(ModuleKindsValidate, W) {
    RunCases<MUnvW>({
        {"cleared passes", [](MUnvW&) {}, 0},
        {"number 256", [](MUnvW& m) { m.Number = 256; }, 1},
        {"level -1", [](MUnvW& m) { m.Levels[7] = -1; }, 2},
        {"level 10000", [](MUnvW& m) { m.Levels[0] = 10000; }, 2},
        {"levels of 9999 pass", [](MUnvW& m) { m.Levels.fill(9999); }, 0},
    });
}

TEST(ModuleKindsValidate, FS) {
    RunCases<MUnvFS>({
        {"cleared passes", [](MUnvFS&) {}, 0},
        {"number 64", [](MUnvFS& m) { m.Number = 64; }, 1},
        {"first counter kind 3", [](MUnvFS& m) { m.CountersA[2].Kind = ckR; }, 2},
        {"first counter D 241", [](MUnvFS& m) { m.CountersA[5].Value = 241; }, 3},
        {"first counter D 240 passes", [](MUnvFS& m) { m.CountersA[5].Value = 240; }, 0},
        {"first counter W 0", [](MUnvFS& m) { m.CountersA[0].Kind = ckW; }, 4},
        {"second counter kind 0", [](MUnvFS& m) { m.CountersB[7].Kind = 0; }, 5},
        {"second counter D 241", [](MUnvFS& m) { m.CountersB[1].Value = 241; }, 6},
        {"second counter W 256",
         [](MUnvFS& m) {
             m.CountersB[4] = {ckW, 256};
         },
         7},
        {"beds run in turn: a later bed's first counter decides",
         [](MUnvFS& m) {
             m.CountersB[0] = {ckW, 0};
             m.CountersA[1].Kind = 9;
         },
         2},
    });
}

TEST(ModuleKindsValidate, FD) {
    RunCases<MUnvFD>({
        {"cleared passes", [](MUnvFD&) {}, 0},
        {"number 64", [](MUnvFD& m) { m.Number = 64; }, 1},
        {"bed 3 from 120 + 10",
         [](MUnvFD& m) {
             m.FirstFE[2] = 120;
             m.CountFE[2] = 10;
         },
         2},
        {"bed 3 from 120 + 7 passes",
         [](MUnvFD& m) {
             m.FirstFE[2] = 120;
             m.CountFE[2] = 7;
         },
         0},
        {"first 0 with a count", [](MUnvFD& m) { m.CountFE[7] = 2; }, 2},
        {"first 128",
         [](MUnvFD& m) {
             m.FirstFE[0] = 128;
             m.CountFE[0] = -1;
         },
         2},
    });
}

TEST(ModuleKindsValidate, FE) {
    auto valid = [](MUnvFE& m) {
        m.Difference = -10;
        m.VerticalStep = 10;
        m.HorizontalStep = 2000;
        m.Offset = -2000;
    };
    RunCases<MUnvFE>({
        {"cleared passes", [](MUnvFE&) {}, 0},
        {"number 128", [](MUnvFE& m) { m.Number = 128; }, 1},
        {"difference -10 with step 10 passes", valid, 0},
        {"difference 241",
         [&](MUnvFE& m) {
             valid(m);
             m.Difference = 241;
         },
         2},
        {"vertical step 11",
         [&](MUnvFE& m) {
             valid(m);
             m.VerticalStep = 11;
         },
         3},
        {"vertical step 0",
         [&](MUnvFE& m) {
             valid(m);
             m.VerticalStep = 0;
         },
         3},
        {"only a horizontal step: the later of checks 2 and 3", [](MUnvFE& m) { m.HorizontalStep = 5; }, 3},
        {"horizontal step 2001",
         [&](MUnvFE& m) {
             valid(m);
             m.HorizontalStep = 2001;
         },
         4},
        {"offset 2001",
         [&](MUnvFE& m) {
             valid(m);
             m.Offset = 2001;
         },
         5},
        {"an offset alone is not checked", [](MUnvFE& m) { m.Offset = 5000; }, 0},
        {"start point 3 with all numbers 0", [](MUnvFE& m) { m.StartPoint = 3; }, 6},
        {"start point 2 passes",
         [&](MUnvFE& m) {
             valid(m);
             m.StartPoint = 2;
         },
         0},
        {"the smallest difference does not overflow",
         [&](MUnvFE& m) {
             valid(m);
             m.Difference = -2147483647 - 1;
         },
         2},
    });
}

TEST(ModuleKindsValidate, C) {
    auto areas = [](MUnvC& m, std::initializer_list<std::pair<int, int>> list) {
        std::size_t k = 0;
        for (auto [from, to] : list) {
            m.From[k] = from;
            m.To[k] = to;
            ++k;
        }
    };
    RunCases<MUnvC>({
        {"cleared passes", [](MUnvC&) {}, 0},
        {"number 2 is not checked by the kind", [](MUnvC& m) { m.Number = 2; }, 0},
        {"number 0", [](MUnvC& m) { m.Number = 0; }, -1},
        {"WE 0", [](MUnvC& m) { m.WE = 0; }, 1},
        {"WE 9", [](MUnvC& m) { m.WE = 9; }, 1},
        {"ST 10000", [](MUnvC& m) { m.ST = 10000; }, 2},
        {"WA 0", [](MUnvC& m) { m.WA = 0; }, 3},
        {"TZ 141", [](MUnvC& m) { m.TZ = 141; }, 4},
        {"area from 0 to 50",
         [&](MUnvC& m) {
             areas(m, {{0, 50}});
         },
         5},
        {"area from 100 to 100",
         [&](MUnvC& m) {
             areas(m, {{100, 100}});
         },
         6},
        {"area to 2001",
         [&](MUnvC& m) {
             areas(m, {{1, 2001}});
         },
         7},
        {"areas 1..100 and 201..300 pass",
         [&](MUnvC& m) {
             areas(m, {{1, 100}, {201, 300}});
         },
         0},
        {"areas of different widths",
         [&](MUnvC& m) {
             areas(m, {{1, 100}, {101, 250}});
         },
         24},
        {"overlapping areas",
         [&](MUnvC& m) {
             areas(m, {{1, 100}, {50, 149}});
         },
         25},
        {"overlap between later areas in use",
         [&](MUnvC& m) {
             areas(m, {{0, 0}, {1, 100}, {0, 0}, {100, 199}});
         },
         25},
        {"areas not in use are skipped",
         [&](MUnvC& m) {
             areas(m, {{0, 0}, {11, 20}, {0, 0}, {21, 30}});
         },
         0},
        {"FF 9", [](MUnvC& m) { m.CarrierStarts[4].FF = 9; }, 8},
        {"start position -2001", [](MUnvC& m) { m.CarrierStarts[7].Positions[0] = -2001; }, 9},
        {"left offset 2001", [](MUnvC& m) { m.OffsetTables[3].L[5] = 2001; }, 10},
        {"right offset -2001", [](MUnvC& m) { m.OffsetTables[3].R[5] = -2001; }, 11},
        {"stitch difference 100", [](MUnvC& m) { m.StitchDiff1[6] = 100; }, 12},
        {"second stitch difference -1", [](MUnvC& m) { m.StitchDiff2[1] = -1; }, 13},
        {"rack 1 HV 100", [](MUnvC& m) { m.RackCorrection1[0].HV = 100; }, 14},
        {"rack 1 UV 3", [](MUnvC& m) { m.RackCorrection1[1].UV = 3; }, 15},
        {"rack 1 KORR -1000", [](MUnvC& m) { m.RackCorrection1[2].KORR = -1000; }, 16},
        {"rack 1 DEHN 1000", [](MUnvC& m) { m.RackCorrection1[3].DEHN = 1000; }, 17},
        {"rack 1 GESH 150", [](MUnvC& m) { m.RackCorrection1[4].GESH = 150; }, 18},
        {"rack 1 GESH 5000", [](MUnvC& m) { m.RackCorrection1[7].GESH = 5000; }, 18},
        {"rack GESH 200 and 4999 pass",
         [](MUnvC& m) {
             m.RackCorrection1[0].GESH = 200;
             m.RackCorrection2[0].GESH = 4999;
         },
         0},
        {"rack 2 HV -100", [](MUnvC& m) { m.RackCorrection2[0].HV = -100; }, 19},
        {"rack 2 UV 3", [](MUnvC& m) { m.RackCorrection2[1].UV = 3; }, 20},
        {"rack 2 KORR 1000", [](MUnvC& m) { m.RackCorrection2[2].KORR = 1000; }, 21},
        {"rack 2 DEHN -1000", [](MUnvC& m) { m.RackCorrection2[3].DEHN = -1000; }, 22},
        {"rack 2 GESH 150", [](MUnvC& m) { m.RackCorrection2[4].GESH = 150; }, 23},
        {"rack entries 9..16 are never examined",
         [](MUnvC& m) {
             m.RackCorrection1[11].HV = 500;
             m.RackCorrection2[15].GESH = 1;
         },
         0},
        {"carrier 1 with FT", [](MUnvC& m) { m.CarrierStarts[0].FT = 1; }, 27},
        {"carrier 8 with FT", [](MUnvC& m) { m.CarrierStarts[7].FT = 1; }, 27},
        {"carrier 4 with FT passes", [](MUnvC& m) { m.CarrierStarts[3].FT = 1; }, 0},
        {"later areas decide over earlier entries",
         [&](MUnvC& m) {
             m.RackCorrection2[6].UV = 4;
             areas(m, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 10}});
         },
         5},
        {"an earlier entry is replaced by a later area's check",
         [&](MUnvC& m) {
             m.RackCorrection2[0].UV = 4;
             areas(m, {{0, 0}, {5, 2}});
         },
         6},
    });
}

// ---- The range helpers of an S line.

TEST(ModuleKinds, SRangeHelpers) {
    struct Row {
        int First, Count, Current, Next;
    };
    const Row rows[] = {
        {5, -4, 5, 4},
        {5, -4, 2, 1},
        {5, -4, 1, -1},
        {5, 3, 5, 6},
        {5, 3, 7, 8},
        {5, 3, 8, -1},
        {5, 0, 5, -1},
        {0, 0, 0, -1},
        {1, 2147483646, 2147483647, -1},
        {-5, -2147483643, -2147483647 - 1, -1},
        {2147483647, 5, 2147483647, -1},
        {-2147483647 - 1, -5, -2147483647 - 1, -1},
    };
    for (const Row& r : rows) {
        MUnvS s;
        s.First = r.First;
        s.Count = r.Count;
        EXPECT_EQ(s.NextInRange(r.Current), r.Next) << r.First << " " << r.Count << " " << r.Current;
    }
    MUnvS s;
    EXPECT_TRUE(s.RangeIsEmpty());
    s.Count = 1;
    EXPECT_FALSE(s.RangeIsEmpty());
    s.Count = 0;
    s.First = 1;
    EXPECT_FALSE(s.RangeIsEmpty());
}
