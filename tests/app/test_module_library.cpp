// The module library: entry headers, pictures, fit and deletion; the stripe import engine over
// fixture entries; lsttool mod and import.

#include "LibrarySupport.h"
#include "app/UExportEntry.h"
#include "app/ULibFiles.h"
#include "app/UStripImport.h"
#include "model/MClpBrd.h"
#include "model/UunvDta.h"
#include "tests/support/MemoryCap.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

using namespace kdstest;

namespace {

std::int32_t I32At(const QByteArray& B, int Offset) {
    std::int32_t v = 0;
    std::memcpy(&v, B.constData() + Offset, 4);
    return v;
}

void PutI32(QByteArray& B, int Offset, std::int32_t V) {
    std::memcpy(B.data() + Offset, &V, 4);
}

ModuleHeader Distinct() {
    ModuleHeader h;
    h.Systems = 2;
    h.Model = 712;
    h.FirstColumn = 13;
    h.LastColumn = 170;
    h.FirstLine = 21;
    h.LastLine = 250;
    for (int k = 0; k < 10; ++k)
        h.LowLines[std::size_t(k)] = std::uint8_t(k % 3 == 0 ? 0 : 40 + k);
    h.RackingHV = -39;
    h.FrontFS = 43;
    h.RearFS = 47;
    h.RackingKind = 3;
    h.SLineCount = 52;
    for (int i = 0; i < ModuleHeader::SideCount; ++i) {
        h.StartSides[std::size_t(i)] = std::array{SideUnused, SideLeft, SideRight}[std::size_t(i % 3)];
        h.EndSides[std::size_t(i)] = std::array{SideRight, SideUnused, SideLeft}[std::size_t(i % 3)];
    }
    return h;
}

} // namespace

TEST(ModuleHeader, EveryFieldLiesAtItsOffsetAndReadsBack) {
    const ModuleHeader h = Distinct();
    QByteArray bytes = WriteModuleHeader(h);
    ASSERT_EQ(bytes.size(), 184);
    EXPECT_EQ(I32At(bytes, 0), 2);
    EXPECT_EQ(I32At(bytes, 4), 712);
    EXPECT_EQ(bytes.mid(8, 5), QByteArray(5, '\0'));
    EXPECT_EQ(I32At(bytes, 13), 13);
    EXPECT_EQ(I32At(bytes, 17), 170);
    EXPECT_EQ(I32At(bytes, 21), 21);
    EXPECT_EQ(I32At(bytes, 25), 250);
    EXPECT_EQ(std::uint8_t(bytes[29 + 1]), 41);
    EXPECT_EQ(I32At(bytes, 39), -39);
    EXPECT_EQ(I32At(bytes, 43), 43);
    EXPECT_EQ(I32At(bytes, 47), 47);
    EXPECT_EQ(std::uint8_t(bytes[51]), 3);
    EXPECT_EQ(I32At(bytes, 52), 52);
    EXPECT_EQ(I32At(bytes, 56 + 4), SideLeft);
    EXPECT_EQ(I32At(bytes, 120 + 4), SideUnused);
    EXPECT_EQ(I32At(bytes, 180), h.EndSides[15]);
    // Bytes after the header are ignored; the unread bytes are not kept.
    bytes[9] = 'x';
    EXPECT_EQ(ReadModuleHeader(bytes + QByteArray("tail"), QStringLiteral("e.mod")), h);
}

TEST(ModuleHeader, LowLinesGiveTheFirstAndLastLineUsed) {
    ModuleHeader h;
    EXPECT_EQ(h.FirstLowLine(), -1);
    EXPECT_FALSE(h.UsesLowLines());
    h.LowLines[2] = 1;
    h.LowLines[4] = 9;
    EXPECT_EQ(h.FirstLowLine(), 3);
    EXPECT_EQ(h.LastLowLine(), 5);
    EXPECT_TRUE(h.UsesLowLines());
}

TEST(ModuleHeader, AFieldOutsideItsRangeIsAFileErrorNamingFileAndField) {
    struct Case {
        const char* Field;
        int Offset;
        std::int32_t Value;
        bool Byte = false;
    };
    const Case cases[] = {
        {"Systems", 0, 5},        {"Systems", 0, -1},           {"FirstColumn", 13, 0},
        {"LastColumn", 17, 2001}, {"LastColumn", 17, 12},       {"FirstLine", 21, 0},
        {"LastLine", 25, 2000},   {"LastLine", 25, 20},         {"FrontFS", 43, 64},
        {"RearFS", 47, -1},       {"RackingKind", 51, 4, true}, {"SLineCount", 52, 0},
        {"SLineCount", 52, 512},  {"StartSides", 56 + 8, 0},    {"EndSides", 180, 3},
    };
    for (const Case& c : cases) {
        QByteArray bytes = WriteModuleHeader(Distinct());
        if (c.Byte)
            bytes[c.Offset] = char(c.Value);
        else
            PutI32(bytes, c.Offset, c.Value);
        try {
            ReadModuleHeader(bytes, QStringLiteral("lib/e.mod"));
            ADD_FAILURE() << c.Field << " = " << c.Value << " was accepted";
        } catch (const EModuleFile& e) {
            EXPECT_EQ(e.Code, 11);
            EXPECT_EQ(e.SubCode, modmsg::BadField);
            EXPECT_EQ(e.Args, QStringLiteral("lib/e.mod;") + QLatin1String(c.Field));
        }
    }
    EXPECT_THROW(ReadModuleHeader(WriteModuleHeader(Distinct()).left(183), QStringLiteral("e.mod")),
                 EModuleFile);
}

TEST(ModuleLibrary, AnEntryFitsByModelFamilyAndSystems) {
    struct Case {
        int Systems, Model, MachineSystems, MachineModel;
        bool Fits;
    };
    const Case cases[] = {
        {4, 721, 4, 720, true},  {4, 720, 4, 721, true}, {4, 740, 4, 720, false},
        {2, 720, 4, 720, false}, {2, 740, 0, 746, true}, {4, 720, 0, 740, false},
    };
    for (const Case& c : cases) {
        ModuleHeader h;
        h.Systems = c.Systems;
        h.Model = c.Model;
        EXPECT_EQ(ModuleFitsMachine(h, c.MachineSystems, c.MachineModel), c.Fits)
            << c.Systems << "/" << c.Model << " on " << c.MachineSystems << "/" << c.MachineModel;
    }
}

