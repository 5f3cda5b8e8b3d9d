#include "editors/RFDPanel_m.h"

#include "editors/NumEdit_m.h"
#include "editors/RPPanel_m.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/label_m.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int FDColumnWidth = 112;

const TCellHint FirstHint{QStringLiteral("سطر طول الغرزة الأول"),
                          QStringLiteral("The first stitch length line")};
const TCellHint SignHint{QStringLiteral("(+/-) تعني للأمام وللخلف"),
                         QStringLiteral("(+/-) means Forwards and Backwards")};
const TCellHint CountHint{QStringLiteral("عدد أسطر طول الغرزة التالية"),
                          QStringLiteral("Number of the subsequent stitch length lines")};

} // namespace

MRFDPanel::MRFDPanel(QObject* Owner, int SystemsShown, QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvFD>(),
                  QSize(FDColumnWidth * std::clamp(SystemsShown, 1, BedCount / 2) + 65, 65), 0xFFFFD0),
      FSystemsShown(std::clamp(SystemsShown, 1, BedCount / 2)) {
    MakeSelectButton(QRect(3, 14, 20, 21), QStringLiteral("FD"));
    MakeNumberCell(0, 0, QRect(28, 14, 23, 21), 2);
    const int n = FSystemsShown;
    for (int i = 0; i < n; ++i) {
        const int x = FDColumnWidth * i, s = n - 1 - i;
        // The upper line edits the rear bed, the lower one the front bed.
        for (int line = 0; line < 2; ++line) {
            const int slot = 2 * s + (line == 0 ? 1 : 0);
            const std::size_t k = std::size_t(slot);
            const int top = line == 0 ? 6 : 30;
            Labels[k] =
                MakeLabel(QRect(x + 61, top, 17, 20), QStringLiteral("FE"), RowFont(rfNarrow, 16, true));
            FirstCells[k] = MakeNumEdit(
                6 * i + 1 + 3 * line, (3 * i + 1) * 100 + line, QRect(x + 81, top, 29, 21), 3,
                [this, k](QObject*) {
                    if (!Loading())
                        FD_Item().FirstFE[k] = FirstCells[k]->Value();
                },
                0xFFFFFF, 0, FirstHint);
            SignCells[k] = MakeSignButton(
                6 * i + 2 + 3 * line, (3 * i + 2) * 100 + line, QRect(x + 112, top + 1, 22, 21),
                [this, slot](QObject*) {
                    SetSignState(slot, SignCells[std::size_t(slot)]->M_CaptionList().Index());
                },
                SignHint);
            CountCells[k] = MakeNumEdit(
                6 * i + 3 + 3 * line, (3 * i + 3) * 100 + line, QRect(x + 134, top, 29, 21), 3,
                [this, slot](QObject*) { WriteCount(slot); }, 0xFFFFFF, 0, CountHint);
        }
    }
}

int MRFDPanel::SlotOf(const QWidget* Cell) const {
    if (!Cell)
        return -1;
    for (int k = 0; k < 2 * FSystemsShown; ++k) {
        const std::size_t i = std::size_t(k);
        if (Cell == FirstCells[i] || Cell == SignCells[i] || Cell == CountCells[i])
            return k;
    }
    return -1;
}

int MRFDPanel::SignedCount(int Slot) const {
    const std::size_t k = std::size_t(Slot);
    const int count = CountCells[k]->Value();
    return SignCells[k]->M_CaptionList().Index() == 1 ? -count : count;
}

void MRFDPanel::WriteCount(int Slot) {
    if (!Loading())
        FD_Item().CountFE[std::size_t(Slot)] = SignedCount(Slot);
}

void MRFDPanel::SetSignState(int Slot, int State) {
    MScrollBitBtn* sign = SignCells[std::size_t(Slot)];
    sign->M_CaptionList().SetIndex(State);
    SetCaptionColor(sign, sign->M_CaptionList().Index() == 1 ? TColor(0x000000) : TColor(0xB00000));
    WriteCount(Slot);
}

void MRFDPanel::SetSlot(int Slot, int First, int Count, int SignState) {
    const std::size_t k = std::size_t(Slot);
    ShowCellValue(FirstCells[k], First);
    ShowCellValue(CountCells[k], Count);
    // The sign writes the count from the cells; a first cell that shows the value already sends no
    // change, so it is written here as well.
    SetSignState(Slot, SignState);
    if (!Loading())
        FD_Item().FirstFE[k] = First;
}

void MRFDPanel::ShowCells() {
    const MUnvFD& fd = FD_Item();
    for (int k = 0; k < 2 * FSystemsShown; ++k) {
        const std::size_t i = std::size_t(k);
        // The count cell is unsigned: it shows the size, the sign button the direction.
        SetSlot(k, fd.FirstFE[i], int(std::min<std::int64_t>(std::llabs(std::int64_t(fd.CountFE[i])), 999)),
                fd.CountFE[i] < 0 ? 1 : 0);
    }
}

// ---- Keys.

void MRFDPanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    if (!RowFillKey(WParam, LParam, [this](int Tag) { FillSlots(Tag); }))
        MRBasePanel::WMRowKey(WParam, LParam);
}

void MRFDPanel::FillSlots(int Tag) {
    const int slot = SlotOf(FindCell(Tag));
    if (slot < 0)
        return;
    const std::size_t k = std::size_t(slot);
    const int first = FirstCells[k]->Value(), count = CountCells[k]->Value(),
              sign = SignCells[k]->M_CaptionList().Index();
    // A first A copies the range to the line of every system, a second one to both lines.
    SpreadOverSystems(
        slot, FSystemsShown,
        [&](int Slot) {
            const std::size_t i = std::size_t(Slot);
            return FirstCells[i]->Value() == first && CountCells[i]->Value() == count &&
                   SignCells[i]->M_CaptionList().Index() == sign;
        },
        [&](int Slot) { SetSlot(Slot, first, count, sign); });
}

// ---- Drops and field help.

void MRFDPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                             bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    Accept = AcceptsKindRows(*this, Source) || (SlotOf(Sender) >= 0 && FromOwnProject(Source, wiFE));
}

void MRFDPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    const int slot = SlotOf(Sender);
    if (DropKindRows(*this, Source) || slot < 0 || !FromOwnProject(Source, wiFE))
        return;
    // The dragged FE lines, forwards from the first.
    const int first = Source.Container->DragFirstNumber();
    SetSlot(slot, first, Source.Container->DragLastNumber() - first, 0);
    StoreRow();
}

void MRFDPanel::GetFieldHint(QWidget* Cell, QString& Text) {
    Text.clear();
    const int slot = SlotOf(Cell);
    if (slot >= 0)
        ItemFieldHelp(wiFE, FirstCells[std::size_t(slot)]->Value(), SignedCount(slot), Text);
}

// ---- The FD list.

int MRFDContainerPanel::SystemsShownFor(int Systems, int Machine) {
    if (Machine == 720 || Machine == 721)
        return 2;
    return std::clamp(Systems, 1, BedCount / 2);
}
