// The module editor windows over a real project: where they open and how many rows they show, the
// snap to whole rows, minimising, closing with its store, the captions after Save As in both
// languages and the store of the edited row whenever another window takes over.

#include "tests/app/ProjectSupport.h"

#include "app/UModuleForms.h"
#include "app/USetupForm.h"
#include "editors/CStringGrid_m.h"
#include "editors/ModuleMenu.h"
#include "editors/NumEdit_m.h"
#include "editors/RSPanel_m.h"
#include "editors/RZPanel_m.h"
#include "ui/LanguagePack.h"
#include "ui/PopupMenu_m.h"
#include "ui/ScrollFlatBtn_m.h"
#include "ui/ScrollSpdbtn_m.h"
#include "ui/Speedbutton_m.h"
#include "ui/ToolBar_m.h"
#include "ui/ULPackDM.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QMdiArea>
#include <QTest>

#include <algorithm>
#include <limits>

#include <gtest/gtest.h>

using namespace prjtest;

namespace {

// A station with the module windows behind the project's buttons and one saved 740 project open.
struct ModuleFixture : ProjectFixture {
    ModuleFixture() {
        InstallModuleWindows();
        Main().resize(1200, 900);
        Main().show();
        Project = Open(MakeProject(QStringLiteral("mw_740e7")));
    }
    MModuleForm* OpenWindow(int Index, TPrjContainer* P = nullptr) {
        P = P ? P : Project;
        P->PressButton(Index);
        QApplication::processEvents();
        return dynamic_cast<MModuleForm*>(P->ChildWindow(Index));
    }
    QMdiArea* Area() { return Main().Client(); }
    TPrjContainer* Project = nullptr;
};

// The kinds with a window, their least and largest numbers of visible rows.
struct KindRows {
    int Index;
    int MinNum;
    int MaxNum;
};

std::vector<KindRows> Kinds() {
    std::vector<KindRows> kinds;
    for (int i = wiN; i <= wiR; ++i)
        if (TPrjContainer::HasChildCreator(i))
            kinds.push_back({i, ContainerLayoutOf(i).MinNum, ContainerLayoutOf(i).MaxNum});
    return kinds;
}

} // namespace

TEST(ModuleWindows, EachKindOpensWithItsLeastRowsAndSizesByWholeRowsOnly) {
    ModuleFixture fx;
    const std::map<int, int> minimum = {{wiN, 2}, {wiS, 2},  {wiW, 2},  {wiFE, 2}, {wiP, 2},
                                        {wiR, 2}, {wiFD, 1}, {wiFS, 1}, {wiZ, 1}};
    const std::map<int, int> maximum = {{wiN, 8}, {wiR, 4}, {wiZ, 2}};
    ASSERT_GE(Kinds().size(), 7u);
    for (const KindRows& k : Kinds()) {
        SCOPED_TRACE(k.Index);
        MModuleForm* w = fx.OpenWindow(k.Index);
        ASSERT_NE(w, nullptr);
        QWidget* frame = fx.Frame(w);
        MRContainerPanel* c = w->Container();
        EXPECT_EQ(frame->pos(), QPoint(100, 100));
        EXPECT_EQ(c->VisibleRows(), minimum.at(k.Index));
        EXPECT_EQ(c->Items(), &fx.Project->Program().List(ListKindOfWindowIndex(k.Index)));
        // The window holds its toolbar and its rows exactly.
        const QSize exact(c->width() + 1, MModuleForm::ToolBarHeight + c->height() + 1);
        EXPECT_EQ(w->size(), exact);
        const QSize frameSize = frame->size();
        // Less than one row more: nothing changes.
        frame->resize(frameSize + QSize(0, c->RowHeight / 2));
        QApplication::processEvents();
        EXPECT_EQ(c->VisibleRows(), minimum.at(k.Index));
        EXPECT_EQ(frame->size(), frameSize);
        // Far: the largest number of rows and no more.
        frame->resize(frameSize + QSize(0, 2000));
        QApplication::processEvents();
        EXPECT_EQ(c->VisibleRows(), c->MaxNum());
        if (maximum.contains(k.Index)) {
            EXPECT_EQ(c->MaxNum(), maximum.at(k.Index));
        }
        EXPECT_EQ(w->height(), MModuleForm::ToolBarHeight + c->height() + 1);
        // Minimise and restore keep the rows.
        const int rows = c->VisibleRows();
        frame->showMinimized();
        QApplication::processEvents();
        EXPECT_TRUE(w->Minimized());
        frame->showNormal();
        QApplication::processEvents();
        EXPECT_FALSE(w->Minimized());
        EXPECT_EQ(c->VisibleRows(), rows);
        EXPECT_EQ(w->height(), MModuleForm::ToolBarHeight + c->height() + 1);
    }
}

