#include "editors/RContainerPanel_m.h"

#include "editors/MRDrag.h"
#include "editors/NumEdit_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/GfxUtils.h"
#include "ui/Image_m.h"
#include "ui/PopupMenu_m.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <qdrawutil.h>

#include <algorithm>

QEvent::Type ContainerMessageType(int Message) {
    return QEvent::Type(QEvent::User + Message);
}

// ---- Layout of the kinds and the container's arithmetic.

TContainerLayout ContainerLayoutOf(int WindowIndex) {
    switch (WindowIndex) {
    case wiFD:
    case wiFS:
        return {1, 4, 1, 4, 2, 2, 0};
    case wiR:
        // Eight asked for; the four rows that exist bound it.
        return {1, 4, 2, 8, 2, 2, 0};
    case wiZ:
        return {2, 2, 1, 2, 5, 5, 1};
    default:
        return {1, 8, 2, 8, 2, 2, 0};
    }
}

std::vector<int> PlanSlots(const std::vector<int>& Numbers, int Index, int VisibleRows, int Columns) {
    const int columns = std::max(1, Columns);
    std::vector<int> plan(std::size_t(std::max(0, VisibleRows) * columns), -1);
    const int n = int(Numbers.size());
    int i = Index;
    for (int r = 0; r < VisibleRows && i >= 0 && i < n; ++r) {
        const std::size_t left = std::size_t(r * columns);
        if (columns == 1) {
            plan[left] = i++;
            continue;
        }
        const int number = Numbers[std::size_t(i)];
        if (!IsOdd(number)) {
            plan[left + 1] = i++;
        } else if (i + 1 < n && Numbers[std::size_t(i + 1)] == number + 1) {
            plan[left] = i;
            plan[left + 1] = i + 1;
            i += 2;
        } else {
            plan[left] = i++;
        }
    }
    return plan;
}

TScrollPlan PlanScrollBar(int DisplayRows, int VisibleRows, int TopRow) {
    if (DisplayRows <= VisibleRows)
        return {};
    const int maximum = DisplayRows - VisibleRows;
    return {true, maximum, VisibleRows, std::clamp(TopRow, 0, maximum)};
}

QSize ContainerSizeFor(const TContainerLayout& Layout, int RowWidth, int RowHeight, int VisibleRows,
                       int ScrollBarWidth) {
    const int height = (Layout.GapFactor * Layout.RowGap + RowHeight) * VisibleRows + Layout.RowGap;
    int width = Layout.Columns * RowWidth + 3 * Layout.ColumnGap;
    if (ScrollBarWidth > 0)
        width += ScrollBarWidth + 2;
    return {width, height};
}

int RowsThatFitHeight(int Height, int RowHeight, int MinNum, int MaxNum) {
    int rows = RowHeight > 0 ? Height / RowHeight : 0;
    rows = std::max(rows, MinNum);
    return std::min(rows, MaxNum);
}

QPoint RowPlace(int Slot, int Columns, int RowWidth, int RowHeight, int RowGap, int ColumnGap,
                int GapFactor) {
    const int columns = std::max(1, Columns);
    return {ColumnGap + (Slot % columns) * (RowWidth + ColumnGap),
            RowGap + (Slot / columns) * (RowHeight + GapFactor * RowGap)};
}

int GotoTopRow(int Row, int TopRow, int VisibleRows) {
    if (Row >= TopRow && Row <= TopRow + VisibleRows - 1)
        return TopRow;
    return std::max(0, Row - VisibleRows + 1);
}

// ---- The scroll bar: it takes no focus, drags over it scroll the list, and its track and thumb are
// the system scroll bar's whatever the style draws.

