#include "editors/RSPanel_m.h"

#include "editors/NumEdit_m.h"
#include "editors/RNPanel_m.h"
#include "editors/RRPanel_m.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/label_m.h"

#include <algorithm>
#include <cstdlib>

namespace {

const TCellHint TypeHint{QStringLiteral("Z= مخطط الحياكة\n\rS= دورة المخطط"),
                         QStringLiteral("Z= Knitting Scheme \n\rS= Scheme cycle")};
const TCellHint FirstHint{
    QStringLiteral("Z= رقم أول مخطط حياكة\n\rS= رقم أول دورة مخطط"),
    QStringLiteral("Z= Number of first Knitting Scheme\n\rS= Number of first Scheme cycle")};
const TCellHint CountHint{
    QStringLiteral("Z= عدد مخططات الحياكة التالية\n\rS= عدد أسطر S التالية في الحلقة الداخلية"),
    QStringLiteral("Z= Number of Subsequent Knitting Scheme\n\rS= Number of Subsequent S in the inner loop")};
const TCellHint SCounterKindHint{
    QStringLiteral("D= عدد التكرار\n\rW= رقم سطر مفتاح الاختيار\n\rR= التكرار"),
    QStringLiteral("D=Repeat Count\n\rW=selector switch line number\n\rR=Repeat")};
const TCellHint NFirstHint{QStringLiteral("N= أول سطر لإعداد الإبر"),
                           QStringLiteral("N= The first Needle setup line")};
const TCellHint NCountHint{QStringLiteral("N= عدد أسطر N التالية"),
                           QStringLiteral("N= Number of Subsequent N lines")};
const TCellHint PFirstHint{QStringLiteral("P= أول سطر لمواقع حاملات الخيط"),
                           QStringLiteral("P= The first Yarn Carrier position line")};
const TCellHint PCountHint{QStringLiteral("P= عدد أسطر P التالية"),
                           QStringLiteral("P= Number of Subsequent P lines")};
const TCellHint OffsetHint{QStringLiteral("رقم جدول الإزاحة"), QStringLiteral("Number of offset")};

int IndexOf(MScrollBitBtn* Button) {
    return Button->M_CaptionList().Index();
}

} // namespace

MRSPanel::MRSPanel(QObject* Owner, QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvS>(), QSize(465, 28)) {
    MakeSelectButton(QRect(3, 3, 20, 21), QStringLiteral("S"));
    MakeNumberCell(0, 0, QRect(24, 3, 29, 21), 3);
    const auto counts = [this](QObject*) {
        ColorButtons();
        WriteCounts();
    };
    TypeCell = MakeScrollBitBtn(
        1, 100, QRect(58, 3, 20, 21), 2, [this](QObject*) { SetTypeState(IndexOf(TypeCell)); }, TypeHint);
    TypeCell->M_CaptionList().SetCaptionList({QStringLiteral("Z"), QStringLiteral("S")});
    TypeCell->M_CaptionList().ApplyCaption(true);
    FirstCell = MakeNumEdit(
        2, 200, QRect(80, 3, 35, 21), 4,
        [this](QObject*) {
            if (!Loading())
                S_Item().First = FirstCell->Value();
        },
        0xFFFFFF, CellFocusColor, FirstHint);
    SignCell = MakeSignButton(3, 300, QRect(117, 3, 22, 22), counts, DirectionSignHint());
    CountCell = MakeNumEdit(4, 400, QRect(140, 3, 35, 21), 4, counts, 0xFFFFFF, CellFocusColor, CountHint);
    CounterKindCell = MakeScrollBitBtn(
        5, 500, QRect(179, 3, 20, 21), 3, [this](QObject*) { SetCounterKindState(IndexOf(CounterKindCell)); },
        SCounterKindHint);
    CounterKindCell->M_CaptionList().SetCaptionList(
        {QStringLiteral("D"), QStringLiteral("W"), QStringLiteral("R")});
    CounterKindCell->M_CaptionList().ApplyCaption(true);
    CounterValueCell = MakeNumEdit(
        6, 600, QRect(201, 3, 35, 21), 4,
        [this](QObject*) {
            if (!Loading())
                S_Item().Counter.Value = CounterValueCell->Value();
        },
        0xFFFFFF, CellFocusColor, CounterValueHint());
    NLabel = MakeLabel(QRect(242, 2, 11, 23), QStringLiteral("N"), RowFont(rfNarrow, 19, true));
    NFirstCell = MakeNumEdit(
        7, 700, QRect(255, 3, 29, 21), 3,
        [this](QObject*) {
            if (!Loading())
                S_Item().NFirst = NFirstCell->Value();
        },
        0xFFFFFF, CellFocusColor, NFirstHint);
    NSignCell = MakeSignButton(8, 800, QRect(286, 3, 22, 22), counts, DirectionSignHint());
    NCountCell = MakeNumEdit(9, 900, QRect(309, 3, 29, 21), 3, counts, 0xFFFFFF, CellFocusColor, NCountHint);
    PLabel = MakeLabel(QRect(343, 5, 11, 19), QStringLiteral("P"), RowFont(rfSans, 16, true));
    PFirstCell = MakeNumEdit(
        10, 1000, QRect(355, 3, 29, 21), 3,
        [this](QObject*) {
            if (!Loading())
                S_Item().PFirst = PFirstCell->Value();
        },
        0xFFFFFF, CellFocusColor, PFirstHint);
    PSignCell = MakeSignButton(11, 1100, QRect(386, 3, 22, 22), counts, DirectionSignHint());
    PCountCell =
        MakeNumEdit(12, 1200, QRect(409, 3, 29, 21), 3, counts, 0xFFFFFF, CellFocusColor, PCountHint);
    OffsetCell = MakeScrollBitBtn(
        13, 1300, QRect(442, 3, 20, 21), 8, [this](QObject*) { SetOffsetState(IndexOf(OffsetCell)); },
        OffsetHint);
    QStringList offsets;
    for (int i = 1; i <= 8; ++i)
        offsets << QString::number(i);
    OffsetCell->M_CaptionList().SetCaptionList(offsets);
    OffsetCell->M_CaptionList().ApplyCaption(true);
    SetCellEvents();
    ColorButtons();
}

