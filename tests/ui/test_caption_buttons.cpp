// The multi-state caption buttons: the caption list's rules, the click sequence on every kind of
// button with its event order, key forwarding, and a language switch.
#include "LangTestSupport.h"
#include "tests/ui/ButtonTestSupport.h"

#include "ui/ScrollBitBtn_m.h"
#include "ui/ScrollFlatBtn_m.h"
#include "ui/ScrollHemiSphereBtn_m.h"
#include "ui/ScrollHemiSphereCBtn_m.h"
#include "ui/ScrollSpdbtn_m.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using buttontest::RecordingRow;
using buttontest::ShowActive;
using langtest::PackFixture;

namespace {

// A bilingual form built in English that follows the pack; Build runs while it is loading.
class Form : public MForm {
public:
    Form(MLanguagePack& Pack, const std::function<void(Form*)>& Build = {}) {
        resize(300, 120);
        new MLanguageAdapter(this);
        SetLanguagePack(&Pack);
        SetResourceLanguage(LanguageEnglish);
        if (Build)
            Build(this);
        FinishLoading();
    }
};

struct Fixture {
    Fixture() { pf.Pack().SetLanguageNumber(LanguageEnglish); }
    PackFixture pf;
};

// Captions L and R, minimum 0, maximum 1, with both events logged.
template <class B>
void Prepare(B* b, std::string& Log, const std::function<QString()>& Caption) {
    b->M_CaptionList().SetCaptionList({QStringLiteral("L"), QStringLiteral("R")});
    b->M_CaptionList().SetMaxIndex(1);
    b->OnIndexChange = [&Log, b, Caption](QObject* s) {
        Log += s == b ? "I" + Caption().toStdString() : "?";
    };
}

} // namespace

TEST(CaptionList, ClampsAndFiresOnlyOnAChange) {
    QWidget owner;
    MCaptionList l(&owner);
    int events = 0;
    l.OnIndexChange = [&](QObject* s) { events += s == &owner; };
    l.SetMaxIndex(7);
    const struct { int Write, Index, Events; } writes[] = {{9, 7, 1}, {7, 7, 1}, {-1, 0, 2}, {3, 3, 3}};
    for (const auto& w : writes) {
        l.SetIndex(w.Write);
        EXPECT_EQ(l.Index(), w.Index) << w.Write;
        EXPECT_EQ(events, w.Events) << w.Write;
    }
    l.SetIndex(5);
    l.SetMaxIndex(2);
    EXPECT_EQ(l.Index(), 2) << "the index follows a lower maximum";
    EXPECT_EQ(events, 5);
    l.SetMinIndex(1);
    l.SetMaxIndex(-4);
    EXPECT_EQ(l.MaxIndex(), 1) << "a maximum below the minimum is the minimum";
    EXPECT_EQ(l.Index(), 1);
    l.SetMinIndex(6);
    EXPECT_EQ(l.MinIndex(), 1) << "a minimum above the maximum is the maximum";

    // Captions: an index past the list shows nothing; storing pads with empty captions.
    EXPECT_EQ(l.GetCurrentCaption(), QString());
    l.SetMaxIndex(3);
    l.SetIndex(3);
    l.StoreCurrentCaption(QStringLiteral("x"));
    EXPECT_EQ(l.CaptionList().List(), (QStringList{{}, {}, {}, QStringLiteral("x")}));
    l.Enable = false;
    l.StoreCurrentCaption(QStringLiteral("y"));
    EXPECT_EQ(l.GetCurrentCaption(), QStringLiteral("x")) << "disabled: nothing recorded";
    l.ScrollNext();
    EXPECT_EQ(l.Index(), 3) << "disabled: no stepping";
}

