#include "app/UPictureDialogs.h"

#include "app/BusCodes.h"
#include "app/LBoardFr.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "imaging/ImageLimits.h"
#include "model/Ucommon.h"
#include "ui/Image_m.h"
#include "ui/RadioButton_m.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/groupbox_m.h"
#include "ui/label_m.h"

#include <QPainter>
#include <QPainterPath>
#include <QSlider>

#include <algorithm>
#include <limits>

namespace {

// The background of the dialogs, drawn here: a soft vertical shade with rows of knitted stitches
// in a lighter tone.
QPixmap DialogBackground(QSize Size) {
    QPixmap pm(Size);
    QPainter p(&pm);
    QLinearGradient shade(0, 0, 0, Size.height());
    shade.setColorAt(0, QColor(232, 236, 244));
    shade.setColorAt(1, QColor(204, 214, 230));
    p.fillRect(pm.rect(), shade);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1.5));
    const int w = 12, h = 10;
    for (int y = 0; y < Size.height() + h; y += h)
        for (int x = (y / h) % 2 ? w / 2 : 0; x < Size.width() + w; x += w) {
            QPainterPath v;
            v.moveTo(x, y);
            v.quadTo(x + w / 4.0, y + h, x + w / 2.0, y + h - 2);
            v.quadTo(x + 3 * w / 4.0, y + h, x + w, y);
            p.drawPath(v);
        }
    return pm;
}

// A whole number (an optional sign and digits only) within Low .. High.
bool WholeNumber(const QString& Text, int Low, int High, int& Value) {
    bool ok = false;
    const qlonglong v = Text.toLongLong(&ok);
    if (!ok || Text.trimmed() != Text || v < Low || v > High)
        return false;
    Value = int(v);
    return true;
}

void ShowSizeRefused(std::int64_t W, std::int64_t L) {
    if (MessageBox)
        MessageBox->ShowCodeMessage(boardmsg::Code, boardmsg::SizeRefused, boardmsg::SizeArg(W, L), mbOK);
}

// A side of a picture may be as long as the cell limit allows (a picture one cell high).
constexpr int SizeDigits = 9;
// The stretch operations of the bus's rectangle command: keep the stretched selection, put it back.
constexpr int RectKeep = 62;
constexpr int RectRestore = 63;
constexpr int SizeMax = int(ImageLimits::MaxPixels);

} // namespace

// ---- The common part.

TPictureDialog::TPictureDialog(QWidget* Parent) : MModalForm(Parent) {
    setWindowFlag(Qt::Tool);
    MImage1 = new MImage(this, this);
    MImage1->setObjectName(QStringLiteral("MImage1"));
    MImage1->SetStretch(true);
}

void TPictureDialog::FinishLayout() {
    MImage1->setGeometry(rect());
    MImage1->SetPicture(DialogBackground(size()));
    MImage1->lower();
    FinishLoading();
}

QSlider* TPictureDialog::TrackBar(const char* Name, QRect Bounds, int Low, int High) {
    auto* t = new QSlider(Qt::Horizontal, this);
    t->setObjectName(QString::fromLatin1(Name));
    t->setGeometry(Bounds);
    t->setRange(Low, High);
    FTrackBars.emplace_back(t, Bounds);
    return t;
}

void TPictureDialog::DOAfterLanguageChange(int aNewLanguage) {
    MModalForm::DOAfterLanguageChange(aNewLanguage);
    // Arabic (0) mirrors the track bars as the bilingual controls are mirrored, and runs them from
    // the right.
    const bool arabic = aNewLanguage == 0;
    for (auto& [bar, english] : FTrackBars) {
        bar->setGeometry(arabic ? width() - english.x() - english.width() : english.x(), english.y(),
                         english.width(), english.height());
        bar->setInvertedAppearance(arabic);
    }
}

MButton* TPictureDialog::OkButton(QRect Bounds, std::function<void()> Ok) {
    MButton* b = MakeButton(this, Bounds, "موافق", "OK");
    connect(b, &QPushButton::clicked, this, [this, Ok] { Ok ? Ok() : Accept(); });
    SetDefaultButton(b);
    return b;
}

MButton* TPictureDialog::CancelButton(QRect Bounds, std::function<void()> Cancel) {
    MButton* b = MakeButton(this, Bounds, "إلغاء", "Cancel");
    connect(b, &QPushButton::clicked, this, [this, Cancel] { Cancel ? Cancel() : this->Cancel(); });
    return b;
}

