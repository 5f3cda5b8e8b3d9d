// The board's picture formats: loads and saves with the reserved colour, the colour mapping, the
// exchange pictures, the operations on a copy and what every failure leaves alone.

#include "tests/app/BoardSupport.h"

#include "app/LBoardFr.h"
#include "imaging/ImageIO.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace boardtest;

namespace {

// A board that keeps its undo copy as the next issue's window will.
class UndoBoard : public TBoardFormats {
public:
    int Saves = 0;
    int Clears = 0;
    TBitmap UndoCopy;
    void SaveUndo() override {
        ++Saves;
        UndoCopy = Raster();
    }
    void ClearUndo() override { ++Clears; }
};

QByteArray RasterBytes(const TBoardFormats& B) {
    return QByteArray(reinterpret_cast<const char*>(B.Raster().Bits()), qsizetype(B.Raster().ImageSize()));
}

// Writes a 24-bit BMP of the picture with the image library.
void WriteBmp(TBitmap Picture, const QString& Name) {
    TImageIO io;
    io.SetAttachedBitmap(&Picture);
    io.SaveBMP(Name);
}

std::uint32_t U32(const QByteArray& B, int Pos) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(B.constData()) + Pos;
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

template <class F>
MException CatchM(F&& Do) {
    try {
        Do();
    } catch (const MException& e) {
        return e;
    }
    ADD_FAILURE() << "no MException";
    return MException(0, 0);
}

class BoardFormats : public ::testing::Test {
protected:
    // Each test starts with the standard sixteen colours (an export replaces them).
    void SetUp() override {
        TColor standard[16];
        const std::vector<TBGRColor> d = TBitmap::DefaultPalette(pf4bit);
        for (int i = 0; i < 16; ++i)
            standard[i] =
                TColor(d[std::size_t(i)].b) << 16 | TColor(d[std::size_t(i)].g) << 8 | d[std::size_t(i)].r;
        SetPalette16(standard, 16);
    }
    QTemporaryDir Dir;
    QString Path(const QString& Name) const { return Dir.filePath(Name); }
};

} // namespace

TEST_F(BoardFormats, TheReservedColourIsSubstitutedInsideAndRestoredOutside) {
    // Pure blue ($FF0000), its substitute and another colour.
    const TBitmap original = Picture(3, 2, [](int x, int y) {
        return x == 0 ? 0xFF0000u : x == 1 ? 0x00FF00u : 0x10u * (y + 1);
    });
    WriteBmp(original, Path("blue.bmp"));
    UndoBoard b;
    b.SetOwnedByMain(true);
    b.LoadImageFile(Path("blue.bmp"));
    EXPECT_EQ(b.GetCell(0, 0), 0xFE0000u);
    EXPECT_EQ(b.GetCell(0, 1), 0xFE0000u);
    EXPECT_EQ(b.GetFileName(), Path("blue.bmp"));
    EXPECT_FALSE(b.Modified);
    EXPECT_TRUE(b.ChangedSinceAutosave);
    EXPECT_EQ(b.Clears, 1);
    b.Modified = true;
    b.SaveImageFile(Path("back.bmp"), 1);
    EXPECT_FALSE(b.Modified);
    EXPECT_EQ(kdstest::ReadFile(Path("back.bmp")), kdstest::ReadFile(Path("blue.bmp")));
    EXPECT_EQ(b.GetCell(0, 0), 0xFE0000u); // the raster keeps the substitute

    // A board of no main window replaces nothing.
    UndoBoard free;
    free.LoadImageFile(Path("blue.bmp"));
    EXPECT_EQ(free.GetCell(0, 0), 0xFF0000u);
}

