// The file services: masks, names, command-line tokens, clearing folders, copying without losing
// the old file, the progress registry and the shell-style operations with scripted questions.
#include "tests/support/TestSupport.h"

#include "platform/Errors.h"
#include "ui/FileUtil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using kdstest::ReadFile;
using kdstest::WriteFile;

namespace {

struct Folder {
    QTemporaryDir dir;
    QString Path(const QString& Name) const { return dir.path() + QLatin1Char('/') + Name; }
    void Put(const QString& Name, const QByteArray& Data = "x") const {
        QDir().mkpath(QFileInfo(Path(Name)).path());
        WriteFile(Path(Name), Data);
    }
    bool Has(const QString& Name) const {
        return QFileInfo(Path(Name)).exists() || QFileInfo(Path(Name)).isSymLink();
    }
};

QByteArray Pattern(int Size) {
    QByteArray b(Size, '\0');
    for (int i = 0; i < Size; ++i)
        b[i] = char((i * 7 + i / 251) & 0xFF);
    return b;
}

} // namespace

TEST(FileNames, MasksMatchWithoutRegardToCase) {
    const struct {
        const char* Name;
        const char* Mask;
        bool Match;
    } cases[] = {
        {"DM.EXE", "*.exe", true},
        {"dm.exe", "*.EXE", true},
        {"README", "*.*", true},
        {"README", "*", true},
        {"a.b.c", "*.c", true},
        {"xfile", "x*.*", true},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abcd", "a?c", false},
        {"report.bak", "*.txt", false},
        {"bak", "*.bak", false},
        {".", "*.*", true},
        {".", "*.txt", false},
        {"", "*", true},
        {"x", "", false},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "a*a*a*a*a*a*a*b", false},
        {"Ünïcode.TXT", "ü*.txt", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(QString::fromUtf8(c.Name), QString::fromUtf8(c.Mask)), c.Match)
            << c.Name << " / " << c.Mask;
}

