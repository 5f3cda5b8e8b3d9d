#include "imaging/ImageProc.h"

#include "imaging/NeurQuant.h"
#include "platform/SysColors.h"

#include <QPainter>
#include <QRegion>

#include <cmath>
#include <cstring>

// ---- Colour and integer helpers ----

TBGRColor CreateRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return TBGRColor{blue, green, red};
}

std::uint32_t BGRValue(TBGRColor c) {
    return (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b;
}

TColor TRGB2TColor(std::uint32_t bgr) {
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

void TColor2TRGB(TColor color, TBGRColor& out) {
    color = ColorToRGB(color);
    out = TBGRColor{GetBValue(color), GetGValue(color), GetRValue(color)};
}

TBGRColor TColor2TRGB(TColor color) {
    TBGRColor c;
    TColor2TRGB(color, c);
    return c;
}

void OrderRect(int& x1, int& y1, int& x2, int& y2) {
    if (x1 > x2)
        SwapInt(x1, x2);
    if (y1 > y2)
        SwapInt(y1, y2);
}

int CeilExt(double x) {
    const double t = std::trunc(x);
    return int(t) + (x - t > 0 ? 1 : 0);
}

int FloorExt(double x) {
    const double t = std::trunc(x);
    return int(t) - (x - t < 0 ? 1 : 0);
}

// ---- Bit helpers ----

void CopyBits(std::uint8_t* dst, const std::uint8_t* src, int dstBit, int count, int srcBit) {
    if (count <= 0)
        return;
    if ((dstBit & 7) == 0 && (srcBit & 7) == 0) {
        const int bytes = count >> 3;
        std::memcpy(dst + (dstBit >> 3), src + (srcBit >> 3), std::size_t(bytes));
        dstBit += bytes * 8;
        srcBit += bytes * 8;
        count -= bytes * 8;
    }
    for (int i = 0; i < count; ++i)
        SetBit(dst, dstBit + i, GetBit(src, srcBit + i));
}

void Invert1Bit(TBitmap& bitmap) {
    // A picture without columns has no rows to reach.
    for (int y = 0; y < bitmap.Height() && bitmap.Width() > 0; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int i = 0; i < bitmap.BytesPerLine(); ++i)
            row[i] = std::uint8_t(~row[i]);
    }
}

void SwapRedBlue(TBGRColor* row, int count) {
    for (int i = 0; i < count; ++i)
        SwapByte(row[i].b, row[i].r);
}

// ---- Module routines ----

namespace {

// Grey of a colour rounded, the way the two-colour test compares its colours.
std::int64_t RoundedGrey(TBGRColor c) {
    return Round((30 * c.r + 59 * c.g + 11 * c.b) * 0.01);
}

// The 8 × 8 ordered-dither matrix, indexed [x mod 8][y mod 8].
constexpr std::uint8_t Bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                      {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                      {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                      {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

// Eight 24-bit pixels (black or white) for every byte of a 1-bit row.
struct ExpandTable {
    std::uint8_t bytes[256][24];
    ExpandTable() {
        for (int v = 0; v < 256; ++v)
            for (int bit = 0; bit < 8; ++bit)
                std::memset(bytes[v] + bit * 3, (v & (0x80 >> bit)) ? 255 : 0, 3);
    }
};
const ExpandTable ExpandBits;

void ReportRow(const TProgressRec& progress, int rowsDone) {
    progress.Report(int(std::trunc(rowsDone * progress.Factor)));
}

} // namespace

std::unique_ptr<TBitmap> MakeTwoColorBitmap(const TBitmap& bitmap, TBGRColor& C0, TBGRColor& C1) {
    if (bitmap.PixelFormat() != pf24bit || bitmap.Empty())
        return nullptr;
    THash1 hash(13);
    auto mono = std::make_unique<TBitmap>(bitmap.Width(), bitmap.Height(), pf1bit);
    for (int y = 0; y < bitmap.Height(); ++y) {
        if (hash.Count() > 2)
            break;
        const auto* src = reinterpret_cast<const TBGRColor*>(bitmap.ScanLine(y));
        std::uint8_t* dst = mono->ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            const TBGRColor c = src[x];
            if (hash.Insert(BGRValue(c))) {
                if (hash.Count() == 1)
                    C0 = c;
                else
                    C1 = c;
            }
            if (!(c == C0))
                dst[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
        }
    }
    if (hash.Count() != 2)
        return nullptr;
    if (RoundedGrey(C1) < RoundedGrey(C0)) {
        Invert1Bit(*mono);
        std::swap(C0, C1);
    }
    return mono;
}

void Expand1BitTo24Bit(const TBitmap& source, TBitmap& dest, TProgressRec& progress) {
    if (&source == &dest) {
        const TBitmap copy(source);
        Expand1BitTo24Bit(copy, dest, progress);
        return;
    }
    dest.SetSize(1, 1);
    dest.SetPixelFormat(pf24bit);
    dest.SetSize(source.Width(), source.Height());
    if (source.Empty())
        return;
    const int w = source.Width();
    progress.Factor = 100.0 / (source.Height() + 0.5);
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* src = source.ScanLine(y);
        std::uint8_t* dst = dest.ScanLine(y);
        const int full = w / 8;
        for (int i = 0; i < full; ++i)
            std::memcpy(dst + i * 24, ExpandBits.bytes[src[i]], 24);
        if (const int rest = w % 8)
            std::memcpy(dst + full * 24, ExpandBits.bytes[src[full]], std::size_t(rest) * 3);
        ReportRow(progress, y + 1);
    }
}

const TBitmap& As24Bit(const TBitmap& bitmap, TBitmap& temp) {
    if (bitmap.PixelFormat() == pf24bit)
        return bitmap;
    if (bitmap.PixelFormat() == pf1bit) {
        TProgressRec none;
        Expand1BitTo24Bit(bitmap, temp, none);
    } else {
        temp = bitmap;
        temp.SetPixelFormat(pf24bit);
    }
    return temp;
}

void OrderedDither(TBitmap& bitmap, TProgressRec& progress) {
    if (bitmap.PixelFormat() != pf24bit)
        return;
    TBitmap mono(bitmap.Width(), bitmap.Height(), pf1bit);
    progress.Factor = 100.0 / (bitmap.Height() + 0.5);
    for (int y = 0; y < bitmap.Height() && !bitmap.Empty(); ++y) {
        const auto* src = reinterpret_cast<const TBGRColor*>(bitmap.ScanLine(y));
        std::uint8_t* dst = mono.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x)
            if ((GreyOf(src[x]) >> 2) > Bayer[x & 7][y & 7])
                dst[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
        ReportRow(progress, y + 1);
    }
    CopyBitmap(mono, bitmap);
}

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// A shift to the right by n, or to the left by −n.
std::uint32_t ShiftRight(std::uint32_t v, int n) {
    if (n >= 32 || n <= -32)
        return 0;
    return n >= 0 ? v >> n : v << -n;
}

[[noreturn]] void TruncatedDIB() {
    throw EInvalidGraphic(QStringLiteral("Truncated device-independent bitmap"));
}

} // namespace

int CopyDIBToBitmap(const std::uint8_t* dib, std::size_t size, TBitmap& dest, const std::uint8_t* bits,
                    std::size_t bitsSize) {
    constexpr std::size_t HeaderSize = 40;
    if (dib == nullptr || size < HeaderSize)
        TruncatedDIB();
    const auto width = std::int32_t(Le32(dib + 4));
    const auto height = std::int32_t(Le32(dib + 8));
    const int bpp = dib[14] | (dib[15] << 8);
    const std::uint32_t compression = Le32(dib + 16);
    const std::uint32_t clrUsed = Le32(dib + 32);
    if (width < 0 || height < 0)
        throw EInvalidGraphic(QStringLiteral("Invalid bitmap size"));
    const std::int64_t rowSize = ((std::int64_t(width) * bpp + 31) / 32) * 4;

    // Where the colour table (or masks) and the pixels lie.
    std::size_t tableEntries = 0;
    std::size_t afterHeader = HeaderSize;
    if (bpp == 1 || bpp == 4 || bpp == 8)
        tableEntries = clrUsed ? clrUsed : (std::size_t(1) << bpp);
    const bool hasMasks = (bpp == 16 || bpp == 32) && compression == 3;
    if (hasMasks && size < HeaderSize + 12)
        TruncatedDIB();
    if (tableEntries > (size - HeaderSize) / 4)
        TruncatedDIB();
    const std::uint8_t* table = dib + HeaderSize;
    if (hasMasks)
        afterHeader += 12;
    else
        afterHeader += tableEntries * 4;
    const std::uint8_t* pixels = bits;
    std::size_t pixelBytes = bitsSize;
    if (pixels == nullptr) {
        pixels = dib + afterHeader;
        pixelBytes = size - afterHeader;
    }
    // Only the depths and compressions that are read need their rows present.
    const bool reads = bpp == 1 || bpp == 4 || bpp == 8 || (bpp == 24 && compression == 0) ||
                       ((bpp == 16 || bpp == 32) && (compression == 0 || compression == 3));
    if (reads && rowSize > 0 && std::uint64_t(height) > pixelBytes / std::uint64_t(rowSize))
        TruncatedDIB();

    // Everything is checked: only now does the destination change.
    TBitmap result(width, height, bpp == 1 ? pf1bit : pf24bit);
    if (result.Empty()) {
        dest.Assign(result);
        return bpp;
    }

    auto srcRow = [&](int y) { return pixels + std::size_t(rowSize) * std::size_t(height - 1 - y); };
    auto tableColor = [&](unsigned index) {
        if (index >= tableEntries)
            return TBGRColor{};
        const std::uint8_t* e = table + std::size_t(index) * 4;
        return TBGRColor{e[0], e[1], e[2]};
    };

    switch (bpp) {
    case 24:
        if (compression != 0)
            break;
        for (int y = 0; y < height; ++y)
            std::memcpy(result.ScanLine(y), srcRow(y), std::size_t(width) * 3);
        break;
    case 32:
        if (compression != 0 && compression != 3)
            break;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* s = srcRow(y);
            std::uint8_t* d = result.ScanLine(y);
            for (int x = 0; x < width; ++x)
                std::memcpy(d + 3 * x, s + 4 * x, 3);
        }
        break;
    case 16: {
        std::uint32_t rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
        if (compression == 3) {
            rMask = Le32(dib + HeaderSize);
            gMask = Le32(dib + HeaderSize + 4);
            bMask = Le32(dib + HeaderSize + 8);
        } else if (compression != 0) {
            break;
        }
        const int r = MaskRunLength(rMask), g = MaskRunLength(gMask), b = MaskRunLength(bMask);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* s = srcRow(y);
            auto* d = reinterpret_cast<TBGRColor*>(result.ScanLine(y));
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = std::uint32_t(s[2 * x]) | (std::uint32_t(s[2 * x + 1]) << 8);
                d[x].r = std::uint8_t(ShiftRight(v & rMask, b + g - (8 - r)));
                d[x].g = std::uint8_t(ShiftRight(v & gMask, b - (8 - g)));
                d[x].b = std::uint8_t(ShiftRight((v & 0xFF) & bMask, -(8 - b)));
            }
        }
        break;
    }
    case 8:
    case 4:
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* s = srcRow(y);
            auto* d = reinterpret_cast<TBGRColor*>(result.ScanLine(y));
            for (int x = 0; x < width; ++x) {
                const unsigned index = bpp == 8 ? s[x] : (x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4);
                d[x] = tableColor(index);
            }
        }
        break;
    case 1:
        // The pixel block keeps its bytes: rows in the destination's order, bit 0 black.
        for (int y = 0; y < height; ++y)
            std::memcpy(result.ScanLine(y), srcRow(y), std::size_t(rowSize));
        break;
    default:
        break;
    }
    dest = std::move(result); // the pixels move in; the change handler stays with dest
    dest.Changed();
    return bpp;
}

