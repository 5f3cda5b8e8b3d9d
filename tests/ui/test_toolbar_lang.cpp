// Bilingual toolbars and toolbar buttons through the language switch of their form, and the status
// bar that holds controls.

#include "tests/ui/DockTestSupport.h"
#include "tests/ui/LangTestSupport.h"

#include "ui/DockToolBar_m.h"
#include "ui/FriendlyStatusBar.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"

#include <QLabel>

#include <climits>

#include <gtest/gtest.h>

using langtest::PackFixture;

namespace {

const QString ArabicDrawing = QStringLiteral("نافذة الرسم");
const QString ArabicThickness = QStringLiteral("سمك القلم");

// A form built as the main window's resources are: Arabic texts first, English second, Arabic and
// M_Arabic on.
class ToolbarForm : public MForm {
public:
    explicit ToolbarForm(MLanguagePack& Pack) {
        resize(500, 300);
        new MLanguageAdapter(this);
        SetLanguagePack(&Pack);
        SetResourceLanguage(LanguageArabic);
        Drawing = new MDockToolBar(this);
        Drawing->M_Caption().SetCaptions({ArabicDrawing, QStringLiteral("Drawing Window")});
        Drawing->M_Hint().SetHints({ArabicDrawing, QStringLiteral("Drawing Window")});
        // The build code's own text: not recorded over the stored ones.
        Drawing->SetCaption(QStringLiteral("built"));
        Drawing->SetArabic(true);
        Thick = new MDockToolBarButton(this, Drawing);
        Thick->M_Hint().SetHints({ArabicThickness, QStringLiteral("Pen thickness")});
        Thick->SetHint(QStringLiteral("built"));
        Thick->SetCaption(QStringLiteral("1"));
        Fixed = new MDockToolBar(this);
        Fixed->M_Arabic = false;
        Fixed->SetArabic(true);
        FinishLoading();
    }
    MDockToolBar* Drawing;
    MDockToolBarButton* Thick;
    MDockToolBar* Fixed;
};

TEST(BilingualToolbar, SwitchBetweenArabicAndEnglish) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(LanguageArabic);
    ToolbarForm f(pf.Pack());
    EXPECT_EQ(f.Drawing->M_Caption().Captions().List(),
              (QStringList{ArabicDrawing, QStringLiteral("Drawing Window")}));
    EXPECT_EQ(f.Drawing->LanguageIndex(), LanguageArabic);

    pf.Pack().SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(f.Drawing->Caption(), QStringLiteral("Drawing Window"));
    EXPECT_EQ(f.Drawing->Hint(), QStringLiteral("Drawing Window"));
    EXPECT_EQ(f.Thick->Hint(), QStringLiteral("Pen thickness"));
    EXPECT_EQ(f.Thick->Caption(), QStringLiteral("1"));
    EXPECT_FALSE(f.Drawing->Arabic());
    // With M_Arabic off the switch is left alone.
    EXPECT_TRUE(f.Fixed->Arabic());

    pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(f.Drawing->Caption(), ArabicDrawing);
    EXPECT_EQ(f.Thick->Hint(), ArabicThickness);
    EXPECT_TRUE(f.Drawing->Arabic());

    // A caption set by the program is recorded for the language shown.
    f.Drawing->SetCaption(QStringLiteral("رسم"));
    pf.Pack().SetLanguageNumber(LanguageEnglish);
    pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(f.Drawing->Caption(), QStringLiteral("رسم"));
}

TEST(BilingualToolbar, MadeInCodeShowsTheLanguageNameAndTheSameIndexChangesNothing) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(LanguageArabic);
    ToolbarForm f(pf.Pack());
    auto* code = new MDockToolBar(&f);
    auto* button = new MDockToolBarButton(&f, code);
    EXPECT_EQ(code->LanguageIndex(), LanguageArabic);
    EXPECT_TRUE(button->toolTip().isEmpty());
    pf.Pack().SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(code->Caption(), QStringLiteral("English"));
    EXPECT_EQ(button->Hint(), QStringLiteral("English"));

    // 0x5F5 with the index the toolbar has changes nothing; 0x5F4 takes an index without applying.
    code->SetOwnerCaption(QStringLiteral("kept"));
    DeliverLanguageMessage(code, LM_CHANGE_LANGUAGEID, LanguageEnglish);
    EXPECT_EQ(code->Caption(), QStringLiteral("kept"));
    DeliverLanguageMessage(code, LM_UPDATE_LANGUAGEID, LanguageArabic);
    EXPECT_EQ(code->Caption(), QStringLiteral("kept"));
    EXPECT_EQ(code->LanguageIndex(), LanguageArabic);
    DeliverLanguageMessage(code, LM_CHANGE_LANGUAGEID, LanguageEnglish);
    EXPECT_EQ(code->Caption(), QStringLiteral("English"));
    // Other language messages are not handled.
    code->SetArabic(false);
    DeliverLanguageMessage(code, LM_CHANGE_SELFALIGN, 1);
    DeliverLanguageMessage(button, LM_CHANGE_ARABIC, 1);
    EXPECT_FALSE(code->Arabic());
}

