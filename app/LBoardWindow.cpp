#include "app/LBoardWindow.h"

#include "platform/ColorQt.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

namespace {

std::int64_t FloorDiv(std::int64_t A, std::int64_t B) {
    const std::int64_t q = A / B;
    return (A % B != 0 && (A < 0) != (B < 0)) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t A, std::int64_t B) {
    return -FloorDiv(-A, B);
}

// The copies k in 0 .. Count - 1 at Start + k x Step whose Size cells overlap 0 .. Last.
struct TIndexRange {
    std::int64_t Low, High;
};
TIndexRange LandingCopies(std::int64_t Start, std::int64_t Step, std::int64_t Size, std::int64_t Last,
                          std::int64_t Count) {
    TIndexRange r{0, Count - 1};
    if (Step == 0)
        return Start + Size - 1 >= 0 && Start <= Last ? r : TIndexRange{0, -1};
    // Start + k Step + Size - 1 >= 0 and Start + k Step <= Last.
    const std::int64_t a = 1 - Size - Start, b = Last - Start;
    if (Step > 0) {
        r.Low = std::max(r.Low, CeilDiv(a, Step));
        r.High = std::min(r.High, FloorDiv(b, Step));
    } else {
        r.Low = std::max(r.Low, CeilDiv(b, Step));
        r.High = std::min(r.High, FloorDiv(a, Step));
    }
    return r;
}

QWidget* MakePanel(QWidget* Parent, const char* Name) {
    auto* p = new QWidget(Parent);
    p->setObjectName(QString::fromLatin1(Name));
    p->setCursor(Qt::ForbiddenCursor);
    p->setAutoFillBackground(true);
    return p;
}

} // namespace

TBoardWindow::TBoardWindow(QWidget* Parent) : QWidget(Parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    PanelTop = MakePanel(this, "PanelTop");
    PanelRight = MakePanel(this, "PanelRight");
    PanelBottom = MakePanel(this, "PanelBottom");
    PanelLeft = MakePanel(this, "PanelLeft");
    ScrollBarH = new QScrollBar(Qt::Horizontal, this);
    ScrollBarV = new QScrollBar(Qt::Vertical, this);
    ScrollBarH->setObjectName(QStringLiteral("ScrollBarH"));
    ScrollBarV->setObjectName(QStringLiteral("ScrollBarV"));
    for (QScrollBar* s : {ScrollBarH, ScrollBarV}) {
        s->hide();
        s->installEventFilter(this);
    }
    connect(ScrollBarH, &QScrollBar::valueChanged, this, [this](int v) { ScrollBarHChange(v); });
    connect(ScrollBarV, &QScrollBar::valueChanged, this, [this](int v) { ScrollBarVChange(v); });
}

TBoardWindow::~TBoardWindow() = default;

QRect TBoardWindow::ViewQRect() const {
    return ToQRect(ViewRect());
}

// ---- Zoom and grid.

void TBoardWindow::SetPAmpFac(int Value) {
    if (Value < 1 || Value > 20)
        return;
    FAmpFac = Value;
    SetCellSize(Grid() && Value > 1 ? Value + 1 : Value);
    FitWindowToPicture();
    SetViewRect(ReqViewRect());
    RefreshView();
}

void TBoardWindow::SetPGrid(bool Value) {
    SetGridFlag(Value);
    SetPAmpFac(FAmpFac);
}

// ---- Layout.

