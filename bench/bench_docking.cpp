// Docking a toolbar of many buttons: the toolbar is filled, docked in the top dock of a form and the
// form's events run until everything is laid out and shown, once with the form shown before docking
// and once with the form shown after. The time per button must not grow with the number of buttons.

#include "bench/BenchSupport.h"
#include "ui/AlignLayout.h"
#include "ui/DockCtls.h"
#include "ui/DockTlbr.h"
#include "ui/Docks.h"

#include <QApplication>

#include <memory>

namespace {

void DockToolbar(benchmark::State& state, bool ShowFirst) {
    const int buttons = int(state.range(0));
    for (auto _ : state) {
        auto form = std::make_unique<QWidget>();
        auto* layout = new AlignLayout(form.get());
        auto* dock = new TDockArea(form.get(), TDockPosition::dpTop);
        layout->addWidget(dock);
        form->setGeometry(0, 0, 1200, 400);
        if (ShowFirst)
            form->show();
        auto* bar = new TDockToolbar(form.get());
        for (int i = 0; i < buttons; ++i) {
            new TDockToolbarButton(bar);
            if (i % 8 == 7)
                new TDockToolbarSep(bar);
        }
        bar->SetDockedTo(dock);
        if (!ShowFirst)
            form->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.SetComplexityN(buttons);
}

// 50 to 800 buttons, with the fit of time against the count.
void ButtonCounts(benchmark::internal::Benchmark* B) {
    B->RangeMultiplier(2)->Range(50, 800)->Complexity()->Unit(benchmark::kMillisecond);
}

void BM_DockToolbar(benchmark::State& state, bool ShowFirst) {
    DockToolbar(state, ShowFirst);
}
BENCHMARK_CAPTURE(BM_DockToolbar, IntoShownForm, true)->Apply(ButtonCounts);
BENCHMARK_CAPTURE(BM_DockToolbar, ThenShowForm, false)->Apply(ButtonCounts);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
