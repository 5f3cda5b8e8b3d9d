// The container's keys (the container key message 0x659), the moves of the focus between rows, the
// selection of ranges and the source of a drag of rows.

#include "editors/MRDrag.h"
#include "editors/NumEdit_m.h"
#include "editors/RContainerPanel_m.h"
#include "model/UcstmExp.h"

#include <QScrollBar>

#include <algorithm>

void MRContainerPanel::WMContainerKey(std::uint32_t WParam, std::uint32_t LParam) {
    const int cls = CellKeyClassOf(WParam), key = CellKeyOf(WParam);
    const int slot = ContainerKeySlotOf(LParam);
    switch (cls) {
    case kcChar:
        if (key == VK_RETURN)
            KeyEnterNumber(LParam);
        break;
    case kcPlain:
    case kcShift: {
        const bool extend = cls == kcShift;
        switch (key) {
        case VK_NEXT:
            KeyPageDown(LParam, extend);
            break;
        case VK_PRIOR:
            KeyPageUp(LParam, extend);
            break;
        case VK_HOME:
            KeyHome(LParam, extend);
            break;
        case VK_END:
            KeyEnd(LParam, extend);
            break;
        case VK_DOWN:
            if (!extend)
                KeyRowDown(LParam);
            break;
        case VK_UP:
            if (!extend)
                KeyRowUp(LParam);
            break;
        case VK_INSERT:
            if (extend)
                PasteInsertRow(slot);
            else
                InsertNewItem();
            break;
        case VK_DELETE:
            if (extend)
                CutRow(slot);
            break;
        default:
            break;
        }
        break;
    }
    case kcCtrl:
        switch (key) {
        case 'C':
        case VK_INSERT:
            CopyRow(slot);
            break;
        case 'X':
            CutRow(slot);
            break;
        case 'V':
            PasteInsertRow(slot);
            break;
        case 'Z':
            PasteOverRow(slot);
            break;
        default:
            break;
        }
        break;
    case kcAlt:
        if (key == VK_INSERT)
            PasteOverRow(slot);
        break;
    default:
        break;
    }
}

void MRContainerPanel::KeyRowDown(std::uint32_t LParam) {
    FocusRowStep(ContainerKeySlotOf(LParam), CellTagOf(LParam), 1);
}

void MRContainerPanel::KeyRowUp(std::uint32_t LParam) {
    FocusRowStep(ContainerKeySlotOf(LParam), CellTagOf(LParam), -1);
}

MRBasePanel* MRContainerPanel::FocusRowCell(int DisplayRow, int Tag, int Side) {
    MRBasePanel* row = nullptr;
    if (Columns <= 1) {
        if (DisplayRow >= 0 && DisplayRow < int(Rows().size()))
            row = Rows()[std::size_t(DisplayRow)];
    } else {
        const int left = 2 * DisplayRow, right = left + 1;
        auto shown = [this](int Slot) {
            return Slot >= 0 && Slot < int(Rows().size()) && !Rows()[std::size_t(Slot)]->isHidden()
                       ? Rows()[std::size_t(Slot)]
                       : nullptr;
        };
        row = Side == 0 ? shown(left) : shown(right);
        if (!row)
            row = Side == 0 ? shown(right) : shown(left);
    }
    if (!row || row->isHidden())
        return nullptr;
    QWidget* cell = row->FindCell(Tag);
    FocusQuietly(cell ? cell : row->NumberCell);
    return row;
}

void MRContainerPanel::FocusRowStep(int Slot, int Tag, int Step) {
    if (!StoreEditingRow())
        return;
    const int row = DisplayRowOf(Slot), side = SideOf(Slot);
    const int next = row + Step;
    if (next >= 0 && next < VisibleRowCount()) {
        FocusRowCell(next, Tag, side);
        return;
    }
    // Past the first or last visible display row the view scrolls by one, when it can.
    const int top = TopRow() + Step;
    if (!ScrollBar()->isHidden() && top >= ScrollBar()->minimum() && top <= ScrollBar()->maximum()) {
        TakeFocus();
        ScrollTo(top);
        FocusRowCell(row, Tag, side);
    }
}

void MRContainerPanel::FocusNeighbour(int Slot, int Tag, int Step) {
    // The left row of a pair has the even slot, the right one the odd slot.
    if (Columns < 2 || (Step > 0 ? Slot % 2 != 0 : Slot % 2 != 1))
        return;
    const int other = Slot + Step;
    if (other < 0 || other >= int(Rows().size()))
        return;
    MRBasePanel* row = Rows()[std::size_t(other)];
    if (row->isHidden() || !StoreEditingRow())
        return;
    FocusQuietly(row->FindCell(Tag));
}

void MRContainerPanel::KeyPageDown(std::uint32_t LParam, bool Extend) {
    KeyJump(LParam, Extend, true, true);
}

