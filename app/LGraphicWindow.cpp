#include "app/LGraphicWindow.h"

#include "app/BusCodes.h"
#include "imaging/ImageLimits.h"
#include "imaging/ImgCursors.h"
#include "model/UColors.h"
#include "model/Ucommon.h"
#include "platform/ColorQt.h"
#include "ui/GfxUtils.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

namespace {

// The tools: family, id, cursor.
constexpr std::array<TGraphicTool, 18> Tools = {{
    {1, 1, gcursor::Line},
    {1, 8, gcursor::Pencil},
    {1, 9, gcursor::Eraser},
    {1, 10, gcursor::EraserClr},
    {2, 2, gcursor::Ellipse},
    {2, 3, gcursor::FillEllipse},
    {4, 4, gcursor::Rect},
    {4, 5, gcursor::FillRect},
    {6, 6, gcursor::RoundRect},
    {6, 7, gcursor::FillRoundRect},
    {11, 11, gcursor::Rhombus},
    {11, 12, gcursor::FillRhombus},
    {0, 31, gcursor::Drop},
    {0, 32, gcursor::Select},
    {0, 33, gcursor::Text},
    {34, 34, gcursor::Magnify},
    {0, 35, gcursor::Fill},
    {0, 36, gcursor::Fill},
}};

// The picture a text block is made at: 96 dots per inch whatever the screen.
constexpr int TextDotsPerMeter = 3780;

TColor PixelOf(const QImage& I, int X, int Y) {
    return fromQRgb(reinterpret_cast<const QRgb*>(I.constScanLine(Y))[X]);
}

void SetPixelOf(QImage& I, int X, int Y, TColor C) {
    if (X >= 0 && Y >= 0 && X < I.width() && Y < I.height())
        reinterpret_cast<QRgb*>(I.scanLine(Y))[X] = toQRgb(C);
}

// A buffer of an RGB32 picture's size and pixels.
void BufferFromImage(const QImage& I, MmapRect& B) {
    B.Width = I.width();
    B.Height = I.height();
    B.InitPixels();
    const MRowView rows = B.RowView();
    for (int y = 0; y < B.Height; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(I.constScanLine(y));
        std::uint8_t* d = rows.Row(y);
        for (int x = 0; x < B.Width; ++x, d += 3)
            PutCellColor(d, fromQRgb(s[x]));
    }
}

// The pixels of a buffer as an RGB32 picture.
QImage ImageOfBuffer(MmapRect& B) {
    QImage out(std::max(B.Width, 1), std::max(B.Height, 1), QImage::Format_RGB32);
    out.fill(Qt::black);
    const MRowView rows = B.RowView();
    if (rows.IsEmpty())
        return out;
    for (int y = 0; y < B.Height; ++y) {
        const std::uint8_t* s = rows.Row(y);
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < B.Width; ++x, s += 3)
            d[x] = toQRgb(CellColorOf(s));
    }
    return out;
}

// ---- Pens and brushes of our own rasterising.

// Whether the I-th pixel of a width-1 line is set: dashes 4 on 2 off, dots 1 on 2 off.
bool PenOn(int PenStyle, int I) {
    switch (PenStyle) {
    case 1:
        return I % 6 < 4;
    case 2:
        return I % 3 == 0;
    default:
        return true;
    }
}

// Whether a brush of a style covers pixel (X, Y): solid everywhere, hollow nowhere, the hatchings
// every eighth row, column or diagonal.
bool BrushOn(int BrushStyle, int X, int Y) {
    const int u = ((X % 8) + 8) % 8, v = ((Y % 8) + 8) % 8;
    switch (BrushStyle) {
    case 0:
        return true;
    case 2:
        return v == 0;
    case 3:
        return u == 0;
    case 4:
        return (u + v) % 8 == 0;
    case 5:
        return (u - v + 8) % 8 == 0;
    case 6:
        return u == 0 || v == 0;
    case 7:
        return (u + v) % 8 == 0 || (u - v + 8) % 8 == 0;
    default:
        return false;
    }
}

Qt::BrushStyle QtBrushStyle(int BrushStyle) {
    switch (BrushStyle) {
    case 0:
        return Qt::SolidPattern;
    case 2:
        return Qt::HorPattern;
    case 3:
        return Qt::VerPattern;
    case 4:
        return Qt::FDiagPattern;
    case 5:
        return Qt::BDiagPattern;
    case 6:
        return Qt::CrossPattern;
    case 7:
        return Qt::DiagCrossPattern;
    default:
        return Qt::NoBrush;
    }
}

// The nine points of a rhombus in the box (X1, Y1) .. (X2, Y2), right and bottom edges excluded:
// for an even size the four tips are two pixels wide.
std::array<QPoint, 9> RhombusPoints(int X1, int Y1, int X2, int Y2) {
    if (X1 > X2)
        std::swap(X1, X2);
    if (Y1 > Y2)
        std::swap(Y1, Y2);
    if (X2 != X1)
        --X2;
    if (Y2 != Y1)
        --Y2;
    const int dx = (X2 - X1) % 2, dy = (Y2 - Y1) % 2;
    const int cx = (X1 + X2) / 2, cy = (Y1 + Y2) / 2;
    return {QPoint(cx, Y1), QPoint(cx + dx, Y1), QPoint(X2, cy), QPoint(X2, cy + dy), QPoint(cx + dx, Y2),
            QPoint(cx, Y2), QPoint(X1, cy + dy), QPoint(X1, cy), QPoint(cx, Y1)};
}

