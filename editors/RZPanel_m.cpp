#include "editors/RZPanel_m.h"

#include "editors/CamBox_m.h"
#include "editors/CamPopupMenu_m.h"
#include "editors/ColorBox_M.h"
#include "editors/ModuleMenu.h"
#include "editors/MoukikMemo_m.h"
#include "editors/NumEdit_m.h"
#include "editors/PopPalette_m.h"
#include "editors/ZRules.h"
#include "model/UCamCodes.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "platform/Errors.h"
#include "ui/Image_m.h"
#include "ui/LanguagePack.h"
#include "ui/ScrollFlatBtn_m.h"
#include "ui/Speedbutton_m.h"
#include "ui/label_m.h"

#include <QStringList>

namespace {

constexpr TColor ZFocusColor = 0xF0C8F0;
constexpr TColor ZColorA = 0xFFFFC8;
constexpr TColor ZColorB = 0xC8C800;
constexpr TColor ZWhite = 0xFFFFFF;

// The kinds of the per-slot and per-system cells, written kind by kind.
enum { zkLG, zkKNF, zkLine, zkTying, zkCam, zkUnipress, zkNetRearFlag, zkNetRear };

// Gives a flat button its captions and shows the current one.
void SetCaptions(MScrollFlatBtn* Button, const QStringList& List) {
    Button->M_CaptionList().SetCaptionList(List);
    Button->M_CaptionList().ApplyCaption(true);
}

QStringList Captions(std::initializer_list<const char*> List) {
    QStringList l;
    for (const char* c : List)
        l << QString::fromLatin1(c);
    return l;
}

TCellHint ZHint(const char16_t* Arabic, const char* English) {
    return {QString::fromUtf16(Arabic), QString::fromLatin1(English)};
}

// A byte field written from a cell: 0..255, else the range error (the field keeps its value).
std::uint8_t ByteOf(int Value) {
    CheckRange(Value, 0, 255, "byte");
    return std::uint8_t(Value);
}

// Writes a flat button's caption index into its byte field unless the button shows the field as it
// stands: a byte past the captions (shown as the last one) stays while the kind's other cells are
// edited.
void WriteIndex(std::uint8_t& Field, MScrollFlatBtn* Button) {
    const MCaptionList& captions = Button->M_CaptionList();
    if (captions.Index() != std::clamp(int(Field), captions.MinIndex(), captions.MaxIndex()))
        Field = ByteOf(captions.Index());
}

const MCamBox* AsCamBox(const QObject* W) {
    return qobject_cast<const MCamBox*>(W);
}

// The name up to its first "_"; empty for an unnamed cell.
QString NameStem(const QWidget* W) {
    if (!W)
        return {};
    const QString name = W->objectName();
    const int cut = name.indexOf(u'_');
    return cut < 0 ? QString() : name.left(cut);
}

const char* const CamHintsEnglish[26] = {
    "JA = Jacquard off",
    "JR = Jacquard stitches",
    "JF = Jacquard tuck",
    "JU = Jacquard delivering",
    "JN = Jacquard receiving",
    "JFK = Jacquard short tuck loops",
    "JR+FK = Jacquard stitches and short tuck loops",
    "JU+JN = Jacquard delivering and Jacquard receiving",
    "JR+JF = Jacquard stitches and Jacquard tuck loops",
    "JRLK = Jacquard short and long stitches",
    "JRK = Jacquard short stitches",
    "NA = Receiving with automatic needle assignment",
    "JU+NA = Jacquard delivering and receiving with automatic needle assignment",
    "A = out of operation",
    "RR = Stitches RR",
    "F = Tuck",
    "JURR = Delivering RR",
    "JNRR = Receiving RR",
    "1:1 = Stitches 1:1",
    "F1:1 = Tuck 1:1",
    "JU1:1 = Delivering 1:1",
    "JN1:1 = Receiving 1:1",
    "2:1 = Stitches 2:1",
    "F2:1 = Tuck 2:1",
    "JU2:1 = Delivering 2:1",
    "JN2:1 = Receiving 2:1",
};

const char16_t* const CamHintsArabic[26] = {
    u"JA = إيقاف الجاكارد",
    u"JR = غرز جاكارد",
    u"JF = تكميش جاكارد",
    u"JU = تسليم جاكارد",
    u"JN = استلام جاكارد",
    u"JFK = عراوي تكميش قصيرة بالجاكارد",
    u"JR+FK = غرز جاكارد وعراوي تكميش قصيرة",
    u"JU+JN = تسليم واستلام جاكارد",
    u"JR+JF = غرز جاكارد وعراوي تكميش جاكارد",
    u"JRLK = غرز جاكارد قصيرة وطويلة",
    u"JRK = غرز جاكارد قصيرة",
    u"NA = استلام مع توزيع آلي للإبر",
    u"JU+NA = تسليم واستلام جاكارد مع توزيع آلي للإبر",
    u"A = خارج العمل",
    u"RR = غرز RR",
    u"F = تكميش",
    u"JURR = تسليم RR",
    u"JNRR = استلام RR",
    u"1:1 = غرز 1:1",
    u"F1:1 = تكميش 1:1",
    u"JU1:1 = تسليم 1:1",
    u"JN1:1 = استلام 1:1",
    u"2:1 = غرز 2:1",
    u"F2:1 = تكميش 2:1",
    u"JU2:1 = تسليم 2:1",
    u"JN2:1 = استلام 2:1",
};

const char* const NetRearCaptions[] = {"",   "*",  "A1", "A2", "A3", "B1", "B2", "B3", "C1", "C2",
                                       "C3", "D1", "D2", "D3", "E1", "E2", "E3", "F1", "F2", "F3"};

const char* const TakeDownHint = "Upper fabric take-down\n\rWA =entered  value is the maximum take-down "
                                 "speed (Torque = 100%)\n\rWA*=entered  "
                                 "value is the maximum take-down torque(Speed= 100%) ";
const char* const LowerTakeDownHint = "Lower fabric take-down\n\rWA =entered  value is the maximum take-down "
                                      "speed (Torque = 100%)\n\rWA*=entered  "
                                      "value is the maximum take-down torque(Speed= 100%)";

} // namespace

