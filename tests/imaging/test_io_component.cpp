// The I/O component: parameters and their defaults, the choice of codec by extension, the texts
// of failed loads, icons and cursors, and files that a failed save leaves alone.
#include "IoTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace iotest;

namespace {

QString Fixture(const char* name) {
    return kdstest::SourcePath(QStringLiteral("tests/imaging/data/") + QLatin1String(name));
}

QString LoadError(TImageIO& io, const QString& file) {
    try {
        io.LoadFromFile(file);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("(loaded)");
}

QString SaveError(TImageIO& io, const QString& file) {
    try {
        io.SaveToFile(file);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("(saved)");
}

} // namespace

TEST(ImageIO, NewComponentHasTheDefaultParameters) {
    TImageIO io;
    const TIOParamsVals& p = io.Params();
    EXPECT_EQ(p.Owner, &io);
    EXPECT_EQ(p.BitsPerSample, 8);
    EXPECT_EQ(p.SamplesPerPixel, 3);
    EXPECT_EQ(p.DpiX, 0);
    EXPECT_EQ(p.FileType, ioUnknown);
    EXPECT_EQ(p.TiffPhotometric, 2);
    EXPECT_EQ(p.TiffPlanarConfig, 1);
    EXPECT_EQ(p.GifVersion, QStringLiteral("GIF89a"));
    EXPECT_EQ(p.GifLzwDecoder, nullptr);
    EXPECT_EQ(p.TiffLzwDecoder, nullptr);
    EXPECT_EQ(p.JpegQuality, 50);
    EXPECT_EQ(p.PcxVersion, 5);
    EXPECT_TRUE(p.PcxCompressed);
    EXPECT_EQ(p.BmpVersion, 1);
    EXPECT_FALSE(p.BmpCompressed);
    EXPECT_EQ(p.IconWidth, 16);
    EXPECT_EQ(p.IconHeight, 16);
    EXPECT_EQ(p.CursorWidth, 16);
    EXPECT_EQ(p.CursorHeight, 16);
    EXPECT_EQ(p.PngFilter, 0);
    EXPECT_EQ(p.PngCompressionLevel, 5);
    EXPECT_EQ(p.ColorMapCount(), 0);
    EXPECT_TRUE(io.StreamHeaders);
    EXPECT_EQ(io.MsgLanguage, msEnglish);
    EXPECT_EQ(io.Background(), 0u);
}

TEST(ImageIO, AssignAndResetParams) {
    TImageIO a, b;
    TBitmap bmp(7, 3, pf24bit);
    a.SetAttachedBitmap(&bmp);
    a.Params().JpegQuality = 80;
    a.Params().ColorMap = {C(1, 2, 3)};
    a.Params().TiffPageName = QStringLiteral("page");
    b.AssignParams(&a);
    EXPECT_EQ(b.Params().JpegQuality, 80);
    EXPECT_EQ(b.Params().ColorMap, a.Params().ColorMap);
    EXPECT_EQ(b.Params().TiffPageName, QStringLiteral("page"));
    EXPECT_EQ(b.Params().Owner, &b);

    QObject other;
    b.Params().JpegQuality = 20;
    b.AssignParams(&other);
    EXPECT_EQ(b.Params().JpegQuality, 20);

    a.Params().ResetParams();
    EXPECT_EQ(a.Params().JpegQuality, 50);
    EXPECT_EQ(a.Params().ColorMapCount(), 0);
    EXPECT_EQ(a.Params().Width, 7);
    EXPECT_EQ(a.Params().Height, 3);
}

TEST(ImageIO, LoadChoosesByTheLowerCasedExtension) {
    QTemporaryDir dir;
    TBitmap source = Colourful(6, 5);
    TImageIO writer;
    writer.SetAttachedBitmap(&source);
    writer.SaveToFile(dir.filePath(QStringLiteral("a.bmp")));
    for (const char* name : {"UP.BMP", "b.bmp.txt", "noext", "c.png", "d.JPG"})
        QFile::copy(dir.filePath(QStringLiteral("a.bmp")), dir.filePath(QLatin1String(name)));

    TBitmap bmp;
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    int changes = 0;
    bmp.OnChange = [&](TBitmap*) { ++changes; };
    io.LoadFromFile(dir.filePath(QStringLiteral("UP.BMP")));
    EXPECT_EQ(Rgb(bmp), Rgb(source));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(io.Params().FileType, ioBMP);
    EXPECT_EQ(io.Params().FileName, dir.filePath(QStringLiteral("UP.BMP")));

    for (const char* name : {"b.bmp.txt", "noext"}) {
        io.LoadFromFile(dir.filePath(QLatin1String(name)));
        EXPECT_EQ(io.Params().FileType, ioUnknown);
        EXPECT_TRUE(io.Params().FileName.isEmpty());
        EXPECT_EQ(Rgb(bmp), Rgb(source));
    }
    // A BMP file under another extension goes to that reader.
    EXPECT_EQ(LoadError(io, dir.filePath(QStringLiteral("c.png"))), QStringLiteral("unrecognized PNG"));
    EXPECT_EQ(LoadError(io, dir.filePath(QStringLiteral("d.JPG"))), QStringLiteral("unrecognized JPEG"));
    EXPECT_EQ(Rgb(bmp), Rgb(source));

    // Without a bitmap nothing happens.
    TImageIO idle;
    idle.LoadFromFile(dir.filePath(QStringLiteral("a.bmp")));
    EXPECT_EQ(idle.Params().FileType, ioUnknown);
}

// The readers write every pixel without zeroing the picture first; the bytes after the pixels of
// each row stay zero in every format and kind of row they read.
TEST(ImageIO, ReadPicturesKeepZeroBytesAfterTheirPixels) {
    QTemporaryDir dir;
    TBitmap colour = Colourful(13, 5);
    TBitmap bw(13, 5, pf1bit);
    for (int y = 0; y < 5; ++y)
        bw.ScanLine(y)[0] = std::uint8_t(0x5A + y);
    struct Case {
        const char* name;
        TBitmap* source;
        int bits, samples;
        bool interlaced;
    };
    const Case cases[] = {{"c.bmp", &colour, 8, 3, false}, {"p.bmp", &colour, 8, 1, false},
                          {"b.bmp", &bw, 1, 1, false},     {"c.png", &colour, 8, 3, false},
                          {"i.png", &colour, 8, 3, true},  {"b.png", &bw, 1, 1, false},
                          {"bi.png", &bw, 1, 1, true},     {"c.jpg", &colour, 8, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = dir.filePath(QLatin1String(c.name));
        TImageIO writer;
        writer.SetAttachedBitmap(c.source);
        writer.Params().BitsPerSample = c.bits;
        writer.Params().SamplesPerPixel = c.samples;
        writer.Params().PngInterlaced = c.interlaced;
        writer.SaveToFile(name);
        // Memory that held other bytes, for the reader's picture to find.
        for (int i = 0; i < 4; ++i) {
            TBitmap dirty(c.source->Width(), c.source->Height(), c.source->PixelFormat());
            std::fill(dirty.Bits(), dirty.Bits() + dirty.ImageSize(), std::uint8_t(0xA5));
        }
        TBitmap bmp;
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        io.LoadFromFile(name);
        ASSERT_EQ(bmp.Width(), 13);
        if (QByteArray(c.name).endsWith(".jpg"))
            EXPECT_LT(std::abs(int(Pixel(bmp, 12, 4).r) - int(Pixel(*c.source, 12, 4).r)), 40);
        else
            EXPECT_EQ(Rgb(bmp), Rgb(*c.source));
        const int pixelBytes = bmp.PixelFormat() == pf1bit ? 1 : 13 * 3;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int i = pixelBytes; i < bmp.BytesPerLine(); ++i)
                ASSERT_EQ(bmp.ScanLine(y)[i], 0) << "row " << y << " byte " << i;
    }
}

TEST(ImageIO, FailedLoadsRaiseTheComponentsTexts) {
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk"));
    kdstest::WriteFile(junk, QByteArray("junk data, no picture"));
    struct Case {
        const char* extension;
        const char* text;
    };
    const Case cases[] = {
        {".bmp", "unrecognized BMP"},
        {".png", "unrecognized PNG"},
        {".jpeg", "unrecognized JPEG"},
        {".gif", "unrecognized GIF : unrecognized GIF"},
        {".tif", "unrecognized TIFF : unrecognized TIFF"},
        {".pcx", "unrecognized PCX"},
        {".wmf", "unrecognized WMF or EMF"},
        {".emf", "unrecognized WMF or EMF"},
        {".ico", "unrecognized ICO"},
        {".cur", "unrecognized CUR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        const QString file = junk + QLatin1String(c.extension);
        QFile::copy(junk, file);
        TBitmap bmp(2, 2, pf24bit);
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        EXPECT_EQ(LoadError(io, file), QLatin1String(c.text));
        EXPECT_EQ(bmp.Width(), 2);
    }
    // A missing file, and a pipe with no writer (not waited on), are reported as files that cannot be
    // opened in every format, not as pictures that were not recognized.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        const QString missing = dir.filePath(QStringLiteral("missing")) + QLatin1String(c.extension);
        const QString pipe = dir.filePath(QStringLiteral("pipe")) + QLatin1String(c.extension);
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        TBitmap bmp(2, 2, pf24bit);
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        EXPECT_EQ(LoadError(io, missing),
                  QStringLiteral("Cannot open %1: No such file or directory").arg(missing));
        EXPECT_EQ(
            LoadError(io, pipe),
            QStringLiteral("Cannot open %1: it is not a plain file but a pipe, device or socket").arg(pipe));
        EXPECT_EQ(bmp.Width(), 2);
    }
}

TEST(ImageIO, SaveChoosesByExtensionAndWidensOtherFormats) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray signature;
    };
    const Case cases[] = {
        {"a.png", QByteArray("\x89PNG")},
        {"a.JPEG", QByteArray("\xFF\xD8")},
        {"a.jpg", QByteArray("\xFF\xD8")},
        {"a.xyz", QByteArray("BM")},
        {"noext", QByteArray("BM")},
        {"a.bmp", QByteArray("BM")},
        {"a.Pcx", QByteArray("\x0a\x05\x01\x08")},
        {"a.tiff", QByteArray("II*\0", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bmp(4, 4, pf8bit);
        TImageIO io;
        io.SetAttachedBitmap(&bmp);
        io.SaveToFile(dir.filePath(QLatin1String(c.name)));
        EXPECT_TRUE(kdstest::ReadFile(dir.filePath(QLatin1String(c.name))).startsWith(c.signature));
        EXPECT_EQ(bmp.PixelFormat(), pf24bit);
        EXPECT_EQ(io.Params().FileType, ioUnknown);
    }
    TBitmap bmp(4, 4, pf24bit);
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    EXPECT_EQ(SaveError(io, dir.filePath(QStringLiteral("a.gif"))),
              QStringLiteral("LZW compressor not found"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("a.gif"))));
}

TEST(ImageIO, FailedSaveLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("keep.jpg"));
    kdstest::WriteFile(file, QByteArray("old contents"));
    // Wider than the JPEG library allows.
    TBitmap bmp(70000, 1, pf24bit);
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    EXPECT_TRUE(SaveError(io, file).startsWith(QStringLiteral("Unrecognized JPeg - JPEG error #")));
    EXPECT_EQ(kdstest::ReadFile(file), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(ImageIO, SaveRefusesANameThatIsNoPlainFile) {
    // A pipe stays a pipe: the picture is not put in its place.
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    TBitmap bmp(4, 2, pf24bit);
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    EXPECT_EQ(SaveError(io, pipe),
              QStringLiteral("Cannot write file \"%1\". It is not a plain file").arg(pipe));
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(ImageIO, ProgressRunsPerRowAndAnAbortStaysSilent) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("p.bmp"));
    TBitmap source = Colourful(3, 4);
    TImageIO writer;
    writer.SetAttachedBitmap(&source);
    writer.SaveToFile(file);

    TBitmap bmp(1, 1, pf24bit);
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    std::vector<int> seen;
    io.OnProgress = [&](QObject* sender, int per) {
        EXPECT_EQ(sender, &io);
        seen.push_back(per);
    };
    io.LoadFromFile(file);
    EXPECT_EQ(seen, (std::vector<int>{0, 25, 50, 75}));

    // Cancelling from the handler is not turned into "unrecognized BMP"; the picture stays.
    TBitmap kept(1, 1, pf24bit);
    io.SetAttachedBitmap(&kept);
    io.OnProgress = [](QObject*, int per) {
        if (per >= 50)
            Abort();
    };
    EXPECT_THROW(io.LoadFromFile(file), EAbort);
    EXPECT_EQ(kept.Width(), 1);
}

TEST(ImageIO, LoadPngTradesBackgroundWithPngBackground) {
    TBitmap bmp;
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    io.SetBackground(RGB(0, 0, 255));
    io.LoadFromFile(kdstest::TestDataPath(QStringLiteral("pngsuite/basn6a08.png")));
    EXPECT_EQ(io.Params().PngBackground, C(0, 0, 255));
    EXPECT_EQ(Pixel(bmp, 0, 0), C(0, 0, 255));
    io.LoadFromFile(kdstest::TestDataPath(QStringLiteral("pngsuite/bgyn6a16.png")));
    EXPECT_EQ(io.Background(), RGB(255, 255, 0));
}

TEST(ImageIO, IconsAndCursorsLoadAtTheRequestedSize) {
    TBitmap bmp;
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    // The icon holds a red 32 x 32 image and a blue 16 x 16 one.
    io.LoadFromFile(Fixture("icon.ico"));
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
    EXPECT_EQ(bmp.Width(), 16);
    EXPECT_EQ(Pixel(bmp, 8, 8), C(0, 0, 255));
    EXPECT_EQ(io.Params().FileType, ioICO);
    EXPECT_EQ(io.Params().Width, 16);
    io.Params().IconWidth = 32;
    io.Params().IconHeight = 32;
    io.LoadFromFile(Fixture("icon.ico"));
    EXPECT_EQ(bmp.Width(), 32);
    EXPECT_EQ(Pixel(bmp, 8, 8), C(255, 0, 0));
    io.Params().IconWidth = 20;
    io.Params().IconHeight = 10;
    io.LoadFromFile(Fixture("icon.ico"));
    EXPECT_EQ(bmp.Width(), 20);
    EXPECT_EQ(bmp.Height(), 10);

    // The cursor is half-transparent green, drawn over black.
    io.LoadFromFile(Fixture("cursor.cur"));
    EXPECT_EQ(io.Params().FileType, ioCUR);
    EXPECT_EQ(bmp.Width(), 16);
    const TBGRColor c = Pixel(bmp, 4, 4);
    EXPECT_EQ(c.r, 0);
    EXPECT_NEAR(c.g, 128, 2);
    EXPECT_EQ(c.b, 0);
}
