// Two stations from the shell: modemtool send and modemtool receive through modemsim, with faults
// on the line.
#include "model/ULstFile.h"
#include "model/UunvList.h"
#include "tests/support/TestSupport.h"
#include "tests/transfer/ModemSim.h"
#include "tests/transfer/TransferFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

using kdstest::ReadFile;
using kdstest::WriteFile;

namespace {
// The first byte of the machine file whose change (as modemsim corrupts it) its reader refuses.
qsizetype RefusedCorruption(const QByteArray& lst) {
    for (qsizetype at = 0; at < lst.size(); ++at) {
        QByteArray bad = lst;
        bad[at] = char(bad[at] ^ 0x5A);
        try {
            MProgramLists program;
            ReadMachineFile(bad, QStringLiteral("abc_740e7.LST"), program.Machine, program.Lists());
        } catch (const std::exception&) {
            return at;
        }
    }
    return -1;
}

struct Outcome {
    int SendCode = -1, ReceiveCode = -1;
    QByteArray SendOut, ReceiveOut, SendErr, ReceiveErr;
};

Outcome Transfer(ModemSim& sim, const QString& lst, const QString& folder, const QStringList& faults,
                 int timeout) {
    Outcome r;
    EXPECT_TRUE(sim.Start(faults));
    QProcess receiver, sender;
    const QString t = QString::number(timeout);
    receiver.start(QStringLiteral(MODEMTOOL_PATH),
                   {QStringLiteral("receive"), QStringLiteral("--device"), sim.PathB(),
                    QStringLiteral("--folder"), folder, QStringLiteral("--timeout"), t,
                    QStringLiteral("--guard"), QStringLiteral("40")});
    // The receiver says when it holds its line; probing the device from here would race its own opening.
    QByteArray receiverErr;
    EXPECT_TRUE(WaitUntil([&] {
        receiverErr += receiver.readAllStandardError();
        return receiverErr.contains("waiting for a call") || receiver.state() == QProcess::NotRunning;
    }));
    sender.start(QStringLiteral(MODEMTOOL_PATH),
                 {QStringLiteral("send"), QStringLiteral("--device"), sim.PathA(), QStringLiteral("--number"),
                  QStringLiteral("102"), QStringLiteral("--timeout"), t, QStringLiteral("--guard"),
                  QStringLiteral("40"), lst});
    EXPECT_TRUE(sender.waitForFinished(30000));
    EXPECT_TRUE(receiver.waitForFinished(30000));
    r.SendCode = sender.exitCode();
    r.ReceiveCode = receiver.exitCode();
    r.SendOut = sender.readAllStandardOutput();
    r.SendErr = sender.readAllStandardError();
    r.ReceiveOut = receiver.readAllStandardOutput();
    r.ReceiveErr = receiverErr + receiver.readAllStandardError();
    return r;
}

struct Project {
    QTemporaryDir Dir;
    QByteArray Jxw = QByteArray(448, 'j'), Lst = MachineFileBytes(6144), Bmp = PictureBytes(20, 20, 5000);
    Project() {
        WriteFile(Dir.filePath(QStringLiteral("abc_740e7.JXW")), Jxw);
        WriteFile(Dir.filePath(QStringLiteral("abc_740e7.LST")), Lst);
        WriteFile(Dir.filePath(QStringLiteral("abc_740e7.BMP")), Bmp);
    }
    QString Chosen() const { return Dir.filePath(QStringLiteral("abc_740e7.LST")); }
};
} // namespace

TEST(ModemTool, AProjectTravelsBetweenTwoStations) {
    Project p;
    ModemSim sim;
    QTemporaryDir folder;
    const Outcome r = Transfer(sim, p.Chosen(), folder.path(), {}, 2);
    ASSERT_EQ(r.SendCode, 0) << r.SendErr.toStdString();
    ASSERT_EQ(r.ReceiveCode, 0) << r.ReceiveErr.toStdString();
    EXPECT_EQ(r.SendOut,
              QByteArray("sent abc_740e7.JXW 448\nsent abc_740e7.LST 6144\nsent abc_740e7.BMP 5000\nok\n"));
    EXPECT_TRUE(r.ReceiveOut.endsWith("ok\n"));
    EXPECT_TRUE(r.ReceiveOut.contains(
        "received " + QFile::encodeName(folder.filePath(QStringLiteral("abc_740e7.LST"))) + " 6144\n"));
    const QByteArray stream = ReadFile(sim.LogA());
    EXPECT_EQ(stream.size(), 11908);
    EXPECT_EQ(stream.left(14), QByteArray("abc_740e7.JXW\0", 14));
    EXPECT_EQ(ReadFile(sim.LogB()), QByteArray("OK").repeated(8));
    EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("abc_740e7.JXW"))), p.Jxw);
    EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("abc_740e7.LST"))), p.Lst);
    EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("abc_740e7.BMP"))), p.Bmp);
}