QString MRZPanel::CamHint(int Code, bool Arabic) {
    if (Code < 1 || Code > 26)
        return {};
    return Arabic ? QString::fromUtf16(CamHintsArabic[Code - 1])
                  : QString::fromLatin1(CamHintsEnglish[Code - 1]);
}

// ---- Construction.

MRZPanel::MRZPanel(QObject* Owner, int SysCount, int SysType, const MPalette* Palette,
                   MPopupPalette* PopupPalette, MCamPopupMenu* CamPopupMenu1, MCamPopupMenu* CamPopupMenu2,
                   QWidget* Parent)
    : MRBasePanel(Owner, Parent, std::make_unique<MUnvZ>(), QSize(58 * std::clamp(SysCount, 1, 4) + 192, 218),
                  ZFocusColor),
      FSysCount(std::clamp(SysCount, 1, 4)), FSysType(SysType), FCamMenu(CamPopupMenu1) {
    Q_UNUSED(CamPopupMenu2);
    SelectedColor = 0x00FF00;
    SideColumns = 2;
    ColumnSpan = 2;
    FixRowGeometry(this);
    // The cells need the palettes while they are built.
    FPalette = Palette;
    FPopupPalette = PopupPalette;
    BuildCommonPart();
    for (int i = 0; i < FSysCount; ++i)
        BuildSystemColumn(FSysCount - 1 - i, QPoint(63 + 58 * i, 3), 1 + 3 * i);
    BuildMachinePart(QPoint(63 + 58 * FSysCount, 3), 1 + 3 * FSysCount);
    if (HasCamAllowLists(FSysType)) {
        for (int slot : {0, 1, 6, 7})
            if (TyingCells[std::size_t(slot)])
                TyingCells[std::size_t(slot)]->hide();
        for (int s : {0, 3}) {
            if (NetRearFlagCells[std::size_t(s)])
                NetRearFlagCells[std::size_t(s)]->hide();
            if (NetRearCells[std::size_t(s)])
                NetRearCells[std::size_t(s)]->hide();
        }
    }
    SetCellEvents();
    ShowArrows(0);
}

void MRZPanel::BuildCommonPart() {
    const QPoint o(3, 3);
    auto at = [&](int X, int Y, int W, int H) { return QRect(o.x() + X, o.y() + Y, W, H); };
    const QFont labelFont = RowFont(rfCourier, 11, true);
    LeftBackground = MakeImage(QStringLiteral("Z_L_256.bmp"), at(0, 0, 60, 214), false, 0);
    RightArrow = MakeImage(QStringLiteral("ZRarrow2.bmp"), at(1, 123, 52, 20), true, ZWhite);
    LeftArrow = MakeImage(QStringLiteral("ZLarrow2.bmp"), at(1, 123, 52, 20), true, ZWhite);
    LeftArrow->hide();
    const struct {
        const char* Caption;
        int X, Y;
    } labels[] = {{"FF", 17, 6},  {"LG", 33, 38},   {"KNF", 27, 65}, {"FS", 7, 83},
                  {"FS", 7, 149}, {"KNF", 27, 169}, {"LG", 33, 193}};
    for (const auto& l : labels)
        MakeLabel(at(l.X, l.Y, qstrlen(l.Caption) == 3 ? 28 : 19, 13), QString::fromLatin1(l.Caption),
                  labelFont);
    MakeSelectButton(at(3, 102, 18, 18), QStringLiteral("Z"));
    YarnBlowerCell = MakeFlatButton(
        FNextID++, 0, at(43, 0, 15, 16), 2, false, false, 0, 0, nullptr, nullptr,
        ZHint(u"مروحة إدخال الخيط (* تعمل)", "Blower unit for yarn insertion (* Switched on)"));
    SetCaptions(YarnBlowerCell, Captions({"", "*"}));
    CleaningBlowerCell = MakeFlatButton(
        FNextID++, 1, at(43, 16, 15, 16), 2, false, false, 0, 0, nullptr,
        [this](QObject*) {
            if (!Loading())
                Z_Item().BlowerCleaning = ByteOf(CleaningBlowerCell->M_CaptionList().Index());
        },
        ZHint(u"مروحة التنظيف (* تعمل)", "Blower unit for Cleaning (* Switched on)"));
    SetCaptions(CleaningBlowerCell, Captions({"", "*"}));
    // The static stitch lengths above and below the number, each written into its own field.
    auto fsCell = [&](int Tag, int Top, std::uint8_t MUnvZ::*Field) {
        return MakeNumEdit(
            FNextID++, Tag, at(30, Top, 23, 16), 2,
            [this, Field](QObject* Cell) {
                if (!Loading())
                    Z_Item().*Field = ByteOf(static_cast<MNumEdit*>(Cell)->Value());
            },
            ZWhite, CellFocusColor, ZHint(u"طول الغرزة الثابت", "Static stitch length"));
    };
    UpperFSCell = fsCell(3, 82, &MUnvZ::FSFront);
    MakeNumberCell(FNextID++, 5, at(22, 102, 35, 18), 4,
                   [this](QObject*) { ShowArrows(NumberCell->Value()); });
    LowerFSCell = fsCell(7, 147, &MUnvZ::FSRear);
}

