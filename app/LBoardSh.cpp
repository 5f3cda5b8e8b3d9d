#include "app/LBoardSh.h"

#include "model/UcstmExp.h"
#include "model/UmapRect.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Scroll distances are bounded so that negating one never overflows.
constexpr int ScrollLimit = 1 << 30;

int ClampToInt(std::int64_t V) {
    return int(std::clamp<std::int64_t>(V, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Moves the span First .. Last by N cells (back for a negative N), stopping at 0 and at Limit.
void ShiftSpan(int& First, int& Last, int N, int Limit) {
    N = N < 0 ? -std::min(-N, First) : std::max(0, std::min(N, Limit - Last));
    First += N;
    Last += N;
}

// The rows of a buffer's BMP image, top-down; empty when the stream does not hold a 24-bit picture
// of the buffer's size. Works on a const buffer: nothing is written through it by the readers.
struct TBufferRows {
    const std::uint8_t* Top = nullptr;
    qsizetype Stride = 0;
    int Width = 0;
    int Height = 0;
    const std::uint8_t* Row(int Y) const { return Top - qsizetype(Y) * Stride; }
};

std::uint32_t U32At(const QByteArray& Bytes, qsizetype Pos) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(Bytes.constData() + Pos);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// The buffer's pixel block is found from the image size at byte 34 of its stream and its rows from
// its width; a stream of fewer than 8 bits per pixel (byte 28) raises MException 5001/1.
TBufferRows RowsOf(const MmapRect& Buffer) {
    TBufferRows rows;
    const QByteArray& px = Buffer.Pixels;
    if (Buffer.Width <= 0 || Buffer.Height <= 0 || px.size() < MmapRect::HeadersSize)
        return rows;
    const auto* p = reinterpret_cast<const std::uint8_t*>(px.constData());
    if (int(p[28]) + (int(p[29]) << 8) < 8)
        RaiseM(5001, 1);
    const qsizetype stride = Buffer.Stride();
    const qsizetype imageSize = qsizetype(U32At(px, 34));
    if (imageSize > px.size() - MmapRect::HeadersSize || imageSize < stride * Buffer.Height)
        return rows;
    rows.Stride = stride;
    rows.Width = Buffer.Width;
    rows.Height = Buffer.Height;
    rows.Top = p + px.size() - stride;
    return rows;
}

} // namespace

void NormalizeRect(TBoardRect& Rect) {
    if (Rect.Left > Rect.Right)
        std::swap(Rect.Left, Rect.Right);
    if (Rect.Top > Rect.Bottom)
        std::swap(Rect.Top, Rect.Bottom);
}

int ClipRect(TBoardRect& Rect, const TBoardRect& Bounds) {
    NormalizeRect(Rect);
    const bool overlaps = Rect.Left <= Bounds.Right && Rect.Right >= Bounds.Left &&
                          Rect.Top <= Bounds.Bottom && Rect.Bottom >= Bounds.Top;
    if (!overlaps) {
        Rect = Bounds;
        return -1;
    }
    Rect.Left = std::max(Rect.Left, Bounds.Left);
    Rect.Top = std::max(Rect.Top, Bounds.Top);
    Rect.Right = std::min(Rect.Right, Bounds.Right);
    Rect.Bottom = std::min(Rect.Bottom, Bounds.Bottom);
    return 0;
}

int PointInRect(int X, int Y, const TBoardRect& Rect) {
    return X >= Rect.Left && X <= Rect.Right && Y >= Rect.Top && Y <= Rect.Bottom ? 0 : -1;
}

TBoardSheet::TBoardSheet() = default;
TBoardSheet::~TBoardSheet() = default;

void TBoardSheet::SetRaster(TBitmap&& Picture) {
    FRaster = std::move(Picture);
    FRasterValid = !FRaster.Empty();
    FLastCol = FRaster.Width() - 1;
    FLastRow = FRaster.Height() - 1;
    RasterReplaced();
}

void TBoardSheet::ClearRaster() {
    FRaster = TBitmap();
    FRasterValid = false;
    FLastCol = FLastRow = -1;
    RasterReplaced();
}

MRowView TBoardSheet::RowView() {
    if (!FRasterValid)
        return {};
    return {FRaster.Bits(), FRaster.BytesPerLine(), FRaster.Width(), FRaster.Height()};
}

MRasterPattern& TBoardSheet::Pattern() {
    FPattern.SetView(RowView());
    return FPattern;
}

// ---- Cells.

TColor TBoardSheet::GetCell(int X, int Y) const {
    if (!FRasterValid || X < 0 || Y < 0 || X > FLastCol || Y > FLastRow)
        return BrushColor;
    return CellColorOf(FRaster.ScanLine(Y) + 3 * std::size_t(X));
}

std::uint8_t* TBoardSheet::SeekCell(int X, int Y) {
    if (!FRasterValid || X < 0 || Y < 0 || X > FLastCol || Y > FLastRow)
        return nullptr;
    return FRaster.ScanLine(Y) + 3 * std::size_t(X);
}

TColor TBoardSheet::ReadCell(int X, int Y) {
    const std::uint8_t* p = SeekCell(X, Y);
    return p ? CellColorOf(p) : 0;
}

void TBoardSheet::WriteCell(int X, int Y, TColor Color) {
    if (std::uint8_t* p = SeekCell(X, Y))
        PutCellColor(p, Color);
}

void TBoardSheet::SetCell(int Mode, int X, int Y, TColor Color) {
    std::uint8_t* p = SeekCell(X, Y);
    if (!p)
        return;
    PutCellColor(p, Color);
    if (Mode == 2)
        InvalidateCells({X, Y, X, Y});
}

void TBoardSheet::GetMapRect(int X, int Y, MmapRect& Buffer) const {
    const int left = std::max(X, 0);
    const int top = std::max(Y, 0);
    const int right = ClampToInt(std::min<std::int64_t>(std::int64_t(X) + Buffer.Width - 1, FLastCol));
    const int bottom = ClampToInt(std::min<std::int64_t>(std::int64_t(Y) + Buffer.Height - 1, FLastRow));
    const bool inside =
        FRasterValid && Buffer.Width > 0 && Buffer.Height > 0 && left <= right && top <= bottom;
    Buffer.Width = inside ? right - left + 1 : 0;
    Buffer.Height = inside ? bottom - top + 1 : 0;
    Buffer.InitPixels();
    if (!inside)
        return;
    const MRowView rows = Buffer.RowView();
    for (int y = 0; y < Buffer.Height; ++y)
        std::memcpy(rows.Row(y), FRaster.ScanLine(top + y) + 3 * std::size_t(left),
                    3 * std::size_t(Buffer.Width));
}

void PutBufferCells(TBitmap& Target, int X, int Y, const MmapRect& Buffer) {
    const TBufferRows rows = RowsOf(Buffer);
    if (!rows.Top || Target.Empty())
        return;
    // The buffer's columns and rows that land inside the picture.
    const int bx0 = int(std::max<std::int64_t>(0, -std::int64_t(X)));
    const int by0 = int(std::max<std::int64_t>(0, -std::int64_t(Y)));
    const int bx1 = int(std::min<std::int64_t>(rows.Width - 1, std::int64_t(Target.Width()) - 1 - X));
    const int by1 = int(std::min<std::int64_t>(rows.Height - 1, std::int64_t(Target.Height()) - 1 - Y));
    if (bx0 > bx1)
        return;
    for (int by = by0; by <= by1; ++by) {
        const std::uint8_t* src = rows.Row(by) + 3 * std::size_t(bx0);
        std::uint8_t* dst = Target.ScanLine(Y + by) + 3 * std::size_t(std::int64_t(X) + bx0);
        const std::size_t count = std::size_t(bx1 - bx0 + 1);
        if (!Buffer.Transparent) {
            std::memcpy(dst, src, 3 * count);
            continue;
        }
        for (std::size_t i = 0; i < count; ++i, src += 3, dst += 3)
            if (CellColorOf(src) != Buffer.TransparentColor)
                std::memcpy(dst, src, 3);
    }
}

void TBoardSheet::PutMapRect(int Mode, int X, int Y, const MmapRect& Buffer) {
    if ((Mode == 0 || Mode == 2) && FRasterValid)
        PutBufferCells(FRaster, X, Y, Buffer);
    if ((Mode == 1 || Mode == 2) && Buffer.Width > 0 && Buffer.Height > 0)
        InvalidateCells({X, Y, ClampToInt(std::int64_t(X) + Buffer.Width - 1),
                         ClampToInt(std::int64_t(Y) + Buffer.Height - 1)});
}

// ---- The viewport.

void TBoardSheet::SetViewRect(const TBoardRect& R) {
    FReqViewRect = R;
    FViewRect = R;
    const int cs = FCellSize;
    // Columns keep the left edge.
    const int n = (R.Right - R.Left + 1) / cs;
    if ((R.Right - R.Left + 1) % cs != 0)
        FViewRect.Right = R.Left + n * cs - 1;
    FVisible.Right = FVisible.Left + n - 1;
    if (FVisible.Right > FLastCol) {
        FVisible.Left -= FVisible.Right - FLastCol;
        FVisible.Right = FLastCol;
    }
    if (FVisible.Left < 0) {
        FVisible.Left = 0;
        FViewRect.Right = FViewRect.Left + (FVisible.Right - FVisible.Left + 1) * cs - 1;
    }
    // Rows keep the bottom line.
    const int m = (R.Bottom - R.Top + 1) / cs;
    if ((R.Bottom - R.Top + 1) % cs != 0)
        FViewRect.Bottom = R.Top + m * cs - 1;
    if (FVisible.Bottom <= 0 || FVisible.Bottom <= FVisible.Top || FVisible.Bottom > FLastRow)
        FVisible.Bottom = FLastRow;
    FVisible.Top = FVisible.Bottom - m + 1;
    if (FVisible.Top < 0) {
        FVisible.Bottom = std::min(FVisible.Bottom - FVisible.Top, FLastRow);
        FVisible.Top = 0;
        FViewRect.Bottom = FViewRect.Top + (FVisible.Bottom - FVisible.Top + 1) * cs - 1;
    }
}

void TBoardSheet::MoveViewTo(int X, int Y) {
    const int dx = X - FViewRect.Left, dy = Y - FViewRect.Top;
    for (TBoardRect* r : {&FViewRect, &FReqViewRect}) {
        r->Left += dx;
        r->Right += dx;
        r->Top += dy;
        r->Bottom += dy;
    }
}

void TBoardSheet::SetVisibleCells(const TBoardRect& C) {
    TBoardRect c = C;
    ClipRect(c, {0, 0, FLastCol, FLastRow});
    FVisible = c;
    FViewRect.Right = (c.Right - c.Left + 1) * FCellSize + FViewRect.Left - 1;
    FViewRect.Bottom = (c.Bottom - c.Top + 1) * FCellSize + FViewRect.Top - 1;
}

void TBoardSheet::ScrollUp(int N) {
    ShiftSpan(FVisible.Top, FVisible.Bottom, -std::clamp(N, -ScrollLimit, ScrollLimit), FLastRow);
    SetVisibleCells(FVisible);
}

void TBoardSheet::ScrollDown(int N) {
    ShiftSpan(FVisible.Top, FVisible.Bottom, std::clamp(N, -ScrollLimit, ScrollLimit), FLastRow);
    SetVisibleCells(FVisible);
}

void TBoardSheet::ScrollLeft(int N) {
    ShiftSpan(FVisible.Left, FVisible.Right, -std::clamp(N, -ScrollLimit, ScrollLimit), FLastCol);
    SetVisibleCells(FVisible);
}

void TBoardSheet::ScrollRight(int N) {
    ShiftSpan(FVisible.Left, FVisible.Right, std::clamp(N, -ScrollLimit, ScrollLimit), FLastCol);
    SetVisibleCells(FVisible);
}

TBoardPoint TBoardSheet::CellToPixel(int X, int Y) const {
    return {ClampToInt((std::int64_t(X) - FVisible.Left) * FCellSize + FViewRect.Left),
            ClampToInt((std::int64_t(Y) - FVisible.Top) * FCellSize + FViewRect.Top)};
}

TBoardPoint TBoardSheet::PixelToCell(int PX, int PY) const {
    return {ClampToInt((std::int64_t(PX) - FViewRect.Left) / FCellSize + FVisible.Left),
            ClampToInt((std::int64_t(PY) - FViewRect.Top) / FCellSize + FVisible.Top)};
}

TBoardRect TBoardSheet::CellsToPixels(const TBoardRect& C) const {
    const TBoardPoint a = CellToPixel(C.Left, C.Top);
    const TBoardPoint b = CellToPixel(C.Right, C.Bottom);
    return {a.X, a.Y, ClampToInt(std::int64_t(b.X) + FCellSize - 1),
            ClampToInt(std::int64_t(b.Y) + FCellSize - 1)};
}

void TBoardSheet::SetPaintRect(const TBoardRect& R) {
    TBoardRect r = R;
    ClipRect(r, FViewRect);
    const int cs = FCellSize;
    const TBoardRect& v = FViewRect;
    r.Left = v.Left + (r.Left - v.Left) / cs * cs;
    r.Top = v.Top + (r.Top - v.Top) / cs * cs;
    r.Right = v.Left + ((r.Right - v.Left) / cs + 1) * cs - 1;
    r.Bottom = v.Top + ((r.Bottom - v.Top) / cs + 1) * cs - 1;
    FPaintRect = r;
    const TBoardPoint a = PixelToCell(r.Left, r.Top);
    const TBoardPoint b = PixelToCell(r.Right, r.Bottom);
    FPaintCells = {a.X, a.Y, b.X, b.Y};
}

void TBoardSheet::SetPaintCells(const TBoardRect& C) {
    TBoardRect c = C;
    ClipRect(c, FVisible);
    FPaintCells = c;
    FPaintRect = CellsToPixels(c);
}

void TBoardSheet::SelectionPixelsToCells() {
    NormalizeRect(SelRect);
    const TBoardPoint a = PixelToCell(SelRect.Left, SelRect.Top);
    const TBoardPoint b = PixelToCell(SelRect.Right, SelRect.Bottom);
    SelCells = {a.X, a.Y, b.X, b.Y};
    SelectionCellsToPixels();
}

void TBoardSheet::SelectionCellsToPixels() {
    NormalizeRect(SelCells);
    ClipRect(SelCells, {0, 0, FLastCol, FLastRow});
    SelRect = CellsToPixels(SelCells);
}

void TBoardSheet::InvalidateCells(const TBoardRect& C) {
    if (!FRasterValid)
        return;
    TBoardRect c = C;
    NormalizeRect(c);
    TBoardRect p = CellsToPixels(c);
    if (ClipRect(p, FViewRect) == 0)
        Invalidate(p);
}

// ---- The zoom picture.

const TBitmap& TBoardSheet::ZoomCells(int X1, int Y1, int X2, int Y2, const MmapRect* Source) {
    TBufferRows rows;
    if (Source) {
        rows = RowsOf(*Source);
    } else if (FRasterValid) {
        if (FRaster.BitsPerPixel() < 8)
            RaiseM(5001, 1);
        rows.Top = FRaster.Bits();
        rows.Stride = -qsizetype(FRaster.BytesPerLine());
        rows.Width = FRaster.Width();
        rows.Height = FRaster.Height();
    }
    if (X1 > X2)
        std::swap(X1, X2);
    if (Y1 > Y2)
        std::swap(Y1, Y2);
    X1 = std::max(X1, 0);
    Y1 = std::max(Y1, 0);
    X2 = std::min(X2, rows.Width - 1);
    Y2 = std::min(Y2, rows.Height - 1);
    if (!rows.Top || X1 > X2 || Y1 > Y2) {
        FZoom = TBitmap();
        return FZoom;
    }
    const int cs = FCellSize;
    const bool grid = GridShown();
    const int cells = X2 - X1 + 1;
    FZoom = TBitmap::Unfilled(cells * cs, (Y2 - Y1 + 1) * cs, pf24bit);
    const std::size_t rowBytes = 3 * std::size_t(cells) * std::size_t(cs);
    std::uint8_t grey[3];
    PutCellColor(grey, GridColor);
    for (int y = Y1; y <= Y2; ++y) {
        const std::uint8_t* src = rows.Row(y) + 3 * std::size_t(X1);
        const int top = (y - Y1) * cs;
        // The cell row's pixel row of colour, built once and copied into the cell's other rows.
        std::uint8_t* line = FZoom.ScanLine(grid ? top + 1 : top);
        std::uint8_t* d = line;
        for (int x = 0; x < cells; ++x, src += 3)
            for (int k = 0; k < cs; ++k, d += 3)
                std::memcpy(d, grid && k == cs - 1 ? grey : src, 3);
        for (int k = grid ? 2 : 1; k < cs; ++k)
            std::memcpy(FZoom.ScanLine(top + k), line, rowBytes);
        if (grid) {
            std::uint8_t* g = FZoom.ScanLine(top);
            for (std::size_t i = 0; i < rowBytes; i += 3)
                std::memcpy(g + i, grey, 3);
        }
    }
    return FZoom;
}

const TBitmap& TBoardSheet::ZoomPaintCells() {
    return ZoomCells(FPaintCells.Left, FPaintCells.Top, FPaintCells.Right, FPaintCells.Bottom);
}
