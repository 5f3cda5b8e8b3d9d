// The drawing board: a 2000 x 1000-cell board of a random 16-colour pattern in a 1600 x 1000-pixel
// window, offscreen: a full repaint at zoom 1 without the grid (the largest zoom-out), a full
// repaint at zoom 20 with the grid, and one page of scrolling with its repaint. The aim is below
// 20 ms each; a paint wraps only the visible cells and copies nothing of the whole picture.
#include "app/LBoardWindow.h"
#include "bench/BenchSupport.h"

#include <QApplication>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// The cells take the sixteen colours of the exchange table.
TBitmap Pattern() {
    TBitmap b(2000, 1000, pf24bit);
    std::uint32_t noise = 12345;
    for (int y = 0; y < b.Height(); ++y) {
        std::uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            PutCellColor(row + 3 * x, ExchangeTable[(noise >> 16) & 15]);
        }
    }
    return b;
}

struct Board {
    explicit Board(int Zoom, bool Grid) {
        window.resize(1600, 1000);
        window.SetRaster(Pattern());
        window.SetGridFlag(Grid);
        window.SetPAmpFac(Zoom);
        window.show();
        QApplication::processEvents();
    }
    TBoardWindow window;
};

void BM_BoardRepaintZoom1(benchmark::State& state) {
    Board b(1, false);
    for (auto _ : state)
        b.window.repaint();
}

void BM_BoardRepaintZoom20Grid(benchmark::State& state) {
    Board b(20, true);
    for (auto _ : state)
        b.window.repaint();
}

// One page down or up (turning at the ends) and the repaint of the new view, at zoom 1.
void BM_BoardPageScroll(benchmark::State& state) {
    Board b(1, false);
    QScrollBar* bar = b.window.ScrollBarH;
    int step = bar->pageStep();
    for (auto _ : state) {
        if (bar->value() + step > bar->maximum() || bar->value() + step < bar->minimum())
            step = -step;
        bar->setValue(bar->value() + step);
        b.window.repaint();
    }
}

BENCHMARK(BM_BoardRepaintZoom1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardRepaintZoom20Grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardPageScroll)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
