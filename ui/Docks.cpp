// Tool windows: state, parent changes, geometry, layout, and floating windows with their visibility.

#include "ui/Docks.h"

#include "platform/Errors.h"
#include "platform/SysColors.h"
#include "ui/AlignLayout.h"
#include "ui/DockCnst.h"
#include "ui/DockPrivate.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWindow>

#include <algorithm>
#include <atomic>

bool WindowSystemPresent() {
    static const bool present = [] {
        const QString name = QGuiApplication::platformName();
        return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
    }();
    return present;
}

std::vector<TCustomDockWindow*>& LiveDockWindows() {
    static std::vector<TCustomDockWindow*> windows;
    return windows;
}

namespace {

std::vector<TCustomDockWindow*>& FloatingList() {
    static std::vector<TCustomDockWindow*> list;
    return list;
}

bool IsMdiChild(const QWidget* W) {
    return qobject_cast<const QMdiSubWindow*>(W) != nullptr;
}

// A form: a top-level window or an MDI child. A floating parent is not a form.
bool IsForm(const QWidget* W) {
    return W && !qobject_cast<const TFloatingWindowParent*>(W) &&
           !qobject_cast<const TCustomDockWindow*>(W) && (W->isWindow() || IsMdiChild(W));
}

QMdiSubWindow* MdiChildOf(QWidget* W) {
    for (; W; W = W->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(W))
            return sub;
        if (W->isWindow())
            break;
    }
    return nullptr;
}

// Counts a lock up for the life of a scope.
struct Counter {
    int& N;
    explicit Counter(int& C) : N(C) { ++N; }
    ~Counter() { --N; }
};

std::atomic<unsigned> FloatingParentCounter{0};

} // namespace

// ============================================================================ Creation