QPen QtPen(TColor Colour, int Width, int PenStyle) {
    QPen pen(toQColor(Colour), Width);
    // Dash and dot pens apply to width 1; wider pens draw solid.
    pen.setStyle(Width == 1 && PenStyle == 1   ? Qt::DashLine
                 : Width == 1 && PenStyle == 2 ? Qt::DotLine
                                               : Qt::SolidLine);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// The hot pixels of a hatched or solid fill through QPainter, the gaps left as they were.
void PainterFill(QPainter& P, int BrushStyle, TColor BrushColour) {
    if (BrushStyle == 1) {
        P.setBrush(Qt::NoBrush);
        return;
    }
    P.setBrush(QBrush(toQColor(BrushColour), QtBrushStyle(BrushStyle)));
}

// Copies every pixel left of the vertical axis X = SumX / 2 onto its mirror image, then every row
// above the horizontal axis Y = SumY / 2 onto its own.
void MirrorUpperLeft(QImage& C, int SumX, int SumY) {
    for (int y = 0; y < C.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(C.scanLine(y));
        for (int x = 0; 2 * x < SumX; ++x)
            if (SumX - x < C.width())
                row[SumX - x] = row[x];
    }
    for (int y = 0; 2 * y < SumY; ++y)
        if (SumY - y < C.height())
            std::memcpy(C.scanLine(SumY - y), C.constScanLine(y), std::size_t(C.bytesPerLine()));
}

} // namespace

const std::array<TGraphicTool, 18>& GraphicTools() {
    return Tools;
}

const TGraphicTool* GraphicToolOf(int Id) {
    for (const TGraphicTool& t : Tools)
        if (t.Id == Id)
            return &t;
    return nullptr;
}

// ============================================================================ Free drawing code

void RenderShape(QImage& Canvas, int X1, int Y1, int X2, int Y2, int Kind, int Width, int PenStyle,
                 int BrushStyle, TColor PenColour, TColor BrushColour) {
    TColor pen = PenColour, brush = BrushColour, point = PenColour;
    if (Kind == 9 || Kind == 10) {
        // The erasers paint with the brush colour, solid.
        pen = brush = point = BrushColour;
        PenStyle = 0;
        BrushStyle = 0;
        Kind = 1;
    }
    Width = std::max(Width, 1);
    if (X1 == X2 && Y1 == Y2 && Width == 1) {
        SetPixelOf(Canvas, X1, Y1, point);
        return;
    }
    auto plotLine = [&](int ax, int ay, int bx, int by, int& index) {
        WalkLine(ax, ay, bx, by, true, [&](int x, int y) {
            if (PenOn(PenStyle, index++))
                SetPixelOf(Canvas, x, y, pen);
        });
    };
    QPainter p;
    auto painter = [&]() -> QPainter& {
        if (!p.isActive()) {
            p.begin(&Canvas);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setBackgroundMode(Qt::TransparentMode);
        }
        return p;
    };
    switch (Kind) {
    case 1:
    case 8:
        if (Width == 1) {
            int i = 0;
            plotLine(X1, Y1, X2, Y2, i);
        } else {
            painter().setPen(QtPen(pen, Width, PenStyle));
            p.drawLine(X1, Y1, X2, Y2);
        }
        if (p.isActive())
            p.end();
        SetPixelOf(Canvas, X2, Y2, point);
        return;
    case 4:
    case 5: {
        // The cells X1 .. X2 - 1 and Y1 .. Y2 - 1.
        const int r = std::max(X1, X2 - 1), b = std::max(Y1, Y2 - 1);
        if (Kind == 5 && BrushStyle != 1)
            for (int y = Y1; y <= b; ++y)
                for (int x = X1; x <= r; ++x)
                    if (BrushOn(BrushStyle, x, y))
                        SetPixelOf(Canvas, x, y, brush);
        if (Width == 1) {
            int i = 0;
            plotLine(X1, Y1, r, Y1, i);
            plotLine(r, Y1, r, b, i);
            plotLine(r, b, X1, b, i);
            plotLine(X1, b, X1, Y1, i);
        } else {
            painter().setPen(QtPen(pen, Width, PenStyle));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(X1, Y1, r - X1, b - Y1));
        }
        return;
    }
    case 2:
    case 3:
    case 6:
    case 7: {
        QPainter& q = painter();
        q.setPen(QtPen(pen, Width, PenStyle));
        if (Kind == 3 || Kind == 7)
            PainterFill(q, BrushStyle, brush);
        else
            q.setBrush(Qt::NoBrush);
        // Outlined through the cells X1 .. X2 - 1, Y1 .. Y2 - 1.
        const QRect box(X1, Y1, std::max(X2 - X1 - 1, 0), std::max(Y2 - Y1 - 1, 0));
        if (Kind <= 3)
            q.drawEllipse(box);
        else
            q.drawRoundedRect(box, double((X2 - X1 + 1) / 2) / 2.0, double((Y2 - Y1 + 1) / 2) / 2.0,
                              Qt::AbsoluteSize);
        q.end();
        // The painter's pixel grid leans half a pixel to one side; the upper left quarter, mirrored
        // about the box's middle, makes the shape symmetric both ways.
        MirrorUpperLeft(Canvas, X1 + X2 - 1, Y1 + Y2 - 1);
        return;
    }
    case 11:
    case 12: {
        const std::array<QPoint, 9> pts = RhombusPoints(X1, Y1, X2, Y2);
        if (Kind == 12 && BrushStyle != 1) {
            // Our own polygon rule: each row between the leftmost and rightmost outline pixel.
            QImage mark(Canvas.size(), QImage::Format_Grayscale8);
            mark.fill(0);
            for (std::size_t k = 0; k + 1 < pts.size(); ++k)
                WalkLine(pts[k].x(), pts[k].y(), pts[k + 1].x(), pts[k + 1].y(), true, [&](int x, int y) {
                    if (x >= 0 && y >= 0 && x < mark.width() && y < mark.height())
                        mark.scanLine(y)[x] = 1;
                });
            for (int y = 0; y < mark.height(); ++y) {
                const uchar* row = mark.constScanLine(y);
                int a = -1, z = -1;
                for (int x = 0; x < mark.width(); ++x)
                    if (row[x]) {
                        if (a < 0)
                            a = x;
                        z = x;
                    }
                for (int x = a; a >= 0 && x <= z; ++x)
                    if (BrushOn(BrushStyle, x, y))
                        SetPixelOf(Canvas, x, y, brush);
            }
        }
        if (Width == 1) {
            int i = 0;
            for (std::size_t k = 0; k + 1 < pts.size(); ++k)
                plotLine(pts[k].x(), pts[k].y(), pts[k + 1].x(), pts[k + 1].y(), i);
        } else {
            painter().setPen(QtPen(pen, Width, PenStyle));
            p.drawPolyline(pts.data(), int(pts.size()));
        }
        return;
    }
    default:
        return;
    }
}

