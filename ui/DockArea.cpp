// The dock area: its bars in rows, its thickness, bound lines and tiled background.

#include "platform/ColorQt.h"
#include "platform/Errors.h"
#include "platform/SysColors.h"
#include "ui/AlignLayout.h"
#include "ui/DockCnst.h"
#include "ui/DockPrivate.h"
#include "ui/Docks.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>

std::vector<TDockArea*>& LiveDocks() {
    static std::vector<TDockArea*> docks;
    return docks;
}

int DockTypeOf(const TDockArea* Dock) {
    if (!Dock)
        return 0;
    return Dock->Vertical() ? 2 : 1;
}

namespace {
QWidget* CheckedDockParent(QWidget* P) {
    if (P && (qobject_cast<TCustomDockWindow*>(P) || qobject_cast<TDockArea*>(P)))
        throw EInvalidOperation(SDockParentNotAllowed());
    return P;
}

TAlign AlignOfPosition(TDockPosition P) {
    switch (P) {
    case TDockPosition::dpTop:
        return TAlign::alTop;
    case TDockPosition::dpBottom:
        return TAlign::alBottom;
    case TDockPosition::dpLeft:
        return TAlign::alLeft;
    case TDockPosition::dpRight:
        return TAlign::alRight;
    }
    return TAlign::alNone;
}

// Runs F with the arrange lock of Dock taken; the lock goes on every path.
struct ArrangeGuard {
    int& Lock;
    explicit ArrangeGuard(int& L) : Lock(L) { ++Lock; }
    ~ArrangeGuard() { --Lock; }
};
} // namespace

TDockArea::TDockArea(QWidget* Parent, TDockPosition Position)
    : QWidget(CheckedDockParent(Parent)), FColor(clBtnFace), FPosition(Position) {
    setLayoutDirection(Qt::LeftToRight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetAlign(this, AlignOfPosition(Position));
    LiveDocks().push_back(this);
    resize(Vertical() ? 0 : width(), Vertical() ? height() : 0);
}

TDockArea::~TDockArea() {
    FDestroying = true;
    auto& docks = LiveDocks();
    docks.erase(std::remove(docks.begin(), docks.end(), this), docks.end());
    for (TCustomDockWindow* w : LiveDockWindows())
        w->ForgetDock(this);
    FBars.clear();
    FVisibleBars.clear();
}

void TDockArea::SetParent(QWidget* P) {
    CheckedDockParent(P);
    if (P == parentWidget())
        return;
    const bool wasHidden = isHidden();
    QWidget::setParent(P);
    if (!wasHidden)
        show();
    AlignLayout::RealignParentOf(this);
}

// ---- Properties.

void TDockArea::SetAllowDrag(bool Value) {
    if (FAllowDrag == Value)
        return;
    FAllowDrag = Value;
    for (QObject* child : children())
        if (auto* bar = qobject_cast<TCustomDockWindow*>(child))
            bar->UpdateFrame();
}

void TDockArea::SetBackground(const QImage& Value) {
    FBackground = Value.isNull() ? QImage() : Value.convertToFormat(QImage::Format_RGB32);
    DropBackgroundCache();
}

void TDockArea::SetBackgroundOnToolbars(bool Value) {
    if (FBackgroundOnToolbars == Value)
        return;
    FBackgroundOnToolbars = Value;
    RepaintBackgrounds();
}

void TDockArea::SetBackgroundTransparent(bool Value) {
    if (FBackgroundTransparent == Value)
        return;
    FBackgroundTransparent = Value;
    if (HasBackground())
        DropBackgroundCache();
}

void TDockArea::SetBoundLines(TDockBoundLines Value) {
    Value &= blTop | blBottom | blLeft | blRight;
    if (FBoundLines == Value)
        return;
    const QPoint oldOrigin = ClientOrigin();
    FBoundLines = Value;
    // The bars keep their client positions.
    const QPoint delta = ClientOrigin() - oldOrigin;
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child))
            w->move(w->pos() + delta);
    ArrangeBars(false);
    update();
}

void TDockArea::SetColor(TColor Value) {
    if (FColor == Value)
        return;
    FColor = Value;
    if (HasBackground())
        DropBackgroundCache();
    update();
}

void TDockArea::SetFixAlign(bool Value) {
    if (FFixAlign == Value)
        return;
    FFixAlign = Value;
    ArrangeBars(false);
}