void TPictureDialog::Accept() {
    Accepted = true;
    SetModalResult(mrOk);
}

void TPictureDialog::Cancel() {
    Accepted = false;
    SetModalResult(mrCancel);
}

bool TPictureDialog::Execute() {
    Accepted = false;
    ShowModal();
    return Accepted;
}

MNumEdit* TPictureDialog::NumberEdit(QRect Bounds, int Digits, int Low, int High, const QString& Initial,
                                     std::function<void(int)> Changed) {
    MNumEdit* e = MakeEdit(this, this, Bounds, Low < 0);
    e->SetNumOfDigit(Digits);
    e->setText(Initial);
    e->setProperty("lastValid", Initial);
    e->OnChange = [e, Low, High, Changed](QObject*) {
        if (e->property("restoring").toBool())
            return;
        int v = 0;
        if (!WholeNumber(e->text(), Low, High, v)) {
            e->setProperty("restoring", true);
            e->setText(e->property("lastValid").toString());
            e->setProperty("restoring", false);
            return;
        }
        e->setProperty("lastValid", e->text());
        if (Changed)
            Changed(v);
    };
    return e;
}

void TPictureDialog::TakeValidTexts() {
    for (MNumEdit* e : findChildren<MNumEdit*>())
        e->setProperty("lastValid", e->text());
}

// ---- New Image.

TOFormNew::TOFormNew(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 220, 120, QStringLiteral("صورة جديدة"), QStringLiteral("New Image"));
    setObjectName(QStringLiteral("OFormNew"));
    MEditWidth = NumberEdit(QRect(100, 14, 100, 21), SizeDigits, 1, SizeMax, QStringLiteral("250"));
    MakeEditLabel(this, this, 14, 80, MEditWidth, "العرض", "Width");
    MEditLength = NumberEdit(QRect(100, 44, 100, 21), SizeDigits, 1, SizeMax, QStringLiteral("250"));
    MakeEditLabel(this, this, 14, 80, MEditLength, "الطول", "Length");
    MBtnOK = OkButton(QRect(30, 82, 75, 25), [this] {
        // The product is taken in 64 bits: a picture above the cell limit is refused here.
        const std::int64_t w = MEditWidth->Value(), l = MEditLength->Value();
        if (!ImageLimits::PixelsWithinLimit(w, l)) {
            ShowSizeRefused(w, l);
            return;
        }
        Accept();
    });
    MBtnCancel = CancelButton(QRect(115, 82, 75, 25));
    FinishLayout();
}

void TOFormNew::showEvent(QShowEvent* Event) {
    TPictureDialog::showEvent(Event);
    TakeValidTexts();
    Accepted = false;
}

int TOFormNew::GetWidth() const {
    const int v = MEditWidth->Value();
    if (v < 1)
        Abort();
    return v;
}

int TOFormNew::GetLength() const {
    const int v = MEditLength->Value();
    if (v < 1)
        Abort();
    return v;
}

// ---- The colour count.

TFormColorNos::TFormColorNos(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 230, 120, QStringLiteral("ضبط عدد الألوان"),
                QStringLiteral("Adjust number of colors"));
    setObjectName(QStringLiteral("FormColorNos"));
    MEditColors = NumberEdit(QRect(120, 20, 90, 21), 4, 1, 9999, QStringLiteral("32"));
    MLabelColors = MakeEditLabel(this, this, 14, 100, MEditColors, "عدد الألوان", "No of colors");
    MRadioBtnOrdered = MakeRadio(this, this, QRect(20, 12, 190, 20), "مرتب", "Ordered");
    MRadioBtnThreShold = MakeRadio(this, this, QRect(20, 38, 190, 20), "عتبة", "ThreShold");
    MRadioBtnOrdered->setChecked(true);
    MBtnOK = OkButton(QRect(35, 82, 75, 25));
    MBtnCancel = CancelButton(QRect(120, 82, 75, 25));
    FinishLayout();
}

void TFormColorNos::showEvent(QShowEvent* Event) {
    TPictureDialog::showEvent(Event);
    Accepted = false;
    MEditColors->setText(MEditColors->property("lastValid").toString());
    MRadioBtnOrdered->setVisible(BlackWhiteMode);
    MRadioBtnThreShold->setVisible(BlackWhiteMode);
    MEditColors->setVisible(!BlackWhiteMode);
    MLabelColors->setVisible(!BlackWhiteMode);
}

