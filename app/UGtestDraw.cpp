#include "app/UGtestDraw.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor GlyphWhite = 0xFEFEFE; // white is the glyphs' transparent colour
constexpr int FallGlyphs = 16;          // the glyph set of a stitch knitted without yarn

int StitchCode(std::uint32_t V) {
    return int(V & stCodeMask);
}

// The signed transfer offset of a stitch word.
int TransferOffset(std::uint32_t V) {
    const int size = int((V >> stDistanceShift) & stDistanceMax);
    return (V & stDistanceNegative) ? -size : size;
}

bool IsFall(std::uint32_t V) {
    return StitchCode(V) == int(stNoCarrier) || (V & stDropped);
}

// No loop to show on this side: look at the other.
bool ShowsNothing(std::uint32_t V) {
    return StitchCode(V) == int(stEmpty) || (V & stOld);
}

// A stitch drawn in the Transfered Stitch colour: moved across the beds without racking and lying
// on its own needle. One moved away with the racking and back again (its racking bits set, the
// distance 0) shows its yarn as a stitch that never left.
bool TransferedInPlace(std::uint32_t V, int Offset) {
    return (V & stMovedStraight) && Offset == 0;
}

int SideOf(std::uint32_t V) {
    return (V & stRear) ? 1 : 0;
}

void PutEntry(ByteWriter& Row, int Index, TColor Colour) {
    std::uint8_t* p = Row.Buffer().data() + std::size_t(Index) * NeedleEntrySize;
    p[0] = std::uint8_t(Colour >> 16);
    p[1] = std::uint8_t(Colour >> 8);
    p[2] = std::uint8_t(Colour);
}

void FillRow(ByteWriter& Row, int Count, TColor Colour) {
    Row.Buffer().resize(std::size_t(std::max(Count, 0)) * NeedleEntrySize);
    for (int i = 0; i < Count; ++i)
        PutEntry(Row, i, Colour);
}

const char* const GlyphNames[GlyphKinds] = {"Front", "Rear", "R1", "L1", "R2", "L2"};

MmapRect ReadGlyph(int Size, int Glyph) {
    const QImage image(QStringLiteral(":/gtest/Img%1%2.ppm").arg(Size).arg(QLatin1String(GlyphNames[Glyph])));
    MmapRect r;
    r.Width = image.width();
    r.Height = image.height();
    r.InitPixels();
    for (int y = 0; y < r.Height; ++y)
        for (int x = 0; x < r.Width; ++x) {
            const QRgb p = image.pixel(x, y);
            r.SetPixel(x, y, TColor(qRed(p)) | (TColor(qGreen(p)) << 8) | (TColor(qBlue(p)) << 16));
        }
    return r;
}

} // namespace

// ============================================================================ Colours

TGtestColors DefaultGtestColors() {
    constexpr TColor carriers[8] = {0x0000AA, 0x00FF00, 0xFF0000, 0x00FFFF,
                                    0xFFFF00, 0xFF00FF, 0x00AAAA, 0xAAAA00};
    TGtestColors c{};
    for (int k = 0; k < 8; ++k)
        c[std::size_t(2 * k)] = c[std::size_t(2 * k + 1)] = carriers[k];
    c[gtcolor::Transfered] = 0x82A30F;
    c[gtcolor::RightTransfered] = 0xC12CCA;
    c[gtcolor::LeftTransfered] = 0xCA822C;
    c[gtcolor::Opposite] = 0x14B6AD;
    c[gtcolor::Fall] = 0x000088;
    return c;
}

TGtestColors FileOrderOf(const TGtestColors& Table) {
    TGtestColors f = Table;
    for (int r = 1; r <= 2; ++r)
        for (int k = 1; k <= 8; ++k)
            f[std::size_t((r - 1) * 8 + k - 1)] = Table[std::size_t(2 * (k - 1) + r - 1)];
    return f;
}

