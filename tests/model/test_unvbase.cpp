#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "model/UunvBase.h"

#include "tests/support/SampleKind.h"

#include <gtest/gtest.h>

namespace {
using kdstest::MUnvOther;
using kdstest::MUnvSample;

std::unique_ptr<MUnvSample> Sample(int number, int value) {
    auto m = std::make_unique<MUnvSample>();
    m->Number = number;
    m->Value = value;
    return m;
}

template <typename F>
void ExpectM(F f, int code, int sub, const char* args) {
    try {
        f();
        ADD_FAILURE() << "no error, expected " << code << "/" << sub;
    } catch (const MException& e) {
        EXPECT_EQ(e.Code, code);
        EXPECT_EQ(e.SubCode, sub);
        EXPECT_EQ(e.Args, QString::fromUtf8(args));
    }
}
} // namespace

TEST(MUnvBase, KindTables) {
    const char* letters[] = {"P", "N", "Z", "R", "S", "W", "FS", "FD", "FE", "C"};
    const int largest[] = {255, 127, 2000, 63, 511, 255, 63, 63, 127, 1};
    const int window[] = {7, 0, 2, 8, 1, 3, 4, 6, 5, 9};
    for (int k = 1; k <= 10; ++k) {
        EXPECT_EQ(KindLetters(k), QString::fromUtf8(letters[k - 1]));
        EXPECT_EQ(MaxNumberOfKind(k), largest[k - 1]);
        EXPECT_EQ(ValidationCodeOfKind(k), 5011 + k);
        EXPECT_EQ(WindowIndexOfListKind(k), window[k - 1]);
        EXPECT_EQ(ListKindOfWindowIndex(window[k - 1]), k);
    }
    EXPECT_EQ(KindLetters(0), QString());
    EXPECT_EQ(MaxNumberOfKind(11), 0);
    EXPECT_EQ(ListKindOfWindowIndex(10), 0);
    EXPECT_EQ(WindowIndexOfListKind(11), -1);
}

TEST(MUnvBase, ClearKeepsTheNumberAndTheBaseWhileClearBaseIsOff) {
    auto owner = Sample(17, 8);
    MUnvSample& m = *owner;
    m.Marks.Selected = 1;
    m.OldNumber = 4;
    m.Tag = 1;
    m.UsedMark = 1;
    {
        MSwitchGuard keep(ClearBase, false);
        m.Clear();
    }
    EXPECT_EQ(m.Value, 0);
    EXPECT_EQ(m.Number, 17);
    EXPECT_TRUE(m.Marks.GetMark(0));
    EXPECT_EQ(m.OldNumber, 4);
    EXPECT_EQ(m.Tag, 1);
    m.Clear();
    EXPECT_EQ(m.Number, 17);
    EXPECT_FALSE(m.Marks.GetMark(0));
    EXPECT_EQ(m.OldNumber, 0);
    EXPECT_EQ(m.Tag, 0);
    EXPECT_EQ(m.UsedMark, 0);
}

TEST(MUnvBase, AssignCopiesTheTagOnlyWhileCopyTagIsOn) {
    auto srcOwner = Sample(3, 7);
    MUnvSample& src = *srcOwner;
    src.Tag = 1;
    src.OldNumber = 9;
    src.Marks.SecondMark = 1;
    MUnvSample dst;
    dst.Assign(src);
    EXPECT_EQ(dst.Tag, 0);
    EXPECT_EQ(dst.Number, 3);
    EXPECT_EQ(dst.OldNumber, 9);
    EXPECT_EQ(dst.Value, 7);
    EXPECT_TRUE(dst.Marks.GetMark(1));
    {
        MSwitchGuard moving(CopyTag, true);
        dst.Assign(src);
    }
    EXPECT_EQ(dst.Tag, 1);
    EXPECT_FALSE(dst.Marks.GetMark(2));
}

TEST(MUnvBase, CopiesBetweenKindsAreRefused) {
    auto dstOwner = Sample(2, 6);
    MUnvSample& dst = *dstOwner;
    MUnvOther other;
    other.Number = 5;
    ExpectM([&] { dst.Assign(other); }, 5011, 3, "");
    ExpectM([&] { dst.AssignChecked(other); }, 5011, 3, "");
    EXPECT_EQ(dst.Number, 2);
    EXPECT_EQ(dst.Value, 6);
    EXPECT_FALSE(dst.Equals(other));
}

TEST(MUnvBase, AssignCheckedValidatesTheSourceFirst) {
    auto dstOwner = Sample(2, 6);
    MUnvSample& dst = *dstOwner;
    ExpectM([&] { dst.AssignChecked(*Sample(0, 99)); }, 5011, 1, "");
    ExpectM([&] { dst.AssignChecked(*Sample(12, 99)); }, 5015, 2, "12");
    EXPECT_EQ(dst.Value, 6);
    EXPECT_EQ(dst.Number, 2);
    dst.AssignChecked(*Sample(12, 9));
    EXPECT_EQ(dst.Value, 9);
}

TEST(MUnvBase, EqualsComparesKindFieldsOnlyAndCloneCopies) {
    auto aOwner = Sample(1, 7), bOwner = Sample(40, 7);
    MUnvSample &a = *aOwner, &b = *bOwner;
    b.Tag = 1;
    b.Marks.Selected = 1;
    EXPECT_TRUE(a.Equals(b));
    b.Value = 8;
    EXPECT_FALSE(a.Equals(b));

    auto c = a.Clone();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Number, 1);
    EXPECT_TRUE(c->Equals(a));
    auto n = a.CreateNew();
    EXPECT_EQ(static_cast<MUnvSample&>(*n).Value, 0);

    MUnvBase base;
    EXPECT_THROW(base.Clone(), EInvalidOperation);
    EXPECT_TRUE(base.ListingLine().isEmpty());
    EXPECT_TRUE(base.Label(4, 740).isEmpty());
}
