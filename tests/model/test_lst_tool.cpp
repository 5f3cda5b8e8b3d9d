// The command-line tool over a machine file written by the model.
#include "ModuleSamples.h"
#include "model/UunvDta.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct Result {
    int Code;
    QString Out;
    QString Err;
};

Result RunTool(const QStringList& Args) {
    QProcess p;
    p.start(QStringLiteral(LSTTOOL_PATH), Args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
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
    for (const QStringList& args :
         {QStringList{QStringLiteral("list"), bad}, QStringList{QStringLiteral("validate"), bad},
          QStringList{QStringLiteral("copy"), bad, out},
          QStringList{QStringLiteral("list"), dir.filePath(QStringLiteral("none.LST"))}}) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.Code, 1);
        EXPECT_TRUE(r.Out.isEmpty());
        EXPECT_FALSE(r.Err.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(RunTool({QStringLiteral("frobnicate"), bad}).Code, 2);
    EXPECT_EQ(RunTool({QStringLiteral("copy"), bad}).Code, 2);
}