void MRZPanel::BuildSystemColumn(int s, QPoint o, int T) {
    auto at = [&](int X, int Y, int W, int H) { return QRect(o.x() + X, o.y() + Y, W, H); };
    const std::size_t si = std::size_t(s);
    const TColor a = s % 2 == 0 ? ZColorA : ZColorB;
    const TColor b = s % 2 == 0 ? ZColorB : ZColorA;
    const QString sys = QString::number(s);
    const TColorBoxLayout boxes{5, 2, 10, 20};
    auto slotWriter = [this](int Kind) { return [this, Kind](QObject*) { WriteSlots(Kind); }; };
    auto buttonWriter = [this](int Kind) { return [this, Kind](QObject*) { WriteSystemButtons(Kind); }; };

    HeaderCells[si] = MakePanel(at(34, 0, 24, 16), QStringLiteral("O"), nullptr);
    HeaderCells[si]->setObjectName(QStringLiteral("P_") + sys);
    CarrierCells[si] = MakeMoukikMemo(
        FNextID++, (T + 1) * 100, at(0, 0, 34, 32), 8, [this](QObject*) { WriteCarriers(true); }, a,
        CellFocusColor, ZHint(u"أرقام مغذيات الخيط", "Yarn carrier numbers"));
    CarrierCells[si]->setObjectName(QStringLiteral("MoukikMemo_") + sys);
    OffsetCells[si] = MakeFlatButton(
        FNextID++, (T + 2) * 100, at(34, 16, 24, 16), 9, true, false, 0, 0, nullptr,
        [this](QObject*) { WriteCarriers(false); }, ZHint(u"إزاحة مغذي الخيط", "Yarn carrier offset"));
    SetCaptions(OffsetCells[si], Captions({"", "1", "2", "3", "4", "5", "6", "7", "8"}));
    OffsetCells[si]->setObjectName(QStringLiteral("OScrlBtn_") + sys);

    // The rear bed (slot 2s + 1) above, the front bed (slot 2s) below.
    struct TSlotCells {
        int Slot;
        int LGTop, KNFTop, LineTop, CamTop;
        int LGLine, KNFLine, LineLine, CamLine;
        TCellHint Tying, Line, Cam;
    };
    const TSlotCells beds[2] = {
        {2 * s + 1, 32, 57, 82, 98, 1, 2, 3, 4,
         ZHint(u"ربط إنترسيا آلي\n\r^ = قبل اللون في الخلف\n\rv = قبل اللون في الأمام",
               "Automatic Intarzia tying\n\r^ = Before color on the rear\n\rv =Before color on the front"),
         ZHint(u"سطر Y في مسودة النقشة", "Y-Line of the pattern draft"),
         ZHint(u"وظيفة الكامة الخلفية", "Rear cam function")},
        {2 * s, 187, 162, 146, 130, 9, 8, 7, 6,
         ZHint(u"ربط إنترسيا آلي\n\r^ = قبل اللون في الخلف\n\rv = قبل اللون في الأمام",
               "Automatic Intarzia tying\n\r^= Before color on the rear\n\rv= Before color on the front"),
         ZHint(u"سطر Y في مسودة النقشة", "Y-Line of the pattern Draft"),
         ZHint(u"وظيفة الكامة الأمامية", "Front cam function")},
    };
    const TCellHint lgHint = ZHint(u"لون الغرز الطويلة أو التسليم", "Color of long stitches or delivering");
    const TCellHint knfHint = ZHint(u"لون الغرز القصيرة أو الاستلام", "Color of short stitches or receiving");
    for (const TSlotCells& bed : beds) {
        const std::size_t i = std::size_t(bed.Slot);
        const QString slot = QString::number(bed.Slot);
        // The cells are made top to bottom; their Tags say their lines.
        auto makeLG = [&] {
            LGCells[i] = MakeColorBox(FNextID++, (T + 2) * 100 + bed.LGLine, at(0, bed.LGTop, 58, 25), boxes,
                                      FPalette, FPopupPalette, slotWriter(zkLG), a, CellFocusColor, lgHint);
            LGCells[i]->setObjectName(QStringLiteral("LGColor_") + slot);
        };
        auto makeKNF = [&] {
            KNFCells[i] =
                MakeColorBox(FNextID++, (T + 2) * 100 + bed.KNFLine, at(0, bed.KNFTop, 58, 25), boxes,
                             FPalette, FPopupPalette, slotWriter(zkKNF), b, CellFocusColor, knfHint);
            KNFCells[i]->setObjectName(QStringLiteral("KNFColor_") + slot);
        };
        auto makeLine = [&] {
            TyingCells[i] =
                MakeFlatButton(FNextID++, (T + 1) * 100 + bed.LineLine, at(0, bed.LineTop, 17, 16), 3, true,
                               false, 0, 0, nullptr, slotWriter(zkTying), bed.Tying);
            SetCaptions(TyingCells[i], Captions({"", "^", "v"}));
            TyingCells[i]->setObjectName(QStringLiteral("PtrnBtn_") + slot);
            PatternCells[i] =
                MakeNumEdit(FNextID++, (T + 2) * 100 + bed.LineLine, at(17, bed.LineTop, 41, 16), 4,
                            slotWriter(zkLine), b, CellFocusColor, bed.Line);
            PatternCells[i]->setObjectName(QStringLiteral("PtrnLine_") + slot);
        };
        auto makeCam = [&] {
            CamCells[i] = MakeCamBox(
                FNextID++, (T + 2) * 100 + bed.CamLine, at(0, bed.CamTop, 58, 16), slotWriter(zkCam),
                [this](QObject* Sender) { PrepareCamMenu(CamSlotOf(Sender)); }, FCamMenu, nullptr, b,
                CellFocusColor, bed.Cam);
            CamCells[i]->setObjectName(QStringLiteral("CamBox_") + slot);
        };
        if (bed.Slot % 2 == 1) {
            makeLG();
            makeKNF();
            makeLine();
            makeCam();
        } else {
            // Unipress and net rear stand between the two beds.
            UnipressCells[si] =
                MakeFlatButton(FNextID++, T * 100 + 5, at(0, 114, 17, 16), 2, true, false, 0, 0, nullptr,
                               buttonWriter(zkUnipress), ZHint(u"يونيبرس", "Unipress"));
            SetCaptions(UnipressCells[si], Captions({"", "--"}));
            UnipressCells[si]->setObjectName(QStringLiteral("BlowerBtn_") + sys);
            NetRearFlagCells[si] =
                MakeFlatButton(FNextID++, (T + 1) * 100 + 5, at(17, 114, 17, 16), 2, true, false, 0, 0,
                               nullptr, buttonWriter(zkNetRearFlag),
                               ZHint(u"الشبكة الخلفية (v = في الأمام)", "Net rear (v= in the front)"));
            SetCaptions(NetRearFlagCells[si], Captions({"", "v"}));
            NetRearFlagCells[si]->setObjectName(QStringLiteral("NetBackFlagBtn_") + sys);
            NetRearCells[si] =
                MakeFlatButton(FNextID++, (T + 2) * 100 + 5, at(34, 114, 24, 16), NetRearChoiceCount, true,
                               false, 0, 0, nullptr, buttonWriter(zkNetRear),
                               ZHint(u"الشبكة الخلفية\n\r* = حسب الحاجة\n\rA1:F3 = آلي حسب الاختيار",
                                     "Net rear\n\r*=As required \n\rA1:F3=Automatic as selection"));
            QStringList net;
            for (const char* c : NetRearCaptions)
                net << QString::fromLatin1(c);
            SetCaptions(NetRearCells[si], net);
            NetRearCells[si]->setObjectName(QStringLiteral("NetBackBtn_") + sys);
            makeCam();
            makeLine();
            makeKNF();
            makeLG();
        }
    }
}

