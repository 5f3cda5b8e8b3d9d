// The fixed-program and rib-program pickers, the export of a range of S lines to the module library
// (its checks, its entry and the round trip through the import engine) and the import window.

#include "LibrarySupport.h"
#include "ProjectSupport.h"
#include "app/LGraphicWindow.h"
#include "app/UExportEntry.h"
#include "app/UFormExport.h"
#include "app/UFormFixedProg.h"
#include "app/UFormImport.h"
#include "app/UFormImportData.h"
#include "app/UFormImportModulePrperty.h"
#include "app/UFormRIBProg.h"
#include "app/ULibFiles.h"
#include "app/UStation.h"
#include "app/UStripImport.h"
#include "editors/ColorBox_M.h"
#include "editors/NumEdit_m.h"
#include "editors/PopPalette_m.h"
#include "model/UunvDta.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"
#include "ui/RadioButton_m.h"
#include "ui/Speedbutton_m.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/combobox_m.h"
#include "ui/edit_m.h"
#include "ui/listbox_m.h"

#include "ui/panel_m.h"
#include <QListWidget>

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace prjtest;
using namespace kdstest;

namespace {

// A project of Model saved under the fixture's folder and opened in a container with its drawing.
TPrjContainer* OpenNew(ProjectFixture& Fx, int Model, const QString& Base, int W = 20, int H = 10) {
    auto files = NewProjectFiles(Model, 7, W, H);
    return Fx.Open(SaveProjectFiles(Fx.Dir.filePath(Base + QStringLiteral(".LST")), *files).HeaderFile);
}

TBoardFormats& BoardOf(TPrjContainer* P) {
    auto* board = dynamic_cast<TBoardFormats*>(P->Drawing());
    EXPECT_NE(board, nullptr);
    return *board;
}

// Z rows From..To of carrier 3 on jacquard lines 10 + n with FS Fs, row Rack racked by 3.
QString JacquardRows(int From, int To, int Fs, int Rack = 0) {
    QString t;
    for (int z = From; z <= To; ++z)
        t += QStringLiteral("Z%1 cam1=JR LG1=1 ZT1=%2 yc1=3 rack1=%3:G FSF=%4 FSR=%4 TZ=1 ST=1 WA2=1\n")
                 .arg(z)
                 .arg(10 + z)
                 .arg(z == Rack ? 3 : 0)
                 .arg(Fs);
    return t;
}

constexpr char Head[] = "machine 740 7\nC area=1..101 L1=0,0,-10 R1=0,0,10\nFS1 A=D5 B=D5\n";

// Five S lines over two Z rows each, rows 5..10 reading lines 15..20 with FS 2.
QString FiveLines() {
    return QLatin1String(Head) + QStringLiteral("FS2 A=D6 B=D6\n") + JacquardRows(1, 4, 1) +
           JacquardRows(5, 10, 2, 5) +
           QStringLiteral("S1 Z=1+1 D1\nS2 Z=3+1 D1\nS3 Z=5+1 D1\nS4 Z=7+1 D2\nS5 Z=9+1 D1\n");
}

// The source of an export: the program, a palette and a drawing whose line k has colour 0x300000 + k.
struct ExportSource {
    std::unique_ptr<MMemoryProject> Project = BuildProject(FiveLines());
    TBitmap Drawing = LinePicture(101, 24, 0x300000);
    QTemporaryDir Dir;
    QString Folder = Dir.path() + QStringLiteral("/Export/");
    // Exports S lines From..To as entry Name of the library in Dir.
    MExportEntry Export(const QString& Name, int From, int To) {
        const QString old = AppFolder();
        SetAppFolder(Dir.path() + QLatin1Char('/'));
        MExportRequest r;
        r.Name = Name;
        r.FromS = From;
        r.ToS = To;
        struct Restore {
            QString Old;
            ~Restore() { SetAppFolder(Old); }
        } restore{old};
        return ExportLibraryEntry(Project->Lists, Project->Colors, Drawing, r, false);
    }
};

// What the program test would compare of a row, without its numbers.
QString RowText(const MUnvZ& Z) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(Z.CamCode[0])
        .arg(Z.PatternLine[0])
        .arg(Z.Racking[0].Position)
        .arg(Z.Carriers[0].Value);
}

} // namespace

// ---- Names.

TEST(ExportNames, TheMachineLetterAndTheStructureGiveTheEntryName) {
    struct Case {
        int Model, Systems, Structure, Colors;
        const char* Fixed;
    };
    for (const Case& c :
         {Case{740, 4, fsTwilled, 3, "B3clrJaqTwilled"}, Case{740, 4, fsStriped, 3, "B3clrJaqStriped"},
          Case{721, 4, fsLinks, 5, "D2clrLinks"}, Case{720, 2, fsTubular1_1, 2, "D2clrJaqTubular1_1"},
          Case{708, 1, fsTubular2_1, 4, "C4clrJaqTubular2_1"}, Case{712, 2, fsTubular, 6, "A6clrJaqTubular"},
          Case{740, 4, 6, 2, ""}})
        EXPECT_EQ(FixedProgramName(c.Model, c.Systems, c.Structure, c.Colors), QLatin1String(c.Fixed))
            << c.Fixed;
    EXPECT_EQ(RibProgramName(708, 1, RibWaist2), QStringLiteral("CRibWaist2"));
    EXPECT_EQ(RibProgramName(721, 4, RibTubular), QStringLiteral("DRibTubular"));
    EXPECT_EQ(RibProgramName(740, 4, RibWaist1), QStringLiteral("BRibWaist1"));
    EXPECT_EQ(RibProgramName(740, 4, 3), QString());
}

// ---- The pickers.