TEST(ModuleWindows, TheToolbarHoldsTheButtonsInTheirOrderAndTheContainerRunsThem) {
    ModuleFixture fx;
    MModuleForm* z = fx.OpenWindow(wiZ);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->MToolBar1->height(), MModuleForm::ToolBarHeight);
    EXPECT_EQ(z->SaveBTN, nullptr);
    const std::array<MSpeedButton*, tbCount> expected = {z->NewBTN,  z->DeleteBTN, z->CopyBTN,
                                                         z->CutBTN,  z->InsertBTN, z->PasteBTN,
                                                         z->GotoBtn, z->SortBTN,   z->SpecFuncBtn};
    EXPECT_EQ(z->Container()->ToolButtons, expected);
    // Left to right: New, Delete, Cut, Copy, Insert, Paste, Sort, Go to, Special functions.
    const std::vector<MSpeedButton*> order = {z->NewBTN,  z->DeleteBTN, z->CutBTN,
                                              z->CopyBTN, z->InsertBTN, z->PasteBTN,
                                              z->SortBTN, z->GotoBtn,   z->SpecFuncBtn};
    for (std::size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(order[i - 1]->x(), order[i]->x()) << i;
    EXPECT_EQ(z->NewBTN->size(), QSize(MModuleForm::ButtonWidth, MModuleForm::ButtonHeight));
    // Every button is shown whole on the bar, which spans the window.
    EXPECT_EQ(z->MToolBar1->width(), z->width());
    for (MSpeedButton* b : order) {
        EXPECT_TRUE(b->isVisible()) << b->objectName().toStdString();
        EXPECT_TRUE(z->MToolBar1->rect().contains(b->geometry())) << b->objectName().toStdString();
    }
    // The N window has no leading spacer: its first button stands further left.
    MModuleForm* n = fx.OpenWindow(wiN);
    EXPECT_LT(n->NewBTN->x(), z->NewBTN->x());
    // The knitting-scheme menu has the two mirror items.
    EXPECT_NE(z->Container()->PopupMenu(), nullptr);
    EXPECT_EQ(z->MPopupMenu1->actions().size(), ModuleMenuItemCount(true));
    EXPECT_EQ(n->MPopupMenu1->actions().size(), ModuleMenuItemCount(false));
    // New appends an entry to the project's list.
    const int before = fx.Project->Program().N.Count();
    n->NewBTN->click();
    EXPECT_EQ(fx.Project->Program().N.Count(), before + 1);
}

TEST(ModuleWindows, ClosingStoresTheRowAndARefusedStoreKeepsTheWindowOpen) {
    ModuleFixture fx;
    kdstest::MScriptedMessages messages(mbOK);
    MModuleForm* w = fx.OpenWindow(wiZ);
    auto* c = static_cast<MRZContainerPanel*>(w->Container());
    MRZPanel* row = c->Row(0);
    const int number = row->EntryNumber;
    row->SpeedCell->setFocus();
    row->SpeedCell->selectAll();
    QTest::keyClicks(row->SpeedCell, QStringLiteral("77"));
    EXPECT_TRUE(row->IsEditing());
    EXPECT_TRUE(fx.Frame(w)->close());
    QApplication::processEvents();
    EXPECT_FALSE(fx.Project->IsChildOpen(wiZ));
    EXPECT_EQ(fx.Project->Program().Z.GetZ(number).TZ, 77);
    EXPECT_TRUE(fx.Project->IsModified());

    // An entry the kind refuses (OK to the check's question): the window stays with the typed text.
    w = fx.OpenWindow(wiZ);
    c = static_cast<MRZContainerPanel*>(w->Container());
    row = c->Row(0);
    row->SpeedCell->setFocus();
    row->PBModeCell->M_CaptionList().SetIndex(2);
    row->SpeedCell->selectAll();
    QTest::keyClicks(row->SpeedCell, QStringLiteral("55"));
    const std::size_t shown = messages.Coded.size();
    EXPECT_FALSE(fx.Frame(w)->close());
    QApplication::processEvents();
    EXPECT_EQ(messages.Coded.size(), shown + 1);
    EXPECT_TRUE(fx.Project->IsChildOpen(wiZ));
    EXPECT_TRUE(row->IsEditing());
    EXPECT_EQ(row->SpeedCell->text(), QStringLiteral("55"));
    EXPECT_EQ(fx.Project->Program().Z.GetZ(number).TZ, 77);
}