void MRZPanel::BuildMachinePart(QPoint o, int G) {
    auto at = [&](int X, int Y, int W, int H) { return QRect(o.x() + X, o.y() + Y, W, H); };
    const QFont labelFont = RowFont(rfCourier, 11, true);
    RightBackground = MakeImage(QStringLiteral("Z_R_256.bmp"), at(0, 0, 126, 214), false, 0);
    const struct {
        const char* Caption;
        int X, Y, W, H;
    } labels[] = {{"PR", 8, 4, 19, 13},      {"%", 77, 6, 10, 13},    {"%", 77, 23, 10, 13},
                  {"HV", 2, 51, 19, 13},     {"UV", 2, 68, 19, 13},   {"TZ", 23, 116, 19, 13},
                  {"%", 96, 98, 10, 13},     {"%", 96, 117, 10, 13},  {"%", 96, 135, 10, 13},
                  {"FD", 4, 160, 19, 13},    {"PA", 82, 161, 19, 13}, {"JV", 82, 177, 19, 13},
                  {"H\r\nF", 2, 181, 10, 26}};
    for (const auto& l : labels)
        MakeLabel(at(l.X, l.Y, l.W, l.H), QString::fromLatin1(l.Caption), labelFont);

    // A flat button of the part: not flat, its captions, its handler.
    auto button = [&](int Tag, QRect Bounds, QStringList List, TNotifyEvent OnIndexChange,
                      const TCellHint& H) {
        MScrollFlatBtn* b = MakeFlatButton(FNextID++, Tag, Bounds, int(List.size()), false, false, 0, 0,
                                           nullptr, OnIndexChange, H);
        SetCaptions(b, List);
        return b;
    };
    auto number = [&](int Tag, QRect Bounds, int Digits, bool Signed, TNotifyEvent OnChange,
                      const TCellHint& H) {
        return Signed ? MakeSignedNumEdit(FNextID++, Tag, Bounds, Digits, OnChange, ZWhite, CellFocusColor,
                                          true, H)
                      : MakeNumEdit(FNextID++, Tag, Bounds, Digits, OnChange, ZWhite, CellFocusColor, H);
    };
    auto write = [this](auto Write) {
        return [this, Write](QObject*) {
            if (!Loading())
                Write(Z_Item());
        };
    };

    const TCellHint wa1Hint =
        ZHint(u"سحب القماش العلوي\n\rWA = القيمة هي أقصى سرعة سحب (العزم = 100%)\n\rWA* = "
              u"القيمة هي أقصى عزم سحب (السرعة = 100%)",
              TakeDownHint);
    TCellHint wa1ValueHint = wa1Hint;
    wa1ValueHint.English.chop(1);
    PRCell =
        number((G + 3) * 100, at(34, 3, 42, 16), 3, true, write([this](MUnvZ& z) { z.PR = PRCell->Value(); }),
               ZHint(u"ضغط سحب القماش العلوي", "Pressure of upper fabric take-down"));
    WA1ModeCell = button(
        (G + 2) * 100 + 1, at(1, 21, 33, 16), Captions({"WA", "WA*"}),
        write([this](MUnvZ& z) { z.WA1.Mode = ByteOf(WA1ModeCell->M_CaptionList().Index()); }), wa1Hint);
    WA1ValueCell = number((G + 3) * 100 + 1, at(34, 21, 42, 16), 3, true,
                          write([this](MUnvZ& z) { z.WA1.Value = WA1ValueCell->Value(); }), wa1ValueHint);

    const int rackTags[2][4] = {{G * 100 + 2, (G + 1) * 100 + 2, G * 100 + 3, (G + 1) * 100 + 3},
                                {(G + 2) * 100 + 2, (G + 3) * 100 + 2, (G + 2) * 100 + 3, (G + 3) * 100 + 3}};
    const int rackX[2][4] = {{25, 40, 25, 47}, {78, 93, 78, 100}};
    const TCellHint rackHints[2][3] = {
        {ZHint(u"اتجاه الإزاحة الرئيسية", "Main racking direction"),
         ZHint(u"موضع الإزاحة الرئيسية", "Main racking position"),
         ZHint(u"موضع النقل للإزاحة الرئيسية\n\rG = موضع البداية\n\rU1 = نقل + حياكة\n\rU2 = نقل",
               "Transfer position for main racking\n\rG = Start position \n\rU1=transferring + "
               "knitting\n\rU2= transferring")},
        {ZHint(u"اتجاه الإزاحة الوسطى", "Center racking direction"),
         ZHint(u"موضع الإزاحة الوسطى", "Center racking position"),
         ZHint(u"موضع النقل للإزاحة الوسطى", "Transfer position for center racking")}};
    const TCellHint correctionHint = ZHint(u"جدول تصحيح موضع النقل", "Transfer position correction table");
    for (int k = 0; k < 2; ++k) {
        const std::size_t ki = std::size_t(k);
        RackDirectionCells[ki] = button(
            rackTags[k][0], at(rackX[k][0], 51, 15, 16), Captions({"", "R", "L"}),
            [this, k](QObject*) { RackingCellChanged(k, reDirection); }, rackHints[k][0]);
        RackPositionCells[ki] = number(
            rackTags[k][1], at(rackX[k][1], 51, 28, 16), 2, false,
            [this, k](QObject*) { RackingCellChanged(k, rePosition); }, rackHints[k][1]);
        TransferCells[ki] = button(
            rackTags[k][2], at(rackX[k][2], 68, 22, 16), Captions({"", "G", "U1", "U2"}),
            [this, k](QObject*) { RackingCellChanged(k, reTransfer); }, rackHints[k][2]);
        CorrectionCells[ki] = button(
            rackTags[k][3], at(rackX[k][3], 68, 22, 16), Captions({"", "K1", "K2"}),
            [this, k](QObject*) { RackingCellChanged(k, reCorrection); }, correctionHint);
    }

    const TCellHint wa2Hint =
        ZHint(u"سحب القماش السفلي\n\rWA = القيمة هي أقصى سرعة سحب (العزم = 100%)\n\rWA* = "
              u"القيمة هي أقصى عزم سحب (السرعة = 100%)",
              LowerTakeDownHint);
    WA2ModeCell = button(
        (G + 1) * 100 + 4, at(2, 96, 33, 16), Captions({"WA", "WA*"}),
        write([this](MUnvZ& z) { z.WA2.Mode = ByteOf(WA2ModeCell->M_CaptionList().Index()); }), wa2Hint);
    WA2StepCell =
        button((G + 2) * 100 + 4, at(35, 96, 15, 16), Captions({"", "R", "^", "v"}),
               write([this](MUnvZ& z) { z.WA2.Step = ByteOf(WA2StepCell->M_CaptionList().Index()); }),
               ZHint(u"السحب السفلي\n\r^ = زيادة قوة السحب 1%\n\rv = إنقاص قوة السحب 1%\n\rR = قيمة السحب "
                     u"نسبة إلى عدد الإبر العاملة",
                     "Lower  take-down \n\r^= Increase take-down force by 1%\n\rv= Decrease  take-down force "
                     "by 1%\n\rR= take-down value relative to the number of needle in use"));
    WA2ValueCell = number((G + 3) * 100 + 4, at(51, 96, 42, 16), 3, true,
                          write([this](MUnvZ& z) { z.WA2.Value = WA2ValueCell->Value(); }), wa2Hint);
    SpeedCell = MakeSignedNumEdit(FNextID++, (G + 3) * 100 + 5, at(51, 114, 42, 16), 3,
                                  write([this](MUnvZ& z) { z.TZ = ByteOf(SpeedCell->Value()); }), ZWhite,
                                  CellFocusColor, true, ZHint(u"سرعة العربة", "Carriage speed"));
    SpeedCell->SetSigned(false);
    const TCellHint pbHint = ZHint(u"تجاوز نبضة السحب", "Take-down pulse overshot");
    PBModeCell =
        button((G + 2) * 100 + 6, at(2, 132, 48, 16), Captions({"PB", "PB^", "PB*"}),
               write([this](MUnvZ& z) { z.PB.Mode = ByteOf(PBModeCell->M_CaptionList().Index()); }), pbHint);
    PBValueCell = number((G + 3) * 100 + 6, at(51, 132, 42, 16), 3, true,
                         write([this](MUnvZ& z) { z.PB.Value = PBValueCell->Value(); }), pbHint);
    FDCell = number((G + 1) * 100 + 7, at(26, 159, 22, 16), 2, false,
                    write([this](MUnvZ& z) { z.FD = ByteOf(FDCell->Value()); }),
                    ZHint(u"طول الغرزة المتغير", "Dynamic stitch length"));
    FDMirrorCell = button(
        (G + 2) * 100 + 7, at(49, 159, 15, 16), Captions({"", "R", "*"}), write([this](MUnvZ& z) {
            static const std::uint8_t codes[3] = {0, 64, 128};
            z.FDMirror = codes[std::clamp(FDMirrorCell->M_CaptionList().Index(), 0, 2)];
        }),
        ZHint(u"* = عكس طول الغرزة المتغير\n\rR = عكس طول الغرزة المتغير في الاتجاه الأيمن",
              "*= Mirror dynamic stitch length \n\rR= Mirror dynamic stitch length in the right dir."));
    PACell = button((G + 3) * 100 + 7, at(102, 159, 15, 16), Captions({"", "1", "0"}),
                    write([this](MUnvZ& z) { z.PA = ByteOf(PACell->M_CaptionList().Index()); }),
                    ZHint(u"تحديد موضع مغذي الخيط آليا (0 = إيقاف 1 = تشغيل)",
                          "Automatic yarn carrier positioning (0=off 1=on)"));
    JVCell = button((G + 3) * 100 + 8, at(102, 175, 15, 16), Captions({"", "1", "0"}),
                    write([this](MUnvZ& z) { z.JV = ByteOf(JVCell->M_CaptionList().Index()); }),
                    ZHint(u"إزاحة الجاكارد (0 = إيقاف 1 = تشغيل)", "Jacquard racking (0=off 1=on)"));
    FDColorsCell = MakeColorBox(
        FNextID++, (G + 1) * 100 + 9, at(14, 182, 58, 25), TColorBoxLayout{5, 2, 10, 20}, FPalette,
        FPopupPalette, write([this](MUnvZ& z) { z.FDColors.Assign(FDColorsCell->ColorMap()); }), ZWhite,
        CellFocusColor,
        ZHint(u"لون الخلفية لطول الغرزة المتغير", "Background color for Dynamic stitch length"));
    STCell = button((G + 3) * 100 + 9, at(81, 191, 36, 16), Captions({"", "ST"}),
                    write([this](MUnvZ& z) { z.ST = ByteOf(STCell->M_CaptionList().Index()); }),
                    ZHint(u"عداد القطع", "Piece counter"));
}

