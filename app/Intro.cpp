#include "app/Intro.h"

#include "app/TwoImageButton.h"
#include "app/UMainTools.h"
#include "editors/FormParts.h"
#include "ui/Image_m.h"
#include "ui/button_m.h"
#include "ui/label_m.h"

#include <QPushButton>

#include <memory>

QPoint CentredOrigin(QSize Screen, QSize Window) {
    return {(Screen.width() - Window.width()) / 2, (Screen.height() - Window.height()) / 2};
}

TFormIntro::TFormIntro(QWidget* Parent)
    : QWidget(Parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("FormIntro"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The main window centres it on its screen as it shows it.
    resize(500, 250);
    MTwoImageButton1 = new MTwoImageButton(this);
    MTwoImageButton1->setGeometry(rect());
    MTwoImageButton1->SetStretch(true);
    MTwoImageButton1->SetPicture(
        QPixmap::fromImage(LoadStationPicture(QStringLiteral("Bitmaps\\Intro.bmp"))));
}

TFormIntro::~TFormIntro() = default;

TFormAbout::TFormAbout(QWidget* Parent) : MModalForm(Parent) {
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    PrepareForm(*this, 392, 228, QStringLiteral("حول JXW777"), QStringLiteral("About JXW777"));
    setObjectName(QStringLiteral("FormAbout"));
    MImage1 = new MImage(this, this);
    MImage1->SetBounds(0, 0, 392, 228);
    MImage1->SetStretch(true);
    MImage1->SetPicture(QPixmap::fromImage(LoadStationPicture(QStringLiteral("Bitmaps\\About.bmp"))));
    lblData1 =
        MakeLabel(this, this, QRect(24, 110, 344, 20), "محطة تصميم الحياكة", "Knitting design station");
    lblData4 = MakeLabel(this, this, QRect(24, 136, 344, 20), "الإصدار " KDS_STATION_VERSION,
                         "Version " KDS_STATION_VERSION);
    for (MLabel* l : {lblData1, lblData4}) {
        l->SetAlignment(taCenter);
        l->M_SelfAlign = false; // centred under the name in every language
    }
    btnOK = MakeButton(this, QRect(158, 190, 75, 25), "موافق", "OK");
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    SetDefaultButton(btnOK);
    FormCreate();
    FinishLoading();
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::FormCreate() {
    for (MLabel* l : {lblData1, lblData4}) {
        l->setAutoFillBackground(false);
        l->setAttribute(Qt::WA_TranslucentBackground);
    }
}

void TFormAbout::btnOKClick() {
    SetModalResult(mrOk);
}

void ShowAbout() {
    auto about = std::make_unique<TFormAbout>();
    about->hide();
    about->ShowModal();
}
