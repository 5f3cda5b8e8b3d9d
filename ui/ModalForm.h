#pragma once
// A bilingual form shown as a modal dialog: the form is shown, the caller waits in a local event loop
// until a button sets the modal result or the window is closed (Cancel), and the form is hidden
// again. Tests replace the waiting with a hook that plays the user's part.

#include "ui/Adapter.h"

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
};
