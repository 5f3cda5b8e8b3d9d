#include "editors/RFSPanel_m.h"

#include "editors/NumEdit_m.h"
#include "editors/RPPanel_m.h"
#include "ui/ScrollBitBtn_m.h"

#include <algorithm>

namespace {

constexpr int FSColumnWidth = 53;

} // namespace

MRFSPanel::MRFSPanel(QObject* Owner, int N, QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvFS>(),
                  QSize(106 * std::clamp(N, 1, BedCount / 2) + 75, 65)),
      FColumns(std::clamp(N, 1, BedCount / 2)) {
    MakeSelectButton(QRect(3, 14, 20, 21), QStringLiteral("FS"));
    MakeNumberCell(0, 0, QRect(28, 14, 23, 21), 2);
    const int n = FColumns;
    for (int group = 0; group < 2; ++group)
        for (int i = 0; i < n; ++i) {
            // Group B starts ten pixels after group A's last column; its tab orders after A's.
            const int x = group == 0 ? FSColumnWidth * i + 59 : FSColumnWidth * (n + i) + 69;
            const int tag = group == 0 ? 2 * i + 1 : 2 * i + 2 * n + 1;
            const int id = 4 * i + 1 + 16 * group;
            for (int line = 0; line < 2; ++line) {
                const int slot = 2 * (n - 1 - i) + (line == 0 ? 1 : 0);
                const std::size_t g = std::size_t(group), k = std::size_t(slot);
                const int top = line == 0 ? 6 : 30;
                KindCells[g][k] = MakeDWButton(
                    id + 2 * line, tag * 100 + line, QRect(x, top, 20, 21),
                    [this, group, slot](QObject*) {
                        SetKindState(
                            group, slot,
                            KindCells[std::size_t(group)][std::size_t(slot)]->M_CaptionList().Index());
                    },
                    CounterKindHint());
                ValueCells[g][k] = MakeNumEdit(
                    id + 2 * line + 1, (tag + 1) * 100 + line, QRect(x + 22, top, 29, 21), 3,
                    [this, group, slot](QObject*) {
                        if (!Loading())
                            CounterAt(group, slot).Value =
                                ValueCells[std::size_t(group)][std::size_t(slot)]->Value();
                    },
                    0xFFFFFF, CellFocusColor, CounterValueHint());
            }
        }
}

MCounter& MRFSPanel::CounterAt(int Group, int Slot) const {
    return (Group == 0 ? FS_Item().CountersA : FS_Item().CountersB)[std::size_t(Slot)];
}

bool MRFSPanel::CounterOf(const QWidget* Cell, int& Group, int& Slot) const {
    if (!Cell)
        return false;
    for (int g = 0; g < 2; ++g)
        for (int k = 0; k < 2 * FColumns; ++k)
            if (Cell == KindCells[std::size_t(g)][std::size_t(k)] ||
                Cell == ValueCells[std::size_t(g)][std::size_t(k)]) {
                Group = g;
                Slot = k;
                return true;
            }
    return false;
}

void MRFSPanel::SetKindState(int Group, int Slot, int State) {
    MScrollBitBtn* kind = KindCells[std::size_t(Group)][std::size_t(Slot)];
    kind->M_CaptionList().SetIndex(State);
    const int shown = kind->M_CaptionList().Index();
    SetCaptionColor(kind, shown == 1 ? TColor(0xFF0000) : TColor(0x000000));
    if (!Loading())
        CounterAt(Group, Slot).Kind = std::uint8_t(shown + 1);
}

void MRFSPanel::SetCounter(int Group, int Slot, int KindState, int Value) {
    SetKindState(Group, Slot, KindState);
    ShowCellValue(ValueCells[std::size_t(Group)][std::size_t(Slot)], Value);
    // A cell that shows the value already sends no change: the counter is written here as well.
    if (!Loading())
        CounterAt(Group, Slot).Value = Value;
}

void MRFSPanel::ShowCells() {
    for (int g = 0; g < 2; ++g)
        for (int k = 0; k < 2 * FColumns; ++k) {
            // A kind outside D and W shows clamped; the module keeps it until the cell is edited.
            const MCounter& c = CounterAt(g, k);
            SetCounter(g, k, int(c.Kind) - 1, c.Value);
        }
}

// ---- Keys.

void MRFSPanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    if (!RowFillKey(WParam, LParam, [this](int Tag) { FillCounters(Tag); }))
        MRBasePanel::WMRowKey(WParam, LParam);
}

void MRFSPanel::FillCounters(int Tag) {
    int group = 0, slot = 0;
    if (!CounterOf(FindCell(Tag), group, slot))
        return;
    const int kind = KindCells[std::size_t(group)][std::size_t(slot)]->M_CaptionList().Index();
    const int value = ValueCells[std::size_t(group)][std::size_t(slot)]->Value();
    // A first A copies the counter to its line of both groups, a second one to both lines; the
    // groups' columns are spread as one run of systems.
    const auto groupOf = [this](int Slot) { return Slot / 2 / FColumns; };
    const auto inGroup = [this](int Slot) { return Slot / 2 % FColumns * 2 + Slot % 2; };
    SpreadOverSystems(
        slot, 2 * FColumns,
        [&](int Slot) {
            const std::size_t g = std::size_t(groupOf(Slot)), k = std::size_t(inGroup(Slot));
            return KindCells[g][k]->M_CaptionList().Index() == kind && ValueCells[g][k]->Value() == value;
        },
        [&](int Slot) { SetCounter(groupOf(Slot), inGroup(Slot), kind, value); });
}

// ---- Drops and field help.

void MRFSPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                             bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    int group = 0, slot = 0;
    Accept =
        AcceptsKindRows(*this, Source) || (CounterOf(Sender, group, slot) && FromOwnProject(Source, wiW));
}

void MRFSPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    int group = 0, slot = 0;
    if (DropKindRows(*this, Source) || !CounterOf(Sender, group, slot) || !FromOwnProject(Source, wiW))
        return;
    SetCounter(group, slot, 1, Source.Container->DragFirstNumber());
    StoreRow();
}

void MRFSPanel::GetFieldHint(QWidget* Cell, QString& Text) {
    Text.clear();
    int group = 0, slot = 0;
    if (!CounterOf(Cell, group, slot) ||
        KindCells[std::size_t(group)][std::size_t(slot)]->M_CaptionList().Index() != 1)
        return;
    ItemFieldHelp(wiW, ValueCells[std::size_t(group)][std::size_t(slot)]->Value(), 0, Text);
}

// ---- The FS list.

int MRFSContainerPanel::ColumnsFor(int Systems, int Machine) {
    const int shown = MRFDContainerPanel::SystemsShownFor(Systems, Machine);
    const bool doubled = Machine == 708 || Machine == 710 || Machine == 745 || Machine == 748;
    return std::min(doubled ? 2 * shown : shown, BedCount / 2);
}