void MRContainerPanel::KeyPageUp(std::uint32_t LParam, bool Extend) {
    KeyJump(LParam, Extend, false, true);
}

void MRContainerPanel::KeyHome(std::uint32_t LParam, bool Extend) {
    KeyJump(LParam, Extend, false, false);
}

void MRContainerPanel::KeyEnd(std::uint32_t LParam, bool Extend) {
    KeyJump(LParam, Extend, true, false);
}

void MRContainerPanel::KeyJump(std::uint32_t LParam, bool Extend, bool Down, bool Page) {
    const int slot = ContainerKeySlotOf(LParam), tag = CellTagOf(LParam);
    if (!Items() || !StoreEditingRow())
        return;
    // A row whose entry is not in the list (a blank new row) jumps without selecting.
    const int old = IndexOfRowEntry(RowAt(slot));
    TakeFocus();
    // A page that scrolls keeps the focus in the row's place; otherwise it goes to the first or
    // last visible row.
    bool keepPlace = false;
    if (!ScrollBar()->isHidden()) {
        const int before = TopRow();
        const int end = Down ? ScrollBar()->maximum() : ScrollBar()->minimum();
        const int page = before + (Down ? ScrollBar()->pageStep() : -ScrollBar()->pageStep());
        ScrollTo(!Page ? end : Down ? std::min(page, end) : std::max(page, end));
        keepPlace = Page && TopRow() != before;
    }
    const int row = keepPlace ? DisplayRowOf(slot) : Down ? VisibleRowCount() - 1 : 0;
    MRBasePanel* target = FocusRowCell(row, tag, SideOf(slot));
    const int now = IndexOfRowEntry(target);
    if (Extend && old >= 0 && now >= 0) {
        if (Down)
            ToggleIndexRange(old, now - 1);
        else
            ToggleIndexRange(now + 1, old);
    }
}

void MRContainerPanel::KeyEnterNumber(std::uint32_t LParam) {
    const int slot = ContainerKeySlotOf(LParam), tag = CellTagOf(LParam);
    MRBasePanel* row = RowAt(slot);
    if (!row->NumberCell || tag != row->NumberCell->Tag || NewItemMode || !Items())
        return;
    // Enter goes to the typed number; it never renumbers: the row takes back its own entry.
    const int typed = row->NumberCell->Value();
    LoadRowByNumber(row->EntryNumber, slot);
    if (Items()->Contains(typed))
        GotoItem(typed);
}

void MRContainerPanel::ToggleIndexRange(int From, int To) {
    if (!Items())
        return;
    // The range ends where the list does; the entries are taken before any of them is toggled.
    std::vector<MUnvBase*> entries;
    for (int i = std::max(From, 0); i <= std::min(To, Items()->Count() - 1); ++i)
        entries.push_back(&Items()->ItemAt(i));
    for (MUnvBase* entry : entries) {
        if (MRBasePanel* row = ShownRowOf(entry->Number))
            row->ToggleSelected();
        else
            entry->Marks.Selected = entry->Marks.Selected ? 0 : 1;
    }
}

void MRContainerPanel::SelectUpwards(int Slot, bool Value) {
    if (Slot < 0 || !Items())
        return;
    // From the entry above the row's up to the first that has Value already (none for a row whose
    // entry is not in the list), taken before any of them changes.
    std::vector<MUnvBase*> entries;
    for (int i = IndexOfRowEntry(RowAt(Slot)) - 1; i >= 0; --i) {
        MUnvBase& entry = Items()->ItemAt(i);
        if ((entry.Marks.Selected != 0) == Value)
            break;
        entries.push_back(&entry);
    }
    for (MUnvBase* entry : entries) {
        if (MRBasePanel* row = ShownRowOf(entry->Number))
            row->SetSelected(Value);
        else
            Items()->SetSelected(entry->Number, Value);
    }
}

void MRContainerPanel::BeginRowDrag(int Slot, bool Mirror) {
    MRBasePanel* row = RowAt(Slot);
    DragMirror = Mirror;
    DragPanel = Slot;
    DragNumber = row->EntryNumber;
    DragSelected = row->Selected();
    try {
        if (!Items())
            RaiseM(1004, 0);
        Items()->GetSelectedRange(DragFirst, DragLast);
    } catch (const MException& e) {
        if (e.Code != 1004)
            throw;
        DragFirst = DragLast = row->EntryNumber;
    }
}

void MRContainerPanel::StartRowDrag(int Slot, bool Mirror) {
    GuardedAction([&] {
        // A drag carries what the rows show: the editing row stores first.
        if (!StoreEditingRow())
            return;
        BeginRowDrag(Slot, Mirror);
        StartRowsDrag(*this, *RowAt(Slot));
    });
}