TGtestColors TableOrderOf(const TGtestColors& File) {
    TGtestColors t = File;
    for (int r = 1; r <= 2; ++r)
        for (int k = 1; k <= 8; ++k)
            t[std::size_t(2 * (k - 1) + r - 1)] = File[std::size_t((r - 1) * 8 + k - 1)];
    return t;
}

std::optional<TGtestColors> ParseYcCache(const QByteArray& Bytes) {
    if (Bytes.size() != YcCacheSize)
        return std::nullopt;
    TGtestColors c{};
    const auto* p = reinterpret_cast<const std::uint8_t*>(Bytes.constData());
    for (int i = 0; i < gtcolor::Count; ++i) {
        const std::uint8_t* v = p + 4 * i;
        // A value is a signed 32-bit number; only its colour bytes are kept.
        c[std::size_t(i)] = (TColor(v[0]) | (TColor(v[1]) << 8) | (TColor(v[2]) << 16)) & 0xFFFFFF;
    }
    return c;
}

QByteArray YcCacheBytes(const TGtestColors& FileOrder) {
    QByteArray b(YcCacheSize, '\0');
    for (int i = 0; i < gtcolor::Count; ++i) {
        const TColor v = FileOrder[std::size_t(i)] & 0xFFFFFF;
        for (int j = 0; j < 4; ++j)
            b[4 * i + j] = char((v >> (8 * j)) & 0xFF);
    }
    return b;
}

std::optional<TGtestColors> ReadYcCacheFile(const QString& FileName) {
    // Only a plain file is read: a pipe or a device would block or never end.
    if (!QFileInfo(FileName).isFile())
        return std::nullopt;
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than a good file holds is enough to tell a longer one.
    return ParseYcCache(f.read(YcCacheSize + 1));
}

bool WriteYcCacheFile(const QString& FileName, const TGtestColors& FileOrder) {
    QSaveFile f(FileName);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(YcCacheBytes(FileOrder));
    return f.commit();
}

std::array<TColor, 3> StitchShades(TColor Colour) {
    const int c[3] = {int(Colour & 0xFF), int((Colour >> 16) & 0xFF),
                      int((Colour >> 8) & 0xFF)}; // red, blue, green
    const int red = c[0];
    const bool grey = std::abs(red - c[1]) < red / 10 && std::abs(red - c[2]) < red / 10;
    // Ranks in the order red, blue, green: the first largest, the last smallest, the remaining one.
    int largest = 0;
    for (int i = 1; i < 3; ++i)
        if (c[i] > c[largest])
            largest = i;
    int smallest = -1;
    for (int i = 0; i < 3; ++i)
        if (i != largest && (smallest < 0 || c[i] <= c[smallest]))
            smallest = i;
    int rank[3];
    for (int i = 0; i < 3; ++i)
        rank[i] = i == largest ? 0 : i == smallest ? 2 : 1;
    static constexpr int GreyPercent[3] = {90, 70, 40};
    static constexpr int RankPercent[3][3] = {{100, 87, 50}, {65, 40, 0}, {37, 0, 0}};
    std::array<TColor, 3> shades{};
    for (int j = 0; j < 3; ++j) {
        int v[3];
        for (int i = 0; i < 3; ++i)
            v[i] = c[i] * (grey ? GreyPercent[j] : RankPercent[j][rank[i]]) / 100;
        shades[std::size_t(j)] = TColor(v[0]) | (TColor(v[2]) << 8) | (TColor(v[1]) << 16);
    }
    return shades;
}

const MmapRect& StitchGlyphPicture(int Size, int Glyph) {
    static const auto pictures = [] {
        std::array<std::array<MmapRect, GlyphKinds>, 2> p;
        for (int g = 0; g < GlyphKinds; ++g) {
            p[0][std::size_t(g)] = ReadGlyph(14, g);
            p[1][std::size_t(g)] = ReadGlyph(10, g);
        }
        return p;
    }();
    return pictures[Size == 14 ? 0 : 1][std::size_t(std::clamp(Glyph, 0, GlyphKinds - 1))];
}

