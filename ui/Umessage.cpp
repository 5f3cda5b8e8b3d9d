#include "ui/Umessage.h"

#include "platform/Errors.h"
#include "ui/Image_m.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/label_m.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>

#include <algorithm>

TMessageBox::TMessageBox(const QString& FileName, QObject* AOwner, MLanguagePack* Pack)
    : MForm(qobject_cast<QWidget*>(AOwner), Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      FFileName(FileName) {
    // The form: built in English, mirrored by the pack's language when it is shown.
    resize(FormClientWidth, FormInitialClientHeight);
    MLanguageAdapter1 = new MLanguageAdapter(this);
    if (!Pack && DMLanguagePack)
        Pack = DMLanguagePack->OLanguagePack;
    SetLanguagePack(Pack);
    SetResourceLanguage(LanguageEnglish);
    SetSystemMenuEnable(true);
    MasterAdapter = false;
    M_Caption().SetCaptions({QStringLiteral("رسالة"), QStringLiteral("Message")});
    LanguageDetail().Font().ApplyTo(this);

    MImage1 = new MImage(this);
    MImage1->SetBounds(0, 0, FormClientWidth, FormInitialClientHeight);
    MImage1->SetStretch(true);

    LabelMessage = new MLabel(this);
    LabelMessage->SetBounds(8, 8, 319, LabelHeight);
    LabelMessage->setWordWrap(true);
    // As built (in English): read left to right, left-justified; the language messages switch both.
    LabelMessage->SetArabic(false);
    LabelMessage->SetAlignment(taLeftJustify);

    BtnOk = MakeButton(mbOK, QStringLiteral("موافق"), QStringLiteral("OK"), &TMessageBox::BtnOkClick);
    BtnNo = MakeButton(mbNo, QStringLiteral("لا"), QStringLiteral("No"), &TMessageBox::BtnNoClick);
    BtnAll = MakeButton(mbAll, QStringLiteral("الكل"), QStringLiteral("All"), &TMessageBox::BtnAllClick);
    BtnHelp =
        MakeButton(mbHelp, QStringLiteral("مساعدة"), QStringLiteral("Help"), &TMessageBox::BtnHelpClick);
    BtnClose =
        MakeButton(mbClose, QStringLiteral("إغلاق"), QStringLiteral("Close"), &TMessageBox::BtnCloseClick);
    BtnCancel =
        MakeButton(mbCancel, QStringLiteral("إلغاء"), QStringLiteral("Cancel"), &TMessageBox::BtnCancelClick);
    BtnIgnore =
        MakeButton(mbIgnore, QStringLiteral("تجاهل"), QStringLiteral("Ignore"), &TMessageBox::BtnIgnoreClick);
    BtnYes = MakeButton(mbYes, QStringLiteral("نعم"), QStringLiteral("Yes"), &TMessageBox::BtnYesClick);
    BtnAbort =
        MakeButton(mbAbort, QStringLiteral("إيقاف"), QStringLiteral("Abort"), &TMessageBox::BtnAbortClick);
    BtnRetry =
        MakeButton(mbRetry, QStringLiteral("إعادة"), QStringLiteral("Retry"), &TMessageBox::BtnRetryClick);

    FinishLoading();
    FormCreate();
}

TMessageBox::~TMessageBox() {
    if (MessageBox == static_cast<MMessageService*>(this))
        MessageBox = nullptr;
}

MButton* TMessageBox::MakeButton(int Bit, const QString& Arabic, const QString& English,
                                 void (TMessageBox::*Click)()) {
    auto* b = new MButton(this);
    b->Tag = Bit;
    b->SetBounds(10, 99, ButtonWidth, ButtonHeight);
    b->M_Caption()->SetCaptions({Arabic, English});
    b->SetCaption(English);
    b->setAutoDefault(false);
    b->setVisible(false);
    connect(b, &QPushButton::clicked, this, Click);
    return b;
}

void TMessageBox::FormCreate() {
    if (!FFileName.isEmpty())
        LoadMessageFile(FFileName);
}

bool TMessageBox::LoadMessageFile(const QString& FileName) {
    // A missing or unreadable catalogue leaves the box without messages; every message then shows
    // its missing-message text.
    return FCatalog.LoadMessageFile(FileName);
}

int TMessageBox::LookupLanguage() const {
    // While the pack hands out a switch, the language being switched to: the box shows itself in it.
    const MLanguagePack* pack = LanguagePack();
    return pack ? pack->FollowedLanguageNumber() : LanguageDetail().LanguageID();
}

void TMessageBox::LookupMessage(int Code, int SubCode, const QString& Args, QString& Text,
                                QString& Caption) const {
    // Shown on the screen: an Arabic text keeps each argument apart from its own reading order.
    FCatalog.LookupMessage(LookupLanguage(), Code, SubCode, Args, Text, Caption, true);
}

MButton* TMessageBox::ButtonOf(int Bit) const {
    for (MButton* b :
         {BtnOk, BtnYes, BtnNo, BtnRetry, BtnCancel, BtnIgnore, BtnAll, BtnHelp, BtnClose, BtnAbort})
        if (b->Tag == Bit)
            return b;
    return nullptr;
}

void TMessageBox::PrepareMessage(int Code, int SubCode, const QString& Args, int Buttons) {
    // Take the pack's language first (during a switch the language being switched to), so that the
    // texts set below are recorded for the language the window will show.
    if (MLanguagePack* pack = LanguagePack())
        if (LanguageDetail().LanguagePackFollow && LanguageDetail().LanguageID() != LookupLanguage())
            if (const MLanguageDetail* d = pack->Detail(LookupLanguage()))
                SetLanguageDetail(*d);

    QString text, caption;
    LookupMessage(Code, SubCode, Args, text, caption);
    SetCaption(caption);
    LabelMessage->SetCaption(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    // A set without any button the box knows would leave the window without a way out: OK then.
    if ((Buttons & AllButtons) == 0)
        Buttons = mbOK;

    // The layout is made left to right; a mirrored form is mirrored back for it and again after.
    const bool mirrored = LanguageDetail().AlignEnable();
    if (mirrored)
        LanguageDetail().SetAlignEnable(false);

    QList<MButton*> buttons;
    for (QObject* c : Components())
        if (auto* b = qobject_cast<MButton*>(c); b && b->Tag > 0)
            buttons.append(b);
    std::stable_sort(buttons.begin(), buttons.end(), [](MButton* a, MButton* b) { return a->Tag < b->Tag; });

    // The right limit is taken from the client width, so that a row holds the same buttons whatever
    // frame the window manager gives the window.
    const int rightLimit = width() - 10;
    FShown.clear();
    // Every line of the text in view: a text wrapped to more lines than the label holds lengthens it,
    // and the buttons stand below it.
    LabelMessage->SetBounds(LabelMessage->x(), LabelMessage->y(), LabelMessage->width(),
                            std::max(LabelHeight, LabelMessage->heightForWidth(LabelMessage->width())));
    int x = 10;
    int y = LabelMessage->y() + LabelMessage->height() + 10;
    for (MButton* b : buttons) {
        if (!(b->Tag & Buttons)) {
            b->setVisible(false);
            continue;
        }
        FShown.append(b);
        if (x + b->width() > rightLimit) {
            x = 10;
            y += BtnOk->height() + 10;
        }
        b->SetBounds(x, y, b->width(), b->height());
        x += b->width() + 10;
        b->setVisible(true);
    }
    resize(width(), y + BtnOk->height() + 10);
    // Each message starts with the focus on the first button of its row, whatever the last one left.
    if (!FShown.isEmpty())
        FShown.first()->setFocus();
    MImage1->SetBounds(MImage1->x(), 0, MImage1->width(), height());

    if (mirrored)
        LanguageDetail().SetAlignEnable(true);
}

QWidget* TMessageBox::AnchorWindow() const {
    return DialogAnchor(MainWindow);
}

int TMessageBox::ShowCodeMessage(int Code, int SubCode, const QString& Args, int Buttons) {
    if (FLoop)
        throw EInvalidOperation(QStringLiteral("The message box is already showing a message"));
    PrepareMessage(Code, SubCode, Args, Buttons);
    PlaceOver(AnchorWindow());
    FResult = -1;
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    FLoop = &loop;
    struct Reset {
        QEventLoop*& L;
        ~Reset() { L = nullptr; }
    } reset{FLoop};
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        raise();
        activateWindow();
    }
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    return FResult;
}

void TMessageBox::ShowPlainMessage(const QString& Text) {
    if (TApplication::PlainMessage)
        TApplication::PlainMessage(Text);
}

int TMessageBox::ShowUserMessage(int SubCode, const QString& Args, int Buttons) {
    return ShowCodeMessage(11, SubCode, Args, Buttons);
}

void TMessageBox::ButtonClicked(MButton* Button) {
    FResult = Button->Tag;
    close();
}

void TMessageBox::BtnOkClick() {
    ButtonClicked(BtnOk);
}
void TMessageBox::BtnYesClick() {
    ButtonClicked(BtnYes);
}
void TMessageBox::BtnNoClick() {
    ButtonClicked(BtnNo);
}
void TMessageBox::BtnRetryClick() {
    ButtonClicked(BtnRetry);
}
void TMessageBox::BtnCancelClick() {
    ButtonClicked(BtnCancel);
}
void TMessageBox::BtnIgnoreClick() {
    ButtonClicked(BtnIgnore);
}
void TMessageBox::BtnAllClick() {
    ButtonClicked(BtnAll);
}
void TMessageBox::BtnHelpClick() {
    ButtonClicked(BtnHelp);
}
void TMessageBox::BtnCloseClick() {
    ButtonClicked(BtnClose);
}
void TMessageBox::BtnAbortClick() {
    ButtonClicked(BtnAbort);
}

void TMessageBox::closeEvent(QCloseEvent* Event) {
    Event->accept(); // hidden, not freed
}

void TMessageBox::keyPressEvent(QKeyEvent* Event) {
    const bool plain = (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    MButton* press = nullptr;
    if (FLoop && plain && !FShown.isEmpty()) {
        if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
            auto* focused = qobject_cast<MButton*>(focusWidget());
            press = focused && FShown.contains(focused) ? focused : FShown.first();
        } else if (Event->key() == Qt::Key_Escape) {
            if (FShown.contains(BtnCancel))
                press = BtnCancel;
            else if (FShown == QList<MButton*>{BtnOk})
                press = BtnOk;
        }
    }
    if (press) {
        press->click();
        return;
    }
    MForm::keyPressEvent(Event);
}

void TMessageBox::hideEvent(QHideEvent* Event) {
    MForm::hideEvent(Event);
    if (FLoop)
        FLoop->quit();
}

TMessageBox* SharedMessageBox() {
    return dynamic_cast<TMessageBox*>(MessageBox);
}

QString CatalogueLine(int Code, int SubCode, const QString& Args, const char* English) {
    if (TMessageBox* box = SharedMessageBox()) {
        QString text, caption;
        box->LookupMessage(Code, SubCode, Args, text, caption);
        if (!text.startsWith(QLatin1String("Error Code:")))
            return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                .replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return QString::fromUtf8(English).arg(Args);
}