void TFormColorNos::SetColors(int N) {
    const QString text = QString::number(std::max(N, 2));
    MEditColors->setText(text);
    MEditColors->setProperty("lastValid", text);
}

int TFormColorNos::GetColors() const {
    int v = 0;
    if (!WholeNumber(MEditColors->text(), std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                     v))
        return -1;
    return std::max(v, 2);
}

int TFormColorNos::GetBWMethod() const {
    if (MRadioBtnOrdered->isChecked())
        return bus::BlackWhiteDither;
    if (MRadioBtnThreShold->isChecked())
        return bus::BlackWhiteThreshold;
    return -1;
}

// ---- The image type.

TFormFileType::TFormFileType(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 200, 130, QStringLiteral("نوع الصورة"), QStringLiteral("Image Type"));
    setObjectName(QStringLiteral("FormFileType"));
    MGroupBox1 = new MGroupBox(this, this);
    MGroupBox1->SetBounds(14, 8, 172, 72);
    MGroupBox1->M_Caption()->SetCaptions({QString(), QString()});
    MGroupBox1->SetCaption(QString());
    MRadioButtonTrueColor = MakeRadio(this, MGroupBox1, QRect(12, 18, 150, 20), "ألوان حقيقية", "True Color");
    MRadioButton16clr = MakeRadio(this, MGroupBox1, QRect(12, 44, 150, 20), "16 لونًا", "16 colors");
    MRadioButtonTrueColor->setChecked(true);
    MBtnOK = OkButton(QRect(62, 92, 75, 25));
    FinishLayout();
}

int TFormFileType::GetImageType() const {
    return MRadioButton16clr->isChecked() ? 20 : 1;
}

int AskImageType(QWidget* Parent) {
    TFormFileType form(Parent);
    form.Execute();
    return form.GetImageType();
}

// ---- Repeat Paste.

TOFormPastRepeat::TOFormPastRepeat(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 240, 190, QStringLiteral("تكرار اللصق"), QStringLiteral("Repeat Paste"));
    setObjectName(QStringLiteral("OFormPastRepeat"));
    MEditH = NumberEdit(QRect(130, 14, 90, 21), 4, 1, 9999, QStringLiteral("1"));
    MakeEditLabel(this, this, 14, 110, MEditH, "التكرار الأفقي", "X-Repeat");
    MEditV = NumberEdit(QRect(130, 44, 90, 21), 4, 1, 9999, QStringLiteral("1"));
    MakeEditLabel(this, this, 14, 110, MEditV, "التكرار الرأسي", "Y-Repeat");
    MCheckBoxDiagonal = MakeCheck(this, this, QRect(14, 74, 206, 20), "تكرار قطري", "Diagonal Repeat");
    MRadioButtonUp = MakeRadio(this, this, QRect(14, 100, 100, 20), "لأعلى", "Upwards");
    MRadioButtonDown = MakeRadio(this, this, QRect(120, 100, 100, 20), "لأسفل", "Down Wards");
    MRadioButtonUp->setChecked(true);
    connect(MCheckBoxDiagonal, &QCheckBox::toggled, this, [this](bool On) { MEditV->setEnabled(!On); });
    MBtnOK = OkButton(QRect(38, 150, 75, 25));
    MBtnCancel = CancelButton(QRect(127, 150, 75, 25));
    FinishLayout();
}

void TOFormPastRepeat::GetRepeat(int& X, int& Y) const {
    X = MEditH->Value();
    Y = MEditV->Value();
    if (MRadioButtonUp->isChecked())
        X = -X;
    if (MCheckBoxDiagonal->isChecked())
        Y = -1;
}

// ---- Free rotation.

