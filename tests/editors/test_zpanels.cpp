// The knitting-scheme (Z) editor offscreen: the cell table, showing a module without writing it,
// the coupled racking cells and byte fields, the store with its OK/Ignore dialogue, the cam menu of
// a cell, key A, the drops of cells and systems, the field help, the container's pairs and menu.

#include "editors/CamBox_m.h"
#include "editors/CamPopupMenu_m.h"
#include "editors/ColorBox_M.h"
#include "editors/ModuleMenu.h"
#include "editors/MoukikMemo_m.h"
#include "editors/NumEdit_m.h"
#include "editors/RZPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UCamCodes.h"
#include "model/ULstFile.h"
#include "model/UProject.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "tests/editors/CellTestSupport.h"
#include "tests/support/PlainMessages.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/Adapter.h"
#include "ui/Image_m.h"
#include "ui/ScrollFlatBtn_m.h"
#include "ui/ULPackDM.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <set>

using kdstest::MScriptedMessages;
using Shown = MScriptedMessages::Shown;

namespace {

// A window of one project with its Z list on a machine of Systems cam systems.
struct Window : MForm {
    explicit Window(int Systems = 2, int Machine = 745, MLanguagePack* Pack = nullptr) {
        resize(900, 520);
        new MLanguageAdapter(this);
        if (Pack)
            SetLanguagePack(Pack);
        SetResourceLanguage(LanguageEnglish);
        Project.Lists.Machine.Model = Machine;
        Project.Lists.Machine.Category = Systems;
        Z = new MRZContainerPanel(this, Systems, Machine, &Project.Colors, this);
        Z->Project = &Project;
        Z->InitLayout(0);
        Z->SetClipboard(&Clipboard);
        Menu = MakeModulePopupMenu(this, true);
        Z->SetPopupMenu(Menu);
        Outside = new QLineEdit(this);
        Outside->setGeometry(0, 500, 100, 20);
        FinishLoading();
    }
    ~Window() override { DestroyComponents(); }
    void Show() {
        Z->SetItems(&Project.Lists.Z);
        buttontest::ShowActive(*this);
        QTest::mouseRelease(this, Qt::LeftButton, {}, QPoint(1, 1));
    }
    MUnvZ& Put(int Number) {
        MUnvZ z;
        z.Number = Number;
        Project.Lists.Z.AddOrReplace(z);
        return Project.Lists.Z.GetZ(Number);
    }
    MRZPanel* Row(int Slot) const { return Z->Row(Slot); }
    std::vector<int> Shown() const {
        std::vector<int> v;
        for (MRBasePanel* r : Z->Rows())
            v.push_back(r->isHidden() ? -1 : r->EntryNumber);
        return v;
    }
    static void Focus(QWidget* Cell) {
        Cell->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    MMemoryProject Project;
    TMUnvClipBoard Clipboard;
    MRZContainerPanel* Z;
    MPopupMenu* Menu;
    QLineEdit* Outside;
};

// A row alone, outside any container.
struct LoneRow {
    explicit LoneRow(int Systems, int Machine = 745) {
        menu = new MCamPopupMenu(nullptr, &host);
        menu->AddCamCodes();
        row = new MRZPanel(nullptr, Systems, Machine, nullptr, nullptr, menu, nullptr, &host);
    }
    QWidget host;
    MCamPopupMenu* menu;
    MRZPanel* row;
};

std::set<int> Tags(const MRZPanel& Row) {
    std::set<int> tags;
    for (int t : Row.NavigationTags())
        tags.insert(t);
    return tags;
}

void Insert(std::set<int>& S, int From, int To) {
    for (int t = From; t <= To; ++t)
        S.insert(t);
}

} // namespace

TEST(ZRow, TheCellTableByTheMachine) {
    LoneRow two(2);
    std::set<int> expected{0,   1,   3,   5,   7,   105, 200, 203, 205, 207, 405, 500, 503, 505,
                           507, 702, 703, 802, 803, 804, 807, 809, 901, 902, 903, 904, 906, 907};
    Insert(expected, 300, 309);
    Insert(expected, 600, 609);
    Insert(expected, 1000, 1009);
    EXPECT_EQ(Tags(*two.row), expected);
    // Widths by the systems; the highest system on the left.
    EXPECT_EQ(two.row->width(), 308);
    EXPECT_EQ(two.row->height(), 218);
    EXPECT_LT(two.row->HeaderCells[1]->x(), two.row->HeaderCells[0]->x());
    EXPECT_EQ(two.row->HeaderCells[1]->objectName(), QStringLiteral("P_1"));
    EXPECT_EQ(two.row->CamCells[3]->objectName(), QStringLiteral("CamBox_3"));
    EXPECT_EQ(LoneRow(1).row->width(), 250);
    LoneRow four(4);
    EXPECT_EQ(four.row->width(), 424);
    const std::set<int> all = Tags(*four.row);
    EXPECT_EQ(*all.rbegin(), 1609);
    EXPECT_TRUE(all.count(1302) && all.count(1609) && !all.count(1301));
    // The 720 hides the outer systems' tying and net-rear buttons; the row works without artwork.
    LoneRow m720(4, 720);
    for (int slot = 0; slot < 8; ++slot)
        EXPECT_EQ(m720.row->TyingCells[std::size_t(slot)]->isHidden(), slot < 2 || slot > 5) << slot;
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(m720.row->NetRearCells[std::size_t(s)]->isHidden(), s == 0 || s == 3) << s;
        EXPECT_EQ(m720.row->NetRearFlagCells[std::size_t(s)]->isHidden(), s == 0 || s == 3) << s;
        EXPECT_FALSE(m720.row->UnipressCells[std::size_t(s)]->isHidden());
    }
}