void TBoardWindow::FitWindowToPicture() {
    if (!AutoFit || MaxWidth < 1 || MaxHeight < 1 || !RasterValid())
        return;
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    if (frame->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return;
    FLayingOut = true;
    const TBoardRect keep = VisibleCells();
    SetVisibleCells({0, 0, LastCol(), LastRow()});
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize decoration = frame == this ? QSize(0, 0) : frame->size() - size();
    int w = ViewRect().Width() + extent + decoration.width();
    int h = ViewRect().Height() + extent + decoration.height();
    if (frame->x() + w > MaxWidth)
        w = MaxWidth - frame->x();
    if (frame->y() + h > MaxHeight)
        h = MaxHeight - frame->y();
    frame->resize(std::max(w, 1), std::max(h, 1));
    FLayingOut = false;
    SetVisibleCells(keep);
}

void TBoardWindow::LayoutView() {
    FLayingOut = true;
    ScrollBarH->hide();
    ScrollBarV->hide();
    const int w = width(), h = height();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    auto allColumns = [this] { return VisibleCells().Width() >= LastCol() + 1; };
    auto allRows = [this] { return VisibleCells().Height() >= LastRow() + 1; };
    // Each trial of the view starts from the cells shown before: a trial over the whole client area
    // would otherwise pull a view that shows the top line or the last column away from it by the
    // width of the scroll bar that the next trial makes room for.
    const TBoardRect shown = VisibleCells();
    auto trial = [this, shown](const TBoardRect& V) {
        SetVisibleCells(shown);
        SetViewRect(V);
    };
    TBoardRect v{0, 0, w - 1, h - 1};
    trial(v);
    bool hShown = false, vShown = false;
    if (!allColumns()) {
        hShown = true;
        v.Bottom -= extent;
        trial(v);
    }
    if (!allRows()) {
        vShown = true;
        v.Right -= extent;
        trial(v);
        if (!hShown && !allColumns()) {
            hShown = true;
            v.Bottom -= extent;
            trial(v);
        }
    }
    if (vShown)
        ScrollBarV->setGeometry(w - extent, 0, extent, h - (hShown ? extent : 0));
    if (hShown)
        ScrollBarH->setGeometry(0, h - extent, w - (vShown ? extent : 0), extent);
    // The board in the middle of what is left.
    const int offX = std::max(0, (w - ViewRect().Width() - (vShown ? extent : 0)) / 2);
    const int offY = std::max(0, (h - ViewRect().Height() - (hShown ? extent : 0)) / 2);
    MoveViewTo(offX, offY);
    const TBoardRect& r = ViewRect();
    PanelTop->setGeometry(0, 0, w, r.Top);
    PanelBottom->setGeometry(0, r.Bottom + 1, w, h - r.Bottom - 1);
    PanelLeft->setGeometry(0, 0, r.Left, h);
    PanelRight->setGeometry(r.Right + 1, 0, w - r.Right - 1, h);
    SetupScrollBars();
    ScrollBarH->raise();
    ScrollBarV->raise();
    FLayingOut = false;
}

void TBoardWindow::SetupScrollBars() {
    const QSignalBlocker bh(ScrollBarH), bv(ScrollBarV);
    // Range: the last first cell; small step 3, large step the visible cells less 5 (at least 2).
    auto setup = [](QScrollBar* Bar, int Range, int Visible, int First) {
        if (Range <= 0) {
            Bar->hide();
            return;
        }
        Bar->setRange(0, Range);
        Bar->setSingleStep(3);
        Bar->setPageStep(std::max(Visible - 5, 2));
        Bar->setValue(First);
        Bar->show();
    };
    const TBoardRect& c = VisibleCells();
    setup(ScrollBarH, LastCol() - (c.Right - c.Left), c.Width(), c.Left);
    setup(ScrollBarV, LastRow() - (c.Bottom - c.Top), c.Height(), c.Top);
}

void TBoardWindow::RefreshView() {
    if (!RasterValid())
        return;
    LayoutView();
    SetPaintRect(ViewRect());
    for (QWidget* p : {PanelTop, PanelRight, PanelBottom, PanelLeft})
        p->show();
    if (!PaintingSuspended)
        update();
}

void TBoardWindow::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (!RasterValid() || FLayingOut)
        return;
    LayoutView();
    SetPaintCells(PaintCells());
    update();
}

void TBoardWindow::PictureAdopted() {
    FitWindowToPicture();
    RefreshView();
}

void TBoardWindow::CenterOnCell(TBoardPoint C) {
    const int n = VisibleCells().Width(), m = VisibleCells().Height();
    const int left = std::max(C.X - n / 2, 0), top = std::max(C.Y - m / 2, 0);
    SetVisibleCells({left, top, left + n - 1, top + m - 1});
    RefreshView();
}

void TBoardWindow::HomePosition() {
    ScrollBarV->setValue(ScrollBarV->maximum());
    ScrollBarH->setValue(ScrollBarH->minimum());
}

void TBoardWindow::ScrollBarHChange(int Position) {
    if (FLayingOut)
        return;
    ScrollRight(Position - VisibleCells().Left);
    SetPaintRect(ViewRect());
    if (!PaintingSuspended)
        update();
}

void TBoardWindow::ScrollBarVChange(int Position) {
    if (FLayingOut)
        return;
    ScrollDown(Position - VisibleCells().Top);
    SetPaintRect(ViewRect());
    if (!PaintingSuspended)
        update();
}

// ---- Painting.

