// Import renumbering and the special move on a full-size program: every module of a full program
// imported into an empty project (RenumberModules, then RenumberZInProgramOrder), and a special
// move of all 2000 Z rows.
#include "FullProgram.h"
#include "model/UPacking.h"
#include "model/UunvDta.h"

#include <benchmark/benchmark.h>

namespace {
// The full program made valid (an import validates every module): the P modules get the colours
// their modes need, the Z rows no cams, the FE lines a stitch length difference.
void FillValidProgram(MProgramLists& p) {
    FillProgram(p);
    for (int n = 1; n <= p.P.MaxNumber(); ++n) {
        MUnvP& m = p.P.GetP(n);
        m.ClrsL.SetBit((n + 1) % 32, 1);
        m.ClrsR.SetBit(n % 32, 1);
        m.ClrsR.SetBit((n + 1) % 32, 1);
    }
    for (int n = 1; n <= p.Z.MaxNumber(); ++n)
        p.Z.GetZ(n).CamCode.fill(0);
    for (int n = 1; n <= p.FE.MaxNumber(); ++n) {
        MUnvFE& fe = p.FE.GetFE(n);
        fe.Difference = 12;
        fe.VerticalStep = 3;
    }
}

void BM_ImportFullProgram(benchmark::State& State) {
    MProgramLists source;
    FillValidProgram(source);
    for (auto _ : State) {
        State.PauseTiming();
        auto project = std::make_unique<MProgramLists>();
        MUnvPack pack;
        for (int k = 1; k <= ListKindCount; ++k) {
            pack.Sources[std::size_t(k - 1)] = &source.List(k);
            pack.Targets[std::size_t(k - 1)] = &project->List(k);
            pack.FirstFree[std::size_t(k - 1)] = 1;
        }
        pack.SCounter = 1;
        State.ResumeTiming();
        pack.RenumberModules(511);
        pack.RenumberZInProgramOrder();
        benchmark::DoNotOptimize(project->Z.Count());
        State.PauseTiming();
        project.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_ImportFullProgram)->Unit(benchmark::kMillisecond);

void BM_SpecialMoveOfAllZRows(benchmark::State& State) {
    MProgramLists program;
    FillValidProgram(program);
    TSpecialFuncParams params;
    params.Operation = sfMove;
    params.From = 1;
    params.To = 2000;
    params.In = 1;
    params.Mirror = true;
    params.ByY = -3; // down, then up: the pattern lines stay within what a row may hold
    for (auto _ : State) {
        program.Z.MoveRange(params, nullptr);
        params.ByY = -params.ByY;
        benchmark::DoNotOptimize(program.Z.Count());
    }
}
BENCHMARK(BM_SpecialMoveOfAllZRows)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
