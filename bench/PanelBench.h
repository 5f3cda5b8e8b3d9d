#pragma once
// What the benchmarks of the module editors share: a window showing one list of its project, scrolling
// a list's rows and a live language switch of a window to Arabic and back.

#include "editors/RContainerPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "ui/Adapter.h"
#include "ui/LanguagePack.h"
#include "ui/ULPackDM.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace bench {

// A window, in English and following Pack when one is given, that owns a project and shows one list of
// it: the kind fills the project and calls ShowList with its container.
class ListWindow : public MForm {
public:
    explicit ListWindow(MLanguagePack* Pack) {
        new MLanguageAdapter(this);
        if (Pack)
            SetLanguagePack(Pack);
        SetResourceLanguage(LanguageEnglish);
    }
    ~ListWindow() override { DestroyComponents(); }
    // Container (owned by this window) shows List with Rows display rows (eight by default) in a
    // window Height pixels high, shown and settled.
    void ShowList(MRContainerPanel* List, MUnvList& Items, int Rows = 8, int Height = 8 * 30) {
        Container = List;
        Container->Project = &Project;
        Container->SetClipboard(&Clipboard);
        Container->InitLayout(0);
        FinishLoading();
        Container->SetItems(&Items);
        resize(Container->width(), Height);
        show();
        Container->SetVisibleRows(Rows);
        QApplication::processEvents();
    }
    MMemoryProject Project;
    TMUnvClipBoard Clipboard;
    MRContainerPanel* Container = nullptr;
};

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