TEST_F(BoardFormats, PaletteDistancesAndTheMappingRule) {
    struct Case {
        TColor Cell, Entry;
        int Distance;
    };
    // Colours are $00BBGGRR; the components of (0, 0, 200) are red 0, green 0, blue 200.
    for (const Case& c :
         {Case{0x010101, 0x000000, 300}, Case{0x010101, 0xFFFFFF, 76200}, Case{0xC80000, 0xFF0000, 27},
          Case{0xC80000, 0xFFFFFF, 427}, Case{0xC80000, 0x000000, 100}, Case{0x123456, 0x123456, 0}})
        EXPECT_EQ(PaletteDistance(c.Cell, c.Entry), c.Distance) << std::hex << c.Cell << " " << c.Entry;
    const TColor bw[] = {0x000000, 0xFFFFFF};
    EXPECT_EQ(MappedColor(0x010101, bw, 2), 0x000000u);
    const TColor blues[] = {0xFFFFFF, 0x000000, 0xFF0000};
    EXPECT_EQ(MappedColor(0xC80000, blues, 3), 0xFF0000u);
    EXPECT_EQ(MappedColor(0xC80000, blues, 2), 0x000000u); // 100 against 427
    const TColor white[] = {0xFFFFFF};
    EXPECT_EQ(MappedColor(0x010101, white, 1), 0x010101u); // nothing below 1000: kept
    const TColor twice[] = {0x000002, 0x000002, 0x020000};
    EXPECT_EQ(MappedColor(0x000001, twice, 3), 0x000002u); // the first of equal entries
}

TEST_F(BoardFormats, ExchangePicturesAreFourBitWithTheExchangeTable) {
    UndoBoard b;
    b.SetRaster(Picture(3, 2, [](int x, int y) {
        const TColor c[2][3] = {{0xFFFFFF, 0xA00000, 0x010101}, {0x57FFFF, 0x000000, 0x5858FF}};
        return c[y][x];
    }));
    const TBitmap before = b.Raster();
    b.ExportPicture(Path("IMPFROM7.bmp"), true);
    const QByteArray file = kdstest::ReadFile(Path("IMPFROM7.bmp"));
    ASSERT_GT(file.size(), 54 + 64);
    EXPECT_EQ(file[28], 4);
    for (int i = 0; i < 16; ++i) {
        const TColor c = ExchangeTable[std::size_t(i)];
        EXPECT_EQ(U32(file, 54 + 4 * i), ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)) << i;
    }
    // Rows bottom-up, high nibble left: 57FFFF is entry 14, black 0, 5858FF nearest to 5757FF (12);
    // white 15, A00000 mapped to AB0000 (1), 010101 nearest to black (0).
    const int pixels = int(U32(file, 10));
    EXPECT_EQ(std::uint8_t(file[pixels]), 0xE0);
    EXPECT_EQ(std::uint8_t(file[pixels + 1]), 0xC0);
    EXPECT_EQ(std::uint8_t(file[pixels + 4]), 0xF1);
    EXPECT_EQ(std::uint8_t(file[pixels + 5]), 0x00);
    // The drawing keeps the mapped colours, in one undo step that holds the old picture.
    EXPECT_EQ(b.GetCell(1, 0), 0xAB0000u);
    EXPECT_EQ(b.GetCell(2, 1), 0x5757FFu);
    EXPECT_EQ(b.Saves, 1);
    EXPECT_EQ(std::memcmp(b.UndoCopy.Bits(), before.Bits(), before.ImageSize()), 0);
    EXPECT_EQ(Palette16()[1], (TBGRColor{0xAB, 0, 0}));

    // Unmapped: the drawing stays, the file still holds table indices only.
    UndoBoard u;
    u.SetRaster(Picture(3, 2, [](int, int) { return 0x0000ACu; }));
    u.ExportPicture(Path("four.bmp"), false);
    EXPECT_EQ(u.GetCell(0, 0), 0x0000ACu);
    EXPECT_EQ(u.Saves, 0);
    const QByteArray four = kdstest::ReadFile(Path("four.bmp"));
    EXPECT_EQ(std::uint8_t(four[int(U32(four, 10))]), 0x44);
}