namespace {

// A block in the button face with the raised edge of a button: white and light grey above and to
// the left, grey and dark grey below and to the right.
void DrawRaisedBlock(QPainter& Painter, const QRect& R) {
    QPalette edges;
    edges.setColor(QPalette::Light, SysQColor(clBtnHighlight));
    edges.setColor(QPalette::Midlight, SysQColor(cl3DLight));
    edges.setColor(QPalette::Dark, SysQColor(clBtnShadow));
    edges.setColor(QPalette::Shadow, SysQColor(cl3DDkShadow));
    const QBrush face(SysQColor(clBtnFace));
    qDrawWinButton(&Painter, R, edges, false, &face);
}

class TContainerScrollBar : public QScrollBar {
public:
    TContainerScrollBar(MRContainerPanel* Container)
        : QScrollBar(Qt::Vertical, Container), FContainer(Container) {
        setFocusPolicy(Qt::NoFocus);
        setAcceptDrops(true);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* Event) override {
        // Entered, so that the moves come; a drop is never taken here.
        if (DragSourceOf(Event->mimeData()).Empty())
            Event->ignore();
        else
            Event->accept();
    }
    void dragMoveEvent(QDragMoveEvent* Event) override {
        const TDragSource source = DragSourceOf(Event->mimeData());
        if (!source.Empty())
            GuardedAction([&] { FContainer->ScrollBarDragOver(source, Event->position().toPoint().y()); });
        Event->ignore();
    }
    void dropEvent(QDropEvent* Event) override { Event->ignore(); }
    void paintEvent(QPaintEvent* Event) override {
        QScrollBar::paintEvent(Event);
        QStyleOptionSlider option;
        initStyleOption(&option);
        QPainter painter(this);
        painter.fillRect(ScrollBarPart(option, QStyle::SC_ScrollBarGroove),
                         QBrush(CreateCheckerPattern(clBtnHighlight, clBtnFace)));
        // A disabled bar (a refused row holds the view) shows no thumb.
        const QRect thumb = ScrollBarPart(option, QStyle::SC_ScrollBarSlider);
        if (isEnabled() && !thumb.isEmpty())
            DrawRaisedBlock(painter, thumb);
    }

private:
    QRect ScrollBarPart(const QStyleOptionSlider& Option, QStyle::SubControl Part) const {
        return style()->subControlRect(QStyle::CC_ScrollBar, &Option, Part, this);
    }
    MRContainerPanel* FContainer;
};

} // namespace

// ---- The container.

MRContainerPanel::MRContainerPanel(QObject* AOwner, QWidget* Parent) : MPanel(AOwner, Parent) {
    FixRowGeometry(this);
    if (MCaption* c = M_Caption()) {
        c->Enable = false;
        c->SetCaptions({QString(), QString()});
    }
    setFocusPolicy(Qt::NoFocus);
    setAcceptDrops(true);
    FScrollBar = new TContainerScrollBar(this);
    FScrollBar->resize(style()->pixelMetric(QStyle::PM_ScrollBarExtent), 100);
    FScrollBar->setMinimum(0);
    FScrollBar->setMaximum(0);
    FScrollBar->setSingleStep(1);
    connect(FScrollBar, &QScrollBar::valueChanged, this,
            [this](int Position) { GuardedAction([&] { ScrollBarChange(Position); }); });
    UpdateScrollBar();
}

MRContainerPanel::~MRContainerPanel() {
    // The rows go while the container is whole.
    DestroyComponents();
}

void MRContainerPanel::SetItems(MUnvList* List) {
    FItems = List;
    FTopIndex = 0;
    FTopRow = 0;
    {
        MSwitchGuard updating(FUpdating, true);
        UpdateScrollBar();
    }
    LayoutRows();
    if (FItems)
        ShowFrom(0);
    else
        for (int s = 0; s < int(FRows.size()); ++s)
            HideRowSlot(s);
}

void MRContainerPanel::SetMaxNum(int Value) {
    FMaxNum = std::min(Value, FRowsNum);
    if (FVisibleRows > FMaxNum)
        FVisibleRows = FMaxNum;
}

void MRContainerPanel::SetMinNum(int Value) {
    FMinNum = Value;
    if (FVisibleRows < FMinNum)
        SetVisibleRows(FMinNum);
}

void MRContainerPanel::SetRowsNum(int Value) {
    for (int r = FRowsNum; r < Value; ++r)
        for (int c = 0; c < std::max(1, Columns); ++c)
            CreateRowPanel(r * std::max(1, Columns) + c);
    FRowsNum = std::max(FRowsNum, Value);
}

// ---- Virtual operations.

void MRContainerPanel::InitLayout(int Top) {
    move(0, Top);
    SetBevelOuter(bvLowered);
}

void MRContainerPanel::ApplyLayout(const TContainerLayout& Layout) {
    Columns = Layout.Columns;
    RowGap = Layout.RowGap;
    ColumnGap = Layout.ColumnGap;
    GapFactor = Layout.GapFactor;
    SetRowsNum(Layout.RowsNum);
    SetMinNum(Layout.MinNum);
    SetMaxNum(Layout.MaxNum);
    resize(Columns * RowWidth, height());
}

