#include "ui/DockTlbr.h"

#include "platform/ColorQt.h"
#include "platform/Errors.h"
#include "ui/DockCmn.h"
#include "ui/DockCnst.h"

#include <QApplication>
#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

// ============================================================================ TCustomDockToolbar

TCustomDockToolbar::TCustomDockToolbar(QWidget* Owner) : TCustomDockWindow(Owner) {
    UpdateParams();
}

TCustomDockToolbar::~TCustomDockToolbar() = default;

void TCustomDockToolbar::QueryParams(TDockWindowParams& Params) const {
    // The toolbar places its children itself, is sized at its four sides only and never confines the
    // cursor.
    Params.CallAlignControls = false;
    Params.ResizeEightCorner = false;
    Params.ResizeClipCursor = false;
}

void TCustomDockToolbar::SetFloatingWrapWidth(int Value) {
    Value = std::max(Value, 0);
    if (Value == FFloatingRightX)
        return;
    FFloatingRightX = Value;
    if (Floating())
        Relayout();
}

std::vector<QWidget*> TCustomDockToolbar::OrderList() const {
    std::vector<QWidget*> list;
    for (const QPointer<QWidget>& w : FOrder)
        if (w && w->parentWidget() == this)
            list.push_back(w.data());
    return list;
}

std::vector<TToolbarItem> TCustomDockToolbar::Items(std::vector<QWidget*>* Controls) const {
    std::vector<TToolbarItem> items;
    if (Controls)
        Controls->clear();
    for (QWidget* w : OrderList()) {
        if (w->isHidden() || w->isWindow())
            continue;
        TToolbarItem it;
        if (auto* sep = qobject_cast<TDockToolbarSep*>(w)) {
            it.Separator = true;
            it.Blank = sep->Blank();
            it.SizeHorz = sep->SizeHorz();
            it.SizeVert = sep->SizeVert();
        }
        it.Width = w->width();
        it.Height = w->height();
        items.push_back(it);
        if (Controls)
            Controls->push_back(w);
    }
    return items;
}

int TCustomDockToolbar::DockedThickness(int DockType) const {
    return ToolbarDockedThickness(Items(), DockType);
}

QSize TCustomDockToolbar::SmallestClientSize() const {
    return QSize(0, 0);
}

bool TCustomDockToolbar::ChildLetsDrag(QWidget* Child) const {
    return qobject_cast<TDockToolbarSep*>(Child) != nullptr;
}

QSize TCustomDockToolbar::LayOutContents(bool ResizeChildren, int /*OrderDockType*/, TDockArea* Dock) {
    std::vector<QWidget*> controls;
    std::vector<TToolbarItem> items = Items(&controls);
    TToolbarLayoutInput in;
    in.DockType = DockTypeOf(Dock);
    in.WrapWidth = FFloatingRightX;
    in.Apply = ResizeChildren;
    // Children are centred in a row made thicker by a neighbouring bar.
    if (Dock && Docked() && Dock == DockedTo())
        in.CrossSize = Dock->RowSize(DockRow(), this);
    std::vector<TToolbarRowLine> lines;
    const QSize size = LayOutToolbar(items, in, &lines);
    if (ResizeChildren) {
        FGroups = BuildToolbarGroups(items);
        if (lines != FRowLines) {
            FRowLines = std::move(lines);
            update();
        }
        const bool was = FLayingOut;
        FLayingOut = true;
        FLaidSizes.clear();
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (controls[i]->geometry() != items[i].Bounds.translated(ClientOrigin()))
                PlaceChild(controls[i], items[i].Bounds);
            FLaidSizes[controls[i]] = controls[i]->size();
        }
        FLayingOut = was;
    }
    return size;
}

std::vector<QSize> TCustomDockToolbar::BuildFloatingSizes() const {
    std::vector<TToolbarItem> items = Items();
    return BuildToolbarFloatingSizes(items);
}

void TCustomDockToolbar::OrderOnLoad() {
    if (!FOrderOnLoad)
        return;
    const bool vertical = DockedTo() && DockedTo()->Vertical();
    std::vector<QPointer<QWidget>> list;
    for (QWidget* w : OrderList())
        list.emplace_back(w);
    SortList(list, [vertical](const QPointer<QWidget>& A, const QPointer<QWidget>& B) {
        return vertical ? A->y() - B->y() : A->x() - B->x();
    });
    FOrder = std::move(list);
}

// ---- Sizing with the mouse.

void TCustomDockToolbar::SizingStarted(int Edge) {
    const TFrameSize frame = FloatingFrameSize(Resizable(), ShowCaption());
    FSizing = std::make_unique<TToolbarSizing>(Edge, BuildFloatingSizes(), QSize(frame.X(), frame.Y()),
                                               frame.Left, QSize(Width(), Height()), FFloatingRightX);
}

void TCustomDockToolbar::SizingStep(QRect& NewRect, const QRect& StartRect) {
    if (FSizing)
        NewRect = FSizing->Step(NewRect, StartRect);
}

void TCustomDockToolbar::SizingEnded(bool Accept) {
    if (FSizing && Accept)
        FFloatingRightX = FSizing->WrapWidth();
    FSizing.reset();
}

// ---- Children.

