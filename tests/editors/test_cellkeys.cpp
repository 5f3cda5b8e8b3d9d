// The text cells: their key tables over the classifier of the cell key message, the number cell's and
// the carrier cells' typing, the Latin reading of a non-Latin layout and the input guards.
#include "tests/editors/CellTestSupport.h"

#include "editors/CellInput.h"
#include "editors/MoukikEdit_m.h"
#include "editors/MoukikMemo_m.h"
#include "editors/NumEdit_m.h"
#include "model/UColors.h"
#include "ui/BiDi.h"
#include "ui/KeyboardLayout.h"

#include <QMimeData>

#include <gtest/gtest.h>

using celltest::Press;
using celltest::RowWindow;
using celltest::Type;

namespace {
using Keys = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

const Qt::KeyboardModifiers None = Qt::NoModifier, Ctrl = Qt::ControlModifier, Shift = Qt::ShiftModifier,
                            Alt = Qt::AltModifier;

// A keyboard with both layouts installed: the cells then read every key as it comes.
class EnglishInstalled : public MKeyboardBackend {
public:
    QList<unsigned> InstalledLayouts() const override { return {ArabicLayoutId, EnglishLayoutId}; }
    unsigned ActiveLayout() const override { return ArabicLayoutId; }
    bool ActivateLayout(unsigned) override { return true; }
    bool LoadLayout(unsigned) override { return true; }
};

struct BackendGuard {
    explicit BackendGuard(std::unique_ptr<MKeyboardBackend> B) {
        MKeyboardLayouts::Instance().SetBackend(std::move(B));
    }
    ~BackendGuard() { MKeyboardLayouts::Instance().SetBackend(nullptr); }
};

MNumEdit* NumberCell(RowWindow& W, int Tag = 3) {
    auto* cell = new MNumEdit(nullptr, W.RowWidget);
    cell->Tag = Tag;
    cell->SetEnhanced(true);
    cell->setGeometry(10, 10, 60, 24);
    cell->show();
    cell->setFocus();
    return cell;
}
} // namespace

TEST(CellKeyTables, SendConsumeOrLeaveByTableAndModifiers) {
    const struct {
        int Key;
        Qt::KeyboardModifiers Mods;
        TCellKeyAction Edit, Box;
    } cases[] = {
        {Qt::Key_Up, None, kaSend, kaSend},
        {Qt::Key_Down, Ctrl | Shift, kaConsume, kaConsume},
        {Qt::Key_PageDown, Alt, kaSend, kaSend},
        {Qt::Key_Delete, Ctrl, kaSend, kaSend},
        {Qt::Key_Insert, Shift, kaSend, kaSend},
        {Qt::Key_Left, None, kaLeave, kaSend}, // the caret's in an edit, the row's in a box
        {Qt::Key_Right, Ctrl, kaSend, kaSend},
        {Qt::Key_Left, Shift, kaLeave, kaSend},
        {Qt::Key_C, Ctrl, kaSend, kaSend},
        {Qt::Key_V, Ctrl | Alt, kaConsume, kaConsume},
        {Qt::Key_C, None, kaLeave, kaLeave},
        {Qt::Key_A, Ctrl, kaLeave, kaLeave},
        {Qt::Key_Return, None, kaLeave, kaLeave},
        {Qt::Key_Home, Qt::KeypadModifier, kaSend, kaSend},
    };
    for (const auto& c : cases) {
        QKeyEvent e(QEvent::KeyPress, c.Key, c.Mods);
        const TCellKey k = ClassifyCellKey(&e, false, Qt::NoButton);
        EXPECT_EQ(CellKeyAction(EditCellForwardsKey(k), k), c.Edit) << std::hex << c.Key << " " << c.Mods;
        EXPECT_EQ(CellKeyAction(BoxCellForwardsKey(k), k), c.Box) << std::hex << c.Key << " " << c.Mods;
    }
}

