#include "app/UGTCtrl.h"

#include "app/UGtestWindow.h"
#include "app/UMain.h"
#include "app/UPrjContainer.h"
#include "app/UYCcolors.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "model/UCamCodes.h"
#include "platform/AppFolder.h"
#include "ui/Image_m.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/ScrollHemiSphereBtn_m.h"
#include "ui/button_m.h"
#include "ui/label_m.h"

#include <QCloseEvent>
#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int RailsWidth = 248, RailsHeight = 113;
constexpr int CarriageWidth = 240, CarriageHeight = 100;
constexpr int ArrowWidth = 94, ArrowHeight = 21;
// The tops of carrier k's two labels (index k - 1).
constexpr int CarrierTops[8] = {101, 85, 74, 58, 47, 31, 20, 4};
// The carriage's columns 1..4.
constexpr int ColumnLefts[4] = {197, 137, 78, 18};
constexpr int ColumnWidth = 38;
constexpr TColor Blue = 0xFF0000, Green = 0x008000, Red = 0x0000FF;

QColor ColorOf(TColor C) {
    return QColor(int(C & 0xFF), int((C >> 8) & 0xFF), int((C >> 16) & 0xFF));
}

void SetTextColor(QWidget* W, TColor C) {
    QPalette p = W->palette();
    p.setColor(QPalette::ButtonText, ColorOf(C));
    p.setColor(QPalette::WindowText, ColorOf(C));
    W->setPalette(p);
}

void SetBackground(MLabel* L, TColor C) {
    QPalette p = L->palette();
    p.setColor(QPalette::Window, ColorOf(C));
    L->setPalette(p);
}

// The rails: two steel bars under the carriers' lines, the needle bed's extent marked between the
// left and the right parking places.
QPixmap RailsPicture() {
    QPixmap pm(RailsWidth, RailsHeight);
    pm.fill(QColor(226, 230, 236));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // The bed between the parking places (label places 12..52 and 197..240 are off the bed).
    p.fillRect(QRect(58, 2, 132, RailsHeight - 4), QColor(205, 214, 226));
    p.setPen(QPen(QColor(120, 130, 150), 1, Qt::DashLine));
    p.drawLine(124, 2, 124, RailsHeight - 3);
    for (int k = 0; k < 8; ++k) {
        const int y = CarrierTops[k] + 5;
        QLinearGradient g(0, y - 2, 0, y + 2);
        g.setColorAt(0, QColor(250, 250, 252));
        g.setColorAt(1, QColor(110, 118, 132));
        p.fillRect(QRect(4, y - 2, RailsWidth - 8, 4), g);
    }
    p.setPen(QColor(90, 96, 110));
    p.drawRect(QRect(0, 0, RailsWidth - 1, RailsHeight - 1));
    return pm;
}

// The carriage seen from above: a housing with four cam boxes, the front bed's below the rear's.
QPixmap CarriagePicture() {
    QPixmap pm(CarriageWidth, CarriageHeight);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, CarriageHeight);
    g.setColorAt(0, QColor(196, 204, 214));
    g.setColorAt(1, QColor(150, 160, 174));
    p.setBrush(g);
    p.setPen(QColor(80, 88, 100));
    p.drawRoundedRect(QRectF(0.5, 0.5, CarriageWidth - 1, CarriageHeight - 1), 8, 8);
    for (int c = 0; c < 4; ++c) {
        const int x = ColumnLefts[c] - 6;
        p.setBrush(QColor(232, 236, 240));
        p.drawRoundedRect(QRectF(x, 22, ColumnWidth + 4, 34), 3, 3);
        p.drawRoundedRect(QRectF(x, 62, ColumnWidth + 4, 34), 3, 3);
    }
    return pm;
}

// An arrow along the carriage's direction of travel.
QPixmap ArrowPicture(bool Right) {
    QPixmap pm(ArrowWidth, ArrowHeight);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const double tip = Right ? ArrowWidth - 2 : 2, back = Right ? ArrowWidth - 22 : 22;
    const double tail = Right ? 2 : ArrowWidth - 2;
    path.moveTo(tail, 7);
    path.lineTo(back, 7);
    path.lineTo(back, 1);
    path.lineTo(tip, ArrowHeight / 2.0);
    path.lineTo(back, ArrowHeight - 1);
    path.lineTo(back, ArrowHeight - 7);
    path.lineTo(tail, ArrowHeight - 7);
    path.closeSubpath();
    p.setPen(QColor(20, 60, 130));
    p.setBrush(QColor(60, 120, 210));
    p.drawPath(path);
    return pm;
}