// ---- Showing.

void MRZPanel::ShowArrows(int Number) {
    const bool right = Number == 0 || Number % 2 != 0;
    RightArrow->setVisible(right);
    LeftArrow->setVisible(!right);
}

void MRZPanel::ShowCells() {
    const MUnvZ& z = Z_Item();
    auto number = [](MNumEdit* Cell, int Value, bool BlankZero) {
        if (BlankZero && Value == 0)
            Cell->clear();
        else
            ShowCellValue(Cell, Value);
    };
    auto index = [](MScrollFlatBtn* B, int Value) { B->M_CaptionList().SetIndex(Value); };
    ShowArrows(z.Number);
    // A module that cannot be shown whole ends the fill; the cells shown so far stay.
    try {
        for (int s = 0; s < FSysCount; ++s) {
            const std::size_t si = std::size_t(s);
            CarrierCells[si]->SetBitsMap(z.Carriers[si]);
            index(OffsetCells[si], z.Carriers[si].Value);
        }
        for (int i = 0; i < 2 * FSysCount; ++i) {
            const std::size_t ii = std::size_t(i);
            LGCells[ii]->AssignColors(z.LG[ii]);
            KNFCells[ii]->AssignColors(z.KNF[ii]);
            number(PatternCells[ii], z.PatternLine[ii], false);
            index(TyingCells[ii], z.Tying[ii]);
            CamCells[ii]->SetValue(z.CamCode[ii]);
        }
        for (int s = 0; s < FSysCount; ++s) {
            const std::size_t si = std::size_t(s);
            index(UnipressCells[si], z.Unipress[si]);
            index(NetRearFlagCells[si], z.NetRearFront[si]);
            index(NetRearCells[si], z.GetNetRear(s));
        }
        number(PRCell, z.PR, false);
        index(WA1ModeCell, z.WA1.Mode);
        number(WA1ValueCell, z.WA1.Value, false);
        for (int k = 0; k < 2; ++k) {
            const MZRacking& r = z.Racking[std::size_t(k)];
            ShowRacking(k, RackingGroupOf(r.Position, r.Transfer, r.Correction));
        }
        FDColorsCell->AssignColors(z.FDColors);
        index(FDMirrorCell, z.FDMirror == 64 ? 1 : z.FDMirror == 128 ? 2 : 0);
        index(WA2ModeCell, z.WA2.Mode);
        index(WA2StepCell, z.WA2.Step);
        number(WA2ValueCell, z.WA2.Value, false);
        number(SpeedCell, z.TZ, false);
        index(PBModeCell, z.PB.Mode);
        number(PBValueCell, z.PB.Value, false);
        number(FDCell, z.FD, true);
        index(PACell, z.PA);
        index(JVCell, z.JV);
        index(STCell, z.ST);
        number(UpperFSCell, z.FSFront, true);
        number(LowerFSCell, z.FSRear, true);
        index(CleaningBlowerCell, z.BlowerCleaning);
    } catch (const std::exception&) {
    }
}

