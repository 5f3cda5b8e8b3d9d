#include "app/UDialing.h"

#include "editors/FormParts.h"
#include "platform/AppFolder.h"
#include "ui/LanguagePack.h"
#include "ui/button_m.h"
#include "ui/label_m.h"
#include "ui/panel_m.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace {

// The still picture shown when the animation cannot be loaded: a telephone receiver.
QPixmap ReceiverPicture() {
    QPixmap pixmap(80, 75);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0, 0, 128));
    QPainterPath handset;
    handset.moveTo(12, 46);
    handset.cubicTo(10, 20, 70, 20, 68, 46);
    handset.lineTo(56, 50);
    handset.cubicTo(54, 36, 26, 36, 24, 50);
    handset.closeSubpath();
    p.drawPath(handset);
    p.setBrush(QColor(128, 128, 128));
    p.drawRoundedRect(QRectF(18, 48, 44, 20), 4, 4);
    p.setBrush(Qt::white);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawRect(QRectF(23 + col * 9, 52 + row * 8, 5, 4));
    return pixmap;
}

TformDialing* GOwnWindow = nullptr;

} // namespace

// ============================================================================ TAnimate

TAnimate::TAnimate(QWidget* Parent) : QWidget(Parent), FTimer(new QTimer(this)) {
    connect(FTimer, &QTimer::timeout, this, [this] {
        if (!FImages.empty()) {
            FFrame = (FFrame + 1) % int(FImages.size());
            update();
        }
    });
}

bool TAnimate::Open(const QString& FileName) {
    SetActive(false);
    FImages.clear();
    try {
        FClip = LoadAviClip(FileName);
    } catch (const std::exception&) {
        FClip = TAviClip();
        update();
        return false;
    }
    for (const auto& frame : FClip.Frames) {
        QImage image(FClip.Width, FClip.Height, QImage::Format_RGB32);
        for (int y = 0; y < FClip.Height; ++y)
            std::copy_n(frame.data() + std::size_t(y) * FClip.Width, FClip.Width,
                        reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
        FImages.push_back(image);
    }
    SetActive(false);
    return true;
}

void TAnimate::SetActive(bool Value) {
    FActive = Value && !FImages.empty();
    if (FActive) {
        FTimer->start(FClip.FrameTime > 0 ? std::max(20, FClip.FrameTime / 1000) : 100);
    } else {
        FTimer->stop();
        FFrame = FImages.empty() ? 0 : std::clamp(StopFrame - 1, 0, int(FImages.size()) - 1);
    }
    update();
}

void TAnimate::paintEvent(QPaintEvent*) {
    if (FImages.empty())
        return;
    QPainter p(this);
    // The frame at its own size, centred.
    const QImage& image = FImages[std::size_t(FFrame)];
    p.drawImage((width() - image.width()) / 2, (height() - image.height()) / 2, image);
}

// ============================================================================ TformDialing

TformDialing::TformDialing(QWidget* Parent) : MForm(Parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    PrepareForm(*this, 202, 128, QStringLiteral("جارٍ الاتصال..."), QStringLiteral("Dialing..."));
    setObjectName(QStringLiteral("formDialing"));

    // The animation's place, mirrored with the other controls when the language runs right to left.
    auto* place = new MPanel(this, this);
    place->SetBounds(20, 14, 80, 75);
    place->SetBevelOuter(bvNone);
    Image = new QLabel(place);
    Image->setObjectName(QStringLiteral("Image"));
    Image->setGeometry(0, 0, 80, 75);
    Image->setPixmap(ReceiverPicture());
    Image->hide();

    Animate = new TAnimate(place);
    Animate->setObjectName(QStringLiteral("Animate"));
    Animate->setGeometry(0, 0, 80, 75);
    Animate->StopFrame = 6;
    if (!Animate->Open(AppFile(QStringLiteral("PhoneLine.avi")))) {
        Animate->hide();
        Image->show();
    }

    bHangUp = MakeButton(this, QRect(112, 39, 80, 25), "إ&نهاء المكالمة", "&Hang up");
    bHangUp->setObjectName(QStringLiteral("bHangUp"));
    ModemName = MakeLabel(this, this, QRect(8, 98, 186, 16), "", "");
    ModemName->setObjectName(QStringLiteral("ModemName"));
    ModemName->SetAlignment(taCenter);
    connect(bHangUp, &QPushButton::clicked, this, [this] {
        if (TPhoneLine* line = TPhoneLine::Instance()) {
            try {
                line->DropCall();
            } catch (const std::exception& e) {
                TPhoneLine::ShowPlainMessage(QString::fromUtf8(e.what()));
            }
        }
        HideDialing();
    });
    FinishLoading();
    if (!TPhoneLine::DialingView())
        TPhoneLine::SetDialingView(this);
}

TformDialing::~TformDialing() {
    if (TPhoneLine::DialingView() == this)
        TPhoneLine::SetDialingView(nullptr);
    if (GOwnWindow == this)
        GOwnWindow = nullptr;
}

void TformDialing::ShowDialing() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    Animate->SetActive(true);
}

void TformDialing::HideDialing() {
    Animate->SetActive(false);
    hide();
}

void TformDialing::SetModemName(const QString& Name) {
    // The line's name is the same in either language.
    ModemName->M_Caption()->SetCaptions({Name, Name});
    ModemName->SetCaption(Name);
}

TDialingView* TformDialing::Ensure() {
    if (!TPhoneLine::DialingView()) {
        GOwnWindow = new TformDialing;
        GOwnWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    return TPhoneLine::DialingView();
}
