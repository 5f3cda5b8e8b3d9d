#pragma once
// Dock areas and tool windows.
//
// A dock area (TDockArea) sticks to one edge of a form (through the form's AlignLayout) and holds
// tool windows in rows. A tool window (TCustomDockWindow) sits docked in a dock or floats above its
// form in a small top-level window of its own (TFloatingWindowParent) with a small caption. The user
// drags it by its grip, a blank spot or its caption into another dock or into the free, sizes a
// floating one by its edges and closes it with its close button; a double click sends it back.
//
// Every place and size change of a tool window passes through SetBounds; every parent change through
// SetParent. Its children sit in the client area: ClientOrigin() is the one conversion from client
// to widget coordinates (PlaceChild does it). The arithmetic lives in DockCore.h.

#include "platform/Color.h"
#include "ui/DockCmn.h"
#include "ui/DockCore.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include <QMenu>
class TCustomDockWindow;
class TFloatingWindowParent;

enum class TDockPosition { dpTop, dpBottom, dpLeft, dpRight };
// A set of dock positions.
using TDockPositions = unsigned;
constexpr TDockPositions DockPositionBit(TDockPosition P) {
    return 1u << unsigned(P);
}
constexpr TDockPositions AllDockPositions = 0xF;

enum TDockBoundLine : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
using TDockBoundLines = unsigned;

enum class TDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };

// The dock type the tool windows lay out for: 0 not docked, 1 horizontal dock, 2 vertical dock.
int DockTypeOf(const class TDockArea* Dock);

// ============================================================================ TDockArea

class TDockArea : public QWidget {
    Q_OBJECT
public:
    // Raises EInvalidOperation when Parent is a tool window or a dock.
    explicit TDockArea(QWidget* Parent, TDockPosition Position = TDockPosition::dpTop);
    ~TDockArea() override;

    // Places the dock in P; a tool window or another dock is refused before anything changes.
    void SetParent(QWidget* P);

    // ---- Properties.
    bool AllowDrag() const { return FAllowDrag; }
    void SetAllowDrag(bool Value);
    const QImage& Background() const { return FBackground; }
    void SetBackground(const QImage& Value);
    bool BackgroundOnToolbars() const { return FBackgroundOnToolbars; }
    void SetBackgroundOnToolbars(bool Value);
    bool BackgroundTransparent() const { return FBackgroundTransparent; }
    void SetBackgroundTransparent(bool Value);
    TDockBoundLines BoundLines() const { return FBoundLines; }
    void SetBoundLines(TDockBoundLines Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool FixAlign() const { return FFixAlign; }
    void SetFixAlign(bool Value);
    bool LimitToOneRow() const { return FLimitToOneRow; }
    void SetLimitToOneRow(bool Value);
    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* Menu) { FPopupMenu = Menu; }
    TDockPosition Position() const { return FPosition; }
    // Raises EInvalidOperation while the dock holds any child control.
    void SetPosition(TDockPosition Value);
    QString Version() const;

    // A bar became shown here (Inserting) or left.
    std::function<void(TDockArea* Sender, bool Inserting, TCustomDockWindow* Bar)> OnInsertRemoveBar;
    // Asked while a bar is dragged over the dock; Accept starts True.
    std::function<void(TDockArea* Sender, TCustomDockWindow* Bar, bool& Accept)> OnRequestDock;
    std::function<void(TDockArea* Sender)> OnResize;

    // ---- Rows.
    bool Vertical() const {
        return FPosition == TDockPosition::dpLeft || FPosition == TDockPosition::dpRight;
    }
    void ArrangeBars(bool ClipPositions);
    void BeginArrange();
    void EndArrange();
    void RegisterBar(bool Insert, TCustomDockWindow* Bar);
    void BarShownChanged(TCustomDockWindow* Bar, bool ForceRemove);
    int HighestRow() const;
    int RowSize(int Row, const TCustomDockWindow* Bar) const;
    TRowAtPosition RowAtPosition(int Pos) const;
    void OpenRow(int Row);
    void CloseEmptyRows();
    int BarCountOnRow(int Row, const TCustomDockWindow* Except) const;
    void BuildRowSizes();
    // The registered bars and those shown here, in their present order.
    const std::vector<TCustomDockWindow*>& Bars() const { return FBars; }
    const std::vector<TCustomDockWindow*>& VisibleBars() const { return FVisibleBars; }

