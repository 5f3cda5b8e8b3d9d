#pragma once
// The board sheet: the pattern picture as a grid of cells, one per needle and knitting line, each a
// 24-bit colour, with single-cell access, rectangles copied into and out of a pixel buffer and the
// viewport that maps cells to the pixels of a window magnified by an integer cell size. It holds no
// widget: the board window paints it and hears of the pixels a change touched through Invalidate.
//
// The picture lives once, in a 24-bit TBitmap (rows top-down, blue-green-red). Cell (X, Y) is the
// three bytes at ScanLine(Y) + 3X; its colour is b0 << 16 | b1 << 8 | b2 ($00BBGGRR). Column 0 is
// needle 1; row 0 is the top line, so line 1 is the bottom row.

#include "imaging/Bitmap.h"
#include "model/UPattern.h"
#include "model/URowView.h"
#include "platform/Color.h"

#include <QRect>

class MmapRect;

// A rectangle of cells or pixels with both corners inclusive.
struct TBoardRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left + 1; }
    int Height() const { return Bottom - Top + 1; }
    friend bool operator==(const TBoardRect&, const TBoardRect&) = default;
};

// The same rectangle as a QRect, and back.
inline QRect ToQRect(const TBoardRect& R) {
    return QRect(QPoint(R.Left, R.Top), QPoint(R.Right, R.Bottom));
}
inline TBoardRect ToBoardRect(const QRect& R) {
    return {R.left(), R.top(), R.right(), R.bottom()};
}

struct TBoardPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TBoardPoint&, const TBoardPoint&) = default;
};

// Swaps corners so that Left <= Right and Top <= Bottom.
void NormalizeRect(TBoardRect& Rect);
// Normalises Rect and clamps it into Bounds; a rectangle that does not overlap Bounds at all becomes
// Bounds. 0 when it overlapped, -1 when it did not.
int ClipRect(TBoardRect& Rect, const TBoardRect& Bounds);
// 0 when (X, Y) lies in Rect, edges included, else -1.
int PointInRect(int X, int Y, const TBoardRect& Rect);

// The colour of a cell's three bytes, and the bytes of a colour.
inline TColor CellColorOf(const std::uint8_t* P) {
    return (TColor(P[0]) << 16) | (TColor(P[1]) << 8) | TColor(P[2]);
}
inline void PutCellColor(std::uint8_t* P, TColor Color) {
    P[0] = std::uint8_t(Color >> 16);
    P[1] = std::uint8_t(Color >> 8);
    P[2] = std::uint8_t(Color);
}

// Puts a buffer's cells into a 24-bit picture with the buffer's top-left cell at (X, Y), clipped to
// the picture, skipping the buffer's transparent colour when its Transparent flag is set.
void PutBufferCells(TBitmap& Target, int X, int Y, const MmapRect& Buffer);

class TBoardSheet {
public:
    TBoardSheet();
    virtual ~TBoardSheet();
    TBoardSheet(const TBoardSheet&) = delete;
    TBoardSheet& operator=(const TBoardSheet&) = delete;

    // ---- The raster.
    // The picture, 24 bits per pixel; empty until a picture is loaded or made.
    const TBitmap& Raster() const { return FRaster; }
    TBitmap& Raster() { return FRaster; }
    // Takes a 24-bit picture as the raster (the caller has checked it) and sets the last column and
    // row; the raster becomes valid.
    void SetRaster(TBitmap&& Picture);
    bool RasterValid() const { return FRasterValid; }
    int LastCol() const { return FLastCol; }
    int LastRow() const { return FLastRow; }
    // The rows top-down without a copy; valid until the raster changes size or is replaced.
    MRowView RowView();
    // The needle rows of the picture as the model reads them; its view is set afresh from the raster
    // at every call, so it always sees the present size and pixels.
    MRasterPattern& Pattern();