TCustomDockWindow::TCustomDockWindow(QWidget* Owner) : QWidget(nullptr), FOwner(Owner), FColor(clBtnFace) {
    setLayoutDirection(Qt::LeftToRight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    QueryParams(FParams);
    RegisterHook(&TCustomDockWindow::ToolWindowHook,
                 HookKind(hkActivateApp) | HookKind(hkWindowChanged) | HookKind(hkDestroyWindow));
    if (!DockPositionOfProc)
        DockPositionOfProc = &TCustomDockWindow::DockPositionOf;
    LiveDockWindows().push_back(this);
    // The window goes with the form that owns it, wherever it is placed.
    if (Owner)
        connect(Owner, &QObject::destroyed, this, [this] { delete this; });
}

TCustomDockWindow::~TCustomDockWindow() {
    FDestroying = true;
    CancelLoops();
    auto& live = LiveDockWindows();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    auto& floating = FloatingList();
    floating.erase(std::remove(floating.begin(), floating.end(), this), floating.end());
    for (TDockArea* dock : LiveDocks())
        dock->ForgetBar(this);
    UnregisterHook(&TCustomDockWindow::ToolWindowHook);
    if (FFloatParent && !FFloatParent->Destroying()) {
        TFloatingWindowParent* parent = FFloatParent;
        FFloatParent = nullptr;
        if (parentWidget() == parent) {
            ++FApplyingVisible;
            QWidget::setParent(nullptr);
            --FApplyingVisible;
        }
        delete parent;
    }
}

void TCustomDockWindow::ForgetDock(TDockArea* Dock) {
    if (FDockedTo == Dock) {
        FDockedTo = nullptr;
        FDocked = false;
    }
    if (FLastDock == Dock)
        FLastDock = nullptr;
    if (FDefaultDock == Dock)
        FDefaultDock = nullptr;
}

// ============================================================================ Overridables

int TCustomDockWindow::DockedThickness(int) const {
    return 0;
}

QSize TCustomDockWindow::SmallestClientSize() const {
    return QSize(0, 0);
}

QSize TCustomDockWindow::LayOutContents(bool, int, TDockArea*) {
    return QSize(ClientWidth(), ClientHeight());
}

void TCustomDockWindow::NewSizeChosen(int, int) {}

bool TCustomDockWindow::ChildLetsDrag(QWidget*) const {
    return false;
}

void TCustomDockWindow::QueryParams(TDockWindowParams& Params) const {
    Params = TDockWindowParams();
}

void TCustomDockWindow::OrderOnLoad() {}
void TCustomDockWindow::SizingStarted(int) {}
void TCustomDockWindow::SizingStep(QRect&, const QRect&) {}
void TCustomDockWindow::SizingEnded(bool) {}

// ============================================================================ Properties

bool TCustomDockWindow::Floating() const {
    return FFloatParent && parentWidget() == FFloatParent;
}

bool TCustomDockWindow::IsShownIn(const TDockArea* Dock) const {
    return Dock && parentWidget() == Dock && FVisible;
}

void TCustomDockWindow::SetDockedTo(TDockArea* Dock) {
    if (Dock)
        SetParent(Dock);
    else
        SetParent(RequireParentForm());
}

void TCustomDockWindow::SetLastDock(TDockArea* Dock) {
    TDockArea* value = FUseLastDock && FDocked ? FDockedTo.data() : Dock;
    if (value == FLastDock)
        return;
    if (FLastDock && FLastDock != parentWidget())
        FLastDock->RegisterBar(false, this);
    FLastDock = value;
    // Remembering no dock leaves UseLastDock alone, so that switching it off stays off.
    if (value) {
        FUseLastDock = true;
        value->RegisterBar(true, this);
    }
}

void TCustomDockWindow::SetUseLastDock(bool Value) {
    if (FUseLastDock == Value)
        return;
    FUseLastDock = Value;
    SetLastDock(Value ? FDockedTo.data() : nullptr);
}

void TCustomDockWindow::SetDockRow(int Value) {
    FDockRow = Value;
    if (FDocked && FDockedTo)
        FDockedTo->ArrangeBars(false);
}

void TCustomDockWindow::SetDockPos(int Value) {
    FDockPos = Value;
    if (FDocked && FDockedTo)
        FDockedTo->ArrangeBars(false);
}

void TCustomDockWindow::SetFullSize(bool Value) {
    if (FFullSize == Value)
        return;
    FFullSize = Value;
    if (FDocked && FDockedTo)
        FDockedTo->ArrangeBars(false);
    Relayout();
}

void TCustomDockWindow::SetFloatingMode(TFloatingMode Value) {
    if (FFloatingMode == Value)
        return;
    FFloatingMode = Value;
    // A new mode is applied at the next showing change.
    if (Floating() && FFloatParent->isVisible())
        ApplyQtVisible(false);
    RefreshVisibility();
}

void TCustomDockWindow::AddDockForm(QWidget* Form) {
    if (!Form)
        return;
    for (const auto& f : FDockForms)
        if (f == Form)
            return;
    FDockForms.emplace_back(Form);
}

void TCustomDockWindow::RemoveDockForm(QWidget* Form) {
    FDockForms.erase(std::remove_if(FDockForms.begin(), FDockForms.end(),
                                    [&](const QPointer<QWidget>& f) { return f.isNull() || f == Form; }),
                     FDockForms.end());
}

void TCustomDockWindow::SetBorderStyle(TDockBorderStyle Value) {
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    UpdateFrame();
    update();
}

void TCustomDockWindow::SetCaption(const QString& Value) {
    if (FCaption == Value)
        return;
    FCaption = Value;
    setWindowTitle(Value);
    if (Floating())
        update();
}

void TCustomDockWindow::SetCloseButton(bool Value) {
    if (FCloseButton == Value)
        return;
    FCloseButton = Value;
    update();
}

void TCustomDockWindow::SetCloseButtonWhenDocked(bool Value) {
    if (FCloseButtonWhenDocked == Value)
        return;
    FCloseButtonWhenDocked = Value;
    UpdateFrame();
}

void TCustomDockWindow::SetDragHandleStyle(TDragHandleStyle Value) {
    if (FDragHandleStyle == Value)
        return;
    FDragHandleStyle = Value;
    UpdateFrame();
}

void TCustomDockWindow::SetHideWhenInactive(bool Value) {
    if (FHideWhenInactive == Value)
        return;
    FHideWhenInactive = Value;
    RefreshVisibility();
}

void TCustomDockWindow::SetShowCaption(bool Value) {
    if (FShowCaption == Value)
        return;
    FShowCaption = Value;
    UpdateFrame();
}

void TCustomDockWindow::SetResizable(bool Value) {
    if (FResizable == Value)
        return;
    FResizable = Value;
    UpdateFrame();
}

void TCustomDockWindow::SetArabic(bool Value) {
    FArabic = Value;
    update();
}

void TCustomDockWindow::SetColor(TColor Value) {
    if (FColor == Value)
        return;
    FColor = Value;
    update();
}

QString TCustomDockWindow::Version() const {
    return DockLibraryVersion();
}

void TCustomDockWindow::setVisible(bool Visible) {
    if (FApplyingVisible > 0) {
        QWidget::setVisible(Visible);
        return;
    }
    const bool changed = FVisible != Visible;
    FVisible = Visible;
    if (changed && FDocked && FDockedTo)
        FDockedTo->BarShownChanged(this, false);
    RefreshVisibility();
    if (changed && OnVisibleChanged)
        OnVisibleChanged(this);
}

// ============================================================================ Forms

QWidget* TCustomDockWindow::OwningForm(QWidget* Control) {
    for (QWidget* w = Control; w; w = w->parentWidget()) {
        if (auto* fp = qobject_cast<TFloatingWindowParent*>(w))
            return fp->ParentForm();
        if (IsForm(w))
            return w;
    }
    return nullptr;
}

QWidget* TCustomDockWindow::RequireParentForm() {
    QWidget* form = OwningForm(this);
    // A window not placed yet floats over the form that owns it.
    if (!form && FOwner && IsForm(FOwner))
        form = FOwner;
    if (!form)
        throw EInvalidOperation(SControlHasNoParentWindow().arg(objectName()));
    return form;
}

QWidget* TCustomDockWindow::FrameFormOf(QWidget* Form) {
    if (Form && MdiChildOf(Form))
        return Form->window();
    return Form;
}

int TCustomDockWindow::DockPositionOf(QWidget* Control) {
    for (QWidget* w = Control; w; w = w->parentWidget())
        if (auto* tw = qobject_cast<TCustomDockWindow*>(w))
            return tw->FDocked && tw->FDockedTo ? int(tw->FDockedTo->Position()) : 4;
    return 4;
}

std::vector<TCustomDockWindow*> TCustomDockWindow::FloatingWindows() {
    return FloatingList();
}

// ============================================================================ Parent changes

void TCustomDockWindow::SetParent(QWidget* P) {
    if (auto* fp = qobject_cast<TFloatingWindowParent*>(P))
        P = fp->ParentForm();
    if (P && !qobject_cast<TDockArea*>(P) && !IsForm(P))
        throw EInvalidOperation(SToolWindowParentNotAllowed());

    if (P && !qobject_cast<TDockArea*>(P)) {
        if (!FFloatParent || FFloatParent->ParentForm() != P) {
            auto* fp = new TFloatingWindowParent(P);
            if (FFloatParent && parentWidget() != FFloatParent)
                FFloatParent->deleteLater();
            FFloatParent = fp;
        }
        P = FFloatParent;
    }
    TDockArea* oldDock = qobject_cast<TDockArea*>(parentWidget());
    TDockArea* newDock = qobject_cast<TDockArea*>(P);

    auto updateFloatingList = [this] {
        auto& list = FloatingList();
        const auto it = std::find(list.begin(), list.end(), this);
        if (Floating()) {
            if (it == list.end())
                list.push_back(this);
            SetBounds(FFloatingPosition.x(), FFloatingPosition.y(), Width(), Height());
        } else if (it != list.end()) {
            list.erase(it);
        }
    };

    if (P == parentWidget()) {
        FDockedTo = newDock;
        FDocked = newDock != nullptr;
        updateFloatingList();
        return;
    }

    const bool announce = !FDestroying && P;
    if (announce) {
        if (OnDockChanging)
            OnDockChanging(this);
        if (OnDockChangingEx)
            OnDockChangingEx(this, newDock);
        if (OnRecreating)
            OnRecreating(this);
    }

    // Hidden while it moves; every lock and count taken here goes again on every path.
    QPointer<TDockArea> oldGuard(oldDock), newGuard(newDock);
    ++FHideCount;
    ++FMoveEventLock;
    bool sizeLockHeld = false;
    bool docksLocked = false;
    auto finish = [&] {
        if (sizeLockHeld)
            --FSizeSetLock;
        if (docksLocked) {
            if (newGuard)
                newGuard->EndArrange();
            if (oldGuard && oldGuard != newGuard)
                oldGuard->EndArrange();
        }
        --FMoveEventLock;
        --FHideCount;
        RefreshVisibility();
    };
    try {
        RefreshVisibility();
        if (oldDock)
            oldDock->BeginArrange();
        if (newDock && newDock != oldDock)
            newDock->BeginArrange();
        docksLocked = true;
        ++FSizeSetLock;
        sizeLockHeld = true;
        if (P) {
            if (OnDockChangingHidden)
                OnDockChangingHidden(this, newDock);
            if (FLastDockTypeSet)
                LayOutAndFit(FLastDockType, newDock, false);
        }
        LockArrange();
        try {
            if (oldDock) {
                if (!FUseLastDock)
                    oldDock->RegisterBar(false, this);
                oldDock->BarShownChanged(this, true);
            }
            QWidget* oldParent = parentWidget();
            ++FApplyingVisible;
            try {
                QWidget::setParent(nullptr);
                FDockedTo = newDock;
                FDocked = newDock != nullptr;
                QWidget::setParent(P);
            } catch (...) {
                --FApplyingVisible;
                FDockedTo = qobject_cast<TDockArea*>(parentWidget());
                FDocked = FDockedTo != nullptr;
                throw;
            }
            --FApplyingVisible;
            if (auto* oldFloat = qobject_cast<TFloatingWindowParent*>(oldParent)) {
                if (oldFloat == FFloatParent)
                    FFloatParent = nullptr;
                FTransientFor = nullptr;
                oldFloat->hide();
                oldFloat->deleteLater();
            }
            UpdateFrame();
            if (newDock) {
                if (FUseLastDock) {
                    SetLastDock(newDock);
                    newDock->BarShownChanged(this, false);
                } else {
                    newDock->RegisterBar(true, this);
                }
            }
            updateFloatingList();
        } catch (...) {
            UnlockArrange();
            throw;
        }
        UnlockArrange();
        if (parentWidget()) {
            FLastDockType = DockTypeOf(newDock);
            FLastDockTypeSet = true;
        }
        --FSizeSetLock;
        sizeLockHeld = false;
    } catch (...) {
        finish();
        throw;
    }
    finish();

    if (parentWidget() && FMoveEventLock == 0 && OnMove)
        OnMove(this);
    if (announce) {
        if (OnRecreated)
            OnRecreated(this);
        if (OnDockChanged)
            OnDockChanged(this);
    }
}

// ============================================================================ Geometry and layout

int TCustomDockWindow::Left() const {
    if (Floating())
        return FFloatParent->x();
    if (auto* dock = qobject_cast<TDockArea*>(parentWidget()))
        return x() - dock->ClientOrigin().x();
    return x();
}

int TCustomDockWindow::Top() const {
    if (Floating())
        return FFloatParent->y();
    if (auto* dock = qobject_cast<TDockArea*>(parentWidget()))
        return y() - dock->ClientOrigin().y();
    return y();
}

int TCustomDockWindow::ClientWidth() const {
    return std::max(width() - FFrame.X(), 0);
}

int TCustomDockWindow::ClientHeight() const {
    return std::max(height() - FFrame.Y(), 0);
}

void TCustomDockWindow::PlaceChild(QWidget* Child, const QRect& ClientRect) {
    if (Child)
        Child->setGeometry(ClientRect.translated(ClientOrigin()));
}

void TCustomDockWindow::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const bool floating = Floating();
    const int least = floating ? 1 : 0;
    AWidth = std::clamp(AWidth, least, 32767);
    AHeight = std::clamp(AHeight, least, 32767);
    const QRect old = BoundsRect();
    const bool sizeChanged = AWidth != old.width() || AHeight != old.height();
    const bool moved = ALeft != old.x() || ATop != old.y();
    if (FSizeSetLock == 0 && sizeChanged)
        NewSizeChosen(AWidth, AHeight);
    if (floating) {
        FFloatParent->setGeometry(ALeft, ATop, AWidth, AHeight);
        setGeometry(0, 0, AWidth, AHeight);
        if (FSizeSetLock == 0)
            FFloatingPosition = QPoint(ALeft, ATop);
    } else if (auto* dock = qobject_cast<TDockArea*>(parentWidget())) {
        const QPoint o = dock->ClientOrigin();
        setGeometry(ALeft + o.x(), ATop + o.y(), AWidth, AHeight);
    } else {
        setGeometry(ALeft, ATop, AWidth, AHeight);
    }
    if (sizeChanged) {
        AfterClientResize();
        if (OnResize)
            OnResize(this);
    }
    if (moved) {
        FMoved = true;
        if (FDocked && FDockedTo && FDockedTo->HasBackground())
            update();
        if (FMoveEventLock == 0 && OnMove)
            OnMove(this);
    }
}

