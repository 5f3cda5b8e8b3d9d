#pragma once
// The container panel framework: the scrolling list of a module editor window. A container owns a
// fixed pool of RowsNum x Columns row panels (never one per entry) and its own scroll bar, and loads
// list entries into those rows as the view scrolls: a virtual list. In the Z kind two entries share
// a display row (an odd number n and n + 1). The container sizes itself and its window to a whole
// number of rows, finds an entry by number (go to), runs the list commands of the module popup menu,
// the tool buttons and the rows' keys (0x659), moves the focus between rows, selects ranges and
// records the source of a drag of rows.
//
// Storing first. The rows edit working copies; every command and every reload of the shown rows
// (scroll bar, wheel, keys, go to, select all, ...) first stores the editing row and does nothing
// when that store is refused (a scroll is undone). A row's own store that refreshes does not store
// again.
//
// A kind container derives from MRKindContainer<Row, WindowIndex> (below), which makes its rows,
// applies the kind's layout constants (ContainerLayoutOf) in InitLayout and gives its WindowIndex,
// the clipboard code by which drop targets also recognise it; the kind adds only what differs, such
// as the drags that scroll its bar (ScrollsForSource).

#include "editors/CellInput.h"
#include "editors/MRBpanel.h"
#include "model/UunvList.h"
#include "ui/PopupMenu_m.h"
#include "ui/panel_m.h"

#include <QEvent>
#include <QPointer>
#include <QScrollBar>

#include <array>
#include <functional>
#include <type_traits>
#include <vector>

class MProject;
class MSpeedButton;
class TMUnvClipBoard;

// ---- The container messages, sent synchronously as custom events.
constexpr int WM_CONTAINERKEY = 0x659; // a key forwarded by a row
constexpr int WM_REFRESHROWS = 0x65A;  // low word of WParam 1: RefreshRows
QEvent::Type ContainerMessageType(int Message);

class TContainerMessage : public QEvent {
public:
    TContainerMessage(int Message, std::uint32_t WParam, std::uint32_t LParam)
        : QEvent(ContainerMessageType(Message)), Message(Message), WParam(WParam), LParam(LParam) {}
    int Message;
    std::uint32_t WParam;
    std::uint32_t LParam;
};
// LParam of the container key message: the cell's Tag in the high word, the row's slot in the low.
constexpr std::uint32_t ContainerKeyLParam(int Tag, int Slot) {
    return (std::uint32_t(Tag) << 16) | (std::uint32_t(Slot) & 0xFFFFu);
}
constexpr int ContainerKeySlotOf(std::uint32_t LParam) {
    return int(LParam & 0xFFFFu);
}

// ---- Layout of the kinds.
struct TContainerLayout {
    int Columns = 1;
    int RowsNum = 8;
    int MinNum = 2;
    int MaxNum = 8;
    int RowGap = 2;
    int ColumnGap = 2;
    int GapFactor = 0;
};
// The constants of a kind by its window index (N, S, W, FE, P; FD, FS; R; Z); N's for other indexes.
TContainerLayout ContainerLayoutOf(int WindowIndex);

// ---- The container's arithmetic, free of widgets.
// Which list index each slot shows from list index Index on (-1: the slot is hidden), over the
// numbers of the list in list order: one column, one entry per display row; two columns, an even
// number alone on the right, an odd one on the left with its partner n + 1 on the right.
std::vector<int> PlanSlots(const std::vector<int>& Numbers, int Index, int VisibleRows, int Columns);
// The scroll bar for D display rows: shown with maximum D - VisibleRows when D > VisibleRows, the top
// row clamped into its range; else hidden and the top row 0.
struct TScrollPlan {
    bool Visible = false;
    int Maximum = 0;
    int PageStep = 0;
    int TopRow = 0;
    friend bool operator==(const TScrollPlan&, const TScrollPlan&) = default;
};
TScrollPlan PlanScrollBar(int DisplayRows, int VisibleRows, int TopRow);
// The container's size for the visible rows (the scroll bar's width included when it is shown).
QSize ContainerSizeFor(const TContainerLayout& Layout, int RowWidth, int RowHeight, int VisibleRows,
                       int ScrollBarWidth);
