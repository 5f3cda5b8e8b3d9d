#pragma once
// The S editor: the scheme-process rows and their list. An S row shows one S module, one step of
// the program: its type ("Z" a range of knitting-scheme rows, "S" a cycle over other S lines), the
// first number and the signed count of the range, the repeat counter ("D" a count, "W" a W module,
// "R" an R module), the N and P ranges in force (first line and signed count each) and the offset
// table 1..8. An S cycle shows no N and P ranges and no offset. Every edit goes into the row's
// working copy at once; the copy is stored into the project's S list when the row is left.
//
// Dragging fills a row: rows of the own list make it a cycle over them, W and R rows of the same
// project become its counter, N and P rows its ranges, and rows of another project's S window are
// copied in.

#include "editors/RContainerPanel_m.h"
#include "model/UunvKinds.h"

class MLabel;
class MNumEdit;
class MScrollBitBtn;

class MRSPanel : public MRBasePanel {
    Q_OBJECT
public:
    explicit MRSPanel(QObject* Owner, QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvS& S_Item() const { return static_cast<MUnvS&>(*WorkItem); }
    void SetS_Item(const MUnvS& Module) { LoadItem(Module); }

    MScrollBitBtn* TypeCell = nullptr;        // Tag 100: "Z", "S"
    MNumEdit* FirstCell = nullptr;            // Tag 200
    MScrollBitBtn* SignCell = nullptr;        // Tag 300: "+", "-"
    MNumEdit* CountCell = nullptr;            // Tag 400
    MScrollBitBtn* CounterKindCell = nullptr; // Tag 500: "D", "W", "R"
    MNumEdit* CounterValueCell = nullptr;     // Tag 600
    MNumEdit* NFirstCell = nullptr;           // Tag 700
    MScrollBitBtn* NSignCell = nullptr;       // Tag 800
    MNumEdit* NCountCell = nullptr;           // Tag 900
    MNumEdit* PFirstCell = nullptr;           // Tag 1000
    MScrollBitBtn* PSignCell = nullptr;       // Tag 1100
    MNumEdit* PCountCell = nullptr;           // Tag 1200
    MScrollBitBtn* OffsetCell = nullptr;      // Tag 1300: "1" .. "8"
    MLabel* NLabel = nullptr;
    MLabel* PLabel = nullptr;

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // The labels of the cycle's S lines for the type, first, sign and count cells of an S cycle, of
    // the counter's W or R module for the counter cells, and of the N and P ranges (each with its
    // signed count) for their cells.
    void GetFieldHint(QWidget* Cell, QString& Text) override;
    // The letters z, s, d, w and r set the type and the counter kind from every cell.
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;

    // The buttons' states, with their colours and the cells an S cycle hides; outside loading they
    // write into the working copy.
    void SetTypeState(int State);
    void SetCounterKindState(int State);
    void SetOffsetState(int State);
    void SetSignState(MScrollBitBtn* Sign, int State);
    // The counts as the sign buttons and the count cells give them.
    int SignedCount() const;
    int SignedNCount() const;
    int SignedPCount() const;

protected:
    void ShowCells() override;

private:
    void WriteCounts();
    void ColorButtons();
    // A range dropped from the own list or an N or P window: the sign to "+", the first and the count
    // cells to the dragged run.
    void ShowRange(MScrollBitBtn* Sign, MNumEdit* First, MNumEdit* Count, int From, int To);
};

class MRSContainerPanel : public MRKindContainer<MRSPanel, wiS> {
    Q_OBJECT
public:
    using MRKindContainer::MRKindContainer;

    // Drags from any S, W, N, P or R window, this one included, scroll the bar.
    bool ScrollsForSource(const TDragSource& Source) const override;
};
