#pragma once
// What the cells of a module row share.
//
// Keys: every cell reads a key through the one classifier of the cell key message (ui/CellKeys.h)
// and decides with its own key table whether the key-down goes to its row (send), is swallowed
// (consume: a key of the table held with another combination of modifiers) or is left to the cell
// itself. A key typed on a non-Latin layout that the keyboard service could not switch away from
// counts as the Latin letter or digit of the same physical key, so the row letters and the digits
// work while the Arabic layout is active.
//
// Input guards: a cell shows no context menu of its own (a right click reaches its row and the
// module menu of the container), takes no middle-click paste and no drops (both would bypass its
// key filter), and does not take the shortcut override of a key that a window above it claims, so
// the module menu's shortcuts win over the edit's own.
//
// The text cells (number, carrier and cam edits, the carrier memo) share Enhanced, ID, the focus
// colours and the focus flag; the box cells (colour box, cam box) share their frame, focus colours,
// click and key handling.

#include "platform/Color.h"
#include "ui/CellKeys.h"
#include "ui/RowCell.h"
#include "ui/UComponents.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>

#include <type_traits>
#include <utility>

// ---- Key tables.

enum TCellKeyAction { kaLeave = 0, kaSend = 1, kaConsume = 2 };

// The keys the text cells hand to their row: Up, Down, Page Up, Page Down, Home, End, Insert and
// Delete with any modifiers; Z, X, C, V, Left and Right only with Ctrl among the modifiers.
bool EditCellForwardsKey(const TCellKey& Key);
// The keys the box cells hand to their row: the buttons' table (the four arrows with any modifiers
// as well).
inline bool BoxCellForwardsKey(const TCellKey& Key) {
    return ButtonForwardsKey(Key);
}
// A key the table lets through: sent with classes 1 to 4, consumed with any other combination.
TCellKeyAction CellKeyAction(bool Qualifies, const TCellKey& Key);

// ---- Keys of a non-Latin layout.

// True when the keyboard service cannot make the English layout active (the null back end, or no
// English layout installed): keys of another layout are then read as Latin keys.
bool LatinFallbackActive();
// The Latin key (Qt::Key_A .. Qt::Key_Z, Qt::Key_0 .. Qt::Key_9) of a character of the Arabic
// layout or of an Arabic-Indic digit; 0 for any other character.
int LatinKeyOfCharacter(int Character);
// The Latin key of an XKB key code (evdev code + 8) of the letter and digit rows; 0 for another.
int LatinKeyOfScanCode(quint32 ScanCode);
// The key as ClassifyKey reads it, then, when Fallback is on and the key is not Latin, as the Latin
// key of the same physical key (by its scan code where the platform gives XKB codes, else by the
// Arabic layout's characters).
TCellKey ClassifyCellKey(const QKeyEvent* Event, bool Fallback, Qt::MouseButtons Buttons);
// The same with the keyboard service's verdict and the mouse buttons held now.
TCellKey ClassifyCellKey(const QKeyEvent* Event);

// ---- Shortcuts claimed above a cell.

// A window part (the container of a module editor) that takes some keys as its own shortcuts.
class MShortcutClaimer {
public:
    virtual ~MShortcutClaimer() = default;
    virtual bool ClaimsShortcut(const QKeyEvent& Event) const = 0;
};
// True when a widget above Cell, up to its window, claims the key.
bool ShortcutClaimedAbove(const QWidget* Cell, const QKeyEvent& Event);

// ---- The input guards of a cell over the Qt control Base.

template <class Base>
class TCellInput : public Base {
public:
    template <class... A>
    requires std::is_constructible_v<Base, A...>
    explicit TCellInput(A&&... Args) : Base(std::forward<A>(Args)...) {
        this->setContextMenuPolicy(Qt::NoContextMenu);
        this->setAcceptDrops(false);
    }

protected:
    bool event(QEvent* Event) override {
        if (Event->type() == QEvent::ShortcutOverride &&
            ShortcutClaimedAbove(this, *static_cast<QKeyEvent*>(Event))) {
            Event->ignore();
            return false;
        }
        return Base::event(Event);
    }
    void contextMenuEvent(QContextMenuEvent* Event) override { Event->ignore(); }
    void mousePressEvent(QMouseEvent* Event) override {
        if (Event->button() == Qt::MiddleButton)
            Event->ignore();
        else
            Base::mousePressEvent(Event);
    }
    void mouseReleaseEvent(QMouseEvent* Event) override {
        if (Event->button() == Qt::MiddleButton)
            Event->ignore();
        else
            Base::mouseReleaseEvent(Event);
    }
    void dragEnterEvent(QDragEnterEvent* Event) override { Event->ignore(); }
    void dragMoveEvent(QDragMoveEvent* Event) override { Event->ignore(); }
    void dropEvent(QDropEvent* Event) override { Event->ignore(); }
};

// ---- The text cells.

// Sets the background of a text control (the base colour of its palette).
void SetCellBackground(QWidget* Control, TColor Color);
// A cell's text read as a decimal 32-bit number: 0 when it is empty, not a number or too large.
int CellTextValue(const QString& Text);

template <class Base>
class TTextCell : public TCellInput<Base>, public virtual MTag, public MRowCell {
public:
    template <class... A>
    requires std::is_constructible_v<Base, A...>
    explicit TTextCell(A&&... Args) : TCellInput<Base>(std::forward<A>(Args)...) {
        SetCellBackground(this, FNonFocusColor);
    }