namespace {

// Types Text over what a row's cell shows, as the user does.
void TypeOver(MNumEdit* Cell, const QString& Text) {
    Cell->setFocus();
    Cell->selectAll();
    QTest::keyClicks(Cell, Text);
}

int CodedCount(const kdstest::MScriptedMessages& Messages, int SubCode) {
    return int(std::count_if(Messages.Coded.begin(), Messages.Coded.end(),
                             [SubCode](const auto& M) { return M.SubCode == SubCode; }));
}

} // namespace

// The S window's row cannot be stored (an N range no needle setup has) and the Z window's row holds
// a change: the close stores the rows in their order and stops at the S row, whose window comes to
// the front; the project stays open with both rows. Mended, the close asks its question.
TEST(ModuleWindows, ClosingTheProjectStoresEveryRowAndOneThatCannotBeStoredKeepsItOpenInFront) {
    ModuleFixture fx;
    MModuleForm* s = fx.OpenWindow(wiS);
    MRSPanel* sRow = static_cast<MRSContainerPanel*>(s->Container())->Row(0);
    const int sNumber = sRow->EntryNumber;
    TypeOver(sRow->NFirstCell, QStringLiteral("500"));
    ASSERT_TRUE(sRow->IsEditing());
    MModuleForm* z = fx.OpenWindow(wiZ);
    QApplication::processEvents();
    MRZPanel* zRow = static_cast<MRZContainerPanel*>(z->Container())->Row(0);
    const int zNumber = zRow->EntryNumber;
    const int oldSpeed = fx.Project->Program().Z.GetZ(zNumber).TZ;
    TypeOver(zRow->SpeedCell, QStringLiteral("77"));
    ASSERT_TRUE(zRow->IsEditing());
    ASSERT_TRUE(sRow->IsEditing());
    ASSERT_NE(oldSpeed, 77);
    EXPECT_TRUE(fx.Project->IsModified()) << "the Z row's change counts";
    EXPECT_EQ(fx.Project->Program().Z.GetZ(zNumber).TZ, oldSpeed) << "asking stores nothing";

    QPointer<TPrjContainer> p = fx.Project;
    fx.Messages.Coded.clear();
    EXPECT_FALSE(fx.Frame(p)->close());
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(p);
    EXPECT_EQ(fx.Main().Projects().size(), 1u);
    EXPECT_EQ(CodedCount(fx.Messages, containermsg::SaveChanged), 0);
    EXPECT_FALSE(fx.Messages.Coded.empty()) << "the S row's error is shown";
    EXPECT_EQ(fx.Area()->activeSubWindow(), fx.Frame(s));
    EXPECT_TRUE(sRow->IsEditing());
    EXPECT_EQ(sRow->NFirstCell->text(), QStringLiteral("500"));
    // The Z row's change is in its entry (stored when the S window took the front) or still in
    // its row.
    EXPECT_TRUE(fx.Project->Program().Z.GetZ(zNumber).TZ == 77 ||
                (zRow->IsEditing() && zRow->SpeedCell->text() == QStringLiteral("77")));
    EXPECT_TRUE(fx.Project->IsModified());

    // The S row mended: every row is stored and the question is asked.
    TypeOver(sRow->NFirstCell, QStringLiteral("5"));
    fx.Messages.Coded.clear();
    fx.Messages.Answers = {mbCancel};
    EXPECT_FALSE(fx.Frame(p)->close());
    QApplication::processEvents();
    ASSERT_TRUE(p);
    EXPECT_EQ(CodedCount(fx.Messages, containermsg::SaveChanged), 1);
    EXPECT_EQ(fx.Project->Program().S.GetS(sNumber).NFirst, 5);
    EXPECT_EQ(fx.Project->Program().Z.GetZ(zNumber).TZ, 77);
    fx.Messages.Answers = {mbNo};
    EXPECT_TRUE(fx.Frame(p)->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(p);
}

// Rows being edited in two windows: an S row that is not valid and a Z row with a change. The
// desktop copy writes the Z change and the S entry as stored, without a word, a focus move or a
// change of the project's lists; the autosave pass copies a project whose only change is such a
// row, again when the row changes.
TEST(ModuleWindows, TheDeskTopCopyLaysTheEditedRowsOverAScratchCopyAndLeavesTheProjectAlone) {
    ModuleFixture fx;
    MProgramLists& live = fx.Project->Program();
    // Without rows being edited the scratch copy writes what the project's lists write.
    EXPECT_EQ(ProjectMachineImage(*fx.Project->ListsWithEdits()), ProjectMachineImage(live));

    MModuleForm* s = fx.OpenWindow(wiS);
    MRSPanel* sRow = static_cast<MRSContainerPanel*>(s->Container())->Row(0);
    const int sNumber = sRow->EntryNumber;
    TypeOver(sRow->NFirstCell, QStringLiteral("500"));
    MModuleForm* z = fx.OpenWindow(wiZ);
    QApplication::processEvents();
    MRZPanel* zRow = static_cast<MRZContainerPanel*>(z->Container())->Row(0);
    const int zNumber = zRow->EntryNumber;
    const int oldSpeed = live.Z.GetZ(zNumber).TZ;
    TypeOver(zRow->SpeedCell, QStringLiteral("77"));
    ASSERT_TRUE(sRow->IsEditing());
    ASSERT_TRUE(zRow->IsEditing());
    fx.Project->SetModified(false);
    QWidget* focus = QApplication::focusWidget();
    const std::size_t shown = fx.Shown();
    const QByteArray liveImage = ProjectMachineImage(live);

    const std::unique_ptr<MProgramLists> copy = fx.Project->ListsWithEdits();
    EXPECT_EQ(copy->Z.GetZ(zNumber).TZ, 77);
    EXPECT_TRUE(copy->S.GetS(sNumber).Equals(live.S.GetS(sNumber)));

    const QString base = fx.Dir.filePath(QStringLiteral("DT1"));
    fx.Project->SaveDeskTopCopy(base);
    const std::unique_ptr<MProjectFiles> written = OpenProjectFiles(base + QStringLiteral(".LST"));
    EXPECT_EQ(written->Lists->Z.GetZ(zNumber).TZ, 77);
    EXPECT_TRUE(written->Lists->S.GetS(sNumber).Equals(live.S.GetS(sNumber)));

    QApplication::processEvents();
    EXPECT_EQ(fx.Shown(), shown);
    EXPECT_EQ(QApplication::focusWidget(), focus);
    EXPECT_EQ(live.Z.GetZ(zNumber).TZ, oldSpeed);
    EXPECT_EQ(ProjectMachineImage(live), liveImage);
    EXPECT_FALSE(live.Z.Modified);
    EXPECT_TRUE(sRow->IsEditing());
    EXPECT_TRUE(zRow->IsEditing());
    EXPECT_EQ(zRow->SpeedCell->text(), QStringLiteral("77"));
    EXPECT_EQ(sRow->NFirstCell->text(), QStringLiteral("500"));

    // The autosave pass: the copy above holds these rows, so a pass writes nothing until a row
    // changes; then it writes the change the same way, the project and the focus left alone.
    const QString passCopy =
        QStringLiteral("%1/DT%2.LST").arg(fx.Main().DeskTopFolder()).arg(fx.Project->WindowNumber);
    fx.Project->SetNeedsAutosave(false);
    fx.Main().SaveDeskTop();
    EXPECT_FALSE(QFile::exists(passCopy));
    TypeOver(zRow->SpeedCell, QStringLiteral("78"));
    focus = QApplication::focusWidget();
    fx.Main().SaveDeskTop();
    ASSERT_TRUE(QFile::exists(passCopy));
    const std::unique_ptr<MProjectFiles> passed = OpenProjectFiles(passCopy);
    EXPECT_EQ(passed->Lists->Z.GetZ(zNumber).TZ, 78);
    EXPECT_TRUE(passed->Lists->S.GetS(sNumber).Equals(live.S.GetS(sNumber)));
    QApplication::processEvents();
    EXPECT_EQ(fx.Shown(), shown);
    EXPECT_EQ(QApplication::focusWidget(), focus);
    EXPECT_EQ(ProjectMachineImage(live), liveImage);
    EXPECT_FALSE(live.Z.Modified);
    EXPECT_TRUE(sRow->IsEditing());
    EXPECT_TRUE(zRow->IsEditing());
}

TEST(ModuleWindows, GoingToAModuleOpensItsWindowAtTheEntry) {
    ModuleFixture fx;
    ASSERT_GE(fx.Project->Program().Z.Count(), 60);
    // The program test's finding of Z row 57 (kind 3 is Z).
    fx.Project->GotoModuleItem(3, 57);
    QApplication::processEvents();
    auto* z = dynamic_cast<MModuleForm*>(fx.Project->ChildWindow(wiZ));
    ASSERT_NE(z, nullptr);
    bool shown = false;
    for (MRBasePanel* row : z->Container()->Rows())
        shown = shown || (row->isVisible() && row->EntryNumber == 57);
    EXPECT_TRUE(shown);
}

TEST(ModuleWindows, TheCaptionNamesTheProgramAndFollowsSaveAsInBothLanguages) {
    ModuleFixture fx;
    MModuleForm* n = fx.OpenWindow(wiN);
    EXPECT_EQ(n->Caption(), QStringLiteral("Needle Setup  Prog:mw_740e7  Machine:740  E:7  "));
    EXPECT_EQ(fx.Frame(n)->windowTitle(), n->Caption());
    fx.SaveAsAnswers = {fx.Dir.filePath(QStringLiteral("other%2_740e7.LST"))};
    ASSERT_TRUE(fx.Project->SaveProjectAs());
    EXPECT_EQ(n->Caption(), QStringLiteral("Needle Setup  Prog:other%2_740e7  Machine:740  E:7  "));
    DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(n->Caption(), QStringLiteral("إعداد الإبر  Prog:other%2_740e7  Machine:740  E:7  "));
    EXPECT_EQ(fx.Frame(n)->windowTitle(), n->Caption());
    DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(n->Caption(), QStringLiteral("Needle Setup  Prog:other%2_740e7  Machine:740  E:7  "));
}

TEST(ModuleWindows, AnotherWindowTakingOverStoresTheEditedRowFirst) {
    ModuleFixture fx;
    kdstest::MScriptedMessages messages(mbOK);
    TPrjContainer* second = fx.Open(fx.MakeProject(QStringLiteral("two_740e7")));
    MModuleForm* z = fx.OpenWindow(wiZ);
    MModuleForm* n = fx.OpenWindow(wiN);
    MModuleForm* other = fx.OpenWindow(wiW, second);
    auto* bare = fx.Area()->addSubWindow(new QWidget);
    bare->show();
    struct Target {
        const char* Name;
        QWidget* Window;
    };
    const Target targets[] = {{"N window", n},
                              {"drawing", fx.Project->Drawing()->BusWidget()},
                              {"other project's W window", other},
                              {"bare child", bare->widget()}};
    auto* c = static_cast<MRZContainerPanel*>(z->Container());
    int value = 10;
    for (bool byClick : {false, true})
        for (const Target& t : targets) {
            SCOPED_TRACE(std::string(t.Name) + (byClick ? " by click" : " from code"));
            QMdiSubWindow* zFrame = qobject_cast<QMdiSubWindow*>(fx.Frame(z));
            fx.Area()->setActiveSubWindow(zFrame);
            QApplication::processEvents();
            fx.Project->SetModified(false);
            MRZPanel* row = c->Row(0);
            const int number = row->EntryNumber;
            row->SpeedCell->setFocus();
            row->SpeedCell->selectAll();
            ++value;
            QTest::keyClicks(row->SpeedCell, QString::number(value));
            ASSERT_TRUE(row->IsEditing());
            // What the other window's own handler finds when it runs.
            int seen = -1;
            bool modified = false;
            auto* target = qobject_cast<QMdiSubWindow*>(fx.Frame(t.Window));
            ASSERT_NE(target, nullptr);
            const auto watch =
                QObject::connect(fx.Area(), &QMdiArea::subWindowActivated, [&](QMdiSubWindow* S) {
                    if (S == target && seen < 0) {
                        seen = fx.Project->Program().Z.GetZ(number).TZ;
                        modified = fx.Project->IsModified();
                    }
                });
            if (byClick)
                QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(target->width() / 2, 4));
            else
                fx.Area()->setActiveSubWindow(target);
            QApplication::processEvents();
            QObject::disconnect(watch);
            EXPECT_EQ(fx.Area()->activeSubWindow(), target);
            EXPECT_EQ(seen, value);
            EXPECT_TRUE(modified);
        }

    // An entry the kind refuses: shown once, kept in the row with its mark, and the other window
    // becomes active all the same.
    fx.Area()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(fx.Frame(z)));
    QApplication::processEvents();
    MRZPanel* row = c->Row(0);
    row->SpeedCell->setFocus();
    row->PBModeCell->M_CaptionList().SetIndex(2);
    const std::size_t shown = messages.Coded.size();
    fx.Area()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(fx.Frame(n)));
    QApplication::processEvents();
    EXPECT_EQ(messages.Coded.size(), shown + 1);
    EXPECT_TRUE(row->IsEditing());
    EXPECT_EQ(row->PBModeCell->M_CaptionList().Index(), 2);
    EXPECT_EQ(fx.Area()->activeSubWindow(), fx.Frame(n));
}