TEST(ZRow, ShowingAModuleWritesNothingAndEditsWriteTheirFields) {
    LoneRow r(2);
    MRZPanel& row = *r.row;
    row.show();
    MUnvZ z;
    z.Number = 4;
    z.FDMirror = 7;            // no caption shows it
    z.Racking[0] = {12, 0, 0}; // a value under a blank group
    z.Tying[1] = 9;            // past the captions
    z.PatternLine[0] = 123456; // past four digits
    z.CamCode[2] = 30;         // past the table
    z.Carriers[0].Value = 11;  // an offset past 8
    z.TZ = 50;
    row.SetZ_Item(z);
    EXPECT_TRUE(row.Z_Item().Equals(z)) << "a fill writes nothing";
    EXPECT_EQ(row.Z_Item().FDMirror, 7);
    EXPECT_EQ(row.Z_Item().Racking[0].Position, 12);
    EXPECT_TRUE(row.RackPositionCells[0]->text().isEmpty());
    // Arrows by parity.
    EXPECT_FALSE(row.LeftArrow->isHidden());
    for (int n : {0, 3, 6}) {
        row.NumberCell->SetValue(n);
        EXPECT_EQ(!row.RightArrow->isHidden(), n % 2 == 1 || n == 0) << n;
        EXPECT_EQ(!row.LeftArrow->isHidden(), !(n % 2 == 1 || n == 0)) << n;
    }
    // The mirror button's captions and codes.
    z.FDMirror = 64;
    row.SetZ_Item(z);
    EXPECT_EQ(row.FDMirrorCell->M_CaptionList().Index(), 1);
    row.FDMirrorCell->M_CaptionList().SetIndex(2);
    EXPECT_EQ(row.Z_Item().FDMirror, 128);
    // 256 is no byte: the range error is shown and TZ keeps its value.
    kdstest::MPlainMessages plain;
    row.SpeedCell->SetValue(256);
    EXPECT_EQ(plain.Texts.size(), 1);
    EXPECT_EQ(row.Z_Item().TZ, 50);
    row.SpeedCell->SetValue(120);
    EXPECT_EQ(row.Z_Item().TZ, 120);
    // Each static stitch length writes its own field.
    row.UpperFSCell->SetValue(12);
    row.LowerFSCell->SetValue(34);
    EXPECT_EQ(std::pair(int(row.Z_Item().FSFront), int(row.Z_Item().FSRear)), std::pair(12, 34));
    // Racking through its cells: typed into a blank group, then blanked.
    row.RackPositionCells[1]->SetValue(5);
    EXPECT_EQ(row.RackDirectionCells[1]->M_CaptionList().Index(), 1);
    EXPECT_EQ(row.TransferCells[1]->M_CaptionList().Index(), 1);
    EXPECT_EQ(row.Z_Item().Racking[1], (MZRacking{5, 1, 0}));
    row.RackPositionCells[1]->clear();
    EXPECT_EQ(row.Z_Item().Racking[1], (MZRacking{0, 0, 0}));
    EXPECT_EQ(row.RackDirectionCells[1]->M_CaptionList().Index(), 0);
    row.CorrectionCells[0]->M_CaptionList().SetIndex(1);
    EXPECT_EQ(row.Z_Item().Racking[0], (MZRacking{0, 1, 1}));
    EXPECT_EQ(row.RackPositionCells[0]->text(), QStringLiteral("0"));
    // The carrier memo and the offset each keep the other's part.
    row.OffsetCells[0]->M_CaptionList().SetIndex(3);
    EXPECT_EQ(row.Z_Item().Carriers[0].Value, 3);
    row.CarrierCells[0]->setPlainText(QStringLiteral("25"));
    EXPECT_EQ(row.Z_Item().Carriers[0].Value, 3);
    EXPECT_EQ(row.Z_Item().Carriers[0].Bits[0], 0x12);
}