void CopyBitmap(const TBitmap& source, TBitmap& dest) {
    if (&source == &dest)
        return;
    dest.Assign(source);
    if (source.Empty()) {
        dest.SetSize(1, 1);
        dest.Clear();
    }
}

void CopyBitmapRect(const TBitmap& source, TBitmap& dest, int X1, int Y1, int X2, int Y2) {
    const int w = source.Width(), h = source.Height();
    if (X2 == 0 || X2 >= w)
        X2 = w - 1;
    if (Y2 == 0 || Y2 >= h)
        Y2 = h - 1;
    X1 = IntMax(X1, 0);
    Y1 = IntMax(Y1, 0);
    const int dw = IntMax(X2 - X1 + 1, 0), dh = IntMax(Y2 - Y1 + 1, 0);
    TBitmap result(dw, dh, source.PixelFormat());
    if (!source.Palette().empty())
        result.SetPalette(source.Palette());
    for (int y = 0; y < dh && dw > 0; ++y) {
        if (source.PixelFormat() == pf24bit)
            std::memcpy(result.ScanLine(y), source.ScanLine(Y1 + y) + std::size_t(X1) * 3,
                        std::size_t(dw) * 3);
        else if (source.PixelFormat() == pf1bit)
            CopyBits(result.ScanLine(y), source.ScanLine(Y1 + y), 0, dw, X1);
    }
    dest.Assign(result);
}