TEST_F(BoardFormats, ImportReplacesPictureAndSizeAndDropsTheUndoCopy) {
    WriteBmp(Picture(7, 5, Tag), Path("Expto7.bmp"));
    UndoBoard b;
    b.SetRaster(Picture(3, 2, Tag));
    b.ImportPicture(Path("Expto7.bmp"));
    EXPECT_EQ(b.ImageWidth(), 7);
    EXPECT_EQ(b.ImageHeight(), 5);
    EXPECT_EQ(b.GetCell(6, 4), Tag(6, 4));
    EXPECT_EQ(b.Clears, 1);
    EXPECT_TRUE(b.Modified);
    EXPECT_TRUE(b.ChangedSinceAutosave);
}

TEST_F(BoardFormats, CanvasStaysAnchoredBottomLeft) {
    struct Case {
        int W, H;
    };
    for (const Case& c : {Case{6, 5}, Case{2, 2}, Case{4, 1}, Case{5, 3}}) {
        UndoBoard b;
        b.SetRaster(Picture(4, 3, Tag));
        b.BrushColor = 0x123456;
        b.ResizeCanvas(c.W, c.H);
        ASSERT_EQ(b.ImageWidth(), c.W);
        ASSERT_EQ(b.ImageHeight(), c.H);
        const int dy = c.H - 3;
        for (int y = 0; y < c.H; ++y)
            for (int x = 0; x < c.W; ++x) {
                const bool old = x < 4 && y - dy >= 0 && y - dy < 3;
                EXPECT_EQ(b.GetCell(x, y), old ? Tag(x, y - dy) : 0x123456u)
                    << c.W << "x" << c.H << " " << x << "," << y;
            }
        EXPECT_EQ(b.Clears, 1);
    }
}

TEST_F(BoardFormats, OperationsWorkOnACopyAndTakeOneUndoStep) {
    UndoBoard b;
    b.SetOwnedByMain(true);
    b.SetRaster(Picture(4, 4, [](int x, int y) { return (x + y) % 2 ? 0xFE0000u : 0x30C060u; }));
    b.GrayScale();
    EXPECT_EQ(b.Saves, 1);
    // The grey of pure blue (the colour the substitute leaves as), not of the substitute.
    const TColor grey = b.GetCell(1, 0);
    EXPECT_EQ(grey & 0xFF, (grey >> 8) & 0xFF);
    EXPECT_EQ(grey & 0xFF, 255u * 11 / 100);
    b.ReduceColors(1);
    EXPECT_EQ(b.Saves, 1);
    EXPECT_EQ(b.ColorCount(), 2);
    b.StretchImage(8, 2);
    EXPECT_EQ(b.ImageWidth(), 8);
    EXPECT_EQ(b.ImageHeight(), 2);
    EXPECT_EQ(b.Clears, 1);
}

