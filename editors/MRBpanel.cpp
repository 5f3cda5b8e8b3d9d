#include "editors/MRBpanel.h"

#include "editors/CamBox_m.h"
#include "editors/ColorBox_M.h"
#include "editors/MRDrag.h"
#include "editors/MoukikEdit_m.h"
#include "editors/MoukikMemo_m.h"
#include "editors/NumEdit_m.h"
#include "editors/RContainerPanel_m.h"
#include "imaging/Bitmap.h"
#include "imaging/ImageIO.h"
#include "model/UcstmExp.h"
#include "model/UunvKinds.h"
#include "platform/AppFolder.h"
#include "platform/ColorQt.h"
#include "ui/FlatBtn.h"
#include "ui/Image_m.h"
#include "ui/RowCell.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/ScrollFlatBtn_m.h"
#include "ui/Speedbutton_m.h"
#include "ui/UApplication.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QBitmap>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <typeinfo>

// ---- Fonts and pictures.

QFont RowFont(TRowFontFace Face, int PixelSize, bool Bold) {
    QFont f;
    switch (Face) {
    case rfSans:
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                       QStringLiteral("MS Sans Serif")});
        f.setStyleHint(QFont::SansSerif);
        break;
    case rfCourier:
        f = FlatButtonFont();
        break;
    case rfNarrow:
        f.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                       QStringLiteral("Arial Narrow")});
        f.setStyleHint(QFont::SansSerif);
        break;
    }
    f.setPixelSize(PixelSize);
    f.setBold(Bold);
    return f;
}

QFont RowStandardFont() {
    return RowFont(rfSans, 11, true);
}

QString BitmapPath(const QString& Name) {
    return AppFile(QStringLiteral("Bitmaps\\") + Name);
}

QPixmap LoadRowPicture(const QString& Name, bool Transparent, TColor TransparentColor) {
    try {
        TBitmap bitmap;
        TImageIO io;
        io.SetAttachedBitmap(&bitmap);
        io.LoadFromFile(BitmapPath(Name));
        QImage image = bitmap.ToQImage();
        if (image.isNull())
            return QPixmap();
        QPixmap pixmap = QPixmap::fromImage(image);
        if (Transparent)
            pixmap.setMask(QBitmap::fromImage(
                image.convertToFormat(QImage::Format_RGB32).createMaskFromColor(toQRgb(TransparentColor))));
        return pixmap;
    } catch (...) {
        // A picture that cannot be read leaves the image empty, without a message.
        return QPixmap();
    }
}

// ---- Moving the focus.

TCellMove PlanCellMove(const std::vector<int>& Tags, int Tag, int DX, int DY, int SideColumns,
                       int ColumnSpan) {
    const int c = Tag / 100, l = Tag % 100;
    auto exists = [&](int t) { return std::find(Tags.begin(), Tags.end(), t) != Tags.end(); };
    // The first candidate (in component order) with the best key among those that pass Filter.
    auto best = [&](auto Filter, auto Better) {
        int found = -1;
        for (int t : Tags)
            if (Filter(t) && (found < 0 || Better(t, found)))
                found = t;
        return found;
    };
    if (DX != 0 && DY == 0) {
        auto onLine = [&](auto Pred) { return [=](int t) { return t % 100 == l && Pred(t / 100); }; };
        int found, wrapped;
        if (DX > 0) {
            found = best(onLine([c](int col) { return col > c; }),
                         [](int a, int b) { return a / 100 < b / 100; });
            wrapped = best(onLine([c](int col) { return col < c; }),
                           [](int a, int b) { return a / 100 < b / 100; });
        } else {
            found = best(onLine([c](int col) { return col < c; }),
                         [](int a, int b) { return a / 100 > b / 100; });
            wrapped = best(onLine([c](int col) { return col > c; }),
                           [](int a, int b) { return a / 100 > b / 100; });
        }
        if (found >= 0)
            return {cmCell, found};
        if (SideColumns < 2)
            return {cmNone, Tag};
        return {DX > 0 ? cmRightNeighbour : cmLeftNeighbour, wrapped >= 0 ? wrapped : Tag};
    }
    if (DX == 0 && DY != 0) {
        if (ColumnSpan > 0 && !(DY < 0 && l == 0))
            for (int i = 0; i <= ColumnSpan; ++i) {
                const int t = (c + i) * 100 + l + DY;
                if (exists(t))
                    return {cmCell, t};
            }
        auto inColumn = [&](auto Pred) { return [=](int t) { return t / 100 == c && Pred(t % 100); }; };
        int found, wrapped;
        if (DY > 0) {
            found = best(inColumn([l](int line) { return line > l; }),
                         [](int a, int b) { return a % 100 < b % 100; });
            wrapped = best(inColumn([l](int line) { return line < l; }),
                           [](int a, int b) { return a % 100 < b % 100; });
        } else {
            found = best(inColumn([l](int line) { return line < l; }),
                         [](int a, int b) { return a % 100 > b % 100; });
            wrapped = best(inColumn([l](int line) { return line > l; }),
                           [](int a, int b) { return a % 100 > b % 100; });
        }
        if (found >= 0)
            return {cmCell, found};
        return {DY > 0 ? cmRowBelow : cmRowAbove, wrapped >= 0 ? wrapped : Tag};
    }
    return {cmNone, Tag};
}

TCellHint CounterKindHint() {
    return {QStringLiteral("D= عدد التكرار\n\rW= رقم سطر مفتاح الاختيار"),
            QStringLiteral("D=Repeat Count\n\rW=selector switch line number")};
}