// ---- The Setup Scheme window.

namespace {

// Types Keys into a grid cell and ends the edit, as the user does.
void TypeInto(MCStringGrid* Grid, int Col, int Row, const QString& Keys) {
    Grid->SetCurrentCell(Col, Row);
    Grid->ShowEditor();
    for (QChar k : Keys)
        Grid->TypeKey(k.unicode());
    Grid->HideEditor();
}

} // namespace

TEST(SetupScheme, GridsShowAndStoreTheEntryAndTheWindowLeavesTheProjectUnmodified) {
    ModuleFixture fx;
    auto files = NewProjectFiles(748, 7, 20, 10);
    files->Lists->C.GetC(1).From[0] = 10;
    files->Lists->C.GetC(1).To[0] = 20;
    const QString name = SaveProjectFiles(fx.Dir.filePath(QStringLiteral("s_748e7.LST")), *files).HeaderFile;
    TPrjContainer* p = fx.Open(name);
    auto* w = (fx.OpenWindow(wiC, p), dynamic_cast<TC_Form*>(p->ChildWindow(wiC)));
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(p->IsModified()) << "opening stores nothing";
    EXPECT_EQ(fx.Frame(w)->pos(), QPoint(50, 50));
    EXPECT_EQ(w->Caption(), QStringLiteral("Setup Scheme  Prog:s_748e7  Machine:748  E:7  "));
    MUnvC& c = p->Program().C.GetC(1);

    // "R" shows the areas on the right bed, (44 + 1) x 7 further on, and takes no keys.
    ASSERT_TRUE(w->NeedleBtn->isEnabled());
    w->NeedleBtn->click();
    EXPECT_EQ(w->Needle_Grid->ShownText(1, 1), QStringLiteral("0325"));
    EXPECT_EQ(w->Needle_Grid->ShownText(2, 1), QStringLiteral("0335"));
    EXPECT_EQ(w->Needle_Grid->ShownText(1, 2), QStringLiteral("0000"));
    TypeInto(w->Needle_Grid, 1, 1, QStringLiteral("9"));
    EXPECT_EQ(w->Needle_Grid->ShownText(1, 1), QStringLiteral("0325"));
    EXPECT_EQ(c.From[0], 10);
    EXPECT_FALSE(p->IsModified());
    w->NeedleBtn->click();
    EXPECT_EQ(w->Needle_Grid->ShownText(1, 1), QStringLiteral("0010"));

    // Offsets in column L: the sign and colour of what is stored; switching tables stores nothing.
    c.OffsetTables[0].L[7] = 0;
    c.OffsetTables[0].L[6] = 5;
    c.OffsetTables[0].L[5] = -5;
    w->RefreshControls();
    const struct {
        int Row;
        const char* Text;
        bool Red;
    } offsets[] = {{1, "-000", true}, {2, "+005", false}, {3, "-005", true}};
    for (const auto& o : offsets) {
        SCOPED_TRACE(o.Text);
        const QString shown = w->Offset_Grid->Cells(1, o.Row);
        EXPECT_EQ(shown, QLatin1String(o.Text));
        EXPECT_EQ(w->Offset_Grid->ShownText(1, o.Row), shown) << "painted as it is held";
        EXPECT_EQ(GridTextColor(3, shown) == std::optional<TColor>(GridTextColor(2, QStringLiteral("-1"))),
                  o.Red);
    }
    w->OffsetBtn->click();
    EXPECT_EQ(w->Offset_Grid->Cells(1, 2), QStringLiteral("-000"));
    w->OffsetBtn->click();
    for (int i = 0; i < 6; ++i)
        w->OffsetBtn->click();
    EXPECT_EQ(w->OffsetBtn->M_CaptionList().Index(), 0);
    EXPECT_FALSE(p->IsModified()) << "switching and refreshing store nothing";
    // A typed 5 in column L is stored as the column shows it.
    TypeInto(w->Offset_Grid, 1, 4, QStringLiteral("5"));
    EXPECT_EQ(w->Offset_Grid->ShownText(1, 4), QStringLiteral("-005"));
    EXPECT_EQ(c.OffsetTables[0].L[4], -5);
    EXPECT_TRUE(p->IsModified());
    p->SetModified(false);

    // Rack records: HV by its side, UV by its text; the second grid holds records 9 to 16.
    w->Rack1_Grid->OnSetEditText(w->Rack1_Grid, 1, 1, QStringLiteral("L12"));
    w->RefreshControls();
    EXPECT_EQ(c.RackCorrection1[0].HV, -12);
    EXPECT_EQ(w->Rack1_Grid->ShownText(1, 1), QStringLiteral("L12"));
    TypeInto(w->Rack1_Grid, 1, 2, QStringLiteral("5"));
    EXPECT_EQ(c.RackCorrection1[1].HV, 5);
    EXPECT_EQ(w->Rack1_Grid->ShownText(1, 2), QStringLiteral("R05"));
    w->RackBtn->click();
    TypeInto(w->Rack2_Grid, 3, 1, QStringLiteral("7"));
    EXPECT_EQ(c.RackCorrection2[8].KORR, 7);
    EXPECT_EQ(c.RackCorrection1[8].KORR, 0);

    // The window's size is fixed.
    fx.Frame(w)->resize(fx.Frame(w)->size() + QSize(100, 80));
    QApplication::processEvents();
    EXPECT_EQ(w->size(), QSize(TC_Form::FixedWidth, TC_Form::FixedHeight));
}