TEST(Pickers, ThePickersBuildTheirNamesFromTheProjectsMachine) {
    ProjectFixture fx;
    TPrjContainer* p740 = OpenNew(fx, 740, QStringLiteral("a_740e7"));
    TFormFixedProg fixed;
    EXPECT_TRUE(fixed.FixedProgramFileName().isEmpty()); // no project yet
    fixed.SetProject(p740);
    fixed.ComboType->setCurrentIndex(fsTwilled);
    fixed.SetColorCount(3);
    EXPECT_EQ(fixed.FixedProgramFileName(), fx.AppPath() + QStringLiteral("Export/Fixed/B3clrJaqTwilled"));

    TPrjContainer* p721 = OpenNew(fx, 721, QStringLiteral("b_721e7"));
    TFormFixedProg links;
    links.SetProject(p721);
    links.ComboType->setCurrentIndex(fsLinks);
    links.SetColorCount(5);
    EXPECT_EQ(FileNamePart(links.FixedProgramFileName()), QStringLiteral("D2clrLinks"));
    EXPECT_EQ(links.GetColorCount(), 2);

    TPrjContainer* p708 = OpenNew(fx, 708, QStringLiteral("c_708e7"));
    TFormRIBProg rib;
    rib.SetProject(p708);
    rib.RdoRip21->setChecked(true);
    EXPECT_EQ(rib.RibProgramFileName(), fx.AppPath() + QStringLiteral("Export/Fixed/CRibWaist2"));
    // The offset row counts only while checked and within 1..8.
    EXPECT_EQ(rib.GetOffset(), 0);
    rib.Offset.Check->setChecked(true);
    EXPECT_EQ(rib.GetOffset(), 8);
    rib.Offset.Row->setText(QStringLiteral("9"));
    EXPECT_EQ(rib.GetOffset(), 8);
    rib.Offset.Row->setText(QStringLiteral("0"));
    EXPECT_EQ(rib.GetOffset(), 1);
}

TEST(Pickers, TheSelectionGivesCornersAndColoursAndOkChecksThem) {
    ProjectFixture fx;
    TPrjContainer* p = OpenNew(fx, 740, QStringLiteral("s_740e7"), 10, 100);
    TBoardFormats& board = BoardOf(p);
    const MPalette& palette = p->Palette();
    // Cell columns 3..6 and rows 90..95 (counted from the top) of a 100-line picture; the bottom
    // row holds colours 4 and 9, the row above it colour 2.
    for (int y = 90; y <= 95; ++y)
        for (int x = 3; x <= 6; ++x)
            board.WriteCell(x, y, palette.Color(y == 95 ? (x < 5 ? 4 : 9) : 2));
    board.Selected = true;
    board.SelCells = {3, 90, 6, 95};

    TFormFixedProg form;
    form.SetProject(p);
    bool stayedOpen = false;
    MModalForm::ModalHook = [&](MModalForm&) {
        form.btnOK->click();
        stayedOpen = form.ModalResult() == mrNone;
    };
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(std::vector<int>({form.GetX1(), form.GetX2(), form.GetY1(), form.GetY2()}),
              std::vector<int>({4, 7, 5, 10}));
    EXPECT_TRUE(form.pnlImage->isVisibleTo(&form));
    EXPECT_EQ(form.ColorsFound, (std::array<int, 6>{4, 9, 2, -1, -1, -1}));
    EXPECT_EQ(form.GetColorCount(), 3);
    EXPECT_EQ(form.GetColors(), (std::vector<int>{4, 9, 2}));
    // The lower line is below 11: message 104, and the dialog stays open.
    EXPECT_TRUE(stayedOpen);
    ASSERT_FALSE(fx.Messages.Coded.empty());
    EXPECT_EQ(fx.Messages.Coded.back().SubCode, 104);

    // X and Y entered the wrong way round are put in order by OK, which then closes.
    board.Selected = false;
    MModalForm::ModalHook = [&](MModalForm&) {
        form.MnumX1->setText(QStringLiteral("9"));
        form.MnumX2->setText(QStringLiteral("4"));
        form.MnumY1->setText(QStringLiteral("30"));
        form.MnumY2->setText(QStringLiteral("12"));
        form.btnOK->click();
    };
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(std::vector<int>({form.GetX1(), form.GetX2(), form.GetY1(), form.GetY2()}),
              std::vector<int>({4, 9, 12, 30}));
    // Without a selection the preview is hidden.
    EXPECT_FALSE(form.pnlImage->isVisibleTo(&form));
}

TEST(Pickers, SevenColoursCloseTheDialogAndFewerThanTwoGiveColour15) {
    ProjectFixture fx;
    TPrjContainer* p = OpenNew(fx, 740, QStringLiteral("c_740e7"), 10, 20);
    TBoardFormats& board = BoardOf(p);
    const MPalette& palette = p->Palette();
    for (int x = 0; x < 7; ++x)
        board.WriteCell(x, 19, palette.Color(x + 1));
    board.Selected = true;
    board.SelCells = {0, 19, 6, 19};
    TFormFixedProg form;
    form.SetProject(p);
    int hooked = 0;
    MModalForm::ModalHook = [&](MModalForm&) { ++hooked; };
    EXPECT_FALSE(form.Execute());
    EXPECT_EQ(form.MNumColorsNo->Value(), 7);
    ASSERT_FALSE(fx.Messages.Coded.empty());
    EXPECT_EQ(fx.Messages.Coded.back().SubCode, 103);
    EXPECT_EQ(form.ModalResult(), mrCancel);

    // One colour, then none known to the palette: the count is used as 2 with colour 15 in the
    // boxes that found nothing.
    for (const TColor cell : {palette.Color(5), TColor(0x123457)}) {
        for (int x = 0; x < 7; ++x)
            board.WriteCell(x, 19, cell);
        form.FillFromSelection(&board);
        EXPECT_LE(form.MNumColorsNo->Value(), 1);
        EXPECT_EQ(form.GetColorCount(), 2);
        const std::vector<int> colours = form.GetColors();
        EXPECT_EQ(colours[1], 15);
        EXPECT_EQ(colours[0], cell == palette.Color(5) ? 5 : 15);
    }
}

// ---- The export.

TEST(Export, EachWrongFieldIsRefusedNamingIt) {
    ExportSource src;
    struct Case {
        MExportRequest Request;
        int SubCode;
    };
    const auto req = [](QString Name, int From, int To, bool Fixed = false, int Colors = 2) {
        MExportRequest r;
        r.Name = std::move(Name);
        r.FromS = From;
        r.ToS = To;
        r.Fixed = Fixed;
        r.Colors = Colors;
        return r;
    };
    const std::vector<Case> cases = {
        {req(QString(), 1, 2), exportmsg::NameEmpty},
        {req(QString(80, QLatin1Char('a')), 1, 2), exportmsg::NameTooLong},
        {req(QString(40, QChar(0x4E2D)), 1, 2), exportmsg::NameTooLong}, // 120 bytes stored
        {req(QStringLiteral("a/b"), 1, 2), exportmsg::NameBad},
        {req(QStringLiteral("a\\b"), 1, 2), exportmsg::NameBad},
        {req(QStringLiteral(".hidden"), 1, 2), exportmsg::NameBad},
        {req(QStringLiteral("tab\there"), 1, 2), exportmsg::NameBad},
        {req(QStringLiteral("ok"), 3, 2), exportmsg::FromAboveTo},
        {req(QStringLiteral("ok"), 0, 2), exportmsg::FromMissing},
        {req(QStringLiteral("ok"), 2, 9), exportmsg::ToMissing},
        {req(QString(), 1, 2, true, 7), exportmsg::ColorCount},
        {req(QString(), 1, 2, true, 1), exportmsg::ColorCount},
    };
    for (const Case& c : cases) {
        try {
            CheckExportRequest(c.Request, src.Project->Lists);
            ADD_FAILURE() << "accepted: " << c.Request.Name.toStdString();
        } catch (const MException& e) {
            EXPECT_EQ(e.SubCode, c.SubCode) << c.Request.Name.toStdString();
        }
    }
    EXPECT_NO_THROW(CheckExportRequest(req(QString(79, QLatin1Char('a')), 1, 5), src.Project->Lists));
    EXPECT_NO_THROW(CheckExportRequest(req(QString(), 2, 4, true, 6), src.Project->Lists));
}

