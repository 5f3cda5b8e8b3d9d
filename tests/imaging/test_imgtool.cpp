#include "ToolRun.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tooltest;

namespace {

// A 4 × 2 PPM: red, green, blue, white / four greys.
QByteArray SmallPpm() {
    QByteArray data("P6\n# a comment\n4 2\n255\n");
    const unsigned char px[] = {255, 0,  0,  0,  255, 0,  0,   0,   255, 255, 255, 255,
                                10,  10, 10, 60, 60,  60, 120, 120, 120, 200, 200, 200};
    data.append(reinterpret_cast<const char*>(px), sizeof px);
    return data;
}

} // namespace

TEST(ImgTool, RunsEachOperation) {
    QTemporaryDir dir;
    const QString in = dir.filePath("in.ppm");
    kdstest::WriteFile(in, SmallPpm());
    EXPECT_EQ(Tool({"count", in}).out, "8\n");
    // 16-bit samples are scaled to 8 bits.
    const QString deep = dir.filePath("deep.pgm");
    kdstest::WriteFile(deep, QByteArray("P5 2 1 65535\n") + QByteArray::fromHex("ffff8080"));
    const QString deepOut = dir.filePath("deep.out.pgm");
    ASSERT_EQ(Tool({"gray", deep, deepOut}).exitCode, 0);
    EXPECT_EQ(kdstest::ReadFile(deepOut).right(2), QByteArray::fromHex("ff80"));

    const QString grey = dir.filePath("grey.pgm");
    ASSERT_EQ(Tool({"gray", in, grey}).exitCode, 0);
    const QByteArray g = kdstest::ReadFile(grey);
    EXPECT_TRUE(g.startsWith("P5\n4 2\n255\n"));
    EXPECT_EQ(std::uint8_t(g[g.size() - 8]), 76) << "red: 30 × 255 div 100";

    const QString bw = dir.filePath("bw.pgm");
    ASSERT_EQ(Tool({"bw", in, bw, "threshold", "100"}).exitCode, 0);
    // Greys 76, 150, 28, 255 / 10, 60, 120, 200 against 100.
    EXPECT_EQ(kdstest::ReadFile(bw).right(8), QByteArray::fromHex("00ff00ff0000ffff"));
    ASSERT_EQ(Tool({"bw", in, bw, "dither"}).exitCode, 0);

    const QString reduced = dir.filePath("reduced.ppm");
    ASSERT_EQ(Tool({"reduce", in, reduced, "3"}).exitCode, 0);
    EXPECT_EQ(Tool({"count", reduced}).out.toInt(), 3);
    ASSERT_EQ(Tool({"reduce", in, reduced, "8"}).exitCode, 0);
    EXPECT_EQ(kdstest::ReadFile(reduced).right(24), SmallPpm().right(24)) << "8 colours already fit";

    const QString big = dir.filePath("big.ppm");
    ASSERT_EQ(Tool({"resample", in, big, "8", "-1", "lanczos3"}).exitCode, 0);
    EXPECT_TRUE(kdstest::ReadFile(big).startsWith("P6\n8 4\n255\n"));
    const QString turned = dir.filePath("turned.ppm");
    ASSERT_EQ(Tool({"rotate", in, turned, "90"}).exitCode, 0);
    EXPECT_TRUE(kdstest::ReadFile(turned).startsWith("P6\n2 4\n255\n"));
}

// The PPM writer writes its rows in chunks of about a megabyte: a picture of several chunks, the
// last one short, comes back byte for byte.
TEST(ImgTool, PpmComesBackWholeAcrossItsWriteChunks) {
    QTemporaryDir dir;
    QByteArray ppm("P6\n700 600\n255\n");
    std::uint32_t noise = 1;
    for (int i = 0; i < 700 * 600 * 3; ++i) {
        noise = noise * 1103515245u + 12345u;
        ppm.append(char(noise >> 24));
    }
    const QString in = dir.filePath("in.ppm"), out = dir.filePath("out.ppm");
    kdstest::WriteFile(in, ppm);
    ASSERT_EQ(Tool({"convert", in, out}).exitCode, 0);
    EXPECT_TRUE(kdstest::ReadFile(out) == ppm);
}

TEST(ImgTool, BadInputIsAnErrorAndWritesNothing) {
    QTemporaryDir dir;
    const QString in = dir.filePath("in.ppm");
    kdstest::WriteFile(in, SmallPpm());
    const QString truncated = dir.filePath("short.ppm");
    kdstest::WriteFile(truncated, SmallPpm().left(30));
    const QString huge = dir.filePath("huge.ppm");
    kdstest::WriteFile(huge, "P6\n99999999999 2\n255\n");
    const QString wide = dir.filePath("wide.ppm");
    kdstest::WriteFile(wide, "P6\n100000 100000\n255\n");
    const QString deep = dir.filePath("deep.ppm");
    kdstest::WriteFile(deep, "P6\n1 1\n65536\n");
    const QString vast = dir.filePath("vast.ppm");
    kdstest::WriteFile(vast, "P6\n2147483647 2147483647\n65535\n");
    const QString flat = dir.filePath("flat.ppm");
    kdstest::WriteFile(flat, "P6\n0 3\n255\n");
    const QString pipe = dir.filePath("pipe.ppm");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString out = dir.filePath("out.ppm");
    const QList<QStringList> cases = {
        {},
        {"count"},
        {"count", dir.filePath("missing.ppm")},
        {"count", truncated},
        {"count", huge},
        {"count", wide},
        {"count", deep},
        {"count", vast},
        {"count", flat},
        {"count", pipe},
        {"info", pipe},
        {"reduce", in, out, "x"},
        {"reduce", in, out, "0"},
        {"bw", in, out, "sideways"},
        {"resample", in, out, "4", "4", "cubic"},
        {"resample", in, out, "-1", "-1", "none"},
        {"rotate", in, out},
        {"explode", in, out},
    };
    for (const QStringList& args : cases) {
        const Result r = Tool(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("imgtool: ")) << args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
    const Result help = Tool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: imgtool ")) << "the usage asked for goes to stdout";
}
