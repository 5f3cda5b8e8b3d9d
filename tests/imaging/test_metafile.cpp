// The metafile player: drawings built record by record, checked by probing pixels.

#include "tests/imaging/IoTestSupport.h"
#include "tests/imaging/MetaWriter.h"
#include "tests/support/MemoryCap.h"
#include "tests/support/TestSupport.h"

#include "imaging/ImageIO.h"
#include "imaging/ImageProc.h"
#include "imaging/MetaPlayer.h"
#include "imaging/Metafile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace metatest;
using iotest::C;
using iotest::Pixel;

namespace {

constexpr std::uint32_t Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Black = 0, White = 0xFFFFFF;
constexpr int NullPen = 5, NullBrush = 1;

TBitmap Render(const QByteArray& data, int width, int height, TBGRColor background = C(255, 255, 255)) {
    TMetafile metafile;
    metafile.LoadFromData(data);
    TBitmap bmp = iotest::Picture(width, height, [&](int, int) { return background; });
    metafile.Draw(bmp, QRect(0, 0, width, height));
    return bmp;
}

// True when a pixel of the colour lies within distance 1 of (x, y).
bool Near(const TBitmap& bmp, int x, int y, TBGRColor c) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (x + dx >= 0 && y + dy >= 0 && x + dx < bmp.Width() && y + dy < bmp.Height() &&
                Pixel(bmp, x + dx, y + dy) == c)
                return true;
    return false;
}

