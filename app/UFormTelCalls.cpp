#include "app/UFormTelCalls.h"

#include "app/UDialing.h"
#include "app/UProjectFiles.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "platform/Errors.h"
#include "ui/button_m.h"
#include "ui/combobox_m.h"
#include "ui/label_m.h"
#include "ui/panel_m.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace {

template <class T>
T* Placed(T* Control, const char* Name, QRect Bounds) {
    Control->setObjectName(QLatin1String(Name));
    Control->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    return Control;
}

MPanel* MakePanel(QObject* Owner, QWidget* Parent, const char* Name, QRect Bounds, const char* Arabic,
                  const char* English) {
    auto* p = Placed(new MPanel(Owner, Parent), Name, Bounds);
    p->M_Caption()->SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
    p->SetCaption(QString::fromUtf8(English));
    return p;
}

} // namespace

TFormTransfer::TFormTransfer(QWidget* Parent, const TLineSource& Source) : MModalForm(Parent) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    PrepareForm(*this, 297, 151, QStringLiteral("النقل الهاتفي"), QStringLiteral("Telephone Transfer"));
    setObjectName(QStringLiteral("FormTransfer"));

    pnlMain = MakePanel(this, this, "pnlMain", QRect(8, 8, 281, 97), "", "");
    Label1 = MakeLabel(this, pnlMain, QRect(10, 14, 84, 16), "الخط المختار:", "Selected Line:");
    Label1->setObjectName(QStringLiteral("Label1"));
    SelectedLine = Placed(new MComboBox(this, pnlMain), "SelectedLine", QRect(98, 10, 173, 21));
    // A device path reads from the left in either language.
    SelectedLine->M_Arabic = false;
    SelectedLine->SetArabic(false);
    PhoneNumber = Placed(new MNumEdit(this, pnlMain), "PhoneNumber", QRect(98, 38, 173, 21));
    PhoneNumber->SetNumOfDigit(20);
    PhoneNumber->SetSigned(false);
    PhoneNumber->SetArabic(false);
    PhoneNumber->setText(QStringLiteral("0"));
    BtnSendProject = MakeButton(this, QRect(30, 66, 100, 25), "إرسال إلى", "SendTo");
    BtnSendProject->setParent(pnlMain);
    BtnSendProject->setObjectName(QStringLiteral("BtnSendProject"));
    BtnReceiveCall = MakeButton(this, QRect(151, 66, 100, 25), "استقبال مكالمة", "ReceiveCall");
    BtnReceiveCall->setParent(pnlMain);
    BtnReceiveCall->setObjectName(QStringLiteral("BtnReceiveCall"));
    pnlWait = MakePanel(this, this, "pnlWait", QRect(78, 36, 141, 41), "يرجى الانتظار", "please Wait");
    // The wait panel hides what lies under it.
    QPalette face = pnlWait->palette();
    face.setBrush(QPalette::Window, palette().brush(QPalette::Button));
    pnlWait->setPalette(face);
    pnlWait->setAutoFillBackground(true);
    pnlWait->hide();
    btnStop = MakeButton(this, QRect(60, 116, 80, 25), "إيقاف", "Stop");
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setEnabled(false);
    btnClose = MakeButton(this, QRect(157, 116, 80, 25), "إغلاق", "Close");
    btnClose->setObjectName(QStringLiteral("btnClose"));

    OpenDialog1.Filter = QStringLiteral("Universal File (*.lst *.LST)|*.lst");
    OpenDialog1.Options = ofHideReadOnly | ofFileMustExist;
    ReceiveFolder = AppFolder();

    // The line and, through its factory, the one dialing window of the program.
    TPhoneLine::SetDialingFactory(&TformDialing::Ensure);
    PhoneLine1 = new TPhoneLine(this, Source);
    PhoneLine1->WaitForCall = true;
    PhoneLine1->DeviceDirectAccess = false;
    PhoneLine1->Timeout = 20;
    PhoneLine1->OnConnection = [this](TPhoneLine*) { PhoneLine1Connection(); };
    PhoneLine1->OnDisconnect = [this](TPhoneLine* Line) {
        try {
            Line->CloseLine();
        } catch (const std::exception&) {
        }
        EnableControls(true);
    };
    PhoneLine1->OnDropCall = PhoneLine1->OnUnexpectedClose =
        PhoneLine1->OnClose = [this](TPhoneLine*) { EnableControls(true); };

    connect(BtnSendProject, &QPushButton::clicked, this, &TFormTransfer::BtnSendProjectClick);
    connect(BtnReceiveCall, &QPushButton::clicked, this, &TFormTransfer::BtnReceiveCallClick);
    connect(btnStop, &QPushButton::clicked, this, &TFormTransfer::btnStopClick);
    connect(btnClose, &QPushButton::clicked, this, &TFormTransfer::btnCloseClick);

    // FormCreate: the lines, the first one selected.
    QStringList lines;
    PhoneLine1->FillLineList(lines);
    SelectedLine->addItems(lines);
    SelectedLine->setCurrentIndex(lines.isEmpty() ? -1 : 0);
    FinishLoading();
}

