#include "model/UColors.h"

#include <gtest/gtest.h>

TEST(MPalette, DefaultsAndLookups) {
    MPalette p;
    EXPECT_EQ(p.Color(0), 0x000000u);
    EXPECT_EQ(p.Color(1), 0xFE0000u);
    EXPECT_EQ(p.Color(31), 0x7878BEu);
    EXPECT_EQ(p.Color(32), 0xFF0000u);
    EXPECT_EQ(p.Color(-1), 0xFF0000u);
    EXPECT_EQ(p.Symbol(0), QStringLiteral("V"));
    EXPECT_EQ(p.Symbol(16), QStringLiteral("%"));
    EXPECT_EQ(p.Symbol(31), QStringLiteral("N"));
    EXPECT_EQ(p.Symbol(32), QString());
    EXPECT_EQ(p.IndexOf(0xFF0000), -1);
    EXPECT_EQ(p.IndexOf(0xFE0000), 1);
    EXPECT_EQ(MPalette::Admissible(0xFF0000), 0xFE0000u);
    EXPECT_EQ(MPalette::Admissible(0x123456), 0x123456u);
    for (int i = 0; i < 32; ++i)
        EXPECT_NE(p.Color(i), ReservedColor) << i;
    p.Colors[5] = 1;
    p.ResetPalette();
    EXPECT_EQ(p.Color(5), 0xFFFF00u);
}

TEST(MbitsMap, BytesWordsAndFileMasks) {
    MbitsMap m;
    m.SetDWordBE(0x80000001u); // file bytes 0x80 0x00 0x00 0x01 read as they lie
    EXPECT_TRUE(m.IsSet(7));
    m.Clear();
    // Four file bytes 80 00 00 01 read into a little-endian word give 0x01000080.
    m.SetDWordBE(0x01000080u);
    EXPECT_EQ(m.Count(), 2);
    EXPECT_TRUE(m.IsSet(0));
    EXPECT_TRUE(m.IsSet(31));
    EXPECT_EQ(m.First(), 0);
    EXPECT_EQ(m.Last(), 31);

    m.SetDWord(0x04030201u);
    EXPECT_EQ(m.Bits[0], 1);
    EXPECT_EQ(m.Bits[3], 4);
    EXPECT_EQ(m.GetDWord(), 0x04030201u);
    m.SetWord(0xBBAA);
    EXPECT_EQ(m.GetDWord(), 0x0403BBAAu);
    m.SetByte(0x11);
    EXPECT_EQ(m.GetWord(), 0xBB11);
    EXPECT_EQ(m.GetByte(), 0x11);
}

TEST(MbitsMap, SetsAndQueries) {
    MbitsMap m;
    EXPECT_EQ(m.First(), -1);
    EXPECT_EQ(m.Last(), -1);
    m.SetBit(1, 1);
    m.SetBit(4, 7);
    m.SetBitBool(9, true);
    m.SetBit(32, 1);
    m.SetBit(-1, 1);
    EXPECT_EQ(m.Count(), 3);
    EXPECT_FALSE(m.IsSet(32));
    EXPECT_EQ(m.GetBit(4), 1);
    m.KeepFirst(2);
    EXPECT_EQ(m.GetDWord(), (1u << 1) | (1u << 4));
    m.SetBit(4, 0);
    m.SetBit(3, 1);
    EXPECT_EQ(m.BitText(0, 3), QStringLiteral("0101"));
    MbitsMap empty;
    empty.KeepFirst(2);
    EXPECT_EQ(empty.Count(), 0);
    m.KeepFirst(0);
    EXPECT_EQ(m.Count(), 0);
}

TEST(MffMap, CarriersOnlyAndTheValueByteTravels) {
    MffMap f;
    f.SetBit(8, 1);
    EXPECT_EQ(f.Count(), 0);
    f.SetBit(7, 1);
    f.Value = 3;
    MbitsMap& asBits = f;
    asBits.SetBit(12, 1); // still only carriers
    EXPECT_EQ(f.Count(), 1);
    MffMap g;
    g.Assign(f);
    EXPECT_EQ(g.Value, 3);
    EXPECT_TRUE(g.IsSet(7));
    g.Clear();
    EXPECT_EQ(g.Value, 0);
    EXPECT_EQ(g.Count(), 0);
}