// ---- The processing component ----

TImageProc::TImageProc(QObject* owner) : TPictureComponent(owner) {}

TImageProc::~TImageProc() = default;

void TImageProc::SaveUndo() {
    if (!FBitmap)
        return;
    FUndoBitmap.SetSize(1, 1);
    FHasUndo = false;
    if (!FBitmap->Empty()) {
        CopyBitmap(*FBitmap, FUndoBitmap);
        FHasUndo = true;
    }
}

void TImageProc::Undo() {
    if (!FBitmap || !FHasUndo)
        return;
    CopyBitmap(FUndoBitmap, *FBitmap);
    Refresh();
}

void TImageProc::Refresh() {
    FAttach.Refresh();
}

void TImageProc::ReportRow(int rowsDone, double factor) {
    if (OnProgress)
        OnProgress(this, int(std::trunc(rowsDone * factor)));
}

TImageProc::Area TImageProc::WorkingArea() const {
    const int w = FBitmap->Width(), h = FBitmap->Height();
    if (const TImgViewLink* view = AttachedImageView(); view && view->HasSelection()) {
        const QRect r = view->SelectionRect();
        Area a{
            IntMax(r.left(), 0), IntMax(r.top(), 0), IntMin(r.right(), w - 1), IntMin(r.bottom(), h - 1), {}};
        a.Polygon = view->SelectionPolygon();
        return a;
    }
    if (SelX1 < 0)
        return Area{0, 0, w - 1, h - 1, {}};
    return Area{SelX1, IntMax(SelY1, 0), IntMin(SelX2, w - 1), IntMin(SelY2, h - 1), {}};
}

