// Dragging tool windows between docks and sizing floating ones: the pointer loops as state machines
// fed by one application event filter, and the outline they show.

#include "platform/SysColors.h"
#include "ui/DockPrivate.h"
#include "ui/Docks.h"
#include "ui/GfxUtils.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>

// ============================================================================ Outline

TDragOutline::TDragOutline()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint) {
    setObjectName(QStringLiteral("DockDragOutline"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TDragOutline::SetOutline(const QRect& Rect, int Thickness) {
    if (Rect == FRect && Thickness == FThickness)
        return;
    FRect = Rect;
    FThickness = std::max(Thickness, 1);
    if (Rect.isEmpty()) {
        hide();
        return;
    }
    setGeometry(Rect);
    const int t = FThickness;
    QRegion ring(0, 0, Rect.width(), Rect.height());
    if (Rect.width() > 2 * t && Rect.height() > 2 * t)
        ring -= QRegion(t, t, Rect.width() - 2 * t, Rect.height() - 2 * t);
    if (WindowSystemPresent())
        setMask(ring);
    show();
    if (WindowSystemPresent())
        raise();
    update();
}

void TDragOutline::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // An 8 x 8 halftone: every other pixel dark, whatever lies under it.
    p.fillRect(rect(), QBrush(CreateCheckerPattern(clBlack, clWhite)));
}

// ============================================================================ The loop filter

bool TDockLoopFilter::eventFilter(QObject* Watched, QEvent* Event) {
    return FWindow->LoopEvent(Watched, Event);
}

void TCustomDockWindow::InstallLoop() {
    auto* filter = new TDockLoopFilter(this);
    FLoopFilter = filter;
    qApp->installEventFilter(filter);
    if (WindowSystemPresent())
        grabKeyboard();
}

void TCustomDockWindow::RemoveLoop() {
    if (FLoopFilter) {
        qApp->removeEventFilter(FLoopFilter);
        // The filter may be the one running now.
        FLoopFilter->deleteLater();
        FLoopFilter = nullptr;
    }
    if (QWidget::keyboardGrabber() == this)
        releaseKeyboard();
}

void TCustomDockWindow::CancelLoops() {
    if (FDrag)
        EndDrag(false);
    if (FSize)
        EndSizing(false);
    if (FCloseTracking)
        EndCloseTracking(false);
}

bool TCustomDockWindow::LoopEvent(QObject* Watched, QEvent* Event) {
    const QEvent::Type type = Event->type();
    if (Watched == qApp) {
        if (type == QEvent::ApplicationDeactivate)
            CancelLoops();
        return false;
    }
    if (!Watched->isWidgetType())
        return false;
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        // Another widget holding the pointer means the loop lost it.
        if (QWidget* grabber = QWidget::mouseGrabber(); grabber && grabber != this) {
            CancelLoops();
            return false;
        }
        auto* me = static_cast<QMouseEvent*>(Event);
        const QPoint global = me->globalPosition().toPoint();
        if (type == QEvent::MouseMove) {
            if (Watched != this)
                return false;
            if (FDrag)
                DragMoveTo(global);
            else if (FSize)
                SizeMoveTo(global);
            else if (FCloseTracking)
                CloseTrackMove(global);
            return true;
        }
        if (me->button() != Qt::LeftButton)
            return true;
        if (type != QEvent::MouseButtonRelease) {
            CancelLoops();
            return true;
        }
        const bool ours = Watched == this;
        if (FDrag) {
            EndDrag(ours);
        } else if (FSize) {
            EndSizing(ours);
        } else if (FCloseTracking) {
            if (ours)
                CloseTrackMove(global);
            EndCloseTracking(ours && FCloseButtonPressed);
        }
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(Event);
        if (ke->key() == Qt::Key_Escape)
            CancelLoops();
        else if (ke->key() == Qt::Key_Control && FDrag)
            DragSetCtrl(type == QEvent::KeyPress);
        return true;
    }
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

void TCustomDockWindow::hideEvent(QHideEvent* Event) {
    // Hidden from outside while a loop runs: the loop ends with no change.
    if (FApplyingVisible == 0)
        CancelLoops();
    QWidget::hideEvent(Event);
}

// ============================================================================ Dragging

bool TCustomDockWindow::Dragging() const {
    return FDrag != nullptr;
}

QRect TCustomDockWindow::DragOutline() const {
    if (FDrag)
        return FDrag->Outline;
    if (FSize)
        return FSize->Rect;
    return {};
}

int TCustomDockWindow::DragOutlineThickness() const {
    if (FDrag)
        return FDrag->Hovered ? 1 : FloatingBorderSize(FResizable);
    if (FSize)
        return FloatingBorderSize(FResizable);
    return 0;
}

TDockArea* TCustomDockWindow::DragHoveredDock() const {
    return FDrag ? FDrag->Hovered.data() : nullptr;
}

std::vector<TDockArea*> TCustomDockWindow::DragCandidates() const {
    std::vector<TDockArea*> docks;
    if (FDrag)
        for (const auto& d : FDrag->Docks)
            if (d)
                docks.push_back(d);
    return docks;
}

void TCustomDockWindow::BeginDrag(int X, int Y, bool Ctrl) {
    if (InPointerLoop())
        return;
    auto st = std::make_unique<TDragState>();
    st->Grab = QPoint(X, Y) + ClientOrigin();
    st->StartMinusOne = QSize(Width() - 1, Height() - 1);
    st->Ctrl = Ctrl;
    st->CannotFloat = FDockMode != TDockMode::dmCanFloat;

    // The docks it may go to: its own form's first, then those of the extra forms; on each level
    // the docks by position (top, bottom, left, right), then the other children.
    std::vector<TDockArea*> docks;
    if (FDockMode == TDockMode::dmCannotFloatOrChangeDocks) {
        if (FDocked && FDockedTo)
            docks.push_back(FDockedTo);
    } else {
        std::vector<QWidget*> forms;
        if (QWidget* own = OwningForm(this))
            forms.push_back(own);
        for (const auto& f : FDockForms)
            if (f && std::find(forms.begin(), forms.end(), f.data()) == forms.end())
                forms.push_back(f);
        std::function<void(QWidget*)> search = [&](QWidget* control) {
            if (control == this || isAncestorOf(control) || !control->isVisible())
                return;
            std::vector<QWidget*> kids;
            for (QObject* o : control->children())
                if (o->isWidgetType() && !static_cast<QWidget*>(o)->isWindow())
                    kids.push_back(static_cast<QWidget*>(o));
            for (TDockPosition pos : {TDockPosition::dpTop, TDockPosition::dpBottom, TDockPosition::dpLeft,
                                      TDockPosition::dpRight})
                for (QWidget* k : kids)
                    if (auto* d = qobject_cast<TDockArea*>(k); d && d->Position() == pos && d->isVisible() &&
                                                               d->AllowDrag() &&
                                                               (FDockableTo & DockPositionBit(pos)))
                        docks.push_back(d);
            for (QWidget* k : kids)
                if (!qobject_cast<TDockArea*>(k))
                    search(k);
        };
        for (QWidget* f : forms)
            search(f);
    }

    // The sizes it would have floating and in each dock.
    const int currentType = DockTypeOf(FDocked ? FDockedTo.data() : nullptr);
    const TFrameSize floating = FloatingFrameSize(FResizable, FShowCaption);
    st->FloatSize = LayOutContents(false, currentType, nullptr) + QSize(floating.X(), floating.Y());
    for (TDockArea* d : docks) {
        const QSize client = d == FDockedTo && FDocked ? QSize(ClientWidth(), ClientHeight())
                                                       : LayOutContents(false, currentType, d);
        const TFrameSize frame =
            DockedFrameSize(d->Vertical(), d->AllowDrag(), FCloseButtonWhenDocked, FDragHandleStyle);
        st->Docks.emplace_back(d);
        st->DockSizes.push_back(client + QSize(frame.X(), frame.Y()));
    }

    PumpPaintMessages();
    st->OutlineWidget = std::make_unique<TDragOutline>();
    FDrag = std::move(st);
    InstallLoop();
    DragMoveTo(mapToGlobal(QPoint(X, Y) + ClientOrigin()));
}

void TCustomDockWindow::DragMoveTo(QPoint Pos) {
    if (!FDrag)
        return;
    FDrag->LastPos = Pos;
    TDockArea* hovered = nullptr;
    QSize size = FDrag->FloatSize;
    if (!FDrag->Ctrl) {
        for (std::size_t i = 0; i < FDrag->Docks.size(); ++i) {
            TDockArea* d = FDrag->Docks[i];
            if (!d)
                continue;
            const QRect r(d->mapToGlobal(QPoint(0, 0)), d->size());
            if (!DockCatches(r, d->Vertical(), d->VisibleBars().empty(), FDrag->DockSizes[i], FDrag->Grab,
                             FDrag->StartMinusOne, Pos))
                continue;
            bool accept = true;
            if (d->OnRequestDock)
                d->OnRequestDock(d, this, accept);
            if (!FDrag)
                return;
            if (accept && FDrag->Docks[i]) {
                hovered = d;
                size = FDrag->DockSizes[i];
                break;
            }
        }
    }
    QPoint p = Pos;
    if (!hovered) {
        const QRect area = WorkAreaOfPoint(Pos);
        p.setX(std::clamp(p.x(), area.left(), std::max(area.right(), area.left())));
        p.setY(std::clamp(p.y(), area.top(), std::max(area.bottom(), area.top())));
    }
    QRect outline = PlaceAroundCursor(p, size, FDrag->Grab, FDrag->StartMinusOne);
    if (!hovered)
        outline = LimitFloatingOutline(outline, WorkAreaOfPoint(p), FloatingBorderSize(FResizable),
                                       FloatingFrameSize(FResizable, FShowCaption).Top);
    const bool forbidden = FDrag->CannotFloat && !hovered;
    if (forbidden)
        outline = QRect();
    if (forbidden != FDrag->Forbidden) {
        if (forbidden)
            QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
        else
            QGuiApplication::restoreOverrideCursor();
        FDrag->Forbidden = forbidden;
    }
    FDrag->Hovered = hovered;
    FDrag->HadHovered = hovered != nullptr;
    FDrag->Outline = outline;
    FDrag->OutlineWidget->SetOutline(outline, hovered ? 1 : FloatingBorderSize(FResizable));
}

void TCustomDockWindow::DragSetCtrl(bool Down) {
    if (!FDrag || FDrag->Ctrl == Down)
        return;
    FDrag->Ctrl = Down;
    DragMoveTo(FDrag->LastPos);
}

void TCustomDockWindow::EndDrag(bool Accept) {
    if (!FDrag)
        return;
    const std::unique_ptr<TDragState> st = std::move(FDrag);
    RemoveLoop();
    if (st->Forbidden)
        QGuiApplication::restoreOverrideCursor();
    st->OutlineWidget.reset();
    if (!Accept || st->Outline.isEmpty() || FDestroying)
        return;
    if (TDockArea* dock = st->Hovered) {
        const QPoint topLeft = dock->mapFromGlobal(st->Outline.topLeft()) - dock->ClientOrigin();
        const QRect outline(topLeft, st->Outline.size());
        const int centre = dock->Vertical() ? (2 * outline.x() + outline.width()) / 2
                                            : (2 * outline.y() + outline.height()) / 2;
        TRowAtPosition at = dock->RowAtPosition(centre);
        if (at.NewRow) {
            dock->OpenRow(at.Row);
        } else if (FFullSize && dock->BarCountOnRow(at.Row, this) > 0) {
            ++at.Row;
            dock->OpenRow(at.Row);
        }
        // The fields, not the writers: the dock it leaves must not rearrange (and renumber) it first.
        FDockRow = at.Row;
        FDockPos = dock->Vertical() ? outline.y() : outline.x();
        SetParent(dock);
        dock->ArrangeBars(true);
    } else if (st->HadHovered) {
        // The dock it was over went away during the drag: nothing changes.
        return;
    } else {
        FFloatingPosition = st->Outline.topLeft();
        if (!Floating())
            SetParent(RequireParentForm());
        else
            SetBounds(st->Outline.x(), st->Outline.y(), Width(), Height());
    }
    KeepOnScreen(true);
}

// ============================================================================ Sizing

bool TCustomDockWindow::Sizing() const {
    return FSize != nullptr;
}

QRect TCustomDockWindow::SizingRect() const {
    return FSize ? FSize->Rect : QRect();
}

void TCustomDockWindow::BeginSizing(int Edge, QPoint GlobalCursor) {
    if (!Floating() || InPointerLoop() || Edge < 0 || Edge > 7)
        return;
    auto st = std::make_unique<TSizeState>();
    st->Edge = Edge;
    st->Minimum = SmallestClientSize() + QSize(FFrame.X(), FFrame.Y());
    SizingStarted(Edge);
    PumpPaintMessages();
    st->Start = st->Rect = BoundsRect();
    st->StartCursor = st->LastCursor = GlobalCursor;
    st->OutlineWidget = std::make_unique<TDragOutline>();
    st->OutlineWidget->SetOutline(st->Rect, FloatingBorderSize(FResizable));
    FSize = std::move(st);
    InstallLoop();
}

void TCustomDockWindow::SizeMoveTo(QPoint GlobalPos) {
    if (!FSize || GlobalPos == FSize->LastCursor)
        return;
    FSize->LastCursor = GlobalPos;
    QRect r = SizeRect(FSize->Start, FSize->Edge, GlobalPos - FSize->StartCursor, FSize->Minimum);
    SizingStep(r, FSize->Start);
    if (!FSize)
        return;
    FSize->Rect = r;
    FSize->OutlineWidget->SetOutline(r, FloatingBorderSize(FResizable));
}

void TCustomDockWindow::EndSizing(bool Accept) {
    if (!FSize)
        return;
    const std::unique_ptr<TSizeState> st = std::move(FSize);
    RemoveLoop();
    st->OutlineWidget.reset();
    SizingEnded(Accept);
    if (!Accept || FDestroying || !Floating())
        return;
    LockArrange();
    SetBounds(st->Rect.x(), st->Rect.y(), st->Rect.width(), st->Rect.height());
    UnlockArrange();
    KeepOnScreen(true);
}
