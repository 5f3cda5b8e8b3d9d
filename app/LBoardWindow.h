#pragma once
// The board window: the board as an interactive view, zoomed 1 to 20 times with an optional grid,
// the picture centred between four margin panels, scroll bars placed by hand (the view keeps its
// bottom line and whole cells, so it is no scroll area) that show only when the picture does not
// fit, a rubber-band selection shown as a dotted frame, a lifted selection dragged as a floating
// paste buffer, Ctrl-drag panning and the repeated paste. The drawing tools and the edit commands
// build on it.
//
// Everything is painted in paintEvent from the raster and the overlay state (the floating buffer,
// the focus frame); a change repaints exactly the pixels of the cells it touched.

#include "app/LBoardFr.h"
#include "model/UmapRect.h"

#include <QWidget>

class QScrollBar;

// The dotted frame around the selection or the rubber band.
struct MFocusRect {
    bool Shown = false;
    TBoardRect Rect;
};

class TBoardWindow : public QWidget, public TBoardFormats {
    Q_OBJECT
public:
    explicit TBoardWindow(QWidget* Parent = nullptr);
    ~TBoardWindow() override;

    QScrollBar* ScrollBarH;
    QScrollBar* ScrollBarV;
    QWidget* PanelTop;
    QWidget* PanelRight;
    QWidget* PanelBottom;
    QWidget* PanelLeft;

    // The zoom factor 1..20 (0 until set; other values change nothing) and the grid.
    int PAmpFac() const { return FAmpFac; }
    void SetPAmpFac(int Value);
    bool PGrid() const { return Grid(); }
    void SetPGrid(bool Value);

    int SelectMode = 0; // 1 while the select tool is the current tool
    int DragMode = 0;   // 1 while a rubber band is drawn
    bool LeftDown = false;
    bool RightDown = false;
    TBoardPoint LeftPressPixel, RightPressPixel;
    TBoardRect RubberBand;
    TBoardPoint LeftPressCell, RightPressCell, CurrentCell, DragCell;
    MFocusRect FocusRect;
    bool Moving = false;
    bool Panning = false;
    int CursorState = 1; // 1 normal, 2 over the selection, 3 Ctrl held
    bool PaintingSuspended = false;
    // The pending, floating content: a lifted selection, a pasted or rotated picture.
    MmapRect PasteBuffer;
    // The window may resize itself to the picture within MaxWidth x MaxHeight, the main window's free
    // client area (-1 until set).
    bool AutoFit = false;
    int MaxWidth = -1;
    int MaxHeight = -1;

    // ---- Operations.
    void RefreshView();
    void LayoutView();
    void FitWindowToPicture();
    void SetupScrollBars();
    void CenterOnCell(TBoardPoint C);
    void RepaintCells(TBoardPoint P1, TBoardPoint P2);
    void CopyCellsToBuffer(MmapRect& Buffer, const TBoardRect& C);
    void SetSelectionPixels(const TBoardRect& R);
    void SetSelectionCells(const TBoardRect& C);
    void HideSelection();
    void DropSelection();
    void UpdateHoverState();
    // Shows the focus frame around R (nothing for a single point); hidden by HideFocusFrame.
    void DrawFocusFrame(const TBoardRect& R);
    void HideFocusFrame();

    // ---- The drawing tools' work.
    virtual void UpdateCursor() {}
    // Erases a cell rectangle with the brush colour.
    virtual void EraseRect(const TBoardRect& C);

    void HomePosition() override;
    // Writes a floating paste buffer into the picture (repeated by its counts) and ends its floating.
    void ApplyPaste() override;
    TBitmap PictureWithPaste() const override;

    // The pixels of the view in the window's coordinates.
    QRect ViewQRect() const;

protected:
    void Invalidate(const TBoardRect& R) override;
    void PictureAdopted() override;

    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // Repaints the floating buffer's old place and shows it with its top-left cell at Cell.
    void MoveBufferTo(TBoardPoint Cell);
    void ScrollBarHChange(int Position);
    void ScrollBarVChange(int Position);
    void KeyDown(Qt::KeyboardModifiers Modifiers);
    void KeyUp(Qt::KeyboardModifiers Modifiers);
    void UpdateFrame(const TBoardRect& R);
    void DrawCells(QPainter& P, const QRect& Clip);
    void DrawPasteBuffer(QPainter& P, const QRect& Clip);
    void DrawGrid(QPainter& P, const QRect& Clip);
    void DrawFrame(QPainter& P);

    bool FLayingOut = false;
    int FAmpFac = 0;
};