namespace {

// Four corners joined by alternating horizontal and vertical edges.
bool IsAxisRectangle(const std::vector<QPoint>& p) {
    if (p.size() != 4)
        return false;
    auto horizontal = [&](int i) { return p[std::size_t(i)].y() == p[std::size_t((i + 1) % 4)].y(); };
    auto vertical = [&](int i) { return p[std::size_t(i)].x() == p[std::size_t((i + 1) % 4)].x(); };
    return (horizontal(0) && vertical(1) && horizontal(2) && vertical(3)) ||
           (vertical(0) && horizontal(1) && vertical(2) && horizontal(3));
}

} // namespace

void TImageProc::GreyRows(TBitmap& bitmap, int X1, int Y1, int X2, int Y2, int areaTop, double factor) {
    for (int y = Y1; y <= Y2; ++y) {
        auto* row = reinterpret_cast<TBGRColor*>(bitmap.ScanLine(y));
        for (int x = X1; x <= X2; ++x) {
            const auto g = std::uint8_t(GreyOf(row[x]));
            row[x] = TBGRColor{g, g, g};
        }
        ReportRow(y - areaTop + 1, factor);
    }
}

bool TImageProc::BeginColorOperation() {
    if (!FBitmap || FBitmap->PixelFormat() != pf24bit || FBitmap->Empty())
        return false;
    if (AutoUndo)
        SaveUndo();
    return true;
}