void TBoardWindow::Invalidate(const TBoardRect& R) {
    if (!PaintingSuspended)
        update(ToQRect(R));
}

void TBoardWindow::paintEvent(QPaintEvent* Event) {
    QPainter p(this);
    const QRect clip = Event->rect();
    if (ScrollBarH->isVisible() && ScrollBarV->isVisible()) {
        const QRect corner(QPoint(ScrollBarH->geometry().right() + 1, ScrollBarV->geometry().bottom() + 1),
                           QPoint(width() - 1, height() - 1));
        p.fillRect(corner, palette().color(QPalette::Dark));
    }
    if (PaintingSuspended || !RasterValid()) {
        // Without a picture there is no view and no margin around it: the window's colour fills
        // everything the board paints itself.
        p.fillRect(RasterValid() ? clip & ViewQRect() : clip, palette().color(QPalette::Window));
        return;
    }
    const QRect inView = clip & ViewQRect();
    if (inView.isEmpty())
        return;
    p.setClipRect(inView);
    DrawCells(p, inView);
    DrawPasteBuffer(p, inView);
    DrawGrid(p, inView);
    DrawFrame(p);
}

void TBoardWindow::DrawCells(QPainter& P, const QRect& Clip) {
    TBoardPoint a = PixelToCell(Clip.left(), Clip.top());
    TBoardPoint b = PixelToCell(Clip.right(), Clip.bottom());
    const TBoardRect& v = VisibleCells();
    a = {std::max(a.X, v.Left), std::max(a.Y, v.Top)};
    b = {std::min(b.X, v.Right), std::min(b.Y, v.Bottom)};
    if (a.X > b.X || a.Y > b.Y)
        return;
    const TBitmap& r = Raster();
    const int cs = CellSize();
    // The visible cells wrapped without a copy; Qt converts no more than this rectangle.
    const QImage cells(r.ScanLine(a.Y) + 3 * std::size_t(a.X), b.X - a.X + 1, b.Y - a.Y + 1, r.BytesPerLine(),
                       QImage::Format_BGR888);
    const TBoardPoint t = CellToPixel(a.X, a.Y);
    P.drawImage(QRect(t.X, t.Y, cells.width() * cs, cells.height() * cs), cells);
}

void TBoardWindow::DrawPasteBuffer(QPainter& P, const QRect& Clip) {
    MmapRect& m = PasteBuffer;
    if (!m.Floating || m.Width < 1 || m.Height < 1)
        return;
    const MRowView rows = m.RowView();
    if (rows.IsEmpty())
        return;
    // The buffer's cells under the clip rectangle.
    const TBoardPoint a = PixelToCell(Clip.left(), Clip.top());
    const TBoardPoint b = PixelToCell(Clip.right(), Clip.bottom());
    const int x0 = std::max(a.X - m.PosX, 0), y0 = std::max(a.Y - m.PosY, 0);
    const int x1 = std::min(b.X - m.PosX, m.Width - 1), y1 = std::min(b.Y - m.PosY, m.Height - 1);
    if (x0 > x1 || y0 > y1)
        return;
    QImage part(x1 - x0 + 1, y1 - y0 + 1, QImage::Format_ARGB32);
    for (int y = y0; y <= y1; ++y) {
        const std::uint8_t* s = rows.Row(y) + 3 * std::size_t(x0);
        auto* d = reinterpret_cast<QRgb*>(part.scanLine(y - y0));
        for (int x = x0; x <= x1; ++x, s += 3, ++d) {
            const TColor c = CellColorOf(s);
            *d = m.Transparent && c == m.TransparentColor ? 0u : qRgb(s[2], s[1], s[0]);
        }
    }
    const int cs = CellSize();
    const TBoardPoint t = CellToPixel(m.PosX + x0, m.PosY + y0);
    P.drawImage(QRect(t.X, t.Y, part.width() * cs, part.height() * cs), part);
}

void TBoardWindow::DrawGrid(QPainter& P, const QRect& Clip) {
    if (!GridShown())
        return;
    const int cs = CellSize();
    const QColor grey = toQColor(GridColor);
    const TBoardRect& v = ViewRect();
    // Each cell's top pixel row and right pixel column.
    const int firstRow = std::max(0, (Clip.top() - v.Top) / cs), lastRow = (Clip.bottom() - v.Top) / cs;
    for (int r = firstRow; r <= lastRow; ++r)
        P.fillRect(Clip.left(), v.Top + r * cs, Clip.width(), 1, grey);
    const int firstCol = std::max(0, (Clip.left() - v.Left) / cs), lastCol = (Clip.right() - v.Left) / cs;
    for (int c = firstCol; c <= lastCol; ++c)
        P.fillRect(v.Left + c * cs + cs - 1, Clip.top(), 1, Clip.height(), grey);
}