// ============================================================================ The drawing

MGtestDrawing::MGtestDrawing(TBoardSheet& Board, MGtestEngine& Engine) : FBoard(Board), FEngine(Engine) {}

void MGtestDrawing::NewBoard(int Columns, int Lines) {
    // Every byte is written here: the picture is not cleared first.
    TBitmap b = TBitmap::Unfilled(std::max(Columns, 1), std::max(Lines, 1), pf24bit);
    std::memset(b.Bits(), 0xFF, b.ImageSize());
    FBoard.SetRaster(std::move(b));
    ClearNeedleCache();
}

void MGtestDrawing::ClearNeedleCache() {
    // Sized to the working width: needles beyond it are never read.
    FNeedles.assign(std::size_t(std::max(FEngine.Width(), 0)), MNeedleCell{});
    FLastFabricRow = -1;
}

void MGtestDrawing::BuildStitchGlyphs() {
    const int s = StitchSize();
    for (int c = 1; c <= 17; ++c) {
        TColor colour = c <= 16 ? Colors[std::size_t(c - 1)] : Colors[gtcolor::Fall];
        colour &= 0xFFFFFF;
        if (colour == White)
            colour = GlyphWhite;
        const std::array<TColor, 3> shade = StitchShades(colour);
        for (int g = 0; g < GlyphKinds; ++g) {
            MmapRect& glyph = FGlyphs[std::size_t(c - 1)][std::size_t(g)];
            glyph.Assign(StitchGlyphPicture(s, g));
            for (int y = 0; y < glyph.Height; ++y)
                for (int x = 0; x < glyph.Width; ++x) {
                    const TColor p = glyph.GetPixel(x, y);
                    const TColor n = p == 0xBFFFFF   ? colour
                                     : p == 0x60DFFF ? shade[0]
                                     : p == 0x0097DF ? shade[1]
                                     : p == 0x000060 ? shade[2]
                                                     : p;
                    if (n != p)
                        glyph.SetPixel(x, y, n);
                }
            glyph.Transparent = true;
            glyph.TransparentColor = White;
        }
    }
    FWhiteBlock.Width = FWhiteBlock.Height = s;
    FWhiteBlock.InitPixels();
    FWhiteBlock.Fill(White);
    FWhiteBlock.Transparent = false;
}

const MmapRect& MGtestDrawing::LoadStitchGlyph(int Kind, int Colour) const {
    const int set = Colour >= 1 && Colour <= 16 ? Colour - 1 : FallGlyphs;
    const int g = Kind == -2 ? 5 : Kind == -1 ? 3 : Kind == 0 ? 0 : Kind == 1 ? 2 : Kind == 2 ? 4 : 1;
    return FGlyphs[std::size_t(set)][std::size_t(g)];
}

TColor MGtestDrawing::YarnColor(int Code) const {
    return Code >= 1 && Code <= 16 ? Colors[std::size_t(Code - 1)] : White;
}

TColor MGtestDrawing::JaquardColor(std::uint32_t V) const {
    if (IsFall(V))
        return Colors[gtcolor::Fall];
    return YarnColor(StitchCode(V));
}

TColor MGtestDrawing::TransferColor(std::uint32_t V) const {
    if (IsFall(V))
        return Colors[gtcolor::Fall];
    const int offset = TransferOffset(V);
    if (TransferedInPlace(V, offset))
        return Colors[gtcolor::Transfered];
    if (offset > 0)
        return Colors[gtcolor::RightTransfered];
    if (offset < 0)
        return Colors[gtcolor::LeftTransfered];
    return 0xFFFFFFFF; // none
}

void MGtestDrawing::DrawStep() {
    if (!FBoard.RasterValid())
        return;
    if (FEngine.View == gvStitch)
        DrawStitchRow();
    else if (FEngine.Style == gsYC)
        DrawCarrierRow();
    else
        DrawColorRow();
}

