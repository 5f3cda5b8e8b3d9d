// Yarn-carrier positions and the interpreter's register sets.
#include "model/Usequencer.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

namespace {
MYcPosition Relative(int Offset) {
    return {false, Offset, 0};
}
MYcPosition Absolute(int Needle) {
    return {true, 0, Needle};
}

TEST(YcPosition, EncodeAndDecodeFollowTheWidth) {
    EXPECT_EQ(MYcData::DecodePosition(MYcPosition{}, 0), 0);
    EXPECT_EQ(MYcData::DecodePosition(MYcPosition{}, 500), 0);

    MYcPosition left, right, on{false, 7, 0};
    MYcData::EncodePosition(0, 100, left);
    EXPECT_EQ(left, Relative(-1));
    MYcData::EncodePosition(101, 100, right);
    EXPECT_EQ(right, Relative(1));
    EXPECT_EQ(MYcData::DecodePosition(left, 100), 0);
    EXPECT_EQ(MYcData::DecodePosition(right, 100), 101);
    EXPECT_EQ(MYcData::DecodePosition(right, 120), 121); // right of the bed it follows the width
    MYcData::EncodePosition(50, 100, on);
    EXPECT_EQ(on, (MYcPosition{true, 7, 50})); // the auxiliary distance stays

    for (int width : {1, 2, 100, 250})
        for (int n = -50; n <= 300; ++n) {
            MYcPosition r{true, 3, 9};
            MYcData::EncodePosition(n, width, r);
            EXPECT_EQ(MYcData::DecodePosition(r, width), n) << n << " at " << width;
            if (!r.Absolute) {
                EXPECT_EQ(r.Position, 0);
            }
        }
    // Far off the bed positions stop at the ends of the range instead of wrapping.
    EXPECT_EQ(MYcData::DecodePosition(Relative(2147483647), 100), 2147483647);
    MYcPosition r;
    MYcData::EncodePosition(-2147483647 - 1, 100, r);
    EXPECT_EQ(MYcData::DecodePosition(r, 100), -2147483647);
}

TEST(YcData, SelectionAndUse) {
    MYcData c;
    EXPECT_FALSE(c.InUse());
    EXPECT_TRUE(c.Changed);
    c.SetSelected(true);
    EXPECT_TRUE(c.Selected);
    EXPECT_TRUE(c.InUse());
    c.Changed = false;
    c.SetSelected(false);
    EXPECT_TRUE(c.InUse());
    EXPECT_FALSE(c.Changed);
    c.SetInUse(false);
    EXPECT_FALSE(c.InUse());
    EXPECT_TRUE(c.Changed);
}

TEST(YcData, EntryPoint) {
    struct Case {
        bool InUse;
        MYcPosition Current;
        int ZRow;
        int Expected;
    };
    const Case cases[] = {
        {false, {}, 7, 1},            // not in use: the side the row starts from
        {false, {}, 8, 200},          //
        {false, {}, 0, 200},          // row 0 is not odd
        {true, {}, 7, 1},             // in use without a distance: the same, never needle -1
        {true, {}, 8, 200},           //
        {true, Absolute(33), 8, 33},  // on the bed: its needle
        {false, Absolute(33), 7, 33}, //
        {true, Relative(-4), 8, 1},   // left of the bed: enters at needle 1
        {true, Relative(6), 7, 200},  // right of it: at needle W
    };
    for (const Case& c : cases) {
        MYcData yc;
        yc.SetInUse(c.InUse);
        yc.Current = c.Current;
        EXPECT_EQ(yc.EntryPoint(200, c.ZRow), c.Expected)
            << "in use " << c.InUse << " offset " << c.Current.Offset << " row " << c.ZRow;
    }
}

void Scribble(MRegisters& R, int Seed) {
    R.StepCount = Seed;
    R.Error43Reported = true;
    R.SLine = Seed + 1;
    R.CycleS = Seed + 2;
    R.ZRow = Seed + 3;
    R.System = Seed + 4;
    R.BlockRepeat = Seed + 5;
    R.CycleRepeat = Seed + 6;
    R.NewS = R.NewZ = R.RepeatR = true;
    R.PrevSLine = Seed + 7;
    R.PrevBlockRepeat = Seed + 8;
    R.PrevCycleRepeat = Seed + 9;
    R.PrevZRow = Seed + 10;
    R.PrevSystem = Seed + 11;
    R.PrevNewS = R.PrevNewZ = R.PrevRepeatR = true;
    R.Row.Number = Seed + 12;
    R.Row.PatternLine[3] = Seed + 13;
    R.AutoPositioning = R.Finished = true;
    R.Carrier(1, 3).SetSelected(true);
    R.Carrier(2, 8).Current = Absolute(Seed + 14);
    R.Error.SetError(Seed + 15);
    R.Error.Args = QStringLiteral("finding");
}

TEST(Registers, AssignCopiesAllButTheFinding) {
    MRegisters source, target;
    Scribble(source, 100);
    target.Error.SetError(7);
    target.Assign(source);
    EXPECT_EQ(target.StepCount, 100);
    EXPECT_FALSE(target.Error43Reported);
    EXPECT_EQ(target.Error.GetCode(), 7);
    EXPECT_TRUE(target.Error.Args.isEmpty());
    EXPECT_EQ(target.SLine, 101);
    EXPECT_EQ(target.CycleS, 102);
    EXPECT_EQ(target.ZRow, 103);
    EXPECT_EQ(target.System, 104);
    EXPECT_EQ(target.BlockRepeat, 105);
    EXPECT_EQ(target.CycleRepeat, 106);
    EXPECT_TRUE(target.NewS && target.NewZ && target.RepeatR);
    EXPECT_EQ(target.PrevSLine, 107);
    EXPECT_EQ(target.PrevBlockRepeat, 108);
    EXPECT_EQ(target.PrevCycleRepeat, 109);
    EXPECT_EQ(target.PrevZRow, 110);
    EXPECT_EQ(target.PrevSystem, 111);
    EXPECT_TRUE(target.PrevNewS && target.PrevNewZ && target.PrevRepeatR);
    EXPECT_TRUE(target.Row.Equals(source.Row));
    EXPECT_EQ(target.Row.Number, 112);
    EXPECT_TRUE(target.AutoPositioning && target.Finished);
    EXPECT_TRUE(target.Carrier(1, 3).Selected && target.Carrier(1, 3).InUse());
    EXPECT_EQ(target.Carrier(2, 8).Current, Absolute(114));
    EXPECT_THROW(target.Carrier(3, 1), ERangeError);
    EXPECT_THROW(target.Carrier(1, 0), ERangeError);
}

TEST(Registers, ResetStartsARunAndKeepsTheFinding) {
    MRegisters r;
    Scribble(r, 1);
    r.Reset();
    EXPECT_EQ(r.StepCount, 0);
    EXPECT_FALSE(r.Error43Reported);
    EXPECT_EQ(r.SLine + r.CycleS + r.ZRow + r.BlockRepeat + r.CycleRepeat, 0);
    EXPECT_EQ(r.System, 1);
    EXPECT_EQ(r.PrevSystem, 1);
    EXPECT_EQ(r.PrevSLine + r.PrevBlockRepeat + r.PrevCycleRepeat + r.PrevZRow, 0);
    EXPECT_FALSE(r.NewS || r.NewZ || r.RepeatR || r.PrevNewS || r.PrevNewZ || r.PrevRepeatR);
    EXPECT_FALSE(r.AutoPositioning || r.Finished);
    EXPECT_TRUE(r.Row.Equals(MUnvZ()));
    EXPECT_FALSE(r.Carrier(1, 3).InUse());
    EXPECT_EQ(r.Carrier(2, 8).Current, MYcPosition{});
    EXPECT_EQ(r.Error.GetCode(), 16);
    EXPECT_EQ(r.Error.Args, QStringLiteral("finding"));
}
} // namespace