namespace {
int Signed(MScrollBitBtn* Sign, const MNumEdit* Count) {
    const int v = Count->Value();
    return IndexOf(Sign) == 1 ? -v : v;
}
} // namespace

int MRSPanel::SignedCount() const {
    return Signed(SignCell, CountCell);
}
int MRSPanel::SignedNCount() const {
    return Signed(NSignCell, NCountCell);
}
int MRSPanel::SignedPCount() const {
    return Signed(PSignCell, PCountCell);
}

// A count its cell shows as it stands is left alone, so a count past the cell's digits stays in the
// entry while the row's other counts are edited.
void MRSPanel::WriteCounts() {
    if (Loading())
        return;
    const auto write = [this](std::int32_t& Field, const MNumEdit* Cell, int Shown) {
        const int magnitude = ShownCellValue(Cell, Magnitude(Field));
        if (Shown != (Field < 0 ? -magnitude : magnitude))
            Field = Shown;
    };
    MUnvS& s = S_Item();
    write(s.Count, CountCell, SignedCount());
    write(s.NCount, NCountCell, SignedNCount());
    write(s.PCount, PCountCell, SignedPCount());
}

void MRSPanel::ColorButtons() {
    SetCaptionColor(TypeCell, IndexOf(TypeCell) == 1 ? TColor(0x0000FF) : TColor(0x000000));
    const TColor kinds[] = {0x000000, 0xFF0000, 0xDD00CC};
    SetCaptionColor(CounterKindCell, kinds[std::clamp(IndexOf(CounterKindCell), 0, 2)]);
    for (MScrollBitBtn* sign : {SignCell, NSignCell, PSignCell})
        SetCaptionColor(sign, IndexOf(sign) == 1 ? TColor(0x000000) : TColor(0xB00000));
}

void MRSPanel::SetTypeState(int State) {
    TypeCell->M_CaptionList().SetIndex(std::clamp(State, 0, 1));
    ColorButtons();
    // An S cycle has no N and P ranges and no offset; the cells keep their values while hidden.
    const bool z = IndexOf(TypeCell) == 0;
    SetCellsVisible(7, 13, z);
    NLabel->setVisible(z);
    PLabel->setVisible(z);
    if (!Loading())
        S_Item().Type = std::uint8_t(IndexOf(TypeCell) + 1);
}

void MRSPanel::SetCounterKindState(int State) {
    CounterKindCell->M_CaptionList().SetIndex(std::clamp(State, 0, 2));
    ColorButtons();
    if (!Loading())
        S_Item().Counter.Kind = std::uint8_t(IndexOf(CounterKindCell) + 1);
}

void MRSPanel::SetOffsetState(int State) {
    OffsetCell->M_CaptionList().SetIndex(std::clamp(State, 0, 7));
    if (!Loading())
        S_Item().Offset = std::uint8_t(IndexOf(OffsetCell) + 1);
}

void MRSPanel::SetSignState(MScrollBitBtn* Sign, int State) {
    Sign->M_CaptionList().SetIndex(State);
    ColorButtons();
    WriteCounts();
}

