// imgtool's picture-file commands: convert between formats with the writer's parameters, and info.
#include "IoTestSupport.h"
#include "MetaWriter.h"
#include "ToolRun.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace iotest;

using namespace tooltest;

namespace {

TBitmap Load(const QString& file) {
    TBitmap bmp;
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    io.LoadFromFile(file);
    return bmp;
}

} // namespace

TEST(ImgToolFiles, ConvertGoesThroughEveryFormatAndInfoTellsTheParameters) {
    QTemporaryDir dir;
    // A 4 x 2 PPM of six colours.
    const QString ppm = dir.filePath(QStringLiteral("in.ppm"));
    kdstest::WriteFile(ppm,
                       QByteArray("P6\n4 2\n255\n") +
                           QByteArray::fromHex("ff0000 00ff00 0000ff ffffff 0a0a0a ff0000 00ff00 102030"));
    const QString bmp = dir.filePath(QStringLiteral("a.bmp"));
    const QString png = dir.filePath(QStringLiteral("a.png"));
    const QString back = dir.filePath(QStringLiteral("back.ppm"));
    ASSERT_EQ(Tool({"convert", ppm, bmp, "--bits", "4", "--samples", "1"}).exitCode, 0);
    EXPECT_EQ(Tool({"info", bmp}).out,
              QByteArray("width 4\nheight 2\nbits per sample 4\nsamples per pixel 1\nfile type BMP\n"));
    // The parameters of the file read go on to the writer: a palette PNG.
    ASSERT_EQ(Tool({"convert", bmp, png}).exitCode, 0);
    EXPECT_EQ(Tool({"info", png}).out,
              QByteArray("width 4\nheight 2\nbits per sample 8\nsamples per pixel 1\nfile type PNG\n"));
    ASSERT_EQ(Tool({"convert", png, back}).exitCode, 0);
    EXPECT_EQ(kdstest::ReadFile(back), kdstest::ReadFile(ppm));
    EXPECT_EQ(Rgb(Load(png)), Rgb(Load(bmp)));

    const QString jpeg = dir.filePath(QStringLiteral("a.jpg"));
    ASSERT_EQ(Tool({"convert", png, jpeg}).exitCode, 0);
    EXPECT_EQ(Tool({"info", jpeg}).out,
              QByteArray("width 4\nheight 2\nbits per sample 8\nsamples per pixel 3\nfile type JPEG\n"));
    const QString mono = dir.filePath(QStringLiteral("mono.png"));
    ASSERT_EQ(Tool({"convert", ppm, mono, "--bits", "1"}).exitCode, 0);
    EXPECT_EQ(Tool({"info", mono}).out.split('\n')[2], QByteArray("bits per sample 1"));

    // The picture operations read and write the same formats.
    const QString grey = dir.filePath(QStringLiteral("grey.bmp"));
    ASSERT_EQ(Tool({"gray", png, grey}).exitCode, 0);
    const TBitmap g = Load(grey);
    EXPECT_EQ(Pixel(g, 0, 0), C(76, 76, 76));
}

