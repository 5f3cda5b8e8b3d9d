#include "editors/CellInput.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/BiDi.h"
#include "ui/GfxUtils.h"
#include "ui/KeyboardLayout.h"

#include <QGuiApplication>
#include <QPainter>

// ---- Key tables.

bool EditCellForwardsKey(const TCellKey& Key) {
    // Left and Right move the caret in the text; the other keys are the buttons'.
    if (Key.VirtualKey == VK_LEFT || Key.VirtualKey == VK_RIGHT)
        return Key.Ctrl;
    return ButtonForwardsKey(Key);
}

TCellKeyAction CellKeyAction(bool Qualifies, const TCellKey& Key) {
    if (!Qualifies)
        return kaLeave;
    return Key.Class >= kcPlain && Key.Class <= kcAlt ? kaSend : kaConsume;
}

// ---- Keys of a non-Latin layout.

namespace {

// Latin letters and their extensions; everything else counts as another script.
bool IsLatinCode(int Code) {
    return Code < 0x250 || (Code >= 0x1E00 && Code < 0x1F00);
}

// The platforms whose scan codes are XKB key codes.
bool ScanCodesAreXkb() {
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("xcb") || p.startsWith(QLatin1String("wayland"));
}

} // namespace

int LatinKeyOfCharacter(int Character) {
    if (Character >= 0x0660 && Character <= 0x0669)
        return Qt::Key_0 + (Character - 0x0660);
    if (Character >= 0x06F0 && Character <= 0x06F9)
        return Qt::Key_0 + (Character - 0x06F0);
    // The Arabic layout: its letters, and the marks and letters of its Shift level that no other
    // key types.
    static const struct {
        char16_t Ch;
        char Key;
    } table[] = {
        {u'\u0636', 'Q'}, {u'\u0635', 'W'}, {u'\u062B', 'E'}, {u'\u0642', 'R'}, {u'\u0641', 'T'},
        {u'\u063A', 'Y'}, {u'\u0639', 'U'}, {u'\u0647', 'I'}, {u'\u062E', 'O'}, {u'\u062D', 'P'},
        {u'\u0634', 'A'}, {u'\u0633', 'S'}, {u'\u064A', 'D'}, {u'\u0628', 'F'}, {u'\u0644', 'G'},
        {u'\u0627', 'H'}, {u'\u062A', 'J'}, {u'\u0646', 'K'}, {u'\u0645', 'L'}, {u'\u0626', 'Z'},
        {u'\u0621', 'X'}, {u'\u0624', 'C'}, {u'\u0631', 'V'}, {u'\uFEFB', 'B'}, {u'\u0649', 'N'},
        {u'\u0629', 'M'}, {u'\u064E', 'Q'}, {u'\u064B', 'W'}, {u'\u064F', 'E'}, {u'\u064C', 'R'},
        {u'\uFEF9', 'T'}, {u'\u0625', 'Y'}, {u'\u0650', 'A'}, {u'\u064D', 'S'}, {u'\uFEF7', 'G'},
        {u'\u0623', 'H'}, {u'\u0640', 'J'}, {u'\u0652', 'X'}, {u'\uFEF5', 'B'}, {u'\u0622', 'N'},
    };
    for (const auto& e : table)
        if (e.Ch == Character)
            return e.Key;
    return 0;
}

int LatinKeyOfScanCode(quint32 ScanCode) {
    // Evdev codes plus 8: the digit row 1..9, 0; the rows Q..P, A..L and Z..M.
    if (ScanCode >= 10 && ScanCode <= 18)
        return Qt::Key_1 + int(ScanCode - 10);
    if (ScanCode == 19)
        return Qt::Key_0;
    static const char rowQ[] = "QWERTYUIOP", rowA[] = "ASDFGHJKL", rowZ[] = "ZXCVBNM";
    if (ScanCode >= 24 && ScanCode < 24 + 10)
        return rowQ[ScanCode - 24];
    if (ScanCode >= 38 && ScanCode < 38 + 9)
        return rowA[ScanCode - 38];
    if (ScanCode >= 52 && ScanCode < 52 + 7)
        return rowZ[ScanCode - 52];
    return 0;
}

bool LatinFallbackActive() {
    return !MKeyboardLayouts::Instance().Backend().InstalledLayouts().contains(EnglishLayoutId);
}

TCellKey ClassifyCellKey(const QKeyEvent* Event, bool Fallback, Qt::MouseButtons Buttons) {
    TCellKey k = ClassifyKey(Event, Buttons);
    if (!Fallback)
        return k;
    // The character of the key: Qt's key for a character key, else the first character it types.
    const int key = Event->key();
    int code = key > 0 && key <= 0xFFFF ? key : 0;
    const QString text = Event->text();
    if ((code == 0 || IsLatinCode(code)) && !text.isEmpty() && !IsLatinCode(text.at(0).unicode()))
        code = text.at(0).unicode();
    if (code == 0 || IsLatinCode(code))
        return k;
    int latin = ScanCodesAreXkb() ? LatinKeyOfScanCode(Event->nativeScanCode()) : 0;
    if (latin == 0)
        latin = LatinKeyOfCharacter(code);
    if (latin == 0)
        return k;
    k.VirtualKey = VirtualKeyOf(latin, Event->modifiers());
    k.Character = CharacterOf(latin, Event->modifiers());
    return k;
}

