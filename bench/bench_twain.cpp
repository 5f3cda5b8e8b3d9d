// Scanning: a colour acquisition at 300 dpi from SANE's test back end through the scripted
// source interface (the picture built and copied into a bitmap), side by side with scanimage
// writing the same scan as PNM to a file; each side's start-up (a 1 dpi scan) measured apart.
#include "bench/BenchSupport.h"
#include "imaging/ImageProc.h"
#include "imaging/imgtwain.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

void UseTestBackend() {
    static bool done = false;
    if (done)
        return;
    auto write = [](const char* name, const QByteArray& text) {
        QFile f(Folder().filePath(QString::fromLatin1(name)));
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    };
    write("dll.conf", "test\n");
    write("test.conf", "number_of_devices 2\nresolution 50.0\n");
    qputenv("SANE_CONFIG_DIR", Folder().path().toLocal8Bit());
    done = true;
}

void Acquire(benchmark::State& state, int dpi) {
    UseTestBackend();
    TTwainScript script;
    script.Settings = {{"mode", "Color"}, {"resolution", dpi}};
    SetTwainUserInterface(&script);
    SetTwainSessionSource(QStringLiteral("test:0"));
    for (auto _ : state) {
        const TTwainHandle h = TwainAcquire(nullptr, 0, false);
        if (h == nullptr) {
            state.SkipWithError("nothing was scanned");
            break;
        }
        TBitmap bmp;
        CopyDIBToBitmap(h->Bytes.data(), h->Bytes.size(), bmp);
        TwainFreeAcquired(h);
        benchmark::DoNotOptimize(bmp.Bits());
    }
}

void ScanImage(benchmark::State& state, int dpi) {
    UseTestBackend();
    const QString out = Folder().filePath(QStringLiteral("scan.pnm"));
    for (auto _ : state) {
        QProcess p;
        p.setStandardOutputFile(out);
        p.start(QStringLiteral("scanimage"),
                {QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--mode"),
                 QStringLiteral("Color"), QStringLiteral("--resolution"), QString::number(dpi),
                 QStringLiteral("--format=pnm")});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            state.SkipWithError("scanimage failed");
            break;
        }
    }
}

void BM_AcquireColour300(benchmark::State& state) {
    Acquire(state, 300);
}
void BM_AcquireStartUp(benchmark::State& state) {
    Acquire(state, 1);
}
void BM_ScanimageColour300(benchmark::State& state) {
    ScanImage(state, 300);
}
void BM_ScanimageStartUp(benchmark::State& state) {
    ScanImage(state, 1);
}
} // namespace

BENCHMARK(BM_AcquireColour300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AcquireStartUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanimageColour300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanimageStartUp)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