void MGtestDrawing::MakeRoom(int& Line, int Margin, int Grow) {
    if (BoardHeight() > Line + Margin)
        return;
    if (BoardHeight() < BoardLimit) {
        GrowBoard(BoardWidth(), BoardHeight() + std::max(Grow, 1));
    } else {
        ScrollBoardDown(ScrollLines);
        FEngine.DisplayRow -= ScrollLines;
        Line -= ScrollLines;
        ScrollViewTo(Line - 3 * StitchSize());
    }
    if (OnBoardChanged)
        OnBoardChanged();
}

void MGtestDrawing::WriteRow(int Line, int First, int Count) {
    FBoard.Pattern().WriteNeedleRow(FRow, Line, First, Count);
}

void MGtestDrawing::RowsWritten(int Top, int Bottom) {
    const int h = BoardHeight();
    Top = std::max(Top, 0);
    Bottom = std::min(Bottom, h - 1);
    if (Top > Bottom)
        return;
    if (OnRowsWritten)
        OnRowsWritten(Top, Bottom);
}

void MGtestDrawing::DrawColorRow() {
    const int render = FEngine.RenderSide == 1 ? 1 : 0;
    const int other = 1 - render;
    const MJacquardBed* f = nullptr;
    const MJacquardBed* o = nullptr;
    int line = 0;
    if (FEngine.Style == gsNormal) {
        // A row is ready when a course of the render side was completed in the step: it lies on the
        // line the course was counted on before its completion advanced the fabric row.
        const MJacquardBed& copy = FEngine.StitchBeds[std::size_t(2 + render)];
        if (copy.Width() == 0)
            return;
        f = &copy;
        const MJacquardBed& otherCopy = FEngine.StitchBeds[std::size_t(2 + other)];
        o = otherCopy.Width() > 0 ? &otherCopy : &FEngine.StitchBeds[std::size_t(other)];
        line = FEngine.DisplayRow - 1;
    } else {
        if (FEngine.StitchFlag != 1)
            return;
        f = &FEngine.StitchBeds[std::size_t(render)];
        o = &FEngine.StitchBeds[std::size_t(other)];
        line = FEngine.DisplayRow;
    }
    if (line < 1)
        return;
    const int width = f->Width();
    FillRow(FRow, width, White);
    for (int n = 1; n <= width; ++n) {
        std::uint32_t v = f->GetNeedle(n);
        TColor colour = White;
        if (FEngine.Style == gsNormal) {
            if (ShowsNothing(v))
                v = o->GetNeedle(n);
            if (!ShowsNothing(v)) {
                const bool opposite = SideOf(v) != render;
                const int offset = TransferOffset(v);
                if (IsFall(v))
                    colour = Colors[gtcolor::Fall];
                else if (opposite)
                    colour = Colors[gtcolor::Opposite];
                else if (TransferedInPlace(v, offset))
                    colour = Colors[gtcolor::Transfered];
                else if (offset > 0)
                    colour = Colors[gtcolor::RightTransfered];
                else if (offset < 0)
                    colour = Colors[gtcolor::LeftTransfered];
                else
                    colour = YarnColor(StitchCode(v));
            }
        } else if (FEngine.Style == gsJaquard) {
            colour = JaquardColor(v);
        } else {
            const TColor t = TransferColor(v);
            colour = t == 0xFFFFFFFF ? White : t;
        }
        PutEntry(FRow, n - 1, colour);
    }
    MakeRoom(line, 0, GrowLines);
    WriteRow(line, FirstNeedleColumn, FEngine.Width());
    const int row = BoardHeight() - line;
    RowsWritten(row, row);
}

