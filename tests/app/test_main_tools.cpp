// The drawing toolbars: the bus messages of their controls, the colour swatches and read-out, the
// brush, pen and width drop-downs with their glyphs, pictures that cannot be read, and the Arabic
// width menu.

#include "tests/app/MainToolsSupport.h"
#include "tests/support/ScriptedMessages.h"

#include "app/BusCodes.h"
#include "editors/ColorsPanel_m.h"
#include "platform/AppFolder.h"
#include "platform/ColorQt.h"
#include "ui/DockToolBar_m.h"
#include "ui/Image_m.h"
#include "ui/PopupMenu_m.h"
#include "ui/label_m.h"
#include "ui/shape_m.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace maintools;

namespace {

// The application folder for the time of a test.
struct AppFolderScope {
    explicit AppFolderScope(const QString& Folder) : Old(AppFolder()) { SetAppFolder(Folder); }
    ~AppFolderScope() { SetAppFolder(Old); }
    QString Old;
};

// A glyph as the pictures are read: 32-bit RGB.
QImage Rgb(const QImage& Image) {
    return Image.convertToFormat(QImage::Format_RGB32);
}

QString StationResources() {
    return kdstest::SourcePath(QStringLiteral("resources/"));
}

class MainToolbars : public ::testing::Test {
protected:
    explicit MainToolbars(int Language = LanguageEnglish) : Lang(Language) {}
    void SetUp() override {
        Frame = std::make_unique<ToolsFrame>(Lang.Pack(), Lang.Pack().LanguageNumber(), Host);
    }
    TMainToolbars& Tools() { return *Frame->Tools; }

    AppFolderScope Folder{StationResources()};
    kdstest::MScriptedMessages Messages;
    Languages Lang;
    RecordingHost Host;
    std::unique_ptr<ToolsFrame> Frame;
};

TEST_F(MainToolbars, StartWithTheDefaultStateAndEveryPicture) {
    EXPECT_TRUE(Messages.Coded.empty());
    const DrawingToolState& s = Tools().ToolState();
    EXPECT_EQ((std::array{s.ToolFamily, s.Tool, s.PenWidth, s.PenStyle, s.BrushStyle}),
              (std::array{1, 8, 1, 0, 0}));
    EXPECT_EQ(s.PenColor, 0x000000u);
    EXPECT_EQ(s.BrushColor, 0x00BB00u);
    DrawingToolState window{4, 5, 3, 2, 6, 0x123456, 0x654321};
    Tools().ApplyToolsToWindow(window);
    EXPECT_EQ(window.Tool, 8);
    EXPECT_EQ(window.BrushColor, 0x00BB00u);
    EXPECT_EQ(window.PenWidth, 1);

    EXPECT_TRUE(Tools().BtnPen->Down());
    EXPECT_FALSE(Tools().btnUndo->isEnabled());
    EXPECT_EQ(Tools().ShapeBackClr->Brush().color(), QColor(0, 0xBB, 0));
    EXPECT_EQ(Tools().LabelRValue->text(), QStringLiteral("0"));
    for (int i = 0; i < GlyphCount; ++i)
        EXPECT_FALSE(Tools().GlyphImage(i).isNull()) << GlyphFileNames[i];
    EXPECT_EQ(Rgb(Tools().Thick->Glyph()), Tools().GlyphImage(WidthGlyphFirst));
    EXPECT_EQ(Tools().MToolBarDrawing->DockedTo(), Frame->Up);
    EXPECT_EQ(Tools().MToolBarBrushes->DockedTo(), Frame->Right);
}

TEST_F(MainToolbars, ThePenColourReservedForEmptyCellsIsSentAsItsSubstitute) {
    Host.DialogColor = 0xFF0000; // pure blue
    QTest::mouseClick(Tools().ShapeForeClr, Qt::LeftButton);
    ASSERT_EQ(Host.Sent, (std::vector<Message>{{bus::GroupColor, bus::CmdPenColor, 0xFE0000, 0}}));
    EXPECT_EQ(Tools().ShapeForeClr->Brush().color(), QColor(0, 0, 255));
    EXPECT_EQ(
        (QStringList{Tools().LabelRValue->text(), Tools().LabelGValue->text(), Tools().LabelBValue->text()}),
        (QStringList{"0", "0", "255"}));

    // A cancelled dialog changes nothing; the brush swatch sends on its own command.
    Host.Sent.clear();
    Host.DialogColor.reset();
    QTest::mouseClick(Tools().ShapeBackClr, Qt::LeftButton);
    EXPECT_TRUE(Host.Sent.empty());
    EXPECT_EQ(Tools().ShapeBackClr->Brush().color(), QColor(0, 0xBB, 0));
    Host.DialogColor = RGB(10, 20, 30);
    QTest::mouseClick(Tools().ShapeBackClr, Qt::LeftButton);
    EXPECT_EQ(Host.Sent,
              (std::vector<Message>{{bus::GroupColor, bus::CmdBrushColor, int(RGB(10, 20, 30)), 0}}));

    // Exchanging the swatches: the blue on the brush swatch goes out as its substitute as well.
    Host.Sent.clear();
    QTest::mouseClick(Tools().ImageForeBack, Qt::LeftButton);
    EXPECT_EQ(Host.Sent, (std::vector<Message>{{bus::GroupColor, bus::CmdPenColor, int(RGB(10, 20, 30)), 0},
                                               {bus::GroupColor, bus::CmdBrushColor, 0xFE0000, 0}}));
    EXPECT_EQ(Tools().ShapeBackClr->Brush().color(), QColor(0, 0, 255));
    EXPECT_EQ(Tools().LabelRValue->text(), QStringLiteral("10"));
}

TEST_F(MainToolbars, ThePaletteGridPicksThePenWithTheLeftButtonAndTheBrushWithTheRight) {
    MColorsPanel* grid = Tools().MColorsPanel1;
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->size(), QSize(83, 167));
    const MPalette palette;
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(79, 10));
    QTest::mouseClick(grid, Qt::RightButton, {}, QPoint(4, 163));
    EXPECT_EQ(Host.Sent,
              (std::vector<Message>{{bus::GroupColor, bus::CmdPenColor, int(palette.Color(3)), 0},
                                    {bus::GroupColor, bus::CmdBrushColor, int(palette.Color(28)), 0}}));
    EXPECT_EQ(Tools().ShapeForeClr->Brush().color(), toQColor(palette.Color(3)));
}