// Height div RowHeight, raised to MinNum and lowered to MaxNum.
int RowsThatFitHeight(int Height, int RowHeight, int MinNum, int MaxNum);
// The place of a slot's row panel.
QPoint RowPlace(int Slot, int Columns, int RowWidth, int RowHeight, int RowGap, int ColumnGap, int GapFactor);
// The top row that brings display row Row into view: TopRow when it is shown already, else Row as the
// last visible row (not below 0).
int GotoTopRow(int Row, int TopRow, int VisibleRows);

// ---- What the container asks of its window: the client size it snaps to its rows. Without a host
// the container resizes its parent widget.
class MRContainerHost {
public:
    virtual ~MRContainerHost() = default;
    virtual QSize ContainerClientSize() const = 0;
    virtual void SetContainerClientSize(QSize Size) = 0;
};

// ---- The commands of the module popup menu, the tool buttons and the rows' keys.
enum TContainerCommand {
    ccNone = -1,
    ccNewItem = 0,
    ccDelete,
    ccCopy,
    ccCut,
    ccInsert,
    ccPaste,
    ccInsertMirror,
    ccPasteMirror,
    ccSelectAll,
    ccDeselectAll,
    ccInvertSelection,
    ccSpecialFunctions,
    ccDeleteContents,
    ccGoto,
    ccSort,
};
// The nine tool buttons a container keeps.
enum TToolButton {
    tbNew = 0,
    tbDelete,
    tbCopy,
    tbCut,
    tbInsert,
    tbPaste,
    tbGoto,
    tbSort,
    tbSpecFunc,
    tbCount
};

class MRContainerPanel : public MPanel, public MShortcutClaimer {
    Q_OBJECT
public:
    explicit MRContainerPanel(QObject* AOwner, QWidget* Parent = nullptr);
    ~MRContainerPanel() override;

    // ---- Layout constants, set by the kind before InitLayout.
    int Columns = 1;
    int RowGap = 2;
    int ColumnGap = 2;
    int GapFactor = 0;
    int RowWidth = 0;
    int RowHeight = 0;
    // The first row has given its size to RowWidth and RowHeight.
    bool FirstRowMeasured = false;

    // ---- State.
    MUnvList* Items() const { return FItems; }
    // Binds a list (not owned) and shows it from its start.
    void SetItems(MUnvList* List);
    int MaxNum() const { return FMaxNum; }
    // Lowered to RowsNum; VisibleRows follows without a new layout.
    void SetMaxNum(int Value);
    int MinNum() const { return FMinNum; }
    void SetMinNum(int Value);
    int RowsNum() const { return FRowsNum; }
    // Creates the row panels of the display rows up to N - 1 (set once, by InitLayout).
    void SetRowsNum(int Value);
    // A new entry is being entered and not yet stored.
    bool NewItemMode = false;
    int VisibleRows() const { return FVisibleRows; }
    int TopIndex() const { return FTopIndex; }
    int TopRow() const { return FTopRow; }
    QScrollBar* ScrollBar() const { return FScrollBar; }
    const std::vector<MRBasePanel*>& Rows() const { return FRows; }
    // The project whose lists the fields' help looks up; none outside a project.
    MProject* Project = nullptr;
    // The window's New, Delete, Copy, Cut, Insert, Paste, Go to, Sort and Special functions buttons.
    std::array<MSpeedButton*, tbCount> ToolButtons{};
    // The last special-function request of this container.
    TSpecialFuncParams SpecialParams;
    // The slot and entry number of the row under the mouse when the popup menu opened; -1 when none.
    int PopupRow = -1;
    int PopupNumber = -1;
    // The drag record of BeginRowDrag.
    bool DragMirror = false;
    int DragPanel = -1;
    int DragFirst = 0;
    int DragLast = 0;
    bool DragSelected = false;
    int DragNumber = 0;
    // An optional picture behind the rows (sized by LayoutRows).
    MImage* Background = nullptr;
    TMUnvClipBoard* Clipboard() const { return FClipboard; }
    void SetClipboard(TMUnvClipBoard* Value) { FClipboard = Value; }
    void SetHost(MRContainerHost* Host) { FHost = Host; }
    MPopupMenu* PopupMenu() const { return FPopupMenu.data(); }

