#include "editors/RFEPanel_m.h"

#include "editors/ColorBox_M.h"
#include "editors/NumEdit_m.h"
#include "ui/ScrollBitBtn_m.h"

#include <algorithm>
#include <cstdlib>

namespace {

TCellHint FEHint(const char16_t* Arabic, const char* English) {
    return {QString::fromUtf16(Arabic), QString::fromLatin1(English)};
}

// A signed value from a sign button (state 1 negative) and a magnitude cell.
int SignedValue(MScrollBitBtn* Sign, MNumEdit* Magnitude) {
    const int value = Magnitude->Value();
    return Sign->M_CaptionList().Index() == 1 ? -value : value;
}

} // namespace

QString MRFEPanel::StartPointHelp(bool Arabic) {
    if (Arabic)
        return QStringLiteral(
            "نقطة البداية لتغيير طول الغرزة:\n\rA0=خلف اللون\n\rA1=في وسط اللون\n\rA2=أمام اللون");
    return QStringLiteral(
        "Start point for stitch length change:\n\rA0=behind the color\n\rA1=in the center of "
        "the color\n\rA2=in front of the color");
}

MRFEPanel::MRFEPanel(QObject* Owner, MPopupPalette* PopupPalette, const MPalette* Palette, QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvFE>(), QSize(413, 28)) {
    MakeSelectButton(QRect(3, 3, 20, 21), QStringLiteral("FE"));
    MakeNumberCell(0, 0, QRect(28, 3, 23, 21), 2);
    MakeSignedValue(1, 100, 55, {QStringLiteral("B+"), QStringLiteral("B-")}, &MUnvFE::Difference,
                    FEHint(u"الفرق الكلي في طول الغرزة", "Total stitch length difference"),
                    DifferenceSignCell, DifferenceCell);
    VerticalStepCell = MakeNumEdit(
        3, 300, QRect(135, 3, 35, 21), 4,
        [this](QObject*) {
            if (!Loading())
                FE_Item().VerticalStep = VerticalStepCell->Value();
        },
        0xFFFFFF, CellFocusColor, FEHint(u"حجم الخطوة الرأسية", "Vertical step size"));
    HorizontalStepCell = MakeNumEdit(
        4, 400, QRect(190, 3, 35, 21), 4,
        [this](QObject*) {
            if (!Loading())
                FE_Item().HorizontalStep = HorizontalStepCell->Value();
        },
        0xFFFFFF, CellFocusColor, FEHint(u"حجم الخطوة الأفقية", "Horizontal step size"));
    StartPointCell = MakeScrollBitBtn(5, 500, QRect(231, 3, 25, 21), 3,
                                      [this](QObject*) {
                                          ColorButtons();
                                          if (!Loading())
                                              FE_Item().StartPoint =
                                                  std::uint8_t(StartPointCell->M_CaptionList().Index());
                                      },
                                      {StartPointHelp(true), StartPointHelp(false)});
    StartPointCell->M_CaptionList().SetCaptionList(
        {QStringLiteral("A0"), QStringLiteral("A1"), QStringLiteral("A2")});
    StartPointCell->M_CaptionList().ApplyCaption(true);
    MakeSignedValue(6, 600, 263, {QStringLiteral("O+"), QStringLiteral("O-")}, &MUnvFE::Offset,
                    FEHint(u"إدخال الإزاحة", "Offset Entry"), OffsetSignCell, OffsetCell);
    ColorsCell = MakeColorBox(
        8, 800, QRect(328, 3, 80, 21), TColorBoxLayout{6, 1, 10, 20}, Palette, PopupPalette,
        [this](QObject*) {
            if (!Loading())
                FE_Item().Colors.Assign(ColorsCell->ColorMap());
        },
        0xFFFFFF, CellFocusColor, FEHint(u"الألوان", "Colors"));
    const QFont labels = RowFont(rfNarrow, 16, true);
    MakeLabel(QRect(123, 3, 9, 20), QStringLiteral("S"), labels);
    MakeLabel(QRect(179, 3, 9, 20), QStringLiteral("N"), labels);
    ColorButtons();
    SetCellEvents();
}

