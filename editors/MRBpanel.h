#pragma once
// The row panel framework: the base of every module row. A row shows one entry of its container's
// list in cells and edits a working copy of it; the copy is stored back into the list when the focus
// leaves the row, when the container asks for it before a command, or when something is dropped on
// the row.
//
// Cells. Every cell that takes part in keyboard navigation carries Tag = column x 100 + line (column
// and line from 0); labels, pictures, panels and the select button carry Tag -1. A cell's ID is its
// tab order. The number cell is known as NumberCell, never by its Tag (the Z row's number cell is
// not Tag 0).
//
// Keys. A cell hands its navigation and command keys to its row as the cell key message (0x658,
// ui/CellKeys.h); the row moves the focus between its cells, toggles its selection, reloads itself
// on Esc and passes everything else to its container as the container key message (0x659): the same
// WParam, LParam = cell Tag x 65536 + the row's PanelIndex.
//
// Loading and editing. LoadItem shows an entry: the working copy takes the entry, the cells show it,
// and while that runs Loading() is true, so that the cells' change handlers update what the row
// shows but write nothing into the copy. Outside loading every change handler writes its cell's
// value into the copy at once. Showing a row and leaving it therefore stores exactly the entry it
// showed plus the user's edits.
//
// Focus. One tracker on the application's focus changes calls RowEnter when the focus enters a row
// and RowExit when it leaves it for another widget of the same window; a row whose store fails keeps
// its Editing flag and takes the focus back into its number cell on the next turn of the event loop.
// While any row stores, focus changes are not tracked (the overwrite question and the error boxes
// move the focus meanwhile).
//
// A kind row derives from MRBasePanel and starts with the base's kind constructor (its working copy,
// whose list kind is the row's WindowIndex, its size and the focus colour of its number cells); it
// sets SideColumns and ColumnSpan where it needs them and builds the select button, the number cell
// and its own cells, each with its hint, with the Make* factories (they install the row's mouse
// handlers on every cell). It overrides ShowCells (fill the cells from WorkItem), GetFieldHint and,
// for drops, CellDragOver and CellDragDrop, which recognise a dragged container by its WindowIndex
// and Project, never by its class. Storing is the base's (ApplyEntry).

#include "editors/MRHints.h"
#include "model/UunvBase.h"
#include "platform/Color.h"
#include "ui/CellKeys.h"
#include "ui/UComponents.h"
#include "ui/panel_m.h"

#include <QFont>
#include <QPointer>
#include <QRect>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class MRContainerPanel;
class MUnvList;
struct MCounter;
class MNumEdit;
class MMoukikEdit;
class MMoukikMemo;
class MColorBox;
class MCamBox;
class MCamPopupMenu;
class MSpeedButton;
class MLabel;
class MImage;
class MScrollBitBtn;
class MScrollFlatBtn;
class MPalette;
class MPopupPalette;
class QMouseEvent;

// ---- Fonts of the factories, by what this machine has: "MS Sans Serif" by Liberation Sans or DejaVu
// Sans, "Courier" by Liberation Mono or DejaVu Sans Mono, "Arial Narrow" by Liberation Sans Narrow or
// DejaVu Sans Condensed; sizes in pixels.
enum TRowFontFace { rfSans, rfCourier, rfNarrow };
QFont RowFont(TRowFontFace Face, int PixelSize, bool Bold);
// The factories' standard font: "MS Sans Serif", 11 pixels, bold.
QFont RowStandardFont();

// The picture file Name in the Bitmaps folder of the application (found without regard to case).
QString BitmapPath(const QString& Name);
// The picture of a file in the Bitmaps folder read through the image library; a null pixmap when it
// cannot be read. With Transparent, pixels of TransparentColor become transparent.
QPixmap LoadRowPicture(const QString& Name, bool Transparent, TColor TransparentColor);

