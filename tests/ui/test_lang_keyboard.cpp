#include "ui/AComboBx.h"
#include "ui/AEdit.h"
#include "ui/AMemo.h"
#include "ui/BiDi.h"
#include "ui/KeyboardLayout.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Layouts as a test wants them; notices come back at once, as some platforms send them.
struct FakeKeyboard : MKeyboardBackend {
    QList<unsigned> Installed{EnglishLayoutId, ArabicLayoutId};
    unsigned Active = EnglishLayoutId;
    QList<unsigned> Requests;
    QList<unsigned> Loads;

    QList<unsigned> InstalledLayouts() const override { return Installed; }
    unsigned ActiveLayout() const override { return Active; }
    bool ActivateLayout(unsigned Id) override {
        Requests << Id;
        if (!Installed.contains(Id))
            return false;
        Switch(Id);
        return true;
    }
    bool LoadLayout(unsigned Id) override {
        Loads << Id;
        Installed << Id;
        Switch(Id);
        return true;
    }
    // The user (or the program) changes the layout.
    void Switch(unsigned Id) {
        Active = Id;
        if (OnLayoutChanged)
            OnLayoutChanged(Id);
    }
};

// A window with an edit and a button to move the focus to; the fake is installed for the test.
struct KeyboardFixture : ::testing::Test {
    FakeKeyboard* Keys = nullptr;
    QWidget Window;
    TArabEdit* Edit = nullptr;
    QPushButton* Other = nullptr;
    QList<int> Changes;

    void SetUp() override {
        auto fake = std::make_unique<FakeKeyboard>();
        Keys = fake.get();
        MKeyboardLayouts::Instance().SetBackend(std::move(fake));
        Edit = new TArabEdit(&Window);
        Edit->OnLangChange = [this](QObject* s, int l) {
            EXPECT_EQ(s, Edit);
            Changes << l;
        };
        Other = new QPushButton(&Window);
        Other->move(0, 40);
        Window.show();
        QApplication::setActiveWindow(&Window);
        Other->setFocus();
    }
    void TearDown() override { MKeyboardLayouts::Instance().SetBackend(nullptr); }
    void Enter() { Edit->setFocus(Qt::TabFocusReason); }
    void Leave() { Other->setFocus(Qt::TabFocusReason); }
};

TEST_F(KeyboardFixture, EditSwitchedToArabicSelectsItAtOnceAndLeavingGivesTheOldLayoutBack) {
    Edit->SetArabic(false);
    EXPECT_EQ(Keys->Active, EnglishLayoutId);
    Enter();
    ASSERT_TRUE(Edit->hasFocus());
    Edit->SetArabic(true);
    EXPECT_EQ(Keys->Active, ArabicLayoutId);
    EXPECT_TRUE(IsArabicKeyboard());
    EXPECT_TRUE(Edit->KeyboardLanguage);
    Leave();
    EXPECT_EQ(Keys->Active, EnglishLayoutId);
    EXPECT_TRUE(Changes.isEmpty()); // the program's own changes are not the user's
}

TEST_F(KeyboardFixture, UserChoiceInsideTheEditIsRememberedForTheNextEntry) {
    ASSERT_TRUE(Edit->Arabic());
    Enter(); // English -> Arabic by the program
    EXPECT_EQ(Keys->Active, ArabicLayoutId);
    Keys->Switch(EnglishLayoutId); // the user's own switch
    EXPECT_FALSE(Edit->KeyboardLanguage);
    EXPECT_EQ(Changes, QList<int>{0});
    Leave();
    Keys->Switch(ArabicLayoutId); // while another control has the focus: not the edit's business
    EXPECT_FALSE(Edit->KeyboardLanguage);
    Enter();
    EXPECT_EQ(Keys->Active, EnglishLayoutId);
    Leave();
    EXPECT_EQ(Keys->Active, ArabicLayoutId);
}

TEST_F(KeyboardFixture, EnteringWithTheLayoutAlreadyActiveDoesNotSwallowTheUsersSwitch) {
    Keys->Switch(ArabicLayoutId);
    Keys->Requests.clear();
    Enter(); // already Arabic: nothing requested
    EXPECT_TRUE(Keys->Requests.isEmpty());
    EXPECT_FALSE(MKeyboardLayouts::Instance().PendingLayout().has_value());
    Keys->Switch(EnglishLayoutId); // the user's first switch counts
    EXPECT_EQ(Changes, QList<int>{0});
    Leave();
    EXPECT_EQ(Keys->Active, ArabicLayoutId);
    Enter();
    EXPECT_EQ(Keys->Active, EnglishLayoutId);
}

