#pragma once
// The R editor: the repeat rows and their list. An R row shows one R module: its number, its counter
// ("D" a repeat count or "W" the number of a W module) and, per cam system, the signed number of
// pattern draft lines added to or taken from the rear bed (upper line) and the front bed (lower
// line). The rightmost column is the first system. Every edit goes into the row's working copy at
// once; the copy is stored into the project's R list when the row is left.
//
// Dragging: rows of another R window are copied in, a W row of the same project becomes the counter.

#include "editors/RContainerPanel_m.h"
#include "model/UunvKinds.h"

class MNumEdit;
class MScrollBitBtn;

// The hint of the rows' "+"/"-" direction buttons.
TCellHint DirectionSignHint();

class MRRPanel : public MRBasePanel {
    Q_OBJECT
public:
    MRRPanel(QObject* Owner, int Systems, QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvR& R_Item() const { return static_cast<MUnvR&>(*WorkItem); }
    void SetR_Item(const MUnvR& Module) { LoadItem(Module); }
    int Systems() const { return FSystems; }

    MScrollBitBtn* CounterKindCell = nullptr; // Tag 100: "D", "W"
    MNumEdit* CounterValueCell = nullptr;     // Tag 200
    // Per offset slot (2 x system + 1 the rear bed, 2 x system the front bed); null past the systems.
    std::array<MScrollBitBtn*, BedCount> SignCells{};
    std::array<MNumEdit*, BedCount> ValueCells{};

    // The hint of the value cell of a slot: the Arabic side names the system and the bed.
    static QString SlotHint(int Slot, bool Arabic);

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // The label of the counter's W module for the counter cells of a "W" counter.
    void GetFieldHint(QWidget* Cell, QString& Text) override;
    // The letters d and w set the counter kind from every cell; a in a system's cell spreads it
    // (CopyToAllSystems).
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;

    // The slot of the cell with Tag copied to the same bed of every system; when every system shows
    // it there already, to both beds of every system.
    void CopyToAllSystems(int Tag);
    // The counter kind's and a slot's sign state, with their colours; outside loading they write
    // into the working copy.
    void SetCounterKindState(int State);
    void SetSlotSign(int Slot, int State);
    // The offset of a slot as its sign and value cell give it.
    int SlotValue(int Slot) const;

protected:
    void ShowCells() override;

private:
    void WriteSlot(int Slot);
    void ColorButtons();
    int SlotOfTag(int Tag) const;

    int FSystems;
};

class MRRContainerPanel : public MRKindContainer<MRRPanel, wiR> {
    Q_OBJECT
public:
    MRRContainerPanel(QObject* Owner, int Systems, QWidget* Parent = nullptr);

    int Systems() const { return FSystems; }
    MRBasePanel* NewRowPanel() override;
    // Drags from any R or W window, this one included, scroll the bar.
    bool ScrollsForSource(const TDragSource& Source) const override;

private:
    int FSystems;
};
