#pragma once
// A bilingual form shown as a modal dialog: the form is shown over the middle of the window that
// asked for it, the caller waits in a local event loop until a button sets the modal result or the
// window is closed (Cancel), and the form is hidden again. Return presses the focused button, else
// the default button (OK); Escape is Cancel; a control that takes Return itself (a multi-line text,
// a grid cell) keeps it. Tests replace the waiting with a hook that plays the user's part.

#include "ui/Adapter.h"

#include <QPointer>
#include <QPushButton>

#include <functional>

class QEventLoop;

// Modal results.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2;

class MModalForm : public MForm {
    Q_OBJECT
public:
    explicit MModalForm(QWidget* Parent = nullptr);
    ~MModalForm() override;

    // Shows the form modally and returns its modal result (mrCancel when it was closed otherwise).
    int ShowModal();
    bool IsModal() const { return FShowing; }
    int ModalResult() const { return FModalResult; }
    // Sets the result; any result but mrNone ends a modal showing.
    void SetModalResult(int Value);
    // The button Return presses when no button has the focus, drawn as the default.
    void SetDefaultButton(QPushButton* Button);
    QPushButton* DefaultButton() const { return FDefault; }

    // The window a modal form stands over when no window of the station is active (the station's
    // main window names itself here).
    static QPointer<QWidget> MainWindow;

    // While set, ShowModal calls it once the form is shown instead of waiting for the user; a form
    // whose result is still mrNone afterwards ends with mrCancel.
    static std::function<void(MModalForm& Form)> ModalHook;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    int FModalResult = mrNone;
    bool FShowing = false;
    QEventLoop* FLoop = nullptr;
    QPointer<QPushButton> FDefault;
};