TEST(ModuleLibrary, EntriesAreListedByBaseNameCheckedAndDeletedOneAtATime) {
    QTemporaryDir dir;
    const QString lib = dir.path() + QStringLiteral("/Export/");
    ModuleHeader h720 = EntryHeader();
    h720.Model = 721;
    WriteEntry(lib, QStringLiteral("a"), h720, QLatin1String(EntryProgram));
    WriteEntry(lib, QStringLiteral("a.b"), EntryHeader(), QLatin1String(EntryProgram));
    WriteFile(lib + QStringLiteral("a.pt2"), "x");
    WriteFile(lib + QStringLiteral("a.b.PT2"), "x");
    WriteFile(lib + QStringLiteral("broken.MOD"), "short");
    WriteFile(dir.path() + QStringLiteral("/outside.mod"), WriteModuleHeader(EntryHeader()));

    EXPECT_EQ(ListLibraryEntries(lib), (QStringList{"a", "a.b", "broken"}));
    EXPECT_EQ(CheckModuleFiles(lib, ListLibraryEntries(lib), 4, 720), QStringList{"a"});
    EXPECT_EQ(CheckModuleFiles(lib, ListLibraryEntries(lib), 0, 740), QStringList{"a.b"});
    EXPECT_TRUE(QFile::exists(lib + QStringLiteral("broken.MOD"))); // hidden, not deleted
    EXPECT_TRUE(LibraryEntryFile(lib, QStringLiteral("../outside"), QStringLiteral(".mod")).isEmpty());

    DeleteLibraryEntry(lib, QStringLiteral("a"));
    EXPECT_EQ(QDir(lib).entryList(QDir::Files, QDir::Name),
              (QStringList{"a.b.LST", "a.b.PT2", "a.b.bmp", "a.b.mod", "broken.MOD"}));
    WriteEntry(lib, QStringLiteral("a"), h720, QLatin1String(EntryProgram));
    DeleteLibraryEntry(lib, QStringLiteral("A.B"));
    EXPECT_EQ(QDir(lib).entryList(QDir::Files, QDir::Name),
              (QStringList{"a.LST", "a.bmp", "a.mod", "broken.MOD"}));
    DeleteLibraryEntry(lib, QStringLiteral(".."));
    // A name that is not UTF-8 is listed and read, or hidden; it never fails the listing.
    const QByteArray odd = QFile::encodeName(lib) + "\xff\xfe odd.mod";
    {
        FILE* f = std::fopen(odd.constData(), "wb");
        ASSERT_NE(f, nullptr);
        const QByteArray header = WriteModuleHeader(EntryHeader());
        std::fwrite(header.constData(), 1, std::size_t(header.size()), f);
        std::fclose(f);
    }
    const QStringList withOdd = ListLibraryEntries(lib);
    EXPECT_GE(withOdd.size(), 2);
    for (const QString& name : CheckModuleFiles(lib, withOdd, 0, 740))
        EXPECT_NO_THROW(ReadEntryHeader(lib, name)) << name.toStdString();
    std::remove(odd.constData());
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/outside.mod")));
}

TEST(ModuleLibrary, DeleteLeavesTheFilesOfAnEntryNamedInOtherLetterCase) {
    // "a" and "A" are two entries on a folder that tells letter case apart; a file of "a" whose
    // extension alone is in another case still goes with it.
    QTemporaryDir dir;
    const QString lib = dir.path() + QStringLiteral("/Export/");
    WriteEntry(lib, QStringLiteral("a"), EntryHeader(), QLatin1String(EntryProgram));
    WriteEntry(lib, QStringLiteral("A"), EntryHeader(), QLatin1String(EntryProgram));
    QFile::rename(lib + QStringLiteral("a.bmp"), lib + QStringLiteral("a.BMP"));
    WriteFile(lib + QStringLiteral("A.PT2"), "x");
    ASSERT_EQ(ListLibraryEntries(lib), (QStringList{"A", "a"}));

    DeleteLibraryEntry(lib, QStringLiteral("a"));
    EXPECT_EQ(QDir(lib).entryList(QDir::Files, QDir::Name),
              (QStringList{"A.LST", "A.PT2", "A.bmp", "A.mod"}));
    // A file of no listed entry is still matched without regard to case.
    WriteFile(lib + QStringLiteral("a.lst"), "x");
    DeleteLibraryEntry(lib, QStringLiteral("A"));
    EXPECT_TRUE(QDir(lib).entryList(QDir::Files).isEmpty());
}

TEST(ModuleLibrary, NoFileOutsideTheFolderIsReachedThroughALink) {
    QTemporaryDir dir;
    const QString lib = dir.path() + QStringLiteral("/Export/");
    WriteEntry(lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    // An entry whose picture and program are links to files outside the library.
    WriteEntry(dir.path(), QStringLiteral("outside"), EntryHeader(), QLatin1String(EntryProgram));
    WriteFile(lib + QStringLiteral("l.mod"), WriteModuleHeader(EntryHeader()));
    for (const char* ext : {".bmp", ".LST"})
        ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/outside") + QLatin1String(ext),
                                lib + QStringLiteral("l") + QLatin1String(ext)));
    EXPECT_NO_THROW(ReadLibraryEntry(lib, QStringLiteral("m")));
    EXPECT_THROW(ReadLibraryEntry(lib, QStringLiteral("l")), EModuleFile);
    for (const char* ext : {".bmp", ".LST"}) {
        EXPECT_TRUE(LibraryEntryFile(lib, QStringLiteral("l"), QLatin1String(ext)).isEmpty()) << ext;
        EXPECT_FALSE(LibraryEntryFile(lib, QStringLiteral("m"), QLatin1String(ext)).isEmpty()) << ext;
    }
    // A file still to be made keeps its name.
    EXPECT_EQ(LibraryEntryFile(lib, QStringLiteral("new"), QStringLiteral(".mod")),
              lib + QStringLiteral("new.mod"));
    // An export under the linked name is refused and writes nothing through the links.
    const QByteArray outsideBmp = ReadFile(dir.path() + QStringLiteral("/outside.bmp"));
    auto project = BuildProject(QLatin1String(EntryProgram));
    MExportRequest r;
    r.Name = QStringLiteral("l");
    EXPECT_THROW(ExportLibraryEntryTo(project->Lists, project->Colors, LinePicture(20, 30, 0), r, lib,
                                      QStringLiteral("l"), true),
                 MException);
    EXPECT_EQ(ReadFile(dir.path() + QStringLiteral("/outside.bmp")), outsideBmp);
    EXPECT_EQ(ReadFile(lib + QStringLiteral("l.mod")), WriteModuleHeader(EntryHeader()));
}

