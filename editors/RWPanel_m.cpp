#include "editors/RWPanel_m.h"

#include "editors/NumEdit_m.h"
#include "ui/LanguagePack.h"

namespace {

// The ordinal words of the eight levels in the Arabic hint.
const char16_t* const ArabicOrdinals[8] = {u"الأول",  u"الثاني", u"الثالث", u"الرابع",
                                           u"الخامس", u"السادس", u"السابع", u"الثامن"};

constexpr int WLevelLeft = 74, WLevelStep = 40;

} // namespace

QString ArabicOrdinalWord(int Index) {
    return QString::fromUtf16(ArabicOrdinals[std::clamp(Index, 0, 7)]);
}

QString MRWPanel::LevelHint(int Level, bool Arabic) {
    const int i = std::clamp(Level, 1, 8);
    if (Arabic)
        return QStringLiteral("قيمة تكرار المستوى ") + ArabicOrdinalWord(i - 1);
    return QStringLiteral("Value of Repeat of level (%1)").arg(i);
}

MRWPanel::MRWPanel(QObject* Owner, QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvW>(), QSize(396, 28)) {
    MakeSelectButton(QRect(3, 3, 20, 21), QStringLiteral("W"));
    MakeNumberCell(0, 0, QRect(28, 1, 29, 21), 3);
    for (int i = 0; i < 8; ++i)
        LevelCells[std::size_t(i)] =
            MakeNumEdit(i + 1, 100 * (i + 1), QRect(WLevelLeft + WLevelStep * i, 3, 35, 21), 4,
                        [this, i](QObject*) {
                            if (!Loading())
                                W_Item().Levels[std::size_t(i)] = LevelCells[std::size_t(i)]->Value();
                        },
                        0xFFFFFF, CellFocusColor, {LevelHint(i + 1, true), LevelHint(i + 1, false)});
}

void MRWPanel::ShowCells() {
    for (int i = 0; i < 8; ++i)
        ShowCellValue(LevelCells[std::size_t(i)], W_Item().Levels[std::size_t(i)]);
}

void MRWPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                            bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    const MRContainerPanel* own = Container();
    Accept = own && Source.Container && own->IsSameKindContainer(*Source.Container);
}

void MRWPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    MRContainerPanel* own = Container();
    if (!own || !Source.Container || !own->IsSameKindContainer(*Source.Container))
        return;
    own->DropEntries(*Source.Container, Source.Container->DragNumber, EntryNumber);
}

void MRWPanel::GetFieldHint(QWidget*, QString& Text) {
    Text.clear();
}

void MRWPanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    if (!RowFillKey(WParam, LParam, [this](int Tag) { FillLevels(Tag); }))
        MRBasePanel::WMRowKey(WParam, LParam);
}

void MRWPanel::FillLevels(int Tag) {
    if (Tag % 100 != 0 || Tag < 100 || Tag > 800)
        return;
    const int value = LevelCells[std::size_t(Tag / 100 - 1)]->Value();
    if (value < 0)
        return;
    // A cell that shows the value already sends no change: the levels are written here as well.
    for (int i = 0; i < 8; ++i) {
        LevelCells[std::size_t(i)]->SetValue(value);
        if (!Loading())
            W_Item().Levels[std::size_t(i)] = value;
    }
}

// ---- The W list.

bool MRWContainerPanel::ScrollsForSource(const TDragSource& Source) const {
    return Source.Container && IsSameKindContainer(*Source.Container);
}