void MGtestDrawing::DrawCarrierRow() {
    int line = FEngine.DisplayRow;
    if (line < 1)
        return;
    MakeRoom(line, 2, GrowLines);
    const int boardWidth = BoardWidth();
    const int w = FEngine.Width();
    FillRow(FRow, boardWidth, White);
    const MRegisters& regs = FEngine.Sequencer.Regs;
    const int system = regs.PrevSystem;
    bool drawn = false;
    if (system >= 1 && system <= int(regs.Row.Carriers.size())) {
        const MffMap& set = regs.Row.Carriers[std::size_t(system - 1)];
        for (int k = 1; k <= 8; ++k) {
            if (!set.IsSet(k - 1))
                continue;
            for (int r = 1; r <= 2; ++r) {
                const MYcData& yc = (r == 1 ? regs.Rail1 : regs.Rail2)[std::size_t(k - 1)];
                if (!yc.Selected)
                    continue;
                const std::int64_t a = std::int64_t(MYcData::DecodePosition(yc.Previous, w)) + 20;
                const std::int64_t b = std::int64_t(MYcData::DecodePosition(yc.Current, w)) + 20;
                const std::int64_t lo = std::max<std::int64_t>(std::min(a, b), 1);
                const std::int64_t hi = std::min<std::int64_t>(std::max(a, b), boardWidth);
                const TColor colour = Colors[std::size_t(2 * (k - 1) + r - 1)];
                for (std::int64_t x = lo; x <= hi; ++x)
                    PutEntry(FRow, int(x - 1), colour);
                drawn = true;
            }
        }
    }
    if (drawn)
        WriteRow(line + 1, 1, boardWidth);
    const MJacquardBed& f = FEngine.StitchBeds[FEngine.RenderSide == 1 ? 1 : 0];
    const int width = f.Width();
    FillRow(FRow, width, White);
    for (int n = 1; n <= width; ++n)
        PutEntry(FRow, n - 1, JaquardColor(f.GetNeedle(n)));
    WriteRow(line, FirstNeedleColumn, w);
    WriteRow(line + 2, FirstNeedleColumn, w);
    const int h = BoardHeight();
    RowsWritten(h - line - 2, h - line);
}

void MGtestDrawing::Stamp(int X, int Y, const MmapRect& Glyph) {
    if (Glyph.Width > 0)
        FBoard.PutMapRect(0, X, Y, Glyph);
}

void MGtestDrawing::DrawStitchRow() {
    const int s = StitchSize();
    int line = FEngine.DisplayRow;
    if (line < 1)
        return;
    if (line != FLastFabricRow) {
        for (MNeedleCell& c : FNeedles)
            c.KindDrawn = c.ColourDrawn = -1;
        FLastFabricRow = line;
    }
    const int area = std::max(AreaLines - 10, GrowLines);
    if (BoardHeight() <= line + 13) {
        MakeRoom(line, 13, area);
        FLastFabricRow = line;
    }
    const int render = FEngine.RenderSide == 1 ? 1 : 0;
    const MJacquardBed& f = FEngine.StitchBeds[std::size_t(render)];
    const MJacquardBed& o = FEngine.StitchBeds[std::size_t(1 - render)];
    const int w = std::min<int>(FEngine.Width(), int(FNeedles.size()));
    for (int n = 1; n <= w; ++n) {
        std::uint32_t v = f.GetNeedle(n);
        if (StitchCode(v) == int(stEmpty) || v == 0)
            v = o.GetNeedle(n);
        MNeedleCell& c = FNeedles[std::size_t(n - 1)];
        if (StitchCode(v) == int(stEmpty) || v == 0) {
            c.Kind = 100;
            c.Colour = 0;
            continue;
        }
        c.Colour = StitchCode(v);
        if (SideOf(v) != render)
            c.Kind = 101;
        else if (v & stOld)
            c.Kind = 0;
        else
            c.Kind = std::clamp(TransferOffset(v), -2, 2);
    }
    const int h = BoardHeight();
    const int row = h - line - s + 1;
    int redrawn = 0;
    for (int n = 1; n <= w; ++n) {
        const MNeedleCell& c = FNeedles[std::size_t(n - 1)];
        if (c.Kind == c.KindDrawn && c.Colour == c.ColourDrawn)
            continue;
        ++redrawn;
        const int x = (n - 1) * s;
        if (c.Kind == 100)
            Stamp(x, row, FWhiteBlock);
        else if (c.Kind != 0)
            Stamp(x, row, LoadStitchGlyph(101, c.Colour));
    }
    for (int n = 1; n <= w; ++n) {
        MNeedleCell& c = FNeedles[std::size_t(n - 1)];
        if (c.Kind == c.KindDrawn && c.Colour == c.ColourDrawn)
            continue;
        const int x = (n - 1) * s;
        if (c.Kind >= -2 && c.Kind <= 2) {
            const MmapRect& g = LoadStitchGlyph(c.Kind, c.Colour);
            Stamp(c.Kind > 0 ? x - c.Kind * s : x, h - line - g.Height + 1, g);
        }
        c.KindDrawn = c.Kind;
        c.ColourDrawn = c.Colour;
    }
    FLastRedrawn = redrawn;
    RowsWritten(row, h - line);
}

