#include "LangTestSupport.h"

#include "platform/Errors.h"
#include "ui/BiDi.h"
#include "ui/UApplication.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

#include <gtest/gtest.h>

using namespace langtest;

namespace {

const QString ArabicWindow = QStringLiteral("نافذة");

// A form built in two phases in the language Resource: a label on the form, a label owned by the form
// inside a plain panel, a label owned by a forwarding panel, and a label with manual positions.
class TestForm : public MForm {
public:
    TestForm(MLanguagePack& Pack, int Resource, QWidget* Parent = nullptr) : MForm(Parent) {
        resize(500, 300);
        Adapter = new MLanguageAdapter(this);
        SetLanguagePack(&Pack);
        SetResourceLanguage(Resource);
        M_Caption().SetCaptions({ArabicWindow, QStringLiteral("Window")});
        OnBeforeLanguageChange = [this](MForm* f, int n) {
            EXPECT_EQ(f, this);
            Events << QStringLiteral("before %1").arg(n);
        };
        OnAfterLanguageChange = [this](MForm*, int n) { Events << QStringLiteral("after %1").arg(n); };

        OnForm = Make(this, this, {10, 10, 40, 20}, {"أ", "A"}, Resource);
        Plain = new QWidget(this);
        Plain->setGeometry(100, 50, 200, 100);
        InPlain = Make(this, Plain, {5, 5, 50, 20}, {"ب", "B"}, Resource);
        Forward = new ForwardPanel(this, this);
        Forward->setGeometry(0, 200, 300, 60);
        InForward = Make(Forward, Forward, {20, 10, 60, 20}, {"ج", "C"}, Resource);
        Manual = Make(this, this, {Resource == 1 ? 20 : 300, 100, 40, 20}, {"د", "D"}, Resource);
        Manual->Align->SetEnable(asManual);
        Manual->Align->ValuesString = QStringLiteral("300;20");
        FinishLoading();
    }
    static LogLabel* Make(QObject* Owner, QWidget* Parent, QRect r, QStringList texts, int Resource) {
        auto* l = new LogLabel(Owner, Parent);
        l->setGeometry(r);
        l->Caption->SetCaptions(texts);
        l->setText(texts[Resource]);
        return l;
    }
    QList<LogLabel*> Labels() const { return {OnForm, InPlain, InForward, Manual}; }
    void ClearLogs() {
        for (auto* l : Labels()) {
            l->Log.clear();
            l->VisibleAtMessage.clear();
        }
        Forward->Log.clear();
        Events.clear();
    }

    MLanguageAdapter* Adapter;
    LogLabel* OnForm;
    QWidget* Plain;
    LogLabel* InPlain;
    ForwardPanel* Forward;
    LogLabel* InForward;
    LogLabel* Manual;
    QStringList Events;
};

std::vector<Message> Msgs(std::initializer_list<Message> l) {
    return l;
}

TEST(BilingualForm, LoadingSendsTheLanguageIndexOnce) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    TestForm f(pf.Pack(), 1);
    EXPECT_TRUE(f.IsLoaded());
    for (auto* l : {f.OnForm, f.InPlain, f.Manual})
        EXPECT_EQ(l->Log, Msgs({{LM_UPDATE_LANGUAGEID, 1}}));
    // Only through the forwarding panel, once.
    EXPECT_EQ(f.InForward->Log, Msgs({{LM_UPDATE_LANGUAGEID, 1}}));
    EXPECT_EQ(f.Forward->Log, Msgs({{LM_UPDATE_LANGUAGEID, 1}}));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Window"));
    EXPECT_FALSE(f.RightToLeftStyle());
    EXPECT_EQ(f.MirrorWidth(), 500);
    // Finishing again, or showing, sends nothing more in the pack's language.
    f.FinishLoading();
    f.show();
    for (auto* l : f.Labels())
        EXPECT_EQ(l->Log.size(), 1u);
}