void TCustomDockWindow::UpdateFrame() {
    TFrameSize f;
    if (auto* dock = qobject_cast<TDockArea*>(parentWidget()))
        f = DockedFrameSize(dock->Vertical(), dock->AllowDrag(), FCloseButtonWhenDocked, FDragHandleStyle);
    else if (Floating())
        f = FloatingFrameSize(FResizable, FShowCaption);
    if (f == FFrame) {
        update();
        return;
    }
    // The children keep their client positions.
    const QPoint delta(f.Left - FFrame.Left, f.Top - FFrame.Top);
    FFrame = f;
    setContentsMargins(f.Left, f.Top, f.Right, f.Bottom);
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow())
            w->move(w->pos() + delta);
    AfterClientResize();
    update();
}

void TCustomDockWindow::AfterClientResize() {
    if (FParams.CallAlignControls)
        if (auto* align = qobject_cast<AlignLayout*>(layout()))
            align->Realign();
    Relayout();
}

void TCustomDockWindow::LockArrange() {
    ++FArrangeLock;
}

void TCustomDockWindow::UnlockArrange() {
    if (FArrangeLock > 0 && --FArrangeLock == 0 && FArrangePending) {
        FArrangePending = false;
        Relayout();
    }
}

void TCustomDockWindow::Relayout() {
    LayOutAndFit(DockTypeOf(FDockedTo), FDockedTo, true);
}

