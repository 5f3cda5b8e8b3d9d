// Listing lines and labels of the module kinds P, N, R, S, W, FS, FD, FE and C, byte for byte.

#include "ModuleSamples.h"
#include "model/UunvC.h"
#include "model/UunvF.h"
#include "model/UunvKinds.h"

#include <gtest/gtest.h>

namespace {
QString T(const char* s) {
    return QString::fromLatin1(s);
}
QString Repeat(const char* s, int n) {
    return T(s).repeated(n);
}
} // namespace

TEST(ModuleTexts, PaddedNumbers) {
    EXPECT_EQ(ZText(-5, 4), T("-0005"));
    EXPECT_EQ(ZText(5, 4, true), T("+0005"));
    EXPECT_EQ(ZText(12345, 4), T("12345"));
    EXPECT_EQ(BText(12, 4), T("12  "));
    EXPECT_EQ(BText(-5, 3), T("-5  "));
    EXPECT_EQ(BText(0, 4, true), T("+0   "));
    EXPECT_EQ(BText(12345, 3), T("12345"));
    EXPECT_EQ(BText(-2147483647 - 1, 1), T("-2147483648"));
}

TEST(ModuleTexts, P) {
    MUnvP p;
    p.Number = 12;
    p.Mode = 1;
    p.Carriers[0] = 1;
    p.Carriers[2] = 1;
    p.L = 5;
    p.R = 120;
    p.Dir = 1;
    EXPECT_EQ(p.ListingLine(), T("O0012 SYS2 YC 10100000 L0005 R0120 Dir:>"));
    EXPECT_EQ(p.Label(4, 740), T("P12  SY2: @0@13 @0@L5    R120  @1@>@0@"));

    MUnvP c;
    c.Number = 7;
    c.Mode = 5;
    c.Dir = 2;
    c.ClrsL.SetBit(0, 1);
    c.ClrsL.SetBit(31, 1);
    c.ClrsR.SetBit(1, 1);
    EXPECT_EQ(c.ListingLine(), T("O0007 VB   YC 00000000 ClrsL:1") + Repeat("0", 30) + T("1 ClrsR:01") +
                                   Repeat("0", 30) + T(" Dir:<"));
    EXPECT_EQ(c.Label(4, 740), T("P7   @2@VB : @0@ @0@@2@<@0@"));

    // The two short mode names stand as they are.
    c.Mode = 7;
    c.Dir = 0;
    EXPECT_TRUE(c.ListingLine().startsWith(T("O0007 IF YC 00000000 ClrsL:1")));
    EXPECT_TRUE(c.ListingLine().endsWith(T(" Dir:")));
    c.Mode = 8;
    EXPECT_TRUE(c.ListingLine().startsWith(T("O0007 AF YC ")));
    EXPECT_EQ(c.Label(4, 740), T("P7   @5@AF : @0@ @0@@0@"));
}

TEST(ModuleTexts, AModeOutsideTheTableShowsAPlaceholder) {
    // A mode read from a file without validation must not break the painting of the list.
    MUnvP p;
    p.Number = 1;
    p.Carriers[7] = 1;
    for (int mode : {9, 15, 255}) {
        p.Mode = std::uint8_t(mode);
        EXPECT_EQ(p.ListingLine(), T("O0001 ???? YC 00000001 Dir:"));
        EXPECT_EQ(p.Label(4, 740), T("P1   ???? @0@8 @0@@0@"));
    }
}

TEST(ModuleTexts, N) {
    MUnvN n;
    n.Number = 3;
    n.Start = 12;
    n.Count = 5;
    n.Counter = {ckD, 2};
    EXPECT_EQ(n.ListingLine(), T("N0003 X0012 +0005 D0002"));
    EXPECT_EQ(n.Label(4, 740), T("N3   X12  +5    D2   "));

    n.Number = 100;
    n.Type = 2;
    n.Start = 5;
    n.Count = -2;
    n.Counter = {ckW, 7};
    EXPECT_EQ(n.ListingLine(), T("N0100 N0005 -0002 W0007"));
    EXPECT_EQ(n.Label(4, 740), T("N100 @1@N5   -2   @0@ @2@W7   @0@"));
}

