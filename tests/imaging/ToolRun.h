#pragma once
// Runs the picture tool (built alongside the tests) and keeps what it answered.

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace tooltest {

struct Result {
    int exitCode;
    QByteArray out, err;
};

inline Result Tool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(KDS_IMGTOOL), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return Result{p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

} // namespace tooltest
