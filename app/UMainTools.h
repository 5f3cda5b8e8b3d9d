#pragma once
// The main window's drawing-tool state and its five docked toolbars. One state serves every drawing
// window: the tool, the pen and brush colours, the pen width and the two styles. Each toolbar control
// sends its change on the command bus, which updates the state and hands the change to the drawing
// windows; a new drawing window starts with a copy of the state (ApplyToolsToWindow).
//
// The toolbars talk to the frame only through MMainToolsHost: the bus, the colour dialog, the two
// read-out labels of the status bar and the selection dialogs that come with the drawing board.

#include "model/UColors.h"
#include "platform/Color.h"

#include <QImage>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>

class MColorsPanel;
class MDockToolBar;
class MDockToolBarButton;
class MForm;
class MImage;
class MLabel;
class MPopupMenu;
class MShape;
class QLabel;
class QWidget;
class TBitmap;
class TDockArea;

// The tool state every drawing window copies. Colours are 0x00BBGGRR.
struct DrawingToolState {
    int ToolFamily = 1; // 0 single tools, 1 lines and free hand, 2 ellipses, 4 rectangles, 6 round
                        // rectangles, 11 diamonds, 34 magnifier
    int Tool = 8;       // the tool within its family (bus::Tool...)
    int PenWidth = 1;   // 1..5
    int PenStyle = 0;   // 0 solid, 1 dash, 2 dot
    int BrushStyle = 0; // 0 solid, 2 horizontal, 3 vertical, 4 forward and 5 backward diagonal, 6 cross,
                        // 7 diagonal cross
    TColor PenColor = 0x000000;
    TColor BrushColor = 0x00BB00;
};

// What the toolbars need of the frame.
class MMainToolsHost {
public:
    virtual ~MMainToolsHost() = default;
    // Sends a message on the command bus and answers the bus's answer (bus::NoAnswer when no drawing
    // took it).
    virtual int SendBusMessage(int Group, int Command, int Param = 0, int Param2 = 0) = 0;
    // The colour dialog (OColorDialog), opened with Color; true with the chosen colour in it, false
    // (Color unchanged) when cancelled. The frame's is ExecuteOColorDialog.
    virtual bool ExecuteColorDialog(TColor& Color) = 0;
    // The status bar's needle and line read-out.
    virtual QLabel* LabelXValue() = 0;
    virtual QLabel* LabelYValue() = 0;

    // ---- The selection dialogs of the drawing board; until they exist nothing is shown.
    // The repeat-paste dialog: true with the repeat counts when accepted.
    virtual bool ExecuteRepeatPaste(int& X, int& Y) {
        (void)X;
        (void)Y;
        return false;
    }
    // Starts the free rotation of the selection and shows its dialog modally.
    virtual void ExecuteFreeRotation() {}
    // Shows the selection resize dialog modally.
    virtual void ExecuteSelectionResize() {}
};

// The station's colour dialog: a non-native QColorDialog opened with Color; true with the choice.
bool ExecuteOColorDialog(QWidget* Parent, TColor& Color);

// The glyph files of the brush, pen and width menus, by index; the command of an entry is
// bus::MenuCmdFirst + its index.
constexpr int GlyphCount = 15;
constexpr int BrushGlyphFirst = 0, BrushGlyphCount = 7;
constexpr int PenGlyphFirst = 7, PenGlyphCount = 3;
constexpr int WidthGlyphFirst = 10, WidthGlyphCount = 5;
extern const std::array<const char*, GlyphCount> GlyphFileNames;
// The brush style each brush entry sends (the pen and width entries send their index within the menu,
// the width entries plus one).
extern const std::array<int, BrushGlyphCount> BrushStyleOfEntry;

// Reads one of the station's BMP pictures, named relative to the application folder
// ("Bitmaps\Intro.bmp"); a file that is missing or cannot be read is shown by name through the
// message box and gives an empty picture.
QImage LoadStationPicture(const QString& RelativeName);
// The same for a picture of the toolbars' folder "Bitmaps\Toolbars\".
QImage LoadToolbarGlyph(const QString& FileName);

class TMainToolbars {
public:
    // Builds the five toolbars on Frame (their owner) and docks Drawing, View and Tools in DockUp and
    // Colors and Brushes in DockRight; the state takes its defaults and the brush toolbar its menus
    // (InitiateBrushToolbar(0, 0, 0)).
    TMainToolbars(MForm* Frame, MMainToolsHost& Host, TDockArea* DockUp, TDockArea* DockRight);
    ~TMainToolbars();
    TMainToolbars(const TMainToolbars&) = delete;
    TMainToolbars& operator=(const TMainToolbars&) = delete;

    // ---- The state.
    DrawingToolState& ToolState() { return FState; }
    const DrawingToolState& ToolState() const { return FState; }
    void SetDefaultTools();
    // The pattern sample of "Fill with pattern" (24 bits); a drawing copies its selection into it.
    // Empty until the first sample is taken.
    TBitmap& PatternBitmap() { return *FPatternBitmap; }
    // Copies the state into the tool fields a drawing window keeps (pen and brush colours, width,
    // styles, family, then the tool); the drawing then chooses its cursor for the tool.
    void ApplyToolsToWindow(DrawingToolState& Window) const;