void TImageProc::ReduceColors(int N) {
    if (N < 1 || !BeginColorOperation())
        return;
    TBitmap& pic = *FBitmap;
    const int w = pic.Width(), h = pic.Height();
    // Colours stand for yarns: a picture that already has no more than N colours keeps them.
    THash1 hash(13);
    for (int y = 0; y < h && hash.Count() <= N; ++y) {
        const auto* row = reinterpret_cast<const TBGRColor*>(pic.ScanLine(y));
        for (int x = 0; x < w && hash.Count() <= N; ++x)
            hash.Insert(BGRValue(row[x]));
    }
    if (hash.Count() > N) {
        std::vector<TBGRColor> palette;
        // More colours than the quantiser learns still leave at most N.
        auto quantiser = BuildNeuQuantPalette(pic, palette, -1, std::min(N, MaxNeuQuantColors));
        // A small cache of the colours met last: neighbouring pixels often repeat a colour.
        constexpr std::size_t CacheSize = 1 << 14;
        std::vector<std::uint32_t> cacheKey(CacheSize, 0xFFFFFFFFu);
        std::vector<std::uint16_t> cacheIndex(CacheSize, 0);
        const double factor = 100.0 / (h + 0.5);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<TBGRColor*>(pic.ScanLine(y));
            for (int x = 0; x < w; ++x) {
                const std::uint32_t key = BGRValue(row[x]);
                const std::size_t slot = ((key * 2654435761u) >> 18) & (CacheSize - 1);
                int index;
                if (cacheKey[slot] == key) {
                    index = cacheIndex[slot];
                } else {
                    index = NeuQuantIndex(*quantiser, row[x]);
                    cacheKey[slot] = key;
                    cacheIndex[slot] = std::uint16_t(index);
                }
                row[x] = palette[std::size_t(index)];
            }
            ReportRow(y + 1, factor);
        }
    }
    Refresh();
}

void TImageProc::ToGrayScale() {
    if (!BeginColorOperation())
        return;
    const Area a = WorkingArea();
    const double factor = 100.0 / (a.Y2 - a.Y1 + 1 + 0.5);
    if (a.Polygon.empty() || IsAxisRectangle(a.Polygon)) {
        GreyRows(*FBitmap, a.X1, a.Y1, a.X2, a.Y2, a.Y1, factor);
    } else if (a.X1 <= a.X2 && a.Y1 <= a.Y2) {
        // A copy of the bounding rectangle turns grey and is drawn back through the polygon, filled
        // with the alternate rule.
        TBitmap grey;
        CopyBitmapRect(*FBitmap, grey, a.X1, a.Y1, a.X2, a.Y2);
        GreyRows(grey, 0, 0, grey.Width() - 1, grey.Height() - 1, 0, factor);
        QImage target = FBitmap->WrapQImage();
        QPainter painter(&target);
        painter.setClipRegion(QRegion(QPolygon(a.Polygon.begin(), a.Polygon.end()), Qt::OddEvenFill));
        painter.drawImage(a.X1, a.Y1, grey.WrapQImage());
    }
    Refresh();
}

