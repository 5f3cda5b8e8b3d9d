// The text dialog of the drawings and the carrier-colour dialog of the graphic test, answered
// through the modal hook.

#include "app/UFontDlg.h"
#include "app/UYCcolors.h"

#include "ui/ScrollHemiSphereBtn_m.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/edit_m.h"
#include "ui/label_m.h"
#include "ui/listbox_m.h"
#include "ui/memo_m.h"

#include <QFontDatabase>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

struct EnglishPack {
    EnglishPack() { Module.OLanguagePack->SetLanguageNumber(LanguageEnglish); }
    TDMLanguagePack Module;
};

// Plays the person's part in the next modal showings.
struct ModalScript {
    explicit ModalScript(std::function<void(MModalForm&)> Play) { MModalForm::ModalHook = std::move(Play); }
    ~ModalScript() { MModalForm::ModalHook = nullptr; }
};

void SelectStyles(TFormFontDlg& D, std::initializer_list<int> Rows) {
    D.MListBoxStyle->clearSelection();
    for (int r : Rows)
        D.MListBoxStyle->item(r)->setSelected(true);
}

// ---- The text dialog.

TEST(FontDialog, SizeEditKeepsItsLastWholeNumberAndThePreviewFollows) {
    EnglishPack pack;
    TFormFontDlg d;
    EXPECT_EQ(d.Caption(), QStringLiteral("Text selection"));
    EXPECT_EQ(d.MEditSize->text(), QStringLiteral("10"));
    EXPECT_EQ(d.Font.pointSize(), 10);
    EXPECT_EQ(d.MListBoxName->ItemList(), QFontDatabase::families());
    if (d.MListBoxName->count() > 0) {
        EXPECT_EQ(d.MListBoxName->currentRow(), 0);
    }

    // Each typed text, and what the edit holds afterwards.
    const std::pair<const char*, const char*> typed[] = {
        {"24", "24"}, {"abc", "24"}, {"", "24"},     {"12x", "24"}, {" 9", "24"},
        {"-5", "24"}, {"0", "24"},   {"1001", "24"}, {"8", "8"},    {"1000", "1000"},
    };
    for (auto [text, held] : typed) {
        d.MEditSize->setText(QString::fromLatin1(text));
        EXPECT_EQ(d.MEditSize->text(), QString::fromLatin1(held)) << text;
        EXPECT_EQ(d.LastValidSize(), QString::fromLatin1(held)) << text;
        EXPECT_EQ(d.Font.pointSize(), QString::fromLatin1(held).toInt()) << text;
    }
    // Typed key by key: a letter is taken back at once.
    d.MEditSize->setText(QStringLiteral("1"));
    QTest::keyClicks(d.MEditSize, QStringLiteral("2q"));
    EXPECT_EQ(d.MEditSize->text(), QStringLiteral("12"));
}

TEST(FontDialog, StylesAndTheFirstLineShowInThePreview) {
    EnglishPack pack;
    TFormFontDlg d;
    EXPECT_EQ(d.MListBoxStyle->ItemList(),
              (QStringList{QStringLiteral("Bold"), QStringLiteral("Italic"), QStringLiteral("UnderLine"),
                           QStringLiteral("Strikeout")}));
    EXPECT_EQ(d.MListBoxStyle->selectionMode(), QAbstractItemView::MultiSelection);
    SelectStyles(d, {0, 1});
    EXPECT_TRUE(d.Font.bold());
    EXPECT_TRUE(d.Font.italic());
    EXPECT_FALSE(d.Font.underline());
    EXPECT_EQ(d.MLabelPreview->font(), d.Font);
    SelectStyles(d, {2, 3});
    EXPECT_FALSE(d.Font.bold());
    EXPECT_TRUE(d.Font.underline());
    EXPECT_TRUE(d.Font.strikeOut());
    // The text is placed without antialiasing: no blended colour becomes a new yarn.
    EXPECT_EQ(d.Font.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);

    if (d.MListBoxName->count() > 1) {
        d.MListBoxName->setCurrentRow(1);
        EXPECT_EQ(d.Font.family(), d.MListBoxName->item(1)->text());
    }

    struct Case {
        const char* Text;
        QStringList Lines;
    };
    const Case cases[] = {
        {"", {}},     {"one", {"one"}}, {"one\ntwo", {"one", "two"}}, {"one\ntwo\n", {"one", "two"}},
        {"\n", {""}},
    };
    for (const Case& c : cases) {
        d.MMemoText->setPlainText(QString::fromUtf8(c.Text));
        EXPECT_EQ(d.GetLines(), c.Lines) << c.Text;
        EXPECT_EQ(d.MLabelPreview->text(), c.Lines.isEmpty() ? QString() : c.Lines.first()) << c.Text;
    }
}

TEST(FontDialog, ExecuteIsTrueOnlyForOkAndTheFitBoxIsRead) {
    EnglishPack pack;
    TFormFontDlg d;
    // Each showing: how it is closed, and what Execute gives.
    enum TClose { Ok, Cancel, CloseBox, Escape };
    const std::pair<TClose, bool> showings[] = {{Ok, true},      {CloseBox, false}, {Ok, true},
                                                {Cancel, false}, {Ok, true},        {Escape, false}};
    for (auto [how, result] : showings) {
        ModalScript script([how](MModalForm& Form) {
            auto& f = dynamic_cast<TFormFontDlg&>(Form);
            f.MChkBxFit->setChecked(how == Ok);
            switch (how) {
            case Ok:
                QTest::mouseClick(f.MBtnOK, Qt::LeftButton);
                break;
            case Cancel:
                QTest::mouseClick(f.MBtnCancel, Qt::LeftButton);
                break;
            case CloseBox:
                f.close();
                break;
            case Escape:
                QTest::keyClick(&f, Qt::Key_Escape);
                break;
            }
        });
        EXPECT_EQ(d.Execute(), result) << how;
        EXPECT_EQ(d.GetFit(), how == Ok);
        EXPECT_FALSE(d.isVisible());
    }
}

