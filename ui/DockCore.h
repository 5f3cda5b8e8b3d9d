#pragma once
// The arithmetic of the dock areas and tool windows, free of widgets: rows and positions of the bars
// in a dock, the row under a drop point, the catch zones of a drag, frame sizes, hit tests, the
// caption cut, the floating limits and whether a floating window wants to show. The widgets in
// Docks.h feed these functions with their present state, so every rule here runs headless.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

class QFontMetrics;

// (A * B) / C in 64 bits, rounded half away from zero; -1 when C is 0 or the result leaves the
// 32-bit range.
int MulDiv(int A, int B, int C);

// ---- Rows of a dock.

// What the arrangement reads and writes of one registered bar.
struct TDockBarSlot {
    int DockRow = 0;
    int DockPos = -1;
    bool FullSize = false;
    // Counts for layout: docked here and visible.
    bool Shown = false;
    // The bar's outer size now and its thickness across a dock of this dock's type (without the
    // docked frame).
    int Width = 0;
    int Height = 0;
    int Thickness = 0;
    // Written by the arrangement for shown bars: the bounds in the dock's client coordinates.
    QRect Bounds;
};

struct TDockArrangeInput {
    bool Vertical = false;
    // The dock's outer size and its frame (the number of bound lines across and along).
    int Width = 0;
    int Height = 0;
    int FrameWidth = 0;
    int FrameHeight = 0;
    bool LimitToOneRow = false;
    bool FixAlign = false;
    // Write the positions shown back into DockPos.
    bool ClipPositions = false;
};

struct TDockArrangeResult {
    // The row sizes (thickness without the frame of the bars), one per row from 0.
    std::vector<int> RowSizes;
    // The dock's new thickness across (height of a horizontal dock, width of a vertical one).
    int Thickness = 0;
};

// Lays out every registered bar: rows compacted, sorted by (row, position), full-size bars moved to
// rows of their own, row sizes, overlaps removed in the stored positions, the positions shown pushed
// into the dock, and the bounds of every shown bar. Bars is reordered by (row, position).
TDockArrangeResult ArrangeDockBars(std::vector<TDockBarSlot*>& Bars, const TDockArrangeInput& Input);

// The row numbers in use mapped onto 0, 1, 2, ... in their order: empty rows are closed, negative and
// far-apart numbers become neighbours.
void CloseEmptyDockRows(std::vector<TDockBarSlot*>& Bars);
// Every bar on Row or after it moves one row on (a bar already at the largest row number stays).
void OpenDockRow(std::vector<TDockBarSlot*>& Bars, int Row);
// The largest row number in use, -1 when there are no bars.
int HighestDockRow(const std::vector<TDockBarSlot*>& Bars);
// The row sizes of the shown bars: per row the largest thickness, at least 8 where a bar is shown.
std::vector<int> BuildDockRowSizes(const std::vector<TDockBarSlot*>& Bars);

struct TRowAtPosition {
    int Row = 0;
    // A new row is to be opened before Row.
    bool NewRow = false;
};
// The row a bar dropped at cross position Pos (client pixels) joins, or the row before which a new
// row opens: 5 pixels on each side of every boundary and the first 5 pixels of the dock open a new
// row, anything beyond the last row opens a new last row.
TRowAtPosition DockRowAtPosition(const std::vector<int>& RowSizes, int Pos);

// ---- Frames.

enum class TDragHandleStyle { dhDouble, dhNone, dhSingle };
enum class TDockBorderStyle { bsNone, bsSingle };

// Width of the docked drag handle and the offset of its first grip bar (before adding 2).
int DragHandleSize(bool CloseButtonWhenDocked, TDragHandleStyle Style);
int DragHandleOffset(bool CloseButtonWhenDocked, TDragHandleStyle Style);

