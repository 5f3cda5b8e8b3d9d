#include "editors/RPPanel_m.h"

#include "editors/ColorBox_M.h"
#include "editors/MoukikEdit_m.h"
#include "editors/NumEdit_m.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/label_m.h"

#include <algorithm>

// ---- The row pattern.

bool AcceptsKindRows(const MRBasePanel& Row, const TDragSource& Source) {
    const MRContainerPanel* own = Row.Container();
    return own && Source.Container && own->IsSameKindContainer(*Source.Container);
}

bool DropKindRows(MRBasePanel& Row, const TDragSource& Source) {
    if (!AcceptsKindRows(Row, Source))
        return false;
    Row.Container()->DropEntries(*Source.Container, Source.Container->DragNumber, Row.EntryNumber);
    return true;
}

bool AcceptsColorBox(const QWidget* Target, const TDragSource& Source) {
    return !Source.Container && Source.Cell && Source.Cell != Target &&
           qobject_cast<const MColorBox*>(Target) && qobject_cast<const MColorBox*>(Source.Cell);
}

bool DropColorBox(MRBasePanel& Row, QWidget* Target, const TDragSource& Source) {
    if (!AcceptsColorBox(Target, Source))
        return false;
    auto* box = static_cast<MColorBox*>(Target);
    // A box never takes more colours than it may hold: a VB box dropped on keeps its one colour.
    MbitsMap colors = static_cast<const MColorBox*>(Source.Cell)->ColorMap();
    if (box->MaxColorCount() > 0 && colors.Count() > box->MaxColorCount())
        colors.KeepFirst(box->MaxColorCount());
    box->AssignColors(colors);
    Row.StoreRow();
    return true;
}

// ---- The P row.

namespace {

TCellHint PHint(const char16_t* Arabic, const char* English) {
    return {QString::fromUtf16(Arabic), QString::fromLatin1(English)};
}

void ShowLabel(MLabel* Label, const char* Text) {
    const QString text = QString::fromLatin1(Text);
    Label->setVisible(!text.isEmpty());
    if (text.isEmpty() || Label->Caption() == text)
        return;
    if (MCaption* c = Label->M_Caption())
        c->SetCaptions({text, text});
    Label->SetCaption(text);
    // The label grows to its text ("M" is wider than "L") and never shrinks below its place.
    Label->resize(std::max(Label->width(), Label->sizeHint().width()), Label->height());
}

void LimitBox(MColorBox* Box, int MaxColors) {
    Box->setVisible(MaxColors > 0);
    // Set even when the limit stays: a box limited by a module shown earlier may show a set the
    // mode that hid it allowed, and the colours beyond the limit go now.
    if (MaxColors > 0)
        Box->SetMaxColorCount(MaxColors);
}

} // namespace

const TPModeLayout& PModeLayout(int Mode) {
    static const TPModeLayout layouts[9] = {
        {"L", "R", true, 0, 0},  {"L", "R", true, 0, 0},  {"L", "R", true, 0, 0},
        {"L", "R", true, 0, 0},  {"M", "", false, 20, 0}, {"V", "B", false, 1, 1},
        {"V", "B", false, 2, 2}, {"F", "", false, 20, 0}, {"F", "", false, 20, 0},
    };
    return layouts[std::clamp(Mode, 0, 8)];
}

QString MRPPanel::ModeHelp(bool Arabic) {
    static const char16_t* const arabic[9] = {
        u"SY1= تحديد شوط النظام (1) بالإبر",
        u"SY2= تحديد شوط النظام (2) بالإبر",
        u"SY3= تحديد شوط النظام (3) بالإبر",
        u"SY4= تحديد شوط النظام (4) بالإبر",
        u"MF = تحديد الشوط بالألوان",
        u"VB = تحديد الشوط من لون إلى لون",
        u"WW = تحديد الشوط من تغير لون إلى تغير لون",
        u"IF = تحديد الشوط إلى داخل الألوان",
        u"AF = تحديد الشوط إلى خارج الألوان",
    };
    static const char* const english[9] = {
        "SY1= Stroke limitation of system (1) by needles",
        "SY2= Stroke limitation of system (2) by needles",
        "SY3= Stroke limitation of system (3) by needles",
        "SY4= Stroke limitation of system (4) by needles",
        "MF = Stroke limitation with colors",
        "VB = Stroke limitation from color to color",
        "WW = Stroke limitation from color change to color change",
        "IF = Stroke limitation into colors",
        "AF = Stroke limitation out of colors",
    };
    QStringList lines;
    for (int i = 0; i < 9; ++i)
        lines << (Arabic ? QString::fromUtf16(arabic[i]) : QString::fromLatin1(english[i]));
    return lines.join(QStringLiteral("\n\r"));
}