TEST(ModemTool, FaultsOnTheLineLeaveTheReceiveFolderAsItWas) {
    Project p;
    const qsizetype lstAt = 316 + 448;
    const qsizetype corrupt = RefusedCorruption(p.Lst);
    ASSERT_GE(corrupt, 0);
    const auto n = [](qsizetype v) { return QString::number(v); };
    // A cut line brings the modem's "NO CARRIER" before it drops: never taken for the answer.
    const char* broken = "error: Connection has been broken during read.";
    const char* unexpected = "error: Unexpected answer from the other station.";
    const struct {
        const char* Name;
        QStringList Faults;
        int Timeout;
        bool Succeeds;
        // The sender's error, when the case decides it.
        const char* SendError = nullptr;
    } cases[] = {
        {"cut in the header", {"--fault", "A=cut@100"}, 2, false, broken},
        {"cut at a block boundary", {"--fault", "A=cut@" + n(lstAt + 2048)}, 2, false, broken},
        {"cut inside the last block", {"--fault", "A=cut@11900"}, 2, false, broken},
        {"a dropped data byte", {"--fault", "A=drop@3000:1"}, 2, false},
        {"an inserted byte in the machine file", {"--fault", "A=insert@" + n(lstAt + 10) + ":41"}, 2, false},
        {"a corrupted byte in the machine file", {"--fault", "A=corrupt@" + n(lstAt + corrupt)}, 2, false},
        {"a corrupted OK", {"--fault", "B=corrupt@4"}, 2, false, unexpected},
        {"a stall of 3 s", {"--fault", "A=stall@3000:3"}, 2, false},
        {"a stall of 1.5 s", {"--fault", "A=stall@3000:1.5"}, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir folder;
        WriteFile(folder.filePath(QStringLiteral("abc_740e7.JXW")), "prepared");
        WriteFile(folder.filePath(QStringLiteral("abc_740e7.lst")), "prepared");
        WriteFile(folder.filePath(QStringLiteral("abc_740e7.BMP")), "prepared");
        const auto before = Snapshot(folder.path());
        ModemSim sim;
        const Outcome r = Transfer(sim, p.Chosen(), folder.path(), c.Faults, c.Timeout);
        if (c.Succeeds) {
            EXPECT_EQ(r.SendCode, 0) << r.SendErr.toStdString();
            EXPECT_EQ(r.ReceiveCode, 0) << r.ReceiveErr.toStdString();
            // The prepared project keeps its name; the received one is kept beside it.
            EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("abc_2_740e7.LST"))), p.Lst);
            auto after = Snapshot(folder.path());
            for (const auto& [path, bytes] : before)
                EXPECT_EQ(after[path], bytes) << path.toStdString();
            continue;
        }
        EXPECT_EQ(r.SendCode, 1);
        EXPECT_TRUE(r.SendErr.startsWith("error: ")) << r.SendErr.toStdString();
        if (c.SendError) {
            EXPECT_TRUE(r.SendErr.contains(c.SendError)) << r.SendErr.toStdString();
        }
        EXPECT_EQ(r.ReceiveCode, 1) << r.ReceiveOut.toStdString();
        EXPECT_EQ(Snapshot(folder.path()), before);
    }
}

TEST(ModemTool, ACutAfterTheReceiversCommitFailsOnlyTheSender) {
    Project p;
    ModemSim sim;
    QTemporaryDir folder;
    // The receiver's eighth OK (bytes 14 and 15 of its stream) never arrives.
    const Outcome r =
        Transfer(sim, p.Chosen(), folder.path(), {QStringLiteral("--fault"), QStringLiteral("B=cut@14")}, 2);
    EXPECT_EQ(r.SendCode, 1);
    EXPECT_EQ(r.ReceiveCode, 0) << r.ReceiveErr.toStdString();
    EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("abc_740e7.LST"))), p.Lst);
}

TEST(ModemTool, ASlowLineSucceedsWhileBytesKeepComing) {
    // 600 bytes/s: each 2048-byte block takes longer than the time-out of 2 s.
    QTemporaryDir dir;
    const QByteArray lst = MachineFileBytes(2100);
    WriteFile(dir.filePath(QStringLiteral("small_740e7.LST")), lst);
    ModemSim sim;
    QTemporaryDir folder;
    const Outcome r = Transfer(sim, dir.filePath(QStringLiteral("small_740e7.LST")), folder.path(),
                               {QStringLiteral("--rate"), QStringLiteral("600")}, 2);
    EXPECT_EQ(r.SendCode, 0) << r.SendErr.toStdString();
    EXPECT_EQ(r.ReceiveCode, 0) << r.ReceiveErr.toStdString();
    EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("small_740e7.LST"))), lst);
}
