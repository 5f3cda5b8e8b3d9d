// The interpreter over a 2000-row program on a 740 e7 (4 systems) over 308 needles: 1000 rows of
// plain knitting with three carriers crossing the bed, then 1000 rows of two-colour intarsia chosen
// by MF entries from a 308 x 2000 picture. Times the start (whose settling run is one whole run)
// and the steps to the end, and gives the time per system step; then the same through the stitch
// simulation (style Normal), whose steps also set the needle states and knit the beds.
#include "model/UGtstEng.h"
#include "model/UProject.h"
#include "model/Usequencer.h"

#include "tests/support/ProjectScript.h"

#include <benchmark/benchmark.h>

namespace {
constexpr int Needles = 308;
constexpr int Rows = 2000;

std::unique_ptr<MMemoryProject> Program() {
    auto p = kdstest::BuildProject(
        QStringLiteral("machine 740 7\nC area=1..309 L1=-10,-20,-30,-5,-5 R1=10,20,30,5,5\n"
                       "N1 X=1+307 D1\nP1 yc=4 mode=4 clrL=1\nP2 yc=5 mode=4 clrL=2\n"
                       "S1 Z=1+999 D1\nS2 Z=1001+999 D1 N=1 P=1+1\n"));
    MSwitchGuard noValidation(ListsAutoValidate, false);
    MUnvZ z;
    for (int r = 1; r <= Rows; ++r) {
        z.Clear();
        z.Number = r;
        if (r <= 1000) {
            // Plain knitting: carriers 1, 2 and 3 cross the bed in systems 1, 2 and 3.
            for (int s = 0; s < 4; ++s)
                z.CamCode[std::size_t(2 * s)] = camRR;
            for (int s = 0; s < 3; ++s)
                z.Carriers[std::size_t(s)].SetBit(s, 1);
        } else {
            // Intarsia: carriers 4 and 5 knit their colours of pattern line r in system 1.
            z.CamCode[0] = camJR;
            z.CamCode[1] = camJA;
            z.LG[0].SetBit(1, 1);
            z.LG[0].SetBit(2, 1);
            z.PatternLine[0] = z.PatternLine[1] = r;
            z.Carriers[0].SetBit(3, 1);
            z.Carriers[0].SetBit(4, 1);
            for (int s = 1; s < 4; ++s)
                z.CamCode[std::size_t(2 * s)] = camA;
        }
        p->Lists.Z.AddOrReplace(z);
    }
    // Each line: colour 1 up to a boundary that drifts one needle a line, back and forth, 40 needles
    // of colour 0, colour 2 to the end.
    p->NewPicture(Needles, Rows);
    for (int line = 1; line <= Rows; ++line) {
        const int b = 100 + (line % 240 < 120 ? line % 120 : 120 - line % 120);
        for (int x = 0; x < Needles; ++x)
            p->Picture.SetPixel(x, Rows - line, p->Colors.Color(x < b ? 1 : x < b + 40 ? 0 : 2));
    }
    return p;
}

// What the benchmarks run: the interpreter alone, or the stitch simulation around its own.
class InterpreterRun {
public:
    explicit InterpreterRun(MMemoryProject& Project) { FSequencer.SetProject(&Project); }
    void Start() { FSequencer.StartProgram(); }
    void Step() { FSequencer.StepSystem(); }
    const MprogramSequencer& Sequencer() const { return FSequencer; }
    bool RanAsBuilt() const { return true; }

private:
    MprogramSequencer FSequencer;
};

class SimulationRun {
public:
    explicit SimulationRun(MMemoryProject& Project) { FEngine.SetProject(&Project); }
    void Start() { FEngine.ResetTest(); }
    void Step() { FEngine.StepTest(); }
    const MprogramSequencer& Sequencer() const { return FEngine.Sequencer; }
    // Every row of plain knitting completes a course.
    bool RanAsBuilt() const { return FEngine.DisplayRow >= Rows / 2; }

private:
    MGtestEngine FEngine;
};

// The start (whose settling run is one whole run) and the steps to the end; per_step counts the
// settling run's steps as well.
template <class Run>
void WholeProgram(benchmark::State& State) {
    auto p = Program();
    Run run(*p);
    std::int64_t steps = 0;
    for (auto _ : State) {
        run.Start();
        steps += run.Sequencer().SettleSteps;
        while (!run.Sequencer().Regs.Finished) {
            run.Step();
            ++steps;
        }
    }
    const MprogramSequencer& s = run.Sequencer();
    if (s.Regs.StepCount != Rows || s.Regs.Error.ErrorId != 0 || !run.RanAsBuilt())
        State.SkipWithError("the program did not run as built");
    State.counters["steps"] = benchmark::Counter(double(steps) / double(State.iterations()));
    State.counters["per_step"] =
        benchmark::Counter(double(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The steps alone, without the start.
template <class Run>
void Steps(benchmark::State& State) {
    auto p = Program();
    Run run(*p);
    std::int64_t steps = 0;
    for (auto _ : State) {
        State.PauseTiming();
        run.Start();
        State.ResumeTiming();
        while (!run.Sequencer().Regs.Finished) {
            run.Step();
            ++steps;
        }
    }
    State.counters["per_step"] =
        benchmark::Counter(double(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SequencerStart(benchmark::State& State) {
    auto p = Program();
    InterpreterRun run(*p);
    for (auto _ : State)
        run.Start();
}

BENCHMARK_TEMPLATE(WholeProgram, InterpreterRun)
    ->Name("BM_SequencerWholeProgram")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SequencerStart)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Steps, InterpreterRun)->Name("BM_SequencerSteps")->Unit(benchmark::kMillisecond);
// The stitch simulation: ResetTest (the interpreter's start) and StepTest to the end, style Normal.
BENCHMARK_TEMPLATE(WholeProgram, SimulationRun)
    ->Name("BM_StitchSimulationWholeProgram")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Steps, SimulationRun)->Name("BM_StitchSimulationSteps")->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
