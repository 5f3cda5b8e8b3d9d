// A project's three files without a window: their names, the project data file written and read, a
// new project, the round trip through the files, damaged files, the save that either replaces all
// three files or none, and the names and folders that cannot be used.
#include "app/UProjectFiles.h"
#include "imaging/ImageIO.h"
#include "model/ULstFile.h"
#include "model/Ucommon.h"
#include "model/UrunFiles.h"
#include "model/UunvZ.h"
#include "platform/Bytes.h"
#include "tests/support/TestSupport.h"
#include "ui/UmessageCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QString Path(const QTemporaryDir& Dir, const QString& Name) {
    return Dir.path() + QLatin1Char('/') + Name;
}

// A project data file: the header values given (the rest of the 64 zero), then, when Marker is not
// negative, the marker, the count and the records.
QByteArray Jxw(const std::vector<std::int32_t>& Values, int Marker = -1, std::int32_t Count = 0,
               const std::vector<MStrip>& Strips = {}, int ExtraBytes = 0) {
    ByteWriter w;
    for (std::int32_t v : Values)
        w.WriteI32LE(v);
    if (Marker >= 0) {
        for (std::size_t i = Values.size(); i < 64; ++i)
            w.WriteI32LE(0);
        w.WriteI32LE(Marker);
        w.WriteI32LE(Count);
        for (const MStrip& s : Strips) {
            const auto r = s.ToRecord();
            w.WriteBytes(r.data(), r.size());
        }
        w.WriteZeros(std::size_t(ExtraBytes));
    }
    return w.ToByteArray();
}

MStrip Strip(std::int32_t Id, std::int32_t First, std::int32_t Last, const QString& Name) {
    MStrip s;
    s.Id = Id;
    s.FirstS = First;
    s.LastS = Last;
    s.SetName(Name);
    return s;
}

// A small new project saved as Base (+ ".LST", ".BMP", ".JXW") in Dir.
QString SaveNew(const QTemporaryDir& Dir, const QString& Base, int Width = 6, int Height = 4) {
    auto files = NewProjectFiles(740, 7, Width, Height);
    const QString name = Path(Dir, Base + QStringLiteral(".LST"));
    SaveProjectFiles(name, *files);
    return name;
}

struct TSnapshot {
    QStringList Names;
    std::vector<QByteArray> Bytes;
    bool operator==(const TSnapshot&) const = default;
};

// Every entry of a folder with its bytes (folders and links by name only).
TSnapshot Snapshot(const QString& Folder) {
    TSnapshot s;
    const QFileInfoList entries = QDir(Folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries) {
        s.Names << e.fileName();
        s.Bytes.push_back(e.isFile() && !e.isSymLink() ? kdstest::ReadFile(e.filePath()) : QByteArray());
    }
    return s;
}

// A writer that fails at its Nth file after writing half of it, as a full disk does.
class TFailingWriter : public MFileSetSteps {
public:
    explicit TFailingWriter(int FailAt) : FFailAt(FailAt) {}
    void WriteAndFlush(QFile& File, const QByteArray& Bytes) override {
        if (++FCalls == FFailAt) {
            File.write(Bytes.left(Bytes.size() / 2));
            throw EWriteError(QStringLiteral("No space left on device"));
        }
        MFileSetSteps::WriteAndFlush(File, Bytes);
    }

private:
    int FFailAt;
    int FCalls = 0;
};

// A writer after whose last file the project data file's temporary goes missing, as when another
// program removes it: its renaming fails once the other two files are in place.
class TVanishingWriter : public MFileSetSteps {
public:
    explicit TVanishingWriter(QString Folder) : FFolder(std::move(Folder)) {}
    void WriteAndFlush(QFile& File, const QByteArray& Bytes) override {
        MFileSetSteps::WriteAndFlush(File, Bytes);
        if (++FCalls < 3)
            return;
        const QDir folder(FFolder);
        for (const QString& name :
             folder.entryList({QStringLiteral(".*.JXW.*.tmp")}, QDir::Files | QDir::Hidden))
            QFile::remove(folder.filePath(name));
    }

private:
    QString FFolder;
    int FCalls = 0;
};

void ExpectSameLists(MProgramLists& A, MProgramLists& B) {
    const MListSet a = A.Lists(), b = B.Lists();
    for (std::size_t k = 0; k < a.size(); ++k) {
        ASSERT_EQ(a[k]->Count(), b[k]->Count()) << "list " << k;
        for (int i = 0; i < a[k]->Count(); ++i)
            EXPECT_TRUE(a[k]->ItemAt(i).Equals(b[k]->ItemAt(i))) << "list " << k << " entry " << i;
    }
}
} // namespace