void TCustomDockToolbar::childEvent(QChildEvent* Event) {
    TCustomDockWindow::childEvent(Event);
    QObject* child = Event->child();
    if (Event->type() == QEvent::ChildAdded && child->isWidgetType()) {
        auto* w = static_cast<QWidget*>(child);
        if (std::find(FOrder.begin(), FOrder.end(), w) == FOrder.end()) {
            FOrder.emplace_back(w);
            w->installEventFilter(this);
        }
        // The child is not built yet: lay out once its constructor is done.
        ChildChanged();
    } else if (Event->type() == QEvent::ChildRemoved) {
        std::erase_if(FOrder, [child](const QPointer<QWidget>& w) { return !w || w.data() == child; });
        child->removeEventFilter(this);
        FLaidSizes.erase(child);
        if (!Destroying())
            ChildChanged();
    }
}

bool TCustomDockToolbar::LaidAsItIs(const QWidget* Child) const {
    // Children shown with the toolbar for the first time report the show and the size they got while
    // hidden; the last layout has seen both already.
    const auto laid = FLaidSizes.find(Child);
    if (Child->isHidden() || Child->isWindow())
        return laid == FLaidSizes.end();
    return laid != FLaidSizes.end() && laid->second == Child->size();
}

void TCustomDockToolbar::ChildChanged() {
    // Any number of children added at once are laid out together.
    if (FRelayoutQueued)
        return;
    FRelayoutQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FRelayoutQueued = false;
            Relayout();
        },
        Qt::QueuedConnection);
}

bool TCustomDockToolbar::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
    case QEvent::Resize:
        if (FLayingOut)
            break;
        [[fallthrough]];
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (auto* child = static_cast<QWidget*>(Watched); child->parentWidget() == this && !LaidAsItIs(child))
            Relayout();
        break;
    default:
        break;
    }
    return TCustomDockWindow::eventFilter(Watched, Event);
}

// ---- Painting.

void TCustomDockToolbar::paintEvent(QPaintEvent* Event) {
    TCustomDockWindow::paintEvent(Event);
    if (!Floating() || FRowLines.empty())
        return;
    QPainter p(this);
    p.translate(ClientOrigin());
    const int w = ClientWidth();
    for (const TToolbarRowLine& line : FRowLines) {
        if (line.Blank || w < 3)
            continue;
        p.fillRect(QRect(1, line.Pos - 4, w - 2, 1), SysQColor(clBtnShadow));
        p.fillRect(QRect(1, line.Pos - 3, w - 2, 1), SysQColor(clBtnHighlight));
    }
}

void TCustomDockToolbar::resizeEvent(QResizeEvent* Event) {
    TCustomDockWindow::resizeEvent(Event);
    // The row lines move with the size.
    update();
}

// ============================================================================ TDockToolbarSep

namespace {
QWidget* SeparatorParent(QWidget* Parent) {
    if (Parent && !qobject_cast<TCustomDockToolbar*>(Parent))
        throw EInvalidOperation(SToolbarSepParentNotAllowed());
    return Parent;
}
TCustomDockToolbar* ToolbarOf(const QWidget* W) {
    return qobject_cast<TCustomDockToolbar*>(W->parentWidget());
}
} // namespace

TDockToolbarSep::TDockToolbarSep(QWidget* Parent) : QWidget(SeparatorParent(Parent)) {
    setLayoutDirection(Qt::LeftToRight);
    resize(FSizeHorz, FSizeVert);
}

void TDockToolbarSep::SetParent(QWidget* P) {
    SeparatorParent(P);
    const bool hidden = isHidden();
    QWidget::setParent(P);
    if (!hidden && P)
        setVisible(true);
}

void TDockToolbarSep::SetBlank(bool Value) {
    if (FBlank == Value)
        return;
    FBlank = Value;
    update();
    // A blank separator draws no row line either.
    if (TCustomDockToolbar* tb = ToolbarOf(this))
        tb->Relayout();
}

void TDockToolbarSep::SetSizeHorz(int Value) {
    Value = std::max(Value, 1);
    if (FSizeHorz == Value)
        return;
    FSizeHorz = Value;
    Rearrange();
}

void TDockToolbarSep::SetSizeVert(int Value) {
    Value = std::max(Value, 1);
    if (FSizeVert == Value)
        return;
    FSizeVert = Value;
    Rearrange();
}

void TDockToolbarSep::Rearrange() {
    if (TCustomDockToolbar* tb = ToolbarOf(this))
        tb->Relayout();
}

void TDockToolbarSep::paintEvent(QPaintEvent*) {
    TCustomDockToolbar* tb = ToolbarOf(this);
    if (!tb || FBlank)
        return;
    QPainter p(this);
    const QColor shadow = SysQColor(clBtnShadow);
    const QColor highlight = SysQColor(clBtnHighlight);
    if (tb->Docked() && tb->DockedTo() && tb->DockedTo()->Vertical()) {
        const int y = height() / 2;
        p.fillRect(QRect(0, y - 1, width(), 1), shadow);
        p.fillRect(QRect(0, y, width(), 1), highlight);
    } else {
        const int x = width() / 2;
        p.fillRect(QRect(x - 1, 0, 1, height()), shadow);
        p.fillRect(QRect(x, 0, 1, height()), highlight);
    }
}

void TDockToolbarSep::mousePressEvent(QMouseEvent* Event) {
    TCustomDockToolbar* tb = ToolbarOf(this);
    if (!tb) {
        QWidget::mousePressEvent(Event);
        return;
    }
    // The press goes on to the toolbar at the same screen point: it starts a drag there.
    const QPointF global = Event->globalPosition();
    QMouseEvent press(Event->type(), tb->mapFromGlobal(global), global, Event->button(), Event->buttons(),
                      Event->modifiers());
    QApplication::sendEvent(tb, &press);
    Event->accept();
}

void TDockToolbarSep::mouseDoubleClickEvent(QMouseEvent* Event) {
    mousePressEvent(Event);
}
