#pragma once
// The Z editor: the knitting-scheme rows and their list. A Z row shows one knitting row (an MUnvZ):
// a common part (number, static stitch lengths, blowers, the direction arrow), one column per cam
// system with the highest system on the left (carriers, colours, pattern lines, cams, tying, net
// rear and Unipress, rear bed above, front bed below), and the machine-wide part (take-down,
// racking, carriage speed, dynamic stitch length and the switches). Every edit goes into the row's
// working copy at once; the copy is stored when the row is left or something is dropped on it, with
// the validation dialogue: a module the kind's check refuses is stored anyway when the user answers
// Ignore.
//
// The cam menu is the container's, shared by every cam box: before it opens the row shows and
// breaks its items for the cell (editors/ZRules.h). Key A spreads a pattern line or a cam across the
// systems; rows, cells of a kind and whole systems are dragged onto a row, and the FS and FD rows of
// the row's project onto its FS and FD cells.

#include "editors/RContainerPanel_m.h"
#include "model/UunvZ.h"

#include <array>
#include <vector>

class MNumEdit;
class MMoukikMemo;
class MColorBox;
class MCamBox;
class MCamPopupMenu;
class MScrollFlatBtn;
class MImage;
class MPalette;
class MPopupPalette;
struct TRackingGroup;

class MRZPanel : public MRBasePanel {
    Q_OBJECT
public:
    MRZPanel(QObject* Owner, int SysCount, int SysType, const MPalette* Palette, MPopupPalette* PopupPalette,
             MCamPopupMenu* CamPopupMenu1, MCamPopupMenu* CamPopupMenu2, QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvZ& Z_Item() const { return static_cast<MUnvZ&>(*WorkItem); }
    void SetZ_Item(const MUnvZ& Module) { LoadItem(Module); }
    int SysCount() const { return FSysCount; }
    int SysType() const { return FSysType; }
    int WindowIndex() const override { return wiZ; }

    // ---- The cells (entries past the machine's systems and slots stay null).
    MScrollFlatBtn* YarnBlowerCell = nullptr;     // Tag 0, on screen only
    MScrollFlatBtn* CleaningBlowerCell = nullptr; // Tag 1
    MNumEdit* UpperFSCell = nullptr;              // Tag 3
    MNumEdit* LowerFSCell = nullptr;              // Tag 7
    MImage* LeftBackground = nullptr;
    MImage* RightBackground = nullptr;
    MImage* RightArrow = nullptr;
    MImage* LeftArrow = nullptr;
    std::array<MPanel*, ZSystems> HeaderCells{};
    std::array<MMoukikMemo*, ZSystems> CarrierCells{};
    std::array<MScrollFlatBtn*, ZSystems> OffsetCells{};
    std::array<MColorBox*, ZSlots> KNFCells{};
    std::array<MColorBox*, ZSlots> LGCells{};
    std::array<MCamBox*, ZSlots> CamCells{};
    std::array<MNumEdit*, ZSlots> PatternCells{};
    std::array<MScrollFlatBtn*, ZSlots> TyingCells{};
    std::array<MScrollFlatBtn*, ZSystems> UnipressCells{};
    std::array<MScrollFlatBtn*, ZSystems> NetRearFlagCells{};
    std::array<MScrollFlatBtn*, ZSystems> NetRearCells{};
    MNumEdit* PRCell = nullptr;
    MScrollFlatBtn* WA1ModeCell = nullptr;
    MNumEdit* WA1ValueCell = nullptr;
    // Racking groups: 0 main, 1 centre.
    std::array<MScrollFlatBtn*, 2> RackDirectionCells{};
    std::array<MNumEdit*, 2> RackPositionCells{};
    std::array<MScrollFlatBtn*, 2> TransferCells{};
    std::array<MScrollFlatBtn*, 2> CorrectionCells{};
    MScrollFlatBtn* WA2ModeCell = nullptr;
    MScrollFlatBtn* WA2StepCell = nullptr;
    MNumEdit* WA2ValueCell = nullptr;
    MNumEdit* SpeedCell = nullptr;
    MScrollFlatBtn* PBModeCell = nullptr;
    MNumEdit* PBValueCell = nullptr;
    MNumEdit* FDCell = nullptr;
    MScrollFlatBtn* FDMirrorCell = nullptr;
    MScrollFlatBtn* PACell = nullptr;
    MScrollFlatBtn* JVCell = nullptr;
    MColorBox* FDColorsCell = nullptr;
    MScrollFlatBtn* STCell = nullptr;

    // ---- Cam rules over the row's cam cells.
    std::vector<int> CamCodes() const;
    int CamFamilyMode(int Slot) const;
    int RowCamFamilyMode() const;
    // Shows and breaks the shared menu's items for the cam cell of Slot.
    void PrepareCamMenu(int Slot);
    // The help text of cam code 1..26 in Arabic or English; empty for other codes.
    static QString CamHint(int Code, bool Arabic);

    // ---- Storing: cam completion, then the store with the validation dialogue (OK and Ignore).
    bool ApplyEntry() override;

    // ---- Keys, drops, field help.
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;
    void FillPatternLines(int Tag);
    void FillCams(int Tag);
    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // Copies system From of Module (its carriers, colours, pattern lines, tying, cams, Unipress and
    // net rear) into system To of the working copy as they stand, and shows them.
    void CopySystem(const MUnvZ& Module, int From, int To);
    void GetFieldHint(QWidget* Cell, QString& Text) override;

protected:
    void ShowCells() override;

private:
    void BuildCommonPart();
    void BuildSystemColumn(int System, QPoint Origin, int T);
    void BuildMachinePart(QPoint Origin, int G);
    void ShowArrows(int Number);
    // The racking group's cells as a group, and a group shown in them.
    TRackingGroup RackingOf(int K) const;
    void ShowRacking(int K, const TRackingGroup& Group);
    void RackingCellChanged(int K, int Event);
    // The per-kind writers: every cell of the kind into the working copy (not while loading).
    void WriteCarriers(bool Sets);
    void WriteSlots(int Kind);
    void WriteSystemButtons(int Kind);
    // The slot of a cam box of the row; -1 when it is none of them.
    int CamSlotOf(const QObject* Cell) const;

    int FSysCount;
    int FSysType;
    MCamPopupMenu* FCamMenu;
    const MPalette* FPalette = nullptr;
    MPopupPalette* FPopupPalette = nullptr;
    // The tab order of the next cell.
    int FNextID = 0;
    bool FRackingBusy = false;
};

class MRZContainerPanel : public MRKindContainer<MRZPanel, wiZ> {
    Q_OBJECT
public:
    MRZContainerPanel(QObject* Owner, int Systems, int Machine, const MPalette* Palette,
                      QWidget* Parent = nullptr);

    int Systems() const { return FSystems; }
    int Machine() const { return FMachine; }
    MCamPopupMenu* CamMenu() const { return FCamMenu; }
    MPopupPalette* PopupPalette() const { return FPopupPalette; }

    MRBasePanel* NewRowPanel() override;
    int MenuCommandAt(int Position) const override;
    // Drags from Z, FD and FS windows scroll the bar.
    bool ScrollsForSource(const TDragSource& Source) const override;

private:
    int FSystems;
    int FMachine;
    const MPalette* FPalette;
    MPopupPalette* FPopupPalette = nullptr;
    MCamPopupMenu* FCamMenu = nullptr;
};
