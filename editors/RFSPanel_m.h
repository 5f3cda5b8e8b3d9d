#pragma once
// The FS editor: the static stitch-length rows and their list. An FS row shows one FS module: two
// groups (A, then B) of counters, one per needle bed, each a kind ("D" a direct value, "W" the
// number of a selector switch line) and a value. The columns run from right to left over the beds
// (rear bed above, front bed below); the machines 708, 710, 745 and 748 show twice as many columns as
// systems. Every edit goes into the row's working copy at once; the copy is stored into the project's
// FS list when the row is left.
//
// Rows of the same project's W window dropped on a counter make it a "W" counter of the first
// dragged number; rows of another FS window are copied in. A "W" counter's field help is the label
// of its W module.

#include "editors/RFDPanel_m.h"
#include "model/UunvF.h"

#include <array>

class MNumEdit;
class MScrollBitBtn;

class MRFSPanel : public MRBasePanel {
    Q_OBJECT
public:
    // N: the number of columns (1 to 4).
    MRFSPanel(QObject* Owner, int N, QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvFS& FS_Item() const { return static_cast<MUnvFS&>(*WorkItem); }
    void SetFS_Item(const MUnvFS& Module) { LoadItem(Module); }
    int Columns() const { return FColumns; }

    // The counter cells of the slots 0 .. 2N - 1 of group A (0) and B (1) (the others stay null):
    // column i from the left edits slot 2(N - 1 - i) + 1 on the upper line and 2(N - 1 - i) on the
    // lower one; A kind Tag (2i + 1) x 100, A value (2i + 2) x 100, B kind (2i + 2N + 1) x 100, B
    // value (2i + 2N + 2) x 100, + 1 on the lower line.
    std::array<std::array<MScrollBitBtn*, BedCount>, 2> KindCells{};
    std::array<std::array<MNumEdit*, BedCount>, 2> ValueCells{};

    // The group and slot of a kind or value cell of the row; false for any other widget.
    bool CounterOf(const QWidget* Cell, int& Group, int& Slot) const;
    // Shows a counter's kind state (0 "D", 1 "W") and value; outside loading they are written into
    // the working copy.
    void SetCounter(int Group, int Slot, int KindState, int Value);

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // The label of a "W" counter's W module for its kind and value cells.
    void GetFieldHint(QWidget* Cell, QString& Text) override;
    // The key A spreads a counter over its line of both groups in every column, and a second A over
    // both lines.
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;
    void FillCounters(int Tag);

protected:
    void ShowCells() override;

private:
    MCounter& CounterAt(int Group, int Slot) const;
    void SetKindState(int Group, int Slot, int State);

    int FColumns;
};

class MRFSContainerPanel : public MRMachineKindContainer<MRFSPanel, wiFS> {
    Q_OBJECT
public:
    MRFSContainerPanel(QObject* Owner, int Systems, int Machine, QWidget* Parent = nullptr)
        : MRMachineKindContainer(Owner, Systems, Machine, ColumnsFor(Systems, Machine), Parent) {}

    int Columns() const { return FColumns; }
    // The columns of an FS row: the systems shown (2 on the 720 and 721, else the machine's),
    // doubled on the 708, 710, 745 and 748; at most four.
    static int ColumnsFor(int Systems, int Machine);
};