TEST_F(BoardFormats, FailuresLeaveBoardAndFilesAsTheyWere) {
    WriteBmp(Picture(5, 4, Tag), Path("good.bmp"));
    QByteArray cut = kdstest::ReadFile(Path("good.bmp"));
    cut.chop(20);
    kdstest::WriteFile(Path("cut.bmp"), cut);
    kdstest::WriteFile(Path("a.xyz"), kdstest::ReadFile(Path("good.bmp")));
    QDir(Dir.path()).mkdir(QStringLiteral("folder.bmp"));
    const QByteArray good = kdstest::ReadFile(Path("good.bmp"));
    // Old files that failing saves must leave as they are: one beside, two in a read-only folder.
    kdstest::WriteFile(Path("old.gif"), good);
    QDir(Dir.path()).mkdir(QStringLiteral("locked"));
    kdstest::WriteFile(Path("locked/old.bmp"), good);
    kdstest::WriteFile(Path("locked/IMPFROM7.bmp"), good);
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::ExeOwner);

    UndoBoard b;
    b.SetOwnedByMain(true);
    b.SetRaster(Picture(3, 2, Tag));
    b.SetFileName(QStringLiteral("mine.bmp"));
    b.Modified = true;
    const QByteArray raster = RasterBytes(b);
    struct Case {
        const char* Name;
        std::function<void()> Do;
        int SubCode; // 0: the image library's own error
    };
    std::vector<Case> cases = {
        {"a truncated BMP", [&] { b.LoadImageFile(Path("cut.bmp")); }, 0},
        {"a name no reader takes", [&] { b.LoadImageFile(Path("a.xyz")); }, boardmsg::NoReader},
        {"a save onto a folder", [&] { b.SaveImageFile(Path("folder.bmp"), 1); }, 0},
        {"a save into a missing folder", [&] { b.SaveImageFile(Path("none/x.bmp"), 20); }, 0},
        {"an export into a missing folder", [&] { b.ExportPicture(Path("none/IMPFROM7.bmp"), true); },
         boardmsg::ExportFailed},
        {"an import of a missing file", [&] { b.ImportPicture(Path("Expto7.bmp")); }, boardmsg::ImportFailed},
        {"an import of a truncated file", [&] { b.ImportPicture(Path("cut.bmp")); }, boardmsg::ImportFailed},
        {"a resample to nothing", [&] { b.StretchImage(0, 5); }, boardmsg::SizeRefused},
        {"a canvas above the cell limit", [&] { b.ResizeCanvas(1 << 15, 1 << 14); }, boardmsg::SizeRefused},
        {"a new picture above the cell limit", [&] { b.NewImage(1 << 30, 2); }, boardmsg::SizeRefused},
        {"a save over an old file with no writer", [&] { b.SaveImageFile(Path("old.gif"), 7); }, 0},
    };
    // A read-only folder stops everyone but root.
    if (::geteuid() != 0) {
        cases.push_back({"a save over a file of a read-only folder",
                         [&] { b.SaveImageFile(Path("locked/old.bmp"), 1); }, 0});
        cases.push_back({"an export into a read-only folder",
                         [&] { b.ExportPicture(Path("locked/IMPFROM7.bmp"), true); },
                         boardmsg::ExportFailed});
    }
    for (const Case& c : cases) {
        try {
            c.Do();
            ADD_FAILURE() << c.Name << " succeeded";
        } catch (const MException& e) {
            EXPECT_EQ(e.SubCode, c.SubCode) << c.Name;
        } catch (const Exception& e) {
            EXPECT_EQ(c.SubCode, 0) << c.Name << ": " << e.Message().toStdString();
        }
        EXPECT_EQ(RasterBytes(b), raster) << c.Name;
        EXPECT_EQ(b.ImageWidth(), 3) << c.Name;
        EXPECT_EQ(b.GetFileName(), QStringLiteral("mine.bmp")) << c.Name;
        EXPECT_TRUE(b.Modified) << c.Name;
        EXPECT_EQ(b.Saves + b.Clears, 0) << c.Name;
    }
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const char* name : {"good.bmp", "old.gif", "locked/old.bmp", "locked/IMPFROM7.bmp"})
        EXPECT_EQ(kdstest::ReadFile(Path(QLatin1String(name))), good) << name;
    EXPECT_EQ(QDir(Path("locked")).entryList(QDir::Files).size(), 2);
    EXPECT_FALSE(QFile::exists(Path("none")));
}

TEST_F(BoardFormats, NewPicturesAndSixteenColourSaves) {
    UndoBoard b;
    b.NewImage(3, 2);
    EXPECT_EQ(b.GetCell(2, 1), 0x00BB00u);
    EXPECT_EQ(b.Clears, 1);
    b.SetCell(0, 0, 0, 0x0000FE); // nearest to red of the standard sixteen
    b.SaveImageFile(Path("sixteen.bmp"), 20);
    const QByteArray file = kdstest::ReadFile(Path("sixteen.bmp"));
    EXPECT_EQ(file[28], 4);
    UndoBoard back;
    back.LoadImageFile(Path("sixteen.bmp"));
    EXPECT_EQ(back.GetCell(0, 0), 0x0000FFu);
    EXPECT_EQ(back.GetCell(1, 0), 0x008000u); // $00BB00 is nearest to the dark green
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-1, 3}, {1 << 15, 1 << 14}})
        EXPECT_EQ(CatchM([&] { b.NewImage(w, h); }).SubCode, boardmsg::SizeRefused) << w << "x" << h;
}

