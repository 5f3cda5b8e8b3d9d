#include "app/UFormFixedProg.h"

#include "app/LBoardFr.h"
#include "app/UExportEntry.h"
#include "app/ULibFiles.h"
#include "app/UPrjContainer.h"
#include "editors/ColorBox_M.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "editors/PopPalette_m.h"
#include "ui/Image_m.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/combobox_m.h"
#include "ui/groupbox_m.h"
#include "ui/label_m.h"
#include "ui/panel_m.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace {
// What a missing colour of a selection with fewer than two colours becomes.
constexpr int FallbackColor = 15;
constexpr int DefaultOffsetRow = 8;

// The selected cells as a picture for the preview, scaled to fit Box without smoothing (a small
// selection by a whole factor, so that its cells stay square).
QPixmap PreviewOf(const TBitmap& Raster, const TBoardRect& C, QSize Box) {
    QImage image(C.Width(), C.Height(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const TColor c = CellColorOf(Raster.ScanLine(C.Top + y) + 3 * (C.Left + x));
            image.setPixel(x, y, qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
        }
    if (image.width() > Box.width() || image.height() > Box.height()) {
        image = image.scaled(Box, Qt::KeepAspectRatio, Qt::FastTransformation);
    } else {
        const int factor = std::min(Box.width() / image.width(), Box.height() / image.height());
        image = image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    return QPixmap::fromImage(image);
}

} // namespace

// ---- Shared pieces.

int MOffsetRow::Offset() const {
    if (!Check || !Check->isChecked())
        return 0;
    const int v = Row->Value();
    return v >= 1 && v <= 8 ? v : 0;
}

MOffsetRow MakeOffsetRow(QObject* Owner, QWidget* Parent, QPoint At) {
    MOffsetRow r;
    r.Check = MakeCheck(Owner, Parent, QRect(At.x(), At.y(), 100, 20), "استخدام الإزاحة", "Use Offset");
    r.Check->setObjectName(QStringLiteral("chkAllOffset"));
    r.Row = MakeEdit(Owner, Parent, QRect(At.x() + 106, At.y(), 30, 21), false);
    r.Row->setObjectName(QStringLiteral("MNumAllOffset"));
    r.Row->SetNumOfDigit(1);
    r.Row->SetValue(DefaultOffsetRow);
    r.Row->setEnabled(false);
    MNumEdit* row = r.Row;
    row->OnChange = [row](QObject*) {
        if (row->text().isEmpty())
            return;
        const int v = row->Value();
        if (v < 1)
            row->SetValue(1);
        else if (v > 8)
            row->SetValue(8);
    };
    QObject::connect(r.Check, &QCheckBox::toggled, row, [row](bool On) { row->setEnabled(On); });
    return r;
}

MComboBox* MakeChoiceList(QObject* Owner, QWidget* Parent, QRect Bounds, const QStringList& Arabic,
                          const QStringList& English) {
    auto* c = new MComboBox(Owner, Parent);
    c->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    c->setEditable(false);
    c->addItems(English);
    c->setProperty("itemsArabic", Arabic);
    c->setProperty("itemsEnglish", English);
    c->SetArabic(false);
    return c;
}

void ShowChoiceLanguage(MComboBox* List, bool Arabic) {
    const QStringList items = List->property(Arabic ? "itemsArabic" : "itemsEnglish").toStringList();
    const int chosen = List->currentIndex();
    const QSignalBlocker quiet(List);
    List->clear();
    List->addItems(items);
    List->setCurrentIndex(chosen);
}

const QStringList& StructureNames(bool Arabic) {
    static const QStringList english = {QStringLiteral("Striped Jaquard"), QStringLiteral("Twilled Jaquard"),
                                        QStringLiteral("Tubular"),         QStringLiteral("Tubular1:1"),
                                        QStringLiteral("Tubular2:1"),      QStringLiteral("Links")};
    static const QStringList arabic = {QStringLiteral("جاكار مخطط"), QStringLiteral("جاكار مائل"),
                                       QStringLiteral("أنبوبي"),     QStringLiteral("أنبوبي 1:1"),
                                       QStringLiteral("أنبوبي 2:1"), QStringLiteral("روابط")};
    return Arabic ? arabic : english;
}

// ---- The picker.

TFormFixedProg::TFormFixedProg(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 420, 330, QStringLiteral("بيانات الوحدة"), QStringLiteral("Module Data"));
    setObjectName(QStringLiteral("FormFixedProg"));
    ComboType =
        MakeChoiceList(this, this, QRect(12, 12, 190, 22), StructureNames(true), StructureNames(false));
    ComboType->setObjectName(QStringLiteral("ComboType"));
    ComboType->setCurrentIndex(-1);

    pnlImage = new MPanel(this, this);
    pnlImage->setObjectName(QStringLiteral("pnlImage"));
    pnlImage->SetBounds(214, 12, 194, 122);
    pnlImage->SetBevelOuter(bvLowered);
    pnlImage->M_Caption()->SetCaptions({QString(), QString()});
    pnlImage->SetCaption(QString());
    imgModule = new MImage(this, pnlImage);
    imgModule->setObjectName(QStringLiteral("imgModule"));
    imgModule->SetBounds(2, 2, 190, 118);
    imgModule->SetCenter(true);
    pnlImage->setVisible(false);

    MakeLabel(this, this, QRect(12, 46, 100, 16), "الإحداثيات X", "X Coordinates")->setObjectName("lblX");
    MnumX1 = MakeEdit(this, this, QRect(112, 44, 44, 21), false);
    MnumX2 = MakeEdit(this, this, QRect(160, 44, 44, 21), false);
    MakeLabel(this, this, QRect(12, 76, 100, 16), "الإحداثيات Y", "Y Coordinates")->setObjectName("lblY");
    MnumY1 = MakeEdit(this, this, QRect(112, 74, 44, 21), false);
    MnumY2 = MakeEdit(this, this, QRect(160, 74, 44, 21), false);
    MnumX1->setObjectName(QStringLiteral("MnumX1"));
    MnumX2->setObjectName(QStringLiteral("MnumX2"));
    MnumY1->setObjectName(QStringLiteral("MnumY1"));
    MnumY2->setObjectName(QStringLiteral("MnumY2"));
    MnumX1->SetValue(1);
    MnumX2->SetValue(1);
    MnumY1->SetValue(11);
    MnumY2->SetValue(11);
    Offset = MakeOffsetRow(this, this, QPoint(12, 106));

    MGroupBox1 = new MGroupBox(this, this);
    MGroupBox1->setObjectName(QStringLiteral("MGroupBox1"));
    MGroupBox1->SetBounds(12, 142, 396, 110);
    MGroupBox1->M_Caption()->SetCaptions({QStringLiteral("الألوان"), QStringLiteral("Colors")});
    MGroupBox1->SetCaption(QStringLiteral("Colors"));
    MGroupBox1->SetArabic(false);
    FPopup = new MPopupPalette(this);
    FPopup->setObjectName(QStringLiteral("PopupPalette"));
    static const char* const arabic[] = {"لون 1", "لون 2", "لون 3", "لون 4", "لون 5", "لون 6"};
    for (int k = 0; k < MaxColors; ++k) {
        const int column = k % 3, row = k / 3;
        const QByteArray english = QByteArray("Color") + QByteArray::number(k + 1);
        MakeLabel(this, MGroupBox1, QRect(12 + column * 128, 24 + row * 40, 52, 16), arabic[k],
                  english.constData());
        auto* box = new MColorBox(this, MGroupBox1);
        box->setObjectName(QStringLiteral("BxColor%1").arg(k + 1));
        box->SetBounds(66 + column * 128, 18 + row * 40, 50, 28);
        box->SetMaxColorCount(1);
        box->SetNumColumns(1);
        box->SetNumRows(1);
        box->SetMaxNumColumns(1);
        box->SetLeftMargin(4);
        box->SetTopMargin(4);
        box->SetColorBorder(true);
        box->SetPopupPalette(FPopup);
        BxColor[std::size_t(k)] = box;
    }
    MNumColorsNo = MakeEdit(this, this, QRect(112, 262, 44, 21), false);
    MNumColorsNo->setObjectName(QStringLiteral("MNumColorsNo"));
    MNumColorsNo->SetNumOfDigit(1);
    MNumColorsNo->SetValue(1);
    MakeEditLabel(this, this, 12, 96, MNumColorsNo, "عدد الألوان", "Colors No")->setObjectName("MLabel6");
    btnOK = OkButton(QRect(240, 292, 80, 25), [this] { btnOKClick(); });
    btnCancel = CancelButton(QRect(328, 292, 80, 25));
    ColorsFound.fill(-1);
    FinishLayout();
}

TFormFixedProg::~TFormFixedProg() = default;

void TFormFixedProg::SetProject(TPrjContainer* Project) {
    if (!Project)
        return;
    FProject = Project;
    FPopup->SetPalette(&Project->Palette());
    for (MColorBox* box : BxColor) {
        box->SetPalette(&Project->Palette());
        box->SetPopupPalette(FPopup);
    }
}

bool TFormFixedProg::Execute() {
    TPictureDialog::Execute();
    return Accepted && !FixedProgramFileName().isEmpty();
}

void TFormFixedProg::showEvent(QShowEvent* Event) {
    TPictureDialog::showEvent(Event);
    Accepted = false;
    FillFromSelection(Drawing ? Drawing : FProject ? FProject->Board() : nullptr);
    if (ComboType->currentIndex() < 0)
        ComboType->setCurrentIndex(0);
    if (MNumColorsNo->Value() > MaxColors) {
        if (MessageBox)
            MessageBox->ShowCodeMessage(11, 103, QString(), mbOK);
        Cancel();
    }
}

void TFormFixedProg::DOAfterLanguageChange(int aNewLanguage) {
    TPictureDialog::DOAfterLanguageChange(aNewLanguage);
    if (ComboType)
        ShowChoiceLanguage(ComboType, aNewLanguage == 0);
}

void TFormFixedProg::FillFromSelection(TBoardFormats* Board) {
    if (!Board || !Board->Selected || Board->Raster().Empty()) {
        pnlImage->setVisible(false);
        return;
    }
    Board->ApplyPaste();
    const TBitmap& raster = Board->Raster();
    TBoardRect c = Board->SelCells;
    ClipRect(c, {0, 0, raster.Width() - 1, raster.Height() - 1});
    const int h = raster.Height();
    SetX1(c.Left + 1);
    SetX2(c.Right + 1);
    SetY1(h - c.Bottom);
    SetY2(h - c.Top);
    imgModule->SetPicture(PreviewOf(raster, c, imgModule->size()));
    pnlImage->setVisible(true);

    const MPalette* palette = FProject ? &FProject->Palette() : nullptr;
    ColorsFound.fill(-1);
    std::vector<int> found;
    for (int y = c.Bottom; y >= c.Top && int(found.size()) < MaxColors + 1; --y)
        for (int x = c.Left; x <= c.Right && int(found.size()) < MaxColors + 1; ++x) {
            const int index = palette ? palette->IndexOf(CellColorOf(raster.ScanLine(y) + 3 * x)) : -1;
            if (index < 0 || index > 31 || std::find(found.begin(), found.end(), index) != found.end())
                continue;
            if (found.size() < ColorsFound.size())
                ColorsFound[found.size()] = index;
            found.push_back(index);
        }
    MNumColorsNo->SetValue(int(found.size()));
    if (found.size() < 2)
        for (int k = 0; k < 2; ++k)
            if (ColorsFound[std::size_t(k)] < 0)
                ColorsFound[std::size_t(k)] = FallbackColor;
    ShowFoundColors();
}

void TFormFixedProg::ShowFoundColors() {
    for (int k = 0; k < MaxColors; ++k) {
        MColorBox* box = BxColor[std::size_t(k)];
        box->ClearColors();
        if (ColorsFound[std::size_t(k)] >= 0)
            box->SetColorBit(ColorsFound[std::size_t(k)], true);
    }
}

namespace {
int RaisedToOne(MNumEdit* Edit) {
    if (Edit->Value() < 1)
        Edit->SetValue(1);
    return Edit->Value();
}
void StoreAtLeastOne(MNumEdit* Edit, int Value) {
    Edit->SetValue(std::max(Value, 1));
}
} // namespace

int TFormFixedProg::GetX1() {
    return RaisedToOne(MnumX1);
}
int TFormFixedProg::GetX2() {
    return RaisedToOne(MnumX2);
}
int TFormFixedProg::GetY1() {
    return RaisedToOne(MnumY1);
}
int TFormFixedProg::GetY2() {
    return RaisedToOne(MnumY2);
}
void TFormFixedProg::SetX1(int Value) {
    StoreAtLeastOne(MnumX1, Value);
}
void TFormFixedProg::SetX2(int Value) {
    StoreAtLeastOne(MnumX2, Value);
}
void TFormFixedProg::SetY1(int Value) {
    StoreAtLeastOne(MnumY1, Value);
}
void TFormFixedProg::SetY2(int Value) {
    StoreAtLeastOne(MnumY2, Value);
}

int TFormFixedProg::GetColorCount() const {
    return std::clamp(MNumColorsNo->Value(), 2, MaxColors);
}

void TFormFixedProg::SetColorCount(int N) {
    if (N >= 2 && N <= MaxColors)
        MNumColorsNo->SetValue(N);
}

std::vector<int> TFormFixedProg::GetColors() const {
    std::vector<int> colours;
    for (int k = 0; k < GetColorCount(); ++k) {
        const MbitsMap& set = BxColor[std::size_t(k)]->ColorMap();
        int index = -1;
        for (int i = 0; i < 32 && index < 0; ++i)
            if (set.GetBit(i))
                index = i;
        colours.push_back(index);
    }
    return colours;
}

QString TFormFixedProg::FixedProgramName() {
    const int structure = ComboType->currentIndex();
    if (structure < 0 || !FProject)
        return QString();
    if (structure == fsLinks)
        SetColorCount(2);
    const MMachineInfo& machine = FProject->Program().Machine;
    return ::FixedProgramName(machine.Model, machine.Category, structure, GetColorCount());
}

QString TFormFixedProg::FixedProgramFileName() {
    const QString name = FixedProgramName();
    return name.isEmpty() ? QString() : FixedFolder() + name;
}

void TFormFixedProg::btnOKClick() {
    if (GetX1() > GetX2()) {
        const int x = GetX1();
        SetX1(GetX2());
        SetX2(x);
    }
    if (GetY1() > GetY2()) {
        const int y = GetY1();
        SetY1(GetY2());
        SetY2(y);
    }
    // The dialog counts as accepted only when OK closes it: a message keeps it open, and a close
    // after the message is a Cancel.
    if (MNumColorsNo->Value() > MaxColors) {
        if (MessageBox)
            MessageBox->ShowCodeMessage(11, 103, QString(), mbOK);
        return;
    }
    if (GetY1() < 11) {
        if (MessageBox)
            MessageBox->ShowCodeMessage(11, 104, QString(), mbOK);
        return;
    }
    Accept();
}