TEST(ModuleLibrary, PicturesMustFitTheHeader) {
    const ModuleHeader h = EntryHeader(4, 2);
    const QByteArray mod = WriteModuleHeader(h);
    const QByteArray good = ProjectPictureImage(LinePicture(4, 2, 0));
    const QByteArray wide = ProjectPictureImage(LinePicture(5, 2, 0));
    EXPECT_NO_THROW(ReadLibraryEntryBytes(mod, good, {}, QStringLiteral("e")));
    EXPECT_THROW(ReadLibraryEntryBytes(mod, wide, {}, QStringLiteral("e")), EModuleFile);
    EXPECT_THROW(ReadLibraryEntryBytes(mod, good.left(60), {}, QStringLiteral("e")), EModuleFile);

    ModuleHeader low = h;
    low.LowLines[2] = low.LowLines[4] = 1;
    const QByteArray lowMod = WriteModuleHeader(low);
    EXPECT_NO_THROW(ReadLibraryEntryBytes(lowMod, good, ProjectPictureImage(LinePicture(4, 7, 0)), "e"));
    EXPECT_THROW(ReadLibraryEntryBytes(lowMod, good, ProjectPictureImage(LinePicture(4, 4, 0)), "e"),
                 EModuleFile);
}

namespace {

constexpr std::int64_t GiB = std::int64_t(1) << 30;

// Pictures that declare a gigabyte, by their sides or by the sizes in their headers, each in a file
// as long as it claims (sparse, so it costs no disk) or as short as written, then an ordinary entry
// and one whose picture is followed by a gigabyte of other bytes: read under the cap.
void ReadPicturesThatDeclareAGigabyte() {
    QTemporaryDir dir;
    const QString lib = dir.path() + QStringLiteral("/Export/");
    ModuleHeader low = EntryHeader();
    low.LowLines[2] = 1;
    struct Case {
        const char* Name;
        const char* Ext;
        int Offset;
        std::int32_t Value;
        std::int64_t FileSize; // 0: as written
    };
    const Case cases[] = {
        {"tall", ".bmp", 22, std::int32_t(GiB / 12), GiB},    // rows of 12 bytes filling it
        {"upside", ".bmp", 22, -std::int32_t(GiB / 12), GiB}, // top-down
        {"stated", ".bmp", 2, std::int32_t(GiB), GiB},        // its sides fit, its size does not
        {"late", ".bmp", 10, std::int32_t(GiB - 24), GiB},    // its rows begin near the end
        {"short", ".bmp", 2, std::int32_t(GiB), 0},           // states more than the file holds
        {"lowtall", ".pt2", 22, std::int32_t(GiB / 12), GiB}, // its lines below 11
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString name = QLatin1String(c.Name);
        WriteEntry(lib, name, low, QLatin1String(EntryProgram), 0x100000, 3);
        const QString path = lib + name + QLatin1String(c.Ext);
        QByteArray bytes = ReadFile(path);
        PutI32(bytes, c.Offset, c.Value);
        WriteFile(path, bytes);
        ASSERT_TRUE(c.FileSize == 0 || QFile::resize(path, c.FileSize));
        try {
            ReadLibraryEntry(lib, name);
            ADD_FAILURE() << "accepted";
        } catch (const EModuleFile& e) {
            EXPECT_EQ(e.SubCode, modmsg::BadPicture);
            EXPECT_EQ(e.File, path);
        }
        if (QLatin1String(c.Ext) == QLatin1String(".bmp")) {
            EXPECT_THROW(ReadEntryBitmap(lib, name, low), EModuleFile);
        }
    }
    WriteEntry(lib, QStringLiteral("plain"), low, QLatin1String(EntryProgram), 0x100000, 3);
    EXPECT_EQ(ReadLibraryEntry(lib, QStringLiteral("plain")).LowPicture.Height(), 3);
    WriteEntry(lib, QStringLiteral("trailed"), low, QLatin1String(EntryProgram), 0x100000, 3);
    ASSERT_TRUE(QFile::resize(lib + QStringLiteral("trailed.bmp"), GiB));
    const MLibraryEntry trailed = ReadLibraryEntry(lib, QStringLiteral("trailed"));
    EXPECT_EQ(CellAt(trailed.Picture, 1, 2), 0x100002);
    EXPECT_EQ(CellAt(ReadEntryBitmap(lib, QStringLiteral("trailed"), low), 4, 1), 0x100001);
}

// The files of a folder with their bytes.
std::map<QString, QByteArray> FolderFiles(const QString& Folder) {
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(Folder).entryList(QDir::Files))
        files[name] = ReadFile(Folder + name);
    return files;
}

} // namespace

TEST(ModuleLibrary, APictureThatDeclaresAGigabyteIsRefusedFromItsHeader) {
    EXPECT_TRUE(RunUnderMemoryCap(50, ReadPicturesThatDeclareAGigabyte));
}

TEST(ModuleLibrary, AnEntryIsDeletedWholeOrStaysWhole) {
    QTemporaryDir dir;
    const QString lib = dir.path() + QStringLiteral("/Export/");
    WriteEntry(lib, QStringLiteral("a"), EntryHeader(), QLatin1String(EntryProgram), 0x100000, 3);
    WriteEntry(lib, QStringLiteral("a.b"), EntryHeader(), QLatin1String(EntryProgram));
    const auto before = FolderFiles(lib);

    // The third file cannot be renamed: the two before it get their names back, nothing changed.
    FailingSteps steps;
    steps.FailRename = QStringLiteral("/a.bmp");
    try {
        DeleteLibraryEntry(lib, QStringLiteral("a"), &steps);
        ADD_FAILURE() << "deleted";
    } catch (const EModuleFile& e) {
        EXPECT_EQ(e.SubCode, modmsg::SetAsideFailed);
        EXPECT_EQ(e.Args, QStringLiteral("a;%1a.bmp;refused").arg(lib));
    }
    EXPECT_EQ(FolderFiles(lib), before);

    // Nor can the names be given back: the files renamed are named.
    steps.FailBack = true;
    try {
        DeleteLibraryEntry(lib, QStringLiteral("a"), &steps);
        ADD_FAILURE() << "deleted";
    } catch (const EModuleFile& e) {
        EXPECT_EQ(e.SubCode, modmsg::PutBackFailed);
        EXPECT_EQ(e.Args, QStringLiteral("a;%1a.mod.deleting~, %1a.LST.deleting~").arg(lib));
    }
    for (const char* name : {"a.mod", "a.LST"})
        ASSERT_TRUE(QFile::rename(lib + QLatin1String(name) + QStringLiteral(".deleting~"),
                                  lib + QLatin1String(name)));
    ASSERT_EQ(FolderFiles(lib), before);

    // The program cannot be deleted once renamed: the entry is gone from the library, the file
    // stays under its new name, which is answered; a file left by an earlier deletion stays too.
    WriteFile(lib + QStringLiteral("a.LST.deleting~"), "earlier");
    FailingSteps removing;
    removing.FailRemove = QStringLiteral("a.LST");
    EXPECT_EQ(DeleteLibraryEntry(lib, QStringLiteral("a"), &removing),
              QStringList{lib + QStringLiteral("a.LST.deleting~2")});
    EXPECT_EQ(ListLibraryEntries(lib), QStringList{"a.b"});
    EXPECT_FALSE(QFile::exists(LibraryEntryFile(lib, QStringLiteral("a"), QStringLiteral(".LST"))));
    EXPECT_EQ(ReadFile(lib + QStringLiteral("a.LST.deleting~")), QByteArray("earlier"));
    EXPECT_EQ(ReadFile(lib + QStringLiteral("a.LST.deleting~2")), before.at(QStringLiteral("a.LST")));
    EXPECT_NO_THROW(ReadLibraryEntry(lib, QStringLiteral("a.b")));
}

