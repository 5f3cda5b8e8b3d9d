// The W and N editors offscreen: paging through a W list of 255 and an N list of 127 entries (one
// page is eight rows shown again from the next top row and painted), and a live language switch of a
// W window to Arabic and back.
#include "bench/BenchSupport.h"
#include "editors/RNPanel_m.h"
#include "editors/RWPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "ui/Adapter.h"
#include "ui/LanguagePack.h"
#include "ui/ULPackDM.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

class Window : public MForm {
public:
    Window(bool W, MLanguagePack* Pack) {
        new MLanguageAdapter(this);
        if (Pack)
            SetLanguagePack(Pack);
        SetResourceLanguage(LanguageEnglish);
        Container = W ? static_cast<MRContainerPanel*>(new MRWContainerPanel(this, this))
                      : static_cast<MRContainerPanel*>(new MRNContainerPanel(this, this));
        Container->Project = &Project;
        Container->SetClipboard(&Clipboard);
        Container->InitLayout(0);
        FinishLoading();
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
        Container->SetItems(W ? static_cast<MUnvList*>(&Project.Lists.W) : &Project.Lists.N);
        resize(Container->width(), 8 * 30);
        show();
        Container->SetVisibleRows(8);
        QApplication::processEvents();
    }
    ~Window() override { DestroyComponents(); }
    MMemoryProject Project;
    TMUnvClipBoard Clipboard;
    MRContainerPanel* Container;
};

void Page(benchmark::State& State, bool W) {
    Window win(W, nullptr);
    QScrollBar* bar = win.Container->ScrollBar();
    const int last = bar->maximum();
    int top = 0;
    for (auto _ : State) {
        top = top + 8 > last ? 0 : top + 8;
        win.Container->SetTopRow(top);
        win.Container->repaint();
        benchmark::DoNotOptimize(win.Container->TopRow());
    }
}

void BM_PageW255(benchmark::State& State) {
    Page(State, true);
}
BENCHMARK(BM_PageW255)->Unit(benchmark::kMillisecond);

void BM_PageN127(benchmark::State& State) {
    Page(State, false);
}
BENCHMARK(BM_PageN127)->Unit(benchmark::kMillisecond);

// One switch to Arabic and one back per iteration.
void BM_LanguageSwitchW(benchmark::State& State) {
    TDMLanguagePack pack;
    pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    Window win(true, pack.OLanguagePack);
    for (auto _ : State) {
        pack.OLanguagePack->SetLanguageNumber(LanguageArabic);
        pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
    }
}
BENCHMARK(BM_LanguageSwitchW)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