// ---- Moving the focus between the cells of a row with the arrow keys.
enum TCellMoveKind {
    cmNone = 0,           // the focus stays
    cmCell = 1,           // the cell with Tag in this row
    cmRowBelow = 2,       // the cell with Tag in the next display row (container)
    cmRowAbove = 3,       // the same in the previous display row
    cmRightNeighbour = 4, // the cell with Tag in the right-hand row of the pair
    cmLeftNeighbour = 5,  // the same in the left-hand row
};
struct TCellMove {
    TCellMoveKind Kind = cmNone;
    int Tag = 0;
    friend bool operator==(const TCellMove&, const TCellMove&) = default;
};
// Where an arrow key (DX, DY one of -1, 0, 1) from the cell with Tag goes, over the Tags of the
// row's visible cells in component order: along the line or the column to the nearest cell; past
// the end of the row the search wraps, and the wrapped cell's Tag (Tag itself when there is none)
// goes to the neighbouring row of a pair (SideColumns 2 or more, horizontal) or to the next or
// previous display row (vertical); with SideColumns 1 a horizontal move past the end stays. A
// vertical move first tries the cells (column + i) x 100 + line + DY for i = 0 .. ColumnSpan.
TCellMove PlanCellMove(const std::vector<int>& Tags, int Tag, int DX, int DY, int SideColumns,
                       int ColumnSpan);

// ---- Drag and drop as the rows and containers see it.
// The source of a drag: the container of a drag of rows (whose drag record names the rows), or the
// cell of a drag of one cell. Both null for a drag that is none of ours or whose source is gone.
struct TDragSource {
    MRContainerPanel* Container = nullptr;
    QWidget* Cell = nullptr;
    bool Empty() const { return !Container && !Cell; }
};
enum TDragState { dsDragEnter = 0, dsDragLeave = 1, dsDragMove = 2 };

// The hint of a cell in both languages; a cell given an empty one shows none.
struct TCellHint {
    QString Arabic;
    QString English;
    bool Empty() const { return Arabic.isEmpty() && English.isEmpty(); }
};

// The hints of a counter's "D"/"W" button and of its value cell (N and FS rows).
TCellHint CounterKindHint();
TCellHint CounterValueHint();

// The mouse-up handler of a speed button: sender, button, modifiers and the point in the button.
using TMouseUpEvent =
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;

// The Tag of a widget (-1 for one that has none).
int WidgetTag(const QWidget* W);

// The key A of the rows that spread a cell's value over the row: true when the cell key message
// carries the character "a" or "A", which the row then consumes; Fill runs with the cell's Tag when
// it is 100 or more (in the number cell the key does nothing).
bool RowFillKey(std::uint32_t WParam, std::uint32_t LParam, const std::function<void(int Tag)>& Fill);

// Spreads the slot Slot of a row whose slots come in pairs per system (the line in the low bit):
// Copy runs for the same line of each of the Systems systems, and for the other line as well when
// Holds found the slot's content on its line throughout.
void SpreadOverSystems(int Slot, int Systems, const std::function<bool(int Slot)>& Holds,
                       const std::function<void(int Slot)>& Copy);

// A letter key of a row and what it sets.
struct TRowLetter {
    char Letter; // a lower-case letter, whose upper case does the same, or another character
    std::function<void()> Action;
};
// True when the cell key message carries one of Letters in either case, whose Action has then run.
bool RowLetterKey(std::uint32_t WParam, std::initializer_list<TRowLetter> Letters);

// The colour of a caption button's caption.
void SetCaptionColor(MScrollBitBtn* Button, TColor Color);

// Switches off the per-language geometry of a bilingual control of a row or container: rows and
// cells keep their places and sizes in both languages and run left to right; the hint follows the
// language, the font does not.
template <class C>
void FixRowGeometry(C* Control) {
    Control->M_Width().SetEnable(false);
    Control->M_Height().SetEnable(false);
    Control->M_Align().SetEnable(asDisable);
    Control->M_Hint().Enable = true;
    Control->M_Font = false;
    Control->setLayoutDirection(Qt::LeftToRight);
}

class MRBasePanel : public MPanel, public MCellKeyReceiver, public MFieldHintRow {
    Q_OBJECT
public:
    explicit MRBasePanel(QObject* AOwner, QWidget* Parent = nullptr);
    // The start of a kind row: its working copy Item, its size, and the focus colour of its number
    // cells.
    MRBasePanel(QObject* AOwner, QWidget* Parent, std::unique_ptr<MUnvBase> Item, QSize Size,
                TColor FocusColor = 0xFFFFC8);
    ~MRBasePanel() override;