TCellKey ClassifyCellKey(const QKeyEvent* Event) {
    const int key = Event->key();
    const QString text = Event->text();
    const bool latin = (key <= 0 || key > 0xFFFF || IsLatinCode(key)) &&
                       (text.isEmpty() || IsLatinCode(text.at(0).unicode()));
    return ClassifyCellKey(Event, !latin && LatinFallbackActive(), QGuiApplication::mouseButtons());
}

// ---- Shortcuts claimed above a cell.

bool ShortcutClaimedAbove(const QWidget* Cell, const QKeyEvent& Event) {
    if (!Cell)
        return false;
    for (const QWidget* w = Cell->parentWidget(); w; w = w->parentWidget()) {
        if (const auto* c = dynamic_cast<const MShortcutClaimer*>(w))
            if (c->ClaimsShortcut(Event))
                return true;
        if (w->isWindow())
            break;
    }
    return false;
}

// ---- The text cells.

void SetCellBackground(QWidget* Control, TColor Color) {
    QPalette p = Control->palette();
    p.setColor(QPalette::Base, SysQColor(Color));
    Control->setPalette(p);
}

int CellTextValue(const QString& Text) {
    bool ok = false;
    const int v = Text.toInt(&ok, 10);
    return ok ? v : 0;
}

// ---- The box cells.

void DrawSunkenFrame(QImage& Image) {
    TRect r{0, 0, Image.width(), Image.height()};
    Frame3D(Image, r, 0x7F7F7F, clWhite);
    Frame3D(Image, r, clBlack, 0xDFDFDF);
}

TCellBox::TCellBox(QWidget* Parent) : QWidget(Parent) {
    // The box looks the same in both directions.
    setLayoutDirection(Qt::LeftToRight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FFont = font();
    resize(50, 30);
}

void TCellBox::SetColor(TColor Value) {
    if (Value != FColor) {
        FColor = Value;
        update();
    }
}

void TCellBox::SetFocusedColor(TColor Value) {
    FFocusedColor = Value;
    if (FFocused)
        SetColor(Value);
}

void TCellBox::SetNonFocusedColor(TColor Value) {
    FNonFocusedColor = Value;
    if (!FFocused)
        SetColor(Value);
}

void TCellBox::SetFont(const QFont& Value) {
    FFont = Value;
    update();
}

void TCellBox::Click() {
    if (OnClick)
        OnClick(this);
}

QImage TCellBox::Render() const {
    QImage image = NewImage(width(), height(), FColor);
    DrawSunkenFrame(image);
    PaintContent(image);
    return image;
}

void TCellBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}

void TCellBox::keyPressEvent(QKeyEvent* Event) {
    const TCellKey k = ClassifyCellKey(Event);
    bool accepted = false;
    if (KindKeyDown(k)) {
        accepted = true;
    } else if (FEnhanced) {
        switch (CellKeyAction(BoxCellForwardsKey(k), k)) {
        case kaSend:
            SendKeyDown(this, Tag, k);
            accepted = true;
            break;
        case kaConsume:
            accepted = true;
            break;
        case kaLeave:
            break;
        }
    }
    // Characters go to the row and then also reach the box: Enter and Space click it.
    if (k.Character >= 0) {
        if (FEnhanced) {
            SendCellKey(this, CellKeyWParam(k.Character, kcChar), CellKeyLParam(Tag));
            accepted = true;
        }
        if (k.Character == 13 || k.Character == 32) {
            Click();
            accepted = true;
        }
    }
    Event->setAccepted(accepted);
}

void TCellBox::focusInEvent(QFocusEvent* Event) {
    QWidget::focusInEvent(Event);
    if (Event->reason() == Qt::PopupFocusReason || FFocused)
        return;
    FFocused = true;
    SetColor(FFocusedColor);
    FocusGained();
}

void TCellBox::focusOutEvent(QFocusEvent* Event) {
    QWidget::focusOutEvent(Event);
    // A popup of the box (its palette or menu) taking the keyboard is not leaving the box.
    if (Event->reason() == Qt::PopupFocusReason || !FFocused)
        return;
    FFocused = false;
    FPressed = false;
    FocusLost();
    SetColor(FNonFocusedColor);
}

bool TCellBox::TakeFocusForPress() {
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    return hasFocus();
}

void TCellBox::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton) {
        Event->ignore();
        return;
    }
    Event->accept();
    FPressed = TakeFocusForPress();
}

void TCellBox::mouseDoubleClickEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton) {
        Event->ignore();
        return;
    }
    Event->accept();
    FPressed = TakeFocusForPress();
    if (FPressed && OnDblClick)
        OnDblClick(this);
}

void TCellBox::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton) {
        Event->ignore();
        return;
    }
    Event->accept();
    const bool click = FPressed && rect().contains(Event->position().toPoint());
    FPressed = false;
    if (click)
        Click();
}