// The base is the file-name part without the station's own extension; the siblings are found in any
// letter case.
TEST(ProjectFiles, Names) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString w = dir.path();
    struct Case {
        QString Name;
        QString Folder, Program;
    };
    for (const Case& c :
         {Case{w + QStringLiteral("/abc_740e7.bmp"), w, QStringLiteral("abc_740e7")},
          Case{QStringLiteral("/home/a.b/p_740e7.LST"), QStringLiteral("/home/a.b"),
               QStringLiteral("p_740e7")},
          Case{QStringLiteral("/w/knit.v2_740e7.JXW"), QStringLiteral("/w"), QStringLiteral("knit.v2_740e7")},
          Case{QStringLiteral("/w/knit.v2_740e7"), QStringLiteral("/w"), QStringLiteral("knit.v2_740e7")}}) {
        const MProjectNames n = ProjectNamesOf(c.Name);
        EXPECT_EQ(n.Folder, c.Folder) << c.Name.toStdString();
        EXPECT_EQ(n.ProgramName, c.Program) << c.Name.toStdString();
        EXPECT_EQ(n.MachineFile, n.Base() + QStringLiteral(".LST"));
        EXPECT_EQ(n.PictureFile, n.Base() + QStringLiteral(".BMP"));
        EXPECT_EQ(n.HeaderFile, n.Base() + QStringLiteral(".JXW"));
    }
    // Siblings present in other cases are taken as they are spelt.
    kdstest::WriteFile(w + QStringLiteral("/abc_740e7.lst"), "x");
    kdstest::WriteFile(w + QStringLiteral("/abc_740e7.bmp"), "x");
    const MProjectNames n = ProjectNamesOf(w + QStringLiteral("/ABC_740E7.JXW"));
    EXPECT_EQ(n.ProgramName, QStringLiteral("ABC_740E7"));
    EXPECT_EQ(n.MachineFile, w + QStringLiteral("/abc_740e7.lst"));
    EXPECT_EQ(n.PictureFile, w + QStringLiteral("/abc_740e7.bmp"));
    EXPECT_EQ(n.HeaderFile, w + QStringLiteral("/ABC_740E7.JXW"));

    // After opening, the project's name is its project data file's.
    QFile::remove(w + QStringLiteral("/abc_740e7.lst"));
    QFile::remove(w + QStringLiteral("/abc_740e7.bmp"));
    SaveNew(dir, QStringLiteral("abc_740e7"));
    EXPECT_EQ(OpenProjectFiles(w + QStringLiteral("/abc_740e7.bmp"))->Names.HeaderFile,
              w + QStringLiteral("/abc_740e7.JXW"));
}

TEST(ProjectFiles, WritesTheProjectDataFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto files = NewProjectFiles(740, 7, 4, 4);
    files->Palette.Colors[5] = 0xFE0000;
    files->Palette.Colors[6] = 0xFF0000; // never stored as it is
    for (int i = 32; i < 64; ++i)
        files->Header.Values[std::size_t(i)] = 968 + i;
    MStrip full = Strip(1, 1, 2, QString());
    for (int i = 0; i < MStrip::NameSize; ++i)
        full.Name[std::size_t(i)] = char(0x80 + i % 100 + 1);
    files->Lists->Machine.AddStrip(full);
    files->Lists->Machine.AddStrip(Strip(2, 3, 4, QStringLiteral("rib")));
    SaveProjectFiles(Path(dir, QStringLiteral("w_740e7.LST")), *files);

    const QByteArray bytes = kdstest::ReadFile(Path(dir, QStringLiteral("w_740e7.JXW")));
    ASSERT_EQ(bytes.size(), 448);
    EXPECT_EQ(bytes.mid(256, 8), QByteArray::fromHex("0a00000002000000"));
    EXPECT_EQ(bytes.mid(264 + 12, 80), QByteArray(full.Name.data(), 80));
    EXPECT_EQ(bytes.mid(264 + 92 + 12, 4), QByteArray("rib\0", 4));
    ByteReader r(bytes);
    for (int i = 0; i < 64; ++i) {
        const std::int32_t v = r.ReadI32LE();
        if (i < 32) {
            EXPECT_NE(v, 0xFF0000) << i;
        }
        if (i == 5 || i == 6) {
            EXPECT_EQ(v, 0xFE0000);
        }
        if (i >= 32) {
            EXPECT_EQ(v, 968 + i);
        }
    }
}

