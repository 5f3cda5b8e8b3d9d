// A set of files written all or nothing: bytes and ready files put in place together, and a set
// that fails at any step leaving the folder byte for byte as it was.
#include "platform/FileSet.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>

namespace {
// Every entry of a folder with its bytes.
std::map<QString, QByteArray> Snapshot(const QString& Folder) {
    std::map<QString, QByteArray> s;
    const QFileInfoList entries = QDir(Folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries)
        s[e.fileName()] = e.isFile() && !e.isSymLink() ? kdstest::ReadFile(e.filePath()) : QByteArray();
    return s;
}

// Steps that fail where a test says: the Nth file put in place (by exchange or rename) with EIO,
// and a file system that cannot exchange two names, link a file or copy it.
class TSteps : public MFileSetSteps {
public:
    int FailPutAt = 0;
    bool NoExchange = false;
    bool NoLink = false;
    bool NoCopy = false;
    int Exchange(const QByteArray& From, const QByteArray& To) override {
        if (NoExchange)
            return EINVAL;
        return Put() ? MFileSetSteps::Exchange(From, To) : EIO;
    }
    int Rename(const QByteArray& From, const QByteArray& To) override {
        return Put() ? MFileSetSteps::Rename(From, To) : EIO;
    }
    int Link(const QByteArray& Existing, const QByteArray& New) override {
        return NoLink ? EPERM : MFileSetSteps::Link(Existing, New);
    }
    int Copy(const QByteArray& Existing, const QByteArray& New) override {
        return NoCopy ? EACCES : MFileSetSteps::Copy(Existing, New);
    }

    // Every put from FailPutAt on fails, the taking back included.
    bool FailOnward = false;

private:
    bool Put() {
        ++FPuts;
        return FailOnward ? FailPutAt == 0 || FPuts < FailPutAt : FPuts != FailPutAt;
    }
    int FPuts = 0;
};

struct TFolder {
    QTemporaryDir Dir;
    QString Path(const QString& Name) const { return Dir.path() + QLatin1Char('/') + Name; }
    // The old set: a.LST and b.BMP (c.JXW is new).
    TFolder() {
        kdstest::WriteFile(Path(QStringLiteral("a.LST")), "old a");
        kdstest::WriteFile(Path(QStringLiteral("b.BMP")), "old b");
        EXPECT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("in")));
    }
    // The new set: a's bytes, and b and c from ready files in the folder "in".
    std::vector<MFileWrite> NewSet() {
        kdstest::WriteFile(Path(QStringLiteral("in/b")), "new b");
        kdstest::WriteFile(Path(QStringLiteral("in/c")), "new c");
        return {{Path(QStringLiteral("a.LST")), "new a"},
                {Path(QStringLiteral("b.BMP")), QByteArray(), Path(QStringLiteral("in/b"))},
                {Path(QStringLiteral("c.JXW")), QByteArray(), Path(QStringLiteral("in/c"))}};
    }
};
} // namespace

// Bytes and ready files go in together; the ready files are gone after, and nothing else stays.
TEST(FileSet, BytesAndReadyFilesGoInTogether) {
    TFolder f;
    std::vector<MFileWrite> set = f.NewSet();
    WriteFileSet(set);
    const std::map<QString, QByteArray> expected{{QStringLiteral("a.LST"), "new a"},
                                                 {QStringLiteral("b.BMP"), "new b"},
                                                 {QStringLiteral("c.JXW"), "new c"},
                                                 {QStringLiteral("in"), QByteArray()}};
    EXPECT_EQ(Snapshot(f.Dir.path()), expected);
    EXPECT_TRUE(QDir(f.Path(QStringLiteral("in"))).isEmpty());
}

