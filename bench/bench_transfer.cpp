// The block protocol over modemsim --connected: a sender thread and the receiver on two linked
// pseudo-terminals. Unthrottled, a 10 MB project (the protocol's own cost: one round trip per 2048
// bytes); at 3,360 bytes/s with 50 ms latency each way, a 1 MB project against the stop-and-wait
// bound, and ZMODEM (sz/rz of lrzsz, when installed) over the same link.
//
//   bench_transfer [--benchmark_filter=...]

#include "transfer/SerialPort.h"
#include "transfer/TransferProtocol.h"

#include "model/ULstFile.h"
#include "model/UunvList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

void WriteFile(const QString& Path, const QByteArray& Bytes) {
    QFile f(Path);
    if (f.open(QIODevice::WriteOnly))
        f.write(Bytes);
}

// The two links of a modem pair already in data mode.
struct Link {
    QTemporaryDir Dir;
    QProcess Sim;
    QString A() const { return Dir.filePath(QStringLiteral("a")); }
    QString B() const { return Dir.filePath(QStringLiteral("b")); }
    bool Start(const QStringList& Extra) {
        Sim.start(QStringLiteral(KDS_MODEMSIM),
                  QStringList{QStringLiteral("--line"), QStringLiteral("A=") + A(), QStringLiteral("--line"),
                              QStringLiteral("B=") + B(), QStringLiteral("--connected")} +
                      Extra);
        return Sim.waitForStarted(5000) && Sim.waitForReadyRead(5000) && Sim.readLine().trimmed() == "ready";
    }
    ~Link() {
        ::kill(pid_t(Sim.processId()), SIGTERM);
        Sim.waitForFinished(5000);
    }
};

struct PortChannel : IByteChannel {
    TSerialPort Port;
    explicit PortChannel(const QString& Path) {
        Port.Open(Path);
        Port.SetDataMode();
        Port.SetTimeout(30);
    }
    void ReadExact(char* Buffer, qsizetype Count) override { Port.ReadExact(Buffer, Count); }
    void WriteExact(const char* Buffer, qsizetype Count) override { Port.WriteExact(Buffer, Count); }
};

// A project whose files add up to about Bytes: an empty program padded out and a picture.
QString MakeProject(const QString& Folder, qsizetype Bytes) {
    MProgramLists program;
    QByteArray lst = MachineFileImage(program.Machine, program.Lists());
    lst.append(QByteArray(Bytes / 10, '\0'));
    WriteFile(Folder + QStringLiteral("/bench_740e7.LST"), lst);
    const int side = int(std::sqrt(double(Bytes * 9 / 10) / 3));
    QImage image(side, side, QImage::Format_RGB888);
    image.fill(Qt::darkGreen);
    image.save(Folder + QStringLiteral("/bench_740e7.BMP"), "BMP");
    WriteFile(Folder + QStringLiteral("/bench_740e7.JXW"), QByteArray(448, '\0'));
    return Folder + QStringLiteral("/bench_740e7.LST");
}

qint64 ProjectSize(const TOutgoingProject& P) {
    qint64 n = 0;
    for (const QByteArray& d : P.Data)
        n += d.size();
    return n;
}

// One transfer between the two ends of a link; the seconds it took. The ends stay open from one
// transfer to the next: closing either hangs the pair up.
double TransferOnce(PortChannel& Sender, PortChannel& Receiver, const TOutgoingProject& Project) {
    QTemporaryDir folder;
    QElapsedTimer clock;
    clock.start();
    std::thread send([&] { SendProject(Sender, Project); });
    ReceiveProject(Receiver, folder.path(), {});
    send.join();
    return double(clock.nsecsElapsed()) / 1e9;
}

void Run(benchmark::State& State, qsizetype Bytes, const QStringList& Conditions, double Rate,
         double LatencyS) {
    Link link;
    if (!link.Start(Conditions)) {
        State.SkipWithError("modemsim did not start");
        return;
    }
    QTemporaryDir source;
    const TOutgoingProject project = ReadOutgoingProject(MakeProject(source.path(), Bytes));
    const qint64 size = ProjectSize(project);
    PortChannel sender(link.A()), receiver(link.B());
    double seconds = 0;
    for (auto _ : State) {
        const double s = TransferOnce(sender, receiver, project);
        State.SetIterationTime(s);
        seconds += s;
    }
    State.SetBytesProcessed(State.iterations() * size);
    State.counters["MB/s"] = double(size) * double(State.iterations()) / seconds / 1e6;
    if (Rate > 0) {
        // Stop-and-wait: every byte at the line rate, plus a round trip per block and per answer.
        const qint64 blocks = BlockCount(project.Data[0].size(), 2048) +
                              BlockCount(project.Data[1].size(), 2048) +
                              BlockCount(project.Data[2].size(), 2048) + 1;
        const double bound = double(size + 316 + 2 * blocks) / Rate + double(blocks) * 2 * LatencyS;
        State.counters["bound_s"] = bound;
        State.counters["of_bound"] = seconds / double(State.iterations()) / bound;
    }
}

void BM_Unthrottled10MB(benchmark::State& State) {
    Run(State, 10 * 1000 * 1000, {}, 0, 0);
}
BENCHMARK(BM_Unthrottled10MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Modem1MB(benchmark::State& State) {
    Run(State, 1000 * 1000,
        {QStringLiteral("--rate"), QStringLiteral("3360"), QStringLiteral("--latency"), QStringLiteral("50")},
        3360, 0.05);
}
BENCHMARK(BM_Modem1MB)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// ZMODEM over the same link: sz on one side, rz on the other, the same 1 MB of files.
void BM_Modem1MBZmodem(benchmark::State& State) {
    if (!QFile::exists(QStringLiteral("/usr/bin/sz")) || !QFile::exists(QStringLiteral("/usr/bin/rz"))) {
        State.SkipWithError("lrzsz not installed");
        return;
    }
    Link link;
    if (!link.Start({QStringLiteral("--rate"), QStringLiteral("3360"), QStringLiteral("--latency"),
                     QStringLiteral("50")})) {
        State.SkipWithError("modemsim did not start");
        return;
    }
    QTemporaryDir source, target;
    const QString lst = MakeProject(source.path(), 1000 * 1000);
    const QString dir = source.path();
    for (auto _ : State) {
        const QByteArray command =
            QStringLiteral("cd %1 && (rz -y -q < %2 > %2) & sz -q %3/bench_740e7.JXW %3/bench_740e7.LST "
                           "%3/bench_740e7.BMP < %4 > %4; wait")
                .arg(target.path(), link.B(), dir, link.A())
                .toLocal8Bit();
        QElapsedTimer clock;
        clock.start();
        if (std::system(command.constData()) != 0) {
            State.SkipWithError("sz/rz failed");
            break;
        }
        State.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    (void)lst;
}
BENCHMARK(BM_Modem1MBZmodem)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