    // ---- Fields.
    // The row shows a selected entry. Writing calls SetSelected; only ShowSelected changes the flag.
    bool Selected() const { return FSelected; }
    void SetSelectedProperty(bool Value) { SetSelected(Value); }
    // Background of a focused number cell (the kind sets it before it builds its cells).
    TColor CellFocusColor = 0;
    // Tag of the cell the focus last entered.
    int FocusedTag = 0;
    // While true the row never stores (the container hides the row or moves the focus away).
    bool Locked = false;
    bool New = false;
    // The row's slot in its container.
    int PanelIndex = 0;
    // Background of the row and its number cells while the entry is selected.
    TColor SelectedColor = 0x00FF00;
    // 2 when the container shows two rows side by side; further columns an up or down move tries.
    int SideColumns = 1;
    int ColumnSpan = 0;
    // The number of the entry shown; 0 for a blank new row.
    int EntryNumber = 0;
    // The row's working copy of its entry, created by the kind; the cells edit it.
    std::unique_ptr<MUnvBase> WorkItem;
    MSpeedButton* SelectButton = nullptr;
    MNumEdit* NumberCell = nullptr;

    // The container the row sits in; null outside one.
    MRContainerPanel* Container() const;
    // The module window the row belongs to (N 0 .. R 8, as the clipboard codes): by default the one
    // of its working copy's list kind; -1 without a working copy.
    virtual int WindowIndex() const;

