// The bilingual control family: which language messages each member follows, recording and
// re-applying per language, the panel passing messages on, items, menus and hints.
#include "LangTestSupport.h"

#include "ui/BitBtn_m.h"
#include "ui/Image_m.h"
#include "ui/MainMenu_m.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"
#include "ui/RadioButton_m.h"
#include "ui/Speedbutton_m.h"
#include "ui/ToolBar_m.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/combobox_m.h"
#include "ui/edit_m.h"
#include "ui/groupbox_m.h"
#include "ui/label_m.h"
#include "ui/listbox_m.h"
#include "ui/memo_m.h"
#include "ui/panel_m.h"
#include "ui/shape_m.h"

#include <gtest/gtest.h>

#include <functional>

using langtest::PackFixture;

namespace {

const QString ArabicName = QStringLiteral("العربية");

// A bilingual form of 500 x 300 built in English, loaded, following the pack.
class ControlForm : public MForm {
public:
    explicit ControlForm(MLanguagePack& Pack) {
        resize(500, 300);
        new MLanguageAdapter(this);
        SetLanguagePack(&Pack);
        SetResourceLanguage(LanguageEnglish);
        FinishLoading();
    }
};

struct Fixture {
    Fixture() {
        pf.Pack().SetLanguageNumber(LanguageEnglish);
        form = std::make_unique<ControlForm>(pf.Pack());
    }
    PackFixture pf;
    std::unique_ptr<ControlForm> form;
};

// What one member of the family shows of the optional messages.
struct ControlCase {
    const char* Name;
    std::function<QWidget*(QObject* Owner)> Make;
    bool Font, SelfAlign, Arabic, Caption;
    // The state the optional messages change: justification (-1 when none), Arabic switch (-1 when
    // none), caption (empty when none).
    std::function<int(QWidget*)> Justification;
    std::function<int(QWidget*)> ArabicSwitch;
    std::function<void(QWidget*, const QString&)> SetCaption;
    std::function<QString(QWidget*)> CaptionText;
    std::function<void(QWidget*, std::intptr_t, std::intptr_t)> Send;
    std::function<MAlign&(QWidget*)> Align;
    std::function<void(QWidget*, int, int, int, int)> SetBounds;
};

template <class C>
ControlCase Case(const char* Name, bool Font, bool SelfAlign, bool Arabic, bool Caption) {
    ControlCase c{
        Name, [](QObject* o) { return new C(o); }, Font, SelfAlign, Arabic, Caption, {}, {}, {}, {}, {}, {},
        {}};
    c.Justification = [](QWidget* w) {
        if constexpr (requires(C * x) { x->Alignment(); })
            return int(static_cast<C*>(w)->Alignment());
        else
            return -1;
    };
    c.ArabicSwitch = [](QWidget* w) {
        if constexpr (requires(C * x) { x->Arabic(); })
            return int(static_cast<C*>(w)->Arabic());
        else
            return -1;
    };
    c.SetCaption = [](QWidget* w, const QString& s) {
        if constexpr (requires(C * x) { x->SetCaption(s); })
            static_cast<C*>(w)->SetCaption(s);
    };
    c.CaptionText = [](QWidget* w) {
        if constexpr (requires(C * x) { x->Caption(); })
            return static_cast<C*>(w)->Caption();
        else
            return QString();
    };
    c.Send = [](QWidget* w, std::intptr_t m, std::intptr_t p) {
        static_cast<C*>(w)->LanguageMessage(int(m), p, 0);
    };
    c.Align = [](QWidget* w) -> MAlign& { return static_cast<C*>(w)->M_Align(); };
    c.SetBounds = [](QWidget* w, int l, int t, int wd, int h) { static_cast<C*>(w)->SetBounds(l, t, wd, h); };
    return c;
}

// Font, justification, Arabic switch, caption.
const std::vector<ControlCase>& Family() {
    static const std::vector<ControlCase> family = {
        Case<MLabel>("MLabel", true, true, true, true),
        Case<MCheckBox>("MCheckBox", true, true, true, true),
        Case<MRadioButton>("MRadioButton", true, true, true, true),
        Case<MGroupBox>("MGroupBox", true, false, true, true),
        Case<MEdit>("MEdit", true, false, true, false),
        Case<MMemo>("MMemo", true, false, true, false),
        Case<MComboBox>("MComboBox", true, false, true, false),
        Case<MListBox>("MListBox", true, false, true, false),
        Case<MButton>("MButton", true, false, false, true),
        Case<MBitBtn>("MBitBtn", true, false, false, true),
        Case<MSpeedButton>("MSpeedButton", true, false, false, true),
        Case<MPanel>("MPanel", true, false, false, true),
        Case<MToolBar>("MToolBar", true, false, false, false),
        Case<MShape>("MShape", true, false, false, false),
        Case<MImage>("MImage", false, false, false, false),
    };
    return family;
}

} // namespace

