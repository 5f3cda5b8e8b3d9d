#pragma once
// The colour-set cell: a box that paints the colours of its set as small rectangles in a grid that
// grows with the set, and opens the shared popup palette when clicked (or on Enter or Space) to edit
// the set. The popup sets or clears one colour at a time through SetColorBit, which refuses a colour
// beyond MaxColorCount.

#include "editors/CellInput.h"
#include "model/UColors.h"
#include "ui/control_m.h"

#include <QPointer>

class MPopupPalette;

// The grid of a colour box: columns, rows and the cell size; empty (no cells) when nothing can be
// drawn.
struct TColorGrid {
    int Cols = 0;
    int Rows = 0;
    int CellWidth = 0;
    int CellHeight = 0;
    bool Drawable() const { return Cols > 0 && Rows > 0 && CellWidth > 0 && CellHeight > 0; }
};
// The grid for Count colours in a box of Width x Height. With WarpColor the grid keeps
// NumColumns x NumRows while the colours fit, grows to more columns up to MaxNumColumns and then to
// more rows.
TColorGrid ColorBoxGrid(int Width, int Height, int Count, int NumColumns, int NumRows, int MaxNumColumns,
                        int LeftMargin, int TopMargin, int Space, bool WarpColor);
// The rectangle of the k-th drawn colour, row by row.
QRect ColorCellRect(const TColorGrid& Grid, int K, int LeftMargin, int TopMargin, int Space);

class MColorBox : public MBilingualControl<TCellBox> {
    Q_OBJECT
public:
    explicit MColorBox(QObject* Owner, QWidget* Parent = nullptr);
    ~MColorBox() override;

    // The set (owned).
    const MbitsMap& ColorMap() const { return FColorMap; }
    // Sets or clears one colour; adding is refused (false, nothing changes) when the set already holds
    // MaxColorCount colours. Otherwise repaints and fires OnChange.
    bool SetColorBit(int Index, bool Value);
    // Copies a whole set, fires OnChange and repaints.
    void AssignColors(const MbitsMap& Map);
    // Empties the set and repaints (no OnChange).
    void ClearColors();
    void ClearCell() override { ClearColors(); }

    // The palette whose colours the box paints (not owned).
    const MPalette* Palette() const { return FPalette; }
    void SetPalette(const MPalette* Value);
    // The popup palette the box edits with (shared, not owned).
    MPopupPalette* PopupPalette() const { return FPopup.data(); }
    void SetPopupPalette(MPopupPalette* Value);
    // True while the popup is open for this box.
    bool PopupOpen() const;

    // The largest number of colours (0: no limit). Lowering it keeps the lowest colours and fires
    // OnChange once when colours were dropped.
    int MaxColorCount() const { return FMaxColorCount; }
    void SetMaxColorCount(int Value);

    bool Full() const { return FFull; }
    void SetFull(bool Value);
    int NumColumns() const { return FNumColumns; }
    void SetNumColumns(int Value);
    int NumRows() const { return FNumRows; }
    void SetNumRows(int Value);
    int MaxNumColumns() const { return FMaxNumColumns; }
    void SetMaxNumColumns(int Value);
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value);
    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int Value);
    int Space() const { return FSpace; }
    void SetSpace(int Value);
    bool ColorBorder() const { return FColorBorder; }
    void SetColorBorder(bool Value);
    bool WarpColor() const { return FWarpColor; }
    void SetWarpColor(bool Value);
    bool FocusedRect() const { return FFocusedRect; }
    void SetFocusedRect(bool Value);

    // The grid the box paints now.
    TColorGrid Grid() const;

    void Click() override;

    TNotifyEvent OnChange;

protected:
    void PaintContent(QImage& Canvas) const override;
    void FocusLost() override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void Changed();
    int DrawnCount() const;

    MbitsMap FColorMap;
    const MPalette* FPalette = nullptr;
    QPointer<MPopupPalette> FPopup;
    int FMaxColorCount = 0;
    bool FFull = false;
    int FNumColumns = 6;
    int FNumRows = 2;
    int FMaxNumColumns = 10;
    int FLeftMargin = 3;
    int FTopMargin = 3;
    int FSpace = 1;
    bool FColorBorder = true;
    bool FWarpColor = true;
    bool FFocusedRect = false;
};
