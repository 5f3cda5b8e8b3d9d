// The graphic test over a 1000-row program on a 740 e7 (4 systems) with a working width of 1999
// needles (2000 needles), carriers 1 and 2 crossing the bed in systems 1 and 2 of every row, in an
// offscreen window: NextSystem (one step, its drawing and the repaint of the lines written) and
// NextZ (one row: four systems simulated and drawn), mean and worst over 1000 rows, in the Normal,
// YC and Jaquard colour drawings and the stitch drawing; ContinueRun over the 1000 rows; and the
// largest the board grows to in memory. The aim is a whole NextZ under 20 ms. The worst call is also
// given in the thread's CPU time, which the waits of a loaded machine leave out.
#include "app/UGTCtrl.h"
#include "app/UGtestWindow.h"
#include "bench/BenchSupport.h"
#include "bench/CrossingRows.h"
#include "model/UProject.h"
#include "platform/AppFolder.h"
#include "tests/support/ProjectScript.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>

namespace {

constexpr int Rows = 1000;

// The CPU time of this thread in milliseconds: on a loaded machine the wall time of a call also
// holds the time the thread waited for a processor.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

std::unique_ptr<MMemoryProject> Program() {
    auto p = kdstest::BuildProject(QStringLiteral("machine 740 7\nC area=1..2000 L1=-10,-20 R1=10,20\n"
                                                  "picture 1999x20\nS1 Z=1+999 D1\n"));
    kdsbench::AddCrossingRows(*p, Rows, [](MUnvZ&) {});
    return p;
}

struct Fixture {
    QTemporaryDir Folder;
    std::unique_ptr<MMemoryProject> Project = Program();
    TGTWindow Window;
    Fixture(int View, int Style) {
        SetAppFolder(Folder.path() + QLatin1Char('/'));
        Window.resize(1200, 800);
        Window.show();
        Window.SetProject(Project.get());
        Window.NewTest();
        Window.SetStitchMode(View);
        Window.Engine().Style = Style;
        QApplication::processEvents();
    }
};

// Times Op until the run has made Rows rows (restarting it when it ends); mean and worst per call.
template <typename F>
void TimeCalls(benchmark::State& State, int View, int Style, F Op) {
    Fixture f(View, Style);
    double worst = 0, total = 0, worstCpu = 0;
    std::int64_t calls = 0;
    std::size_t most = 0;
    for (auto _ : State) {
        QElapsedTimer t;
        t.start();
        const double cpu = ThreadCpuMs();
        Op(f.Window);
        QApplication::processEvents();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        worstCpu = std::max(worstCpu, ThreadCpuMs() - cpu);
        worst = std::max(worst, ms);
        total += ms;
        ++calls;
        most = std::max(most, f.Window.Drawing().MemoryBytes());
    }
    State.counters["mean_ms"] = total / double(std::max<std::int64_t>(calls, 1));
    State.counters["worst_ms"] = worst;
    State.counters["worst_cpu_ms"] = worstCpu;
    State.counters["board_mb"] = double(most) / 1048576.0;
}

void BM_NextSystem(benchmark::State& State) {
    TimeCalls(State, int(State.range(0)), int(State.range(1)), [](TGTWindow& W) { W.NextSystem(); });
}

void BM_NextZ(benchmark::State& State) {
    TimeCalls(State, int(State.range(0)), int(State.range(1)), [](TGTWindow& W) { W.NextZ(); });
}

// The whole program with the events let through after every row, as the Continue button runs it.
void BM_ContinueRun(benchmark::State& State) {
    Fixture f(int(State.range(0)), int(State.range(1)));
    std::size_t most = 0;
    for (auto _ : State) {
        State.PauseTiming();
        f.Window.NewTest();
        State.ResumeTiming();
        f.Window.ContinueRun();
        most = std::max(most, f.Window.Drawing().MemoryBytes());
    }
    State.counters["board_mb"] = double(most) / 1048576.0;
}

void Styles(benchmark::internal::Benchmark* B) {
    B->ArgNames({"view", "style"});
    for (int style : {gsNormal, gsYC, gsJaquard})
        B->Args({gvColor, style});
    B->Args({gvStitch, gsNormal});
}

BENCHMARK(BM_NextSystem)->Apply(Styles)->Iterations(4 * Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextZ)->Apply(Styles)->Iterations(Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContinueRun)->Apply(Styles)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
