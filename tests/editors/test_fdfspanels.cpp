// The FD and FS editors and the Z row's stitch-length drops offscreen: the columns by machine,
// showing and editing a module, key A, the drops of FE and W rows, the scroll bar under a drag, the
// field help (also from a project that cannot give it) and a live language switch.

#include "editors/MRHints.h"
#include "editors/NumEdit_m.h"
#include "editors/RFDPanel_m.h"
#include "editors/RFEPanel_m.h"
#include "editors/RFSPanel_m.h"
#include "editors/RNPanel_m.h"
#include "editors/RWPanel_m.h"
#include "editors/RZPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "model/UcstmExp.h"
#include "tests/editors/CellTestSupport.h"
#include "tests/editors/KindPanelSupport.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/Adapter.h"
#include "ui/ScrollBitBtn_m.h"
#include "ui/ULPackDM.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using kdstest::MScriptedMessages;
using kindtest::DragOverBarBottom;
using kindtest::Unvalidated;

namespace {

// A project whose program cannot be reached while Raise is set.
class FailingProject : public MMemoryProject {
public:
    bool Raise = false;
    MProgramLists& Program() override {
        if (Raise)
            RaiseM(1004, 0);
        return MMemoryProject::Program();
    }
};

// A window of one project on a machine, with its W, N, FE, FD, FS and Z lists and an edit outside
// them.
struct Window : MForm {
    explicit Window(int Model = 745, int Systems = 2, MLanguagePack* Pack = nullptr) {
        resize(2400, 760);
        new MLanguageAdapter(this);
        if (Pack)
            SetLanguagePack(Pack);
        SetResourceLanguage(LanguageEnglish);
        Project.Lists.Machine.Model = Model;
        Project.Lists.Machine.Category = Systems;
        W = new MRWContainerPanel(this, this);
        N = new MRNContainerPanel(this, this);
        FE = new MRFEContainerPanel(this, &Project.Colors, this);
        FD = new MRFDContainerPanel(this, Systems, Model, this);
        FS = new MRFSContainerPanel(this, Systems, Model, this);
        Z = new MRZContainerPanel(this, Systems, Model, &Project.Colors, this);
        int x = 0;
        for (MRContainerPanel* c : Containers()) {
            c->Project = &Project;
            c->InitLayout(0);
            c->SetClipboard(&Clipboard);
            c->move(x, c == Z ? 250 : 0);
            if (c != Z)
                x += c->width() + 10;
        }
        Outside = new QLineEdit(this);
        Outside->setGeometry(0, 740, 100, 20);
        FinishLoading();
    }
    ~Window() override { DestroyComponents(); }
    std::vector<MRContainerPanel*> Containers() const { return {W, N, FE, FD, FS, Z}; }
    void Show() {
        W->SetItems(&Project.Lists.W);
        N->SetItems(&Project.Lists.N);
        FE->SetItems(&Project.Lists.FE);
        FD->SetItems(&Project.Lists.FD);
        FS->SetItems(&Project.Lists.FS);
        Z->SetItems(&Project.Lists.Z);
        buttontest::ShowActive(*this);
        QTest::mouseRelease(this, Qt::LeftButton, {}, QPoint(1, 1));
    }
    void PutFE(int Number) {
        MUnvFE fe;
        fe.Number = Number;
        fe.Difference = 10;
        fe.VerticalStep = fe.HorizontalStep = 1;
        fe.Colors.SetBit(1, 1);
        Project.Lists.FE.AddOrReplace(fe);
    }
    void PutW(int Number) {
        MUnvW w;
        w.Number = Number;
        Project.Lists.W.AddOrReplace(w);
    }
    MUnvFD& PutFD(int Number) {
        MUnvFD fd;
        fd.Number = Number;
        Project.Lists.FD.AddOrReplace(fd);
        return static_cast<MUnvFD&>(Project.Lists.FD.FindByNumber(Number));
    }
    MUnvFS& PutFS(int Number) {
        MUnvFS fs;
        fs.Number = Number;
        Project.Lists.FS.AddOrReplace(fs);
        return static_cast<MUnvFS&>(Project.Lists.FS.FindByNumber(Number));
    }
    const MUnvFD& FDAt(int Number) {
        return static_cast<const MUnvFD&>(Project.Lists.FD.FindByNumber(Number));
    }
    const MUnvFS& FSAt(int Number) {
        return static_cast<const MUnvFS&>(Project.Lists.FS.FindByNumber(Number));
    }
    static void Focus(QWidget* Cell) {
        Cell->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }
    static void Retype(MNumEdit* Cell, const QString& Text) {
        Cell->selectAll();
        Cell->del();
        celltest::Type(Cell, Text);
    }
    // Selects First..Last of a list (none for 0) and shows it again.
    static void Select(MRContainerPanel& C, int First, int Last) {
        C.Items()->SelectNone();
        for (int n = First; n <= Last && First > 0; ++n)
            if (C.Items()->Lookup(n))
                C.Items()->SetSelected(n, true);
        C.RefreshRows();
    }
    // The slot of the row that shows entry Number, brought into view.
    static int SlotOf(MRContainerPanel& C, int Number) {
        C.GotoItem(Number);
        for (MRBasePanel* r : C.Rows())
            if (r->isVisible() && r->EntryNumber == Number)
                return r->PanelIndex;
        return -1;
    }
    FailingProject Project;
    TMUnvClipBoard Clipboard;
    MRWContainerPanel* W;
    MRNContainerPanel* N;
    MRFEContainerPanel* FE;
    MRFDContainerPanel* FD;
    MRFSContainerPanel* FS;
    MRZContainerPanel* Z;
    QLineEdit* Outside;
};

// The row of entry First of Source dropped on a cell; with Last, First..Last selected and the row of
// Last dragged.
bool DropRows(MRContainerPanel& Source, int First, QWidget* Cell, int Last = 0) {
    Window::Select(Source, Last ? First : 0, Last);
    const int dragged = Last ? Last : First;
    const int slot = Window::SlotOf(Source, dragged);
    EXPECT_GE(slot, 0) << dragged;
    if (slot < 0)
        return false;
    Source.BeginRowDrag(slot, false);
    return kindtest::Drop(&Source, Cell->parentWidget(), Cell->geometry().center());
}

QColor CaptionColor(const QWidget* Button) {
    return Button->palette().color(QPalette::ButtonText);
}

} // namespace