void TCustomDockWindow::LayOutAndFit(int DockType, TDockArea* Dock, bool Resize) {
    if (FArrangeLock > 0 || FDestroying || !parentWidget()) {
        FArrangePending = true;
        return;
    }
    QSize changedTo;
    {
        Counter lock(FArrangeLock);
        QSize size = LayOutContents(true, DockType, Dock);
        if (Resize) {
            if (FDocked && FDockedTo) {
                TDockArea* dock = FDockedTo;
                dock->BuildRowSizes();
                const int rowSize = dock->RowSize(FDockRow, this);
                if (dock->Vertical()) {
                    size.setWidth(std::max(size.width(), rowSize));
                    if (FFullSize)
                        size.setHeight(dock->height() - dock->FrameHeight() - FFrame.Y());
                } else {
                    size.setHeight(std::max(size.height(), rowSize));
                    if (FFullSize)
                        size.setWidth(dock->width() - dock->FrameWidth() - FFrame.X());
                }
            }
            size += QSize(FFrame.X(), FFrame.Y());
            if (size != QSize(Width(), Height())) {
                Counter sizeLock(FSizeSetLock);
                SetBounds(Left(), Top(), size.width(), size.height());
                changedTo = size;
            }
        }
    }
    FArrangePending = false;
    // A docked window that changed its own size makes room in its dock.
    if (changedTo.isValid() && FDocked && FDockedTo)
        FDockedTo->ArrangeBars(false);
}

