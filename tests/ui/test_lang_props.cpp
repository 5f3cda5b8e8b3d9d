#include "LangTestSupport.h"

#include "ui/AListBox.h"
#include "ui/UGeneral.h"
#include "ui/subItems.h"

#include <QGroupBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace langtest;

namespace {

TEST(LanguageLists, FieldsReadAndWritten) {
    struct Get {
        const char* S;
        int n;
        int Expected;
    };
    for (const Get& g : std::initializer_list<Get>{{"441;21", 0, 441},
                                                   {"441;21", 1, 21},
                                                   {"441;21", 2, -1},
                                                   {";21", 0, -1},
                                                   {"", 0, -1},
                                                   {";-1;7", 2, 7},
                                                   {";-1;7", 1, -1},
                                                   {"5", -1, -1},
                                                   {" 12 ;3", 0, 12}})
        EXPECT_EQ(GetListValue(QString::fromUtf8(g.S), g.n), g.Expected) << g.S << " " << g.n;
    EXPECT_THROW(GetListValue(QStringLiteral("4x;2"), 0), EConvertError);

    struct Set {
        const char* Before;
        int n;
        int Value;
        const char* After;
    };
    for (const Set& s : std::initializer_list<Set>{{"", 0, 5, "5"},
                                                   {"", 1, 7, ";7"},
                                                   {"3", 2, 7, "3;-1;7"},
                                                   {"441;21", 1, 30, "441;30"},
                                                   {"1;2;3", 0, 9, "9;2;3"},
                                                   {"1;;3", 1, 8, "1;8;3"},
                                                   {"1", -1, 8, "1"}}) {
        QString v = QString::fromUtf8(s.Before);
        SetListValue(v, s.n, s.Value, -1);
        EXPECT_EQ(v, QString::fromUtf8(s.After)) << s.Before << " " << s.n;
    }
    QString big;
    EXPECT_THROW(SetListValue(big, 1 << 30, 1, -1), ERangeError);
    EXPECT_TRUE(big.isEmpty());

    EXPECT_EQ(FindSeparator(QStringLiteral("a;b;c"), 2), 4);
    EXPECT_EQ(FindSeparator(QStringLiteral("a;b;c"), 3), -1);
    EXPECT_EQ(FindSeparator(QStringLiteral("a;b;c"), 0), 0);
    EXPECT_EQ(CountSeparators(QStringLiteral(";;a;")), 3);
}

TEST(LanguageItems, SectionsOfAList) {
    TArabListBox box;
    MItems items(&box, 0);
    items.SetItems({"a", "******", "b", "c"});
    EXPECT_EQ(items.SeparatorCount(), 1);
    EXPECT_EQ(items.SectionStart(0), 0);
    EXPECT_EQ(items.SectionStart(1), 2);
    EXPECT_EQ(items.SectionStart(2), -1);
    QStringList s;
    items.GetSection(s, 0);
    EXPECT_EQ(s, QStringList{"a"});
    items.GetSection(s, 1);
    EXPECT_EQ(s, (QStringList{"b", "c"}));
    items.GetSection(s, 2);
    EXPECT_TRUE(s.isEmpty());

    items.SetSection({"x"}, 3);
    EXPECT_EQ(items.Items().List(), (QStringList{"a", "******", "b", "c", "******", "******", "x"}));
    items.SetSection({"p", "q"}, 1);
    EXPECT_EQ(items.Items().List(), (QStringList{"a", "******", "p", "q", "******", "******", "x"}));
    items.DeleteSection(0);
    EXPECT_EQ(items.Items().List(), (QStringList{"******", "p", "q", "******", "******", "x"}));
    items.SetSection({"z"}, 0);
    EXPECT_EQ(items.Items().List().first(), QStringLiteral("z"));
    EXPECT_THROW(items.SetSection({"y"}, 1000), ERangeError);

    // A separator as the last line starts an empty section at the end.
    items.SetItems({"p", "******"});
    EXPECT_EQ(items.SectionStart(1), 2);
    items.SetSection({"Bold", "Italic"}, 1);
    EXPECT_EQ(items.Items().List(), (QStringList{"p", "******", "Bold", "Italic"}));
}

TEST(LanguageItems, ListBoxShowsTheSectionOfItsLanguage) {
    TArabListBox box;
    MItems items(&box, 0);
    items.SetItems({"p", "q", "******", "Bold", "Italic"});
    EXPECT_EQ(box.ItemList(), (QStringList{"p", "q"}));
    items.Change_LanguageID(1);
    EXPECT_EQ(box.ItemList(), (QStringList{"Bold", "Italic"}));
    items.Update_LanguageID(0); // takes the index, applies nothing
    EXPECT_EQ(box.ItemList(), (QStringList{"Bold", "Italic"}));
    items.Enable = false;
    items.Change_LanguageID(1);
    items.Change_LanguageID(0);
    EXPECT_EQ(box.ItemList(), (QStringList{"Bold", "Italic"}));
    items.ApplyItems(true);
    EXPECT_EQ(box.ItemList(), (QStringList{"p", "q"}));
}

TEST(LanguageTexts, CaptionListGrowsForALaterLanguage) {
    QPushButton b;
    MCaption c(&b, 0, {"Arabic", "English"});
    EXPECT_TRUE(b.text().isEmpty()); // nothing applied at creation
    c.Update_LanguageID(3);
    c.StoreCurrentCaption(QStringLiteral("Third"));
    EXPECT_EQ(c.Captions().List(), (QStringList{"Arabic", "English", "", "Third"}));
    EXPECT_EQ(b.text(), QStringLiteral("Third"));
    // An index outside every language slot records nothing and raises nothing.
    c.Update_LanguageID(40);
    c.StoreCurrentCaption(QStringLiteral("Far"));
    EXPECT_EQ(c.Captions().Count(), 4);
    EXPECT_TRUE(c.GetCurrentCaption().isEmpty());

    // Writing an entry of the shown language shows it at once; another language's entry does not.
    c.Update_LanguageID(1);
    c.Captions().Put(1, QStringLiteral("Close"));
    EXPECT_EQ(b.text(), QStringLiteral("Close"));
    c.Captions().Put(0, QStringLiteral("Ighlaq"));
    EXPECT_EQ(b.text(), QStringLiteral("Close"));
    c.Change_LanguageID(0);
    EXPECT_EQ(b.text(), QStringLiteral("Ighlaq"));
    // Disabled: nothing recorded, nothing applied unless forced.
    c.Enable = false;
    c.StoreCurrentCaption(QStringLiteral("X"));
    EXPECT_EQ(c.Captions().Strings(0), QStringLiteral("Ighlaq"));
    c.Captions().Put(0, QStringLiteral("Y"));
    EXPECT_EQ(b.text(), QStringLiteral("Ighlaq"));
    c.ApplyCaption(true);
    EXPECT_EQ(b.text(), QStringLiteral("Y"));
    EXPECT_THROW(c.Captions().Put(9, QStringLiteral("Z")), EListError);
}

TEST(LanguageTexts, HintAppliesTheLanguageNamesAtCreationCaptionDoesNot) {
    QGroupBox g;
    g.setTitle(QStringLiteral("Resource"));
    MHint h(&g, 1, {"Arabic", "English"});
    MCaption c(&g, 1, {"Arabic", "English"});
    EXPECT_EQ(g.toolTip(), QStringLiteral("English"));
    EXPECT_EQ(g.title(), QStringLiteral("Resource"));
    c.Change_LanguageID(0);
    h.Change_LanguageID(0);
    EXPECT_EQ(g.title(), QStringLiteral("Arabic"));
    EXPECT_EQ(g.toolTip(), QStringLiteral("Arabic"));
}

// A plain parent of the size the tests need.
struct Parented {
    QWidget Parent;
    LogLabel* Label;
    Parented() {
        Parent.resize(500, 300);
        Label = new LogLabel(nullptr, &Parent);
        Label->setGeometry(10, 5, 40, 20);
    }
};

TEST(LanguageSizes, WidthAndHeightRecordedPerLanguageWhenEnabled) {
    Parented p;
    LogLabel& l = *p.Label;
    l.SetBounds(10, 5, 60, 25); // disabled: nothing recorded
    EXPECT_TRUE(l.Width->ValuesString.isEmpty());
    l.Width->SetEnable(true); // records the present width
    l.Height->SetEnable(true);
    EXPECT_EQ(l.Width->ValuesString, QStringLiteral("60"));
    EXPECT_EQ(l.Height->ValuesString, QStringLiteral("25"));
    l.Width->Change_LanguageID(1); // nothing stored for 1: the present width is recorded
    l.Height->Change_LanguageID(1);
    EXPECT_EQ(l.Width->ValuesString, QStringLiteral("60;60"));
    l.SetBounds(10, 5, 90, 30);
    EXPECT_EQ(l.Width->ValuesString, QStringLiteral("60;90"));
    EXPECT_EQ(l.Height->ValuesString, QStringLiteral("25;30"));
    l.Width->Change_LanguageID(0);
    l.Height->Change_LanguageID(0);
    EXPECT_EQ(l.size(), QSize(60, 25));
    l.Width->Change_LanguageID(1);
    l.Height->Change_LanguageID(1);
    EXPECT_EQ(l.size(), QSize(90, 30));
    EXPECT_EQ(l.Width->GetCurrentWidth(), 90);
    l.Width->Update_LanguageID(4);
    EXPECT_EQ(l.Width->GetCurrentWidth(), -1);
}

TEST(LanguagePositions, ManualPositionFollowsTheLanguage) {
    Parented p;
    LogLabel& l = *p.Label;
    l.Align->SetEnable(asManual);
    l.Align->ValuesString = QStringLiteral("441;21");
    l.Align->Change_LanguageID(1);
    EXPECT_EQ(l.x(), 21);
    l.Align->Change_LanguageID(0);
    EXPECT_EQ(l.x(), 441);
    l.Align->Change_LanguageID(1);
    l.SetBounds(30, 5, 40, 20);
    EXPECT_EQ(l.Align->ValuesString, QStringLiteral("441;30"));

    // Nothing stored for a language: the control keeps its place and the place is recorded.
    l.Align->ValuesString.clear();
    l.Align->Change_LanguageID(0);
    EXPECT_EQ(l.x(), 30);
    EXPECT_EQ(l.Align->ValuesString, QStringLiteral("30"));

    // Forced record, whatever the mode.
    l.Align->SetEnable(asDisable);
    l.move(77, 5);
    l.Align->ApplyLeft(true);
    EXPECT_EQ(l.Align->ValuesString, QStringLiteral("77"));
    // Switching to manual records the present Left.
    l.Align->Update_LanguageID(1);
    l.Align->SetEnable(asManual);
    EXPECT_EQ(l.Align->ValuesString, QStringLiteral("77;77"));
}

TEST(LanguagePositions, AutomaticPositionMirrorsAndIgnoresLanguageChanges) {
    Parented p;
    LogLabel& l = *p.Label;
    EXPECT_EQ(l.Align->Enable(), asAuto);
    l.Align->Change_LanguageID(1); // ignored in asAuto: keeps its index
    EXPECT_EQ(l.Align->LanguageIndex(), 0);
    EXPECT_EQ(l.x(), 10);
    EXPECT_EQ(l.Align->MirroredLeft(), 450);
    l.Align->Realign();
    EXPECT_EQ(l.x(), 450);
    l.Align->Realign();
    EXPECT_EQ(l.x(), 10);
    EXPECT_TRUE(l.Align->ValuesString.isEmpty());
    l.Align->SetEnable(asDisable);
    l.Align->Realign();
    EXPECT_EQ(l.x(), 10);
}

} // namespace
