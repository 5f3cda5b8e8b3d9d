// The flat button: its pixels in every look, the keys it handles and hands to its row, and the mouse.
#include "tests/ui/ButtonTestSupport.h"

#include "ui/FlatBtn.h"
#include "ui/GfxUtils.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>

using buttontest::RecordingRow;
using buttontest::ShowActive;

namespace {

struct Fixture {
    Fixture() {
        row.resize(200, 100);
        b = new TFlatBtn(&row);
        b->move(10, 10);
        other = new TFlatBtn(&row);
        other->move(60, 10);
        b->OnSelected = [this](QObject*) { Events += "S"; };
        b->OnClick = [this](QObject*) { Events += "C"; };
        ShowActive(row);
        b->setFocus();
    }
    RecordingRow row;
    TFlatBtn* b;
    TFlatBtn* other;
    std::string Events;
};

} // namespace

TEST(FlatBtn, PaintsTheFourFramePathsOfEachLook) {
    Fixture f;
    f.b->clearFocus();
    QImage raised = f.b->Render();
    EXPECT_EQ(PixelAt(raised, 0, 0), clWhite);
    EXPECT_EQ(PixelAt(raised, 1, 1), 0xDFDFDFu);
    EXPECT_EQ(PixelAt(raised, 0, 29), clBlack);
    EXPECT_EQ(PixelAt(raised, 29, 0), clBlack);
    EXPECT_EQ(PixelAt(raised, 28, 28), 0x7F7F7Fu);
    EXPECT_EQ(PixelAt(raised, 2, 2), ColorToRGB(clBtnFace));

    f.b->SetDownWhenSelected(true);
    f.b->SetSelected(true);
    QImage pressed = f.b->Render();
    EXPECT_EQ(PixelAt(pressed, 0, 0), clBlack);
    EXPECT_EQ(PixelAt(pressed, 1, 1), 0x7F7F7Fu);
    EXPECT_EQ(PixelAt(pressed, 29, 29), clWhite);
    EXPECT_EQ(PixelAt(pressed, 28, 28), 0xDFDFDFu);
    f.b->SetSelected(false);

    // Flat without focus and pointer: no frame, or the black border alone; the focus raises it.
    f.b->SetFlat(true);
    QImage flat = f.b->Render();
    EXPECT_EQ(PixelAt(flat, 0, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(flat, 29, 29), ColorToRGB(clBtnFace));
    f.b->SetBorderWhenFlat(true);
    QImage border = f.b->Render();
    EXPECT_EQ(PixelAt(border, 0, 0), clBlack);
    EXPECT_EQ(PixelAt(border, 29, 29), clBlack);
    EXPECT_EQ(PixelAt(border, 1, 1), ColorToRGB(clBtnFace));
    f.b->setFocus();
    QImage focused = f.b->Render();
    EXPECT_EQ(PixelAt(focused, 0, 0), clWhite);
    EXPECT_EQ(PixelAt(focused, 2, 2), 0xDFDFDFu) << "the focused colour";
    EXPECT_EQ(f.b->Color(), 0xDFDFDFu);

    // Cleared while selected: ClearColor and no caption, whatever Color is.
    f.b->SetCaption(QStringLiteral("W"));
    f.b->SetClearWhenSelected(true);
    f.b->SetDownWhenSelected(false);
    f.b->SetColor(0x00FF00);
    f.b->SetSelected(true);
    QImage cleared = f.b->Render();
    for (int y = 2; y < 28; ++y)
        for (int x = 2; x < 28; ++x)
            ASSERT_EQ(PixelAt(cleared, x, y), ColorToRGB(clBtnFace)) << x << "," << y;
    f.b->SetSelected(false);
    QImage shown = f.b->Render();
    bool ink = false;
    for (int y = 2; y < 28; ++y)
        for (int x = 2; x < 28; ++x)
            ink = ink || PixelAt(shown, x, y) != 0x00FF00u;
    EXPECT_TRUE(ink) << "the caption is drawn";
}

TEST(FlatBtn, HandsKeysToItsRow) {
    Fixture f;
    f.b->SetEnhanced(true);
    f.b->Tag = 7;
    const struct {
        int Key;
        Qt::KeyboardModifiers Mods;
        std::vector<std::uint32_t> Sent;
        const char* Events;
    } cases[] = {
        {Qt::Key_Z, Qt::ControlModifier, {0x005A0002u, 0x001A0000u}, ""},
        {Qt::Key_Home, Qt::NoModifier, {0x00240001u}, ""},
        {Qt::Key_Left, Qt::NoModifier, {0x00250001u}, ""},
        {Qt::Key_Delete, Qt::ShiftModifier, {0x002E0003u}, ""},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, {0x001A0000u}, ""}, // nothing for the key
        {Qt::Key_Space, Qt::NoModifier, {0x00200000u}, "SC"},
        {Qt::Key_Return, Qt::NoModifier, {0x000D0000u}, "SC"},
        {Qt::Key_A, Qt::NoModifier, {0x00610000u}, ""},
        {Qt::Key_F5, Qt::NoModifier, {}, ""},
    };
    for (const auto& c : cases) {
        f.row.Keys.clear();
        f.Events.clear();
        QTest::keyClick(f.b, Qt::Key(c.Key), c.Mods);
        std::vector<std::uint32_t> sent;
        for (const auto& [w, l] : f.row.Keys) {
            sent.push_back(w);
            EXPECT_EQ(l, 0x00070000u);
        }
        EXPECT_EQ(sent, c.Sent) << std::hex << c.Key;
        EXPECT_EQ(f.Events, c.Events) << std::hex << c.Key;
        EXPECT_TRUE(f.b->hasFocus()) << "the arrows never move the focus";
    }
    // Space clicks before the character goes to the row.
    f.row.Keys.clear();
    f.b->OnClick = [&f](QObject*) { f.Events += f.row.Keys.empty() ? "C" : "late"; };
    f.Events.clear();
    QTest::keyClick(f.b, Qt::Key_Space);
    EXPECT_EQ(f.Events, "SC");

    // Without Enhanced nothing is sent; the arrows are still kept from navigation.
    f.b->SetEnhanced(false);
    f.row.Keys.clear();
    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        e.ignore();
        QApplication::sendEvent(f.b, &e);
        EXPECT_TRUE(e.isAccepted()) << key;
    }
    QTest::keyClick(f.b, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(f.row.Keys.empty());
    EXPECT_TRUE(f.b->hasFocus());
}