TEST(FileNames, ValidityPathsAndAttributes) {
    for (const char* bad : {"", "a|b", "a<b", "a>b", "a\"b", "a[1]", "x]"})
        EXPECT_FALSE(IsValidFileName(QString::fromUtf8(bad))) << bad;
    for (const char* good : {"C:\\Program Files\\Zode\\dm.exe", "/home/u/knit.v2_740e7.LST", "a b"})
        EXPECT_TRUE(IsValidFileName(QString::fromUtf8(good))) << good;
    EXPECT_TRUE(HasAnyChar(QStringLiteral("abc"), QStringLiteral("xc")));
    EXPECT_FALSE(HasAnyChar(QStringLiteral("abc"), QString()));

    EXPECT_EQ(WithTrailingBackslash(QString()), QString());
    EXPECT_EQ(WithTrailingBackslash(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(WithTrailingBackslash(QStringLiteral("/a/")), QStringLiteral("/a/"));
    EXPECT_EQ(WithTrailingBackslash(QStringLiteral("Export\\")), QStringLiteral("Export\\"));
    EXPECT_EQ(FolderPartOf(QStringLiteral("Dta\\sysmsg.dta")), QStringLiteral("Dta\\"));

    Folder f;
    f.Put(QStringLiteral("Sub/Knit.LST"), "12345");
    EXPECT_EQ(FileSizeOf(f.Path(QStringLiteral("Sub/Knit.LST"))), 5);
    EXPECT_EQ(FileSizeOf(f.Path(QStringLiteral("none"))), -1);
    EXPECT_TRUE(IsDirectory(f.Path(QStringLiteral("Sub"))));
    EXPECT_FALSE(IsDirectory(f.Path(QStringLiteral("Sub/Knit.LST"))));
    EXPECT_EQ(LongFileNameOf(f.Path(QStringLiteral("sub/knit.lst"))), QStringLiteral("Knit.LST"));
    EXPECT_EQ(ShortFileNameOf(f.Path(QStringLiteral("Sub/Knit.LST"))), QStringLiteral("Knit.LST"));
    EXPECT_EQ(LongFileNameOf(f.Path(QStringLiteral("Sub/none"))), QString());
    CreateDirectoryPath(f.Path(QStringLiteral("x/y/z/")));
    EXPECT_TRUE(IsDirectory(f.Path(QStringLiteral("x/y/z"))));

    const QString file = f.Path(QStringLiteral("Sub/Knit.LST"));
    EXPECT_TRUE(FileHasAttributes(file, faArchive));
    EXPECT_FALSE(FileHasAttributes(file, faReadOnly));
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    EXPECT_TRUE(FileHasAttributes(file, faReadOnly | faArchive));
    EXPECT_TRUE(FileHasAttributes(f.Path(QStringLiteral("Sub")), faDirectory));
    f.Put(QStringLiteral(".hidden"));
    EXPECT_TRUE(FileHasAttributes(f.Path(QStringLiteral(".hidden")), faHidden));
    EXPECT_FALSE(FileHasAttributes(f.Path(QStringLiteral("none")), 0)) << "unreadable attributes";
}

TEST(CommandLine, TokensAndTheSplitExample) {
    QString program, params;
    SplitCommandLine(QStringLiteral("\"C:\\Program Files\\Zode\\dm.exe\" /s \"two words\""), program, params);
    EXPECT_EQ(program, QStringLiteral("C:\\Program Files\\Zode\\dm.exe"));
    EXPECT_EQ(params, QStringLiteral("/s \"two words\""));

    const QString s = QStringLiteral("\t \"\" one\x01two \"a b\"c \"\" \"unbalanced rest");
    EXPECT_EQ(CommandTokenCount(s), 4);
    EXPECT_EQ(CommandToken(s, 0), QStringLiteral("one"));
    EXPECT_EQ(CommandToken(s, 1), QStringLiteral("two"));
    EXPECT_EQ(CommandToken(s, 2), QStringLiteral("a bc"));
    EXPECT_EQ(CommandToken(s, 3), QStringLiteral("unbalanced rest"));
    EXPECT_EQ(CommandToken(s, 4), QString());
    EXPECT_EQ(CommandTokenCount(QStringLiteral("  \"\"  ")), 0);
    EXPECT_EQ(CommandTokenCount(QString()), 0);
    // Characters of 33 and above belong to the token, whatever the script; long tokens stay whole.
    EXPECT_EQ(CommandToken(QStringLiteral("ملف.txt x"), 0), QStringLiteral("ملف.txt"));
    const QString longName = QString(300, QLatin1Char('n'));
    EXPECT_EQ(CommandToken(longName + QStringLiteral(" x"), 0), longName);
    int pos = 3;
    QString token;
    EXPECT_TRUE(NextCommandToken(QStringLiteral("ab cd"), pos, token));
    EXPECT_EQ(token, QStringLiteral("cd"));
    EXPECT_EQ(pos, 5);
    EXPECT_FALSE(NextCommandToken(QStringLiteral("ab cd"), pos, token));
}

TEST(ClearDir, DeletesMatchingFilesOnlyAndLinksAsLinks) {
    Folder f;
    Folder outside;
    outside.Put(QStringLiteral("kept.txt"));
    f.Put(QStringLiteral("a.txt"));
    f.Put(QStringLiteral("B.TXT"));
    f.Put(QStringLiteral("c.dat"));
    f.Put(QStringLiteral(".hidden.txt"));
    f.Put(QStringLiteral("sub.txt/inner.txt"));
    ASSERT_TRUE(QFile::link(outside.Path(QStringLiteral("kept.txt")), f.Path(QStringLiteral("link.txt"))));
    ASSERT_TRUE(QFile::link(outside.dir.path(), f.Path(QStringLiteral("dirlink.txt"))));
    // A name that is not UTF-8.
    const QByteArray raw = QFile::encodeName(f.dir.path()) + "/bad\xff\xfe.txt";
    {
        FILE* fp = std::fopen(raw.constData(), "w");
        ASSERT_NE(fp, nullptr);
        std::fclose(fp);
    }

    // The folder part is found without regard to case.
    const QString upper = f.dir.path() + QStringLiteral("/*.TXT");
    EXPECT_TRUE(ClearDir(upper));
    EXPECT_FALSE(f.Has(QStringLiteral("a.txt")));
    EXPECT_FALSE(f.Has(QStringLiteral("B.TXT")));
    EXPECT_FALSE(f.Has(QStringLiteral("link.txt")));
    EXPECT_FALSE(f.Has(QStringLiteral("dirlink.txt"))) << "a link to a folder is removed as a link";
    EXPECT_TRUE(QFileInfo::exists(outside.Path(QStringLiteral("kept.txt")))) << "links are never followed";
    EXPECT_NE(::access(raw.constData(), F_OK), 0) << "the name that is not UTF-8 went too";
    EXPECT_TRUE(f.Has(QStringLiteral("c.dat")));
    EXPECT_TRUE(f.Has(QStringLiteral(".hidden.txt")));
    EXPECT_TRUE(f.Has(QStringLiteral("sub.txt/inner.txt"))) << "not recursive, folders kept";

    EXPECT_TRUE(ClearDir(f.Path(QStringLiteral("sub.*")))) << "only a folder matched";
    EXPECT_TRUE(f.Has(QStringLiteral("sub.txt")));
    EXPECT_FALSE(ClearDir(f.Path(QStringLiteral("*.none"))));
    EXPECT_FALSE(ClearDir(f.Path(QStringLiteral("missing/*.*"))));
    Folder empty;
    EXPECT_TRUE(ClearDir(empty.dir.path() + QStringLiteral("\\*.*"))) << "the folder's own entries count";

    // A mask without a folder part works in the current folder.
    const QString old = QDir::currentPath();
    QDir::setCurrent(f.dir.path());
    EXPECT_TRUE(ClearDir(QStringLiteral("*.dat")));
    QDir::setCurrent(old);
    EXPECT_FALSE(f.Has(QStringLiteral("c.dat")));
}

TEST(CopyFile, CopiesWithItsDateIntoFoldersAndRefusesWhatItMust) {
    Folder f;
    const QByteArray data = Pattern(8192);
    f.Put(QStringLiteral("src.bin"), data);
    const QString src = f.Path(QStringLiteral("src.bin"));
    const QDateTime when(QDate(2001, 2, 3), QTime(4, 5, 6));
    {
        QFile q(src);
        ASSERT_TRUE(q.open(QIODevice::ReadWrite));
        ASSERT_TRUE(q.setFileTime(when, QFileDevice::FileModificationTime));
    }
    // Onto a folder: into it under the source's name.
    CreateDirectoryPath(f.Path(QStringLiteral("out")));
    QProgressBar bar;
    CopyFile(src, f.Path(QStringLiteral("out")), &bar);
    EXPECT_EQ(ReadFile(f.Path(QStringLiteral("out/src.bin"))), data);
    EXPECT_EQ(QFileInfo(f.Path(QStringLiteral("out/src.bin"))).lastModified(), when);
    EXPECT_EQ(bar.maximum(), 8192);
    EXPECT_EQ(bar.value(), 0) << "the position goes back to 0";
    // Missing folders of the target are made; an empty file copies.
    f.Put(QStringLiteral("empty"), QByteArray());
    CopyFile(f.Path(QStringLiteral("empty")), f.Path(QStringLiteral("new/deeper/empty")));
    EXPECT_TRUE(f.Has(QStringLiteral("new/deeper/empty")));

    try {
        CopyFile(f.Path(QStringLiteral("missing")), f.Path(QStringLiteral("x")));
        ADD_FAILURE();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file ") + f.Path(QStringLiteral("missing")));
    }
    EXPECT_THROW(CopyFile(f.Path(QStringLiteral("out")), f.Path(QStringLiteral("y"))), EFOpenError)
        << "a folder";
    // A pipe with no writer is refused at once, not waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(f.Path(QStringLiteral("pipe"))).constData(), 0600), 0);
    EXPECT_THROW(CopyFile(f.Path(QStringLiteral("pipe")), f.Path(QStringLiteral("z"))), EFOpenError);
    EXPECT_FALSE(f.Has(QStringLiteral("z")));

    // A read-only target fails and stays, unless overwriting read-only files is asked for.
    f.Put(QStringLiteral("ro"), "old");
    QFile::setPermissions(f.Path(QStringLiteral("ro")), QFileDevice::ReadOwner);
    try {
        CopyFile(src, f.Path(QStringLiteral("ro")));
        ADD_FAILURE();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot create file ") + f.Path(QStringLiteral("ro")));
    }
    EXPECT_EQ(ReadFile(f.Path(QStringLiteral("ro"))), QByteArray("old"));
    CopyFileWithOptions(src, f.Path(QStringLiteral("ro")), true, nullptr, false);
    EXPECT_EQ(ReadFile(f.Path(QStringLiteral("ro"))), data);

    // A link as target stays a link; the file it names is replaced.
    f.Put(QStringLiteral("real"), "old");
    ASSERT_TRUE(QFile::link(f.Path(QStringLiteral("real")), f.Path(QStringLiteral("alias"))));
    CopyFile(src, f.Path(QStringLiteral("alias")));
    EXPECT_TRUE(QFileInfo(f.Path(QStringLiteral("alias"))).isSymLink());
    EXPECT_EQ(ReadFile(f.Path(QStringLiteral("real"))), data);
    // A name of the longest length a name may have.
    const QString longName = QString(251, QLatin1Char('n')) + QStringLiteral(".dat");
    CopyFile(src, f.Path(longName));
    EXPECT_EQ(ReadFile(f.Path(longName)), data);
    // Onto itself: intact.
    CopyFile(src, src);
    EXPECT_EQ(ReadFile(src), data);
    // No temporary file is left anywhere.
    EXPECT_TRUE(
        QDir(f.dir.path()).entryList({QStringLiteral(".*.??????")}, QDir::Hidden | QDir::Files).isEmpty());
}

TEST(CopyFile, AFailurePartWayKeepsTheOldTargetByteForByte) {
    Folder f;
    const QByteArray data = Pattern(3 << 20);
    f.Put(QStringLiteral("big"), data);
    f.Put(QStringLiteral("target"), "the old target");
    // A file-size limit below the source's size makes the write fail part-way.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        CopyFile(f.Path(QStringLiteral("big")), f.Path(QStringLiteral("target")));
    } catch (const EWriteError& e) {
        raised = e.Message() == QStringLiteral("Stream write error");
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadFile(f.Path(QStringLiteral("target"))), QByteArray("the old target"));
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2)
        << "the temporary copy is gone";
}

