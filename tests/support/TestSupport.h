#pragma once
// Helpers shared by the tests: files in temporary folders, paths of the sources and test data.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace kdstest {
// The project's source folder and the shared picture suites.
QString SourcePath(const QString& relative);
QString TestDataPath(const QString& relative);
// Writes or reads a whole file; failures fail the test.
void WriteFile(const QString& path, const QByteArray& data);
QByteArray ReadFile(const QString& path);
QByteArray Bytes(const std::vector<std::uint8_t>& bytes);
// What a tool of the build gave: its exit status (-1 when it crashed), stdout and stderr.
struct ToolResult {
    int Code;
    QString Out;
    QString Err;
};
// Runs a program with the arguments and waits for it (a test fails when it takes longer).
ToolResult RunTool(const QString& Program, const QStringList& Args, int TimeoutMs = 120000);
// Points the settings store and the per-user folders at a temporary folder for the whole run.
void IsolateUserSettings();
} // namespace kdstest
