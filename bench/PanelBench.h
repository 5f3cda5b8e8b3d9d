#pragma once
// What the benchmarks of the module editors share: scrolling a list's rows and a live language switch
// of a window to Arabic and back.

#include "editors/RContainerPanel_m.h"
#include "ui/LanguagePack.h"
#include "ui/ULPackDM.h"

#include <benchmark/benchmark.h>

namespace bench {

// Per iteration the top row moves Step display rows on (back to the first after the last) and the
// rows shown are loaded and painted.
inline void ScrollRows(benchmark::State& State, MRContainerPanel& Container, int Step) {
    const int last = Container.ScrollBar()->maximum();
    int top = 0;
    for (auto _ : State) {
        top = top + Step > last ? 0 : top + Step;
        Container.SetTopRow(top);
        Container.repaint();
        benchmark::DoNotOptimize(Container.TopRow());
    }
}

// Per iteration one switch to Arabic and one back, of a window TWindow(pack) following the pack.
template <class TWindow>
void SwitchLanguages(benchmark::State& State) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    TWindow win(pack.OLanguagePack);
    for (auto _ : State) {
        pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
        pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    }
}

} // namespace bench