TCellHint CounterValueHint() {
    return {QStringLiteral("قيمة العداد أو رقمه"), QStringLiteral("The value or the number of Counter")};
}

bool RowLetterKey(std::uint32_t WParam, std::initializer_list<TRowLetter> Letters) {
    if (CellKeyClassOf(WParam) != kcChar)
        return false;
    const int key = CellKeyOf(WParam);
    for (const TRowLetter& l : Letters)
        if (key == l.Letter || (l.Letter >= 'a' && l.Letter <= 'z' && key == l.Letter - 'a' + 'A')) {
            l.Action();
            return true;
        }
    return false;
}

bool RowFillKey(std::uint32_t WParam, std::uint32_t LParam, const std::function<void(int Tag)>& Fill) {
    const int key = CellKeyOf(WParam);
    if (CellKeyClassOf(WParam) != kcChar || (key != 'a' && key != 'A'))
        return false;
    if (const int tag = CellTagOf(LParam); tag >= 100)
        Fill(tag);
    return true;
}

void SpreadOverSystems(int Slot, int Systems, const std::function<bool(int Slot)>& Holds,
                       const std::function<void(int Slot)>& Copy) {
    const int line = Slot % 2;
    bool same = true;
    for (int s = 0; s < Systems; ++s)
        same = same && Holds(2 * s + line);
    for (int s = 0; s < Systems; ++s)
        for (int l = 0; l < 2; ++l)
            if (l == line || same)
                Copy(2 * s + l);
}

void SetCaptionColor(MScrollBitBtn* Button, TColor Color) {
    QPalette p = Button->palette();
    p.setColor(QPalette::ButtonText, toQColor(Color));
    Button->setPalette(p);
}

int WidgetTag(const QWidget* W) {
    const auto* t = dynamic_cast<const MTag*>(W);
    return t ? t->Tag : -1;
}

void GuardedAction(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const std::exception& e) {
        TApplication::ShowException(e);
    } catch (...) {
        MMException::UnknownExceptionHandler(nullptr);
    }
}

// ---- Entering and leaving rows.

namespace {

int GStoring = 0;

class TStoreGuard {
public:
    TStoreGuard() { ++GStoring; }
    ~TStoreGuard() { --GStoring; }
    TStoreGuard(const TStoreGuard&) = delete;
    TStoreGuard& operator=(const TStoreGuard&) = delete;
};

MRBasePanel* RowOf(QWidget* W) {
    for (; W; W = W->parentWidget()) {
        if (auto* row = dynamic_cast<MRBasePanel*>(W))
            return row;
        if (W->isWindow())
            break;
    }
    return nullptr;
}

// The one tracker of the focus: a row is left when the old focus widget is in it and the new one is
// outside it in the same window; a move to no widget or into another window is not a leave.
class TRowFocusTracker : public QObject {
public:
    using QObject::QObject;
    void Changed(QWidget* Old, QWidget* Now) {
        if (GStoring > 0 || !Now)
            return;
        QPointer<QWidget> now(Now);
        QPointer<MRBasePanel> oldRow(RowOf(Old)), newRow(RowOf(Now));
        if (oldRow && oldRow != newRow && Old->window() == Now->window()) {
            oldRow->RowExit();
            if (oldRow)
                oldRow->ShowSelected(oldRow->Selected());
        }
        if (newRow && now) {
            if (newRow != oldRow)
                newRow->RowEnter();
            newRow->CellEnter(now);
        }
        if (oldRow && oldRow == newRow)
            oldRow->ShowSelected(oldRow->Selected());
    }
};

void InstallFocusTracker() {
    static QPointer<TRowFocusTracker> tracker;
    if (tracker || !qApp)
        return;
    tracker = new TRowFocusTracker(qApp);
    QObject::connect(qApp, &QApplication::focusChanged, tracker.data(), [](QWidget* Old, QWidget* Now) {
        if (tracker)
            tracker->Changed(Old, Now);
    });
}

} // namespace

// ---- The row.

MRBasePanel::MRBasePanel(QObject* AOwner, QWidget* Parent) : MPanel(AOwner, Parent) {
    InstallFocusTracker();
    FixRowGeometry(this);
    if (MCaption* c = M_Caption()) {
        c->Enable = false;
        c->SetCaptions({QString(), QString()});
    }
    setAutoFillBackground(true);
    setAcceptDrops(true);
    setFont(RowFont(rfSans, 11, false));
    ShowSelected(false);
}

MRBasePanel::MRBasePanel(QObject* AOwner, QWidget* Parent, std::unique_ptr<MUnvBase> Item, QSize Size,
                         TColor FocusColor)
    : MRBasePanel(AOwner, Parent) {
    WorkItem = std::move(Item);
    CellFocusColor = FocusColor;
    resize(Size);
}

MRBasePanel::~MRBasePanel() {
    // A row going away stores nothing; its cells go before the working copy they edit.
    Locked = true;
    DestroyComponents();
}

MRContainerPanel* MRBasePanel::Container() const {
    return qobject_cast<MRContainerPanel*>(parentWidget());
}

int MRBasePanel::WindowIndex() const {
    return WorkItem ? WindowIndexOfListKind(WorkItem->ListKind()) : -1;
}

void MRBasePanel::ShowSelected(bool Value) {
    FSelected = Value;
    if (SelectButton)
        SelectButton->setChecked(Value);
    QPalette p = palette();
    p.setColor(QPalette::Window, Value ? toQColor(SelectedColor) : SysQColor(clBtnFace));
    setPalette(p);
    for (QObject* o : Components())
        if (auto* cell = qobject_cast<MNumEdit*>(o)) {
            if (cell->FocusShown())
                cell->SetColor(cell->FocusColor());
            else
                cell->SetColor(Value ? SelectedColor : cell->NonFocusColor());
        }
}