TEST(ZRow, ValuesTheCellsCannotShowStayWhileTheirKindIsEdited) {
    LoneRow r(2);
    MRZPanel& row = *r.row;
    // System 0 holds what its cells cannot show; system 1's cells of every kind are edited.
    MUnvZ z;
    z.Number = 1;
    z.PatternLine[0] = 123456;
    z.Tying[1] = 3;
    z.Carriers[0].Value = 11;
    z.Unipress[0] = 5;
    z.NetRearFront[0] = 7;
    z.NetRear[0] = 99;
    row.SetZ_Item(z);
    row.PatternCells[2]->SetValue(40);
    row.TyingCells[3]->M_CaptionList().SetIndex(1);
    row.OffsetCells[1]->M_CaptionList().SetIndex(2);
    row.UnipressCells[1]->M_CaptionList().SetIndex(1);
    row.NetRearFlagCells[1]->M_CaptionList().SetIndex(1);
    row.NetRearCells[1]->M_CaptionList().SetIndex(2);
    MUnvZ expected;
    expected.Assign(z);
    expected.PatternLine[2] = 40;
    expected.Tying[3] = 1;
    expected.Carriers[1].Value = 2;
    expected.Unipress[1] = 1;
    expected.NetRearFront[1] = 1;
    expected.SetNetRear(1, 2);
    EXPECT_TRUE(row.Z_Item().Equals(expected));
    EXPECT_EQ(row.Z_Item().PatternLine[0], 123456);
    EXPECT_EQ(row.Z_Item().NetRear[0], 99);
    // A system copied onto another takes those values as they stand, and its cells show them.
    row.CopySystem(z, 0, 1);
    const MUnvZ& copied = row.Z_Item();
    EXPECT_EQ(copied.PatternLine[2], 123456);
    EXPECT_EQ(copied.Tying[3], 3);
    EXPECT_EQ(copied.Carriers[1].Value, 11);
    EXPECT_EQ(copied.NetRear[1], 99);
    EXPECT_EQ(copied.Unipress[1], 5);
    EXPECT_EQ(row.PatternCells[2]->Value(), 9999);
    EXPECT_EQ(row.OffsetCells[1]->M_CaptionList().Index(), 8);
}