    // ---- Frame and background.
    // The bound lines: one pixel each on its edge; the client origin and the frame across each axis.
    QPoint ClientOrigin() const;
    int FrameWidth() const;
    int FrameHeight() const;
    QRect ClientRect() const;
    bool HasBackground() const;
    // Tiles the background (or its transparent-colour copy) over DrawRect, clipped to Clip minus
    // Exclude; DrawRect is in the painter's coordinates and lines the tiles up.
    void TileBackground(QPainter& Painter, const QRect& Clip, const QRect& Exclude, const QRect& DrawRect);
    void RepaintBackgrounds();
    void DropBackgroundCache();
    // Applies the new size so that the dock's outer edge stays put, then aligns the parent again.
    void SetThickness(int NewWidth, int NewHeight);
    // Arranges once the form that holds the dock is set up.
    void Loaded();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    friend class TCustomDockWindow;
    void ForgetBar(TCustomDockWindow* Bar);
    bool AnyShown() const;

    int FArrangeLock = 0;
    bool FArrangePending = false;
    bool FClipPending = false;
    std::vector<TCustomDockWindow*> FBars;
    std::vector<TCustomDockWindow*> FVisibleBars;
    std::vector<int> FRowSizes;
    QImage FBackground;
    QImage FBackgroundCache;
    std::uint32_t FCacheGeneration = 0;
    bool FAllowDrag = true;
    bool FBackgroundOnToolbars = true;
    bool FBackgroundTransparent = false;
    TDockBoundLines FBoundLines = 0;
    TColor FColor;
    bool FFixAlign = false;
    bool FLimitToOneRow = false;
    QPointer<QMenu> FPopupMenu;
    TDockPosition FPosition = TDockPosition::dpTop;
    bool FDestroying = false;
};

// ============================================================================ Tool windows

// What a kind of tool window asks of the base.
struct TDockWindowParams {
    // Align the children with the window's AlignLayout on a size change.
    bool CallAlignControls = true;
    // Size at the eight corners, not only at the four sides.
    bool ResizeEightCorner = true;
    // Confine the cursor while sizing (not available here; kept for the kinds that ask).
    bool ResizeClipCursor = true;
};

class TCustomDockWindow : public QWidget {
    Q_OBJECT
public:
    // Owner is the form the window belongs to: the window goes when the owner goes. The window starts
    // with no parent; SetParent (or SetDockedTo) places it.
    explicit TCustomDockWindow(QWidget* Owner);
    ~TCustomDockWindow() override;