TEST_F(KeyboardFixture, OnlyTheNoticeOfTheRequestedLayoutIsTheProgramsOwn) {
    Leave();
    // A back end whose notices come later.
    auto late = std::make_unique<FakeKeyboard>();
    FakeKeyboard* k = late.get();
    MKeyboardLayouts::Instance().SetBackend(std::move(late));
    auto deliver = std::move(k->OnLayoutChanged);
    k->OnLayoutChanged = nullptr;
    Enter(); // asks for Arabic; the notice is still to come
    EXPECT_EQ(MKeyboardLayouts::Instance().PendingLayout(), std::optional<unsigned>(ArabicLayoutId));
    deliver(ArabicLayoutId);
    EXPECT_TRUE(Changes.isEmpty());
    EXPECT_FALSE(MKeyboardLayouts::Instance().PendingLayout().has_value());
    k->Active = EnglishLayoutId;
    deliver(EnglishLayoutId);
    EXPECT_EQ(Changes, QList<int>{0});
}

TEST_F(KeyboardFixture, DestroyingTheFocusedControlGivesTheLayoutBack) {
    auto* memo = new TArabMemo(&Window);
    memo->move(0, 80);
    memo->show();
    Enter();
    ASSERT_EQ(Keys->Active, ArabicLayoutId);
    delete memo; // not the focused one: the layout stays
    EXPECT_EQ(Keys->Active, ArabicLayoutId);
    delete Edit; // the row of an editor is rebuilt while the user types in it
    Edit = nullptr;
    EXPECT_EQ(Keys->Active, EnglishLayoutId);
    EXPECT_TRUE(Changes.isEmpty());
}

TEST_F(KeyboardFixture, MissingArabicLayoutIsLoadedByName) {
    Keys->Installed = {EnglishLayoutId, 0x407};
    Edit->SetArabic(false);
    Edit->SetArabic(true);
    EXPECT_EQ(Keys->Loads, QList<unsigned>{ArabicLayoutId});
    EXPECT_EQ(ArabicLayoutName(), QStringLiteral("00000401"));
    EXPECT_EQ(EnglishLayoutName(), QStringLiteral("00000409"));
    // English is any installed layout that is not Arabic, the last one first.
    SelectKeyboardLayout(false);
    EXPECT_EQ(Keys->Active, 0x407u);
}

TEST_F(KeyboardFixture, MemoAndComboFollowTheirLayoutsToo) {
    auto* memo = new TArabMemo(&Window);
    auto* combo = new TArabComboBox(&Window);
    combo->setEditable(true);
    memo->move(0, 80);
    combo->move(0, 200);
    memo->show();
    combo->show();
    memo->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Keys->Active, ArabicLayoutId);
    Keys->Switch(EnglishLayoutId);
    EXPECT_FALSE(memo->KeyboardLanguage);
    combo->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Keys->Active, ArabicLayoutId); // the combo's own layout; the memo gave back English first
    Leave();
    EXPECT_EQ(Keys->Active, EnglishLayoutId);
    EXPECT_EQ(MKeyboardLayouts::CharsetOfLayout(0x401), ARABIC_CHARSET);
    EXPECT_EQ(MKeyboardLayouts::CharsetOfLayout(0x1401), ARABIC_CHARSET);
    EXPECT_EQ(MKeyboardLayouts::CharsetOfLayout(0x409), ANSI_CHARSET);
}

TEST(KeyboardService, NullBackEndNeverSwitches) {
    MKeyboardLayouts::Instance().SetBackend(CreateNullKeyboardBackend());
    EXPECT_FALSE(IsArabicKeyboard());
    SelectKeyboardLayout(true);
    EXPECT_FALSE(IsArabicKeyboard());
    EXPECT_FALSE(MKeyboardLayouts::Instance().PendingLayout().has_value());
    // Off X the default is the null back end.
    EXPECT_EQ(CreateDefaultKeyboardBackend()->ActiveLayout(), EnglishLayoutId);
    MKeyboardLayouts::Instance().SetBackend(nullptr);
}

} // namespace