    // ---- The container's virtual operations.
    // Attaches the window's module popup menu: its items run the commands MenuCommandAt gives their
    // positions, and the container claims their shortcuts from its cells.
    virtual void SetPopupMenu(MPopupMenu* Menu);
    // The command of the menu item at Position (separators and unknown positions ccNone).
    virtual int MenuCommandAt(int Position) const;
    // Top := Top, Left 0, lowered bevel; the kinds then apply their constants (ApplyLayout).
    virtual void InitLayout(int Top);
    // Creates the row of a slot (NewRowPanel), measures the first one, places it, hides it and
    // appends it to Rows.
    virtual void CreateRowPanel(int Slot);
    // A new row of the kind, owned by the container.
    virtual MRBasePanel* NewRowPanel() = 0;
    virtual void NewRow(int Slot, int Number);
    // Loads the entry at a list index, or the entry with a number (an entry that cannot be found
    // leaves the row as it was), into the row of a slot. Errors of the row pass on.
    virtual void LoadRow(int Slot, int ListIndex);
    virtual void LoadRowByNumber(int Number, int Slot);
    // The module window of the kind (N 0 .. R 8); -1 for none. Drop targets recognise a dragged
    // container by it and its Project.
    virtual int WindowIndex() const { return -1; }
    // The clipboard code of the kind: its window index.
    int ClipboardKind() const { return WindowIndex(); }
    void SetClipboardKind();
    // Raises 1020 when the clipboard holds modules of another kind.
    void CheckClipboardKind();
    // Runs a command as its menu item, tool button or key does.
    virtual void RunCommand(int Command);

    // ---- Layout and showing.
    // Columns, RowsNum, MinNum, MaxNum of a layout and the width of the rows.
    void ApplyLayout(const TContainerLayout& Layout);
    void SetVisibleRows(int N);
    int RowsThatFit(int Height) const;
    void LayoutRows();
    void RefreshRows();
    void UpdateScrollBar();
    // Stores the editing row, then shows from display row R; nothing when the store is refused.
    void SetTopRow(int R);
    void ShowFrom(int ListIndex);
    // Stores the editing row, scrolls the entry Number into view and focuses its number cell;
    // nothing when the number is missing. Other errors pass on.
    void GotoItem(int Number);
    // Deletes an entry and refreshes; an entry that is not there shows its numbered message (5011/4,
    // "There is no module with that number"); other errors pass on.
    void DeleteItem(int Number);
    // Stores the editing row; true when it stored or no row is editing. Errors pass on.
    bool ApplyEditingRow();
    // ApplyEditingRow with its errors shown; false when the store was refused or failed.
    bool StoreEditingRow();
    int EditingRowIndex() const;
    MRBasePanel* EditingRow() const;
    // Raises 1003 for a slot outside the rows.
    MRBasePanel* RowAt(int Slot) const;
    int RowNumber(int Slot) const;
    int VisibleRowCount() const;
    // The help text of entries of another kind (window index) from First on, Count of them (signed):
    // "NO UContainer" without a project. When the project cannot give it (any error of its lists),
    // Text is empty and the result false: the help is asked from the hint window's event handler,
    // where an escaping error would end the program.
    bool ItemHint(int KindIndex, int First, int Count, QString& Text) const;
    void SaveFocus();
    void RestoreFocus();
    void CancelNewItem();

    // ---- Keys, focus moves, selection (the container key message).
    void WMContainerKey(std::uint32_t WParam, std::uint32_t LParam);
    void KeyRowDown(std::uint32_t LParam);
    void KeyRowUp(std::uint32_t LParam);
    void KeyPageDown(std::uint32_t LParam, bool Extend);
    void KeyPageUp(std::uint32_t LParam, bool Extend);
    void KeyHome(std::uint32_t LParam, bool Extend);
    void KeyEnd(std::uint32_t LParam, bool Extend);
    void KeyEnterNumber(std::uint32_t LParam);
    // Focuses cell Tag in a display row (Side 0 prefers the left slot, 1 the right); the row focused,
    // or null.
    MRBasePanel* FocusRowCell(int DisplayRow, int Tag, int Side);
    // Focuses cell Tag in the display row below (Step 1) or above (Step -1) the row of Slot, after
    // storing the editing row; past the visible rows the view scrolls by one display row.
    void FocusRowStep(int Slot, int Tag, int Step);
    // Focuses cell Tag in the right (Step 1) or left (Step -1) row of the pair of Slot.
    void FocusNeighbour(int Slot, int Tag, int Step);
    // Toggles the selection of the entries at list indexes From..To (cut to the list), through their
    // rows where they are shown; every entry of the range is taken before one is toggled.
    void ToggleIndexRange(int From, int To);
    // The entries above the row of Slot up to the first that has Value take Value (a Shift-release
    // on the select button); nothing for a negative slot.
    void SelectUpwards(int Slot, bool Value);