TEST(Export, TheEntryCarriesTheRangeRenumberedWithItsHeaderAndPictures) {
    ExportSource src;
    const MExportEntry entry = src.Export(QStringLiteral("part.v1"), 3, 5);
    const QString& folder = src.Folder;
    ASSERT_EQ(ListLibraryEntries(folder), QStringList{QStringLiteral("part.v1")});
    const QByteArray mod = ReadFile(folder + QStringLiteral("part.v1.mod"));
    EXPECT_EQ(mod.size(), ModuleHeader::Size);
    // The reader checks the pictures against the header's rectangle.
    const MLibraryEntry read = ReadLibraryEntry(folder, QStringLiteral("part.v1"));
    const ModuleHeader& h = read.Header;
    EXPECT_EQ(h, entry.Header);
    EXPECT_EQ(h.Systems, 4);
    EXPECT_EQ(h.Model, 740);
    EXPECT_EQ(h.SLineCount, 3);
    EXPECT_EQ(h.FirstLine, 15);
    EXPECT_EQ(h.LastLine, 20);
    EXPECT_EQ(read.Picture.Width(), h.LastColumn - h.FirstColumn + 1);
    EXPECT_EQ(read.Picture.Height(), 6);
    // No low line is used: the .pt2 holds line 1 alone, over the same columns.
    EXPECT_EQ(ReadEntryPicture(ReadFile(folder + QStringLiteral("part.v1.pt2")), QStringLiteral("pt2"),
                               read.Picture.Width(), 1, false)
                  .Height(),
              1);
    EXPECT_EQ(CellAt(read.Picture, 1, 1), TColor(0x300000 + 15));
    EXPECT_EQ(CellAt(read.Picture, 1, 6), TColor(0x300000 + 20));
    // The first row of S3 (Z5): its racking and its FS, now FS1.
    EXPECT_EQ(h.RackingHV, 3);
    EXPECT_EQ(h.RackingKind, 1);
    EXPECT_EQ(h.FrontFS, 1);
    EXPECT_EQ(h.RearFS, 1);
    EXPECT_NE(h.StartSides[std::size_t(ModuleHeader::SideIndex(1, 3))], SideUnused);
    EXPECT_NE(h.EndSides[std::size_t(ModuleHeader::SideIndex(1, 3))], SideUnused);

    // The program: S3..S5 as S1..S3 over Z1..Z6, FS2 as FS1, C entry 1 as it was.
    MProgramLists lists;
    LoadMachineFile(folder + QStringLiteral("part.v1.LST"), lists.Machine, lists.Lists());
    ASSERT_EQ(lists.S.Count(), 3);
    ASSERT_EQ(lists.Z.Count(), 6);
    EXPECT_EQ(lists.FS.Count(), 1);
    EXPECT_EQ(lists.C.Count(), 1);
    for (int s = 1; s <= 3; ++s) {
        const MUnvS& line = lists.S.GetS(s);
        const MUnvS& was = src.Project->Lists.S.GetS(s + 2);
        EXPECT_EQ(line.First, 2 * s - 1);
        EXPECT_EQ(line.Count, was.Count);
        EXPECT_EQ(line.Counter, was.Counter);
        for (int k = 0; k <= line.Count; ++k)
            EXPECT_EQ(RowText(static_cast<MUnvZ&>(lists.Z.FindByNumber(line.First + k))),
                      RowText(static_cast<MUnvZ&>(src.Project->Lists.Z.FindByNumber(was.First + k))));
    }
    EXPECT_EQ(static_cast<MUnvZ&>(lists.Z.FindByNumber(1)).FSFront, 1);

    // Without replacing, a second export of the name is refused and the entry stays.
    try {
        src.Export(QStringLiteral("part.v1"), 1, 1);
        ADD_FAILURE() << "replaced";
    } catch (const MException& e) {
        EXPECT_EQ(e.SubCode, exportmsg::EntryExists);
    }
    EXPECT_EQ(ReadFile(folder + QStringLiteral("part.v1.mod")), mod);
}