void MRContainerPanel::CreateRowPanel(int Slot) {
    MRBasePanel* row = NewRowPanel();
    if (!row)
        return;
    if (row->parentWidget() != this)
        row->setParent(this);
    if (!FirstRowMeasured) {
        RowWidth = row->width();
        RowHeight = row->height();
        FirstRowMeasured = true;
    }
    row->PanelIndex = Slot;
    row->move(RowPlace(Slot, Columns, RowWidth, RowHeight, RowGap, ColumnGap, GapFactor));
    row->hide();
    FRows.push_back(row);
}

void MRContainerPanel::NewRow(int Slot, int Number) {
    RowAt(Slot)->NewEntry(Number);
}

void MRContainerPanel::LoadRow(int Slot, int ListIndex) {
    RowAt(Slot)->LoadItem(FItems->ItemAt(ListIndex));
}

void MRContainerPanel::LoadRowByNumber(int Number, int Slot) {
    // An entry that cannot be found leaves the row as it was.
    if (const MUnvBase* entry = FItems ? FItems->Lookup(Number) : nullptr)
        RowAt(Slot)->LoadItem(*entry);
}

void MRContainerPanel::SetClipboardKind() {
    if (FClipboard && ClipboardKind() >= 0)
        FClipboard->SetKind(ClipboardKind());
}

void MRContainerPanel::CheckClipboardKind() {
    if (!FClipboard || FClipboard->Kind != ClipboardKind())
        RaiseM(1020, 0);
}

// ---- Layout and showing.

void MRContainerPanel::SetVisibleRows(int N) {
    // No more display rows than the pool has rows for.
    if (FRowsNum > 0)
        N = std::min(N, FRowsNum);
    if (N == FVisibleRows)
        return;
    // The rows reload: the editing row stores first; a refused store keeps the rows as they are.
    if (!StoreEditingRow()) {
        LayoutRows();
        return;
    }
    FVisibleRows = N;
    {
        MSwitchGuard updating(FUpdating, true);
        UpdateScrollBar();
    }
    LayoutRows();
    ShowFrom(FTopIndex);
}

int MRContainerPanel::RowsThatFit(int Height) const {
    return RowsThatFitHeight(Height, RowHeight, FMinNum, FMaxNum);
}

void MRContainerPanel::LayoutRows() {
    const TContainerLayout layout{Columns, FRowsNum, FMinNum, FMaxNum, RowGap, ColumnGap, GapFactor};
    const QSize size = ContainerSizeFor(layout, RowWidth, RowHeight, FVisibleRows,
                                        FScrollBar->isHidden() ? 0 : FScrollBar->width());
    if (this->size() != size)
        resize(size);
    if (Background)
        Background->setGeometry(1, 1, size.width() - 2, size.height() - 2);
    PlaceScrollBar();
    // The window fits the rows exactly.
    const QSize client(size.width() + 1, y() + size.height() + 1);
    if (FHost) {
        if (FHost->ContainerClientSize() != client)
            FHost->SetContainerClientSize(client);
    } else if (QWidget* parent = parentWidget()) {
        if (parent->size() != client)
            parent->resize(client);
    }
}

void MRContainerPanel::PlaceScrollBar() {
    FScrollBar->setGeometry(width() - FScrollBar->width() - 2, 2, FScrollBar->width(),
                            std::max(0, height() - 4));
}

void MRContainerPanel::resizeEvent(QResizeEvent* Event) {
    MPanel::resizeEvent(Event);
    PlaceScrollBar();
}

void MRContainerPanel::RefreshRows() {
    if (!FItems)
        return;
    FItems->SortByNumber();
    {
        MSwitchGuard updating(FUpdating, true);
        UpdateScrollBar();
    }
    LayoutRows();
    ShowFrom(FTopIndex);
}

void MRContainerPanel::UpdateScrollBar() {
    MSwitchGuard noSync(FScrollSync, false);
    if (!FItems) {
        FScrollBar->hide();
        return;
    }
    const TScrollPlan plan = PlanScrollBar(FItems->RowCount(), FVisibleRows, FTopRow);
    FScrollBar->setMinimum(0);
    if (plan.Visible) {
        FScrollBar->setMaximum(plan.Maximum);
        FScrollBar->setPageStep(plan.PageStep);
        FTopRow = plan.TopRow;
        FScrollBar->setValue(FTopRow);
        FScrollBar->show();
    } else {
        FScrollBar->hide();
        FScrollBar->setMaximum(0);
        FTopRow = 0;
    }
    FTopIndex = FItems->IndexOfRow(FTopRow);
}