TEST_F(BoardFormats, SavesInTheLoadedFilesTypeKeepEveryDrawnColour) {
    struct Case {
        const char* Name;
        int Bits, Samples;
        TColor Drawn;   // drawn into a black and white picture
        bool DepthKept; // the file keeps the loaded depth
    };
    // Byte 24 of a PNG file is the bit depth; byte 25 its colour type (3 a colour table, 2 RGB).
    const Case cases[] = {
        {"png", 1, 1, 0x0000FF, false}, {"tif", 1, 1, 0x0000FF, false}, {"png", 8, 1, 0x0000FF, true},
        {"png", 1, 1, 0xFFFFFF, true},  {"tif", 1, 1, 0x000000, true},
    };
    for (const Case& c : cases) {
        const QString name = Path(QStringLiteral("loaded.") + QLatin1String(c.Name));
        TBitmap picture = Picture(4, 3, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0u; });
        TImageIO io;
        io.SetAttachedBitmap(&picture);
        io.Params().BitsPerSample = c.Bits;
        io.Params().SamplesPerPixel = c.Samples;
        io.SaveToFile(name);

        UndoBoard b;
        b.LoadImageFile(name);
        b.SetCell(0, 1, 0, c.Drawn);
        b.SetCell(0, 2, 0, 0x00FF00);
        if (c.Bits == 1)
            b.SetCell(0, 2, 0, c.Drawn);
        const QByteArray drawn = RasterBytes(b);
        b.SaveImageFile(name, FileTypeOfName(name));
        UndoBoard back;
        back.LoadImageFile(name);
        EXPECT_EQ(RasterBytes(back), drawn)
            << c.Name << " " << c.Bits << " bits, drawn " << std::hex << c.Drawn;
        if (QLatin1String(c.Name) == QLatin1String("png")) {
            const QByteArray file = kdstest::ReadFile(name);
            EXPECT_EQ(file[24] == 8 && file[25] == 2, !c.DepthKept)
                << c.Bits << " bits, drawn " << std::hex << c.Drawn;
        }
    }

    // A drawing of more colours than a colour table holds.
    TBitmap grey = Picture(20, 20, [](int x, int) { return 0x010101u * TColor(x); });
    TImageIO io;
    io.SetAttachedBitmap(&grey);
    io.Params().SamplesPerPixel = 1;
    io.SaveToFile(Path("grey.png"));
    UndoBoard b;
    b.LoadImageFile(Path("grey.png"));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            b.SetCell(0, x, y, TColor(0x000100 * y + 0x010000 * x + 7));
    const QByteArray drawn = RasterBytes(b);
    b.SaveImageFile(Path("grey.png"), FileTypeOfName(Path("grey.png")));
    UndoBoard back;
    back.LoadImageFile(Path("grey.png"));
    EXPECT_EQ(RasterBytes(back), drawn);
}

TEST_F(BoardFormats, NeedleRowsFollowLoadsNewPicturesAndCanvasChanges) {
    WriteBmp(Picture(6, 3, Tag), Path("six.bmp"));
    UndoBoard b;
    struct Step {
        const char* Name;
        std::function<void()> Do;
        int W, H;
        TColor BottomLeft;
    };
    const Step steps[] = {
        {"a load", [&] { b.LoadImageFile(Path("six.bmp")); }, 6, 3, Tag(0, 2)},
        {"a wider, taller canvas", [&] { b.ResizeCanvas(8, 5); }, 8, 5, Tag(0, 2)},
        {"a new picture", [&] { b.NewImage(4, 2); }, 4, 2, 0x00BB00},
    };
    for (const Step& s : steps) {
        s.Do();
        MPatternSource& p = b.Pattern();
        EXPECT_EQ(p.ImageWidth(), s.W) << s.Name;
        EXPECT_EQ(p.ImageHeight(), s.H) << s.Name;
        ByteWriter w;
        p.ReadNeedleRow(w, 1, 1, 0);
        ASSERT_EQ(w.Size(), 3u) << s.Name;
        EXPECT_EQ(CellColorOf(w.Buffer().data()), s.BottomLeft) << s.Name;
    }
}