TEST(CaptionButtons, EveryKindStepsBeforeItsClickEvent) {
    Fixture f;
    std::string log;
    Form form(f.pf.Pack());
    auto* flat = new MScrollFlatBtn(&form);
    auto* bit = new MScrollBitBtn(&form);
    auto* speed = new MScrollSpeedButton(&form);
    auto* hemi = new MScrollHemiSphereBtn(&form);
    auto* hemic = new MScrollHemiSphereCBtn(&form);
    bit->move(40, 0);
    speed->move(120, 0);
    hemi->move(160, 0);
    hemic->move(200, 0);
    Prepare(flat, log, [flat] { return flat->Caption(); });
    Prepare(bit, log, [bit] { return bit->Caption(); });
    Prepare(speed, log, [speed] { return speed->Caption(); });
    Prepare(hemi, log, [hemi] { return hemi->Caption(); });
    Prepare(hemic, log, [hemic] { return hemic->Caption(); });
    flat->OnClick = [&](QObject*) { log += "C" + flat->Caption().toStdString(); };
    QObject::connect(bit, &QAbstractButton::clicked, [&] { log += "C" + bit->Caption().toStdString(); });
    QObject::connect(speed, &QAbstractButton::clicked, [&] { log += "C" + speed->Caption().toStdString(); });
    hemi->OnClick = [&](QObject*) { log += "C" + hemi->Caption().toStdString(); };
    hemic->OnClick = [&](QObject*) { log += "C"; };
    ShowActive(form);
    EXPECT_EQ(flat->Caption(), QStringLiteral("L"));

    const struct {
        const char* Name;
        std::function<void()> Click;
    } kinds[] = {
        {"flat by mouse", [&] { QTest::mouseClick(flat, Qt::LeftButton, {}, QPoint(5, 5)); }},
        {"flat by Space", [&] { QTest::keyClick(flat, Qt::Key_Space); }},
        {"bitmap by mouse", [&] { QTest::mouseClick(bit, Qt::LeftButton, {}, QPoint(5, 5)); }},
        {"bitmap by code", [&] { bit->click(); }},
        {"speed by mouse", [&] { QTest::mouseClick(speed, Qt::LeftButton, {}, QPoint(5, 5)); }},
        {"hemisphere on its face", [&] { QTest::mouseClick(hemi, Qt::LeftButton, {}, QPoint(12, 12)); }},
    };
    for (const auto& k : kinds) {
        for (MCaptionList* l :
             {&flat->M_CaptionList(), &bit->M_CaptionList(), &speed->M_CaptionList(), &hemi->M_CaptionList()})
            l->SetIndex(0);
        log.clear();
        k.Click();
        k.Click();
        k.Click();
        EXPECT_EQ(log, "IRCRILCLIRCR") << k.Name;
    }
    // Off the face the hemisphere button still steps (the class click) but fires no OnClick.
    log.clear();
    QTest::mouseClick(hemi, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(log, "IL");
    // The focusable one steps on Enter and Space.
    hemic->setFocus();
    log.clear();
    QTest::keyClick(hemic, Qt::Key_Return);
    QTest::keyClick(hemic, Qt::Key_Space);
    EXPECT_EQ(log, "IRIL");

    // One state: the click alone. Disabled list: the click alone and nothing recorded.
    flat->M_CaptionList().SetMaxIndex(0);
    log.clear();
    QTest::mouseClick(flat, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(log, "CL");
    flat->M_CaptionList().SetMaxIndex(1);
    flat->M_CaptionList().Enable = false;
    log.clear();
    QTest::mouseClick(flat, Qt::LeftButton, {}, QPoint(5, 5));
    flat->SetCaption(QStringLiteral("Q"));
    EXPECT_EQ(log, "CL");
    EXPECT_EQ(flat->M_CaptionList().CaptionList().List(),
              (QStringList{QStringLiteral("L"), QStringLiteral("R")}));
    flat->M_CaptionList().Enable = true;
    flat->SetCaption(QStringLiteral("Q"));
    EXPECT_EQ(flat->M_CaptionList().CaptionList().List(),
              (QStringList{QStringLiteral("Q"), QStringLiteral("R")}));
}

TEST(CaptionButtons, KeyForwardingOfTheBitmapAndFocusableHemisphereButtons) {
    Fixture f;
    Form form(f.pf.Pack());
    auto* row = new RecordingRow(&form);
    row->setGeometry(0, 0, 300, 60);
    auto* bit = new MScrollBitBtn(&form, row);
    auto* hemic = new MScrollHemiSphereCBtn(&form, row);
    hemic->move(100, 0);
    bit->Tag = 3;
    hemic->Tag = 4;
    ShowActive(form);
    for (bool enhanced : {true, false}) {
        bit->Enhanced = enhanced;
        hemic->Enhanced = enhanced;
        for (QWidget* w : {(QWidget*)bit, (QWidget*)hemic}) {
            row->Keys.clear();
            w->setFocus();
            QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier);
            QTest::keyClick(w, Qt::Key_Right);
            QTest::keyClick(w, Qt::Key_Down);
            EXPECT_TRUE(w->hasFocus()) << "the arrows never move the focus";
            const std::uint32_t tag = w == bit ? 0x00030000u : 0x00040000u;
            if (enhanced) {
                ASSERT_EQ(row->Keys.size(), 4u);
                EXPECT_EQ(row->Keys[0], std::make_pair(0x00430002u, tag));
                EXPECT_EQ(row->Keys[1], std::make_pair(0x00030000u, tag));
                EXPECT_EQ(row->Keys[2].first, 0x00270001u);
                EXPECT_EQ(row->Keys[3].first, 0x00280001u);
            } else {
                EXPECT_TRUE(row->Keys.empty());
            }
        }
    }
}

TEST(CaptionButtons, ALanguageSwitchKeepsIndexAndCaption) {
    Fixture f;
    MScrollFlatBtn* flat = nullptr;
    MScrollHemiSphereBtn* hemi = nullptr;
    std::string log;
    Form form(f.pf.Pack(), [&](Form* fm) {
        flat = new MScrollFlatBtn(fm);
        hemi = new MScrollHemiSphereBtn(fm);
        hemi->move(100, 10);
        // While the form is built the index is stored as it comes, with no event.
        flat->M_CaptionList().SetCaptionList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
        flat->OnIndexChange = [&](QObject*) { log += "I"; };
        flat->M_CaptionList().SetIndex(9);
    });
    flat->SetHint(QStringLiteral("Rack"));
    flat->SetShowHint(true);
    EXPECT_EQ(flat->M_CaptionList().Index(), 9);
    EXPECT_EQ(log, "");
    flat->M_CaptionList().SetMaxIndex(2);
    EXPECT_EQ(flat->M_CaptionList().Index(), 2);
    EXPECT_EQ(flat->Caption(), QStringLiteral("3"));
    flat->move(20, 10);
    flat->SetLeft(20);

    f.pf.Pack().SetLanguageNumber(LanguageArabic);
    flat->SetHint(QStringLiteral("مشط"));
    EXPECT_EQ(flat->M_CaptionList().Index(), 2);
    EXPECT_EQ(flat->Caption(), QStringLiteral("3"));
    EXPECT_EQ(flat->layoutDirection(), Qt::LeftToRight) << "the face is not mirrored";
    EXPECT_EQ(hemi->x(), form.width() - 100 - hemi->width()) << "the position mirrors";
    f.pf.Pack().SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(flat->Hint(), QStringLiteral("Rack"));
    EXPECT_EQ(flat->Caption(), QStringLiteral("3"));
    EXPECT_EQ(hemi->x(), 100);
}