TEST(NumberCell, HandsKeysToItsRowAsTheRowExpectsThem) {
    RowWindow w;
    MNumEdit* cell = NumberCell(w);
    auto& row = *w.RowWidget;

    EXPECT_TRUE(Press(cell, Qt::Key_C, Ctrl));
    EXPECT_EQ(row.Keys, (Keys{{0x00430002u, 0x00030000u}, {0x00030000u, 0x00030000u}}));
    row.Keys.clear();

    // A key of the table with another combination is swallowed without a message.
    EXPECT_TRUE(Press(cell, Qt::Key_Down, Ctrl | Shift));
    EXPECT_TRUE(row.Keys.empty());

    // A plain Left moves the caret.
    cell->setText(QStringLiteral("12"));
    cell->setCursorPosition(2);
    Press(cell, Qt::Key_Left);
    EXPECT_TRUE(row.Keys.empty());
    EXPECT_EQ(cell->cursorPosition(), 1);

    Press(cell, Qt::Key_Return, None, QStringLiteral("\r"));
    Press(cell, Qt::Key_Minus, None, QStringLiteral("-"));
    Press(cell, Qt::Key_Escape);
    Press(cell, Qt::Key_Delete, Shift);
    EXPECT_EQ(row.Keys, (Keys{{0x000D0000u, 0x00030000u},
                              {0x002D0000u, 0x00030000u},
                              {0x001B0000u, 0x00030000u},
                              {0x002E0003u, 0x00030000u}}));
    EXPECT_EQ(cell->text(), QStringLiteral("12"));

    // Without Enhanced nothing goes to the row: Delete deletes, a letter is refused.
    row.Keys.clear();
    cell->SetEnhanced(false);
    cell->setCursorPosition(0);
    Press(cell, Qt::Key_Delete);
    Type(cell, QStringLiteral("x"));
    EXPECT_EQ(cell->text(), QStringLiteral("2"));
    EXPECT_TRUE(row.Keys.empty());
}

TEST(NumberCell, TypesDigitsSignsAndSpaceByItsRules) {
    const struct {
        const char* Name;
        const char* Start;
        bool SelectAll;
        bool Signed;
        int Digits;
        const char* Typed;
        const char* After;
    } cases[] = {
        {"full: a digit is refused", "1234", false, false, 4, "5", "1234"},
        {"all selected: a digit replaces", "1234", true, false, 4, "5", "5"},
        {"the sign does not count", "-123", false, true, 3, "4", "-123"},
        {"below the limit", "-12", false, true, 3, "4", "-124"},
        {"minus in front", "12", false, true, 4, "-", "-12"},
        {"plus replaces minus, Space flips", "12", false, true, 4, "-+ ", "-12"},
        {"Space puts a minus in front", "12", false, true, 4, " ", "-12"},
        {"a sign typed into an empty cell", "", false, true, 4, "+7", "+7"},
        {"unsigned: no sign, no Space", "12", false, false, 4, "- +", "12"},
        {"letters are refused", "", false, true, 4, "a1b", "1"},
    };
    RowWindow w;
    MNumEdit* cell = NumberCell(w);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        cell->SetSigned(c.Signed);
        cell->SetNumOfDigit(c.Digits);
        cell->setText(QString::fromUtf8(c.Start));
        if (c.SelectAll)
            cell->selectAll();
        Type(cell, QString::fromUtf8(c.Typed));
        EXPECT_EQ(cell->text(), QString::fromUtf8(c.After));
    }
    // Backspace always works.
    cell->setText(QStringLiteral("1234"));
    Press(cell, Qt::Key_Backspace, None, QStringLiteral("\b"));
    EXPECT_EQ(cell->text(), QStringLiteral("123"));
    // A digit typed with the caret in front of the sign goes after it, so the text stays a number.
    cell->SetSigned(true);
    cell->setText(QStringLiteral("-12"));
    cell->setCursorPosition(0);
    Type(cell, QStringLiteral("9"));
    EXPECT_EQ(cell->text(), QStringLiteral("-912"));

    // Value: the text as a number, 0 for anything else (a pasted text too).
    const struct {
        const char* Text;
        int Value;
    } values[] = {
        {"", 0},           {"+", 0},           {"-", 0},   {"+15", 15}, {"-2147483648", -2147483648},
        {"2147483648", 0}, {"99999999999", 0}, {"12a", 0}, {"١٢", 0}};
    for (const auto& v : values) {
        cell->setText(QString::fromUtf8(v.Text));
        EXPECT_EQ(cell->Value(), v.Value) << v.Text;
    }
    cell->SetValue(-40);
    EXPECT_EQ(cell->text(), QStringLiteral("-40"));
}