QString LoadError(const QByteArray& data) {
    TMetafile metafile;
    try {
        metafile.LoadFromData(data);
    } catch (const EInvalidGraphic& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

TEST(Metafile, RefusesDataItCannotWalk) {
    const QByteArray wmf = WmfWriter(0, 0, 40, 40).Rectangle(0, 0, 10, 10).Data();
    const QByteArray emf = EmfWriter(40, 40).Rectangle(0, 0, 10, 10).Data();
    auto patched = [](QByteArray b, int at, std::uint32_t v) {
        b[at] = char(v & 0xFF);
        b[at + 1] = char((v >> 8) & 0xFF);
        b[at + 2] = char((v >> 16) & 0xFF);
        b[at + 3] = char(v >> 24);
        return b;
    };
    // The first record of the WMF starts after the 22-byte placeable header and the 18-byte header;
    // that of the EMF after its 88-byte header record.
    const struct {
        const char* what;
        QByteArray data;
    } cases[] = {
        {"nothing", QByteArray()},
        {"text", QByteArray("just some text, no picture")},
        {"a WMF without its placeable header", wmf.mid(22)},
        {"no units per inch", patched(wmf, 14, 0)},
        {"cut inside a record", wmf.left(wmf.size() - 9)},
        {"cut inside a record header", wmf.left(40 + 4)},
        {"a record running past the end", patched(wmf, 40, 0x1000)},
        {"a record smaller than its header", patched(wmf, 40, 2)},
        {"an EMF cut short", emf.left(emf.size() - 4)},
        {"an EMF record running past the end", patched(emf, 88 + 4, 4000)},
        {"an EMF record size not a multiple of 4", patched(emf, 88 + 4, 26)},
        {"an EMF record smaller than 8", patched(emf, 88 + 4, 4)},
        {"an EMF header too small", patched(emf, 4, 80)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadError(c.data), QStringLiteral("unrecognized WMF or EMF")) << c.what;
    EXPECT_EQ(LoadError(wmf), QString());
    EXPECT_EQ(LoadError(emf), QString());

    // A refused load leaves the metafile as it was.
    TMetafile metafile;
    metafile.LoadFromData(wmf);
    EXPECT_THROW(metafile.LoadFromData(emf.left(100)), EInvalidGraphic);
    EXPECT_FALSE(metafile.Enhanced());
    EXPECT_EQ(metafile.RecordCount(), 2);
}

TEST(Metafile, SizeComesFromTheBoxOrTheFrame) {
    TMetafile wmf;
    wmf.LoadFromData(WmfWriter(100, 200, 100 + 1440, 200 + 720, 1440).Data());
    EXPECT_EQ(wmf.WidthAt(96), 96);
    EXPECT_EQ(wmf.HeightAt(96), 48);
    EXPECT_EQ(wmf.WidthAt(300), 300);
    TMetafile emf;
    emf.LoadFromData(EmfWriter(192, 96).Data());
    EXPECT_TRUE(emf.Enhanced());
    EXPECT_EQ(emf.WidthAt(96), 192);
    EXPECT_EQ(emf.HeightAt(96), 96);
    EXPECT_EQ(emf.WidthAt(48), 96);
}

// A rectangle ends one pixel before its right and bottom coordinates, in both formats.
TEST(Metafile, RectangleEndsBeforeItsRightAndBottom) {
    const TBGRColor sky = C(0, 0, 200);
    for (bool enhanced : {false, true}) {
        const QByteArray data = enhanced ? EmfWriter(40, 40).Rectangle(0, 0, 10, 10).Data()
                                         : WmfWriter(0, 0, 40, 40).Rectangle(0, 0, 10, 10).Data();
        const TBitmap bmp = Render(data, 40, 40, sky);
        SCOPED_TRACE(enhanced ? "EMF" : "WMF");
        for (auto [x, y] : {std::pair{0, 0}, {9, 9}, {9, 0}, {0, 9}, {9, 5}})
            EXPECT_EQ(Pixel(bmp, x, y), C(0, 0, 0)) << x << "," << y;
        for (auto [x, y] : {std::pair{10, 10}, {10, 5}, {5, 10}, {10, 0}})
            EXPECT_EQ(Pixel(bmp, x, y), sky) << x << "," << y;
        // The default brush is white.
        EXPECT_EQ(Pixel(bmp, 5, 5), C(255, 255, 255));
    }
}

TEST(Metafile, FilledPolygonWithItsOutline) {
    const std::vector<std::pair<int, int>> square = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
    const QByteArray wmf = WmfWriter(0, 0, 40, 40)
                               .CreatePen(0, 1, Black)
                               .Select(0)
                               .CreateBrush(0, Red)
                               .Select(1)
                               .Polygon(square)
                               .Data();
    const QByteArray emf = EmfWriter(40, 40)
                               .CreatePen(1, 0, 1, Black)
                               .Select(1)
                               .CreateBrush(2, 0, Red)
                               .Select(2)
                               .Polygon16(square)
                               .Data();
    for (const QByteArray& data : {wmf, emf}) {
        const TBitmap bmp = Render(data, 40, 40);
        EXPECT_EQ(Pixel(bmp, 20, 20), C(255, 0, 0));
        EXPECT_EQ(Pixel(bmp, 10, 20), C(0, 0, 0));
        EXPECT_EQ(Pixel(bmp, 30, 20), C(0, 0, 0));
        EXPECT_EQ(Pixel(bmp, 20, 30), C(0, 0, 0));
        EXPECT_EQ(Pixel(bmp, 31, 20), C(255, 255, 255));
        EXPECT_EQ(Pixel(bmp, 20, 9), C(255, 255, 255));
    }
}

// An ellipse fills inside its box; an arc runs counter-clockwise from its start radial to its end.
TEST(Metafile, EllipseAndTheFourQuadrantArcs) {
    const TBitmap ellipse =
        Render(WmfWriter(0, 0, 60, 60).CreateBrush(0, Red).Select(0).Ellipse(10, 10, 51, 51).Data(), 60, 60);
    EXPECT_EQ(Pixel(ellipse, 30, 30), C(255, 0, 0));
    EXPECT_EQ(Pixel(ellipse, 12, 12), C(255, 255, 255));
    EXPECT_EQ(Pixel(ellipse, 30, 10), C(0, 0, 0));
    EXPECT_EQ(Pixel(ellipse, 30, 50), C(0, 0, 0));
    EXPECT_EQ(Pixel(ellipse, 30, 51), C(255, 255, 255));

    // A circle of radius 20 round (20, 20): radials to the right, top, left and bottom.
    const std::pair<int, int> right{40, 20}, top{20, 0}, left{0, 20}, bottom{20, 40};
    // The 45-degree points of the four quadrants: upper right, upper left, lower left, lower right.
    const std::pair<int, int> mids[4] = {{34, 6}, {6, 6}, {6, 34}, {34, 34}};
    const struct {
        std::pair<int, int> start, end;
        int quadrant;
    } arcs[] = {{right, top, 0}, {top, left, 1}, {left, bottom, 2}, {bottom, right, 3}};
    for (const auto& a : arcs) {
        for (bool enhanced : {false, true}) {
            const QByteArray data =
                enhanced ? EmfWriter(41, 41)
                               .Arc(0, 0, 41, 41, a.start.first, a.start.second, a.end.first, a.end.second)
                               .Data()
                         : WmfWriter(0, 0, 41, 41)
                               .Arc(0, 0, 41, 41, a.start.first, a.start.second, a.end.first, a.end.second)
                               .Data();
            const TBitmap bmp = Render(data, 41, 41);
            for (int q = 0; q < 4; ++q)
                EXPECT_EQ(Near(bmp, mids[q].first, mids[q].second, C(0, 0, 0)), q == a.quadrant)
                    << "arc of quadrant " << a.quadrant << ", probe " << q << (enhanced ? " EMF" : " WMF");
        }
    }
}

TEST(Metafile, WindowMapsOntoTheTargetAndMetricModesPointUp) {
    // Window origin (100, 100), extent 50: the logical square 100..125 covers half the picture.
    const TBitmap wmf = Render(WmfWriter(0, 0, 100, 100)
                                   .SetWindowOrg(100, 100)
                                   .SetWindowExt(50, 50)
                                   .CreatePen(NullPen, 0, 0)
                                   .Select(0)
                                   .CreateBrush(0, Red)
                                   .Select(1)
                                   .Rectangle(100, 100, 125, 125)
                                   .Data(),
                               100, 100);
    EXPECT_EQ(Pixel(wmf, 0, 0), C(255, 0, 0));
    EXPECT_EQ(Pixel(wmf, 48, 48), C(255, 0, 0));
    EXPECT_EQ(Pixel(wmf, 51, 51), C(255, 255, 255));

    // Tenths of a millimetre with y up: 10 mm is 37.8 pixels at 96 dots per inch; the square below
    // the origin lies in the picture, the one above it outside.
    const TBitmap emf = Render(EmfWriter(192, 192)
                                   .SetMapMode(2)
                                   .CreatePen(1, NullPen, 0, 0)
                                   .Select(1)
                                   .CreateBrush(2, 0, Red)
                                   .Select(2)
                                   .Rectangle(0, 0, 100, -100)
                                   .CreateBrush(3, 0, Green)
                                   .Select(3)
                                   .Rectangle(200, -200, 300, -300)
                                   .Rectangle(0, 100, 100, 200)
                                   .Data(),
                               192, 192);
    EXPECT_EQ(Pixel(emf, 20, 20), C(255, 0, 0));
    EXPECT_EQ(Pixel(emf, 20, 45), C(255, 255, 255));
    EXPECT_EQ(Pixel(emf, 95, 95), C(0, 255, 0));
    EXPECT_EQ(Pixel(emf, 60, 60), C(255, 255, 255));
}

TEST(Metafile, ZeroWindowExtentDrawsNothing) {
    const TBitmap bmp = Render(WmfWriter(0, 0, 40, 40)
                                   .CreateBrush(0, Red)
                                   .Select(0)
                                   .SetWindowExt(0, 40)
                                   .Rectangle(0, 0, 30, 30)
                                   .SetWindowExt(40, 40)
                                   .Rectangle(30, 30, 40, 40)
                                   .Data(),
                               40, 40);
    EXPECT_EQ(Pixel(bmp, 10, 10), C(255, 255, 255));
    EXPECT_EQ(Pixel(bmp, 35, 35), C(255, 0, 0));
}

// A WMF object takes the lowest free slot: create A, create B, delete A, create C: C is in A's slot.
TEST(Metafile, ObjectsTakeTheLowestFreeSlot) {
    const TBitmap bmp = Render(WmfWriter(0, 0, 40, 40)
                                   .CreatePen(0, 1, Red)
                                   .CreatePen(0, 1, Green)
                                   .Delete(0)
                                   .CreatePen(0, 1, Blue)
                                   .Select(0)
                                   .MoveTo(0, 5)
                                   .LineTo(40, 5)
                                   .Select(1)
                                   .MoveTo(0, 10)
                                   .LineTo(40, 10)
                                   .Select(7)   // outside the table: skipped
                                   .Delete(300) // likewise
                                   .MoveTo(0, 15)
                                   .LineTo(40, 15)
                                   .Data(),
                               40, 40);
    EXPECT_EQ(Pixel(bmp, 20, 5), C(0, 0, 255));
    EXPECT_EQ(Pixel(bmp, 20, 10), C(0, 255, 0));
    EXPECT_EQ(Pixel(bmp, 20, 15), C(0, 255, 0));
    // A line leaves out its end point.
    EXPECT_EQ(Pixel(bmp, 39, 5), C(0, 0, 255));
}

// A 2 × 2 bitmap stretched ten times, by each record that carries a bitmap: sharp quadrants.
TEST(Metafile, StretchedBitmapKeepsItsPixelsSharp) {
    const QByteArray dib = Dib24(2, 2, {Red, Green, Blue, White});
    const QByteArray files[] = {
        WmfWriter(0, 0, 40, 40).DibStretchBlt(10, 10, 20, 20, 0, 0, 2, 2, dib).Data(),
        WmfWriter(0, 0, 40, 40).StretchDib(10, 10, 20, 20, 0, 0, 2, 2, dib).Data(),
        EmfWriter(40, 40).StretchDIBits(10, 10, 20, 20, dib).Data(),
    };
    for (const QByteArray& data : files) {
        const TBitmap bmp = Render(data, 40, 40, C(9, 9, 9));
        for (auto [x, y] : {std::pair{10, 10}, {19, 19}})
            EXPECT_EQ(Pixel(bmp, x, y), C(255, 0, 0));
        for (auto [x, y] : {std::pair{20, 10}, {29, 19}})
            EXPECT_EQ(Pixel(bmp, x, y), C(0, 255, 0));
        for (auto [x, y] : {std::pair{10, 20}, {19, 29}})
            EXPECT_EQ(Pixel(bmp, x, y), C(0, 0, 255));
        EXPECT_EQ(Pixel(bmp, 29, 29), C(255, 255, 255));
        EXPECT_EQ(Pixel(bmp, 30, 30), C(9, 9, 9));
        EXPECT_EQ(Pixel(bmp, 9, 9), C(9, 9, 9));
    }
    // Negative extents mirror.
    const TBitmap mirrored =
        Render(WmfWriter(0, 0, 40, 40).DibStretchBlt(30, 10, -20, 20, 0, 0, 2, 2, dib).Data(), 40, 40);
    EXPECT_EQ(Pixel(mirrored, 12, 12), C(0, 255, 0));
    EXPECT_EQ(Pixel(mirrored, 27, 12), C(255, 0, 0));
}

TEST(Metafile, RasterOperations) {
    const QByteArray dib = Dib24(2, 1, {White, Black});
    const TBitmap bmp = Render(WmfWriter(0, 0, 40, 40)
                                   .PatBlt(0, 0, 10, 10, 0x00550009)                          // DSTINVERT
                                   .DibStretchBlt(20, 0, 20, 10, 0, 0, 2, 1, dib, 0x008800C6) // SRCAND
                                   .CreatePen(0, 1, White)
                                   .Select(0)
                                   .SetRop2(7) // XOR
                                   .MoveTo(0, 20)
                                   .LineTo(40, 20)
                                   .Data(),
                               40, 40, C(255, 0, 0));
    EXPECT_EQ(Pixel(bmp, 5, 5), C(0, 255, 255));
    EXPECT_EQ(Pixel(bmp, 10, 5), C(255, 0, 0));
    EXPECT_EQ(Pixel(bmp, 25, 5), C(255, 0, 0));
    EXPECT_EQ(Pixel(bmp, 35, 5), C(0, 0, 0));
    EXPECT_EQ(Pixel(bmp, 15, 20), C(0, 255, 255));
}

TEST(Metafile, RestoreBringsBackWhatWasSaved) {
    const TBitmap bmp = Render(WmfWriter(0, 0, 40, 40)
                                   .CreateBrush(0, Red)
                                   .CreateBrush(0, Blue)
                                   .Select(0)
                                   .SaveDC()
                                   .Select(1)
                                   .SetWindowOrg(20, 20)
                                   .RestoreDC(-1)
                                   .Rectangle(0, 0, 20, 20)
                                   .RestoreDC(-1) // nothing left to restore
                                   .RestoreDC(5)
                                   .Rectangle(20, 20, 40, 40)
                                   .Data(),
                               40, 40);
    EXPECT_EQ(Pixel(bmp, 5, 5), C(255, 0, 0));
    EXPECT_EQ(Pixel(bmp, 30, 30), C(255, 0, 0));
}

TEST(Metafile, RecordsOfOtherKindsAreSkippedBySize) {
    const QByteArray wmf =
        WmfWriter(0, 0, 40, 40)
            .Record(0x0999, {0x041B, 10, 10, 0, 0}) // no such record; looks like a rectangle
            .Record(0x0626, {1, 2, 3})              // an escape
            .CreateBrush(0, Red)
            .Select(0)
            .Rectangle(20, 20, 30, 30)
            .Data();
    const QByteArray emf = EmfWriter(40, 40)
                               .Raw(70, QByteArray("EMF+ and other comment data"))
                               .Record(4000, {43, 24, 0, 0})
                               .CreateBrush(1, 0, Red)
                               .Select(1)
                               .Rectangle(20, 20, 30, 30)
                               .Data();
    for (const QByteArray& data : {wmf, emf}) {
        const TBitmap bmp = Render(data, 40, 40);
        EXPECT_EQ(Pixel(bmp, 5, 5), C(255, 255, 255));
        EXPECT_EQ(Pixel(bmp, 25, 25), C(255, 0, 0));
    }
}

// Text is aliased: dark pixels only, inside the box where the text goes, and no third colour.
TEST(Metafile, TextIsAliasedAndWhereItBelongs) {
    const QByteArray wmf = WmfWriter(0, 0, 120, 60)
                               .CreateFont(-20)
                               .Select(0)
                               .TextOut(10, 10, "Hi")
                               .ExtTextOut(60, 10, "xo", {12, 12})
                               .Data();
    const QByteArray emf =
        EmfWriter(120, 60).CreateFont(1, -20).Select(1).TextOutW(10, 10, QStringLiteral("Hi")).Data();
    for (const QByteArray& data : {wmf, emf}) {
        const TBitmap bmp = Render(data, 120, 60);
        int dark = 0;
        std::set<std::uint32_t> colours;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x) {
                const TBGRColor c = Pixel(bmp, x, y);
                colours.insert(BGRValue(c));
                if (c == C(0, 0, 0)) {
                    ++dark;
                    EXPECT_TRUE(x >= 10 && x < 100 && y >= 10 && y < 32) << x << "," << y;
                }
            }
        EXPECT_GT(dark, 30);
        EXPECT_EQ(colours, (std::set<std::uint32_t>{0, 0xFFFFFF}));
    }
}

// The background mode decides whether text gets a box of the background colour, also after a
// hatched brush filled its gaps.
TEST(Metafile, TextBackgroundFollowsTheBackgroundMode) {
    for (int mode : {1, 2}) {
        const TBitmap bmp = Render(WmfWriter(0, 0, 100, 60)
                                       .CreateBrush(2, Red, 4)
                                       .Select(0)
                                       .Rectangle(80, 40, 100, 60)
                                       .SetBkMode(mode)
                                       .CreateFont(-20)
                                       .Select(1)
                                       .TextOut(5, 5, "Hi")
                                       .Data(),
                                   100, 60, C(0, 0, 200));
        int white = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 80; ++x)
                white += Pixel(bmp, x, y) == C(255, 255, 255);
        if (mode == 1)
            EXPECT_EQ(white, 0);
        else
            EXPECT_GT(white, 100);
        // The hatch's gaps took the background colour, white by default.
        EXPECT_TRUE(Near(bmp, 90, 50, C(255, 255, 255)));
    }
}

TEST(Metafile, TextBytesFollowTheFontsCharacterSet) {
    const std::uint8_t salam[] = {0xD3, 0xE1, 0xC7, 0xE3};
    EXPECT_EQ(metafile::TPlayer::DecodeText(salam, 4, 178), QStringLiteral("سلام"));
    const std::uint8_t euro[] = {0x80, 0xE9, 0};
    EXPECT_EQ(metafile::TPlayer::DecodeText(euro, 3, 0), QStringLiteral("€é"));
}

// Colours are yarns: a drawing of five colours renders with five colours and the background.
TEST(Metafile, RenderedDrawingHasItsColoursAndTheBackground) {
    const QByteArray data = WmfWriter(0, 0, 200, 100)
                                .CreatePen(NullPen, 0, 0)
                                .Select(0)
                                .CreateBrush(0, Red)
                                .Select(1)
                                .Polygon({{5, 5}, {60, 10}, {30, 70}})
                                .CreateBrush(0, Green)
                                .Select(2)
                                .Ellipse(70, 10, 130, 90)
                                .CreateBrush(0, 0x00FFFF)
                                .Select(3)
                                .RoundRect(140, 10, 195, 60, 20, 20)
                                .CreatePen(0, 5, Blue)
                                .Select(4)
                                .MoveTo(10, 90)
                                .LineTo(190, 70)
                                .CreateFont(-30)
                                .Select(5)
                                .SetBkMode(1)
                                .TextOut(140, 60, "Ab")
                                .Data();
    TBitmap bmp = Render(data, 200, 100);
    TImageProc proc;
    proc.SetAttachedBitmap(&bmp);
    EXPECT_EQ(proc.CountColors(), 6);
}

// Hostile records end quickly and harmlessly: counts past the record, a huge pen and font, objects
// outside the table, far coordinates.
TEST(Metafile, HostileRecordsAreBounded) {
    const QByteArray wmf = WmfWriter(0, 0, 64, 64)
                               .Record(0x0324, {30000, 1, 2, 3, 4})
                               .Record(0x0538, {2, 30000, 30000, 1, 1})
                               .CreatePen(0, 32000, Red)
                               .Select(0)
                               .MoveTo(-32000, -32000)
                               .LineTo(32000, 31000)
                               .CreateFont(-32000)
                               .Select(1)
                               .TextOut(0, 0, "W")
                               .Ellipse(-32000, -32000, 32000, 32000)
                               .Select(65000)
                               .RestoreDC(-30000)
                               .Data();
    EXPECT_NO_THROW(Render(wmf, 64, 64));
    QByteArray emf = EmfWriter(64, 64)
                         .Record(3, {0, 0, 0, 0, 0x7FFFFFFF, 1, 2})
                         .Record(37, {60000})
                         .CreatePen(1, 0, 0x7FFFFFFF, Red)
                         .Select(1)
                         .Record(41, {32, 32, 0x7FFFFFFF, 0x7F800000, 0x7F800000})
                         .Record(35, {0x7F800000, 0, 0, 0x3F800000, 0, 0})
                         .Ellipse(-2000000000, -2000000000, 2000000000, 2000000000)
                         .Data();
    EXPECT_NO_THROW(Render(emf, 64, 64));
}

// The picture reader's metafile path: the drawing's size less one, over the background.
TEST(Metafile, LoadsThroughThePictureReader) {
    QTemporaryDir dir;
    const QString wmfName = dir.filePath(QStringLiteral("clip.WMF"));
    const QString emfName = dir.filePath(QStringLiteral("clip.emf"));
    kdstest::WriteFile(
        wmfName, WmfWriter(0, 0, 96, 48).CreateBrush(0, Red).Select(0).Rectangle(10, 10, 20, 20).Data());
    kdstest::WriteFile(emfName,
                       EmfWriter(96, 48).CreateBrush(1, 0, Red).Select(1).Rectangle(10, 10, 20, 20).Data());
    TBitmap bmp(3, 3, pf24bit);
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    io.SetBackground(RGB(0, 0, 200));
    for (const QString& name : {wmfName, emfName}) {
        io.LoadFromFile(name);
        EXPECT_EQ(io.Params().FileType, name == wmfName ? ioWMF : ioEMF);
        EXPECT_EQ(io.Params().FileName, name);
        EXPECT_EQ(bmp.PixelFormat(), pf24bit);
        EXPECT_EQ(bmp.Width(), 95);
        EXPECT_EQ(bmp.Height(), 47);
        EXPECT_EQ(io.Params().Width, 95);
        EXPECT_EQ(io.Params().DpiX, ScreenPixelsPerInch());
        EXPECT_EQ(Pixel(bmp, 0, 0), C(0, 0, 200));
        EXPECT_EQ(Pixel(bmp, 15, 15), C(255, 0, 0));
        EXPECT_EQ(Pixel(bmp, 19, 19), C(0, 0, 0));
    }

    // Failures keep the picture; a drawing too large for the readers' limit fails as well.
    const QString bad = dir.filePath(QStringLiteral("bad.wmf"));
    const QString huge = dir.filePath(QStringLiteral("huge.emf"));
    kdstest::WriteFile(bad, QByteArray("not a metafile"));
    kdstest::WriteFile(huge, WmfWriter(0, 0, 30000, 30000, 1).Data());
    for (const QString& name : {bad, huge}) {
        try {
            io.LoadFromFile(name);
            ADD_FAILURE() << name.toStdString();
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("unrecognized WMF or EMF"));
        }
        EXPECT_EQ(bmp.Width(), 95);
        EXPECT_EQ(io.Params().FileName, emfName);
    }
}