    bool Enhanced() const { return FEnhanced; }
    void SetEnhanced(bool Value) { FEnhanced = Value; }
    int ID() const override { return FID; }
    void SetID(int Value) override { FID = Value; }
    // An empty text.
    void ClearCell() override {
        if constexpr (requires(Base & B) { B.setText(QString()); })
            this->setText(QString());
        else
            this->setPlainText(QString());
    }
    // The background while the cell has the focus, and otherwise; a new value shows at once in its
    // state.
    TColor FocusColor() const { return FFocusColor; }
    void SetFocusColor(TColor Value) {
        FFocusColor = Value;
        if (FFocused)
            SetColor(Value);
    }
    TColor NonFocusColor() const { return FNonFocusColor; }
    void SetNonFocusColor(TColor Value) {
        FNonFocusColor = Value;
        if (!FFocused)
            SetColor(Value);
    }
    // The background shown now.
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) {
        FColor = Value;
        SetCellBackground(this, Value);
    }
    // True while the cell shows its focus colour.
    bool FocusShown() const { return FFocused; }

    // Types one character by the cell's rules (what a key press does after its key-down part); false
    // when the character is left to the control itself. A cell types nothing of its own by default.
    virtual bool TypeCharacter(int) { return false; }

protected:
    // A key press: the key-down goes to the row by the edit table, the character is typed by the
    // cell's rules, and what neither takes reaches the control.
    void keyPressEvent(QKeyEvent* Event) override {
        const TCellKey k = ClassifyCellKey(Event);
        bool done = ForwardKeyDown(k, EditCellForwardsKey(k));
        if (k.Character >= 0)
            done = TypeCharacter(k.Character) || done;
        if (done)
            Event->accept();
        else
            TCellInput<Base>::keyPressEvent(Event);
    }
    // Sends the key-down to the row when the table lets it through; true when it was sent or
    // consumed.
    bool ForwardKeyDown(const TCellKey& Key, bool Qualifies) {
        if (!FEnhanced)
            return false;
        switch (CellKeyAction(Qualifies, Key)) {
        case kaSend:
            SendKeyDown(this, this->Tag, Key);
            return true;
        case kaConsume:
            return true;
        case kaLeave:
            break;
        }
        return false;
    }
    void SendChar(int Character) {
        SendCellKey(this, CellKeyWParam(Character, kcChar), CellKeyLParam(this->Tag));
    }

    void focusInEvent(QFocusEvent* Event) override {
        TCellInput<Base>::focusInEvent(Event);
        if (Event->reason() != Qt::PopupFocusReason && !FFocused) {
            FFocused = true;
            SetColor(FFocusColor);
        }
    }
    void focusOutEvent(QFocusEvent* Event) override {
        TCellInput<Base>::focusOutEvent(Event);
        if (Event->reason() != Qt::PopupFocusReason && FFocused) {
            FFocused = false;
            SetColor(FNonFocusColor);
        }
    }

private:
    bool FEnhanced = false;
    int FID = 0;
    TColor FFocusColor = 0xF0C8F0;
    TColor FNonFocusColor = 0xFFFFFF;
    TColor FColor = 0xFFFFFF;
    bool FFocused = false;
};

// ---- The box cells.

// The sunken two-pixel frame of the box cells along the inside of the image: a grey outer and a
// black inner rectangle, with white and light grey lines along the lower and right edges.
void DrawSunkenFrame(QImage& Image);

// A focusable control that paints itself into an image: interior colour, frame and what the kind
// draws. A left press or double-click on a box without the focus first gives it the focus and is
// swallowed when it still has none; a release inside after a press on the box is a click, and so
// are Enter and Space typed in it. With Enhanced, the keys of the box table and every typed
// character go to the row.
class TCellBox : public QWidget, public virtual MTag, public MRowCell {
    Q_OBJECT
public:
    explicit TCellBox(QWidget* Parent = nullptr);

    bool Enhanced() const { return FEnhanced; }
    void SetEnhanced(bool Value) { FEnhanced = Value; }
    int ID() const override { return FID; }
    void SetID(int Value) override { FID = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor FocusedColor() const { return FFocusedColor; }
    void SetFocusedColor(TColor Value);
    TColor NonFocusedColor() const { return FNonFocusedColor; }
    void SetNonFocusedColor(TColor Value);
    const QFont& Font() const { return FFont; }
    void SetFont(const QFont& Value);
    bool FocusShown() const { return FFocused; }

    // A click on the box (mouse, Enter or Space): the kind's action, then OnClick.
    virtual void Click();
    // The box as it paints itself.
    QImage Render() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    // What the kind draws inside the frame.
    virtual void PaintContent(QImage& Canvas) const = 0;
    // A key-down the kind handles before the table (the cam box's Delete); true when handled.
    virtual bool KindKeyDown(const TCellKey&) { return false; }
    virtual void FocusGained() {}
    virtual void FocusLost() {}

    void paintEvent(QPaintEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    bool TakeFocusForPress();

    bool FEnhanced = true;
    int FID = 0;
    TColor FColor = 0xFFFFFF;
    TColor FFocusedColor = 0xF0C8F0;
    TColor FNonFocusedColor = 0xFFFFFF;
    QFont FFont;
    bool FFocused = false;
    bool FPressed = false;
};