TEST(ModuleLibrary, AStripeNameIsCutTo79StoredBytesOnACharacterBoundary) {
    EXPECT_EQ(StripNameOfEntry(QString(100, QLatin1Char('a'))).size(), 79);
    const QString mixed = QString(78, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(StripNameOfEntry(mixed), QString(78, QLatin1Char('a')));
}

// ---- The engine.

namespace {

// The head of a program for the stripe tests: carrier 3 knits line 11 in Z1 and Z2.
constexpr char CarrierRows[] = R"(
machine 740 7
C area=1..101 L1=0,0,-10 R1=0,0,10
FS1 A=D5 B=D5
Z1 cam1=RR ZT1=11 yc1=3 rack1=0:G FSF=1 FSR=1
Z2 cam1=RR ZT1=11 yc1=3 rack1=0:G FSF=1 FSR=1
)";

class ImportTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Lib = Dir.path() + QStringLiteral("/Export");
    QString Fixed = Dir.path() + QStringLiteral("/Export/Fixed");
    std::unique_ptr<MMemoryProject> Project;
    TBitmap Drawing;
    MStripImport Engine;

    void Open(const char* Script, int W = 20, int H = 30) { Open(QLatin1String(Script), {}, W, H); }
    // Opens Script with stripe k named Stripes[k - 1] over S k.
    void Open(const QString& Script, const QStringList& Stripes, int W = 20, int H = 30) {
        Project = BuildProject(Script);
        for (int k = 1; k <= Stripes.size(); ++k) {
            MStrip strip;
            strip.Id = k;
            strip.FirstS = strip.LastS = k;
            strip.SetName(Stripes[k - 1]);
            Project->Lists.Machine.AddStrip(strip);
            Project->Lists.S.GetS(k).StripId = k;
        }
        Drawing = LinePicture(W, H, 0x200000);
        Engine.Attach(&Project->Lists, &Project->Colors, &Drawing);
        Engine.PrepareWorkingSets();
        Engine.SyncStripes();
    }
    MImportPlacement Module(const QString& Name, int X = 3, int Y = 11) {
        MImportPlacement p;
        p.Folder = Lib;
        p.Name = Name;
        p.X = X;
        p.Y = Y;
        return p;
    }
    MUnvS& S(int N) { return Engine.Result.S.GetS(N); }
    MUnvZ& Z(int N) { return static_cast<MUnvZ&>(Engine.Result.Z.FindByNumber(N)); }
    QByteArray ResultImage() { return MachineFileImage(Engine.Result.Machine, Engine.Result.Lists()); }
};

} // namespace

TEST_F(ImportTest, TheFirstImportOpensAndClosesWithItsOwnLines) {
    WriteEntry(Lib, QStringLiteral("m.v2"), EntryHeader(), QLatin1String(EntryProgram));
    Open(EmptyProject);
    EXPECT_EQ(Engine.Machine().StripCount(), 0);
    const auto range = Engine.LoadModuleFile(Module(QStringLiteral("m.v2")));
    EXPECT_EQ(range, std::make_pair(1, 3));
    ASSERT_EQ(Engine.Result.S.LeadingRunLength(), 3);
    const MUnvZ& opening = Z(S(1).First);
    EXPECT_EQ(opening.Racking[0].Position, 0);
    EXPECT_EQ(opening.Racking[0].Transfer, 1);
    EXPECT_EQ(opening.WA2.Value, 100);
    EXPECT_EQ(opening.TZ, 100);
    EXPECT_EQ(opening.ST, 1);
    for (int s : {1, 3})
        EXPECT_EQ((S(s).First + S(s).Count) % 2, 0) << "S" << s << " ends on an odd row";
    EXPECT_EQ(Z(S(2).First).PatternLine[0], 11); // the entry's row, placed at line 11
    ASSERT_EQ(Engine.Machine().StripCount(), 1);
    const MStrip& strip = Engine.Machine().GetStrip(0);
    EXPECT_EQ(strip.Text(), QStringLiteral("m.v2 S1 .. S3"));
    for (int s = 1; s <= 3; ++s)
        EXPECT_EQ(S(s).StripId, strip.Id);
    // The project itself is untouched until OK.
    EXPECT_EQ(Project->Lists.S.Count(), 0);
    Engine.Apply();
    EXPECT_EQ(Project->Lists.S.LeadingRunLength(), 3);
    EXPECT_EQ(Project->Lists.Machine.StripCount(), 1);
}

