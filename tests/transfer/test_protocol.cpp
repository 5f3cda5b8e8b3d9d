#include "model/ULstFile.h"
#include "model/UunvList.h"
#include "tests/support/TestSupport.h"
#include "tests/transfer/TransferFiles.h"
#include "transfer/SerialPort.h"
#include "transfer/TransferProtocol.h"
#include "ui/UmessageCatalog.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

using kdstest::ReadFile;
using kdstest::WriteFile;

namespace {
// A line held in memory: reads take from In (a short supply is a cut), writes go to Out.
struct MemoryChannel : IByteChannel {
    QByteArray In;
    qsizetype At = 0;
    QByteArray Out;
    void ReadExact(char* buffer, qsizetype count) override {
        if (In.size() - At < count) {
            At = In.size();
            throw ESerialError(ESerialError::Broken,
                               QStringLiteral("Connection has been broken during read."));
        }
        memcpy(buffer, In.constData() + At, size_t(count));
        At += count;
    }
    void WriteExact(const char* buffer, qsizetype count) override { Out.append(buffer, count); }
};

TTransferHeader Header(std::array<const char*, 3> names, std::array<std::int32_t, 3> sizes,
                       std::int32_t block = 2048) {
    TTransferHeader h;
    for (int i = 0; i < 3; ++i) {
        h.Names[size_t(i)] = names[size_t(i)];
        h.Sizes[size_t(i)] = sizes[size_t(i)];
    }
    h.Block = block;
    return h;
}

// A project abc_740e7 on the sending side.
struct SendingSide {
    QTemporaryDir Dir;
    QByteArray Jxw = QByteArray(448, 'j'), Lst = MachineFileBytes(), Bmp = PictureBytes(40, 30);
    SendingSide() {
        WriteFile(Dir.filePath(QStringLiteral("abc_740e7.jxw")), Jxw);
        WriteFile(Dir.filePath(QStringLiteral("abc_740e7.LST")), Lst);
        WriteFile(Dir.filePath(QStringLiteral("Abc_740e7.Bmp")), Bmp);
    }
    QString Chosen() const { return Dir.filePath(QStringLiteral("abc_740e7.LST")); }
    // The sender's stream, played against a receiver that answers every "OK".
    QByteArray Stream() const {
        MemoryChannel c;
        c.In = QByteArray("OK").repeated(100);
        SendProject(c, ReadOutgoingProject(Chosen()));
        return c.Out;
    }
};
} // namespace

TEST(TransferHeader, EncodesNamesSizesAndBlockSizeLittleEndian) {
    const TTransferHeader h = Header({"abc_740e7.JXW", "abc_740e7.LST", "abc_740e7.BMP"}, {448, 6144, 5000});
    const QByteArray b = h.Encode();
    ASSERT_EQ(b.size(), 316);
    EXPECT_EQ(b.mid(300).toHex(' '), QByteArray("c0 01 00 00 00 18 00 00 88 13 00 00 00 08 00 00"));
    EXPECT_EQ(b.left(14), QByteArray("abc_740e7.JXW\0", 14));
    EXPECT_EQ(b.mid(100, 14), QByteArray("abc_740e7.LST\0", 14));
    const TTransferHeader back = TTransferHeader::Decode(b);
    EXPECT_EQ(back.Names, h.Names);
    EXPECT_EQ(back.Sizes, h.Sizes);
    EXPECT_EQ(back.Block, 2048);
    // Bytes after a name's zero are ignored.
    QByteArray dirty = b;
    dirty[20] = 'Z';
    EXPECT_EQ(TTransferHeader::Decode(dirty).Names[0], QByteArray("abc_740e7.JXW"));
}

TEST(TransferHeader, BlockArithmetic) {
    EXPECT_EQ(BlockCount(4096, 2048), 2);
    EXPECT_EQ(BlockCount(4097, 2048), 3);
    EXPECT_EQ(BlockCount(1, 2048), 1);
    EXPECT_EQ(BlockCount(2047, 2048), 1);
    EXPECT_EQ(BlockCount(0, 2048), 0);
}