TEST(ZRow, CamMenusKeyAAndFieldHelp) {
    LoneRow r(2);
    MRZPanel& row = *r.row;
    // Key A on a rear pattern line: the rear bed first, both beds the second time.
    row.PatternCells[1]->SetValue(20);
    row.PatternCells[3]->SetValue(5);
    row.PatternCells[0]->SetValue(7);
    const int rearTag = WidgetTag(row.PatternCells[1]);
    row.FillPatternLines(rearTag);
    EXPECT_EQ(row.Z_Item().PatternLine[3], 20);
    EXPECT_EQ(row.Z_Item().PatternLine[0], 7);
    row.FillPatternLines(rearTag);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(row.Z_Item().PatternLine[std::size_t(i)], 20) << i;
    // From the keyboard: A in a front pattern line spreads it; in the common part it does nothing.
    r.host.show();
    row.PatternCells[2]->SetValue(9);
    row.UpperFSCell->SetValue(4);
    for (QWidget* cell : std::initializer_list<QWidget*>{row.UpperFSCell, row.PatternCells[2]}) {
        cell->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(cell, Qt::Key_A);
    }
    EXPECT_EQ(row.Z_Item().PatternLine[0], 9);
    EXPECT_EQ(row.Z_Item().PatternLine[1], 20);
    EXPECT_EQ(row.UpperFSCell->Value(), 4);
    // The menu for a cell follows the other cells' family (the cell of another system, so that no
    // pair rule hides anything).
    row.CamCells[0]->SetValue(2);
    row.PrepareCamMenu(3);
    EXPECT_TRUE(r.menu->Item(13).Visible);
    EXPECT_FALSE(r.menu->Item(14).Visible);
    EXPECT_TRUE(r.menu->Item(7).Break);
    // Field help: the cam text in the row's language; the FS cell outside a container.
    QString text;
    row.GetFieldHint(row.CamCells[0], text);
    ASSERT_EQ(row.LanguageIndex(), LanguageArabic);
    EXPECT_EQ(text, QStringLiteral("\n\r") + MRZPanel::CamHint(2, true));
    EXPECT_EQ(MRZPanel::CamHint(2, false), QStringLiteral("JR = Jacquard stitches"));
    EXPECT_NE(MRZPanel::CamHint(2, true), MRZPanel::CamHint(2, false));
    row.GetFieldHint(row.UpperFSCell, text);
    EXPECT_EQ(text, QStringLiteral("\n\r@S@NO UContainer"));
    row.GetFieldHint(row.PRCell, text);
    EXPECT_TRUE(text.isEmpty());
    // On a 720 key A on an outer slot's cam does nothing.
    LoneRow m(4, 720);
    m.row->CamCells[0]->SetValue(14);
    m.row->FillCams(WidgetTag(m.row->CamCells[0]));
    EXPECT_EQ(m.row->CamCells[2]->Value(), 0);
    m.row->CamCells[2]->SetValue(15);
    m.row->FillCams(WidgetTag(m.row->CamCells[2]));
    EXPECT_EQ(m.row->CamCells[4]->Value(), 15);
    EXPECT_EQ(m.row->CamCells[6]->Value(), 0);
}

TEST(ZContainer, PairsMenuAndTheStoreDialogue) {
    Window w;
    for (int n : {1, 2, 3, 5, 6})
        w.Put(n);
    w.Show();
    // Two display rows of odd-even pairs.
    EXPECT_EQ(w.Shown(), (std::vector<int>{1, 2, 3, -1}));
    w.Z->SetTopRow(1);
    EXPECT_EQ(w.Shown(), (std::vector<int>{3, -1, 5, 6}));
    w.Z->SetTopRow(0);
    ASSERT_EQ(w.Z->CamMenu()->Count(), 27);
    for (int i = 0; i < 27; ++i)
        EXPECT_EQ(w.Z->CamMenu()->Item(i).Tag, i);

    // "PB*" fails the kind's check: OK stores nothing and leaves the focus on the number cell.
    MScriptedMessages messages(mbOK);
    MRZPanel* row = w.Row(0);
    Window::Focus(row->NumberCell);
    row->PBModeCell->M_CaptionList().SetIndex(2);
    Window::Focus(w.Outside);
    QApplication::processEvents();
    ASSERT_EQ(messages.Coded.size(), 1u);
    EXPECT_EQ(messages.Coded[0].Buttons, mbOK | mbIgnore);
    EXPECT_EQ(w.Project.Lists.Z.GetZ(1).PB.Mode, 0);
    EXPECT_FALSE(w.Z->ScrollBar()->isEnabled());
    EXPECT_TRUE(row->NumberCell->hasFocus());
    // Ignore stores it unchecked and gives the switch back, also on a renumbered row.
    messages.Answers = {mbIgnore};
    ASSERT_TRUE(ListsAutoValidate);
    EXPECT_TRUE(row->ApplyEntry());
    EXPECT_EQ(w.Project.Lists.Z.GetZ(1).PB.Mode, 2);
    EXPECT_TRUE(ListsAutoValidate);
    messages.Answers = {mbIgnore};
    row->NumberCell->SetValue(9);
    EXPECT_TRUE(row->ApplyEntry());
    EXPECT_TRUE(w.Project.Lists.Z.Contains(9));
    EXPECT_EQ(w.Project.Lists.Z.GetZ(9).PB.Mode, 2);
    EXPECT_TRUE(ListsAutoValidate);
}