TEST(ProgressRegistry, SetsOnlyIntegerPropertiesOfRegisteredClasses) {
    QProgressBar bar;
    EXPECT_TRUE(SetProgressMax(&bar, 50));
    EXPECT_TRUE(SetProgressMin(&bar, 10));
    EXPECT_TRUE(SetProgressValue(&bar, 20));
    EXPECT_EQ(bar.value(), 20);
    QLabel label;
    EXPECT_FALSE(SetProgressValue(&label, 3)) << "never registered";
    EXPECT_FALSE(SetProgressValue(nullptr, 3));
    // A registration naming a text property sets nothing; a later registration is searched first.
    RegisterProgressControl(&QLabel::staticMetaObject, QStringLiteral("margin"), QStringLiteral("indent"),
                            QStringLiteral("text"));
    EXPECT_FALSE(SetProgressValue(&label, 3));
    EXPECT_TRUE(SetProgressMin(&label, 4));
    EXPECT_EQ(label.margin(), 4);
}

namespace {

// Answers the questions from a queue and records what was asked and shown.
class ScriptedUI : public MFileOperationUI {
public:
    std::deque<TOverwriteAnswer> Overwrite;
    std::deque<bool> MakeDir;
    int CancelAtStep = -1;
    QStringList Asked, Errors, Steps;
    QString Title;
    TOverwriteAnswer ConfirmOverwrite(const QString& Target) override {
        Asked << FileNamePartOf(Target);
        TOverwriteAnswer a = Overwrite.empty() ? oaCancel : Overwrite.front();
        if (!Overwrite.empty())
            Overwrite.pop_front();
        return a;
    }
    bool ConfirmMakeDir(const QString& Folder) override {
        Asked << QStringLiteral("mkdir ") + FileNamePartOf(Folder);
        bool a = !MakeDir.empty() && MakeDir.front();
        if (!MakeDir.empty())
            MakeDir.pop_front();
        return a;
    }
    void ShowError(const QString& Text) override { Errors << Text; }
    bool ProgressOpen = false;
    void BeginProgress(const QString& T, int) override {
        Title = T;
        ProgressOpen = true;
    }
    bool StepProgress(int Done, const QString& Text) override {
        Steps << Text;
        return Done != CancelAtStep;
    }
    void EndProgress() override { ProgressOpen = false; }
    static QString FileNamePartOf(const QString& S) { return QFileInfo(S).fileName(); }
};

struct ShellFixture {
    ShellFixture() { SetFileOperationUI(&ui); }
    ~ShellFixture() { SetFileOperationUI(nullptr); }
    ScriptedUI ui;
    Folder f;
};

} // namespace