void TDockArea::SetLimitToOneRow(bool Value) {
    if (FLimitToOneRow == Value)
        return;
    FLimitToOneRow = Value;
    ArrangeBars(false);
}

void TDockArea::SetPosition(TDockPosition Value) {
    for (QObject* child : children())
        if (child->isWidgetType())
            throw EInvalidOperation(SDockCannotChangePosition());
    FPosition = Value;
    SetAlign(this, AlignOfPosition(Value));
    ArrangeBars(false);
}

QString TDockArea::Version() const {
    return DockLibraryVersion();
}

// ---- Frame.

QPoint TDockArea::ClientOrigin() const {
    return QPoint((FBoundLines & blLeft) ? 1 : 0, (FBoundLines & blTop) ? 1 : 0);
}

int TDockArea::FrameWidth() const {
    return ((FBoundLines & blLeft) ? 1 : 0) + ((FBoundLines & blRight) ? 1 : 0);
}

int TDockArea::FrameHeight() const {
    return ((FBoundLines & blTop) ? 1 : 0) + ((FBoundLines & blBottom) ? 1 : 0);
}

QRect TDockArea::ClientRect() const {
    return QRect(ClientOrigin(),
                 QSize(std::max(width() - FrameWidth(), 0), std::max(height() - FrameHeight(), 0)));
}

// ---- Bars.

bool TDockArea::AnyShown() const {
    return std::any_of(FBars.begin(), FBars.end(),
                       [&](const TCustomDockWindow* b) { return b->IsShownIn(this); });
}

void TDockArea::RegisterBar(bool Insert, TCustomDockWindow* Bar) {
    if (!Bar)
        return;
    const auto it = std::find(FBars.begin(), FBars.end(), Bar);
    if (Insert && it == FBars.end())
        FBars.push_back(Bar);
    else if (!Insert && it != FBars.end())
        FBars.erase(it);
    BarShownChanged(Bar, false);
}

void TDockArea::ForgetBar(TCustomDockWindow* Bar) {
    const auto a = std::find(FBars.begin(), FBars.end(), Bar);
    const auto b = std::find(FVisibleBars.begin(), FVisibleBars.end(), Bar);
    const bool had = a != FBars.end() || b != FVisibleBars.end();
    if (a != FBars.end())
        FBars.erase(a);
    if (b != FVisibleBars.end())
        FVisibleBars.erase(b);
    if (had && !FDestroying)
        ArrangeBars(false);
}

void TDockArea::BarShownChanged(TCustomDockWindow* Bar, bool ForceRemove) {
    if (!Bar || FDestroying)
        return;
    const bool shown =
        !ForceRemove && std::find(FBars.begin(), FBars.end(), Bar) != FBars.end() && Bar->IsShownIn(this);
    const auto it = std::find(FVisibleBars.begin(), FVisibleBars.end(), Bar);
    bool changed = false;
    if (shown && it == FVisibleBars.end()) {
        FVisibleBars.push_back(Bar);
        changed = true;
    } else if (!shown && it != FVisibleBars.end()) {
        FVisibleBars.erase(it);
        changed = true;
    }
    if (changed) {
        ArrangeBars(false);
        if (OnInsertRemoveBar)
            OnInsertRemoveBar(this, shown, Bar);
    }
}

int TDockArea::HighestRow() const {
    int highest = -1;
    for (const TCustomDockWindow* b : FBars)
        highest = std::max(highest, b->FDockRow);
    return highest;
}

int TDockArea::RowSize(int Row, const TCustomDockWindow* Bar) const {
    int size = Row >= 0 && std::size_t(Row) < FRowSizes.size() ? FRowSizes[std::size_t(Row)] : 0;
    if (size == 0 && Bar)
        size = Bar->DockedThickness(DockTypeOf(this));
    return size;
}

TRowAtPosition TDockArea::RowAtPosition(int Pos) const {
    std::vector<int> sizes(std::size_t(std::max(HighestRow() + 1, 0)), 0);
    for (std::size_t r = 0; r < sizes.size() && r < FRowSizes.size(); ++r)
        sizes[r] = FRowSizes[r];
    return DockRowAtPosition(sizes, Pos);
}

namespace {
// The bars as the arithmetic sees them, and back.
struct SlotSet {
    std::vector<TDockBarSlot> Slots;
    std::vector<TDockBarSlot*> Order;
    explicit SlotSet(std::size_t N) : Slots(N) {
        for (auto& s : Slots)
            Order.push_back(&s);
    }
    std::size_t IndexOf(const TDockBarSlot* S) const { return std::size_t(S - Slots.data()); }
};
} // namespace