// The reading rules, through the opening of a project whose machine file holds S lines 1..32 less
// S5.
TEST(ProjectFiles, ReadsTheProjectDataFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        auto files = NewProjectFiles(740, 7, 4, 4);
        files->Lists->S.DeleteNumber(5);
        SaveProjectFiles(Path(dir, QStringLiteral("r_740e7.LST")), *files);
    }
    const QString jxw = Path(dir, QStringLiteral("r_740e7.JXW"));
    const MPalette defaults;
    std::vector<std::int32_t> full(64, 0x000102);
    full[3] = 0xFF0000;
    struct Case {
        const char* What;
        QByteArray Bytes; // null: no file
        bool Refused;
        int FileColours; // palette entries taken from the file, the rest the defaults
        int Strips;
    };
    const MStrip s36 = Strip(7, 3, 6, QStringLiteral("body"));
    const MStrip s12 = Strip(8, 1, 2, QStringLiteral("welt"));
    const std::vector<Case> cases{
        {"header only", Jxw(full), false, 32, 0},
        {"marker 9", Jxw(full, 9, 1, {s36}), false, 32, 0},
        {"marker without a count", Jxw(full).append(QByteArray("\x0a\0\0\0", 4)), false, 32, 0},
        {"two strips", Jxw(full, 10, 2, {s36, s12}), false, 32, 2},
        {"a part record after the count's records", Jxw(full, 10, 1, {s36}, 50), false, 32, 1},
        {"25 values", Jxw(std::vector<std::int32_t>(full.begin(), full.begin() + 25)).append("xy"), false, 25,
         0},
        {"empty file", QByteArray(""), false, 0, 0},
        {"no file", QByteArray(), false, 0, 0},
        {"strip cut short", Jxw(full, 10, 2, {s36}, 91), true, 0, 0},
        {"over-counted", Jxw(full, 10, 3, {s36, s12}), true, 0, 0},
        {"negative count", Jxw(full, 10, -1), true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        QFile::remove(jxw);
        if (!c.Bytes.isNull())
            kdstest::WriteFile(jxw, c.Bytes);
        std::unique_ptr<MProjectFiles> files;
        try {
            files = OpenProjectFiles(Path(dir, QStringLiteral("r_740e7.LST")));
        } catch (const EProjectFile& e) {
            EXPECT_TRUE(c.Refused) << e.Message().toStdString();
            EXPECT_EQ(e.File, jxw);
            EXPECT_EQ(e.SubCode, prjmsg::OpenFailed);
            continue;
        }
        ASSERT_FALSE(c.Refused);
        for (int i = 0; i < PaletteSize; ++i) {
            const TColor expected = i >= c.FileColours ? defaults.Colors[std::size_t(i)]
                                    : i == 3           ? ReservedSubstitute
                                                       : TColor(0x000102);
            EXPECT_EQ(files->Palette.Colors[std::size_t(i)], expected) << i;
        }
        const MMachineInfo& m = files->Lists->Machine;
        ASSERT_EQ(m.StripCount(), c.Strips);
        if (c.Strips > 0) {
            EXPECT_EQ(m.GetStrip(0), s36);
            // S3 and S4 carry the strip; the marking ends at the missing S5, so S6 does not.
            std::vector<int> ids;
            for (int n = 1; n <= 7; ++n)
                ids.push_back(n == 5 ? -1
                                     : static_cast<const MUnvS&>(files->Lists->S.FindByNumber(n)).StripId);
            EXPECT_EQ(ids, (std::vector<int>{c.Strips == 2 ? 8 : 0, c.Strips == 2 ? 8 : 0, 7, 7, -1, 0, 0}));
        }
    }
}

// The shell loader and the project's opening read one short project data file alike.
TEST(ProjectFiles, ShellLoaderReadsTheSamePalette) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString lst = SaveNew(dir, QStringLiteral("s_740e7"));
    std::vector<std::int32_t> values(10, 0x203040);
    values[2] = 0xFF0000;
    kdstest::WriteFile(Path(dir, QStringLiteral("s_740e7.JXW")), Jxw(values).append("ab"));
    MMemoryProject shell;
    const QStringList notes = LoadRunFiles(MRunFiles{lst, QString(), 5, 5, QString()}, shell,
                                           [](MMemoryProject&, const QString&) {});
    EXPECT_EQ(notes, QStringList());
    const auto opened = OpenProjectFiles(lst);
    EXPECT_EQ(shell.Colors.Colors, opened->Palette.Colors);
    EXPECT_EQ(opened->Palette.Colors[2], ReservedSubstitute);
    EXPECT_EQ(opened->Palette.Colors[9], TColor(0x203040));
    EXPECT_EQ(opened->Palette.Colors[10], MPalette().Colors[10]);
}

TEST(ProjectFiles, NewProject) {
    CopyTag = false;
    auto files = NewProjectFiles(740, 7, 250, 250);
    EXPECT_FALSE(CopyTag);
    MProgramLists& l = *files->Lists;
    EXPECT_EQ(l.Machine.Model, 740);
    EXPECT_EQ(l.Machine.Gauge, 7);
    EXPECT_EQ(l.Machine.Category, 4);
    for (MUnvList* list :
         {static_cast<MUnvList*>(&l.N), static_cast<MUnvList*>(&l.R), static_cast<MUnvList*>(&l.S),
          static_cast<MUnvList*>(&l.W), static_cast<MUnvList*>(&l.FS)}) {
        EXPECT_EQ(list->Count(), 32);
        EXPECT_EQ(list->MaxNumber(), 32);
    }
    EXPECT_EQ(l.Z.Count(), 100);
    EXPECT_EQ(l.P.Count() + l.FD.Count() + l.FE.Count(), 0);
    ASSERT_EQ(l.C.Count(), 1);
    const auto& c = static_cast<const MUnvC&>(l.C.FindByNumber(1));
    EXPECT_EQ(c.From[0], 1);
    EXPECT_EQ(c.To[0], 309);
    for (MUnvList* list : l.Lists()) {
        for (int i = 0; i < list->Count(); ++i)
            ASSERT_EQ(list->ItemAt(i).Tag, 1);
        EXPECT_FALSE(list->Modified);
        EXPECT_TRUE(list->NeedsAutosave);
    }
    ASSERT_EQ(files->Picture.Width(), 250);
    ASSERT_EQ(files->Picture.Height(), 250);
    for (int y = 0; y < 250; ++y)
        for (int x = 0; x < 250; ++x) {
            const std::uint8_t* p = files->Picture.ScanLine(y) + 3 * x;
            ASSERT_EQ((TColor(p[0]) << 16) | (TColor(p[1]) << 8) | p[2], NewPictureColor) << x << "," << y;
        }
    // A side below 1 gives 100; a picture too large to be made is refused.
    EXPECT_EQ(NewProjectFiles(740, 7, 0, -3)->Picture.Width(), 100);
    EXPECT_THROW(NewProjectFiles(740, 7, 100000, 100000), EProjectFile);
}