TEST(ShellFileOperator, CopiesListsAndAsksBeforeReplacing) {
    ShellFixture s;
    for (const char* n : {"a.txt", "b.txt", "c.dat", "d.dat"}) {
        s.f.Put(QStringLiteral("src/") + QLatin1String(n), QByteArray("new ") + n);
        s.f.Put(QStringLiteral("dst/") + QLatin1String(n), "old");
    }
    TShellFileOperator op;
    op.Operation = foCopy;
    op.Options = flNoConfirmMkDir;
    op.ProgressTitle = QStringLiteral("Copy");
    op.Source = s.f.Path(QStringLiteral("src/a.txt")) + QStringLiteral(";") +
                s.f.Path(QStringLiteral("src/b.txt")) + QStringLiteral("|") +
                s.f.Path(QStringLiteral("src/*.dat"));
    op.Destination = s.f.Path(QStringLiteral("dst"));
    s.ui.Overwrite = {MFileOperationUI::oaYes, MFileOperationUI::oaNo, MFileOperationUI::oaYesToAll};
    EXPECT_TRUE(op.Execute());
    EXPECT_EQ(s.ui.Asked,
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.dat")}));
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dst/a.txt"))), QByteArray("new a.txt"));
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dst/b.txt"))), QByteArray("old")) << "answered no";
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dst/d.dat"))), QByteArray("new d.dat")) << "yes to all";
    EXPECT_EQ(s.ui.Title, QStringLiteral("Copy"));
    EXPECT_EQ(s.ui.Steps.size(), 5);
    EXPECT_TRUE(s.ui.Steps[0].contains(QStringLiteral("a.txt")));

    // Cancel stops the run without an error; the files after it stay as they were.
    s.ui.Asked.clear();
    s.ui.Overwrite = {MFileOperationUI::oaCancel};
    s.f.Put(QStringLiteral("dst/a.txt"), "old");
    EXPECT_FALSE(op.Execute());
    EXPECT_TRUE(op.Aborted);
    EXPECT_TRUE(s.ui.Errors.isEmpty());
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dst/a.txt"))), QByteArray("old"));

    // Collisions renamed; no questions without confirmation; names hidden with simple progress.
    op.Options = flNoConfirmMkDir | flRenameOnCollision | flSimpleProgress;
    s.ui.Steps.clear();
    EXPECT_TRUE(op.Execute());
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dst/a (2).txt"))), QByteArray("new a.txt"));
    EXPECT_EQ(s.ui.Steps.first(), QString());
    EXPECT_TRUE(op.Execute());
    EXPECT_TRUE(s.f.Has(QStringLiteral("dst/a (3).txt")));
    op.Options = flNoConfirmMkDir | flNoConfirmation | flSilent;
    s.ui.Steps.clear();
    EXPECT_TRUE(op.Execute());
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dst/a.txt"))), QByteArray("new a.txt"));
    EXPECT_TRUE(s.ui.Steps.isEmpty()) << "silent: no progress window";

    // The progress window's Cancel.
    op.Options = flNoConfirmation | flNoConfirmMkDir;
    s.ui.CancelAtStep = 1;
    EXPECT_FALSE(op.Execute());
    EXPECT_TRUE(op.Aborted);
}

TEST(ShellFileOperator, FoldersMovesAndRefusals) {
    ShellFixture s;
    s.f.Put(QStringLiteral("tree/one.txt"), "1");
    s.f.Put(QStringLiteral("tree/sub/two.txt"), "2");
    TShellFileOperator op;
    op.Options = flNoConfirmation;
    // A missing destination folder is asked for; refused, nothing is copied.
    op.Source = s.f.Path(QStringLiteral("tree/one.txt;")) + s.f.Path(QStringLiteral("tree/sub"));
    op.Destination = s.f.Path(QStringLiteral("copy"));
    s.ui.MakeDir = {false};
    EXPECT_FALSE(op.Execute());
    EXPECT_TRUE(op.Aborted);
    EXPECT_FALSE(s.f.Has(QStringLiteral("copy")));
    s.ui.MakeDir = {true};
    EXPECT_TRUE(op.Execute());
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("copy/sub/two.txt"))), QByteArray("2"));
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("copy/one.txt"))), QByteArray("1"));

    // A folder into itself is refused, with or without the error shown.
    op.Source = s.f.Path(QStringLiteral("tree"));
    op.Destination = s.f.Path(QStringLiteral("tree/sub"));
    EXPECT_FALSE(op.Execute());
    EXPECT_FALSE(op.Aborted);
    EXPECT_EQ(s.ui.Errors.size(), 1);
    op.Operation = foMove;
    op.Options |= flNoErrorUI;
    EXPECT_FALSE(op.Execute());
    EXPECT_EQ(s.ui.Errors.size(), 1);
    EXPECT_TRUE(s.f.Has(QStringLiteral("tree/one.txt")));

    // Move and rename.
    op.Source = s.f.Path(QStringLiteral("copy"));
    op.Destination = s.f.Path(QStringLiteral("moved"));
    EXPECT_TRUE(op.Execute());
    EXPECT_FALSE(s.f.Has(QStringLiteral("copy")));
    EXPECT_TRUE(s.f.Has(QStringLiteral("moved/sub/two.txt")));
    ShellCopyOrMove(s.f.Path(QStringLiteral("moved/one.txt")), s.f.Path(QStringLiteral("moved/uno.txt")),
                    false, true, false);
    EXPECT_TRUE(s.f.Has(QStringLiteral("moved/uno.txt")));
    // A failure that nobody cancelled raises its text; a missing source is one.
    EXPECT_THROW(ShellCopyOrMove(s.f.Path(QStringLiteral("nothing")), s.f.Path(QStringLiteral("x")), false,
                                 false, false),
                 Exception);

    // Across file systems the source goes only after its copy is complete.
    QTemporaryDir other(QStringLiteral("/dev/shm/kds-XXXXXX"));
    struct stat a, b;
    if (other.isValid() && ::stat(other.path().toUtf8().constData(), &a) == 0 &&
        ::stat(s.f.dir.path().toUtf8().constData(), &b) == 0 && a.st_dev != b.st_dev) {
        op.Source = s.f.Path(QStringLiteral("moved"));
        op.Destination = other.path() + QStringLiteral("/far");
        EXPECT_TRUE(op.Execute());
        EXPECT_EQ(ReadFile(other.path() + QStringLiteral("/far/sub/two.txt")), QByteArray("2"));
        EXPECT_FALSE(s.f.Has(QStringLiteral("moved")));
    }
}