TEST(FDFSPanels, ColumnsByTheMachine) {
    // FD: the systems shown (two on the 720 and 721); FS: those doubled on the 708, 710, 745 and 748,
    // at most four (a 745 file that claims four systems included).
    const struct {
        int Model, Systems, FDColumns, FDWidth, FSColumns, FSWidth;
    } cases[] = {{745, 2, 2, 289, 4, 499}, {748, 2, 2, 289, 4, 499}, {708, 1, 1, 177, 2, 287},
                 {710, 1, 1, 177, 2, 287}, {740, 4, 4, 513, 4, 499}, {720, 4, 2, 289, 2, 287},
                 {721, 4, 2, 289, 2, 287}, {706, 2, 2, 289, 2, 287}, {745, 4, 4, 513, 4, 499}};
    for (const auto& c : cases) {
        Window win(c.Model, c.Systems);
        win.PutFD(1);
        win.PutFS(1);
        win.Show();
        MRFDPanel* fd = win.FD->Row(0);
        MRFSPanel* fs = win.FS->Row(0);
        EXPECT_EQ(fd->SystemsShown(), c.FDColumns) << c.Model;
        EXPECT_EQ(fd->size(), QSize(c.FDWidth, 65)) << c.Model;
        EXPECT_EQ(fs->Columns(), c.FSColumns) << c.Model;
        EXPECT_EQ(fs->size(), QSize(c.FSWidth, 65)) << c.Model;
        for (int k = 0; k < BedCount; ++k) {
            EXPECT_EQ(fd->FirstCells[std::size_t(k)] != nullptr, k < 2 * c.FDColumns) << c.Model << " " << k;
            EXPECT_EQ(fs->ValueCells[1][std::size_t(k)] != nullptr, k < 2 * c.FSColumns)
                << c.Model << " " << k;
        }
    }
}