TEST(NumberCell, FocusColours) {
    RowWindow w;
    MNumEdit* cell = NumberCell(w);
    auto* other = new MNumEdit(nullptr, w.RowWidget);
    other->show();
    EXPECT_TRUE(cell->FocusShown());
    EXPECT_EQ(cell->Color(), 0xF0C8F0u);
    EXPECT_EQ(cell->palette().color(QPalette::Base), QColor(0xF0, 0xC8, 0xF0));
    other->setFocus();
    EXPECT_FALSE(cell->FocusShown());
    EXPECT_EQ(cell->Color(), 0xFFFFFFu);
    cell->SetNonFocusColor(0x00FF00);
    EXPECT_EQ(cell->Color(), 0x00FF00u);
    cell->SetFocusColor(0x0000FF); // stored, shown at the next focus
    EXPECT_EQ(cell->Color(), 0x00FF00u);
    cell->setFocus();
    EXPECT_EQ(cell->Color(), 0x0000FFu);
}

TEST(CarrierCells, ToggleCarriersByDigit) {
    const struct {
        const char* Start;
        int Digits;
        const char* Typed;
        const char* After;
    } cases[] = {
        {"135", 8, "3", "15"},
        {"135", 8, "2", "1235"},
        {"135", 8, "9", "135"},
        {"13", 2, "1", "13"},
        {"1", 2, "3", "13"},
        {"", 8, "8315", "1358"},
        {"881", 8, "8", "1"},
        {"1234567812", 10, "2", "12345678122"},
        {"1234567", 10, "9", "1234567"},
    };
    RowWindow w;
    auto* edit = new MMoukikEdit(nullptr, w.RowWidget);
    auto* memo = new MMoukikMemo(nullptr, w.RowWidget);
    for (QWidget* c : {static_cast<QWidget*>(edit), static_cast<QWidget*>(memo)})
        c->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Start) + " + " + c.Typed);
        edit->SetNumOfDigit(c.Digits);
        edit->setText(QString::fromUtf8(c.Start));
        edit->end(false);
        Type(edit, QString::fromUtf8(c.Typed));
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.After));
        memo->SetNumOfDigit(c.Digits);
        memo->SetText(QString::fromUtf8(c.Start));
        Type(memo, QString::fromUtf8(c.Typed));
        EXPECT_EQ(memo->Text(), QString::fromUtf8(c.After));
    }
    // A pasted "881" holds carriers 1 and 8.
    memo->SetText(QStringLiteral("881"));
    EXPECT_TRUE(memo->Carrier(1) && memo->Carrier(8) && !memo->Carrier(2));
    EXPECT_EQ(memo->Value(), 881);
    edit->SetValue(0);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(edit->Value(), 0);
    edit->SetValue(135);
    EXPECT_TRUE(edit->Carrier(1) && edit->Carrier(3) && edit->Carrier(5) && !edit->Carrier(2));

    // With Enhanced, anything but a carrier digit goes to the row and is not typed.
    edit->Tag = 7;
    edit->SetEnhanced(true);
    edit->setText(QStringLiteral("1"));
    Type(edit, QStringLiteral("9a"));
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
    EXPECT_EQ(w.RowWidget->Keys, (Keys{{0x00390000u, 0x00070000u}, {0x00610000u, 0x00070000u}}));
}

TEST(CarrierCells, MemoExchangesItsSetAndLeavesTheValueByteAlone) {
    RowWindow w;
    auto* memo = new MMoukikMemo(nullptr, w.RowWidget);
    memo->show();
    MffMap carriers;
    carriers.SetBit(0, 1);
    carriers.SetBit(2, 1);
    carriers.Value = 7;
    memo->SetBitsMap(carriers);
    EXPECT_EQ(memo->Text(), QStringLiteral("13"));
    Type(memo, QStringLiteral("21"));
    EXPECT_EQ(memo->Text(), QStringLiteral("23"));
    carriers.Assign(memo->GetBitsMap());
    EXPECT_EQ(carriers.Value, 7);
    EXPECT_EQ(carriers.BitText(0, 7), QStringLiteral("01100000"));
}