TEST(BilingualForm, SwitchToArabicAndBackRestoresTextsAndPlaces) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    TestForm f(pf.Pack(), 1);
    f.show();
    QList<QRect> before;
    QStringList texts;
    for (auto* l : f.Labels()) {
        before << l->geometry();
        texts << l->text();
    }
    f.ClearLogs();

    pf.Pack().SetLanguageNumber(0);
    const auto arabic = Msgs(
        {{LM_CHANGE_LANGUAGEID, 0}, {LM_CHANGE_ALIGN, 0}, {LM_CHANGE_SELFALIGN, 1}, {LM_CHANGE_ARABIC, 1}});
    for (auto* l : {f.OnForm, f.InPlain, f.Manual})
        EXPECT_EQ(l->Log, arabic);
    EXPECT_EQ(f.Forward->Log, arabic);
    EXPECT_EQ(f.InForward->Log, Msgs({{LM_CHANGE_LANGUAGEID, 0}, {LM_CHANGE_ALIGN, 0}}));
    EXPECT_EQ(f.Events, (QStringList{"before 0", "after 0"}));
    EXPECT_EQ(f.OnForm->text(), QStringLiteral("أ"));
    EXPECT_EQ(f.InForward->text(), QStringLiteral("ج"));
    EXPECT_EQ(f.OnForm->x(), 450);    // 500 - 10 - 40
    EXPECT_EQ(f.InPlain->x(), 145);   // mirrored inside its panel: 200 - 5 - 50
    EXPECT_EQ(f.InForward->x(), 220); // 300 - 20 - 60
    EXPECT_EQ(f.Manual->x(), 300);
    EXPECT_EQ(f.windowTitle(), ArabicWindow);
    EXPECT_TRUE(f.RightToLeftStyle());
    EXPECT_TRUE(f.Adapter->Arabic());
    EXPECT_EQ(f.LanguageDetail().LanguageID(), 0);

    // The user widens the window while Arabic is shown; mirroring uses the width at loading.
    f.resize(640, 300);
    f.ClearLogs();
    pf.Pack().SetLanguageNumber(1);
    const auto english = Msgs(
        {{LM_CHANGE_LANGUAGEID, 1}, {LM_CHANGE_ALIGN, 0}, {LM_CHANGE_SELFALIGN, 0}, {LM_CHANGE_ARABIC, 0}});
    for (auto* l : {f.OnForm, f.InPlain, f.Manual})
        EXPECT_EQ(l->Log, english);
    for (int i = 0; i < f.Labels().size(); ++i) {
        EXPECT_EQ(f.Labels()[i]->geometry(), before[i]) << i;
        EXPECT_EQ(f.Labels()[i]->text(), texts[i]) << i;
    }
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Window"));
    EXPECT_FALSE(f.RightToLeftStyle());
}

TEST(BilingualForm, AnErrorInOneControlIsShownAndTheSwitchGoesOn) {
    QStringList shown;
    const auto oldPlain = TApplication::PlainMessage;
    TApplication::PlainMessage = [&](const QString& s) { shown << s; };
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    TestForm f(pf.Pack(), 1);
    f.show();
    // A control whose positions are not numbers, and one after it.
    auto* odd = new LogLabel(&f, &f);
    odd->Align->SetEnable(asManual);
    odd->Align->ValuesString = QStringLiteral("x;y");
    auto* after = new LogLabel(&f, &f);
    after->setGeometry(10, 250, 40, 20);
    f.ClearLogs();

    pf.Pack().SetLanguageNumber(0);
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(pf.Pack().LanguageNumber(), 0);
    EXPECT_EQ(f.LanguageDetail().LanguageID(), 0);
    EXPECT_TRUE(f.LanguageDetail().AlignEnable());
    EXPECT_TRUE(f.RightToLeftStyle());
    EXPECT_EQ(f.Events, (QStringList{"before 0", "after 0"}));
    const auto arabic = Msgs(
        {{LM_CHANGE_LANGUAGEID, 0}, {LM_CHANGE_ALIGN, 0}, {LM_CHANGE_SELFALIGN, 1}, {LM_CHANGE_ARABIC, 1}});
    EXPECT_EQ(f.OnForm->Log, arabic);
    EXPECT_EQ(after->Log, arabic);
    EXPECT_EQ(after->x(), 450);
    EXPECT_EQ(f.OnForm->x(), 450);

    pf.Pack().SetLanguageNumber(1);
    EXPECT_EQ(shown.size(), 2);
    EXPECT_EQ(after->x(), 10);
    EXPECT_EQ(f.OnForm->x(), 10);
    EXPECT_FALSE(f.RightToLeftStyle());
    TApplication::PlainMessage = oldPlain;
}