void TCustomDockWindow::KeepOnScreen(bool OnlyIfFullyOffscreen) {
    if (!Floating())
        return;
    const QRect r = BoundsRect();
    const QRect moved = KeepRectOnScreen(r, WorkAreaOfRect(r), OnlyIfFullyOffscreen);
    if (moved != r)
        SetBounds(moved.x(), moved.y(), moved.width(), moved.height());
}

void TCustomDockWindow::Loaded() {
    if (!FSavedAtRunTime && Floating()) {
        const QPoint origin = RequireParentForm()->mapToGlobal(QPoint(0, 0));
        SetBounds(Left() + origin.x(), Top() + origin.y(), Width(), Height());
        KeepOnScreen(false);
    }
    OrderOnLoad();
    Relayout();
}

// ============================================================================ Floating visibility

bool TCustomDockWindow::WantsToShow() const {
    TShowState s;
    s.Showing = FVisible && parentWidget() != nullptr;
    s.HideCount = FHideCount;
    s.Docked = !Floating();
    s.FloatingMode = FFloatingMode;
    QWidget* form = FFloatParent ? FFloatParent->ParentForm() : nullptr;
    QWidget* frame = FrameFormOf(form);
    s.FormExists = form != nullptr;
    s.FrameExists = frame != nullptr;
    if (form) {
        s.FormVisible = form->isVisible();
        s.FormMinimized = form->window()->isMinimized();
    }
    s.FrameIsForm = frame == form;
    if (frame) {
        s.FrameVisible = frame->isVisible();
        s.FrameMinimized = frame->isMinimized();
    }
    s.AppMinimized = QGuiApplication::applicationState() == Qt::ApplicationHidden;
    s.HideWhenInactive = FHideWhenInactive;
    s.AppActive = AppHasActiveWindow();
    return ::WantsToShow(s);
}