    // ---- The drag source.
    void BeginRowDrag(int Slot, bool Mirror);
    int DragFirstNumber() const { return DragSelected ? DragFirst : DragNumber; }
    int DragLastNumber() const { return DragSelected ? DragLast : DragNumber; }
    // Starts a drag of rows from Slot (BeginRowDrag, then the drag itself).
    void StartRowDrag(int Slot, bool Mirror);

    // ---- Drops.
    // The dragged entries of another container copied into this list from At on (the selected run
    // when the dragged row was selected), then RefreshRows. Errors pass on.
    void DropEntries(MRContainerPanel& Source, int Number, int At);
    // A drag within this container: the dragged entries pasted over the list from At on through the
    // clipboard's second buffer, mirrored when the drag was mirrored, all or nothing (as PasteWhole).
    // After the guard; errors pass on (the row's drop shows them).
    void DragWithin(int Number, int At);
    // Source is a container of this kind (WindowIndex) other than this one (the kinds' drops).
    bool IsSameKindContainer(const MRContainerPanel& Source) const;
    // A drag from Source over the scroll bar scrolls it (filled by the kinds; none by default).
    virtual bool ScrollsForSource(const TDragSource& Source) const;
    // Over the container's free surface: rows of another container of the kind are accepted and
    // appended after the largest number.
    virtual void ContainerDragOver(const TDragSource& Source, bool& Accept);
    virtual void ContainerDragDrop(const TDragSource& Source);
    // A drag over the scroll bar at height Y: the upper third scrolls up, the lower third down.
    void ScrollBarDragOver(const TDragSource& Source, int Y);

    // ---- Commands. Each runs after the guard; the errors a command does not report itself pass on
    // (RunCommand and the key message show them).
    // A default entry after the popup target, the editing row or the last entry; when the largest
    // number the kind allows is in use and the entries would have to pass it, the numbered notice
    // 11/4401 names that number and nothing changes.
    void InsertNewItem();
    // The selected entries, or with none selected the popup target alone (Delete Contents: reset to
    // defaults).
    void DeleteSelected();
    void DeleteContents();
    void CopySelected();
    void CutSelected();
    void InsertFromClipboard();
    void PasteFromClipboard();
    // The knitting-scheme menu's mirrored pastes: as Insert and Paste with every pasted entry
    // mirrored for the machine's cam systems.
    void InsertMirrored();
    void PasteMirrored();
    void SelectAll();
    void DeselectAll();
    void InvertSelection();
    void SortItems();
    void SpecialFunctions();
    void GotoItemDialog();
    // The rows' clipboard keys, on the entry of the row of Slot. After a paste the first pasted entry
    // has the focus.
    void CopyRow(int Slot);
    void CutRow(int Slot);
    void PasteInsertRow(int Slot);
    void PasteOverRow(int Slot);
    // The tool buttons run their commands.
    void AttachToolButtons();
    // The row under a screen point becomes the popup target (PopupRow, PopupNumber), else -1.
    void PopupRecordRow(const QPoint& GlobalPos);
    // The command of a key of the menu, ccNone when the menu has no such shortcut.
    int ShortcutCommand(const QKeyEvent& Event) const;
    bool ClaimsShortcut(const QKeyEvent& Event) const override;

protected:
    // The guard of the commands: false while NewItemMode is set or when the editing row refuses.
    bool CommandGuard();
    // The guard, then the popup target taken (-1 when none was recorded) and reset; false when the
    // guard stopped the command.
    bool TakePopupTarget(int& Target);
    // Moves the focus with the rows' Editing flags locked (their stores already ran).
    void FocusQuietly(QWidget* Target);
    // Scrolls to display row R without storing (the caller stored).
    void ScrollTo(int R);
    void ShowRowSlot(int Slot, int ListIndex);
    void HideRowSlot(int Slot);
    // The display row and side of a slot.
    int DisplayRowOf(int Slot) const { return Columns > 1 ? Slot / Columns : Slot; }
    int SideOf(int Slot) const { return Columns > 1 ? Slot % Columns : 0; }
    // The row showing the entry Number, or null.
    MRBasePanel* ShownRowOf(int Number) const;
    // The list index of the row's entry; -1 when it has none in the list.
    int IndexOfRowEntry(const MRBasePanel* Row) const;