TEST(BilingualForm, ADifferentLanguageFontIsHandedOnAfterTheLanguage) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    MLanguageFont big = pf.Pack().Detail(0)->Font();
    QFont f0 = big.Font();
    f0.setPixelSize(15);
    big.SetFont(f0);
    pf.Pack().Detail(0)->SetFont(big);
    TestForm f(pf.Pack(), 1);
    f.show();
    f.ClearLogs();
    pf.Pack().SetLanguageNumber(0);
    ASSERT_EQ(f.OnForm->Log.size(), 5u);
    EXPECT_EQ(f.OnForm->Log[0].first, LM_CHANGE_LANGUAGEID);
    EXPECT_EQ(f.OnForm->Log[1].first, LM_CHANGE_FONT);
    EXPECT_EQ(f.OnForm->Log[2].first, LM_CHANGE_ALIGN);
    const MLanguageFont* sent = UnpackFont(f.OnForm->Log[1].second);
    EXPECT_EQ(sent, &f.LanguageDetail().Font());
    EXPECT_EQ(sent->Font().pixelSize(), 15);
}

TEST(BilingualForm, FormBuiltInArabicShowsThePackLanguageBeforeItIsVisible) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    TestForm f(pf.Pack(), 0);
    EXPECT_EQ(f.OnForm->Log, Msgs({{LM_UPDATE_LANGUAGEID, 0}}));
    EXPECT_TRUE(f.RightToLeftStyle()); // the direction follows the resource's layout at loading
    f.ClearLogs();
    f.show();
    ASSERT_FALSE(f.OnForm->Log.empty());
    EXPECT_EQ(f.OnForm->Log.front(), (Message{LM_CHANGE_LANGUAGEID, 1}));
    EXPECT_FALSE(f.OnForm->VisibleAtMessage.front());
    EXPECT_EQ(f.OnForm->text(), QStringLiteral("A"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Window"));
    EXPECT_FALSE(f.RightToLeftStyle());
}

TEST(BilingualForm, WindowShownDuringASwitchTakesTheNewLanguage) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    TestForm hidden(pf.Pack(), 1); // reached by the switch before the window that shows it
    TestForm main(pf.Pack(), 1);
    main.show();
    std::unique_ptr<TestForm> created;
    main.OnAfterLanguageChange = [&](MForm*, int) {
        hidden.show();
        created = std::make_unique<TestForm>(pf.Pack(), 1);
        created->show();
    };
    pf.Pack().SetLanguageNumber(0);
    for (TestForm* f : {&hidden, &main, created.get()}) {
        EXPECT_EQ(f->LanguageDetail().LanguageID(), 0);
        EXPECT_EQ(f->OnForm->text(), QStringLiteral("أ"));
        EXPECT_EQ(f->windowTitle(), ArabicWindow);
    }
}