TEST(ZContainer, DropsOfSystemsAndCells) {
    Window w;
    w.Put(1);
    MUnvZ& two = w.Put(2);
    two.CamCode[2] = 14;
    two.CamCode[3] = 14;
    two.PatternLine[3] = 8;
    two.Unipress[1] = 1;
    w.Show();
    MRZPanel* left = w.Row(0);
    MRZPanel* right = w.Row(1);
    // Header of system 1 of row 2 onto system 0 of row 1: copied and stored.
    bool accept = false;
    left->CellDragOver(left->HeaderCells[0], TDragSource{nullptr, right->HeaderCells[1]}, 1, 1, dsDragMove,
                       accept);
    EXPECT_TRUE(accept);
    left->CellDragDrop(left->HeaderCells[0], TDragSource{nullptr, right->HeaderCells[1]}, 1, 1);
    const MUnvZ& stored = w.Project.Lists.Z.GetZ(1);
    EXPECT_EQ(stored.CamCode[0], 14);
    EXPECT_EQ(stored.CamCode[1], 14);
    EXPECT_EQ(stored.PatternLine[1], 8);
    EXPECT_EQ(stored.Unipress[0], 1);
    // A number cell onto an unnamed one (take-down mode onto jacquard racking): refused.
    left->CellDragOver(left->JVCell, TDragSource{nullptr, right->WA2ModeCell}, 1, 1, dsDragMove, accept);
    EXPECT_FALSE(accept);
    left->CellDragOver(left->SpeedCell, TDragSource{nullptr, right->FDCell}, 1, 1, dsDragMove, accept);
    EXPECT_FALSE(accept) << "unnamed number cells";
    // A row or a container is a panel too, but no header: refused over a header.
    for (QWidget* panel : std::initializer_list<QWidget*>{right, w.Z}) {
        left->CellDragOver(left->HeaderCells[0], TDragSource{nullptr, panel}, 1, 1, dsDragMove, accept);
        EXPECT_FALSE(accept) << panel->metaObject()->className();
    }
    // Pattern lines share their stem whatever the slot; the value goes over and is stored.
    left->CellDragOver(left->PatternCells[0], TDragSource{nullptr, right->PatternCells[3]}, 1, 1, dsDragMove,
                       accept);
    EXPECT_TRUE(accept);
    left->CellDragDrop(left->PatternCells[0], TDragSource{nullptr, right->PatternCells[3]}, 1, 1);
    EXPECT_EQ(w.Project.Lists.Z.GetZ(1).PatternLine[0], 8);
}

TEST(ZContainer, MirroredPastesAreAllOrNothing) {
    Window w;
    for (int n = 1; n <= 4; ++n)
        w.Put(n);
    w.Show();
    MScriptedMessages messages(mbOK);
    kdstest::MPlainMessages plain;
    // Another kind on the clipboard: nothing, silently.
    w.Clipboard.SetKind(wiS);
    w.Z->RunCommand(ccInsertMirror);
    EXPECT_TRUE(messages.Coded.empty());
    EXPECT_EQ(w.Project.Lists.Z.Count(), 4);
    // Past the kind's largest number: shown, list and clipboard as they were.
    w.Clipboard.SetKind(wiZ);
    w.Project.Lists.Z.GetZ(1).Marks.Selected = 1;
    w.Project.Lists.Z.GetZ(2).Marks.Selected = 1;
    w.Clipboard.Copy(w.Project.Lists.Z, 0);
    w.Project.Lists.Z.SelectNone();
    ASSERT_EQ(w.Clipboard.Buffer.Count(), 2);
    w.Z->PopupNumber = w.Project.Lists.Z.HighestNumber();
    w.Z->RunCommand(ccPasteMirror);
    EXPECT_EQ(messages.Coded.size() + std::size_t(messages.Plain.size() + plain.Texts.size()), 1u);
    EXPECT_EQ(w.Project.Lists.Z.Count(), 4);
    EXPECT_EQ(w.Clipboard.Buffer.ItemAt(0).Number, 1);
    EXPECT_EQ(w.Clipboard.Buffer.ItemAt(1).Number, 2);
}