TEST(Export, ACycleTakesItsLinesOutsideTheRangeAlongAndAFailedWriteKeepsTheOldEntry) {
    auto project =
        BuildProject(QLatin1String(Head) + JacquardRows(1, 4, 1) +
                     QStringLiteral("S1 Z=1+1 D1\nS2 cycle=5+1 D2\nS3 Z=1+1 D1\nS5 Z=3+1 D1\nS6 Z=1+1 D1\n"));
    const TBitmap drawing = LinePicture(101, 20, 0x300000);
    MExportRequest r;
    r.Name = QStringLiteral("cyc");
    r.FromS = 2;
    r.ToS = 3;
    const MExportEntry entry = BuildExportEntry(project->Lists, project->Colors, drawing, r);
    const MProgramLists& out = *entry.Lists;
    ASSERT_EQ(out.S.Count(), 4);
    EXPECT_EQ(out.S.GetS(1).Type, 2);
    EXPECT_EQ(out.S.GetS(1).First, 3); // S5..S6 carried as S3..S4
    EXPECT_EQ(out.S.GetS(3).First, out.Z.MinNumber() + 2);
    EXPECT_EQ(entry.Header.SLineCount, 2);
    // A cycle over lines inside and outside the range is refused.
    r.FromS = 2;
    r.ToS = 5;
    try {
        BuildExportEntry(project->Lists, project->Colors, drawing, r);
        ADD_FAILURE() << "split cycle accepted";
    } catch (const MException& e) {
        EXPECT_EQ(e.SubCode, exportmsg::CycleSplit);
    }

    // A write that fails part-way leaves the entry that was there.
    QTemporaryDir dir;
    const QString old = AppFolder();
    SetAppFolder(dir.path() + QLatin1Char('/'));
    r.ToS = 3;
    ExportLibraryEntry(project->Lists, project->Colors, drawing, r, false);
    const QString folder = dir.path() + QStringLiteral("/Export/");
    const QByteArray before = ReadFile(folder + QStringLiteral("cyc.LST"));
    struct Failing : MFileSetSteps {
        int Left = 2;
        void WriteAndFlush(QFile& File, const QByteArray& Bytes) override {
            if (--Left < 0)
                throw EWriteError(QStringLiteral("disk full"));
            MFileSetSteps::WriteAndFlush(File, Bytes);
        }
    } failing;
    r.FromS = r.ToS = 1;
    try {
        ExportLibraryEntry(project->Lists, project->Colors, drawing, r, true, &failing);
        ADD_FAILURE() << "written";
    } catch (const MException& e) {
        EXPECT_EQ(e.SubCode, exportmsg::WriteFailed);
    }
    SetAppFolder(old);
    EXPECT_EQ(ReadFile(folder + QStringLiteral("cyc.LST")), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

TEST(Export, AnEntryOfARowBeyondTheHeadersLinesStillHasAReadableHeader) {
    // A row stored unvalidated: a pattern line past what a header can hold.
    auto project = BuildProject(QLatin1String(Head) + JacquardRows(1, 2, 1) +
                                QStringLiteral("Z3 cam1=JR LG1=1 ZT1=2500 yc1=3 rack1=0:G FSF=1 FSR=1\n"
                                               "S1 Z=1+1 D1\nS2 Z=3+0 D1\n"));
    MExportRequest r;
    r.Name = QStringLiteral("far");
    r.FromS = r.ToS = 2;
    const MExportEntry entry =
        BuildExportEntry(project->Lists, project->Colors, LinePicture(101, 20, 0x300000), r);
    const ModuleHeader& h = entry.Header;
    EXPECT_NO_THROW(ReadModuleHeader(WriteModuleHeader(h), QStringLiteral("far.mod")));
    EXPECT_EQ(entry.Picture.Height(), h.LastLine - h.FirstLine + 1);
    EXPECT_EQ(entry.Picture.Width(), h.LastColumn - h.FirstColumn + 1);
}

TEST(Export, AnExportedRangeImportsIntoAnEmptyProjectAsItWas) {
    ExportSource src;
    const ModuleHeader h = src.Export(QStringLiteral("trip"), 3, 5).Header;
    const QString& folder = src.Folder;

    auto target = BuildProject(QLatin1String(EmptyProject));
    TBitmap drawing = LinePicture(101, 24, 0x700000);
    MStripImport engine;
    engine.Attach(&target->Lists, &target->Colors, &drawing);
    engine.PrepareWorkingSets();
    engine.SyncStripes();
    MImportPlacement p;
    p.Folder = folder;
    p.Name = QStringLiteral("trip");
    p.X = h.FirstColumn;
    p.Y = h.FirstLine;
    engine.LoadModuleFile(p);
    engine.Apply();

    // The source's rows of S3..S5, in program order, come back in the same order.
    const auto rows = [](MProgramLists& L, int From, int To) {
        QStringList t;
        for (int s = From; s <= To; ++s) {
            const MUnvS& line = L.S.GetS(s);
            for (int k = 0; k <= line.Count; ++k)
                t << RowText(static_cast<MUnvZ&>(L.Z.FindByNumber(line.First + k))) +
                         QStringLiteral(" x%1").arg(line.Counter.Value);
        }
        return t;
    };
    const QStringList want = rows(src.Project->Lists, 3, 5);
    const QStringList got = rows(target->Lists, 1, target->Lists.S.LeadingRunLength());
    EXPECT_TRUE(got.join(u'|').contains(want.join(u'|'))) << got.join(u'|').toStdString();
    // The placed cells equal the source's.
    for (int line = h.FirstLine; line <= h.LastLine; ++line)
        for (int x = h.FirstColumn; x <= h.LastColumn; x += 17)
            EXPECT_EQ(CellAt(drawing, x, line), CellAt(src.Drawing, x, line)) << x << " " << line;
}

TEST(Export, AFixedProgramWritesItsModAndLstUnderThePickersName) {
    ProjectFixture fx;
    auto memory = BuildProject(FiveLines());
    const MProjectNames names =
        SaveProjectFiles(fx.Dir.filePath(QStringLiteral("f_740e7.LST")), memory->Lists, memory->Colors,
                         MProjHeader(), LinePicture(101, 24, 0x300000));
    TPrjContainer* p = fx.Open(names.HeaderFile);
    TFormExport form(*p);
    MModalForm::ModalHook = [&](MModalForm&) {
        form.MnumFromS->SetValue(1);
        form.MnumToS->SetValue(2);
        form.chkFixedProgram->setChecked(true);
        form.ComboType->setCurrentIndex(fsStriped);
        form.numColors->SetValue(3);
        form.btnOK->click();
    };
    EXPECT_TRUE(form.Execute());
    const QString fixedFolder = fx.AppPath() + QStringLiteral("Export/Fixed/");
    QStringList files = QDir(fixedFolder).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files,
              (QStringList{QStringLiteral("B3clrJaqStriped.LST"), QStringLiteral("B3clrJaqStriped.mod")}));
    TFormFixedProg picker;
    picker.SetProject(p);
    picker.ComboType->setCurrentIndex(fsStriped);
    picker.SetColorCount(3);
    EXPECT_TRUE(QFileInfo::exists(
        LibraryEntryFile(FixedFolder(), picker.FixedProgramName(), QStringLiteral(".mod"))));

    // The window refuses a wrong field with its message and stays open; an existing entry is
    // replaced only after Yes.
    const QString mod = fixedFolder + QStringLiteral("B3clrJaqStriped.mod");
    const QByteArray before = ReadFile(mod);
    bool open = false;
    MModalForm::ModalHook = [&](MModalForm&) {
        form.MnumToS->SetValue(9);
        form.btnOK->click();
        open = form.ModalResult() == mrNone;
        form.MnumFromS->SetValue(2);
        form.MnumToS->SetValue(3);
        fx.Messages.Answers = {mbNo};
        form.btnOK->click();
        open = open && form.ModalResult() == mrNone;
    };
    fx.Messages.Coded.clear();
    EXPECT_FALSE(form.Execute());
    EXPECT_TRUE(open);
    ASSERT_EQ(fx.Messages.Coded.size(), 2u);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, exportmsg::ToMissing);
    EXPECT_EQ(fx.Messages.Coded[1].SubCode, exportmsg::Replace);
    EXPECT_EQ(fx.Messages.Coded[1].Buttons, mbYes | mbNo);
    EXPECT_EQ(ReadFile(mod), before);
    MModalForm::ModalHook = [&](MModalForm&) {
        fx.Messages.Answers = {mbYes};
        form.btnOK->click();
    };
    EXPECT_TRUE(form.Execute());
    EXPECT_NE(ReadFile(mod), before);
    EXPECT_EQ(form.WrittenHeader().SLineCount, 2);

    // The question names a library entry whose name holds ";" whole.
    MModalForm::ModalHook = [&](MModalForm&) {
        form.chkFixedProgram->setChecked(false);
        form.edtModuleName->setText(QStringLiteral("rib;cuff"));
        form.btnOK->click();
    };
    EXPECT_TRUE(form.Execute());
    MModalForm::ModalHook = [&](MModalForm&) {
        fx.Messages.Answers = {mbNo};
        form.btnOK->click();
    };
    fx.Messages.Coded.clear();
    EXPECT_FALSE(form.Execute());
    ASSERT_EQ(fx.Messages.Coded.size(), 1u);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, exportmsg::Replace);
    EXPECT_EQ(fx.Messages.Coded[0].Args, QStringLiteral("rib,cuff"));
}

