// Docks: arranging 40 tool windows in 8 rows (the arithmetic alone and a real dock), and one step of
// a drag over a form with four docks, which must keep up with the pointer.

#include "bench/BenchSupport.h"

#include "ui/AlignLayout.h"
#include "ui/DockCmn.h"
#include "ui/DockCore.h"
#include "ui/DockTlwn.h"
#include "ui/Docks.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <deque>
#include <memory>

namespace {

void BM_ArrangeDockBarsArithmetic(benchmark::State& state) {
    std::deque<TDockBarSlot> store;
    std::vector<TDockBarSlot*> bars;
    for (int i = 0; i < 40; ++i) {
        TDockBarSlot s;
        s.DockRow = (i * 7) % 8;
        s.DockPos = (i * 37) % 900;
        s.Shown = true;
        s.Width = 60 + (i % 5) * 20;
        s.Height = 26;
        s.Thickness = 22;
        store.push_back(s);
        bars.push_back(&store.back());
    }
    TDockArrangeInput in;
    in.Width = 1200;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ArrangeDockBars(bars, in));
    }
}
BENCHMARK(BM_ArrangeDockBarsArithmetic);

struct Form {
    std::unique_ptr<QWidget> Widget;
    TDockArea* Docks[4];
    Form() {
        Widget = std::make_unique<QWidget>();
        auto* layout = new AlignLayout(Widget.get());
        for (int i = 0; i < 4; ++i) {
            Docks[i] = new TDockArea(Widget.get(), TDockPosition(i));
            layout->addWidget(Docks[i]);
        }
        auto* client = new QWidget(Widget.get());
        SetAlign(client, TAlign::alClient);
        layout->addWidget(client);
        Widget->setGeometry(0, 0, 1200, 800);
        Widget->show();
    }
    TDockWindow* Add(TDockArea* Dock, int Row, int Pos, int Length) {
        auto* w = new TDockWindow(Widget.get());
        w->SetClientAreaWidth(Length);
        w->SetClientAreaHeight(22);
        w->SetDockRow(Row);
        w->SetDockPos(Pos);
        w->SetDockedTo(Dock);
        return w;
    }
};

void BM_ArrangeBars40In8Rows(benchmark::State& state) {
    Form form;
    for (int i = 0; i < 40; ++i)
        form.Add(form.Docks[0], i % 8, (i * 37) % 900, 60 + (i % 5) * 20);
    for (auto _ : state)
        form.Docks[0]->ArrangeBars(false);
}
BENCHMARK(BM_ArrangeBars40In8Rows)->Unit(benchmark::kMicrosecond);

void BM_DragMouseMovedStep(benchmark::State& state) {
    SetWorkAreaProvider([] { return QList<QRect>{QRect(0, 0, 1920, 1080)}; });
    Form form;
    TDockWindow* dragged = nullptr;
    for (int d = 0; d < 4; ++d)
        for (int i = 0; i < 6; ++i) {
            TDockWindow* w = form.Add(form.Docks[d], i % 2, i * 90, 70);
            if (!dragged)
                dragged = w;
        }
    dragged->BeginDrag(-6, 8);
    // Back and forth between the free area, the left dock and the bottom dock.
    const QPoint points[] = {QPoint(600, 400), QPoint(3, 300), QPoint(600, 790), QPoint(900, 20)};
    std::size_t i = 0;
    for (auto _ : state)
        dragged->DragMoveTo(points[i++ % 4]);
    dragged->EndDrag(false);
}
BENCHMARK(BM_DragMouseMovedStep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