    // ---- The row's virtual operations.
    // Shows the selection: button down, the flag, the colours of the row and its number cells.
    virtual void ShowSelected(bool Value);
    // When Value differs from Selected: the working copy's mark and the list's mark of the entry,
    // then ShowSelected.
    virtual void SetSelected(bool Value);
    // Stores the working copy into the container's list (StoreWorkItem) when the row sits in a
    // container of its own kind (WindowIndex); true when stored.
    virtual bool ApplyEntry();
    // Makes the row blank for a new entry numbered Number (0: none).
    virtual void NewEntry(int Number);
    // Whether something may be dropped on the row or one of its cells (Sender), and the drop.
    virtual void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                              bool& Accept);
    virtual void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y);
    // The field help of a cell: the base gives a line feed and a carriage return.
    void GetFieldHint(QWidget* Cell, QString& Text) override;
    int FieldHintLanguage() const override { return LanguageIndex(); }
    // Source is a drag of rows from the window of another kind (window index) of the row's own
    // project.
    bool FromOwnProject(const TDragSource& Source, int KindIndex) const;
    // The field help that lists entries of another kind (window index) from First on, Count of them
    // (signed): a line feed, a carriage return, "@S@" and the container's ItemHint ("NO UContainer"
    // outside a container); empty when the project cannot give it, so the cell shows its own hint.
    void ItemFieldHelp(int KindIndex, int First, int Count, QString& Text) const;
    // The cell key message (0x658).
    void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) override;

    // ---- Showing an entry.
    // Shows Item: the working copy takes it, EntryNumber its number, the number cell its number, the
    // kind's cells (ShowCells) and the selection; all while Loading.
    void LoadItem(const MUnvBase& Item);
    // True while the row fills its cells from its working copy; the change handlers then write
    // nothing.
    bool Loading() const { return FLoading > 0; }
    // Marks a stretch of code as loading (nestable).
    class TLoading {
    public:
        explicit TLoading(MRBasePanel& Row) : FRow(Row) { ++FRow.FLoading; }
        ~TLoading() { --FRow.FLoading; }
        TLoading(const TLoading&) = delete;
        TLoading& operator=(const TLoading&) = delete;

    private:
        MRBasePanel& FRow;
    };
    // Shows a value in a number cell, clamped to what its digits can show (the working copy keeps the
    // value itself).
    static void ShowCellValue(MNumEdit* Cell, int Value);
    // The value ShowCellValue shows for Value.
    static int ShownCellValue(const MNumEdit* Cell, int Value);
    // The size of a signed stored value, as an int a five-digit cell can be handed.
    static int Magnitude(std::int32_t Value);

    // ---- Storing.
    // ApplyEntry with the program-wide storing mark set (focus changes are not tracked meanwhile);
    // errors pass on.
    bool StoreRow();
    // The kinds' common store: nothing for a Locked row or outside a container (false). Otherwise the
    // scroll bar is enabled and the working copy stored: unchanged, nothing is written; under its
    // own number by AddOrReplace, under a new one by StoreRenumbered (which asks before it
    // overwrites); a new number becomes EntryNumber and the rows are refreshed; NewItemMode ends.
    // When the list refuses (MException), the scroll bar is disabled, the focus goes back to the
    // number cell when the row's window is active, and the error passes on, except the refused
    // overwrite 1002, which gives false.
    // Validated off stores without the kind's check (the user chose to store the module as it is).
    bool StoreWorkItem(bool Validated = true);
    // True while a row stores anywhere in the program.
    static bool StoringNow();
    // Whether storing the row would write into its container's list: the working copy carries
    // another number than the entry shown, or differs from the stored entry. False outside a
    // container of the row's own kind.
    bool Unstored() const;
    // Lays the working copy over its entry in List, a copy of the container's list, as the row's
    // store would, without a word: no question, no message, no focus move, and the container's own
    // list untouched. False when the copy cannot be stored there (not valid, or its new number is
    // taken, which the store would ask about); List is then as it was.
    bool LayOver(MUnvList& List) const;

    // ---- Editing.
    bool IsEditing() const { return FEditing; }
    void SetEditing(bool Value) { FEditing = Value; }
    // The focus entered the row: Editing on.
    virtual void RowEnter();
    // The focus left the row for another widget of its window: a Locked row only ends editing;
    // otherwise the row stores, showing any error, and ends editing when it stored.
    virtual void RowExit();
    // A cell took the focus: FocusedTag := its Tag.
    void CellEnter(QWidget* Cell);

    // ---- Cells.
    // The first visible cell of the row with that Tag; null when none.
    QWidget* FindCell(int Tag) const;
    // Focuses FindCell(Tag); false when there is none.
    bool FocusCell(int Tag);
    bool FocusNumberCell();
    // The Tag of the cell that holds the focus; -1 when none has it.
    int FocusedCellTag() const;
    // Moves the focus with an arrow key (PlanCellMove over the visible cells).
    void MoveCellFocus(int Tag, int DX, int DY);
    // The Tags of the visible cells that take part in navigation, in component order.
    std::vector<int> NavigationTags() const;
    // Empties every cell of the row (MRowCell::ClearCell).
    void ClearCells();
    // Shows or hides the cells whose ID lies in FirstID..LastID.
    void SetCellsVisible(int FirstID, int LastID, bool Visible);
    // Installs the row's handlers on its components: the mouse moves that start drags, the release
    // on the select button. The factories install them on what they make; a cell made otherwise
    // gets them here.
    void SetCellEvents();

    // ---- Selection, keys, drags.
    void ToggleSelected() { SetSelected(!Selected()); }
    void SelectButtonClick();
    // The select button released: with Shift, inside the button, the entries above take the state
    // the row is about to take.
    void SelectButtonMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    // A mouse move over the row or one of its cells with the left button held starts a drag: of the
    // rows once the pointer has left Sender (at once over the row itself), mirrored with Alt or
    // Shift; of the cell itself with Ctrl.
    void CellMouseMove(QWidget* Sender, Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, QPoint Pos);
    void DeleteRowItem();
    void CancelRowEdit();
    void ForwardRowKey(std::uint32_t WParam, std::uint32_t LParam);

    // ---- Cell factories. Each control is owned and parented by the row and placed at Bounds; the
    // language adapters of width, height and alignment are off, the hint's on; editing cells get
    // Tag and ID (their tab order), Enhanced and a tab stop; labels, pictures, panels and speed
    // buttons Tag -1. A colour 0 means the default named. An editing cell shows the Hint given.
    MLabel* MakeLabel(QRect Bounds, const QString& Caption, const QFont& Font);
    MImage* MakeImage(const QString& FileName, QRect Bounds, bool Transparent, TColor TransparentColor);
    MSpeedButton* MakeSpeedButton(QRect Bounds, int GroupIndex, const QString& Caption, TNotifyEvent OnClick,
                                  TMouseUpEvent OnMouseUp);
    // The row's SelectButton.
    MSpeedButton* MakeSelectButton(QRect Bounds, const QString& Caption);
    MPanel* MakePanel(QRect Bounds, const QString& Caption, TNotifyEvent OnClick);
    // Colours: unfocused 0 white, focused 0 $FFFFD0.
    MNumEdit* MakeNumEdit(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                          TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint = {});
    // The row's NumberCell: MakeNumEdit with the row's focus colour; a change writes the number into
    // the working copy, then runs OnChange.
    MNumEdit* MakeNumberCell(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange = nullptr,
                             const TCellHint& Hint = {});
    MNumEdit* MakeSignedNumEdit(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                                TColor NonFocusColor, TColor FocusColor, bool Courier,
                                const TCellHint& Hint = {});
    MMoukikEdit* MakeMoukikEdit(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                                TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint = {});
    MMoukikMemo* MakeMoukikMemo(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange,
                                TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint = {});
    // Caption index 0 .. Captions - 1.
    MScrollBitBtn* MakeScrollBitBtn(int ID, int Tag, QRect Bounds, int Captions, TNotifyEvent OnIndexChange,
                                    const TCellHint& Hint = {});
    // "+" and "-" in bold Courier, colour $B00000.
    MScrollBitBtn* MakeSignButton(int ID, int Tag, QRect Bounds, TNotifyEvent OnIndexChange,
                                  const TCellHint& Hint = {});
    // "D" and "W".
    MScrollBitBtn* MakeDWButton(int ID, int Tag, QRect Bounds, TNotifyEvent OnIndexChange,
                                const TCellHint& Hint = {});
    // A repeat counter's "D"/"W" button (ID, Tag) and its value cell (ID + 1, Tag + 100), with their
    // hints: outside loading each writes its part into the counter that Counter gives; a change of
    // kind runs OnKindChange first (the row's colours).
    void MakeCounterCells(int ID, int Tag, QRect KindBounds, QRect ValueBounds, int Digits,
                          std::function<MCounter&()> Counter, std::function<void()> OnKindChange,
                          MScrollBitBtn*& KindCell, MNumEdit*& ValueCell);
    // Shows State on a counter's button (below 0 as "D", above 1 as "W") and, outside loading,
    // writes the kind into Counter.
    void SetCounterKind(MScrollBitBtn* KindCell, int State, MCounter& Counter);
    // Colours: unfocused 0 button face, focused 0 $DFDFDF.
    MScrollFlatBtn* MakeFlatButton(int ID, int Tag, QRect Bounds, int Captions, bool Flat,
                                   bool BorderWhenFlat, TColor NonFocusColor, TColor FocusColor,
                                   TNotifyEvent OnClick, TNotifyEvent OnIndexChange,
                                   const TCellHint& Hint = {});
    struct TColorBoxLayout {
        int Columns = 6;
        int Rows = 2;
        int MaxColumns = 10;
        int MaxColorCount = 0;
        bool Full = false;
        int LeftMargin = 3;
        int TopMargin = 3;
        int Space = 1;
        bool FocusedRect = false;
    };
    MColorBox* MakeColorBox(int ID, int Tag, QRect Bounds, const TColorBoxLayout& Layout,
                            const MPalette* Palette, MPopupPalette* Popup, TNotifyEvent OnChange,
                            TColor NonFocusColor, TColor FocusColor, const TCellHint& Hint = {});
    MCamBox* MakeCamBox(int ID, int Tag, QRect Bounds, TNotifyEvent OnChange, TNotifyEvent OnPopup,
                        MCamPopupMenu* Menu1, MCamPopupMenu* Menu2, TColor NonFocusColor, TColor FocusColor,
                        const TCellHint& Hint = {});