    bool event(QEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    enum TClipboardOp {
        coCopy,
        coCut,
        coPasteInsert,
        coPasteOver,
        coPasteInsertMirrored,
        coPasteOverMirrored
    };
    // The list commands' runner: the guard (CommandGuard, or only the store of the editing row for
    // the selection commands), the popup target taken (-1 when none was recorded), the operation on
    // it, then the rows shown again (RefreshRows, or ShowFrom the top index).
    enum TCommandGuard { cgCommand, cgStore };
    enum TCommandRefresh { crNone, crRows, crFromTop };
    void ListCommand(TCommandGuard Guard, TCommandRefresh Refresh,
                     const std::function<void(int Target)>& Operation);
    // A clipboard command of the menu (Slot -1: after the guard, on the popup target) or of the row
    // of Slot (after storing the editing row, on that row's entry). Its errors are shown, but for a
    // paste of another kind's modules, which only the row's Insert key shows.
    void ClipboardCommand(TClipboardOp Op, int Slot);
    // Runs Paste, one of the clipboard's pastes from Buffer, all or nothing: on a scratch copy of the
    // list (deselected first with ClearSelection) that replaces the list's contents only when the
    // whole paste succeeded. A refused paste raises and leaves the list, its selection and the
    // numbers of Buffer's modules as they were.
    void PasteWhole(MUnvList& Buffer, bool ClearSelection, const std::function<void(MUnvList& Dest)>& Paste);
    // The page and end keys: the view jumps a page (Page) or to its end, down or up, and the focus
    // goes to the cell of Tag in the row the jump reaches; with Extend the entries passed over
    // toggle their selection.
    void KeyJump(std::uint32_t LParam, bool Extend, bool Down, bool Page);
    void ScrollBarChange(int Position);
    void PlaceScrollBar();
    // The top row that the scroll bar's last visible position gives.
    int LastTopRow() const;
    // Takes a key of the menu from a cell (the shortcut override): the command runs here, and the
    // key press that follows reaches no cell.
    bool HandleShortcutOverride(QKeyEvent& Event);
    // The focus goes to the container with the editing rows locked (their stores already ran).
    void TakeFocus() { FocusQuietly(this); }

    bool FUpdating = false;
    bool FScrollSync = true;
    int FVisibleRows = 3;
    int FMaxNum = 0;
    int FMinNum = 0;
    int FRowsNum = 0;
    int FSavedTag = -1;
    int FSavedRow = -1;
    int FTopIndex = 0;
    int FTopRow = 0;
    QScrollBar* FScrollBar = nullptr;
    MUnvList* FItems = nullptr;
    std::vector<MRBasePanel*> FRows;
    TMUnvClipBoard* FClipboard = nullptr;
    MRContainerHost* FHost = nullptr;
    QPointer<MPopupMenu> FPopupMenu;
    bool FPopupAtKnown = false;
    QPoint FPopupAt;
    // Nested stores of the editing row (a row's own store that refreshes stores nothing again).
    int FStoring = 0;
};

// The container of a kind: rows of class TRow (made as TRow(container, container)), the layout
// constants and the clipboard code of window Index.
template <class TRow, int Index>
class MRKindContainer : public MRContainerPanel {
public:
    explicit MRKindContainer(QObject* AOwner, QWidget* Parent = nullptr) : MRContainerPanel(AOwner, Parent) {
        const TContainerLayout layout = ContainerLayoutOf(Index);
        Columns = layout.Columns;
        RowGap = layout.RowGap;
        ColumnGap = layout.ColumnGap;
        GapFactor = layout.GapFactor;
    }
    int WindowIndex() const override { return Index; }
    void InitLayout(int Top) override {
        MRContainerPanel::InitLayout(Top);
        ApplyLayout(ContainerLayoutOf(Index));
    }
    // A kind whose rows take more (the R rows their cam systems) makes them in its own override.
    MRBasePanel* NewRowPanel() override {
        if constexpr (std::is_constructible_v<TRow, QObject*, QWidget*>)
            return new TRow(this, this);
        else
            return nullptr;
    }
    TRow* Row(int Slot) const { return static_cast<TRow*>(RowAt(Slot)); }
};