void TDockArea::OpenRow(int Row) {
    for (TCustomDockWindow* b : FBars)
        if (b->FDockRow >= Row && b->FDockRow < INT_MAX)
            ++b->FDockRow;
}

void TDockArea::CloseEmptyRows() {
    SlotSet set(FBars.size());
    for (std::size_t i = 0; i < FBars.size(); ++i)
        set.Slots[i].DockRow = FBars[i]->FDockRow;
    CloseEmptyDockRows(set.Order);
    for (std::size_t i = 0; i < FBars.size(); ++i)
        FBars[i]->FDockRow = set.Slots[i].DockRow;
}

int TDockArea::BarCountOnRow(int Row, const TCustomDockWindow* Except) const {
    return int(std::count_if(FBars.begin(), FBars.end(),
                             [&](const TCustomDockWindow* b) { return b != Except && b->FDockRow == Row; }));
}

void TDockArea::BuildRowSizes() {
    SlotSet set(FBars.size());
    const int type = DockTypeOf(this);
    for (std::size_t i = 0; i < FBars.size(); ++i) {
        set.Slots[i].DockRow = FBars[i]->FDockRow;
        set.Slots[i].Shown = FBars[i]->IsShownIn(this);
        set.Slots[i].Thickness = set.Slots[i].Shown ? FBars[i]->DockedThickness(type) : 0;
    }
    FRowSizes = BuildDockRowSizes(set.Order);
}

void TDockArea::BeginArrange() {
    ++FArrangeLock;
}

void TDockArea::EndArrange() {
    if (FArrangeLock > 0 && --FArrangeLock == 0 && FArrangePending)
        ArrangeBars(FClipPending);
}

void TDockArea::ArrangeBars(bool ClipPositions) {
    if (FDestroying)
        return;
    if (ClipPositions)
        FClipPending = true;
    if (FArrangeLock > 0) {
        FArrangePending = true;
        return;
    }
    {
        ArrangeGuard guard(FArrangeLock);
        raise();
        const int type = DockTypeOf(this);
        SlotSet set(FBars.size());
        for (std::size_t i = 0; i < FBars.size(); ++i) {
            TCustomDockWindow* b = FBars[i];
            TDockBarSlot& s = set.Slots[i];
            s.DockRow = b->FDockRow;
            s.DockPos = b->FDockPos;
            s.FullSize = b->FFullSize;
            s.Shown = b->IsShownIn(this);
            s.Width = b->Width();
            s.Height = b->Height();
            s.Thickness = s.Shown ? b->DockedThickness(type) : 0;
        }
        TDockArrangeInput in;
        in.Vertical = Vertical();
        in.Width = width();
        in.Height = height();
        in.FrameWidth = FrameWidth();
        in.FrameHeight = FrameHeight();
        in.LimitToOneRow = FLimitToOneRow;
        in.FixAlign = FFixAlign;
        in.ClipPositions = FClipPending;
        const TDockArrangeResult result = ArrangeDockBars(set.Order, in);
        FRowSizes = result.RowSizes;

        // The bars in their new order, with the rows and positions written back.
        std::vector<TCustomDockWindow*> bars;
        bars.reserve(FBars.size());
        for (TDockBarSlot* s : set.Order)
            bars.push_back(FBars[set.IndexOf(s)]);
        const std::vector<TCustomDockWindow*> old = FBars;
        FBars = bars;
        std::vector<TCustomDockWindow*> visible;
        for (TCustomDockWindow* b : FBars)
            if (std::find(FVisibleBars.begin(), FVisibleBars.end(), b) != FVisibleBars.end())
                visible.push_back(b);
        FVisibleBars = visible;
        for (std::size_t i = 0; i < old.size(); ++i) {
            old[i]->FDockRow = set.Slots[i].DockRow;
            old[i]->FDockPos = set.Slots[i].DockPos;
        }
        for (std::size_t i = 0; i < old.size(); ++i) {
            const TDockBarSlot& s = set.Slots[i];
            if (!s.Shown)
                continue;
            TCustomDockWindow* b = old[i];
            b->LockArrange();
            b->SetBounds(s.Bounds.x(), s.Bounds.y(), s.Bounds.width(), s.Bounds.height());
            b->UnlockArrange();
        }
        if (Vertical())
            SetThickness(result.Thickness, height());
        else
            SetThickness(width(), result.Thickness);
    }
    FArrangePending = false;
    FClipPending = false;
}