std::vector<std::uint8_t> FloodMask(const TBitmap& Picture, int X, int Y) {
    const int w = Picture.Width(), h = Picture.Height();
    if (X < 0 || Y < 0 || X >= w || Y >= h || Picture.PixelFormat() != pf24bit)
        return {};
    std::vector<std::uint8_t> mask(std::size_t(w) * std::size_t(h), 0);
    auto colourAt = [&](int x, int y) { return CellColorOf(Picture.ScanLine(y) + 3 * std::size_t(x)); };
    const TColor target = colourAt(X, Y);
    auto fits = [&](int x, int y) {
        return !mask[std::size_t(y) * std::size_t(w) + std::size_t(x)] && colourAt(x, y) == target;
    };
    // Scanline fill, 4-connected: a span is filled whole, and the rows above and below are searched
    // for the spans that touch it edge to edge.
    std::vector<std::pair<int, int>> seeds{{X, Y}};
    while (!seeds.empty()) {
        auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (!fits(sx, sy))
            continue;
        int a = sx, z = sx;
        while (a > 0 && fits(a - 1, sy))
            --a;
        while (z < w - 1 && fits(z + 1, sy))
            ++z;
        std::memset(&mask[std::size_t(sy) * std::size_t(w) + std::size_t(a)], 1, std::size_t(z - a + 1));
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= h)
                continue;
            bool inSpan = false;
            for (int x = a; x <= z; ++x) {
                const bool f = fits(x, ny);
                if (f && !inSpan)
                    seeds.emplace_back(x, ny);
                inSpan = f;
            }
        }
    }
    return mask;
}

void FlipHorizontal(MmapRect& B) {
    if (B.Width < 2 || B.Height < 2)
        return;
    const MRowView rows = B.RowView();
    if (rows.IsEmpty())
        return;
    for (int y = 0; y < B.Height; ++y) {
        std::uint8_t* row = rows.Row(y);
        for (int a = 0, z = B.Width - 1; a < z; ++a, --z)
            std::swap_ranges(row + 3 * std::size_t(a), row + 3 * std::size_t(a) + 3,
                             row + 3 * std::size_t(z));
    }
}

void FlipVertical(MmapRect& B) {
    if (B.Width < 2 || B.Height < 2)
        return;
    const MRowView rows = B.RowView();
    if (rows.IsEmpty())
        return;
    for (int a = 0, z = B.Height - 1; a < z; ++a, --z)
        std::swap_ranges(rows.Row(a), rows.Row(a) + 3 * std::size_t(B.Width), rows.Row(z));
}

void Rotate90(MmapRect& B) {
    if (B.Width < 1 || B.Height < 1)
        return;
    MmapRect src;
    src.Assign(B);
    const MRowView from = src.RowView();
    if (from.IsEmpty())
        return;
    const int w = B.Width, h = B.Height;
    B.Width = h;
    B.Height = w;
    B.DrawTo();
    const MRowView to = B.RowView();
    // (x, y) -> (h - 1 - y, x): the top row becomes the right column.
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = from.Row(y);
        for (int x = 0; x < w; ++x, s += 3)
            std::memcpy(to.Row(x) + 3 * std::size_t(h - 1 - y), s, 3);
    }
}

void StretchNearest(const MmapRect& Source, MmapRect& Target) {
    MmapRect src;
    src.Assign(Source);
    Target.InitPixels();
    const MRowView from = src.RowView(), to = Target.RowView();
    if (from.IsEmpty() || to.IsEmpty())
        return;
    for (int y = 0; y < Target.Height; ++y) {
        const std::uint8_t* s = from.Row(int(std::int64_t(y) * src.Height / Target.Height));
        std::uint8_t* d = to.Row(y);
        for (int x = 0; x < Target.Width; ++x, d += 3)
            std::memcpy(d, s + 3 * std::size_t(std::int64_t(x) * src.Width / Target.Width), 3);
    }
}

// ============================================================================ The window

TGraphicWindow::TGraphicWindow(QWidget* Parent) : TBoardWindow(Parent) {
    LoadGraphicCursors();
}

TGraphicWindow::~TGraphicWindow() = default;

void TGraphicWindow::Notify(int Code, int Param, int Param2) {
    if (Host)
        Host->GraphicNotify(Code, Param, Param2);
}

void TGraphicWindow::FormActivate(int WindowNumber) {
    Notify(bus::NotifyActivated, WindowNumber);
}

// ---- Tools and cursors.

void TGraphicWindow::SetTool(int Id) {
    ToolId = Id;
    if (const TGraphicTool* t = GraphicToolOf(Id))
        ToolFamily = t->Family;
    SelectMode = Id == bus::ToolSelect ? 1 : 0;
    UpdateCursor();
}

void TGraphicWindow::UpdateCursor() {
    if (CursorState == 3) {
        setCursor(Qt::PointingHandCursor);
        return;
    }
    if (ToolId == 0) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    if (ToolId == bus::ToolSelect) {
        setCursor(CursorOf(CursorState == 2 ? gcursor::MovingSelect : gcursor::Select));
        return;
    }
    if (const TGraphicTool* t = GraphicToolOf(ToolId))
        setCursor(CursorOf(t->Cursor));
}

