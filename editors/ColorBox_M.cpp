#include "editors/ColorBox_M.h"

#include "editors/PopPalette_m.h"
#include "platform/SysColors.h"
#include "ui/GfxUtils.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TCellBox>;

TColorGrid ColorBoxGrid(int Width, int Height, int Count, int NumColumns, int NumRows, int MaxNumColumns,
                        int LeftMargin, int TopMargin, int Space, bool WarpColor) {
    TColorGrid g;
    if (NumColumns < 1 || NumRows < 1)
        return g;
    g.Cols = NumColumns;
    g.Rows = NumRows;
    if (WarpColor) {
        const int maxCols = std::max(MaxNumColumns, NumColumns);
        const int cols = (Count + NumRows - 1) / NumRows;
        if (cols > maxCols) {
            g.Cols = maxCols;
            g.Rows = (Count + maxCols - 1) / maxCols;
        } else if (cols > NumColumns) {
            g.Cols = cols;
        }
    }
    g.CellWidth = (Width - 2 * 2 - 2 * LeftMargin - (g.Cols - 1) * Space) / g.Cols;
    g.CellHeight = (Height - 2 * 2 - 2 * TopMargin - (g.Rows - 1) * Space) / g.Rows;
    return g;
}

QRect ColorCellRect(const TColorGrid& Grid, int K, int LeftMargin, int TopMargin, int Space) {
    if (Grid.Cols < 1)
        return QRect();
    const int col = K % Grid.Cols, row = K / Grid.Cols;
    return QRect(2 + LeftMargin + (Space + Grid.CellWidth) * col,
                 2 + TopMargin + (Space + Grid.CellHeight) * row, Grid.CellWidth, Grid.CellHeight);
}

MColorBox::MColorBox(QObject* Owner, QWidget* Parent) : MBilingualControl(Owner, Parent, 0) {
    SetFocusedColor(0xFFFFD0);
    SetNonFocusedColor(0xFFFFFF);
}

MColorBox::~MColorBox() {
    if (PopupOpen())
        FPopup->HidePopup();
}

void MColorBox::Changed() {
    update();
}

bool MColorBox::SetColorBit(int Index, bool Value) {
    if (Index < 0 || Index >= PaletteSize)
        return false;
    if (Value && !FColorMap.IsSet(Index) && FMaxColorCount > 0 && FColorMap.Count() >= FMaxColorCount)
        return false;
    FColorMap.SetBitBool(Index, Value);
    Changed();
    if (OnChange)
        OnChange(this);
    return true;
}

void MColorBox::AssignColors(const MbitsMap& Map) {
    FColorMap.Assign(Map);
    if (OnChange)
        OnChange(this);
    Changed();
}

void MColorBox::ClearColors() {
    FColorMap.Clear();
    Changed();
}

void MColorBox::SetPalette(const MPalette* Value) {
    if (Value != FPalette) {
        FPalette = Value;
        Changed();
    }
}

void MColorBox::SetPopupPalette(MPopupPalette* Value) {
    if (PopupOpen())
        FPopup->HidePopup();
    FPopup = Value;
}

bool MColorBox::PopupOpen() const {
    return FPopup && FPopup->Shown() && FPopup->Source() == this;
}

void MColorBox::SetMaxColorCount(int Value) {
    FMaxColorCount = Value;
    if (Value > 0 && FColorMap.Count() > Value) {
        FColorMap.KeepFirst(Value);
        // The set shown is the set the owner stores.
        if (OnChange)
            OnChange(this);
    }
    Changed();
}

#define KDS_BOX_SETTER(Type, Name, Field)                                                                    \
    void MColorBox::Set##Name(Type Value) {                                                                  \
        Field = Value;                                                                                       \
        Changed();                                                                                           \
    }
KDS_BOX_SETTER(bool, Full, FFull)
KDS_BOX_SETTER(int, NumColumns, FNumColumns)
KDS_BOX_SETTER(int, NumRows, FNumRows)
KDS_BOX_SETTER(int, MaxNumColumns, FMaxNumColumns)
KDS_BOX_SETTER(int, LeftMargin, FLeftMargin)
KDS_BOX_SETTER(int, TopMargin, FTopMargin)
KDS_BOX_SETTER(int, Space, FSpace)
KDS_BOX_SETTER(bool, ColorBorder, FColorBorder)
KDS_BOX_SETTER(bool, WarpColor, FWarpColor)
KDS_BOX_SETTER(bool, FocusedRect, FFocusedRect)
#undef KDS_BOX_SETTER

int MColorBox::DrawnCount() const {
    return FFull ? PaletteSize : FColorMap.Count();
}

TColorGrid MColorBox::Grid() const {
    return ColorBoxGrid(width(), height(), DrawnCount(), FNumColumns, FNumRows, FMaxNumColumns, FLeftMargin,
                        FTopMargin, FSpace, FWarpColor);
}

void MColorBox::PaintContent(QImage& Canvas) const {
    if (FPalette) {
        const TColorGrid g = Grid();
        if (g.Drawable()) {
            const bool border = FColorBorder && g.CellWidth > 5 && g.CellHeight > 5;
            int k = 0;
            for (int i = 0; i < PaletteSize; ++i) {
                if (!FFull && !FColorMap.IsSet(i))
                    continue;
                const QRect q = ColorCellRect(g, k++, FLeftMargin, FTopMargin, FSpace);
                TRect r = TRect::FromQRect(q);
                const TColor c = FPalette->Color(i);
                FillRect(Canvas, r, c);
                if (border)
                    Frame3D(Canvas, r, clBlack, clBlack);
            }
        }
    }
    if (FFocusedRect && FocusShown()) {
        // The dotted focus rectangle, 3 pixels inside the box.
        const int l = 3, t = 3, r = Canvas.width() - 4, b = Canvas.height() - 4;
        for (int x = l; x <= r; ++x)
            for (int y : {t, b})
                if ((x + y) % 2 == 0)
                    PutPixel(Canvas, x, y, clBlack);
        for (int y = t; y <= b; ++y)
            for (int x : {l, r})
                if ((x + y) % 2 == 0)
                    PutPixel(Canvas, x, y, clBlack);
    }
}

void MColorBox::Click() {
    if (FPopup) {
        if (PopupOpen())
            FPopup->HidePopup();
        else if (!FPopup->ForwardingKeyTo(this)) // Enter or Space typed in the open popup closes it
            FPopup->Open(this);
    }
    MBilingualControl::Click();
}

void MColorBox::FocusLost() {
    if (PopupOpen())
        FPopup->HidePopup();
}

void MColorBox::resizeEvent(QResizeEvent* Event) {
    MBilingualControl::resizeEvent(Event);
    update();
}