// Open, edit a module through the model, save, reopen: the same modules, pixels, palette, further
// header values and strips. The substitute colour leaves the picture as the reserved colour and
// comes back as the substitute.
TEST(ProjectFiles, RoundTrip) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = SaveNew(dir, QStringLiteral("rt_740e7"), 9, 5);
    auto files = OpenProjectFiles(name);
    auto s3 = files->Lists->S.FindByNumber(3).Clone();
    static_cast<MUnvS&>(*s3).First = 7;
    static_cast<MUnvS&>(*s3).Count = 2;
    files->Lists->S.AddOrReplace(*s3);
    files->Lists->Machine.AddStrip(Strip(4, 2, 3, QStringLiteral("yoke")));
    files->Palette.Colors[31] = 0x010203;
    files->Header.Values[40] = -5;
    std::uint8_t* p = files->Picture.ScanLine(1) + 3 * 2;
    p[0] = 0xFE, p[1] = 0, p[2] = 0; // the substitute
    p = files->Picture.ScanLine(4) + 3 * 8;
    p[0] = 1, p[1] = 2, p[2] = 3;
    const QString saved = Path(dir, QStringLiteral("rt2_740e7.JXW"));
    EXPECT_EQ(SaveProjectFiles(saved, *files).HeaderFile, saved);
    EXPECT_EQ(files->Names.ProgramName, QStringLiteral("rt2_740e7"));

    // The file holds the reserved colour where the drawing holds its substitute.
    TBitmap onDisk;
    TImageIO io;
    io.SetAttachedBitmap(&onDisk);
    io.LoadFromFile(Path(dir, QStringLiteral("rt2_740e7.BMP")));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(onDisk.ScanLine(1) + 6), 3),
              QByteArray("\xff\0\0", 3));

    auto back = OpenProjectFiles(saved);
    ExpectSameLists(*files->Lists, *back->Lists);
    EXPECT_EQ(back->Lists->Machine.Model, 740);
    EXPECT_EQ(back->Lists->Machine.Gauge, 7);
    EXPECT_EQ(back->Lists->Machine.Strips(), files->Lists->Machine.Strips());
    EXPECT_EQ(back->Palette.Colors, files->Palette.Colors);
    EXPECT_EQ(back->Header.Values, files->Header.Values);
    ASSERT_EQ(back->Picture.Width(), 9);
    ASSERT_EQ(back->Picture.Height(), 5);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(back->Picture.ScanLine(y)), 27),
                  QByteArray(reinterpret_cast<const char*>(files->Picture.ScanLine(y)), 27))
            << y;
    // A missing picture gives a new 100 x 100 one, a missing project data file the default palette.
    QFile::remove(Path(dir, QStringLiteral("rt2_740e7.BMP")));
    QFile::remove(saved);
    auto bare = OpenProjectFiles(saved);
    EXPECT_EQ(bare->Picture.Width(), 100);
    EXPECT_EQ(bare->Palette.Colors, MPalette().Colors);
    EXPECT_EQ(bare->Lists->Machine.StripCount(), 0);
}

// Each of the three files damaged in turn: nothing is opened and the error names the file.
TEST(ProjectFiles, DamagedFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = SaveNew(dir, QStringLiteral("d_740e7"));
    for (const QString& ext : {QStringLiteral(".LST"), QStringLiteral(".BMP"), QStringLiteral(".JXW")}) {
        const QString file = Path(dir, QStringLiteral("d_740e7") + ext);
        const QByteArray good = kdstest::ReadFile(file);
        kdstest::WriteFile(file, ext == QLatin1String(".JXW") ? Jxw(std::vector<std::int32_t>(64, 0), 10, 99)
                                                              : good.left(good.size() / 3));
        try {
            OpenProjectFiles(name);
            ADD_FAILURE() << "opened with a damaged " << ext.toStdString();
        } catch (const EProjectFile& e) {
            EXPECT_EQ(e.File, file);
            EXPECT_EQ(e.Code, 11);
            EXPECT_EQ(e.SubCode, prjmsg::OpenFailed);
            EXPECT_TRUE(e.Args.startsWith(file + QLatin1Char(';'))) << e.Args.toStdString();
        }
        kdstest::WriteFile(file, good);
    }
    EXPECT_NO_THROW(OpenProjectFiles(name));
}