TEST(BilingualControls, EachMemberFollowsItsOwnMessages) {
    Fixture fx;
    MLanguageFont big;
    QFont f(QStringLiteral("Serif"));
    f.setPixelSize(23);
    big.SetFont(f);
    for (const ControlCase& c : Family()) {
        SCOPED_TRACE(c.Name);
        QWidget* w = c.Make(fx.form.get());
        c.SetBounds(w, 10, 10, 60, 20);
        const int justification = c.Justification(w);
        const int arabic = c.ArabicSwitch(w);
        const QString caption = c.CaptionText(w);
        const QByteArray dirBefore = w->layoutDirection() == Qt::RightToLeft ? "rtl" : "ltr";

        c.Send(w, LM_CHANGE_FONT, PackFont(&big));
        EXPECT_EQ(w->font().pixelSize() == 23, c.Font);

        c.Send(w, LM_CHANGE_SELFALIGN, 1);
        c.Send(w, LM_CHANGE_SELFALIGN, 0);
        const int afterLeft = c.Justification(w);
        c.Send(w, LM_CHANGE_SELFALIGN, 1);
        EXPECT_EQ(c.Justification(w) != afterLeft, c.SelfAlign);
        if (!c.SelfAlign) {
            EXPECT_EQ(c.Justification(w), justification);
            EXPECT_EQ(w->layoutDirection() == Qt::RightToLeft ? "rtl" : "ltr", dirBefore);
        }

        c.Send(w, LM_CHANGE_ARABIC, arabic == 1 ? 0 : 1);
        EXPECT_EQ(c.ArabicSwitch(w) != arabic, c.Arabic);

        // Every member mirrors an automatic position and takes the position modes.
        c.Send(w, LM_CHANGE_ALIGN, 0);
        EXPECT_EQ(w->x(), 500 - 10 - 60);
        c.Send(w, LM_CHANGE_ALIGN, 0);
        EXPECT_EQ(w->x(), 10);
        c.Send(w, LM_ALIGN_MODE, LM_ALIGN_MODE_MANUAL);
        EXPECT_EQ(c.Align(w).Enable(), asManual);
        EXPECT_EQ(c.Align(w).ValuesString, QStringLiteral(";10"));
        c.SetBounds(w, 30, 10, 60, 20);
        EXPECT_EQ(c.Align(w).ValuesString, QStringLiteral(";30"));
        c.Send(w, LM_ALIGN_MODE, LM_ALIGN_MODE_AUTO);
        EXPECT_EQ(c.Align(w).Enable(), asAuto);
        c.SetBounds(w, 40, 10, 60, 20); // automatic: nothing recorded
        EXPECT_EQ(c.Align(w).ValuesString, QStringLiteral(";30"));

        // The caption of another language (never set: the language's name) and back.
        c.SetCaption(w, QStringLiteral("Close"));
        c.Send(w, LM_CHANGE_LANGUAGEID, LanguageArabic);
        EXPECT_EQ(c.CaptionText(w), c.Caption ? ArabicName : caption);
        c.Send(w, LM_CHANGE_LANGUAGEID, LanguageEnglish);
        EXPECT_EQ(c.CaptionText(w), c.Caption ? QStringLiteral("Close") : caption);
        delete w;
    }
}

