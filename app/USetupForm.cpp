#include "app/USetupForm.h"

#include "editors/CStringGrid_m.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "model/UunvC.h"
#include "model/UunvList.h"
#include "ui/ScrollSpdbtn_m.h"
#include "ui/label_m.h"
#include "ui/panel_m.h"

#include <QCloseEvent>
#include <QFont>

#include <limits>

namespace {

// The models whose needle areas may be shown on the right bed.
bool HasRightBedView(int Model) {
    return Model == 708 || Model == 710 || Model == 728 || Model == 748;
}

const char* const UVTexts[] = {"G", "U1", "U2"};

QString RackHV(std::int32_t HV) {
    return HV < 0 ? QStringLiteral("L%1").arg(-std::int64_t(HV)) : QStringLiteral("R%1").arg(HV);
}

} // namespace

std::optional<std::int32_t> TC_Form::GridNumber(const QString& Text) {
    const QString t = Text.trimmed();
    if (t.isEmpty() || t == QLatin1String("-") || t == QLatin1String("+"))
        return 0;
    if (t.size() > 12)
        return std::nullopt;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok || v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(v);
}

// ============================================================================ Construction

TC_Form::TC_Form(TPrjContainer& Project)
    : MProjectChildForm(Project, wiC, "مخطط الإعداد", "Setup Scheme"), FList(Project.Program().C) {
    setObjectName(QStringLiteral("TC_Form"));
    FSizing = true;
    setGeometry(50, 50, FixedWidth, FixedHeight);
    setFixedSize(FixedWidth, FixedHeight);
    FSizing = false;
    BuildControls();
    FinishLoading();
    FFilling = true;
    NeedleBtn->setEnabled(HasRightBedView(Project.Program().Machine.Model));
    RefreshControls();
    FFilling = false;
    FReady = true;
}

TC_Form::~TC_Form() = default;

MUnvC& TC_Form::Entry() const {
    return FList.GetC(1);
}