// A value shows in both languages alike.
void ShowValue(MLabel* L, const QString& Text) {
    L->M_Caption()->SetCaptions({Text, Text});
    L->setText(Text);
}

MLabel* ValueLabel(TFormGTControl* Form, QWidget* Parent, const char* Name, QRect Bounds) {
    MLabel* l = MakeLabel(Form, Parent, Bounds, "", "");
    l->setObjectName(QLatin1String(Name));
    SetTextColor(l, Blue);
    return l;
}

} // namespace

TFormGTControl::TFormGTControl(TGTWindow& Window) : MForm(&Window), FWindow(Window) {
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setObjectName(QStringLiteral("FormGTControl"));
    // A short Arabic title: the caption bar of a tool window this narrow cuts a long one.
    PrepareForm(*this, FormWidth, FormHeight, QStringLiteral("لوحة الاختبار الرسومي"),
                QStringLiteral("G-TEST control panel"));
    setFixedSize(FormWidth, FormHeight);

    auto* pnlControls = new QWidget(this);
    pnlControls->setObjectName(QStringLiteral("PnlControls"));
    pnlControls->setGeometry(0, 1, 252, 66);
    auto button = [this](QWidget* Parent, const char* Name, QRect R, const char* Arabic, const char* English,
                         TColor Colour) {
        MButton* b = MakeButton(this, R, Arabic, English);
        b->setParent(Parent);
        b->setGeometry(R);
        b->setObjectName(QLatin1String(Name));
        SetTextColor(b, Colour);
        return b;
    };
    BtnYCcolors =
        button(pnlControls, "BtnYCcolors", QRect(8, 7, 76, 24), "ألوان الحاملات", "YC Colors", Green);
    BtnNextSystem =
        button(pnlControls, "BtnNextSystem", QRect(88, 7, 76, 24), "النظام التالي", "Next System", Blue);
    BtnNextZ = button(pnlControls, "BtnNextZ", QRect(168, 7, 76, 24), "التالي (Z)", "Next (Z)", Blue);
    auto scroll = [this, pnlControls](const char* Name, int Left) {
        auto* b = new MScrollBitBtn(this, pnlControls);
        b->setObjectName(QLatin1String(Name));
        b->SetBounds(Left, 34, 76, 24);
        return b;
    };
    scbtnStitchStyle = scroll("scbtnStitchStyle", 8);
    scbtnGTstyle = scroll("scbtnGTstyle", 88);
    scbtnRenderSide = scroll("scbtnRenderSide", 168);

    auto* pnlYarns = new QWidget(this);
    pnlYarns->setObjectName(QStringLiteral("PnlYarnsPositions"));
    pnlYarns->setGeometry(0, 69, 252, 117);
    ImgRails = new MImage(this, pnlYarns);
    ImgRails->setObjectName(QStringLiteral("ImgRails"));
    ImgRails->setGeometry(2, 2, RailsWidth, RailsHeight);
    ImgRails->SetPicture(RailsPicture());
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < 8; ++k) {
            MLabel* l = MakeLabel(this, ImgRails, QRect(12, CarrierTops[k], LabelWidth, LabelHeight), "", "");
            l->setObjectName(QStringLiteral("lblYC%1%2").arg(r).arg(k + 1));
            l->setAutoFillBackground(true);
            QFont f = l->font();
            f.setPixelSize(8);
            l->setFont(f);
            l->hide();
            // The rails are the machine's: a carrier parked left stays left in either language.
            l->M_Align().SetEnable(asDisable);
            CarrierLabels[std::size_t(r)][std::size_t(k)] = l;
        }

    auto* pnlCarriage = new QWidget(this);
    pnlCarriage->setObjectName(QStringLiteral("PnlCarriage"));
    pnlCarriage->setGeometry(0, 188, 252, 160);
    imgCarriage = new MImage(this, pnlCarriage);
    imgCarriage->setObjectName(QStringLiteral("imgCarriage"));
    imgCarriage->setGeometry(6, 55, CarriageWidth, CarriageHeight);
    imgCarriage->SetPicture(CarriagePicture());
    auto name = [this, pnlCarriage](QRect R, const char* English) {
        MakeLabel(this, pnlCarriage, R, English, English);
    };
    name(QRect(4, 3, 14, 13), "S:");
    lblS = ValueLabel(this, pnlCarriage, "lblS", QRect(18, 3, 40, 13));
    name(QRect(60, 3, 70, 13), "Main Rack   :");
    lblMainRack = ValueLabel(this, pnlCarriage, "lblMainRack", QRect(132, 3, 30, 13));
    name(QRect(166, 3, 50, 13), "Back FS:");
    lblBackFS = ValueLabel(this, pnlCarriage, "lblBackFS", QRect(218, 3, 30, 13));
    name(QRect(4, 16, 14, 13), "Z:");
    lblZ = ValueLabel(this, pnlCarriage, "lblZ", QRect(18, 16, 40, 13));
    name(QRect(60, 16, 70, 13), "Trans.  Rack:");
    lblTransRack = ValueLabel(this, pnlCarriage, "lblTransRack", QRect(132, 16, 30, 13));
    name(QRect(166, 16, 50, 13), "Front FS:");
    lblFrontFS = ValueLabel(this, pnlCarriage, "lblFrontFS", QRect(218, 16, 30, 13));
    imgRArrow = new MImage(this, pnlCarriage);
    imgRArrow->setObjectName(QStringLiteral("imgRArrow"));
    imgRArrow->setGeometry(78, 32, ArrowWidth, ArrowHeight);
    imgRArrow->SetPicture(ArrowPicture(true));
    imgLArrow = new MImage(this, pnlCarriage);
    imgLArrow->setObjectName(QStringLiteral("imgLArrow"));
    imgLArrow->setGeometry(78, 32, ArrowWidth, ArrowHeight);
    imgLArrow->SetPicture(ArrowPicture(false));
    for (MImage* i : {ImgRails, imgCarriage, imgRArrow, imgLArrow})
        i->M_Align().SetEnable(asDisable);
    for (int c = 0; c < 4; ++c) {
        const int left = ColumnLefts[c];
        auto column = [&](const QString& Name, int Top) {
            MLabel* l = ValueLabel(this, pnlCarriage, "", QRect(left, Top, ColumnWidth, 13));
            l->setObjectName(Name);
            l->SetAlignment(taCenter);
            // The systems stand on the carriage as they meet the needles under the arrow of travel
            // (system 1 leads to the right): the carriage is not mirrored for a right-to-left reader.
            l->M_Align().SetEnable(asDisable);
            l->raise();
            return l;
        };
        lblYCsSys[std::size_t(c)] = column(QStringLiteral("lblYCsSys%1").arg(c + 1), 59);
        lblLineH[std::size_t(c)] = column(QStringLiteral("lblLineH%1").arg(2 * c + 2), 81);
        lblCamH[std::size_t(c)] = column(QStringLiteral("lblCamH%1").arg(2 * c + 2), 96);
        lblCamV[std::size_t(c)] = column(QStringLiteral("lblCamV%1").arg(2 * c + 1), 121);
        lblLineV[std::size_t(c)] = column(QStringLiteral("lblLineV%1").arg(2 * c + 1), 136);
    }

    auto edit = [this](const char* Name, int Left, const char* Caption) {
        MNumEdit* e = MakeEdit(this, this, QRect(Left + 12, 356, 38, 22), true);
        e->setObjectName(QLatin1String(Name));
        e->SetNumOfDigit(5);
        e->SetValue(0);
        MakeEditLabel(this, this, Left, 12, e, Caption, Caption);
        return e;
    };
    edtYcontinue = edit("edtYcontinue", 7, "Y");
    edtZcontinue = edit("edtZcontinue", 63, "Z");
    edtScontinue = edit("edtScontinue", 119, "S");
    btnContinueTo = button(this, "btnContinueTo", QRect(172, 353, 76, 30), "متابعة إلى", "Continue To", Blue);
    BtnStop = button(this, "BtnStop", QRect(6, 385, 76, 30), "خروج", "Exit", Red);
    BtnNew = button(this, "BtnNew", QRect(89, 385, 76, 30), "جديد", "New", Green);
    BtnContinue = button(this, "BtnContinue", QRect(172, 385, 76, 30), "متابعة", "Continue", Blue);

    connect(BtnYCcolors, &QPushButton::clicked, this, [this] { BtnYCcolorsClick(); });
    connect(BtnNextSystem, &QPushButton::clicked, this, [this] { BtnNextSystemClick(); });
    connect(BtnNextZ, &QPushButton::clicked, this, [this] { BtnNextZClick(); });
    connect(btnContinueTo, &QPushButton::clicked, this, [this] { btnContinueToClick(); });
    connect(BtnStop, &QPushButton::clicked, this, [this] { BtnStopClick(); });
    connect(BtnNew, &QPushButton::clicked, this, [this] { BtnNewClick(); });
    connect(BtnContinue, &QPushButton::clicked, this, [this] { BtnContinueClick(); });
    scbtnStitchStyle->OnIndexChange = [this](QObject*) { scbtnStitchStyleIndexChange(); };
    scbtnGTstyle->OnIndexChange = [this](QObject*) { scbtnGTstyleIndexChange(); };
    scbtnRenderSide->OnIndexChange = [this](QObject*) { scbtnRenderSideIndexChange(); };

    Timer1.setInterval(350);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    FMoveTimer.setInterval(50);
    connect(&FMoveTimer, &QTimer::timeout, this, [this] { MoveTick(); });

    // FormCreate.
    FCacheFile = FWindow.Main ? QDir(FWindow.Main->CacheFolder()).filePath(QStringLiteral("YCcolors.che"))
                              : AppFile(QStringLiteral("Cache\\YCcolors.che"));
    FColorDialog = std::make_unique<TFormYCcolors>(this);
    FColorDialog->hide();
    FAttached = false;
    Closing = false;
    SetStopMode(2);
    SetStyleCaptions();
    FinishLoading();
    Timer1.start();
}