TEST(ModuleTexts, R) {
    MUnvR r;
    r.Number = 2;
    r.Counter = {ckW, 3};
    r.Offsets = {-5, 1, 2, -3, 4, 5, 6, 12};
    EXPECT_EQ(r.ListingLine(),
              T("R0002 W0003 V1-0005 H2+0001 V3+0002 H4-0003 V5+0004 H6+0005 V7+0006 H8+0012 "));

    const QString head = T("R002 @2@W3   @0@ ");
    EXPECT_EQ(r.Label(2, 740), head + T("H4:@1@-0003@0@ H2:@2@+0001@0@ \r\n") + Repeat(" ", 11) +
                                   T("V3:@2@+0002@0@ V1:@1@-0005@0@ "));
    EXPECT_EQ(r.Label(1, 740), head + T("H2:@2@+0001@0@ \r\n") + Repeat(" ", 11) + T("V1:@1@-0005@0@ "));
    // 720 and 721 name their beds whatever the number of systems.
    const QString wide = head + T("HL:@2@+0012@0@ H4:@2@+0005@0@ H2:@1@-0003@0@ HR:@2@+0001@0@ \r\n") +
                         Repeat(" ", 7) + T("VL:@2@+0006@0@ V3:@2@+0004@0@ V1:@2@+0002@0@ VR:@1@-0005@0@ ");
    EXPECT_EQ(r.Label(4, 720), wide);
    EXPECT_EQ(r.Label(1, 721), wide);

    r.Counter = {ckD, 40};
    r.Offsets.fill(0);
    EXPECT_EQ(r.Label(1, 740), T("R002 D40   H2:@2@+0000@0@ \r\n") + Repeat(" ", 11) + T("V1:@2@+0000@0@ "));
}

TEST(ModuleTexts, LabelsForMoreSystemsThanBedsShowPlaceholders) {
    MUnvR r;
    r.Number = 1;
    r.Offsets[7] = 8;
    const QString five = r.Label(5, 740);
    EXPECT_TRUE(five.startsWith(T("R001 D0    H10:@0@?????@0@ H8:@2@+0008@0@ ")));
    EXPECT_TRUE(five.contains(T("V9:@0@?????@0@ V7:@2@+0000@0@ ")));

    MUnvFD d;
    d.Number = 1;
    EXPECT_TRUE(d.Label(5, 740).startsWith(T("FD01 H10:FE??????? H8:FE000+000 ")));

    MUnvFS s;
    s.Number = 1;
    s.CountersA[7] = {ckW, 3};
    // Two groups of four systems would run past the eight beds.
    const QString fs = s.Label(4, 745);
    EXPECT_TRUE(fs.startsWith(T("FS001 H8:????? H6:????? H4:????? H2:????? H8:@2@W0003@0@ H6:D0000 ")));
    EXPECT_TRUE(s.Label(-1, 740).startsWith(T("FS001    \r\n")));
}

TEST(ModuleTexts, S) {
    MUnvS s;
    s.Number = 7;
    s.First = 5;
    s.Count = -4;
    s.Counter = {ckR, 3};
    s.NFirst = 1;
    s.NCount = 2;
    s.PFirst = 10;
    s.PCount = -1;
    s.Offset = 2;
    EXPECT_EQ(s.ListingLine(), T("S0007 Z0005 -0004 R0003 N0001 +0002 P0010 -0001 O2"));
    EXPECT_EQ(s.Label(4, 740), T("S007 Z0005-0004 @3@R0003@0@ N001@0@+002@0@ P010@1@-001@0@ Off:2"));

    s.Counter = {ckW, 5};
    EXPECT_EQ(s.Label(4, 740), T("S007 Z0005-0004 @2@W0005@0@ N001@0@+002@0@ P010@1@-001@0@ Off:2"));

    // A cycle names no N or P range in its label.
    s.Number = 8;
    s.Type = 2;
    s.First = 3;
    s.Count = 2;
    s.Counter = {ckD, 1};
    EXPECT_EQ(s.ListingLine(), T("S0008 S0003 +0002 D0001 N0001 +0002 P0010 -0001 O2"));
    EXPECT_EQ(s.Label(4, 740), T("S008 @1@S0003+0002@0@ D0001 "));
}