TEST(BilingualControls, RecordAndReapplyPerLanguageThroughTheForm) {
    Fixture fx;
    auto* label = new MLabel(fx.form.get());
    label->SetBounds(10, 10, 80, 20);
    label->SetCaption(QStringLiteral("Close"));
    label->SetHint(QStringLiteral("Closes the window"));
    auto* manual = new MButton(fx.form.get());
    manual->SetBounds(20, 50, 60, 20);
    manual->M_Align().SetEnable(asManual);
    manual->M_Width().SetEnable(true);
    auto* fixedWidth = new MEdit(fx.form.get());
    fixedWidth->SetBounds(20, 80, 100, 20);

    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(label->LanguageIndex(), LanguageArabic);
    EXPECT_EQ(label->Caption(), ArabicName);
    EXPECT_EQ(label->Hint(), ArabicName);
    EXPECT_EQ(label->x(), 500 - 10 - 80);
    EXPECT_EQ(label->Alignment(), taRightJustify);
    EXPECT_TRUE(label->Arabic());
    EXPECT_EQ(manual->x(), 20); // manual, nothing stored for Arabic yet: stays and is recorded
    EXPECT_EQ(manual->M_Align().ValuesString, QStringLiteral("20;20"));

    // Edits made while Arabic is shown are Arabic's.
    label->SetCaption(QStringLiteral("إغلاق"));
    manual->SetBounds(300, 50, 90, 20);
    fixedWidth->SetBounds(fixedWidth->x(), 80, 150, 20);
    EXPECT_EQ(manual->M_Align().ValuesString, QStringLiteral("300;20"));
    EXPECT_EQ(manual->M_Width().ValuesString, QStringLiteral("90;60"));
    EXPECT_TRUE(fixedWidth->M_Width().ValuesString.isEmpty()); // width not per language

    fx.pf.Pack().SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(label->Caption(), QStringLiteral("Close"));
    EXPECT_EQ(label->Hint(), QStringLiteral("Closes the window"));
    EXPECT_EQ(label->geometry(), QRect(10, 10, 80, 20));
    EXPECT_EQ(label->Alignment(), taLeftJustify);
    EXPECT_FALSE(label->Arabic());
    EXPECT_EQ(manual->geometry(), QRect(20, 50, 60, 20));
    EXPECT_EQ(fixedWidth->width(), 150);

    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(label->Caption(), QStringLiteral("إغلاق"));
    EXPECT_EQ(manual->geometry(), QRect(300, 50, 90, 20));

    // A language change to the language already shown changes nothing.
    manual->SetBounds(310, 50, 90, 20);
    manual->LanguageMessage(LM_CHANGE_LANGUAGEID, LanguageArabic, 0);
    EXPECT_EQ(manual->x(), 310);
}

// A caption broken with CR LF is drawn as one broken with LF alone: a CR drawn as a blank at the end
// of a right-aligned Arabic line pushed its first letter past the label's right edge.
TEST(BilingualControls, ATwoLineArabicCaptionKeepsItsFirstLetter) {
    Fixture fx;
    const QString crlf = QStringLiteral("تصحيح\r\nالإزاحة"), lf = QStringLiteral("تصحيح\nالإزاحة");
    const auto label = [&](int Top) {
        auto* l = new MLabel(fx.form.get());
        l->SetBounds(10, Top, 100, 28);
        return l;
    };
    MLabel* switched = label(10); // takes its caption at the change of language
    switched->M_Caption()->SetCaptions({crlf, QStringLiteral("Racking\r\ncorrection")});
    MLabel* set = label(50);
    MLabel* plain = label(90);
    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    set->SetCaption(crlf);
    plain->SetCaption(lf);
    const QImage expected = plain->grab().toImage();
    EXPECT_EQ(switched->grab().toImage(), expected);
    EXPECT_EQ(set->grab().toImage(), expected);
    EXPECT_EQ(set->Caption(), lf);
}