TFormGTControl::~TFormGTControl() = default;

void TFormGTControl::DOAfterLanguageChange(int aNewLanguage) {
    MForm::DOAfterLanguageChange(aNewLanguage);
    // A change while the form is being built waits for its buttons.
    if (!BtnStop)
        return;
    SetStyleCaptions();
    SetStopMode(FMode);
}

void TFormGTControl::closeEvent(QCloseEvent* Event) {
    // The panel has no close box; it goes with its window.
    Event->ignore();
}

// ============================================================================ Captions and modes

void TFormGTControl::SetStyleCaptions() {
    const bool arabic = LanguageDetail().LanguageID() == LanguageArabic;
    auto set = [](MScrollBitBtn* B, const QStringList& Captions) {
        MCaptionList& l = B->M_CaptionList();
        l.SetCaptionList(Captions);
        l.SetMaxIndex(int(Captions.size()) - 1);
        l.ApplyCaption(true);
    };
    if (arabic) {
        set(scbtnStitchStyle, {QStringLiteral("لون"), QStringLiteral("غرزة")});
        set(scbtnGTstyle, {QStringLiteral("عادي"), QStringLiteral("الحاملات"), QStringLiteral("جاكار"),
                           QStringLiteral("نقل")});
        set(scbtnRenderSide, {QStringLiteral("أمامي"), QStringLiteral("خلفي")});
    } else {
        set(scbtnStitchStyle, {QStringLiteral("Color"), QStringLiteral("Stitch")});
        set(scbtnGTstyle, {QStringLiteral("Normal"), QStringLiteral("YC"), QStringLiteral("Jaquard"),
                           QStringLiteral("Transfer")});
        set(scbtnRenderSide, {QStringLiteral("Front"), QStringLiteral("Rear")});
    }
}