TEST(BilingualForm, EmbeddedFormCatchesUpEachTimeItReallyShows) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    QWidget holder;
    auto* f = new TestForm(pf.Pack(), 1, &holder);
    f->show(); // its holder is not shown yet
    f->hide();
    f->WMSysCommand(100); // this window alone to Arabic
    ASSERT_EQ(f->LanguageDetail().LanguageID(), 0);
    holder.show();
    f->show();
    EXPECT_EQ(f->LanguageDetail().LanguageID(), 1);
    // Shown again with its holder.
    holder.hide();
    f->WMSysCommand(100);
    holder.show();
    EXPECT_EQ(f->LanguageDetail().LanguageID(), 1);
    EXPECT_EQ(f->OnForm->text(), QStringLiteral("A"));
}

TEST(BilingualForm, CaptionSetInCodeComesBackAfterASwitch) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    TestForm f(pf.Pack(), 1);
    f.show();
    f.SetCaption(QStringLiteral("Project 7"));
    f.SetHint(QStringLiteral("The project"));
    f.OnForm->SetCaption(QStringLiteral("Close"));
    pf.Pack().SetLanguageNumber(0);
    EXPECT_EQ(f.windowTitle(), ArabicWindow);
    EXPECT_TRUE(f.Hint().isEmpty()); // none given in Arabic
    pf.Pack().SetLanguageNumber(1);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Project 7"));
    EXPECT_EQ(f.Hint(), QStringLiteral("The project"));
    EXPECT_EQ(f.OnForm->text(), QStringLiteral("Close"));
}

TEST(BilingualForm, ControlCreatedInCodeShowsTheLanguageNameElsewhere) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    TestForm f(pf.Pack(), 1);
    f.show();
    auto* l = new LogLabel(&f, &f);
    EXPECT_EQ(l->Index, 1);
    l->SetCaption(QStringLiteral("Close"));
    pf.Pack().SetLanguageNumber(0);
    EXPECT_EQ(l->text(), QStringLiteral("العربية"));
    pf.Pack().SetLanguageNumber(1);
    EXPECT_EQ(l->text(), QStringLiteral("Close"));
}

TEST(BilingualForm, SystemMenuSwitchesTheWindowOrThePack) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(1);
    TestForm main(pf.Pack(), 1), other(pf.Pack(), 1);
    main.MasterAdapter = true;
    main.show();
    other.show();

    const QList<QAction*> entries = other.LanguageMenuActions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("العربية"));
    EXPECT_EQ(entries[0]->data().toInt(), 100);
    EXPECT_EQ(entries[1]->data().toInt(), 101);

    other.ClearLogs();
    other.WMSysCommand(101); // the current language: nothing
    EXPECT_TRUE(other.OnForm->Log.empty());

    entries[0]->trigger(); // only this window
    EXPECT_EQ(other.LanguageDetail().LanguageID(), 0);
    EXPECT_EQ(main.LanguageDetail().LanguageID(), 1);
    EXPECT_EQ(pf.Pack().LanguageNumber(), 1);

    main.WMSysCommand(100); // the master switches the pack; the lone window is already Arabic
    EXPECT_EQ(pf.Pack().LanguageNumber(), 0);
    EXPECT_EQ(main.LanguageDetail().LanguageID(), 0);
    main.WMSysCommand(101);
    EXPECT_EQ(other.LanguageDetail().LanguageID(), 1);
    main.WMSysCommand(5); // not a language entry
    EXPECT_EQ(pf.Pack().LanguageNumber(), 1);

    other.SetSystemMenuEnable(false);
    EXPECT_TRUE(other.LanguageMenuActions().isEmpty());
    other.SetSystemMenuEnable(true);
    EXPECT_EQ(other.LanguageMenuActions().size(), 2);
}

