#pragma once
// The FD editor: the dynamic stitch-length rows and their list. An FD row shows one FD module: for
// each needle bed of each cam system shown (rear bed above, front bed below, the highest system on
// the left) a range of FE lines as its first line, a sign ("+" forwards, "-" backwards) and an
// unsigned count. Every edit goes into the row's working copy at once; the copy is stored into the
// project's FD list when the row is left.
//
// Rows of the same project's FE window dropped on a slot make it that range; rows of another FD
// window are copied in. The field help of a slot lists the labels of the FE lines it covers.

#include "editors/RContainerPanel_m.h"
#include "model/UunvF.h"

#include <array>

class MLabel;
class MNumEdit;
class MScrollBitBtn;

class MRFDPanel : public MRBasePanel {
    Q_OBJECT
public:
    MRFDPanel(QObject* Owner, int SystemsShown, QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvFD& FD_Item() const { return static_cast<MUnvFD&>(*WorkItem); }
    void SetFD_Item(const MUnvFD& Module) { LoadItem(Module); }
    int SystemsShown() const { return FSystemsShown; }

    // The cells of the slots 0 .. 2 x SystemsShown - 1 (the others stay null): column i from the
    // left shows system SystemsShown - 1 - i, its rear bed (slot 2s + 1) on the upper line with
    // Tags (3i + 1 .. 3i + 3) x 100, its front bed (slot 2s) on the lower line with those Tags + 1.
    std::array<MNumEdit*, BedCount> FirstCells{};
    std::array<MScrollBitBtn*, BedCount> SignCells{};
    std::array<MNumEdit*, BedCount> CountCells{};
    std::array<MLabel*, BedCount> Labels{};

    // The slot of a first-line, sign or count cell of the row; -1 for any other widget.
    int SlotOf(const QWidget* Cell) const;
    // The count of a slot as its sign and count cells give it.
    int SignedCount(int Slot) const;
    // Shows a range in a slot's cells; outside loading it is written into the working copy.
    void SetSlot(int Slot, int First, int Count, int SignState);

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // The labels of the FE lines of the slot's range for its first-line, sign and count cells.
    void GetFieldHint(QWidget* Cell, QString& Text) override;
    // The key A spreads a slot's range over its line of every system, and a second A over both lines.
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;
    void FillSlots(int Tag);

protected:
    void ShowCells() override;

private:
    void SetSignState(int Slot, int State);
    void WriteCount(int Slot);

    int FSystemsShown;
};

// The list of a kind whose rows lay out per cam system (FD, FS): it keeps the machine's systems and
// model and makes its rows as TRow(container, Columns, container), Columns by the kind's rule. Drags
// from any window of the kind, this one included, and from W windows scroll its bar.
template <class TRow, int Index>
class MRMachineKindContainer : public MRKindContainer<TRow, Index> {
public:
    MRMachineKindContainer(QObject* Owner, int Systems, int Machine, int Columns, QWidget* Parent)
        : MRKindContainer<TRow, Index>(Owner, Parent), FSystems(Systems), FMachine(Machine),
          FColumns(Columns) {}
    int Systems() const { return FSystems; }
    int Machine() const { return FMachine; }
    MRBasePanel* NewRowPanel() override { return new TRow(this, FColumns, this); }
    bool ScrollsForSource(const TDragSource& Source) const override {
        const int kind = Source.Container ? Source.Container->WindowIndex() : -1;
        return kind == Index || kind == wiW;
    }

protected:
    int FSystems;
    int FMachine;
    int FColumns;
};

class MRFDContainerPanel : public MRMachineKindContainer<MRFDPanel, wiFD> {
    Q_OBJECT
public:
    MRFDContainerPanel(QObject* Owner, int Systems, int Machine, QWidget* Parent = nullptr)
        : MRMachineKindContainer(Owner, Systems, Machine, SystemsShownFor(Systems, Machine), Parent) {}

    int SystemsShown() const { return FColumns; }
    // The systems an FD row shows: 2 on the 720 and 721, else the machine's (1 to 4).
    static int SystemsShownFor(int Systems, int Machine);
};