TEST(ZContainer, CamCompletionAndDragsWithinTheList) {
    Window w(2);
    for (int n = 1; n <= 8; ++n)
        w.Put(n);
    MUnvZ& three = w.Project.Lists.Z.GetZ(3);
    three.PatternLine[0] = 11; // system 0
    three.PatternLine[2] = 33; // system 1
    w.Show();
    // Only first-family codes and a blank cam with line 0: "JA" and line 1; only the second: "A", 0.
    // (Without colours the rows fail the kind's check: stored as they are.)
    MScriptedMessages messages(mbIgnore);
    MRZPanel* row = w.Row(0);
    row->CamCells[0]->SetValue(2);
    row->PatternCells[1]->SetValue(0);
    ASSERT_TRUE(row->ApplyEntry());
    const MUnvZ& one = w.Project.Lists.Z.GetZ(1);
    EXPECT_EQ(one.CamCode[1], 1);
    EXPECT_EQ(one.PatternLine[1], 1);
    // A line the cell cannot show is no blank line: it stays.
    MUnvZ& unshown = w.Project.Lists.Z.GetZ(1);
    unshown.CamCode[3] = 0;
    unshown.PatternLine[3] = 123456;
    row->SetZ_Item(unshown);
    ASSERT_TRUE(row->ApplyEntry());
    EXPECT_EQ(w.Project.Lists.Z.GetZ(1).CamCode[3], 1);
    EXPECT_EQ(w.Project.Lists.Z.GetZ(1).PatternLine[3], 123456);
    row->CamCells[0]->SetValue(15);
    row->CamCells[1]->SetValue(0);
    row->CamCells[2]->SetValue(0);
    row->CamCells[3]->SetValue(0);
    row->PatternCells[1]->SetValue(6);
    ASSERT_TRUE(row->ApplyEntry());
    EXPECT_EQ(w.Project.Lists.Z.GetZ(1).CamCode[1], 14);
    EXPECT_EQ(w.Project.Lists.Z.GetZ(1).PatternLine[1], 0);

    // A drag of 3 onto 7: mirrored with Alt, exact without; the main clipboard keeps what it held.
    w.Clipboard.SetKind(wiZ);
    w.Clipboard.Copy(w.Project.Lists.Z, 5);
    for (bool mirror : {true, false}) {
        w.Z->BeginRowDrag(0, false);
        w.Z->DragNumber = 3;
        w.Z->DragSelected = false;
        w.Z->DragMirror = mirror;
        w.Z->DragWithin(3, 7);
        const MUnvZ& seven = w.Project.Lists.Z.GetZ(7);
        EXPECT_EQ(seven.PatternLine[0], mirror ? 33 : 11) << mirror;
        EXPECT_EQ(seven.PatternLine[2], mirror ? 11 : 33) << mirror;
        ASSERT_EQ(w.Clipboard.Buffer.Count(), 1);
        EXPECT_EQ(w.Clipboard.Buffer.ItemAt(0).Number, 5);
    }
}

TEST(ZContainer, CamCompletionLeavesACellTheOtherBedWouldRefuse) {
    // Rear "JU" spread with key A, the fronts left blank: completion writes no "JA" beside "JU",
    // the refusal names the system and both beds, and the front's menu offers only what fits.
    Window w(2);
    MUnvZ& one = w.Put(1);
    for (std::size_t i = 0; i < 4; ++i) {
        one.LG[i].SetBit(1, 1);
        one.KNF[i].SetBit(2, 1);
    }
    w.Put(2);
    w.Show();
    MScriptedMessages messages(mbOK);
    MRZPanel* row = w.Row(0);
    row->CamCells[1]->SetValue(camJU);
    row->FillCams(WidgetTag(row->CamCells[1]));
    ASSERT_EQ(row->CamCells[3]->Value(), camJU);
    EXPECT_FALSE(row->ApplyEntry());
    EXPECT_EQ(messages.Coded, (std::vector<Shown>{{5014, 23, QStringLiteral("1;1;-;JU"), mbOK | mbIgnore}}));
    EXPECT_EQ(row->CamCells[0]->Value(), 0);
    EXPECT_EQ(row->CamCells[2]->Value(), 0);
    EXPECT_EQ(row->Z_Item().CamCode[0], 0);
    EXPECT_EQ(w.Project.Lists.Z.GetZ(1).CamCode[1], 0);
    row->PrepareCamMenu(0);
    const MCamPopupMenu& menu = *w.Z->CamMenu();
    EXPECT_TRUE(menu.Item(0).Visible);
    EXPECT_FALSE(menu.Item(camJA).Visible);
    EXPECT_TRUE(menu.Item(camJN).Visible);
    EXPECT_TRUE(menu.Item(camNA).Visible);
    // The designer's partners are stored as given.
    row->CamCells[0]->SetValue(camJN);
    row->CamCells[2]->SetValue(camNA);
    EXPECT_TRUE(row->ApplyEntry());
    EXPECT_EQ(messages.Coded.size(), 1u);
    const MUnvZ& stored = w.Project.Lists.Z.GetZ(1);
    EXPECT_EQ(stored.CamCode, (std::array<std::uint8_t, ZSlots>{camJN, camJU, camNA, camJU, 0, 0, 0, 0}));
}

