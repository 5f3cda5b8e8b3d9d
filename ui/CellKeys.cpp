#include "ui/CellKeys.h"

#include <QChar>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

// The US-layout key that types a punctuation character, as its virtual-key code.
int PunctuationKey(int Ch) {
    switch (Ch) {
    case ';':
    case ':':
        return 0xBA;
    case '=':
    case '+':
        return 0xBB;
    case ',':
    case '<':
        return 0xBC;
    case '-':
    case '_':
        return 0xBD;
    case '.':
    case '>':
        return 0xBE;
    case '/':
    case '?':
        return 0xBF;
    case '`':
    case '~':
        return 0xC0;
    case '[':
    case '{':
        return 0xDB;
    case '\\':
    case '|':
        return 0xDC;
    case ']':
    case '}':
        return 0xDD;
    case '\'':
    case '"':
        return 0xDE;
    case '!':
        return '1';
    case '@':
        return '2';
    case '#':
        return '3';
    case '$':
        return '4';
    case '%':
        return '5';
    case '^':
        return '6';
    case '&':
        return '7';
    case '*':
        return '8';
    case '(':
        return '9';
    case ')':
        return '0';
    default:
        return 0;
    }
}

int KeypadKey(int QtKey) {
    if (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9)
        return VK_NUMPAD0 + (QtKey - Qt::Key_0);
    switch (QtKey) {
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Plus:
        return VK_ADD;
    case Qt::Key_Minus:
        return VK_SUBTRACT;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return VK_DECIMAL;
    case Qt::Key_Slash:
        return VK_DIVIDE;
    default:
        return 0;
    }
}

} // namespace

int VirtualKeyOf(int QtKey, Qt::KeyboardModifiers Modifiers) {
    if (Modifiers & Qt::KeypadModifier)
        if (const int k = KeypadKey(QtKey))
            return k;
    if (QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z)
        return QtKey;
    if (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9)
        return QtKey;
    if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24)
        return VK_F1 + (QtKey - Qt::Key_F1);
    switch (QtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Meta:
        return VK_LWIN;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    default:
        break;
    }
    return QtKey < 0x80 ? PunctuationKey(QtKey) : 0;
}

int ModifierClass(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons) {
    if (Buttons != Qt::NoButton)
        return kcOther;
    const Qt::KeyboardModifiers m = Modifiers & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    if (m == Qt::NoModifier)
        return kcPlain;
    if (m == Qt::ControlModifier)
        return kcCtrl;
    if (m == Qt::ShiftModifier)
        return kcShift;
    if (m == Qt::AltModifier)
        return kcAlt;
    return kcOther;
}

int CharacterOf(int QtKey, Qt::KeyboardModifiers Modifiers) {
    const bool ctrl = Modifiers & Qt::ControlModifier;
    const bool alt = Modifiers & Qt::AltModifier;
    const bool shift = Modifiers & Qt::ShiftModifier;
    if (alt || (Modifiers & Qt::MetaModifier))
        return -1;
    switch (QtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ctrl ? 10 : 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return ctrl ? 0x7F : 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return ctrl ? -1 : 9;
    default:
        break;
    }
    if (QtKey < 0x20 || QtKey > 0xFFFF)
        return -1;
    if (ctrl)
        return QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z ? QtKey - Qt::Key_A + 1
               : QtKey == Qt::Key_Space                 ? 32
                                                        : -1;
    // Qt names a letter key by its upper-case character.
    return shift ? QtKey : int(QChar::toLower(char32_t(QtKey)));
}

TCellKey ClassifyKey(const QKeyEvent* Event) {
    return ClassifyKey(Event, QGuiApplication::mouseButtons());
}

TCellKey ClassifyKey(const QKeyEvent* Event, Qt::MouseButtons Buttons) {
    TCellKey k;
    const int key = Event->key();
    const Qt::KeyboardModifiers m = Event->modifiers();
    k.VirtualKey = VirtualKeyOf(key, m);
    k.Class = ModifierClass(m, Buttons);
    k.Ctrl = m & Qt::ControlModifier;
    k.Character = CharacterOf(key, m);
    return k;
}

bool SendCellKey(QWidget* Sender, std::uint32_t WParam, std::uint32_t LParam) {
    if (!Sender)
        return false;
    auto* receiver = dynamic_cast<MCellKeyReceiver*>(Sender->parentWidget());
    if (!receiver)
        return false;
    receiver->WMRowKey(WParam, LParam);
    return true;
}

bool IsArrowKey(int VirtualKey) {
    return VirtualKey >= VK_LEFT && VirtualKey <= VK_DOWN;
}

bool ButtonForwardsKey(const TCellKey& Key) {
    switch (Key.VirtualKey) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_INSERT:
    case VK_DELETE:
        return true;
    case 'Z':
    case 'X':
    case 'C':
    case 'V':
        return Key.Ctrl;
    default:
        return false;
    }
}

void SendKeyDown(QWidget* Sender, int Tag, const TCellKey& Key) {
    if (Key.Class >= kcPlain && Key.Class <= kcAlt)
        SendCellKey(Sender, CellKeyWParam(Key.VirtualKey, Key.Class), CellKeyLParam(Tag));
}

void SendCharacter(QWidget* Sender, int Tag, const TCellKey& Key) {
    if (Key.Character >= 0)
        SendCellKey(Sender, CellKeyWParam(Key.Character, kcChar), CellKeyLParam(Tag));
}
