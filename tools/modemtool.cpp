// modemtool: one station of a project transfer, run from the shell.
//
//   modemtool lines
//   modemtool send --device PATH --number N [--timeout S] [--guard MS] FILE
//   modemtool receive --device PATH --folder DIR [--timeout S] [--guard MS]
//
// "lines" prints "<index> <name>" for each line device. "send" dials N and sends the project of the
// machine program file FILE, printing "sent <name> <size>" for each file, then "ok". "receive"
// answers one call, opens the received project as the station opens one before it keeps it, and
// prints "received <path> <size>" for each file, then "ok". The device given is the only line. A
// failure prints "error: <text>" on stderr and exits 1; --guard sets the guard time around "+++"
// when the line has no DTR.

#include "app/UProjectFiles.h"
#include "transfer/PhoneLine.h"
#include "transfer/TransferProtocol.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <optional>

namespace {
int Usage() {
    std::fprintf(stderr, "usage: modemtool lines\n"
                         "       modemtool send --device PATH --number N [--timeout S] [--guard MS] FILE\n"
                         "       modemtool receive --device PATH --folder DIR [--timeout S] [--guard MS]\n");
    return 2;
}

int Fail(const QString& text) {
    std::fprintf(stderr, "error: %s\n", text.toLocal8Bit().constData());
    return 1;
}

struct Options {
    QString Device, Number, Folder, File;
    int Timeout = 20;
    int Guard = 1000;
};

// Runs the event loop until the station is done; the result is the exit code.
int RunStation(TPhoneLine& line, bool sending, const Options& o, const TOutgoingProject& project) {
    std::optional<int> result;
    QString error;
    bool connected = false;
    line.OnConnection = [&](TPhoneLine* l) {
        connected = true;
        try {
            if (sending) {
                SendProject(*l, project);
                for (int i = 0; i < 3; ++i)
                    if (!project.Data[size_t(i)].isEmpty())
                        std::printf("sent %s %lld\n", project.Names[size_t(i)].toLocal8Bit().constData(),
                                    (long long)project.Data[size_t(i)].size());
                l->DropCall();
            } else {
                const TReceivedProject got =
                    ReceiveProject(*l, o.Folder, {[](const QString& Lst) { OpenProjectFiles(Lst); }});
                for (int i = 0; i < 3; ++i)
                    if (!got.Paths[size_t(i)].isEmpty())
                        std::printf("received %s %d\n", got.Paths[size_t(i)].toLocal8Bit().constData(),
                                    got.Sizes[size_t(i)]);
                // The sender hangs up after the last answer; a sender that does not is hung up on.
                l->WaitForHangUp(o.Timeout * 1000);
                if (l->Connected())
                    l->DropCall();
            }
            std::printf("ok\n");
            std::fflush(stdout);
            result = 0;
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
            l->DropCall();
            result = 1;
        }
    };
    auto ended = [&](TPhoneLine* l) {
        if (!connected && !result) {
            error = l->LastReason().isEmpty() ? QStringLiteral("the call ended") : l->LastReason();
            result = 1;
        }
    };
    line.OnDisconnect = ended;
    line.OnUnexpectedClose = [&](TPhoneLine*) {
        if (!result) {
            error = QStringLiteral("the line was closed");
            result = 1;
        }
    };
    while (!result) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(2);
    }
    // Let the hang-up's events run before the line goes.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    if (*result != 0)
        return Fail(error);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane"));
    QCoreApplication::setApplicationName(QStringLiteral("JXW777"));
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return Usage();
    const QString command = args[1];
    TPhoneLine::SetMessageSink([](const QString& t) {
        std::fprintf(
            stderr, "%s\n",
            QString(t).replace(QStringLiteral("\r\n"), QStringLiteral(" ")).toLocal8Bit().constData());
    });
    if (command == QLatin1String("lines") && args.size() == 2) {
        try {
            TPhoneLine line;
            QStringList names;
            line.FillLineList(names);
            for (int i = 0; i < names.size(); ++i)
                std::printf("%d %s\n", i, names[i].toLocal8Bit().constData());
            return 0;
        } catch (const std::exception& e) {
            return Fail(QString::fromUtf8(e.what()));
        }
    }
    const bool sending = command == QLatin1String("send");
    if (!sending && command != QLatin1String("receive"))
        return Usage();
    Options o;
    for (int i = 2; i < args.size(); ++i) {
        const QString a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QLatin1String("--device") && hasValue)
            o.Device = args[++i];
        else if (a == QLatin1String("--number") && hasValue)
            o.Number = args[++i];
        else if (a == QLatin1String("--folder") && hasValue)
            o.Folder = args[++i];
        else if (a == QLatin1String("--timeout") && hasValue)
            o.Timeout = args[++i].toInt(&ok);
        else if (a == QLatin1String("--guard") && hasValue)
            o.Guard = args[++i].toInt(&ok);
        else if (!a.startsWith(QLatin1String("--")) && o.File.isEmpty() && sending)
            o.File = a;
        else
            return Usage();
        if (!ok || o.Timeout < 1 || o.Guard < 0)
            return Usage();
    }
    if (o.Device.isEmpty() || (sending && (o.Number.isEmpty() || o.File.isEmpty())) ||
        (!sending && o.Folder.isEmpty()))
        return Usage();
    try {
        // The sender reads its project once, before it dials.
        TOutgoingProject project;
        if (sending)
            project = ReadOutgoingProject(o.File);
        TPhoneLine line(nullptr, TLineSource{false, false, {o.Device}});
        line.Timeout = o.Timeout;
        line.SetGuardTime(o.Guard);
        line.SetDevIdToInitialize(0);
        if (line.DevIdToInitialize() != 0)
            return Fail(QStringLiteral("the line %1 cannot be used").arg(o.Device));
        line.WaitForCall = !sending;
        line.OpenLine();
        if (!sending) {
            // Says on stderr that the line is held and answers, so a caller knows when to dial.
            std::fprintf(stderr, "waiting for a call on %s\n", o.Device.toLocal8Bit().constData());
            std::fflush(stderr);
        }
        if (sending) {
            line.PhoneNumber = o.Number;
            line.MakeCall();
        }
        return RunStation(line, sending, o, project);
    } catch (const std::exception& e) {
        return Fail(QString::fromUtf8(e.what()));
    }
}