TEST_F(ImportTest, LinesBelow11FollowTheLineMapInRowsAndPicture) {
    ModuleHeader h = EntryHeader();
    h.LowLines[2] = h.LowLines[3] = h.LowLines[4] = 1; // lines 3..5
    WriteEntry(Lib, QStringLiteral("low"), h, QStringLiteral(R"(
machine 740 7
C area=1..101 L1=0,0,-10 R1=0,0,10
Z1 cam1=RR ZT1=3 ZT3=4 ZT5=5 ZT7=12 yc1=3
Z2 cam1=RR ZT1=11 yc1=3
S1 Z=1+1 D1
)"),
               0x100000, 6);
    struct Case {
        int YBelow;
        std::array<int, 3> Lines; // where lines 3, 4 and 5 land
    };
    for (const Case& c : {Case{7, {7, 8, 9}}, Case{9, {9, 10, 5}}}) {
        Open(EmptyProject);
        MImportPlacement p = Module(QStringLiteral("low"), 2, 15);
        p.YBelow = c.YBelow;
        Engine.LoadModuleFile(p);
        std::set<int> used;
        for (int i = 0; i < Engine.Result.Z.Count(); ++i)
            for (int line : static_cast<MUnvZ&>(Engine.Result.Z.ItemAt(i)).PatternLine)
                if (line != 0)
                    used.insert(line);
        EXPECT_EQ(used, (std::set<int>{c.Lines[0], c.Lines[1], c.Lines[2], 15, 16}))
            << "Y below " << c.YBelow;
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(CellAt(Drawing, 2, c.Lines[std::size_t(k)]), TColor(0x100000 + 100 + 3 + k))
                << "line " << 3 + k << " with Y below " << c.YBelow;
        EXPECT_EQ(CellAt(Drawing, 2, 15), TColor(0x100001));      // the .bmp's lowest row
        EXPECT_EQ(CellAt(Drawing, 2, 11), TColor(0x200000 + 11)); // the user's pattern stays
    }
}

TEST_F(ImportTest, AFixedProgramTakesTheChosenColoursAndItsMarkerLines) {
    ModuleHeader h = EntryHeader();
    WriteEntry(Fixed, QStringLiteral("fx"), h, QStringLiteral(R"(
machine 740 7
C area=1..101 L1=0,0,-10 R1=0,0,10
N1 X=1+3 D1
N2 X=1+3 D1
Z1 cam1=RR ZT1=11 LG1=7 ZT2=11 LG2=2 KNF2=7 ZT3=12 LG3=1,6,3,5 ZT4=4 LG4=7,2 yc1=3
Z2 cam1=RR ZT1=12 yc1=3
S1 Z=1+1 D1 N=1+1
)"));
    Open(EmptyProject);
    MImportPlacement p;
    p.Folder = Fixed;
    p.Name = QStringLiteral("fx");
    p.Kind = ImportFixed;
    p.X1 = 4;
    p.X2 = 9;
    p.Y1 = 11;
    p.Y2 = 20;
    p.Colors = {20, 21};
    Engine.LoadModuleFile(p);
    const MUnvZ* row = nullptr;
    for (int i = 0; i < Engine.Result.Z.Count(); ++i)
        if (static_cast<MUnvZ&>(Engine.Result.Z.ItemAt(i)).PatternLine[3] == 4)
            row = &static_cast<MUnvZ&>(Engine.Result.Z.ItemAt(i));
    ASSERT_NE(row, nullptr);
    const auto members = [](const MclrMap& Set) {
        std::set<int> m;
        for (int i = 0; i < 32; ++i)
            if (Set.IsSet(i))
                m.insert(i);
        return m;
    };
    EXPECT_EQ(members(row->LG[0]), std::set<int>{20});
    EXPECT_EQ(members(row->LG[1]), std::set<int>{21});
    EXPECT_EQ(members(row->KNF[1]), std::set<int>{20});
    EXPECT_EQ(members(row->LG[2]), (std::set<int>{1, 3, 5, 6}));
    EXPECT_EQ(members(row->LG[3]), (std::set<int>{2, 15}));
    const TColor two = Project->Colors.Color(2);
    const TColor fifteen = Project->Colors.Color(15);
    for (int x = 4; x <= 9; ++x) {
        EXPECT_EQ(CellAt(Drawing, x, 1), two);
        EXPECT_EQ(CellAt(Drawing, x, 2), (x - 4) % 2 == 0 ? two : fifteen);
        EXPECT_EQ(CellAt(Drawing, x, 3), (x - 4) % 3 == 0 ? two : fifteen);
    }
    EXPECT_EQ(CellAt(Drawing, 3, 1), TColor(0x200001));
    EXPECT_EQ(CellAt(Drawing, 10, 1), TColor(0x200001));
    const auto& n2 = static_cast<MUnvN&>(Engine.Result.N.FindByNumber(2));
    EXPECT_EQ(n2.Start, 4);
    EXPECT_EQ(n2.Count, 5);
}

TEST_F(ImportTest, AnInsertMovesTheLaterStripesByItsLength) {
    WriteEntry(Lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    Open(EmptyProject);
    for (int i = 0; i < 3; ++i)
        Engine.LoadModuleFile(Module(QStringLiteral("m")));
    ASSERT_EQ(Engine.Machine().StripCount(), 3);
    const std::vector<MStrip> before = Engine.Machine().Strips();
    const int total = Engine.Result.S.LeadingRunLength();
    Engine.SelectedStripe = 0;
    const auto range = Engine.LoadModuleFile(Module(QStringLiteral("m")));
    EXPECT_TRUE(Engine.InsertMode);
    const int length = range.second - range.first + 1;
    EXPECT_EQ(range.first, before[0].LastS + 1);
    const std::vector<MStrip> after = Engine.Machine().Strips();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1].FirstS, range.first);
    for (int k : {1, 2}) {
        EXPECT_EQ(after[std::size_t(k + 1)].FirstS, before[std::size_t(k)].FirstS + length);
        EXPECT_EQ(after[std::size_t(k + 1)].LastS, before[std::size_t(k)].LastS + length);
    }
    // Every carrier stays on the left: no resume line.
    EXPECT_EQ(Engine.Result.S.LeadingRunLength(), total + length);
}

TEST_F(ImportTest, ASmallDrawingGrowsAndALargerOneKeepsItsSize) {
    WriteEntry(Lib, QStringLiteral("m"), EntryHeader(4, 2), QLatin1String(EntryProgram));
    Open(EmptyProject, 2, 2);
    Engine.LoadModuleFile(Module(QStringLiteral("m"), 3, 11));
    EXPECT_EQ(Drawing.Width(), 6);
    EXPECT_EQ(Drawing.Height(), 12);
    EXPECT_EQ(CellAt(Drawing, 1, 1), TColor(0x200001)); // kept at the bottom left
    EXPECT_EQ(CellAt(Drawing, 3, 11), TColor(0x100001));
    EXPECT_EQ(CellAt(Drawing, 6, 12), TColor(0x100002));
    Open(EmptyProject, 40, 50);
    Engine.LoadModuleFile(Module(QStringLiteral("m"), 3, 11));
    EXPECT_EQ(Drawing.Width(), 40);
    EXPECT_EQ(Drawing.Height(), 50);
}

