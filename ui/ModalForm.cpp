#include "ui/ModalForm.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>

std::function<void(MModalForm&)> MModalForm::ModalHook;

MModalForm::MModalForm(QWidget* Parent) : MForm(Parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {}

MModalForm::~MModalForm() {
    if (FLoop)
        FLoop->quit();
}

int MModalForm::ShowModal() {
    if (FShowing)
        return mrNone;
    FModalResult = mrNone;
    FShowing = true;
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    if (ModalHook) {
        ModalHook(*this);
    } else if (FModalResult == mrNone) {
        QEventLoop loop;
        FLoop = &loop;
        loop.exec(QEventLoop::DialogExec);
        FLoop = nullptr;
    }
    if (FModalResult == mrNone)
        FModalResult = mrCancel;
    FShowing = false;
    hide();
    return FModalResult;
}

void MModalForm::SetModalResult(int Value) {
    FModalResult = Value;
    if (Value != mrNone && FLoop)
        FLoop->quit();
}

void MModalForm::closeEvent(QCloseEvent* Event) {
    // Closing the window is Cancel; the form is only hidden, its owner frees it.
    if (FShowing) {
        Event->ignore();
        SetModalResult(mrCancel);
        return;
    }
    MForm::closeEvent(Event);
}

void MModalForm::keyPressEvent(QKeyEvent* Event) {
    if (FShowing && Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
        SetModalResult(mrCancel);
        return;
    }
    MForm::keyPressEvent(Event);
}
