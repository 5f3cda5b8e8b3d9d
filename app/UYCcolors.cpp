#include "app/UYCcolors.h"

#include "app/UMainTools.h"
#include "editors/FormParts.h"
#include "ui/ScrollHemiSphereBtn_m.h"
#include "ui/button_m.h"
#include "ui/label_m.h"

namespace {

constexpr int RowTop = 12;
constexpr int RowStep = 30;
// The columns: the carriers' labels, rail 1, rail 2; the stitch buttons and their labels.
constexpr int YarnLabelLeft = 12;
constexpr int Rail1Left = 80;
constexpr int Rail2Left = 115;
constexpr int StitchLeft = 170;
constexpr int StitchLabelLeft = 202;

int RowY(int Row) {
    return RowTop + Row * RowStep;
}

} // namespace

TFormYCcolors::TFormYCcolors(QWidget* Parent) : MModalForm(Parent) {
    setWindowFlag(Qt::Tool);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    PrepareForm(*this, 350, 300, QStringLiteral("ألوان حاملات الخيوط"), QStringLiteral("YC Colors"));
    setObjectName(QStringLiteral("FormYCcolors"));
    OColorDialog = [this](TColor& Color) { return ExecuteOColorDialog(this, Color); };

    for (int carrier = 1; carrier <= 8; ++carrier) {
        const int y = RowY(carrier - 1);
        const QByteArray english = "Yarn " + QByteArray::number(carrier);
        const QByteArray arabic = "خيط " + QByteArray::number(carrier);
        MLabel* l = MakeLabel(this, this, QRect(YarnLabelLeft, y + 4, 64, 16), arabic.constData(),
                              english.constData());
        l->setObjectName(QStringLiteral("LabelYarn%1").arg(carrier));
        for (int rail = 1; rail <= 2; ++rail) {
            const QByteArray name = "btnYC" + QByteArray::number(rail - 1) + QByteArray::number(carrier);
            CarrierButtons[std::size_t((rail - 1) * 8 + carrier - 1)] =
                ColorButton(name.constData(), rail == 1 ? Rail1Left : Rail2Left, y);
        }
    }

    struct TStitchButton {
        MScrollHemiSphereBtn*& Button;
        const char* Name;
        const char* Arabic;
        const char* English;
    };
    const TStitchButton stitches[] = {
        {btnTransferedStitch, "btnTransferedStitch", "غرزة منقولة", "Transfered Stitch"},
        {btnRightTransfered, "btnRightTransfered", "منقولة يمينًا", "Right transfered"},
        {btnLeftTransfered, "btnLeftTransfered", "منقولة يسارًا", "Left transfered"},
        {btnOppositeStitch, "btnOppositeStitch", "غرزة معاكسة", "Opposite stitch"},
        {btnFallStitch, "btnFallStitch", "غرزة ساقطة", "Fall stitch"},
    };
    int row = 0;
    for (const TStitchButton& s : stitches) {
        const int y = RowY(row++);
        s.Button = ColorButton(s.Name, StitchLeft, y);
        MakeLabel(this, this, QRect(StitchLabelLeft, y + 4, 138, 16), s.Arabic, s.English);
    }

    btnOK = MakeButton(this, QRect(170, 262, 75, 25), "موافق", "OK");
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = MakeButton(this, QRect(255, 262, 75, 25), "إلغاء", "Cancel");
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, [this] {
        FAccepted = true;
        SetModalResult(mrOk);
    });
    SetDefaultButton(btnOK);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        FAccepted = false;
        SetModalResult(mrCancel);
    });
    FinishLoading();
}

MScrollHemiSphereBtn* TFormYCcolors::ColorButton(const char* Name, int Left, int Top) {
    auto* b = new MScrollHemiSphereBtn(this, this);
    b->setObjectName(QString::fromLatin1(Name));
    b->SetBounds(Left, Top, ButtonSize, ButtonSize);
    b->SetFaceColor(0x808080);
    b->SetBevelOuter(hbLowered);
    b->SetBevelWidth(2);
    b->SetAttenControl(1.0);
    b->OnClick = [this, b](QObject*) { ButtonClick(b); };
    return b;
}

void TFormYCcolors::ButtonClick(MScrollHemiSphereBtn* Button) {
    FChanged = true;
    TColor c = Button->FaceColor();
    if (OColorDialog && OColorDialog(c))
        Button->SetFaceColor(c);
}

bool TFormYCcolors::Execute() {
    FAccepted = false;
    ShowModal();
    // Kept as intended: once any button was clicked, every later OK reports a change.
    return FAccepted && FChanged;
}