namespace {

// Loads a drawing of nothing but its headers, declaring width x height pixels at the screen's
// resolution; answers the error, or the picture's size.
QString LoadDeclared(int width, int height) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("declared.wmf"));
    const int dpi = ScreenPixelsPerInch();
    kdstest::WriteFile(name, WmfWriter(0, 0, width, height, dpi).Data());
    TBitmap bmp;
    TImageIO io;
    io.SetAttachedBitmap(&bmp);
    try {
        io.LoadFromFile(name);
    } catch (const EInvalidGraphic& e) {
        return e.Message();
    }
    return QStringLiteral("%1 x %2").arg(bmp.Width()).arg(bmp.Height());
}

void LoadOversizedDrawings() {
    // The picture is the declared size less one pixel each way.
    const std::pair<int, int> sizes[] = {{30000, 30000}, {8489, 26863}, {4098, 4097}, {4097, 32767}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(width);
        EXPECT_EQ(LoadDeclared(width, height), QStringLiteral("unrecognized WMF or EMF"));
    }
}

} // namespace

// A drawing's size comes from its header alone, so drawings are held to 4096 x 4096 pixels: a
// larger declaration is refused before anything is allocated, and a few bytes never cost more
// memory than a raster file of the same size could.
TEST(Metafile, DrawingsLargerThanTheirCapAreRefusedBeforeAnyAllocation) {
    EXPECT_EQ(LoadDeclared(4097, 4097), QStringLiteral("4096 x 4096"));
    EXPECT_TRUE(kdstest::RunUnderMemoryCap(150, LoadOversizedDrawings));
}
