// Reading and writing a full-size machine program file: 2000 Z rows whose sub-records are all
// different, 511 S lines and every other kind up to its largest number.
#include "FullProgram.h"
#include "model/UunvDta.h"

#include <benchmark/benchmark.h>

namespace {
const QByteArray& FullSizeFile() {
    static const QByteArray image = [] {
        MProgramLists program;
        FillProgram(program);
        return MachineFileImage(program.Machine, program.Lists());
    }();
    return image;
}

void BM_ReadMachineFile(benchmark::State& State) {
    const QByteArray& image = FullSizeFile();
    MProgramLists program;
    for (auto _ : State) {
        ReadMachineFile(image, QString(), program.Machine, program.Lists());
        benchmark::DoNotOptimize(program.Z.Count());
    }
    State.counters["bytes"] = double(image.size());
    State.counters["Z sub-records C"] = double(program.Z.SubTables[zstC].RecordCount);
}
BENCHMARK(BM_ReadMachineFile)->Unit(benchmark::kMillisecond);

void BM_WriteMachineFile(benchmark::State& State) {
    MProgramLists program;
    FillProgram(program);
    for (auto _ : State) {
        const QByteArray image = MachineFileImage(program.Machine, program.Lists());
        benchmark::DoNotOptimize(image.data());
    }
}
BENCHMARK(BM_WriteMachineFile)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