TEST_F(ImportTest, SyncStripesCoversAProgramWithoutStripesAsExtended) {
    Open(R"(
machine 740 7
C area=1..101
Z1 cam1=RR
Z2 cam1=RR
S1 Z=1+1 D1
S2 Z=1+1 D1
S3 Z=1+1 D1
)");
    ASSERT_EQ(Engine.Machine().StripCount(), 1);
    EXPECT_EQ(Engine.Machine().GetStrip(0).Text(), QStringLiteral("extended S1 .. S3"));
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(S(s).StripId, 1);
        EXPECT_EQ(Engine.Saved.S.GetS(s).StripId, 1);
    }
}

TEST_F(ImportTest, AFailedImportLeavesResultStripesAndDrawingAsTheyWere) {
    ModuleHeader low = EntryHeader();
    low.LowLines[2] = low.LowLines[4] = 1;
    ModuleHeader both = EntryHeader();
    both.StartSides[std::size_t(ModuleHeader::SideIndex(2, 3))] = SideLeft;
    struct Case {
        const char* What;
        ModuleHeader Header;
        int Pt2Height;
        const char* Project;
        int Offset;
        int SubCode;
        int X = 9;
    };
    const Case cases[] = {
        {"missing .bmp", EntryHeader(), 0, EmptyProject, 0, modmsg::Unreadable},
        {".pt2 too short", low, 4, EmptyProject, 0, modmsg::BadPicture},
        {"offsets beyond 2000", both, 0, "machine 740 700\nC area=1..101\n", 2, modmsg::OffsetLimit},
        {"columns beyond 2000", EntryHeader(), 0, EmptyProject, 0, modmsg::Outside, 1998},
        {"a column past the 32 bits", EntryHeader(), 0, EmptyProject, 0, modmsg::Outside, 2147483647},
    };
    WriteEntry(Lib, QStringLiteral("good"), EntryHeader(), QLatin1String(EntryProgram));
    for (const Case& c : cases) {
        WriteEntry(Lib, QStringLiteral("bad"), c.Header, QLatin1String(EntryProgram), 0x100000, c.Pt2Height);
        if (QLatin1String(c.What) == QLatin1String("missing .bmp"))
            QFile::remove(Lib + QStringLiteral("/bad.bmp"));
        Open(c.Project);
        Engine.LoadModuleFile(Module(QStringLiteral("good")));
        const QByteArray lists = ResultImage();
        const std::vector<MStrip> strips = Engine.Machine().Strips();
        const TBitmap drawing = Drawing;
        MImportPlacement p = Module(QStringLiteral("bad"), c.X, 20);
        p.Offset = c.Offset;
        try {
            Engine.LoadModuleFile(p);
            ADD_FAILURE() << c.What << " was imported";
        } catch (const EModuleFile& e) {
            EXPECT_EQ(e.SubCode, c.SubCode) << c.What;
        }
        EXPECT_EQ(ResultImage(), lists) << c.What;
        EXPECT_EQ(Engine.Machine().Strips(), strips) << c.What;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(Drawing.Bits()), qsizetype(Drawing.ImageSize())),
                  QByteArray(reinterpret_cast<const char*>(drawing.Bits()), qsizetype(drawing.ImageSize())))
            << c.What;
    }
}

TEST_F(ImportTest, CancelPutsTheDrawingBackAndTheClipboardIsNeverUsed) {
    TMUnvClipBoard clipboard;
    TMUnvClipBoard* old = MUnvClipBoard;
    MUnvClipBoard = &clipboard;
    MUnvZ copied;
    copied.Number = 7;
    copied.CamCode[0] = 3;
    clipboard.Buffer.Append(copied.Clone());
    WriteEntry(Lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    Open(EmptyProject);
    const TBitmap atOpen = Drawing;
    Engine.LoadModuleFile(Module(QStringLiteral("m")));
    ASSERT_EQ(clipboard.Buffer.Count(), 1);
    EXPECT_TRUE(clipboard.Buffer.ItemAt(0).Equals(copied));
    EXPECT_EQ(clipboard.Buffer.ItemAt(0).Number, 7);
    Engine.RestoreDrawing();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(Drawing.Bits()), qsizetype(Drawing.ImageSize())),
              QByteArray(reinterpret_cast<const char*>(atOpen.Bits()), qsizetype(atOpen.ImageSize())));
    MUnvClipBoard = old;
}

// ---- lsttool.

TEST(LibraryTool, ModPrintsTheHeaderAndRefusesADamagedOne) {
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/e.mod");
    WriteFile(file, WriteModuleHeader(Distinct()));
    ToolResult r = RunTool(QStringLiteral(LSTTOOL_PATH), {QStringLiteral("mod"), file});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    const QStringList lines = r.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[0], QStringLiteral("Systems 2"));
    EXPECT_EQ(lines[6], QStringLiteral("LowLines 0 41 42 0 44 45 0 47 48 0"));
    EXPECT_EQ(lines[11], QStringLiteral("SLineCount 52"));
    EXPECT_TRUE(lines[12].startsWith(QStringLiteral("StartSides -1 1 2 -1 ")));
    WriteFile(file, WriteModuleHeader(Distinct()).left(100));
    r = RunTool(QStringLiteral(LSTTOOL_PATH), {QStringLiteral("mod"), file});
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_TRUE(r.Err.contains(QStringLiteral("length"))) << r.Err.toStdString();
}