    // ---- The colours.
    // Shows the state's pen and brush colours on the swatches.
    void LoadColorsFromDef();
    void SetForeClr(TColor Color);
    void SetBackClr(TColor Color);
    static void colorToRGB(TColor Color, int& R, int& G, int& B);
    // The status bar's read-out (notification 5).
    void SetXY(int X, int Y);
    // The undo button follows the drawings' notifications 6 and 7.
    void SetUndoEnabled(bool Enabled);

    // ---- The brush, pen and width drop-downs.
    void InitiateBrushToolbar(int BrushIndex, int PenIndex, int WidthIndex);
    void BrushBtnChanged(int Index);
    void PenBtnChanged(int Index);
    void ThickBtnChanged(int Index);
    const QImage& GlyphImage(int Index) const { return FGlyphs[Index]; }

    // ---- The handlers of the controls.
    void BtnSelectClick();
    void BtnDropClick();
    void BtnPenClick();
    void BtnLineClick();
    void BtnRectClick();
    void BtnFillRectClick();
    void BtnSompaClick();
    void BtnFillSompaClick();
    void BtnEllipseClick();
    void BtnFillEllipseClick();
    void BtnRoundRectClick();
    void BtnFillRoundRectClick();
    void BtnFillClick();
    void BtnFilPatternClick();
    void BtnEraserClrClick();
    void BtnEraserClick();
    void BtnTextClick();
    void BtnAmpClick();
    void btnUndoClick();
    void BtnClrExhClick();
    void BtnEraseRectClick();
    void BtnCutClick();
    void BtnCopyClick();
    void BtnPasteClick();
    void BtnPasteMuitiClick();
    void BtnFlipHClick();
    void BtnFlipVClick();
    void BtnRot90Click();
    void BtnRot180Click();
    void BtnRot270Click();
    void BtnRotFreeClick();
    void BtnResizeClick();
    void BtnGridClick();
    void BtnGridClrClick();
    void btnHomeClick();
    void ShapeForeClrMouseDown();
    void ShapeBackClrMouseDown();
    void ImageForeBackClick();
    void ImageBackToForeClick();
    void MImagePatternDblClick();
    // The palette grid's choices.
    void MColorsPanel1LeftColorChange(TColor Color);
    void MColorsPanel1RightColorChange(TColor Color);

    // ---- The toolbars and their controls.
    MDockToolBar* MToolBarDrawing = nullptr;
    MDockToolBar* MToolBarView = nullptr;
    MDockToolBar* MToolBarTools = nullptr;
    MDockToolBar* MToolBarColors = nullptr;
    MDockToolBar* MToolBarBrushes = nullptr;
    std::array<MDockToolBar*, 5> Toolbars() const {
        return {MToolBarDrawing, MToolBarView, MToolBarTools, MToolBarColors, MToolBarBrushes};
    }

    MDockToolBarButton *BtnSelect = nullptr, *BtnDrop = nullptr, *BtnPen = nullptr, *BtnLine = nullptr;
    MDockToolBarButton *BtnRect = nullptr, *BtnFillRect = nullptr, *BtnSompa = nullptr,
                       *BtnFillSompa = nullptr;
    MDockToolBarButton *BtnEllipse = nullptr, *BtnFillEllipse = nullptr, *BtnRoundRect = nullptr;
    MDockToolBarButton *BtnFillRoundRect = nullptr, *BtnFill = nullptr, *BtnFilPattern = nullptr;
    MDockToolBarButton *BtnEraserClr = nullptr, *BtnEraser = nullptr, *BtnText = nullptr, *BtnAmp = nullptr;
    MDockToolBarButton *btnUndo = nullptr, *BtnClrExh = nullptr, *BtnEraseRect = nullptr, *BtnCut = nullptr;
    MDockToolBarButton *BtnCopy = nullptr, *BtnPaste = nullptr, *BtnPasteMuiti = nullptr, *BtnFlipH = nullptr;
    MDockToolBarButton *BtnFlipV = nullptr, *BtnRot90 = nullptr, *BtnRot180 = nullptr, *BtnRot270 = nullptr;
    MDockToolBarButton *BtnRotFree = nullptr, *BtnResize = nullptr;
    MDockToolBarButton *BtnGrid = nullptr, *BtnGridClr = nullptr, *btnHome = nullptr;
    MDockToolBarButton *Brush = nullptr, *Pen = nullptr, *Thick = nullptr;
    MImage* MImagePattern = nullptr;
    MLabel *LabelRValue = nullptr, *LabelGValue = nullptr, *LabelBValue = nullptr;
    MShape *ShapeForeClr = nullptr, *ShapeBackClr = nullptr;
    MColorsPanel* MColorsPanel1 = nullptr;
    MImage *ImageForeBack = nullptr, *ImageBackToFore = nullptr;
    MPopupMenu *BrushMenu = nullptr, *PenMenu = nullptr, *WidthMenu = nullptr;

private:
    struct Private;
    MForm* FFrame;
    MMainToolsHost& FHost;
    DrawingToolState FState;
    std::unique_ptr<TBitmap> FPatternBitmap;
    std::array<QImage, GlyphCount> FGlyphs;
    std::unique_ptr<Private> P;
};