    // ---- Placement.
    // P: none (hidden, unparented), a dock (docked) or a form (floating in a floating parent of that
    // form). Anything else raises EInvalidOperation before anything changes.
    void SetParent(QWidget* P);
    TDockArea* DockedTo() const { return FDockedTo; }
    // A dock docks the window there; none floats it over its parent form.
    void SetDockedTo(TDockArea* Dock);
    bool Docked() const { return FDocked; }
    bool Floating() const;
    TFloatingWindowParent* FloatParent() const { return FFloatParent; }
    TDockArea* DefaultDock() const { return FDefaultDock; }
    void SetDefaultDock(TDockArea* Dock) { FDefaultDock = Dock; }
    TDockArea* LastDock() const { return FLastDock; }
    void SetLastDock(TDockArea* Dock);
    bool UseLastDock() const { return FUseLastDock; }
    void SetUseLastDock(bool Value);
    int DockRow() const { return FDockRow; }
    void SetDockRow(int Value);
    int DockPos() const { return FDockPos; }
    void SetDockPos(int Value);
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool Value);
    TDockMode DockMode() const { return FDockMode; }
    void SetDockMode(TDockMode Value) { FDockMode = Value; }
    TDockPositions DockableTo() const { return FDockableTo; }
    void SetDockableTo(TDockPositions Value) { FDockableTo = Value; }
    TFloatingMode FloatingMode() const { return FFloatingMode; }
    void SetFloatingMode(TFloatingMode Value);
    // The extra forms whose docks take this window too.
    void AddDockForm(QWidget* Form);
    void RemoveDockForm(QWidget* Form);

    // ---- Looks.
    bool ActivateParent() const { return FActivateParent; }
    void SetActivateParent(bool Value) { FActivateParent = Value; }
    TDockBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TDockBorderStyle Value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool CloseButton() const { return FCloseButton; }
    void SetCloseButton(bool Value);
    bool CloseButtonWhenDocked() const { return FCloseButtonWhenDocked; }
    void SetCloseButtonWhenDocked(bool Value);
    TDragHandleStyle DragHandleStyle() const { return FDragHandleStyle; }
    void SetDragHandleStyle(TDragHandleStyle Value);
    bool HideWhenInactive() const { return FHideWhenInactive; }
    void SetHideWhenInactive(bool Value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    bool Resizable() const { return FResizable; }
    void SetResizable(bool Value);
    // Right-aligned caption read right to left.
    bool Arabic() const { return FArabic; }
    void SetArabic(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    QString Version() const;
    // The window's Visible property: whether it is to be shown at all. Where it really shows also
    // follows its form and the application (WantsToShow).
    bool Visible() const { return FVisible; }
    void setVisible(bool Visible) override;

    // ---- Geometry. Docked: the dock's client coordinates; floating: screen coordinates.
    int Left() const;
    int Top() const;
    int Width() const { return width(); }
    int Height() const { return height(); }
    QRect BoundsRect() const { return QRect(Left(), Top(), Width(), Height()); }
    // The one place where the window's place and size change.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    QPoint FloatingPosition() const { return FFloatingPosition; }
    void SetFloatingPosition(QPoint P) { FFloatingPosition = P; }
    // The frame around the client, and the client in widget coordinates.
    TFrameSize FrameSize() const { return FFrame; }
    QPoint ClientOrigin() const { return QPoint(FFrame.Left, FFrame.Top); }
    int ClientWidth() const;
    int ClientHeight() const;
    // Places a child at a rectangle given in client coordinates.
    void PlaceChild(QWidget* Child, const QRect& ClientRect);

    // ---- Layout.
    void Relayout();
    void LayOutAndFit(int DockType, TDockArea* Dock, bool Resize);
    void LockArrange();
    void UnlockArrange();
    void KeepOnScreen(bool OnlyIfFullyOffscreen);
    // Called by the form that built the window once it is set up: a floating window whose bounds
    // were given relative to the form is put on the screen, then OrderOnLoad and Relayout.
    void Loaded();
    bool SavedAtRunTime() const { return FSavedAtRunTime; }
    void SetSavedAtRunTime(bool Value) { FSavedAtRunTime = Value; }

    static QWidget* OwningForm(QWidget* Control);
    // The owning form; raises EInvalidOperation ("Control '%s' has no parent window") without one.
    QWidget* RequireParentForm();
    // The MDI frame of an MDI child form; any other form itself.
    static QWidget* FrameFormOf(QWidget* Form);
    // The position of the dock in which the nearest tool window at or above Control is docked, 4
    // when none.
    static int DockPositionOf(QWidget* Control);
    // The tool windows now floating, in the order they started floating.
    static std::vector<TCustomDockWindow*> FloatingWindows();

    // ---- Visibility of a floating window.
    bool WantsToShow() const;
    void RefreshVisibility();
    bool InactiveCaption() const { return FInactiveCaption; }

    // ---- Mouse.
    // A press in client coordinates: a single left press starts a drag, a double press docks a
    // floating window back or floats a docked one.
    void HandleMouseDown(Qt::MouseButton Button, bool Double, int X, int Y,
                         Qt::KeyboardModifiers Modifiers = Qt::NoModifier);
    TDockHit HitTest(QPoint WindowPos) const;

    // The drag (a state machine driven by the pointer and the keyboard; the functions below let code
    // drive it without a pointer).
    void BeginDrag(int X, int Y, bool Ctrl = false);
    void DragMoveTo(QPoint GlobalPos);
    void DragSetCtrl(bool Down);
    void EndDrag(bool Accept);
    bool Dragging() const;
    // The outline now shown (screen coordinates; empty when none) and its thickness.
    QRect DragOutline() const;
    int DragOutlineThickness() const;
    TDockArea* DragHoveredDock() const;
    // The candidate docks of the drag, in search order.
    std::vector<TDockArea*> DragCandidates() const;

    // Sizing a floating window from an edge (0 left, 1 right, 2 top, 3 top-left, 4 top-right,
    // 5 bottom, 6 bottom-left, 7 bottom-right).
    void BeginSizing(int Edge, QPoint GlobalCursor);
    void SizeMoveTo(QPoint GlobalPos);
    void EndSizing(bool Accept);
    bool Sizing() const;
    QRect SizingRect() const;

    // The close button held down: pressed only while the pointer is on it.
    bool CloseButtonTracking() const;
    bool CloseButtonPressed() const { return FCloseButtonPressed; }
    QRect CloseButtonRect() const;

    void RedrawDockedFrame() { update(); }

    // ---- Events.
    std::function<void(TCustomDockWindow*)> OnClose;
    std::function<void(TCustomDockWindow*, bool& CanClose)> OnCloseQuery;
    std::function<void(TCustomDockWindow*)> OnDockChanged;
    std::function<void(TCustomDockWindow*)> OnDockChanging;
    std::function<void(TCustomDockWindow*, TDockArea* DockingTo)> OnDockChangingEx;
    std::function<void(TCustomDockWindow*, TDockArea* DockingTo)> OnDockChangingHidden;
    std::function<void(TCustomDockWindow*)> OnMove;
    std::function<void(TCustomDockWindow*)> OnRecreated;
    std::function<void(TCustomDockWindow*)> OnRecreating;
    std::function<void(TCustomDockWindow*)> OnResize;
    std::function<void(TCustomDockWindow*)> OnVisibleChanged;

    // ---- What each kind of tool window decides.
    // Its thickness across a dock of the type (1 horizontal, 2 vertical), without the frame.
    virtual int DockedThickness(int DockType) const;
    virtual QSize SmallestClientSize() const;
    // The client size needed for the dock (none: floating), laying the children out when
    // ResizeChildren.
    virtual QSize LayOutContents(bool ResizeChildren, int OrderDockType, TDockArea* Dock);
    virtual void NewSizeChosen(int NewWidth, int NewHeight);
    // Whether a press on the child may start a drag.
    virtual bool ChildLetsDrag(QWidget* Child) const;
    virtual void QueryParams(TDockWindowParams& Params) const;
    virtual void OrderOnLoad();
    virtual void SizingStarted(int Edge);
    virtual void SizingStep(QRect& NewRect, const QRect& StartRect);
    virtual void SizingEnded(bool Accept);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    // The window's frame and client background as painted (docked or floating).
    QImage PaintWindow();
    bool Destroying() const { return FDestroying; }
    const TDockWindowParams& Params() const { return FParams; }
    // Asks QueryParams again; a kind whose answer differs from the base calls it from its constructor.
    void UpdateParams() { QueryParams(FParams); }

private:
    friend class TDockArea;
    friend class TFloatingWindowParent;
    friend class TDockLoopFilter;
    struct TDragState;
    struct TSizeState;

    bool IsShownIn(const TDockArea* Dock) const;
    // A drag, a sizing or the close-button tracking is running.
    bool InPointerLoop() const { return FDrag || FSize || FCloseTracking; }
    void UpdateFrame();
    void AfterClientResize();
    void ShowingChanged();
    void UpdateTopmost();
    void ApplyQtVisible(bool Show);
    void DoublePress();
    void PressOnFloating();
    void ForgetDock(TDockArea* Dock);
    void BeginCloseTracking();
    void ParentFormGone(TFloatingWindowParent* Parent);
    void InstallLoop();
    void RemoveLoop();
    bool LoopEvent(QObject* Watched, QEvent* Event);
    void CancelLoops();
    void CloseTrackMove(QPoint GlobalPos);
    void EndCloseTracking(bool Clicked);
    void UpdateHoverCursor(QPoint WindowPos);
    static void ToolWindowHook(THookKind Kind, QObject* Window, QEvent* Event);

    QPointer<QWidget> FOwner;
    bool FDocked = false;
    QPointer<TDockArea> FDockedTo;
    QPointer<TDockArea> FDefaultDock;
    QPointer<TDockArea> FLastDock;
    // Options.
    bool FActivateParent = true;
    TDockBorderStyle FBorderStyle = TDockBorderStyle::bsSingle;
    QString FCaption;
    bool FCloseButton = true;
    bool FCloseButtonWhenDocked = false;
    TDockPositions FDockableTo = AllDockPositions;
    TDockMode FDockMode = TDockMode::dmCanFloat;
    int FDockPos = -1;
    int FDockRow = 0;
    TDragHandleStyle FDragHandleStyle = TDragHandleStyle::dhDouble;
    TFloatingMode FFloatingMode = TFloatingMode::fmOnTopOfParentForm;
    bool FFullSize = false;
    bool FHideWhenInactive = true;
    bool FShowCaption = true;
    bool FUseLastDock = true;
    bool FResizable = true;
    bool FArabic = false;
    TColor FColor;
    bool FVisible = true;
    // State.
    int FLastDockType = 0;
    bool FLastDockTypeSet = false;
    TDockWindowParams FParams;
    int FSizeSetLock = 0;
    int FArrangeLock = 0;
    bool FArrangePending = false;
    int FMoveEventLock = 0;
    int FHideCount = 0;
    bool FMoved = false;
    bool FInactiveCaption = false;
    QPoint FFloatingPosition;
    std::vector<QPointer<QWidget>> FDockForms;
    bool FSavedAtRunTime = false;
    TFrameSize FFrame;
    TFloatingWindowParent* FFloatParent = nullptr;
    bool FCloseButtonPressed = false;
    bool FDestroying = false;
    int FApplyingVisible = 0;
    // The window a floating parent was made transient for (compared only).
    QObject* FTransientFor = nullptr;
    // The running drag, sizing or close-button tracking.
    std::unique_ptr<TDragState> FDrag;
    std::unique_ptr<TSizeState> FSize;
    bool FCloseTracking = false;
    QPointer<QObject> FLoopFilter;
};

// The top-level window a floating tool window sits in: frameless, never activated, transient for
// its form's window. Named "DockFloatingWindowParent_" and 8 hex digits.
class TFloatingWindowParent : public QWidget {
    Q_OBJECT
public:
    explicit TFloatingWindowParent(QWidget* ParentForm);
    ~TFloatingWindowParent() override;
    QWidget* ParentForm() const { return FParentForm; }
    bool ShouldBeVisible() const { return FShouldBeVisible; }
    void SetShouldBeVisible(bool Value) { FShouldBeVisible = Value; }
    bool Destroying() const { return FDestroying; }

protected:
    void closeEvent(QCloseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void FormGone();
    QPointer<QWidget> FParentForm;
    bool FShouldBeVisible = false;
    bool FDestroying = false;
};
