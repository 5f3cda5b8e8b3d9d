#include "platform/AppFolder.h"
#include "platform/Color.h"
#include "platform/Errors.h"
#include "platform/SysColors.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

TEST(Round, HalvesGoToEven) {
    const struct {
        double In;
        std::int64_t Out;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.6, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(Round(c.In), c.Out) << c.In;
    EXPECT_THROW(Round(1e30), EIntOverflow);
    EXPECT_THROW(Round(std::nan("")), EIntOverflow);
}

TEST(CheckedArithmetic, RaisesInsteadOfWrapping) {
    EXPECT_EQ(CheckedAdd(2, 3), 5);
    EXPECT_THROW(CheckedAdd(INT_MAX, 1), EIntOverflow);
    EXPECT_THROW(CheckedSub(INT_MIN, 1), EIntOverflow);
    EXPECT_THROW(CheckedMul(65536, 65536), EIntOverflow);
    EXPECT_EQ(CheckedCast<std::uint8_t>(255), 255);
    EXPECT_THROW(CheckedCast<std::uint8_t>(256), EIntOverflow);
    EXPECT_THROW(CheckedCast<std::uint32_t>(-1), EIntOverflow);
    EXPECT_THROW(CheckRange(11, 1, 10, "x"), ERangeError);
}

TEST(Color, RedIsTheLowByte) {
    const TColor c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x563412u);
    EXPECT_EQ(GetRValue(c), 0x12);
    EXPECT_EQ(GetGValue(c), 0x34);
    EXPECT_EQ(GetBValue(c), 0x56);
}

TEST(SysColors, ResolveThroughOneTableThatCountsItsChanges) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC8D0D4u);
    EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080u);
    EXPECT_EQ(ColorToRGB(clWindowFrame), 0u);
    EXPECT_EQ(ColorToRGB(0x800000FFu), 0u) << "an index outside the table";
    EXPECT_EQ(ColorToRGB(0x02123456u), 0x123456u) << "other high bytes are dropped";
    const std::uint32_t before = SysColorGeneration();
    SetSysColor(15, 0x112233);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0x112233u);
    EXPECT_NE(SysColorGeneration(), before);
    SetSysColor(99, 1); // ignored
    ResetSysColors();
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC8D0D4u);
}

TEST(AppFolder, ResolvesEachComponentWithoutRegardToCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("DTA/Sub")));
    QFile f(dir.path() + QStringLiteral("/DTA/Sub/SysMsg.Dta"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString base = dir.path();
    EXPECT_EQ(ResolvePath(base, QStringLiteral("Dta\\sub\\sysmsg.dta")),
              base + QStringLiteral("/DTA/Sub/SysMsg.Dta"));
    // Missing components keep their spelling, so new files can be named.
    EXPECT_EQ(ResolvePath(base, QStringLiteral("dta\\New\\x.txt")), base + QStringLiteral("/DTA/New/x.txt"));
    EXPECT_EQ(ResolvePath(base, QStringLiteral("Samples\\")), base + QStringLiteral("/Samples/"));

    SetAppFolder(base);
    EXPECT_EQ(AppFolder(), base + QStringLiteral("/"));
    EXPECT_EQ(AppFile(QStringLiteral("dta\\SUB")), base + QStringLiteral("/DTA/Sub"));
    SetAppFolder(QString());
}

TEST(TextCodec, StoredTextsRoundTrip) {
    const QString arabic = QStringLiteral("العربية");
    EXPECT_EQ(DecodeStoredText(EncodeStoredText(arabic)), arabic);
    EXPECT_EQ(DecodeStoredText(QByteArray("Body")), QStringLiteral("Body"));
    EXPECT_EQ(DecodeStoredText(QStringLiteral("é").toUtf8()), QStringLiteral("é"));
}