int MRContainerPanel::LastTopRow() const {
    return FScrollBar->isHidden() ? 0 : FScrollBar->maximum();
}

void MRContainerPanel::ScrollBarChange(int Position) {
    if (!FScrollSync || !FItems || FScrollBar->isHidden() || Position == FTopRow)
        return;
    if (!StoreEditingRow()) {
        // The refused row stays in view: the bar goes back.
        MSwitchGuard noSync(FScrollSync, false);
        FScrollBar->setValue(FTopRow);
        return;
    }
    ScrollTo(Position);
}

void MRContainerPanel::ScrollTo(int R) {
    if (!FItems || R == FTopRow)
        return;
    FTopRow = R;
    FTopIndex = FItems->IndexOfRow(R);
    if (!FScrollBar->isHidden()) {
        MSwitchGuard noSync(FScrollSync, false);
        FScrollBar->setValue(R);
    }
    ShowFrom(FTopIndex);
}

void MRContainerPanel::SetTopRow(int R) {
    if (R == FTopRow || !StoreEditingRow())
        return;
    ScrollTo(R);
}

void MRContainerPanel::ShowFrom(int ListIndex) {
    if (!FItems || FUpdating)
        return;
    FTopIndex = ListIndex;
    const int columns = std::max(1, Columns);
    // The numbers the visible rows can show, from ListIndex on.
    std::vector<int> numbers;
    const int last = std::min(FItems->Count(), ListIndex + FVisibleRows * columns + 1);
    for (int i = std::max(0, ListIndex); i < last; ++i)
        numbers.push_back(FItems->ItemAt(i).Number);
    const std::vector<int> plan =
        ListIndex >= 0 ? PlanSlots(numbers, 0, FVisibleRows, columns) : std::vector<int>();
    for (int s = 0; s < int(FRows.size()); ++s) {
        if (s < int(plan.size()) && plan[std::size_t(s)] >= 0)
            ShowRowSlot(s, ListIndex + plan[std::size_t(s)]);
        else
            HideRowSlot(s);
    }
}

void MRContainerPanel::ShowRowSlot(int Slot, int ListIndex) {
    LoadRow(Slot, ListIndex);
    FRows[std::size_t(Slot)]->show();
}

void MRContainerPanel::HideRowSlot(int Slot) {
    MRBasePanel* row = FRows[std::size_t(Slot)];
    if (row->isHidden())
        return;
    // A row that loses the focus by hiding does not store.
    const bool locked = row->Locked;
    row->Locked = true;
    // The focus does not stay behind in a hidden row (the list shrank under it): it goes to the same
    // cell of the nearest shown row before it, else to the container.
    if (QWidget* focus = QApplication::focusWidget(); focus && row->isAncestorOf(focus)) {
        QWidget* to = this;
        for (int s = Slot - 1; s >= 0; --s)
            if (const MRBasePanel* shown = FRows[std::size_t(s)]; !shown->isHidden()) {
                to = shown->FindCell(WidgetTag(focus));
                if (!to)
                    to = shown->NumberCell ? static_cast<QWidget*>(shown->NumberCell) : this;
                break;
            }
        FocusQuietly(to);
    }
    row->hide();
    row->Locked = locked;
    row->SetEditing(false);
}

void MRContainerPanel::GotoItem(int Number) {
    // A number that is not in the list (also after the editing row stored) goes nowhere.
    if (!FItems || !StoreEditingRow() || !FItems->Contains(Number))
        return;
    const int r = FItems->RowOfIndex(FItems->IndexOfNumber(Number));
    const int top = GotoTopRow(r, FTopRow, FVisibleRows);
    if (top != FTopRow)
        ScrollTo(top);
    const int slot = Columns > 1 ? 2 * (r - FTopRow) + (IsOdd(Number) ? 0 : 1) : r - FTopRow;
    MRBasePanel* row = RowAt(slot);
    if (row->NumberCell && !row->isHidden())
        FocusQuietly(row->NumberCell);
}

void MRContainerPanel::DeleteItem(int Number) {
    if (!FItems)
        return;
    try {
        FItems->DeleteNumber(Number);
        RefreshRows();
    } catch (const MException& e) {
        // An entry that is not there is the failure a deletion expects; any other error passes on
        // to be shown with its own message.
        if (e.Code != ValidationBaseCode || e.SubCode != 4)
            throw;
        if (MessageBox)
            MessageBox->ShowCodeMessage(e.Code, e.SubCode, e.Args, mbOK);
    }
}