TRackingGroup MRZPanel::RackingOf(int K) const {
    const std::size_t k = std::size_t(K);
    TRackingGroup g;
    g.Direction = RackDirectionCells[k]->M_CaptionList().Index();
    g.DirectionMin = RackDirectionCells[k]->M_CaptionList().MinIndex();
    g.PositionBlank = RackPositionCells[k]->text().isEmpty();
    g.Position = RackPositionCells[k]->Value();
    g.Transfer = TransferCells[k]->M_CaptionList().Index();
    g.Correction = CorrectionCells[k]->M_CaptionList().Index();
    return g;
}

void MRZPanel::ShowRacking(int K, const TRackingGroup& Group) {
    const std::size_t k = std::size_t(K);
    const bool busy = FRackingBusy;
    FRackingBusy = true;
    MCaptionList& dir = RackDirectionCells[k]->M_CaptionList();
    dir.SetMinIndex(0);
    dir.SetIndex(Group.Direction);
    dir.SetMinIndex(Group.DirectionMin);
    if (Group.PositionBlank)
        RackPositionCells[k]->clear();
    else if (RackPositionCells[k]->text().isEmpty() || RackPositionCells[k]->Value() != Group.Position)
        ShowCellValue(RackPositionCells[k], Group.Position);
    TransferCells[k]->M_CaptionList().SetIndex(Group.Transfer);
    CorrectionCells[k]->M_CaptionList().SetIndex(Group.Correction);
    FRackingBusy = busy;
}

void MRZPanel::RackingCellChanged(int K, int Event) {
    if (FRackingBusy || Loading())
        return;
    const TRackingGroup g = RackingChanged(RackingOf(K), TRackingEvent(Event));
    ShowRacking(K, g);
    MZRacking& r = Z_Item().Racking[std::size_t(K)];
    r.Position = RackingValue(g);
    r.Transfer = ByteOf(g.Transfer);
    r.Correction = ByteOf(g.Correction);
}

// ---- Writing the per-system and per-slot cells. A cell that shows its field as it stands leaves
// it alone, so that a value the cell cannot show (a pattern line past four digits, an offset past 8,
// a net-rear code without a caption) stays in the module until that cell itself is edited.

void MRZPanel::WriteCarriers(bool Sets) {
    if (Loading())
        return;
    MUnvZ& z = Z_Item();
    for (int s = 0; s < FSysCount; ++s) {
        const std::size_t si = std::size_t(s);
        // The memo gives the set and keeps the value byte; the offset button gives the byte.
        if (Sets)
            z.Carriers[si].Assign(CarrierCells[si]->GetBitsMap());
        else
            WriteIndex(z.Carriers[si].Value, OffsetCells[si]);
    }
}

void MRZPanel::WriteSlots(int Kind) {
    if (Loading())
        return;
    MUnvZ& z = Z_Item();
    for (int i = 0; i < 2 * FSysCount; ++i) {
        const std::size_t ii = std::size_t(i);
        switch (Kind) {
        case zkLG:
            z.LG[ii].Assign(LGCells[ii]->ColorMap());
            break;
        case zkKNF:
            z.KNF[ii].Assign(KNFCells[ii]->ColorMap());
            break;
        case zkLine:
            if (PatternCells[ii]->Value() != ShownCellValue(PatternCells[ii], z.PatternLine[ii]))
                z.PatternLine[ii] = PatternCells[ii]->Value();
            break;
        case zkTying:
            WriteIndex(z.Tying[ii], TyingCells[ii]);
            break;
        default:
            z.CamCode[ii] = ByteOf(CamCells[ii]->Value());
            break;
        }
    }
}

void MRZPanel::WriteSystemButtons(int Kind) {
    if (Loading())
        return;
    MUnvZ& z = Z_Item();
    for (int s = 0; s < FSysCount; ++s) {
        const std::size_t si = std::size_t(s);
        if (Kind == zkUnipress)
            WriteIndex(z.Unipress[si], UnipressCells[si]);
        else if (Kind == zkNetRearFlag)
            WriteIndex(z.NetRearFront[si], NetRearFlagCells[si]);
        else if (const int index = NetRearCells[si]->M_CaptionList().Index(); index != z.GetNetRear(s))
            z.SetNetRear(s, index);
    }
}

// ---- Cam rules.