MRPPanel::MRPPanel(QObject* Owner, MPopupPalette* PopupPalette, const MPalette* Palette, QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvP>(), QSize(433, 28)) {
    MakeSelectButton(QRect(3, 3, 20, 21), QStringLiteral("P"));
    MakeNumberCell(0, 0, QRect(28, 3, 29, 21), 3);
    ModeCell = MakeScrollBitBtn(1, 100, QRect(60, 3, 35, 21), 9,
                                [this](QObject*) {
                                    if (!Loading())
                                        P_Item().Mode = std::uint8_t(ModeCell->M_CaptionList().Index());
                                    // Lowered limits drop colours: the boxes' handlers write the sets they
                                    // keep.
                                    ApplyModeLayout();
                                },
                                {ModeHelp(true), ModeHelp(false)});
    ModeCell->M_CaptionList().SetCaptionList(
        {QStringLiteral("SY1"), QStringLiteral("SY2"), QStringLiteral("SY3"), QStringLiteral("SY4"),
         QStringLiteral("MF"), QStringLiteral("VB"), QStringLiteral("WW"), QStringLiteral("IF"),
         QStringLiteral("AF")});
    ModeCell->M_CaptionList().ApplyCaption(true);
    CarrierCell = MakeMoukikEdit(
        2, 200, QRect(96, 3, 59, 21), 8,
        [this](QObject*) {
            if (Loading())
                return;
            const TCarrierFlags& flags = CarrierCell->Flags();
            for (std::size_t i = 0; i < flags.size(); ++i)
                P_Item().Carriers[i] = flags[i] ? 1 : 0;
        },
        0xFFFFFF, CellFocusColor, PHint(u"رقم مغذي الخيط", "Number of yarn carrier"));
    LeftNeedleCell = MakeNumEdit(
        3, 300, QRect(174, 3, 35, 21), 4,
        [this](QObject*) {
            if (!Loading())
                P_Item().L = LeftNeedleCell->Value();
        },
        0xFFFFFF, CellFocusColor, PHint(u"الإبرة اليسرى", "Left needle"));
    RightNeedleCell = MakeNumEdit(
        4, 400, QRect(300, 3, 35, 21), 4,
        [this](QObject*) {
            if (!Loading())
                P_Item().R = RightNeedleCell->Value();
        },
        0xFFFFFF, CellFocusColor, PHint(u"الإبرة اليمنى", "Right needle"));
    const TColorBoxLayout boxes{8, 1, 12, 20};
    const TCellHint colorsHint = PHint(u"الألوان", "Colors");
    LeftColorsCell = MakeColorBox(
        3, 300, QRect(174, 3, 100, 21), boxes, Palette, PopupPalette,
        [this](QObject*) {
            if (!Loading())
                P_Item().ClrsL.Assign(LeftColorsCell->ColorMap());
        },
        0xFFFFFF, CellFocusColor, colorsHint);
    RightColorsCell = MakeColorBox(
        4, 400, QRect(300, 3, 100, 21), boxes, Palette, PopupPalette,
        [this](QObject*) {
            if (!Loading())
                P_Item().ClrsR.Assign(RightColorsCell->ColorMap());
        },
        0xFFFFFF, CellFocusColor, colorsHint);
    DirectionCell = MakeScrollBitBtn(
        5, 500, QRect(407, 3, 20, 21), 3,
        [this](QObject*) {
            if (!Loading())
                P_Item().Dir = std::uint8_t(DirectionCell->M_CaptionList().Index());
        },
        PHint(u"الاتجاه", "Direction"));
    DirectionCell->M_CaptionList().SetCaptionList(
        {QStringLiteral(" "), QStringLiteral(">"), QStringLiteral("<")});
    DirectionCell->M_CaptionList().ApplyCaption(true);
    const QFont labels = RowFont(rfNarrow, 16, true);
    LeftLabel = MakeLabel(QRect(161, 3, 8, 20), QStringLiteral("L"), labels);
    RightLabel = MakeLabel(QRect(286, 3, 9, 20), QStringLiteral("R"), labels);
    ApplyModeLayout();
    SetCellEvents();
}

void MRPPanel::ApplyModeLayout() {
    const TPModeLayout& layout = PModeLayout(ModeCell->M_CaptionList().Index());
    ShowLabel(LeftLabel, layout.LeftLabel);
    ShowLabel(RightLabel, layout.RightLabel);
    LeftNeedleCell->setVisible(layout.Needles);
    RightNeedleCell->setVisible(layout.Needles);
    LimitBox(LeftColorsCell, layout.LeftColors);
    LimitBox(RightColorsCell, layout.RightColors);
}

void MRPPanel::ShowCells() {
    const MUnvP& p = P_Item();
    // The layout first, so that the boxes show the module's sets in full; an index that does not
    // change fires nothing, so the layout is applied here as well.
    ModeCell->M_CaptionList().SetIndex(p.Mode);
    ApplyModeLayout();
    TCarrierFlags carriers{};
    for (std::size_t i = 0; i < carriers.size(); ++i)
        carriers[i] = p.Carriers[i] != 0;
    CarrierCell->setText(CarrierText(carriers));
    ShowCellValue(LeftNeedleCell, p.L);
    ShowCellValue(RightNeedleCell, p.R);
    LeftColorsCell->AssignColors(p.ClrsL);
    RightColorsCell->AssignColors(p.ClrsR);
    DirectionCell->M_CaptionList().SetIndex(p.Dir);
}

void MRPPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                            bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    Accept = AcceptsKindRows(*this, Source) || AcceptsColorBox(Sender, Source);
}

void MRPPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    if (!DropKindRows(*this, Source))
        DropColorBox(*this, Sender, Source);
}

void MRPPanel::GetFieldHint(QWidget*, QString& Text) {
    Text.clear();
}

// ---- The P list.

bool MRPContainerPanel::ScrollsForSource(const TDragSource& Source) const {
    return Source.Container && Source.Container->WindowIndex() == wiP;
}