TEST(ShellFileOperator, FolderMovedOntoAFolderOfItsNameJoinsIt) {
    ShellFixture s;
    s.f.Put(QStringLiteral("tree/a.txt"), "a");
    s.f.Put(QStringLiteral("tree/sub/b.txt"), "b");
    s.f.Put(QStringLiteral("dest/tree/old.txt"), "old");
    s.f.Put(QStringLiteral("dest/tree/sub/c.txt"), "c");
    TShellFileOperator op;
    op.Operation = foMove;
    op.Options = flNoConfirmation;
    op.Source = s.f.Path(QStringLiteral("tree"));
    op.Destination = s.f.Path(QStringLiteral("dest"));
    EXPECT_TRUE(op.Execute());
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dest/tree/a.txt"))), QByteArray("a"));
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dest/tree/sub/b.txt"))), QByteArray("b"));
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dest/tree/sub/c.txt"))), QByteArray("c"));
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dest/tree/old.txt"))), QByteArray("old"));
    EXPECT_FALSE(s.f.Has(QStringLiteral("tree")));
}

TEST(ShellFileOperator, FolderMoveAcrossFileSystemsKeepsWhatWasNotMoved) {
    ShellFixture s;
    QTemporaryDir other(QStringLiteral("/dev/shm/kds-XXXXXX"));
    struct stat a, b;
    if (!other.isValid() || ::stat(other.path().toUtf8().constData(), &a) != 0 ||
        ::stat(s.f.dir.path().toUtf8().constData(), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system";
    s.f.Put(QStringLiteral("tree/keep.txt"), "mine");
    s.f.Put(QStringLiteral("tree/go.txt"), "go");
    s.f.Put(QStringLiteral("tree/sub/deep.txt"), "deep");
    s.f.Put(QStringLiteral("tree/swap.txt"), "new");
    const QString far = other.path() + QStringLiteral("/tree");
    QDir().mkpath(far);
    WriteFile(far + QStringLiteral("/keep.txt"), "theirs");
    WriteFile(far + QStringLiteral("/swap.txt"), "old");
    TShellFileOperator op;
    op.Operation = foMove;
    op.Options = flSilent;
    op.Source = s.f.Path(QStringLiteral("tree"));
    op.Destination = other.path();
    s.ui.Overwrite = {MFileOperationUI::oaNo, MFileOperationUI::oaYes};
    EXPECT_TRUE(op.Execute());
    EXPECT_EQ(s.ui.Asked, (QStringList{QStringLiteral("keep.txt"), QStringLiteral("swap.txt")}))
        << "each target is asked about once";
    EXPECT_EQ(ReadFile(far + QStringLiteral("/swap.txt")), QByteArray("new"));
    // The file the person chose not to replace stays where it was, on both sides.
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("tree/keep.txt"))), QByteArray("mine"));
    EXPECT_EQ(ReadFile(far + QStringLiteral("/keep.txt")), QByteArray("theirs"));
    EXPECT_EQ(ReadFile(far + QStringLiteral("/go.txt")), QByteArray("go"));
    EXPECT_EQ(ReadFile(far + QStringLiteral("/sub/deep.txt")), QByteArray("deep"));
    EXPECT_FALSE(s.f.Has(QStringLiteral("tree/go.txt")));
    EXPECT_FALSE(s.f.Has(QStringLiteral("tree/sub")));
}