// ---- Shapes.

void TGraphicWindow::DrawShape(TBoardPoint From, TBoardPoint To, int Kind) {
    if (!RasterValid() || Kind < 1 || Kind > 12)
        return;
    // A shape of one cell is a point. The erasers keep their kind: their point is the brush colour
    // (and, for the colour eraser, only over the pen colour), never a dot of the pen colour.
    if (From == To && Kind != 9 && Kind != 10)
        Kind = 8;
    const int width = std::max(PenWidth, 1);
    const int m = width > 1 ? width : 0;
    TBoardRect r{From.X, From.Y, To.X, To.Y};
    NormalizeRect(r);
    const std::int64_t w = std::int64_t(r.Width()) + 2 * m, h = std::int64_t(r.Height()) + 2 * m;
    if (!ImageLimits::PixelsWithinLimit(w, h))
        return;
    TColor key = 0x0000FF;
    if (key == PenColor || key == BrushColor)
        key = 0x00FF00;
    if (key == PenColor || key == BrushColor)
        key = 0xFF0000;
    QImage canvas(int(w), int(h), QImage::Format_RGB32);
    canvas.fill(toQRgb(key));
    if (Kind == 1 || Kind == 8 || Kind == 9 || Kind == 10)
        RenderShape(canvas, From.X - r.Left + m, From.Y - r.Top + m, To.X - r.Left + m, To.Y - r.Top + m,
                    Kind, width, PenStyle, BrushStyle, PenColor, BrushColor);
    else
        RenderShape(canvas, m, m, r.Width() + m, r.Height() + m, Kind, width, PenStyle, BrushStyle, PenColor,
                    BrushColor);
    BufferFromImage(canvas, Scratch);
    Scratch.Transparent = true;
    Scratch.TransparentColor = key;
    if (Kind == 10)
        ColourEraserMask(r.Left - m, r.Top - m, key, PenColor, Scratch);
    PutMapRect(2, r.Left - m, r.Top - m, Scratch);
}

void TGraphicWindow::ColourEraserMask(int X0, int Y0, TColor Key, TColor Colour, MmapRect& Buffer) {
    const MRowView rows = Buffer.RowView();
    if (rows.IsEmpty())
        return;
    for (int y = 0; y < Buffer.Height; ++y) {
        std::uint8_t* d = rows.Row(y);
        for (int x = 0; x < Buffer.Width; ++x, d += 3)
            if (GetCell(X0 + x, Y0 + y) != Colour)
                PutCellColor(d, Key);
    }
}

void TGraphicWindow::DrawStroke(TBoardPoint From, TBoardPoint To, int Id) {
    if (Id == bus::ToolPen)
        DrawShape(From, To, 1);
    else if (Id == bus::ToolEraser)
        DrawShape(From, To, 9);
    else if (Id == bus::ToolEraserClr)
        DrawShape(From, To, 10);
}

void TGraphicWindow::EraseRect(const TBoardRect& C) {
    const TColor pen = PenColor;
    const int width = PenWidth, penStyle = PenStyle, brushStyle = BrushStyle;
    PenColor = BrushColor;
    PenWidth = 1;
    PenStyle = 0;
    BrushStyle = 0;
    DrawShape({C.Left, C.Top}, {C.Right, C.Bottom}, 5);
    PenColor = pen;
    PenWidth = width;
    PenStyle = penStyle;
    BrushStyle = brushStyle;
}

void TGraphicWindow::DrawShapePreview(TBoardPoint From, TBoardPoint To, int Family) {
    RemovePreview();
    // The one further right (or lower) at the far edge of its cell, the other at the near edge; an
    // equal pair at the far edge, except for a line.
    auto edges = [&](int a, int b, int& pa, int& pb) {
        pa = a;
        pb = b;
        const bool line = Family == bus::FamilyLine;
        if (a > b || (a == b && !line))
            ++pa;
        else if (b > a)
            ++pb;
    };
    int ax, bx, ay, by;
    edges(From.X, To.X, ax, bx);
    edges(From.Y, To.Y, ay, by);
    auto pixel = [&](int cx, int cy) {
        const TBoardPoint p = CellToPixel(cx, cy);
        return QPoint(p.X, p.Y);
    };
    FPreview.Family = Family;
    FPreview.A = pixel(ax, ay);
    FPreview.B = pixel(bx, by);
    if (Family != bus::FamilyLine) {
        const QRect r = QRect(FPreview.A, FPreview.B).normalized();
        FPreview.A = r.topLeft();
        FPreview.B = r.bottomRight();
    }
    FPreview.Shown = true;
    update(PreviewBounds());
}

QRect TGraphicWindow::PreviewBounds() const {
    return QRect(FPreview.A, FPreview.B).normalized().adjusted(-2, -2, 2, 2);
}

void TGraphicWindow::RemovePreview() {
    if (!FPreview.Shown)
        return;
    FPreview.Shown = false;
    update(PreviewBounds());
}

