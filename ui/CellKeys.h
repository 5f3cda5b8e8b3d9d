#pragma once
// The cell key message: how the cells and buttons of a module row hand a key to their row. A cell
// with its Enhanced switch on sends the message synchronously to its parent widget, which
// implements MCellKeyReceiver; the handler runs before the sender goes on.
//
//   WParam: bits 31..16 the key, bits 15..0 its class. Class 0: the key is a character code (what
//           the keyboard types). Classes 1 to 4: the key is a virtual-key code, and the class says
//           which modifiers were held: 1 none, 2 exactly Ctrl, 3 exactly Shift, 4 exactly Alt.
//   LParam: bits 31..16 the sending cell's Tag, bits 15..0 zero.
//
// This file is the one classifier of keys for the message: the virtual-key codes of Qt's keys, the
// modifier class and the typed character, both derived from the key and the modifiers alone (the
// text Qt attaches to a key event differs between display servers).

#include <QString>
#include <Qt>

#include <cstdint>

class QKeyEvent;
class QWidget;

constexpr int WM_CELLKEY = 0x658;

// The key classes.
constexpr int kcChar = 0;
constexpr int kcPlain = 1;
constexpr int kcCtrl = 2;
constexpr int kcShift = 3;
constexpr int kcAlt = 4;
// Any other combination of modifiers (Ctrl+Shift, a mouse button held, ...): nothing is sent.
constexpr int kcOther = -1;

constexpr std::uint32_t CellKeyWParam(int Key, int Class) {
    return (std::uint32_t(Key) << 16) | (std::uint32_t(Class) & 0xFFFFu);
}
constexpr std::uint32_t CellKeyLParam(int Tag) {
    return std::uint32_t(Tag) << 16;
}
constexpr int CellKeyOf(std::uint32_t WParam) {
    return int(WParam >> 16);
}
constexpr int CellKeyClassOf(std::uint32_t WParam) {
    return int(WParam & 0xFFFFu);
}
constexpr int CellTagOf(std::uint32_t LParam) {
    return int(std::int32_t(LParam) >> 16);
}

// ---- Virtual-key codes.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12; // Alt
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21; // Page Up
constexpr int VK_NEXT = 0x22;  // Page Down
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60; // to 0x69
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70; // to VK_F1 + 23
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
// Letters and digits are their upper-case ASCII codes ('A' 0x41, '0' 0x30).

// The virtual-key code of a Qt key; the keypad flag picks the keypad codes. 0 for a key without one
// (a letter of a non-Latin layout, for instance).
int VirtualKeyOf(int QtKey, Qt::KeyboardModifiers Modifiers);

// The class of a modifier state taken as one set with the mouse buttons: kcPlain, kcCtrl, kcShift,
// kcAlt, or kcOther for any other combination. The keypad and group-switch flags do not count.
int ModifierClass(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons = Qt::NoButton);

// The character a key types with these modifiers, or -1 when it types none: a letter is lower case
// unless Shift is held, Ctrl with a letter gives its control code (Ctrl+C 3), Alt gives nothing;
// Enter 13, Escape 27, Backspace 8, Tab 9. Codes above 0xFFFF give -1.
int CharacterOf(int QtKey, Qt::KeyboardModifiers Modifiers);

// A key event taken apart once.
struct TCellKey {
    int VirtualKey = 0;  // 0 when the key has none
    int Class = kcOther; // of the modifiers and the mouse buttons held
    bool Ctrl = false;   // Ctrl is among the modifiers
    int Character = -1;  // what the key types, -1 for nothing
};
// Buttons: the mouse buttons held (QGuiApplication::mouseButtons() by default).
TCellKey ClassifyKey(const QKeyEvent* Event);
TCellKey ClassifyKey(const QKeyEvent* Event, Qt::MouseButtons Buttons);

// The receiver of the cell key message: the row that holds the cells.
class MCellKeyReceiver {
public:
    virtual ~MCellKeyReceiver() = default;
    virtual void WMRowKey(std::uint32_t WParam, std::uint32_t LParam) = 0;
};

// Sends the message to Sender's parent widget when it is a receiver; true when one got it.
bool SendCellKey(QWidget* Sender, std::uint32_t WParam, std::uint32_t LParam);

// The keys the program's buttons (flat, caption and hemisphere buttons) hand to their row: the
// arrows, Page Up, Page Down, Home, End, Insert and Delete, and Z, X, C and V with Ctrl among the
// modifiers.
bool ButtonForwardsKey(const TCellKey& Key);

// Key-down of a forwarding control for a key that qualifies: sends (VirtualKey, Class) with the Tag
// when the class is one of 1..4; with any other combination nothing is sent. The caller consumes
// the key in both cases.
void SendKeyDown(QWidget* Sender, int Tag, const TCellKey& Key);
// A typed character (class 0), when the key types one.
void SendCharacter(QWidget* Sender, int Tag, const TCellKey& Key);

// True for the four arrow keys, which the program's buttons keep from focus navigation.
bool IsArrowKey(int VirtualKey);
