#pragma once
// The telephone transfer window: sends the three files of a project to another station over a
// modem line, or receives them. SendTo reads the chosen project once, then dials; ReceiveCall opens
// the line and answers the first call. The transfer itself runs inside the line's connection event
// through the block protocol; between blocks the window's messages run, so Stop is heard. Every
// machine program file received while the window is open is listed in ReceivedFiles, which the
// main window opens as projects once the window has closed.

#include "transfer/PhoneLine.h"
#include "transfer/TransferProtocol.h"
#include "ui/ComboEdit.h"
#include "ui/ModalForm.h"

#include <QStringList>

class MButton;
class MComboBox;
class MLabel;
class MNumEdit;
class MPanel;

class TFormTransfer : public MModalForm {
    Q_OBJECT
public:
    // Source: where the line finds its devices (the system's and the setting's by default).
    explicit TFormTransfer(QWidget* Parent = nullptr, const TLineSource& Source = TLineSource());
    ~TFormTransfer() override;

    MPanel* pnlMain;
    MLabel* Label1;
    MComboBox* SelectedLine;
    MNumEdit* PhoneNumber;
    MButton* BtnSendProject;
    MButton* BtnReceiveCall;
    MPanel* pnlWait;
    MButton* btnStop;
    MButton* btnClose;
    TPhoneLine* PhoneLine1;
    // The file dialog's settings; the main window may give it its initial folder.
    TFileDialogSettings OpenDialog1;

    // A connection is taken up only while this is false.
    bool TransferStarted = true;
    bool Sending = false;
    // The machine program files received, in order, under the names they were kept under: a
    // project whose name was taken here is kept under a free one (and a message names both).
    QStringList ReceivedFiles;
    // Where received projects are put: the application folder unless the main window names another.
    QString ReceiveFolder;

    // Switches between idle and busy.
    void EnableControls(bool Idle);
    bool Idle() const { return FIdle; }

    void BtnSendProjectClick();
    void BtnReceiveCallClick();
    void btnStopClick();
    void btnCloseClick();

protected:
    void closeEvent(QCloseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void PhoneLine1Connection();
    void SendFiles();
    void ReceiveFiles();
    // Puts the line's settings for a send or a reception; false when the line was refused.
    bool PrepareLine(bool Send);

    TOutgoingProject FOutgoing;
    bool FIdle = true;
};
