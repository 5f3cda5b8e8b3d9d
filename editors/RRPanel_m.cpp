#include "editors/RRPanel_m.h"

#include "editors/NumEdit_m.h"
#include "editors/RWPanel_m.h"
#include "ui/ScrollBitBtn_m.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int RColumnWidth = 67;

int ClampSystems(int Systems) {
    return std::clamp(Systems, 1, BedCount / 2);
}
} // namespace

TCellHint DirectionSignHint() {
    return {QStringLiteral("(+/-) تعني للأمام وللخلف"), QStringLiteral("(+/-) means Forwards and Backwards")};
}

QString MRRPanel::SlotHint(int Slot, bool Arabic) {
    if (!Arabic)
        return QStringLiteral("Number of lines of draft to be added or subtracted from every System");
    const QString bed = Slot % 2 == 1 ? QStringLiteral("خلفي") : QStringLiteral("أمامي");
    return QStringLiteral("عدد أسطر المسودة المضافة أو المطروحة في النظام ") + ArabicOrdinalWord(Slot / 2) +
           QStringLiteral(" (") + bed + QStringLiteral(")");
}

MRRPanel::MRRPanel(QObject* Owner, int Systems, QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvR>(),
                  QSize(RColumnWidth * ClampSystems(Systems) + 126, 53)),
      FSystems(ClampSystems(Systems)) {
    MakeSelectButton(QRect(3, 14, 20, 21), QStringLiteral("R"));
    MakeNumberCell(0, 0, QRect(28, 14, 23, 21), 2);
    MakeCounterCells(
        1, 100, QRect(59, 14, 20, 21), QRect(81, 14, 35, 21), 4,
        [this]() -> MCounter& { return R_Item().Counter; }, [this] { ColorButtons(); }, CounterKindCell,
        CounterValueCell);
    for (int i = 0; i < FSystems; ++i) {
        const int x = RColumnWidth * i;
        // The upper line edits the rear bed, the lower one the front bed; the rightmost column is the
        // first system.
        for (int line = 0; line < 2; ++line) {
            const int slot = 2 * (FSystems - 1 - i) + (line == 0 ? 1 : 0);
            const std::size_t k = std::size_t(slot);
            const int top = line == 0 ? 3 : 27;
            SignCells[k] = MakeSignButton(
                4 * i + 3 + 2 * line, (2 * i + 3) * 100 + line, QRect(126 + x, top, 24, 21),
                [this, slot](QObject*) {
                    ColorButtons();
                    WriteSlot(slot);
                },
                DirectionSignHint());
            ValueCells[k] =
                MakeNumEdit(4 * i + 4 + 2 * line, (2 * i + 4) * 100 + line, QRect(150 + x, top, 35, 21), 4,
                            [this, slot](QObject*) { WriteSlot(slot); }, 0xFFFFFF, CellFocusColor,
                            {SlotHint(slot, true), SlotHint(slot, false)});
        }
    }
    SetCellEvents();
    ColorButtons();
}

int MRRPanel::SlotValue(int Slot) const {
    const std::size_t k = std::size_t(Slot);
    if (Slot < 0 || Slot >= 2 * FSystems)
        return 0;
    const int v = ValueCells[k]->Value();
    return SignCells[k]->M_CaptionList().Index() == 1 ? -v : v;
}

void MRRPanel::WriteSlot(int Slot) {
    if (!Loading() && Slot >= 0 && Slot < 2 * FSystems)
        R_Item().Offsets[std::size_t(Slot)] = SlotValue(Slot);
}

void MRRPanel::ColorButtons() {
    SetCaptionColor(CounterKindCell,
                    CounterKindCell->M_CaptionList().Index() == 1 ? TColor(0xFF0000) : TColor(0x000000));
    for (int k = 0; k < 2 * FSystems; ++k) {
        MScrollBitBtn* sign = SignCells[std::size_t(k)];
        SetCaptionColor(sign, sign->M_CaptionList().Index() == 1 ? TColor(0x000000) : TColor(0xB00000));
    }
}

void MRRPanel::SetCounterKindState(int State) {
    SetCounterKind(CounterKindCell, State, R_Item().Counter);
    ColorButtons();
}

