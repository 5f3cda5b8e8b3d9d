// The W and N editors offscreen: paging through a W list of 255 and an N list of 127 entries (one
// page is eight rows shown again from the next top row and painted), and a live language switch of a
// W window to Arabic and back.
#include "bench/BenchSupport.h"
#include "bench/PanelBench.h"
#include "editors/RNPanel_m.h"
#include "editors/RWPanel_m.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

class Window : public bench::ListWindow {
public:
    Window(bool W, MLanguagePack* Pack) : ListWindow(Pack) {
        for (int n = 1; n <= (W ? 255 : 127); ++n) {
            if (W) {
                MUnvW w;
                w.Number = n;
                w.Levels.fill(n);
                Project.Lists.W.AddOrReplace(w);
            } else {
                MUnvN m;
                m.Number = n;
                m.Start = n;
                m.Count = n % 2 ? 1 : -1;
                Project.Lists.N.AddOrReplace(m);
            }
        }
        if (W)
            ShowList(new MRWContainerPanel(this, this), Project.Lists.W);
        else
            ShowList(new MRNContainerPanel(this, this), Project.Lists.N);
    }
};

void BM_PageW255(benchmark::State& State) {
    Window win(true, nullptr);
    bench::ScrollRows(State, *win.Container, 8);
}
BENCHMARK(BM_PageW255)->Unit(benchmark::kMillisecond);

void BM_PageN127(benchmark::State& State) {
    Window win(false, nullptr);
    bench::ScrollRows(State, *win.Container, 8);
}
BENCHMARK(BM_PageN127)->Unit(benchmark::kMillisecond);

// The W window built for the language pack.
struct WWindow : Window {
    explicit WWindow(MLanguagePack* Pack) : Window(true, Pack) {}
};

void BM_LanguageSwitchW(benchmark::State& State) {
    bench::SwitchLanguages<WWindow>(State);
}
BENCHMARK(BM_LanguageSwitchW)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