// ---- The import window.

namespace {

// A station with a 740 project and a library holding the module "m" and the rib "BRibWaist1"; the
// import window and its pickers are played through the modal hook.
struct ImportFixture : ProjectFixture {
    ImportFixture() {
        WriteEntry(AppPath() + QStringLiteral("Export"), QStringLiteral("m"), EntryHeader(),
                   QLatin1String(EntryProgram));
        WriteEntry(AppPath() + QStringLiteral("Export/Fixed"), QStringLiteral("BRibWaist1"), EntryHeader(),
                   QLatin1String(EntryProgram));
        MModalForm::ModalHook = [this](MModalForm& F) {
            if (auto* w = dynamic_cast<TFormImport*>(&F)) {
                Window = w;
                if (Script)
                    Script(*w);
            } else if (auto* picker = dynamic_cast<TFormImportData*>(&F)) {
                const auto found = picker->LbxStripes->findItems(QStringLiteral("m"), Qt::MatchExactly);
                if (!found.isEmpty())
                    picker->LbxStripes->setCurrentItem(found.front());
                picker->btnOK->click();
            } else if (auto* property = dynamic_cast<TFormModulePrperty*>(&F)) {
                if (property->RenameMode())
                    property->SetModuleName(NewName);
                else
                    property->SetToS(DivideAt);
                property->btnOK->click();
            } else if (auto* rib = dynamic_cast<TFormRIBProg*>(&F)) {
                rib->btnOK->click();
            }
        };
    }
    // Opens Script's project (an empty 740 project by default) with a 20 x 30 drawing.
    TPrjContainer* OpenProject(const QString& Program = QLatin1String(EmptyProject)) {
        auto memory = BuildProject(Program);
        const MProjectNames names =
            SaveProjectFiles(Dir.filePath(QStringLiteral("imp_740e7.LST")), memory->Lists, memory->Colors,
                             MProjHeader(), LinePicture(20, 30, 0x500000));
        return Open(names.HeaderFile);
    }
    static QStringList Listing(TPrjContainer* P) {
        QStringList t;
        for (MUnvList* list : P->Program().Lists())
            for (int i = 0; i < list->Count(); ++i)
                t << QString::number(list->ItemAt(i).Number) + QLatin1Char(' ') +
                         list->ItemAt(i).ListingLine();
        return t;
    }
    static QStringList Stripes(const MMachineInfo& M) {
        QStringList t;
        for (const MStrip& s : M.Strips())
            t << s.Text();
        return t;
    }
    static QStringList Lines(TFormImport& W) {
        QStringList t;
        for (int i = 0; i < W.LbxStripes->count(); ++i)
            t << W.LbxStripes->item(i)->text();
        return t;
    }
    std::function<void(TFormImport&)> Script;
    TFormImport* Window = nullptr;
    QString NewName;
    int DivideAt = 0;
};

QByteArray Bytes(const TBitmap& B) {
    QByteArray b;
    for (int y = 0; y < B.Height(); ++y)
        b.append(reinterpret_cast<const char*>(B.ScanLine(y)), 3 * B.Width());
    return b + QByteArray::number(B.Width()) + 'x' + QByteArray::number(B.Height());
}

} // namespace

TEST(ImportWindow, CancelAfterThreeImportsPutsEverythingBackAndOkStoresTheResultSorted) {
    ImportFixture fx;
    TPrjContainer* p = fx.OpenProject(FiveLines());
    TBoardFormats& board = BoardOf(p);
    const QStringList listing = ImportFixture::Listing(p);
    const QByteArray drawing = Bytes(board.Raster());
    const bool modified = board.Modified;
    QStringList shown;
    fx.Script = [&](TFormImport& W) {
        shown = ImportFixture::Lines(W);
        for (int k = 0; k < 3; ++k)
            W.btnAddModuleClick();
        EXPECT_TRUE(W.Loaded());
        EXPECT_EQ(W.LbxStripes->count(), 4);
        EXPECT_NE(Bytes(board.Raster()), drawing); // the pictures are placed while the window is open
        W.btnCancel->click();
    };
    p->ImportButton()->click();
    ASSERT_NE(fx.Window, nullptr);
    // A project with S lines and no stripes shows them as one stripe.
    EXPECT_EQ(shown, QStringList{QStringLiteral("extended S1 .. S5")});
    EXPECT_EQ(ImportFixture::Listing(p), listing);
    EXPECT_EQ(p->Program().Machine.StripCount(), 0);
    EXPECT_EQ(Bytes(board.Raster()), drawing);
    EXPECT_EQ(board.Modified, modified);

    fx.Script = [&](TFormImport& W) {
        W.btnAddModuleClick();
        W.btnOK->click();
    };
    fx.Log.clear();
    p->ImportButton()->click();
    MProgramLists& lists = p->Program();
    EXPECT_EQ(ImportFixture::Stripes(lists.Machine),
              (QStringList{QStringLiteral("extended S1 .. S5"), QStringLiteral("m S6 .. S8")}));
    for (const MUnvList* list : lists.Lists())
        for (int i = 1; i < list->Count(); ++i)
            EXPECT_LT(list->ItemAt(i - 1).Number, list->ItemAt(i).Number) << list->Kind;
    for (const MStrip& strip : lists.Machine.Strips())
        for (int s = strip.FirstS; s <= strip.LastS; ++s)
            EXPECT_EQ(lists.S.GetS(s).StripId, strip.Id) << "S" << s;
    EXPECT_TRUE(p->IsModified());
}