void TGraphicWindow::paintEvent(QPaintEvent* Event) {
    TBoardWindow::paintEvent(Event);
    if (PaintingSuspended || !RasterValid())
        return;
    QPainter p(this);
    p.setClipRect(ViewQRect() & Event->rect());
    if (FStretchPreview.Floating) {
        // The stretched selection over the board, on screen only.
        const QImage cells = ImageOfBuffer(FStretchPreview);
        const TBoardPoint t = CellToPixel(FStretchPreview.PosX, FStretchPreview.PosY);
        p.drawImage(QRect(t.X, t.Y, cells.width() * CellSize(), cells.height() * CellSize()), cells);
    }
    if (!FPreview.Shown)
        return;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    // The far corner lies on the pixel after the shape (its right and bottom edge excluded); an
    // aliased QRect of width w outlines w + 1 pixels.
    const QPoint a = FPreview.A, b = FPreview.B;
    const QRect box(a.x(), a.y(), b.x() - a.x() - 1, b.y() - a.y() - 1);
    switch (FPreview.Family) {
    case bus::FamilyLine:
        p.drawLine(a, b);
        break;
    case bus::FamilyEllipse:
        p.drawEllipse(box);
        break;
    case bus::FamilyRect:
        p.drawRect(box);
        break;
    case bus::FamilyRoundRect:
        p.drawRoundedRect(box, (b.x() - a.x() + 1) / 4.0, (b.y() - a.y() + 1) / 4.0, Qt::AbsoluteSize);
        break;
    case bus::FamilyDiamond: {
        const std::array<QPoint, 9> pts = RhombusPoints(a.x(), a.y(), b.x(), b.y());
        p.drawPolyline(pts.data(), int(pts.size()));
        break;
    }
    default:
        break;
    }
}

void TGraphicWindow::AutoScroll(int X, int Y) {
    const TBoardRect& v = ViewRect();
    const int hs = std::max(ScrollBarH->pageStep() / 2, ScrollBarH->singleStep());
    const int vs = std::max(ScrollBarV->pageStep() / 2, ScrollBarV->singleStep());
    if (X < v.Left)
        ScrollBarH->setValue(ScrollBarH->value() - hs);
    else if (X > v.Right)
        ScrollBarH->setValue(ScrollBarH->value() + hs);
    if (Y < v.Top)
        ScrollBarV->setValue(ScrollBarV->value() - vs);
    else if (Y > v.Bottom)
        ScrollBarV->setValue(ScrollBarV->value() + vs);
}

// ---- Fills.

namespace {

// Paints every cell of a flood mask over Picture with Paint(cell bytes, x, y); the rectangle of the
// cells painted, or an empty one (Right -1).
template <typename Paint>
TBoardRect PaintMask(TBitmap& Picture, const std::vector<std::uint8_t>& Mask, Paint paint) {
    const int w = Picture.Width(), h = Picture.Height();
    TBoardRect touched{w, h, -1, -1};
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* m = &Mask[std::size_t(y) * std::size_t(w)];
        std::uint8_t* row = Picture.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            if (!m[x])
                continue;
            touched = {std::min(touched.Left, x), std::min(touched.Top, y), std::max(touched.Right, x),
                       std::max(touched.Bottom, y)};
            paint(row + 3 * std::size_t(x), x, y);
        }
    }
    return touched;
}

} // namespace

void TGraphicWindow::FloodFillAt(int X, int Y) {
    const std::vector<std::uint8_t> mask = FloodMask(Raster(), X, Y);
    if (mask.empty())
        return;
    // The area takes the pen colour through the brush's pattern; hatch gaps keep their cells.
    const TBoardRect touched = PaintMask(Raster(), mask, [this](std::uint8_t* Cell, int x, int y) {
        if (BrushOn(BrushStyle, x, y))
            PutCellColor(Cell, PenColor);
    });
    if (touched.Right >= 0)
        InvalidateCells(touched);
}

const TBitmap* TGraphicWindow::PatternToFill() const {
    const TBitmap* pattern = Host ? Host->FillPattern() : nullptr;
    return pattern && pattern->Width() >= 1 && pattern->Height() >= 1 ? pattern : nullptr;
}

void TGraphicWindow::PatternFillAt(int X, int Y) {
    const TBitmap* pattern = PatternToFill();
    if (!pattern)
        return;
    TBitmap tile(*pattern);
    if (tile.PixelFormat() != pf24bit)
        tile.SetPixelFormat(pf24bit);
    // The area is marked in a mask of its own, so no colour of the picture is taken for the mark,
    // and the pattern is tiled from (0, 0).
    const std::vector<std::uint8_t> mask = FloodMask(Raster(), X, Y);
    if (mask.empty())
        return;
    const int pw = tile.Width(), ph = tile.Height();
    const TBoardRect touched = PaintMask(Raster(), mask, [&](std::uint8_t* Cell, int x, int y) {
        std::memcpy(Cell, tile.ScanLine(y % ph) + 3 * std::size_t(x % pw), 3);
    });
    if (touched.Right >= 0)
        InvalidateCells(touched);
}

// ---- Text.

void TGraphicWindow::ShowTextRefusal(std::int64_t W, std::int64_t H, int SubCode) {
    if (MessageBox)
        MessageBox->ShowCodeMessage(graphicmsg::Code, SubCode, boardmsg::SizeArg(W, H), mbOK);
}