namespace {
// The saved project Name opened, with a colour, an S line and a cell changed, so that a save
// changes each of its three files.
std::unique_ptr<MProjectFiles> ChangedProject(const QString& Name) {
    auto files = OpenProjectFiles(Name);
    files->Palette.Colors[0] = 0x111111;
    files->Lists->S.DeleteNumber(1);
    files->Picture.ScanLine(0)[0] ^= 0x40;
    return files;
}
} // namespace

// A save that fails at any of its three files leaves the old files byte for byte, no temporary file
// and the project's names as they were.
TEST(ProjectFiles, AtomicSave) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = SaveNew(dir, QStringLiteral("a_740e7"));
    auto files = ChangedProject(name);
    const TSnapshot before = Snapshot(dir.path());
    const MProjectNames names = files->Names;
    const QString ext[] = {QStringLiteral(".LST"), QStringLiteral(".BMP"), QStringLiteral(".JXW")};
    for (int failAt = 1; failAt <= 3; ++failAt) {
        TFailingWriter writer(failAt);
        try {
            SaveProjectFiles(Path(dir, QStringLiteral("a_740e7.JXW")), *files, &writer);
            ADD_FAILURE() << "saved";
        } catch (const EProjectFile& e) {
            EXPECT_EQ(e.SubCode, prjmsg::SaveFailed);
            EXPECT_EQ(e.File, Path(dir, QStringLiteral("a_740e7") + ext[failAt - 1]));
            EXPECT_TRUE(e.Reason.contains(QLatin1String("No space left"))) << e.Reason.toStdString();
        }
        EXPECT_EQ(Snapshot(dir.path()), before) << failAt;
        EXPECT_EQ(files->Names.HeaderFile, names.HeaderFile);
    }
    // A file that cannot be put in place after the others were: they are put back.
    TVanishingWriter vanishing(dir.path());
    try {
        SaveProjectFiles(Path(dir, QStringLiteral("a_740e7.JXW")), *files, &vanishing);
        ADD_FAILURE() << "saved";
    } catch (const EProjectFile& e) {
        EXPECT_EQ(e.File, Path(dir, QStringLiteral("a_740e7.JXW")));
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
    SaveProjectFiles(Path(dir, QStringLiteral("a_740e7.JXW")), *files);
    EXPECT_NE(Snapshot(dir.path()), before);
    EXPECT_EQ(Snapshot(dir.path()).Names, before.Names);
    EXPECT_EQ(OpenProjectFiles(name)->Palette.Colors[0], TColor(0x111111));
}