TEST(ImportWindow, CancelLetsAPasteThatFloatedWhenTheWindowOpenedFloatAgain) {
    ImportFixture fx;
    // The station's own drawing, which lets a paste float.
    struct StationDrawings {
        MBusFactory* Old = BusFactory();
        StationDrawings() { SetBusFactory(&StationFactory()); }
        ~StationDrawings() { SetBusFactory(Old); }
    } drawings;
    TPrjContainer* p = fx.OpenProject(FiveLines());
    auto* board = dynamic_cast<TGraphicWindow*>(p->Drawing());
    ASSERT_NE(board, nullptr);
    // The top-left 3 x 2 cells lifted and floating two cells lower, over an unchanged picture.
    board->CopyCellsToBuffer(board->PasteBuffer, {0, 0, 2, 1});
    board->PasteBuffer.PosX = 0;
    board->PasteBuffer.PosY = 2;
    board->PasteBuffer.RepeatX = 2;
    board->PasteBuffer.Floating = true;
    board->Selected = true;
    board->Modified = false;
    board->ChangedSinceAutosave = false;
    const QByteArray drawing = Bytes(board->Raster());
    const bool undo = board->UndoAvailable();
    fx.Script = [&](TFormImport& W) {
        W.btnAddModuleClick();
        W.btnCancel->click();
    };
    p->ImportButton()->click();
    EXPECT_EQ(Bytes(board->Raster()), drawing);
    EXPECT_TRUE(board->PasteBuffer.Floating);
    EXPECT_EQ(board->PasteBuffer.PosY, 2);
    EXPECT_EQ(board->PasteBuffer.RepeatX, 2);
    EXPECT_FALSE(board->Modified);
    EXPECT_FALSE(board->ChangedSinceAutosave);
    EXPECT_EQ(board->UndoAvailable(), undo);
}

TEST(ImportWindow, DivideAndMergeChangeTheStripesAsAskedAndRenameCutsTheName) {
    ImportFixture fx;
    TPrjContainer* p = fx.OpenProject(FiveLines());
    fx.Script = [&](TFormImport& W) {
        W.LbxStripes->setCurrentRow(0);
        W.MPopupMenu1Popup();
        EXPECT_TRUE(W.mnuDevide->isEnabled());
        EXPECT_FALSE(W.mnuMerge->isEnabled());
        // At the last S line or outside the stripe nothing changes.
        for (const int at : {5, 7, 0}) {
            fx.DivideAt = at;
            W.LbxStripes->setCurrentRow(0);
            W.mnuDevideClick();
            EXPECT_EQ(ImportFixture::Lines(W), QStringList{QStringLiteral("extended S1 .. S5")}) << at;
        }
        fx.DivideAt = 3;
        W.LbxStripes->setCurrentRow(0);
        W.mnuDevideClick();
        EXPECT_EQ(ImportFixture::Lines(W),
                  (QStringList{QStringLiteral("extended S1 .. S3"), QStringLiteral("extended_2 S4 .. S5")}));
        W.LbxStripes->setCurrentRow(1);
        W.MPopupMenu1Popup();
        EXPECT_FALSE(W.mnuMerge->isEnabled()); // the last stripe has nothing after it
        W.LbxStripes->setCurrentRow(0);
        W.MPopupMenu1Popup();
        EXPECT_TRUE(W.mnuMerge->isEnabled());
        W.mnuMergeClick();
        EXPECT_EQ(ImportFixture::Lines(W), QStringList{QStringLiteral("extended S1 .. S5")});

        // A rename keeps 79 stored bytes (26 three-byte characters and "x"); the second part of a
        // division drops whole characters until "_2" fits as well.
        fx.NewName = QString(26, QChar(0x4E2D)) + QStringLiteral("xyz");
        W.LbxStripes->setCurrentRow(0);
        W.mnuRenameClick();
        const QString renamed = W.Engine().Machine().GetStrip(0).NameText();
        EXPECT_EQ(renamed, QString(26, QChar(0x4E2D)) + QStringLiteral("x"));
        fx.DivideAt = 1;
        W.LbxStripes->setCurrentRow(0);
        W.mnuDevideClick();
        const QString second = W.Engine().Machine().GetStrip(1).NameText();
        EXPECT_EQ(second, QString(25, QChar(0x4E2D)) + QStringLiteral("_2"));
        W.btnOK->click();
    };
    p->ImportButton()->click();
    const MProgramLists& lists = p->Program();
    ASSERT_EQ(lists.Machine.StripCount(), 2);
    EXPECT_EQ(lists.S.GetS(2).StripId, lists.Machine.GetStrip(1).Id);
    EXPECT_EQ(lists.S.GetS(1).StripId, lists.Machine.GetStrip(0).Id);
}

TEST(ImportWindow, AFailedImportIsShownAndLeavesNothingLoaded) {
    ImportFixture fx;
    TPrjContainer* p = fx.OpenProject(FiveLines());
    p->PressButton(prjwin::S);
    QFile::remove(fx.AppPath() + QStringLiteral("Export/m.bmp"));
    const QStringList listing = ImportFixture::Listing(p);
    fx.Script = [&](TFormImport& W) {
        fx.Messages.Coded.clear();
        W.btnAddModuleClick();
        EXPECT_FALSE(W.Loaded());
        EXPECT_FALSE(fx.Messages.Coded.empty()); // the file error is shown
        EXPECT_FALSE(W.pnlWait->isVisible());
        EXPECT_EQ(ImportFixture::Lines(W), QStringList{QStringLiteral("extended S1 .. S5")});
        W.btnOK->click();
    };
    fx.Log.clear();
    p->ImportButton()->click();
    // OK with nothing loaded keeps the lists, and the windows have nothing to read again.
    EXPECT_EQ(ImportFixture::Listing(p), listing);
    EXPECT_EQ(std::count(fx.Log.begin(), fx.Log.end(), std::string("reload 1")), 0);
}

