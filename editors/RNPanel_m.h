#pragma once
// The N editor: the needle-setup rows and their list. An N row shows one N module: its number, its
// type ("X" a range of pattern draft columns, "N" a reference to other N lines), the start, the
// signed count (a sign button and an unsigned count cell) and the repeat counter ("D" a repeat count
// or "W" the number of a W module). Every edit goes into the row's working copy at once; the copy is
// stored into the project's N list when the row is left.
//
// Dragging is an editing shortcut: rows of the own list dropped on a row make it refer to them, a W
// row of the same project becomes its counter, and rows of another project's N window are copied in.

#include "editors/RContainerPanel_m.h"
#include "model/UunvKinds.h"

class MNumEdit;
class MScrollBitBtn;

// Whether Row is the row dragged within its own container Own or shows an entry of the dragged
// selected run: a row referring to such a range would repeat itself without end.
bool RowInDraggedRange(const MRBasePanel& Row, const MRContainerPanel& Own);

class MRNPanel : public MRBasePanel {
    Q_OBJECT
public:
    explicit MRNPanel(QObject* Owner, QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvN& N_Item() const { return static_cast<MUnvN&>(*WorkItem); }
    void SetN_Item(const MUnvN& Module) { LoadItem(Module); }

    MScrollBitBtn* TypeCell = nullptr;        // Tag 100: "X", "N"
    MNumEdit* StartCell = nullptr;            // Tag 200
    MScrollBitBtn* SignCell = nullptr;        // Tag 300: "+", "-"
    MNumEdit* CountCell = nullptr;            // Tag 400
    MScrollBitBtn* CounterKindCell = nullptr; // Tag 500: "D", "W"
    MNumEdit* CounterValueCell = nullptr;     // Tag 600

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // Whether this row is the row dragged within its own container or lies in the dragged range.
    bool InDraggedRange(const MRContainerPanel& Own) const;
    // The labels of the referenced N lines for the type, start, sign and count cells of an "N" row,
    // the label of the counter's W module for the counter cells of a "W" counter.
    void GetFieldHint(QWidget* Cell, QString& Text) override;
    // The letters n, x, d, w and the signs + and - set the buttons from every cell.
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;

    // The buttons' states, with their colours; outside loading they write into the working copy
    // (also when the state does not change).
    void SetTypeState(int State);
    void SetSignState(int State);
    void SetCounterKindState(int State);
    // The count as the sign and the count cell give it.
    int SignedCount() const;

protected:
    void ShowCells() override;

private:
    void WriteCount();
    void ColorButtons();
};

class MRNContainerPanel : public MRKindContainer<MRNPanel, wiN> {
    Q_OBJECT
public:
    using MRKindContainer::MRKindContainer;

    // Drags from any N or W window, this one included, scroll the bar.
    bool ScrollsForSource(const TDragSource& Source) const override;
};