void TFormGTControl::SetStopMode(int Mode) {
    if (Mode == 1)
        BtnStop->M_Caption()->SetCaptions({QStringLiteral("توقف"), QStringLiteral("Stop")});
    else
        BtnStop->M_Caption()->SetCaptions({QStringLiteral("خروج"), QStringLiteral("Exit")});
    BtnStop->M_Caption()->ApplyCaption(true);
    FMode = Mode;
}

int TFormGTControl::Target(MNumEdit* Edit) {
    if (Edit->Value() < 0)
        Edit->SetValue(0);
    return Edit->Value();
}

// ============================================================================ Colours

void TFormGTControl::AttachProject() {
    BindCarriageLabels();
    if (LoadYcColors()) {
        ColorsFromDialog();
    } else {
        // A missing or damaged cache: the window's colours, written afresh.
        ColorsToDialog();
        SaveYcColors();
        FWindow.Drawing().BuildStitchGlyphs();
    }
    ClearCarriage();
    FAttached = true;
}

void TFormGTControl::ColorsFromDialog() {
    TGtestColors& table = FWindow.Colors();
    for (int r = 1; r <= 2; ++r)
        for (int k = 1; k <= 8; ++k) {
            const TColor c = FColorDialog->CarrierButtons[std::size_t((r - 1) * 8 + k - 1)]->FaceColor();
            SetBackground(CarrierLabels[std::size_t(r - 1)][std::size_t(k - 1)], c);
            table[std::size_t(2 * (k - 1) + r - 1)] = c;
        }
    table[gtcolor::Transfered] = FColorDialog->btnTransferedStitch->FaceColor();
    table[gtcolor::RightTransfered] = FColorDialog->btnRightTransfered->FaceColor();
    table[gtcolor::LeftTransfered] = FColorDialog->btnLeftTransfered->FaceColor();
    table[gtcolor::Opposite] = FColorDialog->btnOppositeStitch->FaceColor();
    table[gtcolor::Fall] = FColorDialog->btnFallStitch->FaceColor();
    FWindow.Drawing().BuildStitchGlyphs();
}