TEST(ImportWindow, ARibImportedTwiceLeavesOneRibStripeFirst) {
    ImportFixture fx;
    TPrjContainer* p = fx.OpenProject();
    int runAfterFirst = 0;
    fx.Script = [&](TFormImport& W) {
        W.btnAddModuleClick();
        W.btnRIBClick();
        runAfterFirst = W.Engine().Result.S.LeadingRunLength();
        W.btnRIBClick();
        // A rib that cannot be read leaves the rib that was there: its removal is taken back.
        const QString lst = fx.AppPath() + QStringLiteral("Export/Fixed/BRibWaist1.LST");
        const QByteArray good = ReadFile(lst);
        const QByteArray result = MachineFileImage(W.Engine().Result.Machine, W.Engine().Result.Lists());
        const QStringList before = ImportFixture::Lines(W);
        WriteFile(lst, QByteArray("not a machine file"));
        W.btnRIBClick();
        EXPECT_EQ(ImportFixture::Lines(W), before);
        EXPECT_EQ(MachineFileImage(W.Engine().Result.Machine, W.Engine().Result.Lists()), result);
        WriteFile(lst, good);
        W.btnOK->click();
    };
    p->ImportButton()->click();
    const MProgramLists& lists = p->Program();
    const QStringList stripes = ImportFixture::Stripes(lists.Machine);
    ASSERT_EQ(stripes.size(), 2) << stripes.join(u'|').toStdString();
    EXPECT_TRUE(stripes[0].startsWith(QStringLiteral("RIB S1 .. ")));
    EXPECT_TRUE(stripes[1].startsWith(QStringLiteral("m S")));
    EXPECT_EQ(lists.S.LeadingRunLength(), runAfterFirst);
    EXPECT_EQ(lists.Machine.GetStrip(1).LastS, runAfterFirst);
}

// The stripe menu reads and opens from the pointer in the window's reading direction: to the right
// of it in English, to the left in Arabic, whichever language the window was made in.
TEST(ImportWindow, TheStripeMenuOpensTowardsTheLanguagesReadingDirection) {
    TDMLanguagePack pack;
    for (int first : {LanguageEnglish, LanguageArabic}) {
        pack.OLanguagePack->SetLanguageNumber(first);
        TFormImport form;
        form.show();
        for (int language : {first, first == LanguageEnglish ? LanguageArabic : LanguageEnglish}) {
            pack.OLanguagePack->SetLanguageNumber(language);
            const QPoint expected = language == LanguageArabic ? QPoint(60, 50) : QPoint(100, 50);
            EXPECT_EQ(form.MPopupMenu1->PopupOrigin(100, 50, 40), expected) << first << " " << language;
            EXPECT_EQ(form.MPopupMenu1->layoutDirection(),
                      language == LanguageArabic ? Qt::RightToLeft : Qt::LeftToRight);
        }
    }
}

TEST(ImportWindow, AFixedOrRibProgramTheLibraryLacksIsNamedAndNothingIsImported) {
    ImportFixture fx;
    TPrjContainer* p = fx.OpenProject(FiveLines());
    QFile::remove(fx.AppPath() + QStringLiteral("Export/Fixed/BRibWaist1.mod"));
    const QStringList listing = ImportFixture::Listing(p);
    fx.Script = [&](TFormImport& W) {
        fx.Messages.Coded.clear();
        W.btnRIBClick();
        EXPECT_FALSE(W.Loaded());
        ASSERT_EQ(fx.Messages.Coded.size(), 1u);
        EXPECT_EQ(fx.Messages.Coded[0].Code, importmsg::Code);
        EXPECT_EQ(fx.Messages.Coded[0].SubCode, importmsg::MissingProgram);
        EXPECT_EQ(fx.Messages.Coded[0].Args, QStringLiteral("BRibWaist1"));
        EXPECT_EQ(ImportFixture::Lines(W), QStringList{QStringLiteral("extended S1 .. S5")});
        W.btnOK->click();
    };
    p->ImportButton()->click();
    EXPECT_EQ(ImportFixture::Listing(p), listing);
}

// ---- From the shell.

TEST(ExportTool, ExportThenImportMakeTheRoundTripAndAFailureWritesNothing) {
    QTemporaryDir dir;
    ExportSource src;
    SaveProjectFiles(dir.path() + QStringLiteral("/src"), src.Project->Lists, src.Project->Colors,
                     MProjHeader(), src.Drawing);
    const QString project = dir.path() + QStringLiteral("/src.LST");
    const QString entry = dir.path() + QStringLiteral("/lib/part");
    const QString tool = QStringLiteral(LSTTOOL_PATH);
    ToolResult r =
        RunTool(tool, {QStringLiteral("export"), project, QStringLiteral("3"), QStringLiteral("5"), entry});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.contains(QStringLiteral("SLineCount 3\n"))) << r.Out.toStdString();
    EXPECT_EQ(r.Out, RunTool(tool, {QStringLiteral("mod"), entry + QStringLiteral(".mod")}).Out);

    auto empty = BuildProject(QLatin1String(EmptyProject));
    SaveProjectFiles(dir.path() + QStringLiteral("/empty"), empty->Lists, empty->Colors, MProjHeader(),
                     LinePicture(101, 24, 0x700000));
    r = RunTool(tool, {QStringLiteral("import"), dir.path() + QStringLiteral("/empty.LST"), entry,
                       dir.path() + QStringLiteral("/out"), QStringLiteral("--y"), QStringLiteral("15")});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.startsWith(QStringLiteral("stripe 1 1 "))) << r.Out.toStdString();

    // An entry that is there, a range outside the program, a fixed program of 7 colours: exit 1,
    // nothing written.
    const QByteArray lst = ReadFile(entry + QStringLiteral(".LST"));
    const QList<QStringList> refused = {
        {QStringLiteral("export"), project, QStringLiteral("1"), QStringLiteral("1"), entry},
        {QStringLiteral("export"), project, QStringLiteral("4"), QStringLiteral("9"),
         entry + QStringLiteral("2")},
        {QStringLiteral("export"), project, QStringLiteral("1"), QStringLiteral("2"),
         entry + QStringLiteral("3"), QStringLiteral("--fixed"), QStringLiteral("twilled"),
         QStringLiteral("--colors"), QStringLiteral("7")},
    };
    for (const QStringList& args : refused) {
        r = RunTool(tool, args);
        EXPECT_EQ(r.Code, 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.Out.isEmpty());
    }
    EXPECT_EQ(ReadFile(entry + QStringLiteral(".LST")), lst);
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/lib")).entryList(QDir::Files | QDir::Hidden).size(), 4);
    // A fixed program writes its .mod and .LST only.
    r = RunTool(tool, {QStringLiteral("export"), project, QStringLiteral("1"), QStringLiteral("2"),
                       dir.path() + QStringLiteral("/fixed/B3clrJaqStriped"), QStringLiteral("--fixed"),
                       QStringLiteral("striped"), QStringLiteral("--colors"), QStringLiteral("3")});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/fixed")).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(RunTool(tool, {QStringLiteral("export"), project}).Code, 2);
}