void TImageProc::ConvertToBWThreshold(int Threshold) {
    if (!BeginColorOperation())
        return;
    TBitmap& pic = *FBitmap;
    const int w = pic.Width(), h = pic.Height();
    if (Threshold == -1) {
        std::int64_t sb = 0, sg = 0, sr = 0;
        for (int y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const TBGRColor*>(pic.ScanLine(y));
            for (int x = 0; x < w; ++x) {
                sb += row[x].b;
                sg += row[x].g;
                sr += row[x].r;
            }
        }
        const std::int64_t n = std::int64_t(w) * h;
        Threshold = int((30 * (sr / n) + 59 * (sg / n) + 11 * (sb / n)) / 100);
    }
    TBitmap mono(w, h, pf1bit);
    const double factor = 100.0 / (h + 0.5);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const TBGRColor*>(pic.ScanLine(y));
        std::uint8_t* dst = mono.ScanLine(y);
        for (int x = 0; x < w; ++x)
            if (GreyOf(row[x]) >= Threshold)
                dst[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
        ReportRow(y + 1, factor);
    }
    CopyBitmap(mono, pic);
    Refresh();
}

void TImageProc::ConvertToBWDither() {
    if (!BeginColorOperation())
        return;
    TProgressRec progress{OnProgress, this};
    OrderedDither(*FBitmap, progress);
    Refresh();
}

void TImageProc::Resample(int NewWidth, int NewHeight, TResampleFilter Filter) {
    if (!FBitmap)
        return;
    if (AutoUndo)
        SaveUndo();
    if (NewWidth < 0 && NewHeight < 0)
        return;
    TBitmap& pic = *FBitmap;
    // Nothing to resample in an empty picture.
    if (pic.Empty())
        return;
    // The side kept in proportion must still be a size: a wrapped number would lose the picture.
    auto proportional = [](std::int64_t side) {
        if (side > INT32_MAX)
            throw EInvalidGraphic(QStringLiteral("Bitmap too large"));
        return int(side);
    };
    if (NewWidth < 0)
        NewWidth = proportional(std::int64_t(pic.Width()) * NewHeight / pic.Height());
    else if (NewHeight < 0)
        NewHeight = proportional(std::int64_t(pic.Height()) * NewWidth / pic.Width());
    TBitmap temp(NewWidth, NewHeight, pic.PixelFormat());
    if (Filter == rfNone || pic.PixelFormat() != pf24bit)
        StretchBitmap(pic, temp);
    else
        ResampleFiltered(pic, temp, Filter, this, OnProgress);
    pic.Assign(temp);
    Refresh();
}

void TImageProc::Rotate(int Angle, bool AntiAlias) {
    if (!FBitmap)
        return;
    TBitmap& pic = *FBitmap;
    if (pic.PixelFormat() != pf24bit && pic.PixelFormat() != pf1bit)
        return;
    if (AutoUndo)
        SaveUndo();
    TProgressRec progress{OnProgress, this};
    if (pic.PixelFormat() == pf24bit)
        RotateShear(pic, Angle, AntiAlias, TColor2TRGB(Background()), progress);
    else
        Rotate1Bit(pic, OwnBackground() != 0, progress, Angle);
    Refresh();
}

int TImageProc::CountColors() {
    if (!FBitmap)
        return 0;
    if (FBitmap->PixelFormat() == pf1bit)
        return 2;
    if (FBitmap->PixelFormat() != pf24bit || FBitmap->Empty())
        return 0;
    const Area a = WorkingArea();
    THash1 hash(13);
    for (int y = a.Y1; y <= a.Y2; ++y) {
        const auto* row = reinterpret_cast<const TBGRColor*>(FBitmap->ScanLine(y));
        for (int x = a.X1; x <= a.X2; ++x)
            hash.Insert(BGRValue(row[x]));
    }
    return hash.Count();
}