void TFormGTControl::ColorsToDialog() {
    const TGtestColors& table = FWindow.Colors();
    for (int r = 1; r <= 2; ++r)
        for (int k = 1; k <= 8; ++k) {
            const TColor c = table[std::size_t(2 * (k - 1) + r - 1)];
            FColorDialog->CarrierButtons[std::size_t((r - 1) * 8 + k - 1)]->SetFaceColor(c);
            SetBackground(CarrierLabels[std::size_t(r - 1)][std::size_t(k - 1)], c);
        }
    FColorDialog->btnTransferedStitch->SetFaceColor(table[gtcolor::Transfered]);
    FColorDialog->btnRightTransfered->SetFaceColor(table[gtcolor::RightTransfered]);
    FColorDialog->btnLeftTransfered->SetFaceColor(table[gtcolor::LeftTransfered]);
    FColorDialog->btnOppositeStitch->SetFaceColor(table[gtcolor::Opposite]);
    FColorDialog->btnFallStitch->SetFaceColor(table[gtcolor::Fall]);
}

void TFormGTControl::SaveYcColors() {
    TGtestColors file{};
    for (int i = 0; i < 16; ++i)
        file[std::size_t(i)] = FColorDialog->CarrierButtons[std::size_t(i)]->FaceColor();
    file[gtcolor::Transfered] = FColorDialog->btnTransferedStitch->FaceColor();
    file[gtcolor::RightTransfered] = FColorDialog->btnRightTransfered->FaceColor();
    file[gtcolor::LeftTransfered] = FColorDialog->btnLeftTransfered->FaceColor();
    file[gtcolor::Opposite] = FColorDialog->btnOppositeStitch->FaceColor();
    file[gtcolor::Fall] = FColorDialog->btnFallStitch->FaceColor();
    // A cache that cannot be written is passed over: the colours stay in force for this test.
    WriteYcCacheFile(FCacheFile, file);
}

bool TFormGTControl::LoadYcColors() {
    const std::optional<TGtestColors> file = ReadYcCacheFile(FCacheFile);
    if (!file)
        return false;
    for (int i = 0; i < 16; ++i)
        FColorDialog->CarrierButtons[std::size_t(i)]->SetFaceColor((*file)[std::size_t(i)]);
    FColorDialog->btnTransferedStitch->SetFaceColor((*file)[gtcolor::Transfered]);
    FColorDialog->btnRightTransfered->SetFaceColor((*file)[gtcolor::RightTransfered]);
    FColorDialog->btnLeftTransfered->SetFaceColor((*file)[gtcolor::LeftTransfered]);
    FColorDialog->btnOppositeStitch->SetFaceColor((*file)[gtcolor::Opposite]);
    FColorDialog->btnFallStitch->SetFaceColor((*file)[gtcolor::Fall]);
    return true;
}

