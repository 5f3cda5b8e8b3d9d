// The S editor offscreen: paging through an S list of 511 entries (one page is eight rows shown again
// from the next top row and painted), and a live language switch of an S window to Arabic and back.
#include "bench/BenchSupport.h"
#include "bench/PanelBench.h"
#include "editors/RSPanel_m.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// Z ranges with N and P ranges on most lines, an S cycle on every fifth, which hides its ranges.
class Window : public bench::ListWindow {
public:
    explicit Window(MLanguagePack* Pack) : ListWindow(Pack) {
        for (int n = 1; n <= 511; ++n) {
            MUnvS s;
            s.Number = n;
            s.Type = n % 5 == 0 ? 2 : 1;
            s.First = n;
            s.Count = n % 2 ? 1 : -1;
            s.Counter = MCounter{std::uint8_t(n % 3 + 1), n % 60 + 1};
            s.NFirst = n % 100 + 2;
            s.NCount = -1;
            s.PFirst = n % 200 + 1;
            s.Offset = std::uint8_t(n % 8 + 1);
            Project.Lists.S.AddOrReplace(s);
        }
        ShowList(new MRSContainerPanel(this, this), Project.Lists.S);
    }
};

void BM_PageS511(benchmark::State& State) {
    Window win(nullptr);
    bench::ScrollRows(State, *win.Container, 8);
}
BENCHMARK(BM_PageS511)->Unit(benchmark::kMillisecond);

void BM_LanguageSwitchS(benchmark::State& State) {
    bench::SwitchLanguages<Window>(State);
}
BENCHMARK(BM_LanguageSwitchS)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
