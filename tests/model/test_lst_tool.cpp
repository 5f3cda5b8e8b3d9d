// The command-line tool over a machine file written by the model.
#include "ModuleSamples.h"
#include "RangeSupport.h"
#include "RunFixture.h"
#include "model/UunvDta.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
using Result = kdstest::ToolResult;

Result RunTool(const QStringList& Args) {
    return kdstest::RunLstTool(Args);
}
} // namespace

TEST(LstTool, ListCopyAndValidate) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MProgramLists program;
    program.Machine.Model = 721;
    program.Machine.Gauge = 5;
    {
        MSwitchGuard off(ListsAutoValidate, false);
        MUnvN n;
        n.Number = 3;
        n.Start = 12;
        n.Count = 5;
        n.Counter = MCounter{1, 2};
        program.N.AddOrReplace(n);
        n.Number = 4;
        n.Counter = MCounter{2, 0}; // fails check 5
        program.N.AddOrReplace(n);
        MUnvFE fe;
        kdstest::FillSampleFE(fe);
        program.FE.AddOrReplace(fe);
        MUnvC c;
        c.Number = 1;
        program.C.AddOrReplace(c);
    }
    const QString in = dir.filePath(QStringLiteral("in.LST"));
    SaveMachineFile(in, program.Machine, program.Lists());

    const Result list = RunTool({QStringLiteral("list"), in});
    EXPECT_EQ(list.Code, 0) << list.Err.toStdString();
    const QStringList lines = list.Out.split(QLatin1Char('\n'));
    ASSERT_GT(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("machine 721 e5"));
    EXPECT_EQ(lines[1], QStringLiteral("N0003 X0012 +0005 D0002"));
    EXPECT_EQ(lines[2], QStringLiteral("N0004 X0012 +0005 W0000"));
    EXPECT_EQ(lines[3],
              QStringLiteral("FE0004 B-0012 S0003 N0040 A1 O+0005 Clrs10100000000000000000000000000000"));
    EXPECT_EQ(lines[4], QStringLiteral("WE=1")); // the C listing, one line each
    EXPECT_FALSE(list.Out.contains(QLatin1Char('\r')));

    const Result check = RunTool({QStringLiteral("validate"), in});
    EXPECT_EQ(check.Code, 0);
    EXPECT_EQ(check.Out, QStringLiteral("N 4 5013/5\n"));

    const QString out = dir.filePath(QStringLiteral("out.LST"));
    EXPECT_EQ(RunTool({QStringLiteral("copy"), in, out}).Code, 0);
    EXPECT_EQ(kdstest::ReadFile(out), kdstest::ReadFile(in));
}

TEST(LstTool, ReadErrorsWriteNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bad = dir.filePath(QStringLiteral("bad.LST"));
    kdstest::WriteFile(bad, QByteArray(100, '\x01'));
    const QString out = dir.filePath(QStringLiteral("out.LST"));
    // A pipe with no writer is refused at once, not waited on.
    const QString pipe = dir.filePath(QStringLiteral("pipe.LST"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QStringList& args :
         {QStringList{QStringLiteral("list"), bad}, QStringList{QStringLiteral("validate"), bad},
          QStringList{QStringLiteral("copy"), bad, out},
          QStringList{QStringLiteral("list"), dir.filePath(QStringLiteral("none.LST"))},
          QStringList{QStringLiteral("copy"), pipe, out}, QStringList{QStringLiteral("run"), pipe},
          QStringList{QStringLiteral("list"), QStringLiteral("/dev/zero")}}) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.Code, 1);
        EXPECT_TRUE(r.Out.isEmpty());
        EXPECT_FALSE(r.Err.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(RunTool({QStringLiteral("frobnicate"), bad}).Code, 2);
    EXPECT_EQ(RunTool({QStringLiteral("copy"), bad}).Code, 2);
    // The usage asked for goes to stdout with status 0.
    for (const QStringList& args : {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("-h")},
                                    QStringList{QStringLiteral("run"), QStringLiteral("--help")}}) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.Code, 0);
        EXPECT_TRUE(r.Out.startsWith(QLatin1String("usage: lsttool "))) << r.Out.toStdString();
        EXPECT_TRUE(r.Err.isEmpty());
    }
}

namespace {
// R 1..3 with markers 101..103, R 4 invalid (an offset beyond 9999), S 509..511.
QString WriteApplySample(const QTemporaryDir& Dir, const QString& Name) {
    using namespace kdstest;
    MProgramLists p;
    for (int n : {1, 2, 3})
        Put(p.R, *RMod(n, 100 + n));
    auto bad = RMod(4, 104);
    bad->Offsets[3] = 12000;
    Put(p.R, *bad);
    for (int n : {509, 510, 511})
        Put(p.S, *SLine(n, 1, n));
    const QString path = Dir.filePath(Name);
    SaveMachineFile(path, p.Machine, p.Lists());
    return path;
}

QStringList ListedNumbers(const QString& File, const QString& Letter) {
    QStringList numbers;
    for (const QString& line : RunTool({QStringLiteral("list"), File}).Out.split(QLatin1Char('\n')))
        if (line.startsWith(Letter) && line.size() > 5 && line[1].isDigit())
            numbers << line.mid(1, 4) + line.mid(15, 4);
    return numbers;
}
} // namespace