TEST(FDPanels, CellPlaces) {
    // The highest system on the left, rear bed above; the number cells focus in the factory colour.
    Window win(740, 4);
    win.PutFD(1);
    win.Show();
    MRFDPanel* row = win.FD->Row(0);
    EXPECT_EQ(win.FD->RowsNum(), 4);
    EXPECT_EQ(row->FirstCells[7]->geometry(), QRect(81, 6, 29, 21));
    EXPECT_EQ(WidgetTag(row->FirstCells[7]), 100);
    EXPECT_EQ(WidgetTag(row->FirstCells[6]), 101);
    EXPECT_EQ(row->SignCells[6]->geometry(), QRect(112, 31, 22, 21));
    EXPECT_EQ(WidgetTag(row->CountCells[0]), 1201);
    EXPECT_EQ(row->CountCells[0]->geometry(), QRect(3 * 112 + 134, 30, 29, 21));
    EXPECT_EQ(row->Labels[0]->text(), QStringLiteral("FE"));
    EXPECT_EQ(row->NumberCell->FocusColor(), TColor(0xFFFFD0));
}

TEST(FDPanels, ShowingEditingAndKeyA) {
    Window win(740, 4);
    MUnvFD& fd = win.PutFD(1);
    fd.FirstFE[1] = 12;
    fd.CountFE[1] = -3;
    fd.FirstFE[3] = 4;
    fd.CountFE[3] = 2;
    {
        Unvalidated raw; // a count the cell cannot show: clamped, the module unchanged
        MUnvFD& wide = win.PutFD(2);
        wide.FirstFE[0] = 1;
        wide.CountFE[0] = -5000;
    }
    win.Project.Lists.FD.Modified = false;
    win.Show();
    MScriptedMessages messages;
    MRFDPanel* row = win.FD->Row(0);
    EXPECT_EQ(row->FirstCells[1]->text(), QStringLiteral("12"));
    EXPECT_EQ(row->SignCells[1]->text(), QStringLiteral("-"));
    EXPECT_EQ(row->CountCells[1]->text(), QStringLiteral("3"));
    EXPECT_EQ(CaptionColor(row->SignCells[1]), QColor(Qt::black));
    EXPECT_EQ(CaptionColor(row->SignCells[3]), QColor(0x00, 0x00, 0xB0));
    MRFDPanel* row2 = win.FD->Row(1);
    EXPECT_EQ(row2->CountCells[0]->text(), QStringLiteral("999"));
    EXPECT_EQ(row2->FD_Item().CountFE[0], -5000);
    // Shown and left unchanged: nothing written.
    Window::Focus(row->FirstCells[1]);
    Window::Focus(win.Outside);
    EXPECT_FALSE(win.Project.Lists.FD.Modified);

    // The count edited keeps its sign; the sign stepped negates it.
    Window::Focus(row->CountCells[3]);
    Window::Retype(row->CountCells[3], QStringLiteral("7"));
    EXPECT_EQ(row->FD_Item().CountFE[3], 7);
    celltest::Click(row->SignCells[3]);
    EXPECT_EQ(row->FD_Item().CountFE[3], -7);
    EXPECT_EQ(CaptionColor(row->SignCells[3]), QColor(Qt::black));
    celltest::Click(row->SignCells[3]);
    EXPECT_EQ(row->FD_Item().CountFE[3], 7);

    // "a" in the number cell does nothing.
    Window::Focus(row->NumberCell);
    celltest::Type(row->NumberCell, QStringLiteral("a"));
    EXPECT_EQ(row->NumberCell->text(), QStringLiteral("1"));
    EXPECT_EQ(row->FD_Item().FirstFE[7], 0);
    // "a" in the rightmost upper first-line cell (system 0, rear bed): 12 - 3 over the upper line; a
    // second "a" over both lines.
    Window::Focus(row->FirstCells[1]);
    celltest::Type(row->FirstCells[1], QStringLiteral("a"));
    for (int k = 0; k < BedCount; ++k) {
        const bool upper = k % 2 == 1;
        EXPECT_EQ(row->FD_Item().FirstFE[std::size_t(k)], upper ? 12 : 0) << k;
        EXPECT_EQ(row->FD_Item().CountFE[std::size_t(k)], upper ? -3 : 0) << k;
        EXPECT_EQ(row->SignCells[std::size_t(k)]->text(), upper ? QStringLiteral("-") : QStringLiteral("+"));
    }
    celltest::Type(row->SignCells[5], QStringLiteral("A"));
    for (int k = 0; k < BedCount; ++k) {
        EXPECT_EQ(row->FD_Item().FirstFE[std::size_t(k)], 12) << k;
        EXPECT_EQ(row->FD_Item().CountFE[std::size_t(k)], -3) << k;
    }
    Window::Focus(win.Outside);
    EXPECT_EQ(win.FDAt(1).CountFE[0], -3);
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(FDPanels, DropsTheScrollBarAndTheFieldHelp) {
    Window a(745, 2), b(745, 2);
    for (int n = 1; n <= 6; ++n)
        a.PutFD(n).FirstFE[0] = n;
    b.PutFD(1).FirstFE[0] = 50;
    for (int n = 1; n <= 3; ++n)
        a.PutW(n);
    for (int n = 1; n <= 10; ++n)
        a.PutFE(n);
    b.PutFE(5);
    a.Show();
    b.Show();
    MScriptedMessages messages;
    // FE 5..9 selected in the project's FE window, dropped on a count cell: 5, "+", 4, stored.
    MRFDPanel* first = a.FD->Row(0);
    EXPECT_TRUE(DropRows(*a.FE, 5, first->CountCells[2], 9));
    EXPECT_EQ(first->FirstCells[2]->text(), QStringLiteral("5"));
    EXPECT_EQ(first->SignCells[2]->text(), QStringLiteral("+"));
    EXPECT_EQ(first->CountCells[2]->text(), QStringLiteral("4"));
    EXPECT_EQ(a.FDAt(1).FirstFE[2], 5);
    EXPECT_EQ(a.FDAt(1).CountFE[2], 4);
    // Another project's FE rows are refused, and so is the number cell.
    EXPECT_FALSE(DropRows(*b.FE, 5, first->FirstCells[0]));
    EXPECT_FALSE(DropRows(*a.FE, 3, first->NumberCell));
    EXPECT_EQ(a.FDAt(1).FirstFE[0], 1);
    // Another project's FD row copied at the row's number; FD 2 and on move up.
    EXPECT_TRUE(DropRows(*b.FD, 1, a.FD->Row(1)->FirstCells[0]));
    EXPECT_EQ(a.FDAt(2).FirstFE[0], 50);
    EXPECT_EQ(a.FDAt(3).FirstFE[0], 2);
    // W rows are no drop for an FD row; the own rows neither.
    EXPECT_FALSE(DropRows(*a.W, 1, a.FD->Row(0)->CountCells[0]));
    EXPECT_FALSE(DropRows(*a.FD, 2, a.FD->Row(0)->CountCells[0]));
    // Rows of any FD window, this one included, and W rows scroll the bar.
    a.FD->SetVisibleRows(2);
    a.FD->GotoItem(1);
    a.FD->BeginRowDrag(0, false);
    EXPECT_FALSE(DragOverBarBottom(a.FD, *a.FD, 1));
    EXPECT_EQ(a.FD->TopRow(), 1);
    a.W->BeginRowDrag(0, false);
    EXPECT_FALSE(DragOverBarBottom(a.W, *a.FD, 1));
    EXPECT_EQ(a.FD->TopRow(), 2);
    EXPECT_TRUE(messages.Coded.empty());

    // 12 / -3 asks for the labels of FE 12 down to 9; the number cell has no field help.
    a.FD->GotoItem(1);
    MRFDPanel* row = a.FD->Row(0);
    row->SetSlot(2, 12, 3, 1);
    QString help, expected;
    a.Project.GetItemHint(wiFE, 12, -3, expected);
    for (QWidget* cell :
         std::initializer_list<QWidget*>{row->FirstCells[2], row->SignCells[2], row->CountCells[2]}) {
        row->GetFieldHint(cell, help);
        EXPECT_EQ(help, QStringLiteral("\n\r@S@") + expected);
    }
    row->GetFieldHint(row->NumberCell, help);
    EXPECT_TRUE(help.isEmpty());
}

TEST(FSPanels, CellPlaces) {
    // Group A from the left, group B ten pixels after it; rear beds above.
    Window win(708, 1);
    win.PutFS(1);
    win.Show();
    MRFSPanel* row = win.FS->Row(0);
    EXPECT_EQ(row->KindCells[0][3]->geometry(), QRect(59, 6, 20, 21));
    EXPECT_EQ(WidgetTag(row->KindCells[0][3]), 100);
    EXPECT_EQ(row->ValueCells[0][2]->geometry(), QRect(81, 30, 29, 21));
    EXPECT_EQ(WidgetTag(row->ValueCells[0][2]), 201);
    EXPECT_EQ(row->KindCells[1][1]->geometry(), QRect(53 * 3 + 69, 6, 20, 21));
    EXPECT_EQ(WidgetTag(row->KindCells[1][1]), 700);
    EXPECT_EQ(WidgetTag(row->ValueCells[1][0]), 801);
    EXPECT_EQ(row->ValueCells[1][0]->ID(), 24);
}

TEST(FSPanels, CountersKeyADropsAndHelp) {
    Window win(745, 2), other(745, 2);
    MUnvFS& fs = win.PutFS(1);
    fs.CountersA[1] = {ckW, 7};
    fs.CountersA[3] = {ckD, 40};
    {
        Unvalidated raw; // kinds outside D and W show clamped; the module keeps them
        MUnvFS& bad = win.PutFS(2);
        bad.CountersA[0] = {0, 5};
        bad.CountersB[0] = {3, 6};
    }
    win.PutFS(3);
    for (int n = 1; n <= 6; ++n)
        win.PutW(n);
    other.PutW(3);
    win.Show();
    other.Show();
    MScriptedMessages messages;
    MRFSPanel* row = win.FS->Row(0);
    EXPECT_EQ(row->KindCells[0][1]->text(), QStringLiteral("W"));
    EXPECT_EQ(CaptionColor(row->KindCells[0][1]), QColor(Qt::blue));
    EXPECT_EQ(row->ValueCells[0][1]->text(), QStringLiteral("7"));
    EXPECT_EQ(CaptionColor(row->KindCells[0][3]), QColor(Qt::black));
    MRFSPanel* row2 = win.FS->Row(1);
    EXPECT_EQ(row2->KindCells[0][0]->text(), QStringLiteral("D"));
    EXPECT_EQ(row2->KindCells[1][0]->text(), QStringLiteral("W"));
    EXPECT_EQ(row2->FS_Item().CountersA[0].Kind, 0);
    EXPECT_EQ(row2->FS_Item().CountersB[0].Kind, 3);

    // A "W" counter's help is its W module's label, on the kind and the value cell; "D" has none.
    QString help, expected;
    win.Project.GetItemHint(wiW, 7, 0, expected);
    for (QWidget* cell : std::initializer_list<QWidget*>{row->KindCells[0][1], row->ValueCells[0][1]}) {
        row->GetFieldHint(cell, help);
        EXPECT_EQ(help, QStringLiteral("\n\r@S@") + expected);
    }
    row->GetFieldHint(row->ValueCells[0][3], help);
    EXPECT_TRUE(help.isEmpty());
    celltest::Click(row->KindCells[0][1]);
    EXPECT_EQ(row->KindCells[0][1]->text(), QStringLiteral("D"));
    EXPECT_EQ(row->FS_Item().CountersA[1].Kind, ckD);
    row->GetFieldHint(row->ValueCells[0][1], help);
    EXPECT_TRUE(help.isEmpty());
    celltest::Click(row->KindCells[0][1]);

    // "a" in an upper A value cell: W 7 over the upper line of both groups; again: both lines.
    Window::Focus(row->ValueCells[0][1]);
    celltest::Type(row->ValueCells[0][1], QStringLiteral("a"));
    for (int k = 0; k < BedCount; ++k) {
        const MCounter expect = k % 2 == 1 ? MCounter{ckW, 7} : MCounter{};
        EXPECT_EQ(row->FS_Item().CountersA[std::size_t(k)], expect) << k;
        EXPECT_EQ(row->FS_Item().CountersB[std::size_t(k)], expect) << k;
    }
    celltest::Type(row->KindCells[1][5], QStringLiteral("a"));
    for (int k = 0; k < BedCount; ++k) {
        EXPECT_EQ(row->FS_Item().CountersA[std::size_t(k)], (MCounter{ckW, 7})) << k;
        EXPECT_EQ(row->FS_Item().CountersB[std::size_t(k)], (MCounter{ckW, 7})) << k;
    }
    EXPECT_EQ(row->ValueCells[1][0]->text(), QStringLiteral("7"));
    Window::Focus(win.Outside);
    EXPECT_EQ(win.FSAt(1).CountersB[0], (MCounter{ckW, 7}));

    // W 3..5 selected and dropped on a B value cell of FS 3: W 3, stored; another project's W refused.
    MRFSPanel* row3 = win.FS->Row(2);
    EXPECT_TRUE(DropRows(*win.W, 3, row3->ValueCells[1][2], 5));
    EXPECT_EQ(win.FSAt(3).CountersB[2], (MCounter{ckW, 3}));
    EXPECT_EQ(row3->KindCells[1][2]->text(), QStringLiteral("W"));
    EXPECT_FALSE(DropRows(*other.W, 3, row3->KindCells[0][4]));
    EXPECT_EQ(win.FSAt(3).CountersA[4], MCounter{});
    // Not on the number cell.
    EXPECT_FALSE(DropRows(*win.W, 4, row3->NumberCell));
    EXPECT_TRUE(messages.Coded.empty());
}

TEST(ZPanels, FSAndFDRowsDroppedOnAZRow) {
    Window a(745, 2), b(745, 2);
    for (int n = 1; n <= 6; ++n) {
        MUnvZ z;
        z.Number = n;
        a.Project.Lists.Z.AddOrReplace(z);
    }
    for (int n : {4, 12})
        a.PutFD(n);
    for (int n : {12, 13})
        a.PutFS(n);
    b.PutFS(20);
    a.Show();
    b.Show();
    MScriptedMessages messages;
    MRZPanel* z = a.Z->Row(0);
    ASSERT_EQ(z->EntryNumber, 1);
    // FS 12 on the lower FS cell: both FS cells 12, stored at once.
    EXPECT_TRUE(DropRows(*a.FS, 12, z->LowerFSCell));
    EXPECT_EQ(z->UpperFSCell->text(), QStringLiteral("12"));
    EXPECT_EQ(z->LowerFSCell->text(), QStringLiteral("12"));
    EXPECT_EQ(a.Project.Lists.Z.GetZ(1).FSFront, 12);
    EXPECT_EQ(a.Project.Lists.Z.GetZ(1).FSRear, 12);
    // Row 13 dragged with 12..13 selected gives the first selected number.
    EXPECT_TRUE(DropRows(*a.FS, 12, a.Z->Row(1)->UpperFSCell, 13));
    EXPECT_EQ(a.Project.Lists.Z.GetZ(2).FSRear, 12);
    // FD 4 on the FD cell.
    EXPECT_TRUE(DropRows(*a.FD, 4, z->FDCell));
    EXPECT_EQ(a.Project.Lists.Z.GetZ(1).FD, 4);
    // Another project's FS rows are refused.
    EXPECT_FALSE(DropRows(*b.FS, 20, z->UpperFSCell));
    EXPECT_EQ(a.Project.Lists.Z.GetZ(1).FSFront, 12);
    EXPECT_TRUE(messages.Coded.empty());
    // A drag from an FS window or an FD window over the Z window's bar scrolls it.
    a.Z->SetVisibleRows(1);
    a.FS->BeginRowDrag(0, false);
    EXPECT_FALSE(DragOverBarBottom(a.FS, *a.Z, 1));
    EXPECT_EQ(a.Z->TopRow(), 1);
    a.FD->BeginRowDrag(0, false);
    EXPECT_FALSE(DragOverBarBottom(a.FD, *a.Z, 1));
    EXPECT_EQ(a.Z->TopRow(), 2);
}

// The help is asked from the hint window's event handler: a project that cannot give it leaves the
// field help empty and the cell's own hint shows.
TEST(FieldHelp, AProjectThatCannotGiveItLeavesTheCellsOwnHint) {
    InstallHintWindow(1, 10, 1, 1);
    SetHintDelays(50, 60000);
    Window win(745, 2);
    win.PutFD(1).FirstFE[1] = 3;
    win.PutFS(1).CountersA[1] = {ckW, 2};
    MUnvN n;
    n.Number = 1;
    n.Type = 2;
    n.Start = 1;
    win.Project.Lists.N.AddOrReplace(n);
    win.Show();
    MRFDPanel* fd = win.FD->Row(0);
    MRFSPanel* fs = win.FS->Row(0);
    MRNPanel* nrow = win.N->Row(0);
    const std::pair<MRBasePanel*, QWidget*> cells[] = {
        {fd, fd->FirstCells[1]}, {fs, fs->ValueCells[0][1]}, {nrow, nrow->StartCell}};
    for (const auto& [row, cell] : cells) {
        QString help;
        row->GetFieldHint(cell, help);
        EXPECT_TRUE(help.startsWith(QStringLiteral("\n\r@S@"))) << help.toStdString();
    }
    win.Project.Raise = true;
    for (const auto& [row, cell] : cells) {
        QString help = QStringLiteral("stale");
        row->GetFieldHint(cell, help);
        EXPECT_TRUE(help.isEmpty()) << help.toStdString();
        const QPoint local = cell->rect().center();
        QHelpEvent e(QEvent::ToolTip, local, cell->mapToGlobal(local));
        QApplication::sendEvent(cell, &e);
        ASSERT_TRUE(ApplicationHintWindow()->isVisible());
        EXPECT_EQ(ApplicationHintWindow()->Text(), cell->toolTip());
        EXPECT_FALSE(cell->toolTip().isEmpty());
        ApplicationHintWindow()->ReleaseHint();
    }
}

TEST(FDFSPanels, ALiveLanguageSwitchChangesTheHintsOnly) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    Window win(745, 2, pack.OLanguagePack);
    win.PutFD(1);
    win.PutFS(1);
    win.Show();
    auto geometry = [&] { return kindtest::RowGeometry({win.FD, win.FS}); };
    const std::vector<QRect> before = geometry();
    QWidget* count = win.FD->Row(0)->CountCells[0];
    QWidget* kind = win.FS->Row(0)->KindCells[1][0];
    EXPECT_EQ(count->toolTip(), QStringLiteral("Number of the subsequent stitch length lines"));
    EXPECT_EQ(kind->toolTip(), QStringLiteral("D=Repeat Count\n\rW=selector switch line number"));
    pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(count->toolTip(), QStringLiteral("عدد أسطر طول الغرزة التالية"));
    EXPECT_EQ(kind->toolTip(), QStringLiteral("D= عدد التكرار\n\rW= رقم سطر مفتاح الاختيار"));
    EXPECT_EQ(geometry(), before);
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    EXPECT_EQ(count->toolTip(), QStringLiteral("Number of the subsequent stitch length lines"));
    EXPECT_EQ(geometry(), before);
}
