// The public picture suites read in place: every good BMP and every valid PNG gives the pixels
// ImageMagick gives, every bad BMP (but one whose rows are all there) and every corrupt PNG is refused, the
// questionable BMP files load or are refused without harm.
#include "IoTestSupport.h"
#include "imaging/ImageIO.h"
#include "tests/support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace iotest;

namespace {

struct SuiteCase {
    const char* file;
    const char* md5;
    const char* failure;
};

const SuiteCase Cases[] = {
#include "suite_refs.inc"
};

} // namespace

TEST(PictureSuites, EveryFileGivesTheReferencePixelsOrItsFailure) {
    int loaded = 0, refused = 0;
    for (const SuiteCase& c : Cases) {
        SCOPED_TRACE(c.file);
        const QString path = kdstest::TestDataPath(QString::fromLatin1(c.file));
        ASSERT_TRUE(QFile::exists(path));
        TBitmap bmp(3, 2, pf24bit);
        const QByteArray before = Rgb(bmp);
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        if (*c.failure) {
            try {
                io.LoadFromFile(path);
                ADD_FAILURE() << "loaded";
            } catch (const EInvalidGraphic& e) {
                EXPECT_EQ(e.Message(), QString::fromLatin1(c.failure));
                ++refused;
            }
            // A refused file leaves the picture and the parameters as they were.
            EXPECT_EQ(Rgb(bmp), before);
            EXPECT_EQ(io.Params().FileType, ioUnknown);
            continue;
        }
        io.LoadFromFile(path);
        EXPECT_EQ(RgbMd5(bmp), QByteArray(c.md5));
        EXPECT_EQ(io.Params().Width, bmp.Width());
        EXPECT_EQ(io.Params().Height, bmp.Height());
        EXPECT_TRUE(bmp.PixelFormat() == pf24bit || bmp.PixelFormat() == pf1bit);
        ++loaded;
    }
    EXPECT_EQ(loaded, 28 + 161);
    EXPECT_EQ(refused, 19 + 14);
}

TEST(PictureSuites, QuestionableBmpFilesLoadOrAreRefusedCleanly) {
    const QDir dir(kdstest::TestDataPath(QStringLiteral("bmpsuite/q")));
    const QStringList files = dir.entryList({QStringLiteral("*.bmp")}, QDir::Files);
    ASSERT_GT(files.size(), 30);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        TBitmap bmp;
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        try {
            io.LoadFromFile(dir.filePath(name));
            EXPECT_GT(bmp.Width(), 0);
            EXPECT_EQ(io.Params().FileType, ioBMP);
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("unrecognized BMP"));
        }
    }
}

TEST(PictureSuites, OneBitFilesKeepTheirColours) {
    struct Case {
        const char* file;
        TPixelFormat format;
    };
    const Case cases[] = {
        {"bmpsuite/g/pal1.bmp", pf1bit},    // black, white
        {"bmpsuite/g/pal1wb.bmp", pf1bit},  // white, black: turned round
        {"bmpsuite/g/pal1bg.bmp", pf24bit}, // two other colours
        {"pngsuite/basn0g01.png", pf1bit},  // grey
        {"pngsuite/basn3p01.png", pf24bit}, // palette of two colours
        {"pngsuite/basi0g01.png", pf1bit},  // grey, interlaced
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TBitmap bmp;
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        io.LoadFromFile(kdstest::TestDataPath(QString::fromLatin1(c.file)));
        EXPECT_EQ(bmp.PixelFormat(), c.format);
        EXPECT_EQ(io.Params().BitsPerSample, 1);
        EXPECT_EQ(io.Params().SamplesPerPixel, 1);
    }
}
