#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace kdstest {
QString SourcePath(const QString& relative) {
    return QStringLiteral(KDS_SOURCE_DIR "/") + relative;
}

QString TestDataPath(const QString& relative) {
    return QStringLiteral(KDS_TESTDATA_DIR "/") + relative;
}

void WriteFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(data), data.size());
}

ToolResult RunTool(const QString& Program, const QStringList& Args, int TimeoutMs) {
    QProcess p;
    p.start(Program, Args);
    EXPECT_TRUE(p.waitForFinished(TimeoutMs)) << Program.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return f.readAll();
}

QByteArray Bytes(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

void IsolateUserSettings() {
    static QTemporaryDir home;
    const QByteArray dir = home.path().toUtf8();
    setenv("HOME", dir.constData(), 1);
    setenv("XDG_CONFIG_HOME", (dir + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (dir + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (dir + "/cache").constData(), 1);
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path() + QStringLiteral("/settings"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       home.path() + QStringLiteral("/settings"));
}
} // namespace kdstest