void TBoardWindow::DrawFrame(QPainter& P) {
    if (!FocusRect.Shown)
        return;
    P.setClipping(false);
    const TBoardRect& r = FocusRect.Rect;
    const int x0 = r.Left - 1, y0 = r.Top, x1 = r.Right, y1 = r.Bottom + 1;
    // Alternating white and black dots show on every colour.
    QVector<QPoint> dots[2];
    auto dot = [&](int x, int y) { dots[(x + y) & 1].append(QPoint(x, y)); };
    for (int x = x0; x <= x1; ++x) {
        dot(x, y0);
        dot(x, y1);
    }
    for (int y = y0 + 1; y < y1; ++y) {
        dot(x0, y);
        dot(x1, y);
    }
    P.setPen(Qt::white);
    P.drawPoints(dots[0].constData(), int(dots[0].size()));
    P.setPen(Qt::black);
    P.drawPoints(dots[1].constData(), int(dots[1].size()));
}

void TBoardWindow::UpdateFrame(const TBoardRect& R) {
    const int x0 = R.Left - 1, y0 = R.Top, x1 = R.Right, y1 = R.Bottom + 1;
    update(QRect(x0, y0, x1 - x0 + 1, 1));
    update(QRect(x0, y1, x1 - x0 + 1, 1));
    update(QRect(x0, y0, 1, y1 - y0 + 1));
    update(QRect(x1, y0, 1, y1 - y0 + 1));
}

void TBoardWindow::DrawFocusFrame(const TBoardRect& R) {
    if (R.Left == R.Right && R.Top == R.Bottom)
        return;
    HideFocusFrame();
    FocusRect.Rect = R;
    FocusRect.Shown = true;
    UpdateFrame(R);
}

void TBoardWindow::HideFocusFrame() {
    if (!FocusRect.Shown)
        return;
    FocusRect.Shown = false;
    // The cells under the frame's pixels are painted again from the raster.
    UpdateFrame(FocusRect.Rect);
}

// ---- Selection and paste.

void TBoardWindow::RepaintCells(TBoardPoint P1, TBoardPoint P2) {
    TBoardRect c{P1.X, P1.Y, P2.X, P2.Y};
    NormalizeRect(c);
    c.Right += 1;
    c.Bottom += 1;
    SetPaintCells(c);
    Invalidate(PaintRect());
}

void TBoardWindow::CopyCellsToBuffer(MmapRect& Buffer, const TBoardRect& C) {
    Buffer.Width = C.Width();
    Buffer.Height = C.Height();
    Buffer.Transparent = false;
    GetMapRect(C.Left, C.Top, Buffer);
}

void TBoardWindow::SetSelectionPixels(const TBoardRect& R) {
    SelRect = R;
    SelectionPixelsToCells();
    DrawFocusFrame(SelRect);
    Selected = true;
}

void TBoardWindow::SetSelectionCells(const TBoardRect& C) {
    SelCells = C;
    SelectionCellsToPixels();
    DrawFocusFrame(SelRect);
    Selected = true;
}

void TBoardWindow::HideSelection() {
    if (!Selected)
        return;
    SelectionCellsToPixels();
    HideFocusFrame();
    Selected = false;
}

void TBoardWindow::DropSelection() {
    if (!Selected)
        return;
    HideSelection();
    Selected = true;
    ApplyPaste();
    Selected = false;
}

void TBoardWindow::EraseRect(const TBoardRect& C) {
    TBoardRect c = C;
    NormalizeRect(c);
    for (int y = c.Top; y <= c.Bottom; ++y)
        for (int x = c.Left; x <= c.Right; ++x)
            SetCell(0, x, y, BrushColor);
    InvalidateCells(c);
}

