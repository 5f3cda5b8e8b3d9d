#include "ui/ModalForm.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>

std::function<void(MModalForm&)> MModalForm::ModalHook;
QPointer<QWidget> MModalForm::MainWindow;

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
    PlaceOver(DialogAnchor(MainWindow));
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

void MModalForm::SetDefaultButton(QPushButton* Button) {
    if (FDefault)
        FDefault->setDefault(false);
    FDefault = Button;
    if (Button)
        Button->setDefault(true);
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
    // Only what the focused control left over comes here.
    const bool plain = (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (FShowing && plain && Event->key() == Qt::Key_Escape) {
        SetModalResult(mrCancel);
        return;
    }
    if (FShowing && plain && (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter)) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* button = focused ? focused : FDefault.data();
        if (button && button->isEnabled() && button->isVisible()) {
            button->click();
            return;
        }
    }
    MForm::keyPressEvent(Event);
}