TFormRotFree::TFormRotFree(MPictureDialogHost* Host, QWidget* Parent)
    : TPictureDialog(Parent), MainLink(Host) {
    PrepareForm(*this, 280, 130, QStringLiteral("نافذة التدوير"), QStringLiteral("Rotate Window"));
    setObjectName(QStringLiteral("FormRotFree"));
    MEditAngle =
        NumberEdit(QRect(110, 14, 80, 21), 4, -360, 360, QStringLiteral("0"), [this](int A) { SetAngle(A); });
    MakeEditLabel(this, this, 14, 90, MEditAngle, "التدوير بمقدار", "Rotate By");
    // The edit shows the current angle again after a text that is not an angle.
    MEditAngle->setProperty("lastValid", QStringLiteral("0"));
    TrackBarAngle = TrackBar("TrackBarAngle", QRect(14, 48, 252, 26), -360, 360);
    connect(TrackBarAngle, &QSlider::valueChanged, this, [this](int Position) {
        if (Position != FAngle)
            SetAngle(Position);
    });
    MBtnOK = OkButton(QRect(52, 92, 75, 25));
    MBtnCancel = CancelButton(QRect(153, 92, 75, 25), [this] {
        if (MainLink)
            MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRotFreeCancel);
        Cancel();
    });
    FinishLayout();
}

bool TFormRotFree::BeginRotation() {
    if (!MainLink)
        return false;
    FUpdating = false;
    MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRotFreeBegin);
    FAngle = 0;
    FUpdating = true;
    TrackBarAngle->setValue(0);
    MEditAngle->setText(QStringLiteral("0"));
    MEditAngle->setProperty("lastValid", QStringLiteral("0"));
    FUpdating = false;
    return true;
}

void TFormRotFree::SetAngle(int A) {
    if (FUpdating)
        return;
    FUpdating = true;
    if (A >= -359 && A <= 359) {
        TrackBarAngle->setValue(A);
        MEditAngle->setText(QString::number(A));
        FAngle = A;
        if (MainLink)
            MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRotFreePreview, A);
    }
    // A text that is not an angle, or -360 and 360, brings back the current angle.
    MEditAngle->setProperty("lastValid", QString::number(FAngle));
    FUpdating = false;
}

// ---- Resize.

TFormImageResize::TFormImageResize(bool ImageMode, MPictureDialogHost* Host, QWidget* Parent)
    : TPictureDialog(Parent), ImageMode(ImageMode), MainLink(Host) {
    PrepareForm(*this, 300, 200, QStringLiteral("تغيير حجم الصورة"), QStringLiteral("Image Resize"));
    setObjectName(ImageMode ? QStringLiteral("FormImageResize") : QStringLiteral("FormSelectionResize"));
    MEditWidth = NumberEdit(QRect(90, 14, 80, 21), SizeDigits, 1, SizeMax, QStringLiteral("100"),
                            [this](int V) { EditChanged(1, V); });
    MakeEditLabel(this, this, 14, 70, MEditWidth, "العرض", "Width");
    TrackBarWidth = TrackBar("TrackBarWidth", QRect(178, 12, 110, 26), 1, 1000);
    MEditLength = NumberEdit(QRect(90, 48, 80, 21), SizeDigits, 1, SizeMax, QStringLiteral("100"),
                             [this](int V) { EditChanged(2, V); });
    MakeEditLabel(this, this, 14, 70, MEditLength, "الطول", "Length");
    TrackBarLength = TrackBar("TrackBarLength", QRect(178, 46, 110, 26), 1, 1000);
    connect(TrackBarWidth, &QSlider::valueChanged, this, [this](int P) {
        if (!FUpdating && P != FWidth) {
            FLastEdited = 1;
            SetSize(P, FLength);
        }
    });
    connect(TrackBarLength, &QSlider::valueChanged, this, [this](int P) {
        if (!FUpdating && P != FLength) {
            FLastEdited = 2;
            SetSize(FWidth, P);
        }
    });
    MCheckBoxAspect =
        MakeCheck(this, this, QRect(14, 84, 270, 20), "الحفاظ على النسبة", "Maintain AspectRatio");
    connect(MCheckBoxAspect, &QCheckBox::toggled, this, [this](bool On) {
        if (On)
            SetSize(FWidth, FLength);
    });
    MCheckBoxStretch = MakeCheck(this, this, QRect(14, 110, 20, 20), "", "");
    MLabelStretch = MakeLabel(this, this, QRect(36, 112, 240, 16), "مط الصورة", "Image Stretch");
    MBtnOK = OkButton(QRect(60, 160, 75, 25), [this] { OkClick(); });
    MBtnCancel = CancelButton(QRect(165, 160, 75, 25), [this] { CancelClick(); });
    FinishLayout();
}

