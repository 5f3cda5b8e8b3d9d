#include "editors/RNPanel_m.h"

#include "editors/NumEdit_m.h"
#include "ui/ScrollBitBtn_m.h"

#include <algorithm>
#include <cstdlib>

MRNPanel::MRNPanel(QObject* Owner, QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvN>(), QSize(273, 27)) {
    MakeSelectButton(QRect(4, 2, 23, 20), QStringLiteral("N"));
    MakeNumberCell(0, 0, QRect(24, 1, 41, 21), 3);
    TypeCell = MakeScrollBitBtn(1, 100, QRect(72, 2, 23, 20), 2, [this](QObject*) {
        ColorButtons();
        if (!Loading())
            N_Item().Type = std::uint8_t(TypeCell->M_CaptionList().Index() + 1);
    });
    TypeCell->M_CaptionList().SetCaptionList({QStringLiteral("X"), QStringLiteral("N")});
    TypeCell->M_CaptionList().ApplyCaption(true);
    StartCell = MakeNumEdit(2, 200, QRect(95, 2, 41, 21), 4,
                            [this](QObject*) {
                                if (!Loading())
                                    N_Item().Start = StartCell->Value();
                            },
                            0xFFFFFF, CellFocusColor,
                            {QStringLiteral("X= عمود في مسودة النقشة\n\rN= إشارة إلى رقم سطر"),
                             QStringLiteral("X= Pattern Draft Column\n\rN= Reference to line number")});
    SignCell = MakeSignButton(3, 300, QRect(136, 2, 22, 20), [this](QObject*) {
        ColorButtons();
        WriteCount();
    });
    CountCell = MakeNumEdit(
        4, 400, QRect(159, 1, 41, 21), 4, [this](QObject*) { WriteCount(); }, 0xFFFFFF, CellFocusColor,
        {QStringLiteral("عدد الأعمدة أو الأسطر التالية"), QStringLiteral("Number of column/line to follow")});
    MakeCounterCells(
        5, 500, QRect(202, 1, 23, 20), QRect(225, 1, 41, 21), 4,
        [this]() -> MCounter& { return N_Item().Counter; }, [this] { ColorButtons(); }, CounterKindCell,
        CounterValueCell);
    ColorButtons();
}

int MRNPanel::SignedCount() const {
    const int count = CountCell->Value();
    return SignCell->M_CaptionList().Index() == 1 ? -count : count;
}

void MRNPanel::WriteCount() {
    if (!Loading())
        N_Item().Count = SignedCount();
}

void MRNPanel::ColorButtons() {
    SetCaptionColor(TypeCell, TypeCell->M_CaptionList().Index() == 1 ? TColor(0x0000FF) : TColor(0x000000));
    SetCaptionColor(SignCell, SignCell->M_CaptionList().Index() == 1 ? TColor(0x000000) : TColor(0xB00000));
    SetCaptionColor(CounterKindCell,
                    CounterKindCell->M_CaptionList().Index() == 1 ? TColor(0xFF0000) : TColor(0x000000));
}

void MRNPanel::SetTypeState(int State) {
    TypeCell->M_CaptionList().SetIndex(State);
    ColorButtons();
    if (!Loading())
        N_Item().Type = std::uint8_t(TypeCell->M_CaptionList().Index() + 1);
}

void MRNPanel::SetSignState(int State) {
    SignCell->M_CaptionList().SetIndex(State);
    ColorButtons();
    WriteCount();
}

void MRNPanel::SetCounterKindState(int State) {
    SetCounterKind(CounterKindCell, State, N_Item().Counter);
    ColorButtons();
}

void MRNPanel::ShowCells() {
    const MUnvN& n = N_Item();
    if (n.Number != 0) {
        ShowCellValue(StartCell, n.Start);
        // The count cell is unsigned: it shows the size, the sign button the direction.
        ShowCellValue(CountCell, Magnitude(n.Count));
        ShowCellValue(CounterValueCell, n.Counter.Value);
    } else {
        NumberCell->clear();
        StartCell->clear();
        CountCell->clear();
        CounterValueCell->clear();
    }
    // An index that does not change fires nothing: the states and colours are set here.
    SetTypeState(int(n.Type) - 1);
    SetSignState(n.Count < 0 ? 1 : 0);
    SetCounterKindState(int(n.Counter.Kind) - 1);
}

bool RowInDraggedRange(const MRBasePanel& Row, const MRContainerPanel& Own) {
    return Own.DragPanel == Row.PanelIndex ||
           (Row.EntryNumber >= Own.DragFirstNumber() && Row.EntryNumber <= Own.DragLastNumber());
}

// The dragged row and every row of the dragged selection refuse the drop.
bool MRNPanel::InDraggedRange(const MRContainerPanel& Own) const {
    return RowInDraggedRange(*this, Own);
}

void MRNPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                            bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    MRContainerPanel* own = Container();
    MRContainerPanel* source = Source.Container;
    if (!own || !source) {
        Accept = false;
        return;
    }
    if (source == own)
        Accept = !InDraggedRange(*own);
    else if (source->WindowIndex() == wiN)
        Accept = source->Project != own->Project;
    else if (source->WindowIndex() == wiW)
        Accept = source->Project == own->Project;
    else
        Accept = false;
}

void MRNPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    MRContainerPanel* own = Container();
    MRContainerPanel* source = Source.Container;
    if (!own || !source)
        return;
    if (source == own) {
        if (InDraggedRange(*own))
            return;
        const int first = source->DragFirstNumber(), last = source->DragLastNumber();
        SetTypeState(1);
        SetSignState(0);
        StartCell->SetValue(first);
        CountCell->SetValue(last - first);
        // Cells that showed these values already send no change.
        N_Item().Type = 2;
        N_Item().Start = first;
        N_Item().Count = last - first;
        StoreRow();
    } else if (source->WindowIndex() == wiN) {
        if (source->Project != own->Project)
            own->DropEntries(*source, source->DragNumber, EntryNumber);
    } else if (source->WindowIndex() == wiW) {
        if (source->Project != own->Project)
            return;
        SetCounterKindState(1);
        CounterValueCell->SetValue(source->DragFirstNumber());
        N_Item().Counter.Kind = ckW;
        N_Item().Counter.Value = source->DragFirstNumber();
        StoreRow();
    }
}

void MRNPanel::GetFieldHint(QWidget* Cell, QString& Text) {
    Text.clear();
    const int tag = WidgetTag(Cell);
    if ((tag == 100 || tag == 200 || tag == 300 || tag == 400) && TypeCell->M_CaptionList().Index() == 1)
        ItemFieldHelp(wiN, StartCell->Value(), SignedCount(), Text);
    else if ((tag == 500 || tag == 600) && CounterKindCell->M_CaptionList().Index() == 1)
        ItemFieldHelp(wiW, CounterValueCell->Value(), 0, Text);
}

void MRNPanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    if (!RowLetterKey(WParam, {{'n', [this] { SetTypeState(1); }},
                               {'x', [this] { SetTypeState(0); }},
                               {'d', [this] { SetCounterKindState(0); }},
                               {'w', [this] { SetCounterKindState(1); }},
                               {'+', [this] { SetSignState(0); }},
                               {'-', [this] { SetSignState(1); }}}))
        MRBasePanel::WMRowKey(WParam, LParam);
}

// ---- The N list.

bool MRNContainerPanel::ScrollsForSource(const TDragSource& Source) const {
    return Source.Container &&
           (Source.Container->WindowIndex() == wiN || Source.Container->WindowIndex() == wiW);
}