TEST_F(MainToolbars, EachDropDownEntrySendsItsStyleAndShowsItsGlyph) {
    struct Case {
        MPopupMenu* Menu;
        MDockToolBarButton* Button;
        int Entry;
        Message Sent;
        const char* Glyph;
    };
    TMainToolbars& t = Tools();
    const std::vector<Case> cases{
        {t.BrushMenu, t.Brush, 2, {201, 204, 6, 0}, "B_bsCross.bmp"},
        {t.BrushMenu, t.Brush, 1, {201, 204, 7, 0}, "B_bsDiagCross.bmp"},
        {t.BrushMenu, t.Brush, 5, {201, 204, 2, 0}, "B_bsHorizontal.bmp"},
        {t.PenMenu, t.Pen, 1, {201, 203, 1, 0}, "B_psDash.bmp"},
        {t.WidthMenu, t.Thick, 4, {201, 202, 5, 0}, "B_width5.bmp"},
        {t.WidthMenu, t.Thick, 0, {201, 202, 1, 0}, "B_width1.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Glyph);
        Host.Sent.clear();
        c.Menu->actions().at(c.Entry)->trigger();
        EXPECT_EQ(Host.Sent, std::vector<Message>{c.Sent});
        EXPECT_EQ(Rgb(c.Button->Glyph()), LoadToolbarGlyph(QString::fromLatin1(c.Glyph)));
    }
    EXPECT_EQ(t.BrushMenu->actions().at(2)->data().toInt(), 1476);
    EXPECT_EQ(t.WidthMenu->actions().at(4)->data().toInt(), 1488);

    // Another window's menu with the same command numbers is not ours.
    Host.Sent.clear();
    MPopupMenu foreign(nullptr);
    foreign.addAction(QStringLiteral("x"))->setData(1476);
    TDropdownList::Instance().AddMenu(&foreign);
    foreign.actions().at(0)->trigger();
    EXPECT_TRUE(Host.Sent.empty());
    EXPECT_EQ(Rgb(t.Brush->Glyph()), LoadToolbarGlyph(QStringLiteral("B_bsHorizontal.bmp")));
}

TEST_F(MainToolbars, ButtonsSendTheirMessagesAndPasteSwitchesToTheSelection) {
    TMainToolbars& t = Tools();
    const std::vector<std::pair<MDockToolBarButton*, std::vector<Message>>> cases{
        {t.BtnPaste, {{1, 69, 1, 1}, {401, 0, 32, 0}}},
        {t.BtnFillSompa, {{401, 11, 12, 0}}},
        {t.BtnEraserClr, {{401, 1, 10, 0}}},
        {t.BtnAmp, {{101, 102, 0, 0}}},
        {t.BtnRot270, {{1, 55, 0, 0}}},
        {t.btnHome, {{101, 106, 0, 0}}},
    };
    for (const auto& [button, sent] : cases) {
        Host.Sent.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(Host.Sent, sent) << button->Hint().toStdString();
    }
    Host.Sent.clear();
    QTest::mouseClick(t.BtnPaste, Qt::LeftButton);
    EXPECT_TRUE(t.BtnSelect->Down());
    EXPECT_FALSE(t.BtnPen->Down());

    // The grid colour keeps its colour as it is chosen; a cancelled dialog sends nothing.
    Host.Sent.clear();
    Host.DialogColor = 0xFF0000;
    QTest::mouseClick(t.BtnGridClr, Qt::LeftButton);
    Host.DialogColor.reset();
    QTest::mouseClick(t.BtnGridClr, Qt::LeftButton);
    EXPECT_EQ(Host.Sent, (std::vector<Message>{{101, 105, 0xFF0000, 0}}));

    // The seams of the selection dialogs: nothing is shown and nothing sent until they exist.
    Host.Sent.clear();
    QTest::mouseClick(t.BtnPasteMuiti, Qt::LeftButton);
    EXPECT_TRUE(Host.Sent.empty());
}

TEST_F(MainToolbars, StatusReadOutAndPatternSample) {
    Tools().SetXY(12, 7);
    EXPECT_EQ(Host.X.text(), QStringLiteral("X:12"));
    EXPECT_EQ(Host.Y.text(), QStringLiteral("Y:7"));

    // Without a drawing that copied its selection the sample stays as it was.
    Host.Answer = bus::NoAnswer;
    const QPixmap before = Tools().MImagePattern->Picture();
    QTest::mouseDClick(Tools().MImagePattern, Qt::LeftButton);
    EXPECT_EQ(Host.Sent, (std::vector<Message>{{201, 205, 0, 0}}));
    EXPECT_EQ(Tools().MImagePattern->Picture().toImage(), before.toImage());
    Host.Answer = 0;
    QTest::mouseDClick(Tools().MImagePattern, Qt::LeftButton);
    EXPECT_FALSE(Tools().MImagePattern->Picture().isNull());
}

// ---- Pictures that cannot be read.

TEST(MainToolbarPictures, AMissingOrUnreadableGlyphIsShownOnceAndTheToolbarsStillStand) {
    QTemporaryDir dir;
    const QString toolbars = dir.filePath(QStringLiteral("Bitmaps/Toolbars"));
    ASSERT_TRUE(QDir().mkpath(toolbars));
    const QDir source(kdstest::SourcePath(QStringLiteral("resources/Bitmaps/Toolbars")));
    for (const QString& name : source.entryList(QDir::Files)) {
        if (name != QStringLiteral("B_width3.bmp")) {
            ASSERT_TRUE(QFile::copy(source.filePath(name), QDir(toolbars).filePath(name)));
        }
    }
    QFile::remove(QDir(toolbars).filePath(QStringLiteral("B_psDot.bmp")));
    kdstest::WriteFile(QDir(toolbars).filePath(QStringLiteral("B_psDot.bmp")), "BM not a picture");

    AppFolderScope folder(dir.path() + QLatin1Char('/'));
    kdstest::MScriptedMessages messages;
    Languages lang(LanguageEnglish);
    RecordingHost host;
    ToolsFrame frame(lang.Pack(), LanguageEnglish, host);
    ASSERT_EQ(messages.Coded.size(), 2u);
    for (const auto& shown : messages.Coded) {
        EXPECT_EQ(shown.Code, 11);
        EXPECT_EQ(shown.SubCode, 3350);
    }
    EXPECT_TRUE(messages.Coded[0].Args.endsWith(QStringLiteral("B_psDot.bmp")));
    EXPECT_TRUE(messages.Coded[1].Args.endsWith(QStringLiteral("B_width3.bmp")));
    EXPECT_TRUE(frame.Tools->GlyphImage(WidthGlyphFirst + 2).isNull());
    EXPECT_TRUE(frame.Tools->GlyphImage(PenGlyphFirst + 2).isNull());
    EXPECT_TRUE(frame.Tools->WidthMenu->actions().at(2)->icon().isNull());

    // The entry without a picture still works and puts its empty picture on the button.
    frame.Tools->WidthMenu->actions().at(2)->trigger();
    EXPECT_EQ(host.Sent, (std::vector<Message>{{201, 202, 3, 0}}));
    EXPECT_TRUE(frame.Tools->Thick->Glyph().isNull());
}

// ---- The Arabic width menu.

// The columns of a menu item's glyph (its white strip marks them) and of its text's dark pixels.
struct ItemInk {
    int GlyphLeft, GlyphRight, TextLeft, TextRight;
};
ItemInk Ink(const QImage& Image, const QRect& Item) {
    ItemInk ink{Image.width(), -1, Image.width(), -1};
    for (int x = Item.left(); x <= Item.right(); ++x)
        for (int y = Item.top(); y <= Item.bottom(); ++y)
            if (Image.pixel(x, y) == qRgb(255, 255, 255)) {
                ink.GlyphLeft = std::min(ink.GlyphLeft, x);
                ink.GlyphRight = std::max(ink.GlyphRight, x);
            }
    for (int y = Item.top(); y <= Item.bottom(); ++y)
        for (int x = Item.left(); x <= Item.right(); ++x)
            if ((x < ink.GlyphLeft - 3 || x > ink.GlyphRight + 3) && qGray(Image.pixel(x, y)) < 100) {
                ink.TextLeft = std::min(ink.TextLeft, x);
                ink.TextRight = std::max(ink.TextRight, x);
            }
    return ink;
}

// In Arabic the width menu runs from the right: each glyph at the item's right, its text ending
// next to it; in English the other way round.
TEST(MainToolbarMenus, TheArabicWidthMenusTextsEndAtItsRight) {
    AppFolderScope folder(StationResources());
    for (const int language : {LanguageArabic, LanguageEnglish}) {
        SCOPED_TRACE(language == LanguageArabic ? "Arabic" : "English");
        Languages lang(language);
        RecordingHost host;
        ToolsFrame frame(lang.Pack(), language, host);
        MPopupMenu* menu = frame.Tools->WidthMenu;
        emit menu->aboutToShow();
        menu->adjustSize();
        const QImage image = menu->grab().toImage();
        EXPECT_EQ(menu->actions().at(0)->text(),
                  language == LanguageArabic ? QStringLiteral("عرض 1") : QStringLiteral("Width 1"));
        const ItemInk first = Ink(image, menu->actionGeometry(menu->actions().at(0)));
        for (QAction* a : menu->actions()) {
            const ItemInk ink = Ink(image, menu->actionGeometry(a));
            ASSERT_GE(ink.TextRight, ink.TextLeft);
            ASSERT_GE(ink.GlyphRight, ink.GlyphLeft);
            if (language == LanguageArabic) {
                EXPECT_LT(ink.TextRight, ink.GlyphLeft);
                EXPECT_NEAR(ink.TextRight, first.TextRight, 1);
                EXPECT_GT(ink.GlyphLeft, menu->width() / 2);
            } else {
                EXPECT_GT(ink.TextLeft, ink.GlyphRight);
                EXPECT_NEAR(ink.TextLeft, first.TextLeft, 1);
                EXPECT_LT(ink.GlyphRight, menu->width() / 2);
            }
        }
    }
}

// A language switch of the running station turns the menus' texts, their direction and the
// toolbars' hints, and leaves the colour read-out its numbers.
TEST(MainToolbarMenus, FollowTheLanguageSwitch) {
    AppFolderScope folder(StationResources());
    Languages lang(LanguageEnglish);
    RecordingHost host;
    ToolsFrame frame(lang.Pack(), LanguageEnglish, host);
    TMainToolbars& t = *frame.Tools;
    lang.Pack().SetLanguageNumber(LanguageArabic);
    emit t.BrushMenu->aboutToShow();
    EXPECT_EQ(t.BrushMenu->actions().at(2)->text(), QStringLiteral("شبكة"));
    EXPECT_EQ(t.BrushMenu->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(t.Thick->Hint(), QStringLiteral("سمك القلم"));
    EXPECT_EQ(t.LabelBValue->text(), QStringLiteral("0"));
    lang.Pack().SetLanguageNumber(LanguageEnglish);
    emit t.BrushMenu->aboutToShow();
    EXPECT_EQ(t.BrushMenu->actions().at(2)->text(), QStringLiteral("Cross"));
    EXPECT_EQ(t.BrushMenu->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(t.BtnPaste->Hint(), QStringLiteral("Paste"));
}

} // namespace