bool TGraphicWindow::PlaceText(int X, int Y, const TTextRequest& Text) {
    if (Text.Lines.isEmpty() || !RasterValid())
        return false;
    QFont font = Text.Font;
    font.setStyleStrategy(QFont::NoAntialias);
    // Measured and drawn at 96 dots per inch, so a size gives the same cells on every screen.
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(TextDotsPerMeter);
    probe.setDotsPerMeterY(TextDotsPerMeter);
    const QFontMetrics fm(font, &probe);
    const std::int64_t lineHeight = std::max(fm.height(), 1);
    std::int64_t blockWidth = 1;
    for (const QString& line : Text.Lines)
        blockWidth = std::max<std::int64_t>(blockWidth, fm.horizontalAdvance(line));
    const std::int64_t blockHeight = lineHeight * Text.Lines.size();
    if (!ImageLimits::PixelsWithinLimit(blockWidth, blockHeight)) {
        ShowTextRefusal(blockWidth, blockHeight, graphicmsg::TextTooLarge);
        return false;
    }
    QImage block(int(blockWidth), int(blockHeight), QImage::Format_RGB32);
    block.setDotsPerMeterX(TextDotsPerMeter);
    block.setDotsPerMeterY(TextDotsPerMeter);
    block.fill(toQRgb(BrushColor));
    {
        QPainter p(&block);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setFont(font);
        p.setPen(toQColor(PenColor));
        for (qsizetype i = 0; i < Text.Lines.size(); ++i)
            p.drawText(0, int(i * lineHeight) + fm.ascent(), Text.Lines[i]);
    }
    // Whatever the font engine blends becomes the pen colour: a mixed colour would be a new yarn.
    for (int y = 0; y < block.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(block.scanLine(y));
        for (int x = 0; x < block.width(); ++x)
            if (fromQRgb(row[x]) != BrushColor)
                row[x] = toQRgb(PenColor);
    }
    BufferFromImage(block, Scratch);
    TBoardPoint anchor{X, Y};
    const bool fit = Text.Fit && Selected;
    if (fit) {
        const TBoardRect s = GetSelection();
        MmapRect fitted;
        fitted.Width = s.Width();
        fitted.Height = s.Height();
        StretchNearest(Scratch, fitted);
        Scratch.Assign(fitted);
        anchor = {s.Left, s.Bottom};
    }
    Scratch.Transparent = true;
    Scratch.TransparentColor = BrushColor;
    Scratch.PosX = 0;
    Scratch.PosY = 0;
    if (fit) {
        SaveUndo();
        ApplyPaste();
        // The block fills the selection: its top row is the selection's.
        PutMapRect(2, anchor.X, anchor.Y - Scratch.Height + 1, Scratch);
        return true;
    }
    DropSelection();
    SaveUndo();
    PasteBuffer.Assign(Scratch);
    PasteBuffer.Floating = true;
    PasteBuffer.PosX = X;
    PasteBuffer.PosY = Y - Scratch.Height;
    PutMapRect(1, PasteBuffer.PosX, PasteBuffer.PosY, PasteBuffer);
    SetSelectionCells({PasteBuffer.PosX, PasteBuffer.PosY, PasteBuffer.PosX + PasteBuffer.Width - 1, Y - 1});
    return true;
}

// ---- Magnifier.

void TGraphicWindow::Magnify(TBoardPoint Cell, bool In) {
    if (Host) {
        const QSize room = Host->FreeClientArea();
        MaxWidth = room.width();
        MaxHeight = room.height();
    }
    if (In) {
        PaintingSuspended = true;
        SetPAmpFac(PAmpFac() + 1);
        PaintingSuspended = false;
        CenterOnCell(Cell);
    } else {
        SetPAmpFac(PAmpFac() - 1);
    }
}

// ---- Mouse.

void TGraphicWindow::mousePressEvent(QMouseEvent* Event) {
    SyncTools();
    TBoardWindow::mousePressEvent(Event);
    if (!RasterValid() || (Event->modifiers() & Qt::ControlModifier))
        return;
    const QPoint at = Event->position().toPoint();
    const TBoardPoint cell = PixelToCell(at.x(), at.y());
    const bool left = Event->button() == Qt::LeftButton;
    if (Event->button() != Qt::LeftButton && Event->button() != Qt::RightButton)
        return;
    if (ToolFamily == bus::FamilyMagnifier) {
        if (Host)
            Magnify(cell, left);
        return;
    }
    if (!left) {
        RightPressCell = cell;
        if (DrawingState == 1 && DrawsShapes())
            RemovePreview();
        DrawingState = 2;
        if (ToolId == bus::ToolDrop && SeekCell(cell.X, cell.Y)) {
            BrushColor = GetCell(cell.X, cell.Y);
            Notify(bus::NotifyBrushPicked, int(BrushColor));
        }
        return;
    }
    if (DrawsShapes()) {
        DropSelection();
        DrawingState = 1;
        PrevCell = cell;
        if (StrokeTool()) {
            SaveUndo();
            DrawStroke(cell, cell, ToolId);
        }
    } else if (ToolId == bus::ToolDrop) {
        // Only a cell of the picture has a colour to take; beside it the picker does nothing.
        if (!SeekCell(cell.X, cell.Y))
            return;
        PenColor = GetCell(cell.X, cell.Y);
        Notify(bus::NotifyPenPicked, int(PenColor));
    } else if (ToolId == bus::ToolText) {
        TTextRequest request;
        // The main window takes the select tool for a text placed; a refused block places none.
        if (TextDialog && TextDialog(request) && PlaceText(cell.X, cell.Y, request))
            Notify(bus::NotifyTextPlaced);
    } else if (ToolId == bus::ToolFill || (ToolId == bus::ToolFillPattern && PatternToFill())) {
        // A pattern fill without a pattern leaves everything as it was, the undo copy too.
        DropSelection();
        SaveUndo();
        if (ToolId == bus::ToolFill)
            FloodFillAt(cell.X, cell.Y);
        else
            PatternFillAt(cell.X, cell.Y);
    }
}

void TGraphicWindow::mouseMoveEvent(QMouseEvent* Event) {
    SyncTools();
    TBoardWindow::mouseMoveEvent(Event);
    if (!RasterValid())
        return;
    const QPoint at = Event->position().toPoint();
    const TBoardPoint cell = PixelToCell(at.x(), at.y());
    CurrentCell = cell;
    Notify(bus::NotifyMouseXY, cell.X + 1, ImageHeight() - cell.Y);
    if (!(Event->modifiers() & Qt::ControlModifier) && DrawingState == 1 && DrawsShapes()) {
        AutoScroll(at.x(), at.y());
        if (cell != PrevCell) {
            if (StrokeTool()) {
                DrawStroke(PrevCell, cell, ToolId);
            } else {
                DrawShapePreview(LeftPressCell, cell, ToolFamily);
            }
        }
    }
    PrevCell = cell;
}

