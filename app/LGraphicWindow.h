#pragma once
// The graphic window: the board window as a drawing editor. It adds the drawing tools the main
// window's toolbars choose (lines, free-hand pencil, erasers, outlined and filled ellipses,
// rectangles, rounded rectangles and rhombuses, colour picker, text, magnifier, flood and pattern
// fill) with their cursors, the edit commands of the selection (flips, rotations, free rotation,
// stretch, erase, cut, copy and paste through the system clipboard, the fill pattern) and one level
// of undo.
//
// Every tool draws whole cells: a shape is rendered at one pixel per cell into a scratch picture
// filled with a key colour and put into the raster with the key transparent, so a one-cell line is
// one cell wide at any zoom. The window talks to the main window that owns it through MGraphicHost;
// without a host it stands alone and notifies nobody.

#include "app/LBoardWindow.h"

#include <QFont>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class QImage;

// What the window needs of the main window that owns it.
class MGraphicHost {
public:
    virtual ~MGraphicHost() = default;
    // A notification of group 1 (bus::Notify...): code and two parameters.
    virtual void GraphicNotify(int Code, int Param, int Param2) = 0;
    // The fill pattern the pattern fill tiles; null (or an empty picture) while none is set.
    virtual const TBitmap* FillPattern() const = 0;
    // The main window's free client area: the largest size the magnifier gives the window.
    virtual QSize FreeClientArea() const = 0;
};

// What the text tool places: the text dialog's lines, its font and its "Fit into selection" option.
struct TTextRequest {
    QStringList Lines;
    QFont Font;
    bool Fit = false;
};

// The numbers of the drawing tools' cursors in the program's cursor table.
namespace gcursor {
constexpr int Select = 1;
constexpr int Text = 2;
constexpr int Pencil = 3;
constexpr int Line = 4;
constexpr int Rect = 5;
constexpr int MovingSelect = 6;
constexpr int FillRect = 7;
constexpr int RoundRect = 8;
constexpr int FillRoundRect = 9;
constexpr int Ellipse = 10;
constexpr int FillEllipse = 11;
constexpr int Drop = 12;
constexpr int Eraser = 13;
constexpr int EraserClr = 14;
constexpr int Magnify = 15;
constexpr int Paste = 16; // given to no tool
constexpr int Fill = 17;
constexpr int Rhombus = 18;
constexpr int FillRhombus = 19;
} // namespace gcursor

// Draws the nineteen cursors into the program's cursor table (once; later calls do nothing).
void LoadGraphicCursors();
// The name of a drawing tool's cursor ("PENCILE" for 3), empty for other numbers.
QString GraphicCursorName(int Id);

// One drawing tool: its family (the bus's command), its id (the bus's param) and its cursor.
struct TGraphicTool {
    int Family;
    int Id;
    int Cursor;
};
const std::array<TGraphicTool, 18>& GraphicTools();
// The tool of an id; null for an id the table does not hold.
const TGraphicTool* GraphicToolOf(int Id);

// The catalogue texts of the drawing tools and commands (code 11).
namespace graphicmsg {
constexpr int Code = 11;
constexpr int TextTooLarge = 3501;  // (W x H): the text block is larger than a picture may be
constexpr int PasteTooLarge = 3502; // (W x H): the clipboard picture is larger than a picture may be
} // namespace graphicmsg

class TGraphicWindow : public TBoardWindow {
    Q_OBJECT
public:
    explicit TGraphicWindow(QWidget* Parent = nullptr);
    ~TGraphicWindow() override;

    // The main window that owns the window; null while it stands alone.
    MGraphicHost* Host = nullptr;
    // The text dialog: fills in the request and answers true when confirmed. Unset, the text tool
    // places nothing.
    std::function<bool(TTextRequest& Request)> TextDialog;

    int DrawingState = 2; // 1 while a shape or stroke is in progress, 2 idle
    TBoardPoint PrevCell; // the cell of the last mouse move
    int ToolFamily = 1;
    int ToolId = 8;
    TBoardRect DestRect; // the destination of the stretch commands 61 to 64 (cells)
    int BrushStyle = 0;  // 0 solid, 1 hollow, 2 to 7 hatchings
    int PenStyle = 0;    // 0 solid, 1 dash, 2 dot
    int PenWidth = 1;    // cells
    MmapRect RotationSource;
    MmapRect Scratch;

