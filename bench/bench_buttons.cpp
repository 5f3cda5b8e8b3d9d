// The program's own controls and file copies: the round buttons of the yarn-carrier dialog made
// again after a colour change, one large button with both bevels, and copying a 256 MB file from
// the page cache beside cp (coreutils) on the same file.
#include "bench/BenchSupport.h"
#include "ui/FileUtil.h"
#include "ui/Hemibtn.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

// The carrier dialog's 21 buttons: 25 x 25, lowered outer bevel of 2, each made again with a new
// face colour.
void BM_CarrierButtonsRebuild(benchmark::State& state) {
    THemisphereParams p;
    std::vector<THemisphereImages> images(21);
    TColor colour = 0x808080;
    for (auto _ : state) {
        colour = (colour * 1103515245u + 12345u) & 0xFFFFFF;
        p.FaceColor = colour;
        for (THemisphereImages& img : images)
            RebuildHemisphereImages(p, img);
        benchmark::DoNotOptimize(images.back().ImageOut.constBits());
    }
}
BENCHMARK(BM_CarrierButtonsRebuild)->Unit(benchmark::kMicrosecond);

void BM_LargeButtonBothBevels(benchmark::State& state) {
    THemisphereParams p;
    p.Width = p.Height = 200;
    p.BevelOuter = hbRaised;
    p.BevelInner = hbLowered;
    p.BevelWidth = 6;
    p.BorderStyle = hbsSingle;
    THemisphereImages img;
    for (auto _ : state) {
        RebuildHemisphereImages(p, img);
        benchmark::DoNotOptimize(img.ImageOut.constBits());
    }
}
BENCHMARK(BM_LargeButtonBothBevels)->Unit(benchmark::kMicrosecond);

// The 256 MB source, written once and read once so it sits in the page cache.
struct CopyFiles {
    CopyFiles() {
        source = dir.path() + QStringLiteral("/source.bin");
        target = dir.path() + QStringLiteral("/target.bin");
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        QByteArray block(1 << 20, '\0');
        for (int i = 0; i < block.size(); ++i)
            block[i] = char(i * 31 + i / 977);
        for (int i = 0; i < 256; ++i)
            f.write(block);
        f.close();
        QFile r(source);
        if (r.open(QIODevice::ReadOnly))
            while (!r.read(1 << 20).isEmpty()) {
            }
    }
    QTemporaryDir dir;
    QString source, target;
};

CopyFiles& Files() {
    static CopyFiles files;
    return files;
}

void BM_CopyFile256MB(benchmark::State& state) {
    CopyFiles& f = Files();
    for (auto _ : state) {
        CopyFile(f.source, f.target);
        state.PauseTiming();
        QFile::remove(f.target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (qint64(256) << 20));
}
BENCHMARK(BM_CopyFile256MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Cp256MB(benchmark::State& state) {
    CopyFiles& f = Files();
    for (auto _ : state) {
        QProcess cp;
        cp.start(QStringLiteral("cp"), {f.source, f.target});
        if (!cp.waitForFinished(60000) || cp.exitCode() != 0) {
            state.SkipWithError("cp failed");
            break;
        }
        state.PauseTiming();
        QFile::remove(f.target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (qint64(256) << 20));
}
BENCHMARK(BM_Cp256MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QGuiApplication>(argc, argv);
}