void MRBasePanel::SetSelected(bool Value) {
    if (Value != FSelected) {
        if (WorkItem)
            WorkItem->Marks.Selected = Value ? 1 : 0;
        if (MRContainerPanel* c = Container(); c && c->Items())
            c->Items()->SetSelected(EntryNumber, Value);
    }
    ShowSelected(Value);
}

bool MRBasePanel::ApplyEntry() {
    // A row of another kind never writes its copy into this list.
    const MRContainerPanel* c = Container();
    if (!c || WindowIndex() < 0 || c->WindowIndex() != WindowIndex())
        return false;
    return StoreWorkItem();
}

void MRBasePanel::NewEntry(int Number) {
    TLoading loading(*this);
    EntryNumber = 0;
    if (WorkItem) {
        WorkItem->Clear();
        WorkItem->Number = Number;
    }
    ClearCells();
    // The number the new entry will be stored under shows in its cell.
    if (NumberCell && Number != 0)
        ShowCellValue(NumberCell, Number);
    ShowSelected(false);
}

void MRBasePanel::CellDragOver(QWidget*, const TDragSource&, int, int, TDragState, bool&) {}

void MRBasePanel::CellDragDrop(QWidget*, const TDragSource&, int, int) {}

void MRBasePanel::GetFieldHint(QWidget*, QString& Text) {
    Text = QStringLiteral("\n\r");
}

bool MRBasePanel::FromOwnProject(const TDragSource& Source, int KindIndex) const {
    const MRContainerPanel* own = Container();
    return own && Source.Container && Source.Container->WindowIndex() == KindIndex &&
           Source.Container->Project == own->Project;
}

void MRBasePanel::ItemFieldHelp(int KindIndex, int First, int Count, QString& Text) const {
    QString help = QStringLiteral("NO UContainer");
    if (const MRContainerPanel* c = Container(); c && !c->ItemHint(KindIndex, First, Count, help)) {
        Text.clear();
        return;
    }
    Text = QStringLiteral("\n\r@S@") + help;
}

void MRBasePanel::LoadItem(const MUnvBase& Item) {
    TLoading loading(*this);
    if (WorkItem && typeid(*WorkItem) == typeid(Item))
        WorkItem->Assign(Item);
    EntryNumber = Item.Number;
    if (NumberCell)
        ShowCellValue(NumberCell, Item.Number);
    ShowCells();
    ShowSelected(WorkItem ? WorkItem->Marks.Selected != 0 : Item.Marks.Selected != 0);
}

void MRBasePanel::ShowCellValue(MNumEdit* Cell, int Value) {
    if (Cell)
        Cell->SetValue(ShownCellValue(Cell, Value));
}

int MRBasePanel::ShownCellValue(const MNumEdit* Cell, int Value) {
    const int digits = std::clamp(Cell->NumOfDigit(), 1, 9);
    int top = 1;
    for (int i = 0; i < digits; ++i)
        top *= 10;
    --top;
    const int low = Cell->Signed() ? -top : 0;
    return std::clamp(Value, low, top);
}

int MRBasePanel::Magnitude(std::int32_t Value) {
    return int(std::min<std::int64_t>(std::llabs(std::int64_t(Value)), 99999));
}

// ---- Storing.

bool MRBasePanel::StoringNow() {
    return GStoring > 0;
}

bool MRBasePanel::StoreRow() {
    TStoreGuard guard;
    return ApplyEntry();
}

bool MRBasePanel::Unstored() const {
    const MRContainerPanel* c = Container();
    if (!c || !c->Items() || !WorkItem || WindowIndex() < 0 || c->WindowIndex() != WindowIndex())
        return false;
    if (WorkItem->Number != EntryNumber)
        return true;
    const MUnvBase* stored = EntryNumber != 0 ? c->Items()->Lookup(EntryNumber) : nullptr;
    return !stored || !stored->Equals(*WorkItem);
}

bool MRBasePanel::LayOver(MUnvList& List) const {
    if (!Unstored())
        return true;
    const int number = WorkItem->Number;
    try {
        if (number == EntryNumber) {
            List.AddOrReplace(*WorkItem);
            return true;
        }
        // Another entry under the new number would need the overwrite question.
        if (List.Contains(number))
            return false;
        List.StoreRenumbered(EntryNumber, *WorkItem);
        return true;
    } catch (const MException&) {
        // The list checks before it writes: the entry stays as it is stored.
        return false;
    }
}

bool MRBasePanel::StoreWorkItem(bool Validated) {
    MRContainerPanel* c = Container();
    if (Locked || !c || !c->Items() || !WorkItem)
        return false;
    TStoreGuard guard;
    MUnvList& list = *c->Items();
    c->ScrollBar()->setEnabled(true);
    try {
        const int number = WorkItem->Number;
        if (number == EntryNumber) {
            // An entry shown and left unchanged is not written again.
            const MUnvBase* stored = number != 0 ? list.Lookup(number) : nullptr;
            if (!stored || !stored->Equals(*WorkItem))
                list.AddOrReplace(*WorkItem);
        } else {
            Validated ? list.StoreRenumbered(EntryNumber, *WorkItem)
                      : list.StoreRenumberedUnvalidated(EntryNumber, *WorkItem);
            EntryNumber = number;
            c->RefreshRows();
        }
        c->NewItemMode = false;
        return true;
    } catch (const MException& e) {
        c->ScrollBar()->setEnabled(false);
        RefocusAfterFailedStore();
        if (e.Code == 1002)
            return false;
        throw;
    }
}

