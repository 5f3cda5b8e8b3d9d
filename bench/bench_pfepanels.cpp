// The P editor offscreen: paging through a P list of 255 entries whose rows show needles and colour
// boxes by turns (one page is eight rows shown again from the next top row and painted), and a live
// language switch of a P window to Arabic and back.
#include "bench/BenchSupport.h"
#include "bench/PanelBench.h"
#include "editors/RPPanel_m.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

class Window : public bench::ListWindow {
public:
    explicit Window(MLanguagePack* Pack) : ListWindow(Pack) {
        // SY1, MF with many colours, VB, WW: the layout changes from row to row.
        static const int modes[] = {0, 4, 5, 6};
        for (int n = 1; n <= 255; ++n) {
            MUnvP p;
            p.Number = n;
            p.Mode = std::uint8_t(modes[n % 4]);
            p.Carriers[std::size_t(n % 8)] = 1;
            p.L = n;
            p.R = n + 100;
            for (int k = 0; k < (p.Mode == 4 ? 12 : 2); ++k)
                p.ClrsL.SetBit((n + k) % 32, 1);
            for (int k = 0; k < 2; ++k)
                p.ClrsR.SetBit((n + 5 + k) % 32, 1);
            Project.Lists.P.AddOrReplace(p);
        }
        ShowList(new MRPContainerPanel(this, &Project.Palette(), this), Project.Lists.P);
    }
};

void BM_PageP255(benchmark::State& State) {
    Window win(nullptr);
    bench::ScrollRows(State, *win.Container, 8);
}
BENCHMARK(BM_PageP255)->Unit(benchmark::kMillisecond);

void BM_LanguageSwitchP(benchmark::State& State) {
    bench::SwitchLanguages<Window>(State);
}
BENCHMARK(BM_LanguageSwitchP)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