// A folder on a file system that cannot exchange two names (a network share): a save failing at
// its third file puts the first two back, and one where the old files can be neither linked nor
// copied is refused with its own message; the folder is byte for byte as it was, with no temporary
// or kept file.
TEST(ProjectFiles, ASaveWhereNamesCannotBeExchanged) {
    struct TShare : MFileSetSteps {
        bool CanKeep = true;
        int Renames = 0;
        int Exchange(const QByteArray&, const QByteArray&) override { return EOPNOTSUPP; }
        int Rename(const QByteArray& From, const QByteArray& To) override {
            return ++Renames == 3 ? EACCES : MFileSetSteps::Rename(From, To);
        }
        int Link(const QByteArray& Existing, const QByteArray& New) override {
            return CanKeep ? MFileSetSteps::Link(Existing, New) : EPERM;
        }
        int Copy(const QByteArray&, const QByteArray&) override { return EPERM; }
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = SaveNew(dir, QStringLiteral("n_740e7"));
    auto files = ChangedProject(name);
    const TSnapshot before = Snapshot(dir.path());
    for (const bool canKeep : {true, false}) {
        TShare share;
        share.CanKeep = canKeep;
        try {
            SaveProjectFiles(name, *files, &share);
            ADD_FAILURE() << "saved";
        } catch (const EProjectFile& e) {
            EXPECT_EQ(e.SubCode, canKeep ? prjmsg::SaveFailed : prjmsg::SaveUnsafe);
            EXPECT_EQ(e.File,
                      Path(dir, canKeep ? QStringLiteral("n_740e7.JXW") : QStringLiteral("n_740e7.LST")));
        }
        EXPECT_EQ(Snapshot(dir.path()), before) << canKeep;
    }
}

// A knitting row stored unchecked (the row's Ignore) with a value its machine file cannot hold: the
// save and the desktop copy are refused with the numbered message that names the module and the
// field in the language shown, and nothing is written; mended, the project saves with its other rows
// as they were.
TEST(ProjectFiles, ARowTheMachineFileCannotHoldIsNamedAndNothingIsWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = SaveNew(dir, QStringLiteral("z_740e7"));
    auto files = OpenProjectFiles(name);
    {
        const MSwitchGuard unchecked(ListsAutoValidate, false);
        MUnvZ z;
        z.Number = 7;
        z.PB.Mode = 2;
        z.PatternLine[2] = 5;
        files->Lists->Z.AddOrReplace(z);
    }
    MMessageCatalog catalog;
    ASSERT_TRUE(catalog.LoadMessageFile(kdstest::SourcePath(QStringLiteral("resources/Dta/sysmsg.dta"))));
    const TSnapshot before = Snapshot(dir.path());
    for (const bool copy : {false, true}) {
        const QString target = copy ? Path(dir, QStringLiteral("DT1.LST")) : name;
        try {
            if (copy)
                SaveProjectCopy(target, *files->Lists, files->Palette, files->Header, files->Picture);
            else
                SaveProjectFiles(target, *files);
            ADD_FAILURE() << "saved";
        } catch (const MException& e) {
            EXPECT_EQ(e.Code, lstmsg::Code);
            EXPECT_EQ(e.SubCode, lstmsg::Mode);
            EXPECT_EQ(e.Args, QStringLiteral("Z7;PB;2;0;1"));
            QString text, caption;
            catalog.LookupMessage(1, e.Code, e.SubCode, e.Args, text, caption);
            EXPECT_EQ(text,
                      QStringLiteral("The module (Z7) cannot be stored in a machine file:\r\nthe mode of "
                                     "(PB) is (2), but the file holds only (0) to (1).\r\nNothing was "
                                     "written."));
            catalog.LookupMessage(0, e.Code, e.SubCode, e.Args, text, caption);
            EXPECT_EQ(text, QStringLiteral("تعذّر تخزين الوحدة (Z7) في ملف الماكينة:\r\nقيمة نمط (PB) هي (2)، "
                                           "لكن الملف لا يحفظ إلا القيم من (0) إلى (1).\r\nلم يُكتب شيء."));
        }
        EXPECT_EQ(Snapshot(dir.path()), before) << copy;
    }
    files->Lists->Z.GetZ(7).PB.Mode = 1;
    SaveProjectFiles(name, *files);
    auto back = OpenProjectFiles(name);
    EXPECT_EQ(back->Lists->Z.GetZ(7).PB.Mode, 1);
    EXPECT_EQ(back->Lists->Z.GetZ(7).PatternLine[2], 5);
    EXPECT_EQ(back->Lists->Z.Count(), files->Lists->Z.Count());
}

// A copy for the desktop writes only the files whose bytes changed: the others keep their file
// (the same inode), and what lies on the disk is what a full save writes, byte for byte.
TEST(ProjectFiles, CopyWritesOnlyTheChangedFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto files = OpenProjectFiles(SaveNew(dir, QStringLiteral("c_740e7")));
    const QString copy = Path(dir, QStringLiteral("DT1.LST")), full = Path(dir, QStringLiteral("full.LST"));
    const QString ext[] = {QStringLiteral(".LST"), QStringLiteral(".BMP"), QStringLiteral(".JXW")};
    auto inodes = [&] {
        std::vector<ino_t> n;
        for (const QString& e : ext) {
            struct stat st {};
            EXPECT_EQ(::stat(QFile::encodeName(Path(dir, QStringLiteral("DT1") + e)).constData(), &st), 0);
            n.push_back(st.st_ino);
        }
        return n;
    };
    auto save = [&](MFileSetSteps* Writer) {
        SaveProjectCopy(copy, *files->Lists, files->Palette, files->Header, files->Picture, Writer);
        SaveProjectFiles(full, *files->Lists, files->Palette, files->Header, files->Picture);
        for (const QString& e : ext)
            EXPECT_EQ(kdstest::ReadFile(Path(dir, QStringLiteral("DT1") + e)),
                      kdstest::ReadFile(Path(dir, QStringLiteral("full") + e)))
                << e.toStdString();
    };
    save(nullptr);
    const std::vector<ino_t> first = inodes();

    // Nothing changed: no file is written, so a writer that would fail is never called.
    TFailingWriter failing(1);
    save(&failing);
    EXPECT_EQ(inodes(), first);

    // One cell of the picture, then one list: only that file is new.
    files->Picture.ScanLine(0)[0] ^= 0x40;
    save(nullptr);
    const std::vector<ino_t> second = inodes();
    EXPECT_EQ(second[0], first[0]);
    EXPECT_NE(second[1], first[1]);
    EXPECT_EQ(second[2], first[2]);
    files->Lists->S.DeleteNumber(1);
    save(nullptr);
    const std::vector<ino_t> third = inodes();
    EXPECT_NE(third[0], second[0]);
    EXPECT_EQ(third[1], second[1]);
    EXPECT_EQ(third[2], second[2]);
}

// Names and folders: a folder with dots, siblings in other cases, a sibling that is a folder or a
// link to nothing, an unreadable file and a folder that cannot be written. Each refusal names the
// file and leaves the folder as it was.
TEST(ProjectFiles, BadNamesAndFolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder with dots holds its project.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("my.data.v2")));
    const QString dotted = SaveNew(dir, QStringLiteral("my.data.v2/p_740e7"));
    EXPECT_EQ(OpenProjectFiles(dotted)->Names.Folder, Path(dir, QStringLiteral("my.data.v2")));
    EXPECT_EQ(QDir(Path(dir, QStringLiteral("my.data.v2"))).entryList(QDir::Files).size(), 3);

    // Siblings in other cases are replaced, not doubled, and "knit.v2_740e7" leaves "knit" alone.
    SaveNew(dir, QStringLiteral("knit"));
    const TSnapshot knitFiles = Snapshot(dir.path());
    SaveNew(dir, QStringLiteral("knit.v2_740e7"));
    for (const QString& old : {QStringLiteral("knit.v2_740e7.LST"), QStringLiteral("knit.v2_740e7.JXW")})
        ASSERT_TRUE(QFile::rename(Path(dir, old), Path(dir, old.toLower())));
    auto files = OpenProjectFiles(Path(dir, QStringLiteral("KNIT.V2_740E7.bmp")));
    SaveProjectFiles(Path(dir, QStringLiteral("Knit.v2_740e7.Lst")), *files);
    const QStringList names = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(names, (QStringList{QStringLiteral("knit.BMP"), QStringLiteral("knit.JXW"),
                                  QStringLiteral("knit.LST"), QStringLiteral("knit.v2_740e7.BMP"),
                                  QStringLiteral("knit.v2_740e7.jxw"), QStringLiteral("knit.v2_740e7.lst")}));
    for (const QString& f :
         {QStringLiteral("knit.LST"), QStringLiteral("knit.BMP"), QStringLiteral("knit.JXW")})
        EXPECT_EQ(kdstest::ReadFile(Path(dir, f)), knitFiles.Bytes[std::size_t(knitFiles.Names.indexOf(f))]);

    // A sibling that is a folder or a link to nothing: neither opened nor saved over.
    struct Case {
        const char* What;
        QString Ext;
        bool Link;
    };
    for (const Case& c :
         {Case{"folder", QStringLiteral(".BMP"), false}, Case{"folder", QStringLiteral(".JXW"), false},
          Case{"dangling link", QStringLiteral(".JXW"), true},
          Case{"dangling link", QStringLiteral(".LST"), true}}) {
        SCOPED_TRACE(std::string(c.What) + " " + c.Ext.toStdString());
        QTemporaryDir d;
        const QString name = SaveNew(d, QStringLiteral("b_740e7"));
        auto project = OpenProjectFiles(name);
        const QString file = Path(d, QStringLiteral("b_740e7") + c.Ext);
        QFile::remove(file);
        if (c.Link)
            ASSERT_TRUE(QFile::link(Path(d, QStringLiteral("nowhere")), file));
        else
            ASSERT_TRUE(QDir(d.path()).mkdir(QStringLiteral("b_740e7") + c.Ext));
        const TSnapshot before = Snapshot(d.path());
        try {
            OpenProjectFiles(name);
            ADD_FAILURE() << "opened";
        } catch (const EProjectFile& e) {
            EXPECT_EQ(e.File, file);
        }
        try {
            SaveProjectFiles(name, *project);
            ADD_FAILURE() << "saved";
        } catch (const EProjectFile& e) {
            EXPECT_EQ(e.File, file);
            EXPECT_EQ(e.SubCode, prjmsg::SaveFailed);
        }
        EXPECT_EQ(Snapshot(d.path()), before);
    }

    // A folder that cannot be written: the save makes nothing there. Root writes anywhere that
    // permissions guard, so it tries a folder of the kernel's instead.
    QTemporaryDir ro;
    const QString roName = SaveNew(ro, QStringLiteral("ro_740e7"));
    auto project = OpenProjectFiles(roName);
    const bool root = ::geteuid() == 0;
    const QString target = root ? QStringLiteral("/proc/self/ro_740e7.LST") : roName;
    if (!root) {
        ASSERT_TRUE(QFile::setPermissions(ro.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    const TSnapshot before = Snapshot(ro.path());
    try {
        SaveProjectFiles(target, *project);
        ADD_FAILURE() << "saved into a folder that cannot be written";
    } catch (const EProjectFile& e) {
        EXPECT_EQ(e.File, target);
        EXPECT_TRUE(e.Reason.contains(QLatin1String("no file can be made"))) << e.Reason.toStdString();
    }
    EXPECT_EQ(Snapshot(ro.path()), before);
    // An unreadable file (not for root, who reads it anyway).
    if (!root) {
        ASSERT_TRUE(QFile::setPermissions(ro.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner));
        ASSERT_TRUE(QFile::setPermissions(Path(ro, QStringLiteral("ro_740e7.BMP")), QFileDevice::WriteOwner));
        EXPECT_THROW(OpenProjectFiles(roName), EProjectFile);
    }
    // A name without a file name, or one that names a folder itself ("." and ".."): nothing is
    // written, neither in the folder nor beside it as hidden "..LST" files.
    QTemporaryDir outer;
    ASSERT_TRUE(QDir(outer.path()).mkdir(QStringLiteral("in")));
    const QString in = Path(outer, QStringLiteral("in"));
    const TSnapshot empty = Snapshot(outer.path());
    for (const QString& name : {in + QLatin1Char('/'), in + QStringLiteral("/."), in + QStringLiteral("/.."),
                                QStringLiteral(".."), QStringLiteral(".")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_THROW(SaveProjectFiles(name, *project), EProjectFile);
        EXPECT_THROW(OpenProjectFiles(name), EProjectFile);
    }
    EXPECT_EQ(Snapshot(outer.path()), empty);
    EXPECT_TRUE(QDir(in).isEmpty());
}

namespace {
kdstest::ToolResult RunPrjTool(const QStringList& Args) {
    return kdstest::RunTool(QStringLiteral(PRJTOOL_PATH), Args);
}
} // namespace

// prjtool: info prints the project as read; new and copy write what the station writes; an error
// writes nothing and exits with 1.
TEST(ProjectFiles, PrjTool) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = SaveNew(dir, QStringLiteral("t_740e7"), 3, 2);
    {
        auto files = OpenProjectFiles(name);
        MStrip odd = Strip(9, 2, 4, QString());
        const char raw[] = "a b\\\x01\xe9";
        std::copy(raw, raw + 6, odd.Name.begin());
        files->Lists->Machine.AddStrip(odd);
        files->Palette.Colors[0] = 0x0000FF;
        files->Header.Values[63] = -7;
        SaveProjectFiles(name, *files);
    }
    kdstest::ToolResult r = RunPrjTool({QStringLiteral("info"), Path(dir, QStringLiteral("T_740E7.bmp"))});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    const QStringList lines = r.Out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 8) << r.Out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("project ") + Path(dir, QStringLiteral("t_740e7.JXW")));
    EXPECT_EQ(lines[1], QStringLiteral("machine 740 e7"));
    EXPECT_EQ(lines[2], QStringLiteral("lists P0 N32 Z100 R32 S32 W32 FS32 FD0 FE0 C1"));
    EXPECT_EQ(lines[3], QStringLiteral("picture 3x2"));
    EXPECT_TRUE(lines[4].startsWith(QLatin1String("palette 0000ff fe0000 "))) << lines[4].toStdString();
    EXPECT_EQ(lines[4].split(QLatin1Char(' ')).size(), 33);
    EXPECT_EQ(lines[5], QStringLiteral("header") + QStringLiteral(" 0").repeated(31) + QStringLiteral(" -7"));
    EXPECT_EQ(lines[6], QStringLiteral("strip 9 S2 S4 a b\\\\x01\\xe9"));

    // new with a picture, and copy under another name: the files open as written.
    const QString png = Path(dir, QStringLiteral("p.bmp"));
    {
        TBitmap b(7, 5, pf24bit);
        TImageIO io;
        io.SetAttachedBitmap(&b);
        io.SaveBMP(png);
    }
    r = RunPrjTool({QStringLiteral("new"), Path(dir, QStringLiteral("n_745e5")), QStringLiteral("745"),
                    QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("0"), png});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    auto made = OpenProjectFiles(Path(dir, QStringLiteral("n_745e5.LST")));
    EXPECT_EQ(made->Lists->Machine.Model, 745);
    EXPECT_EQ(made->Picture.Width(), 7);
    r = RunPrjTool({QStringLiteral("copy"), name, Path(dir, QStringLiteral("c.v2_740e7"))});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(kdstest::ReadFile(Path(dir, QStringLiteral("c.v2_740e7.JXW"))),
              kdstest::ReadFile(name.left(name.size() - 4) + QStringLiteral(".JXW")));

    // Errors: stderr, nothing written, exit 1.
    const TSnapshot before = Snapshot(dir.path());
    for (const QStringList& args :
         {QStringList{QStringLiteral("info"), Path(dir, QStringLiteral("none.LST"))},
          QStringList{QStringLiteral("new"), Path(dir, QStringLiteral("x")), QStringLiteral("999"),
                      QStringLiteral("7"), QStringLiteral("1"), QStringLiteral("1")},
          QStringList{QStringLiteral("new"), Path(dir, QStringLiteral("x")), QStringLiteral("740"),
                      QStringLiteral("7"), QStringLiteral("abc"), QStringLiteral("1")},
          QStringList{QStringLiteral("new"), Path(dir, QStringLiteral("x")), QStringLiteral("740"),
                      QStringLiteral("7"), QStringLiteral("1"), QStringLiteral("1"),
                      Path(dir, QStringLiteral("none.bmp"))},
          QStringList{QStringLiteral("copy"), Path(dir, QStringLiteral("none.LST")),
                      Path(dir, QStringLiteral("y"))},
          QStringList{QStringLiteral("copy"), name, Path(dir, QStringLiteral("nofolder/y"))},
          QStringList{QStringLiteral("bogus")}}) {
        r = RunPrjTool(args);
        EXPECT_EQ(r.Code, 1) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.Out, QString());
        EXPECT_TRUE(r.Err.startsWith(QLatin1String("prjtool: "))) << r.Err.toStdString();
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
}