// ============================================================================ The carriage

void TFormGTControl::BindCarriageLabels() {
    const int systems = FWindow.SystemsCount();
    // One or two systems sit in the middle columns 2 and 3.
    const int shift = systems <= 2 ? 1 : 0;
    for (int s = 0; s < 4; ++s) {
        const std::size_t c = std::size_t((s + shift) % 4);
        CamSlots[std::size_t(2 * s)] = lblCamV[c];
        CamSlots[std::size_t(2 * s + 1)] = lblCamH[c];
        LineSlots[std::size_t(2 * s)] = lblLineV[c];
        LineSlots[std::size_t(2 * s + 1)] = lblLineH[c];
        SystemSlots[std::size_t(s)] = lblYCsSys[c];
        const bool used = s < systems;
        for (MLabel* l : {lblCamV[c], lblCamH[c], lblLineV[c], lblLineH[c], lblYCsSys[c]})
            l->setEnabled(used);
    }
}

const MYcData* TFormGTControl::Carrier(int Rail, int Carrier) const {
    const MRegisters& regs = FWindow.Engine().Sequencer.Regs;
    return &(Rail == 1 ? regs.Rail1 : regs.Rail2)[std::size_t(Carrier - 1)];
}

int TFormGTControl::CarrierZone(int Rail, int Carrier, int& X) const {
    const MYcData* yc = this->Carrier(Rail, Carrier);
    X = 0;
    if (!yc->InUse())
        return -1;
    if (!yc->Current.Absolute) {
        if (yc->Current.Offset > 0) {
            X = 240 - LabelWidth;
            return 0;
        }
        X = 12;
        return 3;
    }
    if (yc->Current.Position > FWindow.Engine().Width() / 2) {
        X = 185 - LabelWidth;
        return 1;
    }
    X = 64;
    return 2;
}

void TFormGTControl::PlaceCarrierLabels(int Carrier) {
    if (Carrier < 1 || Carrier > 8)
        return;
    MLabel* a = CarrierLabels[0][std::size_t(Carrier - 1)];
    MLabel* b = CarrierLabels[1][std::size_t(Carrier - 1)];
    int xa = 0, xb = 0;
    const int za = CarrierZone(1, Carrier, xa);
    const int zb = CarrierZone(2, Carrier, xb);
    const int w = FWindow.Engine().Width();
    if (za != -1 && za == zb) {
        const bool aFirst = MYcData::DecodePosition(this->Carrier(1, Carrier)->Current, w) <=
                            MYcData::DecodePosition(this->Carrier(2, Carrier)->Current, w);
        MLabel* left = aFirst ? a : b;
        MLabel* right = aFirst ? b : a;
        if (za == 2 || za == 3) {
            MoveLabel(left, xa);
            MoveLabel(right, xa + b->width());
        } else {
            MoveLabel(right, xa);
            MoveLabel(left, xa - b->width());
        }
    } else {
        if (za != -1)
            MoveLabel(a, xa);
        if (zb != -1)
            MoveLabel(b, xb);
    }
    for (int r = 1; r <= 2; ++r) {
        const MYcData* yc = this->Carrier(r, Carrier);
        if (!yc->InUse())
            continue;
        const int value = yc->Current.Absolute ? yc->Current.Position : yc->Current.Offset;
        ShowValue(CarrierLabels[std::size_t(r - 1)][std::size_t(Carrier - 1)], QString::number(value));
    }
}

void TFormGTControl::MoveLabel(MLabel* Label, int X) {
    FMoves.erase(
        std::remove_if(FMoves.begin(), FMoves.end(), [Label](const MMove& M) { return M.Label == Label; }),
        FMoves.end());
    const int d = (X - Label->x()) / 5;
    if (!Label->isVisible() || d == 0) {
        Label->move(X, Label->y());
        return;
    }
    // The first step at once, three more and the end 50 ms apart.
    Label->move(Label->x() + d, Label->y());
    FMoves.push_back({Label, d, 3, X});
    if (!FMoveTimer.isActive())
        FMoveTimer.start();
}