void TDockArea::SetThickness(int NewWidth, int NewHeight) {
    NewWidth = std::max(NewWidth, 0);
    NewHeight = std::max(NewHeight, 0);
    if (NewWidth == width() && NewHeight == height())
        return;
    switch (AlignOf(this)) {
    case TAlign::alClient:
        return;
    case TAlign::alBottom:
        setGeometry(x(), y() + height() - NewHeight, NewWidth, NewHeight);
        break;
    case TAlign::alRight:
        setGeometry(x() + width() - NewWidth, y(), NewWidth, NewHeight);
        break;
    default:
        setGeometry(x(), y(), NewWidth, NewHeight);
        break;
    }
    AlignLayout::RealignParentOf(this);
}

void TDockArea::Loaded() {
    ArrangeBars(false);
}

// ---- Background.

bool TDockArea::HasBackground() const {
    return FBackground.width() > 0 && FBackground.height() > 0;
}

void TDockArea::RepaintBackgrounds() {
    update();
    for (TCustomDockWindow* b : FBars)
        if (b->IsShownIn(this))
            b->update();
}

void TDockArea::DropBackgroundCache() {
    FBackgroundCache = QImage();
    RepaintBackgrounds();
}

void TDockArea::TileBackground(QPainter& Painter, const QRect& Clip, const QRect& Exclude,
                               const QRect& DrawRect) {
    if (!HasBackground())
        return;
    const QImage* tile = &FBackground;
    if (FBackgroundTransparent) {
        if (FBackgroundCache.isNull() || FCacheGeneration != SysColorGeneration()) {
            FBackgroundCache = FBackground.copy();
            const QRgb key = FBackground.pixel(0, FBackground.height() - 1);
            const QRgb with = SysQRgb(FColor) | 0xFF000000u;
            for (int y = 0; y < FBackgroundCache.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(FBackgroundCache.scanLine(y));
                for (int x = 0; x < FBackgroundCache.width(); ++x)
                    if (row[x] == key)
                        row[x] = with;
            }
            FCacheGeneration = SysColorGeneration();
        }
        tile = &FBackgroundCache;
    }
    Painter.save();
    QRegion clip(Clip);
    if (!Exclude.isEmpty())
        clip -= QRegion(Exclude);
    Painter.setClipRegion(clip);
    const QRect visible = DrawRect.intersected(Clip);
    const int tw = tile->width(), th = tile->height();
    // Only the tiles that meet the clip are copied.
    const int firstX = DrawRect.x() + std::max((visible.x() - DrawRect.x()) / tw, 0) * tw;
    const int firstY = DrawRect.y() + std::max((visible.y() - DrawRect.y()) / th, 0) * th;
    for (int x = firstX; x < DrawRect.x() + DrawRect.width() && x <= visible.right(); x += tw)
        for (int y = firstY; y < DrawRect.y() + DrawRect.height() && y <= visible.bottom(); y += th)
            Painter.drawImage(QPoint(x, y), *tile);
    Painter.restore();
}

// ---- Events.

void TDockArea::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), SysQColor(FColor));
    const QRect client = ClientRect();
    if (HasBackground())
        TileBackground(p, client, QRect(), client);
    if (FBoundLines != 0 && AnyShown()) {
        const int r = width() - 1, b = height() - 1;
        p.setPen(SysQColor(clBtnShadow));
        if (FBoundLines & blTop)
            p.drawLine(0, 0, r, 0);
        if (FBoundLines & blLeft)
            p.drawLine(0, 0, 0, b);
        p.setPen(SysQColor(clBtnHighlight));
        if (FBoundLines & blBottom)
            p.drawLine(0, b, r, b);
        if (FBoundLines & blRight)
            p.drawLine(r, 0, r, b);
    }
}

void TDockArea::resizeEvent(QResizeEvent*) {
    ArrangeBars(false);
    if (OnResize)
        OnResize(this);
}

void TDockArea::moveEvent(QMoveEvent*) {
    if (HasBackground())
        RepaintBackgrounds();
}

void TDockArea::contextMenuEvent(QContextMenuEvent* Event) {
    if (FPopupMenu)
        FPopupMenu->popup(Event->globalPos());
    else
        QWidget::contextMenuEvent(Event);
}
