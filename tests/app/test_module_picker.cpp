// The "Module Data" picker over a fixture library.

#include "LibrarySupport.h"
#include "app/UFormImportData.h"
#include "editors/NumEdit_m.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/groupbox_m.h"
#include "ui/panel_m.h"

#include <QListWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kdstest;

namespace {

QStringList Items(const TFormImportData& Form) {
    QStringList items;
    for (int i = 0; i < Form.LbxStripes->count(); ++i)
        items << Form.LbxStripes->item(i)->text();
    return items;
}

class PickerTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Lib = Dir.path() + QStringLiteral("/Export");
    std::unique_ptr<TFormImportData> Form;
    QStringList Errors;

    void SetUp() override {
        ModuleHeader low = EntryHeader();
        low.LowLines[2] = low.LowLines[4] = 1;
        ModuleHeader other = EntryHeader();
        other.Model = 720;
        WriteEntry(Lib, QStringLiteral("plain"), EntryHeader(), QLatin1String(EntryProgram));
        WriteEntry(Lib, QStringLiteral("low.v2"), low, QLatin1String(EntryProgram), 0x100000, 5);
        WriteEntry(Lib, QStringLiteral("k720"), other, QLatin1String(EntryProgram));
        Form = std::make_unique<TFormImportData>();
        Form->ShowError = [this](const std::exception& E) { Errors << QString::fromUtf8(E.what()); };
        Form->SetFolder(Lib);
    }
    void Select(const QString& Name) { Form->LbxStripes->setCurrentRow(int(Items(*Form).indexOf(Name))); }
};

} // namespace

TEST_F(PickerTest, ListsFittingEntriesAndEnablesTheLowLinesGroupForTheirUsers) {
    EXPECT_EQ(Items(*Form), (QStringList{"k720", "low.v2", "plain"}));
    Form->MachineSystems = 4;
    Form->MachineModel = 740;
    Form->CheckModuleFiles();
    EXPECT_EQ(Items(*Form), (QStringList{"low.v2", "plain"}));
    Select(QStringLiteral("low.v2"));
    EXPECT_EQ(Form->FirstLowLine, 3);
    EXPECT_EQ(Form->LastLowLine, 5);
    EXPECT_TRUE(Form->MGroupBox1->isEnabled());
    Form->MNumYBelow->SetValue(7);
    EXPECT_EQ(Form->GetYBelow(), 7);
    EXPECT_EQ(Form->ModuleFileName(), Lib + QStringLiteral("/low.v2"));
    Select(QStringLiteral("plain"));
    EXPECT_FALSE(Form->MGroupBox1->isEnabled());
    EXPECT_EQ(Form->GetYBelow(), -1);
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(PickerTest, ValuesAreRaisedToTheirLeastAndTheOffsetNeedsItsBox) {
    Form->MnumX->SetValue(0);
    Form->MnumY->SetValue(5);
    EXPECT_EQ(Form->GetImageX(), 1);
    EXPECT_EQ(Form->GetImageY(), 11);
    struct Case {
        bool Checked;
        int Value;
        int Offset;
    };
    for (const Case& c : {Case{false, 3, 0}, Case{true, 3, 3}, Case{true, 9, 0}, Case{true, 0, 0}}) {
        Form->chkAllOffset->setChecked(c.Checked);
        Form->MNumAllOffset->SetValue(c.Value);
        EXPECT_EQ(Form->GetOffset(), c.Offset) << c.Checked << " " << c.Value;
        EXPECT_EQ(Form->MNumAllOffset->isEnabled(), c.Checked);
    }
    // The offset row is brought into 1..8 when its editing ends, not while it is typed.
    for (auto [typed, kept] : {std::pair{9, 8}, {0, 1}, {5, 5}}) {
        Form->MNumAllOffset->SetValue(typed);
        emit Form->MNumAllOffset->editingFinished();
        EXPECT_EQ(Form->MNumAllOffset->Value(), kept) << typed;
    }
}

TEST_F(PickerTest, DeleteRemovesOneEntryAndAnUnreadableOneIsReportedWithTheListKept) {
    Select(QStringLiteral("low.v2"));
    Form->btnDelete->click();
    EXPECT_EQ(Items(*Form), (QStringList{"k720", "plain"}));
    EXPECT_EQ(Form->SelectedName(), QStringLiteral("plain"));
    EXPECT_TRUE(QFile::exists(Lib + QStringLiteral("/plain.bmp")));
    EXPECT_FALSE(QFile::exists(Lib + QStringLiteral("/low.v2.pt2")));

    WriteFile(Lib + QStringLiteral("/k720.bmp"), "not a picture");
    Select(QStringLiteral("k720"));
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_EQ(Items(*Form), (QStringList{"k720", "plain"}));
    EXPECT_FALSE(Form->MGroupBox1->isEnabled());
}

TEST_F(PickerTest, AnEntryNotDeletedStaysListedAndFilesLeftOfADeletedOneAreNamed) {
    QStringList shown;
    Form->ShowError = [&](const std::exception& E) {
        const auto* m = dynamic_cast<const MException*>(&E);
        shown << (m != nullptr ? QString::number(m->SubCode) + QLatin1Char(':') + m->Args : QString());
    };
    FailingSteps steps;
    Form->FileSteps = &steps;
    steps.FailRename = QStringLiteral("/plain.bmp");
    Select(QStringLiteral("plain"));
    Form->btnDelete->click();
    EXPECT_EQ(Items(*Form), (QStringList{"k720", "low.v2", "plain"}));
    EXPECT_EQ(Form->SelectedName(), QStringLiteral("plain"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("4960:plain;"))) << shown[0].toStdString();

    steps.FailRename.clear();
    steps.FailRemove = QStringLiteral("plain.LST");
    Form->btnDelete->click();
    EXPECT_EQ(Items(*Form), (QStringList{"k720", "low.v2"}));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1], QStringLiteral("4962:plain;%1/plain.LST.deleting~").arg(Lib));
    EXPECT_TRUE(QFile::exists(Lib + QStringLiteral("/plain.LST.deleting~")));
}

TEST_F(PickerTest, ExecuteIsTrueForOkWithASelectionOnly) {
    MModalForm::ModalHook = [](MModalForm& F) { static_cast<TFormImportData&>(F).btnOK->click(); };
    EXPECT_FALSE(Form->Execute());
    Select(QStringLiteral("plain"));
    EXPECT_TRUE(Form->Execute());
    MModalForm::ModalHook = [](MModalForm& F) { static_cast<TFormImportData&>(F).btnCancel->click(); };
    EXPECT_FALSE(Form->Execute());
    MModalForm::ModalHook = nullptr;
}

TEST(PickerLanguage, ItsPanelsHoldNoTextInEitherLanguage) {
    // The preview and list panels are frames only: no text may stand over the entry's picture.
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    TFormImportData form;
    for (int language : {LanguageArabic, LanguageEnglish}) {
        pack.OLanguagePack->SetLanguageNumber(language);
        for (const char* name : {"pnlImage", "pnlStripes"}) {
            const auto* panel = form.findChild<MPanel*>(QLatin1String(name));
            ASSERT_NE(panel, nullptr) << name;
            EXPECT_TRUE(panel->Caption().isEmpty())
                << name << " " << language << ": " << panel->Caption().toStdString();
        }
    }
}