TEST(ShellFileOperator, NamesThatAreNotUtf8AreCopiedAsTheyAre) {
    ShellFixture s;
    s.f.Put(QStringLiteral("src/plain.txt"), "plain");
    const std::string odd =
        (QFile::encodeName(s.f.Path(QStringLiteral("src"))) + "/k\xff\xfe.dat").toStdString();
    {
        std::FILE* f = std::fopen(odd.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("odd", f);
        std::fclose(f);
    }
    TShellFileOperator op;
    op.Options = flSilent | flNoConfirmMkDir;
    op.Source = s.f.Path(QStringLiteral("src"));
    op.Destination = s.f.Path(QStringLiteral("dst"));
    EXPECT_TRUE(op.Execute()) << op.LastError.toStdString();
    const std::string copied =
        (QFile::encodeName(s.f.Path(QStringLiteral("dst"))) + "/k\xff\xfe.dat").toStdString();
    std::FILE* f = std::fopen(copied.c_str(), "rb");
    ASSERT_NE(f, nullptr) << "the copy keeps the name's bytes";
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 3u);
    std::fclose(f);
    EXPECT_STREQ(buf, "odd");
    EXPECT_EQ(ReadFile(s.f.Path(QStringLiteral("dst/plain.txt"))), QByteArray("plain"));
    // The temporary folder's own clean-up goes by decoded names.
    std::remove(odd.c_str());
    std::remove(copied.c_str());
}