void TFormGTControl::MoveTick() {
    for (MMove& m : FMoves) {
        if (!m.Label)
            continue;
        if (m.StepsLeft > 0) {
            m.Label->move(m.Label->x() + m.Step, m.Label->y());
            --m.StepsLeft;
        } else {
            m.Label->move(m.X, m.Label->y());
            m.Label = nullptr;
        }
    }
    FMoves.erase(
        std::remove_if(FMoves.begin(), FMoves.end(), [](const MMove& M) { return M.Label.isNull(); }),
        FMoves.end());
    if (FMoves.empty())
        FMoveTimer.stop();
    ImgRails->update();
}

void TFormGTControl::FinishMoves() {
    for (MMove& m : FMoves)
        if (m.Label)
            m.Label->move(m.X, m.Label->y());
    FMoves.clear();
    FMoveTimer.stop();
}

void TFormGTControl::ShowCarrierLabels() {
    for (int k = 1; k <= 8; ++k) {
        PlaceCarrierLabels(k);
        for (int r = 1; r <= 2; ++r)
            CarrierLabels[std::size_t(r - 1)][std::size_t(k - 1)]->setVisible(Carrier(r, k)->InUse());
    }
    FLabelsPlaced = true;
}

void TFormGTControl::ShowCarriage() {
    const MRegisters& regs = FWindow.Engine().Sequencer.Regs;
    const MUnvZ& z = regs.Row;
    ShowValue(lblFrontFS, QString::number(z.FSFront));
    ShowValue(lblBackFS, QString::number(z.FSRear));
    const int hv = z.Racking[0].Position;
    ShowValue(lblMainRack, hv == 0  ? QStringLiteral("0")
                           : hv > 0 ? QString::number(hv) + QLatin1Char('<')
                                    : QString::number(-hv) + QLatin1Char('>'));
    static const QString uv[4] = {QStringLiteral(" "), QStringLiteral("G"), QStringLiteral("U1"),
                                  QStringLiteral("U2")};
    const int t = z.Racking[0].Transfer;
    ShowValue(lblTransRack, t >= 0 && t < 4 ? uv[t] : QString());
    ShowValue(lblS, QString::number(regs.PrevSLine));
    ShowValue(lblZ, QString::number(regs.PrevZRow));
    if (regs.PrevZRow % 2 != 0)
        imgLArrow->stackUnder(imgRArrow);
    else
        imgRArrow->stackUnder(imgLArrow);
    const int systems = std::clamp(FWindow.SystemsCount(), 0, 4);
    for (int i = 0; i < 2 * systems; ++i) {
        ShowValue(CamSlots[std::size_t(i)], CamCodeName(z.CamCode[std::size_t(i)]));
        ShowValue(LineSlots[std::size_t(i)], QString::number(z.PatternLine[std::size_t(i)]));
    }
    for (int s = 0; s < systems; ++s) {
        QString digits;
        for (int k = 1; k <= 8; ++k)
            if (z.Carriers[std::size_t(s)].IsSet(k - 1))
                digits += QString::number(k);
        ShowValue(SystemSlots[std::size_t(s)], digits);
    }
    for (int k = 1; k <= 8; ++k)
        if (Carrier(1, k)->Selected || Carrier(2, k)->Selected)
            PlaceCarrierLabels(k);
}

void TFormGTControl::ClearCarriage() {
    for (MLabel* l : {lblS, lblZ, lblMainRack, lblTransRack, lblFrontFS, lblBackFS})
        ShowValue(l, QString());
    for (int c = 0; c < 4; ++c)
        for (MLabel* l : {lblYCsSys[std::size_t(c)], lblLineH[std::size_t(c)], lblCamH[std::size_t(c)],
                          lblCamV[std::size_t(c)], lblLineV[std::size_t(c)]})
            ShowValue(l, QString());
    for (auto& rail : CarrierLabels)
        for (MLabel* l : rail) {
            ShowValue(l, QString());
            l->hide();
        }
    FinishMoves();
    FLabelsPlaced = false;
}

