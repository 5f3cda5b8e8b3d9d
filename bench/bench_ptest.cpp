// The program test over a 2000-row program on a 740 e7 (4 systems) with a working width of 1999
// needles: every row knits the front in all four systems, carrier 1 crossing the bed in system 1 and
// carrier 2 in system 2. Times the steps of the stitch simulation alone and the same steps with the
// program test's checks after each (as lsttool test runs them), and the whole test with its static
// checks and start; and the whole test in the program test window, which lets the events through
// after every step, against the same test without a window.
#include "app/UPtestWindow.h"
#include "bench/BenchSupport.h"
#include "bench/CrossingRows.h"
#include "model/UGtstEng.h"
#include "model/UProject.h"
#include "model/UPtestRun.h"

#include "tests/support/ProjectScript.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {
constexpr int Rows = 2000;

std::unique_ptr<MMemoryProject> Program() {
    auto p = kdstest::BuildProject(QStringLiteral("machine 740 7\nC area=1..2000 L1=-10,-20 R1=10,20\n"
                                                  "picture 1999x20\nFS1 A=D5,D5,D5,D5,D5,D5,D5,D5 "
                                                  "B=D5,D5,D5,D5,D5,D5,D5,D5\nS1 Z=1+1999 D1\n"));
    kdsbench::AddCrossingRows(*p, Rows, [](MUnvZ& z) {
        z.FSFront = z.FSRear = 1;
        z.WA2.Value = 1;
        z.TZ = 1;
        z.ST = 1;
    });
    return p;
}

struct Fixture {
    std::unique_ptr<MMemoryProject> Project = Program();
    MGtestEngine Engine;
    MGtestProgramEngine Adapter{Engine};
    MProgramTestRun Test{*Project, Adapter};
    Fixture() { Engine.SetProject(Project.get()); }
};

void Report(benchmark::State& State, std::int64_t Steps) {
    State.counters["steps_per_s"] = benchmark::Counter(double(Steps), benchmark::Counter::kIsRate);
    State.counters["per_step"] =
        benchmark::Counter(double(Steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The stitch simulation alone: the steps after the start.
void BM_ProgramTestEngineSteps(benchmark::State& State) {
    Fixture f;
    std::int64_t steps = 0;
    for (auto _ : State) {
        State.PauseTiming();
        f.Engine.ResetTest();
        State.ResumeTiming();
        while (!f.Engine.Sequencer.Regs.Finished) {
            f.Engine.StepTest();
            ++steps;
        }
    }
    if (steps / std::int64_t(State.iterations()) != 4 * Rows)
        State.SkipWithError("the program did not run as built");
    Report(State, steps);
}

// The same steps with the checks after each and the end checks; the static checks, the start and
// the first step are left out of the time.
void BM_ProgramTestCheckedSteps(benchmark::State& State) {
    Fixture f;
    std::int64_t steps = 0;
    for (auto _ : State) {
        State.PauseTiming();
        f.Test.Pump = [&f] { f.Test.RequestStop(); };
        f.Test.StartProgramTest();
        f.Test.Pump = nullptr;
        State.ResumeTiming();
        f.Test.RunProgramTest();
        steps += f.Test.Steps() - 1;
    }
    if (f.Test.Steps() != 4 * Rows)
        State.SkipWithError("the program did not run as built");
    State.counters["findings"] = double(f.Test.Findings().size());
    Report(State, steps);
}

// The whole test as lsttool test runs it: static checks, start (with its settling run), steps.
void BM_ProgramTestWhole(benchmark::State& State) {
    Fixture f;
    std::int64_t steps = 0;
    for (auto _ : State) {
        f.Test.StartProgramTest();
        steps += f.Test.Steps();
    }
    Report(State, steps);
}

// The whole test as the window's Start runs it, to the end, with the list filled and the events let
// through after every step.
void BM_ProgramTestWindow(benchmark::State& State) {
    const std::unique_ptr<MMemoryProject> project = Program();
    TFormPTwindow window(*project);
    window.show();
    QApplication::processEvents();
    std::int64_t steps = 0;
    for (auto _ : State) {
        window.btnStartClick();
        steps += window.Run().Steps();
    }
    if (!window.Run().Finished())
        State.SkipWithError("the program did not run to its end");
    Report(State, steps);
}

BENCHMARK(BM_ProgramTestEngineSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramTestCheckedSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramTestWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramTestWindow)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