std::vector<int> MRZPanel::CamCodes() const {
    std::vector<int> codes;
    for (int i = 0; i < 2 * FSysCount; ++i)
        codes.push_back(CamCells[std::size_t(i)]->Value());
    return codes;
}

int MRZPanel::CamFamilyMode(int Slot) const {
    return ::CamFamilyMode(CamCodes(), Slot);
}

int MRZPanel::RowCamFamilyMode() const {
    return ::RowCamFamilyMode(CamCodes());
}

int MRZPanel::CamSlotOf(const QObject* Cell) const {
    for (int i = 0; i < 2 * FSysCount; ++i)
        if (CamCells[std::size_t(i)] == Cell)
            return i;
    return -1;
}

void MRZPanel::PrepareCamMenu(int Slot) {
    if (!FCamMenu || Slot < 0 || Slot >= 2 * FSysCount)
        return;
    ApplyCamMenuPlan(*FCamMenu, ::PrepareCamMenu(CamCodes(), Slot, FSysType, NumberCell->Value()));
}

// ---- Storing.

bool MRZPanel::ApplyEntry() {
    MRContainerPanel* c = Container();
    if (!c || c->WindowIndex() != wiZ || Locked)
        return false;
    // Cam completion: a row of one family fills its blank cams with that family's neutral code, where
    // the other bed of the system takes it (the cells' handlers write it); the first family's also
    // gets pattern line 1 when it had none, the second family's pattern line 0.
    const std::vector<int> completed = CompletedCams(CamCodes());
    for (int i = 0; i < 2 * FSysCount; ++i) {
        const std::size_t ii = std::size_t(i);
        const int code = completed[ii];
        if (code == CamCells[ii]->Value())
            continue;
        CamCells[ii]->SetValue(code);
        if (code == camJA) {
            if (PatternCells[ii]->Value() == 0)
                PatternCells[ii]->SetValue(1);
        } else {
            PatternCells[ii]->SetValue(0);
        }
    }
    try {
        return StoreWorkItem();
    } catch (const MException& e) {
        if (e.Code < 5012 || e.Code > 5021 || !MessageBox)
            throw;
        if (MessageBox->ShowCodeMessage(e.Code, e.SubCode, e.Args, mbOK | mbIgnore) != mbIgnore)
            return false; // cancelled: the number cell has the focus, the bar stays off
        // Ignore: stored as it stands, the switch restored also when that fails.
        const MSwitchGuard unchecked(ListsAutoValidate, false);
        return StoreWorkItem(false);
    }
}

// ---- Keys.

void MRZPanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    const int key = CellKeyOf(WParam);
    if (CellKeyClassOf(WParam) == kcChar && (key == 'a' || key == 'A')) {
        const int tag = CellTagOf(LParam);
        if (tag >= 200) {
            const int line = tag % 100;
            if (line == 3 || line == 7)
                FillPatternLines(tag);
            else if (line == 4 || line == 6)
                FillCams(tag);
        }
        return;
    }
    MRBasePanel::WMRowKey(WParam, LParam);
}

namespace {

// The slot of the first Count cells whose cell has Tag; -1 for none.
template <class Cell, std::size_t N>
int SlotWithTag(const std::array<Cell*, N>& Cells, int Count, int Tag) {
    for (int i = 0; i < Count; ++i)
        if (WidgetTag(Cells[std::size_t(i)]) == Tag)
            return i;
    return -1;
}

// Gives the value of the cell at Slot to the same bed's cells of systems First..Last, and to the
// other bed's too when that bed already held the value throughout.
template <class Cell, std::size_t N>
void SpreadValue(const std::array<Cell*, N>& Cells, int Slot, int First, int Last) {
    const int bed = Slot % 2;
    const int v = Cells[std::size_t(Slot)]->Value();
    bool same = true;
    for (int s = First; s <= Last; ++s)
        same = same && Cells[std::size_t(2 * s + bed)]->Value() == v;
    for (int s = First; s <= Last; ++s)
        for (int b = 0; b < 2; ++b)
            if (b == bed || same)
                Cells[std::size_t(2 * s + b)]->SetValue(v);
}

} // namespace

void MRZPanel::FillPatternLines(int Tag) {
    const int slot = SlotWithTag(PatternCells, 2 * FSysCount, Tag);
    if (slot < 0)
        return;
    SpreadValue(PatternCells, slot, 0, FSysCount - 1);
    WriteSlots(zkLine);
}

void MRZPanel::FillCams(int Tag) {
    const int slot = SlotWithTag(CamCells, 2 * FSysCount, Tag);
    if (slot < 0)
        return;
    // The 720 and 721 spread a cam over their middle systems only.
    int first = 0, last = FSysCount - 1;
    if (HasCamAllowLists(FSysType)) {
        if (slot < 2 || slot > 5)
            return;
        first = 1;
        last = FSysCount - 2;
    }
    SpreadValue(CamCells, slot, first, last);
    WriteSlots(zkCam);
}

// ---- Drops.

namespace {

// Like-to-like cells: colour boxes, carrier memos and cam boxes by kind; flat buttons, panels and
// number cells by kind and the same non-empty name stem.
bool CellsMatch(const QWidget* Source, const QWidget* Target) {
    if (!Source || !Target || Source == Target)
        return false;
    if (qobject_cast<const MColorBox*>(Source) || qobject_cast<const MMoukikMemo*>(Source) ||
        AsCamBox(Source))
        return Source->metaObject() == Target->metaObject();
    const bool sameKind =
        (qobject_cast<const MScrollFlatBtn*>(Source) && qobject_cast<const MScrollFlatBtn*>(Target)) ||
        (qobject_cast<const MNumEdit*>(Source) && qobject_cast<const MNumEdit*>(Target)) ||
        (Source->metaObject() == &MPanel::staticMetaObject &&
         Target->metaObject() == &MPanel::staticMetaObject);
    const QString stem = NameStem(Source);
    return sameKind && !stem.isEmpty() && stem == NameStem(Target);
}

// The number after the first two characters of a header's name; -1 when there is none.
int SystemOfHeader(const QWidget* Header) {
    bool ok = false;
    const int s = Header->objectName().mid(2).toInt(&ok);
    return ok ? s : -1;
}

} // namespace