TEST(TransferHeader, TheReceiverRefusesAHostileHeaderWithoutAnswerAndWritesNothing) {
    const struct {
        TTransferHeader H;
        int SubCode;
    } cases[] = {
        {Header({"a.JXW", "a.LST", "a.BMP"}, {1, 1, 1}, 0), TransferText::BadBlockSize},
        {Header({"a.JXW", "a.LST", "a.BMP"}, {1, 1, 1}, 10001), TransferText::BadBlockSize},
        {Header({"a.JXW", "a.LST", "a.BMP"}, {1, 1, 1}, -5), TransferText::BadBlockSize},
        {Header({"", "../x.LST", ""}, {0, 10, 0}), TransferText::BadFileName},
        {Header({"", "/tmp/x.LST", ""}, {0, 10, 0}), TransferText::BadFileName},
        {Header({"", "a\\b.LST", ""}, {0, 10, 0}), TransferText::BadFileName},
        {Header({"", "C:x.LST", ""}, {0, 10, 0}), TransferText::BadFileName},
        {Header({"", "x.so", ""}, {0, 10, 0}), TransferText::BadFileName},
        {Header({"", "x\n.LST", ""}, {0, 10, 0}), TransferText::BadFileName},
        {Header({"", "x\x7f.LST", ""}, {0, 10, 0}), TransferText::BadFileName},
        {Header({"", ".LST", ""}, {0, 10, 0}), TransferText::BadFileName},
        {Header({"x.LST", "", ""}, {10, 0, 0}), TransferText::BadFileName}, // another slot's extension
        {Header({"a.JXW", "b.LST", ""}, {10, 10, 0}), TransferText::MixedProjects},
        {Header({"", "x.LST", ""}, {0, 0x7FFFFFFF, 0}), TransferText::FileTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.H.Names[1].toStdString() + " " + std::to_string(c.H.Block));
        QTemporaryDir folder;
        MemoryChannel ch;
        ch.In = c.H.Encode() + QByteArray(64, 'x');
        try {
            ReceiveProject(ch, folder.path(), {});
            ADD_FAILURE() << "accepted";
        } catch (const ETransferError& e) {
            EXPECT_EQ(e.SubCode(), c.SubCode) << e.Message().toStdString();
        }
        EXPECT_TRUE(ch.Out.isEmpty());
        EXPECT_TRUE(Snapshot(folder.path()).empty());
    }
    // A name of 100 bytes has no room for its zero.
    TTransferHeader h = Header({"", "", ""}, {0, 10, 0});
    QByteArray raw = h.Encode();
    raw.replace(100, 100, QByteArray(96, 'n') + ".LST");
    EXPECT_THROW(CheckHeader(TTransferHeader::Decode(raw)), ETransferError);
}

TEST(TransferHeader, NamesInWindows1256AreDecodedAndSlotsNotSentAreNotChecked) {
    // "\xC7\xC8" is alef and beh in Windows-1256.
    const auto names = CheckHeader(Header({"junk/\x01", "\xC7\xC8_740e7.lst", ""}, {0, 10, 0}));
    EXPECT_EQ(names[1], QStringLiteral(u"\u0627\u0628_740e7.lst"));
    EXPECT_TRUE(names[0].isEmpty());
}

TEST(Transfer, AProjectTravelsWholeAndArrivesUnderCanonicalNames) {
    SendingSide s;
    const QByteArray stream = s.Stream();
    EXPECT_EQ(stream.size(), 316 + s.Jxw.size() + s.Lst.size() + s.Bmp.size());
    EXPECT_EQ(stream.left(14), QByteArray("abc_740e7.JXW\0", 14));

    QTemporaryDir folder;
    // An unrelated file stays.
    WriteFile(folder.filePath(QStringLiteral("other.LST")), "other");
    MemoryChannel ch;
    ch.In = stream;
    const TReceivedProject got = ReceiveProject(ch, folder.path(), {});
    const qsizetype blocks =
        BlockCount(s.Jxw.size(), 2048) + BlockCount(s.Lst.size(), 2048) + BlockCount(s.Bmp.size(), 2048);
    EXPECT_EQ(ch.Out, QByteArray("OK").repeated(1 + blocks));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("abc_740e7.BMP"), QStringLiteral("abc_740e7.JXW"),
                           QStringLiteral("abc_740e7.LST"), QStringLiteral("other.LST")}));
    EXPECT_EQ(ReadFile(got.Paths[slotJxw]), s.Jxw);
    EXPECT_EQ(ReadFile(got.Paths[slotLst]), s.Lst);
    EXPECT_EQ(ReadFile(got.Paths[slotBmp]), s.Bmp);
    EXPECT_EQ(got.Paths[slotLst], folder.filePath(QStringLiteral("abc_740e7.LST")));
    EXPECT_EQ(got.SentName, QStringLiteral("abc_740e7"));
    EXPECT_EQ(got.KeptName, QStringLiteral("abc_740e7"));
}

