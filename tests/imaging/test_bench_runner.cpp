// The benchmark runner of ./test --bench: every benchmark program runs to its end, the build's
// folders beside them are passed over, and one program that fails fails the run.

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct RunnerResult {
    int Code = -1;
    QByteArray Ran, Err;
};

// Runs the runner over the folder; what ran is what the programs noted in ran.txt.
RunnerResult RunBenchmarks(const QTemporaryDir& dir) {
    QFile::remove(dir.filePath(QStringLiteral("ran.txt")));
    QProcess bash;
    bash.start(QStringLiteral("bash"),
               {QStringLiteral("-c"), QStringLiteral("source \"$0\" && kds_run_benchmarks \"$1\""),
                kdstest::SourcePath(QStringLiteral("scripts/benchmarks.sh")), dir.path()});
    EXPECT_TRUE(bash.waitForFinished(60000));
    RunnerResult r;
    r.Code = bash.exitStatus() == QProcess::NormalExit ? bash.exitCode() : -1;
    r.Err = bash.readAllStandardError();
    QFile ran(dir.filePath(QStringLiteral("ran.txt")));
    if (ran.open(QIODevice::ReadOnly))
        r.Ran = ran.readAll();
    return r;
}

// A benchmark program that notes its name and ends with the code.
void Program(const QTemporaryDir& dir, const char* name, int code) {
    const QString path = dir.filePath(QLatin1String(name));
    kdstest::WriteFile(path, QStringLiteral("#!/bin/sh\necho %1 >> \"$(dirname \"$0\")/ran.txt\"\nexit %2\n")
                                 .arg(QLatin1String(name))
                                 .arg(code)
                                 .toLatin1());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

TEST(BenchmarkRunner, RunsEveryProgramAndFailsWhenOneFails) {
    QTemporaryDir dir;
    Program(dir, "bench_a", 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("bench_a_autogen")));
    Program(dir, "bench_b", 3);
    Program(dir, "bench_c", 0);
    kdstest::WriteFile(dir.filePath(QStringLiteral("bench_notes.txt")), "not a program\n");

    RunnerResult r = RunBenchmarks(dir);
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Ran, QByteArray("bench_a\nbench_b\nbench_c\n"));
    EXPECT_EQ(r.Err, QByteArray("benchmarks that failed: bench_b\n"));

    Program(dir, "bench_b", 0);
    r = RunBenchmarks(dir);
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Ran, QByteArray("bench_a\nbench_b\nbench_c\n"));
    EXPECT_EQ(r.Err, QByteArray());
}