TEST(ImgToolFiles, BadInputIsAnError) {
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.png"));
    kdstest::WriteFile(junk, QByteArray("no picture"));
    const QString out = dir.filePath(QStringLiteral("out.bmp"));
    Result r = Tool({"convert", junk, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("unrecognized PNG")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    r = Tool({"info", dir.filePath(QStringLiteral("notes.txt"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Tool({"convert", junk, out, "--bits"}).exitCode, 1);
    EXPECT_EQ(Tool({"convert", junk, out, "--depth", "8"}).exitCode, 1);
}

TEST(ImgToolFiles, PcxAndGifFiles) {
    QTemporaryDir dir;
    const auto fixture = [](const char* name) {
        return kdstest::SourcePath(QStringLiteral("tests/imaging/data/") + QLatin1String(name));
    };
    const QString pcx = dir.filePath(QStringLiteral("a.pcx"));
    ASSERT_EQ(Tool({"convert", fixture("pcx/rose16-packed.pcx"), pcx, "--pcx-raw"}).exitCode, 0);
    EXPECT_EQ(kdstest::ReadFile(pcx).mid(1, 3), QByteArray::fromHex("050004"));
    EXPECT_EQ(Tool({"info", pcx}).out,
              QByteArray("width 70\nheight 46\nbits per sample 4\nsamples per pixel 1\n"
                         "file type PCX\ndpi 70 46\npcx version 5\ncolour map 16\n"));
    const QString back = dir.filePath(QStringLiteral("back.ppm"));
    ASSERT_EQ(Tool({"convert", pcx, back}).exitCode, 0);
    EXPECT_EQ(kdstest::ReadFile(back), kdstest::ReadFile(fixture("pcx/rose16.ppm")));

    struct Case {
        QStringList args;
        QByteArray out, err;
    };
    const QString gif = fixture("gif/anim.gif");
    const QByteArray screen = "gif version GIF89a\nscreen 70 46\n";
    const QByteArray background = "background 43 47 30\n";
    const Case cases[] = {
        {{"info", gif},
         screen + "image 0 0 70 46\ndelay 50\ninterlaced 0\ntransparent none\n" + background,
         "imgtool: LZW decompressor not found : unrecognized GIF\n"},
        {{"info", gif, "--index", "1"},
         screen + "image 0 0 128 128\ndelay 50\ninterlaced 0\ntransparent none\n" + background,
         "imgtool: LZW decompressor not found : unrecognized GIF\n"},
        {{"info", gif, "--index", "2"},
         screen + background,
         "imgtool: GIF image not found : unrecognized GIF\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = Tool(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    const QString cut = dir.filePath(QStringLiteral("cut.gif"));
    kdstest::WriteFile(cut, kdstest::ReadFile(gif).left(40));
    Result r = Tool({"info", cut});
    EXPECT_EQ(r.out, screen);
    EXPECT_EQ(r.err, QByteArray("imgtool: unrecognized GIF : unrecognized GIF\n"));

    const QString out = dir.filePath(QStringLiteral("out.gif"));
    r = Tool({"convert", pcx, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QByteArray("imgtool: LZW compressor not found\n"));
    EXPECT_FALSE(QFile::exists(out));
}

// Drawings: through the reader at their own size less one over black or the chosen background, or
// drawn by the player onto a picture of the size asked for.
TEST(ImgToolFiles, ConvertDrawsMetafiles) {
    QTemporaryDir dir;
    const QString wmf = dir.filePath(QStringLiteral("a.wmf"));
    const QString emf = dir.filePath(QStringLiteral("a.emf"));
    kdstest::WriteFile(
        wmf,
        metatest::WmfWriter(0, 0, 20, 10).CreateBrush(0, 0x0000FF).Select(0).Rectangle(2, 2, 8, 8).Data());
    kdstest::WriteFile(
        emf, metatest::EmfWriter(20, 10).CreateBrush(1, 0, 0x0000FF).Select(1).Rectangle(2, 2, 8, 8).Data());
    EXPECT_EQ(Tool({"info", wmf}).out,
              QByteArray("width 19\nheight 9\nbits per sample 8\nsamples per pixel 3\nfile type WMF\n"));
    EXPECT_EQ(Tool({"info", emf}).out,
              QByteArray("width 19\nheight 9\nbits per sample 8\nsamples per pixel 3\nfile type EMF\n"));
    const QString out = dir.filePath(QStringLiteral("out.ppm"));
    ASSERT_EQ(Tool({"convert", wmf, out}).exitCode, 0);
    const QByteArray plain = kdstest::ReadFile(out);
    EXPECT_TRUE(plain.startsWith("P6\n19 9\n255\n"));
    // Pixel (0, 0) black, (5, 5) red.
    EXPECT_EQ(plain.mid(12, 3), QByteArray::fromHex("000000"));
    EXPECT_EQ(plain.mid(12 + 3 * (5 * 19 + 5), 3), QByteArray::fromHex("ff0000"));

    const QString big = dir.filePath(QStringLiteral("big.ppm"));
    ASSERT_EQ(Tool({"convert", emf, big, "--size", "40x20", "--background", "00ff00"}).exitCode, 0);
    const QByteArray scaled = kdstest::ReadFile(big);
    EXPECT_TRUE(scaled.startsWith("P6\n40 20\n255\n"));
    EXPECT_EQ(scaled.mid(13, 3), QByteArray::fromHex("00ff00"));
    EXPECT_EQ(scaled.mid(13 + 3 * (10 * 40 + 10), 3), QByteArray::fromHex("ff0000"));

    for (const QStringList& bad : {QStringList{"convert", wmf, out, "--size", "0x5"},
                                   QStringList{"convert", wmf, out, "--size", "99999x99999"},
                                   QStringList{"convert", wmf, out, "--background", "red"},
                                   QStringList{"convert", out, big, "--size", "4x4"}})
        EXPECT_EQ(Tool(bad).exitCode, 1) << bad.join(' ').toStdString();
}