TEST(LstTool, ApplyRunsEveryOperationAndReportsEach) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString in = WriteApplySample(dir, QStringLiteral("in.LST"));
    const QString out = dir.filePath(QStringLiteral("out.LST"));
    const Result r =
        RunTool({QStringLiteral("apply"), in, out, QStringLiteral("moveblock S 509 511 3"),
                 QStringLiteral("drop R ") + in + QStringLiteral(" 4 3"), QStringLiteral("copy R 1"),
                 QStringLiteral("pasteinsert R 2"), QStringLiteral("pasteinsert Z 1"),
                 QStringLiteral("newitems R 0 2"), QStringLiteral("moveblock R 1 10 3"),
                 QStringLiteral("copyrange R 1 5 20 gaps movedest"),
                 QStringLiteral("dropsel R ") + in + QStringLiteral(" 30 1 3"),
                 QStringLiteral("copyrange R 10 10 0"), QStringLiteral("moverange R 10 10 64")});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringLiteral("error 1 5016/1 513\n"
                                    "message 2 Error in D&D\n"
                                    "error 5 1020/0\n"
                                    "message 6 Error ...\n"
                                    "error 8 5015/5 21\n"
                                    "error 10 5011/1\n"
                                    "error 11 5015/1 64\n"));
    // copy 1 and insert it at 2: 2..4 move up; then 1..3 move to 10..12; the drop adds 30 and 32.
    EXPECT_EQ(ListedNumbers(out, QStringLiteral("R")),
              (QStringList{QStringLiteral("00040103"), QStringLiteral("00050104"), QStringLiteral("00100101"),
                           QStringLiteral("00110101"), QStringLiteral("00120102"), QStringLiteral("00300101"),
                           QStringLiteral("00320103")}));
    EXPECT_EQ(ListedNumbers(out, QStringLiteral("S")).size(), 3);
}

TEST(LstTool, ApplyImportsAProgram) {
    using namespace kdstest;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MProgramLists own, lib;
    for (int n = 1; n <= 6; ++n)
        Put(own.Z, *ZRow(n, n));
    Put(own.S, *SLine(1, 1, 1));
    Put(own.S, *SLine(4, 1, 2));
    for (int n : {1, 2, 5})
        Put(lib.Z, *ZRow(n, 100 + n));
    Put(lib.S, *SLine(1, 1, 5));
    const QString in = dir.filePath(QStringLiteral("own.LST")),
                  file = dir.filePath(QStringLiteral("lib.LST"));
    SaveMachineFile(in, own.Machine, own.Lists());
    SaveMachineFile(file, lib.Machine, lib.Lists());
    const QString out = dir.filePath(QStringLiteral("out.LST"));
    const Result r = RunTool({QStringLiteral("apply"), in, out, QStringLiteral("pack ") + file,
                              QStringLiteral("zorder"), QStringLiteral("sgap 3")});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.isEmpty()) << r.Out.toStdString();
    MProgramLists result;
    LoadMachineFile(out, result.Machine, result.Lists());
    // The import puts rows 1, 2, 5 at 7, 8, 9 and the library's S line at 5, on row 9. The program
    // order then takes rows 1, 2 and 9 first (9 becomes 3), the others after them keeping their
    // parity; the S gap grows from 2 to 3.
    EXPECT_EQ(Numbers(result.Z), (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(ZMarker(result.Z, 3), 105);
    EXPECT_EQ(ZMarker(result.Z, 9), 101);
    EXPECT_EQ(Numbers(result.S), (std::vector<int>{1, 5, 6}));
    EXPECT_EQ(result.S.GetS(5).First, 2);
    EXPECT_EQ(result.S.GetS(6).First, 3);
}

TEST(LstTool, ApplyRefusesWhatItCannotRun) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString in = WriteApplySample(dir, QStringLiteral("in.LST"));
    const QString out = dir.filePath(QStringLiteral("out.LST"));
    for (const QString& op : {QStringLiteral("frobnicate R"), QStringLiteral("copyblock R 1 x 3"),
                              QStringLiteral("copyblock Q 1 2 3"),
                              QStringLiteral("copyrange R 1 2 3 sideways"), QStringLiteral("moveblock R 1 2"),
                              QStringLiteral("mirror Z 1 2"), QStringLiteral("copy R 99999999999"),
                              QStringLiteral("pack ") + in + QStringLiteral(" linemap=1,2")}) {
        const Result r = RunTool({QStringLiteral("apply"), in, out, QStringLiteral("selectnone R"), op});
        EXPECT_EQ(r.Code, 2) << op.toStdString();
        EXPECT_TRUE(r.Out.isEmpty());
    }
    EXPECT_EQ(RunTool({QStringLiteral("apply"), in, out,
                       QStringLiteral("drop R ") + dir.filePath(QStringLiteral("none.LST")) +
                           QStringLiteral(" 1 1")})
                  .Code,
              1);
    EXPECT_EQ(RunTool({QStringLiteral("apply"), dir.filePath(QStringLiteral("none.LST")), out}).Code, 1);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(
        RunTool({QStringLiteral("apply"), in, dir.filePath(QStringLiteral("no/such/folder/out.LST"))}).Code,
        1);
}