TEST(ShellFileOperator, DeletesToTheTrashAndFilesOnly) {
    ShellFixture s;
    s.f.Put(QStringLiteral("work/a.tmp"), "a");
    s.f.Put(QStringLiteral("work/b.tmp"), "b");
    s.f.Put(QStringLiteral("work/keep.tmp/inner"), "c");
    TShellFileOperator op;
    op.Operation = foDelete;
    op.Options = flAllowUndo | flFilesOnly | flSilent;
    op.Source = s.f.Path(QStringLiteral("work/*.tmp"));
    EXPECT_TRUE(op.Execute());
    EXPECT_FALSE(s.f.Has(QStringLiteral("work/a.tmp")));
    EXPECT_TRUE(s.f.Has(QStringLiteral("work/keep.tmp/inner"))) << "files only for wild cards";
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    EXPECT_EQ(ReadFile(trash + QStringLiteral("/files/a.tmp")), QByteArray("a"));
    const QByteArray info = ReadFile(trash + QStringLiteral("/info/a.tmp.trashinfo"));
    EXPECT_TRUE(info.contains("Path=")) << info.constData();
    EXPECT_TRUE(info.contains("DeletionDate="));

    // Without undo the folder goes for good.
    op.Options = flSilent;
    op.Source = s.f.Path(QStringLiteral("work/keep.tmp"));
    EXPECT_TRUE(op.Execute());
    EXPECT_FALSE(s.f.Has(QStringLiteral("work/keep.tmp")));
}

