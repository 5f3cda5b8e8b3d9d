#pragma once
// The Setup Scheme window: the project's setup entry (number 1 of its C list) as a fixed form of
// grids and number edits. Every change is written straight into the entry; the window reads the
// entry through the list at every access, so an import that replaces the entry is followed. The
// interpreter has the project refresh it after it changes the entry.

#include "app/UModuleForms.h"

#include <array>

class MCStringGrid;
class MCList;
class MLabel;
class MNumEdit;
class MPanel;
class MScrollSpeedButton;
class MUnvC;

class TC_Form : public MProjectChildForm {
    Q_OBJECT
public:
    static constexpr int FixedWidth = 717;
    static constexpr int FixedHeight = 510;

    explicit TC_Form(TPrjContainer& Project);
    ~TC_Form() override;

    // The setup entry, looked up in the list now.
    MUnvC& Entry() const;
    // Reads every control again from the entry: needle grid, offset grid, carrier grid, rack grids,
    // edits and labels.
    void RefreshControls();

    // ---- MProjectChild: the edits are stored as they are made.
    bool ApplyEdit() override { return true; }
    void ReloadRows() override { RefreshControls(); }

    MPanel *p1 = nullptr, *p2 = nullptr, *p3 = nullptr, *p4 = nullptr, *p5 = nullptr, *p6 = nullptr,
           *p7 = nullptr;
    MScrollSpeedButton* NeedleBtn = nullptr;
    MScrollSpeedButton* OffsetBtn = nullptr;
    MScrollSpeedButton* RackBtn = nullptr;
    MCStringGrid* Needle_Grid = nullptr;
    MCStringGrid* Offset_Grid = nullptr;
    MCStringGrid* YC_Grid = nullptr;
    MCStringGrid* Rack1_Grid = nullptr;
    MCStringGrid* Rack2_Grid = nullptr;
    MNumEdit *WE = nullptr, *ST = nullptr, *LB = nullptr, *WA = nullptr, *TZ = nullptr;
    std::array<MNumEdit*, 8> L{};
    std::array<MNumEdit*, 8> R{};
    MLabel *LabelX1 = nullptr, *LabelY1 = nullptr, *LabelWidth = nullptr, *LabelHeight = nullptr;

    // A grid's number text: 0 for an empty text or a sign alone, else a decimal integer with an
    // optional sign; none for any other text or one beyond 32 bits.
    static std::optional<std::int32_t> GridNumber(const QString& Text);

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void FramePlaced(QMdiSubWindow* Frame) override;

private:
    void BuildControls();
    MCStringGrid* MakeGrid(QWidget* Parent, QRect Bounds, int Cols, int Rows, int FixedRows,
                           std::initializer_list<int> Widths);
    void FillNeedleGrid();
    void FillOffsetGrid();
    void FillCarrierGrid();
    void FillRackGrids();
    void FillEdits();
    void NeedleBtnIndexChange();
    void Needle_GridSetEditText(int ACol, int ARow, const QString& Value);
    void Offset_GridSetEditText(int ACol, int ARow, const QString& Value);
    void YC_GridSetEditText(int ACol, int ARow, const QString& Value);
    void RackGridSetEditText(MCStringGrid* Grid, int First, int ACol, int ARow, const QString& Value);
    void On_GridExit(QObject* Sender);
    // The user changed the entry: the list is modified and needs an autosave.
    void UpdateDirty();
    MNumEdit* MakeValueEdit(QWidget* Parent, QRect Bounds, int Digits, std::int32_t MUnvC::*Field);
    MNumEdit* MakeStitchEdit(QWidget* Parent, QRect Bounds, bool Right, int Index);

    MCList& FList;
    bool FFilling = false;
    bool FSizing = false;
};
