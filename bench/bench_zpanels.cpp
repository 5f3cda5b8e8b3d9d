// The Z editor offscreen over a 2000-row Z list on a 4-system machine (720): building the window
// with its container and four rows, one display-row scroll step (the pairs shown again from the
// next top row and painted), and a live language switch of the window to Arabic and back.
#include "bench/BenchSupport.h"
#include "bench/PanelBench.h"
#include "editors/RZPanel_m.h"
#include "model/UProject.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The 2000 rows, made once.
MMemoryProject& Program() {
    static MMemoryProject* project = [] {
        auto* p = new MMemoryProject;
        p->Lists.Machine.Model = 720;
        p->Lists.Machine.UpdateCategory();
        for (int n = 1; n <= 2000; ++n) {
            MUnvZ z;
            z.Number = n;
            for (int i = 0; i < ZSlots; ++i)
                z.PatternLine[std::size_t(i)] = n % 900 + i;
            z.TZ = std::uint8_t(n % 100);
            p->Lists.Z.AddOrReplace(z);
        }
        return p;
    }();
    return *project;
}

// The Z list of the 2000 rows (the project's own) in two display rows.
class Window : public bench::ListWindow {
public:
    explicit Window(MLanguagePack* Pack) : ListWindow(Pack) {
        MMemoryProject& project = Program();
        ShowList(new MRZContainerPanel(this, 4, 720, &project.Colors, this), project.Lists.Z, 2,
                 2 * 223 + 10);
        Container->Project = &project;
    }
};

void BM_BuildZWindow(benchmark::State& State) {
    Program();
    for (auto _ : State) {
        auto win = std::make_unique<Window>(nullptr);
        benchmark::DoNotOptimize(win->Container->Rows().size());
    }
}
BENCHMARK(BM_BuildZWindow)->Unit(benchmark::kMillisecond);

void BM_ScrollZOneDisplayRow(benchmark::State& State) {
    Window win(nullptr);
    bench::ScrollRows(State, *win.Container, 1);
}
BENCHMARK(BM_ScrollZOneDisplayRow)->Unit(benchmark::kMillisecond);

void BM_LanguageSwitchZ(benchmark::State& State) {
    bench::SwitchLanguages<Window>(State);
}
BENCHMARK(BM_LanguageSwitchZ)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
