#pragma once
// The numbered message box: every message the station shows is named by a code and a subcode,
// looked up in the message catalogue in the current language, its argument slots filled, and shown
// in a small modal window with the buttons the caller asks for. The answer is the bit of the button
// pressed, or -1 when the window was closed without a button (callers treat it as Cancel).
//
// One box serves the whole program: the main window creates it over "Dta\sysmsg.dta" and installs it
// as the model's MessageBox; the application-wide error handler shows every program error through it.

#include "model/Ucommon.h"
#include "ui/Adapter.h"
#include "ui/UmessageCatalog.h"

#include <QList>
#include <QPointer>
#include <QString>

class MLabel;
class MButton;
class MImage;
class QEventLoop;

class TMessageBox : public MForm, public MMessageService {
    Q_OBJECT
public:
    // The window's client width, its height before the first message, and the buttons' size.
    static constexpr int FormClientWidth = 338;
    static constexpr int FormInitialClientHeight = 135;
    // The label's height as the form has it; a longer text grows the label (and the window) downwards.
    static constexpr int LabelHeight = 81;
    static constexpr int ButtonWidth = 57;
    static constexpr int ButtonHeight = 17;
    // Every button bit the box knows (OK 1 ... Abort 512).
    static constexpr int AllButtons = 1023;

    // Reads the catalogue FileName (an empty name: no catalogue); a missing or unreadable file
    // leaves the box without messages. Owner: a widget owner also becomes the box's parent; the
    // box is freed with it. Pack: the language pack the box follows (the program's by default).
    explicit TMessageBox(const QString& FileName, QObject* AOwner = nullptr, MLanguagePack* Pack = nullptr);
    ~TMessageBox() override;

    // The window's controls.
    MImage* MImage1;
    MLabel* LabelMessage;
    MButton* BtnOk;
    MButton* BtnNo;
    MButton* BtnAll;
    MButton* BtnHelp;
    MButton* BtnClose;
    MButton* BtnCancel;
    MButton* BtnIgnore;
    MButton* BtnYes;
    MButton* BtnAbort;
    MButton* BtnRetry;
    MLanguageAdapter* MLanguageAdapter1;

    const QString& FileName() const { return FFileName; }
    const MMessageCatalog& Catalog() const { return FCatalog; }
    // Reads a catalogue in place of the present one; false when it could not be read.
    bool LoadMessageFile(const QString& FileName);

    // The text and caption of a message in the pack's current language (not the box's own); an
    // Arabic text holds its arguments in directional isolates.
    void LookupMessage(int Code, int SubCode, const QString& Args, QString& Text, QString& Caption) const;
    // Shows the message modally and returns the bit of the button pressed, or -1. A message asked
    // for while the box is already showing one raises EInvalidOperation.
    int ShowCodeMessage(int Code, int SubCode, const QString& Args, int Buttons) override;
    // A text without a number ("Error in D&D"): shown in the application's plain box with OK.
    void ShowPlainMessage(const QString& Text) override;
    // A prompt or notice of the windows: code 11.
    int ShowUserMessage(int SubCode, const QString& Args, int Buttons);

    // Puts the message into the window and lays the buttons out, without showing it.
    void PrepareMessage(int Code, int SubCode, const QString& Args, int Buttons);
    // The button of a bit (null for any other value).
    MButton* ButtonOf(int Bit) const;
    // The answer of the last message: the bit of the button pressed, -1 when none was.
    int Result() const { return FResult; }
    bool IsShowing() const { return FLoop != nullptr; }
    // The window a message stands over when no window of the station is active (the station's
    // main window names itself here).
    QPointer<QWidget> MainWindow;
    // The window the next message will stand over: the active window, else MainWindow while it is
    // shown, else the window of the box's parent; null when there is none.
    QWidget* AnchorWindow() const;

    // The click handlers: the answer is the button's bit, then the window closes.
    void BtnOkClick();
    void BtnYesClick();
    void BtnNoClick();
    void BtnRetryClick();
    void BtnCancelClick();
    void BtnIgnoreClick();
    void BtnAllClick();
    void BtnHelpClick();
    void BtnCloseClick();
    void BtnAbortClick();

protected:
    // The window is hidden, not freed: it is used for every message.
    void closeEvent(QCloseEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    // Return presses the focused button, else the first of the row; Escape presses Cancel, or OK
    // when OK is the only button. A question without Cancel waits for its answer.
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void FormCreate();
    MButton* MakeButton(int Bit, const QString& Arabic, const QString& English, void (TMessageBox::*Click)());
    void ButtonClicked(MButton* Button);
    int LookupLanguage() const;

    QString FFileName;
    MMessageCatalog FCatalog;
    int FResult = -1;
    QEventLoop* FLoop = nullptr;
    QList<MButton*> FShown; // the buttons of the message shown, in the row's order
};

// The shared message box when the one installed as MessageBox is a TMessageBox, else null.
TMessageBox* SharedMessageBox();
// The text of a catalogue message in the current language as one line (its line breaks become
// blanks), for a place that is no box, a status bar or a progress window; English, with Args put
// in its "%1", when there is no shared box or the catalogue lacks the message.
QString CatalogueLine(int Code, int SubCode, const QString& Args, const char* English);