// A set whose Nth file cannot be put in place: the old files as they were, the new one not made,
// no temporary left and the ready files gone; the error names the file.
TEST(FileSet, AFailureAtAnyFileLeavesTheOldSet) {
    for (int failAt = 1; failAt <= 3; ++failAt) {
        SCOPED_TRACE(failAt);
        TFolder f;
        std::vector<MFileWrite> set = f.NewSet();
        std::map<QString, QByteArray> before = Snapshot(f.Dir.path());
        TSteps steps;
        steps.FailPutAt = failAt;
        try {
            WriteFileSet(set, &steps);
            ADD_FAILURE() << "written";
        } catch (const EFileSetError& e) {
            EXPECT_EQ(e.File, set[std::size_t(failAt - 1)].Target);
            EXPECT_EQ(e.Reason, QString::fromLocal8Bit(std::strerror(EIO)));
        }
        EXPECT_EQ(Snapshot(f.Dir.path()), before);
        EXPECT_TRUE(QDir(f.Path(QStringLiteral("in"))).isEmpty());
    }
}

// An old file that cannot be exchanged back after a failure keeps its bytes under the temporary's
// name, which the error names, instead of going with the temporaries.
TEST(FileSet, AnOldFileThatCannotBePutBackKeepsItsBytesAndIsNamed) {
    TFolder f;
    std::vector<MFileWrite> set = f.NewSet();
    TSteps steps;
    steps.FailPutAt = 3;
    steps.FailOnward = true;
    try {
        WriteFileSet(set, &steps);
        ADD_FAILURE() << "written";
    } catch (const EFileSetError& e) {
        EXPECT_TRUE(e.Reason.contains(QStringLiteral("cannot be put back"))) << e.Reason.toStdString();
    }
    // A ready file's old bytes stay where the ready file stood.
    int oldA = 0, oldB = 0;
    for (const QString& folder : {f.Dir.path(), f.Path(QStringLiteral("in"))})
        for (const auto& [name, bytes] : Snapshot(folder)) {
            oldA += bytes == "old a";
            oldB += bytes == "old b";
        }
    EXPECT_EQ(oldA, 1);
    EXPECT_EQ(oldB, 1);
}

// Where the file system cannot exchange two names, each old file is kept (a second name, else a
// copy) before the new one is renamed over it: a set failing at any file puts every old file back
// byte for byte and leaves no kept or temporary file; one that succeeds leaves none either. Where
// the old file can be neither linked nor copied, the set is refused and nothing changes.
TEST(FileSet, WhereNamesCannotBeExchangedTheOldFilesAreKeptAndPutBack) {
    const struct {
        const char* Keep;
        bool NoLink, NoCopy;
    } cases[] = {{"second name", false, false}, {"copy", true, false}, {"nothing", true, true}};
    for (const auto& c : cases) {
        for (int failAt = 0; failAt <= 3; ++failAt) {
            SCOPED_TRACE(std::string(c.Keep) + " kept, failing at " + std::to_string(failAt));
            TFolder f;
            std::vector<MFileWrite> set = f.NewSet();
            const std::map<QString, QByteArray> before = Snapshot(f.Dir.path());
            TSteps steps;
            steps.NoExchange = true;
            steps.NoLink = c.NoLink;
            steps.NoCopy = c.NoCopy;
            steps.FailPutAt = failAt;
            try {
                WriteFileSet(set, &steps);
                EXPECT_FALSE(c.NoCopy || failAt > 0) << "written";
                const std::map<QString, QByteArray> after{{QStringLiteral("a.LST"), "new a"},
                                                          {QStringLiteral("b.BMP"), "new b"},
                                                          {QStringLiteral("c.JXW"), "new c"},
                                                          {QStringLiteral("in"), QByteArray()}};
                EXPECT_EQ(Snapshot(f.Dir.path()), after);
            } catch (const EFileSetError& e) {
                // Refused at the first old file, before any file moved.
                EXPECT_EQ(e.Unsafe, c.NoCopy);
                EXPECT_EQ(e.File, set[c.NoCopy ? 0 : std::size_t(failAt - 1)].Target);
                EXPECT_EQ(Snapshot(f.Dir.path()), before);
            }
            EXPECT_TRUE(QDir(f.Path(QStringLiteral("in"))).isEmpty());
        }
    }
}