TEST(CellKeys, ArabicLayoutReadsAsLatinWhenEnglishCannotBeSelected) {
    EXPECT_EQ(LatinKeyOfScanCode(38), int(Qt::Key_A));
    EXPECT_EQ(LatinKeyOfScanCode(10), int(Qt::Key_1));
    EXPECT_EQ(LatinKeyOfScanCode(19), int(Qt::Key_0));
    EXPECT_EQ(LatinKeyOfScanCode(58), int(Qt::Key_M));
    EXPECT_EQ(LatinKeyOfScanCode(9), 0);
    EXPECT_EQ(LatinKeyOfCharacter(0x0634), int(Qt::Key_A));
    EXPECT_EQ(LatinKeyOfCharacter(0x0663), int(Qt::Key_3));
    EXPECT_EQ(LatinKeyOfCharacter(0x00E9), 0);

    RowWindow w;
    MNumEdit* cell = NumberCell(w, 5);
    const QString sheen = QString(QChar(0x0634)), three = QString(QChar(0x0663));
    {
        // Offscreen the keyboard service has no layouts: the fallback is on.
        ASSERT_TRUE(LatinFallbackActive());
        Press(cell, 0x0634, None, sheen);
        Press(cell, 0x0663, None, three);
        Press(cell, 0x0624, Ctrl, QString()); // the C key
        EXPECT_EQ(cell->text(), QStringLiteral("3"));
        EXPECT_EQ(w.RowWidget->Keys,
                  (Keys{{0x00610000u, 0x00050000u}, {0x00430002u, 0x00050000u}, {0x00030000u, 0x00050000u}}));
    }
    w.RowWidget->Keys.clear();
    {
        BackendGuard english(std::make_unique<EnglishInstalled>());
        EXPECT_FALSE(LatinFallbackActive());
        Press(cell, 0x0634, None, sheen);
        EXPECT_EQ(w.RowWidget->Keys, (Keys{{0x06340000u, 0x00050000u}}));
    }
    // Latin keys are never touched.
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Eacute, None, QStringLiteral("é"));
    EXPECT_EQ(ClassifyCellKey(&e, true, Qt::NoButton).Character, 0xE9);
}

namespace {
class ClaimingRow : public celltest::Row, public MShortcutClaimer {
public:
    using Row::Row;
    bool ClaimsShortcut(const QKeyEvent& Event) const override {
        return Event.key() == Qt::Key_C && Event.modifiers() == Qt::ControlModifier;
    }
    int Overrides = 0;

protected:
    bool event(QEvent* Event) override {
        if (Event->type() == QEvent::ShortcutOverride && ClaimsShortcut(*static_cast<QKeyEvent*>(Event))) {
            ++Overrides;
            Event->accept();
            return true;
        }
        return Row::event(Event);
    }
};
} // namespace

TEST(CellGuards, NoContextMenuPasteOrDropAndClaimedShortcutsPass) {
    RowWindow w;
    auto* row = new ClaimingRow(w.RowWidget);
    row->setGeometry(0, 0, 300, 100);
    row->show();
    auto* cell = new MNumEdit(nullptr, row);
    auto* memo = new MMoukikMemo(nullptr, row);
    memo->move(0, 40);
    cell->show();
    memo->show();
    cell->setText(QStringLiteral("12"));
    for (QWidget* c : {static_cast<QWidget*>(cell), static_cast<QWidget*>(memo->viewport())}) {
        SCOPED_TRACE(c->metaObject()->className());
        // A right click reaches the row's module menu.
        const int before = row->ContextMenus;
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2), c->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(c, &menu);
        EXPECT_EQ(row->ContextMenus, before + 1);
        // A middle click is not the cell's.
        QMouseEvent middle(QEvent::MouseButtonRelease, QPointF(2, 2), c->mapToGlobal(QPointF(2, 2)),
                           Qt::MiddleButton, Qt::NoButton, Qt::NoModifier);
        middle.setAccepted(true);
        QApplication::sendEvent(c, &middle);
        EXPECT_FALSE(middle.isAccepted());
        // A text dropped on it is refused.
        QMimeData data;
        data.setText(QStringLiteral("999"));
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c, &drop);
        EXPECT_FALSE(drop.isAccepted());
    }
    EXPECT_FALSE(cell->acceptDrops());
    EXPECT_EQ(cell->text(), QStringLiteral("12"));
    EXPECT_TRUE(memo->Text().isEmpty());

    // The edit takes the override of its own keys, but not of one its container claims.
    QKeyEvent claimed(QEvent::ShortcutOverride, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    claimed.ignore();
    QApplication::sendEvent(cell, &claimed);
    EXPECT_TRUE(claimed.isAccepted());
    EXPECT_EQ(row->Overrides, 1);
    QKeyEvent own(QEvent::ShortcutOverride, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    own.ignore();
    QApplication::sendEvent(cell, &own);
    EXPECT_TRUE(own.isAccepted());
    EXPECT_EQ(row->Overrides, 1);
}