void TFormImageResize::showEvent(QShowEvent* Event) {
    TPictureDialog::showEvent(Event);
    Accepted = false;
    MCheckBoxStretch->setVisible(ImageMode);
    MLabelStretch->setVisible(ImageMode);
    if (ImageMode || !MainLink)
        return;
    FUpdating = false;
    FBaseWidth = FBaseLength = 100;
    MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRect, bus::RectStore);
    MainLink->SendBusMessage(bus::GroupSelection, bus::CmdApplyPaste);
    FStart = ToBoardRect(MainLink->StoredRect());
    FBaseWidth = std::max(FStart.Width(), 1);
    FBaseLength = std::max(FStart.Height(), 1);
    FWork = FStart;
    FWidth = int(FBaseWidth);
    FLength = int(FBaseLength);
    FUpdating = true;
    TrackBarWidth->setValue(FWidth);
    TrackBarLength->setValue(FLength);
    MEditWidth->setText(QString::number(FWidth));
    MEditLength->setText(QString::number(FLength));
    FUpdating = false;
}

void TFormImageResize::SetWidth(int W) {
    FBaseWidth = W;
    FUpdating = true;
    MEditWidth->setText(QString::number(W));
    FUpdating = false;
    FLastEdited = 1;
    SetSize(MEditWidth->Value(), MEditLength->Value());
}

void TFormImageResize::SetLength(int L) {
    FBaseLength = L;
    FUpdating = true;
    MEditLength->setText(QString::number(L));
    FUpdating = false;
    FLastEdited = 2;
    SetSize(MEditWidth->Value(), MEditLength->Value());
}

int TFormImageResize::GetWidth() const {
    return MEditWidth->Value();
}

int TFormImageResize::GetLength() const {
    return MEditLength->Value();
}

bool TFormImageResize::GetStretch() const {
    return MCheckBoxStretch->isVisibleTo(this) && MCheckBoxStretch->isChecked();
}

void TFormImageResize::EditChanged(int Dimension, int Value) {
    if (FUpdating)
        return;
    FLastEdited = Dimension;
    if (Dimension == 1)
        SetSize(Value, FLength);
    else
        SetSize(FWidth, Value);
}

void TFormImageResize::SetSize(std::int64_t W, std::int64_t L) {
    if (FUpdating)
        return;
    FUpdating = true;
    // The aspect ratio is taken in 64 bits; a size above the cell limit is refused.
    if (MCheckBoxAspect->isChecked()) {
        if (FLastEdited == 2 && FBaseLength > 0)
            W = FBaseWidth * L / FBaseLength;
        else if (FLastEdited == 1 && FBaseWidth > 0)
            L = FBaseLength * W / FBaseWidth;
    }
    W = std::max<std::int64_t>(W, 1);
    L = std::max<std::int64_t>(L, 1);
    if (!ImageLimits::PixelsWithinLimit(W, L)) {
        MEditWidth->setText(QString::number(FWidth));
        MEditLength->setText(QString::number(FLength));
        FUpdating = false;
        ShowSizeRefused(W, L);
        return;
    }
    TrackBarWidth->setValue(int(W));
    TrackBarLength->setValue(int(L));
    MEditWidth->setText(QString::number(W));
    MEditLength->setText(QString::number(L));
    FWidth = int(W);
    FLength = int(L);
    Preview();
    FUpdating = false;
}

void TFormImageResize::Preview() {
    if (ImageMode || !MainLink || !isVisible())
        return;
    MainLink->SetStoredRect(ToQRect(FWork));
    MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRect, bus::RectStretchLast);
    // The bottom-left corner stays; the rectangle covers exactly the current size.
    FWork.Top = FWork.Bottom - FLength + 1;
    FWork.Right = FWork.Left + FWidth - 1;
    MainLink->SetStoredRect(ToQRect(FWork));
    MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRect, bus::RectStretchFirst);
}

void TFormImageResize::OkClick() {
    if (!ImageMode && MainLink) {
        MainLink->SetStoredRect(ToQRect(FWork));
        MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRect, RectKeep);
    }
    Accept();
}

void TFormImageResize::CancelClick() {
    if (!ImageMode && MainLink) {
        MainLink->SetStoredRect(ToQRect(FWork));
        MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRect, bus::RectStretchLast);
        MainLink->SetStoredRect(ToQRect(FStart));
        MainLink->SendBusMessage(bus::GroupSelection, bus::CmdRect, RectRestore);
    }
    Cancel();
}