void TBoardWindow::ApplyPaste() {
    MmapRect& m = PasteBuffer;
    if (!Selected || !m.Floating)
        return;
    std::int64_t countX = m.RepeatX, countY = m.RepeatY;
    int d = 1;
    if (countX < 0) {
        countX = -countX;
        d = -1;
    }
    m.Diagonal = countY == -1;
    if (m.Diagonal)
        countY = countX;
    std::int64_t stepX, stepY;
    if (m.Diagonal) {
        stepX = std::int64_t(m.ClickedX) - m.PosX;
        stepY = std::int64_t(m.ClickedY) - (std::int64_t(m.PosY) + m.Height - 1);
        d = 1;
    } else {
        stepX = m.Width;
        stepY = m.Height;
    }
    if ((countX <= 1 && countY <= 1) || stepX == 0 || stepY == 0) {
        PutMapRect(2, m.PosX, m.PosY, m);
    } else {
        // Only the copies that land in the picture are visited.
        const TIndexRange is = LandingCopies(m.PosX, stepX, m.Width, LastCol(), countX);
        const TIndexRange js = LandingCopies(m.PosY, d * stepY, m.Height, LastRow(), countY);
        if (m.Diagonal) {
            for (std::int64_t i = std::max(is.Low, js.Low); i <= std::min(is.High, js.High); ++i)
                PutMapRect(2, int(m.PosX + i * stepX), int(m.PosY + i * stepY), m);
        } else {
            for (std::int64_t i = is.Low; i <= is.High; ++i)
                for (std::int64_t j = js.Low; j <= js.High; ++j)
                    PutMapRect(2, int(m.PosX + i * stepX), int(m.PosY + d * j * stepY), m);
        }
        m.RepeatX = m.RepeatY = 1;
    }
    m.Floating = false;
    Modified = true;
    ChangedSinceAutosave = true;
}

TBitmap TBoardWindow::PictureWithPaste() const {
    TBitmap out = Raster();
    if (PasteBuffer.Floating)
        PutBufferCells(out, PasteBuffer.PosX, PasteBuffer.PosY, PasteBuffer);
    ReplaceColor(out, SubstituteColor(), ReservedColor());
    return out;
}

void TBoardWindow::UpdateHoverState() {
    if (Panning)
        return;
    const int state = Selected && PointInRect(CurrentCell.X, CurrentCell.Y, SelCells) == 0 ? 2 : 1;
    if (state != CursorState) {
        CursorState = state;
        UpdateCursor();
    }
}

// ---- Mouse and keys.

void TBoardWindow::mousePressEvent(QMouseEvent* Event) {
    if (!RasterValid())
        return;
    const QPoint at = Event->position().toPoint();
    const TBoardPoint cell = PixelToCell(at.x(), at.y());
    const Qt::MouseButton button = Event->button();
    const Qt::KeyboardModifiers mods = Event->modifiers();
    DragMode = 0;
    if (button == Qt::LeftButton) {
        LeftDown = true;
        LeftPressPixel = {at.x(), at.y()};
        LeftPressCell = cell;
        RubberBand = {at.x(), at.y(), at.x(), at.y()};
    } else if (button == Qt::RightButton) {
        RightDown = true;
        RightPressPixel = {at.x(), at.y()};
        RightPressCell = cell;
        Panning = false;
        return;
    } else {
        return;
    }
    if (SelectMode == 1 && mods == Qt::NoModifier) {
        if (Selected && PointInRect(cell.X, cell.Y, SelCells) == 0) {
            Moving = true;
            if (!PasteBuffer.Floating) {
                SaveUndo();
                HideSelection();
                CopyCellsToBuffer(PasteBuffer, SelCells);
                PasteBuffer.PosX = SelCells.Left;
                PasteBuffer.PosY = SelCells.Top;
                EraseRect(SelCells);
                PasteBuffer.Floating = true;
            } else {
                HideSelection();
            }
            // The pointer goes to the selection's corner, which the buffer's corner then follows
            // (the platform may not move it; nothing depends on it).
            QCursor::setPos(mapToGlobal(QPoint(SelRect.Left, SelRect.Top)));
            DragCell = {SelCells.Left, SelCells.Top};
            PasteBuffer.Transparent = true;
            PasteBuffer.TransparentColor = BrushColor;
        } else {
            Moving = false;
            PasteBuffer.ClickedX = cell.X;
            PasteBuffer.ClickedY = cell.Y;
            DropSelection();
            DragMode = 1;
        }
    } else if ((mods & Qt::ControlModifier) && CursorState == 3) {
        Panning = true;
        PasteBuffer.ClickedX = cell.X;
        PasteBuffer.ClickedY = cell.Y;
        ApplyPaste();
        DragCell = cell;
    }
}