void TGraphicWindow::mouseReleaseEvent(QMouseEvent* Event) {
    SyncTools();
    TBoardWindow::mouseReleaseEvent(Event);
    // Ctrl held at the release still ends a stroke or shape begun without it: only a press without
    // Ctrl starts one, and one left running would draw as the mouse moves with no button held.
    if (!RasterValid() || Event->button() != Qt::LeftButton)
        return;
    const QPoint at = Event->position().toPoint();
    const TBoardPoint cell = PixelToCell(at.x(), at.y());
    if (DrawingState == 1 && DrawsShapes() && !StrokeTool()) {
        SaveUndo();
        RemovePreview();
        DrawShape(LeftPressCell, cell, ToolId);
    }
    DrawingState = 2;
}

// ============================================================================ Selection and undo

void TGraphicWindow::SaveUndo() {
    Modified = true;
    ChangedSinceAutosave = true;
    FUndo = Raster();
    FUndoAvailable = true;
    Notify(bus::NotifyUndoSaved);
}

void TGraphicWindow::ClearUndo() {
    FUndo = TBitmap();
    FUndoAvailable = false;
    Notify(bus::NotifyUndoDropped);
}

void TGraphicWindow::Undo() {
    // A copy of another size than the picture's is dropped, never restored.
    if (FUndoAvailable && RasterValid() && FUndo.Width() == Raster().Width() &&
        FUndo.Height() == Raster().Height()) {
        std::swap(Raster(), FUndo);
        const bool wasSelected = Selected;
        HideSelection();
        PasteBuffer.Floating = false;
        RemovePreview();
        update();
        if (wasSelected)
            SetSelectionPixels(SelRect);
    }
    ClearUndo();
}

TBoardRect TGraphicWindow::GetWorkRect() const {
    if (Selected)
        return GetSelection();
    return {0, 0, LastCol(), LastRow()};
}

TBoardRect TGraphicWindow::GetSelection() const {
    if (!Selected)
        return {-1, -1, -1, -1};
    TBoardRect r = SelCells;
    NormalizeRect(r);
    return r;
}

void TGraphicWindow::FreeRotate(MmapRect& B, int Angle) {
    if (B.Width < 1 || B.Height < 1)
        return;
    TBitmap picture(B.Width, B.Height, pf24bit);
    {
        const MRowView rows = B.RowView();
        if (rows.IsEmpty())
            return;
        for (int y = 0; y < B.Height; ++y)
            std::memcpy(picture.ScanLine(y), rows.Row(y), 3 * std::size_t(B.Width));
    }
    OImageProc.AutoUndo = false;
    // The reserved colour stands in no drawing, so it marks the corners a rotation uncovers.
    OImageProc.SetBackground(::ReservedColor);
    OImageProc.SetAttachedBitmap(&picture);
    OImageProc.Rotate(Angle, false);
    OImageProc.SetAttachedBitmap(nullptr);
    B.Width = picture.Width();
    B.Height = picture.Height();
    B.InitPixels();
    const MRowView rows = B.RowView();
    for (int y = 0; y < B.Height; ++y)
        std::memcpy(rows.Row(y), picture.ScanLine(y), 3 * std::size_t(B.Width));
    // The uncovered corners hold the background. Only it is transparent: taking the top-left pixel
    // instead would make a colour of the content transparent whenever no corner is uncovered (a
    // quarter turn, or no turn at all).
    B.Transparent = true;
    B.TransparentColor = ::ReservedColor;
}

bool TGraphicWindow::StretchSelection(int Command, const TBoardRect& R, const TBoardRect& D) {
    if (R.Width() < 2 || R.Height() < 2 || D.Width() < 1 || D.Height() < 1 ||
        !ImageLimits::PixelsWithinLimit(D.Width(), D.Height()))
        return false;
    MmapRect source;
    CopyCellsToBuffer(source, R);
    Scratch.Width = D.Width();
    Scratch.Height = D.Height();
    StretchNearest(source, Scratch);
    Scratch.Transparent = false;
    if (Command == 61) {
        FStretchPreview.Assign(Scratch);
        FStretchPreview.PosX = D.Left;
        FStretchPreview.PosY = D.Top;
        FStretchPreview.Floating = true;
        PutMapRect(1, D.Left, D.Top, Scratch);
    } else {
        PutMapRect(2, D.Left, D.Top, Scratch);
    }
    return true;
}

void TGraphicWindow::EraseColourInRect(const TBoardRect& R) {
    if (R.Width() < 2 || R.Height() < 2)
        return;
    for (int y = R.Top; y <= R.Bottom; ++y)
        for (int x = R.Left; x <= R.Right; ++x)
            if (std::uint8_t* p = SeekCell(x, y); p && CellColorOf(p) == PenColor)
                PutCellColor(p, BrushColor);
}

void TGraphicWindow::CopyToClipboard(const TBoardRect& R) {
    CopyCellsToBuffer(Scratch, R);
    if (Scratch.Width < 1 || Scratch.Height < 1)
        return;
    QImage image = ImageOfBuffer(Scratch);
    // The picture leaves the board: the reserved colour goes back in.
    if (ReservedColor() != SubstituteColor())
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (PixelOf(image, x, y) == SubstituteColor())
                    SetPixelOf(image, x, y, ReservedColor());
    QApplication::clipboard()->setImage(image);
}