void MRBasePanel::RefocusAfterFailedStore() {
    QPointer<MRBasePanel> self(this);
    QTimer::singleShot(0, this, [self] {
        if (!self || !self->NumberCell || !self->isVisible() || !self->window()->isActiveWindow() ||
            self->NumberCell->hasFocus())
            return;
        // The row the focus went to gives it back without storing.
        QPointer<MRBasePanel> other(RowOf(QApplication::focusWidget()));
        if (other == self)
            other = nullptr;
        if (other)
            other->Locked = true;
        self->NumberCell->setFocus(Qt::OtherFocusReason);
        if (other)
            other->Locked = false;
        if (self)
            self->FEditing = true;
    });
}

// ---- Editing.

void MRBasePanel::RowEnter() {
    FEditing = true;
}

void MRBasePanel::RowExit() {
    if (Locked) {
        FEditing = false;
        return;
    }
    bool stored = false;
    {
        // The error boxes move the focus while the guard holds; they are not leaves.
        TStoreGuard guard;
        GuardedAction([&] { stored = ApplyEntry(); });
    }
    if (stored)
        FEditing = false;
}

void MRBasePanel::CellEnter(QWidget* Cell) {
    QWidget* cell = CellOf(Cell);
    if (cell && cell != this)
        FocusedTag = WidgetTag(cell);
}

QWidget* MRBasePanel::CellOf(QWidget* W) const {
    for (; W; W = W->parentWidget()) {
        if (W == this)
            return const_cast<MRBasePanel*>(this);
        if (W->parentWidget() == this)
            return W;
        if (W->isWindow())
            break;
    }
    return nullptr;
}

// ---- Cells.

QWidget* MRBasePanel::FindCell(int Tag) const {
    for (QObject* o : Components()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->parentWidget() == this && w->isVisibleTo(this) && w->focusPolicy() != Qt::NoFocus &&
            WidgetTag(w) == Tag && Tag != -1)
            return w;
    }
    return nullptr;
}

bool MRBasePanel::FocusCell(int Tag) {
    QWidget* w = FindCell(Tag);
    if (!w)
        return false;
    w->setFocus(Qt::OtherFocusReason);
    return true;
}

bool MRBasePanel::FocusNumberCell() {
    if (!NumberCell || !NumberCell->isVisibleTo(this))
        return false;
    NumberCell->setFocus(Qt::OtherFocusReason);
    return true;
}

int MRBasePanel::FocusedCellTag() const {
    QWidget* cell = CellOf(QApplication::focusWidget());
    return cell && cell != this ? WidgetTag(cell) : -1;
}

std::vector<int> MRBasePanel::NavigationTags() const {
    std::vector<int> tags;
    for (QObject* o : Components()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->parentWidget() == this && w->isVisibleTo(this) && w->focusPolicy() != Qt::NoFocus &&
            WidgetTag(w) != -1)
            tags.push_back(WidgetTag(w));
    }
    return tags;
}

void MRBasePanel::MoveCellFocus(int Tag, int DX, int DY) {
    const TCellMove move = PlanCellMove(NavigationTags(), Tag, DX, DY, SideColumns, ColumnSpan);
    MRContainerPanel* c = Container();
    switch (move.Kind) {
    case cmCell:
        FocusCell(move.Tag);
        break;
    case cmRowBelow:
        if (c)
            c->FocusRowStep(PanelIndex, move.Tag, 1);
        break;
    case cmRowAbove:
        if (c)
            c->FocusRowStep(PanelIndex, move.Tag, -1);
        break;
    case cmRightNeighbour:
        if (c)
            c->FocusNeighbour(PanelIndex, move.Tag, 1);
        break;
    case cmLeftNeighbour:
        if (c)
            c->FocusNeighbour(PanelIndex, move.Tag, -1);
        break;
    case cmNone:
        break;
    }
}

void MRBasePanel::ClearCells() {
    for (QObject* o : Components())
        if (auto* cell = dynamic_cast<MRowCell*>(o))
            cell->ClearCell();
}

void MRBasePanel::SetCellsVisible(int FirstID, int LastID, bool Visible) {
    for (QObject* o : Components()) {
        auto* cell = dynamic_cast<MRowCell*>(o);
        auto* w = qobject_cast<QWidget*>(o);
        if (cell && w && cell->ID() >= FirstID && cell->ID() <= LastID)
            w->setVisible(Visible);
    }
}

void MRBasePanel::SetCellEvents() {
    for (QObject* o : Components()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->parentWidget() == this)
            WatchCell(w);
    }
}

void MRBasePanel::WatchCell(QWidget* Cell) {
    // Installing the filter again changes nothing.
    Cell->installEventFilter(this);
    for (QWidget* inner : Cell->findChildren<QWidget*>())
        inner->installEventFilter(this);
}

// ---- Selection, keys, drags.

void MRBasePanel::SelectButtonClick() {
    GuardedAction([this] { ToggleSelected(); });
    if (SelectButton)
        SelectButton->setChecked(Selected());
}

void MRBasePanel::SelectButtonMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    if (Button != Qt::LeftButton || !(Shift & Qt::ShiftModifier) || !SelectButton)
        return;
    if (X < 0 || Y < 0 || X > SelectButton->width() || Y > SelectButton->height())
        return;
    if (MRContainerPanel* c = Container())
        GuardedAction([&] { c->SelectUpwards(PanelIndex, !Selected()); });
}

