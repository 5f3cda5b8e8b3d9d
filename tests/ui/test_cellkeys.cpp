// The classifier of the cell key message: virtual keys, modifier classes and typed characters, and
// the message reaching the parent row.
#include "tests/ui/ButtonTestSupport.h"

#include "ui/CellKeys.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

using buttontest::RecordingRow;

TEST(CellKeys, ClassifiesKeysAsTheRowsExpectThem) {
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier,
                                alt = Qt::AltModifier;
    const struct {
        int Key;
        Qt::KeyboardModifiers Mods;
        int Vk, Class, Char;
    } cases[] = {
        {Qt::Key_C, ctrl, 0x43, kcCtrl, 3},
        {Qt::Key_Z, ctrl, 0x5A, kcCtrl, 0x1A},
        {Qt::Key_Z, ctrl | shift, 0x5A, kcOther, 0x1A},
        {Qt::Key_A, none, 0x41, kcPlain, 'a'},
        {Qt::Key_A, shift, 0x41, kcShift, 'A'},
        {Qt::Key_A, alt, 0x41, kcAlt, -1},
        {Qt::Key_Home, none, VK_HOME, kcPlain, -1},
        {Qt::Key_Home, Qt::KeypadModifier, VK_HOME, kcPlain, -1},
        {Qt::Key_Left, Qt::GroupSwitchModifier, VK_LEFT, kcPlain, -1},
        {Qt::Key_PageUp, shift, VK_PRIOR, kcShift, -1},
        {Qt::Key_PageDown, alt, VK_NEXT, kcAlt, -1},
        {Qt::Key_Insert, none, VK_INSERT, kcPlain, -1},
        {Qt::Key_Delete, ctrl, VK_DELETE, kcCtrl, -1},
        {Qt::Key_Space, none, VK_SPACE, kcPlain, 32},
        {Qt::Key_Return, none, VK_RETURN, kcPlain, 13},
        {Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN, kcPlain, 13},
        {Qt::Key_Escape, none, VK_ESCAPE, kcPlain, 27},
        {Qt::Key_Backspace, none, VK_BACK, kcPlain, 8},
        {Qt::Key_5, none, '5', kcPlain, '5'},
        {Qt::Key_5, Qt::KeypadModifier, VK_NUMPAD0 + 5, kcPlain, '5'},
        {Qt::Key_Minus, none, 0xBD, kcPlain, '-'},
        {Qt::Key_Plus, shift, 0xBB, kcShift, '+'},
        {Qt::Key_Exclam, shift, '1', kcShift, '!'},
        {Qt::Key_F2, none, VK_F1 + 1, kcPlain, -1},
        {0x0634, none, 0, kcPlain, 0x0634}, // a letter of the Arabic layout
        {Qt::Key_A, ctrl | Qt::MetaModifier, 0x41, kcOther, -1},
    };
    for (const auto& c : cases) {
        QKeyEvent e(QEvent::KeyPress, c.Key, c.Mods);
        const TCellKey k = ClassifyKey(&e, Qt::NoButton);
        EXPECT_EQ(k.VirtualKey, c.Vk) << std::hex << c.Key;
        EXPECT_EQ(k.Class, c.Class) << std::hex << c.Key;
        EXPECT_EQ(k.Character, c.Char) << std::hex << c.Key;
    }
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    EXPECT_EQ(ClassifyKey(&held, Qt::LeftButton).Class, kcOther) << "a mouse button counts as a modifier";
}

TEST(CellKeys, PacksAndReachesTheParentRow) {
    EXPECT_EQ(CellKeyWParam(0x43, kcCtrl), 0x00430002u);
    EXPECT_EQ(CellKeyWParam(3, kcChar), 0x00030000u);
    EXPECT_EQ(CellKeyLParam(7), 0x00070000u);
    EXPECT_EQ(CellTagOf(CellKeyLParam(-1)), -1);
    EXPECT_EQ(CellKeyOf(0x005A0002u), 0x5A);
    EXPECT_EQ(CellKeyClassOf(0x005A0002u), kcCtrl);

    RecordingRow row;
    QWidget cell(&row);
    EXPECT_TRUE(SendCellKey(&cell, 0x00240001u, 0x00070000u));
    ASSERT_EQ(row.Keys.size(), 1u);
    EXPECT_EQ(row.Keys[0], std::make_pair(0x00240001u, 0x00070000u));
    QWidget orphan;
    EXPECT_FALSE(SendCellKey(&orphan, 1, 0)) << "a parent that is no row gets nothing";

    // Ctrl+Shift+Z qualifies (Ctrl is among the modifiers) but its class sends nothing.
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    const TCellKey k = ClassifyKey(&e, Qt::NoButton);
    EXPECT_TRUE(ButtonForwardsKey(k));
    SendKeyDown(&cell, 7, k);
    EXPECT_EQ(row.Keys.size(), 1u);
    QKeyEvent z(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier);
    EXPECT_FALSE(ButtonForwardsKey(ClassifyKey(&z, Qt::NoButton))) << "Z alone is typed, not forwarded";
}