// The frame around a tool window's client, by side.
struct TFrameSize {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int X() const { return Left + Right; }
    int Y() const { return Top + Bottom; }
    friend bool operator==(const TFrameSize&, const TFrameSize&) = default;
};
// Docked: 2 on every side plus the handle on the leading side (left of a horizontal dock, top of a
// vertical one) when the dock lets its bars be dragged.
TFrameSize DockedFrameSize(bool Vertical, bool AllowDrag, bool CloseButtonWhenDocked, TDragHandleStyle Style);
// Floating: the border (4 when resizable, else 3) on every side, plus the small caption on top.
int FloatingBorderSize(bool Resizable);
TFrameSize FloatingFrameSize(bool Resizable, bool ShowCaption);
// The docked close button's square in window coordinates (client width of the window).
QRect DockedCloseButtonRect(bool Vertical, int ClientWidth, bool CloseButtonWhenDocked,
                            TDragHandleStyle Style);
// The floating caption (without the close square when there is a close button) and the close
// square, in window coordinates.
QRect FloatingCaptionRect(bool Resizable, int ClientWidth, bool CloseButton);
QRect FloatingCloseButtonRect(bool Resizable, int ClientWidth);

// ---- Hit test.
enum class TDockHit {
    Nowhere,
    Client,
    Close,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight
};
struct TFloatingHitInput {
    QSize WindowSize;
    bool Resizable = true;
    bool ShowCaption = true;
    bool CloseButton = true;
    bool EightCorners = true;
};
TDockHit FloatingHitTest(const TFloatingHitInput& In, QPoint P);
// Docked: the close button when there is one and the dock lets bars drag; everything else client.
TDockHit DockedHitTest(const QRect& CloseButton, bool HasCloseButton, QPoint P);
// The sizing edge (0 left, 1 right, 2 top, 3 top-left, 4 top-right, 5 bottom, 6 bottom-left,
// 7 bottom-right) of a sizing hit; -1 for any other hit.
int SizingEdgeOfHit(TDockHit Hit);

// ---- Caption.
// The caption text fitted into Width: a text too wide gets "..." and loses the character before the
// "..." again and again while still too wide and at least 5 characters long.
QString CutCaption(const QString& Text, const QFontMetrics& Metrics, int Width);

// ---- Dragging.
// The rectangle of Size placed around the cursor so that the grabbed spot keeps its relative place.
// Grab is the press point in the window, StartMinusOne the window's size minus one at the start.
QRect PlaceAroundCursor(QPoint Pos, QSize Size, QPoint Grab, QSize StartMinusOne);
// Whether a dock whose window rectangle is DockRect (screen) catches the cursor for a window of the
// candidate size: the dock extended by 32 pixels across X and 20 across Y in total, shared between
// the sides by where the window was grabbed; a vertical dock never catches above or below itself;
// an empty dock counts one pixel thicker on both sides across it.
bool DockCatches(QRect DockRect, bool Vertical, bool Empty, QSize Candidate, QPoint Grab, QSize StartMinusOne,
                 QPoint Pos);
// Keeps a floating outline on the work area: it overlaps the area shrunk by the floating border plus
// 4, and at least the lowest 4 pixels of its caption stay below the area's top.
QRect LimitFloatingOutline(QRect Outline, QRect WorkArea, int BorderSize, int FrameTop);
// Moves R onto Area (left and top win for a rectangle larger than the area); with
// OnlyIfFullyOffscreen nothing moves while R meets the area.
QRect KeepRectOnScreen(QRect R, QRect Area, bool OnlyIfFullyOffscreen);
// Moves the sides of Start by Delta as the sizing edge says, never below Minimum.
QRect SizeRect(QRect Start, int Edge, QPoint Delta, QSize Minimum);

// ---- Visibility of a floating window.
enum class TFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };
struct TShowState {
    bool Showing = true;
    int HideCount = 0;
    bool Docked = false;
    TFloatingMode FloatingMode = TFloatingMode::fmOnTopOfParentForm;
    // The parent form and its MDI frame (the form itself when not an MDI child).
    bool FormExists = true;
    bool FormVisible = true;
    bool FormMinimized = false;
    bool FrameIsForm = true;
    bool FrameExists = true;
    bool FrameVisible = true;
    bool FrameMinimized = false;
    bool AppMinimized = false;
    bool HideWhenInactive = true;
    bool AppActive = true;
};
bool WantsToShow(const TShowState& S);
