#pragma once
// The P editor: the yarn-carrier position rows and their list. A P row shows one P module (the
// stroke limitation of the yarn carriers): its mode, the carriers, and either the left and right
// needles (modes SY1..SY4) or one or two colour sets (MF, VB, WW, IF, AF), then the direction. The
// mode cell shows and hides the needle cells and colour boxes that share their places and Tags, so
// no two visible cells of a row have the same Tag. Every edit goes into the row's working copy at
// once; the copy is stored into the project's P list when the row is left.
//
// This file also holds what the rows of the P, FE, FD and FS lists share: the drop of another
// window's rows of the kind at a row's number, the drop of a colour box onto a colour box, and the
// list of a kind whose rows pick colours from the project palette through one popup palette.

#include "editors/PopPalette_m.h"
#include "editors/RContainerPanel_m.h"
#include "model/UunvKinds.h"

#include <array>

class MNumEdit;
class MMoukikEdit;
class MColorBox;
class MLabel;
class MScrollBitBtn;
class MPalette;

// ---- The row pattern of the P, FE, FD and FS rows.
// Rows of another window of Row's kind (never Row's own window): accepted over Row's cells and,
// when dropped, copied into Row's list at Row's number (the dragged selection when the dragged row
// was selected). DropKindRows is false when Source is no such window.
bool AcceptsKindRows(const MRBasePanel& Row, const TDragSource& Source);
bool DropKindRows(MRBasePanel& Row, const TDragSource& Source);
// A colour box dragged onto another colour box (Target): accepted; dropped, Target takes the
// dragged colours, as many as it may hold, through its change handler, and Row stores.
// DropColorBox is false when the drag is no such one.
bool AcceptsColorBox(const QWidget* Target, const TDragSource& Source);
bool DropColorBox(MRBasePanel& Row, QWidget* Target, const TDragSource& Source);

// The list of a kind whose rows pick colours: it keeps the project palette (not owned) and one
// popup palette, its own, for every colour box of its rows, which it makes as
// TRow(container, popup palette, palette, container).
template <class TRow, int Index>
class MRColorKindContainer : public MRKindContainer<TRow, Index> {
public:
    MRColorKindContainer(QObject* Owner, const MPalette* Palette, QWidget* Parent = nullptr)
        : MRKindContainer<TRow, Index>(Owner, Parent), FPalette(Palette) {
        FPopupPalette = new MPopupPalette(this);
        FPopupPalette->SetPalette(Palette);
    }
    const MPalette* Palette() const { return FPalette; }
    MPopupPalette* PopupPalette() const { return FPopupPalette; }
    MRBasePanel* NewRowPanel() override { return new TRow(this, FPopupPalette, FPalette, this); }

private:
    const MPalette* FPalette;
    MPopupPalette* FPopupPalette = nullptr;
};

// ---- The P row.
// What a mode shows: the labels' texts (empty: the label is hidden), the needle cells, and the
// largest number of colours of each colour box (0: the box is hidden).
struct TPModeLayout {
    const char* LeftLabel;
    const char* RightLabel;
    bool Needles;
    int LeftColors;
    int RightColors;
};
// The layout of mode 0..8 (a larger mode has AF's, as its mode cell shows AF).
const TPModeLayout& PModeLayout(int Mode);

class MRPPanel : public MRBasePanel {
    Q_OBJECT
public:
    MRPPanel(QObject* Owner, MPopupPalette* PopupPalette, const MPalette* Palette, QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvP& P_Item() const { return static_cast<MUnvP&>(*WorkItem); }
    void SetP_Item(const MUnvP& Module) { LoadItem(Module); }

    MScrollBitBtn* ModeCell = nullptr;      // Tag 100: "SY1" .. "AF"
    MMoukikEdit* CarrierCell = nullptr;     // Tag 200
    MNumEdit* LeftNeedleCell = nullptr;     // Tag 300, modes SY1..SY4
    MNumEdit* RightNeedleCell = nullptr;    // Tag 400, modes SY1..SY4
    MColorBox* LeftColorsCell = nullptr;    // Tag 300, the colour modes
    MColorBox* RightColorsCell = nullptr;   // Tag 400, VB and WW
    MScrollBitBtn* DirectionCell = nullptr; // Tag 500: " ", ">", "<"
    MLabel* LeftLabel = nullptr;
    MLabel* RightLabel = nullptr;

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // P cells have no field help: the hint window shows the cell's own hint only.
    void GetFieldHint(QWidget* Cell, QString& Text) override;

    // The mode cell's hint: one line per mode, in Arabic or English.
    static QString ModeHelp(bool Arabic);

protected:
    void ShowCells() override;

private:
    // Shows, hides and limits the cells for the mode cell's state.
    void ApplyModeLayout();
};

class MRPContainerPanel : public MRColorKindContainer<MRPPanel, wiP> {
    Q_OBJECT
public:
    using MRColorKindContainer::MRColorKindContainer;

    // Drags from any P window, this one included, scroll the bar.
    bool ScrollsForSource(const TDragSource& Source) const override;
};