TEST(SetupScheme, TheWindowFollowsTheEntryThroughTheListAndItsRefreshes) {
    ModuleFixture fx;
    auto* w = (fx.OpenWindow(wiC), dynamic_cast<TC_Form*>(fx.Project->ChildWindow(wiC)));
    ASSERT_NE(w, nullptr);
    // The model 740 shows no right bed.
    EXPECT_FALSE(w->NeedleBtn->isEnabled());
    // The interpreter changes the entry and has the project refresh the window.
    MUnvC& c = fx.Project->Program().C.GetC(1);
    c.Width = 20;
    c.Height = 10;
    fx.Project->RefreshSetupForm();
    EXPECT_EQ(w->LabelWidth->Caption(), QStringLiteral("Width :20"));
    EXPECT_EQ(w->LabelHeight->Caption(), QStringLiteral("Height:10"));
    EXPECT_FALSE(fx.Project->IsModified());
    // An import replaces the list's entries: the window shows the new one and writes into it.
    MCList imported;
    MUnvC entry;
    entry.Number = 1;
    entry.WE = 5;
    imported.AddOrReplace(entry);
    fx.Project->Program().C.Assign(imported);
    w->ReloadRows();
    EXPECT_EQ(w->WE->Value(), 5);
    w->ST->SetValue(42);
    EXPECT_EQ(fx.Project->Program().C.GetC(1).ST, 42);
    EXPECT_TRUE(fx.Project->IsModified());
    // Closing unregisters the window.
    EXPECT_TRUE(fx.Frame(w)->close());
    QApplication::processEvents();
    EXPECT_FALSE(fx.Project->IsChildOpen(wiC));
}

TEST(SetupScheme, GridNumbersAreReadWithinThirtyTwoBitsOrRefused) {
    const struct {
        const char* Text;
        std::optional<std::int32_t> Value;
    } cases[] = {{"", 0},
                 {"-", 0},
                 {"+", 0},
                 {"12", 12},
                 {"-0005", -5},
                 {"+2147483647", 2147483647},
                 {"-2147483648", std::numeric_limits<std::int32_t>::min()},
                 {"2147483648", std::nullopt},
                 {"99999999999999999999", std::nullopt},
                 {"12a", std::nullopt},
                 {"R05", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(TC_Form::GridNumber(QLatin1String(c.Text)), c.Value) << c.Text;
}