bool MRContainerPanel::ApplyEditingRow() {
    const int index = EditingRowIndex();
    if (index < 0)
        return true;
    return FRows[std::size_t(index)]->StoreRow();
}

bool MRContainerPanel::StoreEditingRow() {
    // A row's own store that refreshes does not store again.
    if (FStoring > 0 || MRBasePanel::StoringNow())
        return true;
    ++FStoring;
    bool stored = false;
    GuardedAction([&] { stored = ApplyEditingRow(); });
    --FStoring;
    return stored;
}

int MRContainerPanel::EditingRowIndex() const {
    for (int s = 0; s < int(FRows.size()); ++s)
        if (!FRows[std::size_t(s)]->isHidden() && FRows[std::size_t(s)]->IsEditing())
            return s;
    return -1;
}

MRBasePanel* MRContainerPanel::EditingRow() const {
    const int index = EditingRowIndex();
    return index >= 0 ? FRows[std::size_t(index)] : nullptr;
}

MRBasePanel* MRContainerPanel::RowAt(int Slot) const {
    if (Slot < 0 || Slot >= int(FRows.size()))
        RaiseM(1003, 0);
    return FRows[std::size_t(Slot)];
}

int MRContainerPanel::RowNumber(int Slot) const {
    return RowAt(Slot)->EntryNumber;
}

int MRContainerPanel::VisibleRowCount() const {
    const int columns = std::max(1, Columns);
    int count = 0;
    for (int r = 0; r * columns < int(FRows.size()); ++r) {
        bool any = false;
        for (int c = 0; c < columns && r * columns + c < int(FRows.size()); ++c)
            any = any || !FRows[std::size_t(r * columns + c)]->isHidden();
        if (!any)
            break;
        ++count;
    }
    return count;
}

bool MRContainerPanel::ItemHint(int KindIndex, int First, int Count, QString& Text) const {
    Text = QStringLiteral("NO UContainer");
    if (!Project)
        return true;
    try {
        Project->GetItemHint(KindIndex, First, Count, Text);
        return true;
    } catch (...) {
        Text.clear();
        return false;
    }
}

void MRContainerPanel::SaveFocus() {
    FSavedRow = EditingRowIndex();
    FSavedTag = FSavedRow >= 0 ? FRows[std::size_t(FSavedRow)]->FocusedCellTag() : -1;
    FocusQuietly(this);
}

void MRContainerPanel::RestoreFocus() {
    // The row that was being entered gets the focus back when it still shows; else the first row.
    MRBasePanel* row =
        FSavedRow >= 0 && FSavedRow < int(FRows.size()) ? FRows[std::size_t(FSavedRow)] : nullptr;
    if (!row || row->isHidden())
        row = !FRows.empty() && !FRows.front()->isHidden() ? FRows.front() : nullptr;
    if (row && !row->FocusCell(FSavedTag))
        row->FocusNumberCell();
}

void MRContainerPanel::CancelNewItem() {
    NewItemMode = false;
    SaveFocus();
    RefreshRows();
    RestoreFocus();
}

void MRContainerPanel::FocusQuietly(QWidget* Target) {
    if (!Target)
        return;
    std::vector<QPointer<MRBasePanel>> locked;
    for (MRBasePanel* row : FRows)
        if (row->IsEditing() && !row->Locked && !row->isAncestorOf(Target)) {
            row->Locked = true;
            locked.emplace_back(row);
        }
    Target->setFocus(Qt::OtherFocusReason);
    for (const QPointer<MRBasePanel>& row : locked)
        if (row)
            row->Locked = false;
}

MRBasePanel* MRContainerPanel::ShownRowOf(int Number) const {
    for (MRBasePanel* row : FRows)
        if (!row->isHidden() && row->EntryNumber == Number)
            return row;
    return nullptr;
}

int MRContainerPanel::IndexOfRowEntry(const MRBasePanel* Row) const {
    if (!Row || !FItems || !FItems->Contains(Row->EntryNumber))
        return -1;
    return FItems->IndexOfNumber(Row->EntryNumber);
}

// ---- Drops.

void MRContainerPanel::DropEntries(MRContainerPanel& Source, int Number, int At) {
    if (!FItems || !Source.Items() || !StoreEditingRow())
        return;
    if (Source.DragSelected)
        FItems->DropCopySelected(*Source.Items(), At);
    else
        FItems->DropCopy(*Source.Items(), Number, At);
    RefreshRows();
}

