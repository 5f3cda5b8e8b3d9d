#include "model/UCamCodes.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UunvZ.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <functional>

namespace {
std::unique_ptr<MUnvZ> Row(int Number = 1) {
    auto z = std::make_unique<MUnvZ>();
    z->Number = Number;
    return z;
}

// The subcode of the validation error, 0 when the row is valid.
int SubCodeOf(const MUnvZ& z) {
    try {
        z.Validate();
        return 0;
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, e.SubCode == 1 && z.Number < 1 ? 5011 : 5014);
        return e.SubCode;
    }
}

using Edit = std::function<void(MUnvZ&)>;

// One edit of every kind field, each making the row differ from a cleared one.
const std::vector<std::pair<const char*, Edit>>& KindEdits() {
    static const std::vector<std::pair<const char*, Edit>> edits = {
        {"carrier", [](MUnvZ& z) { z.Carriers[2].SetBit(5, 1); }},
        {"carrier offset", [](MUnvZ& z) { z.Carriers[3].Value = 4; }},
        {"LG", [](MUnvZ& z) { z.LG[7].SetBit(31, 1); }},
        {"KNF", [](MUnvZ& z) { z.KNF[0].SetBit(0, 1); }},
        {"PatternLine", [](MUnvZ& z) { z.PatternLine[4] = 12; }},
        {"Tying", [](MUnvZ& z) { z.Tying[1] = 2; }},
        {"CamCode", [](MUnvZ& z) { z.CamCode[6] = camA; }},
        {"BlowerCleaning", [](MUnvZ& z) { z.BlowerCleaning = 1; }},
        {"Unipress", [](MUnvZ& z) { z.Unipress[3] = 1; }},
        {"NetRear", [](MUnvZ& z) { z.NetRear[1] = 64; }},
        {"NetRearFront", [](MUnvZ& z) { z.NetRearFront[2] = 1; }},
        {"PR", [](MUnvZ& z) { z.PR = -3; }},
        {"JV", [](MUnvZ& z) { z.JV = 2; }},
        {"Racking position", [](MUnvZ& z) { z.Racking[1].Position = -4; }},
        {"Racking transfer", [](MUnvZ& z) { z.Racking[0].Transfer = 3; }},
        {"Racking correction", [](MUnvZ& z) { z.Racking[1].Correction = 1; }},
        {"FSFront", [](MUnvZ& z) { z.FSFront = 3; }},
        {"FSRear", [](MUnvZ& z) { z.FSRear = 4; }},
        {"FD", [](MUnvZ& z) { z.FD = 5; }},
        {"FDMirror", [](MUnvZ& z) { z.FDMirror = 128; }},
        {"FDColors", [](MUnvZ& z) { z.FDColors.SetBit(9, 1); }},
        {"WA1 value", [](MUnvZ& z) { z.WA1.Value = 50; }},
        {"WA1 mode", [](MUnvZ& z) { z.WA1.Mode = 1; }},
        {"WA2 value", [](MUnvZ& z) { z.WA2.Value = 1; }},
        {"WA2 step", [](MUnvZ& z) { z.WA2.Step = 1; }},
        {"WA2 mode", [](MUnvZ& z) { z.WA2.Mode = 1; }},
        {"PB mode", [](MUnvZ& z) { z.PB.Mode = 1; }},
        {"PB value", [](MUnvZ& z) { z.PB.Value = -100; }},
        {"TZ", [](MUnvZ& z) { z.TZ = 100; }},
        {"PA", [](MUnvZ& z) { z.PA = 1; }},
        {"ST", [](MUnvZ& z) { z.ST = 1; }},
    };
    return edits;
}
} // namespace