TEST(Transfer, AReceivedProjectWhoseNameIsTakenIsKeptUnderAFreeNameAndNothingLocalChanges) {
    SendingSide s;
    // The same project sent without its project data file.
    SendingSide noJxw;
    QFile::remove(noJxw.Dir.filePath(QStringLiteral("abc_740e7.jxw")));
    const struct {
        const char* Name;
        QStringList Local; // files here before ("name/" for a folder)
        bool SentJxw;
        const char* Kept;
    } cases[] = {
        {"the same name", {"abc_740e7.JXW", "abc_740e7.LST", "abc_740e7.BMP"}, true, "abc_2_740e7"},
        {"another spelling of one file", {"ABC_740E7.lst"}, true, "abc_2_740e7"},
        {"only the project data file, the project sent without its own",
         {"abc_740e7.JXW"},
         false,
         "abc_2_740e7"},
        {"a folder under the picture's name", {"abc_740e7.BMP/"}, true, "abc_2_740e7"},
        {"the first copy's name taken too", {"abc_740e7.LST", "Abc_2_740e7.bmp"}, true, "abc_3_740e7"},
        {"a name taken by another project only", {"abc_740e7x.LST", "abc_740e7.txt"}, true, "abc_740e7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir folder;
        for (const QString& name : c.Local) {
            if (name.endsWith(QLatin1Char('/')))
                ASSERT_TRUE(QDir(folder.path()).mkdir(name.chopped(1)));
            else
                WriteFile(folder.filePath(name), "local " + name.toUtf8());
        }
        const auto before = Snapshot(folder.path());
        MemoryChannel ch;
        ch.In = c.SentJxw ? s.Stream() : noJxw.Stream();
        const TReceivedProject got = ReceiveProject(ch, folder.path(), {});
        const QString kept = QString::fromLatin1(c.Kept);
        EXPECT_EQ(got.SentName, QStringLiteral("abc_740e7"));
        EXPECT_EQ(got.KeptName, kept);
        // Every local entry as it was, and beside them only the received files under the free name.
        auto after = Snapshot(folder.path());
        for (const auto& [path, bytes] : before) {
            EXPECT_EQ(after[path], bytes) << path.toStdString();
            after.erase(path);
        }
        std::map<QString, QByteArray> expected{{folder.filePath(kept + QStringLiteral(".LST")), s.Lst},
                                               {folder.filePath(kept + QStringLiteral(".BMP")), s.Bmp}};
        if (c.SentJxw)
            expected[folder.filePath(kept + QStringLiteral(".JXW"))] = s.Jxw;
        EXPECT_EQ(after, expected);
        EXPECT_EQ(got.Paths[slotJxw], c.SentJxw ? folder.filePath(kept + QStringLiteral(".JXW")) : QString());
        EXPECT_EQ(got.Paths[slotLst], folder.filePath(kept + QStringLiteral(".LST")));
    }
}

TEST(Transfer, ACallWhoseFilesWouldLeaveTooLittleFreeSpaceIsRefusedBeforeItsFirstOK) {
    SendingSide s;
    const qint64 announced = s.Jxw.size() + s.Lst.size() + s.Bmp.size();
    const struct {
        qint64 Free;
        bool Kept;
    } cases[] = {
        {announced + MinFreeAfterReceive, true},
        {announced + MinFreeAfterReceive - 1, false},
        {MinFreeAfterReceive, false},
        {0, false},
        {-1, false}, // unknown
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Free);
        QTemporaryDir folder;
        QString asked;
        TReceivePlace place{[&](const QString& f) {
            asked = f;
            return c.Free;
        }};
        MemoryChannel ch;
        ch.In = s.Stream();
        try {
            ReceiveProject(ch, folder.path(), {}, place);
            EXPECT_TRUE(c.Kept);
        } catch (const ETransferError& e) {
            EXPECT_FALSE(c.Kept) << e.Message().toStdString();
            EXPECT_EQ(e.SubCode(), TransferText::NoSpace);
            EXPECT_TRUE(ch.Out.isEmpty());
            EXPECT_TRUE(Snapshot(folder.path()).empty());
        }
        EXPECT_EQ(asked, folder.path());
    }
}