TEST(FlatBtn, ClicksOnlyOnAReleaseInsideAndFollowsThePointer) {
    Fixture f;
    const struct {
        QPoint Release;
        bool Click;
    } cases[] = {{{29, 29}, true}, {{30, 10}, false}, {{10, 30}, false}, {{0, 1}, true}, {{-1, 5}, false}};
    for (const auto& c : cases) {
        const bool was = f.b->Selected();
        f.Events.clear();
        QTest::mousePress(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_TRUE(f.b->IsDown());
        EXPECT_TRUE(f.b->Pressed());
        QTest::mouseRelease(f.b, Qt::LeftButton, {}, c.Release);
        EXPECT_FALSE(f.b->IsDown());
        EXPECT_EQ(f.Events, c.Click ? "SC" : "") << c.Release.x() << "," << c.Release.y();
        EXPECT_EQ(f.b->Selected(), c.Click ? !was : was);
    }
    // While held, the pressed look follows the pointer across the edge.
    QTest::mousePress(f.b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(f.b, QPoint(40, 5));
    EXPECT_FALSE(f.b->IsDown());
    EXPECT_EQ(PixelAt(f.b->Render(), 0, 0), clWhite) << "raised again";
    QTest::mouseMove(f.b, QPoint(6, 6));
    EXPECT_TRUE(f.b->IsDown());
    QTest::mouseMove(f.b, QPoint(40, 5));
    f.Events.clear();
    QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(40, 5));
    EXPECT_EQ(f.Events, "");

    // A press on a button that cannot take the focus is dropped.
    QWidget hidden;
    TFlatBtn lonely(&hidden);
    QTest::mousePress(&lonely, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(lonely.Pressed());
    QTest::mouseRelease(&lonely, Qt::LeftButton, {}, QPoint(5, 5));
    // A press on another button moves the focus there first.
    QTest::mouseClick(f.other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(f.other->hasFocus());
    EXPECT_TRUE(f.other->Selected());
    EXPECT_EQ(f.b->Color(), clBtnFace) << "the focus colour went with the focus";
}
