#include "ui/DockTlwn.h"

#include "ui/AlignLayout.h"

TDockWindow::TDockWindow(QWidget* Owner) : TCustomDockWindow(Owner), FLayout(new AlignLayout(this)) {
    SetBounds(Left(), Top(), 32, 32);
}

int TDockWindow::ClientAreaWidth() const {
    return parentWidget() ? ClientWidth() : Width();
}

int TDockWindow::ClientAreaHeight() const {
    return parentWidget() ? ClientHeight() : Height();
}

void TDockWindow::SetClientAreaWidth(int Value) {
    SetBounds(Left(), Top(), Value + FrameSize().X(), Height());
}

void TDockWindow::SetClientAreaHeight(int Value) {
    SetBounds(Left(), Top(), Width(), Value + FrameSize().Y());
}

int TDockWindow::DockedThickness(int DockType) const {
    return DockType == 2 ? FClientAreaWidth : FClientAreaHeight;
}

QSize TDockWindow::SmallestClientSize() const {
    return QSize(FMinClientWidth, FMinClientHeight);
}

QSize TDockWindow::LayOutContents(bool, int, TDockArea*) {
    return QSize(FClientAreaWidth, FClientAreaHeight);
}

void TDockWindow::NewSizeChosen(int NewWidth, int NewHeight) {
    FClientAreaWidth = NewWidth - (Width() - ClientWidth());
    FClientAreaHeight = NewHeight - (Height() - ClientHeight());
}