TEST(MUnvZ, ClearRestoresTheDefaultsAndKeepsTheNumber) {
    auto z = Row(17);
    for (const auto& [name, edit] : KindEdits())
        edit(*z);
    z->SubRecords = {4, 3, 2, 1};
    z->SubRecords2.fill(9);
    z->OwnRecord.fill(0);
    z->OwnRecord2.fill(0);
    z->CamFamily = 3;
    z->Clear();
    EXPECT_EQ(z->Number, 17);
    EXPECT_TRUE(z->Equals(MUnvZ()));
    EXPECT_EQ(z->SubRecords, (std::array<std::int32_t, 4>{}));
    EXPECT_EQ(z->SubRecords2, (std::array<std::int32_t, 8>{}));
    EXPECT_EQ(z->OwnRecord, (std::array<std::uint8_t, 4>{1, 1, 1, 1}));
    EXPECT_EQ(z->OwnRecord2, (std::array<std::uint8_t, 8>{1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(z->CamFamily, 0);
    for (const MffMap& c : z->Carriers)
        EXPECT_EQ(c.Value, 0);
}

TEST(MUnvZ, EqualsComparesEveryKindFieldButNotTheFileLinks) {
    MUnvZ blank;
    for (const auto& [name, edit] : KindEdits()) {
        auto z = Row(blank.Number);
        edit(*z);
        EXPECT_FALSE(z->Equals(blank)) << name;
        EXPECT_FALSE(blank.Equals(*z)) << name;
    }
    const std::vector<std::pair<const char*, Edit>> ignored = {
        {"SubRecords", [](MUnvZ& z) { z.SubRecords[2] = 5; }},
        {"SubRecords2", [](MUnvZ& z) { z.SubRecords2[7] = 5; }},
        {"OwnRecord", [](MUnvZ& z) { z.OwnRecord[0] = 0; }},
        {"OwnRecord2", [](MUnvZ& z) { z.OwnRecord2[3] = 0; }},
        {"CamFamily", [](MUnvZ& z) { z.CamFamily = 2; }},
        {"number and marks",
         [](MUnvZ& z) {
             z.Number = 99;
             z.Marks.Selected = 1;
             z.Tag = 1;
         }},
    };
    for (const auto& [name, edit] : ignored) {
        MUnvZ z;
        edit(z);
        EXPECT_TRUE(z.Equals(blank)) << name;
    }
}

TEST(MUnvZ, AssignCopiesEverythingAndOwnsItsSets) {
    auto src = Row(8);
    for (const auto& [name, edit] : KindEdits())
        edit(*src);
    src->SubRecords = {1, 2, 3, 4};
    src->SubRecords2 = {1, 2, 3, 4, 5, 6, 7, 8};
    src->OwnRecord = {0, 1, 0, 1};
    src->OwnRecord2 = {0, 0, 1, 1, 0, 0, 1, 1};
    src->CamFamily = 3;

    std::unique_ptr<MUnvBase> copy = src->Clone();
    auto& z = dynamic_cast<MUnvZ&>(*copy);
    EXPECT_TRUE(z.Equals(*src));
    EXPECT_EQ(z.Number, 8);
    EXPECT_EQ(z.SubRecords, src->SubRecords);
    EXPECT_EQ(z.SubRecords2, src->SubRecords2);
    EXPECT_EQ(z.OwnRecord, src->OwnRecord);
    EXPECT_EQ(z.OwnRecord2, src->OwnRecord2);
    EXPECT_EQ(z.CamFamily, 3);
    EXPECT_EQ(z.Carriers[3].Value, 4);

    src->LG[7].Clear();
    src->Carriers[2].Clear();
    src->FDColors.Clear();
    EXPECT_TRUE(z.LG[7].IsSet(31));
    EXPECT_TRUE(z.Carriers[2].IsSet(5));
    EXPECT_TRUE(z.FDColors.IsSet(9));

    EXPECT_EQ(z.ListKind(), lkZ);
    EXPECT_NE(dynamic_cast<MUnvZ*>(z.CreateNew().get()), nullptr);
}

TEST(MUnvZ, AssignFromAnotherKindIsRefused) {
    MUnvBase other;
    auto z = Row(3);
    z->PR = 7;
    try {
        z->Assign(other);
        ADD_FAILURE() << "copied from another kind";
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, 5011);
        EXPECT_EQ(e.SubCode, 3);
    }
    EXPECT_EQ(z->PR, 7);
    EXPECT_FALSE(z->Equals(other));
}

TEST(MUnvZValidate, EachRangeCheckHasItsSubcode) {
    const struct {
        const char* Name;
        Edit Bad;
        Edit Good; // the edge that still passes
        int SubCode;
    } cases[] = {
        {"number", [](MUnvZ& z) { z.Number = 2001; }, [](MUnvZ& z) { z.Number = 2000; }, 1},
        {"pattern line high", [](MUnvZ& z) { z.PatternLine[7] = 1000; },
         [](MUnvZ& z) { z.PatternLine[7] = 999; }, 2},
        {"pattern line low", [](MUnvZ& z) { z.PatternLine[0] = -1; }, [](MUnvZ& z) { z.PatternLine[0] = 0; },
         2},
        {"tying", [](MUnvZ& z) { z.Tying[3] = 3; }, [](MUnvZ& z) { z.Tying[3] = 2; }, 3},
        {"blower", [](MUnvZ& z) { z.BlowerCleaning = 2; }, [](MUnvZ& z) { z.BlowerCleaning = 1; }, 4},
        {"unipress", [](MUnvZ& z) { z.Unipress[2] = 2; }, [](MUnvZ& z) { z.Unipress[2] = 1; }, 5},
        {"net rear front", [](MUnvZ& z) { z.NetRearFront[3] = 2; }, [](MUnvZ& z) { z.NetRearFront[3] = 1; },
         6},
        {"PR high", [](MUnvZ& z) { z.PR = 101; }, [](MUnvZ& z) { z.PR = 100; }, 7},
        {"PR low", [](MUnvZ& z) { z.PR = -101; }, [](MUnvZ& z) { z.PR = -100; }, 7},
        {"JV", [](MUnvZ& z) { z.JV = 3; }, [](MUnvZ& z) { z.JV = 2; }, 8},
        {"centre transfer", [](MUnvZ& z) { z.Racking[1].Transfer = 4; },
         [](MUnvZ& z) { z.Racking[1].Transfer = 3; }, 9},
        {"main correction", [](MUnvZ& z) { z.Racking[0].Correction = 3; },
         [](MUnvZ& z) { z.Racking[0].Correction = 2; }, 10},
        {"FS front", [](MUnvZ& z) { z.FSFront = 64; }, [](MUnvZ& z) { z.FSFront = 63; }, 11},
        {"FS rear", [](MUnvZ& z) { z.FSRear = 64; }, [](MUnvZ& z) { z.FSRear = 63; }, 11},
        {"FD", [](MUnvZ& z) { z.FD = 64; }, [](MUnvZ& z) { z.FD = 63; }, 12},
        {"WA1 value", [](MUnvZ& z) { z.WA1.Value = -101; }, [](MUnvZ& z) { z.WA1.Value = -100; }, 13},
        {"WA1 mode", [](MUnvZ& z) { z.WA1.Mode = 2; }, [](MUnvZ& z) { z.WA1.Mode = 1; }, 14},
        {"WA2 value", [](MUnvZ& z) { z.WA2.Value = 101; }, [](MUnvZ& z) { z.WA2.Value = 100; }, 15},
        {"WA2 mode", [](MUnvZ& z) { z.WA2.Mode = 2; }, [](MUnvZ& z) { z.WA2.Mode = 1; }, 16},
        {"WA2 step", [](MUnvZ& z) { z.WA2.Step = 4; },
         [](MUnvZ& z) {
             z.WA2.Step = 1;
             z.WA2.Value = -3;
         },
         17},
        {"WA2 step R needs a value", [](MUnvZ& z) { z.WA2.Step = 1; },
         [](MUnvZ& z) {
             z.WA2.Step = 0;
             z.WA2.Value = 0;
         },
         17},
        {"WA2 step needs value 1",
         [](MUnvZ& z) {
             z.WA2.Step = 2;
             z.WA2.Value = 5;
         },
         [](MUnvZ& z) {
             z.WA2.Step = 3;
             z.WA2.Value = 1;
         },
         17},
        {"PB mode", [](MUnvZ& z) { z.PB.Mode = 2; }, [](MUnvZ& z) { z.PB.Mode = 1; }, 18},
        {"PB value", [](MUnvZ& z) { z.PB.Value = 101; }, [](MUnvZ& z) { z.PB.Value = 100; }, 19},
        {"TZ", [](MUnvZ& z) { z.TZ = 101; }, [](MUnvZ& z) { z.TZ = 100; }, 20},
        {"PA", [](MUnvZ& z) { z.PA = 3; }, [](MUnvZ& z) { z.PA = 2; }, 21},
        {"ST", [](MUnvZ& z) { z.ST = 2; }, [](MUnvZ& z) { z.ST = 1; }, 22},
    };
    for (const auto& c : cases) {
        auto bad = Row(12);
        c.Bad(*bad);
        EXPECT_EQ(SubCodeOf(*bad), c.SubCode) << c.Name;
        auto good = Row(12);
        c.Good(*good);
        EXPECT_EQ(SubCodeOf(*good), 0) << c.Name;
    }
}

TEST(MUnvZValidate, ReportsTheNumberAndTheLastFailingCheck) {
    auto z = Row(0);
    z->TZ = 200;
    EXPECT_EQ(SubCodeOf(*z), 1); // the base check comes first
    z->Number = 1234;
    try {
        z->Validate();
        ADD_FAILURE();
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, 5014);
        EXPECT_EQ(e.SubCode, 20);
        EXPECT_EQ(e.Args, QStringLiteral("1234"));
    }
    // The FS front number is checked with the main racking, before the centre racking.
    z = Row(5);
    z->FSFront = 70;
    z->Racking[1].Transfer = 9;
    EXPECT_EQ(SubCodeOf(*z), 9);
    z->FSRear = 70;
    EXPECT_EQ(SubCodeOf(*z), 11);
    // Pattern line and tying alternate slot by slot.
    z = Row(5);
    z->Tying[0] = 7;
    z->PatternLine[1] = 5000;
    EXPECT_EQ(SubCodeOf(*z), 2);
    z->Tying[1] = 7;
    EXPECT_EQ(SubCodeOf(*z), 3);
    // The per-system flags alternate system by system.
    z = Row(5);
    z->NetRearFront[0] = 3;
    z->Unipress[1] = 3;
    EXPECT_EQ(SubCodeOf(*z), 5);
    // Validation changes nothing.
    const auto before = z->Clone();
    SubCodeOf(*z);
    EXPECT_TRUE(before->Equals(*z));
}

TEST(MUnvZValidate, FrontAndRearCamsOfASystemMustPair) {
    const struct {
        int Front, Rear;
        bool Valid;
    } cases[] = {
        {camNone, camNone, true}, {camJU, camJN, true},      {camJN, camJU, true},   {camJU, camNone, false},
        {camNone, camJN, false},  {camJUJN, camJUJN, true},  {camJU, camJU, false},  {camJN, camNA, false},
        {camJR, camNone, true},   {camJR, camJF, true},      {camRR, camA, true},    {camJU, camRR, false},
        {camJURR, camJNRR, true}, {camJURR, camJURR, false}, {camJUNA, camJU, true}, {camJA, camJR, true},
    };
    for (int system = 0; system < ZSystems; ++system)
        for (const auto& c : cases) {
            auto z = Row(3);
            z->CamCode[2 * system] = std::uint8_t(c.Front);
            z->CamCode[2 * system + 1] = std::uint8_t(c.Rear);
            for (int slot : {2 * system, 2 * system + 1}) {
                // Colours that satisfy the colour check of every cam.
                z->LG[slot].SetBit(1, 1);
                z->KNF[slot].SetBit(2, 1);
            }
            EXPECT_EQ(SubCodeOf(*z), c.Valid ? 0 : 23)
                << "system " << system << ": " << CamCodeName(c.Front).toStdString() << "/"
                << CamCodeName(c.Rear).toStdString();
        }
}

TEST(MUnvZValidate, CamsNeedTheirColours) {
    enum { none = 0, lg = 1, knf = 2, both = 3, shared = 4 };
    const struct {
        int Cam, Colours, Tying;
        bool Valid;
    } cases[] = {
        {camJR, none, 0, false},     {camJR, lg, 0, true},        {camJR, knf, 0, false},
        {camJU, lg, 0, true},        {camJUNA, knf, 0, false},    {camJF, knf, 0, true},
        {camJF, lg, 0, false},       {camJN, knf, 0, true},       {camJFK, lg, 0, false},
        {camJRK, knf, 0, true},      {camJUJN, lg, 0, false},     {camJUJN, both, 0, true},
        {camJRJF, knf, 0, false},    {camJRLK, both, 0, true},    {camJRFK, lg, 0, false},
        {camJRFK, both, 0, true},    {camJRFK, none, 1, true},    {camJRFK, shared, 1, false},
        {camJUJN, shared, 0, false}, {camJRJF, shared, 0, false}, {camJRLK, shared, 0, false},
        {camJR, shared, 0, true},    {camJA, none, 0, true},      {camNA, none, 0, true},
        {camRR, none, 0, true},
    };
    for (const auto& c : cases) {
        auto z = Row(9);
        // Slot 5 is the rear bed of system 2; its front carries a cam of the same pairing kind.
        z->CamCode[5] = std::uint8_t(c.Cam);
        const int v = CamCodeVariant(c.Cam);
        z->CamCode[4] = std::uint8_t(v == 1 ? camJN : v == 2 ? camJU : v == 3 ? camJUJN : camNone);
        z->LG[4].SetBit(0, 1);
        z->KNF[4].SetBit(1, 1);
        if (c.Colours & lg)
            z->LG[5].SetBit(3, 1);
        if (c.Colours & knf)
            z->KNF[5].SetBit(4, 1);
        if (c.Colours == shared) {
            z->LG[5].SetBit(6, 1);
            z->KNF[5].SetBit(6, 1);
            z->KNF[5].SetBit(7, 1);
        }
        z->Tying[5] = std::uint8_t(c.Tying);
        EXPECT_EQ(SubCodeOf(*z), c.Valid ? 0 : 24)
            << CamCodeName(c.Cam).toStdString() << " colours " << c.Colours << " tying " << c.Tying;
    }
}

TEST(MUnvZValidate, TheColourCheckStopsAtTheFirstCamAfterAFailure) {
    // Slot 0 is fine, slot 2 lacks its colours.
    auto z = Row(4);
    z->CamCode[0] = camJR;
    z->LG[0].SetBit(0, 1);
    z->CamCode[2] = camJR;
    EXPECT_EQ(SubCodeOf(*z), 24);
    // After an earlier failure only the first slot holding a cam is looked at.
    z->TZ = 150;
    EXPECT_EQ(SubCodeOf(*z), 20);
    // ... and when that one fails, its subcode wins.
    z->LG[0].Clear();
    EXPECT_EQ(SubCodeOf(*z), 24);
    // A failing pairing check is such an earlier failure.
    z = Row(4);
    z->CamCode[0] = camJU;
    z->LG[0].SetBit(0, 1);
    z->CamCode[7] = camJF;
    EXPECT_EQ(SubCodeOf(*z), 23);
}

TEST(MUnvZ, ShiftPatternLineMovesOnlyDraftLinesAndClamps) {
    const struct {
        int Before, Delta, After;
    } cases[] = {
        {0, 5, 0},     {7, 5, 7},       {10, 500, 10}, {11, 5, 16},           {1998, 5, 1999},
        {15, -20, 11}, {500, -489, 11}, {12, 0, 12},   {11, INT32_MAX, 1999}, {1999, INT32_MIN, 11},
        {-5, 100, -5},
    };
    for (const auto& c : cases) {
        MUnvZ z;
        z.PatternLine[3] = c.Before;
        z.ShiftPatternLine(c.Delta);
        EXPECT_EQ(z.PatternLine[3], c.After) << c.Before << " + " << c.Delta;
    }
    // A line shifted above 999 no longer validates.
    auto z = Row(2);
    z->PatternLine = {1, 2, 3, 11, 0, 990, 0, 0};
    z->ShiftPatternLine(20);
    EXPECT_EQ(z->PatternLine, (std::array<std::int32_t, 8>{1, 2, 3, 31, 0, 1010, 0, 0}));
    EXPECT_EQ(SubCodeOf(*z), 2);
}

TEST(MUnvZ, MirrorExchangesSystemsEndForEnd) {
    // Marks system s with values derived from s so that the mirrored row can be read back.
    auto fill = [](MUnvZ& z) {
        for (int s = 0; s < ZSystems; ++s) {
            z.Carriers[s].SetBit(s, 1);
            z.Carriers[s].Value = std::uint8_t(s + 1);
            for (int bed = 0; bed < 2; ++bed) {
                const int slot = 2 * s + bed;
                z.LG[slot].SetBit(slot, 1);
                z.KNF[slot].SetBit(20 + slot, 1);
                z.PatternLine[slot] = 100 + slot;
                z.Tying[slot] = std::uint8_t(slot % 3);
                z.CamCode[slot] = std::uint8_t(1 + slot);
            }
            z.Unipress[s] = std::uint8_t(s & 1);
            z.NetRear[s] = std::uint8_t(11 + s);
            z.NetRearFront[s] = std::uint8_t(s >= 2);
        }
        z.PR = 33;
        z.Racking[0].Position = 5;
    };
    auto systemOf = [](const MUnvZ& z, int s) { return z.Carriers[s].First(); };
    auto expectSystem = [](const MUnvZ& z, int at, int from) {
        EXPECT_EQ(z.Carriers[at].First(), from);
        EXPECT_EQ(z.Carriers[at].Value, from + 1);
        for (int bed = 0; bed < 2; ++bed) {
            const int slot = 2 * at + bed, orig = 2 * from + bed;
            EXPECT_TRUE(z.LG[slot].IsSet(orig));
            EXPECT_TRUE(z.KNF[slot].IsSet(20 + orig));
            EXPECT_EQ(z.PatternLine[slot], 100 + orig);
            EXPECT_EQ(z.Tying[slot], orig % 3);
            EXPECT_EQ(z.CamCode[slot], 1 + orig);
        }
        EXPECT_EQ(z.Unipress[at], from & 1);
        EXPECT_EQ(z.NetRear[at], 11 + from);
        EXPECT_EQ(z.NetRearFront[at], from >= 2 ? 1 : 0);
    };
    const struct {
        int Systems;
        std::array<int, 4> Order;
    } cases[] = {
        {1, {0, 1, 2, 3}}, {2, {1, 0, 2, 3}}, {4, {3, 2, 1, 0}}, {0, {0, 1, 2, 3}}, {8, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Systems);
        MUnvZ z;
        fill(z);
        z.Mirror(c.Systems);
        for (int s = 0; s < ZSystems; ++s) {
            EXPECT_EQ(systemOf(z, s), c.Order[s]);
            expectSystem(z, s, c.Order[s]);
        }
        EXPECT_EQ(z.PR, 33);
        EXPECT_EQ(z.Racking[0].Position, 5);
    }
    // Carriers 1 and 2 of system 0 change places with carrier 3 of system 1.
    MUnvZ z;
    z.Carriers[0].SetBit(0, 1);
    z.Carriers[0].SetBit(1, 1);
    z.Carriers[1].SetBit(2, 1);
    z.Mirror(2);
    EXPECT_EQ(z.Carriers[0].GetByte(), 0b100);
    EXPECT_EQ(z.Carriers[1].GetByte(), 0b011);
    // Mirroring twice gives the row back.
    MUnvZ once;
    fill(once);
    MUnvZ twice;
    twice.Assign(once);
    twice.Mirror(4);
    EXPECT_FALSE(twice.Equals(once));
    twice.Mirror(4);
    EXPECT_TRUE(twice.Equals(once));
}

TEST(MUnvZ, NetRearChoicesAndCodes) {
    const int codes[20] = {0, 64, 11, 12, 13, 21, 22, 23, 31, 32, 33, 41, 42, 43, 51, 52, 53, 61, 62, 63};
    for (int index = 0; index < 20; ++index) {
        MUnvZ z;
        z.NetRear[2] = 99;
        z.SetNetRear(2, index);
        EXPECT_EQ(z.NetRear[2], codes[index]) << index;
        EXPECT_EQ(z.GetNetRear(2), index) << index;
    }
    MUnvZ z;
    z.NetRear = {21, 21, 21, 21};
    for (auto [system, index] : {std::pair{0, 20}, {0, -1}, {4, 3}, {-1, 3}})
        z.SetNetRear(system, index);
    EXPECT_EQ(z.NetRear, (std::array<std::uint8_t, 4>{21, 21, 21, 21}));
    EXPECT_EQ(z.GetNetRear(0), 5);
    EXPECT_EQ(z.GetNetRear(4), 0);
    EXPECT_EQ(z.GetNetRear(-1), 0);
    // Codes no choice stands for show as "off" and stay as they are.
    for (int code : {70, 10, 17, 20, 24, 30, 65, 1, 255}) {
        z.NetRear[1] = std::uint8_t(code);
        EXPECT_EQ(z.GetNetRear(1), 0) << code;
        EXPECT_EQ(z.NetRear[1], code);
    }
}

TEST(MUnvZ, PrepareFileLinksMarksTheSubRecordsThatHoldData) {
    MUnvZ blank;
    blank.SubRecords2.fill(7);
    blank.PrepareFileLinks();
    EXPECT_EQ(blank.SubRecords, (std::array<std::int32_t, 4>{1, 0, 0, 0}));
    EXPECT_EQ(blank.SubRecords2, (std::array<std::int32_t, 8>{}));
    EXPECT_EQ(blank.OwnRecord, (std::array<std::uint8_t, 4>{1, 0, 0, 0}));
    EXPECT_EQ(blank.OwnRecord2, (std::array<std::uint8_t, 8>{}));

    // Each edit and the first-level (F) or second-level (S) entry it needs.
    const struct {
        const char* Name;
        bool First;
        int Entry;
        int Value;
        Edit Change;
    } cases[] = {
        {"pattern line", true, 1, 1, [](MUnvZ& z) { z.PatternLine[7] = 3; }},
        {"KNF", true, 2, 1, [](MUnvZ& z) { z.KNF[3].SetBit(2, 1); }},
        {"LG", true, 3, 1, [](MUnvZ& z) { z.LG[6].SetBit(2, 1); }},
        {"cam", false, 0, 1, [](MUnvZ& z) { z.CamCode[1] = camA; }},
        {"carrier", false, 1, 1, [](MUnvZ& z) { z.Carriers[3].SetBit(7, 1); }},
        {"carrier offset", false, 1, 1, [](MUnvZ& z) { z.Carriers[1].Value = 3; }},
        {"FS front", false, 2, 17, [](MUnvZ& z) { z.FSFront = 17; }},
        {"FS rear", false, 3, 18, [](MUnvZ& z) { z.FSRear = 18; }},
        {"FD", false, 4, 19, [](MUnvZ& z) { z.FD = 19; }},
        {"racking", false, 5, 1, [](MUnvZ& z) { z.Racking[1].Correction = 1; }},
        {"WA2 step", false, 6, 1, [](MUnvZ& z) { z.WA2.Step = 1; }},
        {"WA2 mode", false, 6, 1, [](MUnvZ& z) { z.WA2.Mode = 1; }},
        {"WA2 value", false, 6, 1, [](MUnvZ& z) { z.WA2.Value = -1; }},
        {"PB", false, 6, 1, [](MUnvZ& z) { z.PB.Mode = 1; }},
        {"TZ", false, 6, 1, [](MUnvZ& z) { z.TZ = 1; }},
        {"blower", false, 6, 1, [](MUnvZ& z) { z.BlowerCleaning = 1; }},
        {"unipress", false, 6, 1, [](MUnvZ& z) { z.Unipress[3] = 1; }},
        {"tying", false, 6, 1, [](MUnvZ& z) { z.Tying[7] = 1; }},
        {"ST", false, 6, 1, [](MUnvZ& z) { z.ST = 1; }},
        {"JV", false, 7, 1, [](MUnvZ& z) { z.JV = 1; }},
        {"FD mirror", false, 7, 1, [](MUnvZ& z) { z.FDMirror = 64; }},
        {"FD colours", false, 7, 1, [](MUnvZ& z) { z.FDColors.SetBit(30, 1); }},
        {"net rear front", false, 7, 1, [](MUnvZ& z) { z.NetRearFront[0] = 1; }},
        {"net rear", false, 7, 1, [](MUnvZ& z) { z.NetRear[2] = 64; }},
        {"PA", false, 7, 1, [](MUnvZ& z) { z.PA = 2; }},
        {"PR", false, 7, 1, [](MUnvZ& z) { z.PR = -1; }},
        {"WA1", false, 7, 1, [](MUnvZ& z) { z.WA1.Mode = 1; }},
    };
    for (const auto& c : cases) {
        MUnvZ z;
        c.Change(z);
        z.PrepareFileLinks();
        std::array<std::int32_t, 4> first{1, 0, 0, 0};
        std::array<std::int32_t, 8> second{};
        (c.First ? first[std::size_t(c.Entry)] : second[std::size_t(c.Entry)]) = c.Value;
        EXPECT_EQ(z.SubRecords, first) << c.Name;
        EXPECT_EQ(z.SubRecords2, second) << c.Name;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(z.OwnRecord[k], first[k] != 0) << c.Name;
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(z.OwnRecord2[k], second[k] != 0) << c.Name;
    }
}

TEST(MUnvZ, SameSubRecordSharesEqualRecords) {
    MUnvZ a, b;
    for (MUnvZ* z : {&a, &b}) {
        z->CamCode[0] = camJR;
        z->LG[0].SetBit(4, 1);
        z->PatternLine[0] = 20;
        z->TZ = 50;
    }
    a.PR = 5;
    a.Carriers[0].SetBit(0, 1);
    a.PrepareFileLinks();
    b.PrepareFileLinks();
    b.SubRecords = {11, 12, 13, 14};
    b.SubRecords2 = {21, 22, 23, 24, 25, 26, 27, 28};

    // Second level: equal cams and settings are shared, differing ones are kept.
    const auto before = a.SubRecords2;
    EXPECT_TRUE(a.SameSubRecord(b, false, 0));
    EXPECT_FALSE(a.SameSubRecord(b, false, 1));
    EXPECT_TRUE(a.SameSubRecord(b, false, 5));
    EXPECT_TRUE(a.SameSubRecord(b, false, 6));
    EXPECT_FALSE(a.SameSubRecord(b, false, 7));
    for (int i : {2, 3, 4, 8, -1})
        EXPECT_TRUE(a.SameSubRecord(b, false, i)) << i;
    EXPECT_EQ(a.SubRecords2, (std::array<std::int32_t, 8>{21, before[1], before[2], before[3], before[4], 26,
                                                          27, before[7]}));
    EXPECT_EQ(a.OwnRecord2, (std::array<std::uint8_t, 8>{0, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(before, (std::array<std::int32_t, 8>{1, 1, 0, 0, 0, 0, 1, 1}));

    // Group 6 also compares the tyings, group 7 the net rear codes and flags.
    MUnvZ c;
    c.Assign(b);
    c.Tying[6] = 1;
    c.NetRearFront[3] = 1;
    EXPECT_FALSE(c.SameSubRecord(b, false, 6));
    EXPECT_FALSE(c.SameSubRecord(b, false, 7));

    // First level: pattern lines, and colour sets matched against either kind of the other row.
    EXPECT_TRUE(a.SameSubRecord(b, true, 1));
    EXPECT_EQ(a.SubRecords[1], 12);
    EXPECT_EQ(a.OwnRecord[1], 0);
    EXPECT_FALSE(a.SameSubRecord(b, true, 0));
    EXPECT_EQ(a.OwnRecord[0], 1);
    EXPECT_TRUE(a.SameSubRecord(b, true, 3));
    EXPECT_EQ(a.SubRecords[3], 14);

    MUnvZ d;
    d.KNF[0].SetBit(4, 1); // d's KNF sets are b's LG sets
    d.PrepareFileLinks();
    EXPECT_TRUE(d.SameSubRecord(b, true, 2));
    EXPECT_EQ(d.SubRecords[2], 14);
    EXPECT_EQ(d.OwnRecord[2], 0);
    MUnvZ e;
    e.LG[1].SetBit(4, 1);
    e.PrepareFileLinks();
    EXPECT_FALSE(e.SameSubRecord(b, true, 3));
    EXPECT_EQ(e.SubRecords[3], 1);
    EXPECT_EQ(e.OwnRecord[3], 1);
    EXPECT_TRUE(e.SameSubRecord(b, true, 2)); // both KNF empty
    EXPECT_TRUE(e.SameSubRecord(b, true, 4));
}

TEST(MUnvZ, ListingOfAClearedRow) {
    auto z = Row(5);
    const QString rule(68, '-');
    const QString zeros32(32, '0');
    const QString crlf = QStringLiteral("\r\n");
    QString expected = rule + crlf + "Z0005" + QString(22, '-') + crlf + rule + crlf;
    expected += "FF: " + QString("(0)00000000  ").repeated(4) + crlf;
    for (const char* caption : {"LG: ", "KNF: "})
        expected += caption + crlf + QString(zeros32 + "  ").repeated(3) + crlf +
                    QString(zeros32 + "  ").repeated(5) + crlf;
    expected += "ZT: " + QString("( )0000  ").repeated(8) + crlf;
    expected += "CAMS: " + QString(7, ' ').repeated(8) + crlf;
    expected += "LINE 9: " + crlf + QString(6, ' ') + QString("( )( )000 ").repeated(4) + crlf;
    expected += "HUV: " + crlf + QString("HV:+00 UV:   K:     ").repeated(2) + crlf;
    expected += "FS front:00FS rear:00  " + crlf;
    expected += "FD00( ) clrs:" + zeros32 + crlf;
    expected += "WA: " + crlf + "WA1:( )+000  WA2:( )( )+000  " + crlf;
    expected += "PR:+000  JV:   PA:   PB:( )+000  TZ:+000  ST:Off";
    EXPECT_EQ(z->ListingLine(), expected);
    EXPECT_EQ(z->Label(4, 740), QString());
}

TEST(MUnvZ, ListingShowsSystemsAndSlotsFromTheLast) {
    auto z = Row(1999);
    z->Carriers[0].SetBit(0, 1);
    z->Carriers[0].SetBit(2, 1);
    z->Carriers[0].Value = 2;
    z->Carriers[3].SetBit(7, 1);
    z->LG[7].SetBit(0, 1);
    z->KNF[0].SetBit(31, 1);
    z->Tying[7] = 1;
    z->Tying[0] = 2;
    z->PatternLine[7] = 12;
    z->PatternLine[1] = 999;
    z->CamCode[7] = camJRFK;
    z->CamCode[0] = camJU21;
    z->CamCode[1] = 200; // a code no cam has shows blank
    z->BlowerCleaning = 1;
    z->Unipress[3] = 1;
    z->NetRearFront[0] = 1;
    z->NetRear[0] = 64;
    z->NetRear[3] = 11;
    z->Racking[0] = {-5, 2, 1};
    z->Racking[1] = {12, 1, 2};
    z->FSFront = 3;
    z->FSRear = 63;
    z->FD = 7;
    z->FDMirror = 64;
    z->FDColors.SetBit(1, 1);
    z->WA1 = {-100, 1};
    z->WA2 = {1, 3, 0};
    z->PR = 5;
    z->JV = 2;
    z->PA = 1;
    z->PB = {1, -7};
    z->TZ = 100;
    z->ST = 1;
    const QStringList lines = z->ListingLine().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 21);
    EXPECT_EQ(lines[1], "Z1999" + QString(22, '-'));
    EXPECT_EQ(lines[3], "FF: (0)00000001  (0)00000000  (0)00000000  (2)10100000  ");
    EXPECT_EQ(lines[5].left(34), "1" + QString(31, '0') + "  ");
    EXPECT_EQ(lines[9].right(34), QString(31, '0') + "1  ");
    EXPECT_EQ(lines[10], "ZT: (^)0012  " + QString("( )0000  ").repeated(5) + "( )0999  (v)0000  ");
    EXPECT_EQ(lines[11], "CAMS: JR+FK  " + QString(7, ' ').repeated(5) + "       JU2:1  ");
    EXPECT_EQ(lines[13], "*     (-)( )011 ( )( )000 ( )( )000 ( )(v)064 ");
    EXPECT_EQ(lines[15], "HV:-05 UV:U1 K:1    HV:+12 UV: G K:2    ");
    EXPECT_EQ(lines[16], "FS front:03FS rear:63  ");
    EXPECT_EQ(lines[17], "FD07(R) clrs:01" + QString(30, '0'));
    EXPECT_EQ(lines[19], "WA1:(*)-100  WA2:( )(v)+001  ");
    EXPECT_EQ(lines[20], "PR:+005  JV:0  PA:1  PB:(*)-007  TZ:+100  ST:On ");
}
