#pragma once
// The W editor: the selector-switch rows and their list. A W row shows one W module (eight repeat
// values, one per selector level) in nine number cells and edits a working copy of it; the copy is
// stored into the project's W list when the row is left. Rows of another W window dropped on a row
// or on the list's free area are copied in; the own window's rows are refused everywhere.
//
// The W list is also a drag source for the N, FD, FS, R and S rows, which recognise it by its window
// index (wiW) and project.

#include "editors/RContainerPanel_m.h"
#include "model/UunvKinds.h"

#include <array>

class MNumEdit;

// The Arabic ordinal word of Index 0 .. 7 ("first" .. "eighth"), clamped into that range.
QString ArabicOrdinalWord(int Index);

class MRWPanel : public MRBasePanel {
    Q_OBJECT
public:
    explicit MRWPanel(QObject* Owner, QWidget* Parent = nullptr);

    // The working copy; writing shows a module in the row.
    MUnvW& W_Item() const { return static_cast<MUnvW&>(*WorkItem); }
    void SetW_Item(const MUnvW& Module) { LoadItem(Module); }

    // Level cells 1 to 8 (Tags 100 .. 800).
    std::array<MNumEdit*, 8> LevelCells{};

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override;
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override;
    // W cells have no field help: the hint window shows the cell's own hint only.
    void GetFieldHint(QWidget* Cell, QString& Text) override;
    // The key A: every level takes the value of the level cell it was typed in.
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;
    // All eight levels := the value of the level cell with Tag (an empty cell counts as 0); nothing
    // for a Tag that is no level cell's or a negative value.
    void FillLevels(int Tag);

    // The level hint in Arabic and English for level 1 .. 8.
    static QString LevelHint(int Level, bool Arabic);

protected:
    void ShowCells() override;
};

class MRWContainerPanel : public MRKindContainer<MRWPanel, wiW> {
    Q_OBJECT
public:
    using MRKindContainer::MRKindContainer;

    // Only drags from another W window scroll the bar.
    bool ScrollsForSource(const TDragSource& Source) const override;
};