namespace {

// Five S lines with their own needle setups: S1..S2 read columns 1..40, S3..S4 10..20, S5 30..35.
// Rows 1..4 name FS2; rows 5..10 name none and go on with the FS of the row before them.
QString SetupLines() {
    return QLatin1String(Head) +
           QStringLiteral("FS2 A=D6 B=D6\nN1 X=1+39 D1\nN2 X=10+10 D1\nN3 X=30+5 D1\n") +
           JacquardRows(1, 4, 2) + JacquardRows(5, 10, 0, 5) +
           QStringLiteral("S1 Z=1+1 D1 N=1\nS2 Z=3+1 D1 N=1\nS3 Z=5+1 D1 N=2\nS4 Z=7+1 D2 N=2\n"
                          "S5 Z=9+1 D1 N=3\n");
}

// A project saved in Dir and exported from the shell, range by range.
struct ToolExport {
    QTemporaryDir Dir;
    QString Project;
    explicit ToolExport(const QString& Program) {
        auto p = BuildProject(Program);
        SaveProjectFiles(Dir.path() + QStringLiteral("/src"), p->Lists, p->Colors, MProjHeader(),
                         LinePicture(101, 24, 0x300000));
        Project = Dir.path() + QStringLiteral("/src.LST");
    }
    // The header lines `lsttool export` prints for S lines From..To written as entry Name.
    QStringList Export(int From, int To, const QString& Name) {
        const ToolResult r = RunTool(QStringLiteral(LSTTOOL_PATH),
                                     {QStringLiteral("export"), Project, QString::number(From),
                                      QString::number(To), Dir.path() + QStringLiteral("/lib/") + Name});
        EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
        return r.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

QString HeaderValue(const QStringList& Lines, const QString& Field) {
    for (const QString& line : Lines)
        if (line.startsWith(Field + QLatin1Char(' ')))
            return line.mid(Field.size() + 1);
    return QString();
}

} // namespace

TEST(ExportTool, TheColumnsAreThoseTheRangesNeedleSetupsRead) {
    ToolExport tool(SetupLines());
    struct Case {
        int From, To;
        const char* First;
        const char* Last;
    };
    for (const Case& c : {Case{3, 4, "10", "20"}, Case{3, 5, "10", "35"}, Case{5, 5, "30", "35"},
                          Case{1, 2, "1", "40"}, Case{2, 3, "1", "40"}}) {
        const QString name = QStringLiteral("r%1_%2").arg(c.From).arg(c.To);
        const QStringList h = tool.Export(c.From, c.To, name);
        EXPECT_EQ(HeaderValue(h, QStringLiteral("FirstColumn")), QLatin1String(c.First))
            << c.From << ".." << c.To;
        EXPECT_EQ(HeaderValue(h, QStringLiteral("LastColumn")), QLatin1String(c.Last))
            << c.From << ".." << c.To;
        // The picture is as wide as the columns, so an import paints no cell beside them.
        const MLibraryEntry entry = ReadLibraryEntry(tool.Dir.path() + QStringLiteral("/lib/"), name);
        EXPECT_EQ(entry.Picture.Width(),
                  QString::fromLatin1(c.Last).toInt() - QString::fromLatin1(c.First).toInt() + 1);
    }
    // A program of one S line: its own setup, whatever the start's settling run read before.
    ToolExport single(QLatin1String(Head) + QStringLiteral("N2 X=10+10 D1\n") + JacquardRows(1, 2, 1) +
                      QStringLiteral("S1 Z=1+1 D1 N=2\n"));
    const QStringList h = single.Export(1, 1, QStringLiteral("one"));
    EXPECT_EQ(HeaderValue(h, QStringLiteral("FirstColumn")), QStringLiteral("10"));
    EXPECT_EQ(HeaderValue(h, QStringLiteral("LastColumn")), QStringLiteral("20"));
}

TEST(ExportTool, AnFsCarriedIntoTheRangeGoesAlongAndImportsAsTheRangeKnitsIt) {
    ToolExport tool(SetupLines());
    // S3's first row names no FS: it knits with FS2 of the rows before it. The entry holds that
    // module as its FS1 and the header names it.
    const QStringList h = tool.Export(3, 5, QStringLiteral("carried"));
    EXPECT_EQ(HeaderValue(h, QStringLiteral("FrontFS")), QStringLiteral("1"));
    EXPECT_EQ(HeaderValue(h, QStringLiteral("RearFS")), QStringLiteral("1"));
    const QString lib = tool.Dir.path() + QStringLiteral("/lib/");
    MProgramLists entry;
    LoadMachineFile(lib + QStringLiteral("carried.LST"), entry.Machine, entry.Lists());
    auto source = BuildProject(SetupLines());
    ASSERT_EQ(entry.FS.Count(), 1);
    EXPECT_TRUE(entry.FS.FindByNumber(1).Equals(source->Lists.FS.FindByNumber(2)));

    // Imported into an empty project, the opening line's rows name that module, and the entry's
    // first row goes on with it.
    auto empty = BuildProject(QLatin1String(EmptyProject));
    SaveProjectFiles(tool.Dir.path() + QStringLiteral("/empty"), empty->Lists, empty->Colors, MProjHeader(),
                     LinePicture(101, 24, 0x700000));
    const QString out = tool.Dir.path() + QStringLiteral("/out");
    const ToolResult r =
        RunTool(QStringLiteral(LSTTOOL_PATH),
                {QStringLiteral("import"), tool.Dir.path() + QStringLiteral("/empty.LST"),
                 lib + QStringLiteral("carried"), out, QStringLiteral("--y"), QStringLiteral("15")});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    MProgramLists result;
    LoadMachineFile(out + QStringLiteral(".LST"), result.Machine, result.Lists());
    const MUnvS& opening = result.S.GetS(1);
    const auto& last = static_cast<MUnvZ&>(result.Z.FindByNumber(opening.First + opening.Count));
    ASSERT_TRUE(last.FSFront != 0 && result.FS.Contains(last.FSFront)) << int(last.FSFront);
    EXPECT_TRUE(result.FS.FindByNumber(last.FSFront).Equals(source->Lists.FS.FindByNumber(2)));
    EXPECT_EQ(last.FSRear, last.FSFront);
    EXPECT_EQ(static_cast<MUnvZ&>(result.Z.FindByNumber(result.S.GetS(2).First)).FSFront, 0);
}