TEST(LibraryTool, ImportWritesTheProjectWithItsNewStripeOrNothing) {
    QTemporaryDir dir;
    const QString lib = dir.path() + QStringLiteral("/Export");
    WriteEntry(lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    auto project = BuildProject(QLatin1String(EmptyProject));
    SaveProjectFiles(dir.path() + QStringLiteral("/proj"), project->Lists, project->Colors, MProjHeader(),
                     LinePicture(20, 30, 0x200000));
    const QString out = dir.path() + QStringLiteral("/out");
    const QStringList args{QStringLiteral("import"),   dir.path() + QStringLiteral("/proj.LST"),
                           lib + QStringLiteral("/m"), out,
                           QStringLiteral("--x"),      QStringLiteral("3")};
    ToolResult r = RunTool(QStringLiteral(LSTTOOL_PATH), args);
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("stripe 1 1 3 m\n"));
    r = RunTool(QStringLiteral(LSTTOOL_PATH), {QStringLiteral("list"), out + QStringLiteral(".LST")});
    ASSERT_EQ(r.Code, 0);
    // The opening line over Z1..2, the entry's line over its rows 3..4, the closing line over 5..6.
    EXPECT_TRUE(r.Out.contains(QStringLiteral("S0001 Z0001 +0001 D0001 N0000 +0000 P0000 +0000 O1\n"
                                              "S0002 Z0003 +0001 D0001 N0000 +0000 P0000 +0000 O1\n"
                                              "S0003 Z0005 +0001 D0001 N0000 +0000 P0000 +0000 O1\n")))
        << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains(QStringLiteral("Z0006")));
    EXPECT_FALSE(r.Out.contains(QStringLiteral("Z0007")));

    // A second import inserted after stripe 1, then one that fails: nothing written for it.
    r = RunTool(QStringLiteral(LSTTOOL_PATH),
                {QStringLiteral("import"), out + QStringLiteral(".LST"), lib + QStringLiteral("/m"),
                 out + QStringLiteral("2"), QStringLiteral("--after"), QStringLiteral("1")});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("stripe 1 1 3 m\nstripe 2 4 6 m\n"));
    QFile::remove(lib + QStringLiteral("/m.bmp"));
    r = RunTool(QStringLiteral(LSTTOOL_PATH), {QStringLiteral("import"), out + QStringLiteral(".LST"),
                                               lib + QStringLiteral("/m"), out + QStringLiteral("3")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("3.LST")));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("3.JXW")));

    // An entry made for a machine of the other family is refused by name, as the picker hides it.
    ModuleHeader other = EntryHeader();
    other.Model = 720;
    WriteEntry(lib, QStringLiteral("w"), other, QLatin1String(EntryProgram));
    r = RunTool(QStringLiteral(LSTTOOL_PATH), {QStringLiteral("import"), out + QStringLiteral(".LST"),
                                               lib + QStringLiteral("/w"), out + QStringLiteral("4")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("entry w does not fit"))) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("4.LST")));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("4.BMP")));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("4.JXW")));
}