void MRSPanel::ShowCells() {
    const MUnvS& s = S_Item();
    const std::pair<MNumEdit*, int> values[] = {{FirstCell, s.First},
                                                {CountCell, Magnitude(s.Count)},
                                                {CounterValueCell, s.Counter.Value},
                                                {NFirstCell, s.NFirst},
                                                {NCountCell, Magnitude(s.NCount)},
                                                {PFirstCell, s.PFirst},
                                                {PCountCell, Magnitude(s.PCount)}};
    for (const auto& [cell, value] : values) {
        if (s.Number != 0)
            ShowCellValue(cell, value);
        else
            cell->clear();
    }
    // An index that does not change fires nothing: the states, colours and visibility are set here.
    SetOffsetState(int(s.Offset) - 1);
    SetTypeState(int(s.Type) - 1);
    SetCounterKindState(int(s.Counter.Kind) - 1);
    SetSignState(SignCell, s.Count < 0 ? 1 : 0);
    SetSignState(NSignCell, s.NCount < 0 ? 1 : 0);
    SetSignState(PSignCell, s.PCount < 0 ? 1 : 0);
}

void MRSPanel::ShowRange(MScrollBitBtn* Sign, MNumEdit* First, MNumEdit* Count, int From, int To) {
    SetSignState(Sign, 0);
    First->SetValue(From);
    Count->SetValue(To - From);
}

void MRSPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                            bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    const MRContainerPanel* own = Container();
    const MRContainerPanel* source = Source.Container;
    if (!own || !source) {
        Accept = false;
        return;
    }
    if (source == own)
        Accept = !RowInDraggedRange(*this, *own);
    else if (source->WindowIndex() == wiS)
        Accept = source->Project != own->Project;
    else
        Accept = FromOwnProject(Source, wiW) || FromOwnProject(Source, wiR) || FromOwnProject(Source, wiN) ||
                 FromOwnProject(Source, wiP);
}

void MRSPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    MRContainerPanel* own = Container();
    MRContainerPanel* source = Source.Container;
    if (!own || !source)
        return;
    const int first = source->DragFirstNumber(), last = source->DragLastNumber();
    MUnvS& s = S_Item();
    // Cells that showed the dropped values already send no change: the copy is written here as well.
    if (source == own) {
        if (RowInDraggedRange(*this, *own))
            return;
        SetTypeState(1);
        ShowRange(SignCell, FirstCell, CountCell, first, last);
        s.Type = 2;
        s.First = first;
        s.Count = last - first;
    } else if (source->WindowIndex() == wiS) {
        if (source->Project != own->Project)
            own->DropEntries(*source, source->DragNumber, EntryNumber);
        return;
    } else if (FromOwnProject(Source, wiW) || FromOwnProject(Source, wiR)) {
        const bool w = source->WindowIndex() == wiW;
        SetCounterKindState(w ? 1 : 2);
        CounterValueCell->SetValue(first);
        s.Counter.Kind = w ? ckW : ckR;
        s.Counter.Value = first;
    } else if (FromOwnProject(Source, wiN)) {
        ShowRange(NSignCell, NFirstCell, NCountCell, first, last);
        s.NFirst = first;
        s.NCount = last - first;
    } else if (FromOwnProject(Source, wiP)) {
        ShowRange(PSignCell, PFirstCell, PCountCell, first, last);
        s.PFirst = first;
        s.PCount = last - first;
    } else {
        return;
    }
    StoreRow();
}

void MRSPanel::GetFieldHint(QWidget* Cell, QString& Text) {
    Text.clear();
    const int tag = WidgetTag(Cell);
    if (tag >= 100 && tag <= 400) {
        if (IndexOf(TypeCell) == 1)
            ItemFieldHelp(wiS, FirstCell->Value(), SignedCount(), Text);
    } else if (tag == 500 || tag == 600) {
        const int kind = IndexOf(CounterKindCell);
        if (kind == 1 || kind == 2)
            ItemFieldHelp(kind == 1 ? wiW : wiR, CounterValueCell->Value(), 0, Text);
    } else if (tag >= 700 && tag <= 900) {
        // The range runs the way its sign says, as an S cycle's does.
        ItemFieldHelp(wiN, NFirstCell->Value(), SignedNCount(), Text);
    } else if (tag >= 1000 && tag <= 1200) {
        ItemFieldHelp(wiP, PFirstCell->Value(), SignedPCount(), Text);
    }
}

void MRSPanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    if (!RowLetterKey(WParam, {{'z', [this] { SetTypeState(0); }},
                               {'s', [this] { SetTypeState(1); }},
                               {'d', [this] { SetCounterKindState(0); }},
                               {'w', [this] { SetCounterKindState(1); }},
                               {'r', [this] { SetCounterKindState(2); }}}))
        MRBasePanel::WMRowKey(WParam, LParam);
}

// ---- The S list.

bool MRSContainerPanel::ScrollsForSource(const TDragSource& Source) const {
    if (!Source.Container)
        return false;
    const int kind = Source.Container->WindowIndex();
    return kind == wiS || kind == wiW || kind == wiN || kind == wiP || kind == wiR;
}