TEST(BilingualControls, ControlsBuiltWithTheFormTakeItsLanguageWhenItHasLoaded) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(LanguageArabic);
    struct BuiltForm : MForm {
        explicit BuiltForm(MLanguagePack& Pack) {
            resize(400, 200);
            new MLanguageAdapter(this);
            SetLanguagePack(&Pack);
            SetResourceLanguage(LanguageEnglish);
            Label = new MLabel(this);
            Label->M_Caption()->SetCaptions({QStringLiteral("نعم"), QStringLiteral("Yes")});
            Label->SetCaption(QStringLiteral("Yes")); // the build code's text: not recorded
            Label->SetBounds(10, 10, 50, 20);
            FinishLoading();
        }
        MLabel* Label;
    } f(pf.Pack());
    EXPECT_EQ(f.Label->LanguageIndex(), LanguageEnglish);
    EXPECT_EQ(f.Label->M_Caption()->Captions().List(),
              (QStringList{QStringLiteral("نعم"), QStringLiteral("Yes")}));
    f.show(); // catches up with the pack before it appears
    EXPECT_EQ(f.Label->Caption(), QStringLiteral("نعم"));
    EXPECT_EQ(f.Label->x(), 400 - 10 - 50);
}

TEST(BilingualControls, PanelPassesFiveMessagesToTheControlsItOwns) {
    Fixture fx;
    auto* panel = new MPanel(fx.form.get());
    panel->SetBounds(100, 100, 200, 100);
    // Owned by the panel (created in code, as the cells of a module row are)...
    auto* cell = new MLabel(panel);
    cell->SetBounds(10, 10, 40, 20);
    cell->SetCaption(QStringLiteral("cell"));
    // ...and owned by the form though it sits in the panel.
    auto* placed = new MLabel(fx.form.get(), panel);
    placed->SetBounds(10, 50, 40, 20);
    ASSERT_EQ(panel->ComponentCount(), 1);
    const bool cellArabic = cell->Arabic();
    const TAlignment cellJustification = cell->Alignment();

    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(cell->Caption(), ArabicName); // 0x5F5 passed on
    EXPECT_EQ(cell->x(), 200 - 10 - 40);    // 0x5F9 passed on, mirrored inside the panel
    EXPECT_EQ(cell->Arabic(), cellArabic);  // 0x5FB and 0x5FA are not passed on
    EXPECT_EQ(cell->Alignment(), cellJustification);
    EXPECT_EQ(placed->x(), 200 - 10 - 40); // from the form, once
    EXPECT_TRUE(placed->Arabic());
    EXPECT_EQ(placed->Alignment(), taRightJustify);
    EXPECT_EQ(panel->x(), 500 - 100 - 200);

    fx.pf.Pack().SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(cell->Caption(), QStringLiteral("cell"));
    EXPECT_EQ(cell->x(), 10);
    EXPECT_EQ(placed->x(), 10);

    // The panel frees the controls it owns.
    QPointer<MLabel> gone(cell);
    delete panel;
    EXPECT_TRUE(gone.isNull());
}