TEST_F(ImportTest, AResumeLineFollowsAnInsertOnlyWhenACarrierEndsOnTheOtherSide) {
    WriteEntry(Lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    // Two stripes: S1 takes carrier 3 across and back, S2 across once, so that the program ends
    // with carrier 3 on the right while it stands on the left between the stripes.
    struct Case {
        const char* Second;
        bool Resume;
    };
    for (const Case& c : {Case{"S2 Z=3+0 D1", true}, Case{"S2 Z=1+1 D1", false}}) {
        Open(QLatin1String(CarrierRows) + QStringLiteral("Z3 cam1=RR ZT1=11 yc1=3 rack1=0:G FSF=1 FSR=1\n"
                                                         "S1 Z=1+1 D1\n%1\n")
                                              .arg(QLatin1String(c.Second)),
             {QStringLiteral("own"), QStringLiteral("own")});
        ASSERT_EQ(Engine.Machine().StripCount(), 2);
        Engine.SelectedStripe = 0;
        const auto range = Engine.LoadModuleFile(Module(QStringLiteral("m")));
        EXPECT_EQ(range.first, 2);
        const int length = range.second - range.first + 1;
        EXPECT_EQ(Engine.Result.S.LeadingRunLength(), 2 + length + (c.Resume ? 1 : 0)) << c.Second;
        EXPECT_EQ(Engine.Machine().GetStrip(2).FirstS, 2 + length);
    }
}

TEST_F(ImportTest, AnOffsetRowTakesParkingPositionsApartFromEveryOtherCarrier) {
    ModuleHeader h = EntryHeader();
    h.StartSides[std::size_t(ModuleHeader::SideIndex(1, 4))] = SideLeft; // carrier 4 on both rails
    h.StartSides[std::size_t(ModuleHeader::SideIndex(2, 4))] = SideRight;
    h.StartSides[std::size_t(ModuleHeader::SideIndex(1, 5))] = SideLeft; // carrier 5 on one rail
    WriteEntry(Lib, QStringLiteral("m"), h, QLatin1String(EntryProgram));
    // Carrier 1 already parks at 4 and 25 in row 6: the candidates must keep 2 away from them.
    Open(R"(
machine 740 7
C area=1..101 L1=0,0,-10 R1=0,0,10 L6=-4,0,0,0,0,0,0,0 R6=25,0,0,0,0,0,0,0
)");
    MImportPlacement p = Module(QStringLiteral("m"));
    p.Offset = 2;
    Engine.LoadModuleFile(p);
    const MOffsetTable& row = static_cast<MUnvC&>(Engine.Result.C.FindByNumber(1)).OffsetTables[1];
    EXPECT_EQ(row.L[2], -2); // carrier 3, one rail, free: the near pair
    EXPECT_EQ(row.R[2], 2);
    // Carrier 4, both rails: the far pair from 3 x gauge + 2 = 23, which reduced by 21 meets carrier
    // 3's 2; 25 meets carrier 1's 4 (reduced) on the left and its 25 on the right.
    EXPECT_EQ(row.L[3], -27);
    EXPECT_EQ(row.R[3], 27);
    // Carrier 5, one rail: the near pair moved on to 4, then past carrier 1 (4, 25) and carrier 4's
    // 27 reduced to 6.
    EXPECT_EQ(row.L[4], -8);
    EXPECT_EQ(row.R[4], 8);
    for (int s = 1; s <= Engine.Result.S.LeadingRunLength(); ++s)
        EXPECT_EQ(S(s).Offset, 2) << "S" << s;
}

TEST_F(ImportTest, ARibProgramGoesFirstAndMovesTheStripesAfterIt) {
    WriteEntry(Lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    WriteEntry(Fixed, QStringLiteral("rib"), EntryHeader(), QLatin1String(EntryProgram));
    Open(EmptyProject);
    Engine.LoadModuleFile(Module(QStringLiteral("m")));
    const MStrip before = Engine.Machine().GetStrip(0);
    MImportPlacement p;
    p.Folder = Fixed;
    p.Name = QStringLiteral("rib");
    p.Kind = ImportRib;
    const auto range = Engine.LoadModuleFile(p);
    EXPECT_EQ(range.first, 1);
    EXPECT_TRUE(Engine.RibWithStripes);
    ASSERT_EQ(Engine.Machine().StripCount(), 2);
    EXPECT_EQ(Engine.Machine().GetStrip(0).NameText(), QStringLiteral("RIB"));
    const int length = range.second - range.first + 1;
    EXPECT_EQ(Engine.Machine().GetStrip(1).FirstS, before.FirstS + length);
    EXPECT_EQ(Engine.Machine().GetStrip(1).LastS, before.LastS + length);
}

TEST_F(ImportTest, ARibIntoAnEmptyProgramEndsItsStripeOnItsLastLine) {
    WriteEntry(Lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    WriteEntry(Fixed, QStringLiteral("rib"), EntryHeader(), QLatin1String(EntryProgram));
    Open(EmptyProject);
    MImportPlacement p;
    p.Folder = Fixed;
    p.Name = QStringLiteral("rib");
    p.Kind = ImportRib;
    const auto rib = Engine.LoadModuleFile(p);
    EXPECT_FALSE(Engine.RibWithStripes);
    // No closing line follows a rib without other stripes: the stripe ends on the rib's own line.
    EXPECT_EQ(rib, std::make_pair(1, 1));
    EXPECT_EQ(Engine.Result.S.LeadingRunLength(), rib.second);
    const auto module = Engine.LoadModuleFile(Module(QStringLiteral("m")));
    EXPECT_EQ(module.first, rib.second + 1);
    Engine.Apply();
    Engine.PrepareWorkingSets();
    Engine.SyncStripes();
    ASSERT_EQ(Engine.Machine().StripCount(), 2);
    EXPECT_EQ(Engine.Machine().GetStrip(0).NameText(), QStringLiteral("RIB"));
    EXPECT_EQ(Engine.Machine().GetStrip(1).NameText(), QStringLiteral("m"));
}

TEST_F(ImportTest, TheStripesSyncStripesMakesOrExtendsSurviveTheNextOpening) {
    WriteEntry(Lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    // S1 is stripe "own"; S2 (named Second) and S3 follow it without a stripe of their own, or S2
    // is an "extended" stripe that SyncStripes stretches over S3.
    for (const char* second : {"", "extended"}) {
        QStringList stripes{QStringLiteral("own")};
        if (*second != 0)
            stripes << QLatin1String(second);
        Open(QLatin1String(CarrierRows) + QStringLiteral("S1 Z=1+1 D1\nS2 Z=1+1 D1\nS3 Z=1+1 D1\n"), stripes);
        ASSERT_EQ(Engine.Machine().StripCount(), 2) << second;
        EXPECT_EQ(Engine.Machine().GetStrip(1).Text(), QStringLiteral("extended S2 .. S3")) << second;
        Engine.LoadModuleFile(Module(QStringLiteral("m")));
        Engine.Apply();
        // The window opens again over the stored result: every stripe is still valid.
        Engine.PrepareWorkingSets();
        Engine.SyncStripes();
        ASSERT_EQ(Engine.Machine().StripCount(), 3) << second;
        EXPECT_EQ(Engine.Machine().GetStrip(1).Text(), QStringLiteral("extended S2 .. S3")) << second;
        EXPECT_EQ(Engine.Machine().GetStrip(2).NameText(), QStringLiteral("m")) << second;
    }
}

namespace {

// The pattern lines of the rows S line Number knits, in the order it knits them: from its first row
// towards First + Count, up to the first row the list lacks.
QStringList Knits(MProgramLists& Lists, int Number) {
    const MUnvS& s = Lists.S.GetS(Number);
    QStringList rows;
    for (int z = s.First; z > 0 && Lists.Z.Contains(z); z = s.NextInRange(z)) {
        rows << QString::number(static_cast<MUnvZ&>(Lists.Z.FindByNumber(z)).PatternLine[0]);
        if (z == s.First + s.Count)
            break;
    }
    return rows;
}

} // namespace

TEST_F(ImportTest, AnImportKeepsTheRowsEveryLineKnitsWhenLinesShareRowsOutOfOrder) {
    WriteEntry(Lib, QStringLiteral("m"), EntryHeader(), QLatin1String(EntryProgram));
    // S1 knits Z5..Z6, S2 Z1..Z6: putting the rows in program order would slide S2 over others.
    QString program = QStringLiteral("machine 740 7\nC area=1..101 L1=0,0,-10 R1=0,0,10\nFS1 A=D5 B=D5\n");
    for (int z = 1; z <= 6; ++z)
        program += QStringLiteral("Z%1 cam1=RR ZT1=%2 yc1=3 rack1=0:G FSF=1 FSR=1\n").arg(z).arg(10 + z);
    program += QStringLiteral("S1 Z=5+1 D1\nS2 Z=1+5 D1\n");
    Open(program, {});
    const QStringList first = Knits(Engine.Result, 1), second = Knits(Engine.Result, 2);
    ASSERT_EQ(second.size(), 6);
    const auto range = Engine.LoadModuleFile(Module(QStringLiteral("m")));
    EXPECT_EQ(range.first, 3);
    EXPECT_EQ(Knits(Engine.Result, 1), first);
    EXPECT_EQ(Knits(Engine.Result, 2), second);
    // The entry's own line still knits its two rows, placed at line 11.
    EXPECT_EQ(Knits(Engine.Result, 4), (QStringList{QStringLiteral("11"), QStringLiteral("12")}));
}

TEST_F(ImportTest, TheFirstImportIntoAnEmptyProgramOpensWithoutMovingACarrier) {
    // A two-system entry whose carrier 3 starts on the left and ends on the right after one row.
    ModuleHeader h = EntryHeader();
    h.Systems = 2;
    h.Model = 712;
    h.EndSides[std::size_t(ModuleHeader::SideIndex(1, 3))] = SideRight;
    WriteEntry(Lib, QStringLiteral("one"), h, QStringLiteral(R"(
machine 712 5
C area=1..101 L1=0,0,-10 R1=0,0,10
FS1 A=D5 B=D5
Z1 cam1=RR ZT1=11 yc1=3 rack1=0:G FSF=1 FSR=1 TZ=1 ST=1 WA2=1
S1 Z=1+0 D1
)"));
    Open("machine 712 5\nC area=1..101 L1=0,0,-10 R1=0,0,10\n");
    const auto range = Engine.LoadModuleFile(Module(QStringLiteral("one")));
    EXPECT_EQ(range.first, 1);
    // Before the entry nothing has knitted and no carrier is in use: the opening line is the
    // program's first row and the entry's racking row, and moves nothing.
    const MUnvS& opening = S(1);
    ASSERT_EQ(opening.Count, 1);
    const MUnvZ& start = Z(opening.First);
    EXPECT_EQ(start.Racking[0].Transfer, 1);
    EXPECT_EQ(start.WA2.Value, 100);
    EXPECT_EQ(start.ST, 1);
    for (const int cam : Z(opening.First + 1).CamCode)
        EXPECT_EQ(cam, 14);
    for (const MffMap& set : Z(opening.First + 1).Carriers)
        EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(Z(S(2).First).PatternLine[0], 11); // the entry follows
}