void MRBasePanel::CellMouseMove(QWidget* Sender, Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift,
                                QPoint Pos) {
    if (!(Buttons & Qt::LeftButton) || !FDragArmed || !Sender)
        return;
    const bool ctrl = Shift & Qt::ControlModifier, alt = Shift & Qt::AltModifier;
    if (ctrl && alt)
        return;
    const bool left = Sender == this || Pos.x() < 0 || Pos.y() < 0 || Pos.x() > Sender->width() ||
                      Pos.y() > Sender->height();
    if (!left)
        return;
    if (!ctrl) {
        if (MRContainerPanel* c = Container()) {
            FDragArmed = false;
            // Window managers take Alt with a drag; Shift mirrors too.
            c->StartRowDrag(PanelIndex, alt || (Shift & Qt::ShiftModifier));
        }
    } else if (Sender != this) {
        FDragArmed = false;
        StartCellDrag(*Sender);
    }
}

void MRBasePanel::DeleteRowItem() {
    if (MRContainerPanel* c = Container())
        c->DeleteItem(EntryNumber);
}

void MRBasePanel::CancelRowEdit() {
    MRContainerPanel* c = Container();
    if (!c)
        return;
    if (c->NewItemMode)
        c->CancelNewItem();
    else
        c->LoadRowByNumber(EntryNumber, PanelIndex);
}

void MRBasePanel::ForwardRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    MRContainerPanel* c = Container();
    if (!c)
        return;
    TContainerMessage message(WM_CONTAINERKEY, WParam, ContainerKeyLParam(CellTagOf(LParam), PanelIndex));
    QApplication::sendEvent(c, &message);
}

void MRBasePanel::WMRowKey(std::uint32_t WParam, std::uint32_t LParam) {
    GuardedAction([&] {
        const int cls = CellKeyClassOf(WParam), key = CellKeyOf(WParam), tag = CellTagOf(LParam);
        switch (cls) {
        case kcChar:
            if (key == VK_ESCAPE)
                CancelRowEdit();
            else if (key == VK_RETURN)
                ForwardRowKey(WParam, LParam);
            return;
        case kcPlain:
            switch (key) {
            case VK_UP:
                MoveCellFocus(tag, 0, -1);
                return;
            case VK_DOWN:
                MoveCellFocus(tag, 0, 1);
                return;
            case VK_LEFT:
                MoveCellFocus(tag, -1, 0);
                return;
            case VK_RIGHT:
                MoveCellFocus(tag, 1, 0);
                return;
            default:
                ForwardRowKey(WParam, LParam);
                return;
            }
        case kcCtrl:
            if (key == VK_LEFT)
                MoveCellFocus(tag, -1, 0);
            else if (key == VK_RIGHT)
                MoveCellFocus(tag, 1, 0);
            else if (key == VK_DELETE)
                DeleteRowItem();
            else
                ForwardRowKey(WParam, LParam);
            return;
        case kcShift:
            if (key == VK_UP || key == VK_DOWN) {
                ToggleSelected();
                ForwardRowKey(CellKeyWParam(key, kcPlain), LParam);
            } else {
                ForwardRowKey(WParam, LParam);
            }
            return;
        default:
            ForwardRowKey(WParam, LParam);
            return;
        }
    });
}

// ---- Events.

bool MRBasePanel::eventFilter(QObject* Watched, QEvent* Event) {
    auto* w = qobject_cast<QWidget*>(Watched);
    if (!w)
        return false;
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
        ArmDrag(*static_cast<QMouseEvent*>(Event));
        break;
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(Event);
        ArmDrag(*e);
        // The range selection runs before the button's click toggles the row.
        if (SelectButton && Watched == SelectButton) {
            const QPoint p = e->position().toPoint();
            SelectButtonMouseUp(e->button(), e->modifiers(), p.x(), p.y());
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(Event);
        QWidget* cell = CellOf(w);
        if (!cell)
            break;
        const QPoint p = cell->mapFromGlobal(e->globalPosition().toPoint());
        const bool armed = FDragArmed;
        CellMouseMove(cell, e->buttons(), e->modifiers(), p);
        if (armed && !FDragArmed)
            return true;
        break;
    }
    default:
        break;
    }
    return false;
}

void MRBasePanel::ArmDrag(const QMouseEvent& Event) {
    // A press of the left button arms one drag, its release disarms it.
    if (Event.button() == Qt::LeftButton)
        FDragArmed = Event.type() == QEvent::MouseButtonPress;
}

void MRBasePanel::mousePressEvent(QMouseEvent* Event) {
    ArmDrag(*Event);
    MPanel::mousePressEvent(Event);
}

void MRBasePanel::mouseMoveEvent(QMouseEvent* Event) {
    CellMouseMove(this, Event->buttons(), Event->modifiers(), Event->position().toPoint());
    MPanel::mouseMoveEvent(Event);
}

void MRBasePanel::mouseReleaseEvent(QMouseEvent* Event) {
    ArmDrag(*Event);
    MPanel::mouseReleaseEvent(Event);
}

QWidget* MRBasePanel::DropPoint(const QDropEvent& Event, QPoint& Local) const {
    const QPoint pos = Event.position().toPoint();
    QWidget* sender = CellOf(childAt(pos));
    if (!sender)
        sender = const_cast<MRBasePanel*>(this);
    Local = sender == this ? pos : sender->mapFrom(this, pos);
    return sender;
}

bool MRBasePanel::DragOver(QDropEvent* Event, TDragState State) {
    const TDragSource source = DragSourceOf(Event->mimeData());
    if (source.Empty())
        return false;
    QPoint local;
    QWidget* sender = DropPoint(*Event, local);
    bool accept = false;
    GuardedAction([&] { CellDragOver(sender, source, local.x(), local.y(), State, accept); });
    return accept;
}