TFormTransfer::~TFormTransfer() {
    // The line goes first: its hang-up may still raise events.
    PhoneLine1->OnConnection = PhoneLine1->OnDisconnect = PhoneLine1->OnDropCall = nullptr;
    PhoneLine1->OnUnexpectedClose = PhoneLine1->OnClose = nullptr;
    delete PhoneLine1;
}

void TFormTransfer::EnableControls(bool Idle) {
    FIdle = Idle;
    for (QWidget* w : {static_cast<QWidget*>(pnlMain), static_cast<QWidget*>(btnClose),
                       static_cast<QWidget*>(BtnSendProject), static_cast<QWidget*>(BtnReceiveCall),
                       static_cast<QWidget*>(PhoneNumber), static_cast<QWidget*>(SelectedLine)})
        w->setEnabled(Idle);
    pnlWait->setVisible(!Idle);
    if (!Idle)
        pnlWait->raise();
    btnStop->setEnabled(!Idle);
}

bool TFormTransfer::PrepareLine(bool Send) {
    const int device = SelectedLine->currentIndex();
    PhoneLine1->SetDevIdToInitialize(device);
    // A refused line leaves the one selected before; the station never uses that one instead.
    if (device < 0 || PhoneLine1->DevIdToInitialize() != device)
        return false;
    PhoneLine1->PhoneNumber = Send ? PhoneNumber->text() : QString();
    PhoneLine1->WaitForCall = !Send;
    PhoneLine1->DeviceDirectAccess = false;
    PhoneLine1->DirectAccessLogFile.clear();
    TransferStarted = false;
    Sending = Send;
    PhoneLine1->CloseLine();
    EnableControls(false);
    PhoneLine1->OpenLine();
    return true;
}

void TFormTransfer::BtnSendProjectClick() {
    TFileDialogSettings settings = OpenDialog1;
    if (!MakeFileDialog()->Execute(dkOpen, settings, this) || settings.FileName.isEmpty())
        return;
    OpenDialog1.FileName = settings.FileName;
    EnableControls(false);
    try {
        // The project is read once, before the call.
        FOutgoing = ReadOutgoingProject(settings.FileName);
        if (!PrepareLine(true)) {
            EnableControls(true);
            return;
        }
        if (!PhoneLine1->MakeCall())
            EnableControls(true);
    } catch (const std::exception& e) {
        EnableControls(true);
        TPhoneLine::ShowError(e);
    }
}

void TFormTransfer::BtnReceiveCallClick() {
    EnableControls(false);
    try {
        if (!PrepareLine(false))
            EnableControls(true);
    } catch (const std::exception& e) {
        EnableControls(true);
        TPhoneLine::ShowError(e);
    }
}

void TFormTransfer::PhoneLine1Connection() {
    if (TransferStarted)
        return;
    TransferStarted = true;
    try {
        if (Sending)
            SendFiles();
        else
            ReceiveFiles();
    } catch (const std::exception& e) {
        btnStopClick();
        TPhoneLine::ShowError(e);
    }
}

void TFormTransfer::SendFiles() {
    SendProject(*PhoneLine1, FOutgoing);
    FOutgoing = TOutgoingProject();
    PhoneLine1->DropCall();
}

void TFormTransfer::ReceiveFiles() {
    const TReceivedProject got =
        ReceiveProject(*PhoneLine1, ReceiveFolder, {[](const QString& Lst) { OpenProjectFiles(Lst); }});
    if (!got.Paths[slotLst].isEmpty())
        ReceivedFiles.append(got.Paths[slotLst]);
    // The sender hangs up after the last answer; one that does not is hung up on.
    PhoneLine1->WaitForHangUp(PhoneLine1->Timeout * 1000);
    if (PhoneLine1->Connected())
        PhoneLine1->DropCall();
    if (got.KeptName != got.SentName && !got.KeptName.isEmpty() && MessageBox)
        MessageBox->ShowCodeMessage(
            TransferText::Code, TransferText::KeptAs,
            CatalogueArg(got.SentName) + QLatin1Char(';') + CatalogueArg(got.KeptName), mbOK);
}

void TFormTransfer::btnStopClick() {
    try {
        PhoneLine1->DropCall();
    } catch (const std::exception&) {
    }
    EnableControls(true);
}

void TFormTransfer::btnCloseClick() {
    try {
        PhoneLine1->CloseLine();
    } catch (const std::exception&) {
    }
    SetModalResult(mrOk);
    close();
}

void TFormTransfer::closeEvent(QCloseEvent* Event) {
    if (!FIdle) {
        Event->ignore();
        return;
    }
    try {
        PhoneLine1->CloseLine();
    } catch (const std::exception&) {
    }
    MModalForm::closeEvent(Event);
}

void TFormTransfer::keyPressEvent(QKeyEvent* Event) {
    if (!FIdle && Event->key() == Qt::Key_Escape) {
        Event->accept();
        return;
    }
    MModalForm::keyPressEvent(Event);
}