void TCustomDockWindow::RefreshVisibility() {
    if (FDestroying)
        return;
    const bool inactive = Floating() && !FHideWhenInactive && !AppHasActiveWindow();
    if (inactive != FInactiveCaption) {
        FInactiveCaption = inactive;
        update();
    }
    if (!parentWidget())
        return;
    // Shown only when this window said so: a window placed into a parent not shown yet is left to
    // Qt, which would show it with the parent through setVisible, where it only sets Visible.
    const bool shown = testAttribute(Qt::WA_WState_ExplicitShowHide) && !isHidden();
    const bool actual = shown && (!Floating() || FFloatParent->isVisible());
    if (actual != WantsToShow())
        ShowingChanged();
}

void TCustomDockWindow::ApplyQtVisible(bool Show) {
    ++FApplyingVisible;
    if (Show) {
        QWidget::setVisible(true);
        if (Floating())
            FFloatParent->setVisible(true);
    } else {
        if (Floating())
            FFloatParent->setVisible(false);
        QWidget::setVisible(false);
    }
    --FApplyingVisible;
}

void TCustomDockWindow::ShowingChanged() {
    if (!parentWidget())
        return;
    const bool show = WantsToShow();
    if (Floating() && show) {
        FFloatParent->winId();
        QWindow* own = FFloatParent->windowHandle();
        if (FFloatingMode == TFloatingMode::fmOnTopOfAllForms) {
            if (own && own->transientParent())
                own->setTransientParent(nullptr);
            FTransientFor = nullptr;
        } else if (QWidget* form = FFloatParent->ParentForm()) {
            // Asked of the floating parent itself: each time the window floats it gets a new one.
            QWidget* owner = FrameFormOf(form)->window();
            if (own && owner->windowHandle() && own->transientParent() != owner->windowHandle()) {
                own->setTransientParent(owner->windowHandle());
                FTransientFor = owner;
            }
        }
    }
    UpdateTopmost();
    if (Floating())
        FFloatParent->SetShouldBeVisible(show);
    ApplyQtVisible(show);
    if (Floating() && show && WindowSystemPresent())
        FFloatParent->raise();
}

void TCustomDockWindow::UpdateTopmost() {
    if (!Floating())
        return;
    bool top = false;
    if (FFloatingMode == TFloatingMode::fmOnTopOfAllForms) {
        top = isEnabled();
    } else if (QWidget* form = FFloatParent->ParentForm()) {
        top = FrameFormOf(form)->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    }
    if (FFloatParent->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == top)
        return;
    // Changing the flag hides the window: shown again, without activation, when it was shown.
    const bool wasVisible = FFloatParent->isVisible();
    ++FApplyingVisible;
    FFloatParent->setWindowFlag(Qt::WindowStaysOnTopHint, top);
    FTransientFor = nullptr;
    if (wasVisible)
        FFloatParent->show();
    --FApplyingVisible;
    if (wasVisible && FFloatingMode == TFloatingMode::fmOnTopOfParentForm)
        ShowingChanged();
}

