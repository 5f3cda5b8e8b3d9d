// Loading a 2000-needle bed from a 2000 x 2000 picture: through one X entry, and through an N range
// of references whose counters (and their members' counters) are all 9999.
#include "model/UClrBed.h"
#include "model/UProject.h"

#include "tests/support/ProjectScript.h"

#include <benchmark/benchmark.h>

namespace {
std::unique_ptr<MMemoryProject> PictureProject(const QString& Program) {
    auto p = kdstest::BuildProject(QStringLiteral("C W=2000 picture=2000x2000\n") + Program);
    p->NewPicture(2000, 2000);
    for (int y = 0; y < 2000; ++y)
        for (int x = 0; x < 2000; x += 7)
            p->Picture.SetPixel(x, y, TColor(x * 2654435761u ^ y));
    return p;
}

// Every iteration builds the S line's parts again and reads a new line.
void LoadRows(benchmark::State& State, MMemoryProject& Project) {
    MJacquardBed bed;
    MPTerror finding;
    int line = 1;
    for (auto _ : State) {
        bed.CachedSLine = 0;
        bed.LoadJacquardRow(&Project, finding, line, 1);
        benchmark::DoNotOptimize(bed.GetNeedle(2000));
        line = line % 2000 + 1;
    }
    if (bed.Width() != 2000)
        State.SkipWithError("the bed was not filled");
}

void BM_BedOneXEntry(benchmark::State& State) {
    auto p = PictureProject(QStringLiteral("S1 N=1\nN1 X=1+1999 D1"));
    LoadRows(State, *p);
}
BENCHMARK(BM_BedOneXEntry)->Unit(benchmark::kMicrosecond);

// N1..N20 each walk N21..N40 (single columns) 9999 times, each member taken 9999 times.
void BM_BedReferencesOf9999(benchmark::State& State) {
    QString program = QStringLiteral("S1 N=1+19\n");
    for (int n = 1; n <= 20; ++n)
        program += QStringLiteral("N%1 N=21+19 D9999\n").arg(n);
    for (int n = 21; n <= 40; ++n)
        program += QStringLiteral("N%1 X=%2+0 D9999\n").arg(n).arg(n * 13);
    auto p = PictureProject(program);
    LoadRows(State, *p);
}
BENCHMARK(BM_BedReferencesOf9999)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