void MRContainerPanel::DragWithin(int Number, int At) {
    if (!FItems || !FClipboard || !CommandGuard())
        return;
    FClipboard->CopyToBuffer2(*FItems, Number, DragSelected);
    PasteWhole(FClipboard->Buffer2, DragSelected, [&](MUnvList& Dest) {
        if (DragMirror)
            FClipboard->PasteOverMirroredFromBuffer2(Dest, At);
        else
            FClipboard->PasteOverFromBuffer2(Dest, At);
    });
    RefreshRows();
}

bool MRContainerPanel::IsSameKindContainer(const MRContainerPanel& Source) const {
    return &Source != this && WindowIndex() >= 0 && Source.WindowIndex() == WindowIndex();
}

bool MRContainerPanel::ScrollsForSource(const TDragSource&) const {
    return false;
}

void MRContainerPanel::ContainerDragOver(const TDragSource& Source, bool& Accept) {
    Accept = Source.Container && IsSameKindContainer(*Source.Container);
}

void MRContainerPanel::ContainerDragDrop(const TDragSource& Source) {
    if (!Source.Container || !IsSameKindContainer(*Source.Container) || !FItems)
        return;
    DropEntries(*Source.Container, Source.Container->DragNumber, FItems->MaxNumber() + 1);
}

void MRContainerPanel::ScrollBarDragOver(const TDragSource& Source, int Y) {
    if (!ScrollsForSource(Source) || FScrollBar->isHidden())
        return;
    const int height = FScrollBar->height(), third = height / 3;
    int position = FScrollBar->value();
    if (Y > 0 && Y < third)
        --position;
    else if (Y > 2 * third && Y < height)
        ++position;
    else
        return;
    FScrollBar->setValue(std::clamp(position, FScrollBar->minimum(), FScrollBar->maximum()));
}

void MRContainerPanel::dragEnterEvent(QDragEnterEvent* Event) {
    if (DragSourceOf(Event->mimeData()).Empty()) {
        Event->ignore();
        return;
    }
    Event->accept();
    dragMoveEvent(Event);
}

void MRContainerPanel::dragMoveEvent(QDragMoveEvent* Event) {
    const TDragSource source = DragSourceOf(Event->mimeData());
    bool accept = false;
    if (!source.Empty())
        GuardedAction([&] { ContainerDragOver(source, accept); });
    if (accept)
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void MRContainerPanel::dropEvent(QDropEvent* Event) {
    const TDragSource source = DragSourceOf(Event->mimeData());
    bool accept = false;
    if (!source.Empty())
        GuardedAction([&] { ContainerDragOver(source, accept); });
    if (!accept) {
        Event->ignore();
        return;
    }
    Event->acceptProposedAction();
    GuardedAction([&] { ContainerDragDrop(source); });
}

// ---- Events.

void MRContainerPanel::wheelEvent(QWheelEvent* Event) {
    if (!FItems || FScrollBar->isHidden()) {
        Event->ignore();
        return;
    }
    const int steps = Event->angleDelta().y() / 120;
    if (steps != 0)
        GuardedAction(
            [&] { SetTopRow(std::clamp(FTopRow - steps, FScrollBar->minimum(), FScrollBar->maximum())); });
    Event->accept();
}

void MRContainerPanel::contextMenuEvent(QContextMenuEvent* Event) {
    if (!FPopupMenu) {
        Event->ignore();
        return;
    }
    FPopupAt = Event->globalPos();
    FPopupAtKnown = true;
    FPopupMenu->Popup(FPopupAt.x(), FPopupAt.y());
    Event->accept();
}

bool MRContainerPanel::event(QEvent* Event) {
    if (Event->type() == ContainerMessageType(WM_CONTAINERKEY)) {
        const auto* m = static_cast<TContainerMessage*>(Event);
        GuardedAction([&] { WMContainerKey(m->WParam, m->LParam); });
        return true;
    }
    if (Event->type() == ContainerMessageType(WM_REFRESHROWS)) {
        const auto* m = static_cast<TContainerMessage*>(Event);
        if ((m->WParam & 0xFFFFu) == 1)
            GuardedAction([&] { RefreshRows(); });
        return true;
    }
    if (Event->type() == QEvent::ShortcutOverride && HandleShortcutOverride(*static_cast<QKeyEvent*>(Event)))
        return true;
    return MPanel::event(Event);
}