TEST(BilingualControls, ListBoxItemsPerLanguage) {
    Fixture fx;
    auto* box = new MListBox(fx.form.get());
    box->SetItems({QStringLiteral("Bold"), QStringLiteral("Italic")});
    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_TRUE(box->Items().isEmpty()); // nothing recorded for Arabic yet
    box->SetItems({QStringLiteral("عريض"), QStringLiteral("مائل")});
    EXPECT_EQ(box->M_Items()->Items().List(),
              (QStringList{QStringLiteral("عريض"), QStringLiteral("مائل"), ItemsSeparator,
                           QStringLiteral("Bold"), QStringLiteral("Italic")}));
    fx.pf.Pack().SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(box->Items(), (QStringList{QStringLiteral("Bold"), QStringLiteral("Italic")}));
    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(box->Items(), (QStringList{QStringLiteral("عريض"), QStringLiteral("مائل")}));
}

TEST(BilingualControls, MenusFollowTheLanguageAndTheReadingOrder) {
    Fixture fx;
    auto* menu = new MMainMenu(fx.form.get());
    auto* popup = new MPopupMenu(fx.form.get());
    auto* item = new MMenuItem(fx.form.get());
    item->SetCaption(QStringLiteral("Open"));
    menu->addAction(item);
    popup->addAction(QStringLiteral("x"));
    const int start = menu->Arabic();
    ASSERT_EQ(start, int(MiddleEastEnabled));

    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(item->text(), ArabicName);
    EXPECT_EQ(menu->LanguageIndex(), LanguageArabic);
    EXPECT_TRUE(menu->Arabic());
    EXPECT_TRUE(popup->Arabic());
    EXPECT_EQ(popup->Alignment, paRight);
    fx.pf.Pack().SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(item->text(), QStringLiteral("Open"));
    EXPECT_FALSE(menu->Arabic());
    EXPECT_FALSE(popup->Arabic());
    EXPECT_EQ(popup->Alignment, paLeft);

    // With M_Arabic off the reading order is left alone.
    popup->M_Arabic = false;
    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_FALSE(popup->Arabic());
    EXPECT_EQ(popup->Alignment, paLeft);

    const std::pair<TPopupAlignment, int> origins[] = {{paLeft, 100}, {paRight, 40}, {paCenter, 70}};
    for (auto [alignment, x] : origins) {
        popup->Alignment = alignment;
        EXPECT_EQ(popup->PopupOrigin(100, 50, 60), QPoint(x, 50));
    }
}

// A popup menu reads and opens in the language shown when it is made, before any switch: its
// window's language, or the station's when no window owns it.
TEST(BilingualControls, APopupMenuTakesTheLanguageShownWhenItIsMade) {
    for (int language : {LanguageEnglish, LanguageArabic}) {
        Fixture fx;
        fx.pf.Pack().SetLanguageNumber(language);
        fx.form->show();
        ControlForm unowned(fx.pf.Pack());
        const bool arabic = language == LanguageArabic;
        for (auto* popup : {new MPopupMenu(fx.form.get()), new MPopupMenu(nullptr, &unowned)}) {
            popup->addAction(QStringLiteral("x"));
            EXPECT_EQ(popup->Arabic(), arabic) << language;
            EXPECT_EQ(popup->Alignment, arabic ? paRight : paLeft) << language;
            EXPECT_EQ(popup->PopupOrigin(300, 50, 40), QPoint(arabic ? 260 : 300, 50)) << language;
            popup->Popup(300, 50);
            EXPECT_EQ(popup->layoutDirection(), arabic ? Qt::RightToLeft : Qt::LeftToRight) << language;
            popup->hide();
        }
    }
}

TEST(BilingualControls, HintsAreShownOnlyWhenAsked) {
    Fixture fx;
    auto* button = new MButton(fx.form.get());
    // A new control's hint is its language's name; it is not shown as a tool tip.
    EXPECT_EQ(button->Hint(), QStringLiteral("English"));
    EXPECT_TRUE(button->toolTip().isEmpty());
    button->SetHint(QStringLiteral("Starts the test"));
    EXPECT_TRUE(button->toolTip().isEmpty());
    button->SetShowHint(true);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Starts the test"));
    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(button->toolTip(), ArabicName);
}