namespace {
// Puts files in place as the system does, but its second rename fails.
struct SecondRenameFails : MFileSetSteps {
    int Renames = 0;
    int Rename(const QByteArray& From, const QByteArray& To) override {
        return ++Renames == 2 ? EACCES : MFileSetSteps::Rename(From, To);
    }
};
} // namespace

TEST(Transfer, AFailedReceptionLeavesTheFolderAsItWas) {
    SendingSide s;
    SecondRenameFails secondRenameFails;
    const QByteArray stream = s.Stream();
    const qsizetype lstAt = 316 + s.Jxw.size();
    const qsizetype bmpAt = lstAt + s.Lst.size();
    const struct {
        const char* Name;
        std::function<QByteArray(QByteArray)> Damage;
        int SubCode; // 0: the line breaks
        std::function<void(const QString&)> ProjectCheck;
        MFileSetSteps* Steps = nullptr;
    } cases[] = {
        {"cut in the header", [](QByteArray b) { return b.left(100); }, 0, {}},
        {"cut at a block boundary", [&](QByteArray b) { return b.left(lstAt + 2048); }, 0, {}},
        {"cut inside the last block", [](QByteArray b) { return b.left(b.size() - 10); }, 0, {}},
        {"a byte dropped", [&](QByteArray b) { return b.remove(lstAt + 5, 1); }, 0, {}},
        {"a machine file its reader refuses",
         [&](QByteArray b) { return b.replace(lstAt, s.Lst.size(), QByteArray(s.Lst.size(), '\xff')); },
         TransferText::DamagedFile,
         {}},
        {"a changed byte in the picture's header",
         [&](QByteArray b) { return b.replace(bmpAt, 2, "XX"); },
         TransferText::DamagedFile,
         {}},
        {"the project data refused by its reader", [](QByteArray b) { return b; }, TransferText::DamagedFile,
         [](const QString&) { throw EReadError(QStringLiteral("not a project")); }},
        {"the second file cannot be put in place",
         [](QByteArray b) { return b; },
         TransferText::CannotStore,
         {},
         &secondRenameFails},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir folder;
        // A prepared set of the same project stays untouched.
        WriteFile(folder.filePath(QStringLiteral("abc_740e7.JXW")), "prepared jxw");
        WriteFile(folder.filePath(QStringLiteral("abc_740e7.lst")), "prepared lst");
        const auto before = Snapshot(folder.path());
        MemoryChannel ch;
        ch.In = c.Damage(stream);
        try {
            ReceiveProject(ch, folder.path(), {c.ProjectCheck}, {{}, c.Steps});
            ADD_FAILURE() << "received";
        } catch (const ETransferError& e) {
            EXPECT_EQ(e.SubCode(), c.SubCode) << e.Message().toStdString();
        } catch (const ESerialError& e) {
            EXPECT_EQ(c.SubCode, 0) << e.Message().toStdString();
        }
        EXPECT_EQ(Snapshot(folder.path()), before);
        // The last block is never acknowledged.
        EXPECT_LT(ch.Out.size(), 2 * (1 + 1 + 3 + BlockCount(s.Bmp.size(), 2048)));
    }
}