namespace {

// A copy into a folder below Folder, and a copy from it by wild cards, with and without the
// folder question: each fails with its error shown, nothing asked and the progress window closed.
void ExpectUnreachable(ShellFixture& S, const QString& Folder) {
    S.f.Put(QStringLiteral("src/a.txt"), "a");
    for (TFileOperFlags flags : {TFileOperFlags(flNoConfirmMkDir), TFileOperFlags(0)}) {
        TShellFileOperator op;
        op.Options = flags | flNoConfirmation;
        op.Source = S.f.Path(QStringLiteral("src/a.txt"));
        op.Destination = Folder + QStringLiteral("/sub/a.txt");
        S.ui.Errors.clear();
        S.ui.Asked.clear();
        EXPECT_FALSE(op.Execute());
        EXPECT_FALSE(op.Aborted);
        ASSERT_EQ(S.ui.Errors.size(), 1);
        EXPECT_TRUE(S.ui.Errors[0].startsWith(QStringLiteral("Cannot create file")))
            << S.ui.Errors[0].toStdString();
        EXPECT_EQ(op.LastError, S.ui.Errors[0]);
        EXPECT_FALSE(S.ui.ProgressOpen);
        EXPECT_TRUE(S.ui.Asked.isEmpty()) << "nothing to ask about a folder that cannot be reached";
    }
    TShellFileOperator op;
    op.Options = flNoConfirmation | flNoConfirmMkDir;
    op.Source = Folder + QStringLiteral("/*.txt");
    op.Destination = S.f.Path(QStringLiteral("dst"));
    S.ui.Errors.clear();
    EXPECT_FALSE(op.Execute()) << "a folder that cannot be searched is no empty match";
    ASSERT_EQ(S.ui.Errors.size(), 1);
    EXPECT_TRUE(S.ui.Errors[0].startsWith(QStringLiteral("Cannot open file")))
        << S.ui.Errors[0].toStdString();
    EXPECT_FALSE(S.ui.ProgressOpen);
    EXPECT_FALSE(S.f.Has(QStringLiteral("dst")));
}

} // namespace

TEST(ShellFileOperator, AFolderThatCannotBeReachedIsAnErrorShownWithTheProgressWindowClosed) {
    // A link that leads to itself and a name longer than the system takes stop the superuser too.
    ShellFixture s;
    const QString loop = s.f.Path(QStringLiteral("loop"));
    ASSERT_TRUE(QFile::link(loop, loop));
    for (const QString& folder : {loop, s.f.Path(QString(300, QLatin1Char('n')))}) {
        SCOPED_TRACE(folder.size() > 300 ? "a name too long" : "a link to itself");
        ExpectUnreachable(s, folder);
    }
    // A wild card in a folder that is not there names the folder.
    TShellFileOperator op;
    op.Options = flNoConfirmation | flNoConfirmMkDir;
    op.Source = s.f.Path(QStringLiteral("gone/*.txt"));
    op.Destination = s.f.Path(QStringLiteral("dst"));
    s.ui.Errors.clear();
    EXPECT_FALSE(op.Execute());
    ASSERT_EQ(s.ui.Errors.size(), 1);
    EXPECT_EQ(s.ui.Errors[0], QStringLiteral("Cannot find (%1).").arg(s.f.Path(QStringLiteral("gone/"))));
}

TEST(ShellFileOperator, AFolderWithoutPermissionsIsAnErrorShownWithTheProgressWindowClosed) {
    ShellFixture s;
    const QString locked = s.f.Path(QStringLiteral("locked"));
    s.f.Put(QStringLiteral("locked/b.txt"), "b");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    struct Unlock {
        QByteArray Name;
        ~Unlock() { ::chmod(Name.constData(), 0700); }
    } unlock{QFile::encodeName(locked)};
    if (::access(QFile::encodeName(locked + QStringLiteral("/b.txt")).constData(), F_OK) == 0)
        GTEST_SKIP() << "permissions do not stop the superuser; the folders of the test before stop everyone";
    ExpectUnreachable(s, locked);
}