TEST(ModuleTexts, W) {
    MUnvW w;
    w.Number = 1;
    w.Levels = {10, 20, 30, 40, 50, 60, 70, 80};
    EXPECT_EQ(w.ListingLine(), T("W0001 0010 0020 0030 0040 0050 0060 0070 0080 "));
    EXPECT_EQ(w.Label(4, 740, 3), T("W1  =@2@0030@0@"));
    EXPECT_EQ(w.Label(4, 740, 8), T("W1  =@2@0080@0@"));
    // A selector level outside 1..8 shows a placeholder instead of reading beyond the levels.
    for (int level : {0, 9, -1, 1000})
        EXPECT_EQ(w.Label(4, 740, level), T("W1  =@2@????@0@"));
}

TEST(ModuleTexts, FS) {
    MUnvFS s;
    s.Number = 3;
    s.CountersA[7] = {ckW, 5};
    s.CountersB[0] = {ckD, 12};
    EXPECT_EQ(s.ListingLine(), T("FS0003\r\n"
                                 "H8 W0005 D0000 H6 D0000 D0000 H4 D0000 D0000 H2 D0000 D0000 \r\n"
                                 "V7 D0000 D0000 V5 D0000 D0000 V3 D0000 D0000 V1 D0000 D0012 "));

    for (int i = 0; i < BedCount; ++i) {
        s.CountersA[std::size_t(i)] = {ckD, 10 + i};
        s.CountersB[std::size_t(i)] = {ckD, 20 + i};
    }
    s.CountersA[3] = {ckW, 5};
    EXPECT_EQ(s.Label(2, 740), T("FS003 H4:@2@W0005@0@ H2:D0011    H4:D0023 H2:D0021 \r\n"
                                 "      V3:D0012 V1:D0010    V3:D0022 V1:D0020 "));
    // 720 and 721 show beds H4, H2 and V3, V1 whatever the number of systems.
    for (int systems : {1, 2, 4})
        EXPECT_EQ(s.Label(systems, 720), s.Label(2, 740));
    // 708, 710, 745 and 748 show the second group of beds first.
    s.CountersA[3] = {ckD, 13};
    const QString oneSystem = T("FS003 H2:D0013 H2:D0011    H2:D0023 H2:D0021 \r\n"
                                "      V1:D0012 V1:D0010    V1:D0022 V1:D0020 ");
    for (int model : {708, 710, 745, 748})
        EXPECT_EQ(s.Label(1, model), oneSystem) << model;
    EXPECT_EQ(s.Label(1, 740), T("FS003 H2:D0011    H2:D0021 \r\n      V1:D0010    V1:D0020 "));
}

TEST(ModuleTexts, FD) {
    MUnvFD d;
    d.Number = 2;
    d.FirstFE[7] = 100;
    d.CountFE[7] = -3;
    d.FirstFE[0] = 5;
    d.CountFE[0] = 2;
    EXPECT_EQ(d.ListingLine(), T("FD0002\r\n"
                                 "H8 0100 -0003 H6 0000 +0000 H4 0000 +0000 H2 0000 +0000 \r\n"
                                 "V7 0000 +0000 V5 0000 +0000 V3 0000 +0000 V1 0005 +0002 "));
    EXPECT_EQ(d.Label(1, 740), T("FD02 H2:FE000+000 \r\n     V1:FE005+002 "));
    EXPECT_EQ(d.Label(4, 740), T("FD02 H8:FE100-003 H6:FE000+000 H4:FE000+000 H2:FE000+000 \r\n"
                                 "     V7:FE000+000 V5:FE000+000 V3:FE000+000 V1:FE005+002 "));
}

TEST(ModuleTexts, FE) {
    MUnvFE e;
    kdstest::FillSampleFE(e);
    EXPECT_EQ(e.ListingLine(), T("FE0004 B-0012 S0003 N0040 A1 O+0005 Clrs101") + Repeat("0", 29));
    EXPECT_EQ(e.Label(4, 740), T("FE04 B@1@-012@0@ S0003 N0040 @1@A1@0@ O:5"));

    e.Difference = 7;
    e.Offset = -3;
    e.StartPoint = 0;
    EXPECT_EQ(e.Label(4, 740), T("FE04 B@0@+007@0@ S0003 N0040 @0@A0@0@ O:-3"));
    e.StartPoint = 2;
    EXPECT_EQ(e.Label(4, 740), T("FE04 B@0@+007@0@ S0003 N0040 @1@A2@0@ O:-3"));
    e.StartPoint = 3;
    EXPECT_EQ(e.Label(4, 740), T("FE04 B@0@+007@0@ S0003 N0040 O:-3"));
}