void TCustomDockWindow::changeEvent(QEvent* Event) {
    if (Event->type() == QEvent::EnabledChange && FFloatingMode == TFloatingMode::fmOnTopOfAllForms)
        UpdateTopmost();
    QWidget::changeEvent(Event);
}

void TCustomDockWindow::ToolWindowHook(THookKind Kind, QObject* Window, QEvent*) {
    std::vector<QPointer<TCustomDockWindow>> list(FloatingList().begin(), FloatingList().end());
    for (const auto& w : list) {
        if (!w || !w->FFloatParent)
            continue;
        switch (Kind) {
        case hkActivateApp:
            w->RefreshVisibility();
            break;
        case hkWindowChanged:
            if (w->FFloatingMode == TFloatingMode::fmOnTopOfParentForm) {
                QWidget* form = w->FFloatParent->ParentForm();
                if (form && (form == Window || form->window() == Window))
                    w->RefreshVisibility();
            }
            break;
        case hkDestroyWindow:
            if (w->FTransientFor == Window) {
                w->FTransientFor = nullptr;
                if (QWindow* own = w->FFloatParent->windowHandle())
                    own->setTransientParent(nullptr);
            }
            break;
        case hkMouseMove:
            break;
        }
    }
}

void TCustomDockWindow::PressOnFloating() {
    if (!Floating())
        return;
    if (WindowSystemPresent())
        FFloatParent->raise();
    if (FFloatingMode != TFloatingMode::fmOnTopOfParentForm || !FActivateParent ||
        QApplication::activeWindow() == FFloatParent)
        return;
    QWidget* form = FFloatParent->ParentForm();
    if (!form)
        return;
    FrameFormOf(form)->activateWindow();
    if (QMdiSubWindow* sub = MdiChildOf(form)) {
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        sub->raise();
    }
}

void TCustomDockWindow::ParentFormGone(TFloatingWindowParent* Parent) {
    if (parentWidget() != Parent)
        return;
    if (FFloatingMode == TFloatingMode::fmOnTopOfParentForm)
        SetParent(nullptr);
}

void TCustomDockWindow::DoublePress() {
    if (FDocked) {
        if (FDockMode == TDockMode::dmCanFloat) {
            SetParent(RequireParentForm());
            KeepOnScreen(true);
        }
    } else if (FLastDock) {
        SetParent(FLastDock);
    } else if (FDefaultDock) {
        FDockRow = 0;
        FDockPos = -8;
        SetParent(FDefaultDock);
    }
}

// ============================================================================ Floating parent

TFloatingWindowParent::TFloatingWindowParent(QWidget* ParentForm)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      FParentForm(ParentForm) {
    setObjectName(
        QStringLiteral("DockFloatingWindowParent_%1").arg(++FloatingParentCounter, 8, 16, QLatin1Char('0')));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setLayoutDirection(Qt::LeftToRight);
    if (ParentForm)
        connect(ParentForm, &QObject::destroyed, this, [this] { FormGone(); });
}

TFloatingWindowParent::~TFloatingWindowParent() {
    FDestroying = true;
}

void TFloatingWindowParent::FormGone() {
    TCustomDockWindow* window = nullptr;
    for (QObject* child : children())
        if (auto* w = qobject_cast<TCustomDockWindow*>(child))
            window = w;
    if (!window) {
        hide();
        deleteLater();
        return;
    }
    // A window on top of all forms only forgets its form; one on top of its form leaves with it.
    window->ParentFormGone(this);
}

void TFloatingWindowParent::closeEvent(QCloseEvent* Event) {
    Event->ignore();
    if (QWidget* frame = TCustomDockWindow::FrameFormOf(FParentForm))
        frame->close();
}

void TFloatingWindowParent::keyPressEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Escape && (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        FParentForm) {
        FParentForm->activateWindow();
        FParentForm->setFocus(Qt::OtherFocusReason);
        Event->accept();
        return;
    }
    QWidget::keyPressEvent(Event);
}