void MRZPanel::CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                            bool& Accept) {
    MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
    MRContainerPanel* own = Container();
    Accept = false;
    if (MRContainerPanel* source = Source.Container) {
        if (!own)
            return;
        if (source == own)
            Accept = own->DragNumber != EntryNumber;
        else
            Accept = own->IsSameKindContainer(*source) || FromOwnProject(Source, wiFS) ||
                     FromOwnProject(Source, wiFD);
        return;
    }
    Accept = CellsMatch(Source.Cell, Sender);
}

void MRZPanel::CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) {
    MRBasePanel::CellDragDrop(Sender, Source, X, Y);
    MRContainerPanel* own = Container();
    if (MRContainerPanel* source = Source.Container) {
        if (!own)
            return;
        if (source == own) {
            if (own->DragNumber != EntryNumber)
                own->DragWithin(own->DragNumber, EntryNumber);
        } else if (own->IsSameKindContainer(*source)) {
            own->DropEntries(*source, source->DragNumber, EntryNumber);
        } else if (FromOwnProject(Source, wiFS) || FromOwnProject(Source, wiFD)) {
            // The first dragged FS number goes into both FS cells, the first FD number into the FD
            // cell, and the row is stored at once.
            const int number = source->DragFirstNumber();
            // A cell that shows the number already sends no change: the fields are written here.
            if (source->WindowIndex() == wiFS) {
                UpperFSCell->SetValue(number);
                LowerFSCell->SetValue(number);
                Z_Item().FSFront = Z_Item().FSRear = ByteOf(number);
            } else {
                FDCell->SetValue(number);
                Z_Item().FD = ByteOf(number);
            }
            ApplyEntry();
        }
        return;
    }
    QWidget* cell = Source.Cell;
    if (!CellsMatch(cell, Sender))
        return;
    if (auto* box = qobject_cast<MColorBox*>(Sender)) {
        box->AssignColors(static_cast<MColorBox*>(cell)->ColorMap());
    } else if (auto* memo = qobject_cast<MMoukikMemo*>(Sender)) {
        memo->SetBitsMap(static_cast<MMoukikMemo*>(cell)->GetBitsMap());
        WriteCarriers(true);
    } else if (auto* cam = qobject_cast<MCamBox*>(Sender)) {
        cam->SetValue(static_cast<MCamBox*>(cell)->Value());
    } else if (auto* button = qobject_cast<MScrollFlatBtn*>(Sender)) {
        button->M_CaptionList().SetIndex(static_cast<MScrollFlatBtn*>(cell)->M_CaptionList().Index());
    } else if (auto* edit = qobject_cast<MNumEdit*>(Sender)) {
        edit->setText(static_cast<MNumEdit*>(cell)->text());
    } else {
        const int from = SystemOfHeader(cell), to = SystemOfHeader(Sender);
        auto* row = qobject_cast<MRZPanel*>(cell->parentWidget());
        if (from < 0 || to < 0 || !row)
            return;
        CopySystem(row->Z_Item(), from, to);
    }
    ApplyEntry();
}

void MRZPanel::CopySystem(const MUnvZ& Module, int From, int To) {
    if (From < 0 || From >= ZSystems || To < 0 || To >= FSysCount)
        return;
    // The fields go over as they stand, values the cells cannot show included; then the cells show
    // them.
    const std::size_t a = std::size_t(From), b = std::size_t(To);
    MUnvZ& z = Z_Item();
    z.Carriers[b].Assign(Module.Carriers[a]);
    for (std::size_t bed = 0; bed < 2; ++bed) {
        const std::size_t from = 2 * a + bed, to = 2 * b + bed;
        z.LG[to].Assign(Module.LG[from]);
        z.KNF[to].Assign(Module.KNF[from]);
        z.PatternLine[to] = Module.PatternLine[from];
        z.Tying[to] = Module.Tying[from];
        z.CamCode[to] = Module.CamCode[from];
    }
    z.Unipress[b] = Module.Unipress[a];
    z.NetRearFront[b] = Module.NetRearFront[a];
    z.NetRear[b] = Module.NetRear[a];
    const TLoading loading(*this);
    ShowCells();
}

// ---- Field help.

void MRZPanel::GetFieldHint(QWidget* Cell, QString& Text) {
    Text.clear();
    if (Cell == UpperFSCell || Cell == LowerFSCell || Cell == FDCell) {
        ItemFieldHelp(Cell == FDCell ? wiFD : wiFS, static_cast<MNumEdit*>(Cell)->Value(), 0, Text);
        return;
    }
    const int slot = CamSlotOf(Cell);
    if (slot < 0)
        return;
    const QString hint = CamHint(CamCells[std::size_t(slot)]->Value(), LanguageIndex() == LanguageArabic);
    if (!hint.isEmpty())
        Text = QStringLiteral("\n\r") + hint;
}

// ---- The Z list.

MRZContainerPanel::MRZContainerPanel(QObject* Owner, int Systems, int Machine, const MPalette* Palette,
                                     QWidget* Parent)
    : MRKindContainer(Owner, Parent), FSystems(Systems), FMachine(Machine), FPalette(Palette) {
    RowWidth = 424;
    RowHeight = 218;
    FirstRowMeasured = false;
    FPopupPalette = new MPopupPalette(this);
    FPopupPalette->SetPalette(Palette);
    FCamMenu = new MCamPopupMenu(Owner, this);
    FCamMenu->AddCamCodes();
    Background = new MImage(this, this);
    Background->setGeometry(1, 1, 10, 10);
    Background->SetPicture(LoadRowPicture(QStringLiteral("Z_Client_Bkg.bmp"), false, 0));
    Background->lower();
}

MRBasePanel* MRZContainerPanel::NewRowPanel() {
    return new MRZPanel(this, FSystems, FMachine, FPalette, FPopupPalette, FCamMenu, nullptr, this);
}

int MRZContainerPanel::MenuCommandAt(int Position) const {
    return ModuleMenuCommandAt(true, Position);
}

bool MRZContainerPanel::ScrollsForSource(const TDragSource& Source) const {
    if (!Source.Container)
        return false;
    const int kind = Source.Container->WindowIndex();
    return kind == wiZ || kind == wiFD || kind == wiFS;
}
