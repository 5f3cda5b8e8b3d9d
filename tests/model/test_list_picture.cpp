// The raster picture held as a BMP file image, and the project header's palette values.
#include "model/UColors.h"
#include "model/UmapRect.h"
#include "model/UprjHeader.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

TEST(MmapRect, CreatedEmptyWithItsSettings) {
    MmapRect r;
    EXPECT_EQ(r.Width, 0);
    EXPECT_EQ(r.Height, 0);
    EXPECT_EQ(r.RepeatX, 1);
    EXPECT_EQ(r.RepeatY, 1);
    EXPECT_FALSE(r.Diagonal);
    EXPECT_FALSE(r.Floating);
    EXPECT_FALSE(r.Transparent);
    r.InitPixels();
    ASSERT_EQ(r.Pixels.size(), 54); // only the two headers
    EXPECT_EQ(r.Pixels.left(2), QByteArray("BM"));
    EXPECT_FALSE(r.SeekCell(0, 0));
    EXPECT_EQ(r.GetPixel(0, 0), 0u);
}

TEST(MmapRect, BmpImageAndPixelAddressing) {
    MmapRect r;
    r.Width = 5;
    r.Height = 2;
    r.InitPixels();
    EXPECT_EQ(r.Stride(), 16);
    ASSERT_EQ(r.Pixels.size(), 54 + 32);
    ByteReader h(r.Pixels);
    EXPECT_EQ(h.PeekU32LE(2), 86u);  // file size
    EXPECT_EQ(h.PeekU32LE(10), 54u); // pixel offset
    EXPECT_EQ(h.PeekU32LE(14), 40u);
    EXPECT_EQ(h.PeekU32LE(18), 5u);
    EXPECT_EQ(h.PeekU32LE(22), 2u); // positive height: rows bottom-up
    EXPECT_EQ(h.PeekU16LE(28), 24u);

    ASSERT_TRUE(r.SeekCell(0, 0));
    EXPECT_EQ(r.PixelPos, r.Pixels.size() - 16);
    ASSERT_TRUE(r.SeekCell(4, 1));
    EXPECT_EQ(r.PixelPos, r.Pixels.size() - 32 + 12);

    r.SetPixel(1, 0, 0x0000FF); // red
    const qsizetype at = r.Pixels.size() - 16 + 3;
    EXPECT_EQ(std::uint8_t(r.Pixels[at]), 0x00);
    EXPECT_EQ(std::uint8_t(r.Pixels[at + 1]), 0x00);
    EXPECT_EQ(std::uint8_t(r.Pixels[at + 2]), 0xFF);
    EXPECT_EQ(r.GetPixel(1, 0), 0x0000FFu);
    r.SetPixel(4, 1, 0x123456);
    EXPECT_EQ(r.GetPixel(4, 1), 0x123456u);

    const QByteArray before = r.Pixels;
    for (auto [x, y] : {std::pair{-1, 0}, {5, 0}, {0, -1}, {0, 2}}) {
        EXPECT_EQ(r.GetPixel(x, y), 0u);
        r.SetPixel(x, y, 0xFFFFFF);
        EXPECT_FALSE(r.SeekCell(x, y));
    }
    EXPECT_EQ(r.Pixels, before);
}

TEST(MmapRect, FillAssignAndBadSizes) {
    MmapRect r;
    r.Width = 3;
    r.Height = 3;
    r.InitPixels();
    r.Fill(0xABCDEF);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(r.GetPixel(x, y), 0xABCDEFu);
    EXPECT_EQ(std::uint8_t(r.Pixels[54 + 9]), 0); // row padding stays 0

    r.RepeatX = 4;
    r.TransparentColor = 0x111111;
    r.Floating = true;
    r.PosY = 7;
    MmapRect copy;
    copy.Assign(r);
    EXPECT_EQ(copy.Pixels, r.Pixels);
    EXPECT_EQ(copy.RepeatX, 4);
    EXPECT_EQ(copy.TransparentColor, 0x111111u);
    EXPECT_TRUE(copy.Floating);
    EXPECT_EQ(copy.PosY, 7);
    copy.SetPixel(0, 0, 1);
    EXPECT_EQ(r.GetPixel(0, 0), 0xABCDEFu); // separate bytes

    r.PixelPos = r.Pixels.size() - 2;
    EXPECT_THROW(r.ReadPixel(), EReadError);
    EXPECT_THROW(r.WritePixel(0), EWriteError);
    const QByteArray before = r.Pixels;
    r.Width = -1;
    EXPECT_THROW(r.InitPixels(), ERangeError);
    r.Width = 100000;
    r.Height = 100000;
    EXPECT_THROW(r.InitPixels(), ERangeError);
    EXPECT_EQ(r.Pixels, before);
}

namespace {
class MSampleProject : public QObject, public MProjectHeaderOwner {
public:
    MPalette Palette;
    MPalette& HeaderPalette() override { return Palette; }
    TColor ReservedColor() const override { return 0xFF0000; }
    TColor ReservedColorSubstitute() const override { return 0xFE0000; }
};
} // namespace

TEST(MProjHeader, ApplyHeaderFillsTheOwnersPalette) {
    MSampleProject project;
    MProjHeader header(&project);
    for (int i = 0; i < 64; ++i)
        header.Values[std::size_t(i)] = 0x010101 * i;
    header.Values[3] = 0xFF0000;
    header.Values[4] = 0xFE0000;
    header.ApplyHeader();
    EXPECT_EQ(project.Palette.Color(0), 0u);
    EXPECT_EQ(project.Palette.Color(3), 0xFE0000u);
    EXPECT_EQ(project.Palette.Color(4), 0xFE0000u);
    EXPECT_EQ(project.Palette.Color(31), 0x010101u * 31);
    EXPECT_EQ(project.Palette.Color(32), 0xFF0000u); // values 32..63 never reach it

    QObject stranger;
    MProjHeader other(&stranger);
    other.Values = header.Values;
    const MPalette untouched;
    project.Palette.ResetPalette();
    other.ApplyHeader();
    MProjHeader none;
    none.ApplyHeader();
    EXPECT_EQ(project.Palette.Colors, untouched.Colors);
}

TEST(MProjHeader, ReadsAndWritesItsBlock) {
    MProjHeader h;
    for (int i = 0; i < 64; ++i)
        h.Values[std::size_t(i)] = i - 20;
    ByteWriter w;
    h.WriteTo(w);
    ASSERT_EQ(w.Size(), 256u);
    EXPECT_EQ(w.Buffer()[0], 0xEC); // -20, little-endian
    EXPECT_EQ(w.Buffer()[3], 0xFF);
    const QByteArray bytes = w.ToByteArray();
    ByteReader r(bytes);
    MProjHeader back;
    back.ReadFrom(r);
    EXPECT_EQ(back.Values, h.Values);
    const QByteArray shortBlock = bytes.left(255);
    ByteReader s(shortBlock);
    MProjHeader partial;
    EXPECT_THROW(partial.ReadFrom(s), EReadError);
    EXPECT_EQ(partial.Values[0], 0);
}