void MRRPanel::SetSlotSign(int Slot, int State) {
    if (Slot < 0 || Slot >= 2 * FSystems)
        return;
    SignCells[std::size_t(Slot)]->M_CaptionList().SetIndex(State);
    ColorButtons();
    WriteSlot(Slot);
}

void MRRPanel::ShowCells() {
    const MUnvR& r = R_Item();
    if (r.Number != 0)
        ShowCellValue(CounterValueCell, r.Counter.Value);
    else
        CounterValueCell->clear();
    // An index that does not change fires nothing: the states and colours are set here.
    SetCounterKindState(int(r.Counter.Kind) - 1);
    for (int k = 0; k < 2 * FSystems; ++k) {
        const std::int32_t v = r.Offsets[std::size_t(k)];
        if (r.Number != 0)
            ShowCellValue(ValueCells[std::size_t(k)], Magnitude(v));
        else
            ValueCells[std::size_t(k)]->clear();
        SetSlotSign(k, v < 0 ? 1 : 0);
    }
}

int MRRPanel::SlotOfTag(int Tag) const {
    for (int k = 0; k < 2 * FSystems; ++k)
        if (WidgetTag(SignCells[std::size_t(k)]) == Tag)
            return k;
    for (int k = 0; k < 2 * FSystems; ++k)
        if (WidgetTag(ValueCells[std::size_t(k)]) == Tag)
            return k;
    return -1;
}

void MRRPanel::CopyToAllSystems(int Tag) {
    const int k = SlotOfTag(Tag);
    if (k < 0)
        return;
    const int v = ValueCells[std::size_t(k)]->Value();
    const int s = SignCells[std::size_t(k)]->M_CaptionList().Index();
    // A cell that shows the value already sends no change: each slot is written here as well.
    SpreadOverSystems(
        k, FSystems,
        [&](int Slot) {
            const std::size_t j = std::size_t(Slot);
            return ValueCells[j]->Value() == v && SignCells[j]->M_CaptionList().Index() == s;
        },
        [&](int Slot) {
            ValueCells[std::size_t(Slot)]->SetValue(v);
            SetSlotSign(Slot, s);
            WriteSlot(Slot);
        });
}

void MRRPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                            bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    const MRContainerPanel* own = Container();
    const MRContainerPanel* source = Source.Container;
    Accept = own && source && (own->IsSameKindContainer(*source) || FromOwnProject(Source, wiW));
}

void MRRPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    MRContainerPanel* own = Container();
    MRContainerPanel* source = Source.Container;
    if (!own || !source)
        return;
    if (own->IsSameKindContainer(*source)) {
        own->DropEntries(*source, source->DragNumber, EntryNumber);
    } else if (FromOwnProject(Source, wiW)) {
        const int first = source->DragFirstNumber();
        SetCounterKindState(1);
        CounterValueCell->SetValue(first);
        R_Item().Counter.Kind = ckW;
        R_Item().Counter.Value = first;
        StoreRow();
    }
}

void MRRPanel::GetFieldHint(QWidget* Cell, QString& Text) {
    Text.clear();
    const int tag = WidgetTag(Cell);
    if ((tag == 100 || tag == 200) && CounterKindCell->M_CaptionList().Index() == 1)
        ItemFieldHelp(wiW, CounterValueCell->Value(), 0, Text);
}

void MRRPanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    if (RowLetterKey(WParam,
                     {{'d', [this] { SetCounterKindState(0); }}, {'w', [this] { SetCounterKindState(1); }}}))
        return;
    if (!RowFillKey(WParam, LParam, [this](int Tag) {
            if (Tag >= 300)
                CopyToAllSystems(Tag);
        }))
        MRBasePanel::WMRowKey(WParam, LParam);
}

// ---- The R list.

MRRContainerPanel::MRRContainerPanel(QObject* Owner, int Systems, QWidget* Parent)
    : MRKindContainer(Owner, Parent), FSystems(ClampSystems(Systems)) {}

MRBasePanel* MRRContainerPanel::NewRowPanel() {
    return new MRRPanel(this, FSystems, this);
}

bool MRRContainerPanel::ScrollsForSource(const TDragSource& Source) const {
    return Source.Container &&
           (Source.Container->WindowIndex() == wiR || Source.Container->WindowIndex() == wiW);
}
