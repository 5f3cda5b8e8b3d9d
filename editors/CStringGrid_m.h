#pragma once
// The setup-scheme grid: a string grid in which every column has a kind and a digit count. The kind
// decides the keys a cell of the column takes while it is typed, the canonical form of its text and
// the colour of that text. Values live only as cell texts: the owner writes them with SetCells and
// hears of them through OnSetEditText, told on every change of the in-place editor and once more
// when the edit ends, with the text the cell then keeps.
//
// Grid coordinates count the fixed rows and columns: Cells(0, 0) is the top-left fixed cell. The
// fixed cells carry the headers and row labels; the grid draws them as Qt does and never edits them.
//
// Kinds (D is the column's digit count):
//   0 unsigned number, typed as digits, shown with leading zeros to D digits;
//   1 as 0, shown only;
//   2 signed number "+"/"-" and D digits, shown only; red when negative;
//   3 as 2, typed, and a text without a sign becomes negative;
//   4 as 2, typed;
//   5 flag "I" or empty, toggled on rows 1 to 6; blue when set;
//   6 side "L" or "R" and D digits; blue for L, green for R;
//   7 one of "G", "U1", "U2", cycled by Space; any other text is G; G red, U1 green, U2 blue;
//   8 one digit "1" to "8" or empty, cycled by Space.
//
// The canonical form replaces a cell's text when the owner writes it and when an in-place edit
// ends, so what the grid shows is what the owner is told. A text that is no value of its kind (a
// pasted word in a number column) is refused at the end of an edit: the cell keeps its previous
// text. Painting never changes a cell; a text that is no number is drawn as it stands.

#include "platform/Color.h"

#include <QTableWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

inline constexpr int GridMaxColumns = 20;

// ---- The rules of the kinds, free of widgets.

// The canonical form of Text in a column of Kind with Digits digits; none when the text is no value
// of the kind (not a number where a number is expected). Kinds 5 and 8 keep their texts.
std::optional<QString> GridCanonicalText(int Kind, int Digits, const QString& Text);
// The text colour of a cell of Kind holding Text; none keeps the grid's own colour.
std::optional<TColor> GridTextColor(int Kind, const QString& Text);

// What a key does in a cell.
struct TGridKeyResult {
    enum Action {
        Ignore, // the key is discarded
        Pass,   // the key goes on to the editor (typed, or Enter toggling it)
        EndEdit // Text replaces the cell's text and the edit ends
    };
    Action Act = Ignore;
    QString Text;
    bool operator==(const TGridKeyResult&) const = default;
};
// Filters Key (a character, or Qt::Key_Backspace, Qt::Key_Return or Qt::Key_Enter) typed into a cell
// of Kind with Digits digits on grid row Row holding Text; AllSelected when typing replaces it all.
TGridKeyResult GridFilterKey(int Kind, int Digits, int Row, const QString& Text, bool AllSelected, int Key);

// ---- The grid.

class MCStringGrid : public QTableWidget {
    Q_OBJECT
public:
    using TSetEditTextEvent = std::function<void(QObject* Sender, int ACol, int ARow, const QString& Value)>;

    explicit MCStringGrid(QWidget* Owner = nullptr);

    // 0 .. 8 per column 0 .. 19, 0 after construction; 3 digits after construction.
    std::array<std::uint8_t, GridMaxColumns> ColumnKind{};
    std::array<int, GridMaxColumns> ColumnDigits{};
    // The kind and digit count of a column; kind 0 with 3 digits beyond column 19.
    int KindOf(int ACol) const;
    int DigitsOf(int ACol) const;

    // The grid's size and its fixed rows and columns (1 each after construction); ColCount is at
    // most GridMaxColumns.
    int ColCount() const { return columnCount(); }
    void SetColCount(int Value);
    int RowCount() const { return rowCount(); }
    void SetRowCount(int Value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    void SetColWidths(int ACol, int Width) { setColumnWidth(ACol, Width); }
    void SetDefaultRowHeight(int Height);
    // In-place editing (on after construction) and range selection.
    bool Editing() const { return FEditing; }
    void SetEditingAllowed(bool Value);
    void SetRangeSelect(bool Value);
    bool IsFixed(int ACol, int ARow) const { return ACol < FFixedCols || ARow < FFixedRows; }

    // The cell texts. A cell outside the fixed area takes the canonical form of its column when it
    // has one; other texts are kept as written.
    QString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const QString& Value);
    // The text a cell is drawn with (its canonical form, or the text itself).
    QString ShownText(int ACol, int ARow) const;
    // The current cell (column, row).
    int Col() const { return currentColumn(); }
    int Row() const { return currentRow(); }
    void SetCurrentCell(int ACol, int ARow) { setCurrentCell(ARow, ACol); }

    // Enter shows the in-place editor when it is hidden and ends the edit when it is shown.
    bool EditorShown() const;
    void ShowEditor();
    // Ends the edit of the current cell: its text takes the canonical form (or the previous text when
    // it is no value of the kind) and the owner is told.
    void HideEditor();
    // Types one key into the current cell through its column's filter (what a key press does).
    void TypeKey(int Key);

    // On every change of the in-place editor's text and when an edit ends.
    TSetEditTextEvent OnSetEditText;
    // When the grid loses the focus.
    std::function<void(QObject* Sender)> OnExit;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    friend class MCStringGridDelegate;
    // A key pressed in the in-place editor; true when the grid has handled it.
    bool EditorKey(QKeyEvent* Event);
    void EditorTextChanged(const QString& Text);
    void CommitEdit(const QString& Text);
    void ApplyFixedFlags();
    void Notify(int ACol, int ARow, const QString& Value);

    int FFixedRows = 1;
    int FFixedCols = 1;
    bool FEditing = true;
    QString FEditBefore;
};