TEST(Transfer, TheSenderInsistsOnEveryOK) {
    SendingSide s;
    const TOutgoingProject p = ReadOutgoingProject(s.Chosen());
    for (const QByteArray& answers : {QByteArray("OK") + "OX", QByteArray("OK") + "ok", QByteArray("O")}) {
        MemoryChannel ch;
        ch.In = answers + QByteArray("OK").repeated(20);
        EXPECT_ANY_THROW(SendProject(ch, p)) << answers.toStdString();
        EXPECT_EQ(ch.Out.size(), answers.size() == 1 ? 316 : 316 + 448);
    }
    MemoryChannel ch;
    ch.In = "OKOKOX";
    try {
        SendProject(ch, p);
    } catch (const ETransferError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unexpected answer from the other station."));
    }
}

TEST(Transfer, TheSenderReadsTheProjectOnceAndRefusesBeforeDialling) {
    QTemporaryDir dir;
    const QString lst = dir.filePath(QStringLiteral("knit.v2_740e7.lst"));
    WriteFile(lst, "LST");
    WriteFile(dir.filePath(QStringLiteral("KNIT.V2_740E7.bmp")), "BMP");
    TOutgoingProject p = ReadOutgoingProject(lst);
    EXPECT_EQ(p.Names, (std::array<QString, 3>{QStringLiteral("knit.v2_740e7.JXW"),
                                               QStringLiteral("knit.v2_740e7.LST"),
                                               QStringLiteral("knit.v2_740e7.BMP")}));
    EXPECT_EQ(p.Data[slotJxw], QByteArray()); // missing: announced with size 0
    EXPECT_EQ(p.Data[slotLst], QByteArray("LST"));
    EXPECT_EQ(p.Data[slotBmp], QByteArray("BMP"));

    const auto refused = [](const QString& path) {
        try {
            ReadOutgoingProject(path);
        } catch (const ETransferError& e) {
            return e.SubCode();
        }
        return 0;
    };
    WriteFile(dir.filePath(QStringLiteral("empty.LST")), "");
    EXPECT_EQ(refused(dir.filePath(QStringLiteral("empty.LST"))), TransferText::NoMachineFile);
    EXPECT_EQ(refused(dir.filePath(QStringLiteral("missing.LST"))), TransferText::NoMachineFile);
    const QString longName = dir.filePath(QString(96, QLatin1Char('n')) + QStringLiteral(".LST"));
    WriteFile(longName, "LST");
    EXPECT_EQ(refused(longName), TransferText::NameTooLong);
    QFile big(dir.filePath(QStringLiteral("big.LST")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(64 * 1024 * 1024 + 1));
    big.close();
    EXPECT_EQ(refused(big.fileName()), TransferText::SendTooLarge);

    // A picture that is there but cannot be read stops the send; it is not announced as missing.
    QTemporaryDir bad;
    WriteFile(bad.filePath(QStringLiteral("p.LST")), "LST");
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), bad.filePath(QStringLiteral("p.BMP"))));
    EXPECT_THROW(ReadOutgoingProject(bad.filePath(QStringLiteral("p.LST"))), EFOpenError);
}

TEST(TransferText, EveryTextIsInTheCatalogueInBothLanguages) {
    MMessageCatalog catalogue;
    ASSERT_TRUE(catalogue.LoadMessageFile(kdstest::SourcePath(QStringLiteral("resources/Dta/sysmsg.dta"))));
    std::vector<int> subs;
    for (int sub = TransferText::UnexpectedAnswer; sub <= TransferText::DamagedFile; ++sub)
        subs.push_back(sub);
    for (int sub = TransferText::NoSpace; sub <= TransferText::KeptAs; ++sub)
        subs.push_back(sub);
    for (const int sub : subs) {
        QString text, caption;
        catalogue.LookupMessage(1, TransferText::Code, sub, QStringLiteral("abc.LST;abc_2.LST"), text,
                                caption);
        EXPECT_EQ(ETransferError(sub, QStringLiteral("abc.LST;abc_2.LST")).Message(), text) << sub;
        QString arCaption, arText;
        EXPECT_TRUE(catalogue.FindMessage(0, TransferText::Code, sub, arCaption, arText)) << sub;
    }
}