TEST(ModuleTexts, C) {
    MUnvC c;
    c.Number = 1;
    c.WE = 3;
    c.ST = 12;
    c.Time = 3725;
    c.X1 = 1;
    c.Y1 = 1;
    c.Width = 640;
    c.Height = 12000;
    c.From[0] = 1;
    c.To[0] = 100;
    c.CarrierStarts[0].FF = 2;
    c.CarrierStarts[0].Positions[0] = -5;
    c.CarrierStarts[0].Positions[7] = 2000;
    c.CarrierStarts[3].FT = 1;
    c.OffsetTables[0].L[0] = 12;
    c.OffsetTables[7].R[7] = -7;
    c.StitchDiff1[7] = 5;
    c.StitchDiff2[7] = 9;
    c.StitchDiff1[0] = 1;
    c.RackCorrection1[0] = {-3, 1, 12, -100, 200};
    c.RackCorrection1[1].UV = 7;
    c.RackCorrection2[15].HV = 99;
    c.RackCorrection2[15].UV = 2;

    const char* plainStart = " FF:0000 FT:  +0000 +0000 +0000 +0000 +0000 +0000 +0000 +0000 ";
    const char* plainOffsets = "+0000 +0000  ";
    const char* plainRack = "HV:+00 UV: G KORR:+000 DEHN:+000 GESH:0000 ";
    QStringList lines = {T("WE=3"),
                         T("ST=0012"),
                         T("LB=0000"),
                         T("WA=0100"),
                         T("TZ=0100"),
                         T("Time= 01:02:05"),
                         T("X1=0001 Y1=0001 Width=0640 Height=12000"),
                         T("** Needle Areas **"),
                         T(" 0001 0100")};
    for (int k = 1; k < 8; ++k)
        lines << T(" 0000 0000");
    lines << T("** Yc Start Positions **")
          << T(" FF:0002 FT:  -0005 +0000 +0000 +0000 +0000 +0000 +0000 +2000 ") << T(plainStart)
          << T(plainStart) << T(" FF:0000 FT:I +0000 +0000 +0000 +0000 +0000 +0000 +0000 +0000 ");
    for (int k = 4; k < 8; ++k)
        lines << T(plainStart);
    lines << T("** Offset Tables **") << T("+0012 +0000  ") + Repeat(plainOffsets, 7);
    for (int k = 1; k < 7; ++k)
        lines << Repeat(plainOffsets, 8);
    lines << Repeat(plainOffsets, 7) + T("+0000 -0007  ");
    lines << T("** Stitche Difference **") << T("H8:05-09  H6:00-00  H4:00-00  H2:00-00  ")
          << T("V7:00-00  V5:00-00  V3:00-00  V1:01-00  ");
    lines << T("** Rack correction 1 **") << T("HV:-03 UV:U1 KORR:+012 DEHN:-100 GESH:0200 ")
          << T("HV:+00 UV:KORR:+000 DEHN:+000 GESH:0000 ");
    for (int k = 2; k < 16; ++k)
        lines << T(plainRack);
    lines << QString() << T("** Rack correction 2 **");
    for (int k = 0; k < 15; ++k)
        lines << T(plainRack);
    lines << T("HV:+99 UV:U2 KORR:+000 DEHN:+000 GESH:0000 ");

    const QString listing = c.ListingLine();
    EXPECT_EQ(listing, lines.join(T("\r\n")) + T("\r\n"));
    // Line by line, for a readable failure.
    const QStringList got = listing.split(T("\r\n"));
    for (int i = 0; i < std::min(got.size(), lines.size()); ++i)
        EXPECT_EQ(got[i], lines[i]) << "line " << i + 1;

    EXPECT_TRUE(c.Label(4, 740).isEmpty());
}
