#pragma once
// modemsim as a child process of a test: two lines A (number 101) and B (number 102) linked in a
// temporary folder, with a small time scale; ended by its process id.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <functional>

struct ModemSim {
    QTemporaryDir Dir;
    QProcess Process;

    QString PathA() const { return Dir.filePath(QStringLiteral("a")); }
    QString PathB() const { return Dir.filePath(QStringLiteral("b")); }
    QString LogA() const { return Dir.filePath(QStringLiteral("A.log")); }
    QString LogB() const { return Dir.filePath(QStringLiteral("B.log")); }

    bool Start(const QStringList& extra = {}) {
        QStringList args{
            QStringLiteral("--line"),   QStringLiteral("A=") + PathA(), QStringLiteral("--number"),
            QStringLiteral("A=101"),    QStringLiteral("--line"),       QStringLiteral("B=") + PathB(),
            QStringLiteral("--number"), QStringLiteral("B=102"),        QStringLiteral("--scale"),
            QStringLiteral("0.02"),     QStringLiteral("--log"),        Dir.path()};
        args += extra;
        Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Process.start(QStringLiteral(MODEMSIM_PATH), args);
        if (!Process.waitForStarted(5000) || !Process.waitForReadyRead(5000))
            return false;
        return Process.readLine().trimmed() == "ready";
    }
    void Kill() {
        if (Process.state() != QProcess::NotRunning) {
            ::kill(pid_t(Process.processId()), SIGKILL);
            Process.waitForFinished(5000);
        }
    }
    ~ModemSim() {
        if (Process.state() != QProcess::NotRunning) {
            ::kill(pid_t(Process.processId()), SIGTERM);
            Process.waitForFinished(5000);
        }
    }
};

// Lets events run until the condition holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}