void TBoardWindow::MoveBufferTo(TBoardPoint Cell) {
    MmapRect& m = PasteBuffer;
    RepaintCells({m.PosX, m.PosY}, {m.PosX + m.Width - 1, m.PosY + m.Height - 1});
    m.PosX = Cell.X;
    m.PosY = Cell.Y;
    PutMapRect(1, m.PosX, m.PosY, m);
}

void TBoardWindow::mouseMoveEvent(QMouseEvent* Event) {
    if (!RasterValid())
        return;
    const QPoint at = Event->position().toPoint();
    CurrentCell = PixelToCell(at.x(), at.y());
    if (Event->modifiers() & Qt::ControlModifier) {
        if (Panning)
            DragCell = CurrentCell;
    } else if (Moving && PasteBuffer.Width >= 1 && PasteBuffer.Height >= 1) {
        if (CurrentCell != DragCell)
            MoveBufferTo(CurrentCell);
    } else if (DragMode == 1) {
        HideFocusFrame();
        RubberBand = {LeftPressPixel.X, LeftPressPixel.Y, at.x(), at.y()};
        NormalizeRect(RubberBand);
        DrawFocusFrame(RubberBand);
    } else {
        UpdateHoverState();
    }
    DragCell = CurrentCell;
}

void TBoardWindow::mouseReleaseEvent(QMouseEvent* Event) {
    if (!RasterValid())
        return;
    const QPoint at = Event->position().toPoint();
    const TBoardPoint cell = PixelToCell(at.x(), at.y());
    // Ctrl ends a pan; a band or a lifted selection pressed without Ctrl ends as it would without
    // it, so a Ctrl pressed on the way never leaves the lifted cells floating outside a selection.
    if ((Event->modifiers() & Qt::ControlModifier) && Panning) {
        if (cell != LeftPressCell) {
            Panning = false;
            // The picture follows the mouse: both positions change at once, then one repaint.
            PaintingSuspended = true;
            ScrollBarH->setValue(ScrollBarH->value() + (LeftPressCell.X - cell.X));
            ScrollBarV->setValue(ScrollBarV->value() + (LeftPressCell.Y - cell.Y));
            PaintingSuspended = false;
            RefreshView();
        }
    } else {
        if (DragMode == 1) {
            HideFocusFrame();
            if (at.x() != LeftPressPixel.X || at.y() != LeftPressPixel.Y) {
                TBoardRect band{LeftPressPixel.X, LeftPressPixel.Y, at.x(), at.y()};
                NormalizeRect(band);
                SetSelectionPixels(band);
            }
        }
        if (Moving && PasteBuffer.Width >= 1 && PasteBuffer.Height >= 1) {
            Moving = false;
            MoveBufferTo(cell);
            SetSelectionCells(
                {cell.X, cell.Y, cell.X + PasteBuffer.Width - 1, cell.Y + PasteBuffer.Height - 1});
            UpdateHoverState();
        }
    }
    DragMode = 0;
    if (Event->button() == Qt::LeftButton) {
        LeftDown = false;
        // The pan ends with the button: a Ctrl-click, or a Ctrl let go before the button, moves
        // nothing and leaves the hover states free to follow the mouse again.
        Panning = false;
    } else if (Event->button() == Qt::RightButton)
        RightDown = false;
}

void TBoardWindow::KeyDown(Qt::KeyboardModifiers Modifiers) {
    if (!(Modifiers & Qt::ControlModifier))
        return;
    UpdateHoverState();
    if (CursorState != 3) {
        CursorState = 3;
        UpdateCursor();
    }
}

void TBoardWindow::KeyUp(Qt::KeyboardModifiers Modifiers) {
    if (!(Modifiers & Qt::ControlModifier))
        UpdateHoverState();
}

void TBoardWindow::keyPressEvent(QKeyEvent* Event) {
    KeyDown(Event->modifiers());
    QWidget::keyPressEvent(Event);
}

void TBoardWindow::keyReleaseEvent(QKeyEvent* Event) {
    KeyUp(Event->modifiers());
    QWidget::keyReleaseEvent(Event);
}

bool TBoardWindow::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == ScrollBarH || Watched == ScrollBarV) {
        if (Event->type() == QEvent::KeyPress)
            KeyDown(static_cast<QKeyEvent*>(Event)->modifiers());
        else if (Event->type() == QEvent::KeyRelease)
            KeyUp(static_cast<QKeyEvent*>(Event)->modifiers());
    }
    return QWidget::eventFilter(Watched, Event);
}