TEST(FriendlyStatusBar, PanelsFromTheLeftAndControlsPlacedOnIt) {
    TFriendlyStatusBar bar;
    bar.resize(300, 20);
    bar.AddPanel({QStringLiteral("X:1"), 50, pbLowered, taLeftJustify});
    bar.AddPanel({QStringLiteral("Y:2"), 50, pbLowered, taLeftJustify});
    EXPECT_EQ(bar.PanelRect(0), QRect(0, 2, 50, 18));
    EXPECT_EQ(bar.PanelRect(1), QRect(52, 2, 248, 18));
    EXPECT_EQ(bar.PanelRect(2), QRect());
    bar.SetPanelWidth(0, -10);
    EXPECT_EQ(bar.PanelRect(1).left(), 2);
    bar.SetPanelText(7, QStringLiteral("ignored"));
    auto* label = new QLabel(QStringLiteral("0"));
    bar.PlaceControl(label, QRect(4, 3, 40, 14));
    EXPECT_EQ(label->parentWidget(), &bar);
    EXPECT_EQ(label->geometry(), QRect(4, 3, 40, 14));
    // The last panel (the first is now 0 wide) is lowered: shadow on its top left, light on its
    // bottom right.
    const QImage img = bar.grab().toImage();
    ASSERT_EQ(img.size(), QSize(300, 20));
    EXPECT_EQ(img.pixelColor(2, 2), SysQColor(clBtnShadow));
    EXPECT_EQ(img.pixelColor(299, 19), SysQColor(clBtnHighlight));

    // A status tip lies over the read-out, also over a control placed while it shows, and leaves the
    // controls' own shown state to the window: one hidden before or during the tip stays hidden.
    auto* hidden = new QLabel(QStringLiteral("1"));
    bar.PlaceControl(hidden, QRect(60, 3, 40, 14));
    hidden->hide();
    bar.showMessage(QStringLiteral("Pen thickness"));
    auto* late = new QLabel(QStringLiteral("2"));
    bar.PlaceControl(late, QRect(110, 3, 40, 14));
    for (QLabel* l : {label, late})
        EXPECT_NE(bar.childAt(l->geometry().center()), l);
    late->hide();
    bar.clearMessage();
    EXPECT_EQ(bar.childAt(label->geometry().center()), label);
    EXPECT_TRUE(hidden->isHidden());
    EXPECT_TRUE(late->isHidden());

    // A panel as wide as can be written pushes the next one to the far end, no further.
    bar.SetPanelWidth(0, INT_MAX);
    EXPECT_EQ(bar.PanelRect(1), QRect(1 << 20, 2, 0, 18));
}

// The columns of text ink (darker than the bevel's shadow) in a picture's rectangle: the first and
// the last, -1 when there is none.
std::pair<int, int> InkColumns(const QImage& Image, const QRect& R) {
    int first = -1, last = -1;
    for (int x = R.left(); x <= R.right(); ++x)
        for (int y = R.top(); y <= R.bottom(); ++y)
            if (qGray(Image.pixel(x, y)) < 100) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
    return {first, last};
}

// A window laid out right to left (Arabic) justifies the panels' texts as its language does: a
// left-justified panel draws from the right, a right-justified one from the left; the panels still
// run from the left, and a switch of the window's direction is followed.
TEST(FriendlyStatusBar, PanelTextsFollowTheJustificationOfTheWindowsLanguage) {
    QWidget window;
    auto* bar = new TFriendlyStatusBar(&window);
    bar->setGeometry(0, 0, 300, 20);
    bar->AddPanel({QString::fromUtf8("جاهز"), 200, pbLowered, taLeftJustify});
    bar->AddPanel({QStringLiteral("Y:2"), 50, pbLowered, taRightJustify});
    const QRect ready = bar->PanelRect(0).adjusted(2, 2, -2, -2);
    struct Case {
        Qt::LayoutDirection Direction;
        TAlignment First, Last;
    };
    for (const Case& c : {Case{Qt::RightToLeft, taRightJustify, taLeftJustify},
                          Case{Qt::LeftToRight, taLeftJustify, taRightJustify}}) {
        window.setLayoutDirection(c.Direction);
        EXPECT_EQ(bar->PanelRect(0).left(), 0);
        EXPECT_EQ(bar->ShownAlignment(0), c.First);
        EXPECT_EQ(bar->ShownAlignment(1), c.Last);
        const auto [first, last] = InkColumns(bar->grab().toImage(), ready);
        ASSERT_GE(first, 0);
        if (c.First == taRightJustify)
            EXPECT_GT(first, ready.center().x());
        else
            EXPECT_LT(last, ready.center().x());
    }
    bar->setParent(nullptr);
    EXPECT_EQ(bar->ShownAlignment(0), taLeftJustify);
    delete bar;
}

} // namespace