void MRBasePanel::dragEnterEvent(QDragEnterEvent* Event) {
    if (DragSourceOf(Event->mimeData()).Empty()) {
        Event->ignore();
        return;
    }
    // Entered with one of ours: the moves decide where a drop is taken.
    if (DragOver(Event, dsDragEnter)) {
        Event->acceptProposedAction();
    } else {
        Event->accept();
        Event->setDropAction(Qt::IgnoreAction);
    }
}

void MRBasePanel::dragMoveEvent(QDragMoveEvent* Event) {
    if (DragOver(Event, dsDragMove))
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void MRBasePanel::dragLeaveEvent(QDragLeaveEvent* Event) {
    const TDragSource source;
    bool accept = false;
    GuardedAction([&] { CellDragOver(this, source, 0, 0, dsDragLeave, accept); });
    MPanel::dragLeaveEvent(Event);
}

void MRBasePanel::dropEvent(QDropEvent* Event) {
    const TDragSource source = DragSourceOf(Event->mimeData());
    if (source.Empty() || !DragOver(Event, dsDragMove)) {
        Event->ignore();
        return;
    }
    QPoint local;
    QWidget* sender = DropPoint(*Event, local);
    Event->acceptProposedAction();
    GuardedAction([&] { CellDragDrop(sender, source, local.x(), local.y()); });
}

// ---- Factories.

void MRBasePanel::PlaceCell(QWidget* Cell, int Tag, QRect Bounds) {
    Cell->setGeometry(Bounds);
    if (auto* t = dynamic_cast<MTag*>(Cell))
        t->Tag = Tag;
    WatchCell(Cell);
    Cell->show();
}

MLabel* MRBasePanel::MakeLabel(QRect Bounds, const QString& Caption, const QFont& Font) {
    auto* l = new MLabel(this, this);
    FixRowGeometry(l);
    l->SetArabic(false);
    l->setFont(Font);
    l->setAttribute(Qt::WA_TranslucentBackground);
    // A row's label reads the same in both languages.
    if (MCaption* c = l->M_Caption())
        c->SetCaptions({Caption, Caption});
    l->SetCaption(Caption);
    PlaceCell(l, -1, Bounds);
    return l;
}

MImage* MRBasePanel::MakeImage(const QString& FileName, QRect Bounds, bool Transparent,
                               TColor TransparentColor) {
    auto* image = new MImage(this, this);
    FixRowGeometry(image);
    image->SetPicture(LoadRowPicture(FileName, Transparent, TransparentColor));
    PlaceCell(image, -1, Bounds);
    return image;
}

MSpeedButton* MRBasePanel::MakeSpeedButton(QRect Bounds, int GroupIndex, const QString& Caption,
                                           TNotifyEvent OnClick, TMouseUpEvent OnMouseUp) {
    auto* b = new MSpeedButton(this, this);
    FixRowGeometry(b);
    if (MCaption* c = b->M_Caption()) {
        c->SetCaptions({Caption, Caption});
        c->Enable = false;
    }
    b->setText(Caption);
    b->setFont(RowStandardFont());
    b->setFocusPolicy(Qt::NoFocus);
    // A group of one button that may be released again: a toggle.
    b->setCheckable(GroupIndex != 0);
    b->setProperty("GroupIndex", GroupIndex);
    if (OnClick)
        connect(b, &QAbstractButton::clicked, this, [b, OnClick] { GuardedAction([&] { OnClick(b); }); });
    PlaceCell(b, -1, Bounds);
    if (OnMouseUp) {
        // The handler runs from the release, before the click.
        struct TRelay : QObject {
            TMouseUpEvent Handler;
            bool eventFilter(QObject* W, QEvent* E) override {
                if (E->type() == QEvent::MouseButtonRelease) {
                    auto* e = static_cast<QMouseEvent*>(E);
                    const QPoint p = e->position().toPoint();
                    GuardedAction([&] { Handler(W, e->button(), e->modifiers(), p.x(), p.y()); });
                }
                return false;
            }
        };
        auto* r = new TRelay;
        r->setParent(b);
        r->Handler = std::move(OnMouseUp);
        b->installEventFilter(r);
    }
    return b;
}

MSpeedButton* MRBasePanel::MakeSelectButton(QRect Bounds, const QString& Caption) {
    SelectButton = MakeSpeedButton(
        Bounds, 10, Caption, [this](QObject*) { SelectButtonClick(); }, nullptr);
    // The row sees the release first: a Shift release selects upwards before the click toggles.
    SelectButton->installEventFilter(this);
    return SelectButton;
}

MPanel* MRBasePanel::MakePanel(QRect Bounds, const QString& Caption, TNotifyEvent OnClick) {
    auto* p = new MPanel(this, this);
    FixRowGeometry(p);
    if (MCaption* c = p->M_Caption())
        c->Enable = false;
    p->setFont(RowStandardFont());
    p->SetOwnerCaption(Caption);
    if (OnClick) {
        struct TClick : QObject {
            TNotifyEvent Handler;
            bool eventFilter(QObject* W, QEvent* E) override {
                if (E->type() == QEvent::MouseButtonRelease &&
                    static_cast<QMouseEvent*>(E)->button() == Qt::LeftButton)
                    GuardedAction([&] { Handler(W); });
                return false;
            }
        };
        auto* c = new TClick;
        c->setParent(p);
        c->Handler = std::move(OnClick);
        p->installEventFilter(c);
    }
    PlaceCell(p, -1, Bounds);
    return p;
}

namespace {
// A cell's handler run under the guard of the row's actions; none for none.
TNotifyEvent Guarded(TNotifyEvent Handler) {
    if (!Handler)
        return nullptr;
    return [Handler = std::move(Handler)](QObject* Sender) { GuardedAction([&] { Handler(Sender); }); };
}

TColor ColorOr(TColor Value, TColor Default) {
    return Value == 0 ? Default : Value;
}

// The cell shows its hint in both languages; nothing for an empty one.
template <class C>
void SetCellHint(C* Cell, const TCellHint& Hint) {
    if (Hint.Empty())
        return;
    Cell->M_Hint().SetHints({Hint.Arabic, Hint.English});
    Cell->M_Hint().ApplyHint(true);
    Cell->SetShowHint(true);
}

// Caption indexes 0 .. Captions - 1, from 0.
void SetCaptionRange(MCaptionList& List, int Captions) {
    List.Enable = true;
    List.SetMinIndex(0);
    List.SetMaxIndex(std::max(0, Captions - 1));
    List.SetIndex(0);
}
} // namespace

template <class C>
C* MRBasePanel::MakeTextCell(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                             TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint) {
    auto* c = new C(this, this);
    FixRowGeometry(c);
    c->SetID(ID);
    c->SetEnhanced(true);
    c->SetNumOfDigit(Digits);
    c->SetNonFocusColor(ColorOr(NonFocusColor, 0xFFFFFF));
    c->SetFocusColor(ColorOr(FocusColor, 0xFFFFD0));
    c->setFocusPolicy(Qt::StrongFocus);
    c->OnChange = Guarded(std::move(OnChange));
    SetCellHint(c, Hint);
    PlaceCell(c, Tag, Bounds);
    return c;
}

MNumEdit* MRBasePanel::MakeNumEdit(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                                   TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint) {
    auto* e =
        MakeTextCell<MNumEdit>(ID, Tag, Bounds, Digits, std::move(OnChange), NonFocusColor, FocusColor, Hint);
    e->SetArabic(false);
    return e;
}

MNumEdit* MRBasePanel::MakeNumberCell(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                                      const TCellHint& Hint) {
    NumberCell = MakeNumEdit(
        ID, Tag, Bounds, Digits,
        [this, OnChange = std::move(OnChange)](QObject* Sender) {
            if (!Loading() && WorkItem)
                WorkItem->Number = NumberCell->Value();
            if (OnChange)
                OnChange(Sender);
        },
        0xFFFFFF, CellFocusColor, Hint);
    return NumberCell;
}

MNumEdit* MRBasePanel::MakeSignedNumEdit(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                                         TColor NonFocusColor, TColor FocusColor, bool Courier,
                                         const TCellHint& Hint) {
    MNumEdit* e = MakeNumEdit(ID, Tag, Bounds, Digits, std::move(OnChange), NonFocusColor, FocusColor, Hint);
    e->SetSigned(true);
    if (Courier)
        e->setFont(RowFont(rfCourier, 11, false));
    return e;
}

MMoukikEdit* MRBasePanel::MakeMoukikEdit(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                                         TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint) {
    auto* e = MakeTextCell<MMoukikEdit>(ID, Tag, Bounds, Digits, std::move(OnChange), NonFocusColor,
                                        FocusColor, Hint);
    e->SetArabic(false);
    return e;
}

MMoukikMemo* MRBasePanel::MakeMoukikMemo(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                                         TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint) {
    return MakeTextCell<MMoukikMemo>(ID, Tag, Bounds, Digits, std::move(OnChange), NonFocusColor, FocusColor,
                                     Hint);
}

MScrollBitBtn* MRBasePanel::MakeScrollBitBtn(int ID, int Tag, QRect Bounds, int Captions,
                                             TNotifyEvent OnIndexChange, const TCellHint& Hint) {
    auto* b = new MScrollBitBtn(this, this);
    FixRowGeometry(b);
    b->SetID(ID);
    b->Enhanced = true;
    b->setFont(RowStandardFont());
    b->setFocusPolicy(Qt::StrongFocus);
    SetCaptionRange(b->M_CaptionList(), Captions);
    b->OnIndexChange = Guarded(std::move(OnIndexChange));
    SetCellHint(b, Hint);
    PlaceCell(b, Tag, Bounds);
    return b;
}

MScrollBitBtn* MRBasePanel::MakeSignButton(int ID, int Tag, QRect Bounds, TNotifyEvent OnIndexChange,
                                           const TCellHint& Hint) {
    MScrollBitBtn* b = MakeScrollBitBtn(ID, Tag, Bounds, 2, std::move(OnIndexChange), Hint);
    b->setFont(RowFont(rfCourier, 13, true));
    SetCaptionColor(b, 0xB00000);
    b->M_CaptionList().SetCaptionList({QStringLiteral("+"), QStringLiteral("-")});
    b->M_CaptionList().ApplyCaption(true);
    return b;
}

MScrollBitBtn* MRBasePanel::MakeDWButton(int ID, int Tag, QRect Bounds, TNotifyEvent OnIndexChange,
                                         const TCellHint& Hint) {
    MScrollBitBtn* b = MakeScrollBitBtn(ID, Tag, Bounds, 2, std::move(OnIndexChange), Hint);
    b->M_CaptionList().SetCaptionList({QStringLiteral("D"), QStringLiteral("W")});
    b->M_CaptionList().ApplyCaption(true);
    return b;
}

void MRBasePanel::MakeCounterCells(int ID, int Tag, QRect KindBounds, QRect ValueBounds, int Digits,
                                   std::function<MCounter&()> Counter, std::function<void()> OnKindChange,
                                   MScrollBitBtn*& KindCell, MNumEdit*& ValueCell) {
    MScrollBitBtn* kind = MakeDWButton(ID, Tag, KindBounds, nullptr, CounterKindHint());
    kind->OnIndexChange = Guarded([this, kind, Counter, OnKindChange](QObject*) {
        if (OnKindChange)
            OnKindChange();
        if (!Loading())
            Counter().Kind = std::uint8_t(kind->M_CaptionList().Index() + 1);
    });
    MNumEdit* value = MakeNumEdit(
        ID + 1, Tag + 100, ValueBounds, Digits,
        [this, Counter](QObject* Sender) {
            if (!Loading())
                Counter().Value = static_cast<MNumEdit*>(Sender)->Value();
        },
        0xFFFFFF, CellFocusColor, CounterValueHint());
    KindCell = kind;
    ValueCell = value;
}

void MRBasePanel::SetCounterKind(MScrollBitBtn* KindCell, int State, MCounter& Counter) {
    KindCell->M_CaptionList().SetIndex(State);
    if (!Loading())
        Counter.Kind = std::uint8_t(KindCell->M_CaptionList().Index() + 1);
}

MScrollFlatBtn* MRBasePanel::MakeFlatButton(int ID, int Tag, QRect Bounds, int Captions, bool Flat,
                                            bool BorderWhenFlat, TColor NonFocusColor, TColor FocusColor,
                                            TNotifyEvent OnClick, TNotifyEvent OnIndexChange,
                                            const TCellHint& Hint) {
    auto* b = new MScrollFlatBtn(this, this);
    FixRowGeometry(b);
    b->SetID(ID);
    b->SetEnhanced(true);
    b->SetTabStop(true);
    b->SetFont(RowFont(rfSans, 11, false));
    b->SetFontColor(clWindowText);
    SetCaptionRange(b->M_CaptionList(), Captions);
    b->SetNoFlicker(true);
    b->SetDownWhenSelected(false);
    b->SetClearWhenSelected(false);
    b->SetSelected(false);
    b->SetColor(ColorOr(NonFocusColor, clBtnFace));
    b->SetNonFocusedColor(ColorOr(NonFocusColor, clBtnFace));
    b->SetFocusedColor(ColorOr(FocusColor, 0xDFDFDF));
    b->SetFlat(Flat);
    b->SetBorderWhenFlat(BorderWhenFlat);
    b->OnClick = Guarded(std::move(OnClick));
    b->OnIndexChange = Guarded(std::move(OnIndexChange));
    SetCellHint(b, Hint);
    PlaceCell(b, Tag, Bounds);
    return b;
}

MColorBox* MRBasePanel::MakeColorBox(int ID, int Tag, QRect Bounds, const TColorBoxLayout& Layout,
                                     const MPalette* Palette, MPopupPalette* Popup, TNotifyEvent OnChange,
                                     TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint) {
    auto* box = new MColorBox(this, this);
    FixRowGeometry(box);
    box->SetID(ID);
    box->SetEnhanced(true);
    box->SetNumColumns(Layout.Columns);
    box->SetNumRows(Layout.Rows);
    box->SetMaxNumColumns(Layout.MaxColumns);
    box->SetMaxColorCount(Layout.MaxColorCount);
    box->SetFull(Layout.Full);
    box->SetLeftMargin(Layout.LeftMargin);
    box->SetTopMargin(Layout.TopMargin);
    box->SetSpace(Layout.Space);
    box->SetFocusedRect(Layout.FocusedRect);
    box->SetColorBorder(true);
    box->SetWarpColor(true);
    box->SetPalette(Palette);
    box->SetPopupPalette(Popup);
    box->SetNonFocusedColor(ColorOr(NonFocusColor, 0xFFFFFF));
    box->SetColor(ColorOr(NonFocusColor, 0xFFFFFF));
    box->SetFocusedColor(ColorOr(FocusColor, 0xFFFFD0));
    box->setFocusPolicy(Qt::StrongFocus);
    box->OnChange = Guarded(std::move(OnChange));
    SetCellHint(box, Hint);
    PlaceCell(box, Tag, Bounds);
    return box;
}

MCamBox* MRBasePanel::MakeCamBox(int ID, int Tag, QRect Bounds, TNotifyEvent OnChange, TNotifyEvent OnPopup,
                                 MCamPopupMenu* Menu1, MCamPopupMenu* Menu2, TColor NonFocusColor,
                                 TColor FocusColor, const TCellHint& Hint) {
    auto* cam = new MCamBox(this, this);
    FixRowGeometry(cam);
    cam->SetID(ID);
    cam->SetEnhanced(true);
    cam->SetCaption(QString());
    cam->SetCamPopupMenu1(Menu1);
    cam->SetCamPopupMenu2(Menu2);
    cam->SetNonFocusedColor(ColorOr(NonFocusColor, 0xFFFFFF));
    cam->SetColor(ColorOr(NonFocusColor, 0xFFFFFF));
    cam->SetFocusedColor(ColorOr(FocusColor, 0xFFFFD0));
    cam->SetFont(RowFont(rfCourier, 11, false));
    cam->setFocusPolicy(Qt::StrongFocus);
    {
        TLoading loading(*this);
        cam->SetValue(0);
    }
    cam->OnChange = Guarded(std::move(OnChange));
    cam->OnPopup = Guarded(std::move(OnPopup));
    SetCellHint(cam, Hint);
    PlaceCell(cam, Tag, Bounds);
    return cam;
}