void TFormGTControl::Timer1Timer() {
    if (!FAttached || Closing)
        return;
    for (int r = 1; r <= 2; ++r)
        for (int k = 1; k <= 8; ++k) {
            MLabel* l = CarrierLabels[std::size_t(r - 1)][std::size_t(k - 1)];
            l->setAutoFillBackground(Carrier(r, k)->Selected ? !l->autoFillBackground() : true);
            l->update();
        }
    const int previous = FWindow.Engine().Sequencer.Regs.PrevSystem;
    const int systems = std::clamp(FWindow.SystemsCount(), 0, 4);
    for (int s = 1; s <= systems; ++s) {
        MLabel* sys = SystemSlots[std::size_t(s - 1)];
        const bool show = s == previous ? !sys->isVisible() : true;
        for (MLabel* l : {sys, CamSlots[std::size_t(2 * (s - 1))], CamSlots[std::size_t(2 * (s - 1) + 1)],
                          LineSlots[std::size_t(2 * (s - 1))], LineSlots[std::size_t(2 * (s - 1) + 1)]})
            l->setVisible(show);
    }
}

// ============================================================================ The buttons

void TFormGTControl::AfterStep() {
    if (FWindow.Closing())
        return;
    if (!FLabelsPlaced)
        ShowCarrierLabels();
    ShowCarriage();
}

void TFormGTControl::btnContinueToClick() {
    RunLong([this] { FWindow.ContinueTo(); });
}

void TFormGTControl::BtnContinueClick() {
    RunLong([this] { FWindow.ContinueRun(); });
}

void TFormGTControl::RunLong(const std::function<void()>& Run) {
    if (!FAttached || FWindow.Running())
        return;
    QPointer<TFormGTControl> self(this);
    const int newTests = FNewTests;
    SetStopMode(1);
    try {
        Run();
    } catch (...) {
        if (self)
            SetStopMode(2);
        throw;
    }
    if (!self)
        return;
    // A run that New ended leaves the carriage of the new test empty.
    if (FNewTests == newTests)
        AfterStep();
    SetStopMode(2);
}

void TFormGTControl::StepOnce(void (TGTWindow::*Step)()) {
    if (!FAttached)
        return;
    // During Continue the step is taken between two of its rows, and the run goes on after it.
    (FWindow.*Step)();
    AfterStep();
    SetStopMode(FWindow.Running() ? 1 : 2);
}

void TFormGTControl::BtnNextSystemClick() {
    StepOnce(&TGTWindow::NextSystem);
}

void TFormGTControl::BtnNextZClick() {
    StepOnce(&TGTWindow::NextZ);
}

void TFormGTControl::BtnStopClick() {
    if (!FAttached)
        return;
    if (FMode == 1) {
        FWindow.StopRun();
        return;
    }
    // The window goes once this handler has returned.
    FWindow.MayClose = true;
    QPointer<QWidget> frame = FWindow.Frame();
    QMetaObject::invokeMethod(
        frame,
        [frame] {
            if (frame)
                frame->close();
        },
        Qt::QueuedConnection);
}

void TFormGTControl::BtnNewClick() {
    if (!FAttached)
        return;
    // A run under way stops after its row and the test starts again at once.
    ++FNewTests;
    FWindow.StopRun();
    FWindow.NewTest();
    ClearCarriage();
    SetStopMode(2);
}

void TFormGTControl::BtnYCcolorsClick() {
    if (!FAttached)
        return;
    if (FColorDialog->Execute()) {
        ColorsFromDialog();
        SaveYcColors();
    } else {
        ColorsToDialog();
    }
}

void TFormGTControl::scbtnRenderSideIndexChange() {
    if (!FAttached)
        return;
    FWindow.Engine().RenderSide = scbtnRenderSide->M_CaptionList().Index();
}

void TFormGTControl::scbtnGTstyleIndexChange() {
    if (!FAttached)
        return;
    FWindow.Engine().Style = gsNormal + scbtnGTstyle->M_CaptionList().Index();
}

void TFormGTControl::scbtnStitchStyleIndexChange() {
    if (!FAttached)
        return;
    if (scbtnStitchStyle->M_CaptionList().Index() == 0) {
        FWindow.SetStitchMode(gvColor);
        FWindow.Engine().Style = gsNormal + scbtnGTstyle->M_CaptionList().Index();
    } else {
        FWindow.SetStitchMode(gvStitch);
        FWindow.Engine().Style = gsNormal;
    }
}