    // ---- Tools.
    // Takes the tool (its family from the tool table), the select mode, and shows its cursor. An id
    // outside the table is kept but shows no cursor of its own.
    void SetTool(int Id);
    void UpdateCursor() override;
    // Fills a cell rectangle with the brush colour, in the raster and on screen.
    void EraseRect(const TBoardRect& C) override;
    // Draws a shape of a kind 1..12 between two cells into the raster and onto the screen.
    void DrawShape(TBoardPoint From, TBoardPoint To, int Kind);
    // The outline preview of a family between two cells, on screen only; RemovePreview takes it away.
    void DrawShapePreview(TBoardPoint From, TBoardPoint To, int Family);
    void RemovePreview();
    bool PreviewShown() const { return FPreview.Shown; }
    void DrawStroke(TBoardPoint From, TBoardPoint To, int Id);
    // Scrolls when the pixel (X, Y) lies outside the view.
    void AutoScroll(int X, int Y);
    // Turns every buffer pixel whose board cell (buffer placed at X0, Y0) is not of Colour into Key.
    void ColourEraserMask(int X0, int Y0, TColor Key, TColor Colour, MmapRect& Buffer);
    void FloodFillAt(int X, int Y);
    void PatternFillAt(int X, int Y);
    // The host's fill pattern; null while it has none (none taken yet, or an empty picture).
    const TBitmap* PatternToFill() const;
    // Places a text with its anchor cell (X, Y); false when nothing was placed (no line, a block too
    // large, which is reported).
    bool PlaceText(int X, int Y, const TTextRequest& Text);
    // One magnifier click: the left button zooms in and centres on the cell, the right one zooms out.
    void Magnify(TBoardPoint Cell, bool In);

    // ---- Selection commands and undo.
    void SaveUndo() override;
    void ClearUndo() override;
    void Undo();
    bool UndoAvailable() const { return FUndoAvailable; }
    // The selection's cells, or the whole picture without a selection.
    TBoardRect GetWorkRect() const;
    // The selection's cells, or (-1, -1, -1, -1) without a selection.
    TBoardRect GetSelection() const;
    // The commands 51 to 70 of the selection (bus::CmdFlipH ...); others are ignored.
    void SelectionCommand(int Command, int Param = 0);
    // Stretches the cells of R onto D; false (nothing done) when R is below 2 x 2 or D is empty or
    // too large.
    bool StretchSelection(int Command, const TBoardRect& R, const TBoardRect& D);
    void EraseColourInRect(const TBoardRect& R);
    void CopyToClipboard(const TBoardRect& R);
    void PasteFromClipboard();
    // The selection (or its floating content) as the fill pattern: 0, or -1 without a selection.
    int SelectionToPattern(TBitmap& Pattern);
    // FreeRotate through the window's image processor.
    void FreeRotate(MmapRect& B, int Angle);

    // ---- Notifications.
    // The window became active (notification 8 with the number).
    void FormActivate(int WindowNumber);
    // Sends a notification of group 1 to the host; nothing without one.
    void Notify(int Code, int Param = 0, int Param2 = 0);

protected:
    // Called before every press, move, release and command: a window that keeps its tool state
    // elsewhere (the bus's copy) takes it into the fields and colours here.
    virtual void SyncTools() {}

    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    struct TPreview {
        bool Shown = false;
        int Family = 0;
        QPoint A, B; // screen pixels
    };
    void ShowTextRefusal(std::int64_t W, std::int64_t H, int SubCode);
    bool DrawsShapes() const { return ToolFamily >= 1 && ToolFamily <= 12; }
    bool StrokeTool() const { return ToolId == 8 || ToolId == 9 || ToolId == 10; }
    QRect PreviewBounds() const;

    TPreview FPreview;
    // The stretch preview of command 61, on screen only.
    MmapRect FStretchPreview;
    TBitmap FUndo;
    bool FUndoAvailable = false;
};

// ---- Buffer transforms and the drawing arithmetic, free of any window.

// Each row reversed in place, and the rows in reverse order; a buffer less than 2 wide or 2 high is
// left as it is.
void FlipHorizontal(MmapRect& B);
void FlipVertical(MmapRect& B);
// A quarter turn clockwise: (x, y) -> (h - 1 - y, x); B becomes h wide and w high.
void Rotate90(MmapRect& B);
// The cells of a flood fill from (X, Y): the area of that cell's colour, 4-connected (a cell joins
// through its left, right, upper and lower neighbours, never through a corner). One byte per cell,
// rows top-down; empty when (X, Y) lies outside the picture.
std::vector<std::uint8_t> FloodMask(const TBitmap& Picture, int X, int Y);
// Draws one shape on a canvas of one pixel per cell (kinds 1..12; see DrawShape). Lines, points,
// rectangles and rhombuses of pen width 1 are set pixel by pixel; ellipses, rounded rectangles,
// wider pens and hatched brushes go through QPainter with antialiasing off.
void RenderShape(QImage& Canvas, int X1, int Y1, int X2, int Y2, int Kind, int Width, int PenStyle,
                 int BrushStyle, TColor PenColour, TColor BrushColour);
// The nearest-neighbour stretch of Source onto Target's size: every target pixel is a source pixel,
// so no colour appears that the source did not hold.
void StretchNearest(const MmapRect& Source, MmapRect& Target);
