#pragma once
// The popup palette of the colour cells. MPopupWindow is its base: a popup that never takes the
// activation from the module window; a click outside closes it (a click on the control it was opened
// for is not passed on, so that click closes it instead of opening it again), Escape closes it, and
// any other key closes it and goes on to that control (where Enter or Space, which open the popup
// there, then only close it).
//
// MPopupPalette shows two grids of swatches under each other: the upper grid offers the colours not
// in the set, the lower grid shows the members. Clicking a swatch moves its colour to the other grid
// and changes the set of the colour box it was opened for at once; a box that refuses the colour
// (its MaxColorCount is reached) leaves both swatches as they were. One popup serves every colour box
// of a module window.

#include "editors/ColorBtn_M.h"
#include "model/UColors.h"

#include <QPointer>
#include <QWidget>

#include <array>

class MPopupWindow : public QWidget {
    Q_OBJECT
public:
    explicit MPopupWindow(QWidget* Owner = nullptr);

    // The control the popup was last opened for.
    QWidget* Source() const { return FSource.data(); }
    bool Shown() const { return FShown; }
    // True while the key that closed the popup goes on to Control: a click it makes there must not
    // open the popup again.
    bool ForwardingKeyTo(const QWidget* Control) const { return FForwarding && Control == FSource; }

    // A left-button release inside (true) or outside the popup.
    virtual void CloseUp(bool Inside);
    virtual QString GetValueText() const { return QString(); }
    virtual void HidePopup();
    // Shows the popup with its top-left corner at a screen point, without activating it.
    virtual void ShowAt(const QPoint& ScreenPoint);

protected:
    void SetSource(QWidget* Control) { FSource = Control; }
    // ShowAt the PopupPosition for Control on its screen; at the origin without a control.
    void ShowFor(const QWidget* Control);
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    QPointer<QWidget> FSource;
    bool FShown = false;
    bool FForwarding = false;
};

// Where a popup of Size opens for a control whose global rectangle is Control: at the control's
// lower-left corner, moved left to end at the right edge of Screen when it would pass it (never
// past the left edge), and moved above the control when it would pass the lower edge (never past
// the top).
QPoint PopupPosition(const QRect& Control, QSize Size, const QRect& Screen);

// The places of the popup palette's parts.
struct TPaletteLayout {
    QSize Size;
    int Rows = 0;
    int Count = 0; // colours shown in each grid
    QRect Bevel;
    std::array<QRect, PaletteSize> Upper{};
    std::array<QRect, PaletteSize> Lower{};
};
// NumOfColor counts from 0 to 32; columns, button width or height below 1 show no swatch.
TPaletteLayout PaletteLayout(int NumOfColor, int NumColumns, int LeftMargin, int TopMargin, int Space,
                             int BtnWidth, int BtnHeight);

class MPopupPalette : public MPopupWindow {
    Q_OBJECT
public:
    explicit MPopupPalette(QWidget* Owner = nullptr);

    // The palette the swatches show (not owned; none shows the default colours).
    const MPalette* Palette() const { return FPalette; }
    void SetPalette(const MPalette* Value);
    // The set being edited; writing copies it and shows it.
    const MbitsMap& ColorMap() const { return FColorMap; }
    void SetColorMap(const MbitsMap& Value);

    int NumOfColor() const { return FNumOfColor; }
    void SetNumOfColor(int Value);
    int NumColumns() const { return FNumColumns; }
    void SetNumColumns(int Value);
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value);
    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int Value);
    int Space() const { return FSpace; }
    void SetSpace(int Value);
    int BtnWidth() const { return FBtnWidth; }
    void SetBtnWidth(int Value);
    int BtnHeight() const { return FBtnHeight; }
    void SetBtnHeight(int Value);

    // Swatch i of the upper (0..31) or lower (32..63) grid.
    MColorBtn* Swatch(int Index) const {
        return Index >= 0 && Index < 64 ? FSwatches[std::size_t(Index)] : nullptr;
    }

    // Opens the popup for a control: takes the set of a colour box, shows it and places the popup
    // at the control's lower-left corner on the control's screen.
    void Open(QWidget* Control);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    void Layout();
    void Recolor();
    void ShowSet();
    void SwatchSelected(MColorBtn* Swatch);

    const MPalette* FPalette = nullptr;
    MbitsMap FColorMap;
    int FNumOfColor = 32;
    int FNumColumns = 8;
    int FLeftMargin = 4;
    int FTopMargin = 4;
    int FSpace = 0;
    int FBtnWidth = 15;
    int FBtnHeight = 15;
    TPaletteLayout FLayout;
    std::array<MColorBtn*, 64> FSwatches{};
    bool FUpdating = false;
};
