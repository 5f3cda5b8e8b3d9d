#pragma once
// Inside the dock library: the live docks and tool windows, the event filter that drives a drag,
// a sizing or the close-button tracking, and the outline shown while dragging and sizing.

#include "ui/Docks.h"

#include <QObject>
#include <QRect>
#include <QWidget>

#include <QPointer>
#include <QSize>

#include <memory>
#include <vector>

std::vector<TDockArea*>& LiveDocks();
std::vector<TCustomDockWindow*>& LiveDockWindows();
// False on the offscreen and minimal platforms, which neither stack, shape nor grab windows.
bool WindowSystemPresent();

// Installed on the application while a tool window runs one of its pointer loops: hands every
// event to the window first.
class TDockLoopFilter : public QObject {
public:
    explicit TDockLoopFilter(TCustomDockWindow* Window) : FWindow(Window) {}
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TCustomDockWindow* FWindow;
};

// The outline of a drag or a sizing: a frameless top-level window that takes no input and never the
// focus, shaped to a ring, painted with an 8 x 8 halftone. Showing it over another place and hiding
// it leave no trace on the screen.
class TDragOutline : public QWidget {
public:
    TDragOutline();
    // Shows the ring of Thickness around Rect (screen coordinates); an empty Rect hides it.
    void SetOutline(const QRect& Rect, int Thickness);
    QRect Outline() const { return FRect; }
    int Thickness() const { return FThickness; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QRect FRect;
    int FThickness = 0;
};

// The state of one drag, kept for its duration.
struct TCustomDockWindow::TDragState {
    QPoint Grab;
    QSize StartMinusOne;
    bool Ctrl = false;
    bool CannotFloat = false;
    std::vector<QPointer<TDockArea>> Docks;
    std::vector<QSize> DockSizes;
    QSize FloatSize;
    QPointer<TDockArea> Hovered;
    // The last outline was a docked one (its dock may have gone since).
    bool HadHovered = false;
    QRect Outline;
    QPoint LastPos;
    bool Forbidden = false;
    std::unique_ptr<TDragOutline> OutlineWidget;
};

// The state of one sizing of a floating window.
struct TCustomDockWindow::TSizeState {
    int Edge = 0;
    QSize Minimum;
    QRect Start;
    QRect Rect;
    QPoint StartCursor;
    QPoint LastCursor;
    std::unique_ptr<TDragOutline> OutlineWidget;
};