TEST(ZContainer, AFieldStoredWithIgnoreThatTheMachineFileCannotHoldIsNamedWhenSaved) {
    // Every value a cell can give that the kind's check refuses, stored with Ignore: the machine file
    // either holds it and gives it back, or its writer raises the numbered message that names the
    // module, the field by the letters the row shows, the value and the range, and nothing else
    // stops working.
    struct Case {
        const char* Name;
        std::function<void(MRZPanel&)> Edit;
        int SubCode;         // 0: the file holds it
        const char* Refusal; // the arguments after the module
    };
    const Case cases[] = {
        {"PB*", [](MRZPanel& r) { r.PBModeCell->M_CaptionList().SetIndex(2); }, lstmsg::Mode, "PB;2;0;1"},
        {"PB 500", [](MRZPanel& r) { r.PBValueCell->SetValue(500); }, lstmsg::Field, "PB;500;-126;126"},
        {"PB 120", [](MRZPanel& r) { r.PBValueCell->SetValue(120); }, 0, nullptr},
        {"PR -300", [](MRZPanel& r) { r.PRCell->SetValue(-300); }, lstmsg::Field, "PR;-300;-126;126"},
        {"PR 126", [](MRZPanel& r) { r.PRCell->SetValue(126); }, 0, nullptr},
        {"WA1 999", [](MRZPanel& r) { r.WA1ValueCell->SetValue(999); }, lstmsg::Field, "WA1;999;-127;127"},
        {"WA1 -127", [](MRZPanel& r) { r.WA1ValueCell->SetValue(-127); }, 0, nullptr},
        {"WA2 -128", [](MRZPanel& r) { r.WA2ValueCell->SetValue(-128); }, lstmsg::Field, "WA2;-128;-127;127"},
        {"WA2 v with 5",
         [](MRZPanel& r) {
             r.WA2StepCell->M_CaptionList().SetIndex(3);
             r.WA2ValueCell->SetValue(5);
         },
         lstmsg::TakeDownStep, "5;v"},
        {"WA2 R with 0", [](MRZPanel& r) { r.WA2StepCell->M_CaptionList().SetIndex(1); },
         lstmsg::TakeDownStep, "0;R"},
        {"TZ 200", [](MRZPanel& r) { r.SpeedCell->SetValue(200); }, lstmsg::Field, "TZ;200;0;127"},
        {"TZ 127", [](MRZPanel& r) { r.SpeedCell->SetValue(127); }, 0, nullptr},
        {"ZT 9999", [](MRZPanel& r) { r.PatternCells[3]->SetValue(9999); }, 0, nullptr},
        {"FS 99", [](MRZPanel& r) { r.UpperFSCell->SetValue(99); }, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Window w(2);
        w.Put(1);
        w.Put(2);
        w.Show();
        MScriptedMessages messages(mbIgnore);
        MRZPanel* row = w.Row(0);
        c.Edit(*row);
        ASSERT_TRUE(row->ApplyEntry());
        ASSERT_EQ(messages.Coded.size(), 1u);
        EXPECT_EQ(messages.Coded[0].Code, 5014);
        MProgramLists& lists = w.Project.Lists;
        if (!c.Refusal) {
            MProgramLists back;
            ReadMachineFile(MachineFileImage(lists.Machine, lists.Lists()), QStringLiteral("Z_745e7.LST"),
                            back.Machine, back.Lists());
            EXPECT_TRUE(back.Z.GetZ(1).Equals(lists.Z.GetZ(1)));
            continue;
        }
        try {
            MachineFileImage(lists.Machine, lists.Lists());
            ADD_FAILURE() << "written";
        } catch (const MException& e) {
            EXPECT_EQ(e.Code, lstmsg::Code);
            EXPECT_EQ(e.SubCode, c.SubCode);
            EXPECT_EQ(e.Args, QStringLiteral("Z1;") + QLatin1String(c.Refusal));
        }
        // The rest goes on: the other row still stores, and the row mended, the file is written.
        w.Row(1)->PatternCells[0]->SetValue(9);
        EXPECT_TRUE(w.Row(1)->ApplyEntry());
        MUnvZ mended;
        mended.Number = 1;
        row->SetZ_Item(mended);
        EXPECT_TRUE(row->ApplyEntry());
        EXPECT_FALSE(MachineFileImage(lists.Machine, lists.Lists()).isEmpty());
        EXPECT_EQ(lists.Z.GetZ(2).PatternLine[0], 9);
    }
}

TEST(ZContainer, ArrowsWalkThePairsAndTheDisplayRows) {
    Window w(2);
    for (int n = 1; n <= 8; ++n)
        w.Put(n);
    w.Show();
    auto focused = [&]() -> std::pair<int, int> {
        for (MRBasePanel* r : w.Z->Rows())
            if (r->FocusedCellTag() >= 0)
                return {r->EntryNumber, r->FocusedCellTag()};
        return {-1, -1};
    };
    struct Case {
        int Number; // entry whose cell has the focus
        int Tag;
        int DX, DY;
        std::pair<int, int> Expected;
    };
    const Case cases[] = {
        // Past the row's end the line wraps and its first (last) cell is taken in the other row.
        {1, 1009, 1, 0, {2, 309}},   // right from the left row's last column into the right row
        {2, 0, -1, 0, {1, 1000}},    // left from the right row's first column back
        {1, 1009, 0, 1, {3, 1000}},  // down from the bottom line into the next display row
        {3, 1000, 0, -1, {1, 1009}}, // up again
        {3, 1009, 0, 1, {5, 1000}},  // down past the last display row: the view scrolls
        {5, 1000, 0, -1, {3, 1009}},
    };
    for (const Case& c : cases) {
        w.Z->GotoItem(c.Number);
        MRZPanel* row = nullptr;
        for (MRBasePanel* r : w.Z->Rows())
            if (!r->isHidden() && r->EntryNumber == c.Number)
                row = static_cast<MRZPanel*>(r);
        ASSERT_TRUE(row) << c.Number;
        Window::Focus(row->FindCell(c.Tag));
        row->MoveCellFocus(c.Tag, c.DX, c.DY);
        QApplication::processEvents();
        EXPECT_EQ(focused(), c.Expected) << c.Number << " " << c.Tag << " " << c.DX << "," << c.DY;
    }
}

TEST(ZContainer, ALiveLanguageSwitchChangesTheHintsAndCamHelpOnly) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    Window w(2, 745, pack.OLanguagePack);
    MUnvZ& one = w.Put(1);
    one.CamCode[0] = 2;
    w.Put(2);
    w.Show();
    auto geometry = [&] {
        std::vector<QRect> g;
        for (MRBasePanel* r : w.Z->Rows()) {
            g.push_back(r->geometry());
            for (QObject* o : r->children())
                if (auto* c = qobject_cast<QWidget*>(o))
                    g.push_back(c->geometry());
        }
        return g;
    };
    const std::vector<QRect> before = geometry();
    MRZPanel* row = w.Row(0);
    QString help;
    EXPECT_EQ(row->SpeedCell->toolTip(), QStringLiteral("Carriage speed"));
    row->GetFieldHint(row->CamCells[0], help);
    EXPECT_EQ(help, QStringLiteral("\n\rJR = Jacquard stitches"));
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(row->SpeedCell->toolTip(), QStringLiteral("سرعة العربة"));
    row->GetFieldHint(row->CamCells[0], help);
    EXPECT_EQ(help, QStringLiteral("\n\r") + MRZPanel::CamHint(2, true));
    EXPECT_EQ(w.Z->CamMenu()->layoutDirection(), Qt::LeftToRight);
    EXPECT_FALSE(w.Z->CamMenu()->Arabic());
    EXPECT_EQ(geometry(), before);
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(row->SpeedCell->toolTip(), QStringLiteral("Carriage speed"));
    EXPECT_EQ(geometry(), before);
}