TEST(BilingualForm, LanguageEntriesGoWhereTheWindowHasItsMenus) {
    PackFixture pf;
    QMdiArea area;
    auto* child = new TestForm(pf.Pack(), 1);
    QMdiSubWindow* sub = area.addSubWindow(child);
    area.show();
    sub->show();
    const auto entries = child->LanguageMenuActions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(sub->systemMenu()->actions().contains(entries[1]));
    // Rebuilding does not pile up entries.
    child->PrepareSystemMenu();
    int languageItems = 0;
    for (QAction* a : sub->systemMenu()->actions())
        if (a->data().toInt() >= 100)
            ++languageItems;
    EXPECT_EQ(languageItems, 2);

    TestForm top(pf.Pack(), 1);
    auto* bar = new QMenuBar(&top);
    top.show();
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("Language"));
    EXPECT_EQ(bar->actions()[0]->menu()->actions().size(), 2);
}

TEST(BilingualForm, AdapterForwardsToItsFormAndNeedsOne) {
    PackFixture pf;
    TestForm f(pf.Pack(), 1);
    EXPECT_EQ(f.Get_Current_Adapter(), f.Adapter);
    EXPECT_EQ(&f.Adapter->LanguageDetail(), &f.LanguageDetail());
    EXPECT_EQ(&f.Adapter->M_Caption(), &f.M_Caption());
    EXPECT_EQ(f.Adapter->LanguagePack(), &pf.Pack());
    f.Adapter->SetMasterAdapter(true);
    EXPECT_TRUE(f.MasterAdapter);
    EXPECT_EQ(GetOwnerAdapter(f.OnForm), f.Adapter);
    EXPECT_EQ(GetOwnerMForm(f.InForward), &f);
    EXPECT_EQ(GetOwnerForm(f.InPlain), &f);

    QObject plain;
    EXPECT_THROW(new MLanguageAdapter(&plain), EAbort);
    EXPECT_TRUE(plain.children().isEmpty());
}

TEST(BilingualForm, DestroyingTheFormFreesItsComponentsAndLeavesThePack) {
    PackFixture pf;
    auto* f = new TestForm(pf.Pack(), 1);
    QPointer<LogLabel> inForward = f->InForward;
    QPointer<MLanguageAdapter> adapter = f->Adapter;
    EXPECT_EQ(pf.Pack().Clients().size(), 1);
    delete f;
    EXPECT_TRUE(pf.Pack().Clients().isEmpty());
    EXPECT_TRUE(inForward.isNull());
    EXPECT_TRUE(adapter.isNull());
    // The pack going first clears the form's link.
    auto module = std::make_unique<TDMLanguagePack>();
    TestForm g(*module->OLanguagePack, 1);
    module.reset();
    EXPECT_EQ(g.LanguagePack(), nullptr);
}

TEST(RightToLeftForm, LastComponentGoneLeavesTheFormLeftToRight) {
    PackFixture pf;
    pf.Pack().SetLanguageNumber(0);
    TestForm f(pf.Pack(), 0);
    ASSERT_TRUE(f.RightToLeftStyle());
    auto* second = new TArabForm(&f);
    EXPECT_TRUE(second->Arabic());
    f.Adapter->SetArabic(false); // every component of the form takes the switch
    EXPECT_FALSE(second->Arabic());
    EXPECT_FALSE(f.RightToLeftStyle());
    second->SetArabic(true);
    EXPECT_TRUE(f.Adapter->Arabic());
    EXPECT_TRUE(f.RightToLeftStyle());
    delete second;
    EXPECT_TRUE(f.RightToLeftStyle());
    delete f.Adapter;
    EXPECT_FALSE(f.RightToLeftStyle());
}

TEST(RightToLeftForm, InertWithoutRightToLeftSupport) {
    PackFixture pf;
    MiddleEastEnabled = false;
    TestForm f(pf.Pack(), 1);
    TArabForm c(nullptr);
    EXPECT_FALSE(c.Arabic());
    c.SetArabic(true);
    EXPECT_FALSE(c.Arabic());
    pf.Pack().SetLanguageNumber(0);
    EXPECT_FALSE(f.Adapter->Arabic());
    EXPECT_FALSE(f.RightToLeftStyle());
    MiddleEastEnabled = true;
}

} // namespace