void MRFEPanel::MakeSignedValue(int ID, int Tag, int Left, const QStringList& Captions,
                                std::int32_t MUnvFE::*Field, const TCellHint& Hint, MScrollBitBtn*& Sign,
                                MNumEdit*& Magnitude) {
    // Sign and Magnitude are the row's own fields: the handlers read them when they run.
    const auto write = [this, &Sign, &Magnitude, Field] {
        if (!Loading() && Sign && Magnitude)
            FE_Item().*Field = SignedValue(Sign, Magnitude);
    };
    Sign = MakeScrollBitBtn(
        ID, Tag, QRect(Left, 3, 25, 21), 2,
        [this, write](QObject*) {
            ColorButtons();
            write();
        },
        Hint);
    Sign->M_CaptionList().SetCaptionList(Captions);
    Sign->M_CaptionList().ApplyCaption(true);
    Magnitude = MakeNumEdit(
        ID + 1, Tag + 100, QRect(Left + 27, 3, 35, 21), 4, [write](QObject*) { write(); }, 0xFFFFFF,
        CellFocusColor, Hint);
}

void MRFEPanel::ColorButtons() {
    for (MScrollBitBtn* sign : {DifferenceSignCell, OffsetSignCell})
        if (sign)
            SetCaptionColor(sign, sign->M_CaptionList().Index() == 1 ? TColor(0xFF0000) : TColor(0x000000));
    static const TColor startColors[3] = {0x000000, 0x000080, 0x800080};
    if (StartPointCell)
        SetCaptionColor(StartPointCell,
                        startColors[std::clamp(StartPointCell->M_CaptionList().Index(), 0, 2)]);
}

void MRFEPanel::ShowCells() {
    const MUnvFE& fe = FE_Item();
    // The cells show magnitudes; while loading nothing is written back, so a module with a negative
    // step keeps it until the step is typed.
    DifferenceSignCell->M_CaptionList().SetIndex(fe.Difference < 0 ? 1 : 0);
    ShowCellValue(DifferenceCell, Magnitude(fe.Difference));
    ShowCellValue(VerticalStepCell, Magnitude(fe.VerticalStep));
    ShowCellValue(HorizontalStepCell, Magnitude(fe.HorizontalStep));
    StartPointCell->M_CaptionList().SetIndex(fe.StartPoint);
    OffsetSignCell->M_CaptionList().SetIndex(fe.Offset < 0 ? 1 : 0);
    ShowCellValue(OffsetCell, Magnitude(fe.Offset));
    ColorsCell->AssignColors(fe.Colors);
    // An index that does not change fires nothing: the colours are set here.
    ColorButtons();
}

void MRFEPanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    // Each letter steps its button round, as a click does.
    if (!RowLetterKey(WParam, {{'b', [this] { DifferenceSignCell->M_CaptionList().ScrollNext(); }},
                               {'o', [this] { OffsetSignCell->M_CaptionList().ScrollNext(); }},
                               {'a', [this] { StartPointCell->M_CaptionList().ScrollNext(); }}}))
        MRBasePanel::WMRowKey(WParam, LParam);
}

void MRFEPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                             bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    Accept = AcceptsKindRows(*this, Source) || AcceptsColorBox(Sender, Source);
}

void MRFEPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    if (!DropKindRows(*this, Source))
        DropColorBox(*this, Sender, Source);
}

void MRFEPanel::GetFieldHint(QWidget*, QString& Text) {
    Text.clear();
}

// ---- The FE list.

bool MRFEContainerPanel::ScrollsForSource(const TDragSource& Source) const {
    return Source.Container && IsSameKindContainer(*Source.Container);
}
