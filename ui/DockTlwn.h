#pragma once
// The resizable tool window: a free client area whose size the user chooses, docked or floating.
// Its children are aligned in the client area by its AlignLayout (SetAlign on each child).

#include "ui/Docks.h"

class AlignLayout;

class TDockWindow : public TCustomDockWindow {
    Q_OBJECT
public:
    explicit TDockWindow(QWidget* Owner);

    // The client size: the window's client, or its whole size while it has no parent. Writing sets
    // the bounds to the client size plus the present frame.
    int ClientAreaWidth() const;
    void SetClientAreaWidth(int Value);
    int ClientAreaHeight() const;
    void SetClientAreaHeight(int Value);
    int MinClientWidth() const { return FMinClientWidth; }
    void SetMinClientWidth(int Value) { FMinClientWidth = Value; }
    int MinClientHeight() const { return FMinClientHeight; }
    void SetMinClientHeight(int Value) { FMinClientHeight = Value; }
    AlignLayout* Layout() const { return FLayout; }

    int DockedThickness(int DockType) const override;
    QSize SmallestClientSize() const override;
    QSize LayOutContents(bool ResizeChildren, int OrderDockType, TDockArea* Dock) override;
    void NewSizeChosen(int NewWidth, int NewHeight) override;

private:
    AlignLayout* FLayout;
    int FClientAreaWidth = 32;
    int FClientAreaHeight = 32;
    int FMinClientWidth = 32;
    int FMinClientHeight = 32;
};