void MGtestDrawing::GrowBoard(int Width, int Height) {
    const int oldW = BoardWidth(), oldH = BoardHeight();
    if (!FBoard.RasterValid() || Width != oldW || Height < oldH) {
        // Another width or a lower board: a new picture with the old one at its bottom left.
        TBitmap b = TBitmap::Unfilled(std::max(Width, 1), std::max(Height, 1), pf24bit);
        std::memset(b.Bits(), 0xFF, b.ImageSize());
        if (FBoard.RasterValid()) {
            const int rows = std::min(oldH, b.Height());
            const int bytes = std::min(oldW, b.Width()) * 3;
            for (int y = 0; y < rows; ++y)
                std::memcpy(b.ScanLine(b.Height() - 1 - y), FBoard.Raster().ScanLine(oldH - 1 - y),
                            std::size_t(bytes));
        }
        FBoard.SetRaster(std::move(b));
        return;
    }
    if (Height == oldH)
        return;
    // The new lines are filled white and the old ones copied below them: no clearing first, which
    // cost as much again as the copy on a board of 2500 lines.
    TBitmap b = TBitmap::Unfilled(Width, Height, pf24bit);
    const int added = Height - oldH;
    // The lines of one width follow each other: one fill and one copy.
    const std::size_t line = std::size_t(b.BytesPerLine());
    std::memset(b.ScanLine(0), 0xFF, line * std::size_t(added));
    std::memcpy(b.ScanLine(added), FBoard.Raster().ScanLine(0), line * std::size_t(oldH));
    FBoard.SetRaster(std::move(b));
}

void MGtestDrawing::ScrollBoardDown(int N) {
    const int h = BoardHeight();
    if (N < 1 || h < N)
        return;
    TBitmap& r = FBoard.Raster();
    const std::size_t line = std::size_t(r.BytesPerLine());
    std::memmove(r.ScanLine(0) + line * std::size_t(N), r.ScanLine(0), line * std::size_t(h - N));
    std::memset(r.ScanLine(0), 0xFF, line * std::size_t(N));
}

void MGtestDrawing::ScrollViewTo(int N) {
    if (N < 1)
        N = 1;
    const TBoardRect v = FBoard.VisibleCells();
    const int rows = v.Bottom - v.Top + 1;
    const int h = BoardHeight();
    const int bottom = h - N;
    const int top = bottom - rows + 1;
    if (top < 0 || rows < 1)
        return;
    FBoard.SetVisibleCells({v.Left, top, v.Right, bottom});
}

std::size_t MGtestDrawing::MemoryBytes() const {
    std::size_t n =
        FBoard.Raster().ImageSize() + FRow.Buffer().capacity() + FNeedles.capacity() * sizeof(MNeedleCell);
    for (const auto& set : FGlyphs)
        for (const MmapRect& g : set)
            n += std::size_t(g.Pixels.size());
    return n;
}