MCStringGrid* TC_Form::MakeGrid(QWidget* Parent, QRect Bounds, int Cols, int Rows, int FixedRows,
                                std::initializer_list<int> Widths) {
    auto* g = new MCStringGrid(Parent);
    g->setGeometry(Bounds);
    QFont f(QStringLiteral("Courier"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(11);
    g->setFont(f);
    g->SetColCount(Cols);
    g->SetRowCount(Rows);
    g->SetFixedRows(FixedRows);
    g->SetFixedCols(1);
    g->SetDefaultRowHeight(16);
    g->SetRangeSelect(true);
    // The grids show all their cells: no scroll bars.
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int c = 0;
    for (int w : Widths)
        g->SetColWidths(c++, w);
    g->OnExit = [this](QObject* Sender) { On_GridExit(Sender); };
    return g;
}

MNumEdit* TC_Form::MakeValueEdit(QWidget* Parent, QRect Bounds, int Digits, std::int32_t MUnvC::*Field) {
    MNumEdit* e = MakeEdit(this, Parent, Bounds, false);
    e->SetNumOfDigit(Digits);
    e->OnChange = [this, e, Field](QObject*) {
        if (FFilling)
            return;
        UpdateDirty();
        Entry().*Field = e->Value();
    };
    return e;
}

MNumEdit* TC_Form::MakeStitchEdit(QWidget* Parent, QRect Bounds, bool Right, int Index) {
    MNumEdit* e = MakeEdit(this, Parent, Bounds, false);
    e->SetNumOfDigit(2);
    e->OnChange = [this, e, Right, Index](QObject*) {
        if (FFilling)
            return;
        UpdateDirty();
        (Right ? Entry().StitchDiff2 : Entry().StitchDiff1)[std::size_t(Index)] = e->Value();
    };
    return e;
}

void TC_Form::BuildControls() {
    auto panel = [this](const char* Name, QRect Bounds) {
        auto* p = new MPanel(this, this);
        p->setObjectName(QLatin1String(Name));
        p->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
        // The panels only frame their controls: no caption in either language.
        p->M_Caption()->SetCaptions({QString(), QString()});
        p->SetCaption(QString());
        return p;
    };
    auto captionButton = [this](QWidget* Parent, const char* Name, QRect Bounds,
                                const QStringList& Captions) {
        auto* b = new MScrollSpeedButton(this, Parent);
        b->setObjectName(QLatin1String(Name));
        b->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
        b->M_CaptionList().SetCaptionList(Captions);
        b->M_CaptionList().SetMaxIndex(int(Captions.size()) - 1);
        b->M_CaptionList().SetIndex(0);
        b->SetCaption(Captions.first());
        return b;
    };
    p1 = panel("p1", {8, 8, 124, 192});
    MakeLabel(this, p1, {6, 6, 80, 16}, "مناطق الإبر", "Needle areas");
    NeedleBtn = captionButton(p1, "NeedleBtn", {92, 4, 24, 20}, {QStringLiteral("L"), QStringLiteral("R")});
    Needle_Grid = MakeGrid(p1, {6, 30, 110, 156}, 3, 9, 1, {23, 40, 40});
    Needle_Grid->setObjectName(QStringLiteral("Needle_Grid"));

    p2 = panel("p2", {140, 8, 124, 192});
    MakeLabel(this, p2, {6, 6, 80, 16}, "الإزاحات :", "Offsets :");
    OffsetBtn =
        captionButton(p2, "OffsetBtn", {92, 4, 24, 20},
                      {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                       QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")});
    Offset_Grid = MakeGrid(p2, {6, 30, 110, 156}, 3, 9, 1, {23, 40, 40});
    Offset_Grid->setObjectName(QStringLiteral("Offset_Grid"));

    p7 = panel("p7", {272, 8, 437, 192});
    MakeLabel(this, p7, {6, 2, 100, 28}, "تصحيح\r\nالإزاحة", "Racking\r\ncorrection");
    RackBtn = captionButton(p7, "RackBtn", {110, 4, 24, 20}, {QStringLiteral("1"), QStringLiteral("2")});
    Rack1_Grid = MakeGrid(p7, {6, 30, 212, 156}, 6, 9, 1, {23, 40, 24, 40, 40, 40});
    Rack1_Grid->setObjectName(QStringLiteral("Rack1_Grid"));
    Rack2_Grid = MakeGrid(p7, {222, 30, 212, 156}, 6, 9, 1, {23, 40, 24, 40, 40, 40});
    Rack2_Grid->setObjectName(QStringLiteral("Rack2_Grid"));

    p3 = panel("p3", {8, 206, 701, 170});
    MakeLabel(this, p3, {6, 6, 200, 16}, "موضع بدء حاملات الخيوط", "Yarn carrier start position");
    YC_Grid = MakeGrid(p3, {6, 26, 430, 139}, 11, 8, 0, {21, 22, 21, 45, 45, 45, 45, 45, 45, 45, 45});
    YC_Grid->setObjectName(QStringLiteral("YC_Grid"));

    p4 = panel("p4", {8, 382, 420, 120});
    MakeLabel(this, p4, {6, 6, 200, 16}, "فرق طول الغرزة :", "Stitch length difference :");
    // Upper line H8, H6, H4, H2; lower line V7, V5, V3, V1.
    for (int k = 0; k < 8; ++k) {
        const int i = k < 4 ? 7 - 2 * k : 6 - 2 * (k - 4);
        const int left = 6 + (k % 4) * 102, top = k < 4 ? 34 : 74;
        const QString name =
            QStringLiteral("%1%2").arg(i % 2 == 0 ? QLatin1Char('V') : QLatin1Char('H')).arg(i + 1);
        auto* label = new MLabel(this, p4);
        label->SetBounds(left, top + 3, 22, 16);
        label->M_Caption()->SetCaptions({name, name});
        label->SetCaption(name);
        L[std::size_t(i)] = MakeStitchEdit(p4, {left + 24, top, 28, 22}, false, i);
        auto* dash = new MLabel(this, p4);
        dash->SetBounds(left + 54, top + 3, 8, 16);
        dash->M_Caption()->SetCaptions({QStringLiteral("-"), QStringLiteral("-")});
        dash->SetCaption(QStringLiteral("-"));
        R[std::size_t(i)] = MakeStitchEdit(p4, {left + 62, top, 28, 22}, true, i);
    }

    p5 = panel("p5", {436, 382, 130, 120});
    struct TValue {
        const char* Name;
        std::int32_t MUnvC::*Field;
        int Digits;
        MNumEdit** Edit;
    };
    const TValue values[] = {{"W-E", &MUnvC::WE, 1, &WE},
                             {"ST", &MUnvC::ST, 4, &ST},
                             {"LB", &MUnvC::LB, 4, &LB},
                             {"WA", &MUnvC::WA, 3, &WA},
                             {"TZ", &MUnvC::TZ, 3, &TZ}};
    int top = 4;
    for (const TValue& v : values) {
        MakeLabel(this, p5, {8, top + 3, 40, 16}, v.Name, v.Name);
        *v.Edit = MakeValueEdit(p5, {60, top, 56, 21}, v.Digits, v.Field);
        top += 23;
    }

    p6 = panel("p6", {574, 382, 135, 120});
    MakeLabel(this, p6, {8, 6, 120, 16}, "مسودة النقش:", "Pattern Draft:");
    LabelX1 = MakeLabel(this, p6, {8, 30, 120, 16}, "X", "X");
    LabelY1 = MakeLabel(this, p6, {8, 50, 120, 16}, "Y", "Y");
    LabelWidth = MakeLabel(this, p6, {8, 70, 120, 16}, "Width :", "Width :");
    LabelHeight = MakeLabel(this, p6, {8, 90, 120, 16}, "Height:", "Height:");

    // The column kinds and digits; the headers and row labels.
    Needle_Grid->ColumnKind = {0, 0, 0};
    Needle_Grid->ColumnDigits = {0, 4, 4};
    Needle_Grid->SetCells(1, 0, QStringLiteral("From"));
    Needle_Grid->SetCells(2, 0, QStringLiteral(" To"));
    Offset_Grid->ColumnKind = {0, 3, 4};
    Offset_Grid->ColumnDigits = {0, 3, 3};
    Offset_Grid->SetCells(1, 0, QStringLiteral("L"));
    Offset_Grid->SetCells(2, 0, QStringLiteral("R"));
    for (int r = 1; r <= 8; ++r) {
        Needle_Grid->SetCells(0, r, QString::number(r));
        Offset_Grid->SetCells(0, r, QString::number(9 - r));
        Rack1_Grid->SetCells(0, r, QString::number(r));
        Rack2_Grid->SetCells(0, r, QString::number(r + 8));
    }
    YC_Grid->ColumnKind = {0, 5, 8, 2, 2, 2, 2, 2, 2, 2, 2};
    for (int c = 3; c <= 10; ++c)
        YC_Grid->ColumnDigits[std::size_t(c)] = 4;
    for (int r = 0; r < 8; ++r)
        YC_Grid->SetCells(0, r, QString::number(8 - r));
    const char* const rackHeaders[] = {" HV", "UV", "KORR", "DEHN", "GESH"};
    for (MCStringGrid* g : {Rack1_Grid, Rack2_Grid}) {
        g->ColumnKind = {0, 6, 7, 4, 4, 0};
        g->ColumnDigits = {0, 2, 0, 3, 3, 4};
        for (int c = 1; c <= 5; ++c)
            g->SetCells(c, 0, QLatin1String(rackHeaders[c - 1]));
    }

    NeedleBtn->OnIndexChange = [this](QObject*) { NeedleBtnIndexChange(); };
    OffsetBtn->OnIndexChange = [this](QObject*) { FillOffsetGrid(); };
    RackBtn->OnIndexChange = [this](QObject*) { FillRackGrids(); };
    Needle_Grid->OnSetEditText = [this](QObject*, int C, int Row, const QString& V) {
        Needle_GridSetEditText(C, Row, V);
    };
    Offset_Grid->OnSetEditText = [this](QObject*, int C, int Row, const QString& V) {
        Offset_GridSetEditText(C, Row, V);
    };
    YC_Grid->OnSetEditText = [this](QObject*, int C, int Row, const QString& V) {
        YC_GridSetEditText(C, Row, V);
    };
    Rack1_Grid->OnSetEditText = [this](QObject*, int C, int Row, const QString& V) {
        RackGridSetEditText(Rack1_Grid, 0, C, Row, V);
    };
    Rack2_Grid->OnSetEditText = [this](QObject*, int C, int Row, const QString& V) {
        RackGridSetEditText(Rack2_Grid, 8, C, Row, V);
    };
}

// ============================================================================ Filling

void TC_Form::RefreshControls() {
    const bool filling = FFilling;
    FFilling = true;
    FillNeedleGrid();
    FillOffsetGrid();
    FillCarrierGrid();
    FillRackGrids();
    FillEdits();
    FFilling = filling;
}

void TC_Form::FillNeedleGrid() {
    const bool filling = FFilling;
    FFilling = true;
    const MUnvC& c = Entry();
    const bool right = NeedleBtn->M_CaptionList().Index() == 1;
    const MMachineInfo& m = Project().Program().Machine;
    const std::int64_t offset = std::int64_t(m.BedFactor() + 1) * m.Gauge;
    for (int r = 1; r <= 8; ++r) {
        const std::size_t k = std::size_t(r - 1);
        if (!right) {
            Needle_Grid->SetCells(1, r, QString::number(c.From[k]));
            Needle_Grid->SetCells(2, r, QString::number(c.To[k]));
        } else if (c.From[k] == 0) {
            Needle_Grid->SetCells(1, r, QStringLiteral("0"));
            Needle_Grid->SetCells(2, r, QStringLiteral("0"));
        } else {
            Needle_Grid->SetCells(1, r, QString::number(c.From[k] + offset));
            Needle_Grid->SetCells(2, r, QString::number(c.To[k] + offset));
        }
    }
    FFilling = filling;
}

void TC_Form::FillOffsetGrid() {
    const bool filling = FFilling;
    FFilling = true;
    const MOffsetTable& t = Entry().OffsetTables[std::size_t(OffsetBtn->M_CaptionList().Index())];
    for (int r = 1; r <= 8; ++r) {
        const std::size_t k = std::size_t(8 - r);
        // Column L: a positive value with its plus sign; an unsigned 0 takes the column's minus.
        Offset_Grid->SetCells(1, r, t.L[k] > 0 ? QStringLiteral("+%1").arg(t.L[k]) : QString::number(t.L[k]));
        Offset_Grid->SetCells(2, r, QString::number(t.R[k]));
    }
    FFilling = filling;
}

void TC_Form::FillCarrierGrid() {
    const bool filling = FFilling;
    FFilling = true;
    const MUnvC& c = Entry();
    for (int r = 0; r < 8; ++r) {
        const MCarrierStart& s = c.CarrierStarts[std::size_t(7 - r)];
        YC_Grid->SetCells(1, r, s.FT == 1 ? QStringLiteral("I") : QString());
        YC_Grid->SetCells(2, r, s.FF == 0 ? QString() : QString::number(s.FF));
        for (int i = 0; i < 8; ++i)
            YC_Grid->SetCells(3 + i, r, QString::number(s.Positions[std::size_t(i)]));
    }
    YC_Grid->SetEditingAllowed(false);
    FFilling = filling;
}

void TC_Form::FillRackGrids() {
    const bool filling = FFilling;
    FFilling = true;
    const MUnvC& c = Entry();
    const auto& table = RackBtn->M_CaptionList().Index() == 1 ? c.RackCorrection2 : c.RackCorrection1;
    for (int half = 0; half < 2; ++half) {
        MCStringGrid* g = half == 0 ? Rack1_Grid : Rack2_Grid;
        for (int r = 1; r <= 8; ++r) {
            const MRackCorrection& e = table[std::size_t(r - 1 + half * 8)];
            g->SetCells(1, r, RackHV(e.HV));
            g->SetCells(2, r, QLatin1String(UVTexts[e.UV < 3 ? e.UV : 0]));
            g->SetCells(3, r, QString::number(e.KORR));
            g->SetCells(4, r, QString::number(e.DEHN));
            g->SetCells(5, r, QString::number(e.GESH));
        }
    }
    FFilling = filling;
}

void TC_Form::FillEdits() {
    const bool filling = FFilling;
    FFilling = true;
    const MUnvC& c = Entry();
    WE->SetValue(c.WE);
    ST->SetValue(c.ST);
    LB->SetValue(c.LB);
    WA->SetValue(c.WA);
    TZ->SetValue(c.TZ);
    for (std::size_t i = 0; i < 8; ++i) {
        L[i]->SetValue(c.StitchDiff1[i]);
        R[i]->SetValue(c.StitchDiff2[i]);
    }
    auto show = [](MLabel* Label, const QString& Text) {
        Label->M_Caption()->SetCaptions({Text, Text});
        Label->SetCaption(Text);
    };
    show(LabelX1, QStringLiteral("X%1").arg(c.X1));
    show(LabelY1, QStringLiteral("Y%1").arg(c.Y1));
    show(LabelWidth, QStringLiteral("Width :%1").arg(c.Width));
    show(LabelHeight, QStringLiteral("Height:%1").arg(c.Height));
    FFilling = filling;
}

// ============================================================================ Storing

void TC_Form::UpdateDirty() {
    FList.Modified = true;
    FList.NeedsAutosave = true;
}

void TC_Form::NeedleBtnIndexChange() {
    // "R" shows the areas on the right bed and takes no keys.
    const int kind = NeedleBtn->M_CaptionList().Index() == 1 ? 1 : 0;
    Needle_Grid->ColumnKind[1] = Needle_Grid->ColumnKind[2] = std::uint8_t(kind);
    Needle_Grid->SetEditingAllowed(kind == 0);
    FillNeedleGrid();
}

void TC_Form::Needle_GridSetEditText(int ACol, int ARow, const QString& Value) {
    if (FFilling || NeedleBtn->M_CaptionList().Index() == 1 || ARow < 1 || ARow > 8 || ACol < 1 || ACol > 2)
        return;
    const std::optional<std::int32_t> v = GridNumber(Value);
    auto& field = (ACol == 1 ? Entry().From : Entry().To)[std::size_t(ARow - 1)];
    if (!v) {
        // The cell shows the stored value again.
        FFilling = true;
        Needle_Grid->SetCells(ACol, ARow, QString::number(field));
        FFilling = false;
        return;
    }
    UpdateDirty();
    field = *v;
}

void TC_Form::Offset_GridSetEditText(int ACol, int ARow, const QString& Value) {
    if (FFilling || ARow < 1 || ARow > 8 || ACol < 1 || ACol > 2)
        return;
    MOffsetTable& t = Entry().OffsetTables[std::size_t(OffsetBtn->M_CaptionList().Index())];
    auto& field = (ACol == 1 ? t.L : t.R)[std::size_t(8 - ARow)];
    const std::optional<std::int32_t> v = GridNumber(Value);
    if (!v) {
        FillOffsetGrid();
        return;
    }
    UpdateDirty();
    field = *v;
}

void TC_Form::YC_GridSetEditText(int ACol, int ARow, const QString& Value) {
    if (FFilling || ARow < 0 || ARow > 7)
        return;
    MCarrierStart& s = Entry().CarrierStarts[std::size_t(7 - ARow)];
    if (ACol == 1) {
        UpdateDirty();
        s.FT = Value.trimmed() == QLatin1String("I") ? 1 : 0;
    } else if (ACol == 2) {
        const std::optional<std::int32_t> v = GridNumber(Value);
        if (!v || *v < 0 || *v > 8) {
            FillCarrierGrid();
            return;
        }
        UpdateDirty();
        s.FF = std::uint8_t(*v);
    }
}

void TC_Form::RackGridSetEditText(MCStringGrid* Grid, int First, int ACol, int ARow, const QString& Value) {
    if (FFilling || ARow < 1 || ARow > 8 || ACol < 1 || ACol > 5)
        return;
    MUnvC& c = Entry();
    auto& table = RackBtn->M_CaptionList().Index() == 1 ? c.RackCorrection2 : c.RackCorrection1;
    MRackCorrection& e = table[std::size_t(ARow - 1 + First)];
    const QString t = Value.trimmed();
    std::optional<std::int32_t> v;
    if (ACol == 1) {
        const QChar side = t.isEmpty() ? QChar() : t.front().toUpper();
        if (side == QLatin1Char('R') || side == QLatin1Char('L')) {
            v = GridNumber(t.mid(1));
            if (v && side == QLatin1Char('L')) {
                if (*v == std::numeric_limits<std::int32_t>::min())
                    v.reset();
                else
                    v = -*v;
            }
        } else {
            v = GridNumber(t);
        }
    } else if (ACol == 2) {
        int uv = 0;
        for (int i = 0; i < 3; ++i)
            if (t == QLatin1String(UVTexts[i]))
                uv = i;
        v = uv;
    } else {
        v = GridNumber(t);
    }
    if (!v) {
        (void)Grid;
        FillRackGrids();
        return;
    }
    UpdateDirty();
    switch (ACol) {
    case 1:
        e.HV = *v;
        break;
    case 2:
        e.UV = std::uint8_t(*v);
        break;
    case 3:
        e.KORR = *v;
        break;
    case 4:
        e.DEHN = *v;
        break;
    default:
        e.GESH = *v;
        break;
    }
}

void TC_Form::On_GridExit(QObject* Sender) {
    if (auto* g = qobject_cast<MCStringGrid*>(Sender))
        g->clearSelection();
}

// ============================================================================ Window

void TC_Form::resizeEvent(QResizeEvent* Event) {
    MProjectChildForm::resizeEvent(Event);
    if (!FSizing && size() != QSize(FixedWidth, FixedHeight)) {
        FSizing = true;
        resize(FixedWidth, FixedHeight);
        FSizing = false;
    }
}

void TC_Form::FramePlaced(QMdiSubWindow* Frame) {
    PlaceFrame(Frame, QPoint(50, 50));
}

void TC_Form::closeEvent(QCloseEvent* Event) {
    Project().UnregisterChild(wiC);
    setAttribute(Qt::WA_DeleteOnClose);
    Event->accept();
}