TEST(FontDialog, ALanguageSwitchKeepsTheChosenStyles) {
    EnglishPack pack;
    TFormFontDlg d;
    SelectStyles(d, {1, 3});
    pack.Module.OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(d.MListBoxStyle->item(1)->text(), QString::fromUtf8("مائل"));
    EXPECT_TRUE(d.MListBoxStyle->item(1)->isSelected());
    EXPECT_TRUE(d.MListBoxStyle->item(3)->isSelected());
    EXPECT_FALSE(d.MListBoxStyle->item(0)->isSelected());
    EXPECT_TRUE(d.Font.italic());
    EXPECT_TRUE(d.Font.strikeOut());
    EXPECT_EQ(d.MListBoxName->ItemList(), QFontDatabase::families());
}

// ---- The carrier-colour dialog.

// Clicks a round button on its face.
void ClickFace(MScrollHemiSphereBtn* B) {
    QTest::mouseClick(B, Qt::LeftButton, Qt::NoModifier, QPoint(B->width() / 2, B->height() / 2));
}

TEST(YCcolorsDialog, TwentyOneRoundButtonsWithTheCarriersRailMajor) {
    EnglishPack pack;
    TFormYCcolors d;
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    const QList<MScrollHemiSphereBtn*> all = d.findChildren<MScrollHemiSphereBtn*>();
    ASSERT_EQ(all.size(), 21);
    for (MScrollHemiSphereBtn* b : all) {
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_EQ(b->size(), QSize(25, 25));
        EXPECT_EQ(b->FaceColor(), TColor(0x808080));
        EXPECT_EQ(b->BevelOuter(), hbLowered);
        EXPECT_EQ(b->BevelWidth(), 2);
        EXPECT_EQ(b->AttenControl(), 1.0);
    }
    for (int rail = 1; rail <= 2; ++rail)
        for (int carrier = 1; carrier <= 8; ++carrier) {
            MScrollHemiSphereBtn* b = d.CarrierButtons[std::size_t((rail - 1) * 8 + carrier - 1)];
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->objectName(), QStringLiteral("btnYC%1%2").arg(rail - 1).arg(carrier));
            // Rail 1 left of rail 2, carriers top to bottom.
            EXPECT_EQ(b->y(), d.CarrierButtons[std::size_t(carrier - 1)]->y());
            if (rail == 2) {
                EXPECT_GT(b->x(), d.CarrierButtons[std::size_t(carrier - 1)]->x());
            }
        }
    for (MScrollHemiSphereBtn* b : {d.btnTransferedStitch, d.btnRightTransfered, d.btnLeftTransfered,
                                    d.btnOppositeStitch, d.btnFallStitch})
        EXPECT_TRUE(all.contains(b));
}

TEST(YCcolorsDialog, OkReportsAChangeOnlyAfterAButtonWasEverClicked) {
    EnglishPack pack;
    TFormYCcolors d;
    std::optional<TColor> answer; // the colour dialog's choice; empty: cancelled
    int asked = 0;
    d.OColorDialog = [&](TColor& C) {
        ++asked;
        EXPECT_EQ(C, TColor(0x808080)); // opened with the button's colour
        if (answer)
            C = *answer;
        return answer.has_value();
    };
    // Each showing: the button clicked (or none), the colour dialog's answer, OK or Cancel, and
    // what Execute gives.
    struct Showing {
        MScrollHemiSphereBtn* Clicked;
        std::optional<TColor> Answer;
        bool Ok;
        bool Result;
    };
    MScrollHemiSphereBtn* rail2carrier3 = d.CarrierButtons[10];
    const Showing showings[] = {
        {nullptr, {}, true, false},              // a new dialog: OK without a click
        {rail2carrier3, {}, true, true},         // the colour dialog cancelled: still a change
        {nullptr, {}, true, true},               // the changed mark is never cleared
        {nullptr, {}, false, false},             // Cancel
        {d.btnFallStitch, 0x0000FF, true, true}, // a colour chosen
    };
    for (const Showing& s : showings) {
        answer = s.Answer;
        ModalScript script([&](MModalForm& Form) {
            auto& f = dynamic_cast<TFormYCcolors&>(Form);
            if (s.Clicked)
                ClickFace(s.Clicked);
            QTest::mouseClick(s.Ok ? f.btnOK : f.btnCancel, Qt::LeftButton);
        });
        EXPECT_EQ(d.Execute(), s.Result);
    }
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(rail2carrier3->FaceColor(), TColor(0x808080));
    EXPECT_EQ(d.btnFallStitch->FaceColor(), TColor(0x0000FF));
    for (MScrollHemiSphereBtn* b : d.CarrierButtons)
        EXPECT_EQ(b->FaceColor(), TColor(0x808080));

    // Closed with its close box after a change: false.
    ModalScript script([](MModalForm& Form) { Form.close(); });
    EXPECT_FALSE(d.Execute());
}

} // namespace