    // ---- Cells.
    // The cell's colour; the brush colour outside the picture.
    TColor GetCell(int X, int Y) const;
    // Mode 0 writes the raster; mode 2 also repaints the cell. A cell outside the picture is ignored.
    void SetCell(int Mode, int X, int Y, TColor Color);
    // The cell's first byte; null outside the picture.
    std::uint8_t* SeekCell(int X, int Y);
    // The cell's colour (0 outside), and a write that ignores cells outside.
    TColor ReadCell(int X, int Y);
    void WriteCell(int X, int Y, TColor Color);
    // Fills Buffer with the cells of the rectangle whose top-left cell is (X, Y) and whose size is the
    // buffer's, cut to the picture: the buffer takes the size of the cut rectangle (0 x 0 when nothing
    // of it lies inside), so its headers and rows always agree.
    void GetMapRect(int X, int Y, MmapRect& Buffer) const;
    // Puts Buffer with its top-left cell at (X, Y): mode 0 into the raster, clipped to the picture,
    // skipping the buffer's transparent colour when its Transparent flag is set; mode 1 repaints the
    // visible part of the buffer's place on screen (the board window draws a floating buffer over
    // the board); mode 2 does both.
    void PutMapRect(int Mode, int X, int Y, const MmapRect& Buffer);

    // ---- Drawing state.
    int CellSize() const { return FCellSize; }
    void SetCellSize(int Value) { FCellSize = Value < 1 ? 1 : Value; }
    bool Grid() const { return FGrid; }
    void SetGridFlag(bool Value) { FGrid = Value; }
    // The grid lines show when the grid is on and a cell is 2 pixels or more.
    bool GridShown() const { return FGrid && FCellSize >= 2; }
    TColor PenColor = 0;
    TColor BrushColor = 0xFFFFFF;
    TColor GridColor = 0xD3D3D3;

    // ---- The viewport (pixels of the window, cells of the picture).
    const TBoardRect& ReqViewRect() const { return FReqViewRect; }
    const TBoardRect& ViewRect() const { return FViewRect; }
    const TBoardRect& VisibleCells() const { return FVisible; }
    const TBoardRect& PaintRect() const { return FPaintRect; }
    const TBoardRect& PaintCells() const { return FPaintCells; }
    // The client area given to the board, cut to whole cells: columns keep the left edge, rows keep
    // the bottom line in place.
    void SetViewRect(const TBoardRect& R);
    // Moves the view (and the requested view) to start at pixel (X, Y), showing the same cells.
    void MoveViewTo(int X, int Y);
    // The visible cells, clipped to the picture; the view's right and bottom edges follow.
    void SetVisibleCells(const TBoardRect& C);
    // Scroll by N cells (a negative N the other way), stopping at the picture's edges.
    void ScrollUp(int N);
    void ScrollDown(int N);
    void ScrollLeft(int N);
    void ScrollRight(int N);
    // The pixel of a cell's top-left corner, and the cell of a pixel.
    TBoardPoint CellToPixel(int X, int Y) const;
    TBoardPoint PixelToCell(int PX, int PY) const;
    // The paint rectangle: pixels clipped to the view and widened to whole cells, or cells clipped to
    // the visible ones; each derives the other.
    void SetPaintRect(const TBoardRect& R);
    void SetPaintCells(const TBoardRect& C);
    // The pixels of a cell rectangle on screen (not clipped).
    TBoardRect CellsToPixels(const TBoardRect& C) const;

    // ---- The selection.
    bool Selected = false;
    TBoardRect SelRect;  // pixels
    TBoardRect SelCells; // cells
    // The selection's pixels to cells and back, so the pixel rectangle sits on cell boundaries.
    void SelectionPixelsToCells();
    void SelectionCellsToPixels();

    // ---- The zoom picture.
    // The magnified picture of a cell rectangle of Source (the raster when Source is null): each cell
    // CellSize x CellSize pixels, its top pixel row and right pixel column in the grid colour when the
    // grid shows. Corners are ordered and cut to the source. A source below 8 bits per pixel raises
    // MException 5001/1.
    const TBitmap& ZoomCells(int X1, int Y1, int X2, int Y2, const MmapRect* Source = nullptr);
    const TBitmap& ZoomPaintCells();
    const TBitmap& ZoomBitmap() const { return FZoom; }

protected:
    // A change to the pixels of R (window pixels, inclusive); the board window repaints them.
    virtual void Invalidate(const TBoardRect& R) { (void)R; }
    // The picture changed size or was replaced; the board window lays itself out again.
    virtual void RasterReplaced() {}
    // Invalidates the on-screen pixels of a cell rectangle, clipped to the view.
    void InvalidateCells(const TBoardRect& C);
    void ClearRaster();

private:
    TBitmap FRaster;
    TBitmap FZoom;
    MRasterPattern FPattern;
    bool FRasterValid = false;
    int FCellSize = 1;
    bool FGrid = false;
    int FLastCol = -1;
    int FLastRow = -1;
    TBoardRect FReqViewRect, FViewRect, FVisible, FPaintRect, FPaintCells;
};