protected:
    // Fills the kind's cells from WorkItem (LoadItem runs it while Loading); the number cell and the
    // selection are the framework's.
    virtual void ShowCells() {}

    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dragLeaveEvent(QDragLeaveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    // Sets the common parts of a factory's control: place, Tag, the row's mouse handlers.
    void PlaceCell(QWidget* Cell, int Tag, QRect Bounds);
    // Installs the row's mouse handlers on a component and the widgets inside it.
    void WatchCell(QWidget* Cell);
    // A text cell of kind C: ID, Enhanced, digits, focus colours, a tab stop, the change handler, the
    // hint.
    template <class C>
    C* MakeTextCell(int ID, int Tag, QRect Bounds, int Digits, TNotifyEvent OnChange, TColor NonFocusColor,
                    TColor FocusColor, const TCellHint& Hint);
    // The row's direct child that holds W (W itself when it is one); the row for the row itself.
    QWidget* CellOf(QWidget* W) const;
    // Takes the focus back into the number cell on the next turn of the event loop.
    void RefocusAfterFailedStore();
    bool DragOver(QDropEvent* Event, TDragState State);
    // The cell under a drop event's point (the row itself over no cell) and the point in it.
    QWidget* DropPoint(const QDropEvent& Event, QPoint& Local) const;
    // A press of the left button arms a drag, its release disarms it.
    void ArmDrag(const QMouseEvent& Event);

    bool FSelected = false;
    bool FEditing = false;
    int FLoading = 0;
    // A drag starts once per press of the left button.
    bool FDragArmed = false;
};

// Runs Action; an error it raises is shown by the application's handler and goes no further.
void GuardedAction(const std::function<void()>& Action);