void TGraphicWindow::PasteFromClipboard() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return;
    const QImage taken = QApplication::clipboard()->image();
    if (taken.isNull())
        return;
    if (!ImageLimits::PixelsWithinLimit(taken.width(), taken.height())) {
        ShowTextRefusal(taken.width(), taken.height(), graphicmsg::PasteTooLarge);
        return;
    }
    QImage image = taken.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return;
    // The picture enters the board: the reserved colour becomes its substitute.
    if (ReservedColor() != SubstituteColor())
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (PixelOf(image, x, y) == ReservedColor())
                    SetPixelOf(image, x, y, SubstituteColor());
    BufferFromImage(image, Scratch);
    Scratch.Transparent = true;
    Scratch.TransparentColor = BrushColor;
    DropSelection();
    SaveUndo();
    PasteBuffer.Assign(Scratch);
    PasteBuffer.Floating = true;
    PasteBuffer.PosX = VisibleCells().Left;
    PasteBuffer.PosY = VisibleCells().Top;
    PutMapRect(1, PasteBuffer.PosX, PasteBuffer.PosY, PasteBuffer);
    SetSelectionCells({PasteBuffer.PosX, PasteBuffer.PosY, PasteBuffer.PosX + PasteBuffer.Width - 1,
                       PasteBuffer.PosY + PasteBuffer.Height - 1});
}

int TGraphicWindow::SelectionToPattern(TBitmap& Pattern) {
    if (!Selected)
        return -1;
    if (PasteBuffer.Floating)
        Scratch.Assign(PasteBuffer);
    else
        CopyCellsToBuffer(Scratch, GetSelection());
    const MRowView rows = Scratch.RowView();
    if (rows.IsEmpty())
        return -1;
    TBitmap p(Scratch.Width, Scratch.Height, pf24bit);
    for (int y = 0; y < Scratch.Height; ++y)
        std::memcpy(p.ScanLine(y), rows.Row(y), 3 * std::size_t(Scratch.Width));
    Pattern = std::move(p);
    return 0;
}

void TGraphicWindow::SelectionCommand(int Command, int Param) {
    if (Command < bus::CmdFlipH || Command > bus::CmdApplyPaste)
        return;
    SyncTools();
    if (!RasterValid())
        return;
    if (Command == bus::CmdApplyPaste) {
        ApplyPaste();
        return;
    }
    auto among = [Command](std::initializer_list<int> Codes) {
        return std::find(Codes.begin(), Codes.end(), Command) != Codes.end();
    };
    // A stretch preview lasts until the next command.
    if (FStretchPreview.Floating) {
        FStretchPreview.Floating = false;
        InvalidateCells({FStretchPreview.PosX, FStretchPreview.PosY,
                         FStretchPreview.PosX + FStretchPreview.Width - 1,
                         FStretchPreview.PosY + FStretchPreview.Height - 1});
    }
    const bool hadSelection = Selected;
    TBoardRect r;
    if (hadSelection) {
        r = GetSelection();
        if (!among({61, 64})) {
            if (among({62, 63, 65, 66, 67, 68, 69}))
                DropSelection();
            else
                HideSelection();
        }
    } else {
        r = {0, 0, LastCol(), LastRow()};
    }
    bool floating = PasteBuffer.Floating;
    TBoardRect r0 = r;
    bool saved = false;
    // A turn lifts content that is not floating yet.
    if (among({53, 55, 56}) && !floating) {
        SaveUndo();
        saved = true;
        CopyCellsToBuffer(PasteBuffer, r);
        EraseRect(r);
        PasteBuffer.Floating = true;
        floating = true;
    }
    MmapRect t;
    if (floating) {
        t.Assign(PasteBuffer);
    } else {
        if (!saved && !among({59, 60, 61, 63, 64, 68, 69}))
            SaveUndo();
        CopyCellsToBuffer(t, r);
    }
    t.PosX = r.Left;
    t.PosY = r.Top;
    auto rectOf = [](const MmapRect& B) {
        return TBoardRect{B.PosX, B.PosY, B.PosX + B.Width - 1, B.PosY + B.Height - 1};
    };
    bool changed = false;
    switch (Command) {
    case 51:
        FlipHorizontal(t);
        changed = true;
        break;
    case 52:
        FlipVertical(t);
        changed = true;
        break;
    case 54:
        FlipHorizontal(t);
        FlipVertical(t);
        changed = true;
        break;
    case 53:
        Rotate90(t);
        r = rectOf(t);
        changed = true;
        break;
    case 55:
        Rotate90(t);
        FlipVertical(t);
        FlipHorizontal(t);
        r = rectOf(t);
        changed = true;
        break;
    case 56:
        RotationSource.Assign(t);
        break;
    case 57:
        t.Assign(RotationSource);
        FreeRotate(t, Param);
        r = rectOf(t);
        changed = true;
        break;
    case 58:
        // The content from before any preview, and the selection around it again.
        t.Assign(RotationSource);
        r = rectOf(t);
        break;
    case 61:
    case 62:
        // The selection follows a stretch that was made.
        if (StretchSelection(Command, r, DestRect) && Command == 62)
            r = DestRect;
        break;
    case 63:
    case 64:
        r0 = DestRect;
        break;
    case 65:
        EraseColourInRect(r);
        break;
    case 66:
        EraseRect(r);
        break;
    case 67:
        CopyToClipboard(r);
        EraseRect(r);
        break;
    case 68:
        CopyToClipboard(r);
        break;
    case 69:
        PasteFromClipboard();
        UpdateCursor();
        break;
    default:
        break;
    }
    if (!among({61, 62, 67, 68, 69})) {
        // The cells under the old and the new place.
        RepaintCells({std::min(r0.Left, r.Left), std::min(r0.Top, r.Top)},
                     {std::max(r0.Right, r.Right), std::max(r0.Bottom, r.Bottom)});
        if (floating) {
            PasteBuffer.Assign(t);
            PasteBuffer.Floating = true;
            PutMapRect(1, t.PosX, t.PosY, t);
        } else if (changed) {
            PutMapRect(2, t.PosX, t.PosY, t);
        }
    }
    // Content lifted without a selection (a turn of the whole picture) is selected as well: only a
    // selection writes its floating content when it is dropped.
    if ((hadSelection || floating) && !among({61, 64, 69}))
        SetSelectionCells(r);
}
